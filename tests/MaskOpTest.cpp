#include <BufferApi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace BufferApi;

namespace
{
using Image = std::unique_ptr<I_FrameImage>;
using BoolArray = std::unique_ptr<bool[]>;

Image MakeImage(E_DataType type, unsigned width, unsigned height, unsigned depth = 1)
{
  Image frame(CreateImageFrame(type, width, height, depth));
  EXPECT_NE(frame, nullptr);
  return frame;
}

//! The frame row by row, rows separated by '/', each element as cell(x, y).
template <typename F>
std::string Rows(const I_Frame& frame, F cell)
{
  std::string text;
  for (unsigned y = 0; y < frame.GetHeight(); ++y)
  {
    text += y > 0 ? "/" : "";
    for (unsigned x = 0; x < frame.GetWidth(); ++x)
      text += cell(x, y);
  }
  return text;
}

//! Mask plane z as '1' (valid) and '0'.
std::string MaskText(const I_Frame& frame, unsigned z)
{
  return Rows(frame, [&](unsigned x, unsigned y) { return frame.IsValid(x, y, z) ? "1" : "0"; });
}

std::string PixelText(const I_FrameImage& frame, unsigned z)
{
  return Rows(frame, [&](unsigned x, unsigned y) { return std::to_string(frame.GetIntPixel(x, y, z)); });
}

//! Sets mask plane z from a MaskText-shaped pattern, creating the mask.
void SetMaskText(I_Frame& frame, unsigned z, const std::string& text)
{
  frame.CreateValidMask();
  unsigned x = 0;
  unsigned y = 0;
  for (char c : text)
  {
    if (c == '/')
      x = 0, ++y;
    else
      frame.SetValid(x++, y, z, c == '1');
  }
}

//! The bytes of the first n elements of a bool array.
std::vector<int> Bytes(const BoolArray& array, unsigned n)
{
  EXPECT_NE(array, nullptr);
  if (!array)
    return {};
  const auto* bytes = reinterpret_cast<const unsigned char*>(array.get());
  return std::vector<int>(bytes, bytes + n);
}
} // namespace

TEST(MaskOp, CombinePlaneMasksAppliesEachModeAndClearsTheRest)
{
  Image a = MakeImage(DT_UInt16, 4, 2, 2);
  Image b = MakeImage(DT_UInt16, 4, 3);
  SetMaskText(*a, 1, "1100/1100");
  SetMaskText(*b, 0, "1010/1010/1111");

  const struct
  {
    MaskOp::CVP_ModesT mode;
    const char* expected;
  } cases[] = {{MaskOp::CVP_And, "100/100/000"}, {MaskOp::CVP_Or, "111/111/000"}, {MaskOp::CVP_Xor, "011/011/000"}};
  for (const auto& c : cases)
  {
    Image out = MakeImage(DT_UInt16, 3, 3, 2); // no mask yet: it is created
    MaskOp::CombinePlaneMasks(c.mode, a.get(), 1, b.get(), 0, out.get(), 1);
    ASSERT_TRUE(out->HasMask());
    EXPECT_EQ(MaskText(*out, 1), c.expected) << c.mode;
  }

  // A frame without mask counts as valid.
  Image same = MakeImage(DT_UInt16, 4, 2);
  Image unmasked = MakeImage(DT_UInt16, 4, 2);
  MaskOp::CombinePlaneMasks(MaskOp::CVP_And, a.get(), 1, unmasked.get(), 0, same.get(), 0);
  EXPECT_EQ(MaskText(*same, 0), "1100/1100");

  // An unknown mode keeps the common area but still clears the rest.
  Image out = MakeImage(DT_UInt16, 5, 3);
  SetMaskText(*out, 0, "10101/01010/11111");
  MaskOp::CombinePlaneMasks(static_cast<MaskOp::CVP_ModesT>(3), a.get(), 0, b.get(), 0, out.get(), 0);
  EXPECT_EQ(MaskText(*out, 0), "10100/01010/00000");
}

TEST(MaskOp, CombinePlaneMasksIgnoresUnusableArguments)
{
  Image a = MakeImage(DT_UInt16, 2, 2);
  Image out = MakeImage(DT_UInt16, 2, 2);
  MaskOp::CombinePlaneMasks(MaskOp::CVP_And, nullptr, 0, a.get(), 0, out.get(), 0);
  MaskOp::CombinePlaneMasks(MaskOp::CVP_And, a.get(), 0, nullptr, 0, out.get(), 0);
  MaskOp::CombinePlaneMasks(MaskOp::CVP_And, a.get(), 0, a.get(), 0, out.get(), 1);
  EXPECT_FALSE(out->HasMask());
}

