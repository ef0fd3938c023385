#include "C_Plane.h"

#include "PlaneConversion.h"

#include <RTE/Exception.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
}

template <typename T>
C_Plane<T>::C_Plane(unsigned width, unsigned height)
    : C_PlaneBase(width, height, BufferApi::GetDataType<T>(), AllocateOwnMemory(width, height, sizeof(T), kSourceUnit))
{
}

template <typename T>
C_Plane<T>::C_Plane(unsigned width, unsigned height, T* memory)
    : C_PlaneBase(width, height, BufferApi::GetDataType<T>(), memory)
{
}

template <typename T>
C_Plane<T>::C_Plane(unsigned width, unsigned height, std::shared_ptr<C_ConsecutivePlaneMemory> planeMemory, T* slice)
    : C_PlaneBase(width, height, BufferApi::GetDataType<T>(), std::move(planeMemory), slice)
{
  CheckSlice(m_memoryOwner, slice, width, height, sizeof(T), kSourceUnit);
}

template <typename T>
C_Plane<T>::~C_Plane()
{
  ReleaseData(m_data);
}

template <typename T>
bool C_Plane<T>::IsSameType(const I_BufferLibObject* other) const
{
  return dynamic_cast<const C_Plane<T>*>(other) != nullptr;
}

template <typename T>
bool C_Plane<T>::IsEqual(const I_BufferLibObject* other) const
{
  const auto* plane = dynamic_cast<const C_Plane<T>*>(other);
  return plane && HasSameSize(plane) && HasEqualData(m_data, plane->m_data, std::size_t(ElementCount()) * sizeof(T));
}

template <typename T>
C_Plane<T>* C_Plane<T>::CloneWithDefault() const
{
  auto clone = std::make_unique<C_Plane<T>>(m_width, m_height);
  clone->m_defaultValue = m_defaultValue;
  return clone.release();
}

template <typename T>
I_PlaneBase* C_Plane<T>::Clone(bool copyData) const
{
  if (!copyData)
    return CloneEmpty();
  C_Plane<T>* clone = CloneWithDefault();
  if (m_data)
    std::memcpy(clone->m_data, m_data, std::size_t(ElementCount()) * sizeof(T));
  return clone;
}

template <typename T>
I_PlaneBase* C_Plane<T>::CloneEmpty() const
{
  C_Plane<T>* clone = CloneWithDefault();
  if (m_defaultValue != T(0))
    std::fill(clone->Data(), clone->Data() + ElementCount(), m_defaultValue);
  return clone;
}

template <typename T>
void* C_Plane<T>::DetachData()
{
  void* data = DetachFrom(m_data, sizeof(T), kSourceUnit);
  m_data = nullptr;
  return data;
}

template <typename T>
double C_Plane<T>::GetValue(unsigned x, unsigned y) const
{
  return IsInside(x, y) ? static_cast<double>(Data()[Index(x, y)]) : 0.0;
}

template <typename T>
double C_Plane<T>::GetValueUnsafe(unsigned x, unsigned y) const
{
  return static_cast<double>(Data()[Index(x, y)]);
}

template <typename T>
int C_Plane<T>::GetIntValue(unsigned x, unsigned y) const
{
  return IsInside(x, y) ? Detail::ToInt<T>(Data()[Index(x, y)]) : 0;
}

template <typename T>
void C_Plane<T>::SetValue(unsigned x, unsigned y, double value)
{
  if (IsInside(x, y))
    Data()[Index(x, y)] = Detail::ToElement<T>(value);
}

template <typename T>
void C_Plane<T>::SetValueUnsafe(unsigned x, unsigned y, double value)
{
  Data()[Index(x, y)] = Detail::ToElement<T>(value);
}

template <typename T>
void C_Plane<T>::SetIntValue(unsigned x, unsigned y, int value)
{
  SetValue(x, y, static_cast<double>(value));
}

template <typename T>
void C_Plane<T>::Resize(int xMin, int xMax, int yMin, int yMax)
{
  const S_ResizeGeometry geometry = GetResizeGeometry(xMin, xMax, yMin, yMax, kSourceUnit);
  if (KeepsOwnBlock(geometry, m_data))
    return;
  T* newData = static_cast<T*>(AllocateOwnMemory(geometry.width, geometry.height, sizeof(T), kSourceUnit));
  CopyResized(Data(), newData, geometry, m_defaultValue);
  ReleaseData(m_data);
  m_data = newData;
  m_width = geometry.width;
  m_height = geometry.height;
}

template <typename T>
void C_Plane<T>::Clear()
{
  if (m_data)
    std::memset(m_data, 0, std::size_t(ElementCount()) * sizeof(T));
}

template <typename T>
void C_Plane<T>::Fill(double value)
{
  if (m_data)
    std::fill(Data(), Data() + ElementCount(), Detail::ToElement<T>(value));
}

template <typename T>
void C_Plane<T>::SetDefaultValue(double value)
{
  m_defaultValue = Detail::ToElement<T>(value);
}

template <typename T>
void C_Plane<T>::SetToDefault(unsigned x, unsigned y)
{
  if (m_data)
    Data()[Index(x, y)] = m_defaultValue;
}

template class C_Plane<unsigned char>;
template class C_Plane<unsigned short>;
template class C_Plane<int>;
template class C_Plane<unsigned int>;
template class C_Plane<float>;
template class C_Plane<double>;

} // namespace BufferApi
