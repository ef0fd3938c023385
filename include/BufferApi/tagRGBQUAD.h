#pragma once

namespace BufferApi
{
//! The 4-byte colour quad of Windows bitmaps, used as the element of RGB
//! planes. Plain data: blue, green, red, reserved, one byte each, in this
//! memory order.
struct tagRGBQUAD
{
  unsigned char rgbBlue;
  unsigned char rgbGreen;
  unsigned char rgbRed;
  unsigned char rgbReserved;
};

static_assert(sizeof(tagRGBQUAD) == 4, "tagRGBQUAD must be exactly one 32-bit word");

} // namespace BufferApi
