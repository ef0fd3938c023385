#include <BufferApi.h>

#include "C_FrameVector2C.h"
#include "C_FrameVector3C.h"
#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace BufferApi;
using FrameTestHelpers::MessageOf;

namespace
{
std::vector<std::string> Names(const I_Frame& frame)
{
  std::vector<std::string> names;
  for (unsigned i = 0; i < frame.GetNumberOfComponents(); ++i)
  {
    names.push_back(frame.GetComponentName(static_cast<int>(i)));
  }
  return names;
}

//! True when every element of plane z of the named component equals value.
bool AllEqual(const I_Frame& frame, const std::string& name, unsigned z, double value)
{
  const I_PlaneBase* plane = frame.GetPlane(frame.GetComponentIndex(name), z);
  if (plane == nullptr)
  {
    return false;
  }
  for (unsigned y = 0; y < plane->GetHeight(); ++y)
  {
    for (unsigned x = 0; x < plane->GetWidth(); ++x)
    {
      if (plane->GetValue(x, y) != value)
      {
        return false;
      }
    }
  }
  return true;
}

std::string UnitOf(const I_Scale* scale)
{
  return scale != nullptr && scale->GetUnit() != nullptr ? scale->GetUnit()->GetSymbol() : "<none>";
}

const char* const kNotAllowed = "Changing of data type of this component now allowed.";
const char* const kNotDeletable = "This component must not be deleted.";
} // namespace

TEST(FrameVector, ConstantsHaveTheirNames)
{
  EXPECT_EQ(I_FrameVector::COMPONENT_U, "U");
  EXPECT_EQ(I_FrameVector::COMPONENT_V, "V");
  EXPECT_EQ(I_FrameVector::COMPONENT_W, "W");
  EXPECT_EQ(I_FrameVector::COMPONENT_ACTIVE_CHOICE, "ACTIVE_CHOICE");
  EXPECT_EQ(I_FrameVector::COMPONENT_ENABLED, "ENABLED");
  EXPECT_EQ(I_FrameVector2C::FT_VECTOR_2C, "FT_VECTOR_2C");
  EXPECT_EQ(I_FrameVector3C::FT_VECTOR_3C, "FT_VECTOR_3C");
  EXPECT_EQ(VA_Disabled, 0);
  EXPECT_EQ(VA_Choice4, 4);
  EXPECT_EQ(VA_Choice4Alt2, 6);
}

TEST(FrameVector, NewFrameListsChoicesThenActiveChoiceAndEnabled)
{
  C_FrameVector2C frame(4, 3, 2, DT_Float, 3);
  EXPECT_EQ(Names(frame), (std::vector<std::string>{"U0", "V0", "U1", "V1", "U2", "V2", "ACTIVE_CHOICE", "ENABLED"}));
  EXPECT_EQ(frame.GetFrameType(), "FT_VECTOR_2C");
  EXPECT_EQ(frame.GetNumberOfChoices(), 3u);
  EXPECT_EQ(frame.GetDataType(), DT_Float);
  EXPECT_EQ(frame.GetComponentDataType(frame.GetComponentIndex("ACTIVE_CHOICE")), DT_Int32);
  EXPECT_EQ(frame.GetComponentDataType(frame.GetComponentIndex("ENABLED")), DT_UInt8);
  EXPECT_EQ(frame.GetGridX(), 1u);
  EXPECT_EQ(frame.GetGridY(), 1u);
  EXPECT_EQ(frame.GetGridZ(), 1u);
  for (unsigned z = 0; z < 2; ++z)
  {
    EXPECT_TRUE(AllEqual(frame, "ACTIVE_CHOICE", z, 0.0));
    EXPECT_TRUE(AllEqual(frame, "ENABLED", z, 0.0));
    EXPECT_TRUE(AllEqual(frame, "U2", z, 0.0));
  }
  EXPECT_FALSE(frame.IsEnabled(0, 0, 0));
  EXPECT_TRUE(frame.HasValidChoice(0, 0, 0));
  // Vector components carry "pixel" values, the others the usual "counts".
  EXPECT_EQ(UnitOf(frame.GetComponent("V2")->GetScale()), "pixel");
  EXPECT_EQ(frame.GetComponent("V2")->GetScale()->GetFactor(), 1.0);
  EXPECT_EQ(UnitOf(frame.GetComponent("ENABLED")->GetScale()), "counts");
  EXPECT_EQ(UnitOf(frame.GetScaleI()), "pixel");
  EXPECT_FALSE(frame.HasMask());

  std::unique_ptr<C_FrameBaseParam> param(frame.CreateFrameParam());
  const auto* vectorParam = dynamic_cast<const C_FrameVectorParam*>(param.get());
  ASSERT_NE(vectorParam, nullptr);
  EXPECT_EQ(vectorParam->GetWidth(), 4u);
  EXPECT_EQ(vectorParam->GetHeight(), 3u);
  EXPECT_EQ(vectorParam->GetDepth(), 2u);
  EXPECT_EQ(vectorParam->GetDataType(), DT_Float);
  EXPECT_EQ(vectorParam->GetNumberOfChoices(), 3u);
}

