// TIFF files as other programs write them: strips and tiles, compressions,
// planar configurations, sample formats, and descriptions that lie.

#include "TiffTestHelpers.h"

#include <tiffio.h>

namespace
{
using namespace BufferApi;
using namespace TiffTest;

struct PageLayout
{
  std::uint32_t width = 7;
  std::uint32_t height = 5;
  std::uint16_t samples = 1;
  std::uint16_t bits = 8;
  std::uint16_t format = SAMPLEFORMAT_UINT;
  std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  std::uint16_t planar = PLANARCONFIG_CONTIG;
  std::uint16_t compression = COMPRESSION_NONE;
  std::uint32_t tile = 0; // tile edge, 0 for strips
  std::uint32_t rowsPerStrip = 2;
  std::string description;
};

//! Sample s of pixel (x, y) on page `page`, as the pattern every writer here uses.
std::uint64_t SampleValue(const PageLayout& layout, std::uint32_t x, std::uint32_t y, unsigned page, unsigned s)
{
  const std::uint64_t range = layout.bits >= 32 ? 1000003 : (std::uint64_t(1) << layout.bits);
  return static_cast<std::uint64_t>(Pattern(x + 3 * s, y, page, static_cast<double>(range)));
}

void StoreSample(unsigned char* target, const PageLayout& layout, std::uint64_t value)
{
  if (layout.format == SAMPLEFORMAT_IEEEFP && layout.bits == 32)
  {
    const float f = static_cast<float>(value) + 0.5f;
    std::memcpy(target, &f, 4);
  }
  else if (layout.format == SAMPLEFORMAT_IEEEFP)
  {
    const double d = static_cast<double>(value) + 0.25;
    std::memcpy(target, &d, 8);
  }
  else
  {
    // Signed samples get negative values too (64-bit ones are only written, never compared).
    std::int64_t v = static_cast<std::int64_t>(value);
    if (layout.format == SAMPLEFORMAT_INT && layout.bits < 64)
      v -= static_cast<std::int64_t>(std::uint64_t(1) << (layout.bits - 1));
    std::memcpy(target, &v, layout.bits / 8); // little-endian host
  }
}

//! The chunk (all samples, or sample `s` alone) of rows [y0, y0 + rows) and columns [x0, x0 + columns).
std::vector<unsigned char> Chunk(const PageLayout& layout, unsigned page, int s, std::uint32_t x0, std::uint32_t y0,
                                 std::uint32_t columns, std::uint32_t rows)
{
  const unsigned samples = s < 0 ? layout.samples : 1;
  const unsigned bytes = layout.bits / 8;
  std::vector<unsigned char> data(std::size_t(columns) * rows * samples * bytes);
  for (std::uint32_t y = 0; y < rows; ++y)
  {
    for (std::uint32_t x = 0; x < columns; ++x)
    {
      for (unsigned i = 0; i < samples; ++i)
      {
        const unsigned sample = s < 0 ? i : static_cast<unsigned>(s);
        const bool inside = x0 + x < layout.width && y0 + y < layout.height;
        StoreSample(&data[((std::size_t(y) * columns + x) * samples + i) * bytes], layout,
                    inside ? SampleValue(layout, x0 + x, y0 + y, page, sample) : 0);
      }
    }
  }
  return data;
}

void WritePageData(TIFF* tiff, const PageLayout& layout, unsigned page)
{
  const int chunks = layout.planar == PLANARCONFIG_SEPARATE ? layout.samples : 1;
  for (int c = 0; c < chunks; ++c)
  {
    const int s = layout.planar == PLANARCONFIG_SEPARATE ? c : -1;
    if (layout.tile != 0)
    {
      for (std::uint32_t y = 0; y < layout.height; y += layout.tile)
      {
        for (std::uint32_t x = 0; x < layout.width; x += layout.tile)
        {
          std::vector<unsigned char> data = Chunk(layout, page, s, x, y, layout.tile, layout.tile);
          TIFFWriteEncodedTile(tiff, TIFFComputeTile(tiff, x, y, 0, static_cast<std::uint16_t>(c)), data.data(),
                               static_cast<tmsize_t>(data.size()));
        }
      }
      continue;
    }
    for (std::uint32_t y = 0; y < layout.height; y += layout.rowsPerStrip)
    {
      const std::uint32_t rows = std::min(layout.rowsPerStrip, layout.height - y);
      std::vector<unsigned char> data = Chunk(layout, page, s, 0, y, layout.width, rows);
      TIFFWriteEncodedStrip(tiff, TIFFComputeStrip(tiff, y, static_cast<std::uint16_t>(c)), data.data(),
                            static_cast<tmsize_t>(data.size()));
    }
  }
}

void WriteForeign(const std::string& path, const std::vector<PageLayout>& pages)
{
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  for (unsigned page = 0; page < pages.size(); ++page)
  {
    const PageLayout& layout = pages[page];
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, layout.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, layout.height);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout.samples);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, layout.format);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, layout.planar);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, layout.compression);
    if (layout.tile != 0)
    {
      TIFFSetField(tiff, TIFFTAG_TILEWIDTH, layout.tile);
      TIFFSetField(tiff, TIFFTAG_TILELENGTH, layout.tile);
    }
    else
      TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, layout.rowsPerStrip);
    if (!layout.description.empty())
      TIFFSetField(tiff, TIFFTAG_IMAGEDESCRIPTION, layout.description.c_str());
    WritePageData(tiff, layout, page);
    TIFFWriteDirectory(tiff);
  }
  TIFFClose(tiff);
}

