#pragma once

#include <memory>

namespace BufferApi
{
//! Owns one object, or none: the value of the attributes that hold a plane or
//! a scale.
template <class T>
class C_OwningHolder
{
public:
  explicit C_OwningHolder(T* object)
      : m_object(object)
  {
  }

  T* Get() const { return m_object.get(); }

  //! Deletes the held object and takes over `object`. Handing back the held
  //! object keeps it: a plain reset would delete what stays held.
  void Set(T* object)
  {
    if (object != m_object.get())
    {
      m_object.reset(object);
    }
  }

  //! True when both hold nothing, or both hold objects that `equal` calls equal.
  template <class Equal>
  bool IsEqual(const C_OwningHolder& other, Equal equal) const
  {
    if (m_object == nullptr || other.m_object == nullptr)
    {
      return m_object == other.m_object;
    }
    return equal(*m_object, *other.m_object);
  }

private:
  std::unique_ptr<T> m_object;
};
} // namespace BufferApi