TEST(FrameVector, ThreeComponentFrameAppendsWAfterEnabled)
{
  C_FrameVector3C frame(2, 2, 1, DT_Double, 2);
  EXPECT_EQ(Names(frame), (std::vector<std::string>{"U0", "V0", "U1", "V1", "ACTIVE_CHOICE", "ENABLED", "W0", "W1"}));
  EXPECT_EQ(frame.GetFrameType(), "FT_VECTOR_3C");
  EXPECT_EQ(frame.GetComponentDataType(frame.GetComponentIndex("W1")), DT_Double);
  EXPECT_EQ(UnitOf(frame.GetComponent("W1")->GetScale()), "pixel");
  EXPECT_EQ(frame.GetComponent("W"), frame.GetComponent("W0"));
}

TEST(FrameVector, FailedConstructionRaisesAndKeepsNothing)
{
  EXPECT_EQ(MessageOf<RTE::Exception>([] { C_FrameVector2C frame(2, 2, 1, DT_Float, 0); }),
            "Can not create a vector frame with less than one choice.");
  EXPECT_EQ(MessageOf<RTE::Exception>([] { C_FrameVector3C frame(2, 2, 1, DT_Float, 0); }),
            "Can not create a vector frame with less than one choice.");
  // No plane holds bool elements: U0 cannot be made. The sanitizer run checks
  // that the frame part built before is released.
  EXPECT_EQ(MessageOf<RTE::Exception>([] { C_FrameVector2C frame(2, 2, 3, DT_Bool, 2); }),
            "The U-component could not be created.");
  EXPECT_EQ(MessageOf<RTE::Exception>([] { C_FrameVector3C frame(2, 2, 3, DT_Bool, 2); }),
            "The U-component could not be created.");
}

TEST(FrameVector, ShortNamesFallBackToChoiceZero)
{
  C_FrameVector2C frame(2, 2, 1, DT_Float, 3);
  EXPECT_EQ(frame.GetComponent("V"), frame.GetComponent(1));
  EXPECT_EQ(frame.GetComponent("V1"), frame.GetComponent(3));
  EXPECT_EQ(frame.GetComponentIndex("U"), 0);
  EXPECT_EQ(frame.GetComponentIndex("U7"), -1);
  EXPECT_EQ(frame.GetComponent("U7"), nullptr);
  EXPECT_EQ(frame.GetComponent("W"), nullptr);
  EXPECT_EQ(frame.GetComponentIndex("u"), -1);
  EXPECT_EQ(frame.GetChoiceComponentIndex("V", 2), 5);
  EXPECT_EQ(frame.GetChoiceComponentIndex("V", 3), -1);
  EXPECT_EQ(frame.GetChoiceComponent("U", 2), frame.GetComponent(4));
  EXPECT_EQ(frame.GetChoiceComponent("ENABLED", 0), nullptr);
  // The exact name wins over the fallback.
  frame.CreateComponent("Q", DT_Float);
  frame.CreateComponent("Q0", DT_Float);
  EXPECT_EQ(frame.GetComponentIndex("Q"), 8);
}

