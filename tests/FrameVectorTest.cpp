#include <BufferApi.h>

#include "C_FrameVector2C.h"
#include "C_FrameVector3C.h"
#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace BufferApi;
using namespace FrameTestHelpers;

namespace
{
//! The component names in order, comma separated.
std::string Names(const I_Frame& frame)
{
  std::string names;
  for (int i = 0; i < static_cast<int>(frame.GetNumberOfComponents()); ++i)
  {
    names += (i == 0 ? "" : ",") + frame.GetComponentName(i);
  }
  return names;
}

//! The rows of plane z of the named component, ending in ";".
std::string RowsOf(const I_Frame& frame, const std::string& name, unsigned z = 0)
{
  return Rows(frame.GetPlane(frame.GetComponentIndex(name), z)) + ";";
}

std::string Text(std::initializer_list<double> values)
{
  std::ostringstream text;
  for (double value : values)
  {
    text << (text.tellp() > 0 ? " " : "") << value;
  }
  return text.str();
}

//! The vector at (x, y, z) of a choice as "u v" or "u v w".
std::string Vec(const I_FrameVector2C& frame, unsigned x, unsigned y, unsigned z, unsigned choice)
{
  double u = 9.0, v = 9.0;
  frame.GetVector(x, y, z, u, v, choice);
  return Text({u, v});
}

std::string Vec(const I_FrameVector3C& frame, unsigned x, unsigned y, unsigned z, unsigned choice)
{
  double u = 9.0, v = 9.0, w = 9.0;
  frame.GetVector(x, y, z, u, v, w, choice);
  return Text({u, v, w});
}

std::string ScaleOf(const I_Frame& frame, const std::string& name)
{
  return ScaleText(frame.GetComponent(name)->GetScale());
}

bool Deletable(const I_Frame& frame, const std::string& name)
{
  return frame.IsComponentDeletable(static_cast<unsigned>(frame.GetComponentIndex(name)));
}

I_Scale* Linear(double factor, const std::string& unit)
{
  return C_ScaleFactory::GetInstance().CreateLinearScale(factor, 0.0, unit, "");
}

const char* const kNotAllowed = "Changing of data type of this component now allowed.";
} // namespace

TEST(FrameVector, NewFramesListChoicesThenActiveChoiceEnabledAndW)
{
  C_FrameVector2C frame(4, 3, 2, DT_Float, 3);
  EXPECT_EQ(Summary(frame), "FT_VECTOR_2C 4x3x2 U0:Float,V0:Float,U1:Float,V1:Float,U2:Float,V2:Float,"
                            "ACTIVE_CHOICE:Int32,ENABLED:UInt8");
  // Vector components carry "pixel" values, the others the usual "counts".
  EXPECT_EQ(ScaleOf(frame, "V2"), "1 0 pixel");
  EXPECT_EQ(ScaleOf(frame, "ENABLED"), "1 0 counts");
  std::unique_ptr<C_FrameBaseParam> param(frame.CreateFrameParam());
  EXPECT_EQ(dynamic_cast<const C_FrameVectorParam&>(*param).GetNumberOfChoices(), 3u);

  C_FrameVector3C three(2, 2, 1, DT_Double, 2);
  EXPECT_EQ(Summary(three), "FT_VECTOR_3C 2x2x1 U0:Double,V0:Double,U1:Double,V1:Double,ACTIVE_CHOICE:Int32,"
                            "ENABLED:UInt8,W0:Double,W1:Double");
  EXPECT_EQ(three.GetComponent("W"), three.GetComponent("W0"));
}

TEST(FrameVector, FailedConstructionRaisesAndKeepsNothing)
{
  const char* const noChoice = "Can not create a vector frame with less than one choice.";
  EXPECT_EQ(MessageOf([] { C_FrameVector2C frame(2, 2, 1, DT_Float, 0); }), noChoice);
  // No plane holds bool elements: U0 cannot be made. The sanitizer run checks
  // that the frame part built before is released.
  EXPECT_EQ(MessageOf([] { C_FrameVector2C frame(2, 2, 3, DT_Bool, 2); }), "The U-component could not be created.");
  EXPECT_EQ(MessageOf([] { C_FrameVector3C frame(2, 2, 3, DT_Bool, 2); }), "The U-component could not be created.");
}

