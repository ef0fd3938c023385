// The typed-scalar block and the per-frame component-scale block.
//
// Typed-scalar record: uint32 size X, Y, Z, frames, kind (1 frame component,
// 0 global "TS:" attribute), int32 element format, uint32 name length L, the
// name and a 0 byte, five scales (X, Y, Z, identity, value; each an int32
// length k and k + 1 bytes of scale text), the uint32 pack-type word when
// the block is packed, then the data packed with PackBlock.

#include "Buffer2File.IM7/ExtendedHeader.h"

#include "Buffer2File.IM7/BlockIO.h"
#include "Buffer2File.IM7/PlanePacking.h"
#include "Buffer2File.IM7/ScaleText.h"

#include <BufferApi/C_AttributeFactory.h>
#include <BufferApi/C_AttributeParam.h>
#include <BufferApi/C_AttributePlaneParam.h>
#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_AttributeScale.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>
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
const char* const kWriteFailure = "Can't write typed scalar data.";
const char* const kScaleWriteFailure = "Can't write component scales.";
const char* const kPeakRatio = "Peak ratio";
const std::uint64_t kNoSize = std::numeric_limits<std::uint64_t>::max();

bool IsTypedScalarType(E_DataType type)
{
  return type == DT_UInt16 || type == DT_Double || type == DT_Float || type == DT_Int32;
}

std::int32_t ElementFormat(E_DataType type)
{
  switch (type)
  {
  case DT_Double:
    return -5;
  case DT_Float:
    return -3;
  case DT_Int32:
    return -21;
  default:
    return -4;
  }
}

//! The element type of a record's format code (the image codes of the IM7
//! header that name one of the four types); DT_Bool for any other code.
E_DataType DecodeElementFormat(std::int32_t format)
{
  switch (format)
  {
  case -5:
    return DT_Double;
  case -3:
  case -20:
    return DT_Float;
  case -21:
    return DT_Int32;
  case -4:
  case -10:
  case 0:
    return DT_UInt16;
  default:
    return DT_Bool;
  }
}

//! a * b, or kNoSize when it does not fit.
std::uint64_t Multiply(std::uint64_t a, std::uint64_t b)
{
  if (a == kNoSize || b == kNoSize || (a != 0 && b > kNoSize / a))
    return kNoSize;
  return a * b;
}

//! A vector frame whose file code has a peak-ratio plane: "Peak ratio" goes
//! into the data block there, not into a typed-scalar record.
bool HasPeakRatioPlane(const I_Frame& frame)
{
  const auto* vectors = dynamic_cast<const I_FrameVector*>(&frame);
  return vectors && vectors->GetNumberOfChoices() > 1 && frame.GetComponentIndex(kPeakRatio) >= 0;
}

//! Frame 0's components stored as typed-scalar records, in record order.
std::vector<int> RecordComponents(const I_Frame& frame)
{
  std::vector<int> indices;
  const bool peakRatioPlane = HasPeakRatioPlane(frame);
  for (unsigned c = 0; c < frame.GetNumberOfComponents(); ++c)
  {
    const int index = static_cast<int>(c);
    if (frame.IsComponentDeletable(c) && IsTypedScalarType(frame.GetComponentDataType(index)) &&
        !(peakRatioPlane && frame.GetComponentName(index) == kPeakRatio))
      indices.push_back(index);
  }
  return indices;
}

struct GlobalScalar
{
  const I_AttributeBase* attribute = nullptr;
  const I_PlaneBase* plane = nullptr;
  unsigned sizes[4] = {0, 0, 0, 0};
};

int SizeChild(const I_AttributeBase& attribute, const char* name)
{
  const auto* child = dynamic_cast<const I_Attribute<int>*>(attribute.FindChild(name));
  return child ? child->GetValue() : 1;
}

const I_Scale* ScaleChild(const I_AttributeBase& attribute, const char* name)
{
  const auto* child = dynamic_cast<const I_AttributeScale*>(attribute.FindChild(name));
  return child ? child->GetScale() : nullptr;
}

