#pragma once

#include <BufferApi/BufferApiExport.h>

namespace BufferApi
{
class I_Buffer;
class I_Frame;

//! Common base of the frame metadata helpers: a frame they work on, not owned.
//! Without a frame the helpers report status 4, -1 or 0 and change nothing.
class BUFFER_API C_FrameHelperBase
{
public:
  //! The buffer's frame at index; no frame for a null buffer or a bad index.
  C_FrameHelperBase(I_Buffer* buffer, unsigned index);
  explicit C_FrameHelperBase(I_Frame* frame);
  virtual ~C_FrameHelperBase();
  C_FrameHelperBase(const C_FrameHelperBase&) = default;
  C_FrameHelperBase& operator=(const C_FrameHelperBase&) = default;

  I_Frame* GetFrame() const;

private:
  I_Frame* m_frame;
};
} // namespace BufferApi
