#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/I_Unit.h>

#include <string>

namespace BufferApi
{
//! Parameter of a scale creator. The unit is not owned by the parameter: it
//! passes to the scale made from it.
class BUFFER_API C_ScaleParam
{
public:
  C_ScaleParam(I_Unit* unit, const std::string& description)
      : m_unit(unit)
      , m_description(description)
  {
  }
  C_ScaleParam(const C_ScaleParam&) = default;
  C_ScaleParam& operator=(const C_ScaleParam&) = default;
  virtual ~C_ScaleParam() = default;

  I_Unit* GetUnit() const { return m_unit; }
  const std::string& GetDescription() const { return m_description; }

private:
  I_Unit* m_unit;
  std::string m_description;
};

//! Parameter of a linear scale: world = source * factor + offset.
class BUFFER_API C_ScaleLinearParam : public C_ScaleParam
{
public:
  C_ScaleLinearParam(I_Unit* unit, const std::string& description, double factor, double offset)
      : C_ScaleParam(unit, description)
      , m_factor(factor)
      , m_offset(offset)
  {
  }

  double GetFactor() const { return m_factor; }
  double GetOffset() const { return m_offset; }

private:
  double m_factor;
  double m_offset;
};
} // namespace BufferApi