TEST(MaskOp, CopyMaskClearsOutsideTheCommonArea)
{
  Image src = MakeImage(DT_UInt16, 3, 2);
  Image dst = MakeImage(DT_Float, 4, 3, 2);
  SetMaskText(*dst, 1, "0000/0000/0000");
  // Without a mask the source is valid everywhere.
  EXPECT_EQ(MaskOp::CopyMask(src.get(), 0, dst.get(), 1), dst.get());
  EXPECT_EQ(MaskText(*dst, 1), "1110/1110/0000");

  SetMaskText(*src, 0, "101/011");
  Image small = MakeImage(DT_UInt16, 2, 1);
  EXPECT_EQ(MaskOp::CopyMask(src.get(), 0, small.get(), 0), small.get());
  EXPECT_EQ(MaskText(*small, 0), "10");

  EXPECT_EQ(MaskOp::CopyMask(nullptr, 0, dst.get(), 0), nullptr);
  EXPECT_EQ(MaskOp::CopyMask(src.get(), 1, dst.get(), 0), nullptr);
  Image fresh = MakeImage(DT_UInt16, 3, 2);
  EXPECT_EQ(MaskOp::CopyMask(src.get(), 0, fresh.get(), 1), nullptr);
  EXPECT_FALSE(fresh->HasMask());
}

TEST(MaskOp, CopyImageToMaskMarksNonZeroPixelsValid)
{
  Image src = MakeImage(DT_Float, 3, 3);
  src->SetPixel(0, 0, 0, 5.0);
  src->SetPixel(2, 0, 0, -1.0); // truncated to a non-zero unsigned: valid
  src->SetPixel(1, 1, 0, 0.5);  // truncated to 0: invalid
  src->SetPixel(1, 2, 0, 2.0);
  auto dst = std::unique_ptr<I_FrameVector2C>(CreateVectorFrame2C(4, 2, 1, 1));
  ASSERT_NE(dst, nullptr);
  dst->DeleteMask();
  EXPECT_EQ(MaskOp::CopyImageToMask(src.get(), 0, dst.get(), 0), dst.get());
  EXPECT_EQ(MaskText(*dst, 0), "1010/0000");

  EXPECT_EQ(MaskOp::CopyImageToMask(nullptr, 0, dst.get(), 0), nullptr);
}

TEST(MaskOp, CopyMaskToImageWritesOnesAndZeros)
{
  // A frame without mask gives a new one-plane uint16 image of ones; the plane index is ignored then.
  Image src = MakeImage(DT_Float, 3, 2, 2);
  EXPECT_EQ(MaskOp::CopyMaskToImage(src.get(), 0, nullptr, 5, false), nullptr);
  Image created(MaskOp::CopyMaskToImage(src.get(), 1, nullptr, 5, true));
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(std::make_pair(created->GetDataType(), created->GetDepth()), std::make_pair(DT_UInt16, 1u));
  EXPECT_EQ(PixelText(*created, 0), "111/111");

  SetMaskText(*src, 1, "010/110");
  Image dst = MakeImage(DT_Int32, 4, 3, 2);
  dst->GetPlane(1u)->Fill(9);
  EXPECT_EQ(MaskOp::CopyMaskToImage(src.get(), 1, dst.get(), 1, false), dst.get());
  EXPECT_EQ(PixelText(*dst, 1), "0100/1100/0000");

  EXPECT_EQ(MaskOp::CopyMaskToImage(src.get(), 0, dst.get(), 2, true), nullptr);
}

TEST(MaskOp, ApplyMaskToImageOverwritesOnlyInvalidPixels)
{
  Image image = MakeImage(DT_UInt16, 3, 2, 3);
  for (unsigned z = 0; z < 3; ++z)
    image->GetPlane(z)->Fill(8);
  Image maskFrame = MakeImage(DT_Float, 2, 3, 2);
  SetMaskText(*maskFrame, 0, "10/01/00");
  SetMaskText(*maskFrame, 1, "01/11/00");
  MaskOp::ApplyMaskToImage(image.get(), maskFrame.get(), -5); // clamped to 0
  EXPECT_EQ(PixelText(*image, 0), "808/088");
  EXPECT_EQ(PixelText(*image, 1), "088/888");

  MaskOp::ApplyMaskToImage(image.get(), maskFrame.get(), 70000);
  EXPECT_EQ(image->GetPixel(1, 0, 0), 65535.0);

  // Nothing without a mask or a pixel component.
  Image plain = MakeImage(DT_UInt16, 3, 2);
  MaskOp::ApplyMaskToImage(image.get(), plain.get(), 1);
  auto vectors = std::unique_ptr<I_FrameVector2C>(CreateVectorFrame2C(3, 2, 1, 1));
  ASSERT_NE(vectors, nullptr);
  vectors->CreateValidMask();
  vectors->SetValid(0, 0, 0, false);
  MaskOp::ApplyMaskToImage(vectors.get(), maskFrame.get(), 1);
  EXPECT_EQ(PixelText(*image, 2), "888/888");
  MaskOp::ApplyMaskToImage(image.get(), vectors.get(), 3);
  EXPECT_EQ(image->GetPixel(0, 0, 0), 3.0);
  EXPECT_EQ(image->GetPixel(0, 0, 1), 65535.0); // the vector frame has one plane only
}

