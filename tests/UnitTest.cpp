#include "C_UnitRegistry.h"

#include <BufferApi/C_UnitFactory.h>

#include <RTE/Exception.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

using namespace BufferApi;

namespace
{
using UnitPtr = std::unique_ptr<I_Unit>;

std::string RaisedMessage(const std::function<void()>& action)
{
  try
  {
    action();
  }
  catch (const RTE::Exception& e)
  {
    return e.message().toStdString();
  }
  return "<nothing raised>";
}

UnitPtr FromText(const std::string& text, const C_UnitParam& param = C_UnitParam())
{
  return UnitPtr(C_UnitFactory::GetInstance().CreateUnit(text, param));
}

UnitPtr FromCode(int code)
{
  return UnitPtr(C_UnitFactory::GetInstance().CreateUnit(static_cast<I_ScaleEnums::E_UnitType>(code)));
}

struct UnitRow
{
  int code;
  std::string symbol;
  std::string name;
};

const std::string kMicro = "\xB5";

// Every registered unit by code, written out independently of the classes.
const std::vector<UnitRow> kUnits = {
    {0, "km", "kilometers"},
    {1, "m", "meters"},
    {2, "cm", "centimeters"},
    {3, "mm", "millimeters"},
    {4, kMicro + "m", "micrometers"},
    {5, "nm", "nanometers"},
    {6, "pm", "picometers"},
    {7, "fm", "femtometers"},
    {8, "in", "inches"},
    {9, "ft", "feet"},
    {10, "yd", "yards"},
    {11, "mi", "miles"},
    {12, "kg", "kilograms"},
    {13, "g", "grams"},
    {14, "mg", "milligrams"},
    {15, kMicro + "g", "micrograms"},
    {17, "h", "hours"},
    {18, "min", "minutes"},
    {19, "s", "seconds"},
    {20, "ms", "milliseconds"},
    {21, kMicro + "s", "microseconds"},
    {22, "ns", "nanoseconds"},
    {23, "ps", "picoseconds"},
    {24, "fs", "femtoseconds"},
    {25, "km/h", "kilometers per hour"},
    {26, "m/s", "meters per second"},
    {27, "mm/s", "millimeters per second"},
    {28, kMicro + "m/s", "micrometers per second"},
};

// The kind of a unit code by the ranges of the code table.
bool HasKind(const I_Unit& unit, int code)
{
  const bool length = dynamic_cast<const I_UnitLength*>(&unit) != nullptr;
  const bool mass = dynamic_cast<const I_UnitMass*>(&unit) != nullptr;
  const bool time = dynamic_cast<const I_UnitTime*>(&unit) != nullptr;
  const bool velocity = dynamic_cast<const I_UnitVelocity*>(&unit) != nullptr;
  if (code <= 11)
  {
    return length && !mass && !time && !velocity;
  }
  if (code <= 15)
  {
    return mass && !length && !time && !velocity;
  }
  if (code <= 24)
  {
    return time && !length && !mass && !velocity;
  }
  return velocity && !length && !mass && !time;
}
} // namespace

TEST(UnitFactory, EveryCodeAndSymbolGivesItsUnit)
{
  for (const UnitRow& row : kUnits)
  {
    SCOPED_TRACE(row.code);
    UnitPtr byCode = FromCode(row.code);
    ASSERT_NE(byCode, nullptr);
    EXPECT_EQ(byCode->GetSymbol(), row.symbol);
    EXPECT_EQ(byCode->GetName(), row.name);
    EXPECT_TRUE(HasKind(*byCode, row.code));

    UnitPtr byText = FromText(row.symbol);
    ASSERT_NE(byText, nullptr);
    EXPECT_EQ(typeid(*byText), typeid(*byCode));
    UnitPtr bracketed = FromText("[" + row.symbol + "]");
    EXPECT_EQ(typeid(*bracketed), typeid(*byCode));

    UnitPtr clone(byCode->Clone());
    EXPECT_NE(clone.get(), byCode.get());
    EXPECT_EQ(typeid(*clone), typeid(*byCode));
    EXPECT_EQ(clone->GetName(), row.name);
  }
}

TEST(UnitFactory, MicroSymbolsAreSingleByteLatin1)
{
  EXPECT_EQ(FromCode(I_ScaleEnums::UnitLengthuM)->GetSymbol(), std::string("\xB5\x6D", 2));
  EXPECT_EQ(FromCode(I_ScaleEnums::UnitMassuG)->GetSymbol().size(), 2u);
  EXPECT_EQ(FromCode(I_ScaleEnums::UnitTimeuS)->GetSymbol().size(), 2u);
  EXPECT_EQ(FromCode(I_ScaleEnums::UnitVelocityuMS)->GetSymbol(), std::string("\xB5m/s", 4));
  // The UTF-8 spelling is a different text and names no unit.
  UnitPtr utf8 = FromText("\xC2\xB5m");
  EXPECT_EQ(utf8->GetName(), "");
}

