// Reading of the legacy IMG, IMX and VEC files.
//
// The version byte of the header decides which fields count: very old files
// (versions 100 to 209) have a fixed size of 384 x 286, files below 54 hold
// one frame, files below 55 stack their frames in one image, and from 55 on
// the header holds frames, depth and (from 62) extra components. Every size
// is checked against the file before anything is allocated.

#include "Buffer2File.IM7/ExtendedHeader.h"
#include "Buffer2File.IM7/IM7File.h"
#include "Buffer2File.IM7/IM7Header.h"
#include "Buffer2File.IM7/IM7Planes.h"
#include "Buffer2File.IM7/LegacyFile.h"
#include "Buffer2File.IM7/LegacyHeader.h"
#include "Buffer2File.IM7/PlanePacking.h"
#include "Buffer2File.IM7/ScaleText.h"
#include "Buffer2File.IM7/VC7Layout.h"

#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameVector2C.h>
#include <BufferApi/I_FrameVector3C.h>

#include <RTE/Exception.h>
#include <RTE/FileSystem.h>
#include <RTE/String.h>

#include <limits>
#include <memory>
#include <new>
#include <string>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

const std::string kComponentIndex = "COMPONENT_INDEX";
const std::string kOverlay = "Overlay";

bool Between(int value, int low, int high)
{
  return value >= low && value <= high;
}

//! The vector format code whose planes per vector are `planes`, or 0.
int VectorCodeOfPlanes(std::uint64_t planes)
{
  for (int code = 1; code <= 6; ++code)
  {
    IM7::Format format;
    IM7::DecodeFormat(code, format);
    if (format.planes == planes)
      return code;
  }
  return 0;
}

//! What the header says about the frames, after the rules of its version.
struct Geometry
{
  IM7::Format format;
  unsigned width = 0, height = 0, depth = 0, frames = 0, extra = 0, grid = 1;
  int packType = 0;
};

class C_LegacyReader
{
public:
  C_LegacyReader(I_Buffer* buffer, std::FILE* file)
      : m_buffer(buffer)
      , m_file(file)
  {
  }

  void Read(bool vectorFile, bool convertByteToWord);

private:
  void ReadHeader();
  void SetTexts() const;
  Geometry DecideGeometry(bool vectorFile) const;
  void CreateFrames(const Geometry& g) const;
  void SetScales() const;
  //! Raises unless the file can hold the data block: checked before the
  //! frames take memory of the sizes the header claims.
  void CheckDataBlockFits(const Geometry& g) const;
  void ReadDataBlock(const Geometry& g) const;
  void ReplaceOverlayCommas() const;

  I_Buffer* m_buffer;
  std::FILE* m_file;
  Legacy::Header m_header;
  int m_version = 0;
};

void C_LegacyReader::ReadHeader()
{
  unsigned char bytes[Legacy::kHeaderSize];
  if (std::fread(bytes, 1, sizeof bytes, m_file) != sizeof bytes)
    RTE_RAISE(RTE::Exception, kSourceUnit, "IMG/IMX/VEC incomplete header");
  m_header = Legacy::Header::FromBytes(bytes);
  m_version = m_header.version;
  if (Between(m_version, 100, 209))
  {
    // Very old files: the camera's fixed size, no texts.
    m_header.rowsField = 286;
    m_header.columnsField = 384;
    m_header.comment.clear();
    m_header.creator.clear();
  }
}

void C_LegacyReader::SetTexts() const
{
  C_BufferAttributes attributes(m_buffer);
  attributes.SetString("_Date", m_header.date);
  attributes.SetString("_Time", m_header.time);
  std::string comment = m_header.comment;
  if (!m_header.creator.empty())
    comment += "\n" + m_header.creator;
  attributes.SetString("_Comment", comment);
}

