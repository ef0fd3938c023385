// The tags of the extended header: frame scales, comment, date and time, and
// the attribute trees of the buffer and of every stored frame.
//
// A tag is a head of two little-endian int32 (type, content length n) and n
// content bytes; type 0 ends the list.

#include "Buffer2File.IM7/ExtendedHeader.h"

#include "Buffer2File.IM7/BlockIO.h"
#include "Buffer2File.IM7/ScaleText.h"
#include "NumberText.h"

#include <BufferApi/Attributes.h>
#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameVector.h>
#include <BufferApi/I_PlaneBase.h>
#include <RTE/Exception.h>

#include <cstring>
#include <iostream>
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
const char* const kWriteFailure = "Can't write extended header.";
const char* const kComponentIndex = "COMPONENT_INDEX";

enum TagType : std::int32_t
{
  kEnd = 0,
  kScaleX = 1,
  kScaleY = 2,
  kScaleZ = 3,
  kScaleI = 4,
  kComment = 5,
  kAttribute = 6,
  kFrameScale = 7,
  kArrayFloat = 8,
  kArrayInt32 = 9,
  kArrayUInt16 = 10,
  kTime = 11,
  kDate = 12,
  kArrayDouble = 13,
  kPlaneFloat = 14,
  kPlaneInt32 = 15,
  kPlaneUInt16 = 16,
  kPlaneDouble = 17,
  kLastTagType = kPlaneDouble
};

//! Element type of the array and plane tags; DT_Bool for the others.
E_DataType TagElementType(std::int32_t type)
{
  switch (type)
  {
  case kArrayFloat:
  case kPlaneFloat:
    return DT_Float;
  case kArrayInt32:
  case kPlaneInt32:
    return DT_Int32;
  case kArrayUInt16:
  case kPlaneUInt16:
    return DT_UInt16;
  case kArrayDouble:
  case kPlaneDouble:
    return DT_Double;
  default:
    return DT_Bool;
  }
}

bool IsPlaneTag(std::int32_t type)
{
  return type >= kPlaneFloat && type <= kPlaneDouble;
}

//! The tag of a plane attribute by element type and row count; 0 when the
//! element type cannot be stored.
std::int32_t PlaneTagType(E_DataType type, bool oneRow)
{
  switch (type)
  {
  case DT_UInt16:
    return oneRow ? kArrayUInt16 : kPlaneUInt16;
  case DT_Float:
    return oneRow ? kArrayFloat : kPlaneFloat;
  case DT_Int32:
    return oneRow ? kArrayInt32 : kPlaneInt32;
  case DT_Double:
    return oneRow ? kArrayDouble : kPlaneDouble;
  default:
    return 0;
  }
}

//! Where the elements of an array or plane tag begin: the name and its NUL,
//! padded to ((name length + 1) rounded down to a multiple of 4) + 4.
std::size_t NameFieldSize(std::size_t nameLength)
{
  return ((nameLength + 1) & ~std::size_t(3)) + 4;
}

std::string StringValue(const I_AttributeBase* attribute)
{
  std::string value;
  Attributes::GetString(attribute, value);
  return value;
}

std::string DropTrailingNuls(std::string text)
{
  while (!text.empty() && text.back() == '\0')
    text.pop_back();
  return text;
}

// ---------------------------------------------------------------- writing

