// Reading of IM7 and VC7 files.
//
// Nothing the file says is trusted: the sizes of the header and the
// positions of the trailer are checked against the file before anything is
// allocated or sought. An unpacked block never exceeds the bytes the file
// holds for it; a packed block is believed to expand at most by
// IM7::kMaxPackRatio (zlib's 1032:1), so that no allocation exceeds that
// multiple of the file size.

#include "Buffer2File.IM7/ExtendedHeader.h"
#include "Buffer2File.IM7/IM7File.h"
#include "Buffer2File.IM7/IM7Header.h"
#include "Buffer2File.IM7/IM7Planes.h"
#include "Buffer2File.IM7/LegacyFile.h"
#include "Buffer2File.IM7/PlanePacking.h"
#include "Buffer2File.IM7/VC7Layout.h"

#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/C_FrameTimesHelper.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameVector2C.h>
#include <BufferApi/I_FrameVector3C.h>

#include <RTE/Exception.h>
#include <RTE/FileSystem.h>

#include <algorithm>
#include <cstdlib>
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

const std::string kComponentIndex = "COMPONENT_INDEX";
const std::string kDisplayReplaceByZero = "DisplayReplaceByZero";

const char* const kBlockNames[IM7::kTrailerSlots] = {
    "extended header",      "", "mask block", "typed-scalar block", "packed typed-scalar block", "packed mask block",
    "component-scale block"};

//! Trailer slots in the order their blocks follow each other in a file; the
//! blocks of one group may come in either order.
const int kBlockGroup[IM7::kTrailerSlots] = {0, -1, 1, 2, 2, 1, 3};

class C_IM7Reader
{
public:
  C_IM7Reader(I_Buffer* buffer, std::FILE* file, bool readData, bool readAttributes)
      : m_buffer(buffer)
      , m_file(file)
      , m_readData(readData)
      , m_readAttributes(readAttributes)
  {
  }

  void Read(bool convertByteToWord, bool setLegacyProfile, unsigned* sizeX, unsigned* sizeY, unsigned* sizeZ,
            unsigned* frames);

private:
  //! False when the file is a legacy file and was handed to the legacy reader.
  bool ReadHeader(bool convertByteToWord);
  void ReadTrailer();
  void CheckTrailer() const;
  void CheckGeometry(unsigned* sizeX, unsigned* sizeY, unsigned* sizeZ, unsigned* frames);
  void CheckDataBlockSize() const;
  std::uint64_t Position() const;
  void Seek(std::uint64_t position) const;
  //! Where the block that starts at `position` must end at the latest: the
  //! next block the trailer names, else the trailer.
  std::uint64_t BlockLimit(std::uint64_t position) const;
  void CheckEndsBefore(std::uint64_t limit, const char* what) const;
  bool Has(IM7::TrailerSlot slot) const { return m_trailer.positions[slot] != 0; }
  std::uint64_t At(IM7::TrailerSlot slot) const { return m_trailer.positions[slot]; }

  void CreateFrames(unsigned width, unsigned height, unsigned depth);
  void ReadDataBlockUnpacked();
  std::unique_ptr<unsigned char[]> UnpackDataBlock();
  void ReadAttributes(bool fullGeometryWithoutData);
  void ReadMaskAndBlocks();
  void ReadMask();
  void ReadUnpackedMask();
  void ReadPackedMask();
  void ApplyDisplayReplaceByZero();
  void MarkMaskWithoutData();
  void RemoveAttributeEverywhere(const std::string& name);
  void PostProcess(bool convertByteToWord, bool setLegacyProfile);

  I_Buffer* m_buffer;
  std::FILE* m_file;
  bool m_readData;
  bool m_readAttributes;
  std::uint64_t m_start = 0;
  std::uint64_t m_fileSize = 0;
  //! End of the blocks: the trailer's start, or the end of the file.
  std::uint64_t m_end = 0;
  IM7::Header m_header;
  IM7::Trailer m_trailer;
  IM7::Format m_format;
  unsigned m_sizeX = 0, m_sizeY = 0, m_sizeZ = 0, m_frames = 0, m_extra = 0;
  std::uint64_t m_planeBytes = 0;
  std::uint64_t m_blockBytes = 0;
};