Geometry C_LegacyReader::DecideGeometry(bool vectorFile) const
{
  const int type = m_header.fileType;
  if (Between(type, Legacy::kTypeSparseFirst, Legacy::kTypeSparseLast))
    RTE_RAISE(RTE::Exception, kSourceUnit, "IMG/IMX/VEC Sparse buffers retired, please use Pelio 7!");
  if (!Between(type, Legacy::kTypeUnpacked, Legacy::kTypeByte) && type != Legacy::kTypeWord)
    RTE_RAISE(RTE::Exception, kSourceUnit, "IMG/IMX/VEC unknown file type " << type << ".");

  int code = 0;
  if (type == Legacy::kTypeWord)
    code = -10;
  else if (Between(m_version, 43, 99) || m_version == 211)
    code = m_header.formatCode;

  const bool framesInHeader = Between(m_version, 54, 99);
  const bool modern = Between(m_version, 55, 99) || m_version > 210;
  long long frames = framesInHeader ? m_header.frames : 1;
  long long height = m_header.rowsField != Legacy::kSizeEscape ? m_header.rowsField : m_header.rows;
  long long width = m_header.columnsField != Legacy::kSizeEscape ? m_header.columnsField : m_header.columns;
  long long depth = Between(m_version, 55, 99) ? m_header.depth : 1;
  long long extra = 0;

  if (modern)
  {
    if (Between(m_version, 62, 99))
      extra = m_header.extraComponents;
    if (type == Legacy::kTypeFloat && code == 0)
      code = -3;
    // Vector planes lie stacked in the rows: the rows over the plane rows
    // give the planes per vector, and thereby the format. A header whose
    // own code is a vector code is read the same way wherever it comes from.
    const bool vectorCode = Between(code, 1, 6);
    if ((vectorFile || vectorCode) && m_header.planeRows > 0 && height % m_header.planeRows == 0)
      if (const int vector = VectorCodeOfPlanes(static_cast<std::uint64_t>(height / m_header.planeRows)))
      {
        code = vector;
        height = m_header.planeRows;
      }
    if (type == Legacy::kTypeByte)
      code = -2;
  }
  else
  {
    frames = std::max(1LL, frames);
    depth = std::max(1LL, depth);
    height /= frames; // the frames lie one below the other in one image
    if (type == Legacy::kTypeFloat && code == 0)
      code = -3;
  }

  Geometry g;
  if (!IM7::DecodeFormat(code, g.format))
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't read this data format yet.");
  if (m_version == 43 && g.format.vector)
    height /= g.format.planes;
  const long long largest = std::numeric_limits<std::int32_t>::max();
  if (width <= 0 || height <= 0 || depth <= 0 || frames <= 0 || width > largest || height > largest || depth > largest)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "IMG/IMX/VEC frame size invalid: " << width << " x " << height << " x " << depth << ", " << frames
                                                 << " frames.");
  if (extra < 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, "IMG/IMX/VEC invalid number of extra components " << extra << ".");
  if (g.format.vector && m_header.grid <= 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, "IMG/IMX/VEC invalid vector grid " << m_header.grid << ".");
  g.width = static_cast<unsigned>(width);
  g.height = static_cast<unsigned>(height);
  g.depth = static_cast<unsigned>(depth);
  g.frames = static_cast<unsigned>(frames);
  g.extra = static_cast<unsigned>(extra);
  g.grid = g.format.vector ? static_cast<unsigned>(m_header.grid) : 1;
  g.packType = type == Legacy::kTypeImx ? 1 : 0;
  return g;
}

void C_LegacyReader::CreateFrames(const Geometry& g) const
{
  for (unsigned i = 0; i < g.frames; ++i)
  {
    I_Frame* frame = nullptr;
    if (!g.format.vector)
      frame = m_buffer->AddImageFrame(g.width, g.height, g.depth, g.format.type);
    else if (g.format.threeComponents)
      frame = m_buffer->AddVectorFrame3C(g.width, g.height, g.depth, g.format.Choices(), DT_Float, g.grid);
    else
      frame = m_buffer->AddVectorFrame2C(g.width, g.height, g.depth, g.format.Choices(), DT_Float, g.grid);
    if (!frame)
      RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Could not create frame");
    if (g.format.peakRatio)
      frame->CreateComponent(VC7::kPeakRatio, DT_Float);
    // Where the extra components begin, for the component tags of the
    // extended header.
    C_FrameAttributes(frame).SetString(kComponentIndex, std::to_string(frame->GetNumberOfComponents()));
    for (unsigned j = 0; j < g.extra; ++j)
      frame->CreateComponent("#" + std::to_string(j) + "#", g.format.type);
  }
}

std::unique_ptr<I_Scale> MakeHeaderScale(const Legacy::Scale& scale)
{
  ScaleParts parts;
  parts.factor = scale.factor;
  parts.offset = scale.offset;
  parts.unit = scale.text1;
  parts.description = scale.text2;
  return MakeScale(parts);
}

