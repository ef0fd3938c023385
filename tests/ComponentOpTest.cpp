#include <BufferApi.h>

#include "C_Component.h"
#include "C_Frame.h"
#include "C_Plane.h"
#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <tuple>

using namespace BufferApi;
using Op = C_ComponentOp;

namespace
{
using Image = std::unique_ptr<I_FrameImage>;
using Vectors = std::unique_ptr<I_FrameVector2C>;

Image MakeImage(E_DataType type, unsigned width, unsigned height, unsigned depth = 1)
{
  Image frame(CreateImageFrame(type, width, height, depth));
  EXPECT_NE(frame, nullptr);
  return frame;
}

std::string RaisedBy(const std::function<void()>& action)
{
  return FrameTestHelpers::MessageOf<RTE::Exception>(action);
}

//! Adds a component of type `type` with one width x height plane of `T`, a
//! shape that CreateComponent would not build.
template <typename T>
unsigned AddRawComponent(I_Frame& frame, const char* name, E_DataType type, unsigned width, unsigned height)
{
  auto* component = new C_Component(name, type);
  component->AddPlane(new C_Plane<T>(width, height));
  return dynamic_cast<C_Frame&>(frame).AddComponent(component);
}

const std::string kBoth = "The source and the destination frame must not be NULL.";
const std::string kSrcPlane = "The source frame's plane index must not exceed the frame's boundaries.";
const std::string kDstPlane = "The destination frame's plane index must not exceed the frame's boundaries.";
const std::string kMissing = "The component does not exist in the source frame.";
const std::string kUnsupported = "Component's data type is not supported.";
const std::string kNoFrame = "Frame must not be NULL.";
const std::string kPlaneIndex = "Plane index is out of bounds.";
const std::string kComponentIndex = "Component index is out of bounds.";
} // namespace

TEST(ComponentOp, RegionCopyKeepsTheOverlapClampedAndFillsTheRestWithTheDefault)
{
  // A source pattern that leaves the uint16 range on both sides.
  const auto pattern = [](unsigned x, unsigned y) { return (x + 1000.0 * y) - 30000.0; };
  Image src = MakeImage(DT_UInt16, 100, 80);
  src->CreateComponent("Temp", DT_Float);
  for (unsigned y = 0; y < 80; ++y)
    for (unsigned x = 0; x < 100; ++x)
      src->SetValue(1, x, y, 0, pattern(x, y));
  Image dst = MakeImage(DT_UInt16, 60, 120, 2);
  const int comp = static_cast<int>(dst->CreateComponent("Temp", DT_UInt16));
  dst->GetPlane(comp, 1)->SetDefaultValue(7);
  dst->GetPlane(comp, 1)->Fill(3); // overwritten everywhere
  dst->GetPlane(comp, 0)->Fill(5); // another plane: untouched

  Op::CopyComponent(src.get(), "Temp", 0, dst.get(), 1);
  for (unsigned y = 0; y < 120; ++y)
    for (unsigned x = 0; x < 60; ++x)
      ASSERT_EQ(dst->GetValue(comp, x, y, 1), y < 80 ? std::clamp(pattern(x, y), 0.0, 65535.0) : 7.0) << x << "," << y;
  EXPECT_EQ(dst->GetValue(comp, 59, 119, 0), 5.0);
}

TEST(ComponentOp, CopiesCreateMissingComponentsAndFrames)
{
  // CopyComponent: the destination component is made with the source type.
  Image src = MakeImage(DT_Int32, 4, 3);
  src->CreateComponent("Temp", DT_Double);
  src->SetValue(1, 2, 1, 0, -2.5);
  Image dst = MakeImage(DT_UInt16, 4, 3, 3);
  Op::CopyComponent(src.get(), 1u, 0, dst.get(), 2);
  const int index = dst->GetComponentIndex("Temp");
  ASSERT_GE(index, 0);
  EXPECT_EQ(dst->GetComponentDataType(index), DT_Double);
  EXPECT_EQ(dst->GetValue(index, 2, 1, 2), -2.5);

  // CopyComponentToImage: a null destination gives a new one-plane image.
  Vectors vectors(CreateVectorFrame2C(7, 5, 2, 1));
  ASSERT_NE(vectors, nullptr);
  const unsigned peak = vectors->CreateComponent("Peak ratio", DT_Float);
  vectors->SetValue(static_cast<int>(peak), 6, 4, 1, 1.25);
  Image created(Op::CopyComponentToImage(vectors.get(), "Peak ratio", 1, nullptr, 0));
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(std::make_tuple(created->GetWidth(), created->GetHeight(), created->GetDepth(), created->GetDataType()),
            std::make_tuple(7u, 5u, 1u, DT_Float));
  EXPECT_EQ(created->GetPixel(6, 4, 0), 1.25);
  // A frame made for the call is not leaked when the plane check fails after it.
  EXPECT_EQ(RaisedBy([&] { Op::CopyComponentToImage(vectors.get(), peak, 0, nullptr, 1); }), kDstPlane);

  // CopyImageToComponent: the component is made with the pixel type.
  Image floats = MakeImage(DT_Float, 3, 3, 2);
  floats->SetPixel(1, 2, 1, -4.5);
  Vectors target(CreateVectorFrame2C(2, 4, 1, 1));
  EXPECT_EQ(Op::CopyImageToComponent(floats.get(), 1, target.get(), "Peak ratio", 0), target.get());
  const int made = target->GetComponentIndex("Peak ratio");
  ASSERT_GE(made, 0);
  EXPECT_EQ(target->GetValue(made, 1, 2, 0), -4.5);
  EXPECT_EQ(target->GetValue(made, 1, 3, 0), 0.0); // row beyond the source: default
}