//! The global typed scalars that a record can hold: "TS:" plane attributes
//! at the top of the buffer's tree with one of the four element types and a
//! volume of at least one element. Others are not typed scalars of a file.
std::vector<GlobalScalar> GlobalScalars(const I_Buffer& buffer)
{
  std::vector<GlobalScalar> scalars;
  const I_AttributeBase* root = buffer.GetAttributeRoot();
  if (!root)
    return scalars;
  std::vector<I_AttributeBase*> children;
  root->GetChildren(children);
  for (const I_AttributeBase* child : children)
  {
    const auto* attribute = dynamic_cast<const I_AttributePlane*>(child);
    if (!attribute || child->GetName().rfind("TS:", 0) != 0)
      continue;
    GlobalScalar scalar;
    scalar.attribute = child;
    scalar.plane = attribute->GetPlane();
    const int z = SizeChild(*child, "SizeZ");
    const int f = SizeChild(*child, "SizeF");
    if (!scalar.plane || !scalar.plane->GetData() || !IsTypedScalarType(scalar.plane->GetDataType()) || z < 1 || f < 1)
      continue;
    const std::uint64_t blocks = std::uint64_t(z) * std::uint64_t(f);
    scalar.sizes[0] = scalar.plane->GetWidth();
    scalar.sizes[1] = static_cast<unsigned>(scalar.plane->GetHeight() / blocks);
    scalar.sizes[2] = static_cast<unsigned>(z);
    scalar.sizes[3] = static_cast<unsigned>(f);
    if (scalar.sizes[0] != 0 && scalar.sizes[1] != 0)
      scalars.push_back(scalar);
  }
  return scalars;
}

unsigned ClampFrames(const I_Buffer& buffer, unsigned storedFrames)
{
  const std::size_t frames = buffer.GetNumberOfFrames();
  return storedFrames < frames ? storedFrames : static_cast<unsigned>(frames);
}

// ---------------------------------------------------------------- writing

void WriteScaleText(std::FILE* file, const I_Scale* scale, const char* failure)
{
  const std::string text = FormatScaleTag(GetScaleParts(scale));
  WriteI32(file, static_cast<std::int32_t>(text.size() - 1), failure);
  WriteBytes(file, text.data(), text.size(), failure);
}

struct RecordHead
{
  unsigned sizes[4];
  unsigned kind;
  E_DataType type;
  std::string name;
  const I_Scale* scales[5];
};

void WriteRecordHead(std::FILE* file, const RecordHead& head, int packType)
{
  for (unsigned size : head.sizes)
    WriteU32(file, size, kWriteFailure);
  WriteU32(file, head.kind, kWriteFailure);
  WriteI32(file, ElementFormat(head.type), kWriteFailure);
  WriteU32(file, static_cast<std::uint32_t>(head.name.size()), kWriteFailure);
  WriteBytes(file, head.name.c_str(), head.name.size() + 1, kWriteFailure);
  for (const I_Scale* scale : head.scales)
    WriteScaleText(file, scale, kWriteFailure);
  if (packType != 0)
    WriteU32(file, packType == 19 ? 1u : static_cast<std::uint32_t>(packType), kWriteFailure);
}

void Pack(std::FILE* file, const void* data, std::uint64_t bytes, int packType, unsigned columns)
{
  const int result = PackBlock(file, data, bytes, packType, columns);
  if (result == -1)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Out of memory when writing typed scalar data.");
  if (result == -2)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Compression format not implemented yet.");
}

//! The bytes of plane z of component `name` of a frame when it matches the
//! record (type and size); null otherwise, and the record holds zeros there.
const void* MatchingPlaneData(const I_Frame& frame, const std::string& name, E_DataType type, unsigned z,
                              const unsigned sizes[4])
{
  const int index = frame.GetComponentIndex(name);
  const I_PlaneBase* plane = index >= 0 ? frame.GetPlane(index, z) : nullptr;
  if (!plane || plane->GetDataType() != type || plane->GetWidth() != sizes[0] || plane->GetHeight() != sizes[1])
    return nullptr;
  return plane->GetData();
}