TEST(FrameVector, ShortNamesFallBackToChoiceZero)
{
  C_FrameVector2C frame(2, 2, 1, DT_Float, 3);
  EXPECT_EQ(frame.GetComponent("V"), frame.GetComponent(1));
  EXPECT_EQ(frame.GetComponent("W"), nullptr);
  EXPECT_EQ(frame.GetChoiceComponentIndex("V", 2), 5);
  EXPECT_EQ(frame.GetChoiceComponentIndex("V", 3), -1);
  EXPECT_EQ(frame.GetChoiceComponent("U", 2), frame.GetComponent(4));
  // The exact name wins over the fallback.
  frame.CreateComponent("Q", DT_Float);
  frame.CreateComponent("Q0", DT_Float);
  EXPECT_EQ(frame.GetComponentIndex("Q"), 8);
}

TEST(FrameVector, PerPixelValuesStayInsideTheFrameAndChoice)
{
  C_FrameVector2C frame(3, 2, 2, DT_Float, 2);
  frame.SetActiveChoice(2, 1, 1, 1);
  frame.SetActiveChoice(0, 0, 0, -1);
  frame.SetEnabled(1, 1, 1, true);
  frame.SetVector(2, 1, 1, 1.5, -2.5, 1);
  EXPECT_FALSE(frame.HasValidChoice(0, 0, 0));
  EXPECT_TRUE(frame.HasValidChoice(2, 1, 1));
  EXPECT_EQ(frame.GetValue(frame.GetComponentIndex("U1"), 2, 1, 1), 1.5);
  EXPECT_EQ(Vec(frame, 2, 1, 1, 0), "0 0");

  // Outside the frame or its choices: writes are ignored, reads give 0.
  frame.SetVector(2, 1, 1, 7.0, 7.0, 2);
  EXPECT_EQ(Vec(frame, 2, 1, 1, 2), "0 0");
  struct
  {
    unsigned x, y, z;
  } const outside[] = {{3, 1, 1}, {2, 1, 2}, {0xFFFFFFFFu, 0, 0}};
  for (const auto& at : outside)
  {
    SCOPED_TRACE(Text({double(at.x), double(at.y), double(at.z)}));
    frame.SetVector(at.x, at.y, at.z, 7.0, 7.0, 1);
    frame.SetActiveChoice(at.x, at.y, at.z, 5);
    frame.SetEnabled(at.x, at.y, at.z, true);
    EXPECT_EQ(Vec(frame, at.x, at.y, at.z, 1), "0 0");
    EXPECT_EQ(frame.GetActiveChoice(at.x, at.y, at.z), 0);
    EXPECT_FALSE(frame.IsEnabled(at.x, at.y, at.z));
  }
  EXPECT_EQ(RowsOf(frame, "ENABLED", 1) + RowsOf(frame, "ACTIVE_CHOICE", 1), "0 0 0|0 1 0;0 0 0|0 0 1;");

  // Values are clamped to the element type.
  C_FrameVector2C bytes(2, 2, 1, DT_UInt8, 1);
  bytes.SetVector(0, 0, 0, 300.0, -4.0, 0);
  EXPECT_EQ(Vec(bytes, 0, 0, 0, 0), "255 0");

  C_FrameVector3C three(2, 2, 1, DT_Float, 2);
  three.SetVector(1, 1, 0, 1.0, 2.0, 3.0, 1);
  EXPECT_EQ(RowsOf(three, "W1") + RowsOf(three, "W0"), "0 0|0 3;0 0|0 0;");
}

TEST(FrameVector, FillAndClearWorkOnChoiceZeroOnly)
{
  C_FrameVector3C frame(3, 2, 2, DT_Float, 2);
  frame.SetVector(1, 1, 1, 4.0, 4.0, 4.0, 1);
  frame.SetActiveChoice(0, 0, 1, 1);
  frame.Fill(2.5);
  EXPECT_EQ(Vec(frame, 2, 1, 1, 0), "2.5 2.5 2.5");
  EXPECT_EQ(RowsOf(frame, "ACTIVE_CHOICE", 1) + RowsOf(frame, "ENABLED", 1), "0 0 0|0 0 0;1 1 1|1 1 1;");
  EXPECT_EQ(RowsOf(frame, "W1", 1), "0 0 0|0 4 0;");
  frame.Fill(0.0);
  EXPECT_EQ(RowsOf(frame, "U0", 1) + RowsOf(frame, "ENABLED", 1), "0 0 0|0 0 0;0 0 0|0 0 0;");
  EXPECT_EQ(Vec(frame, 1, 1, 1, 1), "4 4 4");

  frame.Fill(1.0);
  frame.SetActiveChoice(2, 1, 0, 1);
  frame.Clear();
  EXPECT_EQ(RowsOf(frame, "W0", 1) + RowsOf(frame, "ACTIVE_CHOICE"), "0 0 0|0 0 0;0 0 0|0 0 0;");
  EXPECT_EQ(Vec(frame, 1, 1, 1, 1), "4 4 4");
}

