// Windows bitmaps into memory and into buffers, and the checks of image
// exporters.
//
// A bitmap file is never trusted: the info header size, the colour table,
// the pixel offset and the pixel size are checked against the file size
// before the block is allocated, so the block never exceeds the file.

#include <BufferApi/B2FIOHelpers.h>

#include <BufferApi/C_PlaneMinMaxHistogram.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameRGB.h>
#include <BufferApi/tagRGBQUAD.h>

#include <RTE/Exception.h>
#include <RTE/FileSystem.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

using BufferApi::I_Buffer;
using BufferApi::I_Frame;
using BufferApi::I_FrameImage;
using BufferApi::I_FrameRGB;
using BufferApi::tagRGBQUAD;

namespace B2FIOHelpers
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

constexpr std::uint16_t kBitmapType = 19778; // "BM"
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kLargestInfoSize = 124;
// Colour masks of the 108- and 124-byte info headers.
constexpr std::size_t kRedMask = 40, kGreenMask = 44, kBlueMask = 48;

std::uint32_t GetU32(const unsigned char* bytes)
{
  return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
         std::uint32_t(bytes[3]) << 24;
}

bool IsKnownBitCount(unsigned bits)
{
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

//! Unpadded bytes of one row, 0 for an unknown bit count.
std::uint64_t RowBytes(std::uint64_t width, unsigned bits)
{
  switch (bits)
  {
  case 1:
    return (width + 7) / 8;
  case 4:
    return (width + 1) / 2;
  case 8:
    return width;
  case 16:
    return 2 * width;
  case 24:
    return 3 * width;
  case 32:
    return 4 * width;
  default:
    return 0;
  }
}

std::uint64_t Magnitude(std::int32_t value)
{
  return value < 0 ? std::uint64_t(-static_cast<std::int64_t>(value)) : std::uint64_t(value);
}

void ReadAt(std::FILE* file, std::uint64_t position, void* destination, std::uint64_t bytes, const char* failure)
{
  if (!RTE::FileSystem::SetPosition(file, position) || (bytes != 0 && std::fread(destination, 1, bytes, file) != bytes))
    RTE_RAISE(RTE::Exception, kSourceUnit, failure);
}

unsigned Luminance(unsigned red, unsigned green, unsigned blue)
{
  return (green * 587 + red * 299 + blue * 114) >> 2;
}

struct Colour
{
  unsigned red = 0, green = 0, blue = 0, reserved = 0;
};

//! The colour of pixel x of a row of 16, 24 or 32 bits.
Colour DirectColour(const unsigned char* row, unsigned x, unsigned bits, std::uint32_t compression)
{
  Colour c;
  if (bits == 16)
  {
    const unsigned word = row[2 * x] | unsigned(row[2 * x + 1]) << 8;
    c.blue = word & 0x1F;
    if (compression == kBitmap565)
    {
      c.green = (word >> 5) & 0x3F;
      c.red = (word >> 11) & 0x1F;
    }
    else
    {
      c.green = (word >> 5) & 0x1F;
      c.red = (word >> 10) & 0x1F;
    }
  }
  else if (bits == 24)
  {
    c.blue = row[3 * x];
    c.green = row[3 * x + 1];
    c.red = row[3 * x + 2];
  }
  else if (compression == kBitmapUpper24)
  {
    c.blue = row[4 * x + 1];
    c.green = row[4 * x + 2];
    c.red = row[4 * x + 3];
  }
  else
  {
    c.blue = row[4 * x];
    c.green = row[4 * x + 1];
    c.red = row[4 * x + 2];
    c.reserved = row[4 * x + 3];
  }
  return c;
}

//! The palette index of pixel x of a row of 1, 4 or 8 bits.
unsigned PaletteIndex(const unsigned char* row, unsigned x, unsigned bits)
{
  if (bits == 1)
    return (row[x / 8] >> (7 - x % 8)) & 1;
  if (bits == 4)
    return x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
  return row[x];
}

class C_BitmapFill
{
public:
  C_BitmapFill(const tagBITMAPINFOHEADER& info, RgbColorMode_t mode, I_Frame& frame)
      : m_info(info)
      , m_mode(mode)
      , m_rgb(dynamic_cast<I_FrameRGB*>(&frame))
  {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&info);
    m_entries = GetBitmapLookupTableSize(const_cast<tagBITMAPINFOHEADER*>(&info));
    m_table = reinterpret_cast<const tagRGBQUAD*>(bytes + info.biSize);
    m_pixels = bytes + info.biSize + 4 * std::size_t(m_entries);
    for (unsigned i = 0; i < m_entries; ++i)
      m_luminance[i] = Luminance(m_table[i].rgbRed, m_table[i].rgbGreen, m_table[i].rgbBlue);
    if (!m_rgb)
      m_words = static_cast<std::uint16_t*>(dynamic_cast<I_FrameImage&>(frame).GetPlaneData(0));
  }

  void Fill()
  {
    unsigned width = 0, height = 0, bytesPerRow = 0;
    GetBitmapSize(const_cast<tagBITMAPINFOHEADER*>(&m_info), width, height, bytesPerRow);
    const unsigned bits = m_info.biBitCount;
    if (!IsKnownBitCount(bits))
      return; // rows of other bit counts are left as the frame holds them
    for (unsigned y = 0; y < height; ++y)
    {
      // Bottom-up: the last row of the file is the frame's first.
      const unsigned char* row = m_pixels + std::size_t(height - 1 - y) * bytesPerRow;
      for (unsigned x = 0; x < width; ++x)
        if (bits <= 8)
          SetFromPalette(x, y, width, PaletteIndex(row, x, bits));
        else
          SetFromColour(x, y, width, DirectColour(row, x, bits, m_info.biCompression));
    }
  }

private:
  void SetFromPalette(unsigned x, unsigned y, unsigned width, unsigned index)
  {
    // An index beyond a short table gives black rather than memory behind it.
    const tagRGBQUAD entry = index < m_entries ? m_table[index] : tagRGBQUAD{0, 0, 0, 0};
    const unsigned luminance = index < m_entries ? m_luminance[index] : 0;
    switch (m_mode)
    {
    case RgbColorMode_Sum:
      SetWord(x, y, width, unsigned(entry.rgbBlue) + entry.rgbGreen + entry.rgbRed);
      break;
    case RgbColorMode_Luminance:
      SetWord(x, y, width, luminance);
      break;
    case RgbColorMode_Color:
      m_rgb->SetRGB(x, y, 0, entry);
      break;
    case RgbColorMode_Index:
      SetWord(x, y, width, index);
      break;
    }
  }

  void SetFromColour(unsigned x, unsigned y, unsigned width, const Colour& c)
  {
    if (m_mode == RgbColorMode_Color)
    {
      if (m_info.biBitCount == 32)
        m_rgb->SetRGB(x, y, 0,
                      tagRGBQUAD{static_cast<unsigned char>(c.blue), static_cast<unsigned char>(c.green),
                                 static_cast<unsigned char>(c.red), static_cast<unsigned char>(c.reserved)});
      else
      {
        m_rgb->SetRed(x, y, 0, static_cast<unsigned char>(c.red));
        m_rgb->SetGreen(x, y, 0, static_cast<unsigned char>(c.green));
        m_rgb->SetBlue(x, y, 0, static_cast<unsigned char>(c.blue));
      }
      return;
    }
    SetWord(x, y, width,
            m_mode == RgbColorMode_Luminance ? Luminance(c.red, c.green, c.blue) : c.red + c.green + c.blue);
  }

  void SetWord(unsigned x, unsigned y, unsigned width, unsigned value)
  {
    m_words[std::size_t(y) * width + x] = static_cast<std::uint16_t>(value);
  }

  const tagBITMAPINFOHEADER& m_info;
  RgbColorMode_t m_mode;
  I_FrameRGB* m_rgb;
  std::uint16_t* m_words = nullptr;
  unsigned m_entries = 0;
  const tagRGBQUAD* m_table = nullptr;
  const unsigned char* m_pixels = nullptr;
  unsigned m_luminance[256] = {};
};
} // namespace

