#include <BufferApi.h>

#include "C_FrameImage.h"
#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace BufferApi;
using namespace FrameTestHelpers;

namespace
{
using Strings = std::vector<std::string>;

//! An image frame whose pixel (x, y, z) holds 100 z + 10 y + x.
std::unique_ptr<C_FrameImage> PatternFrame(unsigned width, unsigned height, unsigned depth)
{
  auto frame = std::make_unique<C_FrameImage>(width, height, depth, DT_Float);
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

//! The rows of every plane of component c.
Strings Planes(const I_Frame& frame, int c = 0)
{
  Strings planes;
  for (unsigned z = 0; z < frame.GetComponent(c)->GetNumberOfPlanes(); ++z)
  {
    planes.push_back(Rows(frame.GetPlane(c, z)));
  }
  return planes;
}

I_Scale* Linear(double factor, double offset, const std::string& unit = "pixel")
{
  return C_ScaleFactory::GetInstance().CreateLinearScale(factor, offset, unit, "");
}

const char* const kLowerAboveUpper = "One of the lower end of the boundaries is larger than the upper end.";
const char* const kNotDeletable = "This component must not be deleted.";
} // namespace

TEST(Frame, NewFrameDefaultsAndBadIndexesAnswerNothing)
{
  auto frame = PatternFrame(3, 2, 2);
  ASSERT_TRUE(frame->CreateMask());
  EXPECT_EQ(frame->GetComponentIndex("MASK"), 1);
  EXPECT_EQ(frame->GetComponentIndex("mask"), -1);
  EXPECT_EQ(frame->GetComponent(-1), nullptr);
  EXPECT_EQ(frame->GetComponentScale(2), nullptr);
  EXPECT_EQ(frame->GetPlane(0, 2), nullptr);
  EXPECT_EQ(frame->GetValue(0, 2, 1, 1), 112.0);
  EXPECT_EQ(frame->GetValue(0, 3, 0, 0), 0.0);
  frame->SetValue(0, 1, 1, 9, 6.0); // no such plane: nothing
  frame->SetValue(9, 1, 1, 0, 6.0);
  EXPECT_EQ(frame->GetValue(0, 1, 1, 0), 11.0);

  // A scale for a component that does not exist is not leaked.
  frame->SetComponentScale(9, Linear(2.0, 0.0));
  frame->SetComponentScale(0, Linear(2.0, 0.0));
  EXPECT_EQ(frame->GetScaleI()->GetFactor(), 2.0);
}

TEST(Frame, CreateDeleteAndRenameComponentsKeepTheOrder)
{
  auto frame = PatternFrame(3, 2, 2);
  EXPECT_EQ(frame->CreateComponent("A", DT_Int32), 1u);
  EXPECT_EQ(MessageOf([&] { frame->CreateComponent("A", DT_Float); }), "Component already exists.");
  const std::vector<void*> tooFew{nullptr};
  std::vector<std::string> logged;
  RTE::LogHandler previous =
      RTE::SetLogHandler([&](const RTE::Exception& e) { logged.push_back(e.message().toStdString()); });
  EXPECT_EQ(MessageOf([&] { frame->CreateComponent("LIST", DT_UInt8, &tooFew); }),
            "The component could not be created.");
  RTE::SetLogHandler(previous);
  // The cause stays in the log ahead of the frame's own message.
  EXPECT_EQ(logged, (std::vector<std::string>{"Not enough plane data memory defined for required number of planes",
                                              "The component could not be created."}));

  frame->CreateComponent("B", DT_UInt8);
  frame->CreateMask();
  frame->SetComponentName(0, "RENAMED"); // protected
  frame->SetComponentName(5, "X");
  frame->SetComponentName(2, "C");
  EXPECT_EQ(MessageOf([&] { frame->DeleteComponent(4u); }), "The component's index was out of bounds.");
  EXPECT_EQ(MessageOf([&] { frame->DeleteComponent("MISSING"); }), "The component was not found.");
  EXPECT_EQ(MessageOf([&] { frame->DeleteComponent(3u); }), kNotDeletable);
  frame->DeleteComponent("A");
  EXPECT_EQ(frame->GetComponentName(1), "C");
  EXPECT_EQ(frame->GetComponentIndex("MASK"), 2);
  frame->DeleteComponent(1u);
  EXPECT_EQ(frame->GetComponentName(0), "PIXEL");
  EXPECT_TRUE(frame->HasMask());
  EXPECT_FALSE(frame->IsComponentDeletable(0));
}

TEST(Frame, MaskCreationValidityAndDeletion)
{
  auto frame = PatternFrame(3, 2, 2);
  EXPECT_TRUE(frame->IsValid(1, 1, 0));
  EXPECT_EQ(MessageOf([&] { frame->SetValid(1, 1, 0, false); }), "The mask component was not created yet.");
  const std::vector<void*> wrongLength{nullptr, nullptr, nullptr};
  EXPECT_FALSE(frame->CreateMask(&wrongLength));

  ASSERT_TRUE(frame->CreateValidMask());
  EXPECT_TRUE(frame->CreateMask());
  EXPECT_EQ(ScaleText(frame->GetComponentScale(1)), "1 0 Valid Mask");
  frame->SetValid(1, 1, 0, false);
  frame->SetValid(0, 0, 7, false); // nothing
  EXPECT_EQ(Planes(*frame, 1), (Strings{"1 1 1|1 0 1", "1 1 1|1 1 1"}));
  EXPECT_FALSE(frame->IsValid(3, 0, 0)); // outside the mask plane
  EXPECT_FALSE(frame->IsValid(0, 0, 2)); // no such mask plane

  frame->DeleteMask();
  frame->DeleteMask(); // nothing left to delete
  EXPECT_EQ(frame->GetNumberOfComponents(), 1u);
  EXPECT_TRUE(frame->IsValid(1, 1, 0));
  // A new mask without CreateValidMask marks everything invalid.
  ASSERT_TRUE(frame->CreateMask());
  EXPECT_FALSE(frame->IsValid(0, 0, 0));
}

TEST(Frame, SetSizeKeepsContentFillsWithDefaultsAndRefusesWithoutChange)
{
  auto frame = PatternFrame(3, 2, 2);
  EXPECT_EQ(MessageOf([&] { frame->SetSize(0, 2, 2); }), kLowerAboveUpper);
  EXPECT_EQ(SizeOf(*frame), "3x2x2");

  frame->GetPlane(0, 0)->SetDefaultValue(7.0);
  frame->SetSize(4, 3, 4);
  // Appended planes are empty clones of the first plane: its default value.
  EXPECT_EQ(Planes(*frame), (Strings{"0 1 2 7|10 11 12 7|7 7 7 7", "100 101 102 0|110 111 112 0|0 0 0 0",
                                     "7 7 7 7|7 7 7 7|7 7 7 7", "7 7 7 7|7 7 7 7|7 7 7 7"}));
  frame->SetSize(2, 1, 1);
  EXPECT_EQ(Planes(*frame), (Strings{"0 1"}));

  // The mask follows.
  auto other = PatternFrame(5, 4, 3);
  frame->CreateMask();
  frame->SetSizeLike(other.get());
  EXPECT_EQ(frame->GetPlane(1, 2)->GetHeight(), 4u);

  // Depth 0 removes every plane; growing again is refused.
  frame->SetSize(2, 1, 0);
  EXPECT_EQ(MessageOf([&] { frame->SetSize(2, 2, 2); }), "There are no planes in this frame.");
  EXPECT_EQ(SizeOf(*frame), "2x1x0");
}

TEST(Frame, ResizeKeepsTheOverlapAndFillsNewPlacesWithTheDefault)
{
  struct Case
  {
    unsigned width, height, depth;
    double default0, default1; // of planes 0 and 1
    int x0, x1, y0, y1, z0, z1;
    Strings planes;
  } const cases[] = {
      {2, 1, 2, 7, 8, -1, 2, -1, 1, 0, 1, {"7 7 7 7|7 0 1 7|7 7 7 7", "8 8 8 8|8 100 101 8|8 8 8 8"}},
      // New planes in front and behind hold the default value of plane 0.
      {3, 2, 3, 5, 0, 1, 2, 0, 0, -1, 1, {"5 5", "1 2", "101 102"}},
      {2, 2, 3, 5, 0, 1, 1, 0, 0, 1, 4, {"101", "201", "5", "5"}},
      {2, 2, 2, 3, 0, 0, 2, 0, 0, 5, 6, {"3 3 3", "3 3 3"}},
      {2, 1, 2, 0, 9, 0, 1, 0, 0, -3, -1, {"0 0", "0 0", "0 0"}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.planes.front());
    auto frame = PatternFrame(c.width, c.height, c.depth);
    frame->GetPlane(0, 0)->SetDefaultValue(c.default0);
    frame->GetPlane(0, 1)->SetDefaultValue(c.default1);
    frame->CreateComponent("EXTRA", DT_UInt8);
    frame->Resize(c.x0, c.x1, c.y0, c.y1, c.z0, c.z1);
    EXPECT_EQ(Planes(*frame), c.planes);
    ASSERT_EQ(frame->GetComponent(1)->GetNumberOfPlanes(), c.planes.size());
    EXPECT_EQ(frame->GetPlane(1, 0)->GetWidth(), frame->GetWidth());
  }
}

TEST(Frame, ResizeRefusalsAndSharedPlanes)
{
  auto frame = PatternFrame(2, 2, 1);
  EXPECT_EQ(MessageOf([&] { frame->Resize(1, 0, 0, 1, 0, 0); }), kLowerAboveUpper);
  EXPECT_EQ(SizeOf(*frame), "2x2x1");
  auto empty = PatternFrame(2, 2, 0);
  EXPECT_EQ(MessageOf([&] { empty->Resize(0, 1, 0, 1, 0, 1); }), "Resize was called while the frame has no planes.");

  // A plane shared by two components is cut once.
  frame->CreateComponent("COPY", DT_Float);
  std::shared_ptr<I_PlaneBase> shared(frame->GetPlane(0, 0)->Clone(true));
  frame->GetComponent(0)->SetPlane(0, shared);
  frame->GetComponent(1)->SetPlane(0, shared);
  frame->Resize(1, 1, 0, 1, 0, 0);
  EXPECT_EQ(Rows(shared.get()), "1|11");
}

TEST(Frame, CopyRegionTakesCornersInAnyOrderClampsAndIgnoresStartsOutside)
{
  auto src = PatternFrame(4, 3, 2);
  auto dst = std::make_unique<C_FrameImage>(3, 3, 1, DT_UInt8);
  const struct
  {
    unsigned dx, dy, dz;
    const I_Frame* source;
    unsigned x0, y0, x1, y1, z;
  } outside[] = {
      {3, 0, 0, src.get(), 0, 0, 1, 1, 0}, {0, 3, 0, src.get(), 0, 0, 1, 1, 0}, {0, 0, 1, src.get(), 0, 0, 1, 1, 0},
      {0, 0, 0, src.get(), 0, 0, 4, 1, 0}, {0, 0, 0, src.get(), 0, 3, 0, 0, 0}, {0, 0, 0, src.get(), 0, 0, 1, 1, 2},
      {0, 0, 0, nullptr, 0, 0, 1, 1, 0},
  };
  for (const auto& c : outside)
  {
    dst->CopyRegion(c.dx, c.dy, c.dz, c.source, c.x0, c.y0, c.x1, c.y1, c.z);
  }
  EXPECT_EQ(Rows(dst->GetPlane(0, 0)), "0 0 0|0 0 0|0 0 0");

  // Corners (3, 2) and (1, 1): x 1..3, y 1..2 of source plane 1, placed at
  // (1, 0) and cut to 2 columns by the destination's width.
  dst->CopyRegion(1, 0, 0, src.get(), 3, 2, 1, 1, 1);
  EXPECT_EQ(Rows(dst->GetPlane(0, 0)), "0 111 112|0 121 122|0 0 0");
  // Values pass through double and are clamped to the destination type.
  src->SetPixel(0, 0, 0, 300.7);
  src->SetPixel(1, 0, 0, -4.0);
  dst->CopyRegion(0, 2, 0, src.get(), 0, 0, 1, 0, 0);
  EXPECT_EQ(Rows(dst->GetPlane(0, 0)), "0 111 112|0 121 122|255 0 0");
}

TEST(Frame, CopyDataPairsComponentsByName)
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
}