//! The value the importer should give for sample s of (x, y).
double Expected(const PageLayout& layout, std::uint32_t x, std::uint32_t y, unsigned page, unsigned s)
{
  const double value = static_cast<double>(SampleValue(layout, x, y, page, s));
  if (layout.format == SAMPLEFORMAT_IEEEFP)
    return value + (layout.bits == 32 ? 0.5 : 0.25);
  if (layout.format == SAMPLEFORMAT_INT)
    return value - static_cast<double>(std::uint64_t(1) << (layout.bits - 1));
  return value;
}

void ExpectGreyPages(const std::vector<PageLayout>& pages, E_DataType type)
{
  const std::string path = ScratchPath("foreign-grey.tif");
  WriteForeign(path, pages);
  const BufferPtr buffer = Import(path);
  ASSERT_EQ(buffer->GetNumberOfFrames(), pages.size());
  for (unsigned page = 0; page < pages.size(); ++page)
  {
    const auto* frame = dynamic_cast<I_FrameImage*>(buffer->GetFrame(page));
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->GetDataType(), type);
    ASSERT_EQ(frame->GetWidth(), pages[page].width);
    for (std::uint32_t y = 0; y < pages[page].height; ++y)
    {
      for (std::uint32_t x = 0; x < pages[page].width; ++x)
        ASSERT_EQ(frame->GetPixel(x, y, 0), Expected(pages[page], x, y, page, 0)) << x << "," << y;
    }
  }
}

TEST(TiffForeign, GreySampleFormatsInStripsAndTiles)
{
  struct Case
  {
    std::uint16_t bits, format;
    E_DataType type;
  };
  for (const Case c : {Case{8, SAMPLEFORMAT_UINT, DT_UInt8}, Case{16, SAMPLEFORMAT_UINT, DT_UInt16},
                       Case{32, SAMPLEFORMAT_UINT, DT_UInt32}, Case{8, SAMPLEFORMAT_INT, DT_Int32},
                       Case{16, SAMPLEFORMAT_INT, DT_Int32}, Case{32, SAMPLEFORMAT_INT, DT_Int32},
                       Case{32, SAMPLEFORMAT_IEEEFP, DT_Float}, Case{64, SAMPLEFORMAT_IEEEFP, DT_Double}})
  {
    PageLayout strips;
    strips.bits = c.bits;
    strips.format = c.format;
    strips.compression = COMPRESSION_LZW;
    PageLayout tiles = strips;
    tiles.width = 37;
    tiles.height = 21;
    tiles.tile = 16;
    tiles.compression = COMPRESSION_ADOBE_DEFLATE;
    SCOPED_TRACE(c.bits);
    ExpectGreyPages({strips, tiles, strips}, c.type);
  }
}

void ExpectRgbPage(const PageLayout& layout)
{
  const std::string path = ScratchPath("foreign-rgb.tif");
  WriteForeign(path, {layout});
  const BufferPtr buffer = Import(path);
  ASSERT_EQ(buffer->GetNumberOfFrames(), 1u);
  const auto* frame = dynamic_cast<I_FrameRGB*>(buffer->GetFrame(0));
  ASSERT_NE(frame, nullptr);
  for (std::uint32_t y = 0; y < layout.height; ++y)
  {
    for (std::uint32_t x = 0; x < layout.width; ++x)
    {
      ASSERT_EQ(frame->GetRed(x, y, 0), Expected(layout, x, y, 0, 0));
      ASSERT_EQ(frame->GetGreen(x, y, 0), Expected(layout, x, y, 0, 1));
      ASSERT_EQ(frame->GetBlue(x, y, 0), Expected(layout, x, y, 0, 2));
    }
  }
}

