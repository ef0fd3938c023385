#include "TypedScalarComponent.h"

#include <BufferApi/C_AttributeFactory.h>
#include <BufferApi/C_AttributeParam.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Component.h>
#include <BufferApi/I_Frame.h>
#include <BufferApi/I_PlaneBase.h>
#include <BufferApi/I_Scale.h>
#include <BufferApi/TypedScalar.h>
#include <RTE/Exception.h>

#include <cstring>
#include <limits>
#include <memory>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

void CheckBuffer(const I_Buffer* buffer)
{
  if (!buffer)
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Buffer must not be empty.");
  }
}

void CheckName(const std::string& name)
{
  if (name.empty())
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Name of typed scalar must not be empty.");
  }
}

void AppendInt32Child(I_AttributeBase* parent, const char* name, unsigned value)
{
  I_AttributeBase* child = C_AttributeFactory::GetInstance().CreateAttribute(
      AttrInt32, C_AttributeParam<int>(name, static_cast<int>(value)));
  parent->AddChild(child);
}
} // namespace

std::string TypedScalarName(const std::string& name)
{
  return kTypedScalarPrefix + name;
}

bool IsTypedScalarName(const std::string& text)
{
  return text.compare(0, 3, kTypedScalarPrefix) == 0;
}

I_Component* FindTypedScalarComponent(const I_Frame* frame, const std::string& name)
{
  if (!frame)
  {
    return nullptr;
  }
  const std::string componentName = TypedScalarName(name);
  const int count = static_cast<int>(frame->GetNumberOfComponents());
  for (int i = 0; i < count; ++i)
  {
    if (frame->GetComponentName(i) == componentName)
    {
      return frame->GetComponent(i);
    }
  }
  return nullptr;
}

bool CopyPlaneBytes(const I_PlaneBase* source, I_PlaneBase* destination)
{
  if (!source || !destination || source == destination || source->GetDataType() != destination->GetDataType() ||
      source->GetWidth() != destination->GetWidth() || source->GetHeight() != destination->GetHeight())
  {
    return false;
  }
  const void* from = source->GetData();
  void* to = destination->GetData();
  if (!from || !to)
  {
    return false;
  }
  const std::uint64_t bytes = GetDataTypeSize(source->GetDataType()) * source->GetWidth() * source->GetHeight();
  std::memmove(to, from, static_cast<std::size_t>(bytes));
  return true;
}

void ReadLinearScale(const I_Scale* scale, double& factor, double& offset, std::string& unit, std::string& description)
{
  factor = 1.0;
  offset = 0.0;
  unit.clear();
  description.clear();
  if (!scale)
  {
    return;
  }
  factor = scale->GetFactor();
  offset = scale->ToWorld(0.0);
  unit = scale->GetUnit() ? scale->GetUnit()->GetSymbol() : std::string();
  description = scale->GetDescription();
}

void CreateTypedScalarInFrame(I_Frame* frame, const std::string& name, E_DataType type)
{
  if (!frame)
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Frame must not be empty.");
  }
  CheckName(name);
  const std::string componentName = TypedScalarName(name);
  if (const I_Component* existing = FindTypedScalarComponent(frame, name))
  {
    if (existing->GetDataType() == type)
    {
      return;
    }
    frame->DeleteComponent(componentName);
  }
  const std::vector<void*> noMemory;
  frame->CreateComponent(componentName, type, &noMemory);
}

C_TypedScalarFrame CreateTypedScalarFrameBound(I_Buffer* buffer, const std::string& name, E_DataType type)
{
  CheckBuffer(buffer);
  const std::size_t count = buffer->GetNumberOfFrames();
  for (std::size_t i = 0; i < count; ++i)
  {
    CreateTypedScalarInFrame(buffer->GetFrame(static_cast<unsigned>(i)), name, type);
  }
  return C_TypedScalarFrame(buffer, name);
}

void ChangeDataTypeOfTypedScalar(I_Buffer* buffer, const std::string& name, E_DataType type)
{
  CheckBuffer(buffer);
  CheckName(name);
  const std::string componentName = TypedScalarName(name);
  const std::size_t count = buffer->GetNumberOfFrames();
  for (std::size_t i = 0; i < count; ++i)
  {
    I_Frame* frame = buffer->GetFrame(static_cast<unsigned>(i));
    // A frame without the typed scalar has nothing to convert.
    if (FindTypedScalarComponent(frame, name))
    {
      frame->ChangeComponentDataType(componentName, type, true);
    }
  }
}

std::vector<std::string> GetNamesOfFrameBoundTypedScalars(const I_Frame* frame)
{
  std::vector<std::string> names;
  if (!frame)
  {
    return names;
  }
  const int count = static_cast<int>(frame->GetNumberOfComponents());
  for (int i = 0; i < count; ++i)
  {
    const std::string componentName = frame->GetComponentName(i);
    if (IsTypedScalarName(componentName))
    {
      names.push_back(componentName.substr(3));
    }
  }
  return names;
}

std::size_t GetNumberOfFrameBoundTypedScalars(const I_Frame* frame)
{
  return GetNamesOfFrameBoundTypedScalars(frame).size();
}

bool HasTypedScalarFrameBound(const I_Frame* frame, const std::string& name)
{
  return FindTypedScalarComponent(frame, name) != nullptr;
}

bool HasTypedScalarFrameBound(const I_Buffer* buffer, const std::string& name)
{
  return buffer && HasTypedScalarFrameBound(buffer->GetFrame(0), name);
}

C_TypedScalarGlobal CreateTypedScalarGlobal(I_Buffer* buffer, const std::string& name, E_DataType type, unsigned sizeX,
                                            unsigned sizeY, unsigned sizeZ, unsigned sizeF)
{
  CheckBuffer(buffer);
  CheckName(name);
  // The plane height and the size children are 32-bit: a volume beyond them
  // would be stored with a wrapped size.
  const std::uint64_t height = std::uint64_t(sizeY) * sizeZ * sizeF;
  const auto int32Max = static_cast<unsigned>(std::numeric_limits<std::int32_t>::max());
  if (height > std::numeric_limits<unsigned>::max() || sizeZ > int32Max || sizeF > int32Max)
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit,
              "Typed scalar volume " << sizeX << " x " << sizeY << " x " << sizeZ << " x " << sizeF
                                     << " is too large.");
  }
  I_AttributePlane* attribute =
      buffer->CreateAttributePlane(TypedScalarName(name), sizeX, static_cast<unsigned>(height), type);
  if (attribute)
  {
    AppendInt32Child(attribute, "SizeZ", sizeZ);
    AppendInt32Child(attribute, "SizeF", sizeF);
  }
  return C_TypedScalarGlobal(buffer, name);
}

bool HasTypedScalarGlobal(const I_Buffer* buffer, const std::string& name)
{
  return C_TypedScalarGlobal(const_cast<I_Buffer*>(buffer), name).IsExisting();
}
} // namespace BufferApi
