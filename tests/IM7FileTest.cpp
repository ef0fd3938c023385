#include "IM7TestHelpers.h"

#include "Buffer2File.IM7/IM7Header.h"

#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameProfile.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <tuple>

using namespace BufferApi;
using namespace IM7Test;

namespace
{
unsigned ElementSize(E_DataType type)
{
  return GetDataTypeSize(type);
}

//! Frames of random bytes (any bit pattern must survive) and, optionally, a
//! mask with a pattern of valid and invalid pixels.
std::unique_ptr<I_Buffer> MakeImages(E_DataType type, unsigned width, unsigned height, unsigned depth, unsigned frames,
                                     bool mask, std::uint32_t seed = 7)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  std::mt19937 random(seed);
  for (unsigned f = 0; f < frames; ++f)
  {
    I_FrameImage* frame = buffer->AddImageFrame(width, height, depth, type);
    for (unsigned z = 0; z < depth; ++z)
    {
      auto* data = static_cast<unsigned char*>(frame->GetPlaneData(z));
      for (std::size_t i = 0; i < std::size_t(width) * height * ElementSize(type); ++i)
        data[i] = static_cast<unsigned char>(random());
    }
    if (mask)
    {
      frame->CreateValidMask();
      for (unsigned z = 0; z < depth; ++z)
        for (unsigned y = 0; y < height; ++y)
          for (unsigned x = 0; x < width; ++x)
            frame->SetValid(x, y, z, (x + 2 * y + 3 * z + f) % 3 != 0);
    }
  }
  return buffer;
}

void ExpectSameImages(const I_Buffer& expected, const I_Buffer& actual, unsigned frames)
{
  ASSERT_EQ(actual.GetNumberOfFrames(), frames);
  for (unsigned f = 0; f < frames; ++f)
  {
    const auto* a = dynamic_cast<const I_FrameImage*>(expected.GetFrame(f));
    const auto* b = dynamic_cast<const I_FrameImage*>(actual.GetFrame(f));
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->GetDataType(), a->GetDataType());
    ASSERT_EQ(b->GetWidth(), a->GetWidth());
    ASSERT_EQ(b->GetHeight(), a->GetHeight());
    ASSERT_EQ(b->GetDepth(), a->GetDepth());
    ASSERT_EQ(b->HasMask(), a->HasMask());
    const std::size_t planeBytes = std::size_t(a->GetWidth()) * a->GetHeight() * ElementSize(a->GetDataType());
    for (unsigned z = 0; z < a->GetDepth(); ++z)
    {
      EXPECT_EQ(std::memcmp(a->GetPlaneData(z), b->GetPlaneData(z), planeBytes), 0) << "frame " << f << " z " << z;
      for (unsigned y = 0; y < a->GetHeight(); ++y)
        for (unsigned x = 0; x < a->GetWidth(); ++x)
          ASSERT_EQ(b->IsValid(x, y, z), a->IsValid(x, y, z)) << f << " " << x << " " << y << " " << z;
    }
  }
}

using RoundTripCase = std::tuple<E_DataType, unsigned /*pack*/, unsigned /*depth*/, unsigned /*frames*/, bool>;

class IM7RoundTrip : public testing::TestWithParam<RoundTripCase>
{
};

TEST_P(IM7RoundTrip, RestoresEveryByteAndTheMask)
{
  const auto [type, pack, depth, frames, mask] = GetParam();
  const auto buffer = MakeImages(type, 5, 4, depth, frames, mask);
  const Bytes file = Write(*buffer, pack);
  if (mask)
  {
    EXPECT_EQ(TrailerPosition(file, pack == 0 ? 2 : 5) != 0, true);
    EXPECT_EQ(TrailerPosition(file, pack == 0 ? 5 : 2), 0u);
  }
  EXPECT_EQ(Get<std::int16_t>(file, 2), static_cast<std::int16_t>(pack));
  const ReadResult read = Read(file);
  ExpectSameImages(*buffer, *read.buffer, frames);
  EXPECT_EQ(read.sizeX, 5u);
  EXPECT_EQ(read.sizeY, 4u);
  EXPECT_EQ(read.sizeZ, depth);
  EXPECT_EQ(read.frames, frames);
}

