#include <BufferApi.h>

#include "C_FrameRGB.h"
#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

using namespace BufferApi;
using namespace FrameTestHelpers;

namespace
{
//! The four bytes of pixel (x, y) of a plane in memory order, e.g. "56 34 12 00".
std::string Bytes(const I_FrameRGB& frame, unsigned x, unsigned y, unsigned plane)
{
  const auto* bytes =
      static_cast<const unsigned char*>(frame.GetPlane(plane)->GetData()) + 4 * (y * frame.GetWidth() + x);
  char text[12];
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X", bytes[0], bytes[1], bytes[2], bytes[3]);
  return text;
}
} // namespace

TEST(FrameRGB, PackedValuesAndChannelsInMemoryOrderBlueGreenRedReserved)
{
  C_FrameRGB frame(4, 3, 2);
  EXPECT_EQ(Summary(frame), "FT_RGB 4x3x2 PIXEL:RGB");
  EXPECT_EQ(frame.GetDataType(), DT_RGB);
  EXPECT_NE(dynamic_cast<I_PlaneRGB*>(frame.GetPlane(1)), nullptr);

  frame.SetIntPixel(1, 2, 1, 0x00123456u);
  EXPECT_EQ(frame.GetRed(1, 2, 1), 0x12);
  EXPECT_EQ(frame.GetGreen(1, 2, 1), 0x34);
  EXPECT_EQ(frame.GetBlue(1, 2, 1), 0x56);
  EXPECT_EQ(frame.GetPixel(1, 2, 1), 1193046.0);
  EXPECT_EQ(Bytes(frame, 1, 2, 1), "56 34 12 00");
  // Only that pixel of that plane changed.
  EXPECT_EQ(frame.GetIntPixel(1, 2, 0), 0u);
  EXPECT_EQ(frame.GetIntPixel(0, 2, 1), 0u);

  // Channel setters leave the other bytes.
  frame.SetRGB(2, 1, 1, {10, 20, 30, 40});
  frame.SetGreen(2, 1, 1, 200);
  EXPECT_EQ(Bytes(frame, 2, 1, 1), "0A C8 1E 28");
  frame.SetRed(2, 1, 1, 1);
  frame.SetBlue(2, 1, 1, 2);
  const tagRGBQUAD q = frame.GetRGB(2, 1, 1);
  EXPECT_EQ(Bytes(frame, 2, 1, 1), "02 C8 01 28");
  EXPECT_EQ(q.rgbBlue + (q.rgbGreen << 8) + (q.rgbRed << 16) + (q.rgbReserved << 24), 0x2801C802);

  // The scalar setters write the reserved byte as zero; it is not part of the value.
  frame.SetRGB(0, 0, 0, {1, 2, 3, 0xAB});
  EXPECT_EQ(frame.GetIntPixel(0, 0, 0), 0x030201u);
  frame.SetIntPixel(0, 0, 0, 0xFF123456u);
  EXPECT_EQ(Bytes(frame, 0, 0, 0), "56 34 12 00");
  frame.SetRGB(1, 0, 0, {1, 2, 3, 0xAB});
  frame.SetPixel(1, 0, 0, 1193046.9); // truncated toward zero
  EXPECT_EQ(Bytes(frame, 1, 0, 0), "56 34 12 00");
}

TEST(FrameRGB, FillsAndOutsideAccess)
{
  C_FrameRGB frame(4, 3, 2);
  frame.FillRGB({9, 9, 9, 4});
  frame.SetRGB(4, 0, 0, {1, 1, 1, 1});
  frame.SetGreen(0, 3, 0, 1);
  frame.SetIntPixel(0, 0, 2, 5);
  frame.SetRed(0, 0, 2, 5);
  const std::string nines = "592137 592137 592137 592137|592137 592137 592137 592137|592137 592137 592137 592137";
  EXPECT_EQ(Rows(frame.GetPlane(0)) + ";" + Rows(frame.GetPlane(1)), nines + ";" + nines);
  EXPECT_EQ(Bytes(frame, 3, 2, 1), "09 09 09 04");
  const tagRGBQUAD q = frame.GetRGB(4, 0, 0);
  EXPECT_EQ(q.rgbBlue | q.rgbGreen | q.rgbRed | q.rgbReserved, 0);
  EXPECT_EQ(frame.GetRed(0, 3, 1), 0);
  EXPECT_EQ(frame.GetBlue(0, 0, 2), 0);
  EXPECT_EQ(frame.GetIntPixel(0, 0, 2), 0u);
  EXPECT_EQ(frame.GetPixel(7, 7, 0), 0.0);

  frame.Clear();
  EXPECT_EQ(Bytes(frame, 3, 2, 0) + " " + Bytes(frame, 3, 2, 1), "00 00 00 00 00 00 00 00");
  frame.Fill(static_cast<double>(0x0A0B0C));
  EXPECT_EQ(Bytes(frame, 0, 1, 0) + " " + Bytes(frame, 3, 2, 1), "0C 0B 0A 00 0C 0B 0A 00");
}