TEST(FrameVector, ActiveChoiceAndEnabledStayInsideTheFrame)
{
  C_FrameVector2C frame(3, 2, 2, DT_Float, 2);
  frame.SetActiveChoice(2, 1, 1, 1);
  EXPECT_EQ(frame.GetActiveChoice(2, 1, 1), 1);
  EXPECT_EQ(frame.GetActiveChoice(2, 1, 0), 0);
  frame.SetActiveChoice(0, 0, 0, -1);
  EXPECT_FALSE(frame.HasValidChoice(0, 0, 0));
  EXPECT_TRUE(frame.HasValidChoice(2, 1, 1));
  EXPECT_FALSE(frame.HasValidChoice(3, 0, 0));
  EXPECT_FALSE(frame.HasValidChoice(0, 2, 0));
  EXPECT_FALSE(frame.HasValidChoice(0, 0, 2));
  EXPECT_FALSE(frame.HasValidChoice(0xFFFFFFFFu, 0, 0));

  // Writes outside are ignored, reads outside give 0.
  frame.SetActiveChoice(3, 0, 0, 5);
  frame.SetActiveChoice(0, 0, 2, 5);
  EXPECT_EQ(frame.GetActiveChoice(3, 0, 0), 0);
  EXPECT_EQ(frame.GetActiveChoice(0, 0, 2), 0);

  frame.SetEnabled(1, 1, 1, true);
  EXPECT_TRUE(frame.IsEnabled(1, 1, 1));
  EXPECT_FALSE(frame.IsEnabled(1, 1, 0));
  frame.SetEnabled(1, 1, 1, false);
  EXPECT_FALSE(frame.IsEnabled(1, 1, 1));
  frame.SetEnabled(0, 0, 2, true);
  frame.SetEnabled(5, 0, 0, true);
  EXPECT_FALSE(frame.IsEnabled(0, 0, 2));
  EXPECT_FALSE(frame.IsEnabled(5, 0, 0));
  EXPECT_TRUE(AllEqual(frame, "ENABLED", 0, 0.0));

  frame.SetGridX(8);
  frame.SetGridY(16);
  frame.SetGridZ(2);
  EXPECT_EQ(frame.GetGridX(), 8u);
  EXPECT_EQ(frame.GetGridY(), 16u);
  EXPECT_EQ(frame.GetGridZ(), 2u);
}

TEST(FrameVector, VectorsAreReadAndWrittenPerChoiceWithinBounds)
{
  C_FrameVector2C frame(3, 2, 2, DT_Float, 2);
  frame.SetVector(2, 1, 1, 1.5, -2.5, 1);
  double u = 9.0;
  double v = 9.0;
  frame.GetVector(2, 1, 1, u, v, 1);
  EXPECT_EQ(u, 1.5);
  EXPECT_EQ(v, -2.5);
  EXPECT_EQ(frame.GetValue(frame.GetComponentIndex("U1"), 2, 1, 1), 1.5);
  frame.GetVector(2, 1, 1, u, v, 0);
  EXPECT_EQ(u, 0.0);
  EXPECT_EQ(v, 0.0);
  // Active choice and enabled flag are not touched.
  EXPECT_EQ(frame.GetActiveChoice(2, 1, 1), 0);
  EXPECT_FALSE(frame.IsEnabled(2, 1, 1));

  for (const auto& at : std::vector<std::vector<unsigned>>{{3, 1, 1, 1}, {2, 2, 1, 1}, {2, 1, 2, 1}, {2, 1, 1, 2}})
  {
    u = v = 9.0;
    frame.GetVector(at[0], at[1], at[2], u, v, at[3]);
    EXPECT_EQ(u, 0.0);
    EXPECT_EQ(v, 0.0);
    frame.SetVector(at[0], at[1], at[2], 7.0, 7.0, at[3]);
  }
  EXPECT_TRUE(AllEqual(frame, "U0", 0, 0.0));
  EXPECT_TRUE(AllEqual(frame, "V0", 1, 0.0));

  // Values are clamped to the element type.
  C_FrameVector2C bytes(2, 2, 1, DT_UInt8, 1);
  bytes.SetVector(0, 0, 0, 300.0, -4.0, 0);
  bytes.GetVector(0, 0, 0, u, v, 0);
  EXPECT_EQ(u, 255.0);
  EXPECT_EQ(v, 0.0);
}

TEST(FrameVector, ThreeComponentVectorsIncludeW)
{
  C_FrameVector3C frame(2, 2, 1, DT_Float, 2);
  frame.SetVector(1, 1, 0, 1.0, 2.0, 3.0, 1);
  double u = 0.0;
  double v = 0.0;
  double w = 0.0;
  frame.GetVector(1, 1, 0, u, v, w, 1);
  EXPECT_EQ(u, 1.0);
  EXPECT_EQ(v, 2.0);
  EXPECT_EQ(w, 3.0);
  EXPECT_EQ(frame.GetValue(frame.GetComponentIndex("W1"), 1, 1, 0), 3.0);
  frame.GetVector(1, 1, 0, u, v, w, 2);
  EXPECT_EQ(w, 0.0);
  frame.GetVector(1, 2, 0, u, v, w, 1);
  EXPECT_EQ(u, 0.0);
  EXPECT_EQ(w, 0.0);
  frame.SetVector(0, 0, 1, 5.0, 5.0, 5.0, 0);
  EXPECT_TRUE(AllEqual(frame, "W0", 0, 0.0));
}

