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
  return m_plane.get();
}

void C_AttributePlane::SetPlane(I_PlaneBase* plane)
{
  // Setting the held plane again must not delete it.
  if (plane != m_plane.get())
  {
    m_plane.reset(plane);
  }
}

I_AttributeBase* C_AttributePlane::Clone() const
{
  std::unique_ptr<I_PlaneBase> plane(m_plane ? m_plane->Clone(true) : nullptr);
  auto copy = std::make_unique<C_AttributePlane>(GetName(), plane.release());
  CloneChildrenInto(*copy);
  return copy.release();
}

E_AttributeType C_AttributePlane::GetType() const
{
  return AttrPlane;
}

void* C_AttributePlane::GetRawData()
{
  return m_plane ? m_plane->GetData() : nullptr;
}

bool C_AttributePlane::IsValueEqual(const I_AttributeBase& other) const
{
  const auto* same = dynamic_cast<const C_AttributePlane*>(&other);
  if (same == nullptr)
  {
    return false;
  }
  const I_PlaneBase* mine = m_plane.get();
  const I_PlaneBase* theirs = same->m_plane.get();
  if (mine == nullptr || theirs == nullptr)
  {
    return mine == theirs;
  }
  return mine->GetWidth() == theirs->GetWidth() && mine->GetHeight() == theirs->GetHeight();
}
} // namespace BufferApi