std::uint64_t C_IM7Reader::Position() const
{
  const std::int64_t position = RTE::FileSystem::GetPosition(m_file);
  if (position < 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't determine the position in the IM7 file.");
  return static_cast<std::uint64_t>(position);
}

void C_IM7Reader::Seek(std::uint64_t position) const
{
  if (!RTE::FileSystem::SetPosition(m_file, position))
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't move to position " << position << " of the IM7 file.");
}

bool C_IM7Reader::ReadHeader(bool convertByteToWord)
{
  m_start = Position();
  m_fileSize = RTE::FileSystem::GetSize(m_file);
  unsigned char bytes[IM7::kHeaderSize];
  if (std::fread(bytes, 1, sizeof bytes, m_file) != sizeof bytes)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Invalid header.");
  m_header = IM7::Header::FromBytes(bytes);
  if (m_header.legacyType != 0)
  {
    if (m_header.legacyType >= 18 && m_header.legacyType <= 23)
    {
      Seek(m_start);
      ReadLegacy(m_buffer, m_file, false, convertByteToWord);
      return false;
    }
    RTE_RAISE(RTE::Exception, kSourceUnit, "File not of type IM7.");
  }
  m_end = m_fileSize;
  return true;
}

void C_IM7Reader::ReadTrailer()
{
  if ((m_header.flags & IM7::kFlagTrailer) == 0)
    return;
  if (m_fileSize < m_start + IM7::kHeaderSize + IM7::kTrailerSize)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "IM7 file of " << m_fileSize << " bytes is too short for its header and trailer.");
  const std::uint64_t back = Position();
  m_end = m_fileSize - IM7::kTrailerSize;
  Seek(m_end);
  unsigned char bytes[IM7::kTrailerSize];
  if (std::fread(bytes, 1, sizeof bytes, m_file) != sizeof bytes)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't read the trailer of the IM7 file.");
  m_trailer = IM7::Trailer::FromBytes(bytes);
  Seek(back);
  CheckTrailer();
}

void C_IM7Reader::CheckTrailer() const
{
  const std::uint64_t first = m_start + IM7::kHeaderSize;
  for (std::size_t slot = 0; slot < IM7::kTrailerSlots; ++slot)
  {
    const std::uint64_t position = m_trailer.positions[slot];
    if (position == 0)
      continue;
    if (kBlockGroup[slot] < 0 || position < first || position >= m_end)
      RTE_RAISE(RTE::Exception, kSourceUnit,
                "Trailer position " << position << " of the "
                                    << (kBlockGroup[slot] < 0 ? "reserved slot" : kBlockNames[slot])
                                    << " lies outside the blocks of the file (" << first << " to " << m_end << ").");
    for (std::size_t other = 0; other < IM7::kTrailerSlots; ++other)
    {
      const std::uint64_t otherPosition = m_trailer.positions[other];
      if (otherPosition != 0 && kBlockGroup[other] > kBlockGroup[slot] && otherPosition <= position)
        RTE_RAISE(RTE::Exception, kSourceUnit,
                  "Trailer positions of the " << kBlockNames[slot] << " (" << position << ") and the "
                                              << kBlockNames[other] << " (" << otherPosition << ") are out of order.");
    }
  }
}

std::uint64_t C_IM7Reader::BlockLimit(std::uint64_t position) const
{
  std::uint64_t limit = m_end;
  for (const std::uint64_t other : m_trailer.positions)
    if (other > position && other < limit)
      limit = other;
  return limit;
}

