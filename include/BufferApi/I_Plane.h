#pragma once

#include <BufferApi/I_PlaneBase.h>

#include <type_traits>

namespace BufferApi
{
//! Typed access to a plane of numeric elements T (unsigned char, unsigned
//! short, int, unsigned int, float or double).
template <typename T>
class I_Plane : public virtual I_PlaneBase
{
  static_assert(std::is_arithmetic_v<T> && !std::is_same_v<T, bool>, "I_Plane: T must be a numeric element type");

public:
  //! The element as stored; coordinates must be valid.
  virtual T GetElement(unsigned x, unsigned y) const = 0;
  //! Stores the element as given; coordinates must be valid.
  virtual void SetElement(unsigned x, unsigned y, T value) = 0;
};

} // namespace BufferApi
