#include "TiffMetadata.h"

#include "TiffError.h"
#include "TiffSamples.h"

#include <BufferApi/C_AttributeBaseParam.h>
#include <BufferApi/C_AttributeFactory.h>
#include <BufferApi/C_PlaneFactory.h>
#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/C_ScaleParam.h>
#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_AttributeBase.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_AttributeScale.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>
#include <BufferApi/I_PlaneBase.h>
#include <BufferApi/I_Scale.h>
#include <BufferApi/I_Unit.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace BufferTiff
{
using namespace BufferApi;
using nlohmann::json;

namespace
{
struct AttributeKind
{
  E_AttributeType type;
  const char* name;
};

constexpr AttributeKind kAttributeKinds[] = {
    {AttrNode, "node"},     {AttrDouble, "double"}, {AttrFloat, "float"}, {AttrInt32, "int32"}, {AttrString, "string"},
    {AttrUInt32, "uint32"}, {AttrUInt16, "uint16"}, {AttrPlane, "plane"}, {AttrScale, "scale"},
};

const char* KindName(E_AttributeType type)
{
  for (const AttributeKind& kind : kAttributeKinds)
  {
    if (kind.type == type)
      return kind.name;
  }
  return nullptr;
}

E_AttributeType KindOf(const std::string& name)
{
  for (const AttributeKind& kind : kAttributeKinds)
  {
    if (name == kind.name)
      return kind.type;
  }
  Fail("damaged description: unknown attribute type '" + name + "'");
}

[[noreturn]] void Damaged(const std::string& what)
{
  Fail("damaged description: " + what);
}

const json& Member(const json& object, const char* name)
{
  if (!object.is_object() || !object.contains(name))
    Damaged(std::string("member ") + name + " is missing");
  return object.at(name);
}

std::string TextMember(const json& object, const char* name)
{
  const json& value = Member(object, name);
  if (!value.is_string())
    Damaged(std::string(name) + " is no text");
  return Utf8ToLatin1(value.get<std::string>());
}

template <typename T>
T* As(I_AttributeBase* attribute)
{
  return dynamic_cast<T*>(attribute);
}

template <typename T>
const T* As(const I_AttributeBase* attribute)
{
  return dynamic_cast<const T*>(attribute);
}

template <typename T>
T IntegerFromJson(const json& value)
{
  const double number = NumberFromJson(value, "value");
  if (!(number >= static_cast<double>(std::numeric_limits<T>::min()) &&
        number <= static_cast<double>(std::numeric_limits<T>::max())) ||
      number != std::floor(number))
    Damaged("value is out of range");
  return static_cast<T>(number);
}

json PlaneToJson(const I_PlaneBase* plane)
{
  if (plane == nullptr)
    return nullptr;
  json values = json::array();
  for (unsigned y = 0; y < plane->GetHeight(); ++y)
  {
    for (unsigned x = 0; x < plane->GetWidth(); ++x)
      values.push_back(NumberToJson(plane->GetValue(x, y)));
  }
  return {{"dataType", DataTypeName(plane->GetDataType())},
          {"width", plane->GetWidth()},
          {"height", plane->GetHeight()},
          {"values", std::move(values)}};
}

I_PlaneBase* PlaneFromJson(const json& value)
{
  if (value.is_null())
    return nullptr;
  E_DataType type = DT_Bool;
  if (!DataTypeFromName(TextMember(value, "dataType"), type))
    Damaged("unknown plane data type");
  const unsigned width = IntegerFromJson<unsigned>(Member(value, "width"));
  const unsigned height = IntegerFromJson<unsigned>(Member(value, "height"));
  const json& values = Member(value, "values");
  if (!values.is_array() || values.size() != std::uint64_t(width) * height)
    Damaged("plane values do not match the plane size");
  std::unique_ptr<I_PlaneBase> plane(CreatePlane(type, width, height));
  if (!plane)
    Damaged("plane attribute can't be created");
  std::size_t index = 0;
  for (unsigned y = 0; y < height; ++y)
  {
    for (unsigned x = 0; x < width; ++x)
      plane->SetValue(x, y, NumberFromJson(values[index++], "values"));
  }
  return plane.release();
}

json ValueToJson(const I_AttributeBase* attribute)
{
  switch (attribute->GetType())
  {
  case AttrDouble:
    return NumberToJson(As<I_Attribute<double>>(attribute)->GetValue());
  case AttrFloat:
    return NumberToJson(As<I_Attribute<float>>(attribute)->GetValue());
  case AttrInt32:
    return As<I_Attribute<int>>(attribute)->GetValue();
  case AttrUInt32:
    return As<I_Attribute<unsigned int>>(attribute)->GetValue();
  case AttrUInt16:
    return As<I_Attribute<unsigned short>>(attribute)->GetValue();
  case AttrString:
    return Latin1ToUtf8(As<I_Attribute<std::string>>(attribute)->GetValue());
  case AttrPlane:
    return PlaneToJson(As<I_AttributePlane>(attribute)->GetPlane());
  case AttrScale:
    return ScaleToJson(As<I_AttributeScale>(attribute)->GetScale());
  default:
    return nullptr;
  }
}

void SetValueFromJson(I_AttributeBase* attribute, const json& value)
{
  switch (attribute->GetType())
  {
  case AttrDouble:
    return As<I_Attribute<double>>(attribute)->SetValue(NumberFromJson(value, "value"));
  case AttrFloat:
    return As<I_Attribute<float>>(attribute)->SetValue(static_cast<float>(NumberFromJson(value, "value")));
  case AttrInt32:
    return As<I_Attribute<int>>(attribute)->SetValue(IntegerFromJson<int>(value));
  case AttrUInt32:
    return As<I_Attribute<unsigned int>>(attribute)->SetValue(IntegerFromJson<unsigned int>(value));
  case AttrUInt16:
    return As<I_Attribute<unsigned short>>(attribute)->SetValue(IntegerFromJson<unsigned short>(value));
  case AttrString:
    if (!value.is_string())
      Damaged("value is no text");
    return As<I_Attribute<std::string>>(attribute)->SetValue(Utf8ToLatin1(value.get<std::string>()));
  case AttrPlane:
    return As<I_AttributePlane>(attribute)->SetPlane(PlaneFromJson(value));
  case AttrScale:
    return As<I_AttributeScale>(attribute)->SetScale(ScaleFromJson(value));
  default:
    return;
  }
}

void AppendUtf8(std::string& out, unsigned codePoint)
{
  if (codePoint < 0x80)
  {
    out += static_cast<char>(codePoint);
    return;
  }
  out += static_cast<char>(0xC0 | (codePoint >> 6));
  out += static_cast<char>(0x80 | (codePoint & 0x3F));
}

//! Length of the UTF-8 sequence a lead byte opens; 1 for a stray byte.
std::size_t SequenceLength(unsigned char lead)
{
  if (lead >= 0xF0)
    return 4;
  if (lead >= 0xE0)
    return 3;
  if (lead >= 0xC0)
    return 2;
  return 1;
}
} // namespace

std::string Latin1ToUtf8(const std::string& text)
{
  std::string out;
  out.reserve(text.size());
  for (const char c : text)
    AppendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

std::string Utf8ToLatin1(const std::string& text)
{
  std::string out;
  for (std::size_t i = 0; i < text.size();)
  {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = SequenceLength(lead);
    if (length == 2 && i + 1 < text.size())
    {
      const unsigned codePoint = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
      out += codePoint <= 0xFF ? static_cast<char>(codePoint) : '?';
    }
    else
      out += length == 1 ? static_cast<char>(lead) : '?';
    i += length;
  }
  return out;
}

json NumberToJson(double value)
{
  if (std::isnan(value))
    return "NaN";
  if (std::isinf(value))
    return value > 0 ? "Infinity" : "-Infinity";
  return value;
}

double NumberFromJson(const json& value, const char* member)
{
  if (value.is_number())
    return value.get<double>();
  if (value == "NaN")
    return std::numeric_limits<double>::quiet_NaN();
  if (value == "Infinity")
    return std::numeric_limits<double>::infinity();
  if (value == "-Infinity")
    return -std::numeric_limits<double>::infinity();
  Damaged(std::string(member) + " is no number");
}

json ScaleToJson(const I_Scale* scale)
{
  if (scale == nullptr)
    return nullptr;
  const std::string description = Latin1ToUtf8(scale->GetDescription());
  if (scale->GetType() != I_ScaleEnums::ScaleLinear)
    return {{"type", "invalid"}, {"description", description}};
  const I_Unit* unit = scale->GetUnit();
  return {{"type", "linear"},
          {"factor", NumberToJson(scale->GetFactor())},
          {"offset", NumberToJson(scale->ToWorld(0.0))},
          {"unit", unit != nullptr ? Latin1ToUtf8(unit->GetSymbol()) : std::string()},
          {"description", description}};
}

I_Scale* ScaleFromJson(const json& value)
{
  if (value.is_null())
    return nullptr;
  const std::string type = TextMember(value, "type");
  const std::string description = TextMember(value, "description");
  C_ScaleFactory& factory = C_ScaleFactory::GetInstance();
  if (type == "invalid")
    return factory.CreateScale(I_ScaleEnums::ScaleInvalid, C_ScaleParam(nullptr, description));
  if (type != "linear")
    Damaged("unknown scale type '" + type + "'");
  return factory.CreateLinearScale(NumberFromJson(Member(value, "factor"), "factor"),
                                   NumberFromJson(Member(value, "offset"), "offset"), TextMember(value, "unit"),
                                   description);
}

json AttributesToJson(const I_AttributeBase* node)
{
  json attributes = json::array();
  if (node == nullptr)
    return attributes;
  std::vector<I_AttributeBase*> children;
  node->GetChildren(children);
  for (const I_AttributeBase* child : children)
  {
    const char* kind = KindName(child->GetType());
    if (kind == nullptr)
      continue;
    json entry = {{"name", Latin1ToUtf8(child->GetName())}, {"type", kind}};
    if (child->GetType() != AttrNode)
      entry["value"] = ValueToJson(child);
    if (child->GetNumberOfChildren() != 0)
      entry["children"] = AttributesToJson(child);
    attributes.push_back(std::move(entry));
  }
  return attributes;
}

void AttributesFromJson(const json& attributes, I_AttributeBase* parent)
{
  if (!attributes.is_array())
    Damaged("attributes are no list");
  for (const json& entry : attributes)
  {
    const E_AttributeType type = KindOf(TextMember(entry, "type"));
    std::unique_ptr<I_AttributeBase> attribute(
        C_AttributeFactory::GetInstance().CreateAttribute(type, C_AttributeBaseParam(TextMember(entry, "name"))));
    if (!attribute)
      Damaged("attribute can't be created");
    if (type != AttrNode)
      SetValueFromJson(attribute.get(), Member(entry, "value"));
    if (entry.contains("children"))
      AttributesFromJson(entry.at("children"), attribute.get());
    parent->AddChild(attribute.release());
  }
}

unsigned PlaneOf(const json& description)
{
  return IntegerFromJson<unsigned>(Member(description, "plane"));
}

unsigned PlanesOf(const json& description)
{
  const auto planes = IntegerFromJson<unsigned>(Member(description, "planes"));
  if (planes == 0)
    Damaged("a frame without planes");
  return planes;
}

void ApplyFrameDescription(const json& description, I_Frame* frame)
{
  if (description.contains("frameName"))
    frame->SetName(TextMember(description, "frameName"));
  if (description.contains("scales"))
  {
    const json& scales = description.at("scales");
    if (I_Scale* scale = ScaleFromJson(Member(scales, "x")))
      frame->SetScaleX(scale);
    if (I_Scale* scale = ScaleFromJson(Member(scales, "y")))
      frame->SetScaleY(scale);
    if (I_Scale* scale = ScaleFromJson(Member(scales, "z")))
      frame->SetScaleZ(scale);
    if (I_Scale* scale = ScaleFromJson(Member(scales, "i")))
      frame->SetScaleI(scale);
  }
  if (description.contains("attributes"))
    AttributesFromJson(description.at("attributes"), frame->GetAttributeRoot());
}

void ApplyBufferDescription(const json& description, I_Buffer* buffer)
{
  if (description.contains("bufferAttributes"))
    AttributesFromJson(description.at("bufferAttributes"), buffer->GetAttributeRoot());
}

json ParseDescription(const char* text)
{
  if (text == nullptr)
    return nullptr;
  json description = json::parse(text, nullptr, false);
  if (!description.is_object() || !description.contains("writer") || description.at("writer") != kWriterName)
    return nullptr;
  return description;
}

} // namespace BufferTiff