TEST(UnitFactory, CodesOutsideTheTable)
{
  UnitPtr misc = FromCode(I_ScaleEnums::UnitMisc);
  ASSERT_NE(misc, nullptr);
  EXPECT_NE(dynamic_cast<C_UnitMisc*>(misc.get()), nullptr);
  EXPECT_EQ(misc->GetSymbol(), "");
  EXPECT_EQ(misc->GetName(), "");
  EXPECT_EQ(FromCode(29), nullptr);
  EXPECT_EQ(FromCode(-1), nullptr);
}

TEST(UnitFactory, TextLookupStripsOneBracketPair)
{
  EXPECT_EQ(FromText("mm")->GetName(), "millimeters");
  EXPECT_EQ(FromText("[mm]")->GetName(), "millimeters");
  EXPECT_EQ(FromText("[mm")->GetName(), "millimeters");
  EXPECT_EQ(FromText("mm]")->GetName(), "millimeters");

  // Unknown texts keep the text exactly as passed in, brackets included.
  for (const std::string text : {"Mm", "[pixel]", "[[mm]]", "[", "]", "[]", "", " mm", "counts"})
  {
    SCOPED_TRACE(text);
    UnitPtr unit = FromText(text);
    ASSERT_NE(dynamic_cast<C_UnitMisc*>(unit.get()), nullptr);
    EXPECT_EQ(unit->GetSymbol(), text);
    EXPECT_EQ(unit->GetName(), "");
  }
}

TEST(UnitFactory, FreeTextParameterIsPassedOn)
{
  UnitPtr unit = FromText("pixel", C_UnitMiscParam("px", "pixels"));
  EXPECT_EQ(unit->GetSymbol(), "px");
  EXPECT_EQ(unit->GetName(), "pixels");
  UnitPtr clone(unit->Clone());
  EXPECT_EQ(clone->GetSymbol(), "px");
  EXPECT_EQ(clone->GetName(), "pixels");

  // A known symbol ignores the texts.
  EXPECT_EQ(FromText("mm", C_UnitMiscParam("px", "pixels"))->GetName(), "millimeters");
}

TEST(UnitFactory, TextMiscIsAFreeTextUnit)
{
  UnitPtr plain = FromText("misc");
  EXPECT_EQ(plain->GetSymbol(), "misc");
  EXPECT_EQ(plain->GetName(), "");
  EXPECT_EQ(FromText("[misc]")->GetSymbol(), "[misc]");
  EXPECT_EQ(FromText("misc", C_UnitMiscParam("a", "b"))->GetName(), "b");
}

TEST(UnitFactory, MiscCreatorRequiresItsParameter)
{
  EXPECT_EQ(RaisedMessage([] { delete CreateUnitMisc(C_UnitParam()); }),
            "Wrong parameter type, misc unit could not be created.");
  UnitPtr unit(CreateUnitMisc(C_UnitMiscParam("a", "b")));
  EXPECT_EQ(unit->GetSymbol(), "a");
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

  EXPECT_EQ(RaisedMessage([&] { delete factory.CreateUnit("mm"); }), "The misc unit is not registered to the factory.");
  EXPECT_EQ(factory.CreateUnit(code(3)), nullptr);

  EXPECT_TRUE(factory.Register(code(5), "dup", &CreateTagged<5>));
  EXPECT_TRUE(factory.Register(code(2), "dup", &CreateTagged<2>));
  EXPECT_FALSE(factory.Register(code(5), "other", &CreateTagged<7>));
  // The lowest code wins, whatever the order of registration.
  EXPECT_EQ(UnitPtr(factory.CreateUnit("dup"))->GetName(), "2");
  EXPECT_EQ(UnitPtr(factory.CreateUnit(code(5)))->GetName(), "5");
  EXPECT_EQ(RaisedMessage([&] { delete factory.CreateUnit("other"); }),
            "The misc unit is not registered to the factory.");

  EXPECT_TRUE(factory.Register(code(40), "misc", &CreateUnitMisc));
  EXPECT_EQ(UnitPtr(factory.CreateUnit("other"))->GetSymbol(), "other");
  // Code 40 is not the free-text code: it gets a plain parameter.
  EXPECT_EQ(RaisedMessage([&] { delete factory.CreateUnit(code(40)); }),
            "Wrong parameter type, misc unit could not be created.");
}