TEST(Frame, CreateSubFrameCutsValuesShiftsScalesAndCarriesTheMask)
{
  auto frame = PatternFrame(5, 4, 3);
  frame->SetScaleX(Linear(2.0, 10.0, "mm"));
  frame->SetScaleZ(Linear(0.5, 0.0, "s"));
  frame->CreateComponent("EXTRA", DT_Int32);
  frame->SetValue(1, 3, 2, 1, -9.0);
  frame->CreateValidMask();
  frame->SetValid(3, 2, 2, false);

  // Corners in any order: x 1..3, y 1..2, z 1..2.
  std::unique_ptr<I_Frame> sub(frame->CreateSubFrame(3, 1, 2, 1, 2, 1));
  ASSERT_NE(dynamic_cast<C_FrameImage*>(sub.get()), nullptr);
  EXPECT_EQ(Planes(*sub), (Strings{"111 112 113|121 122 123", "211 212 213|221 222 223"}));
  // New index 0 keeps the old world position of the lower corner.
  EXPECT_EQ(sub->GetScaleX()->ToWorld(0.0), frame->GetScaleX()->ToWorld(1.0));
  EXPECT_EQ(sub->GetScaleZ()->ToWorld(1.0), frame->GetScaleZ()->ToWorld(2.0));
  ASSERT_EQ(sub->GetComponentIndex("EXTRA"), 1);
  EXPECT_EQ(sub->GetValue(1, 2, 1, 0), -9.0);
  // The mask comes over as the new frame's mask.
  ASSERT_TRUE(sub->HasMask());
  EXPECT_FALSE(sub->IsValid(2, 1, 1));
  EXPECT_TRUE(sub->IsValid(1, 1, 1));

  // Reaching outside gives zeros; every component gets the full new depth.
  auto small = PatternFrame(2, 2, 2);
  small->CreateComponent("EXTRA", DT_Float);
  small->SetValue(1, 1, 1, 1, 4.0);
  sub.reset(small->CreateSubFrame(1, 2, 1, 1, 1, 3));
  EXPECT_EQ(Planes(*sub), (Strings{"111 0", "0 0", "0 0"}));
  EXPECT_EQ(Planes(*sub, 1), (Strings{"4 0", "0 0", "0 0"}));
}

