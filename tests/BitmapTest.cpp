// Windows bitmaps written byte by byte, read into memory and turned into
// buffers in every colour mode; the size computations, the bit shift and the
// pre-export check.

#include "IM7TestHelpers.h"

#include <BufferApi/B2FIOHelpers.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameRGB.h>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace BufferApi;
using namespace B2FIOHelpers;
using IM7Test::Bytes;
using IM7Test::MessageOf;
using IM7Test::TempFile;

namespace
{
void Put16(Bytes& b, std::size_t at, unsigned value)
{
  b[at] = static_cast<unsigned char>(value);
  b[at + 1] = static_cast<unsigned char>(value >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t value)
{
  for (int i = 0; i < 4; ++i)
    b[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

struct Bmp
{
  unsigned infoSize = 40;
  std::int32_t width = 0, height = 0;
  unsigned bits = 8;
  std::uint32_t compression = 0;
  std::uint32_t clrUsed = 0;
  std::uint32_t masks[3] = {0, 0, 0};
  Bytes table;      // 4 bytes per entry
  Bytes pixels;     // rows as stored, padding included
  unsigned gap = 0; // bytes between the table and the pixels

  Bytes File() const
  {
    const std::size_t offBits = 14 + infoSize + table.size() + gap;
    Bytes b(offBits, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<std::uint32_t>(offBits + pixels.size()));
    Put32(b, 10, static_cast<std::uint32_t>(offBits));
    Put32(b, 14, infoSize);
    Put32(b, 18, static_cast<std::uint32_t>(width));
    Put32(b, 22, static_cast<std::uint32_t>(height));
    Put16(b, 26, 1);
    Put16(b, 28, bits);
    Put32(b, 30, compression);
    Put32(b, 46, clrUsed);
    if (infoSize > 40)
      for (int i = 0; i < 3; ++i)
        Put32(b, 14 + 40 + 4 * i, masks[i]);
    std::copy(table.begin(), table.end(), b.begin() + 14 + infoSize);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
  }
};

struct BlockDeleter
{
  void operator()(tagBITMAPINFOHEADER* block) const { std::free(block); }
};
using Block = std::unique_ptr<tagBITMAPINFOHEADER, BlockDeleter>;

Block ReadBlock(const Bytes& file)
{
  TempFile temp;
  if (!file.empty())
  {
    EXPECT_EQ(std::fwrite(file.data(), 1, file.size(), temp.file), file.size());
  }
  std::rewind(temp.file);
  return Block(ReadBMPtoMem(temp.file));
}

std::string ReadMessageOf(const Bytes& file)
{
  return MessageOf([&] { ReadBlock(file); });
}

std::unique_ptr<I_Buffer> Convert(const Bytes& file, RgbColorMode_t mode)
{
  Block block = ReadBlock(file);
  EXPECT_NE(block, nullptr);
  return std::unique_ptr<I_Buffer>(CreateBufferFromBitmap(block.get(), mode));
}

double Pixel(const I_Buffer& buffer, unsigned x, unsigned y)
{
  return dynamic_cast<const I_FrameImage*>(buffer.GetFrame(0))->GetPixel(x, y, 0);
}

tagRGBQUAD Rgb(const I_Buffer& buffer, unsigned x, unsigned y)
{
  const auto* frame = dynamic_cast<const I_FrameRGB*>(buffer.GetFrame(0));
  EXPECT_NE(frame, nullptr);
  return frame ? frame->GetRGB(x, y, 0) : tagRGBQUAD{0, 0, 0, 0};
}

unsigned Luminance(unsigned r, unsigned g, unsigned b)
{
  return (g * 587 + r * 299 + b * 114) >> 2;
}

//! A palette whose entry i is blue i, green 2i, red 3i (mod 256), reserved 7.
Bytes Palette(unsigned entries)
{
  Bytes table;
  for (unsigned i = 0; i < entries; ++i)
    table.insert(table.end(), {static_cast<unsigned char>(i), static_cast<unsigned char>(2 * i),
                               static_cast<unsigned char>(3 * i), 7});
  return table;
}

//! Checks a palette image in all four modes against the expected indices
//! (frame rows, top first).
void ExpectPaletteModes(const Bytes& file, const std::vector<std::vector<unsigned>>& indices)
{
  const auto sum = Convert(file, RgbColorMode_Sum);
  const auto luminance = Convert(file, RgbColorMode_Luminance);
  const auto colour = Convert(file, RgbColorMode_Color);
  const auto index = Convert(file, RgbColorMode_Index);
  ASSERT_EQ(sum->GetFrame(0)->GetHeight(), indices.size());
  ASSERT_EQ(sum->GetFrame(0)->GetWidth(), indices[0].size());
  EXPECT_EQ(sum->GetFrame(0)->GetDataType(), DT_UInt16);
  for (unsigned y = 0; y < indices.size(); ++y)
    for (unsigned x = 0; x < indices[y].size(); ++x)
    {
      const unsigned i = indices[y][x];
      const unsigned b = i & 0xFF, g = (2 * i) & 0xFF, r = (3 * i) & 0xFF;
      EXPECT_EQ(Pixel(*sum, x, y), b + g + r) << x << "," << y;
      EXPECT_EQ(Pixel(*luminance, x, y), Luminance(r, g, b)) << x << "," << y;
      EXPECT_EQ(Pixel(*index, x, y), i) << x << "," << y;
      const tagRGBQUAD q = Rgb(*colour, x, y);
      EXPECT_EQ(q.rgbBlue, b);
      EXPECT_EQ(q.rgbGreen, g);
      EXPECT_EQ(q.rgbRed, r);
      EXPECT_EQ(q.rgbReserved, 7);
    }
}
} // namespace

TEST(BitmapRead, EightBitRowsAreBottomUpAndPaddedToFourBytes)
{
  Bmp bmp;
  bmp.width = 3;
  bmp.height = 2;
  bmp.table = Palette(256);
  // File row 0 is the bottom row; the fourth byte of each row is padding.
  bmp.pixels = {10, 20, 30, 0xEE, 40, 50, 60, 0xEE};
  const Bytes file = bmp.File();
  Block block = ReadBlock(file);
  ASSERT_NE(block, nullptr);
  unsigned w = 0, h = 0, row = 0;
  EXPECT_EQ(GetBitmapSize(block.get(), w, h, row), 8u);
  EXPECT_EQ(row, 4u);
  EXPECT_EQ(GetBitmapLookupTableSize(block.get()), 256u);
  ExpectPaletteModes(file, {{40, 50, 60}, {10, 20, 30}});
}

TEST(BitmapRead, FourBitTakesTheHighNibbleFirstAndHonoursClrUsed)
{
  Bmp bmp;
  bmp.width = 5;
  bmp.height = 2;
  bmp.bits = 4;
  bmp.clrUsed = 12;
  bmp.table = Palette(12);
  bmp.pixels = {0x12, 0x34, 0x5F, 0xFF, 0xAB, 0x98, 0x7F, 0xFF};
  const Bytes file = bmp.File();
  Block block = ReadBlock(file);
  EXPECT_EQ(GetBitmapLookupTableSize(block.get()), 12u);
  ExpectPaletteModes(file, {{10, 11, 9, 8, 7}, {1, 2, 3, 4, 5}});
}

TEST(BitmapRead, OneBitBitmapsAreRead)
{
  Bmp bmp;
  bmp.width = 10;
  bmp.height = 2;
  bmp.bits = 1;
  bmp.table = Palette(2);
  bmp.pixels = {0xA5, 0xC0, 0xFF, 0xFF, 0x01, 0x40, 0xFF, 0xFF};
  const Bytes file = bmp.File();
  Block block = ReadBlock(file);
  unsigned w = 0, h = 0, row = 0;
  EXPECT_EQ(GetBitmapSize(block.get(), w, h, row), 8u);
  EXPECT_EQ(row, 4u);
  EXPECT_EQ(GetBitmapLookupTableSize(block.get()), 2u);
  ExpectPaletteModes(file, {{0, 0, 0, 0, 0, 0, 0, 1, 0, 1}, {1, 0, 1, 0, 0, 1, 0, 1, 1, 1}});
}

TEST(BitmapRead, SixteenBitsAreFiveFiveFiveWithoutMasks)
{
  Bmp bmp;
  bmp.width = 3;
  bmp.height = 1;
  bmp.bits = 16;
  const unsigned word = (31u << 10) | (17u << 5) | 3u; // red 31, green 17, blue 3
  bmp.pixels = {static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8), 0, 0, 0xFF, 0x7F, 0xEE, 0xEE};
  const Bytes file = bmp.File();
  EXPECT_EQ(Pixel(*Convert(file, RgbColorMode_Sum), 0, 0), 31 + 17 + 3);
  EXPECT_EQ(Pixel(*Convert(file, RgbColorMode_Index), 2, 0), 31 * 3);
  EXPECT_EQ(Pixel(*Convert(file, RgbColorMode_Luminance), 0, 0), Luminance(31, 17, 3));
  const tagRGBQUAD q = Rgb(*Convert(file, RgbColorMode_Color), 0, 0);
  EXPECT_EQ(q.rgbRed, 31);
  EXPECT_EQ(q.rgbGreen, 17);
  EXPECT_EQ(q.rgbBlue, 3);
  EXPECT_EQ(Pixel(*Convert(file, RgbColorMode_Sum), 1, 0), 0);
}

TEST(BitmapRead, SixteenBitsWith565MasksInA108ByteHeader)
{
  Bmp bmp;
  bmp.infoSize = 108;
  bmp.width = 2;
  bmp.height = 1;
  bmp.bits = 16;
  bmp.compression = 3; // bit fields
  bmp.masks[0] = 0xF800;
  bmp.masks[1] = 0x07E0;
  bmp.masks[2] = 0x001F;
  const unsigned word = (20u << 11) | (63u << 5) | 9u;
  bmp.pixels = {static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8), 0, 0};
  const Bytes file = bmp.File();
  Block block = ReadBlock(file);
  EXPECT_EQ(block->biCompression, kBitmap565);
  EXPECT_EQ(block->biSize, 108u);
  EXPECT_EQ(Pixel(*Convert(file, RgbColorMode_Sum), 0, 0), 20 + 63 + 9);
  EXPECT_EQ(Rgb(*Convert(file, RgbColorMode_Color), 0, 0).rgbGreen, 63);

  // Other masks stay bit fields, which are not supported.
  bmp.masks[1] = 0x03E0;
  Block other = ReadBlock(bmp.File());
  EXPECT_EQ(other->biCompression, 3u);
  EXPECT_EQ(MessageOf([&] { delete CreateBufferFromBitmap(other.get(), RgbColorMode_Sum); }),
            "Bitmap compression not supported");
}

TEST(BitmapRead, TwentyFourBitsPadNineBytesToTwelve)
{
  Bmp bmp;
  bmp.width = 3;
  bmp.height = 2;
  bmp.bits = 24;
  bmp.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE, 11, 12, 13, 14, 15, 16, 17, 18, 19, 0xEE, 0xEE, 0xEE};
  const Bytes file = bmp.File();
  Block block = ReadBlock(file);
  unsigned w = 0, h = 0, row = 0;
  EXPECT_EQ(GetBitmapSize(block.get(), w, h, row), 24u);
  EXPECT_EQ(row, 12u);
  const auto sum = Convert(file, RgbColorMode_Sum);
  EXPECT_EQ(Pixel(*sum, 0, 0), 11 + 12 + 13);
  EXPECT_EQ(Pixel(*sum, 2, 1), 7 + 8 + 9);
  EXPECT_EQ(Pixel(*Convert(file, RgbColorMode_Index), 1, 0), 14 + 15 + 16);
  EXPECT_EQ(Pixel(*Convert(file, RgbColorMode_Luminance), 1, 1), Luminance(6, 5, 4));
  const tagRGBQUAD q = Rgb(*Convert(file, RgbColorMode_Color), 2, 0);
  EXPECT_EQ(q.rgbBlue, 17);
  EXPECT_EQ(q.rgbGreen, 18);
  EXPECT_EQ(q.rgbRed, 19);
}

