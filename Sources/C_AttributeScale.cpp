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
  return m_scale.Get();
}

void C_AttributeScale::SetScale(I_Scale* scale)
{
  m_scale.Set(scale);
}

I_AttributeBase* C_AttributeScale::Clone() const
{
  const I_Scale* scale = m_scale.Get();
  return CloneAs<C_AttributeScale>(scale ? scale->Clone() : nullptr);
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
  return same != nullptr && m_scale.IsEqual(same->m_scale, [](const I_Scale& mine, const I_Scale& theirs)
                                            { return mine.IsEqual(&theirs); });
}
} // namespace BufferApi
