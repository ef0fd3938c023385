// Writing of the legacy IMG, IMX and VEC files.
//
// The header describes every frame by frame 0 and holds its sizes partly in
// 16-bit fields; a buffer it cannot describe is refused before the first
// byte is written. Image planes are stored with frame 0's height as rows;
// vector planes are stacked, so that the rows fields hold the planes per
// vector times the height and the plane rows field the height, which is how
// a reader tells the vector format. Extra (deletable) components follow the
// main planes of each frame; their names and scales travel as component tags
// of the extended header.

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
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Component.h>
#include <BufferApi/I_FrameVector.h>
#include <BufferApi/I_PlaneBase.h>

#include <RTE/Exception.h>

#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

constexpr unsigned kLargestWord = std::numeric_limits<std::int16_t>::max();

//! The deletable components of a frame that the file stores as extra
//! planes: all but the peak ratio, which the vector format holds itself.
std::vector<int> ExtraComponents(const I_Frame& frame, const IM7::Format& format)
{
  std::vector<int> extra;
  for (unsigned i = 0; i < frame.GetNumberOfComponents(); ++i)
    if (frame.IsComponentDeletable(i) &&
        !(format.peakRatio && frame.GetComponentName(static_cast<int>(i)) == VC7::kPeakRatio))
      extra.push_back(static_cast<int>(i));
  return extra;
}

void CheckWord(unsigned value, const char* what)
{
  if (value > kLargestWord)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "IMG/IMX/VEC can't store " << what << " " << value << ": the header holds at most " << kLargestWord
                                         << ".");
}

//! Everything decided before the first byte goes out.
struct Layout
{
  IM7::Format format;
  unsigned sizeX = 0, sizeY = 0, sizeZ = 0, frames = 0, grid = 1;
  std::vector<int> extra; // component indices in frame 0
  int fileType = Legacy::kTypeUnpacked;
  int packType = 0;
  std::uint64_t planeBytes = 0;
  std::uint64_t blockBytes = 0;
};

//! Every frame must look like frame 0: the header describes them all by it.
void CheckFramesAlike(const I_Buffer& buffer, const Layout& l)
{
  const I_Frame& first = *buffer.GetFrame(0);
  for (unsigned f = 1; f < buffer.GetNumberOfFrames(); ++f)
  {
    const I_Frame& frame = *buffer.GetFrame(f);
    const std::vector<int> extra = ExtraComponents(frame, l.format);
    bool alike = f < l.frames && extra.size() == l.extra.size();
    for (std::size_t j = 0; alike && j < extra.size(); ++j)
      alike = frame.GetComponentDataType(extra[j]) == first.GetComponentDataType(l.extra[j]);
    if (!alike)
      RTE_RAISE(RTE::Exception, kSourceUnit,
                "IMG/IMX/VEC can't store frame " << f << ": it differs from frame 0 in type, size or components.");
  }
}

void CheckExtraTypes(const I_Frame& first, const Layout& l)
{
  for (const int index : l.extra)
    if (first.GetComponentDataType(index) != l.format.type)
      RTE_RAISE(RTE::Exception, kSourceUnit,
                "IMG/IMX/VEC can't store component " << first.GetComponentName(index)
                                                     << ": its data type differs from the frame's.");
}

int FileType(E_DataType type, bool imgPacking)
{
  if (type == DT_Float || type == DT_Double)
    return Legacy::kTypeFloat;
  if (type == DT_UInt8)
    return Legacy::kTypeByte;
  if (type == DT_RGB)
    return Legacy::kTypeUnpacked;
  return imgPacking ? Legacy::kTypeUnpacked : Legacy::kTypeImx;
}