void C_IM7Reader::CheckEndsBefore(std::uint64_t limit, const char* what) const
{
  const std::uint64_t position = Position();
  if (position > limit)
    RTE_RAISE(RTE::Exception, kSourceUnit, "The " << what << " runs past position " << limit << " of the IM7 file.");
}

void C_IM7Reader::CheckGeometry(unsigned* sizeX, unsigned* sizeY, unsigned* sizeZ, unsigned* frames)
{
  if (m_header.sparse != 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Sparse buffers retired, please use Pelio 7!");
  if (!IM7::DecodeFormat(m_header.bufferFormat, m_format))
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't read this data format yet.");
  *sizeX = static_cast<unsigned>(m_header.sizeX);
  *sizeY = static_cast<unsigned>(m_header.sizeY);
  *sizeZ = static_cast<unsigned>(m_header.sizeZ);
  *frames = static_cast<unsigned>(m_header.frames);
  if (m_header.sizeX <= 0 || m_header.sizeY <= 0 || m_header.sizeZ <= 0 || m_header.frames <= 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Frame size invalid.");
  if (m_header.extraComponents < 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Invalid number of extra components " << m_header.extraComponents << ".");
  const bool separateGrids = (m_header.flags & IM7::kFlagGridYZ) != 0;
  if (m_format.vector && (m_header.grid <= 0 || (separateGrids && (m_header.gridY <= 0 || m_header.gridZ <= 0))))
    RTE_RAISE(RTE::Exception, kSourceUnit, "Invalid vector grid in the IM7 header.");
  m_sizeX = *sizeX;
  m_sizeY = *sizeY;
  m_sizeZ = *sizeZ;
  m_frames = *frames;
  m_extra = static_cast<unsigned>(m_header.extraComponents);
  m_planeBytes = IM7::SaturatedProduct({m_sizeX, m_sizeY, m_format.bytesPerElement});
  m_blockBytes = IM7::SaturatedProduct({m_planeBytes, m_format.planes + m_extra, m_sizeZ, m_frames});
}

void C_IM7Reader::CheckDataBlockSize() const
{
  const std::uint64_t start = m_start + IM7::kHeaderSize;
  const std::uint64_t limit = BlockLimit(start);
  const std::uint64_t available = limit > start ? limit - start : 0;
  if (m_header.packType == 0)
  {
    if (m_blockBytes > available)
      RTE_RAISE(RTE::Exception, kSourceUnit,
                "Data block needs " << m_blockBytes << " bytes, file has " << available << ".");
  }
  else if (m_blockBytes / IM7::kMaxPackRatio > available)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "Data block needs " << m_blockBytes << " bytes, more than the " << available
                                  << " packed bytes of the file can hold.");
  // Every plane costs the frames memory beyond its elements, however well
  // the elements pack, also when only 1 x 1 x 1 frames describe the file; a
  // plane takes at least one byte of the file.
  const std::uint64_t planes = IM7::SaturatedProduct({m_format.planes + m_extra, m_sizeZ, m_frames});
  if (planes > available)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "Data block of " << planes << " planes can't lie in the " << available << " bytes of the file.");
}

void C_IM7Reader::CreateFrames(unsigned width, unsigned height, unsigned depth)
{
  const unsigned choices = m_format.Choices();
  const unsigned grid = static_cast<unsigned>(std::max<int>(1, m_header.grid));
  for (unsigned i = 0; i < m_frames; ++i)
  {
    I_Frame* frame = nullptr;
    if (!m_format.vector)
      frame = m_buffer->AddImageFrame(width, height, depth, m_format.type);
    else if (m_format.threeComponents)
      frame = m_buffer->AddVectorFrame3C(width, height, depth, choices, DT_Float, grid);
    else
      frame = m_buffer->AddVectorFrame2C(width, height, depth, choices, DT_Float, grid);
    if (!frame)
      RTE_RAISE(RTE::Exception, kSourceUnit, "Can't create frame " << i << " of the IM7 file.");
    if (auto* vectors = dynamic_cast<I_FrameVector*>(frame))
    {
      if (m_format.peakRatio)
        vectors->CreateComponent(VC7::kPeakRatio, DT_Float);
      if (m_header.flags & IM7::kFlagGridYZ)
      {
        vectors->SetGridY(static_cast<unsigned>(m_header.gridY));
        vectors->SetGridZ(static_cast<unsigned>(m_header.gridZ));
      }
    }
    C_FrameAttributes(frame).SetString(kComponentIndex, std::to_string(frame->GetNumberOfComponents()));
    for (unsigned j = 0; j < m_extra; ++j)
      frame->CreateComponent("#" + std::to_string(j) + "#", m_format.type);
  }
}

void C_IM7Reader::ReadDataBlockUnpacked()
{
  std::vector<unsigned char> scratch;
  for (unsigned f = 0; f < m_frames; ++f)
  {
    I_Frame& frame = *m_buffer->GetFrame(f);
    for (unsigned k = 0; k < m_format.planes + m_extra; ++k)
      for (unsigned z = 0; z < m_sizeZ; ++z)
      {
        bool direct = false;
        void* target = IM7::ReadTargetOf(frame, m_format, k, z, scratch, direct);
        if (std::fread(target, 1, m_planeBytes, m_file) != m_planeBytes)
          RTE_RAISE(RTE::Exception, kSourceUnit, "Can't read data from IM7 file.");
        if (!direct)
          IM7::StorePlane(frame, m_format, k, z, target);
      }
    IM7::FinishFrame(frame, m_format);
  }
}

std::unique_ptr<unsigned char[]> C_IM7Reader::UnpackDataBlock()
{
  if (m_blockBytes == 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't read buffer with empty size.");
  std::unique_ptr<unsigned char[]> block(m_blockBytes <= std::numeric_limits<std::size_t>::max()
                                             ? new (std::nothrow) unsigned char[m_blockBytes]
                                             : nullptr);
  if (!block)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Out of memory when reading the packed data.");
  UnpackBlock(m_file, block.get(), m_blockBytes, m_header.packType, m_sizeX, true);
  return block;
}

void C_IM7Reader::ReadAttributes(bool fullGeometryWithoutData)
{
  if (m_readAttributes)
  {
    if (Has(IM7::kExtendedHeader))
      Seek(At(IM7::kExtendedHeader));
    ReadExtendedHeader(m_buffer, m_file);
    if (Has(IM7::kExtendedHeader))
      CheckEndsBefore(BlockLimit(At(IM7::kExtendedHeader)), "extended header");
  }
  if (fullGeometryWithoutData)
    for (unsigned i = 0; i < m_frames; ++i)
      m_buffer->GetFrame(i)->SetSize(1, 1, m_sizeZ);
}

void C_IM7Reader::ReadUnpackedMask()
{
  const std::uint64_t position = At(IM7::kUnpackedMask);
  const std::uint64_t planeBytes = std::uint64_t(m_sizeX) * m_sizeY;
  const std::uint64_t needed = IM7::SaturatedProduct({planeBytes, m_sizeZ, m_frames});
  const std::uint64_t available = BlockLimit(position) - position;
  if (needed > available)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Mask block needs " << needed << " bytes, file has " << available << ".");
  Seek(position);
  for (unsigned f = 0; f < m_frames; ++f)
  {
    I_Frame& frame = *m_buffer->GetFrame(f);
    const int mask = frame.GetComponentIndex(I_Frame::COMPONENT_MASK);
    for (unsigned z = 0; z < m_sizeZ; ++z)
    {
      auto* bytes = static_cast<unsigned char*>(frame.GetPlane(mask, z)->GetData());
      if (std::fread(bytes, 1, planeBytes, m_file) != planeBytes)
        RTE_RAISE(RTE::Exception, kSourceUnit, "Can't read the mask from IM7 file.");
      for (std::uint64_t i = 0; i < planeBytes; ++i)
        bytes[i] = bytes[i] != 0 ? 1 : 0;
    }
  }
}

void C_IM7Reader::ReadPackedMask()
{
  const std::uint64_t position = At(IM7::kPackedMask);
  const std::uint64_t limit = BlockLimit(position);
  Seek(position);
  unsigned char kind[4];
  if (limit - position < sizeof kind || std::fread(kind, 1, sizeof kind, m_file) != sizeof kind)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't read the packed mask from IM7 file.");
  if (kind[0] != 2 || kind[1] != 0 || kind[2] != 0 || kind[3] != 0)
    return; // another kind of mask: the mask stays as read so far
  const std::uint64_t planeBytes = std::uint64_t(m_sizeX) * m_sizeY;
  const std::uint64_t needed = IM7::SaturatedProduct({planeBytes, m_sizeZ, m_frames});
  const std::uint64_t available = limit - position - sizeof kind;
  if (needed / IM7::kMaxPackRatio > available)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "Mask block needs " << needed << " bytes, more than the " << available
                                  << " packed bytes of the file can hold.");
  std::vector<unsigned char> mask;
  try
  {
    mask.resize(needed);
  }
  catch (const std::bad_alloc&)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Out of memory when reading the mask.");
  }
  UnpackBlock(m_file, mask.data(), needed, 2, m_sizeX, true);
  CheckEndsBefore(limit, "packed mask block");
  const unsigned char* next = mask.data();
  for (unsigned f = 0; f < m_frames; ++f)
  {
    I_Frame& frame = *m_buffer->GetFrame(f);
    const int comp = frame.GetComponentIndex(I_Frame::COMPONENT_MASK);
    for (unsigned z = 0; z < m_sizeZ; ++z, next += planeBytes)
    {
      auto* bytes = static_cast<unsigned char*>(frame.GetPlane(comp, z)->GetData());
      for (std::uint64_t i = 0; i < planeBytes; ++i)
        bytes[i] = next[i] != 0 ? 1 : 0;
    }
  }
}

