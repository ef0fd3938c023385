#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/E_VectorActive.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
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
class BUFFER_API C_CompatibleVectorPlaneAccess
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
    int choice;
    int slot;
    if (mode == VA_Disabled)
    {
      if (m_enabledRead[o] == 0)
      {
        return VA_Disabled;
      }
      // The stored choice is lowered to the last slot but answered as stored.
      choice = m_activeChoiceRead[o];
      if (choice < 0 || m_lastChoice < 0)
      {
        return VA_Disabled;
      }
      slot = choice < m_lastChoice ? choice : static_cast<int>(m_lastChoice);
    }
    else
    {
      // Negative modes become large here and are refused with the unknown ones.
      if (static_cast<unsigned>(mode) > static_cast<unsigned>(VA_Choice4Alt2))
      {
        return VA_Disabled;
      }
      // Explicit modes are not lowered: a slot beyond the last choice is absent.
      choice = slot = mode < VA_Choice4 ? static_cast<int>(mode) - 1 : 3;
      if (slot > m_lastChoice)
      {
        return VA_Disabled;
      }
    }
    const S_Slot& data = m_slots[static_cast<std::size_t>(slot + 1)];
    u = data.u[o];
    v = data.v[o];
    if (m_hasW)
    {
      w = data.w[o];
    }
    else if (IsZero(u) && IsZero(v))
    {
      return VA_Disabled;
    }
    return VectorActiveFromChoice(choice);
  }

  //! As C_VectorHelper::SetVector on this plane, in float.
  virtual void SetVector3D(unsigned x, unsigned y, float u, float v, float w, E_VectorActive mode)
  {
    const std::uint64_t o = Offset(x, y);
    // Unknown modes (negative ones become large here) only write the enabled flag.
    const bool known = static_cast<unsigned>(mode) - 1u <= static_cast<unsigned>(VA_Choice4Alt2) - 1u;
    const bool enabled = mode != VA_Disabled;
    const int stored = known ? static_cast<int>(mode) - 1 : -1;
    if (m_numberOfChoices == 1)
    {
      // A zero vector of a single-choice frame is stored as disabled choice 0.
      // Selects rather than branches, so that a loop of calls stays vectorisable.
      // Integer arithmetic on the flags keeps the compiler from short-circuiting.
      const bool zero = (int(IsZero(u)) & int(IsZero(v)) & int(IsZero(w))) != 0;
      Store(o, u, v, w, enabled && !zero, (known || zero) ? 0 : -1, zero ? 0 : stored);
      return;
    }
    const std::int64_t slot = known ? (mode < VA_Choice4 ? stored : 3) : -1;
    Store(o, u, v, w, enabled, slot < m_lastChoice ? slot : m_lastChoice, stored);
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
  //! The data of one choice in plane z; w is null unless every choice has W.
  struct S_Slot
  {
    float* u = nullptr;
    float* v = nullptr;
    float* w = nullptr;
  };

  struct S_Defaults;

  void Init(const I_FrameVector* frame, unsigned plane);

  //! The stores of SetVector3D: the enabled flag always, the vector and the
  //! active choice only for a slot >= 0. No store may alias a member, so that
  //! a loop of calls keeps the members in registers: the ENABLED byte is
  //! written as bool (a byte store would alias everything), the counts are
  //! not of the int type of ACTIVE_CHOICE, and absent ENABLED and
  //! ACTIVE_CHOICE planes are written to private stand-ins instead of being
  //! tested for on every call.
  void Store(std::uint64_t o, float u, float v, float w, bool enabled, std::int64_t slot, int stored)
  {
    // Everything is read before the first store and the entry for -1 is
    // empty, so that the compiler may hoist the reads out of a loop and split
    // the loop on the tests.
    const S_Slot& target = m_slots[static_cast<std::size_t>(slot + 1)];
    float* const uData = target.u;
    float* const vData = target.v;
    float* const wData = target.w;
    std::int32_t* const activeChoice = m_activeChoiceWrite;
    m_enabledWrite[o] = enabled;
    if (uData)
    {
      uData[o] = u;
      vData[o] = v;
      if (wData)
      {
        wData[o] = w;
      }
      activeChoice[o] = stored;
    }
  }
  std::uint64_t Offset(unsigned x, unsigned y) const { return m_width * y + x; }
  static bool IsZero(float value) { return std::fabs(value) < 1e-10f; }

  //! 64-bit, so that stores of ACTIVE_CHOICE elements cannot alias them.
  std::int64_t m_numberOfChoices = 0;
  //! m_numberOfChoices - 1, the slot that stored choices are lowered to.
  std::int64_t m_lastChoice = -1;
  std::uint64_t m_width = 0;
  std::uint64_t m_height = 0;
  //! Plane z of ACTIVE_CHOICE and ENABLED for writing, never null: without
  //! the component they point into m_defaults, where nothing reads them.
  std::int32_t* m_activeChoiceWrite = nullptr;
  bool* m_enabledWrite = nullptr;
  //! The same for reading, never null, so that reads need no test: without
  //! the component they point into m_defaults (choice 0, enabled).
  const std::int32_t* m_activeChoiceRead = nullptr;
  const std::uint8_t* m_enabledRead = nullptr;
  //! Stand-ins for absent ACTIVE_CHOICE and ENABLED planes, shared by copies.
  std::shared_ptr<S_Defaults> m_defaults;
  float* m_peakRatio = nullptr;
  //! An empty entry, then one per choice, so that picking the slot s of a
  //! choice (or -1 for none) is one load of entry s + 1.
  std::vector<S_Slot> m_slots;
  bool m_hasW = false;
  std::uint8_t* m_mask = nullptr;
};
} // namespace BufferApi
