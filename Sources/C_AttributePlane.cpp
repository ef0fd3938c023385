#include "C_AttributePlane.h"

#include <BufferApi/I_PlaneBase.h>

namespace BufferApi
{
C_AttributePlane::C_AttributePlane(const std::string& name, I_PlaneBase* plane)
    : C_AttributeBase(name)
    , m_plane(plane)
{
}

C_AttributePlane::~C_AttributePlane() = default;

I_PlaneBase* C_AttributePlane::GetPlane() const
{
  return m_plane.Get();
}

void C_AttributePlane::SetPlane(I_PlaneBase* plane)
{
  m_plane.Set(plane);
}

I_AttributeBase* C_AttributePlane::Clone() const
{
  const I_PlaneBase* plane = m_plane.Get();
  return CloneAs<C_AttributePlane>(plane ? plane->Clone(true) : nullptr);
}

E_AttributeType C_AttributePlane::GetType() const
{
  return AttrPlane;
}

void* C_AttributePlane::GetRawData()
{
  const I_PlaneBase* plane = m_plane.Get();
  return plane ? plane->GetData() : nullptr;
}

bool C_AttributePlane::IsValueEqual(const I_AttributeBase& other) const
{
  const auto* same = dynamic_cast<const C_AttributePlane*>(&other);
  return same != nullptr &&
         m_plane.IsEqual(same->m_plane, [](const I_PlaneBase& mine, const I_PlaneBase& theirs)
                         { return mine.GetWidth() == theirs.GetWidth() && mine.GetHeight() == theirs.GetHeight(); });
}
} // namespace BufferApi
