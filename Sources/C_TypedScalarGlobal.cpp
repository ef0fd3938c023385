#include <BufferApi/C_TypedScalarGlobal.h>

#include "TypedScalarComponent.h"

#include <BufferApi/C_AttributeBaseParam.h>
#include <BufferApi/C_AttributeFactory.h>
#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_AttributeScale.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_PlaneBase.h>
#include <BufferApi/I_Scale.h>
#include <BufferApi/TypedScalar.h>
#include <RTE/Exception.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

std::string ScaleChildName(C_TypedScalarGlobal::ScaleAxis_t axis)
{
  static const char letters[] = {'X', 'Y', 'Z', 'F', 'I'};
  const int index = static_cast<int>(axis);
  return std::string("Scale") + (index >= 0 && index < 5 ? letters[index] : '?');
}

//! The value of an int32 child, or 1 when it is missing or of another kind.
int SizeChild(const I_AttributeBase& attribute, const char* name)
{
  const auto* child = dynamic_cast<const I_Attribute<int>*>(attribute.FindChild(name));
  return child ? child->GetValue() : 1;
}

I_Scale* CloneOf(const I_Scale* scale)
{
  return scale ? scale->Clone() : nullptr;
}
} // namespace

C_TypedScalarGlobal::C_TypedScalarGlobal(I_Buffer* buffer, const std::string& name)
    : m_buffer(buffer)
    , m_name(name)
    , m_attribute(Find())
{
}

I_AttributeBase* C_TypedScalarGlobal::Find() const
{
  I_AttributeBase* root = m_buffer ? m_buffer->GetAttributeRoot() : nullptr;
  if (!root)
  {
    return nullptr;
  }
  const std::string attributeName = TypedScalarName(m_name);
  std::vector<I_AttributeBase*> children;
  root->GetChildren(children);
  for (I_AttributeBase* child : children)
  {
    if (child->GetName() == attributeName)
    {
      return child;
    }
  }
  return nullptr;
}

I_AttributeBase* C_TypedScalarGlobal::Attribute() const
{
  // The cached pointer is only used while the buffer still holds it, so an
  // attribute deleted behind the handle's back is never touched.
  I_AttributeBase* root = m_attribute && m_buffer ? m_buffer->GetAttributeRoot() : nullptr;
  if (!root)
  {
    return nullptr;
  }
  std::vector<I_AttributeBase*> children;
  root->GetChildren(children);
  return std::find(children.begin(), children.end(), m_attribute) != children.end() ? m_attribute : nullptr;
}

bool C_TypedScalarGlobal::IsExisting() const
{
  return Attribute() != nullptr;
}

I_PlaneBase* C_TypedScalarGlobal::GetPlaneWithVolumeData() const
{
  const auto* planeAttribute = dynamic_cast<const I_AttributePlane*>(Attribute());
  return planeAttribute ? planeAttribute->GetPlane() : nullptr;
}

bool C_TypedScalarGlobal::GetSize(unsigned& sizeX, unsigned& sizeY, unsigned& sizeZ, unsigned& sizeF) const
{
  const I_PlaneBase* plane = GetPlaneWithVolumeData();
  if (!plane)
  {
    return false;
  }
  const int z = SizeChild(*m_attribute, "SizeZ");
  const int f = SizeChild(*m_attribute, "SizeF");
  // A volume with no slices or blocks has no defined Y size.
  if (z < 1 || f < 1)
  {
    return false;
  }
  sizeX = plane->GetWidth();
  sizeZ = static_cast<unsigned>(z);
  sizeF = static_cast<unsigned>(f);
  sizeY = static_cast<unsigned>(plane->GetHeight() / (std::uint64_t(sizeZ) * sizeF));
  return true;
}

I_Scale* C_TypedScalarGlobal::GetScale(ScaleAxis_t axis) const
{
  const I_AttributeBase* attribute = Attribute();
  const auto* child =
      attribute ? dynamic_cast<const I_AttributeScale*>(attribute->FindChild(ScaleChildName(axis))) : nullptr;
  return child ? child->GetScale() : nullptr;
}