void WriteComponentRecord(const I_Buffer& buffer, int index, unsigned storedFrames, std::FILE* file, int packType)
{
  const I_Frame& first = *buffer.GetFrame(0);
  RecordHead head{{first.GetWidth(), first.GetHeight(), first.GetDepth(), storedFrames},
                  1,
                  first.GetComponentDataType(index),
                  first.GetComponentName(index),
                  {first.GetScaleX(), first.GetScaleY(), first.GetScaleZ(), nullptr, first.GetComponentScale(index)}};
  WriteRecordHead(file, head, packType);

  const std::uint64_t planeBytes = std::uint64_t(head.sizes[0]) * head.sizes[1] * GetDataTypeSize(head.type);
  std::vector<unsigned char> block;
  try
  {
    block.resize(packType == 0 ? planeBytes : planeBytes * head.sizes[2] * storedFrames);
  }
  catch (const std::bad_alloc&)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Out of memory when writing typed scalar data.");
  }
  unsigned char* next = block.data();
  for (unsigned f = 0; f < storedFrames; ++f)
    for (unsigned z = 0; z < head.sizes[2]; ++z)
    {
      const void* data = MatchingPlaneData(*buffer.GetFrame(f), head.name, head.type, z, head.sizes);
      if (packType == 0)
      {
        // Plane by plane straight from the component.
        if (!data)
          std::memset(block.data(), 0, block.size());
        Pack(file, data ? data : block.data(), planeBytes, 0, head.sizes[0]);
        continue;
      }
      if (data)
        std::memcpy(next, data, planeBytes);
      next += planeBytes;
    }
  if (packType != 0)
    Pack(file, block.data(), block.size(), packType, head.sizes[0]);
}

void WriteGlobalRecord(const GlobalScalar& scalar, std::FILE* file, int packType)
{
  const I_AttributeBase& attribute = *scalar.attribute;
  RecordHead head{{scalar.sizes[0], scalar.sizes[1], scalar.sizes[2], scalar.sizes[3]},
                  0,
                  scalar.plane->GetDataType(),
                  attribute.GetName(),
                  {ScaleChild(attribute, "ScaleX"), ScaleChild(attribute, "ScaleY"), ScaleChild(attribute, "ScaleZ"),
                   nullptr, ScaleChild(attribute, "ScaleI")}};
  WriteRecordHead(file, head, packType);
  const std::uint64_t bytes =
      std::uint64_t(head.sizes[0]) * head.sizes[1] * head.sizes[2] * head.sizes[3] * GetDataTypeSize(head.type);
  Pack(file, scalar.plane->GetData(), bytes, packType, head.sizes[0]);
}

// ---------------------------------------------------------------- reading

class RecordReader
{
public:
  RecordReader(I_Buffer& buffer, std::FILE* file, int packType)
      : m_buffer(buffer)
      , m_reader(file, "Typed-scalar block")
      , m_packType(packType)
  {
  }

  void ReadBlock()
  {
    const std::uint32_t count = m_reader.ReadU32("record count");
    // Every record consumes bytes of the file, so a damaged count ends at
    // the end of the file with an exception.
    for (std::uint32_t r = 0; r < count; ++r)
      ReadRecord();
  }

private:
  struct Record
  {
    std::uint32_t sizes[4];
    std::uint32_t kind;
    E_DataType type;
    std::string name;
    ScaleParts scales[5];
    int packType;
    std::uint64_t planeBytes;
    std::uint64_t bytes;
  };

  void ReadRecord()
  {
    Record record;
    for (std::uint32_t& size : record.sizes)
      size = m_reader.ReadU32("record head");
    record.kind = m_reader.ReadU32("record head");
    const std::int32_t format = m_reader.ReadI32("record head");
    const std::uint32_t nameLength = m_reader.ReadU32("record head");
    m_reader.Require(std::uint64_t(nameLength) + 1, "record name");
    record.name.resize(nameLength);
    m_reader.Read(&record.name[0], nameLength, "record name");
    m_reader.Skip(1, "record name");
    for (ScaleParts& scale : record.scales)
      scale = ReadScale();
    record.type = DecodeElementFormat(format);
    if (record.type == DT_Bool)
      RTE_RAISE(RTE::Exception, kSourceUnit, "TypedScalar_ReadSingle: Can't read data type " << format);
    if (record.kind > 1)
      m_reader.Fail("record " + record.name + " has unknown kind " + std::to_string(record.kind) + ".");
    record.packType = m_packType;
    if (m_packType != 0)
      record.packType = static_cast<int>(m_reader.ReadU32("pack type word"));
    record.planeBytes = Multiply(Multiply(record.sizes[0], record.sizes[1]), GetDataTypeSize(record.type));
    record.bytes = Multiply(Multiply(record.planeBytes, record.sizes[2]), record.sizes[3]);
    if (record.bytes == 0)
      m_reader.Fail("record " + record.name + " has an empty size.");
    CheckDataFits(record);
    if (record.kind == 1)
      ReadComponentRecord(record);
    else
      ReadGlobalRecord(record);
  }

