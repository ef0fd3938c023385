#include "TiffImport.h"

#include "TiffError.h"
#include "TiffMetadata.h"
#include "TiffSamples.h"
#include "TiffStream.h"

#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameRGB.h>
#include <BufferApi/tagRGBQUAD.h>

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace BufferTiff
{
using namespace BufferApi;
using nlohmann::json;

namespace
{
//! How a page becomes planes: grey samples in a plane of their type, 8-bit
//! RGB in an RGB plane, 16-bit RGB in three 16-bit planes (red, green, blue)
//! of one image frame, anything else libtiff can turn into RGBA in an RGB plane.
enum class E_PageKind
{
  Grey,
  Rgb8,
  Rgb16,
  Rgba
};

struct PageInfo
{
  unsigned index = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint16_t samples = 1;
  SampleLayout layout = {8, SAMPLEFORMAT_UINT};
  std::uint16_t planar = PLANARCONFIG_CONTIG;
  E_PageKind kind = E_PageKind::Grey;
  E_DataType type = DT_UInt8;
  json description;
};

struct FrameLayout
{
  std::vector<PageInfo> pages;
  unsigned declaredPlanes = 1;
};

std::string PageName(unsigned page)
{
  return "page " + std::to_string(page);
}

std::uint64_t CheckedProduct(std::initializer_list<std::uint64_t> factors, unsigned page)
{
  std::uint64_t product = 1;
  for (const std::uint64_t factor : factors)
  {
    if (__builtin_mul_overflow(product, factor, &product) || product > kMaxPageBytes)
      Fail(PageName(page) + " needs more than " + std::to_string(kMaxPageBytes) + " bytes");
  }
  return product;
}

std::uint16_t Defaulted16(TIFF* tiff, ttag_t tag)
{
  std::uint16_t value = 0;
  TIFFGetFieldDefaulted(tiff, tag, &value);
  return value;
}

std::uint16_t Photometric(TIFF* tiff, std::uint16_t samples)
{
  std::uint16_t photometric = 0;
  if (TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric))
    return photometric;
  return samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
}

bool ConvertibleToRgba(TIFF* tiff)
{
  char reason[1024] = {};
  return TIFFRGBAImageOK(tiff, reason) != 0;
}

void ClassifyPage(TIFF* tiff, PageInfo& page)
{
  const std::uint16_t photometric = Photometric(tiff, page.samples);
  const bool grey = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
  const bool rgb = photometric == PHOTOMETRIC_RGB && page.samples >= 3 && page.layout.format == SAMPLEFORMAT_UINT;
  if (grey && ElementTypeOf(page.layout, page.type))
    page.kind = E_PageKind::Grey;
  else if (rgb && page.layout.bits == 8)
    page.kind = E_PageKind::Rgb8;
  else if (rgb && page.layout.bits == 16)
    page.kind = E_PageKind::Rgb16;
  else if (ConvertibleToRgba(tiff))
    page.kind = E_PageKind::Rgba;
  else
    Fail(PageName(page.index) + " has " + std::to_string(page.samples) + " samples of " +
         std::to_string(page.layout.bits) + " bits in sample format " + std::to_string(page.layout.format) +
         " with photometric " + std::to_string(photometric) + ", which can't be read");
  if (page.kind == E_PageKind::Rgb8 || page.kind == E_PageKind::Rgba)
    page.type = DT_RGB;
  else if (page.kind == E_PageKind::Rgb16)
    page.type = DT_UInt16;
}

PageInfo ReadPageInfo(TIFF* tiff, unsigned index)
{
  PageInfo page;
  page.index = index;
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &page.width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &page.height);
  if (page.width == 0 || page.height == 0)
    Fail(PageName(index) + " has no pixels");
  page.samples = Defaulted16(tiff, TIFFTAG_SAMPLESPERPIXEL);
  page.layout = {Defaulted16(tiff, TIFFTAG_BITSPERSAMPLE), Defaulted16(tiff, TIFFTAG_SAMPLEFORMAT)};
  page.planar = Defaulted16(tiff, TIFFTAG_PLANARCONFIG);
  ClassifyPage(tiff, page);
  const std::uint64_t sampleBytes = page.kind == E_PageKind::Rgba ? 4 : page.layout.bits / 8;
  const std::uint64_t samples = page.kind == E_PageKind::Rgba ? 1 : page.samples;
  CheckedProduct({page.width, page.height, samples, sampleBytes}, index);
  char* description = nullptr;
  if (TIFFGetField(tiff, TIFFTAG_IMAGEDESCRIPTION, &description))
    page.description = ParseDescription(description);
  return page;
}

