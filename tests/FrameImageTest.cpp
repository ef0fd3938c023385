#include <BufferApi.h>

#include "C_FrameImage.h"
#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

using namespace BufferApi;
using namespace FrameTestHelpers;

TEST(FrameImage, CreateImageFrameMakesZeroedPixelPlanes)
{
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_UInt16, 640, 480, 2));
  EXPECT_EQ(Summary(*frame), "FT_IMAGE 640x480x2 PIXEL:UInt16");
  EXPECT_EQ(frame->GetComponent(0)->GetNumberOfPlanes(), 2u);
  EXPECT_EQ(frame->GetDataType(), DT_UInt16);
  EXPECT_EQ(frame->GetPixel(639, 479, 1), 0.0);
  EXPECT_EQ(ScaleText(frame->GetScaleX()) + ", " + ScaleText(frame->GetScaleI()), "1 0 pixel, 1 0 counts");
  EXPECT_EQ(frame->GetScaleI(), frame->GetComponentScale(0));
  EXPECT_EQ(frame->GetPlane(1u), frame->GetPlane(0, 1));
  EXPECT_EQ(frame->GetPlane(2u), nullptr);
  // Zero sizes are passed on unchecked.
  std::unique_ptr<I_FrameImage> empty(CreateImageFrame(DT_Float, 0, 0, 0));
  EXPECT_EQ(empty->GetComponent(0)->GetNumberOfPlanes(), 0u);
}

TEST(FrameImage, CreationWithPlaneMemoryChecksItsArguments)
{
  const std::vector<void*> none;
  void* const null = nullptr;
  const struct
  {
    unsigned width, height;
    const char* list;   // message for the list overload
    const char* single; // message for the single block overload
  } cases[] = {
      {0, 10, "Image frame: width is 0.", "Image frame: width is 0."},
      {10, 0, "Image frame: height is 0.", "Image frame: height is 0."},
      {10, 10, "Image frame: Number of z planes is 0.", "Plane memory must not be null."},
  };
  for (const auto& c : cases)
  {
    using Failure = RTE::VerificationFailed;
    EXPECT_EQ(MessageOf<Failure>([&] { CreateImageFrameWithPlaneMemory(DT_Float, c.width, c.height, none); }), c.list);
    EXPECT_EQ(MessageOf<Failure>([&] { CreateImageFrameWithPlaneMemory(DT_Float, c.width, c.height, null); }),
              c.single);
  }
  EXPECT_EQ(MessageOf<RTE::VerificationFailed>([] { C_FrameImage(2, 2, DT_Float, std::vector<void*>()); }),
            "Number of planes must not be zero");
  EXPECT_EQ(MessageOf([] { C_FrameImage(2, 2, 1, DT_Bool); }), "The pixel component could not be created.");
}

TEST(FrameImage, PixelPlanesAdoptTheCallersBlocksOnlyOnSuccess)
{
  std::vector<void*> blocks{std::malloc(6 * sizeof(float)), std::malloc(6 * sizeof(float))};
  for (int i = 0; i < 6; ++i)
  {
    static_cast<float*>(blocks[0])[i] = static_cast<float>(i);
    static_cast<float*>(blocks[1])[i] = static_cast<float>(10 + i);
  }
  std::unique_ptr<I_FrameImage> frame(CreateImageFrameWithPlaneMemory(DT_Float, 3, 2, blocks));
  EXPECT_EQ(frame->GetDepth(), 2u);
  EXPECT_EQ(frame->GetPlaneData(0), blocks[0]);
  EXPECT_EQ(frame->GetPlaneData(1), blocks[1]);
  EXPECT_EQ(frame->GetPlaneData(2), nullptr);
  EXPECT_EQ(Rows(frame->GetPlane(1u)), "10 11 12|13 14 15"); // not cleared

  void* single = std::calloc(4, sizeof(int));
  std::unique_ptr<I_FrameImage> one(CreateImageFrameWithPlaneMemory(DT_Int32, 2, 2, single));
  EXPECT_EQ(one->GetDepth(), 1u);
  EXPECT_EQ(one->GetPlaneData(0), single);

  // No plane holds bool elements: the frame cannot be made, no block is adopted.
  blocks = {std::calloc(4, 1), std::calloc(4, 1)};
  EXPECT_EQ(CreateImageFrameWithPlaneMemory(DT_Bool, 2, 2, blocks), nullptr);
  std::free(blocks[0]);
  std::free(blocks[1]);
}

