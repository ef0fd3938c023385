#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/C_ConsecutivePlaneMemory.h>
#include <BufferApi/C_FrameBaseParam.h>
#include <BufferApi/E_DataType.h>

#include <memory>
#include <vector>

namespace BufferApi
{
//! Construction parameters of an image frame: size, element type and where
//! the pixel planes live. In order of precedence:
//!  - a slice of shared plane memory (the plane parameter's shared reference
//!    and slice address): one pixel plane on that slice, depth 1;
//!  - a plane memory list: one adopted caller block per plane;
//!  - neither: own, zeroed planes.
//! Copies share the plane memory block.
class BUFFER_API C_FrameImageParam : public C_FrameBaseParam
{
public:
  //! Depth 1, the pixel plane on `sliceAddress` inside `planeMemory`.
  C_FrameImageParam(unsigned width, unsigned height, E_DataType type,
                    std::shared_ptr<C_ConsecutivePlaneMemory> planeMemory, void* sliceAddress);
  //! Depth = number of blocks; plane i adopts planeMemory[i].
  C_FrameImageParam(unsigned width, unsigned height, E_DataType type, const std::vector<void*>& planeMemory);
  //! Own, zeroed planes.
  C_FrameImageParam(unsigned width = 0, unsigned height = 0, unsigned depth = 0, E_DataType type = DT_UInt16);
  ~C_FrameImageParam() override;

  C_FrameImageParam(const C_FrameImageParam&) = default;
  C_FrameImageParam& operator=(const C_FrameImageParam&) = default;

  E_DataType GetDataType() const { return m_dataType; }
  void SetDataType(E_DataType type) { m_dataType = type; }

private:
  E_DataType m_dataType;
};
} // namespace BufferApi
