#pragma once

#include <BufferApi/BufferApiExport.h>

#include <string>

namespace BufferApi
{
//! Parameters of C_AttributeFactory::CreateAttribute: the name of the new
//! attribute. Derived parameters carry what a particular kind needs; creators
//! test the run-time type.
class BUFFER_API C_AttributeBaseParam
{
public:
  C_AttributeBaseParam(const std::string& name)
      : m_name(name)
  {
  }
  C_AttributeBaseParam(const C_AttributeBaseParam&) = default;
  C_AttributeBaseParam& operator=(const C_AttributeBaseParam&) = default;
  virtual ~C_AttributeBaseParam() = default;

  std::string GetName() const { return m_name; }

private:
  std::string m_name;
};
} // namespace BufferApi
