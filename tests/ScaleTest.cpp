#include "C_ScaleLinear.h"
#include "C_UnitRegistry.h"

#include <BufferApi/C_ScaleFactory.h>

#include <RTE/Exception.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>

using namespace BufferApi;

namespace
{
using ScalePtr = std::unique_ptr<I_Scale>;
using E = I_ScaleEnums;

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

C_ScaleFactory& Factory()
{
  return C_ScaleFactory::GetInstance();
}

ScalePtr Linear(double factor, double offset, const std::string& unit = "mm", const std::string& description = "")
{
  return ScalePtr(Factory().CreateLinearScale(factor, offset, unit, description));
}

double Offset(const I_Scale& scale)
{
  return scale.ToWorld(0.0);
}

ScalePtr Invalid()
{
  return ScalePtr(Factory().CreateScale(E::ScaleInvalid, C_ScaleParam(nullptr, "ignored")));
}
} // namespace

TEST(ScaleLinear, MapsBothWays)
{
  ScalePtr scale = Linear(2.0, 1.0, "mm", "length");
  ASSERT_NE(scale, nullptr);
  EXPECT_EQ(scale->GetType(), E::ScaleLinear);
  EXPECT_EQ(scale->ToWorld(3.0), 7.0);
  EXPECT_EQ(scale->ToSource(7.0), 3.0);
  EXPECT_EQ(scale->GetFactor(), 2.0);
  EXPECT_EQ(scale->GetMonotony(), 4);
  EXPECT_TRUE(scale->IsIncreasing());
  EXPECT_FALSE(scale->IsDecreasing());
  EXPECT_EQ(scale->GetUnit()->GetSymbol(), "mm");
  EXPECT_EQ(scale->GetUnit()->GetName(), "millimeters");
  EXPECT_EQ(scale->GetDescription(), "length");

  ScalePtr falling = Linear(-0.5, 0.0);
  EXPECT_EQ(falling->GetMonotony(), 1);
  EXPECT_TRUE(falling->IsDecreasing());
  EXPECT_FALSE(falling->IsIncreasing());
  EXPECT_EQ(falling->ToSource(2.0), -4.0);
}

TEST(ScaleLinear, FactorZeroDoesNotDivide)
{
  ScalePtr flat = Linear(0.0, 2.0);
  EXPECT_EQ(flat->GetMonotony(), 0);
  EXPECT_FALSE(flat->IsIncreasing());
  EXPECT_FALSE(flat->IsDecreasing());
  EXPECT_EQ(flat->ToSource(5.0), 3.0);
  EXPECT_EQ(flat->ToWorld(100.0), 2.0);
}

TEST(ScaleLinear, DefaultUnitTextsAreFreeText)
{
  for (const std::string text : {"counts", "pixel", "[pixel]", ""})
  {
    ScalePtr scale = Linear(1.0, 0.0, text);
    ASSERT_NE(dynamic_cast<C_UnitMisc*>(scale->GetUnit()), nullptr);
    EXPECT_EQ(scale->GetUnit()->GetSymbol(), text);
  }
}

TEST(ScaleLinear, UnitCodes)
{
  ScalePtr mm(Factory().CreateLinearScale(1.0, 0.0, E::UnitLengthMM, "d"));
  EXPECT_EQ(mm->GetUnit()->GetSymbol(), "mm");
  EXPECT_EQ(mm->GetDescription(), "d");
  ScalePtr misc(Factory().CreateLinearScale(1.0, 0.0, E::UnitMisc, ""));
  EXPECT_EQ(misc->GetUnit()->GetSymbol(), "");
  ScalePtr none(Factory().CreateLinearScale(1.0, 0.0, static_cast<E::E_UnitType>(29), ""));
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->GetUnit(), nullptr);
  ScalePtr clone(none->Clone());
  EXPECT_EQ(clone->GetUnit(), nullptr);
}

