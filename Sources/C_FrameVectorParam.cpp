#include <BufferApi/C_FrameVectorParam.h>

namespace BufferApi
{
C_FrameVectorParam::C_FrameVectorParam(unsigned width, unsigned height, unsigned depth, E_DataType type,
                                       unsigned numberOfChoices)
    : C_FrameBaseParam(width, height, depth)
    , m_type(type)
    , m_numberOfChoices(numberOfChoices)
{
}
} // namespace BufferApi
