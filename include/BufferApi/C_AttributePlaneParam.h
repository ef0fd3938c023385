#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/C_AttributeBaseParam.h>
#include <BufferApi/C_PlaneBaseParam.h>
#include <BufferApi/E_DataType.h>

#include <string>

namespace BufferApi
{
//! Name, element type and size of a new plane attribute; the attribute gets
//! a new plane of own, zeroed memory.
class BUFFER_API C_AttributePlaneParam : public C_AttributeBaseParam, public C_PlaneBaseParam
{
public:
  C_AttributePlaneParam(const std::string& name, E_DataType dataType, unsigned width, unsigned height)
      : C_AttributeBaseParam(name)
      , C_PlaneBaseParam(width, height)
      , m_dataType(dataType)
  {
  }

  E_DataType GetDataType() const { return m_dataType; }

private:
  E_DataType m_dataType;
};
} // namespace BufferApi