TEST(FrameVector, FillAndClearWorkOnChoiceZeroOnly)
{
  C_FrameVector2C frame(3, 2, 2, DT_Float, 2);
  frame.SetVector(1, 1, 1, 4.0, 4.0, 1);
  frame.SetActiveChoice(0, 0, 1, 1);
  frame.Fill(2.5);
  for (unsigned z = 0; z < 2; ++z)
  {
    EXPECT_TRUE(AllEqual(frame, "U0", z, 2.5));
    EXPECT_TRUE(AllEqual(frame, "V0", z, 2.5));
    EXPECT_TRUE(AllEqual(frame, "ACTIVE_CHOICE", z, 0.0));
    EXPECT_TRUE(AllEqual(frame, "ENABLED", z, 1.0));
  }
  double u = 0.0;
  double v = 0.0;
  frame.GetVector(1, 1, 1, u, v, 1);
  EXPECT_EQ(u, 4.0);

  frame.Fill(0.0);
  for (unsigned z = 0; z < 2; ++z)
  {
    EXPECT_TRUE(AllEqual(frame, "U0", z, 0.0));
    EXPECT_TRUE(AllEqual(frame, "ENABLED", z, 0.0));
  }
  frame.GetVector(1, 1, 1, u, v, 1);
  EXPECT_EQ(v, 4.0);

  frame.Fill(1.0);
  frame.SetActiveChoice(2, 1, 0, 1);
  frame.Clear();
  EXPECT_TRUE(AllEqual(frame, "V0", 1, 0.0));
  EXPECT_TRUE(AllEqual(frame, "ACTIVE_CHOICE", 0, 0.0));
  EXPECT_FALSE(frame.IsEnabled(2, 1, 0));
  EXPECT_TRUE(AllEqual(frame, "U1", 0, 0.0));
  frame.GetVector(1, 1, 1, u, v, 1);
  EXPECT_EQ(u, 4.0);

  C_FrameVector3C frame3(2, 2, 2, DT_Float, 2);
  frame3.Fill(-1.0);
  EXPECT_TRUE(AllEqual(frame3, "W0", 1, -1.0));
  EXPECT_TRUE(AllEqual(frame3, "W1", 1, 0.0));
  EXPECT_TRUE(AllEqual(frame3, "ENABLED", 1, 1.0));
  frame3.Clear();
  EXPECT_TRUE(AllEqual(frame3, "W0", 1, 0.0));
  EXPECT_TRUE(AllEqual(frame3, "ENABLED", 1, 0.0));
}

TEST(FrameVector, SetScaleIGivesEveryVectorComponentItsOwnClone)
{
  C_FrameVector3C frame(2, 2, 1, DT_Float, 2);
  frame.SetScaleI(C_ScaleFactory::GetInstance().CreateLinearScale(0.5, 1.0, std::string("m/s"), "velocity"));
  std::vector<const I_Scale*> seen;
  for (const char* name : {"U0", "V0", "U1", "V1", "W0", "W1"})
  {
    const I_Scale* scale = frame.GetComponent(name)->GetScale();
    ASSERT_NE(scale, nullptr) << name;
    EXPECT_EQ(scale->GetFactor(), 0.5) << name;
    EXPECT_EQ(scale->GetDescription(), "velocity") << name;
    for (const I_Scale* other : seen)
    {
      EXPECT_NE(scale, other) << name;
    }
    seen.push_back(scale);
  }
  EXPECT_EQ(frame.GetScaleI(), frame.GetComponent("U0")->GetScale());
  EXPECT_EQ(UnitOf(frame.GetComponent("ENABLED")->GetScale()), "counts");
  EXPECT_EQ(UnitOf(frame.GetComponent("ACTIVE_CHOICE")->GetScale()), "counts");
}

