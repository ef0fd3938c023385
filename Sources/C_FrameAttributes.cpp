#include "AttributeAccess.h"

#include <BufferApi/Attributes.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_AttributeBase.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_Frame.h>

#include <RTE/Exception.h>

#include <string>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
}

C_FrameAttributes::C_FrameAttributes(I_Frame* frame)
    : m_frame(frame)
{
  if (!m_frame)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Empty frame not allowed for C_FrameAttributes");
}

I_AttributeBase* C_FrameAttributes::Get(const std::string& path)
{
  return m_frame->FindAttribute(path);
}

const I_AttributeBase* C_FrameAttributes::Get(const std::string& path) const
{
  return m_frame->FindAttribute(path);
}

BufAttr_Type C_FrameAttributes::GetType(const std::string& path) const
{
  return Attributes::GetType(Get(path));
}

std::string C_FrameAttributes::GetString(const std::string& path) const
{
  std::string value;
  Attributes::GetString(Get(path), value);
  return value;
}

void* C_FrameAttributes::GetRawData(const std::string& path)
{
  I_AttributeBase* attribute = Get(path);
  return attribute ? attribute->GetRawData() : nullptr;
}

int C_FrameAttributes::GetArray(const std::string& path, unsigned count, E_DataType type, void* destination)
{
  return Attributes::GetArrayData(Get(path), count, type, destination);
}

bool C_FrameAttributes::SetString(const std::string& path, const std::string& value)
{
  if (path.empty())
    return false;
  auto* text = dynamic_cast<I_Attribute<std::string>*>(m_frame->CreateAttribute(path, AttrString));
  if (!text)
    return false;
  text->SetValue(value);
  return true;
}

bool C_FrameAttributes::SetArray(const std::string& path, unsigned count, E_DataType type, const void* data)
{
  if (path.empty())
    return false;
  // The path itself, never a "*" prefix: an array name must not wipe its neighbours.
  m_frame->DeleteAttribute(path);
  I_AttributePlane* attribute = m_frame->CreateAttributePlane(path, count, 1, type);
  return FillArrayAttribute(attribute, count, type, data);
}

void C_FrameAttributes::Remove(const std::string& path)
{
  const std::size_t star = path.find('*');
  if (star != std::string::npos)
    RemoveChildrenWithPrefix(m_frame->GetAttributeRoot(), path.substr(0, star));
  else
    m_frame->DeleteAttribute(path);
}

void C_FrameAttributes::RemoveAll()
{
  m_frame->GetAttributeRoot()->RemoveAllChildren();
}

void C_FrameAttributes::GetList(std::vector<std::string>& names, std::vector<I_AttributeBase*>& attributes) const
{
  names.clear();
  attributes.clear();
  Attributes::GetList(m_frame->GetAttributeRoot(), true, "", "", names, attributes);
}
} // namespace BufferApi
