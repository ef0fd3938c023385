#include "C_ScaleLinear.h"
#include "C_UnitRegistry.h"
#include "FrameTestHelpers.h"

#include <BufferApi/C_ScaleFactory.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <utility>

using namespace BufferApi;
using FrameTestHelpers::MessageOf;

namespace
{
using ScalePtr = std::unique_ptr<I_Scale>;
using E = I_ScaleEnums;

std::string RaisedBy(const std::function<void()>& action)
{
  return MessageOf<RTE::Exception>(action);
}

C_ScaleFactory& Factory()
{
  return C_ScaleFactory::GetInstance();
}

ScalePtr Linear(double factor, double offset, const std::string& unit = "mm", const std::string& description = "")
{
  return ScalePtr(Factory().CreateLinearScale(factor, offset, unit, description));
}

ScalePtr NoUnit()
{
  return ScalePtr(Factory().CreateLinearScale(1.0, 0.0, static_cast<E::E_UnitType>(29), ""));
}

ScalePtr Invalid()
{
  return ScalePtr(Factory().CreateScale(E::ScaleInvalid, C_ScaleParam(nullptr, "ignored")));
}

using Line = std::pair<double, double>;

//! Factor and offset of a scale, the offset read as the world value of source 0.
Line LineOf(const I_Scale& scale)
{
  return {scale.GetFactor(), scale.ToWorld(0.0)};
}

std::string Monotony(const I_Scale& scale)
{
  return std::to_string(scale.GetMonotony()) + (scale.IsIncreasing() ? " increasing" : "") +
         (scale.IsDecreasing() ? " decreasing" : "");
}
} // namespace

TEST(ScaleLinear, MapsBothWaysWithItsMonotony)
{
  ScalePtr scale = Linear(2.0, 1.0, "mm", "length");
  EXPECT_EQ(scale->ToWorld(3.0), 7.0);
  EXPECT_EQ(scale->ToSource(7.0), 3.0);
  EXPECT_EQ(Linear(-0.5, 0.0)->ToSource(2.0), -4.0);
  // Factor 0 does not divide: ToSource only removes the offset.
  EXPECT_EQ(Linear(0.0, 2.0)->ToSource(5.0), 3.0);

  EXPECT_EQ(Monotony(*scale), "4 increasing");
  EXPECT_EQ(Monotony(*Linear(-0.5, 1.0)), "1 decreasing");
  EXPECT_EQ(Monotony(*Linear(0.0, 1.0)), "0");
}

TEST(ScaleLinear, UnitsFromTextsAndCodes)
{
  for (const std::string text : {"counts", "pixel", "[pixel]", ""})
  {
    ScalePtr scale = Linear(1.0, 0.0, text);
    ASSERT_NE(dynamic_cast<C_UnitMisc*>(scale->GetUnit()), nullptr);
    EXPECT_EQ(scale->GetUnit()->GetSymbol(), text);
  }
  ScalePtr none = NoUnit();
  EXPECT_EQ(none->GetUnit(), nullptr);
  EXPECT_EQ(ScalePtr(none->Clone())->GetUnit(), nullptr);

  ScalePtr s = Linear(1.0, 0.0, "mm");
  s->SetUnit("[ms]");
  EXPECT_EQ(s->GetUnit()->GetName(), "milliseconds");
}

TEST(ScaleLinear, TwoPointCreation)
{
  const struct
  {
    double source1, source2, world1, world2;
    Line line;
  } rows[] = {
      {0.0, 10.0, 5.0, 25.0, {2.0, 5.0}},
      {4.0, 2.0, 1.0, 2.0, {-0.5, 3.0}},
      // Coinciding sources: identity.
      {3.0, 3.0, 7.0, 9.0, {1.0, 0.0}},
      // Coinciding worlds: factor 1, offset chosen so that source1 maps to world1.
      {2.0, 6.0, 10.0, 10.0, {1.0, 8.0}},
      {0.0, 1.0, 4.0, 4.0 + 1e-31, {1.0, 4.0}},
  };
  for (const auto& row : rows)
  {
    ScalePtr s(Factory().CreateLinearScale(row.source1, row.source2, row.world1, row.world2, "m", ""));
    EXPECT_EQ(LineOf(*s), row.line) << row.source1 << " " << row.source2;
  }
}