TEST(FrameImage, FramesOnOneConsecutiveBlock)
{
  auto block = std::make_shared<C_ConsecutivePlaneMemory>(3, 2, DT_UInt16, 3);
  EXPECT_EQ(block->GetPlaneSize(), 12u);
  EXPECT_EQ(block->GetSize(), 36u);
  std::vector<std::unique_ptr<I_Frame>> frames;
  for (unsigned i = 0; i < 3; ++i)
  {
    const C_FrameImageParam param(3, 2, DT_UInt16, block, block->GetPlaneMemory(i));
    frames.emplace_back(C_FrameFactory::GetInstance().Create(I_FrameImage::FT_IMAGE, &param));
    EXPECT_EQ(frames.back()->GetDepth(), 1u);
    EXPECT_EQ(frames.back()->GetPlane(0, 0)->GetData(), block->GetPlaneMemory(i));
  }
  frames[1]->SetValue(0, 2, 1, 0, 513.0);
  const auto* words = static_cast<const unsigned short*>(block->GetMemory());
  EXPECT_EQ(words[6 + 5], 513);
  EXPECT_EQ(words[5], 0);

  {
    // A slice that does not lie in its block is refused by the plane factory.
    const C_FrameImageParam outside(3, 2, DT_UInt16, block, block->GetPlaneMemory(3));
    EXPECT_EQ(MessageOf([&] { C_FrameImage frame(outside); }), "The pixel component could not be created.");
    EXPECT_EQ(C_FrameFactory::GetInstance().Create(I_FrameImage::FT_IMAGE, &outside), nullptr);
  }

  // The frames keep the block alive after the last outside reference goes.
  std::weak_ptr<C_ConsecutivePlaneMemory> watch = block;
  block.reset();
  EXPECT_FALSE(watch.expired());
  EXPECT_EQ(frames[1]->GetValue(0, 2, 1, 0), 513.0);
  frames.clear();
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(MessageOf([] { C_ConsecutivePlaneMemory(0xFFFFFFFFu, 0xFFFFFFFFu, DT_Double, 0xFFFFFFFFu); }),
            "Not enough free memory available.");
}

TEST(FrameImage, PixelAccessClampsAndStaysInside)
{
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_Int32, 2, 2, 2));
  frame->SetPixel(1, 1, 1, -3.7);
  EXPECT_EQ(frame->GetPixel(1, 1, 1), -3.0);
  EXPECT_EQ(frame->GetIntPixel(1, 1, 1), 4294967293u);
  frame->SetIntPixel(0, 1, 0, 4000000000u); // clamped to the int range
  EXPECT_EQ(frame->GetPixel(0, 1, 0), 2147483647.0);
  frame->SetPixel(0, 0, 5, 1.0); // no such plane
  frame->SetPixel(2, 0, 0, 1.0); // outside
  EXPECT_EQ(frame->GetPixel(0, 0, 5), 0.0);
  EXPECT_EQ(frame->GetPixel(2, 0, 0), 0.0);
  frame->Fill(3.0);
  EXPECT_EQ(Rows(frame->GetPlane(0u)) + ";" + Rows(frame->GetPlane(1u)), "3 3|3 3;3 3|3 3");
  frame->Clear();
  EXPECT_EQ(Rows(frame->GetPlane(0u)) + ";" + Rows(frame->GetPlane(1u)), "0 0|0 0;0 0|0 0");
}