TEST(Frame, ChangeComponentDataTypeConvertsAndClamps)
{
  auto frame = PatternFrame(2, 1, 2);
  frame->CreateComponent("EXTRA", DT_Float);
  frame->SetValue(1, 0, 0, 0, -5.0);
  frame->SetValue(1, 1, 0, 1, 300.5);
  frame->GetComponentScale(1)->SetDescription("kept");
  frame->ChangeComponentDataType("EXTRA", DT_UInt8, true);
  EXPECT_EQ(Planes(*frame, 1), (Strings{"0 0", "0 255"}));
  EXPECT_EQ(ScaleText(frame->GetComponentScale(1)), "1 0 counts kept");

  frame->SetValue(1, 0, 0, 1, 9.0);
  frame->ChangeComponentDataType("EXTRA", DT_Double, false);
  EXPECT_EQ(Planes(*frame, 1), (Strings{"0 0", "0 0"}));
  EXPECT_EQ(ScaleText(frame->GetComponentScale(1)), "1 0 counts");

  EXPECT_EQ(MessageOf([&] { frame->ChangeComponentDataType("EXTRA", DT_Bool, true); }),
            "The component could not be created.");
}

TEST(Frame, AttributesAreCopiedAndDeleted)
{
  auto frame = PatternFrame(2, 2, 1);
  frame->CreateAttributeNode("Group.Sub");
  I_AttributeBase* value = frame->CreateAttribute("Group.Value", AttrDouble);

  auto other = PatternFrame(2, 2, 1);
  other->CreateAttribute("Group", AttrString); // replaced by the copy
  other->CopyAttributes(frame->GetAttributeRoot());
  EXPECT_NE(other->FindAttribute("Group.Value"), value);
  EXPECT_TRUE(other->GetAttributeRoot()->IsEqual(frame->GetAttributeRoot()));
  // Copying a frame's tree onto itself keeps one of each.
  frame->CopyAttributes(frame->GetAttributeRoot());
  EXPECT_EQ(frame->GetAttributeRoot()->GetNumberOfChildren(), 1u);

  frame->DeleteAttribute("Group.Sub");
  EXPECT_EQ(frame->FindAttribute("Group.Sub"), nullptr);
}

