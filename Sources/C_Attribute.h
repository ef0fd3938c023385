#pragma once

#include "C_AttributeBase.h"

#include <BufferApi/I_Attribute.h>

#include <memory>
#include <string>
#include <type_traits>
#include <utility>

namespace BufferApi
{
//! The attribute kind that holds a value of type T.
template <typename T>
struct AttributeTypeOf;
template <>
struct AttributeTypeOf<double>
{
  static constexpr E_AttributeType value = AttrDouble;
};
template <>
struct AttributeTypeOf<float>
{
  static constexpr E_AttributeType value = AttrFloat;
};
template <>
struct AttributeTypeOf<int>
{
  static constexpr E_AttributeType value = AttrInt32;
};
template <>
struct AttributeTypeOf<std::string>
{
  static constexpr E_AttributeType value = AttrString;
};
template <>
struct AttributeTypeOf<unsigned int>
{
  static constexpr E_AttributeType value = AttrUInt32;
};
template <>
struct AttributeTypeOf<unsigned short>
{
  static constexpr E_AttributeType value = AttrUInt16;
};

//! A value leaf; the value starts at 0 (empty for texts).
template <typename T>
class C_Attribute : public C_AttributeBase, public I_Attribute<T>
{
public:
  explicit C_Attribute(const std::string& name = std::string(), T value = T())
      : C_AttributeBase(name)
      , m_value(std::move(value))
  {
  }

  T GetValue() const override { return m_value; }
  void SetValue(T value) override { m_value = std::move(value); }

  I_AttributeBase* Clone() const override { return CloneAs<C_Attribute<T>>(m_value); }

  E_AttributeType GetType() const override { return AttributeTypeOf<T>::value; }

  //! The value itself; for texts the first character (the text stays 0-terminated).
  void* GetRawData() override
  {
    if constexpr (std::is_same_v<T, std::string>)
    {
      return m_value.data();
    }
    else
    {
      return &m_value;
    }
  }

protected:
  //! Exact comparison: a NaN is equal to nothing, texts compare byte-wise.
  bool IsValueEqual(const I_AttributeBase& other) const override
  {
    const auto* same = dynamic_cast<const C_Attribute<T>*>(&other);
    return same != nullptr && m_value == same->m_value;
  }

private:
  T m_value;
};

extern template class C_Attribute<double>;
extern template class C_Attribute<float>;
extern template class C_Attribute<int>;
extern template class C_Attribute<std::string>;
extern template class C_Attribute<unsigned int>;
extern template class C_Attribute<unsigned short>;
} // namespace BufferApi