void FailOnError(C_TiffStream& stream, std::size_t page)
{
  const std::string error = stream.TakeError();
  if (!error.empty())
    Fail("can't read " + PageName(static_cast<unsigned>(page)) + ": " + error);
}

std::vector<PageInfo> ReadPages(C_TiffStream& stream)
{
  std::vector<PageInfo> pages;
  TIFF* tiff = stream.Get();
  do
  {
    FailOnError(stream, pages.size());
    pages.push_back(ReadPageInfo(tiff, static_cast<unsigned>(pages.size())));
  } while (TIFFReadDirectory(tiff));
  FailOnError(stream, pages.size());
  return pages;
}

bool IsContinuation(const PageInfo& page)
{
  return !page.description.is_null() && PlaneOf(page.description) != 0;
}

void CheckComplete(const FrameLayout& frame, std::size_t index)
{
  if (frame.pages.size() != frame.declaredPlanes)
    Fail("frame " + std::to_string(index) + " has " + std::to_string(frame.pages.size()) + " of its " +
         std::to_string(frame.declaredPlanes) + " planes");
}

void Continue(FrameLayout& frame, std::size_t frameIndex, const PageInfo& page)
{
  const PageInfo& first = frame.pages.front();
  if (PlaneOf(page.description) != frame.pages.size() || frame.pages.size() >= frame.declaredPlanes)
    Fail(PageName(page.index) + " does not continue the planes of frame " + std::to_string(frameIndex));
  if (page.width != first.width || page.height != first.height || page.kind != first.kind || page.type != first.type)
    Fail(PageName(page.index) + " differs in size or type from the first plane of its frame");
  frame.pages.push_back(page);
}

//! Our pages of one frame are joined again; every other page is a frame of its own.
std::vector<FrameLayout> GroupFrames(const std::vector<PageInfo>& pages)
{
  std::vector<FrameLayout> frames;
  for (const PageInfo& page : pages)
  {
    if (IsContinuation(page))
    {
      if (frames.empty())
        Fail(PageName(page.index) + " does not continue the planes of frame 0");
      Continue(frames.back(), frames.size() - 1, page);
      continue;
    }
    if (!frames.empty())
      CheckComplete(frames.back(), frames.size() - 1);
    const unsigned planes = page.description.is_null() ? 1 : PlanesOf(page.description);
    frames.push_back({{page}, planes});
  }
  CheckComplete(frames.back(), frames.size() - 1);
  return frames;
}

unsigned FrameDepth(const FrameLayout& frame)
{
  return frame.pages.front().kind == E_PageKind::Rgb16 ? 3 : static_cast<unsigned>(frame.pages.size());
}

void DecodeStrips(C_TiffStream& stream, const PageInfo& page, std::uint16_t sample, std::uint64_t rowBytes,
                  unsigned char* target)
{
  TIFF* tiff = stream.Get();
  std::uint32_t rowsPerStrip = 0;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, page.height);
  for (std::uint32_t row = 0; row < page.height; row += rowsPerStrip)
  {
    const std::uint32_t rows = std::min(rowsPerStrip, page.height - row);
    const auto wanted = static_cast<tmsize_t>(rows * rowBytes);
    const tstrip_t strip = TIFFComputeStrip(tiff, row, sample);
    if (TIFFReadEncodedStrip(tiff, strip, target + row * rowBytes, wanted) != wanted)
      stream.Fail("can't read " + PageName(page.index));
  }
}

