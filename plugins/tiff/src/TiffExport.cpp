#include "TiffExport.h"

#include "TiffError.h"
#include "TiffMetadata.h"
#include "TiffSamples.h"
#include "TiffStream.h"

#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameProfile.h>
#include <BufferApi/I_FrameRGB.h>
#include <BufferApi/I_FrameVector.h>
#include <BufferApi/I_Scale.h>
#include <BufferApi/I_Unit.h>
#include <BufferApi/tagRGBQUAD.h>

#include <tiffio.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

namespace BufferTiff
{
using namespace BufferApi;
using nlohmann::json;

namespace
{
//! Classic TIFF addresses 4 GiB; beyond this much pixel data BigTIFF is written.
constexpr std::uint64_t kClassicTiffLimit = (std::uint64_t(7) << 29);
constexpr std::uint64_t kStripBytes = 64 * 1024;

struct FrameToWrite
{
  const I_FrameImage* frame;
  unsigned index;
  bool rgb;
  E_DataType type;
  SampleLayout layout;
  std::uint16_t samples;
};

std::string Ordinal(const char* what, unsigned index)
{
  return std::string(what) + " " + std::to_string(index);
}

[[noreturn]] void RefuseFrame(const I_Frame* frame, unsigned index)
{
  const char* kind = "a frame of another type";
  if (dynamic_cast<const I_FrameVector*>(frame) != nullptr)
    kind = "a vector frame";
  else if (dynamic_cast<const I_FrameProfile*>(frame) != nullptr)
    kind = "a profile frame";
  Fail(Ordinal("frame", index) + " is " + kind + "; only image and RGB frames can be stored");
}

FrameToWrite CheckFrame(const I_Frame* frame, unsigned index)
{
  const auto* image = dynamic_cast<const I_FrameImage*>(frame);
  if (image == nullptr)
    RefuseFrame(frame, index);
  if (image->GetWidth() == 0 || image->GetHeight() == 0 || image->GetDepth() == 0)
    Fail(Ordinal("frame", index) + " is empty");
  for (unsigned plane = 0; plane < image->GetDepth(); ++plane)
  {
    if (image->GetPlaneData(plane) == nullptr)
      Fail(Ordinal("frame", index) + " has no data in " + Ordinal("plane", plane));
  }
  const E_DataType type = image->GetDataType();
  if (type == DT_RGB)
    return {image, index, true, type, {8, SAMPLEFORMAT_UINT}, 3};
  return {image, index, false, type, SampleLayoutOf(type), 1};
}

std::vector<FrameToWrite> CheckFrames(const I_Buffer* buffer)
{
  if (buffer == nullptr)
    Fail("missing buffer");
  if (buffer->GetNumberOfFrames() == 0)
    Fail("no frames to export");
  std::vector<FrameToWrite> frames;
  for (unsigned index = 0; index < buffer->GetNumberOfFrames(); ++index)
    frames.push_back(CheckFrame(buffer->GetFrame(index), index));
  return frames;
}

std::uint64_t PlaneBytes(const FrameToWrite& frame)
{
  return std::uint64_t(frame.frame->GetWidth()) * frame.frame->GetHeight() * frame.samples * (frame.layout.bits / 8);
}

std::uint64_t TotalBytes(const std::vector<FrameToWrite>& frames)
{
  std::uint64_t total = 0;
  for (const FrameToWrite& frame : frames)
    total += PlaneBytes(frame) * frame.frame->GetDepth();
  return total;
}

//! Pixels per centimetre of the X scale when its unit is a length.
double PixelsPerCentimetre(const I_Scale* scale)
{
  if (scale == nullptr || scale->GetType() != I_ScaleEnums::ScaleLinear)
    return 0.0;
  const auto* length = dynamic_cast<const I_UnitLength*>(scale->GetUnit());
  if (length == nullptr)
    return 0.0;
  const double centimetres = std::fabs(length->ToCM(scale->GetFactor()));
  const double perCentimetre = 1.0 / centimetres;
  return std::isfinite(perCentimetre) && perCentimetre > 0.0 ? perCentimetre : 0.0;
}

json PixelSize(const I_Scale* scale)
{
  if (scale == nullptr)
    return nullptr;
  const I_Unit* unit = scale->GetUnit();
  return {{"factor", NumberToJson(scale->GetFactor())},
          {"unit", unit != nullptr ? Latin1ToUtf8(unit->GetSymbol()) : std::string()}};
}

std::string Description(const I_Buffer* buffer, const FrameToWrite& frame, unsigned plane)
{
  const I_FrameImage* image = frame.frame;
  json description = {
      {"writer", kWriterName}, {"version", 1}, {"frame", frame.index}, {"plane", plane}, {"planes", image->GetDepth()}};
  if (plane == 0)
  {
    description["frameType"] = frame.rgb ? "RGB" : "image";
    description["dataType"] = DataTypeName(frame.type);
    description["frameName"] = Latin1ToUtf8(image->GetName());
    description["pixelSize"] = PixelSize(image->GetScaleX());
    description["scales"] = {{"x", ScaleToJson(image->GetScaleX())},
                             {"y", ScaleToJson(image->GetScaleY())},
                             {"z", ScaleToJson(image->GetScaleZ())},
                             {"i", ScaleToJson(image->GetScaleI())}};
    description["attributes"] = AttributesToJson(image->GetAttributeRoot());
    if (frame.index == 0)
      description["bufferAttributes"] = AttributesToJson(buffer->GetAttributeRoot());
  }
  return description.dump(-1, ' ', true);
}

void SetPageTags(TIFF* tiff, const FrameToWrite& frame, std::uint16_t compression, const std::string& description)
{
  const std::uint32_t width = frame.frame->GetWidth();
  const std::uint64_t rowBytes = PlaneBytes(frame) / frame.frame->GetHeight();
  const auto rowsPerStrip = static_cast<std::uint32_t>(std::max<std::uint64_t>(1, kStripBytes / rowBytes));
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(frame.frame->GetHeight()));
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, frame.samples);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, frame.layout.bits);
  TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, frame.layout.format);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, frame.rgb ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
  TIFFSetField(tiff, TIFFTAG_IMAGEDESCRIPTION, description.c_str());
  TIFFSetField(tiff, TIFFTAG_SOFTWARE, "Buffer");
  const double resolution = PixelsPerCentimetre(frame.frame->GetScaleX());
  TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, resolution > 0.0 ? RESUNIT_CENTIMETER : RESUNIT_NONE);
  TIFFSetField(tiff, TIFFTAG_XRESOLUTION, resolution > 0.0 ? resolution : 1.0);
  TIFFSetField(tiff, TIFFTAG_YRESOLUTION, resolution > 0.0 ? resolution : 1.0);
}