TEST(FrameVector, SetScaleIGivesEveryVectorComponentItsOwnClone)
{
  C_FrameVector3C frame(2, 2, 1, DT_Float, 2);
  frame.SetScaleI(C_ScaleFactory::GetInstance().CreateLinearScale(0.5, 1.0, std::string("m/s"), "velocity"));
  std::vector<const I_Scale*> seen;
  for (const char* name : {"U0", "V0", "U1", "V1", "W0", "W1"})
  {
    const I_Scale* scale = frame.GetComponent(name)->GetScale();
    EXPECT_EQ(ScaleText(scale), "0.5 1 m/s velocity") << name;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), scale), 0) << name;
    seen.push_back(scale);
  }
  EXPECT_EQ(ScaleOf(frame, "ENABLED"), "1 0 counts");
}

TEST(FrameVector, DeletedVectorFamiliesLeaveUsableFrames)
{
  // The U family may be deleted by name; the frame then has no vector data.
  C_FrameVector2C frame(2, 2, 1, DT_Float, 2);
  frame.DeleteChoiceComponent("U");
  EXPECT_EQ(Names(frame), "V0,V1,ACTIVE_CHOICE,ENABLED");
  EXPECT_EQ(MessageOf([&] { frame.SetScaleI(Linear(2.0, "m")); }), "The vector frame has no vector component!");
  EXPECT_EQ(frame.GetDataType(), DT_Bool);
  frame.Fill(3.0);
  EXPECT_EQ(RowsOf(frame, "V0"), "3 3|3 3;");
  // The deleted family is no longer protected by stale pointers; re-adding it
  // makes it vector data again.
  frame.AddChoiceComponent("U", DT_Float);
  EXPECT_FALSE(Deletable(frame, "U1"));

  C_FrameVector3C three(2, 2, 1, DT_Float, 1);
  three.DeleteChoiceComponent("W");
  EXPECT_EQ(MessageOf([&] { three.SetScaleI(Linear(2.0, "m")); }), "The vector frame has no vector component!");
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
    const unsigned index = static_cast<unsigned>(frame.GetComponentIndex(name));
    EXPECT_FALSE(frame.IsComponentDeletable(index)) << name;
    EXPECT_EQ(MessageOf([&] { frame.DeleteComponent(index); }), "This component must not be deleted.") << name;
    EXPECT_EQ(MessageOf([&] { frame.ChangeComponentDataType(name, DT_Double, true); }), kNotAllowed) << name;
  }
  // "V" alone would widen to V0; the data type change must not.
  EXPECT_EQ(MessageOf([&] { frame.ChangeComponentDataType("V", DT_Double, false); }), kNotAllowed);

  // Names that merely start like a vector component are ordinary components.
  frame.SetValue(frame.GetComponentIndex("Peak ratio"), 1, 1, 0, 0.75);
  frame.ChangeComponentDataType("Peak ratio", DT_Double, true);
  EXPECT_EQ(frame.GetValue(frame.GetComponentIndex("Peak ratio"), 1, 1, 0), 0.75);
  frame.DeleteComponent("Vorticity");
  frame.DeleteComponent("U5");
  EXPECT_EQ(Summary(frame), "FT_VECTOR_3C 2x2x1 U0:Float,V0:Float,U1:Float,V1:Float,ACTIVE_CHOICE:Int32,"
                            "ENABLED:UInt8,W0:Float,W1:Float,MASK:UInt8,Peak ratio:Double");
}

