#include "C_FrameVector2C.h"

#include <RTE/Exception.h>

namespace BufferApi
{
const std::string I_FrameVector2C::FT_VECTOR_2C = "FT_VECTOR_2C";

namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
} // namespace

C_FrameVector2C::C_FrameVector2C(unsigned width, unsigned height, unsigned depth, E_DataType type,
                                 unsigned numberOfChoices)
    : C_FrameVector(width, height, depth, type, numberOfChoices)
{
}

C_FrameVector2C::C_FrameVector2C(const C_FrameVector2C& other)
    : I_Frame(other)
    , I_FrameVector(other)
    , C_FrameVector(other)
    , I_FrameVector2C(other)
{
}

C_FrameVector2C::~C_FrameVector2C() = default;

I_Frame* C_FrameVector2C::Create(const C_FrameBaseParam* param)
{
  return CreateFromParam<C_FrameVector2C>(param, kSourceUnit);
}

bool C_FrameVector2C::IsSameType(const I_BufferLibObject* other) const
{
  return dynamic_cast<const C_FrameVector2C*>(other) != nullptr;
}

std::string C_FrameVector2C::GetFrameType() const
{
  return FT_VECTOR_2C;
}

C_FrameVector* C_FrameVector2C::CreateEmptyLike() const
{
  return new C_FrameVector2C(m_width, m_height, m_depth, GetDataType(), m_numberOfChoices);
}

C_FrameVector* C_FrameVector2C::CopyLike() const
{
  return new C_FrameVector2C(*this);
}

void C_FrameVector2C::GetVector(unsigned x, unsigned y, unsigned z, double& u, double& v, unsigned choice) const
{
  u = 0.0;
  v = 0.0;
  if (choice >= m_numberOfChoices)
  {
    return;
  }
  const I_PlaneBase* planeU = PlaneOf(m_u, choice, z);
  const I_PlaneBase* planeV = PlaneOf(m_v, choice, z);
  if (planeU == nullptr || planeV == nullptr || x >= planeU->GetWidth() || y >= planeU->GetHeight() ||
      x >= planeV->GetWidth() || y >= planeV->GetHeight())
  {
    return;
  }
  u = planeU->GetValueUnsafe(x, y);
  v = planeV->GetValueUnsafe(x, y);
}

void C_FrameVector2C::SetVector(unsigned x, unsigned y, unsigned z, double u, double v, unsigned choice)
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
}

} // namespace BufferApi