void WriteTag(std::FILE* file, std::int32_t type, const std::string& content)
{
  if (content.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    RTE_RAISE(RTE::Exception, kSourceUnit, "Tag of type " << type << " too large for the extended header.");
  WriteI32(file, type, kWriteFailure);
  WriteI32(file, static_cast<std::int32_t>(content.size()), kWriteFailure);
  WriteBytes(file, content.data(), content.size(), kWriteFailure);
}

[[noreturn]] void RaiseNotAllowed(const std::string& tagName)
{
  RTE_RAISE(RTE::Exception, kSourceUnit, "Data type of attribute " << tagName << " not allowed for IM7 export.");
}

class TagWriter
{
public:
  TagWriter(std::FILE* file, bool legacy)
      : m_file(file)
      , m_legacy(legacy)
  {
  }

  //! The children of a tree's root, from the last to the first. The root's
  //! own name is never part of a tag name. At buffer level the attributes
  //! that travel elsewhere are left out.
  void WriteTree(const I_AttributeBase* root, const std::string& frameSuffix, bool bufferLevel) const
  {
    if (!root)
      return;
    std::vector<I_AttributeBase*> children;
    root->GetChildren(children);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
      if (!(bufferLevel && TravelsElsewhere((*it)->GetName())))
        WriteNode(**it, std::string(), frameSuffix);
  }

private:
  static bool TravelsElsewhere(const std::string& name)
  {
    return name == "_Comment" || name == "_Date" || name == "_Time" || name == "_ConsecutiveMemory" ||
           name.rfind("TS:", 0) == 0;
  }

  void WriteNode(const I_AttributeBase& node, const std::string& prefix, const std::string& frameSuffix) const
  {
    const std::string name = node.GetName();
    const std::string fullName = name.empty() ? prefix : prefix + name;
    const std::string tagName = fullName + frameSuffix;
    if (const auto* plane = dynamic_cast<const I_AttributePlane*>(&node))
      WritePlane(plane->GetPlane(), tagName);
    else if (const auto* text = dynamic_cast<const I_Attribute<std::string>*>(&node))
      WriteTag(m_file, kAttribute, tagName + "=" + text->GetValue());
    else if (node.GetNumberOfChildren() == 0 && !fullName.empty())
      RaiseNotAllowed(tagName);

    std::vector<I_AttributeBase*> children;
    node.GetChildren(children);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
      WriteNode(**it, fullName + ".", frameSuffix);
  }

  void WritePlane(const I_PlaneBase* plane, const std::string& tagName) const
  {
    const std::int32_t type = plane ? PlaneTagType(plane->GetDataType(), plane->GetHeight() == 1) : 0;
    if (type == 0)
      RaiseNotAllowed(tagName);
    if (m_legacy && type >= kArrayDouble)
      return;
    const std::uint64_t elementBytes =
        std::uint64_t(plane->GetWidth()) * plane->GetHeight() * GetDataTypeSize(plane->GetDataType());
    const std::size_t nameField = NameFieldSize(tagName.size());
    const std::uint64_t total = nameField + (IsPlaneTag(type) ? 8 : 0) + elementBytes;
    if (total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
      RTE_RAISE(RTE::Exception, kSourceUnit, "Attribute " << tagName << " too large for the extended header.");

    std::string content(static_cast<std::size_t>(total), '\0');
    std::memcpy(&content[0], tagName.data(), tagName.size());
    std::size_t offset = nameField;
    if (IsPlaneTag(type))
    {
      const std::uint32_t size[2] = {plane->GetWidth(), plane->GetHeight()};
      std::memcpy(&content[offset], size, sizeof size);
      offset += sizeof size;
    }
    if (plane->GetData() && elementBytes != 0)
      std::memcpy(&content[offset], plane->GetData(), static_cast<std::size_t>(elementBytes));
    WriteTag(m_file, type, content);
  }

  std::FILE* m_file;
  bool m_legacy;
};

void WriteScaleTag(std::FILE* file, std::int32_t type, const I_Scale* scale)
{
  WriteTag(file, type, FormatScaleTag(GetScaleParts(scale)));
}

void WriteFrameScales(std::FILE* file, const I_Frame& frame, unsigned index)
{
  const std::pair<char, const I_Scale*> scales[] = {
      {'X', frame.GetScaleX()}, {'Y', frame.GetScaleY()}, {'Z', frame.GetScaleZ()}, {'I', frame.GetScaleI()}};
  for (const auto& scale : scales)
    WriteTag(file, kAttribute,
             std::string("FrameScale") + scale.first + std::to_string(index) + "=" +
                 FormatScaleLines(GetScaleParts(scale.second)));
}

// ---------------------------------------------------------------- reading

void SetBufferString(I_Buffer& buffer, const std::string& path, const std::string& value)
{
  if (auto* text = dynamic_cast<I_Attribute<std::string>*>(buffer.CreateAttribute(path, AttrString)))
    text->SetValue(value);
}

//! Name and number of a name ending in decimal digits ("ComponentName2");
//! false without trailing digits.
bool SplitTrailingNumber(const std::string& text, std::string& base, long long& number)
{
  std::size_t start = text.size();
  while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9')
    --start;
  if (start == text.size() || text.size() - start > 9)
    return false;
  base = text.substr(0, start);
  number = std::stoll(text.substr(start));
  return true;
}

class TagReader
{
public:
  explicit TagReader(I_Buffer& buffer)
      : m_buffer(buffer)
  {
  }

  void Apply(std::int32_t type, const char* content, std::size_t size)
  {
    switch (type)
    {
    case kScaleX:
    case kScaleY:
    case kScaleZ:
    case kScaleI:
      SetFrameScales(type, ParseScaleText(content, size));
      break;
    case kComment:
      SetBufferString(m_buffer, "_Comment", DropTrailingNuls(std::string(content, size)));
      break;
    case kTime:
      SetBufferString(m_buffer, "_Time", DropTrailingNuls(std::string(content, size)));
      break;
    case kDate:
      SetBufferString(m_buffer, "_Date", DropTrailingNuls(std::string(content, size)));
      break;
    case kAttribute:
      ApplyAttributeText(std::string(content, size));
      break;
    case kFrameScale:
      SetBufferString(m_buffer, "_FrameScale", FormatScaleLines(ParseScaleText(content, size)));
      break;
    case kArrayFloat:
    case kArrayInt32:
    case kArrayUInt16:
    case kArrayDouble:
    case kPlaneFloat:
    case kPlaneInt32:
    case kPlaneUInt16:
    case kPlaneDouble:
      ApplyPlane(type, content, size);
      break;
    default:
      RTE_RAISE(RTE::Exception, kSourceUnit, "Extended header: illegal tag type " << type);
    }
  }

private:
  unsigned FrameCount() const { return static_cast<unsigned>(m_buffer.GetNumberOfFrames()); }
  bool IsFrameIndex(long long index) const { return index >= 0 && index < static_cast<long long>(FrameCount()); }

  void SetFrameScales(std::int32_t type, const ScaleParts& parts)
  {
    for (unsigned f = 0; f < FrameCount(); ++f)
    {
      I_Frame* frame = m_buffer.GetFrame(f);
      if (type == kScaleI && !dynamic_cast<I_FrameImage*>(frame) && !dynamic_cast<I_FrameVector*>(frame))
        continue;
      SetFrameScale(*frame, type, parts);
    }
  }

  static void SetFrameScale(I_Frame& frame, std::int32_t type, const ScaleParts& parts)
  {
    std::unique_ptr<I_Scale> scale = MakeScale(parts);
    switch (type)
    {
    case kScaleX:
      frame.SetScaleX(scale.release());
      break;
    case kScaleY:
      frame.SetScaleY(scale.release());
      break;
    case kScaleZ:
      frame.SetScaleZ(scale.release());
      break;
    default:
      frame.SetScaleI(scale.release());
      break;
    }
  }

  //! "name=value"; without "=" the tag is ignored.
  void ApplyAttributeText(const std::string& text)
  {
    const auto equals = text.find('=');
    if (equals == std::string::npos)
      return;
    const std::string fullName = text.substr(0, equals);
    const std::string value = text.substr(equals + 1);

    std::string name;
    int frameIndex = -1;
    if (!Attributes::GetFrameIndexAndName(fullName, name, frameIndex))
      return;
    if (fullName.find('.') != std::string::npos)
    {
      // A dotted path, of the buffer or (with a trailing index) of a frame.
      if (!C_BufferAttributes(&m_buffer).SetString(fullName, value))
        SetBufferString(m_buffer, fullName, value);
      return;
    }
    if (name == "Frame_RGB_MATRIX" && IsFrameIndex(static_cast<long long>(ReadLeadingInt(value)) - 1))
      SetBufferString(m_buffer, "RGBFrame", "1");
    if (name.rfind("Component", 0) == 0 && ApplyComponentText(name, value))
      return;
    if (frameIndex < 0)
    {
      SetBufferString(m_buffer, name, value);
      return;
    }
    if (!IsFrameIndex(frameIndex))
    {
      // The file holds no such frame: keep the whole name at buffer level.
      SetBufferString(m_buffer, fullName, value);
      return;
    }
    I_Frame& frame = *m_buffer.GetFrame(static_cast<unsigned>(frameIndex));
    if (name.size() == 11 && name.rfind("FrameScale", 0) == 0 &&
        std::string("XYZI").find(name[10]) != std::string::npos)
    {
      const std::int32_t types[] = {kScaleX, kScaleY, kScaleZ, kScaleI};
      SetFrameScale(frame, types[std::string("XYZI").find(name[10])], ParseScaleText(value));
      return;
    }
    if (!name.empty())
      if (auto* attribute = dynamic_cast<I_Attribute<std::string>*>(frame.CreateAttribute(name, AttrString)))
        attribute->SetValue(value);
  }

  //! "ComponentName<d>" and "ComponentScale<d>" rename, or set the scale
  //! of, component "COMPONENT_INDEX" + d of every frame. True when consumed.
  bool ApplyComponentText(const std::string& name, const std::string& value)
  {
    std::string base;
    long long offset = 0;
    if (!SplitTrailingNumber(name, base, offset) || (base != "ComponentName" && base != "ComponentScale"))
      return false;
    for (unsigned f = 0; f < FrameCount(); ++f)
    {
      I_Frame& frame = *m_buffer.GetFrame(f);
      const I_AttributeBase* first = frame.FindAttribute(kComponentIndex);
      if (!first)
        continue;
      const long long index = static_cast<long long>(ReadLeadingInt(StringValue(first))) + offset;
      if (index < 0 || index >= static_cast<long long>(frame.GetNumberOfComponents()))
        continue;
      if (base == "ComponentName")
        frame.SetComponentName(static_cast<int>(index), value);
      else
        frame.SetComponentScale(static_cast<int>(index), MakeScale(ParseScaleText(value)).release());
    }
    return true;
  }

  [[noreturn]] static void RaiseShort(std::int32_t type, const char* what)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Extended header: tag of type " << type << " too short for " << what << ".");
  }

  void ApplyPlane(std::int32_t type, const char* content, std::size_t size)
  {
    const auto* nul = static_cast<const char*>(std::memchr(content, '\0', size));
    if (!nul)
      RaiseShort(type, "its name");
    const std::string fullName(content, nul);
    std::size_t offset = NameFieldSize(fullName.size());
    if (offset > size)
      RaiseShort(type, "its name");
    const E_DataType elementType = TagElementType(type);
    const std::uint64_t elementSize = GetDataTypeSize(elementType);
    std::uint32_t width = static_cast<std::uint32_t>((size - offset) / elementSize);
    std::uint32_t height = 1;
    if (IsPlaneTag(type))
    {
      if (size - offset < 8)
        RaiseShort(type, "its plane size");
      std::memcpy(&width, content + offset, 4);
      std::memcpy(&height, content + offset + 4, 4);
      offset += 8;
      if (std::uint64_t(width) * height > (size - offset) / elementSize)
        RTE_RAISE(RTE::Exception, kSourceUnit,
                  "Extended header: plane of " << width << " x " << height << " elements of tag type " << type
                                               << " does not fit the " << (size - offset) << " bytes left in its tag.");
    }

    std::string name;
    int frameIndex = -1;
    if (!Attributes::GetFrameIndexAndName(fullName, name, frameIndex) || name.empty())
      return;
    I_AttributePlane* attribute = nullptr;
    if (frameIndex >= 0 && IsFrameIndex(frameIndex))
      attribute =
          m_buffer.GetFrame(static_cast<unsigned>(frameIndex))->CreateAttributePlane(name, width, height, elementType);
    else
      attribute = m_buffer.CreateAttributePlane(frameIndex < 0 ? name : fullName, width, height, elementType);
    I_PlaneBase* plane = attribute ? attribute->GetPlane() : nullptr;
    const std::uint64_t bytes = std::uint64_t(width) * height * elementSize;
    if (plane && plane->GetData() && bytes != 0)
      std::memcpy(plane->GetData(), content + offset, static_cast<std::size_t>(bytes));
  }

  I_Buffer& m_buffer;
};

void CheckArguments(const void* buffer, std::FILE* file)
{
  if (!buffer)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No buffer given.");
  if (!file)
    RTE_RAISE(RTE::Exception, kSourceUnit, "No file given.");
}
} // namespace

