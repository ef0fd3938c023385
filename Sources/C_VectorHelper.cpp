#include <BufferApi/C_VectorHelper.h>

#include "C_FrameVector.h"
#include "C_FrameVector2C.h"
#include "C_FrameVector3C.h"

#include <BufferApi/I_Component.h>
#include <BufferApi/I_PlaneBase.h>
#include <RTE/Exception.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
const std::string kPeakRatio = "Peak ratio";

//! A 2C vector shorter than this in both components counts as absent.
constexpr double kZero = 1e-10;

//! The component named exactly `name`; the vector frame's lookup would fall
//! back to the choice-0 name ("MASK0") otherwise.
I_Component* Exactly(const I_Frame& frame, const std::string& name)
{
  const int index = frame.GetComponentIndex(name);
  return index >= 0 && frame.GetComponentName(index) == name ? frame.GetComponent(index) : nullptr;
}
} // namespace

C_VectorHelper::C_VectorHelper(I_FrameVector* frame)
{
  if (!frame)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The vector frame must not be NULL.");
  }
  m_frame = dynamic_cast<C_FrameVector*>(frame);
  if (!m_frame)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The frame is not a vector frame.");
  }
  m_frame2C = dynamic_cast<C_FrameVector2C*>(frame);
  m_frame3C = dynamic_cast<C_FrameVector3C*>(frame);
  m_activeChoice = Exactly(*frame, I_FrameVector::COMPONENT_ACTIVE_CHOICE);
  m_mask = Exactly(*frame, I_Frame::COMPONENT_MASK);
  m_peakRatio = Exactly(*frame, kPeakRatio);
  const I_Component* u0 = frame->GetChoiceComponent(I_FrameVector::COMPONENT_U, 0);
  const I_PlaneBase* plane0 = u0 ? u0->GetPlane(0) : nullptr;
  m_dataType = plane0 ? plane0->GetDataType() : DT_Bool;
  m_numberOfChoices = static_cast<int>(frame->GetNumberOfChoices());
}

C_VectorHelper::~C_VectorHelper() = default;

I_PlaneBase* C_VectorHelper::PlaneOf(const I_Component* component, unsigned z)
{
  return component ? component->GetPlane(z) : nullptr;
}

bool C_VectorHelper::IsInside(unsigned x, unsigned y, unsigned z) const
{
  return x < m_frame->GetWidth() && y < m_frame->GetHeight() && z < m_frame->GetDepth();
}

E_VectorActive C_VectorHelper::GetVector(unsigned x, unsigned y, unsigned z, double& u, double& v, double& w,
                                         E_VectorActive mode) const
{
  u = v = w = 0.0;
  if (!IsInside(x, y, z))
  {
    return VA_Disabled;
  }
  int slot = 0;
  int result = 0;
  switch (mode)
  {
  case VA_Disabled:
  {
    if (!m_frame->IsEnabled(x, y, z))
    {
      return VA_Disabled;
    }
    const int choice = m_frame->GetActiveChoice(x, y, z);
    slot = std::min(choice, m_numberOfChoices - 1);
    if (slot < 0)
    {
      return VA_Disabled;
    }
    result = choice;
    break;
  }
  case VA_Choice1:
  case VA_Choice2:
  case VA_Choice3:
    slot = result = static_cast<int>(mode) - 1;
    break;
  case VA_Choice4:
  case VA_Choice4Alt1:
  case VA_Choice4Alt2:
    slot = result = 3;
    break;
  default:
    return VA_Disabled;
  }
  // Explicit modes are not lowered to the last choice: a missing choice is no vector.
  if (slot >= m_numberOfChoices)
  {
    return VA_Disabled;
  }
  if (m_frame3C)
  {
    m_frame3C->GetVector(x, y, z, u, v, w, static_cast<unsigned>(slot));
    return VectorActiveFromChoice(result);
  }
  if (m_frame2C)
  {
    m_frame2C->GetVector(x, y, z, u, v, static_cast<unsigned>(slot));
  }
  if (std::fabs(u) < kZero && std::fabs(v) < kZero)
  {
    return VA_Disabled;
  }
  return VectorActiveFromChoice(result);
}

