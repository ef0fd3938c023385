#include <BufferApi.h>

#include "C_FrameImage.h"
#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace BufferApi;
using FrameTestHelpers::MessageOf;

namespace
{
//! An image frame whose pixel (x, y, z) holds 100 z + 10 y + x.
std::unique_ptr<C_FrameImage> PatternFrame(unsigned width, unsigned height, unsigned depth, E_DataType type = DT_Float)
{
  auto frame = std::make_unique<C_FrameImage>(width, height, depth, type);
  for (unsigned z = 0; z < depth; ++z)
  {
    for (unsigned y = 0; y < height; ++y)
    {
      for (unsigned x = 0; x < width; ++x)
      {
        frame->SetPixel(x, y, z, 100.0 * z + 10.0 * y + x);
      }
    }
  }
  return frame;
}

//! The rows of a plane as text, e.g. "0 1|10 11".
std::string Rows(const I_PlaneBase* plane)
{
  if (plane == nullptr)
  {
    return "<null>";
  }
  std::string text;
  for (unsigned y = 0; y < plane->GetHeight(); ++y)
  {
    for (unsigned x = 0; x < plane->GetWidth(); ++x)
    {
      text += (x == 0 ? "" : " ") + std::to_string(static_cast<long long>(plane->GetValue(x, y)));
    }
    text += y + 1 < plane->GetHeight() ? "|" : "";
  }
  return text;
}

std::unique_ptr<I_Scale> Linear(double factor, double offset, const std::string& unit = "pixel")
{
  return std::unique_ptr<I_Scale>(C_ScaleFactory::GetInstance().CreateLinearScale(factor, offset, unit, ""));
}
} // namespace

TEST(Frame, NewFrameHasPixelScalesRootAndNoMask)
{
  auto frame = PatternFrame(3, 2, 1);
  EXPECT_EQ(frame->GetName(), "");
  for (const I_Scale* scale : {frame->GetScaleX(), frame->GetScaleY(), frame->GetScaleZ()})
  {
    ASSERT_NE(scale, nullptr);
    EXPECT_EQ(scale->GetFactor(), 1.0);
    EXPECT_EQ(scale->ToWorld(0.0), 0.0);
    EXPECT_EQ(scale->GetUnit()->GetSymbol(), "pixel");
  }
  ASSERT_NE(frame->GetAttributeRoot(), nullptr);
  EXPECT_EQ(frame->GetAttributeRoot()->GetName(), "root");
  EXPECT_EQ(frame->GetAttributeRoot()->GetNumberOfChildren(), 0u);
  EXPECT_FALSE(frame->HasMask());
}

TEST(Frame, ComponentLookupsAreExactAndAnswerNothingForBadIndexes)
{
  auto frame = PatternFrame(3, 2, 2);
  ASSERT_TRUE(frame->CreateMask());
  EXPECT_EQ(frame->GetComponentIndex("MASK"), 1);
  EXPECT_EQ(frame->GetComponentIndex("mask"), -1);
  EXPECT_EQ(frame->GetComponent("mask"), nullptr);
  EXPECT_EQ(frame->GetComponent(-1), nullptr);
  EXPECT_EQ(frame->GetComponent(2), nullptr);
  EXPECT_EQ(frame->GetComponentName(2), "");
  EXPECT_EQ(frame->GetComponentName(-1), "");
  EXPECT_EQ(frame->GetComponentScale(2), nullptr);
  EXPECT_EQ(frame->GetComponentScale(-5), nullptr);
  EXPECT_EQ(frame->GetComponentDataType(2), DT_Bool);
  EXPECT_EQ(frame->GetComponentDataType(0), DT_Float);
  EXPECT_EQ(frame->GetPlane(0, 2), nullptr);
  EXPECT_EQ(frame->GetPlane(7, 0), nullptr);
  EXPECT_EQ(frame->GetValue(0, 2, 1, 1), 112.0);
  EXPECT_EQ(frame->GetValue(0, 3, 0, 0), 0.0);
  EXPECT_EQ(frame->GetValue(0, 0, 0, 5), 0.0);
  frame->SetValue(0, 1, 1, 0, 5.0);
  frame->SetValue(0, 1, 1, 9, 5.0); // no such plane: nothing
  frame->SetValue(9, 1, 1, 0, 5.0);
  EXPECT_EQ(frame->GetValue(0, 1, 1, 0), 5.0);

  // A scale for a component that does not exist is not leaked.
  frame->SetComponentScale(9, Linear(2.0, 0.0).release());
  frame->SetComponentScale(0, Linear(2.0, 0.0).release());
  EXPECT_EQ(frame->GetComponentScale(0)->GetFactor(), 2.0);
  EXPECT_EQ(frame->GetScaleI()->GetFactor(), 2.0);
}

