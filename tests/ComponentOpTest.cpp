#include <BufferApi.h>

#include "C_Component.h"
#include "C_Frame.h"
#include "C_Plane.h"
#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

using namespace BufferApi;
using FrameTestHelpers::MessageOf;

namespace
{
using Image = std::unique_ptr<I_FrameImage>;

Image MakeImage(E_DataType type, unsigned width, unsigned height, unsigned depth = 1)
{
  Image frame(CreateImageFrame(type, width, height, depth));
  EXPECT_NE(frame, nullptr);
  return frame;
}

//! Element (x, y) of a source pattern that leaves the uint16 range on both sides.
double Pattern(unsigned x, unsigned y)
{
  return (x + 1000.0 * y) - 30000.0;
}

template <typename F>
std::string RaisedBy(F&& action)
{
  return MessageOf<RTE::Exception>(action);
}
} // namespace

TEST(ComponentOp, RegionCopyKeepsTheOverlapAndFillsTheRestWithTheDefault)
{
  Image src = MakeImage(DT_UInt16, 100, 80);
  src->CreateComponent("Temp", DT_Float);
  for (unsigned y = 0; y < 80; ++y)
  {
    for (unsigned x = 0; x < 100; ++x)
    {
      src->SetValue(1, x, y, 0, Pattern(x, y));
    }
  }
  Image dst = MakeImage(DT_UInt16, 60, 120, 2);
  const unsigned comp = dst->CreateComponent("Temp", DT_UInt16);
  dst->GetPlane(static_cast<int>(comp), 1)->SetDefaultValue(7);
  dst->GetPlane(static_cast<int>(comp), 1)->Fill(3); // overwritten everywhere
  dst->GetPlane(static_cast<int>(comp), 0)->Fill(5); // another plane: untouched

  C_ComponentOp::CopyComponent(src.get(), std::string("Temp"), 0, dst.get(), 1);

  const I_PlaneBase* out = dst->GetPlane(static_cast<int>(comp), 1);
  for (unsigned y = 0; y < 120; ++y)
  {
    for (unsigned x = 0; x < 60; ++x)
    {
      const double expected = y < 80 ? std::clamp(Pattern(x, y), 0.0, 65535.0) : 7.0;
      ASSERT_EQ(out->GetValue(x, y), expected) << x << "," << y;
    }
  }
  // The clamps were exercised at both ends.
  EXPECT_EQ(out->GetValue(0, 0), 0.0);
  EXPECT_EQ(out->GetValue(59, 79), 49059.0);
  EXPECT_EQ(dst->GetValue(static_cast<int>(comp), 59, 119, 0), 5.0);
}

TEST(ComponentOp, RegionCopyFromASmallerFrameFillsColumnsAndRowsBeyondIt)
{
  Image src = MakeImage(DT_Float, 3, 2);
  src->GetPlane(0u)->Fill(1e9);
  Image dst = MakeImage(DT_UInt8, 5, 4);
  dst->GetPlane(0u)->SetDefaultValue(9);
  C_ComponentOp::CopyComponentToImage(src.get(), 0u, 0, dst.get(), 0);
  for (unsigned y = 0; y < 4; ++y)
  {
    for (unsigned x = 0; x < 5; ++x)
    {
      EXPECT_EQ(dst->GetPixel(x, y, 0), x < 3 && y < 2 ? 255.0 : 9.0) << x << "," << y;
    }
  }
}

TEST(ComponentOp, CopyComponentCreatesTheMissingDestinationComponent)
{
  Image src = MakeImage(DT_Int32, 4, 3);
  src->CreateComponent("Temp", DT_Double);
  src->SetValue(1, 2, 1, 0, -2.5);
  Image dst = MakeImage(DT_UInt16, 4, 3, 3);

  C_ComponentOp::CopyComponent(src.get(), 1u, 0, dst.get(), 2);

  const int index = dst->GetComponentIndex("Temp");
  ASSERT_GE(index, 0);
  EXPECT_EQ(dst->GetComponentDataType(index), DT_Double);
  EXPECT_EQ(dst->GetComponent(index)->GetNumberOfPlanes(), 3u);
  EXPECT_EQ(dst->GetValue(index, 2, 1, 2), -2.5);
  EXPECT_EQ(dst->GetValue(index, 2, 1, 0), 0.0);
}