TEST(ScaleLinear, GeometricOperations)
{
  // Each starts from world = 2 * source + 1.
  const struct
  {
    const char* what;
    std::function<void(I_Scale&)> apply;
    Line line;
  } rows[] = {
      {"resample", [](I_Scale& s) { s.Resample(2.0, 3.0); }, {4.0, -5.0}},
      {"resample, sign of the step ignored", [](I_Scale& s) { s.Resample(-0.5, 4.0); }, {1.0, 5.0}},
      {"stretch", [](I_Scale& s) { s.Stretch(2.0, 0.0); }, {1.0, 1.0}},
      // The offset uses abs(s), the factor the signed s.
      {"negative stretch", [](I_Scale& s) { s.Stretch(-2.0, 3.0); }, {-1.0, 4.0}},
      {"mirror source", [](I_Scale& s) { s.MirrorSource(3.0); }, {-2.0, 13.0}},
      {"mirror world", [](I_Scale& s) { s.MirrorWorld(5.0); }, {-2.0, 9.0}},
      {"shift", [](I_Scale& s) { s.ShiftSource(1.5); }, {2.0, -2.0}},
  };
  for (const auto& row : rows)
  {
    ScalePtr s = Linear(2.0, 1.0);
    row.apply(*s);
    EXPECT_EQ(LineOf(*s), row.line) << row.what;
  }

  ScalePtr s = Linear(2.0, 1.0);
  for (double zero : {0.0, -0.0})
    EXPECT_EQ(RaisedBy([&] { s->Stretch(zero, 5.0); }), "The stretching factor must not be 0.");
  EXPECT_EQ(LineOf(*s), (Line{2.0, 1.0}));
}

TEST(ScaleLinear, CloneIsDeep)
{
  ScalePtr s = Linear(2.5, -1.0, "[km/h]", "speed");
  ScalePtr c(s->Clone());
  EXPECT_EQ(LineOf(*c), (Line{2.5, -1.0}));
  EXPECT_NE(c->GetUnit(), s->GetUnit());
  EXPECT_TRUE(c->IsEqual(s.get()));
  s.reset(); // the clone lives on with its own unit
  EXPECT_EQ(c->GetUnit()->GetName(), "kilometers per hour");
}

TEST(ScaleEquality, DescriptionUnitAndValues)
{
  ScalePtr a = Linear(2.0, 1.0, "mm", "x");
  EXPECT_TRUE(a->IsEqual(Linear(2.0, 1.0, "[mm]", "x").get()));
  EXPECT_FALSE(a->IsEqual(Linear(2.0, 1.0, "mm", "y").get()));
  EXPECT_FALSE(a->IsEqual(Linear(2.0, 1.0, "cm", "x").get()));
  EXPECT_FALSE(a->IsEqual(Linear(2.0, 1.5, "mm", "x").get()));
  EXPECT_FALSE(a->IsEqual(nullptr));
  EXPECT_FALSE(a->IsEqual(Invalid().get()));
  // Units compare by symbol, not by class.
  ScalePtr freeText(Factory().CreateLinearScale(2.0, 1.0, E::UnitMisc, "x"));
  freeText->SetUnit("mm");
  EXPECT_TRUE(a->IsEqual(freeText.get()));
  // Missing units are equal only to each other.
  ScalePtr withUnit(Factory().CreateLinearScale(1.0, 0.0, E::UnitMisc, ""));
  EXPECT_TRUE(NoUnit()->IsEqual(NoUnit().get()));
  EXPECT_FALSE(NoUnit()->IsEqual(withUnit.get()));
  EXPECT_FALSE(withUnit->IsEqual(NoUnit().get()));
}