void C_TypedScalarGlobal::SetScale(ScaleAxis_t axis, I_Scale* scale)
{
  std::unique_ptr<I_Scale> owned(scale);
  I_AttributeBase* attribute = Attribute();
  if (!attribute)
  {
    return;
  }
  const std::string childName = ScaleChildName(axis);
  attribute->RemoveChild(childName);
  if (!owned)
  {
    return;
  }
  I_AttributeBase* child =
      C_AttributeFactory::GetInstance().CreateAttribute(AttrScale, C_AttributeBaseParam(childName));
  auto* scaleChild = dynamic_cast<I_AttributeScale*>(child);
  if (!scaleChild)
  {
    delete child;
    return;
  }
  scaleChild->SetScale(owned.release());
  attribute->AddChild(child);
}

void C_TypedScalarGlobal::SetLinearScale(double factor, double offset, const std::string& unit,
                                         const std::string& description, ScaleAxis_t axis)
{
  if (IsExisting())
  {
    SetScale(axis, C_ScaleFactory::GetInstance().CreateLinearScale(factor, offset, unit, description));
  }
}

void C_TypedScalarGlobal::GetLinearScale(double& factor, double& offset, std::string& unit, std::string& description,
                                         ScaleAxis_t axis) const
{
  ReadLinearScale(GetScale(axis), factor, offset, unit, description);
}

void C_TypedScalarGlobal::Remove()
{
  if (I_AttributeBase* attribute = Attribute())
  {
    // The found child itself, also when the name holds a path separator.
    m_buffer->GetAttributeRoot()->RemoveChild(attribute->GetName());
  }
  m_attribute = nullptr;
}

void C_TypedScalarGlobal::CopyFrom(const C_TypedScalarGlobal& source)
{
  unsigned x = 0;
  unsigned y = 0;
  unsigned z = 0;
  unsigned f = 0;
  const I_PlaneBase* sourcePlane = source.GetPlaneWithVolumeData();
  if (!sourcePlane || !source.GetSize(x, y, z, f) || source.Attribute() == Attribute())
  {
    return;
  }
  const E_DataType type = sourcePlane->GetDataType();
  CreateTypedScalarGlobal(m_buffer, m_name, type, x, y, z, f);
  m_attribute = Find();
  I_PlaneBase* plane = GetPlaneWithVolumeData();
  if (plane && plane->GetData() && sourcePlane->GetData() && plane->GetDataType() == type)
  {
    const std::uint64_t rowBytes = GetDataTypeSize(type) * x;
    const std::uint64_t rows = std::uint64_t(y) * z * f;
    // Both planes hold at least this many rows of x elements.
    if (rows <= plane->GetHeight() && rows <= sourcePlane->GetHeight())
    {
      std::memcpy(plane->GetData(), sourcePlane->GetData(), static_cast<std::size_t>(rowBytes * rows));
    }
  }
  for (ScaleAxis_t axis : {Axis_X, Axis_Y, Axis_Z, Axis_I})
  {
    if (const I_Scale* scale = source.GetScale(axis))
    {
      SetScale(axis, scale->Clone());
    }
  }
}

void C_TypedScalarGlobal::Copy(I_Buffer* source, const std::list<std::string>& names, I_Buffer* destination)
{
  if (!source || !destination)
  {
    return;
  }
  std::list<std::string> toCopy = names;
  if (toCopy.empty())
  {
    if (const I_AttributeBase* root = source->GetAttributeRoot())
    {
      std::vector<I_AttributeBase*> children;
      root->GetChildren(children);
      for (const I_AttributeBase* child : children)
      {
        if (IsTypedScalarName(child->GetName()))
        {
          toCopy.push_back(child->GetName().substr(3));
        }
      }
    }
  }
  for (const std::string& name : toCopy)
  {
    const C_TypedScalarGlobal sourceHandle(source, name);
    if (sourceHandle.IsExisting())
    {
      C_TypedScalarGlobal(destination, name).CopyFrom(sourceHandle);
    }
  }
}