TEST(ComponentOp, CopyComponentChecksInOrderWithItsMessages)
{
  Image src = MakeImage(DT_UInt16, 4, 3, 2);
  Image dst = MakeImage(DT_UInt16, 4, 3, 1);
  const std::string both = "The source and the destination frame must not be NULL.";
  const std::string srcPlane = "The source frame's plane index must not exceed the frame's boundaries.";
  const std::string dstPlane = "The destination frame's plane index must not exceed the frame's boundaries.";
  const std::string missing = "The component does not exist in the source frame.";

  // Index form: its own checks first.
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponent(nullptr, 0u, 0, dst.get(), 0); }),
            "The source frame must not be NULL.");
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponent(src.get(), 1u, 9, nullptr, 9); }), missing);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponent(src.get(), 0u, 0, nullptr, 0); }), both);

  // Name form: null frames, source plane, destination plane, component.
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponent(nullptr, std::string("X"), 9, dst.get(), 9); }), both);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponent(src.get(), std::string("X"), 2, dst.get(), 1); }), srcPlane);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponent(src.get(), std::string("X"), 1, dst.get(), 1); }), dstPlane);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponent(src.get(), std::string("X"), 1, dst.get(), 0); }), missing);
  EXPECT_EQ(dst->GetComponentIndex("X"), -1);

  const RTE::Exception e =
      FrameTestHelpers::ExceptionOf([&] { C_ComponentOp::CopyComponent(src.get(), 5u, 0, dst.get(), 0); });
  EXPECT_EQ(e.file(), QString::fromLatin1("Sources\\C_ComponentOp"));
}

TEST(ComponentOp, CopyComponentToImageCreatesAFrameForANullDestination)
{
  auto vectors = std::unique_ptr<I_FrameVector2C>(CreateVectorFrame2C(7, 5, 2, 1));
  ASSERT_NE(vectors, nullptr);
  const unsigned peak = vectors->CreateComponent("Peak ratio", DT_Float);
  vectors->SetValue(static_cast<int>(peak), 6, 4, 1, 1.25);

  Image created(C_ComponentOp::CopyComponentToImage(vectors.get(), std::string("Peak ratio"), 1, nullptr, 0));
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->GetWidth(), 7u);
  EXPECT_EQ(created->GetHeight(), 5u);
  EXPECT_EQ(created->GetDepth(), 1u);
  EXPECT_EQ(created->GetDataType(), DT_Float);
  EXPECT_EQ(created->GetPixel(6, 4, 0), 1.25);

  // A given destination is returned as it is.
  Image given = MakeImage(DT_Int32, 7, 5, 2);
  EXPECT_EQ(C_ComponentOp::CopyComponentToImage(vectors.get(), peak, 1, given.get(), 1), given.get());
  EXPECT_EQ(given->GetPixel(6, 4, 1), 1.0);

  // A frame made for the call is not leaked when the plane check fails after it.
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponentToImage(vectors.get(), peak, 0, nullptr, 1); }),
            "The destination frame's plane index must not exceed the frame's boundaries.");
}

TEST(ComponentOp, CopyComponentToImageChecksWithItsMessages)
{
  Image src = MakeImage(DT_UInt16, 4, 3, 1);
  Image dst = MakeImage(DT_UInt16, 4, 3, 1);
  const std::string both = "The source and the destination frame must not be NULL.";
  const std::string missing = "The component does not exist in the source frame.";
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponentToImage(nullptr, 0u, 0, dst.get(), 0); }), both);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponentToImage(nullptr, std::string("PIXEL"), 0, dst.get(), 0); }),
            both);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponentToImage(src.get(), 1u, 0, dst.get(), 0); }), missing);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponentToImage(src.get(), std::string("PIXEL"), 1, nullptr, 0); }),
            "The source frame's plane index must not exceed the frame's boundaries.");
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponentToImage(src.get(), std::string("X"), 0, nullptr, 0); }),
            missing);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponentToImage(src.get(), 0u, 0, dst.get(), 1); }),
            "The destination frame's plane index must not exceed the frame's boundaries.");

  // A component type no image frame can hold.
  auto* frame = dynamic_cast<C_Frame*>(src.get());
  ASSERT_NE(frame, nullptr);
  auto* flags = new C_Component("Flags", DT_Bool);
  flags->AddPlane(new C_Plane<unsigned char>(4, 3));
  frame->AddComponent(flags);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponentToImage(src.get(), std::string("Flags"), 0, nullptr, 0); }),
            "Invalid component type.");
}