INSTANTIATE_TEST_SUITE_P(AllImageTypes, IM7RoundTrip,
                         testing::Combine(testing::Values(DT_UInt8, DT_UInt16, DT_RGB, DT_Float, DT_Double, DT_Int32),
                                          testing::Values(0u, 2u), testing::Values(1u, 3u), testing::Values(1u, 3u),
                                          testing::Bool()));

TEST(IM7Layout, HeaderDataMaskAndTrailerLieWhereTheFormatSays)
{
  const auto buffer = MakeImages(DT_UInt16, 3, 2, 1, 2, true);
  const Bytes file = Write(*buffer);
  EXPECT_EQ(Get<std::int16_t>(file, 0), 0);
  EXPECT_EQ(Get<std::int16_t>(file, 2), 0);  // pack type
  EXPECT_EQ(Get<std::int16_t>(file, 4), -4); // uint16 image
  EXPECT_EQ(Get<std::int16_t>(file, 6), 0);
  EXPECT_EQ(Get<std::int32_t>(file, 8), 3);
  EXPECT_EQ(Get<std::int32_t>(file, 12), 2);
  EXPECT_EQ(Get<std::int32_t>(file, 16), 1);
  EXPECT_EQ(Get<std::int32_t>(file, 20), 2);
  EXPECT_EQ(Get<std::int16_t>(file, 24), 0);
  EXPECT_EQ(Get<std::int16_t>(file, 26), 1);
  EXPECT_EQ(Get<std::int16_t>(file, 28), 1); // trailer, no separate grids
  EXPECT_EQ(Get<std::int16_t>(file, 30), 0);
  for (std::size_t i = 32; i < 256; ++i)
    ASSERT_EQ(file[i], 0) << i;
  // The planes follow the header frame by frame.
  const auto* frame1 = dynamic_cast<const I_FrameImage*>(buffer->GetFrame(1));
  EXPECT_EQ(std::memcmp(file.data() + 256 + 12, frame1->GetPlaneData(0), 12), 0);
  const std::uint64_t extended = TrailerPosition(file, 0);
  EXPECT_EQ(extended, 256u + 24u);
  EXPECT_EQ(TrailerPosition(file, 1), 0u);
  const std::uint64_t mask = TrailerPosition(file, 2);
  EXPECT_GT(mask, extended);
  for (std::size_t slot = 3; slot < 32; ++slot)
    EXPECT_EQ(TrailerPosition(file, slot), 0u) << slot;
  ASSERT_EQ(mask + 12 + 256, file.size());
  for (unsigned f = 0; f < 2; ++f)
    for (unsigned i = 0; i < 6; ++i)
      EXPECT_EQ(file[mask + 6 * f + i], buffer->GetFrame(f)->IsValid(i % 3, i / 3, 0) ? 1 : 0);
}

TEST(IM7Layout, FramesToStoreEndAtTheFirstFrameThatDiffers)
{
  auto buffer = MakeImages(DT_UInt16, 4, 3, 1, 2, false);
  buffer->AddImageFrame(4, 4, 1, DT_UInt16);
  buffer->AddImageFrame(4, 3, 1, DT_UInt16); // like the first, but behind the odd one
  const Bytes file = Write(*buffer);
  EXPECT_EQ(Get<std::int32_t>(file, 20), 2);
  ExpectSameImages(*buffer, *Read(file).buffer, 2);

  auto mixed = MakeImages(DT_UInt16, 4, 3, 1, 2, false);
  mixed->AddImageFrame(4, 3, 1, DT_Float);
  EXPECT_EQ(Get<std::int32_t>(Write(*mixed), 20), 2);
  auto extra = MakeImages(DT_UInt16, 4, 3, 1, 2, false);
  extra->GetFrame(1)->CreateComponent("TS:Extra", DT_Float);
  EXPECT_EQ(Get<std::int32_t>(Write(*extra), 20), 1);
}