unsigned int GetBitmapLookupTableSize(tagBITMAPINFOHEADER* bitmap)
{
  if (!bitmap)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No bitmap given.");
  unsigned entries = 0;
  switch (bitmap->biBitCount)
  {
  case 1:
    entries = 2;
    break;
  case 4:
    entries = 16;
    break;
  case 8:
    entries = 256;
    break;
  default:
    break;
  }
  return bitmap->biClrUsed != 0 ? std::min<unsigned>(bitmap->biClrUsed, entries) : entries;
}

std::uint64_t GetBitmapSize(tagBITMAPINFOHEADER* bitmap, unsigned int& width, unsigned int& height,
                            unsigned int& bytesPerRow)
{
  if (!bitmap)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No bitmap given.");
  const std::uint64_t w = Magnitude(bitmap->biWidth), h = Magnitude(bitmap->biHeight);
  const std::uint64_t row = (RowBytes(w, bitmap->biBitCount) + 3) / 4 * 4;
  if (w > std::numeric_limits<unsigned>::max() || h > std::numeric_limits<unsigned>::max() ||
      row > std::numeric_limits<unsigned>::max())
    RTE_RAISE(RTE::Exception, kSourceUnit, "Bitmap of " << w << " x " << h << " pixels too large.");
  width = static_cast<unsigned>(w);
  height = static_cast<unsigned>(h);
  bytesPerRow = static_cast<unsigned>(row);
  return h * row; // below 2^64: both factors are below 2^32
}