TEST(ScaleEquality, ClosenessIsOneEpsilonAndOneSidedForLargeValues)
{
  // 1e16 + 2 is the next double after 1e16: the relative difference is below
  // the double epsilon, but the larger value exceeds the other by 2.
  const double small = 1e16;
  const double large = 1e16 + 2.0;
  ASSERT_EQ(large - small, 2.0);
  const double next = std::nextafter(1.0, 2.0);
  const double further = std::nextafter(next, 2.0);
  // Each row: a against b, then b against a.
  const struct
  {
    double factorA, offsetA, factorB, offsetB;
    bool aEqualsB, bEqualsA;
  } rows[] = {
      {1.0, small, 1.0, large, true, false},
      {small, 0.0, large, 0.0, true, false},
      // Negative values compare by magnitude in the first test.
      {1.0, -small, 1.0, -large, true, false},
      {1.0, 0.0, next, 0.0, true, true},
      {1.0, 0.0, further, 0.0, false, false},
      // Both zero counts as close; zero against the smallest value does not.
      {0.0, 0.0, 0.0, -0.0, true, true},
      {1.0, 0.0, 1.0, std::numeric_limits<double>::denorm_min(), false, false},
  };
  for (const auto& row : rows)
  {
    ScalePtr a = Linear(row.factorA, row.offsetA);
    ScalePtr b = Linear(row.factorB, row.offsetB);
    EXPECT_EQ(a->IsEqual(b.get()), row.aEqualsB) << row.factorA << " " << row.offsetA;
    EXPECT_EQ(b->IsEqual(a.get()), row.bEqualsA) << row.factorA << " " << row.offsetA;
  }
}

TEST(ScaleInvalid, MapsToZeroAndIgnoresChanges)
{
  ScalePtr s = Invalid();
  EXPECT_EQ(s->GetType(), E::ScaleInvalid);
  EXPECT_EQ(s->ToSource(3.0), 0.0);
  EXPECT_EQ(s->Clone(), nullptr);
  EXPECT_FALSE(s->IsEqual(s.get()));
  EXPECT_FALSE(s->IsEqual(Linear(1.0, 0.0).get()));

  EXPECT_NO_THROW(s->Stretch(0.0, 1.0));
  s->Resample(2.0, 1.0);
  EXPECT_EQ(s->ToWorld(3.0), 0.0);
  s->SetUnit("mm");
  EXPECT_EQ(s->GetUnit()->GetName(), "millimeters");
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

TEST(ScaleFactory, CreateScaleByTypeAndRegistration)
{
  EXPECT_EQ(Factory().CreateScale(static_cast<E::E_ScaleType>(7), C_ScaleParam(nullptr, "")), nullptr);
  EXPECT_EQ(RaisedBy([] { delete Factory().CreateScale(E::ScaleLinear, C_ScaleParam(nullptr, "")); }),
            "Wrong parameter type, linear scale could not be created.");

  // The linear creator takes over the parameter's unit rather than copying it.
  I_Unit* unit = new C_UnitLengthMM;
  ScalePtr s(Factory().CreateScale(E::ScaleLinear, C_ScaleLinearParam(unit, "d", 3.0, -1.0)));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetUnit(), unit);

  // Registering again keeps the first creator.
  EXPECT_FALSE(Factory().Register(E::ScaleLinear, &CreateNothing));
  ASSERT_NE(Linear(1.0, 0.0), nullptr);
}

TEST(ScaleFactory, WithoutLinearCreator)
{
  RestoreLinearCreator restore;
  ASSERT_TRUE(Factory().UnregisterObject(E::ScaleLinear));
  EXPECT_FALSE(Factory().UnregisterObject(E::ScaleLinear));
  // Null results; the looked-up units must not leak (checked by the sanitizer run).
  EXPECT_EQ(Factory().CreateLinearScale(1.0, 0.0, "mm", ""), nullptr);
  EXPECT_EQ(Factory().CreateLinearScale(0.0, 1.0, 0.0, 1.0, "pixel", ""), nullptr);

  // A creator that makes nothing leaves the unit to the factory to release.
  ASSERT_TRUE(Factory().Register(E::ScaleLinear, &CreateNothing));
  EXPECT_EQ(Factory().CreateLinearScale(1.0, 0.0, "mm", ""), nullptr);
}

TEST(ScaleFactory, ThrowingCreatorReleasesLockAndUnit)
{
  const auto type = static_cast<E::E_ScaleType>(5);
  ASSERT_TRUE(Factory().Register(type, &CreateThrowing));
  EXPECT_EQ(RaisedBy([&] { delete Factory().CreateScale(type, C_ScaleParam(nullptr, "")); }), "creator failed");
  // The factory is usable afterwards: a lock left held would block here.
  EXPECT_TRUE(Factory().UnregisterObject(type));

  RestoreLinearCreator restore;
  ASSERT_TRUE(Factory().UnregisterObject(E::ScaleLinear));
  ASSERT_TRUE(Factory().Register(E::ScaleLinear, &CreateThrowing));
  EXPECT_EQ(RaisedBy([] { delete Factory().CreateLinearScale(1.0, 0.0, "mm", ""); }), "creator failed");
}