//! A frame behind the stored ones, of another size, with a typed scalar
//! of a scale of its own: nothing of it may reach the file.
TEST(IM7Layout, FramesLeftOutLeaveNothingBehind)
{
  auto buffer = MakeImages(DT_UInt16, 4, 3, 1, 2, false);
  I_Frame* left = buffer->AddImageFrame(5, 3, 1, DT_UInt16);
  C_FrameAttributes(left).SetString("Note", "left out");
  C_FrameAttributes(buffer->GetFrame(1)).SetString("Note", "kept");
  for (unsigned f = 0; f < 3; ++f)
  {
    I_Frame* frame = buffer->GetFrame(f);
    const int ts = static_cast<int>(frame->CreateComponent("TS:T", DT_Float));
    frame->SetValue(ts, 3, 2, 0, 10.0 + f);
    if (f == 2)
      frame->SetComponentScale(ts, C_ScaleFactory::GetInstance().CreateLinearScale(2, 0, "mm", "other"));
  }
  const Bytes file = Write(*buffer);
  EXPECT_EQ(TrailerPosition(file, 6), 0u) << "the stored frames share one component scale";
  const ReadResult read = Read(file);
  ASSERT_EQ(read.buffer->GetNumberOfFrames(), 2u);
  EXPECT_EQ(C_FrameAttributes(read.buffer->GetFrame(1)).GetString("Note"), "kept");
  EXPECT_EQ(read.buffer->FindAttribute("Note2"), nullptr);
  EXPECT_EQ(read.buffer->FindAttribute("FrameScaleX2"), nullptr);
  for (unsigned f = 0; f < 2; ++f)
  {
    const I_Frame* frame = read.buffer->GetFrame(f);
    EXPECT_EQ(frame->GetValue(frame->GetComponentIndex("TS:T"), 3, 2, 0), 10.0 + f);
  }
}

TEST(IM7Layout, RequestedPackTypesMapToTheHeader)
{
  struct Case
  {
    E_DataType type;
    unsigned requested;
    int header;
  };
  // Only requests whose header pack type is 0 can be written by every build.
  for (const Case c : {Case{DT_Float, 1, 0}, Case{DT_Float, 19, 0}, Case{DT_Double, 7, 0}, Case{DT_UInt16, 4096, 0},
                       Case{DT_UInt8, 4097, 0}, Case{DT_RGB, 4097, 0}, Case{DT_UInt8, 4098, 0}})
  {
    const auto buffer = MakeImages(c.type, 3, 2, 1, 1, false);
    const Bytes file = Write(*buffer, c.requested);
    EXPECT_EQ(Get<std::int16_t>(file, 2), c.header) << c.requested;
    EXPECT_EQ(Get<std::int16_t>(file, 30), c.header) << c.requested;
    EXPECT_EQ(TrailerPosition(file, 0), 256u + 6u * GetDataTypeSize(c.type)) << "data stored unpacked";
    ExpectSameImages(*buffer, *Read(file).buffer, 1);
  }
}

TEST(IM7Layout, RequestedPackTypeTable)
{
  using IM7::HeaderPackType;
  // Codes: -2 uint8, -4 uint16, -11 RGB, -3 float, -5 double, -21 int32, 1 and 6 vectors.
  for (const int code : {-2, -4, -11, -3, -5, -21, 1, 6})
  {
    const bool floatLike = code == -3 || code == -5 || code > 0;
    EXPECT_EQ(HeaderPackType(4096, code), 0) << code;
    EXPECT_EQ(HeaderPackType(4097, code), code == -4 ? 1 : code == -21 ? 4097 : 0) << code;
    EXPECT_EQ(HeaderPackType(4098, code), code == -4 || code == -11 ? 1
                                          : code == -21             ? 4098
                                          : floatLike               ? 2
                                                                    : 0)
        << code;
    EXPECT_EQ(HeaderPackType(19, code), floatLike ? 0 : 1) << code;
    EXPECT_EQ(HeaderPackType(0, code), 0) << code;
    EXPECT_EQ(HeaderPackType(2, code), 2) << code;
    EXPECT_EQ(HeaderPackType(7, code), floatLike ? 0 : 7) << code;
  }
}