  ScaleParts ReadScale()
  {
    const std::int32_t length = m_reader.ReadI32("scale length");
    if (length < 0)
      return ScaleParts();
    const std::uint64_t bytes = std::uint64_t(length) + 1;
    m_reader.Require(bytes, "scale text");
    std::string text(static_cast<std::size_t>(bytes), '\0');
    m_reader.Read(&text[0], bytes, "scale text");
    return ParseScaleText(text);
  }

  //! Unpacked data may exceed the file by the largest packing ratio at most.
  void CheckDataFits(const Record& record) const
  {
    const std::uint64_t left = m_reader.Left();
    if (record.packType == 0 ? record.bytes > left : record.bytes / kMaxUnpackRatio > left)
      m_reader.Fail("data of record " + record.name + " needs " +
                    (record.bytes == kNoSize ? std::string("more than 2^64") : std::to_string(record.bytes)) +
                    (record.packType == 0 ? " bytes, file has " : " unpacked bytes, file has ") + std::to_string(left) +
                    ".");
  }

  static std::vector<unsigned char> Allocate(std::uint64_t bytes)
  {
    try
    {
      return std::vector<unsigned char>(static_cast<std::size_t>(bytes));
    }
    catch (const std::bad_alloc&)
    {
      RTE_RAISE(RTE::Exception, kSourceUnit, "TypedScalar_ReadSingle: Out of memory when reading typed scalar data.");
    }
  }

  //! The component of the record's name and type in frame, made when needed.
  static int ProvideComponent(I_Frame& frame, const Record& record)
  {
    int index = frame.GetComponentIndex(record.name);
    if (index >= 0 && frame.GetComponentDataType(index) != record.type)
    {
      if (!frame.IsComponentDeletable(static_cast<unsigned>(index)))
        RTE_RAISE(RTE::Exception, kSourceUnit,
                  "Typed-scalar block: record " << record.name << " clashes with a component of the frame.");
      frame.DeleteComponent(static_cast<unsigned>(index));
      index = -1;
    }
    if (index < 0)
      index = static_cast<int>(frame.CreateComponent(record.name, record.type));
    return index;
  }

  void ReadComponentRecord(const Record& record)
  {
    const unsigned frames = static_cast<unsigned>(m_buffer.GetNumberOfFrames());
    const unsigned filled = record.sizes[3] < frames ? record.sizes[3] : frames;
    for (unsigned f = 0; f < filled; ++f)
    {
      const I_Frame& frame = *m_buffer.GetFrame(f);
      if (frame.GetWidth() != record.sizes[0] || frame.GetHeight() != record.sizes[1] ||
          frame.GetDepth() != record.sizes[2])
        m_reader.Fail("record " + record.name + " of " + std::to_string(record.sizes[0]) + " x " +
                      std::to_string(record.sizes[1]) + " x " + std::to_string(record.sizes[2]) +
                      " does not fit frame " + std::to_string(f) + ".");
    }
    std::vector<int> components(frames);
    for (unsigned f = 0; f < frames; ++f)
    {
      I_Frame& frame = *m_buffer.GetFrame(f);
      components[f] = ProvideComponent(frame, record);
      frame.SetComponentScale(components[f], MakeScale(record.scales[4]).release());
    }

    std::vector<unsigned char> block;
    if (record.packType != 0)
    {
      block = Allocate(record.bytes);
      UnpackBlock(m_reader.File(), block.data(), record.bytes, record.packType, record.sizes[0], true);
    }
    const unsigned char* next = block.data();
    for (unsigned f = 0; f < record.sizes[3]; ++f)
      for (unsigned z = 0; z < record.sizes[2]; ++z, next += record.packType != 0 ? record.planeBytes : 0)
      {
        I_PlaneBase* plane = f < filled ? m_buffer.GetFrame(f)->GetPlane(components[f], z) : nullptr;
        void* data = plane ? plane->GetData() : nullptr;
        if (record.packType != 0)
        {
          if (data)
            std::memcpy(data, next, record.planeBytes);
        }
        else if (data)
          UnpackBlock(m_reader.File(), data, record.planeBytes, 0, record.sizes[0], true);
        else
          m_reader.Skip(record.planeBytes, "record data");
      }
  }