Layout MakeLayout(const I_Buffer& buffer, bool imgPacking)
{
  Layout l;
  unsigned deletable = 0, bytesPerElement = 0;
  const int code = DetermineIM7Format(&buffer, l.sizeX, l.sizeY, l.sizeZ, l.frames, deletable, l.grid, bytesPerElement);
  IM7::DecodeFormat(code, l.format);
  const I_Frame& first = *buffer.GetFrame(0);
  l.extra = ExtraComponents(first, l.format);
  CheckFramesAlike(buffer, l);
  CheckExtraTypes(first, l);
  if (l.format.vector)
  {
    const auto& vectors = dynamic_cast<const I_FrameVector&>(first);
    if (vectors.GetGridY() != l.grid || vectors.GetGridZ() != l.grid)
      RTE_RAISE(RTE::Exception, kSourceUnit, "IMG/IMX/VEC can't store different vector grids in X, Y and Z.");
    CheckWord(l.sizeY, "a vector field height of");
  }
  CheckWord(static_cast<unsigned>(buffer.GetNumberOfFrames()), "a frame count of");
  CheckWord(l.grid, "a vector grid of");
  CheckWord(static_cast<unsigned>(l.extra.size()), "an extra component count of");
  const std::uint64_t rows = std::uint64_t(l.sizeY) * l.format.planes;
  if (rows > std::numeric_limits<std::uint32_t>::max())
    RTE_RAISE(RTE::Exception, kSourceUnit, "IMG/IMX/VEC can't store " << rows << " rows.");
  l.fileType = FileType(first.GetDataType(), imgPacking);
  l.packType = l.fileType == Legacy::kTypeImx ? 1 : 0;
  l.planeBytes = IM7::SaturatedProduct({l.sizeX, l.sizeY, l.format.bytesPerElement});
  l.blockBytes = IM7::SaturatedProduct({l.planeBytes, l.format.planes + l.extra.size(), l.sizeZ, l.frames});
  if (l.blockBytes == std::numeric_limits<std::uint64_t>::max())
    RTE_RAISE(RTE::Exception, kSourceUnit, "IMG/IMX/VEC data block exceeds 64-bit sizes.");
  return l;
}

std::int16_t ShortSize(std::uint64_t value)
{
  return value > Legacy::kLargestShortSize ? Legacy::kSizeEscape : static_cast<std::int16_t>(value);
}

//! Text 1 holds the description, text 2 the unit symbol.
Legacy::Scale HeaderScale(const I_Scale* scale)
{
  const ScaleParts parts = GetScaleParts(scale);
  Legacy::Scale s;
  s.factor = static_cast<float>(parts.factor);
  s.offset = static_cast<float>(parts.offset);
  s.text1 = parts.description;
  s.text2 = parts.unit;
  return s;
}

Legacy::Header MakeHeader(const I_Buffer& buffer, const Layout& l)
{
  const I_Frame& first = *buffer.GetFrame(0);
  Legacy::Header h;
  h.fileType = static_cast<std::int16_t>(l.fileType);
  h.rows = static_cast<std::uint32_t>(std::uint64_t(l.sizeY) * l.format.planes);
  h.columns = l.sizeX;
  h.depth = l.sizeZ;
  h.rowsField = ShortSize(h.rows);
  h.columnsField = ShortSize(l.sizeX);
  h.formatCode = static_cast<std::int16_t>(l.format.code == -4 ? 0 : l.format.code);
  // Vector files: the height, which the rows divide into the planes per
  // vector. Images: all rows of a frame; no reader needs it, so a count
  // beyond the field keeps the escape.
  const std::uint64_t imageRows = std::uint64_t(l.sizeZ) * l.sizeY;
  h.planeRows = static_cast<std::int16_t>(
      l.format.vector ? l.sizeY
                      : (imageRows > kLargestWord ? Legacy::kSizeEscape : static_cast<std::int16_t>(imageRows)));
  h.frames = static_cast<std::int16_t>(buffer.GetNumberOfFrames());
  h.grid = static_cast<std::int16_t>(l.grid);
  h.version = static_cast<std::uint8_t>(l.extra.empty() ? Legacy::kVersion : Legacy::kVersionExtraComponents);
  const C_BufferAttributes attributes(const_cast<I_Buffer*>(&buffer));
  h.date = attributes.GetString("_Date").substr(0, 9);
  h.time = attributes.GetString("_Time").substr(0, 9);
  h.comment = attributes.GetString("_Comment").substr(0, 40);
  h.creator = Legacy::kCreator;
  h.x = HeaderScale(first.GetScaleX());
  h.y = HeaderScale(first.GetScaleY());
  h.value = HeaderScale(first.GetScaleI());
  h.extraComponents = static_cast<std::int16_t>(l.extra.size());
  return h;
}

