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
    // Every member is read before the first test (see SetVector3D), so that a
    // loop of calls hoists the reads.
    const S_Slot* const slotTable = m_slots.data();
    const std::int64_t lastChoice = m_lastChoice;
    const bool hasW = m_hasW;
    const std::uint8_t* const enabledData = m_enabledRead;
    const std::int32_t* const activeChoice = m_activeChoiceRead;
    const std::uint64_t o = Offset(x, y);
    u = v = w = 0.0f;
    int choice;
    std::int64_t slot;
    if (mode == VA_Disabled)
    {
      if (enabledData[o] == 0)
      {
        return VA_Disabled;
      }
      // The stored choice is lowered to the last slot but answered as stored.
      choice = activeChoice[o];
      if (choice < 0 || lastChoice < 0)
      {
        return VA_Disabled;
      }
      slot = choice < lastChoice ? choice : lastChoice;
    }
    else
    {
      // Negative modes become large here and are refused with the unknown ones.
      if (static_cast<unsigned>(mode) > static_cast<unsigned>(VA_Choice4Alt2))
      {
        return VA_Disabled;
      }
      // Explicit modes are not lowered: a slot beyond the last choice is absent.
      choice = mode < VA_Choice4 ? static_cast<int>(mode) - 1 : 3;
      slot = choice;
      if (slot > lastChoice)
      {
        return VA_Disabled;
      }
    }
    const S_Slot& data = slotTable[static_cast<std::size_t>(slot + 1)];
    u = data.u[o];
    v = data.v[o];
    if (hasW)
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
    // Every member is read unconditionally and the cases are told apart by
    // selects, not branches: then a loop of calls over a fixed mode finds
    // all reads loop-invariant, hoists them and splits on the remaining
    // tests, and the stores vectorise like a plain loop's.
    const S_Slot* const slotTable = m_slots.data();
    const std::int64_t lastChoice = m_lastChoice;
    const bool singleChoice = m_numberOfChoices == 1;
    bool* const enabledData = m_enabledWrite;
    std::int32_t* const activeChoice = m_activeChoiceWrite;
    const std::uint64_t o = Offset(x, y);

    // Unknown modes (negative ones become large here) only write the enabled flag.
    const bool known = static_cast<unsigned>(mode) - 1u <= static_cast<unsigned>(VA_Choice4Alt2) - 1u;
    const bool enabled = mode != VA_Disabled;
    const int stored = known ? static_cast<int>(mode) - 1 : -1;
    if (!known && !singleChoice)
    {
      enabledData[o] = enabled;
      return;
    }
    // A zero vector of a single-choice frame is stored as disabled choice 0.
    // Integer arithmetic on the flags keeps the compiler from branching.
    const bool zero = singleChoice && (int(IsZero(u)) & int(IsZero(v)) & int(IsZero(w))) != 0;
    const std::int64_t wanted = known ? (mode < VA_Choice4 ? stored : 3) : -1;
    const std::int64_t lowered = wanted < lastChoice ? wanted : lastChoice;
    const std::int64_t slot = singleChoice ? ((known || zero) ? 0 : -1) : lowered;

    const S_Slot target = slotTable[static_cast<std::size_t>(slot + 1)];
    enabledData[o] = enabled && !zero;
    if (target.u)
    {
      target.u[o] = u;
      target.v[o] = v;
      if (target.w)
      {
        target.w[o] = w;
      }
      activeChoice[o] = zero ? 0 : stored;
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
  //! The data of one choice in plane z; w is null unless every choice has W.
  struct S_Slot
  {
    float* u = nullptr;
    float* v = nullptr;
    float* w = nullptr;
  };

  struct S_Defaults;

  void Init(const I_FrameVector* frame, unsigned plane);

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