TEST(FrameVector, SetScaleIWithoutVectorComponentsRaises)
{
  // The U family may be deleted by name; the frame then has no vector data.
  C_FrameVector2C frame(2, 2, 1, DT_Float, 2);
  frame.DeleteChoiceComponent("U");
  EXPECT_EQ(Names(frame), (std::vector<std::string>{"V0", "V1", "ACTIVE_CHOICE", "ENABLED"}));
  EXPECT_EQ(MessageOf<RTE::Exception>(
                [&]
                { frame.SetScaleI(C_ScaleFactory::GetInstance().CreateLinearScale(2.0, 0.0, std::string("m"), "")); }),
            "The vector frame has no vector component!");
  EXPECT_EQ(frame.GetScaleI(), nullptr);
  EXPECT_EQ(frame.GetDataType(), DT_Bool);
  double u = 1.0;
  double v = 1.0;
  frame.GetVector(0, 0, 0, u, v, 0);
  EXPECT_EQ(v, 0.0);
  frame.Fill(3.0);
  EXPECT_TRUE(AllEqual(frame, "V0", 0, 3.0));
  // The deleted family is no longer protected by stale pointers; re-adding it
  // makes it vector data again.
  frame.AddChoiceComponent("U", DT_Float);
  EXPECT_EQ(frame.GetDataType(), DT_Float);
  EXPECT_FALSE(frame.IsComponentDeletable(static_cast<unsigned>(frame.GetComponentIndex("U1"))));

  C_FrameVector3C frame3(2, 2, 1, DT_Float, 1);
  frame3.DeleteChoiceComponent("W");
  EXPECT_EQ(MessageOf<RTE::Exception>(
                [&]
                { frame3.SetScaleI(C_ScaleFactory::GetInstance().CreateLinearScale(2.0, 0.0, std::string("m"), "")); }),
            "The vector frame has no vector component!");
  EXPECT_EQ(UnitOf(frame3.GetScaleI()), "pixel");
}

TEST(FrameVector, ProtectedComponentsAreNeitherDeletedNorRetyped)
{
  C_FrameVector3C frame(2, 2, 1, DT_Float, 2);
  ASSERT_TRUE(frame.CreateValidMask());
  frame.CreateComponent("Peak ratio", DT_Float);
  frame.CreateComponent("Vorticity", DT_Float);
  frame.CreateComponent("U5", DT_Float);
  for (const char* name : {"U0", "V1", "W1", "ACTIVE_CHOICE", "ENABLED", "MASK"})
  {
    const int index = frame.GetComponentIndex(name);
    ASSERT_GE(index, 0) << name;
    EXPECT_FALSE(frame.IsComponentDeletable(static_cast<unsigned>(index))) << name;
    EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame.DeleteComponent(static_cast<unsigned>(index)); }), kNotDeletable)
        << name;
    EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame.ChangeComponentDataType(name, DT_Double, true); }), kNotAllowed)
        << name;
  }
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame.ChangeComponentDataType("missing", DT_Double, false); }),
            kNotAllowed);
  // "V" alone would widen to V0; the data type change must not.
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame.ChangeComponentDataType("V", DT_Double, false); }), kNotAllowed);

  // Names that merely start like a vector component are ordinary components.
  frame.SetValue(frame.GetComponentIndex("Peak ratio"), 1, 1, 0, 0.75);
  frame.ChangeComponentDataType("Peak ratio", DT_Double, true);
  EXPECT_EQ(frame.GetComponentDataType(frame.GetComponentIndex("Peak ratio")), DT_Double);
  EXPECT_EQ(frame.GetValue(frame.GetComponentIndex("Peak ratio"), 1, 1, 0), 0.75);
  frame.DeleteComponent("Vorticity");
  frame.DeleteComponent("U5");
  EXPECT_EQ(Names(frame), (std::vector<std::string>{"U0", "V0", "U1", "V1", "ACTIVE_CHOICE", "ENABLED", "W0", "W1",
                                                    "MASK", "Peak ratio"}));
  EXPECT_TRUE(frame.IsValid(1, 1, 0));
}

TEST(FrameVector, RenamingAChoiceComponentRenamesItsFamily)
{
  C_FrameVector2C frame(2, 2, 1, DT_Float, 2);
  frame.AddChoiceComponent("Q", DT_Float);
  EXPECT_EQ(frame.GetComponentDataType(frame.GetComponentIndex("Q1")), DT_Float);
  EXPECT_EQ(UnitOf(frame.GetComponent("Q1")->GetScale()), "counts");
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame.AddChoiceComponent("Q", DT_Float); }), "Component already exists.");

  frame.SetComponentName(frame.GetComponentIndex("Q1"), "R");
  EXPECT_EQ(frame.GetComponentIndex("Q0"), -1);
  EXPECT_EQ(frame.GetComponentIndex("R0"), 6);
  EXPECT_EQ(frame.GetComponentIndex("R1"), 7);

  frame.SetComponentName(frame.GetComponentIndex("U1"), "X");
  frame.SetComponentName(frame.GetComponentIndex("ENABLED"), "X");
  EXPECT_EQ(frame.GetComponentIndex("U1"), 2);
  EXPECT_EQ(frame.GetComponentIndex("ENABLED"), 5);

  // Without a choice suffix only the component itself is renamed.
  frame.CreateComponent("Peak", DT_Float);
  frame.CreateComponent("Peak2", DT_Float);
  frame.SetComponentName(frame.GetComponentIndex("Peak"), "Peak ratio");
  frame.SetComponentName(frame.GetComponentIndex("Peak2"), "P");
  EXPECT_EQ(Names(frame), (std::vector<std::string>{"U0", "V0", "U1", "V1", "ACTIVE_CHOICE", "ENABLED", "R0", "R1",
                                                    "Peak ratio", "P"}));

  frame.DeleteChoiceComponent("R");
  EXPECT_EQ(frame.GetNumberOfComponents(), 8u);
}