TEST(Frame, CreateComponentRefusesDuplicatesAndUnbuildableTypes)
{
  auto frame = PatternFrame(3, 2, 2);
  EXPECT_EQ(frame->CreateComponent("EXTRA", DT_Int32), 1u);
  EXPECT_EQ(frame->GetPlane(1, 1)->GetWidth(), 3u);
  EXPECT_EQ(frame->GetComponent(1)->GetNumberOfPlanes(), 2u);
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame->CreateComponent("EXTRA", DT_Float); }), "Component already exists.");
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame->CreateComponent("BOOL", DT_Bool); }),
            "The component could not be created.");
  const std::vector<void*> tooFew{nullptr};
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame->CreateComponent("LIST", DT_UInt8, &tooFew); }),
            "The component could not be created.");
  EXPECT_EQ(frame->GetNumberOfComponents(), 2u);
}

TEST(Frame, MaskCreationValidityAndDeletion)
{
  auto frame = PatternFrame(3, 2, 2);
  EXPECT_TRUE(frame->IsValid(1, 1, 0));
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame->SetValid(1, 1, 0, false); }),
            "The mask component was not created yet.");

  const std::vector<void*> wrongLength{nullptr, nullptr, nullptr};
  EXPECT_FALSE(frame->CreateMask(&wrongLength));
  EXPECT_FALSE(frame->HasMask());

  ASSERT_TRUE(frame->CreateValidMask());
  ASSERT_TRUE(frame->HasMask());
  EXPECT_TRUE(frame->CreateMask());
  EXPECT_TRUE(frame->CreateValidMask());
  EXPECT_EQ(frame->GetNumberOfComponents(), 2u);
  const int mask = frame->GetComponentIndex(I_Frame::COMPONENT_MASK);
  ASSERT_EQ(mask, 1);
  EXPECT_EQ(frame->GetComponentDataType(mask), DT_UInt8);
  const I_Scale* scale = frame->GetComponentScale(mask);
  EXPECT_EQ(scale->GetUnit()->GetSymbol(), "Valid");
  EXPECT_EQ(scale->GetDescription(), "Mask");
  EXPECT_EQ(scale->GetFactor(), 1.0);

  for (unsigned z = 0; z < 2; ++z)
  {
    for (unsigned y = 0; y < 2; ++y)
    {
      for (unsigned x = 0; x < 3; ++x)
      {
        EXPECT_TRUE(frame->IsValid(x, y, z));
      }
    }
  }
  frame->SetValid(1, 1, 0, false);
  EXPECT_FALSE(frame->IsValid(1, 1, 0));
  EXPECT_TRUE(frame->IsValid(1, 1, 1));
  EXPECT_FALSE(frame->IsValid(3, 0, 0)); // outside the mask plane
  EXPECT_FALSE(frame->IsValid(0, 0, 2)); // no such mask plane
  frame->SetValid(0, 0, 7, false);       // nothing

  EXPECT_FALSE(frame->IsComponentDeletable(static_cast<unsigned>(mask)));
  EXPECT_FALSE(frame->IsComponentDeletable(0));
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame->DeleteComponent(static_cast<unsigned>(mask)); }),
            "This component must not be deleted.");
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame->DeleteComponent("PIXEL"); }), "This component must not be deleted.");
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame->DeleteComponent(7u); }), "The component's index was out of bounds.");
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame->DeleteComponent("MISSING"); }), "The component was not found.");

  frame->DeleteMask();
  EXPECT_FALSE(frame->HasMask());
  EXPECT_EQ(frame->GetNumberOfComponents(), 1u);
  EXPECT_TRUE(frame->IsValid(1, 1, 0));
  frame->DeleteMask(); // nothing left to delete

  // A new mask without CreateValidMask marks everything invalid.
  ASSERT_TRUE(frame->CreateMask());
  EXPECT_FALSE(frame->IsValid(0, 0, 0));
}

