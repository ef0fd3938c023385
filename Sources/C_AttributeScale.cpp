#include "C_AttributeScale.h"

#include <BufferApi/I_Scale.h>

namespace BufferApi
{
C_AttributeScale::C_AttributeScale(const std::string& name, I_Scale* scale)
    : C_AttributeBase(name)
    , m_scale(scale)
{
}

C_AttributeScale::~C_AttributeScale() = default;

I_Scale* C_AttributeScale::GetScale() const
{
  return m_scale.get();
}

void C_AttributeScale::SetScale(I_Scale* scale)
{
  // Setting the held scale again must not delete it.
  if (scale != m_scale.get())
  {
    m_scale.reset(scale);
  }
}

I_AttributeBase* C_AttributeScale::Clone() const
{
  std::unique_ptr<I_Scale> scale(m_scale ? m_scale->Clone() : nullptr);
  auto copy = std::make_unique<C_AttributeScale>(GetName(), scale.release());
  CloneChildrenInto(*copy);
  return copy.release();
}

E_AttributeType C_AttributeScale::GetType() const
{
  return AttrScale;
}

void* C_AttributeScale::GetRawData()
{
  return nullptr;
}

bool C_AttributeScale::IsValueEqual(const I_AttributeBase& other) const
{
  const auto* same = dynamic_cast<const C_AttributeScale*>(&other);
  if (same == nullptr)
  {
    return false;
  }
  const I_Scale* mine = m_scale.get();
  const I_Scale* theirs = same->m_scale.get();
  if (mine == nullptr || theirs == nullptr)
  {
    return mine == theirs;
  }
  return mine->IsEqual(theirs);
}
} // namespace BufferApi
