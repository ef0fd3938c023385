#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/E_DataType.h>
#include <BufferApi/I_BufferLibObject.h>

#include <type_traits>

namespace BufferApi
{
//! A width x height array of elements of one type, row by row without
//! padding: element (x, y) is at y * width + x.
//!
//! Guarded operations read 0 and ignore writes when x >= width or
//! y >= height, and also when the plane's data was detached. Values pass
//! through double and are clamped to the element type when stored.
class BUFFER_API I_PlaneBase : public I_BufferLibObject
{
public:
  ~I_PlaneBase() override = default;

  //! A new plane of the same class and size with own memory; with copyData
  //! the data and the default value are copied.
  virtual I_PlaneBase* Clone(bool copyData) const = 0;
  virtual I_PlaneBase* CloneEmpty() const = 0;
  virtual E_DataType GetDataType() const = 0;
  //! The element data; null after DetachData.
  virtual void* GetData() const = 0;
  //! Hands the data to the caller, who releases it with free(); the plane
  //! keeps its size but has no data any more.
  virtual void* DetachData() = 0;
  virtual double GetValue(unsigned x, unsigned y) const = 0;
  virtual double GetValueUnsafe(unsigned x, unsigned y) const = 0;
  virtual int GetIntValue(unsigned x, unsigned y) const = 0;
  virtual unsigned GetWidth() const = 0;
  virtual unsigned GetHeight() const = 0;
  virtual void SetValue(unsigned x, unsigned y, double value) = 0;
  virtual void SetValueUnsafe(unsigned x, unsigned y, double value) = 0;
  virtual void SetIntValue(unsigned x, unsigned y, int value) = 0;
  //! Cuts or extends the plane to the inclusive range [xMin, xMax] x
  //! [yMin, yMax] of the old coordinates; new areas get the default value.
  virtual void Resize(int xMin, int xMax, int yMin, int yMax) = 0;
  //! Every data byte 0; the default value stays.
  virtual void Clear() = 0;
  virtual void Fill(double value) = 0;
  virtual void SetDefaultValue(double value) = 0;
};

//! True when the plane holds elements of type T.
template <typename T>
inline bool IsOfType(const I_PlaneBase& plane)
{
  static_assert(!std::is_same_v<T, bool>, "no plane holds bool elements");
  return plane.GetDataType() == GetDataType<T>();
}

// No plane holds elements of these types.
template <>
inline bool IsOfType<signed char>(const I_PlaneBase&)
{
  return false;
}

template <>
inline bool IsOfType<short>(const I_PlaneBase&)
{
  return false;
}

template <>
inline bool IsOfType<long long>(const I_PlaneBase&)
{
  return false;
}

template <>
inline bool IsOfType<unsigned long long>(const I_PlaneBase&)
{
  return false;
}

} // namespace BufferApi