void C_IM7Reader::ReadMask()
{
  for (unsigned f = 0; f < m_frames; ++f)
  {
    I_Frame* frame = m_buffer->GetFrame(f);
    const int comp = frame->CreateValidMask() ? frame->GetComponentIndex(I_Frame::COMPONENT_MASK) : -1;
    const I_PlaneBase* plane = comp < 0 ? nullptr : frame->GetPlane(comp, 0);
    if (!plane || plane->GetDataType() != DT_UInt8)
      RTE_RAISE(RTE::Exception, kSourceUnit, "Can't create the mask of frame " << f << ".");
  }
  // The unpacked block first; a packed one overwrites it.
  if (Has(IM7::kUnpackedMask))
    ReadUnpackedMask();
  if (Has(IM7::kPackedMask))
    ReadPackedMask();
}

void C_IM7Reader::ApplyDisplayReplaceByZero()
{
  const std::string bufferText = C_BufferAttributes(m_buffer).GetString(kDisplayReplaceByZero);
  for (unsigned f = 0; f < m_frames; ++f)
  {
    I_Frame* frame = m_buffer->GetFrame(f);
    auto* image = dynamic_cast<I_FrameImage*>(frame);
    const std::string frameText = C_FrameAttributes(frame).GetString(kDisplayReplaceByZero);
    const std::string& text = frameText.empty() ? bufferText : frameText;
    if (image && !text.empty() && image->CreateValidMask())
    {
      const double invalid = std::atof(text.c_str());
      for (unsigned z = 0; z < image->GetDepth(); ++z)
        for (unsigned y = 0; y < image->GetHeight(); ++y)
          for (unsigned x = 0; x < image->GetWidth(); ++x)
            image->SetValid(x, y, z, image->GetPixel(x, y, z) != invalid);
    }
  }
}