TEST(FrameVector, RenamingAChoiceComponentRenamesItsFamily)
{
  C_FrameVector2C frame(2, 2, 1, DT_Float, 2);
  frame.AddChoiceComponent("Q", DT_Float);
  EXPECT_EQ(MessageOf([&] { frame.AddChoiceComponent("Q", DT_Float); }), "Component already exists.");
  frame.SetComponentName(frame.GetComponentIndex("Q1"), "R");
  // Vector components and the per-pixel components keep their names.
  frame.SetComponentName(frame.GetComponentIndex("U1"), "X");
  frame.SetComponentName(frame.GetComponentIndex("ENABLED"), "X");
  // Without a choice suffix only the component itself is renamed.
  frame.CreateComponent("Peak", DT_Float);
  frame.CreateComponent("Peak2", DT_Float);
  frame.SetComponentName(frame.GetComponentIndex("Peak"), "Peak ratio");
  frame.SetComponentName(frame.GetComponentIndex("Peak2"), "P");
  EXPECT_EQ(Summary(frame), "FT_VECTOR_2C 2x2x1 U0:Float,V0:Float,U1:Float,V1:Float,ACTIVE_CHOICE:Int32,"
                            "ENABLED:UInt8,R0:Float,R1:Float,Peak ratio:Float,P:Float");
  frame.DeleteChoiceComponent("R");
  EXPECT_EQ(Names(frame), "U0,V0,U1,V1,ACTIVE_CHOICE,ENABLED,Peak ratio,P");
}

TEST(FrameVector, TwelveChoicesKeepTheirFamiliesTogether)
{
  C_FrameVector2C frame(2, 1, 1, DT_Float, 12);
  EXPECT_EQ(frame.GetComponentName(24), "ACTIVE_CHOICE");
  frame.AddChoiceComponent("Q", DT_UInt16);
  for (const char* name : {"Q12", "Q01", "Qx"})
  {
    frame.CreateComponent(name, DT_Float);
  }
  // Exactly a decimal choice index below N without leading zeros.
  const C_FrameVector& base = frame;
  const struct
  {
    const char* component;
    const char* family;
    bool expected;
  } cases[] = {{"Q0", "Q", true},   {"Q11", "Q", true}, {"U10", "U", true}, {"Q12", "Q", false},
               {"Q01", "Q", false}, {"Qx", "Q", false}, {"U10", "Q", false}};
  for (const auto& c : cases)
  {
    EXPECT_EQ(base.IsChoiceComponentOf(frame.GetComponent(c.component), c.family), c.expected) << c.component;
  }

  frame.SetComponentName(frame.GetComponentIndex("Q10"), "Speed");
  EXPECT_EQ(frame.GetComponentName(26) + frame.GetComponentName(37), "Speed0Speed11");
  frame.DeleteChoiceComponent("Speed");
  EXPECT_EQ(frame.GetComponentName(26), "Q12");
  EXPECT_FALSE(Deletable(frame, "V11"));
}

TEST(FrameVector, ClonesSubFramesAndEquality)
{
  C_FrameVector3C frame(3, 2, 2, DT_Float, 2);
  frame.SetGridY(8);
  frame.SetVector(2, 1, 1, 1.0, 2.0, 3.0, 1);
  frame.SetEnabled(2, 1, 1, true);
  frame.SetActiveChoice(2, 1, 1, 1);
  frame.CreateComponent("Peak ratio", DT_Float);

  std::unique_ptr<I_Frame> clone(frame.Clone(true));
  auto& copy = dynamic_cast<C_FrameVector3C&>(*clone);
  EXPECT_TRUE(copy.IsEqual(&frame));
  EXPECT_EQ(copy.GetGridY(), 8u);
  EXPECT_EQ(Vec(copy, 2, 1, 1, 1), "1 2 3");
  // The copy's cached components are its own.
  copy.Fill(5.0);
  EXPECT_EQ(Vec(frame, 0, 0, 0, 0), "0 0 0");
  EXPECT_FALSE(Deletable(copy, "W1"));

  // Sub-frames keep the class, choices, grid and data.
  std::unique_ptr<I_Frame> subFrame(frame.CreateSubFrame(1, 2, 1, 1, 1, 1));
  auto& sub = dynamic_cast<C_FrameVector3C&>(*subFrame);
  EXPECT_EQ(Names(sub), Names(frame));
  EXPECT_EQ(sub.GetGridY(), 8u);
  EXPECT_EQ(Vec(sub, 1, 0, 0, 1), "1 2 3");
  EXPECT_TRUE(sub.IsEnabled(1, 0, 0));

  // Equality needs the same class and number of choices, not the same values.
  C_FrameVector3C otherChoices(3, 2, 2, DT_Float, 3);
  otherChoices.CreateComponent("Peak ratio", DT_Float);
  EXPECT_TRUE(frame.IsEqual(&copy));
  EXPECT_FALSE(frame.IsEqual(&otherChoices));
  C_FrameVector2C two(2, 2, 1, DT_Float, 2);
  EXPECT_FALSE(C_FrameVector3C(2, 2, 1, DT_Float, 2).IsEqual(&two));
}