TEST(ScaleLinear, TwoPointCreation)
{
  ScalePtr through(Factory().CreateLinearScale(0.0, 10.0, 5.0, 25.0, "m", ""));
  EXPECT_EQ(through->GetFactor(), 2.0);
  EXPECT_EQ(Offset(*through), 5.0);
  EXPECT_EQ(through->GetUnit()->GetSymbol(), "m");

  ScalePtr reversed(Factory().CreateLinearScale(4.0, 2.0, 1.0, 2.0, E::UnitTimeS, ""));
  EXPECT_EQ(reversed->GetFactor(), -0.5);
  EXPECT_EQ(Offset(*reversed), 3.0);
  EXPECT_EQ(reversed->GetUnit()->GetSymbol(), "s");

  // Coinciding sources: identity.
  ScalePtr sameSource(Factory().CreateLinearScale(3.0, 3.0, 7.0, 9.0, "mm", ""));
  EXPECT_EQ(sameSource->GetFactor(), 1.0);
  EXPECT_EQ(Offset(*sameSource), 0.0);
  ScalePtr nearSource(Factory().CreateLinearScale(0.0, 1e-31, 7.0, 9.0, "mm", ""));
  EXPECT_EQ(nearSource->GetFactor(), 1.0);
  EXPECT_EQ(Offset(*nearSource), 0.0);

  // Coinciding worlds: factor 1, offset chosen so that source1 maps to world1.
  ScalePtr sameWorld(Factory().CreateLinearScale(2.0, 6.0, 10.0, 10.0, "mm", ""));
  EXPECT_EQ(sameWorld->GetFactor(), 1.0);
  EXPECT_EQ(Offset(*sameWorld), 8.0);
  ScalePtr nearWorld(Factory().CreateLinearScale(0.0, 1.0, 4.0, 4.0 + 1e-31, E::UnitLengthMM, ""));
  EXPECT_EQ(nearWorld->GetFactor(), 1.0);
  EXPECT_EQ(Offset(*nearWorld), 4.0);
}

TEST(ScaleLinear, GeometricOperations)
{
  // Start from world = 2 * source + 1 each time.
  ScalePtr s = Linear(2.0, 1.0);
  s->Resample(2.0, 3.0); // new index i' is old index 2i' - 3
  EXPECT_EQ(s->GetFactor(), 4.0);
  EXPECT_EQ(Offset(*s), -5.0);

  s = Linear(2.0, 1.0);
  s->Resample(-0.5, 4.0); // the sign of the step does not matter
  EXPECT_EQ(s->GetFactor(), 1.0);
  EXPECT_EQ(Offset(*s), 5.0);

  s = Linear(2.0, 1.0);
  s->Stretch(2.0, 0.0);
  EXPECT_EQ(s->GetFactor(), 1.0);
  EXPECT_EQ(Offset(*s), 1.0);

  s = Linear(2.0, 1.0);
  s->Stretch(0.5, 4.0);
  EXPECT_EQ(s->GetFactor(), 4.0);
  EXPECT_EQ(Offset(*s), -7.0);

  s = Linear(2.0, 1.0);
  s->Stretch(-2.0, 3.0); // the offset uses abs(s), the factor the signed s
  EXPECT_EQ(s->GetFactor(), -1.0);
  EXPECT_EQ(Offset(*s), 4.0);

  s = Linear(2.0, 1.0);
  s->MirrorSource(3.0);
  EXPECT_EQ(s->GetFactor(), -2.0);
  EXPECT_EQ(Offset(*s), 13.0);
  EXPECT_EQ(s->ToWorld(6.0 - 1.5), 2.0 * 1.5 + 1.0);
  s->MirrorSource(3.0);
  EXPECT_EQ(s->GetFactor(), 2.0);
  EXPECT_EQ(Offset(*s), 1.0);

  s = Linear(2.0, 1.0);
  s->MirrorWorld(5.0);
  EXPECT_EQ(s->GetFactor(), -2.0);
  EXPECT_EQ(Offset(*s), 9.0);
  s->MirrorWorld(5.0);
  EXPECT_EQ(s->GetFactor(), 2.0);
  EXPECT_EQ(Offset(*s), 1.0);

  s = Linear(2.0, 1.0);
  s->ShiftSource(1.5);
  EXPECT_EQ(s->GetFactor(), 2.0);
  EXPECT_EQ(Offset(*s), -2.0);
  EXPECT_EQ(s->ToWorld(1.5), 1.0);
}