TEST(Frame, DeleteComponentClosesTheGap)
{
  auto frame = PatternFrame(2, 2, 1);
  frame->CreateComponent("A", DT_UInt8);
  frame->CreateComponent("B", DT_UInt8);
  frame->CreateMask();
  frame->DeleteComponent("A");
  EXPECT_EQ(frame->GetComponentName(1), "B");
  EXPECT_EQ(frame->GetComponentIndex("MASK"), 2);
  EXPECT_TRUE(frame->HasMask());
  frame->DeleteComponent(1u);
  EXPECT_EQ(frame->GetComponentName(1), "MASK");
  EXPECT_FALSE(frame->IsComponentDeletable(1));
}

TEST(Frame, SetComponentNameSkipsProtectedAndBadIndexes)
{
  auto frame = PatternFrame(2, 2, 1);
  frame->CreateComponent("A", DT_UInt8);
  frame->SetComponentName(0, "RENAMED");
  frame->SetComponentName(5, "X");
  frame->SetComponentName(-1, "X");
  frame->SetComponentName(1, "B");
  EXPECT_EQ(frame->GetComponentName(0), "PIXEL");
  EXPECT_EQ(frame->GetComponentName(1), "B");
}

TEST(Frame, SetSizeKeepsContentAndFillsWithDefaults)
{
  auto frame = PatternFrame(3, 2, 2);
  frame->SetSize(3, 2, 2);
  EXPECT_EQ(Rows(frame->GetPlane(1u)), "100 101 102|110 111 112");

  frame->GetPlane(0, 0)->SetDefaultValue(7.0);
  frame->SetSize(4, 3, 4);
  EXPECT_EQ(frame->GetWidth(), 4u);
  EXPECT_EQ(frame->GetHeight(), 3u);
  EXPECT_EQ(frame->GetDepth(), 4u);
  ASSERT_EQ(frame->GetComponent(0)->GetNumberOfPlanes(), 4u);
  EXPECT_EQ(Rows(frame->GetPlane(0, 0)), "0 1 2 7|10 11 12 7|7 7 7 7");
  EXPECT_EQ(Rows(frame->GetPlane(0, 1)), "100 101 102 0|110 111 112 0|0 0 0 0");
  // Appended planes are empty clones of the first plane: its default value.
  EXPECT_EQ(Rows(frame->GetPlane(0, 2)), "7 7 7 7|7 7 7 7|7 7 7 7");
  EXPECT_EQ(Rows(frame->GetPlane(0, 3)), "7 7 7 7|7 7 7 7|7 7 7 7");

  frame->SetSize(2, 1, 1);
  ASSERT_EQ(frame->GetComponent(0)->GetNumberOfPlanes(), 1u);
  EXPECT_EQ(Rows(frame->GetPlane(0, 0)), "0 1");

  // Depth 0 removes every plane; growing again is refused.
  frame->SetSize(2, 1, 0);
  EXPECT_EQ(frame->GetComponent(0)->GetNumberOfPlanes(), 0u);
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame->SetSize(2, 2, 2); }), "There are no planes in this frame.");
  EXPECT_EQ(frame->GetHeight(), 1u);
  EXPECT_EQ(frame->GetDepth(), 0u);
}

TEST(Frame, RefusedSetSizeLeavesTheFrameUnchanged)
{
  auto frame = PatternFrame(3, 2, 2);
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame->SetSize(0, 2, 2); }),
            "One of the lower end of the boundaries is larger than the upper end.");
  EXPECT_EQ(frame->GetWidth(), 3u);
  EXPECT_EQ(frame->GetPlane(0, 0)->GetWidth(), 3u);

  auto other = PatternFrame(5, 4, 3);
  frame->CreateMask();
  frame->SetSizeLike(other.get());
  EXPECT_EQ(frame->GetPlane(frame->GetComponentIndex("MASK"), 2)->GetHeight(), 4u);
  EXPECT_EQ(frame->GetComponent(0)->GetNumberOfPlanes(), 3u);
}