void C_TypedScalarGlobal::ImportFromBuffer(I_Buffer* source)
{
  if (!source)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Source is empty!");
  }
  const auto* first = dynamic_cast<const I_FrameImage*>(source->GetFrame(0));
  if (!first)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Source is no image!");
  }
  const unsigned width = first->GetWidth();
  const unsigned height = first->GetHeight();
  const unsigned depth = first->GetDepth();
  const E_DataType type = first->GetDataType();
  const auto frames = static_cast<unsigned>(source->GetNumberOfFrames());
  Remove();
  CreateTypedScalarGlobal(m_buffer, m_name, type, width, height, depth, frames);
  m_attribute = Find();
  I_PlaneBase* volume = GetPlaneWithVolumeData();
  if (!volume || !volume->GetData() || volume->GetDataType() != type)
  {
    return;
  }
  auto* bytes = static_cast<unsigned char*>(volume->GetData());
  const std::uint64_t sliceBytes = GetDataTypeSize(type) * width * height;
  const std::size_t count = std::min(m_buffer->GetNumberOfFrames(), source->GetNumberOfFrames());
  for (std::size_t f = 0; f < count; ++f)
  {
    const auto* image = dynamic_cast<const I_FrameImage*>(source->GetFrame(static_cast<unsigned>(f)));
    for (unsigned z = 0; image && z < depth; ++z)
    {
      const I_PlaneBase* plane = image->GetPlane(z);
      // Planes that do not match the first frame's slices are skipped.
      if (!plane || !plane->GetData() || plane->GetDataType() != type || plane->GetWidth() != width ||
          plane->GetHeight() != height)
      {
        continue;
      }
      std::memcpy(bytes + (f * depth + z) * sliceBytes, plane->GetData(), static_cast<std::size_t>(sliceBytes));
    }
  }
  SetScale(Axis_X, CloneOf(first->GetScaleX()));
  SetScale(Axis_Y, CloneOf(first->GetScaleY()));
  SetScale(Axis_Z, CloneOf(first->GetScaleZ()));
  SetScale(Axis_I, CloneOf(first->GetScaleI()));
}

I_Buffer* C_TypedScalarGlobal::ExportToBuffer(int frameIndex) const
{
  unsigned x = 0;
  unsigned y = 0;
  unsigned z = 0;
  unsigned f = 0;
  const I_PlaneBase* volume = GetPlaneWithVolumeData();
  if (!volume || !GetSize(x, y, z, f))
  {
    return nullptr;
  }
  double factor = 1.0;
  double offset = 0.0;
  std::string unit;
  std::string description;
  GetLinearScale(factor, offset, unit, description, Axis_I);

  std::unique_ptr<I_Buffer> result(CreateBuffer());
  const E_DataType type = volume->GetDataType();
  const auto* bytes = static_cast<const unsigned char*>(volume->GetData());
  const std::uint64_t sliceBytes = GetDataTypeSize(type) * x * y;
  for (unsigned block = 0; block < f; ++block)
  {
    if (frameIndex != -1 && static_cast<unsigned>(frameIndex) != block)
    {
      continue;
    }
    I_FrameImage* image = result->AddImageFrame(x, y, z, type);
    if (!image)
    {
      continue;
    }
    for (unsigned slice = 0; bytes && slice < z; ++slice)
    {
      I_PlaneBase* plane = image->GetPlane(slice);
      if (plane && plane->GetData() && plane->GetDataType() == type)
      {
        std::memcpy(plane->GetData(), bytes + (std::uint64_t(block) * z + slice) * sliceBytes,
                    static_cast<std::size_t>(sliceBytes));
      }
    }
    image->SetScaleI(C_ScaleFactory::GetInstance().CreateLinearScale(factor, offset, unit, description));
  }
  return result.release();
}
} // namespace BufferApi