TEST(ComponentOp, ChecksInOrderWithTheirMessages)
{
  Image src = MakeImage(DT_UInt16, 4, 3, 2);
  Image dst = MakeImage(DT_UInt16, 4, 3, 1);
  Image rgb = MakeImage(DT_RGB, 2, 2);
  Image dwords = MakeImage(DT_UInt32, 2, 2);
  Image flagged = MakeImage(DT_UInt8, 2, 2);
  const unsigned flags = AddRawComponent<unsigned char>(*flagged, "Flags", DT_Bool, 2, 2);
  I_FrameImage* s = src.get();
  I_FrameImage* d = dst.get();
  const struct
  {
    std::function<void()> action;
    std::string message;
  } rows[] = {
      // CopyComponent, index form: its own checks first.
      {[&] { Op::CopyComponent(nullptr, 0u, 0, d, 0); }, "The source frame must not be NULL."},
      {[&] { Op::CopyComponent(s, 1u, 9, nullptr, 9); }, kMissing},
      {[&] { Op::CopyComponent(s, 0u, 0, nullptr, 0); }, kBoth},
      // Name form: null frames, source plane, destination plane, component.
      {[&] { Op::CopyComponent(nullptr, "X", 9, d, 9); }, kBoth},
      {[&] { Op::CopyComponent(s, "X", 2, d, 1); }, kSrcPlane},
      {[&] { Op::CopyComponent(s, "X", 1, d, 1); }, kDstPlane},
      {[&] { Op::CopyComponent(s, "X", 1, d, 0); }, kMissing},
      // CopyComponentToImage
      {[&] { Op::CopyComponentToImage(nullptr, 0u, 0, d, 0); }, kBoth},
      {[&] { Op::CopyComponentToImage(s, 1u, 0, d, 0); }, kMissing},
      {[&] { Op::CopyComponentToImage(s, "PIXEL", 2, nullptr, 0); }, kSrcPlane},
      {[&] { Op::CopyComponentToImage(s, "X", 0, nullptr, 0); }, kMissing},
      {[&] { Op::CopyComponentToImage(s, 0u, 0, d, 1); }, kDstPlane},
      {[&] { Op::CopyComponentToImage(flagged.get(), "Flags", 0, nullptr, 0); }, "Invalid component type."},
      // CopyImageToComponent
      {[&] { Op::CopyImageToComponent(s, 0, nullptr, 0u, 0); }, "The destination frame must not be NULL."},
      {[&] { Op::CopyImageToComponent(nullptr, 0, d, 1u, 0); },
       "The component does not exist in the destination frame."},
      {[&] { Op::CopyImageToComponent(nullptr, 0, d, 0u, 0); }, kBoth},
      {[&] { Op::CopyImageToComponent(s, 0, nullptr, "X", 0); }, kBoth},
      {[&] { Op::CopyImageToComponent(s, 2, d, "X", 1); }, kSrcPlane},
      {[&] { Op::CopyImageToComponent(s, 0, d, "X", 1); }, kDstPlane},
      // SetComponentConst
      {[&] { Op::SetComponentConst(s, 0u, 1.0, 2, true); }, kPlaneIndex},
      {[&] { Op::SetComponentConst(s, 1u, 1.0, 0, false); }, kComponentIndex},
      {[&] { Op::SetComponentConst(nullptr, 0u, 1.0, 0, false); }, kNoFrame},
      {[&] { Op::SetComponentConst(s, "pixel", 1.0, 0, false); }, "The component does not exist."},
      // SetImagePlaneConst: element types it cannot write, then the indexes.
      {[&] { Op::SetImagePlaneConst(rgb.get(), 0, 0, 1.0); }, kUnsupported},
      {[&] { Op::SetImagePlaneConst(flagged.get(), 0, 0, 1); }, kUnsupported},
      {[&] { Op::SetImagePlaneConst(flagged.get(), flags, 0, 1.0); }, kUnsupported},
      {[&] { Op::SetImagePlaneConst(dwords.get(), 0, 0, 1.0f); }, kUnsupported},
      {[&] { Op::SetImagePlaneConst(nullptr, 0, 0, 1); }, kNoFrame},
      {[&] { Op::SetImagePlaneConst(s, 1, 0, 1); }, kComponentIndex},
      {[&] { Op::SetImagePlaneConst(s, 0, 2, 1); }, kPlaneIndex},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i)
    EXPECT_EQ(RaisedBy(rows[i].action), rows[i].message) << "row " << i;
  // Nothing was made on the way, nothing written.
  EXPECT_EQ(dst->GetComponentIndex("X"), -1);
  const RTE::Exception e = FrameTestHelpers::ExceptionOf([&] { Op::CopyComponent(s, 5u, 0, d, 0); });
  EXPECT_EQ(e.file(), QString::fromLatin1("Sources\\C_ComponentOp"));
}