TEST(ComponentOp, CopyImageToComponentCreatesTheComponentWithThePixelType)
{
  Image src = MakeImage(DT_Float, 3, 3, 2);
  src->SetPixel(1, 2, 1, -4.5);
  auto dst = std::unique_ptr<I_FrameVector2C>(CreateVectorFrame2C(2, 4, 1, 1));
  ASSERT_NE(dst, nullptr);

  EXPECT_EQ(C_ComponentOp::CopyImageToComponent(src.get(), 1, dst.get(), std::string("Peak ratio"), 0), dst.get());
  const int index = dst->GetComponentIndex("Peak ratio");
  ASSERT_GE(index, 0);
  EXPECT_EQ(dst->GetComponentDataType(index), DT_Float);
  EXPECT_EQ(dst->GetValue(index, 1, 2, 0), -4.5);
  EXPECT_EQ(dst->GetValue(index, 1, 3, 0), 0.0); // row beyond the source: default

  // The index form takes the name from the destination.
  Image into = MakeImage(DT_UInt16, 3, 3, 1);
  into->CreateComponent("Copy", DT_Int32);
  EXPECT_EQ(C_ComponentOp::CopyImageToComponent(src.get(), 1, into.get(), 1u, 0), into.get());
  EXPECT_EQ(into->GetValue(1, 1, 2, 0), -4.0);
}

TEST(ComponentOp, CopyImageToComponentChecksWithItsMessages)
{
  Image src = MakeImage(DT_UInt16, 4, 3, 1);
  Image dst = MakeImage(DT_UInt16, 4, 3, 1);
  const std::string both = "The source and the destination frame must not be NULL.";
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyImageToComponent(src.get(), 0, nullptr, 0u, 0); }),
            "The destination frame must not be NULL.");
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyImageToComponent(nullptr, 0, dst.get(), 1u, 0); }),
            "The component does not exist in the destination frame.");
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyImageToComponent(nullptr, 0, dst.get(), 0u, 0); }), both);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyImageToComponent(src.get(), 0, nullptr, std::string("X"), 0); }), both);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyImageToComponent(src.get(), 1, dst.get(), std::string("X"), 1); }),
            "The source frame's plane index must not exceed the frame's boundaries.");
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyImageToComponent(src.get(), 0, dst.get(), std::string("X"), 1); }),
            "The destination frame's plane index must not exceed the frame's boundaries.");
  EXPECT_EQ(dst->GetComponentIndex("X"), -1);
}