namespace
{
// Conversions are tested against the one rounding sequence they must
// follow: value * source factor, then / target factor unless the target is
// the kind's base unit.
double Expected(double value, double from, double to, bool toBase)
{
  const double base = value * from;
  return toBase ? base : base / to;
}

template <typename T_Kind>
struct Target
{
  double (T_Kind::*convert)(double) const;
  double factor;
  bool base;
};

template <typename T_Kind>
void CheckKind(const std::vector<std::pair<int, double>>& units, const std::vector<Target<T_Kind>>& targets)
{
  const double values[] = {1.0, 5.0, 2500.0, -0.3, 7.25e-3};
  for (const auto& unitAndFactor : units)
  {
    UnitPtr unit = FromCode(unitAndFactor.first);
    const auto* kind = dynamic_cast<const T_Kind*>(unit.get());
    ASSERT_NE(kind, nullptr);
    for (std::size_t t = 0; t < targets.size(); ++t)
    {
      for (double value : values)
      {
        SCOPED_TRACE(::testing::Message()
                     << "code " << unitAndFactor.first << " target slot " << t << " value " << value);
        EXPECT_EQ((kind->*targets[t].convert)(value),
                  Expected(value, unitAndFactor.second, targets[t].factor, targets[t].base));
      }
    }
  }
}
} // namespace

TEST(UnitConversion, LengthToTheLastBit)
{
  using L = I_UnitLength;
  CheckKind<L>({{0, 1000},
                {1, 1},
                {2, 0.01},
                {3, 0.001},
                {4, 1e-06},
                {5, 1e-09},
                {6, 1e-12},
                {7, 1e-15},
                {8, 0.0254},
                {9, 0.3048},
                {10, 0.9144},
                {11, 1609.344}},
               {{&L::ToCM, 0.01, false},
                {&L::ToFM, 1e-15, false},
                {&L::ToFT, 0.3048, false},
                {&L::ToIN, 0.0254, false},
                {&L::ToKM, 1000, false},
                {&L::ToM, 1, true},
                {&L::ToMI, 1609.344, false},
                {&L::ToMM, 0.001, false},
                {&L::ToNM, 1e-09, false},
                {&L::ToPM, 1e-12, false},
                {&L::ToYD, 0.9144, false},
                {&L::TouM, 1e-06, false}});
}

TEST(UnitConversion, MassTimeVelocityToTheLastBit)
{
  using M = I_UnitMass;
  CheckKind<M>({{12, 1000}, {13, 1}, {14, 0.001}, {15, 1e-06}},
               {{&M::ToKG, 1000, false}, {&M::ToG, 1, true}, {&M::ToMG, 0.001, false}, {&M::TouG, 1e-06, false}});
  using T = I_UnitTime;
  CheckKind<T>({{17, 3600}, {18, 60}, {19, 1}, {20, 0.001}, {21, 1e-06}, {22, 1e-09}, {23, 1e-12}, {24, 1e-15}},
               {{&T::ToFS, 1e-15, false},
                {&T::ToH, 3600, false},
                {&T::ToM, 60, false},
                {&T::ToMS, 0.001, false},
                {&T::ToNS, 1e-09, false},
                {&T::ToPS, 1e-12, false},
                {&T::ToS, 1, true},
                {&T::TouS, 1e-06, false}});
  using V = I_UnitVelocity;
  CheckKind<V>({{25, 0.2777777777777778}, {26, 1}, {27, 0.001}, {28, 1e-06}}, {{&V::ToKMH, 0.2777777777777778, false},
                                                                               {&V::ToMS, 1, true},
                                                                               {&V::ToMMS, 0.001, false},
                                                                               {&V::TouMS, 1e-06, false}});
}

TEST(UnitConversion, KnownValues)
{
  EXPECT_EQ(dynamic_cast<I_UnitVelocity&>(*FromText("m/s")).ToKMH(1.0), 3.5999999999999996);
  EXPECT_EQ(dynamic_cast<I_UnitVelocity&>(*FromText("km/h")).ToMS(1.0), 1.0 / 3.6);
  EXPECT_EQ(dynamic_cast<I_UnitLength&>(*FromText("in")).ToFT(1.0), 0.0254 / 0.3048);
  EXPECT_EQ(dynamic_cast<I_UnitLength&>(*FromText("m")).ToKM(2500.0), 2.5);
  EXPECT_EQ(dynamic_cast<I_UnitLength&>(*FromText("cm")).ToM(5.0), 5.0 * 0.01);
  EXPECT_EQ(dynamic_cast<I_UnitLength&>(*FromText("cm")).ToKM(5.0), (5.0 * 0.01) / 1000.0);
  EXPECT_EQ(dynamic_cast<I_UnitTime&>(*FromText("h")).ToS(2.0), 7200.0);
  EXPECT_EQ(dynamic_cast<I_UnitTime&>(*FromText("s")).ToM(90.0), 1.5);
  EXPECT_EQ(dynamic_cast<I_UnitMass&>(*FromText("kg")).ToG(2.0), 2000.0);
}