TEST(Frame, ResizeGrowsEverySideWithTheDefaultValue)
{
  auto frame = PatternFrame(2, 2, 2);
  frame->GetPlane(0, 0)->SetDefaultValue(7.0);
  frame->GetPlane(0, 1)->SetDefaultValue(8.0);
  frame->Resize(-1, 2, -1, 2, 0, 1);
  EXPECT_EQ(frame->GetWidth(), 4u);
  EXPECT_EQ(frame->GetHeight(), 4u);
  EXPECT_EQ(frame->GetDepth(), 2u);
  EXPECT_EQ(Rows(frame->GetPlane(0, 0)), "7 7 7 7|7 0 1 7|7 10 11 7|7 7 7 7");
  EXPECT_EQ(Rows(frame->GetPlane(0, 1)), "8 8 8 8|8 100 101 8|8 110 111 8|8 8 8 8");
}

TEST(Frame, ResizeInDepthAtFrontAndEnd)
{
  auto frame = PatternFrame(3, 2, 3);
  frame->GetPlane(0, 0)->SetDefaultValue(5.0);
  frame->CreateComponent("EXTRA", DT_UInt8);

  // One new plane in front, planes 0 and 1 kept, cut to x 1..2, y 0.
  frame->Resize(1, 2, 0, 0, -1, 1);
  EXPECT_EQ(frame->GetDepth(), 3u);
  ASSERT_EQ(frame->GetComponent(0)->GetNumberOfPlanes(), 3u);
  EXPECT_EQ(Rows(frame->GetPlane(0, 0)), "5 5");
  EXPECT_EQ(Rows(frame->GetPlane(0, 1)), "1 2");
  EXPECT_EQ(Rows(frame->GetPlane(0, 2)), "101 102");
  EXPECT_EQ(frame->GetComponent(1)->GetNumberOfPlanes(), 3u);
  EXPECT_EQ(frame->GetPlane(1, 2)->GetWidth(), 2u);

  // Drop the front plane and append two at the end.
  frame->Resize(0, 1, 0, 0, 1, 4);
  ASSERT_EQ(frame->GetComponent(0)->GetNumberOfPlanes(), 4u);
  EXPECT_EQ(Rows(frame->GetPlane(0, 0)), "1 2");
  EXPECT_EQ(Rows(frame->GetPlane(0, 1)), "101 102");
  // New planes hold the default value of the old plane 0 (5).
  EXPECT_EQ(Rows(frame->GetPlane(0, 2)), "5 5");
  EXPECT_EQ(Rows(frame->GetPlane(0, 3)), "5 5");
}

TEST(Frame, ResizeWhollyOutsideInDepthGivesDefaultPlanes)
{
  auto frame = PatternFrame(2, 2, 2);
  frame->GetPlane(0, 0)->SetDefaultValue(3.0);
  frame->Resize(0, 2, 0, 0, 5, 6);
  EXPECT_EQ(frame->GetDepth(), 2u);
  ASSERT_EQ(frame->GetComponent(0)->GetNumberOfPlanes(), 2u);
  EXPECT_EQ(Rows(frame->GetPlane(0, 0)), "3 3 3");
  EXPECT_EQ(Rows(frame->GetPlane(0, 1)), "3 3 3");

  auto below = PatternFrame(2, 1, 2);
  below->Resize(0, 1, 0, 0, -3, -1);
  EXPECT_EQ(below->GetComponent(0)->GetNumberOfPlanes(), 3u);
  EXPECT_EQ(Rows(below->GetPlane(0, 2)), "0 0");
}

TEST(Frame, ResizeRefusals)
{
  auto frame = PatternFrame(2, 2, 2);
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame->Resize(1, 0, 0, 1, 0, 1); }),
            "One of the lower end of the boundaries is larger than the upper end.");
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame->Resize(0, 1, 0, 1, 1, 0); }),
            "One of the lower end of the boundaries is larger than the upper end.");
  EXPECT_EQ(frame->GetWidth(), 2u);
  auto empty = PatternFrame(2, 2, 0);
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { empty->Resize(0, 1, 0, 1, 0, 1); }),
            "Resize was called while the frame has no planes.");
}

TEST(Frame, ResizeTouchesAPlaneSharedByTwoComponentsOnce)
{
  auto frame = PatternFrame(2, 2, 1);
  frame->CreateComponent("COPY", DT_Float);
  std::shared_ptr<I_PlaneBase> shared(frame->GetPlane(0, 0)->Clone(true));
  frame->GetComponent(0)->SetPlane(0, shared);
  frame->GetComponent(1)->SetPlane(0, shared);
  frame->Resize(1, 1, 0, 1, 0, 0);
  EXPECT_EQ(Rows(shared.get()), "1|11");
}