TEST(ComponentOp, CopyNonDataComponentsCopiesOnlyUserComponents)
{
  auto src = std::unique_ptr<I_FrameVector2C>(CreateVectorFrame2C(4, 3, 1, 2));
  auto dst = std::unique_ptr<I_FrameVector2C>(CreateVectorFrame2C(3, 5, 2, 2));
  ASSERT_NE(src, nullptr);
  ASSERT_NE(dst, nullptr);
  src->CreateValidMask();
  dst->CreateValidMask();
  src->CreateComponent("Peak ratio", DT_Float);
  src->CreateComponent("Only in source", DT_Float);
  dst->CreateComponent("Peak ratio", DT_Double);
  for (unsigned i = 0; i < src->GetNumberOfComponents(); ++i)
  {
    for (unsigned z = 0; z < src->GetDepth(); ++z)
    {
      src->GetPlane(static_cast<int>(i), z)->Fill(5.0); // fixed components too: a copy would show
    }
  }
  const int peak = dst->GetComponentIndex("Peak ratio");
  dst->GetPlane(peak, 1)->Fill(-1.0);

  C_ComponentOp::CopyNonDataComponents(src.get(), 0, dst.get(), 1);

  for (unsigned y = 0; y < 5; ++y)
  {
    for (unsigned x = 0; x < 3; ++x)
    {
      EXPECT_EQ(dst->GetValue(peak, x, y, 1), y < 3 ? 5.0 : -1.0) << x << "," << y;
    }
  }
  EXPECT_EQ(dst->GetComponentIndex("Only in source"), -1);
  for (unsigned i = 0; i < dst->GetNumberOfComponents(); ++i)
  {
    if (static_cast<int>(i) == peak)
    {
      continue;
    }
    const double untouched = dst->GetComponentName(static_cast<int>(i)) == I_Frame::COMPONENT_MASK ? 1.0 : 0.0;
    EXPECT_EQ(dst->GetValue(static_cast<int>(i), 0, 0, 1), untouched) << dst->GetComponentName(static_cast<int>(i));
  }
  EXPECT_TRUE(dst->IsValid(2, 2, 1));

  // Nothing to do and nothing raised for null frames or planes that do not exist.
  C_ComponentOp::CopyNonDataComponents(nullptr, 0, dst.get(), 0);
  C_ComponentOp::CopyNonDataComponents(src.get(), 5, dst.get(), 7);
  EXPECT_EQ(dst->GetValue(peak, 0, 0, 1), 5.0);
}

TEST(ComponentOp, SetComponentConstFillsOnePlaneOrAll)
{
  Image frame = MakeImage(DT_UInt16, 3, 2, 3);
  C_ComponentOp::SetComponentConst(frame.get(), 0u, 70000.0, 1, false);
  EXPECT_EQ(frame->GetPixel(2, 1, 1), 65535.0);
  EXPECT_EQ(frame->GetPixel(2, 1, 0), 0.0);
  EXPECT_EQ(frame->GetPixel(2, 1, 2), 0.0);

  C_ComponentOp::SetComponentConst(frame.get(), std::string("PIXEL"), -3.0 + 12.0, 0, true);
  for (unsigned z = 0; z < 3; ++z)
  {
    EXPECT_EQ(frame->GetPixel(0, 0, z), 9.0);
    EXPECT_EQ(frame->GetPixel(2, 1, z), 9.0);
  }

  const std::string plane = "Plane index is out of bounds.";
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::SetComponentConst(frame.get(), 0u, 1.0, 3, true); }), plane);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::SetComponentConst(frame.get(), 0u, 1.0, 3, false); }), plane);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::SetComponentConst(frame.get(), 1u, 1.0, 0, false); }),
            "Component index is out of bounds.");
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::SetComponentConst(nullptr, 0u, 1.0, 0, false); }), "Frame must not be NULL.");
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::SetComponentConst(nullptr, std::string("PIXEL"), 1.0, 0, false); }),
            "Frame must not be NULL.");
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::SetComponentConst(frame.get(), std::string("pixel"), 1.0, 0, false); }),
            "The component does not exist.");
  EXPECT_EQ(frame->GetPixel(0, 0, 0), 9.0);
}

