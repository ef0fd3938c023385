#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/C_AttributeBaseParam.h>

#include <string>
#include <utility>

namespace BufferApi
{
//! Name and initial value of a new C_Attribute<T>.
template <typename T>
class BUFFER_API C_AttributeParam : public C_AttributeBaseParam
{
public:
  C_AttributeParam(const std::string& name, T value)
      : C_AttributeBaseParam(name)
      , m_value(std::move(value))
  {
  }

  T GetValue() const { return m_value; }

private:
  T m_value;
};
} // namespace BufferApi