TEST(Frame, EqualityClonesAndScales)
{
  auto frame = PatternFrame(3, 2, 2);
  frame->SetName("f");
  frame->CreateAttribute("A", AttrInt32);
  frame->CreateValidMask();
  std::unique_ptr<I_Frame> copy(frame->Clone(true));
  EXPECT_EQ(Planes(*copy), Planes(*frame));

  copy->SetName("g");
  EXPECT_TRUE(frame->IsNotEqual(copy.get()));
  copy->SetName("f");
  copy->SetScaleY(Linear(1.0, 1.0));
  EXPECT_FALSE(frame->IsEqual(copy.get()));
  copy->CopyScales(frame.get());
  EXPECT_TRUE(frame->IsEqual(copy.get()));
  copy->DeleteAttribute("A");
  copy->CreateAttribute("B", AttrInt32);
  EXPECT_FALSE(frame->IsEqual(copy.get()));
}

TEST(FrameFactory, RefusesDuplicatesUnknownTypesAndForeignParameters)
{
  C_FrameFactory& factory = C_FrameFactory::GetInstance();
  EXPECT_EQ(factory.GetRegisteredTypes(),
            (Strings{"FT_IMAGE", "FT_PROFILE", "FT_RGB", "FT_VECTOR_2C", "FT_VECTOR_3C"}));
  EXPECT_EQ(MessageOf([&] { factory.Register("FT_IMAGE", nullptr); }), "Frame type already registered.");
  const C_FrameImageParam param(2, 2, 1, DT_UInt8);
  EXPECT_EQ(factory.Create("FT_NOT_THERE", &param), nullptr);
  // The image creator refuses other parameter classes; the factory gives null.
  const C_FrameBaseParam plain(2, 2, 1);
  EXPECT_EQ(factory.Create(I_FrameImage::FT_IMAGE, &plain), nullptr);
  std::unique_ptr<I_Frame> frame(factory.Create(I_FrameImage::FT_IMAGE, &param));
  EXPECT_EQ(dynamic_cast<C_Frame&>(*frame).GetFrameType(), "FT_IMAGE");
}

