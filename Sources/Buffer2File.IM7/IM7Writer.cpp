// Writing of IM7 and VC7 files: the format of the buffer, the header, the
// data block, the extended header, mask and typed-scalar blocks, the trailer.

#include "Buffer2File.IM7/ExtendedHeader.h"
#include "Buffer2File.IM7/IM7File.h"
#include "Buffer2File.IM7/IM7Header.h"
#include "Buffer2File.IM7/IM7Planes.h"
#include "Buffer2File.IM7/PlanePacking.h"
#include "Buffer2File.IM7/VC7Layout.h"

#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameVector2C.h>

#include <RTE/Exception.h>
#include <RTE/FileSystem.h>

#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

constexpr unsigned kMaxHeaderWord = std::numeric_limits<std::int16_t>::max();
constexpr unsigned kMaxHeaderSize = std::numeric_limits<std::int32_t>::max();

unsigned CountDeletableComponents(const I_Frame& frame)
{
  unsigned count = 0;
  for (unsigned i = 0; i < frame.GetNumberOfComponents(); ++i)
    if (frame.IsComponentDeletable(i))
      ++count;
  return count;
}

bool HasSameGeometry(const I_Frame& frame, const I_Frame& first, unsigned deletable)
{
  return frame.IsSameType(&first) && frame.GetWidth() == first.GetWidth() && frame.GetHeight() == first.GetHeight() &&
         frame.GetDepth() == first.GetDepth() && CountDeletableComponents(frame) == deletable;
}

int ImageFormatCode(E_DataType type, unsigned& bytesPerElement)
{
  switch (type)
  {
  case DT_UInt8:
    bytesPerElement = 1;
    return -2;
  case DT_RGB:
    bytesPerElement = 4;
    return -11;
  case DT_Double:
    bytesPerElement = 8;
    return -5;
  case DT_Float:
    bytesPerElement = 4;
    return -3;
  case DT_Int32:
    bytesPerElement = 4;
    return -21;
  case DT_UInt16:
    bytesPerElement = 2;
    return -4;
  default:
    break;
  }
  RTE_RAISE(RTE::Exception, kSourceUnit, "Can't export this data type to IM7.");
}

int DetermineImageFormat(const I_Buffer& buffer, const I_FrameImage& first, unsigned deletable, unsigned& framesToStore,
                         unsigned& bytesPerElement)
{
  for (unsigned i = 1; i < buffer.GetNumberOfFrames(); ++i)
  {
    const I_Frame* frame = buffer.GetFrame(i);
    if (!dynamic_cast<const I_FrameImage*>(frame) || frame->GetDataType() != first.GetDataType() ||
        !HasSameGeometry(*frame, first, deletable))
      break;
    ++framesToStore;
  }
  return ImageFormatCode(first.GetDataType(), bytesPerElement);
}

int DetermineVectorFormat(const I_Buffer& buffer, const I_FrameVector& first, unsigned deletable,
                          unsigned& framesToStore, unsigned& grid, unsigned& bytesPerElement)
{
  const unsigned choices = first.GetNumberOfChoices();
  bool counting = true;
  for (unsigned i = 1; i < buffer.GetNumberOfFrames(); ++i)
  {
    const I_Frame* frame = buffer.GetFrame(i);
    counting = counting && HasSameGeometry(*frame, first, deletable);
    if (counting)
      ++framesToStore;
    // Frames of another kind are not stored; they need no grid of their own.
    const auto* vectors = dynamic_cast<const I_FrameVector*>(frame);
    if (!vectors)
      continue;
    if (vectors->GetGridX() != first.GetGridX() || vectors->GetGridY() != first.GetGridY() ||
        vectors->GetGridZ() != first.GetGridZ())
      RTE_RAISE(RTE::Exception, kSourceUnit,
                "Can't export vector fields in VC7 with different grid sizes in the frames.");
    if (vectors->GetNumberOfChoices() != choices)
      RTE_RAISE(RTE::VerificationFailed, kSourceUnit,
                "Can't export vector fields in VC7 with different number of choices.");
  }
  if (choices != 1 && choices != 4)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "Can't export vector fields with " << choices << " choices in VC7: it stores one or four choices.");
  const bool fourChoices = choices == 4;
  const bool peakRatio = fourChoices && first.GetComponentIndex(VC7::kPeakRatio) >= 0;
  const int code =
      IM7::VectorFormatCode(dynamic_cast<const I_FrameVector2C*>(&first) == nullptr, fourChoices, peakRatio);
  IM7::Format format;
  IM7::DecodeFormat(code, format);
  grid = first.GetGridX();
  bytesPerElement = 4 * format.planes;
  return code;
}

std::uint64_t Position(std::FILE* file)
{
  const std::int64_t position = RTE::FileSystem::GetPosition(file);
  if (position < 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't determine the position in the IM7 file.");
  return static_cast<std::uint64_t>(position);
}

void CheckHeaderWord(unsigned value, const char* what)
{
  if (value > kMaxHeaderWord)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "Can't export to IM7: " << what << " " << value << " exceeds the header's limit of " << kMaxHeaderWord
                                      << ".");
}