TEST(TiffForeign, Rgb8ContigSeparateTiledAndWithAlpha)
{
  PageLayout layout;
  layout.samples = 3;
  layout.photometric = PHOTOMETRIC_RGB;
  ExpectRgbPage(layout);
  layout.planar = PLANARCONFIG_SEPARATE;
  layout.compression = COMPRESSION_LZW;
  ExpectRgbPage(layout);
  layout.width = 33;
  layout.height = 17;
  layout.tile = 16;
  ExpectRgbPage(layout);
  layout.planar = PLANARCONFIG_CONTIG;
  layout.samples = 4;
  ExpectRgbPage(layout);
}

TEST(TiffForeign, Rgb16BecomesThreeSixteenBitPlanes)
{
  PageLayout layout;
  layout.samples = 3;
  layout.bits = 16;
  layout.photometric = PHOTOMETRIC_RGB;
  layout.tile = 16;
  layout.planar = PLANARCONFIG_SEPARATE;
  layout.compression = COMPRESSION_ADOBE_DEFLATE;
  const std::string path = ScratchPath("foreign-rgb16.tif");
  WriteForeign(path, {layout});
  const BufferPtr buffer = Import(path);
  const auto* frame = dynamic_cast<I_FrameImage*>(buffer->GetFrame(0));
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->GetDataType(), DT_UInt16);
  ASSERT_EQ(frame->GetDepth(), 3u);
  for (unsigned channel = 0; channel < 3; ++channel)
  {
    for (std::uint32_t y = 0; y < layout.height; ++y)
    {
      for (std::uint32_t x = 0; x < layout.width; ++x)
        ASSERT_EQ(frame->GetPixel(x, y, channel), Expected(layout, x, y, 0, channel));
    }
  }
  unsigned sizeX = 0, sizeY = 0, sizeZ = 0, frames = 0;
  BufferPtr(GetImportInformation(path, sizeX, sizeY, sizeZ, frames, true));
  EXPECT_EQ(sizeZ, 3u);
}

TEST(TiffForeign, PaletteImagesAreReadAsColours)
{
  const std::string path = ScratchPath("palette.tif");
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 2u);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 1u);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
  std::vector<std::uint16_t> red(256, 0), green(256, 0), blue(256, 0);
  red[1] = 0xFFFF;
  blue[2] = 0x8080;
  TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  unsigned char row[2] = {1, 2};
  TIFFWriteScanline(tiff, row, 0, 0);
  TIFFClose(tiff);
  const BufferPtr buffer = Import(path);
  const auto* frame = dynamic_cast<I_FrameRGB*>(buffer->GetFrame(0));
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->GetRed(0, 0, 0), 255);
  EXPECT_EQ(frame->GetBlue(0, 0, 0), 0);
  EXPECT_EQ(frame->GetBlue(1, 0, 0), 128);
}

TEST(TiffForeign, ResolutionBecomesCentimetreScales)
{
  const std::string path = ScratchPath("resolution.tif");
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 1u);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 1u);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 254.0);
  TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 127.0);
  unsigned char pixel = 0;
  TIFFWriteScanline(tiff, &pixel, 0, 0);
  TIFFClose(tiff);
  const BufferPtr buffer = Import(path);
  EXPECT_DOUBLE_EQ(buffer->GetFrame(0)->GetScaleX()->GetFactor(), 0.01);
  EXPECT_DOUBLE_EQ(buffer->GetFrame(0)->GetScaleY()->GetFactor(), 0.02);
  EXPECT_EQ(buffer->GetFrame(0)->GetScaleX()->GetUnit()->GetSymbol(), "cm");
}

TEST(TiffForeign, LayoutsWithoutElementType)
{
  PageLayout complex;
  complex.bits = 64;
  complex.format = SAMPLEFORMAT_INT;
  const std::string path = ScratchPath("int64.tif");
  WriteForeign(path, {complex});
  EXPECT_EQ(ErrorOf([&] { Import(path); }),
            "TIFF file: page 0 has 1 samples of 64 bits in sample format 2 with photometric 1, which can't be read");
}