TEST(ScaleLinear, StretchByZeroRaisesAndKeepsTheScale)
{
  ScalePtr s = Linear(2.0, 1.0);
  EXPECT_EQ(RaisedMessage([&] { s->Stretch(0.0, 5.0); }), "The stretching factor must not be 0.");
  EXPECT_EQ(RaisedMessage([&] { s->Stretch(-0.0, 5.0); }), "The stretching factor must not be 0.");
  EXPECT_EQ(s->GetFactor(), 2.0);
  EXPECT_EQ(Offset(*s), 1.0);
}

TEST(ScaleLinear, CloneIsDeep)
{
  ScalePtr s = Linear(2.5, -1.0, "[km/h]", "speed");
  ScalePtr c(s->Clone());
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->GetType(), E::ScaleLinear);
  EXPECT_EQ(c->GetFactor(), 2.5);
  EXPECT_EQ(Offset(*c), -1.0);
  EXPECT_EQ(c->GetDescription(), "speed");
  ASSERT_NE(c->GetUnit(), nullptr);
  EXPECT_NE(c->GetUnit(), s->GetUnit());
  EXPECT_EQ(c->GetUnit()->GetName(), "kilometers per hour");
  EXPECT_TRUE(c->IsEqual(s.get()));
  s.reset(); // the clone lives on with its own unit
  EXPECT_EQ(c->GetUnit()->GetSymbol(), "km/h");
}

TEST(ScaleLinear, UnitAndDescriptionSetters)
{
  ScalePtr s = Linear(1.0, 0.0, "mm");
  s->SetUnit("[ms]");
  EXPECT_EQ(s->GetUnit()->GetName(), "milliseconds");
  s->SetUnit("[whatever]");
  EXPECT_EQ(s->GetUnit()->GetSymbol(), "[whatever]");
  s->SetDescription("time");
  EXPECT_EQ(s->GetDescription(), "time");
}

TEST(ScaleEquality, DescriptionUnitAndValues)
{
  ScalePtr a = Linear(2.0, 1.0, "mm", "x");
  EXPECT_TRUE(a->IsEqual(a.get()));
  EXPECT_TRUE(a->IsEqual(Linear(2.0, 1.0, "[mm]", "x").get()));
  EXPECT_FALSE(a->IsEqual(Linear(2.0, 1.0, "mm", "y").get()));
  EXPECT_FALSE(a->IsEqual(Linear(2.0, 1.0, "mm", "x ").get()));
  EXPECT_FALSE(a->IsEqual(Linear(2.0, 1.0, "cm", "x").get()));
  // Units compare by symbol, not by class.
  ScalePtr freeText(Factory().CreateLinearScale(2.0, 1.0, E::UnitMisc, "x"));
  freeText->SetUnit("mm");
  EXPECT_TRUE(a->IsEqual(freeText.get()));
  ScalePtr misc = Linear(2.0, 1.0, "whatever", "x");
  ScalePtr sameText(misc->Clone());
  EXPECT_TRUE(misc->IsEqual(sameText.get()));

  EXPECT_FALSE(a->IsEqual(Linear(2.0, 1.5, "mm", "x").get()));
  EXPECT_FALSE(a->IsEqual(Linear(-2.0, 1.0, "mm", "x").get()));
  EXPECT_FALSE(a->IsEqual(nullptr));
  EXPECT_FALSE(a->IsEqual(Invalid().get()));
}