void CheckHeaderSize(unsigned value, const char* what)
{
  if (value > kMaxHeaderSize)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "Can't export to IM7: " << what << " " << value << " exceeds the header's limit of " << kMaxHeaderSize
                                      << ".");
}

void RaisePackResult(int result)
{
  if (result == -2)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Compression format not implemented yet.");
  if (result != 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Out of memory during compression");
}

//! Everything the writer decided before the first byte goes out.
struct Layout
{
  IM7::Format format;
  unsigned sizeX = 0, sizeY = 0, sizeZ = 0, frames = 0, grid = 1;
  unsigned gridY = 0, gridZ = 0;
  bool separateGrids = false;
  int headerPackType = 0;
  int dataPackType = 0;
  std::uint64_t planeBytes = 0;
  std::uint64_t blockBytes = 0;
};

Layout MakeLayout(const I_Buffer& buffer, unsigned requestedPackType)
{
  Layout l;
  unsigned deletable = 0, bytesPerElement = 0;
  const int code = DetermineIM7Format(&buffer, l.sizeX, l.sizeY, l.sizeZ, l.frames, deletable, l.grid, bytesPerElement);
  IM7::DecodeFormat(code, l.format);
  const std::int64_t headerPack = IM7::HeaderPackType(requestedPackType, code);
  // Refused here, before the header is written, rather than by the packing.
  if (headerPack < 0 || headerPack >= 20)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Compression format not implemented yet.");
  l.headerPackType = static_cast<int>(headerPack);
  // 19 is IMX-coded data under header pack type 1; where the header says 0
  // the data are stored unpacked as well.
  l.dataPackType = requestedPackType == 19 && l.headerPackType == 1 ? 19 : l.headerPackType;
  CheckHeaderSize(l.sizeX, "size X");
  CheckHeaderSize(l.sizeY, "size Y");
  CheckHeaderSize(l.sizeZ, "size Z");
  if (l.format.vector)
  {
    const auto& first = dynamic_cast<const I_FrameVector&>(*buffer.GetFrame(0));
    l.gridY = first.GetGridY();
    l.gridZ = first.GetGridZ();
    l.separateGrids = l.gridY != l.grid || l.gridZ != l.grid;
    CheckHeaderWord(l.grid, "vector grid X");
    if (l.separateGrids)
    {
      CheckHeaderWord(l.gridY, "vector grid Y");
      CheckHeaderWord(l.gridZ, "vector grid Z");
    }
  }
  l.planeBytes = IM7::SaturatedProduct({l.sizeX, l.sizeY, l.format.bytesPerElement});
  l.blockBytes = IM7::SaturatedProduct({l.planeBytes, l.format.planes, l.sizeZ, l.frames});
  if (l.blockBytes == std::numeric_limits<std::uint64_t>::max())
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't export to IM7: the data block exceeds 64-bit sizes.");
  return l;
}

IM7::Header MakeHeader(const Layout& l)
{
  IM7::Header h;
  h.packType = static_cast<std::int16_t>(l.headerPackType);
  h.typedScalarPackType = h.packType;
  h.bufferFormat = static_cast<std::int16_t>(l.format.code);
  h.sizeX = static_cast<std::int32_t>(l.sizeX);
  h.sizeY = static_cast<std::int32_t>(l.sizeY);
  h.sizeZ = static_cast<std::int32_t>(l.sizeZ);
  h.frames = static_cast<std::int32_t>(l.frames);
  h.grid = static_cast<std::int16_t>(l.grid);
  h.flags = IM7::kFlagTrailer;
  if (l.separateGrids)
  {
    h.flags = static_cast<std::int16_t>(h.flags | IM7::kFlagGridYZ);
    h.gridY = static_cast<std::int16_t>(l.gridY);
    h.gridZ = static_cast<std::int16_t>(l.gridZ);
  }
  return h;
}

//! Calls `sink(bytes)` for every file plane of the stored frames in block order.
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
  }
}