TEST(ComponentOp, CopyNonDataComponentsCopiesOnlyUserComponents)
{
  Vectors src(CreateVectorFrame2C(4, 3, 1, 2));
  Vectors dst(CreateVectorFrame2C(3, 5, 2, 2));
  ASSERT_TRUE(src && dst);
  src->CreateValidMask();
  dst->CreateValidMask();
  src->CreateComponent("Peak ratio", DT_Float);
  src->CreateComponent("Only in source", DT_Float);
  dst->CreateComponent("Peak ratio", DT_Double);
  for (unsigned i = 0; i < src->GetNumberOfComponents(); ++i)
    src->GetPlane(static_cast<int>(i), 0)->Fill(5.0); // fixed components too: a copy would show
  const int peak = dst->GetComponentIndex("Peak ratio");
  dst->GetPlane(peak, 1)->Fill(-1.0);

  Op::CopyNonDataComponents(src.get(), 0, dst.get(), 1);
  for (unsigned y = 0; y < 5; ++y)
    for (unsigned x = 0; x < 3; ++x)
      EXPECT_EQ(dst->GetValue(peak, x, y, 1), y < 3 ? 5.0 : -1.0) << x << "," << y;
  EXPECT_EQ(dst->GetComponentIndex("Only in source"), -1);
  for (int i = 0; i < static_cast<int>(dst->GetNumberOfComponents()); ++i)
  {
    const double untouched = i == peak ? 5.0 : dst->GetComponentName(i) == I_Frame::COMPONENT_MASK ? 1.0 : 0.0;
    EXPECT_EQ(dst->GetValue(i, 0, 0, 1), untouched) << dst->GetComponentName(i);
  }

  // Nothing to do and nothing raised for null frames or planes that do not exist.
  Op::CopyNonDataComponents(nullptr, 0, dst.get(), 0);
  Op::CopyNonDataComponents(src.get(), 5, dst.get(), 7);
}

TEST(ComponentOp, SetConstFillsOnePlaneOrAllClampedOrByPlainConversion)
{
  Image frame = MakeImage(DT_UInt16, 3, 2, 3);
  Op::SetComponentConst(frame.get(), 0u, 70000.0, 1, false);
  EXPECT_EQ(frame->GetPixel(2, 1, 1), 65535.0);
  EXPECT_EQ(frame->GetPixel(2, 1, 0) + frame->GetPixel(2, 1, 2), 0.0);
  Op::SetComponentConst(frame.get(), "PIXEL", 9.0, 0, true);
  for (unsigned z = 0; z < 3; ++z)
    EXPECT_EQ(frame->GetPixel(0, 0, z) + frame->GetPixel(2, 1, z), 18.0) << z;

  // SetImagePlaneConst converts plainly, without clamping.
  Image ints = MakeImage(DT_Int32, 2, 2, 2);
  Op::SetImagePlaneConst(ints.get(), 0, 1, 3.9);
  EXPECT_EQ(ints->GetPixel(1, 1, 1), 3.0);
  // NaN gives INT32_MIN as the x86 conversion does, not undefined behaviour.
  Op::SetImagePlaneConst(ints.get(), 0, 0, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(ints->GetPixel(0, 0, 0), double(std::numeric_limits<int>::min()));
  // Unsigned 16-bit targets keep the low 16 bits instead of clamping.
  Image words = MakeImage(DT_UInt16, 2, 2);
  Op::SetImagePlaneConst(words.get(), 0, 0, 70000.7);
  EXPECT_EQ(words->GetPixel(1, 1, 0), 4464.0);
  // Any component of the frame, not only the pixels.
  const unsigned extra = words->CreateComponent("Extra", DT_Float);
  Op::SetImagePlaneConst(words.get(), extra, 0, 7);
  EXPECT_EQ(words->GetValue(static_cast<int>(extra), 1, 1, 0), 7.0);
}

TEST(ComponentOp, PlanesMissingFromAComponentAreReportedNotRead)
{
  Image src = MakeImage(DT_UInt16, 2, 2, 2);
  Image dst = MakeImage(DT_UInt16, 2, 2, 2);
  AddRawComponent<float>(*src, "Short", DT_Float, 2, 2);
  EXPECT_EQ(RaisedBy([&] { Op::CopyComponent(src.get(), "Short", 1, dst.get(), 0); }), kSrcPlane);
  EXPECT_EQ(RaisedBy([&] { Op::SetImagePlaneConst(src.get(), 1, 1, 2.0f); }), kPlaneIndex);
  // SetComponentConst writes through the guarded frame access: the missing plane is skipped.
  Op::SetComponentConst(src.get(), 1u, 4.0, 0, true);
  EXPECT_EQ(src->GetValue(1, 1, 1, 0), 4.0);
}