TEST(ScaleEquality, ClosenessIsOneSidedForLargeValues)
{
  // 1e16 + 2 is the next double after 1e16: the relative difference is below
  // the double epsilon, but this scale's value exceeds the other's by 2.
  const double small = 1e16;
  const double large = 1e16 + 2.0;
  ASSERT_EQ(large - small, 2.0);
  ScalePtr smallOffset = Linear(1.0, small);
  ScalePtr largeOffset = Linear(1.0, large);
  EXPECT_TRUE(smallOffset->IsEqual(largeOffset.get()));
  EXPECT_FALSE(largeOffset->IsEqual(smallOffset.get()));

  ScalePtr smallFactor = Linear(small, 0.0);
  ScalePtr largeFactor = Linear(large, 0.0);
  EXPECT_TRUE(smallFactor->IsEqual(largeFactor.get()));
  EXPECT_FALSE(largeFactor->IsEqual(smallFactor.get()));

  // Negative values compare by magnitude in the first test.
  ScalePtr negSmall = Linear(1.0, -small);
  ScalePtr negLarge = Linear(1.0, -large);
  EXPECT_TRUE(negSmall->IsEqual(negLarge.get()));
  EXPECT_FALSE(negLarge->IsEqual(negSmall.get()));
}

TEST(ScaleEquality, RelativeToleranceIsOneEpsilon)
{
  const double one = 1.0;
  const double next = std::nextafter(1.0, 2.0);
  const double further = std::nextafter(next, 2.0);
  EXPECT_TRUE(Linear(one, 0.0)->IsEqual(Linear(next, 0.0).get()));
  EXPECT_TRUE(Linear(next, 0.0)->IsEqual(Linear(one, 0.0).get()));
  EXPECT_FALSE(Linear(one, 0.0)->IsEqual(Linear(further, 0.0).get()));
  EXPECT_FALSE(Linear(further, 0.0)->IsEqual(Linear(one, 0.0).get()));
  // Both zero counts as close; zero against the smallest value does not.
  EXPECT_TRUE(Linear(0.0, 0.0)->IsEqual(Linear(0.0, -0.0).get()));
  EXPECT_FALSE(Linear(1.0, 0.0)->IsEqual(Linear(1.0, std::numeric_limits<double>::denorm_min()).get()));
}

TEST(ScaleEquality, MissingUnits)
{
  const auto noUnit = []
  { return ScalePtr(Factory().CreateLinearScale(1.0, 0.0, static_cast<E::E_UnitType>(29), "")); };
  ScalePtr a = noUnit();
  ScalePtr b = noUnit();
  ScalePtr withUnit(Factory().CreateLinearScale(1.0, 0.0, E::UnitMisc, ""));
  EXPECT_TRUE(a->IsEqual(b.get()));
  EXPECT_FALSE(a->IsEqual(withUnit.get()));
  EXPECT_FALSE(withUnit->IsEqual(a.get()));
}

TEST(ScaleInvalid, MapsToZeroAndIgnoresChanges)
{
  ScalePtr s = Invalid();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetType(), E::ScaleInvalid);
  EXPECT_EQ(s->GetUnit(), nullptr);
  EXPECT_EQ(s->GetDescription(), "");
  EXPECT_EQ(s->ToWorld(3.0), 0.0);
  EXPECT_EQ(s->ToSource(3.0), 0.0);
  EXPECT_EQ(s->GetFactor(), 0.0);
  EXPECT_EQ(s->GetMonotony(), 0);
  EXPECT_FALSE(s->IsIncreasing());
  EXPECT_FALSE(s->IsDecreasing());
  EXPECT_EQ(s->Clone(), nullptr);
  EXPECT_FALSE(s->IsEqual(s.get()));
  EXPECT_FALSE(s->IsEqual(Invalid().get()));
  EXPECT_FALSE(s->IsEqual(Linear(1.0, 0.0).get()));
  EXPECT_FALSE(Linear(0.0, 0.0, "", "")->IsEqual(s.get()));

  EXPECT_NO_THROW(s->Stretch(0.0, 1.0));
  s->Resample(2.0, 1.0);
  s->MirrorSource(1.0);
  s->MirrorWorld(1.0);
  s->ShiftSource(1.0);
  EXPECT_EQ(s->ToWorld(3.0), 0.0);

  s->SetUnit("mm");
  EXPECT_EQ(s->GetUnit()->GetName(), "millimeters");
  s->SetDescription("gone");
  EXPECT_EQ(s->GetDescription(), "gone");
}

