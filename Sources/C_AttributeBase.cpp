#include "C_AttributeBase.h"

#include <algorithm>
#include <typeinfo>

namespace BufferApi
{
C_AttributeBase::C_AttributeBase(const std::string& name)
    : m_name(name)
{
}

C_AttributeBase::~C_AttributeBase() = default;

bool C_AttributeBase::IsSameType(const I_BufferLibObject* other) const
{
  return other != nullptr && typeid(*other) == typeid(*this);
}

bool C_AttributeBase::IsNotEqual(const I_BufferLibObject* other) const
{
  return !IsEqual(other);
}

bool C_AttributeBase::IsEqual(const I_BufferLibObject* other) const
{
  if (!IsSameType(other))
  {
    return false;
  }
  const auto* otherAttribute = dynamic_cast<const I_AttributeBase*>(other);
  return otherAttribute != nullptr && HasSameStructure(*this, *otherAttribute) && IsValueEqual(*otherAttribute);
}

bool C_AttributeBase::HasSameStructure(const I_AttributeBase& a, const I_AttributeBase& b)
{
  if (a.GetName() != b.GetName())
  {
    return false;
  }
  std::vector<I_AttributeBase*> childrenA;
  std::vector<I_AttributeBase*> childrenB;
  a.GetChildren(childrenA);
  b.GetChildren(childrenB);
  if (childrenB.size() < childrenA.size())
  {
    return false;
  }
  for (std::size_t i = 0; i < childrenA.size(); ++i)
  {
    if (!HasSameStructure(*childrenA[i], *childrenB[i]))
    {
      return false;
    }
  }
  return true;
}

void C_AttributeBase::AddChild(I_AttributeBase* child)
{
  // Adding the node to itself would make it own itself; there is nothing to take over.
  if (child == nullptr || child == this)
  {
    return;
  }
  m_children.emplace_back(child);
}

void C_AttributeBase::RemoveChild(const std::string& name)
{
  const auto found = std::find_if(m_children.begin(), m_children.end(),
                                  [&name](const std::unique_ptr<I_AttributeBase>& c) { return c->GetName() == name; });
  if (found != m_children.end())
  {
    // Take the child out of the list before it is destroyed, so that its
    // destruction never sees a half-updated parent.
    std::unique_ptr<I_AttributeBase> removed = std::move(*found);
    m_children.erase(found);
  }
}

void C_AttributeBase::RemoveAllChildren()
{
  std::vector<std::unique_ptr<I_AttributeBase>> removed;
  removed.swap(m_children);
}

void C_AttributeBase::GetChildren(std::vector<I_AttributeBase*>& out) const
{
  out.clear();
  out.reserve(m_children.size());
  for (const auto& child : m_children)
  {
    out.push_back(child.get());
  }
}

I_AttributeBase* C_AttributeBase::FindChild(const std::string& name) const
{
  for (const auto& child : m_children)
  {
    if (child->GetName() == name)
    {
      return child.get();
    }
  }
  return nullptr;
}

std::size_t C_AttributeBase::GetNumberOfChildren() const
{
  return m_children.size();
}

std::string C_AttributeBase::GetName() const
{
  return m_name;
}

void C_AttributeBase::SetName(const std::string& name)
{
  m_name = name;
}

void C_AttributeBase::CloneChildrenInto(C_AttributeBase& target) const
{
  for (const auto& child : m_children)
  {
    std::unique_ptr<I_AttributeBase> copy(child->Clone());
    if (copy)
    {
      target.m_children.push_back(std::move(copy));
    }
  }
}
} // namespace BufferApi