void WriteDataBlock(const I_Buffer& buffer, std::FILE* file, const Layout& l)
{
  if (l.dataPackType == 0)
  {
    // Straight from the planes to the file.
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
  const int result = PackBlock(file, block.get(), l.blockBytes, l.dataPackType, l.sizeX);
  block.reset();
  RaisePackResult(result);
}

//! Mask plane z of frame as bytes 0 and 1 (all 1 for a frame without mask).
void MaskPlaneBytes(const I_Frame& frame, unsigned z, unsigned char* out, std::uint64_t count)
{
  const int comp = frame.HasMask() ? frame.GetComponentIndex(I_Frame::COMPONENT_MASK) : -1;
  const I_PlaneBase* plane = comp < 0 ? nullptr : frame.GetPlane(comp, z);
  const auto* mask =
      plane && plane->GetDataType() == DT_UInt8 ? static_cast<const unsigned char*>(plane->GetData()) : nullptr;
  if (!mask)
  {
    const unsigned width = frame.GetWidth();
    for (std::uint64_t i = 0; i < count; ++i)
      out[i] = frame.IsValid(static_cast<unsigned>(i % width), static_cast<unsigned>(i / width), z) ? 1 : 0;
    return;
  }
  for (std::uint64_t i = 0; i < count; ++i)
    out[i] = mask[i] != 0 ? 1 : 0;
}

void WriteMask(const I_Buffer& buffer, std::FILE* file, const Layout& l, IM7::Trailer& trailer)
{
  const std::uint64_t planeBytes = std::uint64_t(l.sizeX) * l.sizeY;
  if (l.headerPackType == 0)
  {
    trailer.positions[IM7::kUnpackedMask] = Position(file);
    std::vector<unsigned char> plane(planeBytes);
    for (unsigned f = 0; f < l.frames; ++f)
      for (unsigned z = 0; z < l.sizeZ; ++z)
      {
        MaskPlaneBytes(*buffer.GetFrame(f), z, plane.data(), planeBytes);
        if (std::fwrite(plane.data(), 1, planeBytes, file) != planeBytes)
          RTE_RAISE(RTE::Exception, kSourceUnit, "Can't write mask.");
      }
    return;
  }
  trailer.positions[IM7::kPackedMask] = Position(file);
  const unsigned char kind[4] = {2, 0, 0, 0};
  if (std::fwrite(kind, 1, sizeof kind, file) != sizeof kind)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't write compressed mask.");
  std::vector<unsigned char> mask(planeBytes * l.sizeZ * l.frames);
  unsigned char* next = mask.data();
  for (unsigned f = 0; f < l.frames; ++f)
    for (unsigned z = 0; z < l.sizeZ; ++z, next += planeBytes)
      MaskPlaneBytes(*buffer.GetFrame(f), z, next, planeBytes);
  if (PackBlock(file, mask.data(), mask.size(), 2, l.sizeX) != 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't write compressed mask.");
}

void WriteOptionalBlocks(const I_Buffer& buffer, std::FILE* file, const Layout& l, IM7::Trailer& trailer)
{
  if (buffer.GetFrame(0)->HasMask())
    WriteMask(buffer, file, l, trailer);
  if (!HasTypedScalars(&buffer))
    return;
  const IM7::TrailerSlot slot = l.headerPackType == 0 ? IM7::kUnpackedTypedScalars : IM7::kPackedTypedScalars;
  trailer.positions[slot] = Position(file);
  // Records and scales of the stored frames only: the reader fills the
  // frames the header names, and a frame left out may differ in size.
  WriteTypedScalars(&buffer, file, l.dataPackType, l.frames);
  if (HasComponentScales(&buffer, l.frames))
  {
    trailer.positions[IM7::kComponentScales] = Position(file);
    WriteComponentScales(&buffer, file, l.frames);
  }
}
} // namespace

int DetermineIM7Format(const I_Buffer* buffer, unsigned int& sizeX, unsigned int& sizeY, unsigned int& sizeZ,
                       unsigned int& framesToStore, unsigned int& deletableComponents, unsigned int& grid,
                       unsigned int& bytesPerElement)
{
  if (!buffer || buffer->GetNumberOfFrames() == 0)
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Can't export buffer without frames to IM7.");
  const I_Frame* first = buffer->GetFrame(0);
  first->GetSize(sizeX, sizeY, sizeZ);
  framesToStore = 1;
  grid = 1;
  bytesPerElement = 0;
  if (sizeX == 0 || sizeY == 0 || sizeZ == 0)
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Can't export empty frames to IM7.");
  deletableComponents = CountDeletableComponents(*first);
  if (const auto* image = dynamic_cast<const I_FrameImage*>(first))
    return DetermineImageFormat(*buffer, *image, deletableComponents, framesToStore, bytesPerElement);
  if (const auto* vectors = dynamic_cast<const I_FrameVector*>(first))
    return DetermineVectorFormat(*buffer, *vectors, deletableComponents, framesToStore, grid, bytesPerElement);
  RTE_RAISE(RTE::Exception, kSourceUnit, "Can't export this frame type to IM7.");
}

void WriteIM7(const I_Buffer* buffer, std::FILE* file, unsigned int requestedPackType)
{
  if (!buffer)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No buffer given.");
  if (!file)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No file given.");
  const Layout layout = MakeLayout(*buffer, requestedPackType);

  const auto header = MakeHeader(layout).ToBytes();
  if (std::fwrite(header.data(), 1, header.size(), file) != header.size())
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't write header.");
  WriteDataBlock(*buffer, file, layout);

  IM7::Trailer trailer;
  trailer.positions[IM7::kExtendedHeader] = Position(file);
  // Tags of frames behind the stored ones would come back as buffer
  // attributes named after a frame the file does not hold.
  WriteExtendedHeader(buffer, file, false, layout.frames);
  WriteOptionalBlocks(*buffer, file, layout, trailer);

  const auto bytes = trailer.ToBytes();
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't write complete IM7 file. Maybe no space left on device.");
}

} // namespace BufferApi