void WriteExtendedHeader(const I_Buffer* buffer, std::FILE* file, bool legacy)
{
  CheckArguments(buffer, file);
  WriteExtendedHeader(buffer, file, legacy, static_cast<unsigned>(buffer->GetNumberOfFrames()));
}

void WriteExtendedHeader(const I_Buffer* buffer, std::FILE* file, bool legacy, unsigned storedFrames)
{
  WriteExtendedHeader(buffer, file, legacy, storedFrames, {});
}

void WriteExtendedHeader(const I_Buffer* buffer, std::FILE* file, bool legacy, unsigned storedFrames,
                         const std::vector<std::string>& attributeTexts)
{
  CheckArguments(buffer, file);
  if (storedFrames > buffer->GetNumberOfFrames())
    storedFrames = static_cast<unsigned>(buffer->GetNumberOfFrames());
  const I_Frame* first = storedFrames > 0 ? buffer->GetFrame(0) : nullptr;
  WriteScaleTag(file, kScaleX, first ? first->GetScaleX() : nullptr);
  WriteScaleTag(file, kScaleY, first ? first->GetScaleY() : nullptr);
  WriteScaleTag(file, kScaleZ, first ? first->GetScaleZ() : nullptr);
  WriteScaleTag(file, kScaleI, first ? first->GetScaleI() : nullptr);

  if (legacy)
    if (const I_AttributeBase* frameScale = buffer->FindAttribute("_FrameScale"))
      if (dynamic_cast<const I_Attribute<std::string>*>(frameScale))
        WriteTag(file, kFrameScale, FormatScaleTag(ParseScaleText(StringValue(frameScale))));

  const TagWriter writer(file, legacy);
  writer.WriteTree(buffer->GetAttributeRoot(), std::string(), true);
  for (unsigned f = 0; f < storedFrames; ++f)
  {
    const I_Frame& frame = *buffer->GetFrame(f);
    writer.WriteTree(frame.GetAttributeRoot(), std::to_string(f), false);
    WriteFrameScales(file, frame, f);
  }
  for (const std::string& text : attributeTexts)
    WriteTag(file, kAttribute, text);

  WriteTag(file, kComment, StringValue(buffer->FindAttribute("_Comment")));
  WriteTag(file, kTime, StringValue(buffer->FindAttribute("_Time")));
  if (!legacy)
    WriteTag(file, kDate, StringValue(buffer->FindAttribute("_Date")));
  WriteTag(file, kEnd, std::string());
}

