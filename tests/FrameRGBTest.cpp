#include <BufferApi.h>

#include "C_FrameRGB.h"
#include "PlaneTestHelpers.h"

#include <gtest/gtest.h>

#include <memory>

using namespace BufferApi;
using PlaneTestHelpers::Raised;

namespace
{
std::unique_ptr<C_FrameRGB> NewFrame(unsigned width = 4, unsigned height = 3, unsigned depth = 2)
{
  return std::make_unique<C_FrameRGB>(width, height, depth);
}

const unsigned char* Bytes(const I_FrameRGB& frame, unsigned x, unsigned y, unsigned plane)
{
  return static_cast<const unsigned char*>(frame.GetPlane(plane)->GetData()) + 4 * (y * frame.GetWidth() + x);
}
} // namespace

TEST(FrameRGB, ConstructionAndType)
{
  auto frame = NewFrame(5, 4, 3);
  EXPECT_EQ(frame->GetFrameType(), "FT_RGB");
  EXPECT_EQ(I_FrameRGB::FT_RGB, "FT_RGB");
  EXPECT_EQ(frame->GetDataType(), DT_RGB);
  EXPECT_EQ(frame->GetDepth(), 3u);
  EXPECT_EQ(frame->GetNumberOfComponents(), 1u);
  EXPECT_EQ(frame->GetComponentName(0), "PIXEL");
  ASSERT_NE(frame->GetPlane(2), nullptr);
  EXPECT_NE(dynamic_cast<I_PlaneRGB*>(frame->GetPlane(2)), nullptr);
}

TEST(FrameRGB, PackedValueInAndOut)
{
  auto frame = NewFrame();
  frame->SetIntPixel(1, 2, 1, 0x00123456u);
  EXPECT_EQ(frame->GetRed(1, 2, 1), 0x12);
  EXPECT_EQ(frame->GetGreen(1, 2, 1), 0x34);
  EXPECT_EQ(frame->GetBlue(1, 2, 1), 0x56);
  EXPECT_EQ(frame->GetIntPixel(1, 2, 1), 0x123456u);
  EXPECT_EQ(frame->GetPixel(1, 2, 1), 1193046.0);
  // Memory order blue, green, red, reserved.
  const unsigned char* bytes = Bytes(*frame, 1, 2, 1);
  EXPECT_EQ(bytes[0], 0x56);
  EXPECT_EQ(bytes[1], 0x34);
  EXPECT_EQ(bytes[2], 0x12);
  EXPECT_EQ(bytes[3], 0x00);
  // Only that pixel of that plane changed.
  EXPECT_EQ(frame->GetIntPixel(1, 2, 0), 0u);
  EXPECT_EQ(frame->GetIntPixel(0, 2, 1), 0u);
}

TEST(FrameRGB, ScalarSettersWriteTheReservedByteAsZero)
{
  auto frame = NewFrame();
  frame->SetRGB(0, 0, 0, {1, 2, 3, 0xAB});
  EXPECT_EQ(Bytes(*frame, 0, 0, 0)[3], 0xAB);
  EXPECT_EQ(frame->GetIntPixel(0, 0, 0), 0x030201u); // the reserved byte is not part of the value
  frame->SetIntPixel(0, 0, 0, 0xFF123456u);
  EXPECT_EQ(Bytes(*frame, 0, 0, 0)[3], 0x00);
  EXPECT_EQ(frame->GetIntPixel(0, 0, 0), 0x123456u);

  frame->SetRGB(1, 0, 0, {1, 2, 3, 0xAB});
  frame->SetPixel(1, 0, 0, 1193046.9); // truncated toward zero
  EXPECT_EQ(Bytes(*frame, 1, 0, 0)[3], 0x00);
  EXPECT_EQ(frame->GetIntPixel(1, 0, 0), 0x123456u);
}

TEST(FrameRGB, ChannelSettersLeaveTheOtherBytes)
{
  auto frame = NewFrame();
  frame->SetRGB(2, 1, 1, {10, 20, 30, 40});
  frame->SetGreen(2, 1, 1, 200);
  tagRGBQUAD q = frame->GetRGB(2, 1, 1);
  EXPECT_EQ(q.rgbBlue, 10);
  EXPECT_EQ(q.rgbGreen, 200);
  EXPECT_EQ(q.rgbRed, 30);
  EXPECT_EQ(q.rgbReserved, 40);
  frame->SetRed(2, 1, 1, 1);
  frame->SetBlue(2, 1, 1, 2);
  q = frame->GetRGB(2, 1, 1);
  EXPECT_EQ(q.rgbBlue, 2);
  EXPECT_EQ(q.rgbGreen, 200);
  EXPECT_EQ(q.rgbRed, 1);
  EXPECT_EQ(q.rgbReserved, 40);
}