  void ReadGlobalRecord(const Record& record)
  {
    const std::uint64_t rows = Multiply(Multiply(record.sizes[1], record.sizes[2]), record.sizes[3]);
    if (rows > std::numeric_limits<std::uint32_t>::max())
      m_reader.Fail("record " + record.name + " has more rows than a plane can hold.");
    C_AttributeFactory& factory = C_AttributeFactory::GetInstance();
    std::unique_ptr<I_AttributeBase> attribute(factory.CreateAttribute(
        AttrPlane, C_AttributePlaneParam(record.name, record.type, record.sizes[0], static_cast<unsigned>(rows))));
    auto* planeAttribute = dynamic_cast<I_AttributePlane*>(attribute.get());
    I_PlaneBase* plane = planeAttribute ? planeAttribute->GetPlane() : nullptr;
    if (!plane || !plane->GetData())
      RTE_RAISE(RTE::Exception, kSourceUnit, "TypedScalar_ReadSingle: Out of memory when reading typed scalar data.");
    UnpackBlock(m_reader.File(), plane->GetData(), record.bytes, record.packType, record.sizes[0], true);

    attribute->AddChild(factory.CreateAttribute(AttrInt32, C_AttributeParam<int>("SizeZ", int(record.sizes[2]))));
    attribute->AddChild(factory.CreateAttribute(AttrInt32, C_AttributeParam<int>("SizeF", int(record.sizes[3]))));
    const std::pair<const char*, int> scales[] = {{"ScaleX", 0}, {"ScaleY", 1}, {"ScaleZ", 2}, {"ScaleI", 4}};
    for (const auto& scale : scales)
    {
      std::unique_ptr<I_AttributeBase> child(factory.CreateAttribute(AttrScale, C_AttributeBaseParam(scale.first)));
      if (auto* holder = dynamic_cast<I_AttributeScale*>(child.get()))
        holder->SetScale(MakeScale(record.scales[scale.second]).release());
      attribute->AddChild(child.release());
    }
    // The name is taken literally: a "." in it is no path.
    I_AttributeBase* root = m_buffer.GetAttributeRoot();
    if (!root)
      return;
    root->RemoveChild(record.name);
    root->AddChild(attribute.release());
  }

  I_Buffer& m_buffer;
  BlockReader m_reader;
  int m_packType;
};

// ---------------------------------------------------------------- component scales

bool SameScale(const I_Scale* a, const I_Scale* b)
{
  if (!a || !b)
    return a == b;
  return a->IsEqual(b);
}

const I_Scale* ScaleOf(const I_Frame& frame, const std::string& name)
{
  const int index = frame.GetComponentIndex(name);
  return index >= 0 ? frame.GetComponentScale(index) : nullptr;
}

struct ScaleEntry
{
  std::uint32_t readerIndex;
  std::string name;
};

//! The components whose scale differs between the stored frames, with the
//! index the component has in the frame the reader builds: the frame type's
//! own components (and the peak ratio of a VC7 code with one), "MASK" when
//! the file has a mask, then the typed-scalar records in order.
std::vector<ScaleEntry> ComponentScaleEntries(const I_Buffer& buffer, unsigned storedFrames)
{
  std::vector<ScaleEntry> entries;
  if (storedFrames < 2)
    return entries;
  const I_Frame& first = *buffer.GetFrame(0);
  unsigned own = 0;
  for (unsigned c = 0; c < first.GetNumberOfComponents(); ++c)
    if (!first.IsComponentDeletable(c) && first.GetComponentName(static_cast<int>(c)) != I_Frame::COMPONENT_MASK)
      ++own;

  std::vector<ScaleEntry> candidates;
  if (HasPeakRatioPlane(first))
    candidates.push_back({own++, kPeakRatio});
  const std::uint32_t recordsStart = own + (first.HasMask() ? 1 : 0);
  const std::vector<int> records = RecordComponents(first);
  for (std::size_t r = 0; r < records.size(); ++r)
    candidates.push_back({static_cast<std::uint32_t>(recordsStart + r), first.GetComponentName(records[r])});

  for (const ScaleEntry& candidate : candidates)
  {
    const I_Scale* reference = ScaleOf(first, candidate.name);
    for (unsigned f = 1; f < storedFrames; ++f)
      if (!SameScale(reference, ScaleOf(*buffer.GetFrame(f), candidate.name)))
      {
        entries.push_back(candidate);
        break;
      }
  }
  return entries;
}

void CheckArguments(const void* buffer, std::FILE* file)
{
  if (!buffer)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No buffer given.");
  if (!file)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No file given.");
}
} // namespace

