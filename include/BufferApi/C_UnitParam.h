#pragma once

#include <BufferApi/BufferApiExport.h>

#include <string>

namespace BufferApi
{
//! Parameter of a unit creator. Most creators ignore it; its run-time type
//! tells the free-text creator whether texts were given.
class BUFFER_API C_UnitParam
{
public:
  C_UnitParam() = default;
  C_UnitParam(const C_UnitParam&) = default;
  C_UnitParam& operator=(const C_UnitParam&) = default;
  virtual ~C_UnitParam() = default;
};

//! Symbol and name of a free-text unit.
class BUFFER_API C_UnitMiscParam : public C_UnitParam
{
public:
  C_UnitMiscParam(const std::string& symbol, const std::string& name)
      : m_symbol(symbol)
      , m_name(name)
  {
  }

  const std::string& GetSymbol() const { return m_symbol; }
  const std::string& GetName() const { return m_name; }

private:
  std::string m_symbol;
  std::string m_name;
};
} // namespace BufferApi