TEST(FrameImage, ProtectedComponentsAndDataTypeChanges)
{
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_UInt16, 2, 2, 1));
  frame->CreateMask();
  for (const char* name : {"MASK", "NONE"})
  {
    EXPECT_EQ(MessageOf([&] { frame->ChangeComponentDataType(name, DT_Float, true); }),
              "Changing of data type of this component now allowed.");
  }
  frame->SetPixel(1, 0, 0, 70000.0); // clamped to 65535
  frame->ChangeComponentDataType("PIXEL", DT_Float, true);
  EXPECT_EQ(frame->GetDataType(), DT_Float);
  EXPECT_EQ(frame->GetPixel(1, 0, 0), 65535.0);
  frame->SetPixel(1, 0, 0, 0.5);
  EXPECT_EQ(frame->GetPixel(1, 0, 0), 0.5);
  frame->CreateComponent("EXTRA", DT_UInt8);
  frame->ChangeComponentDataType("EXTRA", DT_Double, false);
  EXPECT_EQ(Summary(*frame), "FT_IMAGE 2x2x1 PIXEL:Float,MASK:UInt8,EXTRA:Double");
  // The image frame's intensity scale is the pixel component's.
  frame->SetScaleI(C_ScaleFactory::GetInstance().CreateLinearScale(3.0, 0.0, std::string("counts"), ""));
  EXPECT_EQ(frame->GetComponentScale(0)->GetFactor(), 3.0);
}

TEST(FrameImage, ConvertToMakesAConvertedCopy)
{
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_UInt16, 3, 1, 2));
  frame->SetName("source");
  frame->SetPixel(0, 0, 0, 65535.0);
  frame->SetPixel(2, 0, 1, 12.0);
  frame->CreateComponent("EXTRA", DT_Float);
  frame->SetValue(1, 1, 0, 1, 2.5);
  frame->CreateValidMask();
  for (E_DataType type : {DT_UInt8, DT_RGB})
  {
    EXPECT_EQ(MessageOf([&] { frame->ConvertTo(type); }),
              "The source frame's data type is not supported by this method.");
  }

  std::unique_ptr<I_FrameImage> converted(frame->ConvertTo(DT_Float));
  EXPECT_EQ(Summary(*converted), "FT_IMAGE 3x1x2 PIXEL:Float,EXTRA:Float,MASK:UInt8");
  EXPECT_EQ(converted->GetName(), "source");
  EXPECT_EQ(Rows(converted->GetPlane(0u)) + ";" + Rows(converted->GetPlane(1u)), "65535 0 0;0 0 12");
  EXPECT_EQ(converted->GetValue(1, 1, 0, 1), 2.5);
  EXPECT_TRUE(converted->IsValid(2, 0, 1));
  EXPECT_EQ(frame->GetDataType(), DT_UInt16);

  converted->SetPixel(1, 0, 0, -7.9);
  std::unique_ptr<I_FrameImage> back(converted->ConvertTo(DT_UInt16));
  EXPECT_EQ(back->GetPixel(1, 0, 0), 0.0);
  std::unique_ptr<I_FrameImage> ints(converted->ConvertTo(DT_Int32));
  EXPECT_EQ(ints->GetPixel(1, 0, 0), -7.0);
}

TEST(FrameImage, ClonesKeepShapeNameAndScales)
{
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_Float, 3, 2, 2));
  frame->SetName("n");
  frame->SetPixel(1, 1, 1, 4.0);
  frame->CreateAttribute("A", AttrDouble);
  frame->SetScaleX(C_ScaleFactory::GetInstance().CreateLinearScale(2.0, 1.0, std::string("mm"), ""));
  frame->CreateComponent("EXTRA", DT_UInt8);
  frame->CreateValidMask();

  std::unique_ptr<I_Frame> empty(frame->Clone(false));
  auto& image = dynamic_cast<I_FrameImage&>(*empty);
  EXPECT_TRUE(frame->IsSameType(&image));
  EXPECT_EQ(Summary(image), "FT_IMAGE 3x2x2 PIXEL:Float,EXTRA:UInt8,MASK:UInt8");
  EXPECT_EQ(image.GetName(), "n");
  EXPECT_EQ(image.GetPixel(1, 1, 1), 0.0);
  EXPECT_TRUE(image.GetScaleX()->IsEqual(frame->GetScaleX()));
  EXPECT_EQ(image.GetAttributeRoot()->GetNumberOfChildren(), 0u);
  // The mask copy holds its default value: valid everywhere.
  EXPECT_TRUE(image.HasMask());
  EXPECT_TRUE(image.IsValid(2, 1, 1));

  std::unique_ptr<I_Frame> full(frame->Clone(true));
  EXPECT_TRUE(frame->IsEqual(full.get()));
  EXPECT_EQ(full->GetValue(0, 1, 1, 1), 4.0);
  EXPECT_FALSE(frame->IsSameType(frame->GetPlane(0u)));
}