void C_LegacyReader::SetScales() const
{
  for (unsigned f = 0; f < m_buffer->GetNumberOfFrames(); ++f)
  {
    I_Frame* frame = m_buffer->GetFrame(f);
    frame->SetScaleX(MakeHeaderScale(m_header.x).release());
    frame->SetScaleY(MakeHeaderScale(m_header.y).release());
    frame->SetScaleI(MakeHeaderScale(m_header.value).release());
  }
}

std::uint64_t BlockBytes(const Geometry& g)
{
  const std::uint64_t planeBytes = IM7::SaturatedProduct({g.width, g.height, g.format.bytesPerElement});
  return IM7::SaturatedProduct({planeBytes, g.format.planes + g.extra, g.depth, g.frames});
}

void C_LegacyReader::CheckDataBlockFits(const Geometry& g) const
{
  const std::uint64_t blockBytes = BlockBytes(g);
  const std::int64_t position = RTE::FileSystem::GetPosition(m_file);
  const std::uint64_t size = RTE::FileSystem::GetSize(m_file);
  const std::uint64_t left =
      position >= 0 && static_cast<std::uint64_t>(position) < size ? size - static_cast<std::uint64_t>(position) : 0;
  if (g.packType == 0 ? blockBytes > left : blockBytes / IM7::kMaxPackRatio > left)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "IMG/IMX/VEC data block needs "
                  << blockBytes
                  << (g.packType == 0 ? " bytes, file has " : " bytes, more than the packed bytes can hold: ") << left
                  << ".");
  // Each plane costs a frame memory beyond its elements, however well its
  // elements pack; a plane takes at least one byte of the file.
  const std::uint64_t planes = IM7::SaturatedProduct({g.format.planes + g.extra, g.depth, g.frames});
  if (planes > left)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "IMG/IMX/VEC data block of " << planes << " planes can't lie in the " << left << " bytes of the file.");
}

void C_LegacyReader::ReadDataBlock(const Geometry& g) const
{
  const unsigned stacks = g.format.planes + g.extra;
  const std::uint64_t planeBytes = IM7::SaturatedProduct({g.width, g.height, g.format.bytesPerElement});
  const std::uint64_t blockBytes = BlockBytes(g);
  std::unique_ptr<unsigned char[]> block(
      blockBytes <= std::numeric_limits<std::size_t>::max() ? new (std::nothrow) unsigned char[blockBytes] : nullptr);
  if (!block)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Out of memory when reading the packed data.");
  UnpackBlock(m_file, block.get(), blockBytes, g.packType, g.width, true);
  IM7::DistributeBlock(*m_buffer, g.format, g.frames, stacks, g.depth, planeBytes, block.get());
}

void C_LegacyReader::ReplaceOverlayCommas() const
{
  C_BufferAttributes buffer(m_buffer);
  const std::string overlay = buffer.GetString(kOverlay);
  if (!overlay.empty())
    buffer.SetString(kOverlay, RTE::String::Replace(overlay, ",", " "));
  for (unsigned f = 0; f < m_buffer->GetNumberOfFrames(); ++f)
  {
    C_FrameAttributes frame(m_buffer->GetFrame(f));
    const std::string text = frame.GetString(kOverlay);
    if (!text.empty())
      frame.SetString(kOverlay, RTE::String::Replace(text, ",", " "));
  }
}

void C_LegacyReader::Read(bool vectorFile, bool convertByteToWord)
{
  ReadHeader();
  SetTexts();
  const Geometry geometry = DecideGeometry(vectorFile);
  CheckDataBlockFits(geometry);
  CreateFrames(geometry);
  SetScales();
  ReadDataBlock(geometry);
  if (Between(m_version, 54, 99) || m_version > 210)
    ReadExtendedHeader(m_buffer, m_file);
  if (m_version < 211)
    ReplaceOverlayCommas();
  m_buffer->DeleteAttribute(kComponentIndex);
  for (unsigned f = 0; f < m_buffer->GetNumberOfFrames(); ++f)
    m_buffer->GetFrame(f)->DeleteAttribute(kComponentIndex);
  PostProcessImport(m_buffer, geometry.packType, convertByteToWord);
}
} // namespace

void ReadLegacy(I_Buffer* buffer, std::FILE* file, bool vectorFile, bool convertByteToWord)
{
  if (!buffer)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No buffer given.");
  if (!file)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No file given.");
  C_LegacyReader(buffer, file).Read(vectorFile, convertByteToWord);
}

} // namespace BufferApi