TEST(FrameVector, TwelveChoicesKeepTheirFamiliesTogether)
{
  C_FrameVector2C frame(2, 1, 1, DT_Float, 12);
  ASSERT_EQ(frame.GetNumberOfComponents(), 26u);
  EXPECT_EQ(frame.GetComponentName(22), "U11");
  EXPECT_EQ(frame.GetComponentName(24), "ACTIVE_CHOICE");
  frame.AddChoiceComponent("Q", DT_UInt16);
  frame.CreateComponent("Q12", DT_Float);
  frame.CreateComponent("Q01", DT_Float);
  frame.CreateComponent("Qx", DT_Float);

  const C_FrameVector& base = frame;
  EXPECT_TRUE(base.IsChoiceComponentOf(frame.GetComponent("Q0"), "Q"));
  EXPECT_TRUE(base.IsChoiceComponentOf(frame.GetComponent("Q11"), "Q"));
  EXPECT_TRUE(base.IsChoiceComponentOf(frame.GetComponent("U10"), "U"));
  EXPECT_FALSE(base.IsChoiceComponentOf(frame.GetComponent("Q12"), "Q"));
  EXPECT_FALSE(base.IsChoiceComponentOf(frame.GetComponent("Q01"), "Q"));
  EXPECT_FALSE(base.IsChoiceComponentOf(frame.GetComponent("Qx"), "Q"));
  EXPECT_FALSE(base.IsChoiceComponentOf(frame.GetComponent("U10"), "Q"));
  EXPECT_FALSE(base.IsChoiceComponentOf(nullptr, "Q"));

  frame.SetComponentName(frame.GetComponentIndex("Q10"), "Speed");
  for (unsigned i = 0; i < 12; ++i)
  {
    EXPECT_EQ(frame.GetComponentName(static_cast<int>(26 + i)), "Speed" + std::to_string(i));
  }
  EXPECT_GE(frame.GetComponentIndex("Q12"), 0);

  frame.DeleteChoiceComponent("Speed");
  EXPECT_EQ(Names(frame).size(), 29u);
  EXPECT_EQ(frame.GetComponentName(26), "Q12");
  EXPECT_EQ(frame.GetComponentName(28), "Qx");

  // Every vector component of choices 10 and 11 is protected and usable.
  EXPECT_FALSE(frame.IsComponentDeletable(static_cast<unsigned>(frame.GetComponentIndex("V11"))));
  frame.SetVector(1, 0, 0, 3.0, 4.0, 11);
  double u = 0.0;
  double v = 0.0;
  frame.GetVector(1, 0, 0, u, v, 11);
  EXPECT_EQ(v, 4.0);
}

TEST(FrameVector, CloneWithDataCopiesEverything)
{
  C_FrameVector3C frame(3, 2, 2, DT_Float, 2);
  frame.SetName("run 7");
  frame.SetGridX(16);
  frame.SetGridY(8);
  frame.SetGridZ(4);
  frame.SetVector(2, 1, 1, 1.0, 2.0, 3.0, 1);
  frame.SetEnabled(2, 1, 1, true);
  frame.SetActiveChoice(2, 1, 1, 1);
  frame.CreateComponent("Peak ratio", DT_Float);
  frame.CreateAttribute("Camera", AttrNode);

  std::unique_ptr<I_Frame> clone(frame.Clone(true));
  auto* copy = dynamic_cast<C_FrameVector3C*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(copy->IsEqual(&frame));
  EXPECT_FALSE(copy->IsNotEqual(&frame));
  EXPECT_EQ(copy->GetName(), "run 7");
  EXPECT_EQ(copy->GetNumberOfChoices(), 2u);
  EXPECT_EQ(copy->GetGridX(), 16u);
  EXPECT_EQ(copy->GetGridY(), 8u);
  EXPECT_EQ(copy->GetGridZ(), 4u);
  double u = 0.0;
  double v = 0.0;
  double w = 0.0;
  copy->GetVector(2, 1, 1, u, v, w, 1);
  EXPECT_EQ(w, 3.0);
  EXPECT_TRUE(copy->IsEnabled(2, 1, 1));
  EXPECT_EQ(copy->GetActiveChoice(2, 1, 1), 1);
  EXPECT_NE(copy->FindAttribute("Camera"), nullptr);

  // The copy's cached components are its own.
  copy->Fill(5.0);
  frame.GetVector(0, 0, 0, u, v, w, 0);
  EXPECT_EQ(u, 0.0);
  EXPECT_FALSE(copy->IsComponentDeletable(static_cast<unsigned>(copy->GetComponentIndex("W1"))));
  EXPECT_TRUE(copy->IsComponentDeletable(static_cast<unsigned>(copy->GetComponentIndex("Peak ratio"))));
}