void C_VectorHelper::SetVector(unsigned x, unsigned y, unsigned z, double u, double v, double w)
{
  SetVector(x, y, z, u, v, w, VA_Choice1);
}

void C_VectorHelper::SetVector(unsigned x, unsigned y, unsigned z, double u, double v, double w, E_VectorActive mode)
{
  if (!IsInside(x, y, z))
  {
    return;
  }
  int slot = -1;
  int stored = -1;
  // A single-choice frame keeps a zero vector, but disabled.
  if (m_numberOfChoices == 1 && std::fabs(u) < kZero && std::fabs(v) < kZero && std::fabs(w) < kZero)
  {
    mode = VA_Disabled;
    slot = 0;
    stored = 0;
  }
  bool enabled = true;
  switch (mode)
  {
  case VA_Disabled:
    enabled = false;
    break;
  case VA_Choice1:
  case VA_Choice2:
  case VA_Choice3:
    slot = stored = static_cast<int>(mode) - 1;
    slot = std::min(slot, m_numberOfChoices - 1);
    break;
  case VA_Choice4:
  case VA_Choice4Alt1:
  case VA_Choice4Alt2:
    stored = static_cast<int>(mode) - 1;
    slot = std::min(3, m_numberOfChoices - 1);
    break;
  default:
    break;
  }
  m_frame->SetEnabled(x, y, z, enabled);
  if (slot < 0 || slot >= m_numberOfChoices)
  {
    return;
  }
  if (m_frame3C)
  {
    m_frame3C->SetVector(x, y, z, u, v, w, static_cast<unsigned>(slot));
  }
  else if (m_frame2C)
  {
    m_frame2C->SetVector(x, y, z, u, v, static_cast<unsigned>(slot));
  }
  if (I_PlaneBase* active = PlaneOf(m_activeChoice, z))
  {
    active->SetIntValue(x, y, stored);
  }
}

E_VectorActive C_VectorHelper::GetVectorActive(unsigned x, unsigned y, unsigned z) const
{
  // z is tested too: the frame's enabled flag needs an existing plane.
  if (!IsInside(x, y, z) || !m_frame->IsEnabled(x, y, z))
  {
    return VA_Disabled;
  }
  return VectorActiveFromChoice(m_frame->GetActiveChoice(x, y, z));
}

void C_VectorHelper::SetVectorActive(unsigned x, unsigned y, unsigned z, E_VectorActive mode)
{
  if (mode == VA_Disabled)
  {
    if (z < m_frame->GetDepth())
    {
      m_frame->SetEnabled(x, y, z, false);
    }
    return;
  }
  m_frame->SetActiveChoice(x, y, z, static_cast<int>(mode) - 1);
}

bool C_VectorHelper::GetMask(unsigned x, unsigned y, unsigned z) const
{
  if (!m_mask)
  {
    return true;
  }
  const I_PlaneBase* plane = PlaneOf(m_mask, z);
  return plane && plane->GetIntValue(x, y) != 0;
}

void C_VectorHelper::SetMask(unsigned x, unsigned y, unsigned z, bool value)
{
  if (I_PlaneBase* plane = PlaneOf(m_mask, z))
  {
    plane->SetIntValue(x, y, value ? 1 : 0);
  }
}

double C_VectorHelper::GetPeakRatio(unsigned x, unsigned y, unsigned z) const
{
  const I_PlaneBase* plane = PlaneOf(m_peakRatio, z);
  return plane ? plane->GetValue(x, y) : 0.0;
}

void C_VectorHelper::SetPeakRatio(unsigned x, unsigned y, unsigned z, double value)
{
  if (I_PlaneBase* plane = PlaneOf(m_peakRatio, z))
  {
    plane->SetValue(x, y, value);
  }
}

unsigned C_VectorHelper::GetGrid() const
{
  return m_frame->GetGridX();
}

void C_VectorHelper::SetGrid(unsigned grid)
{
  m_frame->SetGridX(grid);
  m_frame->SetGridY(grid);
  m_frame->SetGridZ(grid);
}
} // namespace BufferApi
