#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/C_FrameBaseParam.h>
#include <BufferApi/E_DataType.h>

namespace BufferApi
{
//! Creation parameters of a profile frame: width = samples per profile,
//! height = number of profiles, depth 1, and the element type.
class BUFFER_API C_FrameProfileParam : public C_FrameBaseParam
{
public:
  C_FrameProfileParam(unsigned width, unsigned height, E_DataType type);
  ~C_FrameProfileParam() override;

  C_FrameProfileParam(const C_FrameProfileParam&) = default;
  C_FrameProfileParam& operator=(const C_FrameProfileParam&) = default;

  E_DataType GetDataType() const { return m_dataType; }
  void SetDataType(E_DataType type) { m_dataType = type; }

private:
  E_DataType m_dataType;
};

} // namespace BufferApi