void C_IM7Reader::MarkMaskWithoutData()
{
  bool hasMask = Has(IM7::kUnpackedMask) || Has(IM7::kPackedMask) ||
                 !C_BufferAttributes(m_buffer).GetString(kDisplayReplaceByZero).empty();
  for (unsigned f = 0; f < m_frames && !hasMask; ++f)
    hasMask = !C_FrameAttributes(m_buffer->GetFrame(f)).GetString(kDisplayReplaceByZero).empty();
  if (hasMask)
    for (unsigned f = 0; f < m_frames; ++f)
      m_buffer->GetFrame(f)->CreateValidMask();
}

void C_IM7Reader::RemoveAttributeEverywhere(const std::string& name)
{
  m_buffer->DeleteAttribute(name);
  for (unsigned f = 0; f < m_buffer->GetNumberOfFrames(); ++f)
    m_buffer->GetFrame(f)->DeleteAttribute(name);
}

void C_IM7Reader::ReadMaskAndBlocks()
{
  if (!m_readData)
  {
    // Callers learn that the file has a mask without reading it.
    MarkMaskWithoutData();
    RemoveAttributeEverywhere(kDisplayReplaceByZero);
    return;
  }
  if (!Has(IM7::kUnpackedMask) && !Has(IM7::kPackedMask))
    ApplyDisplayReplaceByZero();
  else
    ReadMask();
  RemoveAttributeEverywhere(kDisplayReplaceByZero);
  if (Has(IM7::kUnpackedTypedScalars))
  {
    Seek(At(IM7::kUnpackedTypedScalars));
    ReadTypedScalars(m_buffer, m_file, 0);
    CheckEndsBefore(BlockLimit(At(IM7::kUnpackedTypedScalars)), "typed-scalar block");
  }
  if (Has(IM7::kPackedTypedScalars))
  {
    Seek(At(IM7::kPackedTypedScalars));
    ReadTypedScalars(m_buffer, m_file, m_header.typedScalarPackType);
    CheckEndsBefore(BlockLimit(At(IM7::kPackedTypedScalars)), "packed typed-scalar block");
  }
  if (Has(IM7::kComponentScales))
  {
    Seek(At(IM7::kComponentScales));
    ReadComponentScales(m_buffer, m_file);
    CheckEndsBefore(BlockLimit(At(IM7::kComponentScales)), "component-scale block");
  }
}