TEST(Frame, CopyRegionAcceptsCornersInAnyOrderAndClampsTheExtent)
{
  auto src = PatternFrame(4, 3, 2);
  auto dst = std::make_unique<C_FrameImage>(3, 3, 1, DT_UInt8);

  // Corners (3, 2) and (1, 1): rectangle x 1..3, y 1..2 of source plane 1,
  // placed at (1, 0); clamped to 2 columns by the destination's width.
  dst->CopyRegion(1, 0, 0, src.get(), 3, 2, 1, 1, 1);
  // 111 and above fit; the destination type clamps to 255 only above it.
  EXPECT_EQ(Rows(dst->GetPlane(0, 0)), "0 111 112|0 121 122|0 0 0");

  // Values pass through double and are clamped to the destination type.
  src->SetPixel(0, 0, 0, 300.7);
  src->SetPixel(1, 0, 0, -4.0);
  dst->CopyRegion(0, 2, 0, src.get(), 0, 0, 1, 0, 0);
  EXPECT_EQ(Rows(dst->GetPlane(0, 0)), "0 111 112|0 121 122|255 0 0");
}

TEST(Frame, CopyRegionDoesNothingForStartsOutside)
{
  auto src = PatternFrame(4, 3, 2);
  auto dst = std::make_unique<C_FrameImage>(3, 3, 1, DT_Float);
  dst->CopyRegion(3, 0, 0, src.get(), 0, 0, 1, 1, 0);
  dst->CopyRegion(0, 3, 0, src.get(), 0, 0, 1, 1, 0);
  dst->CopyRegion(0, 0, 1, src.get(), 0, 0, 1, 1, 0);
  dst->CopyRegion(0, 0, 0, src.get(), 0, 0, 4, 1, 0); // x 4 outside the source
  dst->CopyRegion(0, 0, 0, src.get(), 0, 3, 0, 0, 0); // y 3 outside the source
  dst->CopyRegion(0, 0, 0, src.get(), 0, 0, 1, 1, 2); // no source plane 2
  dst->CopyRegion(0, 0, 0, nullptr, 0, 0, 1, 1, 0);
  EXPECT_EQ(Rows(dst->GetPlane(0, 0)), "0 0 0|0 0 0|0 0 0");
}

TEST(Frame, CopyRegionPairsComponentsByName)
{
  auto src = PatternFrame(2, 2, 1);
  src->CreateComponent("ONLY_IN_SOURCE", DT_Float);
  src->CreateComponent("BOTH", DT_Float);
  src->SetValue(2, 1, 1, 0, 42.0);
  src->CreateValidMask();
  auto dst = std::make_unique<C_FrameImage>(2, 2, 1, DT_Float);
  dst->CreateComponent("BOTH", DT_Int32);
  dst->CreateMask();
  dst->CopyData(0, src.get(), 0);
  EXPECT_EQ(Rows(dst->GetPlane(0, 0)), "0 1|10 11");
  EXPECT_EQ(dst->GetValue(1, 1, 1, 0), 42.0);
  EXPECT_TRUE(dst->IsValid(1, 1, 0));
  EXPECT_EQ(dst->GetNumberOfComponents(), 3u);
}

