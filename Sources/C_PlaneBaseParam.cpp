#include <BufferApi/C_ConsecutivePlaneMemory.h>
#include <BufferApi/C_PlaneBaseParam.h>

#include <utility>

namespace BufferApi
{
C_PlaneBaseParam::C_PlaneBaseParam(unsigned width, unsigned height, void* memory)
    : m_width(width)
    , m_height(height)
    , m_memory(memory)
{
}

C_PlaneBaseParam::C_PlaneBaseParam(unsigned width, unsigned height,
                                   std::shared_ptr<C_ConsecutivePlaneMemory> planeMemory, void* sliceAddress)
    : m_width(width)
    , m_height(height)
    , m_memory(nullptr)
    , m_planeMemory(std::move(planeMemory))
    , m_sliceAddress(sliceAddress)
{
}

C_PlaneBaseParam::~C_PlaneBaseParam() = default;

void C_PlaneBaseParam::SetPlaneMemory(std::shared_ptr<C_ConsecutivePlaneMemory> planeMemory, void* sliceAddress)
{
  m_planeMemory = std::move(planeMemory);
  m_sliceAddress = sliceAddress;
}

} // namespace BufferApi