TEST(FrameVector, CloneWithoutDataKeepsStructureChoicesAndGrid)
{
  C_FrameVector2C frame(3, 2, 2, DT_Double, 3);
  frame.SetGridX(12);
  frame.Fill(2.0);
  frame.AddChoiceComponent("Q", DT_UInt16);
  frame.SetValue(frame.GetComponentIndex("Q2"), 0, 0, 0, 9.0);
  ASSERT_TRUE(frame.CreateMask());

  std::unique_ptr<I_Frame> clone(frame.Clone(false));
  auto& copy = dynamic_cast<C_FrameVector2C&>(*clone);
  // The new mask comes before the copied components.
  EXPECT_EQ(Summary(copy), "FT_VECTOR_2C 3x2x2 U0:Double,V0:Double,U1:Double,V1:Double,U2:Double,V2:Double,"
                           "ACTIVE_CHOICE:Int32,ENABLED:UInt8,MASK:UInt8,Q0:UInt16,Q1:UInt16,Q2:UInt16");
  EXPECT_EQ(copy.GetGridX(), 12u);
  EXPECT_EQ(RowsOf(copy, "U0", 1) + RowsOf(copy, "ENABLED", 1) + RowsOf(copy, "Q2"),
            "0 0 0|0 0 0;0 0 0|0 0 0;0 0 0|0 0 0;");
  // The clone's mask is a fresh valid one.
  EXPECT_TRUE(copy.IsValid(2, 1, 1));
  EXPECT_FALSE(Deletable(copy, "V2"));
}

TEST(FrameVectorCreation, FactoryFunctionsCheckTheirArgumentsInOrder)
{
  const struct
  {
    unsigned width, height, depth, choices;
    const char* message;
  } cases[] = {{0, 0, 0, 0, "Vector frame: width is 0."},
               {1, 0, 0, 0, "Vector frame: height is 0."},
               {1, 1, 0, 0, "Vector frame: Number of z planes is 0."},
               {1, 1, 1, 0, "Vector frame: Number of choices is 0."}};
  for (const auto& c : cases)
  {
    EXPECT_EQ(
        MessageOf<RTE::VerificationFailed>([&] { delete CreateVectorFrame2C(c.width, c.height, c.depth, c.choices); }),
        c.message);
    EXPECT_EQ(
        MessageOf<RTE::VerificationFailed>([&] { delete CreateVectorFrame3C(c.width, c.height, c.depth, c.choices); }),
        c.message);
  }
}

TEST(FrameVectorCreation, FactoryCreatorsNeedVectorParameters)
{
  const C_FrameBaseParam plain(2, 2, 1);
  EXPECT_EQ(MessageOf([&] { delete C_FrameVector2C::Create(&plain); }),
            "Wrong parameter type, bit plane could not be created.");
  EXPECT_EQ(MessageOf([&] { delete C_FrameVector3C::Create(nullptr); }),
            "Wrong parameter type, bit plane could not be created.");
  // The factory swallows the failure and gives nothing.
  C_FrameFactory& factory = C_FrameFactory::GetInstance();
  EXPECT_EQ(factory.Create("FT_VECTOR_3C", &plain), nullptr);
  const C_FrameVectorParam noChoices(2, 2, 1, DT_Float, 0);
  EXPECT_EQ(factory.Create("FT_VECTOR_2C", &noChoices), nullptr);
  const C_FrameVectorParam param(3, 2, 1, DT_Int32, 2);
  std::unique_ptr<I_Frame> frame(factory.Create("FT_VECTOR_3C", &param));
  EXPECT_EQ(frame->GetComponentDataType(frame->GetComponentIndex("W1")), DT_Int32);
}