TEST(IM7Layout, PackedMaskFollowsTheKindWordTwo)
{
  const auto buffer = MakeImages(DT_UInt16, 3, 2, 1, 2, true);
  const Bytes file = Write(*buffer, 2);
  const std::uint64_t mask = TrailerPosition(file, 5);
  ASSERT_NE(mask, 0u);
  EXPECT_EQ(Get<std::uint32_t>(file, mask), 2u);
  EXPECT_EQ(TrailerPosition(file, 2), 0u);
  ExpectEveryPrefixRaises(file);
}

TEST(IM7Writer, RefusesWhatItCannotStoreBeforeWritingAnything)
{
  std::unique_ptr<I_Buffer> empty(CreateBuffer());
  EXPECT_EQ(MessageOf<RTE::VerificationFailed>([&] { Write(*empty); }), "Can't export buffer without frames to IM7.");
  std::unique_ptr<I_Buffer> profiles(CreateBuffer());
  profiles->AddProfileFrame(4, 2, 1);
  EXPECT_EQ(MessageOf([&] { Write(*profiles); }), "Can't export this frame type to IM7.");
  EXPECT_EQ(MessageOf([&] { WriteIM7(nullptr, std::tmpfile(), 0); }), "No buffer given.");
  EXPECT_EQ(MessageOf([&] { WriteIM7(empty.get(), nullptr, 0); }), "No file given.");

  const auto buffer = MakeImages(DT_UInt16, 3, 2, 1, 1, false);
  TempFile temp;
  EXPECT_EQ(MessageOf([&] { WriteIM7(buffer.get(), temp.file, 1000); }), "Compression format not implemented yet.");
  const auto int32 = MakeImages(DT_Int32, 3, 2, 1, 1, false);
  EXPECT_EQ(MessageOf([&] { WriteIM7(int32.get(), temp.file, 4098); }), "Compression format not implemented yet.");
  EXPECT_EQ(std::ftell(temp.file), 0) << "nothing written";

  unsigned x, y, z, frames, deletable, grid, bytes;
  EXPECT_EQ(DetermineIM7Format(buffer.get(), x, y, z, frames, deletable, grid, bytes), -4);
  EXPECT_EQ(bytes, 2u);
  EXPECT_EQ(deletable, 0u);
}

Bytes SmallFile(E_DataType type = DT_UInt16, bool mask = false)
{
  return Write(*MakeImages(type, 3, 2, 2, 2, mask));
}

TEST(IM7Reader, RaisesTheHeaderMessages)
{
  EXPECT_EQ(ReadMessage(Bytes(100, 0)), "Invalid header.");
  Bytes file = SmallFile();
  Put<std::int16_t>(file, 0, 5);
  EXPECT_EQ(ReadMessage(file), "File not of type IM7.");
  Put<std::int16_t>(file, 0, 19);
  // Handed to the legacy reader, which finds no legacy header here.
  EXPECT_EQ(ReadMessage(file).rfind("IMG/IMX/VEC ", 0), 0u);
  file = SmallFile();
  Put<std::int16_t>(file, 6, 1);
  EXPECT_EQ(ReadMessage(file), "Sparse buffers retired, please use Pelio 7!");
  file = SmallFile();
  Put<std::int16_t>(file, 4, 7);
  EXPECT_EQ(ReadMessage(file), "Can't read this data format yet.");
  file = SmallFile();
  Put<std::int16_t>(file, 24, -1);
  EXPECT_EQ(ReadMessage(file), "Invalid number of extra components -1.");
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  EXPECT_EQ(
      MessageOf([&]
                { ReadIM7(nullptr, std::tmpfile(), true, true, false, false, nullptr, nullptr, nullptr, nullptr); }),
      "No buffer given.");
  EXPECT_EQ(
      MessageOf([&] { ReadIM7(buffer.get(), nullptr, true, true, false, false, nullptr, nullptr, nullptr, nullptr); }),
      "No file given.");
}

TEST(IM7Reader, FrameSizeZeroIsRefusedEvenForInformationWithTheSizesReported)
{
  Bytes file = SmallFile();
  Put<std::int32_t>(file, 16, 0);
  TempFile temp;
  std::fwrite(file.data(), 1, file.size(), temp.file);
  std::rewind(temp.file);
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  unsigned x = 9, y = 9, z = 9, frames = 9;
  EXPECT_EQ(MessageOf([&] { ReadIM7(buffer.get(), temp.file, false, false, false, false, &x, &y, &z, &frames); }),
            "Frame size invalid.");
  EXPECT_EQ(x, 3u);
  EXPECT_EQ(y, 2u);
  EXPECT_EQ(z, 0u);
  EXPECT_EQ(frames, 2u);
  Put<std::int32_t>(file, 16, -2);
  EXPECT_EQ(ReadMessage(file), "Frame size invalid.");
}