TEST(Frame, CreateSubFrameCutsValuesAndShiftsScales)
{
  auto frame = PatternFrame(5, 4, 3);
  frame->SetName("whole");
  frame->SetScaleX(Linear(2.0, 10.0, "mm").release());
  frame->SetScaleZ(Linear(0.5, 0.0, "s").release());
  frame->GetComponentScale(0)->SetDescription("intensity");
  frame->CreateComponent("EXTRA", DT_Int32);
  frame->SetValue(1, 3, 2, 1, -9.0);
  frame->CreateAttribute("A.B", AttrDouble);
  frame->CreateValidMask();
  frame->SetValid(3, 2, 2, false);

  // Corners in any order: x 1..3, y 1..2, z 1..2.
  std::unique_ptr<I_Frame> sub(frame->CreateSubFrame(3, 1, 2, 1, 2, 1));
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->GetWidth(), 3u);
  EXPECT_EQ(sub->GetHeight(), 2u);
  EXPECT_EQ(sub->GetDepth(), 2u);
  EXPECT_EQ(sub->GetName(), "whole");
  EXPECT_NE(dynamic_cast<C_FrameImage*>(sub.get()), nullptr);
  EXPECT_EQ(Rows(sub->GetPlane(0, 0)), "111 112 113|121 122 123");
  EXPECT_EQ(Rows(sub->GetPlane(0, 1)), "211 212 213|221 222 223");
  EXPECT_EQ(sub->GetComponentScale(0)->GetDescription(), "intensity");

  // New index 0 keeps the old world position of the lower corner.
  EXPECT_EQ(sub->GetScaleX()->ToWorld(0.0), frame->GetScaleX()->ToWorld(1.0));
  EXPECT_EQ(sub->GetScaleY()->ToWorld(0.0), frame->GetScaleY()->ToWorld(1.0));
  EXPECT_EQ(sub->GetScaleZ()->ToWorld(1.0), frame->GetScaleZ()->ToWorld(2.0));
  EXPECT_EQ(sub->GetScaleX()->GetUnit()->GetSymbol(), "mm");

  ASSERT_EQ(sub->GetComponentIndex("EXTRA"), 1);
  EXPECT_EQ(sub->GetValue(1, 2, 1, 0), -9.0);
  EXPECT_EQ(sub->GetComponentDataType(1), DT_Int32);

  // The mask comes over as the new frame's mask.
  ASSERT_TRUE(sub->HasMask());
  EXPECT_EQ(sub->GetComponentIndex("MASK"), 2);
  EXPECT_FALSE(sub->IsValid(2, 1, 1));
  EXPECT_TRUE(sub->IsValid(1, 1, 1));
  EXPECT_EQ(sub->GetComponentScale(2)->GetUnit()->GetSymbol(), "Valid");

  EXPECT_NE(sub->FindAttribute("A.B"), nullptr);
  EXPECT_EQ(frame->GetWidth(), 5u);
}

TEST(Frame, CreateSubFrameReachingOutsideHoldsZeros)
{
  auto frame = PatternFrame(2, 2, 2);
  frame->CreateComponent("EXTRA", DT_Float);
  frame->SetValue(1, 1, 1, 1, 4.0);
  std::unique_ptr<I_Frame> sub(frame->CreateSubFrame(1, 2, 1, 1, 1, 3));
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->GetDepth(), 3u);
  EXPECT_EQ(Rows(sub->GetPlane(0, 0)), "111 0");
  EXPECT_EQ(Rows(sub->GetPlane(0, 1)), "0 0");
  // Every component of the new frame has its full depth.
  ASSERT_EQ(sub->GetComponent(1)->GetNumberOfPlanes(), 3u);
  EXPECT_EQ(Rows(sub->GetPlane(1, 0)), "4 0");
  EXPECT_EQ(Rows(sub->GetPlane(1, 2)), "0 0");
}

TEST(Frame, ChangeComponentDataTypeConvertsAndClamps)
{
  auto frame = PatternFrame(2, 1, 2);
  frame->CreateComponent("EXTRA", DT_Float);
  frame->SetValue(1, 0, 0, 0, -5.0);
  frame->SetValue(1, 1, 0, 1, 300.5);
  frame->GetComponentScale(1)->SetDescription("kept");
  frame->ChangeComponentDataType("EXTRA", DT_UInt8, true);
  EXPECT_EQ(frame->GetComponentIndex("EXTRA"), 1);
  EXPECT_EQ(frame->GetComponentDataType(1), DT_UInt8);
  EXPECT_EQ(frame->GetValue(1, 0, 0, 0), 0.0);
  EXPECT_EQ(frame->GetValue(1, 1, 0, 1), 255.0);
  EXPECT_EQ(frame->GetComponentScale(1)->GetDescription(), "kept");

  frame->SetValue(1, 0, 0, 1, 9.0);
  frame->ChangeComponentDataType("EXTRA", DT_Double, false);
  EXPECT_EQ(frame->GetComponentDataType(1), DT_Double);
  EXPECT_EQ(frame->GetValue(1, 0, 0, 1), 0.0);
  EXPECT_EQ(frame->GetComponentScale(1)->GetDescription(), "");
  EXPECT_EQ(frame->GetComponentScale(1)->GetUnit()->GetSymbol(), "counts");

  EXPECT_EQ(MessageOf<RTE::Exception>([&] { frame->ChangeComponentDataType("EXTRA", DT_Bool, true); }),
            "The component could not be created.");
  EXPECT_EQ(frame->GetComponentDataType(1), DT_Double);
}

