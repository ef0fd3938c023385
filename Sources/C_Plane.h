#pragma once

#include <BufferApi/I_Plane.h>

#include "C_PlaneBase.h"

namespace BufferApi
{
//! A plane of numeric elements T; instantiated for unsigned char, unsigned
//! short, int, unsigned int, float and double.
//!
//! After DetachData the plane has no data: guarded reads give 0, writes,
//! Fill, Clear and SetToDefault do nothing, Clone gives own zeroed memory and
//! Resize works as if the old elements were 0. The unguarded accessors
//! (...Unsafe, GetElement, SetElement) must not be used then.
template <typename T>
class C_Plane final : public C_PlaneBase, public I_Plane<T>
{
public:
  //! Own memory, zeroed.
  C_Plane(unsigned width, unsigned height);
  //! Adopts a C heap block of width * height elements as it is.
  C_Plane(unsigned width, unsigned height, T* memory);
  //! Lives in a slice of shared plane memory, which it keeps alive.
  C_Plane(unsigned width, unsigned height, std::shared_ptr<C_ConsecutivePlaneMemory> planeMemory, T* slice);
  ~C_Plane() override;

  C_Plane(const C_Plane&) = delete;
  C_Plane& operator=(const C_Plane&) = delete;

  bool IsSameType(const I_BufferLibObject* other) const override;
  bool IsEqual(const I_BufferLibObject* other) const override;
  I_PlaneBase* Clone(bool copyData) const override;
  I_PlaneBase* CloneEmpty() const override;
  E_DataType GetDataType() const override { return BufferApi::GetDataType<T>(); }
  void* GetData() const override { return m_data; }
  void* DetachData() override;
  double GetValue(unsigned x, unsigned y) const override;
  double GetValueUnsafe(unsigned x, unsigned y) const override;
  int GetIntValue(unsigned x, unsigned y) const override;
  void SetValue(unsigned x, unsigned y, double value) override;
  void SetValueUnsafe(unsigned x, unsigned y, double value) override;
  void SetIntValue(unsigned x, unsigned y, int value) override;
  void Resize(int xMin, int xMax, int yMin, int yMax) override;
  void Clear() override;
  void Fill(double value) override;
  void SetDefaultValue(double value) override;

  T GetElement(unsigned x, unsigned y) const override { return Data()[Index(x, y)]; }
  void SetElement(unsigned x, unsigned y, T value) override { Data()[Index(x, y)] = value; }

  void SetToDefault(unsigned x, unsigned y) override;

  T GetDefaultValue() const { return m_defaultValue; }

private:
  std::size_t Index(unsigned x, unsigned y) const { return std::size_t(y) * m_width + x; }
  bool IsInside(unsigned x, unsigned y) const { return m_data && x < m_width && y < m_height; }
  C_Plane* CloneWithDefault() const;

  T* Data() const { return static_cast<T*>(m_data); }

  T m_defaultValue{};
};

extern template class C_Plane<unsigned char>;
extern template class C_Plane<unsigned short>;
extern template class C_Plane<int>;
extern template class C_Plane<unsigned int>;
extern template class C_Plane<float>;
extern template class C_Plane<double>;

} // namespace BufferApi