TEST(IM7Reader, HeadersClaimingTerabytesInATinyFileAreRefusedBeforeAllocation)
{
  Bytes file = SmallFile();
  Put<std::int32_t>(file, 8, 2000000000);
  Put<std::int32_t>(file, 12, 2000000000);
  Put<std::int32_t>(file, 20, 2000000000);
  // 2e9^3 * 2 planes * 2 bytes saturates at the largest 64-bit number.
  EXPECT_EQ(ReadMessage(file), "Data block needs 18446744073709551615 bytes, file has 48.");
  EXPECT_EQ(ReadMessage(file, {false, false}), "Data block needs 18446744073709551615 bytes, file has 48.");
  Put<std::int32_t>(file, 8, 1000);
  Put<std::int32_t>(file, 12, 1000);
  Put<std::int32_t>(file, 20, 1);
  EXPECT_EQ(ReadMessage(file), "Data block needs 4000000 bytes, file has 48.");
  Put<std::int16_t>(file, 2, 2);
  EXPECT_EQ(ReadMessage(file), "Data block needs 4000000 bytes, more than the 48 packed bytes of the file can hold.");
}

TEST(IM7Reader, BadTrailerPositionsAreRefused)
{
  const Bytes good = SmallFile(DT_UInt16, true);
  const std::size_t trailer = good.size() - 256;
  Bytes file = good;
  Put<std::uint64_t>(file, trailer, std::uint64_t(1) << 40);
  EXPECT_EQ(ReadMessage(file), "Trailer position 1099511627776 of the extended header lies outside the blocks of the "
                               "file (256 to " +
                                   std::to_string(trailer) + ").");
  file = good;
  Put<std::uint64_t>(file, trailer, 100);
  EXPECT_EQ(ReadMessage(file), "Trailer position 100 of the extended header lies outside the blocks of the file (256 "
                               "to " +
                                   std::to_string(trailer) + ").");
  file = good;
  Put<std::uint64_t>(file, trailer + 8, 300);
  EXPECT_EQ(ReadMessage(file),
            "Trailer position 300 of the reserved slot lies outside the blocks of the file (256 to " +
                std::to_string(trailer) + ").");
  file = good;
  const std::uint64_t mask = TrailerPosition(good, 2);
  Put<std::uint64_t>(file, trailer, mask);
  Put<std::uint64_t>(file, trailer + 16, mask - 8);
  EXPECT_EQ(ReadMessage(file), "Trailer positions of the extended header (" + std::to_string(mask) +
                                   ") and the mask block (" + std::to_string(mask - 8) + ") are out of order.");
  file = good;
  Put<std::uint64_t>(file, trailer + 16, trailer - 1);
  EXPECT_EQ(ReadMessage(file), "Mask block needs 24 bytes, file has 1.");
  file = good;
  Put<std::uint64_t>(file, trailer, 256 + 8); // the extended header inside the data block
  EXPECT_EQ(ReadMessage(file), "Data block needs 48 bytes, file has 8.");
  EXPECT_EQ(ReadMessage(Bytes(good.begin(), good.begin() + 400)),
            "IM7 file of 400 bytes is too short for its header and trailer.");
}

TEST(IM7Reader, EveryPrefixOfAFileRaises)
{
  ExpectEveryPrefixRaises(SmallFile(DT_UInt16, true));
  ExpectEveryPrefixRaises(SmallFile(DT_UInt8, false));
}

