#pragma once

// The buffers whose frames a block is read into. The first input byte picks
// the frame count and kind so that frame indices, component indices and
// per-frame records meet buffers of 1 to 4 frames of every kind.

#include <BufferApi/E_DataType.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameRGB.h>
#include <BufferApi/I_FrameVector2C.h>
#include <BufferApi/I_FrameVector3C.h>

#include <cstdint>
#include <memory>

namespace Fuzz
{
//! Frames 1 + (b & 3); kind (b >> 2) & 3: 16-bit image, 2-component vector
//! with four choices, 3-component vector, RGB. Image frames carry a float and
//! an int32 component after "PIXEL", so that component indices beyond the
//! first ones name something.
inline std::unique_ptr<BufferApi::I_Buffer> ContextBuffer(std::uint8_t b)
{
  using namespace BufferApi;
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  const unsigned frames = 1 + (b & 3u);
  for (unsigned f = 0; f < frames; ++f)
  {
    I_Frame* frame = nullptr;
    switch ((b >> 2) & 3u)
    {
    case 0:
      frame = buffer->AddImageFrame(3, 2, 2, DT_UInt16);
      break;
    case 1:
      frame = buffer->AddVectorFrame2C(3, 2, 1, 4, DT_Float, 8);
      break;
    case 2:
      frame = buffer->AddVectorFrame3C(2, 2, 2, 1, DT_Float, 4);
      break;
    default:
      frame = buffer->AddRGBFrame(2, 3, 1);
      break;
    }
    frame->CreateComponent("TS:F", DT_Float);
    frame->CreateComponent("TS:I", DT_Int32);
  }
  return buffer;
}
} // namespace Fuzz