void DecodeTiles(C_TiffStream& stream, const PageInfo& page, std::uint16_t sample, std::uint64_t pixelBytes,
                 unsigned char* target)
{
  TIFF* tiff = stream.Get();
  std::uint32_t tileWidth = 0, tileHeight = 0;
  TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
  TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileHeight);
  if (tileWidth == 0 || tileHeight == 0)
    Fail(PageName(page.index) + " has tiles without size");
  const std::uint64_t tileRowBytes = CheckedProduct({tileWidth, pixelBytes}, page.index);
  std::vector<unsigned char> tile(CheckedProduct({tileRowBytes, tileHeight}, page.index));
  const std::uint64_t rowBytes = page.width * pixelBytes;
  for (std::uint32_t y = 0; y < page.height; y += tileHeight)
  {
    for (std::uint32_t x = 0; x < page.width; x += tileWidth)
    {
      const auto wanted = static_cast<tmsize_t>(tile.size());
      if (TIFFReadEncodedTile(tiff, TIFFComputeTile(tiff, x, y, 0, sample), tile.data(), wanted) != wanted)
        stream.Fail("can't read " + PageName(page.index));
      const std::uint64_t copyBytes = std::min<std::uint64_t>(tileWidth, page.width - x) * pixelBytes;
      for (std::uint32_t row = 0; row < std::min(tileHeight, page.height - y); ++row)
        std::memcpy(target + (y + row) * rowBytes + x * pixelBytes, tile.data() + row * tileRowBytes, copyBytes);
    }
  }
}

//! Decodes the samples of one chunk (all samples, or one of separate planes).
void DecodeChunk(C_TiffStream& stream, const PageInfo& page, std::uint16_t sample, std::uint16_t chunkSamples,
                 unsigned char* target)
{
  const std::uint64_t pixelBytes = std::uint64_t(chunkSamples) * (page.layout.bits / 8);
  if (TIFFIsTiled(stream.Get()))
    DecodeTiles(stream, page, sample, pixelBytes, target);
  else
    DecodeStrips(stream, page, sample, page.width * pixelBytes, target);
}

//! The page's samples interleaved (pixel by pixel), whatever the planar configuration.
std::vector<unsigned char> DecodePage(C_TiffStream& stream, const PageInfo& page)
{
  const std::size_t sampleBytes = page.layout.bits / 8;
  const std::size_t pixels = std::size_t(page.width) * page.height;
  std::vector<unsigned char> samples(pixels * page.samples * sampleBytes);
  if (page.planar != PLANARCONFIG_SEPARATE || page.samples == 1)
  {
    DecodeChunk(stream, page, 0, page.samples, samples.data());
    return samples;
  }
  std::vector<unsigned char> plane(pixels * sampleBytes);
  for (std::uint16_t sample = 0; sample < page.samples; ++sample)
  {
    DecodeChunk(stream, page, sample, 1, plane.data());
    for (std::size_t i = 0; i < pixels; ++i)
      std::memcpy(&samples[(i * page.samples + sample) * sampleBytes], &plane[i * sampleBytes], sampleBytes);
  }
  return samples;
}

void ReadRgbaPage(C_TiffStream& stream, const PageInfo& page, I_FrameImage* frame, unsigned plane)
{
  std::vector<std::uint32_t> raster(std::size_t(page.width) * page.height);
  if (!TIFFReadRGBAImageOriented(stream.Get(), page.width, page.height, raster.data(), ORIENTATION_TOPLEFT, 0))
    stream.Fail("can't read " + PageName(page.index));
  auto* pixels = static_cast<tagRGBQUAD*>(frame->GetPlaneData(plane));
  for (std::size_t i = 0; i < raster.size(); ++i)
  {
    pixels[i].rgbRed = static_cast<unsigned char>(TIFFGetR(raster[i]));
    pixels[i].rgbGreen = static_cast<unsigned char>(TIFFGetG(raster[i]));
    pixels[i].rgbBlue = static_cast<unsigned char>(TIFFGetB(raster[i]));
    pixels[i].rgbReserved = 0;
  }
}