TEST(BitmapRead, ThirtyTwoBitsAsQuadsOrInTheUpperBytesWith124ByteHeader)
{
  Bmp bmp;
  bmp.width = 1;
  bmp.height = 2;
  bmp.bits = 32;
  bmp.pixels = {1, 2, 3, 4, 10, 20, 30, 40};
  const tagRGBQUAD q = Rgb(*Convert(bmp.File(), RgbColorMode_Color), 0, 1);
  EXPECT_EQ(q.rgbBlue, 1);
  EXPECT_EQ(q.rgbGreen, 2);
  EXPECT_EQ(q.rgbRed, 3);
  EXPECT_EQ(q.rgbReserved, 4);
  EXPECT_EQ(Pixel(*Convert(bmp.File(), RgbColorMode_Sum), 0, 0), 60);

  bmp.infoSize = 124;
  bmp.compression = 3;
  bmp.masks[0] = 0xFF000000u;
  bmp.masks[1] = 0x00FF0000u;
  bmp.masks[2] = 0x0000FF00u;
  const Bytes file = bmp.File();
  EXPECT_EQ(ReadBlock(file)->biCompression, kBitmapUpper24);
  const tagRGBQUAD upper = Rgb(*Convert(file, RgbColorMode_Color), 0, 0);
  EXPECT_EQ(upper.rgbBlue, 20);
  EXPECT_EQ(upper.rgbGreen, 30);
  EXPECT_EQ(upper.rgbRed, 40);
  EXPECT_EQ(upper.rgbReserved, 0);
  EXPECT_EQ(Pixel(*Convert(file, RgbColorMode_Luminance), 0, 1), Luminance(4, 3, 2));
}

