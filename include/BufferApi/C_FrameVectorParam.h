#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/C_FrameBaseParam.h>
#include <BufferApi/E_DataType.h>

namespace BufferApi
{
//! Construction parameters of the vector frames: size, the element type of
//! the vector components and the number of choices.
class BUFFER_API C_FrameVectorParam : public C_FrameBaseParam
{
public:
  C_FrameVectorParam(unsigned width, unsigned height, unsigned depth, E_DataType type, unsigned numberOfChoices);

  E_DataType GetDataType() const { return m_type; }
  unsigned GetNumberOfChoices() const { return m_numberOfChoices; }
  void SetDataType(E_DataType type) { m_type = type; }
  void SetNumberOfChoices(unsigned numberOfChoices) { m_numberOfChoices = numberOfChoices; }

private:
  E_DataType m_type;
  unsigned m_numberOfChoices;
};

} // namespace BufferApi
