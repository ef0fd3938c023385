#include <BufferApi/C_FrameBaseParam.h>

namespace BufferApi
{
C_FrameBaseParam::C_FrameBaseParam(unsigned width, unsigned height, unsigned depth)
    : C_PlaneBaseParam(width, height)
    , m_depth(depth)
{
}

C_FrameBaseParam::C_FrameBaseParam(unsigned width, unsigned height, const std::vector<void*>& planeMemory)
    : C_PlaneBaseParam(width, height)
    , m_depth(static_cast<unsigned>(planeMemory.size()))
    , m_planeMemoryList(planeMemory)
{
}

C_FrameBaseParam::~C_FrameBaseParam() = default;

} // namespace BufferApi