TEST(BitmapRead, TopDownBitmapsAreStillReadBottomUp)
{
  Bmp bmp;
  bmp.width = 1;
  bmp.height = -3;
  bmp.table = Palette(256);
  bmp.pixels = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
  const auto index = Convert(bmp.File(), RgbColorMode_Index);
  ASSERT_EQ(index->GetFrame(0)->GetHeight(), 3u);
  EXPECT_EQ(Pixel(*index, 0, 0), 3);
  EXPECT_EQ(Pixel(*index, 0, 2), 1);
}

TEST(BitmapRead, PixelsAreTakenFromTheOffsetOfTheFileHeader)
{
  Bmp bmp;
  bmp.width = 1;
  bmp.height = 1;
  bmp.table = Palette(256);
  bmp.gap = 6;
  bmp.pixels = {77, 0, 0, 0};
  EXPECT_EQ(Pixel(*Convert(bmp.File(), RgbColorMode_Index), 0, 0), 77);
}

TEST(BitmapDamaged, HeaderFaultsRaiseTheirMessages)
{
  Bmp bmp;
  bmp.width = 2;
  bmp.height = 2;
  bmp.bits = 24;
  bmp.pixels = Bytes(16, 1);
  const Bytes good = bmp.File();
  EXPECT_EQ(ReadMessageOf(Bytes(good.begin(), good.begin() + 13)), "Can't read bitmap header");
  EXPECT_EQ(ReadMessageOf(Bytes(good.begin(), good.begin() + 53)), "Can't read bitmap info");
  Bytes wrongType = good;
  wrongType[1] = 'X';
  EXPECT_EQ(ReadMessageOf(wrongType), "File is no valid Windows Bitmap");
  Bmp small = bmp;
  small.infoSize = 64;
  EXPECT_EQ(ReadMessageOf(small.File()), "File is no valid Windows Bitmap");
  Bmp v5 = bmp;
  v5.infoSize = 124;
  const Bytes v5File = v5.File();
  EXPECT_EQ(ReadMessageOf(Bytes(v5File.begin(), v5File.begin() + 100)), "Can't read bitmap info");
  Bmp bits = bmp;
  bits.bits = 2;
  EXPECT_EQ(ReadMessageOf(bits.File()), "Bitmap bit count 2 not supported");
  Bmp negative = bmp;
  negative.width = -2;
  EXPECT_EQ(ReadMessageOf(negative.File()), "Bitmap size -2 x 2 invalid");
  Bmp huge = bmp;
  huge.width = 100000;
  huge.height = 100000;
  EXPECT_EQ(ReadMessageOf(huge.File()), "Bitmap pixels need 30000000000 bytes from offset 54, file has 70.");
  Bmp palette;
  palette.width = 1;
  palette.height = 1;
  palette.table = Palette(4); // 256 entries announced, 4 stored
  EXPECT_EQ(ReadMessageOf(palette.File()), "Bitmap header and colour table need 1078 bytes, file has 70.");
  Bytes offset = good;
  Put32(offset, 10, 0xFFFFFFF0u);
  EXPECT_EQ(ReadMessageOf(offset), "Bitmap pixels need 16 bytes from offset 4294967280, file has 70.");
}