TEST(FrameRGB, CloneAndEquality)
{
  C_FrameRGB frame(3, 2, 2);
  ASSERT_TRUE(frame.CreateValidMask());
  frame.SetIntPixel(1, 1, 1, 0x112233);
  frame.SetName("colour");

  std::unique_ptr<I_Frame> full(frame.Clone(true));
  EXPECT_EQ(dynamic_cast<C_FrameRGB&>(*full).GetIntPixel(1, 1, 1), 0x112233u);
  EXPECT_TRUE(full->HasMask());
  EXPECT_TRUE(frame.IsEqual(full.get()));
  std::unique_ptr<I_Frame> empty(frame.Clone(false));
  EXPECT_EQ(Summary(*empty), "FT_RGB 3x2x2 PIXEL:RGB,MASK:UInt8");
  EXPECT_EQ(empty->GetName(), "colour");
  EXPECT_EQ(dynamic_cast<C_FrameRGB&>(*empty).GetIntPixel(1, 1, 1), 0u);

  // An image frame of the same shape is another type.
  std::unique_ptr<I_FrameImage> image(CreateImageFrame(DT_UInt8, 3, 2, 2));
  EXPECT_FALSE(frame.IsSameType(image.get()));
  EXPECT_FALSE(frame.IsEqual(image.get()));
  EXPECT_FALSE(image->IsSameType(&frame) && image->IsEqual(&frame));
}

TEST(FrameRGB, ChangeComponentDataTypeOnlyForOwnComponents)
{
  C_FrameRGB frame(4, 3, 2);
  ASSERT_TRUE(frame.CreateValidMask());
  frame.CreateComponent("Extra", DT_UInt8, nullptr);
  for (const char* name : {"PIXEL", "MASK", "Missing"})
  {
    const RTE::Exception e = ExceptionOf([&] { frame.ChangeComponentDataType(name, DT_Float, true); });
    EXPECT_STREQ(e.what(), "Changing of data type of this component now allowed.") << name;
    EXPECT_EQ(e.file().toStdString(), "Sources\\C_FrameRGB") << name;
  }
  frame.ChangeComponentDataType("Extra", DT_Float, true);
  EXPECT_EQ(Summary(frame), "FT_RGB 4x3x2 PIXEL:RGB,MASK:UInt8,Extra:Float");
}

TEST(FrameRGB, FactoryCreatorIgnoresTheElementTypeAndHoldsSharedBlocks)
{
  C_FrameFactory& factory = C_FrameFactory::GetInstance();
  const C_FrameImageParam param(3, 2, 2, DT_Float);
  std::unique_ptr<I_Frame> frame(factory.Create("FT_RGB", &param));
  EXPECT_EQ(Summary(*frame), "FT_RGB 3x2x2 PIXEL:RGB");
  const C_FrameBaseParam base(3, 2, 1);
  frame.reset(factory.Create("FT_RGB", &base));
  EXPECT_NE(dynamic_cast<C_FrameRGB*>(frame.get()), nullptr);
  frame.reset(CreateImageFrame(DT_RGB, 4, 4, 1));
  EXPECT_NE(dynamic_cast<C_FrameRGB*>(frame.get()), nullptr);

  // A slice of shared memory; the parameter's element type is not consulted.
  auto memory = std::make_shared<C_ConsecutivePlaneMemory>(4, 4, DT_RGB, 2);
  const C_FrameImageParam slice(4, 4, DT_UInt16, memory, memory->GetPlaneMemory(1));
  frame.reset(factory.Create("FT_RGB", &slice));
  auto& rgb = dynamic_cast<C_FrameRGB&>(*frame);
  EXPECT_EQ(rgb.GetPlaneData(0), memory->GetPlaneMemory(1));
  rgb.SetIntPixel(3, 3, 0, 0x010203);
  EXPECT_EQ(static_cast<const unsigned char*>(memory->GetPlaneMemory(1))[4 * 15], 0x03);
  memory.reset();
  EXPECT_EQ(rgb.GetIntPixel(3, 3, 0), 0x010203u);

  // A block too small for RGB elements: construction fails and leaves nothing behind.
  auto small = std::make_shared<C_ConsecutivePlaneMemory>(4, 4, DT_UInt8, 1);
  {
    const C_FrameImageParam tooSmall(4, 4, DT_UInt8, small, small->GetPlaneMemory(0));
    EXPECT_EQ(MessageOf([&] { C_FrameRGB{tooSmall}; }), "The pixel component could not be created.");
  }
  EXPECT_EQ(small.use_count(), 1);
}
