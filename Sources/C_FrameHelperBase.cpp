#include <BufferApi/C_FrameHelperBase.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>

namespace BufferApi
{
C_FrameHelperBase::C_FrameHelperBase(I_Buffer* buffer, unsigned index)
    : m_frame(buffer ? buffer->GetFrame(index) : nullptr)
{
}

C_FrameHelperBase::C_FrameHelperBase(I_Frame* frame)
    : m_frame(frame)
{
}

C_FrameHelperBase::~C_FrameHelperBase() = default;

I_Frame* C_FrameHelperBase::GetFrame() const
{
  return m_frame;
}
} // namespace BufferApi
