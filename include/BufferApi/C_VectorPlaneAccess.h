#pragma once

#include <BufferApi/BufferApiExport.h>

#include <cstdint>
#include <vector>

namespace BufferApi
{
class I_Buffer;
class I_FrameVector;

//! Raw access to one z plane of a float vector frame for tight loops: every
//! lookup (components, planes, data pointers) happens in the constructor, an
//! access is one offset computation and one memory access. The active choice
//! is the raw stored value (0 = first choice), not an E_VectorActive.
//!
//! Neither x, y nor the choice index is checked: they must lie inside the
//! plane and below the number of choices. The frame must outlive the access
//! object and keep its components and planes (adding or deleting components,
//! resizing or replacing planes invalidates the cached pointers).
//!
//! Any number of choices is served. The hot operations are defined here so
//! that loops over an access object of known type are inlined.
class BUFFER_API C_VectorPlaneAccess
{
public:
  //! Raises RTE::Exception for a null frame, a frame that is not a vector
  //! frame, a missing plane `plane` of U(i) or V(i), and for components whose
  //! elements are smaller than the raw element read from them.
  C_VectorPlaneAccess(const I_FrameVector* frame, unsigned plane);
  //! The same for frame `frameIndex` of buffer.
  C_VectorPlaneAccess(const I_Buffer* buffer, unsigned frameIndex, unsigned plane);
  C_VectorPlaneAccess(const C_VectorPlaneAccess& other) = default;
  C_VectorPlaneAccess& operator=(const C_VectorPlaneAccess& other) = default;
  virtual ~C_VectorPlaneAccess();

  //! u, v (and w when the frame has W components; w is untouched otherwise)
  //! of choice `choice` at (x, y).
  virtual void GetVector(unsigned x, unsigned y, float& u, float& v, float& w, int choice) const
  {
    const std::uint64_t o = GetArrayOffset(x, y);
    u = m_u[choice][o];
    v = m_v[choice][o];
    if (m_hasW)
    {
      w = m_w[choice][o];
    }
  }
  //! Stores the vector of choice `choice`; the active choice and the enabled
  //! flag are not touched.
  virtual void SetVector(unsigned x, unsigned y, float u, float v, float w, int choice)
  {
    const std::uint64_t o = GetArrayOffset(x, y);
    m_u[choice][o] = u;
    m_v[choice][o] = v;
    if (m_hasW)
    {
      m_w[choice][o] = w;
    }
  }
  //! 0.0 when the frame has no "Peak ratio" component.
  virtual double GetPeakRatio(unsigned x, unsigned y) const
  {
    return m_peakRatio ? static_cast<double>(m_peakRatio[GetArrayOffset(x, y)]) : 0.0;
  }
  //! Nothing when the frame has no "Peak ratio" component.
  virtual void SetPeakRatio(unsigned x, unsigned y, float value)
  {
    if (m_peakRatio)
    {
      m_peakRatio[GetArrayOffset(x, y)] = value;
    }
  }
  //! The raw ACTIVE_CHOICE element (0 = first choice); 0 without ACTIVE_CHOICE.
  virtual int GetVectorActive(unsigned x, unsigned y) const
  {
    return m_activeChoice ? m_activeChoice[GetArrayOffset(x, y)] : 0;
  }
  virtual void SetVectorActive(unsigned x, unsigned y, int value)
  {
    if (m_activeChoice)
    {
      m_activeChoice[GetArrayOffset(x, y)] = value;
    }
  }
  //! True when the ENABLED element is not 0 (and when there is no ENABLED).
  virtual bool IsEnabled(unsigned x, unsigned y) const
  {
    return m_enabled ? m_enabled[GetArrayOffset(x, y)] != 0 : true;
  }
  virtual void SetEnabled(unsigned x, unsigned y, bool enabled)
  {
    if (m_enabled)
    {
      m_enabled[GetArrayOffset(x, y)] = enabled ? 1 : 0;
    }
  }

private:
  void Init(const I_FrameVector* frame, unsigned plane);
  std::uint64_t GetArrayOffset(unsigned x, unsigned y) const { return std::uint64_t(m_width) * y + x; }

  int m_numberOfChoices = 0;
  std::uint32_t m_width = 0;
  std::uint32_t m_height = 0;
  std::int32_t* m_activeChoice = nullptr;
  float* m_peakRatio = nullptr;
  std::uint8_t* m_enabled = nullptr;
  std::vector<float*> m_u;
  std::vector<float*> m_v;
  //! Empty unless every choice has a W component.
  std::vector<float*> m_w;
  bool m_hasW = false;
};
} // namespace BufferApi