TEST(FrameVector, CloneWithoutDataKeepsStructureChoicesAndGrid)
{
  C_FrameVector2C frame(3, 2, 2, DT_Double, 3);
  frame.SetGridX(12);
  frame.Fill(2.0);
  frame.AddChoiceComponent("Q", DT_UInt16);
  frame.SetValue(frame.GetComponentIndex("Q2"), 0, 0, 0, 9.0);
  ASSERT_TRUE(frame.CreateMask());
  frame.CreateAttribute("Camera", AttrNode);
  frame.SetScaleX(C_ScaleFactory::GetInstance().CreateLinearScale(0.1, 5.0, std::string("mm"), ""));

  std::unique_ptr<I_Frame> clone(frame.Clone(false));
  auto* copy = dynamic_cast<C_FrameVector2C*>(clone.get());
  ASSERT_NE(copy, nullptr);
  // The new mask comes before the copied components.
  EXPECT_EQ(Names(*copy), (std::vector<std::string>{"U0", "V0", "U1", "V1", "U2", "V2", "ACTIVE_CHOICE", "ENABLED",
                                                    "MASK", "Q0", "Q1", "Q2"}));
  EXPECT_EQ(copy->GetDataType(), DT_Double);
  EXPECT_EQ(copy->GetNumberOfChoices(), 3u);
  EXPECT_EQ(copy->GetGridX(), 12u);
  EXPECT_EQ(copy->GetComponentDataType(copy->GetComponentIndex("Q2")), DT_UInt16);
  EXPECT_TRUE(AllEqual(*copy, "U0", 1, 0.0));
  EXPECT_TRUE(AllEqual(*copy, "ENABLED", 1, 0.0));
  EXPECT_TRUE(AllEqual(*copy, "Q2", 0, 0.0));
  EXPECT_NE(copy->FindAttribute("Camera"), nullptr);
  EXPECT_EQ(copy->GetScaleX()->GetFactor(), 0.1);
  // The clone's mask is a fresh valid one.
  ASSERT_TRUE(copy->HasMask());
  EXPECT_TRUE(copy->IsValid(2, 1, 1));
  EXPECT_FALSE(copy->IsComponentDeletable(static_cast<unsigned>(copy->GetComponentIndex("V2"))));
  EXPECT_TRUE(copy->IsComponentDeletable(static_cast<unsigned>(copy->GetComponentIndex("Q2"))));
}

TEST(FrameVector, EqualityNeedsTheSameClassAndNumberOfChoices)
{
  C_FrameVector2C two(2, 2, 1, DT_Float, 2);
  C_FrameVector2C same(2, 2, 1, DT_Float, 2);
  same.Fill(4.0);
  C_FrameVector2C otherChoices(2, 2, 1, DT_Float, 3);
  C_FrameVector3C three(2, 2, 1, DT_Float, 2);
  EXPECT_TRUE(two.IsEqual(&same));
  EXPECT_TRUE(two.IsSameType(&same));
  EXPECT_FALSE(two.IsEqual(&otherChoices));
  EXPECT_TRUE(two.IsNotEqual(&otherChoices));
  EXPECT_FALSE(two.IsEqual(&three));
  EXPECT_FALSE(three.IsEqual(&two));
  EXPECT_FALSE(two.IsSameType(&three));
  EXPECT_FALSE(two.IsEqual(nullptr));
}

TEST(FrameVector, SubFramesKeepChoicesGridAndData)
{
  C_FrameVector2C frame(4, 4, 2, DT_Float, 2);
  frame.SetGridX(4);
  frame.SetVector(2, 3, 1, 1.0, 2.0, 1);
  frame.SetEnabled(2, 3, 1, true);
  std::unique_ptr<I_Frame> sub(frame.CreateSubFrame(1, 3, 2, 3, 1, 1));
  auto* vectors = dynamic_cast<C_FrameVector2C*>(sub.get());
  ASSERT_NE(vectors, nullptr);
  EXPECT_EQ(Names(*vectors), Names(frame));
  EXPECT_EQ(vectors->GetNumberOfChoices(), 2u);
  EXPECT_EQ(vectors->GetGridX(), 4u);
  double u = 0.0;
  double v = 0.0;
  vectors->GetVector(1, 1, 0, u, v, 1);
  EXPECT_EQ(v, 2.0);
  EXPECT_TRUE(vectors->IsEnabled(1, 1, 0));
}