//! One row as TIFF samples; a copy, since libtiff may change the row it encodes.
void FillRow(const FrameToWrite& frame, const unsigned char* planeData, unsigned y, std::vector<unsigned char>& row)
{
  const unsigned width = frame.frame->GetWidth();
  if (!frame.rgb)
  {
    std::memcpy(row.data(), planeData + std::size_t(y) * row.size(), row.size());
    return;
  }
  const auto* pixels = reinterpret_cast<const tagRGBQUAD*>(planeData) + std::size_t(y) * width;
  for (unsigned x = 0; x < width; ++x)
  {
    row[3 * std::size_t(x)] = pixels[x].rgbRed;
    row[3 * std::size_t(x) + 1] = pixels[x].rgbGreen;
    row[3 * std::size_t(x) + 2] = pixels[x].rgbBlue;
  }
}

void WritePage(C_TiffStream& stream, const I_Buffer* buffer, const FrameToWrite& frame, unsigned plane,
               std::uint16_t compression, unsigned page)
{
  TIFF* tiff = stream.Get();
  SetPageTags(tiff, frame, compression, Description(buffer, frame, plane));
  const auto* planeData = static_cast<const unsigned char*>(frame.frame->GetPlaneData(plane));
  std::vector<unsigned char> row(PlaneBytes(frame) / frame.frame->GetHeight());
  for (unsigned y = 0; y < frame.frame->GetHeight(); ++y)
  {
    FillRow(frame, planeData, y, row);
    if (TIFFWriteScanline(tiff, row.data(), y, 0) < 0)
      stream.Fail("can't write " + Ordinal("page", page));
  }
  if (!TIFFWriteDirectory(tiff))
    stream.Fail("can't write " + Ordinal("page", page));
}
} // namespace

std::uint16_t CompressionFromText(const std::string& text)
{
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == "none")
    return COMPRESSION_NONE;
  if (lower == "deflate")
    return COMPRESSION_ADOBE_DEFLATE;
  if (lower == "lzw")
    return COMPRESSION_LZW;
  Fail("unknown compression '" + text + "'; choose none, deflate or lzw");
}

void WriteTiff(const I_Buffer* buffer, std::FILE* file, std::uint16_t compression)
{
  const std::vector<FrameToWrite> frames = CheckFrames(buffer);
  const bool big = TotalBytes(frames) > kClassicTiffLimit;
  C_TiffStream stream(file, big ? C_TiffStream::E_Mode::WriteBig : C_TiffStream::E_Mode::Write);
  unsigned page = 0;
  for (const FrameToWrite& frame : frames)
  {
    for (unsigned plane = 0; plane < frame.frame->GetDepth(); ++plane)
      WritePage(stream, buffer, frame, plane, compression, page++);
  }
  stream.Finish();
}

} // namespace BufferTiff
