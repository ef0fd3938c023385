#include "AttributeAccess.h"

#include <BufferApi/Attributes.h>
#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_AttributeBase.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>
#include <BufferApi/I_PlaneBase.h>

#include <RTE/Exception.h>

#include <string>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

//! The frame a split flat name refers to; null for a global name or a frame
//! index the buffer does not have.
I_Frame* FrameOf(const I_Buffer& buffer, int frameIndex)
{
  if (frameIndex < 0 || static_cast<std::size_t>(frameIndex) >= buffer.GetNumberOfFrames())
    return nullptr;
  return buffer.GetFrame(static_cast<unsigned>(frameIndex));
}

//! Splits a flat name and answers action(owner, path) for the frame or the
//! buffer whose attribute it names; `none` when the name cannot be split,
//! names a frame the buffer does not have, or names a global attribute of a
//! buffer without attribute tree (one emptied by MoveContentFrom).
template <typename Result, typename Action>
Result OnOwnerOf(I_Buffer& buffer, const std::string& name, Result none, Action action)
{
  std::string path;
  int frameIndex = -1;
  if (!Attributes::GetFrameIndexAndName(name, path, frameIndex))
    return none;
  if (frameIndex >= 0)
  {
    I_Frame* frame = FrameOf(buffer, frameIndex);
    return frame ? action(*frame, path) : none;
  }
  return buffer.GetAttributeRoot() ? action(buffer, path) : none;
}

//! Name and attribute of entry n of the attribute list; false (outputs
//! untouched) when n is beyond the list. Builds the whole list.
bool ListEntry(const C_BufferAttributes& attributes, std::size_t n, std::string& name, I_AttributeBase*& attribute)
{
  std::vector<std::string> names;
  std::vector<I_AttributeBase*> list;
  attributes.GetList(names, list);
  if (n >= names.size())
    return false;
  name = names[n];
  attribute = list[n];
  return true;
}
} // namespace

C_BufferAttributes::C_BufferAttributes(I_Buffer* buffer)
    : m_buffer(buffer)
{
  if (!m_buffer)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Empty buffer not allowed for C_BufferAttributes");
}

I_AttributeBase* C_BufferAttributes::Get(const std::string& name)
{
  return OnOwnerOf<I_AttributeBase*>(*m_buffer, name, nullptr,
                                     [](auto& owner, const std::string& path) { return owner.FindAttribute(path); });
}

const I_AttributeBase* C_BufferAttributes::Get(const std::string& name) const
{
  return const_cast<C_BufferAttributes*>(this)->Get(name);
}

BufAttr_Type C_BufferAttributes::GetType(const std::string& name) const
{
  return Attributes::GetType(Get(name));
}

std::string C_BufferAttributes::GetString(const std::string& name) const
{
  std::string value;
  Attributes::GetString(Get(name), value);
  return value;
}

void* C_BufferAttributes::GetRawData(const std::string& name)
{
  I_AttributeBase* attribute = Get(name);
  return attribute ? attribute->GetRawData() : nullptr;
}

int C_BufferAttributes::GetArray(const std::string& name, unsigned count, E_DataType type, void* destination)
{
  return Attributes::GetArrayData(Get(name), count, type, destination);
}

bool C_BufferAttributes::SetString(const std::string& name, const std::string& value)
{
  return OnOwnerOf(*m_buffer, name, false,
                   [&value](auto& owner, const std::string& path)
                   {
                     // Only a frame name of digits alone leaves the path empty.
                     if (path.empty())
                       return true;
                     auto* text = dynamic_cast<I_Attribute<std::string>*>(owner.CreateAttribute(path, AttrString));
                     if (!text)
                       return false;
                     text->SetValue(value);
                     return true;
                   });
}

bool C_BufferAttributes::SetArray(const std::string& name, unsigned count, E_DataType type, const void* data)
{
  if (!IsArrayDataType(type))
    return false;
  return OnOwnerOf(*m_buffer, name, false,
                   [&](auto& owner, const std::string& path)
                   {
                     // The path itself, never a "*" prefix: an array name must not wipe its neighbours.
                     owner.DeleteAttribute(path);
                     return FillArrayAttribute(owner.CreateAttributePlane(path, count, 1, type), count, type, data);
                   });
}

void C_BufferAttributes::Remove(const std::string& name)
{
  const std::size_t star = name.find('*');
  if (star != std::string::npos)
  {
    const std::string prefix = name.substr(0, star);
    RemoveChildrenWithPrefix(m_buffer->GetAttributeRoot(), prefix);
    for (std::size_t i = 0; i < m_buffer->GetNumberOfFrames(); ++i)
    {
      if (I_Frame* frame = m_buffer->GetFrame(static_cast<unsigned>(i)))
        RemoveChildrenWithPrefix(frame->GetAttributeRoot(), prefix);
    }
    return;
  }
  OnOwnerOf(*m_buffer, name, false,
            [](auto& owner, const std::string& path)
            {
              owner.DeleteAttribute(path);
              return true;
            });
}

void C_BufferAttributes::RemoveAll()
{
  if (I_AttributeBase* root = m_buffer->GetAttributeRoot())
    root->RemoveAllChildren();
  for (std::size_t i = 0; i < m_buffer->GetNumberOfFrames(); ++i)
  {
    if (I_Frame* frame = m_buffer->GetFrame(static_cast<unsigned>(i)))
      frame->GetAttributeRoot()->RemoveAllChildren();
  }
}

bool C_BufferAttributes::Rename(const std::string& oldName, const std::string& newName)
{
  if (Get(newName))
    return false;
  I_AttributeBase* attribute = Get(oldName);
  if (!attribute)
    return false;
  attribute->SetName(newName);
  return true;
}

void C_BufferAttributes::GetList(std::vector<std::string>& names, std::vector<I_AttributeBase*>& attributes) const
{
  names.clear();
  attributes.clear();
  Attributes::GetList(m_buffer->GetAttributeRoot(), true, "", "", names, attributes);
  for (std::size_t i = 0; i < m_buffer->GetNumberOfFrames(); ++i)
  {
    if (I_Frame* frame = m_buffer->GetFrame(static_cast<unsigned>(i)))
      Attributes::GetList(frame->GetAttributeRoot(), true, "", std::to_string(i), names, attributes);
  }
}

bool C_BufferAttributes::GetInfoN(std::size_t n, std::string& name, unsigned& count, BufAttr_Type& type) const
{
  I_AttributeBase* attribute = nullptr;
  if (!ListEntry(*this, n, name, attribute))
    return false;
  unsigned width = 0;
  unsigned height = 0;
  Attributes::GetPlaneSize(attribute, width, height);
  count = width * height;
  type = Attributes::GetType(attribute);
  return true;
}

bool C_BufferAttributes::GetN(std::size_t n, std::string& name, std::string& value) const
{
  I_AttributeBase* attribute = nullptr;
  if (!ListEntry(*this, n, name, attribute))
    return false;
  value = GetString(name);
  return true;
}

BufAttr_Type C_BufferAttributes::GetType(std::size_t n) const
{
  std::vector<std::string> names;
  std::vector<I_AttributeBase*> attributes;
  GetList(names, attributes);
  if (n >= names.size())
    return BufAttr_Unknown;
  return GetType(names[n]);
}
} // namespace BufferApi