void ReadExtendedHeader(I_Buffer* buffer, std::FILE* file)
{
  CheckArguments(buffer, file);
  BlockReader reader(file, "Extended header");
  TagReader tags(*buffer);
  // Every pass consumes at least the 8-byte head, so the loop ends at the
  // end of the file at the latest.
  for (;;)
  {
    std::int32_t head[2];
    if (std::fread(head, sizeof head, 1, file) != 1)
      return;
    const std::int32_t type = head[0];
    const std::int32_t length = head[1];
    if (type < 0 || type > kLastTagType)
    {
      std::cout << "Warning: Tag error in extended header\n" << std::flush;
      return;
    }
    if (type == kEnd)
      return;
    if (length < 1)
      continue;
    if (reader.Left() == 0)
      RTE_RAISE(RTE::Exception, kSourceUnit, "Extended header: no tag data.");
    const std::string what = "tag of type " + std::to_string(type);
    reader.Require(static_cast<std::uint64_t>(length), what.c_str());
    std::vector<char> content;
    try
    {
      content.resize(static_cast<std::size_t>(length) + 1);
    }
    catch (const std::bad_alloc&)
    {
      std::cout << "Warning: Out of memory during loading of extended header\n" << std::flush;
      return;
    }
    reader.Read(content.data(), static_cast<std::uint64_t>(length), what.c_str());
    content[static_cast<std::size_t>(length)] = '\0';
    tags.Apply(type, content.data(), static_cast<std::size_t>(length));
  }
}

} // namespace BufferApi
