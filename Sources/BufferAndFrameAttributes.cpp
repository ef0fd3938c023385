// Free functions of the flat-name attribute access: splitting flat names,
// type reports, numeric conversions, listing and copying.

#include "AttributeAccess.h"

#include <BufferApi/Attributes.h>
#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_AttributeBase.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>
#include <BufferApi/I_Plane.h>
#include <BufferApi/I_PlaneBase.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>

namespace BufferApi
{
namespace
{
bool IsDigit(char c)
{
  return c >= '0' && c <= '9';
}

const char* const kGlobalPrefixes[] = {"DevData", "ExpPathValue_", "Component", "ProfileName", "Geo"};

//! Truncation toward zero; values beyond int (and NaN) would be undefined in
//! a plain cast, so they saturate (NaN gives 0).
int ToInt32(double value)
{
  if (std::isnan(value))
    return 0;
  if (value <= static_cast<double>(INT_MIN))
    return INT_MIN;
  if (value >= static_cast<double>(INT_MAX))
    return INT_MAX;
  return static_cast<int>(value);
}

//! The low 16 bits of the value truncated toward zero to a 64-bit integer
//! (saturated beyond its range, NaN as 0), so -1.7 gives 65535.
unsigned short ToWord(double value)
{
  std::int64_t wide = 0;
  if (std::isnan(value))
    wide = 0;
  else if (value <= -9223372036854775808.0)
    wide = INT64_MIN;
  else if (value >= 9223372036854775808.0)
    wide = INT64_MAX;
  else
    wide = static_cast<std::int64_t>(value);
  return static_cast<unsigned short>(static_cast<std::uint64_t>(wide) & 0xFFFFu);
}

//! One converted destination: at most one of the pointers is set.
struct Destination
{
  int* asInt = nullptr;
  float* asFloat = nullptr;
  double* asDouble = nullptr;
  unsigned short* asWord = nullptr;

  Destination(E_DataType type, void* destination)
  {
    if (!destination)
      return;
    switch (type)
    {
    case DT_Int32:
      asInt = static_cast<int*>(destination);
      break;
    case DT_Float:
      asFloat = static_cast<float*>(destination);
      break;
    case DT_Double:
      asDouble = static_cast<double*>(destination);
      break;
    case DT_UInt16:
      asWord = static_cast<unsigned short*>(destination);
      break;
    default:
      break;
    }
  }

  bool IsPresent() const { return asInt || asFloat || asDouble || asWord; }

  void PutReal(std::size_t k, double value) const
  {
    if (asInt)
      asInt[k] = ToInt32(value);
    else if (asFloat)
      asFloat[k] = static_cast<float>(value);
    else if (asDouble)
      asDouble[k] = value;
    else if (asWord)
      asWord[k] = ToWord(value);
  }