//! An image whose rows are profiles becomes one single-row frame per row.
void SplitLegacyProfile(I_Buffer* buffer, bool setLegacyProfile)
{
  if (buffer->GetNumberOfFrames() != 1)
    return;
  auto* old = dynamic_cast<I_FrameImage*>(buffer->GetFrame(0));
  if (!old || old->GetHeight() < 2)
    return;
  C_BufferAttributes attributes(buffer);
  if (attributes.GetString("ViewWinType").empty() && setLegacyProfile)
    attributes.SetString("ViewWinType", "2");
  if (attributes.GetString("ViewWinType") != "2")
    return;
  if (old->GetHeight() == 2 && attributes.GetString("ViewPlotMode") == "1")
    return;
  const unsigned width = old->GetWidth();
  const E_DataType type = old->GetDataType();
  const int oldMask = old->HasMask() ? old->GetComponentIndex(I_Frame::COMPONENT_MASK) : -1;
  const I_PlaneBase* pixels = old->GetPlane(0u);
  for (unsigned y = 0; y < old->GetHeight(); ++y)
  {
    I_FrameImage* row = buffer->AddImageFrame(width, 1, 1, type);
    if (!row)
      RTE_RAISE(RTE::Exception, kSourceUnit, "Can't create the frame of profile " << y << ".");
    row->CopyScales(old);
    row->CopyAttributes(old->GetAttributeRoot());
    I_PlaneBase* target = row->GetPlane(0u);
    const I_PlaneBase* oldMaskPlane = oldMask >= 0 ? old->GetPlane(oldMask, 0) : nullptr;
    I_PlaneBase* maskPlane = nullptr;
    if (oldMaskPlane && row->CreateValidMask())
      maskPlane = row->GetPlane(row->GetComponentIndex(I_Frame::COMPONENT_MASK), 0);
    for (unsigned x = 0; x < width; ++x)
    {
      target->SetValueUnsafe(x, 0, pixels->GetValueUnsafe(x, y));
      if (maskPlane)
        maskPlane->SetValueUnsafe(x, 0, oldMaskPlane->GetValueUnsafe(x, y));
    }
  }
  buffer->RemoveFrame(0);
}

