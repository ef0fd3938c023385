#include <BufferApi/C_CameraFrameMapping.h>
#include <BufferApi/C_FrameTimesHelper.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>

#include <RTE/Exception.h>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
}

C_CameraFrameMapping::C_CameraFrameMapping(const I_Buffer* buffer)
    : m_buffer(buffer)
{
  if (!m_buffer)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Buffer must not be NULL.");
}

int C_CameraFrameMapping::GetCameraOfFrame(unsigned frameIndex) const
{
  I_Frame* frame = m_buffer->GetFrame(frameIndex);
  if (!frame)
    return -1;
  return C_FrameTimesHelper(frame).GetCameraOfFrame();
}

std::vector<unsigned int> C_CameraFrameMapping::GetFramesOfCamera(int camera) const
{
  std::vector<unsigned int> frames;
  const std::size_t count = m_buffer->GetNumberOfFrames();
  for (std::size_t i = 0; i < count; ++i)
  {
    if (GetCameraOfFrame(static_cast<unsigned>(i)) == camera)
      frames.push_back(static_cast<unsigned int>(i));
  }
  return frames;
}
} // namespace BufferApi