TEST(MaskOp, SetMaskConstCreatesOrFills)
{
  Image frame = MakeImage(DT_UInt16, 2, 2, 3);
  MaskOp::SetMaskConst(frame.get(), false, 3);
  EXPECT_FALSE(frame->HasMask());
  MaskOp::SetMaskConst(frame.get(), true, -1);
  ASSERT_TRUE(frame->HasMask());
  EXPECT_EQ(MaskText(*frame, 2), "11/11");

  MaskOp::SetMaskConst(frame.get(), false, 1);
  EXPECT_EQ(MaskText(*frame, 1), "00/00");
  MaskOp::SetMaskConst(frame.get(), true, -7);
  EXPECT_EQ(MaskText(*frame, 0) + MaskText(*frame, 1) + MaskText(*frame, 2), "11/1111/1111/11");

  // False on a frame without mask: created valid, then the plane cleared.
  Image other = MakeImage(DT_UInt16, 2, 1, 2);
  MaskOp::SetMaskConst(other.get(), false, 0);
  EXPECT_EQ(MaskText(*other, 0), "00");
  EXPECT_EQ(MaskText(*other, 1), "11");
}

TEST(MaskOp, BoolArrayRoundTrip)
{
  // Without a mask every element is valid; nothing is created.
  Image frame = MakeImage(DT_UInt16, 3, 2, 2);
  EXPECT_EQ(Bytes(BoolArray(MaskOp::GetMaskAsBoolArray(frame.get(), 1)), 6), std::vector<int>(6, 1));
  EXPECT_EQ(MaskOp::GetMaskAsBoolArray(frame.get(), 2), nullptr);
  EXPECT_EQ(MaskOp::GetMaskAsBoolArray(nullptr, 0), nullptr);

  const bool pattern[6] = {true, false, false, true, true, false};
  const std::vector<int> patternBytes{1, 0, 0, 1, 1, 0};
  MaskOp::SetMaskFromBoolArray(frame.get(), 1, pattern);
  ASSERT_TRUE(frame->HasMask());
  EXPECT_EQ(MaskText(*frame, 1), "100/110");
  EXPECT_EQ(Bytes(BoolArray(MaskOp::GetMaskAsBoolArray(frame.get(), 1)), 6), patternBytes);

  // A mask of another element type goes element by element.
  Image floats = MakeImage(DT_UInt16, 3, 2, 1);
  floats->CreateComponent(I_Frame::COMPONENT_MASK, DT_Float);
  MaskOp::SetMaskFromBoolArray(floats.get(), 0, pattern);
  EXPECT_EQ(MaskText(*floats, 0), "100/110");
  EXPECT_EQ(Bytes(BoolArray(MaskOp::GetMaskAsBoolArray(floats.get(), 0)), 6), patternBytes);
}

TEST(MaskOp, SetMaskFromBoolArrayRefusesWhatItCanCheck)
{
  Image frame = MakeImage(DT_UInt16, 3, 2, 2);
  const bool values[6] = {false, false, false, false, false, false};
  MaskOp::SetMaskFromBoolArray(nullptr, 0, values);
  MaskOp::SetMaskFromBoolArray(frame.get(), 0, nullptr);
  MaskOp::SetMaskFromBoolArray(frame.get(), 2, values);
  EXPECT_FALSE(frame->HasMask());

  // With a count: a short array is refused before anything changes.
  EXPECT_FALSE(MaskOp::SetMaskFromBoolArray(frame.get(), 0, values, 5));
  EXPECT_FALSE(frame->HasMask());
  EXPECT_TRUE(MaskOp::SetMaskFromBoolArray(frame.get(), 0, values, 6));
  EXPECT_EQ(MaskText(*frame, 0), "000/000");
  EXPECT_FALSE(MaskOp::SetMaskFromBoolArray(frame.get(), 2, values, 6));
}

TEST(MaskOp, ConvertPlaneToBoolArray)
{
  EXPECT_EQ(MaskOp::ConvertPlaneToBoolArray(nullptr), nullptr);
  Image bytes = MakeImage(DT_UInt8, 2, 2);
  bytes->SetPixel(1, 0, 0, 7);
  EXPECT_EQ(Bytes(BoolArray(MaskOp::ConvertPlaneToBoolArray(bytes->GetPlane(0u))), 4), (std::vector<int>{0, 1, 0, 0}));
  Image floats = MakeImage(DT_Float, 3, 1);
  floats->SetPixel(0, 0, 0, 0.5); // GetIntValue 0: false
  floats->SetPixel(1, 0, 0, -2.0);
  floats->SetPixel(2, 0, 0, 1.0);
  EXPECT_EQ(Bytes(BoolArray(MaskOp::ConvertPlaneToBoolArray(floats->GetPlane(0u))), 3), (std::vector<int>{0, 1, 1}));
}