tagBITMAPINFOHEADER* ReadBMPtoMem(std::FILE* file)
{
  if (!file)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No file given.");
  const std::uint64_t fileSize = RTE::FileSystem::GetSize(file);
  unsigned char fileHeader[kFileHeaderSize];
  if (std::fread(fileHeader, 1, sizeof fileHeader, file) != sizeof fileHeader)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't read bitmap header");
  unsigned char info[kLargestInfoSize] = {};
  if (std::fread(info, 1, sizeof(tagBITMAPINFOHEADER), file) != sizeof(tagBITMAPINFOHEADER))
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't read bitmap info");
  tagBITMAPINFOHEADER header;
  std::memcpy(&header, info, sizeof header);

  std::uint32_t mark = 0;
  if (header.biSize == 108 || header.biSize == 124)
  {
    ReadAt(file, kFileHeaderSize, info, header.biSize, "Can't read bitmap info");
    const std::uint32_t red = GetU32(info + kRedMask), green = GetU32(info + kGreenMask),
                        blue = GetU32(info + kBlueMask);
    if (red == 0xF800 && green == 0x07E0 && blue == 0x001F)
      mark = kBitmap565;
    else if (red == 0xFF000000u && green == 0x00FF0000u && blue == 0x0000FF00u)
      mark = kBitmapUpper24;
  }
  else if (header.biSize != 40)
    RTE_RAISE(RTE::Exception, kSourceUnit, "File is no valid Windows Bitmap");
  if ((fileHeader[0] | fileHeader[1] << 8) != kBitmapType)
    RTE_RAISE(RTE::Exception, kSourceUnit, "File is no valid Windows Bitmap");

  if (!IsKnownBitCount(header.biBitCount))
    RTE_RAISE(RTE::Exception, kSourceUnit, "Bitmap bit count " << header.biBitCount << " not supported");
  if (header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == std::numeric_limits<std::int32_t>::min())
    RTE_RAISE(RTE::Exception, kSourceUnit, "Bitmap size " << header.biWidth << " x " << header.biHeight << " invalid");
  unsigned width = 0, height = 0, bytesPerRow = 0;
  const std::uint64_t pixelBytes = GetBitmapSize(&header, width, height, bytesPerRow);
  const std::uint64_t tableBytes = 4 * std::uint64_t(GetBitmapLookupTableSize(&header));
  const std::uint64_t headBytes = header.biSize + tableBytes;
  if (kFileHeaderSize + headBytes > fileSize)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "Bitmap header and colour table need " << kFileHeaderSize + headBytes << " bytes, file has " << fileSize
                                                     << ".");
  const std::uint64_t pixelOffset = GetU32(fileHeader + 10);
  if (pixelOffset > fileSize || pixelBytes > fileSize - pixelOffset)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "Bitmap pixels need " << pixelBytes << " bytes from offset " << pixelOffset << ", file has " << fileSize
                                    << ".");

  // Both sizes are at most the file size now.
  std::unique_ptr<unsigned char, decltype(&std::free)> block(
      static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(headBytes + pixelBytes))), &std::free);
  if (!block)
    return nullptr;
  ReadAt(file, kFileHeaderSize, block.get(), headBytes, "Can't read bitmap info");
  ReadAt(file, pixelOffset, block.get() + headBytes, pixelBytes, "Can't read bitmap pixels");
  if (mark != 0)
    std::memcpy(block.get() + offsetof(tagBITMAPINFOHEADER, biCompression), &mark, sizeof mark);
  return reinterpret_cast<tagBITMAPINFOHEADER*>(block.release());
}

