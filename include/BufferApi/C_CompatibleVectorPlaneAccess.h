#pragma once

#include <BufferApi/E_VectorActive.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace BufferApi
{
class I_Buffer;
class I_FrameVector;

//! Raw access to one z plane of a float vector frame like C_VectorPlaneAccess,
//! but with the E_VectorActive view of C_VectorHelper (active choice and
//! enabled flag) and the mask.
//!
//! x, y and the choice slot are not checked (except by Mask_GetPixel); the
//! frame must outlive the access object and keep its components and planes.
//! Any number of choices is served. The hot operations are defined here so
//! that loops over an access object of known type are inlined.
class C_CompatibleVectorPlaneAccess
{
public:
  //! Raises "C_CompatibleVectorPlaneAccess requires float vector frames!" for
  //! a null or non-float frame, RTE::VerificationFailed when ACTIVE_CHOICE,
  //! ENABLED, "Peak ratio" or "MASK" exists without plane `plane`, and
  //! RTE::Exception for a frame that is not a vector frame or lacks plane
  //! `plane` of U(i) or V(i).
  C_CompatibleVectorPlaneAccess(const I_FrameVector* frame, unsigned plane);
  //! The same for frame `frameIndex` of buffer (no such frame: the float message).
  C_CompatibleVectorPlaneAccess(const I_Buffer* buffer, unsigned frameIndex, unsigned plane);
  C_CompatibleVectorPlaneAccess(const C_CompatibleVectorPlaneAccess& other) = default;
  C_CompatibleVectorPlaneAccess& operator=(const C_CompatibleVectorPlaneAccess& other) = default;
  virtual ~C_CompatibleVectorPlaneAccess();

  //! As C_VectorHelper::GetVector on this plane, in float. Without ENABLED a
  //! vector counts as enabled; without ACTIVE_CHOICE the first choice is active.
  virtual E_VectorActive GetVector3D(unsigned x, unsigned y, float& u, float& v, float& w, E_VectorActive mode) const
  {
    u = v = w = 0.0f;
    const std::uint64_t o = Offset(x, y);
    int slot;
    int result;
    switch (mode)
    {
    case VA_Disabled:
    {
      if (m_enabled && m_enabled[o] == 0)
      {
        return VA_Disabled;
      }
      const int choice = m_activeChoice ? m_activeChoice[o] : 0;
      slot = choice < m_numberOfChoices - 1 ? choice : m_numberOfChoices - 1;
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
    if (slot >= m_numberOfChoices)
    {
      return VA_Disabled;
    }
    u = m_u[slot][o];
    v = m_v[slot][o];
    if (m_hasW)
    {
      w = m_w[slot][o];
    }
    else if (std::fabs(u) < 1e-10f && std::fabs(v) < 1e-10f)
    {
      return VA_Disabled;
    }
    return static_cast<E_VectorActive>(result + 1);
  }

  //! As C_VectorHelper::SetVector on this plane, in float.
  virtual void SetVector3D(unsigned x, unsigned y, float u, float v, float w, E_VectorActive mode)
  {
    const std::uint64_t o = Offset(x, y);
    int slot = -1;
    int stored = -1;
    if (m_numberOfChoices == 1 && std::fabs(u) < 1e-10f && std::fabs(v) < 1e-10f && std::fabs(w) < 1e-10f)
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
      slot = slot < m_numberOfChoices - 1 ? slot : m_numberOfChoices - 1;
      break;
    case VA_Choice4:
    case VA_Choice4Alt1:
    case VA_Choice4Alt2:
      stored = static_cast<int>(mode) - 1;
      slot = 3 < m_numberOfChoices - 1 ? 3 : m_numberOfChoices - 1;
      break;
    default:
      break;
    }
    if (m_enabled)
    {
      m_enabled[o] = enabled ? 1 : 0;
    }
    if (slot >= 0 && slot < m_numberOfChoices)
    {
      m_u[slot][o] = u;
      m_v[slot][o] = v;
      if (m_hasW)
      {
        m_w[slot][o] = w;
      }
      if (m_activeChoice)
      {
        m_activeChoice[o] = stored;
      }
    }
  }

  //! True without mask; false outside the plane; else whether the mask
  //! element is not 0.
  virtual bool Mask_GetPixel(int x, int y) const
  {
    if (!m_mask)
    {
      return true;
    }
    if (x < 0 || y < 0 || static_cast<std::uint64_t>(x) >= m_width || static_cast<std::uint64_t>(y) >= m_height)
    {
      return false;
    }
    return m_mask[Offset(static_cast<unsigned>(x), static_cast<unsigned>(y))] != 0;
  }
  //! Nothing without mask; x and y are not checked.
  virtual void Mask_SetPixel(int x, int y, bool value)
  {
    if (m_mask)
    {
      m_mask[Offset(static_cast<unsigned>(x), static_cast<unsigned>(y))] = value ? 1 : 0;
    }
  }

private:
  void Init(const I_FrameVector* frame, unsigned plane);
  std::uint64_t Offset(unsigned x, unsigned y) const { return m_width * y + x; }

  int m_numberOfChoices = 0;
  std::uint64_t m_width = 0;
  std::uint64_t m_height = 0;
  std::int32_t* m_activeChoice = nullptr;
  float* m_peakRatio = nullptr;
  std::uint8_t* m_enabled = nullptr;
  std::vector<float*> m_u;
  std::vector<float*> m_v;
  //! Empty unless every choice has a W component.
  std::vector<float*> m_w;
  bool m_hasW = false;
  std::uint8_t* m_mask = nullptr;
};
} // namespace BufferApi