TEST(TiffForeign, PagesBeyondTheSizeLimit)
{
  // Only the tags are written: the size is refused before any pixel is read.
  const std::string path = ScratchPath("huge.tif");
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 70000u);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 70000u);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 70000u);
  std::vector<unsigned char> row(140000);
  TIFFWriteScanline(tiff, row.data(), 0, 0);
  TIFFClose(tiff);
  EXPECT_EQ(ErrorOf([&] { Import(path); }), "TIFF file: page 0 needs more than 1073741824 bytes");
}

PageLayout Described(const std::string& description)
{
  PageLayout layout;
  layout.description = description;
  return layout;
}

std::string DescribedError(const std::vector<PageLayout>& pages)
{
  const std::string path = ScratchPath("described.tif");
  WriteForeign(path, pages);
  return ErrorOf([&] { Import(path); });
}

TEST(TiffForeign, DescriptionsThatDoNotFitThePages)
{
  const std::string first = R"({"writer":"BufferTiff","plane":0,"planes":2})";
  const std::string second = R"({"writer":"BufferTiff","plane":1,"planes":2})";
  EXPECT_EQ(DescribedError({Described(second)}), "TIFF file: page 0 does not continue the planes of frame 0");
  EXPECT_EQ(DescribedError({Described(first), Described(second), Described(second)}),
            "TIFF file: page 2 does not continue the planes of frame 0");
  EXPECT_EQ(DescribedError({Described(first), Described(first)}), "TIFF file: frame 0 has 1 of its 2 planes");
  PageLayout wider = Described(second);
  wider.width = 8;
  EXPECT_EQ(DescribedError({Described(first), wider}),
            "TIFF file: page 1 differs in size or type from the first plane of its frame");
  EXPECT_EQ(DescribedError({Described(R"({"writer":"BufferTiff","plane":0,"planes":0})")}),
            "TIFF file: damaged description: a frame without planes");
  EXPECT_EQ(DescribedError({Described(R"({"writer":"BufferTiff","plane":0})")}),
            "TIFF file: damaged description: member planes is missing");
  EXPECT_EQ(DescribedError({Described(R"({"writer":"BufferTiff","plane":-1,"planes":1})")}),
            "TIFF file: damaged description: value is out of range");
  const std::string attribute = R"({"writer":"BufferTiff","plane":0,"planes":1,"attributes":[)";
  EXPECT_EQ(DescribedError({Described(attribute + R"({"name":"a","type":"colour","value":1}]})")}),
            "TIFF file: damaged description: unknown attribute type 'colour'");
  EXPECT_EQ(DescribedError({Described(attribute + R"({"name":"a","type":"double","value":"x"}]})")}),
            "TIFF file: damaged description: value is no number");
  EXPECT_EQ(DescribedError({Described(attribute + R"({"name":"a","type":"string","value":1}]})")}),
            "TIFF file: damaged description: value is no text");
  EXPECT_EQ(DescribedError({Described(attribute + R"({"name":7,"type":"node"}]})")}),
            "TIFF file: damaged description: name is no text");
  EXPECT_EQ(DescribedError({Described(R"({"writer":"BufferTiff","plane":0,"planes":1,"attributes":{}})")}),
            "TIFF file: damaged description: attributes are no list");
  EXPECT_EQ(DescribedError({Described(
                attribute + R"({"name":"p","type":"plane","value":{"dataType":"Int8","width":1,"height":1}}]})")}),
            "TIFF file: damaged description: unknown plane data type");
  EXPECT_EQ(DescribedError({Described(
                attribute +
                R"({"name":"p","type":"plane","value":{"dataType":"UInt8","width":2,"height":1,"values":[1]}}]})")}),
            "TIFF file: damaged description: plane values do not match the plane size");
  const std::string scales = R"({"writer":"BufferTiff","plane":0,"planes":1,"scales":)";
  EXPECT_EQ(DescribedError({Described(scales + R"({"x":{"type":"log","description":""}}})")}),
            "TIFF file: damaged description: unknown scale type 'log'");
  // Descriptions of other programs, JSON or not, are left alone.
  EXPECT_EQ(DescribedError({Described(R"({"shape":[5,7]})"), Described("ImageJ=1.54\nimages=2")}), "no exception");
}

} // namespace