TEST(Frame, AttributesCanBeCreatedFoundCopiedAndDeleted)
{
  auto frame = PatternFrame(2, 2, 1);
  I_AttributeBase* node = frame->CreateAttributeNode("Group.Sub");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->GetName(), "Sub");
  EXPECT_EQ(node->GetType(), AttrNode);
  I_AttributeBase* value = frame->CreateAttribute("Group.Value", AttrDouble);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(frame->FindAttribute("Group.Value"), value);
  I_AttributePlane* plane = frame->CreateAttributePlane("Array", 4, 1, DT_Float);
  ASSERT_NE(plane, nullptr);
  ASSERT_NE(plane->GetPlane(), nullptr);
  EXPECT_EQ(plane->GetPlane()->GetWidth(), 4u);

  auto other = PatternFrame(2, 2, 1);
  other->CreateAttribute("Group", AttrString); // replaced by the copy
  other->CopyAttributes(frame->GetAttributeRoot());
  EXPECT_NE(other->FindAttribute("Group.Sub"), nullptr);
  EXPECT_NE(other->FindAttribute("Group.Value"), frame->FindAttribute("Group.Value"));
  EXPECT_EQ(other->GetAttributeRoot()->GetNumberOfChildren(), 2u);
  EXPECT_TRUE(other->GetAttributeRoot()->IsEqual(frame->GetAttributeRoot()));

  // Copying a frame's tree onto itself keeps one of each.
  frame->CopyAttributes(frame->GetAttributeRoot());
  EXPECT_EQ(frame->GetAttributeRoot()->GetNumberOfChildren(), 2u);

  frame->DeleteAttribute("Group.Sub");
  EXPECT_EQ(frame->FindAttribute("Group.Sub"), nullptr);
  EXPECT_NE(frame->FindAttribute("Group.Value"), nullptr);
  frame->DeleteAttribute("Missing.Path");
}

TEST(Frame, EqualityClonesAndScales)
{
  auto frame = PatternFrame(3, 2, 2);
  frame->SetName("f");
  frame->CreateAttribute("A", AttrInt32);
  frame->CreateValidMask();
  std::unique_ptr<I_Frame> copy(frame->Clone(true));
  EXPECT_TRUE(frame->IsEqual(copy.get()));
  EXPECT_EQ(Rows(copy->GetPlane(0, 1)), Rows(frame->GetPlane(0, 1)));
  EXPECT_TRUE(copy->HasMask());

  copy->SetName("g");
  EXPECT_TRUE(frame->IsNotEqual(copy.get()));
  copy->SetName("f");
  copy->SetScaleY(Linear(1.0, 1.0).release());
  EXPECT_FALSE(frame->IsEqual(copy.get()));
  copy->CopyScales(frame.get());
  EXPECT_TRUE(frame->IsEqual(copy.get()));
  copy->SetScaleZ(nullptr);
  EXPECT_FALSE(frame->IsEqual(copy.get()));
  copy->SetScaleZ(Linear(1.0, 0.0).release());
  copy->DeleteAttribute("A");
  copy->CreateAttribute("B", AttrInt32);
  EXPECT_FALSE(frame->IsEqual(copy.get()));
  copy->DeleteAttribute("B");
  copy->CreateAttribute("A", AttrInt32);
  EXPECT_TRUE(frame->IsEqual(copy.get()));
  copy->CreateComponent("EXTRA", DT_UInt8);
  EXPECT_FALSE(frame->IsEqual(copy.get()));
}

TEST(FrameFactory, RefusesDuplicatesAndUnknownTypes)
{
  C_FrameFactory& factory = C_FrameFactory::GetInstance();
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { factory.Register("FT_IMAGE", nullptr); }),
            "Frame type already registered.");
  const C_FrameImageParam param(2, 2, 1, DT_UInt8);
  EXPECT_EQ(factory.Create("FT_NOT_THERE", &param), nullptr);
  // The image creator refuses other parameter classes; the factory gives null.
  const C_FrameBaseParam plain(2, 2, 1);
  EXPECT_EQ(factory.Create(I_FrameImage::FT_IMAGE, &plain), nullptr);
  std::unique_ptr<I_Frame> frame(factory.Create(I_FrameImage::FT_IMAGE, &param));
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(dynamic_cast<C_Frame*>(frame.get())->GetFrameType(), "FT_IMAGE");
}