void ReadPage(C_TiffStream& stream, const PageInfo& page, I_FrameImage* frame, unsigned plane)
{
  if (!TIFFSetDirectory(stream.Get(), static_cast<tdir_t>(page.index)))
    stream.Fail("can't read " + PageName(page.index));
  if (page.kind == E_PageKind::Rgba)
    return ReadRgbaPage(stream, page, frame, plane);
  const std::vector<unsigned char> samples = DecodePage(stream, page);
  const std::size_t pixels = std::size_t(page.width) * page.height;
  if (page.kind == E_PageKind::Grey)
    return CopySamples(samples.data(), page.samples, pixels, page.layout, frame->GetPlaneData(plane), page.type);
  if (page.kind == E_PageKind::Rgb16)
  {
    for (unsigned channel = 0; channel < 3; ++channel)
      CopySamples(samples.data() + 2 * channel, page.samples, pixels, page.layout, frame->GetPlaneData(channel),
                  DT_UInt16);
    return;
  }
  auto* quads = static_cast<tagRGBQUAD*>(frame->GetPlaneData(plane));
  for (std::size_t i = 0; i < pixels; ++i)
    quads[i] = {samples[i * page.samples + 2], samples[i * page.samples + 1], samples[i * page.samples], 0};
}

I_FrameImage* AddFrame(I_Buffer* buffer, const FrameLayout& layout, std::size_t index)
{
  const PageInfo& first = layout.pages.front();
  const unsigned depth = FrameDepth(layout);
  I_FrameImage* frame = first.type == DT_RGB ? buffer->AddRGBFrame(first.width, first.height, depth)
                                             : buffer->AddImageFrame(first.width, first.height, depth, first.type);
  if (frame == nullptr)
    Fail("frame " + std::to_string(index) + " can't be created");
  return frame;
}

//! Other programs' pixel size, as a centimetre scale on both axes.
void ApplyResolution(TIFF* tiff, I_Frame* frame)
{
  float xResolution = 0.0f, yResolution = 0.0f;
  const std::uint16_t unit = Defaulted16(tiff, TIFFTAG_RESOLUTIONUNIT);
  if (unit == RESUNIT_NONE || !TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &xResolution) ||
      !TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &yResolution) || !(xResolution > 0.0f) || !(yResolution > 0.0f))
    return;
  const double centimetres = unit == RESUNIT_INCH ? 2.54 : 1.0;
  C_ScaleFactory& factory = C_ScaleFactory::GetInstance();
  frame->SetScaleX(factory.CreateLinearScale(centimetres / xResolution, 0.0, "cm", ""));
  frame->SetScaleY(factory.CreateLinearScale(centimetres / yResolution, 0.0, "cm", ""));
}

void ReadFrame(C_TiffStream& stream, I_Buffer* buffer, const FrameLayout& layout, std::size_t index)
{
  I_FrameImage* frame = AddFrame(buffer, layout, index);
  for (unsigned plane = 0; plane < layout.pages.size(); ++plane)
    ReadPage(stream, layout.pages[plane], frame, plane);
  const json& description = layout.pages.front().description;
  if (description.is_null())
  {
    TIFFSetDirectory(stream.Get(), static_cast<tdir_t>(layout.pages.front().index));
    ApplyResolution(stream.Get(), frame);
  }
  else
    ApplyFrameDescription(description, frame);
}
} // namespace

I_Buffer* ReadTiff(std::FILE* file)
{
  C_TiffStream stream(file, C_TiffStream::E_Mode::Read);
  const std::vector<FrameLayout> frames = GroupFrames(ReadPages(stream));
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  for (std::size_t index = 0; index < frames.size(); ++index)
    ReadFrame(stream, buffer.get(), frames[index], index);
  if (!frames.front().pages.front().description.is_null())
    ApplyBufferDescription(frames.front().pages.front().description, buffer.get());
  return buffer.release();
}

I_Buffer* ReadTiffInformation(std::FILE* file, unsigned& sizeX, unsigned& sizeY, unsigned& sizeZ, unsigned& frames,
                              bool withAttributes)
{
  C_TiffStream stream(file, C_TiffStream::E_Mode::Read);
  const std::vector<FrameLayout> layouts = GroupFrames(ReadPages(stream));
  const PageInfo& first = layouts.front().pages.front();
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  if (withAttributes && !first.description.is_null())
    ApplyBufferDescription(first.description, buffer.get());
  sizeX = first.width;
  sizeY = first.height;
  sizeZ = FrameDepth(layouts.front());
  frames = static_cast<unsigned>(layouts.size());
  return buffer.release();
}

} // namespace BufferTiff