TEST(FrameRGB, OutsideReadsZeroAndWritesAreIgnored)
{
  auto frame = NewFrame(4, 3, 2);
  frame->FillRGB({9, 9, 9, 9});
  frame->SetRGB(4, 0, 0, {1, 1, 1, 1});
  frame->SetGreen(0, 3, 0, 1);
  frame->SetIntPixel(0, 0, 2, 5);
  frame->SetRed(0, 0, 2, 5);
  for (unsigned p = 0; p < 2; ++p)
    for (unsigned y = 0; y < 3; ++y)
      for (unsigned x = 0; x < 4; ++x)
        ASSERT_EQ(frame->GetIntPixel(x, y, p), 0x090909u);
  const tagRGBQUAD q = frame->GetRGB(4, 0, 0);
  EXPECT_EQ(q.rgbBlue | q.rgbGreen | q.rgbRed | q.rgbReserved, 0);
  EXPECT_EQ(frame->GetRed(0, 3, 1), 0);
  EXPECT_EQ(frame->GetBlue(0, 0, 2), 0);
  EXPECT_EQ(frame->GetIntPixel(0, 0, 2), 0u);
  EXPECT_EQ(frame->GetPixel(7, 7, 0), 0.0);
}

TEST(FrameRGB, FillClearAndFillRGB)
{
  auto frame = NewFrame(2, 2, 3);
  frame->FillRGB({1, 2, 3, 4});
  for (unsigned p = 0; p < 3; ++p)
  {
    EXPECT_EQ(frame->GetIntPixel(1, 1, p), 0x030201u) << p;
    EXPECT_EQ(Bytes(*frame, 1, 1, p)[3], 4) << p;
  }
  frame->Clear();
  for (unsigned p = 0; p < 3; ++p)
    for (unsigned i = 0; i < 4; ++i)
      EXPECT_EQ(Bytes(*frame, 1, 1, p)[i], 0) << p;
  frame->Fill(static_cast<double>(0x0A0B0C));
  for (unsigned p = 0; p < 3; ++p)
    EXPECT_EQ(frame->GetIntPixel(0, 1, p), 0x0A0B0Cu) << p;
}

TEST(FrameRGB, CloneAndEquality)
{
  auto frame = NewFrame(3, 2, 2);
  ASSERT_TRUE(frame->CreateValidMask());
  frame->SetIntPixel(1, 1, 1, 0x112233);
  frame->SetName("colour");

  std::unique_ptr<I_Frame> full(frame->Clone(true));
  auto* fullRGB = dynamic_cast<C_FrameRGB*>(full.get());
  ASSERT_NE(fullRGB, nullptr);
  EXPECT_EQ(fullRGB->GetIntPixel(1, 1, 1), 0x112233u);
  EXPECT_TRUE(fullRGB->HasMask());
  EXPECT_TRUE(frame->IsEqual(full.get()));

  std::unique_ptr<I_Frame> empty(frame->Clone(false));
  auto* emptyRGB = dynamic_cast<C_FrameRGB*>(empty.get());
  ASSERT_NE(emptyRGB, nullptr);
  EXPECT_EQ(emptyRGB->GetName(), "colour");
  EXPECT_EQ(emptyRGB->GetDepth(), 2u);
  EXPECT_EQ(emptyRGB->GetIntPixel(1, 1, 1), 0u);
  EXPECT_TRUE(emptyRGB->HasMask());

  // An image frame of the same shape is another type.
  std::unique_ptr<I_FrameImage> image(CreateImageFrame(DT_UInt8, 3, 2, 2));
  EXPECT_FALSE(frame->IsSameType(image.get()));
  EXPECT_FALSE(frame->IsEqual(image.get()));
  EXPECT_FALSE(image->IsSameType(frame.get()) && image->IsEqual(frame.get()));
}

TEST(FrameRGB, ChangeComponentDataTypeOnlyForOwnComponents)
{
  auto frame = NewFrame();
  ASSERT_TRUE(frame->CreateValidMask());
  frame->CreateComponent("Extra", DT_UInt8, nullptr);
  for (const char* name : {"PIXEL", "MASK", "Missing"})
  {
    auto r = Raised([&] { frame->ChangeComponentDataType(name, DT_Float, true); });
    EXPECT_EQ(r.message, "Changing of data type of this component now allowed.") << name;
    EXPECT_EQ(r.unit, "Sources\\C_FrameRGB") << name;
  }
  frame->ChangeComponentDataType("Extra", DT_Float, true);
  EXPECT_EQ(frame->GetComponentDataType(frame->GetComponentIndex("Extra")), DT_Float);
  EXPECT_EQ(frame->GetDataType(), DT_RGB);
}

TEST(FrameRGB, FactoryCreatorIgnoresTheElementType)
{
  const C_FrameImageParam param(3, 2, 2, DT_Float);
  std::unique_ptr<I_Frame> frame(C_FrameFactory::GetInstance().Create("FT_RGB", &param));
  auto* rgb = dynamic_cast<C_FrameRGB*>(frame.get());
  ASSERT_NE(rgb, nullptr);
  EXPECT_EQ(rgb->GetDataType(), DT_RGB);
  EXPECT_EQ(rgb->GetDepth(), 2u);

  const C_FrameBaseParam base(3, 2, 1);
  frame.reset(C_FrameFactory::GetInstance().Create("FT_RGB", &base));
  EXPECT_NE(dynamic_cast<C_FrameRGB*>(frame.get()), nullptr);

  std::unique_ptr<I_FrameImage> created(CreateImageFrame(DT_RGB, 4, 4, 1));
  ASSERT_NE(dynamic_cast<C_FrameRGB*>(created.get()), nullptr);
}