TEST(ScaleFactory, CreateScaleByType)
{
  EXPECT_EQ(Factory().CreateScale(static_cast<E::E_ScaleType>(7), C_ScaleParam(nullptr, "")), nullptr);
  EXPECT_EQ(RaisedMessage([] { delete Factory().CreateScale(E::ScaleLinear, C_ScaleParam(nullptr, "")); }),
            "Wrong parameter type, linear scale could not be created.");

  // The linear creator takes over the parameter's unit rather than copying it.
  I_Unit* unit = new C_UnitLengthMM;
  ScalePtr s(Factory().CreateScale(E::ScaleLinear, C_ScaleLinearParam(unit, "d", 3.0, -1.0)));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetUnit(), unit);
  EXPECT_EQ(s->GetFactor(), 3.0);
  EXPECT_EQ(Offset(*s), -1.0);
  EXPECT_EQ(s->GetDescription(), "d");
}

namespace
{
I_Scale* CreateNothing(const C_ScaleParam&)
{
  return nullptr;
}

I_Scale* CreateThrowing(const C_ScaleParam&)
{
  throw RTE::Exception(QStringLiteral("creator failed"));
}

//! Puts the library's linear creator back whatever a test did to it.
struct RestoreLinearCreator
{
  ~RestoreLinearCreator()
  {
    C_ScaleFactory::GetInstance().UnregisterObject(I_ScaleEnums::ScaleLinear);
    C_ScaleFactory::GetInstance().Register(I_ScaleEnums::ScaleLinear, &CreateScaleLinear);
  }
};
} // namespace

TEST(ScaleFactory, RegisterKeepsTheFirstCreator)
{
  EXPECT_FALSE(Factory().Register(E::ScaleLinear, &CreateNothing));
  ScalePtr s = Linear(1.0, 0.0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetType(), E::ScaleLinear);
}

TEST(ScaleFactory, WithoutLinearCreator)
{
  RestoreLinearCreator restore;
  ASSERT_TRUE(Factory().UnregisterObject(E::ScaleLinear));
  EXPECT_FALSE(Factory().UnregisterObject(E::ScaleLinear));
  // Null results; the looked-up units must not leak (checked by the sanitizer run).
  EXPECT_EQ(Factory().CreateLinearScale(1.0, 0.0, "mm", ""), nullptr);
  EXPECT_EQ(Factory().CreateLinearScale(1.0, 0.0, E::UnitMisc, ""), nullptr);
  EXPECT_EQ(Factory().CreateLinearScale(0.0, 1.0, 0.0, 1.0, "pixel", ""), nullptr);
  EXPECT_EQ(Factory().CreateLinearScale(0.0, 1.0, 0.0, 1.0, E::UnitTimeS, ""), nullptr);

  // A creator that makes nothing leaves the unit to the factory to release.
  ASSERT_TRUE(Factory().Register(E::ScaleLinear, &CreateNothing));
  EXPECT_EQ(Factory().CreateLinearScale(1.0, 0.0, "mm", ""), nullptr);

  ASSERT_TRUE(Factory().UnregisterObject(E::ScaleLinear));
  ASSERT_TRUE(Factory().Register(E::ScaleLinear, &CreateScaleLinear));
  EXPECT_NE(Linear(1.0, 0.0), nullptr);
}

TEST(ScaleFactory, ThrowingCreatorReleasesLockAndUnit)
{
  const auto type = static_cast<E::E_ScaleType>(5);
  ASSERT_TRUE(Factory().Register(type, &CreateThrowing));
  EXPECT_EQ(RaisedMessage([&] { delete Factory().CreateScale(type, C_ScaleParam(nullptr, "")); }), "creator failed");
  // The factory is usable afterwards: a lock left held would block here.
  EXPECT_TRUE(Factory().UnregisterObject(type));

  RestoreLinearCreator restore;
  ASSERT_TRUE(Factory().UnregisterObject(E::ScaleLinear));
  ASSERT_TRUE(Factory().Register(E::ScaleLinear, &CreateThrowing));
  EXPECT_EQ(RaisedMessage([] { delete Factory().CreateLinearScale(1.0, 0.0, "mm", ""); }), "creator failed");
  EXPECT_EQ(RaisedMessage([] { delete Factory().CreateLinearScale(1.0, 0.0, E::UnitLengthKM, ""); }), "creator failed");
}
