#include "Describe.h"

#include "Common.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace BufferApi;
using nlohmann::json;

namespace BufferTool
{
namespace
{
const std::string kTypedScalarPrefix = "TS:";

const char* AttributeTypeName(E_AttributeType type)
{
  switch (type)
  {
  case AttrNode:
    return "node";
  case AttrDouble:
    return "double";
  case AttrFloat:
    return "float";
  case AttrInt32:
    return "int32";
  case AttrString:
    return "string";
  case AttrUInt32:
    return "uint32";
  case AttrUInt16:
    return "uint16";
  case AttrPlane:
    return "plane";
  case AttrScale:
    return "scale";
  }
  return "unknown";
}

template <typename T>
bool TryValue(I_AttributeBase* attribute, json& value)
{
  if (const auto* typed = dynamic_cast<const I_Attribute<T>*>(attribute))
  {
    value = typed->GetValue();
    return true;
  }
  return false;
}

json AttributeValue(I_AttributeBase* attribute)
{
  json value;
  if (TryValue<std::string>(attribute, value) || TryValue<double>(attribute, value) ||
      TryValue<float>(attribute, value) || TryValue<std::int32_t>(attribute, value) ||
      TryValue<std::uint32_t>(attribute, value) || TryValue<std::uint16_t>(attribute, value))
    return value;
  if (const auto* plane = dynamic_cast<const I_AttributePlane*>(attribute))
  {
    const I_PlaneBase* data = plane->GetPlane();
    if (data)
      return std::to_string(data->GetWidth()) + " x " + std::to_string(data->GetHeight()) + " " +
             DataTypeName(data->GetDataType());
  }
  if (const auto* scale = dynamic_cast<const I_AttributeScale*>(attribute))
    return DescribeScale(scale->GetScale());
  return value;
}
} // namespace

json DescribeAttribute(I_AttributeBase* attribute)
{
  json node = {{"name", attribute->GetName()}, {"type", AttributeTypeName(attribute->GetType())}};
  json value = AttributeValue(attribute);
  if (!value.is_null())
    node["value"] = value;
  if (attribute->GetNumberOfChildren() > 0)
    node["children"] = DescribeAttributeChildren(attribute);
  return node;
}

json DescribeAttributeChildren(I_AttributeBase* root)
{
  json children = json::array();
  if (!root)
    return children;
  std::vector<I_AttributeBase*> list;
  root->GetChildren(list);
  for (I_AttributeBase* child : list)
    children.push_back(DescribeAttribute(child));
  return children;
}

json DescribeScale(const I_Scale* scale)
{
  if (!scale)
    return nullptr;
  const I_Unit* unit = scale->GetUnit();
  return {{"factor", scale->GetFactor()},
          {"offset", scale->ToWorld(0.0)},
          {"unit", unit ? unit->GetSymbol() : std::string()},
          {"description", scale->GetDescription()}};
}

json DescribeScales(const I_Frame& frame)
{
  return {{"X", DescribeScale(frame.GetScaleX())},
          {"Y", DescribeScale(frame.GetScaleY())},
          {"Z", DescribeScale(frame.GetScaleZ())},
          {"value", DescribeScale(frame.GetScaleI())}};
}

json TypedScalarNames(const I_Buffer& buffer)
{
  json names = json::array();
  if (const I_Frame* frame = buffer.GetFrame(0))
    for (const std::string& name : GetNamesOfFrameBoundTypedScalars(frame))
      names.push_back(name);
  std::vector<I_AttributeBase*> globals;
  if (I_AttributeBase* root = buffer.GetAttributeRoot())
    root->GetChildren(globals);
  for (const I_AttributeBase* attribute : globals)
  {
    const std::string name = attribute->GetName();
    if (attribute->GetType() == AttrPlane && name.compare(0, kTypedScalarPrefix.size(), kTypedScalarPrefix) == 0)
      names.push_back(name.substr(kTypedScalarPrefix.size()));
  }
  return names;
}

} // namespace BufferTool