namespace
{
//! A frame type with nothing of its own, to see C_Frame's defaults. It is not
//! registered with the frame factory.
class C_TestFrame : public C_Frame
{
public:
  C_TestFrame(unsigned width, unsigned height, unsigned depth)
      : C_Frame(width, height, depth)
  {
  }
  C_TestFrame(const C_TestFrame& other)
      : I_Frame(other)
      , C_Frame(other)
  {
  }
  bool IsSameType(const I_BufferLibObject* other) const override
  {
    return dynamic_cast<const C_TestFrame*>(other) != nullptr;
  }
  I_Frame* Clone(bool) const override { return new C_TestFrame(*this); }
  E_DataType GetDataType() const override { return DT_Bool; }
  void Clear() override {}
  void Fill(double) override {}
  std::string GetFrameType() const override { return "FT_TEST"; }
};
} // namespace

TEST(FrameBase, DefaultsOfAFrameWithoutMainComponent)
{
  C_TestFrame frame(2, 2, 1);

  frame.CreateComponent("A", DT_Float);
  ASSERT_TRUE(frame.CreateValidMask());
  EXPECT_TRUE(frame.IsProtectedComponentIndex(1));

  // C_Frame lets the mask change its type; the cached mask follows.
  frame.SetValid(1, 0, 0, false);
  frame.ChangeComponentDataType("MASK", DT_Float, true);
  EXPECT_EQ(frame.GetComponentDataType(1), DT_Float);
  EXPECT_FALSE(frame.IsValid(1, 0, 0));
  frame.SetValid(0, 0, 0, false);
  EXPECT_FALSE(frame.IsValid(0, 0, 0));
  EXPECT_EQ(MessageOf([&] { frame.ChangeComponentDataType("NONE", DT_Float, true); }), "Component does not exist.");

  // The frame type is not registered: no sub-frame.
  EXPECT_EQ(frame.CreateSubFrame(0, 1, 0, 1, 0, 0), nullptr);
  std::unique_ptr<I_Frame> copy(frame.Clone(true));
  EXPECT_FALSE(copy->IsValid(0, 0, 0));

  // Frame types take components out and put them back; the mask follows.
  std::unique_ptr<C_Component> mask = frame.RemoveComponent(1);
  EXPECT_FALSE(frame.HasMask());
  EXPECT_EQ(frame.AddComponent(mask.release()), 1u);
  EXPECT_TRUE(frame.HasMask());
  EXPECT_EQ(MessageOf([&] { frame.AddComponent(nullptr); }), "The component could not be created.");

  // A component created under the mask's name is the mask.
  C_TestFrame other(2, 2, 1);
  other.CreateComponent("MASK", DT_UInt8);
  EXPECT_TRUE(other.HasMask());
  EXPECT_FALSE(other.IsComponentDeletable(0));
}
