#include "C_FrameVector3C.h"

#include <RTE/Exception.h>

#include <memory>

namespace BufferApi
{
const std::string I_FrameVector3C::FT_VECTOR_3C = "FT_VECTOR_3C";

namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
} // namespace

C_FrameVector3C::C_FrameVector3C(unsigned width, unsigned height, unsigned depth, E_DataType type,
                                 unsigned numberOfChoices)
    : C_FrameVector(width, height, depth, type, numberOfChoices)
{
  for (unsigned i = 0; i < numberOfChoices; ++i)
  {
    CreateVectorComponent(ChoiceName(COMPONENT_W, i), type, "The W-component could not be created.", true);
  }
  UpdateComponentPointers();
}

C_FrameVector3C::C_FrameVector3C(const C_FrameVector3C& other)
    : I_Frame(other)
    , I_FrameVector(other)
    , C_FrameVector(other)
    , I_FrameVector3C(other)
{
  UpdateComponentPointers();
}

C_FrameVector3C::~C_FrameVector3C() = default;

I_Frame* C_FrameVector3C::Create(const C_FrameBaseParam* param)
{
  return CreateFromParam<C_FrameVector3C>(param, kSourceUnit);
}

bool C_FrameVector3C::IsSameType(const I_BufferLibObject* other) const
{
  return dynamic_cast<const C_FrameVector3C*>(other) != nullptr;
}

std::string C_FrameVector3C::GetFrameType() const
{
  return FT_VECTOR_3C;
}

C_FrameVector* C_FrameVector3C::CreateEmptyLike() const
{
  return new C_FrameVector3C(m_width, m_height, m_depth, GetDataType(), m_numberOfChoices);
}

C_FrameVector* C_FrameVector3C::CopyLike() const
{
  return new C_FrameVector3C(*this);
}

void C_FrameVector3C::SetScaleI(I_Scale* scale)
{
  std::unique_ptr<I_Scale> owned(scale);
  if (m_w.empty() || m_u.empty())
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The vector frame has no vector component!");
  }
  for (C_Component* component : m_w)
  {
    component->SetScale(owned ? owned->Clone() : nullptr);
  }
  C_FrameVector::SetScaleI(owned.release());
}

void C_FrameVector3C::Clear()
{
  for (unsigned z = 0; z < m_depth; ++z)
  {
    if (I_PlaneBase* plane = PlaneOf(m_w, 0, z))
    {
      plane->Clear();
    }
  }
  C_FrameVector::Clear();
}

void C_FrameVector3C::Fill(double value)
{
  if (value == 0.0)
  {
    Clear();
    return;
  }
  for (unsigned z = 0; z < m_depth; ++z)
  {
    if (I_PlaneBase* plane = PlaneOf(m_w, 0, z))
    {
      plane->Fill(value);
    }
  }
  C_FrameVector::Fill(value);
}

void C_FrameVector3C::UpdateComponentPointers()
{
  C_FrameVector::UpdateComponentPointers();
  m_w = CollectFamily(COMPONENT_W);
}

bool C_FrameVector3C::IsProtectedComponent(const I_Component* component) const
{
  return C_FrameVector::IsProtectedComponent(component) || (component != nullptr && Contains(m_w, component));
}

void C_FrameVector3C::GetVector(unsigned x, unsigned y, unsigned z, double& u, double& v, double& w,
                                unsigned choice) const
{
  u = 0.0;
  v = 0.0;
  w = 0.0;
  if (choice >= m_numberOfChoices)
  {
    return;
  }
  const I_PlaneBase* planeU = PlaneOf(m_u, choice, z);
  const I_PlaneBase* planeV = PlaneOf(m_v, choice, z);
  const I_PlaneBase* planeW = PlaneOf(m_w, choice, z);
  if (planeU == nullptr || planeV == nullptr || planeW == nullptr)
  {
    return;
  }
  for (const I_PlaneBase* plane : {planeU, planeV, planeW})
  {
    if (x >= plane->GetWidth() || y >= plane->GetHeight())
    {
      return;
    }
  }
  u = planeU->GetValueUnsafe(x, y);
  v = planeV->GetValueUnsafe(x, y);
  w = planeW->GetValueUnsafe(x, y);
}

void C_FrameVector3C::SetVector(unsigned x, unsigned y, unsigned z, double u, double v, double w, unsigned choice)
{
  if (choice >= m_numberOfChoices)
  {
    return;
  }
  I_PlaneBase* planeU = PlaneOf(m_u, choice, z);
  if (planeU == nullptr)
  {
    return;
  }
  planeU->SetValue(x, y, u);
  if (I_PlaneBase* planeV = PlaneOf(m_v, choice, z))
  {
    planeV->SetValue(x, y, v);
  }
  if (I_PlaneBase* planeW = PlaneOf(m_w, choice, z))
  {
    planeW->SetValue(x, y, w);
  }
}

} // namespace BufferApi