//! Calls `sink(bytes)` for every file plane in block order: per frame the
//! main planes, then the extra components.
template <typename Sink>
void ForEachFilePlane(const I_Buffer& buffer, const Layout& l, Sink&& sink)
{
  std::vector<unsigned char> scratch;
  for (unsigned f = 0; f < l.frames; ++f)
  {
    const I_Frame& frame = *buffer.GetFrame(f);
    for (unsigned k = 0; k < l.format.planes; ++k)
      for (unsigned z = 0; z < l.sizeZ; ++z)
        sink(IM7::FilePlaneOf(frame, l.format, k, z, scratch));
    const std::vector<int> extra = ExtraComponents(frame, l.format);
    for (const int component : extra)
      for (unsigned z = 0; z < l.sizeZ; ++z)
      {
        const I_PlaneBase* plane = frame.GetPlane(component, z);
        if (plane && plane->GetData())
          sink(plane->GetData());
        else
        {
          scratch.assign(l.planeBytes, 0);
          sink(scratch.data());
        }
      }
  }
}

void WriteDataBlock(const I_Buffer& buffer, std::FILE* file, const Layout& l)
{
  if (l.packType == 0)
  {
    ForEachFilePlane(buffer, l,
                     [&](const void* plane)
                     {
                       if (std::fwrite(plane, 1, l.planeBytes, file) != l.planeBytes)
                         RTE_RAISE(RTE::Exception, kSourceUnit, "Can't write data to IM7 file.");
                     });
    return;
  }
  std::unique_ptr<unsigned char[]> block(l.blockBytes <= std::numeric_limits<std::size_t>::max()
                                             ? new (std::nothrow) unsigned char[l.blockBytes]
                                             : nullptr);
  if (!block)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Out of memory during compression");
  unsigned char* next = block.get();
  ForEachFilePlane(buffer, l,
                   [&](const void* plane)
                   {
                     std::memcpy(next, plane, l.planeBytes);
                     next += l.planeBytes;
                   });
  const int result = PackBlock(file, block.get(), l.blockBytes, l.packType, l.sizeX);
  block.reset();
  if (result == -2)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Compression format not implemented yet.");
  if (result != 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Out of memory during compression");
}

//! Names and scales of the extra components, which the reader creates as
//! "#0#", "#1#", ...
std::vector<std::string> ComponentTexts(const I_Frame& first, const Layout& l)
{
  std::vector<std::string> texts;
  for (std::size_t j = 0; j < l.extra.size(); ++j)
  {
    texts.push_back("ComponentName" + std::to_string(j) + "=" + first.GetComponentName(l.extra[j]));
    texts.push_back("ComponentScale" + std::to_string(j) + "=" +
                    FormatScaleLines(GetScaleParts(first.GetComponentScale(l.extra[j]))));
  }
  return texts;
}
} // namespace

void WriteLegacy(const I_Buffer* buffer, std::FILE* file, bool imgPacking)
{
  if (!buffer)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No buffer given.");
  if (!file)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No file given.");
  const Layout layout = MakeLayout(*buffer, imgPacking);
  const auto header = MakeHeader(*buffer, layout).ToBytes();
  if (std::fwrite(header.data(), 1, header.size(), file) != header.size())
    RTE_RAISE(RTE::Exception, kSourceUnit, "IMG/IMX/VEC can't write header");
  WriteDataBlock(*buffer, file, layout);
  WriteExtendedHeader(buffer, file, true, layout.frames, ComponentTexts(*buffer->GetFrame(0), layout));
}

} // namespace BufferApi