TEST(BitmapDamaged, EveryShorterPrefixRaises)
{
  Bmp bmp;
  bmp.infoSize = 108;
  bmp.width = 5;
  bmp.height = 3;
  bmp.bits = 4;
  bmp.table = Palette(16);
  bmp.pixels = Bytes(12, 0x21);
  const Bytes file = bmp.File();
  ASSERT_NE(ReadBlock(file), nullptr);
  for (std::size_t length = 0; length < file.size(); ++length)
  {
    bool raised = false;
    try
    {
      ReadBlock(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
    }
    catch (const RTE::Exception&)
    {
      raised = true;
    }
    ASSERT_TRUE(raised) << length;
  }
}

TEST(BitmapConvert, RefusesUnknownModesAndCompressions)
{
  Bmp bmp;
  bmp.width = 1;
  bmp.height = 1;
  bmp.bits = 24;
  bmp.pixels = {1, 2, 3, 0};
  Block block = ReadBlock(bmp.File());
  EXPECT_EQ(MessageOf([&] { delete CreateBufferFromBitmap(block.get(), static_cast<RgbColorMode_t>(4)); }),
            "Bitmap colour mode 4 not supported");
  EXPECT_EQ(MessageOf([&] { delete CreateBufferFromBitmap(block.get(), static_cast<RgbColorMode_t>(-1)); }),
            "Bitmap colour mode -1 not supported");
  for (const std::uint32_t compression : {1u, 1023u, 1027u})
  {
    block->biCompression = compression;
    EXPECT_EQ(MessageOf([&] { delete CreateBufferFromBitmap(block.get(), RgbColorMode_Sum); }),
              "Bitmap compression not supported");
  }
  block->biCompression = 1024;
  std::unique_ptr<I_Buffer> passes(CreateBufferFromBitmap(block.get(), RgbColorMode_Sum));
  EXPECT_EQ(Pixel(*passes, 0, 0), 6);
}

TEST(BitmapSizes, ComputedInSixtyFourBits)
{
  tagBITMAPINFOHEADER info{};
  info.biSize = 40;
  info.biWidth = 100000;
  info.biHeight = -100000;
  info.biBitCount = 24;
  unsigned w = 0, h = 0, row = 0;
  EXPECT_EQ(GetBitmapSize(&info, w, h, row), 30000000000ull);
  EXPECT_EQ(w, 100000u);
  EXPECT_EQ(h, 100000u);
  EXPECT_EQ(row, 300000u);
  info.biBitCount = 12;
  EXPECT_EQ(GetBitmapSize(&info, w, h, row), 0u);
  EXPECT_EQ(row, 0u);
  EXPECT_EQ(GetBitmapLookupTableSize(&info), 0u);
  info.biBitCount = 8;
  info.biClrUsed = 1000;
  EXPECT_EQ(GetBitmapLookupTableSize(&info), 256u);
  info.biClrUsed = 3;
  EXPECT_EQ(GetBitmapLookupTableSize(&info), 3u);
}

namespace
{
std::unique_ptr<I_Buffer> ImageWithMaximum(double maximum, E_DataType type = DT_UInt16)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  buffer->AddImageFrame(3, 2, 1, type)->SetPixel(0, 0, 0, 1);
  buffer->AddImageFrame(3, 2, 1, type)->SetPixel(2, 1, 0, maximum);
  return buffer;
}
} // namespace

