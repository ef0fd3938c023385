#pragma once

#include <BufferApi/BufferApiExport.h>

#include <vector>

namespace BufferApi
{
class I_Buffer;

//! Which camera took which frame of a buffer, by the frames' "CameraName"
//! attribute. The buffer is not owned.
class BUFFER_API C_CameraFrameMapping
{
public:
  //! Raises RTE::Exception for a null buffer.
  explicit C_CameraFrameMapping(const I_Buffer* buffer);

  //! The 1-based camera of the frame; -1 when there is no such frame or no camera name.
  int GetCameraOfFrame(unsigned frameIndex) const;
  //! The indices of all frames taken by camera, ascending.
  std::vector<unsigned int> GetFramesOfCamera(int camera) const;

private:
  const I_Buffer* m_buffer;
};
} // namespace BufferApi