void C_IM7Reader::PostProcess(bool convertByteToWord, bool setLegacyProfile)
{
  PostProcessImport(m_buffer, m_header.packType, convertByteToWord);
  SplitLegacyProfile(m_buffer, setLegacyProfile);
}

void C_IM7Reader::Read(bool convertByteToWord, bool setLegacyProfile, unsigned* sizeX, unsigned* sizeY, unsigned* sizeZ,
                       unsigned* frames)
{
  if (!ReadHeader(convertByteToWord))
    return;
  ReadTrailer();
  CheckGeometry(sizeX, sizeY, sizeZ, frames);
  CheckDataBlockSize();

  // Without data the frames only describe the file, unless the extended
  // header can only be found behind the data block.
  const bool fullGeometry = m_readData || (m_readAttributes && !Has(IM7::kExtendedHeader));
  const std::uint64_t dataLimit = BlockLimit(m_start + IM7::kHeaderSize);
  if (!fullGeometry)
    CreateFrames(1, 1, 1);
  else if (m_header.packType == 0)
  {
    CreateFrames(m_sizeX, m_sizeY, m_sizeZ);
    ReadDataBlockUnpacked();
  }
  else
  {
    // Unpacked before the frames exist: the packed bytes are gone by the time
    // the frames take their memory.
    std::unique_ptr<unsigned char[]> block = UnpackDataBlock();
    CheckEndsBefore(dataLimit, "data block");
    CreateFrames(m_sizeX, m_sizeY, m_sizeZ);
    IM7::DistributeBlock(*m_buffer, m_format, m_frames, m_format.planes + m_extra, m_sizeZ, m_planeBytes, block.get());
  }
  ReadAttributes(fullGeometry && !m_readData);
  ReadMaskAndBlocks();
  RemoveAttributeEverywhere(kComponentIndex);
  PostProcess(convertByteToWord, setLegacyProfile);
}
} // namespace

void PostProcessImport(I_Buffer* buffer, int packType, bool convertByteToWord)
{
  C_BufferAttributes(buffer).SetString("_Header_PackType", std::to_string(packType));
  buffer->DeleteAttribute("SourceFileExp");
  DeriveFrameTimes(buffer);
  if (convertByteToWord)
    for (unsigned f = 0; f < buffer->GetNumberOfFrames(); ++f)
    {
      I_Frame* frame = buffer->GetFrame(f);
      if (dynamic_cast<I_FrameImage*>(frame) && frame->GetDataType() == DT_UInt8)
        frame->ChangeComponentDataType(I_FrameImage::COMPONENT_PIXEL, DT_UInt16, true);
    }
}

void ReadIM7(I_Buffer* buffer, std::FILE* file, bool readData, bool readAttributes, bool convertByteToWord,
             bool setLegacyProfile, unsigned int* sizeX, unsigned int* sizeY, unsigned int* sizeZ, unsigned int* frames)
{
  if (!buffer)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No buffer given.");
  if (!file)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No file given.");
  unsigned scratch[4] = {0, 0, 0, 0};
  C_IM7Reader reader(buffer, file, readData, readAttributes);
  reader.Read(convertByteToWord, setLegacyProfile, sizeX ? sizeX : &scratch[0], sizeY ? sizeY : &scratch[1],
              sizeZ ? sizeZ : &scratch[2], frames ? frames : &scratch[3]);
}

} // namespace BufferApi