I_Buffer* CreateBufferFromBitmap(tagBITMAPINFOHEADER* bitmap, RgbColorMode_t mode)
{
  if (!bitmap)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No bitmap given.");
  if (mode < RgbColorMode_Sum || mode > RgbColorMode_Index)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Bitmap colour mode " << static_cast<int>(mode) << " not supported");
  const std::uint32_t compression = bitmap->biCompression;
  if ((compression >= 1 && compression <= 1023) || compression >= 1027)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Bitmap compression not supported");
  unsigned width = 0, height = 0, bytesPerRow = 0;
  GetBitmapSize(bitmap, width, height, bytesPerRow);

  std::unique_ptr<I_Buffer> buffer(BufferApi::CreateBuffer());
  I_Frame* frame = nullptr;
  if (mode == RgbColorMode_Color)
    frame = buffer->AddRGBFrame(width, height, 1);
  else
    frame = buffer->AddImageFrame(width, height, 1, BufferApi::DT_UInt16);
  if (!frame)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't create a frame of " << width << " x " << height << " pixels.");
  C_BitmapFill(*bitmap, mode, *frame).Fill();
  return buffer.release();
}

int GetBitshift(const I_Buffer* buffer, int bits)
{
  if (bits != 0)
    return bits - 1;
  if (!buffer)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Missing buffer.");
  BufferApi::C_PlaneMinMaxHistogram histogram(100.0);
  for (unsigned f = 0; f < buffer->GetNumberOfFrames(); ++f)
    histogram.Process(buffer->GetFrame(f), I_FrameImage::COMPONENT_PIXEL);
  histogram.Finish(BufferApi::C_PlaneMinMaxHistogram::CMMode_Range);
  const double maximum = histogram.GetMax();
  if (!(maximum >= 0))
    return 0;
  const unsigned value = maximum > 65535 ? 65535u : static_cast<unsigned>(maximum);
  int shift = 0;
  while (value > (256u << shift))
    ++shift;
  return shift;
}

void CheckExport(const std::string& fileType, const I_Buffer* buffer, unsigned int& width, unsigned int& height,
                 unsigned int& depth, unsigned int& frames, unsigned int& totalPlanes, bool& rgb)
{
  if (!buffer)
    RTE_RAISE(RTE::Exception, kSourceUnit, fileType << " file: Missing buffer.");
  frames = static_cast<unsigned>(buffer->GetNumberOfFrames());
  if (frames == 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, fileType << " file: No frames to be exported.");
  for (unsigned f = 0; f < frames; ++f)
  {
    const I_Frame* frame = buffer->GetFrame(f);
    if (!dynamic_cast<const I_FrameImage*>(frame) && !dynamic_cast<const I_FrameRGB*>(frame))
      RTE_RAISE(RTE::Exception, kSourceUnit, fileType << " file: Can't export non-image frames.");
    rgb = dynamic_cast<const I_FrameRGB*>(frame) != nullptr;
  }
  const I_Frame* first = buffer->GetFrame(0);
  width = first->GetWidth();
  height = first->GetHeight();
  depth = first->GetDepth();
  totalPlanes = height * frames * depth;
  if (totalPlanes == 0)
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, fileType << " file: Can't export empty frames.");
}

} // namespace B2FIOHelpers