TEST(FrameVectorCreation, CreatesFloatFramesThroughTheFactory)
{
  std::unique_ptr<I_FrameVector2C> two(CreateVectorFrame2C(5, 4, 2, 3));
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(dynamic_cast<C_Frame&>(*two).GetFrameType(), "FT_VECTOR_2C");
  EXPECT_EQ(two->GetDataType(), DT_Float);
  EXPECT_EQ(two->GetNumberOfChoices(), 3u);
  EXPECT_EQ(two->GetDepth(), 2u);

  std::unique_ptr<I_FrameVector3C> three(CreateVectorFrame3C(5, 4, 1, 1));
  ASSERT_NE(three, nullptr);
  EXPECT_EQ(Names(*three), (std::vector<std::string>{"U0", "V0", "ACTIVE_CHOICE", "ENABLED", "W0"}));
  EXPECT_EQ(three->GetDataType(), DT_Float);
}

TEST(FrameVectorCreation, ArgumentsAreCheckedInOrder)
{
  using Failure = RTE::VerificationFailed;
  EXPECT_EQ(MessageOf<Failure>([] { delete CreateVectorFrame2C(0, 0, 0, 0); }), "Vector frame: width is 0.");
  EXPECT_EQ(MessageOf<Failure>([] { delete CreateVectorFrame2C(1, 0, 0, 0); }), "Vector frame: height is 0.");
  EXPECT_EQ(MessageOf<Failure>([] { delete CreateVectorFrame2C(1, 1, 0, 0); }),
            "Vector frame: Number of z planes is 0.");
  EXPECT_EQ(MessageOf<Failure>([] { delete CreateVectorFrame2C(1, 1, 1, 0); }),
            "Vector frame: Number of choices is 0.");
  EXPECT_EQ(MessageOf<Failure>([] { delete CreateVectorFrame3C(0, 1, 1, 1); }), "Vector frame: width is 0.");
  EXPECT_EQ(MessageOf<Failure>([] { delete CreateVectorFrame3C(1, 0, 1, 1); }), "Vector frame: height is 0.");
  EXPECT_EQ(MessageOf<Failure>([] { delete CreateVectorFrame3C(1, 1, 0, 1); }),
            "Vector frame: Number of z planes is 0.");
  EXPECT_EQ(MessageOf<Failure>([] { delete CreateVectorFrame3C(1, 1, 1, 0); }),
            "Vector frame: Number of choices is 0.");
}

TEST(FrameVectorCreation, FactoryCreatorsNeedVectorParameters)
{
  const C_FrameBaseParam plain(2, 2, 1);
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { delete C_FrameVector2C::Create(&plain); }),
            "Wrong parameter type, bit plane could not be created.");
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { delete C_FrameVector3C::Create(nullptr); }),
            "Wrong parameter type, bit plane could not be created.");
  // The factory swallows the failure and gives nothing.
  EXPECT_EQ(C_FrameFactory::GetInstance().Create("FT_VECTOR_2C", &plain), nullptr);
  EXPECT_EQ(C_FrameFactory::GetInstance().Create("FT_VECTOR_3C", &plain), nullptr);
  const C_FrameVectorParam noChoices(2, 2, 1, DT_Float, 0);
  EXPECT_EQ(C_FrameFactory::GetInstance().Create("FT_VECTOR_2C", &noChoices), nullptr);

  const C_FrameVectorParam param(3, 2, 1, DT_Int32, 2);
  std::unique_ptr<I_Frame> frame(C_FrameFactory::GetInstance().Create("FT_VECTOR_3C", &param));
  auto* vectors = dynamic_cast<I_FrameVector3C*>(frame.get());
  ASSERT_NE(vectors, nullptr);
  EXPECT_EQ(vectors->GetDataType(), DT_Int32);
  EXPECT_EQ(vectors->GetNumberOfChoices(), 2u);
  EXPECT_EQ(MessageOf<RTE::Exception>(
                [] { C_FrameFactory::GetInstance().Register("FT_VECTOR_3C", &C_FrameVector3C::Create); }),
            "Frame type already registered.");
}