TEST(IM7Information, FramesDescribeTheFileWithoutItsData)
{
  const auto buffer = MakeImages(DT_Float, 5, 4, 3, 2, true);
  const Bytes file = Write(*buffer);
  for (const bool attributes : {true, false})
  {
    const ReadResult info = Read(file, {false, attributes});
    ASSERT_EQ(info.buffer->GetNumberOfFrames(), 2u);
    EXPECT_EQ(info.sizeX, 5u);
    EXPECT_EQ(info.sizeY, 4u);
    EXPECT_EQ(info.sizeZ, 3u);
    EXPECT_EQ(info.frames, 2u);
    for (unsigned f = 0; f < 2; ++f)
    {
      const I_Frame* frame = info.buffer->GetFrame(f);
      EXPECT_EQ(frame->GetWidth(), 1u);
      EXPECT_EQ(frame->GetHeight(), 1u);
      EXPECT_EQ(frame->GetDepth(), 1u);
      EXPECT_EQ(frame->GetDataType(), DT_Float);
      EXPECT_TRUE(frame->HasMask());
      EXPECT_EQ(frame->FindAttribute("COMPONENT_INDEX"), nullptr);
    }
    EXPECT_EQ(C_BufferAttributes(info.buffer.get()).GetString("_Header_PackType"), "0");
  }
  EXPECT_FALSE(Read(Write(*MakeImages(DT_Float, 5, 4, 3, 2, false)), {false, true}).buffer->GetFrame(0)->HasMask());
}

TEST(IM7Information, WithoutTrailerTheDataAreReadToReachTheAttributes)
{
  Bytes file = Write(*MakeImages(DT_UInt16, 5, 4, 3, 2, false));
  Put<std::int16_t>(file, 28, 0);
  file.resize(file.size() - 256);
  const ReadResult info = Read(file, {false, true});
  ASSERT_EQ(info.buffer->GetNumberOfFrames(), 2u);
  EXPECT_EQ(info.buffer->GetFrame(1)->GetWidth(), 1u);
  EXPECT_EQ(info.buffer->GetFrame(1)->GetHeight(), 1u);
  EXPECT_EQ(info.buffer->GetFrame(1)->GetDepth(), 3u);
  const auto original = MakeImages(DT_UInt16, 5, 4, 3, 2, false);
  ExpectSameImages(*original, *Read(file).buffer, 2);
}

TEST(IM7Import, ConvertsBytesToWords)
{
  const auto buffer = MakeImages(DT_UInt8, 4, 3, 2, 2, false);
  const ReadResult read = Read(Write(*buffer), {true, true, true});
  for (unsigned f = 0; f < 2; ++f)
  {
    const auto* a = dynamic_cast<const I_FrameImage*>(buffer->GetFrame(f));
    const auto* b = dynamic_cast<const I_FrameImage*>(read.buffer->GetFrame(f));
    ASSERT_EQ(b->GetDataType(), DT_UInt16);
    for (unsigned z = 0; z < 2; ++z)
      for (unsigned i = 0; i < 12; ++i)
        EXPECT_EQ(b->GetPixel(i % 4, i / 4, z), a->GetPixel(i % 4, i / 4, z));
  }
}

TEST(IM7Import, LegacyProfileSplitsTheRowsIntoFrames)
{
  const auto buffer = MakeImages(DT_UInt16, 4, 3, 1, 1, true);
  const ReadResult read = Read(Write(*buffer), {true, true, false, true});
  ASSERT_EQ(read.buffer->GetNumberOfFrames(), 3u);
  EXPECT_EQ(C_BufferAttributes(read.buffer.get()).GetString("ViewWinType"), "2");
  const auto* original = dynamic_cast<const I_FrameImage*>(buffer->GetFrame(0));
  for (unsigned y = 0; y < 3; ++y)
  {
    const auto* row = dynamic_cast<const I_FrameImage*>(read.buffer->GetFrame(y));
    ASSERT_EQ(row->GetHeight(), 1u);
    ASSERT_TRUE(row->HasMask());
    for (unsigned x = 0; x < 4; ++x)
    {
      EXPECT_EQ(row->GetPixel(x, 0, 0), original->GetPixel(x, y, 0));
      EXPECT_EQ(row->IsValid(x, 0, 0), original->IsValid(x, y, 0));
    }
  }
  // Without the option and without "ViewWinType" the image stays whole.
  EXPECT_EQ(Read(Write(*buffer)).buffer->GetNumberOfFrames(), 1u);
}
} // namespace
