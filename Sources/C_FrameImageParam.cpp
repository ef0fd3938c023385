#include <BufferApi/C_FrameImageParam.h>

#include <utility>

namespace BufferApi
{
C_FrameImageParam::C_FrameImageParam(unsigned width, unsigned height, E_DataType type,
                                     std::shared_ptr<C_ConsecutivePlaneMemory> planeMemory, void* sliceAddress)
    : C_FrameBaseParam(width, height, 1)
    , m_dataType(type)
{
  SetPlaneMemory(std::move(planeMemory), sliceAddress);
}

C_FrameImageParam::C_FrameImageParam(unsigned width, unsigned height, E_DataType type,
                                     const std::vector<void*>& planeMemory)
    : C_FrameBaseParam(width, height, planeMemory)
    , m_dataType(type)
{
}

C_FrameImageParam::C_FrameImageParam(unsigned width, unsigned height, unsigned depth, E_DataType type)
    : C_FrameBaseParam(width, height, depth)
    , m_dataType(type)
{
}

C_FrameImageParam::~C_FrameImageParam() = default;
} // namespace BufferApi