bool HasTypedScalars(const I_Buffer* buffer)
{
  if (!buffer)
    return false;
  if (buffer->GetNumberOfFrames() > 0 && !RecordComponents(*buffer->GetFrame(0)).empty())
    return true;
  return !GlobalScalars(*buffer).empty();
}

void WriteTypedScalars(const I_Buffer* buffer, std::FILE* file, int packType)
{
  CheckArguments(buffer, file);
  WriteTypedScalars(buffer, file, packType, static_cast<unsigned>(buffer->GetNumberOfFrames()));
}

void WriteTypedScalars(const I_Buffer* buffer, std::FILE* file, int packType, unsigned storedFrames)
{
  CheckArguments(buffer, file);
  if (packType < 0 || packType >= 20)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Compression format not implemented yet.");
  storedFrames = ClampFrames(*buffer, storedFrames);
  const std::vector<int> components = storedFrames > 0 ? RecordComponents(*buffer->GetFrame(0)) : std::vector<int>();
  const std::vector<GlobalScalar> globals = GlobalScalars(*buffer);
  WriteU32(file, static_cast<std::uint32_t>(components.size() + globals.size()), kWriteFailure);
  for (int index : components)
    WriteComponentRecord(*buffer, index, storedFrames, file, packType);
  for (const GlobalScalar& scalar : globals)
    WriteGlobalRecord(scalar, file, packType);
}

void ReadTypedScalars(I_Buffer* buffer, std::FILE* file, int packType)
{
  CheckArguments(buffer, file);
  RecordReader(*buffer, file, packType).ReadBlock();
}

bool HasComponentScales(const I_Buffer* buffer)
{
  return buffer && HasComponentScales(buffer, static_cast<unsigned>(buffer->GetNumberOfFrames()));
}

bool HasComponentScales(const I_Buffer* buffer, unsigned storedFrames)
{
  return buffer && !ComponentScaleEntries(*buffer, ClampFrames(*buffer, storedFrames)).empty();
}

void WriteComponentScales(const I_Buffer* buffer, std::FILE* file)
{
  CheckArguments(buffer, file);
  WriteComponentScales(buffer, file, static_cast<unsigned>(buffer->GetNumberOfFrames()));
}

void WriteComponentScales(const I_Buffer* buffer, std::FILE* file, unsigned storedFrames)
{
  CheckArguments(buffer, file);
  storedFrames = ClampFrames(*buffer, storedFrames);
  const std::vector<ScaleEntry> entries = ComponentScaleEntries(*buffer, storedFrames);
  WriteU32(file, static_cast<std::uint32_t>(entries.size()), kScaleWriteFailure);
  for (const ScaleEntry& entry : entries)
  {
    WriteU32(file, entry.readerIndex, kScaleWriteFailure);
    for (unsigned f = 0; f < storedFrames; ++f)
    {
      const I_Scale* scale = ScaleOf(*buffer->GetFrame(f), entry.name);
      if (scale)
        WriteScaleText(file, scale, kScaleWriteFailure);
      else
      {
        WriteI32(file, 0, kScaleWriteFailure);
        WriteBytes(file, "", 1, kScaleWriteFailure);
      }
    }
  }
}

void ReadComponentScales(I_Buffer* buffer, std::FILE* file)
{
  CheckArguments(buffer, file);
  BlockReader reader(file, "Component-scale block");
  const std::uint32_t count = reader.ReadU32("entry count");
  for (std::uint32_t e = 0; e < count; ++e)
  {
    const std::uint32_t index = reader.ReadU32("component index");
    for (unsigned f = 0; f < buffer->GetNumberOfFrames(); ++f)
    {
      const std::int32_t length = reader.ReadI32("scale length");
      std::unique_ptr<I_Scale> scale;
      if (length > 0)
      {
        const std::uint64_t bytes = std::uint64_t(length) + 1;
        reader.Require(bytes, "scale text");
        std::string text(static_cast<std::size_t>(bytes), '\0');
        reader.Read(&text[0], bytes, "scale text");
        scale = MakeScale(ParseScaleText(text));
      }
      else
      {
        reader.Skip(length == 0 ? 1 : 0, "scale text");
        scale.reset(C_ScaleFactory::GetInstance().CreateLinearScale(1.0, 0.0, "counts", ""));
      }
      I_Frame& frame = *buffer->GetFrame(f);
      if (index < frame.GetNumberOfComponents())
        frame.SetComponentScale(static_cast<int>(index), scale.release());
    }
  }
}

} // namespace BufferApi
