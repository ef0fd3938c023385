#include "C_UnitRegistry.h"
#include "FrameTestHelpers.h"

#include <BufferApi/C_UnitFactory.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace BufferApi;
using FrameTestHelpers::MessageOf;

namespace
{
using UnitPtr = std::unique_ptr<I_Unit>;

UnitPtr FromText(const std::string& text, const C_UnitParam& param = C_UnitParam())
{
  return UnitPtr(C_UnitFactory::GetInstance().CreateUnit(text, param));
}

UnitPtr FromCode(int code)
{
  return UnitPtr(C_UnitFactory::GetInstance().CreateUnit(static_cast<I_ScaleEnums::E_UnitType>(code)));
}

std::string RaisedBy(const std::function<void()>& action)
{
  return MessageOf<RTE::Exception>(action);
}

// Every unit indexed by its code, written out independently of the classes:
// symbol (micro as the single Latin-1 byte), name, size in the kind's base
// unit (m, g, s, m/s). Code 16 is the free-text unit.
struct S_Unit
{
  const char* symbol;
  const char* name;
  double factor;
};
const S_Unit kUnits[] = {
    {"km", "kilometers", 1000},
    {"m", "meters", 1},
    {"cm", "centimeters", 0.01},
    {"mm", "millimeters", 0.001},
    {"\xB5m", "micrometers", 1e-06},
    {"nm", "nanometers", 1e-09},
    {"pm", "picometers", 1e-12},
    {"fm", "femtometers", 1e-15},
    {"in", "inches", 0.0254},
    {"ft", "feet", 0.3048},
    {"yd", "yards", 0.9144},
    {"mi", "miles", 1609.344},
    {"kg", "kilograms", 1000},
    {"g", "grams", 1},
    {"mg", "milligrams", 0.001},
    {"\xB5g", "micrograms", 1e-06},
    {"", "", 0},
    {"h", "hours", 3600},
    {"min", "minutes", 60},
    {"s", "seconds", 1},
    {"ms", "milliseconds", 0.001},
    {"\xB5s", "microseconds", 1e-06},
    {"ns", "nanoseconds", 1e-09},
    {"ps", "picoseconds", 1e-12},
    {"fs", "femtoseconds", 1e-15},
    {"km/h", "kilometers per hour", 0.2777777777777778},
    {"m/s", "meters per second", 1},
    {"mm/s", "millimeters per second", 0.001},
    {"\xB5m/s", "micrometers per second", 1e-06},
};
} // namespace

TEST(UnitFactory, EveryCodeAndSymbolGivesItsUnit)
{
  for (int code = 0; code <= 28; ++code)
  {
    if (code == I_ScaleEnums::UnitMisc)
      continue;
    SCOPED_TRACE(code);
    UnitPtr byCode = FromCode(code);
    ASSERT_NE(byCode, nullptr);
    EXPECT_EQ(byCode->GetSymbol(), kUnits[code].symbol);
    EXPECT_EQ(byCode->GetName(), kUnits[code].name);
    // Text lookup finds the same unit.
    EXPECT_EQ(FromText(kUnits[code].symbol)->GetName(), kUnits[code].name);
  }
  UnitPtr misc = FromCode(I_ScaleEnums::UnitMisc);
  ASSERT_NE(dynamic_cast<C_UnitMisc*>(misc.get()), nullptr);
  EXPECT_EQ(misc->GetSymbol() + misc->GetName(), "");
  EXPECT_EQ(FromCode(29), nullptr);
  EXPECT_EQ(FromCode(-1), nullptr);
}

TEST(UnitFactory, TextLookupStripsOneBracketPair)
{
  for (const std::string text : {"mm", "[mm]", "[mm", "mm]"})
    EXPECT_EQ(FromText(text)->GetName(), "millimeters") << text;

  // Unknown texts keep the text exactly as passed in, brackets included; the
  // UTF-8 spelling of the micro sign names no unit either.
  for (const std::string text :
       {"Mm", "[pixel]", "[[mm]]", "[", "]", "[]", "", " mm", "counts", "\xC2\xB5m", "misc", "[misc]"})
  {
    SCOPED_TRACE(text);
    UnitPtr unit = FromText(text);
    ASSERT_NE(dynamic_cast<C_UnitMisc*>(unit.get()), nullptr);
    EXPECT_EQ(unit->GetSymbol(), text);
    EXPECT_EQ(unit->GetName(), "");
  }
}