TEST(BitmapShift, BringsTheLargestPixelIntoEightBits)
{
  EXPECT_EQ(GetBitshift(ImageWithMaximum(4095).get(), 0), 4);
  EXPECT_EQ(GetBitshift(ImageWithMaximum(4096).get(), 0), 4);
  EXPECT_EQ(GetBitshift(ImageWithMaximum(4097).get(), 0), 5);
  EXPECT_EQ(GetBitshift(ImageWithMaximum(256).get(), 0), 0);
  EXPECT_EQ(GetBitshift(ImageWithMaximum(257).get(), 0), 1);
  EXPECT_EQ(GetBitshift(ImageWithMaximum(65535).get(), 0), 8);
  EXPECT_EQ(GetBitshift(ImageWithMaximum(1e6, DT_Float).get(), 0), 8);
  EXPECT_EQ(GetBitshift(ImageWithMaximum(-5, DT_Float).get(), 0), 0);
  EXPECT_EQ(GetBitshift(nullptr, 8), 7);
  EXPECT_EQ(GetBitshift(ImageWithMaximum(4095).get(), 12), 11);
}

TEST(BitmapExportCheck, ReportsGeometryAndRefusesWhatCannotBeExported)
{
  unsigned w = 0, h = 0, d = 0, frames = 0, planes = 0;
  bool rgb = false;
  auto check = [&](const I_Buffer* buffer) { CheckExport("TIF", buffer, w, h, d, frames, planes, rgb); };
  EXPECT_EQ(MessageOf([&] { check(nullptr); }), "TIF file: Missing buffer.");
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  EXPECT_EQ(MessageOf([&] { check(buffer.get()); }), "TIF file: No frames to be exported.");
  buffer->AddImageFrame(4, 3, 2, DT_UInt16);
  buffer->AddRGBFrame(4, 3, 2);
  check(buffer.get());
  EXPECT_EQ(w, 4u);
  EXPECT_EQ(h, 3u);
  EXPECT_EQ(d, 2u);
  EXPECT_EQ(frames, 2u);
  EXPECT_EQ(planes, 12u);
  EXPECT_TRUE(rgb);
  buffer->AddImageFrame(4, 3, 2, DT_UInt8);
  check(buffer.get());
  EXPECT_FALSE(rgb);
  buffer->AddVectorFrame2C(4, 3, 1, 1, DT_Float, 8);
  EXPECT_EQ(MessageOf([&] { check(buffer.get()); }), "TIF file: Can't export non-image frames.");

  std::unique_ptr<I_Buffer> empty(CreateBuffer());
  ASSERT_NE(empty->AddImageFrame(4, 3, 0, DT_UInt16), nullptr); // a frame without planes
  EXPECT_EQ(MessageOf<RTE::VerificationFailed>([&] { check(empty.get()); }), "TIF file: Can't export empty frames.");
}
