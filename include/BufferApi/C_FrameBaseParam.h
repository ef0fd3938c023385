#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/C_PlaneBaseParam.h>

#include <vector>

namespace BufferApi
{
//! Construction parameters of a frame: width and height (of the plane
//! parameter), the depth (number of planes per component) and, optionally,
//! one caller block per plane for the frame's main component (empty: own
//! memory). Frame types derive their own parameter classes from it; the frame
//! factory's creators test the run-time type of what they receive.
class BUFFER_API C_FrameBaseParam : public C_PlaneBaseParam
{
public:
  C_FrameBaseParam(unsigned width = 0, unsigned height = 0, unsigned depth = 0);
  //! Depth = number of blocks; plane i adopts planeMemory[i].
  C_FrameBaseParam(unsigned width, unsigned height, const std::vector<void*>& planeMemory);
  ~C_FrameBaseParam() override;

  C_FrameBaseParam(const C_FrameBaseParam&) = default;
  C_FrameBaseParam& operator=(const C_FrameBaseParam&) = default;

  unsigned GetDepth() const { return m_depth; }
  void SetDepth(unsigned depth) { m_depth = depth; }
  //! One C heap block per plane (width * height elements each), or empty.
  const std::vector<void*>& GetPlaneMemoryList() const { return m_planeMemoryList; }
  void SetPlaneMemoryList(const std::vector<void*>& planeMemory) { m_planeMemoryList = planeMemory; }

private:
  unsigned m_depth;
  std::vector<void*> m_planeMemoryList;
};
} // namespace BufferApi