  void PutInt(std::size_t k, int value) const
  {
    if (asInt)
      asInt[k] = value;
    else if (asFloat)
      asFloat[k] = static_cast<float>(value);
    else if (asDouble)
      asDouble[k] = static_cast<double>(value);
    else if (asWord)
      asWord[k] = static_cast<unsigned short>(static_cast<unsigned>(value) & 0xFFFFu);
  }
};

//! Reads element (x, y) of an integer plane through its typed access when
//! the data is there; otherwise through the guarded read (which gives 0).
template <typename T>
int ReadIntElement(const I_PlaneBase& plane, unsigned x, unsigned y)
{
  const auto* typed = dynamic_cast<const I_Plane<T>*>(&plane);
  if (typed && plane.GetData())
    return static_cast<int>(typed->GetElement(x, y));
  return static_cast<int>(plane.GetValue(x, y));
}

template <typename T>
void FillTyped(I_PlaneBase& plane, unsigned count, const void* data)
{
  const T* values = static_cast<const T*>(data);
  auto* typed = dynamic_cast<I_Plane<T>*>(&plane);
  const unsigned n = std::min(count, plane.GetWidth());
  if (plane.GetHeight() == 0)
    return;
  for (unsigned i = 0; i < n; ++i)
  {
    if (typed && plane.GetData())
      typed->SetElement(i, 0, values[i]);
    else
      plane.SetValue(i, 0, static_cast<double>(values[i]));
  }
}
} // namespace

bool IsArrayDataType(E_DataType type)
{
  return type == DT_Double || type == DT_Float || type == DT_Int32 || type == DT_UInt16;
}

bool FillArrayAttribute(I_AttributePlane* attribute, unsigned count, E_DataType type, const void* data)
{
  if (!attribute || !IsArrayDataType(type) || !data)
    return false;
  if (count == 0)
    return true;
  I_PlaneBase* plane = attribute->GetPlane();
  if (!plane)
    return false;
  switch (type)
  {
  case DT_Double:
    FillTyped<double>(*plane, count, data);
    break;
  case DT_Float:
    FillTyped<float>(*plane, count, data);
    break;
  case DT_Int32:
    FillTyped<int>(*plane, count, data);
    break;
  default:
    FillTyped<unsigned short>(*plane, count, data);
    break;
  }
  return true;
}

void RemoveChildrenWithPrefix(I_AttributeBase* root, const std::string& prefix)
{
  if (!root)
    return;
  std::vector<I_AttributeBase*> children;
  root->GetChildren(children);
  std::vector<std::string> doomed;
  for (const I_AttributeBase* child : children)
  {
    const std::string name = child->GetName();
    if (name.compare(0, prefix.size(), prefix) == 0)
      doomed.push_back(name);
  }
  // RemoveChild takes the first of a name, so one call per match removes namesakes too.
  for (const std::string& name : doomed)
    root->RemoveChild(name);
}

namespace Attributes
{
bool GetFrameIndexAndName(const std::string& fullName, std::string& name, int& frameIndex)
{
  frameIndex = -1;
  name = fullName;
  if (fullName.empty() || StartsWith(fullName, "TS:"))
    return false;
  for (const char* prefix : kGlobalPrefixes)
  {
    if (StartsWith(fullName, prefix))
      return true;
  }
  if (fullName.size() == 1)
    return !IsDigit(fullName[0]);
  if (!IsDigit(fullName.back()))
    return true;

  std::size_t start = fullName.size();
  while (start > 0 && IsDigit(fullName[start - 1]))
    --start;
  long long value = 0;
  for (std::size_t i = start; i < fullName.size(); ++i)
  {
    value = value * 10 + (fullName[i] - '0');
    if (value > INT_MAX)
    {
      // Too long for an int: no buffer has that many frames.
      value = INT_MAX;
      break;
    }
  }
  frameIndex = static_cast<int>(value);
  name = fullName.substr(0, start);
  return true;
}

BufAttr_Type GetType(const I_AttributeBase* attribute)
{
  if (!attribute)
    return BufAttr_Unknown;
  if (dynamic_cast<const I_Attribute<std::string>*>(attribute))
    return BufAttr_String;
  if (dynamic_cast<const I_Attribute<double>*>(attribute))
    return BufAttr_Double;
  if (dynamic_cast<const I_Attribute<float>*>(attribute))
    return BufAttr_Float;
  if (dynamic_cast<const I_Attribute<int>*>(attribute))
    return BufAttr_Int;
  if (dynamic_cast<const I_Attribute<unsigned short>*>(attribute))
    return BufAttr_Word;
  if (const auto* planeAttribute = dynamic_cast<const I_AttributePlane*>(attribute))
  {
    const I_PlaneBase* plane = planeAttribute->GetPlane();
    if (!plane)
      return BufAttr_Unknown;
    switch (plane->GetDataType())
    {
    case DT_Double:
      return BufAttr_Double;
    case DT_Float:
      return BufAttr_Float;
    case DT_Int32:
      return BufAttr_Int;
    case DT_UInt16:
      return BufAttr_Word;
    default:
      return BufAttr_Unknown;
    }
  }
  return BufAttr_Unknown;
}

bool GetString(const I_AttributeBase* attribute, std::string& value)
{
  value.clear();
  const auto* text = dynamic_cast<const I_Attribute<std::string>*>(attribute);
  if (!text)
    return false;
  value = text->GetValue();
  return true;
}

int GetArrayData(I_AttributeBase* attribute, unsigned count, E_DataType type, void* destination)
{
  if (!attribute || count == 0)
    return 0;
  const Destination out(type, destination);

  if (dynamic_cast<const I_Attribute<std::string>*>(attribute))
    return 0;
  if (const auto* a = dynamic_cast<const I_Attribute<double>*>(attribute))
  {
    out.PutReal(0, a->GetValue());
    return 1;
  }
  if (const auto* a = dynamic_cast<const I_Attribute<float>*>(attribute))
  {
    out.PutReal(0, a->GetValue());
    return 1;
  }
  if (const auto* a = dynamic_cast<const I_Attribute<int>*>(attribute))
  {
    out.PutInt(0, a->GetValue());
    return 1;
  }
  if (const auto* a = dynamic_cast<const I_Attribute<unsigned short>*>(attribute))
  {
    out.PutInt(0, static_cast<int>(a->GetValue()));
    return 1;
  }
  const auto* planeAttribute = dynamic_cast<const I_AttributePlane*>(attribute);
  if (!planeAttribute || !planeAttribute->GetPlane())
    return 0;

  const I_PlaneBase& plane = *planeAttribute->GetPlane();
  const std::size_t width = plane.GetWidth();
  const std::size_t total = width * plane.GetHeight();
  if (!out.IsPresent())
    return static_cast<int>(std::min<std::size_t>(total, INT_MAX));
  const std::size_t n = std::min<std::size_t>(count, total);
  const E_DataType planeType = plane.GetDataType();
  for (std::size_t k = 0; k < n; ++k)
  {
    const auto x = static_cast<unsigned>(k % width);
    const auto y = static_cast<unsigned>(k / width);
    switch (planeType)
    {
    case DT_Double:
    case DT_Float:
      out.PutReal(k, plane.GetValue(x, y));
      break;
    case DT_Int32:
      out.PutInt(k, ReadIntElement<int>(plane, x, y));
      break;
    case DT_UInt16:
      out.PutInt(k, ReadIntElement<unsigned short>(plane, x, y));
      break;
    default:
      break;
    }
  }
  return static_cast<int>(n);
}

void GetPlaneSize(I_AttributeBase* attribute, unsigned& width, unsigned& height)
{
  width = 0;
  height = 0;
  const auto* planeAttribute = dynamic_cast<const I_AttributePlane*>(attribute);
  if (!planeAttribute || !planeAttribute->GetPlane())
    return;
  width = planeAttribute->GetPlane()->GetWidth();
  height = planeAttribute->GetPlane()->GetHeight();
}

void GetList(I_AttributeBase* node, bool isRoot, const std::string& prefix, const std::string& suffix,
             std::vector<std::string>& names, std::vector<I_AttributeBase*>& attributes)
{
  if (!node)
    return;
  std::string path;
  if (!isRoot)
  {
    path = prefix + node->GetName();
    if (node->GetType() != AttrNode)
    {
      names.push_back(path + suffix);
      attributes.push_back(node);
    }
    path += ".";
  }
  std::vector<I_AttributeBase*> children;
  node->GetChildren(children);
  for (auto it = children.rbegin(); it != children.rend(); ++it)
  {
    if (StartsWith((*it)->GetName(), "TS:"))
      continue;
    GetList(*it, false, path, suffix, names, attributes);
  }
}

bool Copy(I_Buffer* source, I_Buffer* destination, bool copyGlobal, bool copyFrames, bool copyAll)
{
  if (!source || !destination)
    return false;
  I_AttributeBase* sourceRoot = source->GetAttributeRoot();
  I_AttributeBase* destinationRoot = destination->GetAttributeRoot();
  if (copyGlobal && sourceRoot && destinationRoot)
  {
    if (copyAll)
    {
      destination->CopyAttributes(sourceRoot);
    }
    else
    {
      std::vector<I_AttributeBase*> children;
      sourceRoot->GetChildren(children);
      for (const I_AttributeBase* child : children)
      {
        const std::string name = child->GetName();
        if (StartsWith(name, "TS:") || StartsWith(name, "_"))
          continue;
        I_AttributeBase::CreatePath(destinationRoot, name, child->Clone());
      }
    }
  }
  if (copyFrames)
  {
    const std::size_t frames = std::min(source->GetNumberOfFrames(), destination->GetNumberOfFrames());
    for (std::size_t i = 0; i < frames; ++i)
    {
      I_Frame* from = source->GetFrame(static_cast<unsigned>(i));
      I_Frame* to = destination->GetFrame(static_cast<unsigned>(i));
      if (from && to)
        to->CopyAttributes(from->GetAttributeRoot());
    }
  }
  return true;
}

bool Copy(I_Buffer* source, unsigned sourceFrame, I_Buffer* destination, unsigned destinationFrame)
{
  if (!source || !destination)
    return false;
  I_Frame* from = source->GetFrame(sourceFrame);
  I_Frame* to = destination->GetFrame(destinationFrame);
  if (!from || !to)
    return false;
  to->CopyAttributes(from->GetAttributeRoot());
  return true;
}
} // namespace Attributes

int CreateAttributesFromPathValues(I_Buffer* buffer, std::string path, bool stripExtension)
{
  if (!buffer || path.size() < 2)
    return 0;
  std::replace(path.begin(), path.end(), '/', '_');
  std::replace(path.begin(), path.end(), '\\', '_');
  if (stripExtension)
  {
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos)
      path.erase(dot);
  }

  C_BufferAttributes attributes(buffer);
  int written = 0;
  std::size_t scan = 0;
  while (scan < path.size())
  {
    const std::size_t equals = path.find('=', scan);
    if (equals == std::string::npos)
      break;
    const std::size_t separator = equals == 0 ? std::string::npos : path.find_last_of("._:", equals - 1);
    const std::size_t keyStart = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t valueEnd = path.find('_', equals + 1);
    const std::string key = path.substr(keyStart, equals - keyStart);
    const std::string value =
        path.substr(equals + 1, (valueEnd == std::string::npos ? path.size() : valueEnd) - equals - 1);
    if (attributes.SetString("ExpPathValue_" + key, value))
      ++written;
    if (valueEnd == std::string::npos)
      break;
    scan = valueEnd;
  }
  return written;
}
} // namespace BufferApi