TEST(UnitFactory, FreeTextParameterIsPassedOnAndRequired)
{
  for (const std::string text : {"pixel", "misc"})
  {
    UnitPtr clone(FromText(text, C_UnitMiscParam("px", "pixels"))->Clone());
    EXPECT_EQ(clone->GetSymbol() + "|" + clone->GetName(), "px|pixels") << text;
  }
  // A known symbol ignores the texts.
  EXPECT_EQ(FromText("mm", C_UnitMiscParam("px", "pixels"))->GetName(), "millimeters");
  EXPECT_EQ(RaisedBy([] { delete CreateUnitMisc(C_UnitParam()); }),
            "Wrong parameter type, misc unit could not be created.");
}

namespace
{
// An empty registry of its own, so that the singleton stays untouched.
class TestUnitFactory : public C_UnitFactory
{
};

template <int N>
I_Unit* CreateTagged(const C_UnitParam&)
{
  return new C_UnitMisc("tag", std::to_string(N));
}
} // namespace

TEST(UnitFactory, RegistryOrderAndDuplicates)
{
  TestUnitFactory factory;
  const auto code = [](int c) { return static_cast<I_ScaleEnums::E_UnitType>(c); };
  const std::string noMisc = "The misc unit is not registered to the factory.";

  EXPECT_EQ(RaisedBy([&] { delete factory.CreateUnit("mm"); }), noMisc);
  EXPECT_EQ(factory.CreateUnit(code(3)), nullptr);

  EXPECT_TRUE(factory.Register(code(5), "dup", &CreateTagged<5>));
  EXPECT_TRUE(factory.Register(code(2), "dup", &CreateTagged<2>));
  EXPECT_FALSE(factory.Register(code(5), "other", &CreateTagged<7>));
  // The lowest code wins, whatever the order of registration.
  EXPECT_EQ(UnitPtr(factory.CreateUnit("dup"))->GetName(), "2");
  EXPECT_EQ(UnitPtr(factory.CreateUnit(code(5)))->GetName(), "5");
  EXPECT_EQ(RaisedBy([&] { delete factory.CreateUnit("other"); }), noMisc);

  EXPECT_TRUE(factory.Register(code(40), "misc", &CreateUnitMisc));
  EXPECT_EQ(UnitPtr(factory.CreateUnit("other"))->GetSymbol(), "other");
  // Code 40 is not the free-text code: it gets a plain parameter.
  EXPECT_EQ(RaisedBy([&] { delete factory.CreateUnit(code(40)); }),
            "Wrong parameter type, misc unit could not be created.");
}

namespace
{
// Conversions follow one rounding sequence: value * source factor, then
// / target factor unless the target is the kind's base unit (factor 1).
// `targets` lists the conversions in the code order of the kind's units.
template <typename T_Kind>
void CheckKind(int firstCode, const std::vector<double (T_Kind::*)(double) const>& targets)
{
  const int lastCode = firstCode + static_cast<int>(targets.size()) - 1;
  for (int code = firstCode; code <= lastCode; ++code)
  {
    UnitPtr unit = FromCode(code);
    const auto* kind = dynamic_cast<const T_Kind*>(unit.get());
    ASSERT_NE(kind, nullptr) << code;
    for (std::size_t t = 0; t < targets.size(); ++t)
    {
      const double to = kUnits[firstCode + t].factor;
      for (double value : {1.0, 5.0, 2500.0, -0.3, 7.25e-3})
      {
        const double base = value * kUnits[code].factor;
        EXPECT_EQ((kind->*targets[t])(value), to == 1 ? base : base / to)
            << "code " << code << " to code " << firstCode + t << " value " << value;
      }
    }
  }
}
} // namespace

TEST(UnitConversion, EveryKindToTheLastBit)
{
  using L = I_UnitLength;
  CheckKind<L>(0, {&L::ToKM, &L::ToM, &L::ToCM, &L::ToMM, &L::TouM, &L::ToNM, &L::ToPM, &L::ToFM, &L::ToIN, &L::ToFT,
                   &L::ToYD, &L::ToMI});
  using M = I_UnitMass;
  CheckKind<M>(12, {&M::ToKG, &M::ToG, &M::ToMG, &M::TouG});
  using T = I_UnitTime;
  CheckKind<T>(17, {&T::ToH, &T::ToM, &T::ToS, &T::ToMS, &T::TouS, &T::ToNS, &T::ToPS, &T::ToFS});
  using V = I_UnitVelocity;
  CheckKind<V>(25, {&V::ToKMH, &V::ToMS, &V::ToMMS, &V::TouMS});
}

TEST(UnitConversion, KnownValues)
{
  EXPECT_EQ(dynamic_cast<I_UnitVelocity&>(*FromText("m/s")).ToKMH(1.0), 3.5999999999999996);
  EXPECT_EQ(dynamic_cast<I_UnitLength&>(*FromText("in")).ToFT(1.0), 0.0254 / 0.3048);
}