TEST(ComponentOp, SetImagePlaneConstConvertsPlainlyWithoutClamping)
{
  Image ints = MakeImage(DT_Int32, 2, 2, 2);
  C_ComponentOp::SetImagePlaneConst(ints.get(), 0, 1, 3.9);
  EXPECT_EQ(ints->GetPixel(1, 1, 1), 3.0);
  EXPECT_EQ(ints->GetPixel(1, 1, 0), 0.0);
  C_ComponentOp::SetImagePlaneConst(ints.get(), 0, 0, -3.9f);
  EXPECT_EQ(ints->GetPixel(0, 1, 0), -3.0);
  C_ComponentOp::SetImagePlaneConst(ints.get(), 0, 0, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(ints->GetPixel(0, 0, 0), double(std::numeric_limits<int>::min()));

  // Unsigned 16-bit targets keep the low 16 bits instead of clamping.
  Image words = MakeImage(DT_UInt16, 2, 2);
  C_ComponentOp::SetImagePlaneConst(words.get(), 0, 0, -1);
  EXPECT_EQ(words->GetPixel(1, 1, 0), 65535.0);
  C_ComponentOp::SetImagePlaneConst(words.get(), 0, 0, 70000.7);
  EXPECT_EQ(words->GetPixel(1, 1, 0), 4464.0);
  C_ComponentOp::SetImagePlaneConst(words.get(), 0, 0, static_cast<unsigned short>(65535));
  EXPECT_EQ(words->GetPixel(0, 0, 0), 65535.0);

  Image floats = MakeImage(DT_Float, 2, 2);
  C_ComponentOp::SetImagePlaneConst(floats.get(), 0, 0, 0.1);
  EXPECT_EQ(floats->GetPixel(1, 0, 0), double(0.1f));
  Image doubles = MakeImage(DT_Double, 2, 2);
  C_ComponentOp::SetImagePlaneConst(doubles.get(), 0, 0, 1e300);
  EXPECT_EQ(doubles->GetPixel(1, 0, 0), 1e300);
  C_ComponentOp::SetImagePlaneConst(doubles.get(), 0, 0, static_cast<unsigned short>(12));
  EXPECT_EQ(doubles->GetPixel(1, 0, 0), 12.0);

  // Any component of the frame, not only the pixels.
  const unsigned extra = words->CreateComponent("Extra", DT_Float);
  C_ComponentOp::SetImagePlaneConst(words.get(), extra, 0, 7);
  EXPECT_EQ(words->GetValue(static_cast<int>(extra), 1, 1, 0), 7.0);
}

TEST(ComponentOp, SetImagePlaneConstRefusesWithItsMessages)
{
  const std::string unsupported = "Component's data type is not supported.";
  Image rgb = MakeImage(DT_RGB, 2, 2);
  Image bytes = MakeImage(DT_UInt8, 2, 2);
  Image words = MakeImage(DT_UInt32, 2, 2);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::SetImagePlaneConst(rgb.get(), 0, 0, 1.0); }), unsupported);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::SetImagePlaneConst(bytes.get(), 0, 0, 1); }), unsupported);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::SetImagePlaneConst(words.get(), 0, 0, 1.0f); }), unsupported);

  auto* frame = dynamic_cast<C_Frame*>(bytes.get());
  ASSERT_NE(frame, nullptr);
  auto* flags = new C_Component("Flags", DT_Bool);
  flags->AddPlane(new C_Plane<unsigned char>(2, 2));
  const unsigned index = frame->AddComponent(flags);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::SetImagePlaneConst(bytes.get(), index, 0, 1.0); }), unsupported);

  Image ints = MakeImage(DT_Int32, 2, 2);
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::SetImagePlaneConst(nullptr, 0, 0, 1); }), "Frame must not be NULL.");
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::SetImagePlaneConst(ints.get(), 1, 0, 1); }),
            "Component index is out of bounds.");
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::SetImagePlaneConst(ints.get(), 0, 1, 1); }), "Plane index is out of bounds.");
}

TEST(ComponentOp, PlanesMissingFromAComponentAreReportedNotRead)
{
  Image src = MakeImage(DT_UInt16, 2, 2, 2);
  Image dst = MakeImage(DT_UInt16, 2, 2, 2);
  auto* frame = dynamic_cast<C_Frame*>(src.get());
  ASSERT_NE(frame, nullptr);
  auto* shortComponent = new C_Component("Short", DT_Float);
  shortComponent->AddPlane(new C_Plane<float>(2, 2));
  frame->AddComponent(shortComponent);

  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::CopyComponent(src.get(), std::string("Short"), 1, dst.get(), 0); }),
            "The source frame's plane index must not exceed the frame's boundaries.");
  EXPECT_EQ(RaisedBy([&] { C_ComponentOp::SetImagePlaneConst(src.get(), 1, 1, 2.0f); }),
            "Plane index is out of bounds.");
  // SetComponentConst writes through the guarded frame access: the missing plane is skipped.
  C_ComponentOp::SetComponentConst(src.get(), 1u, 4.0, 0, true);
  EXPECT_EQ(src->GetValue(1, 1, 1, 0), 4.0);
}
