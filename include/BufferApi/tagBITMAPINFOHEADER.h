#pragma once

#include <cstdint>

namespace BufferApi
{
//! The info header of Windows bitmaps (40 bytes, little-endian in the file).
//! Plain data in the field order of the file; the 108- and 124-byte headers
//! extend it with colour masks and more.
struct tagBITMAPINFOHEADER
{
  std::uint32_t biSize;
  std::int32_t biWidth;
  //! Negative for rows stored top-down.
  std::int32_t biHeight;
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};

static_assert(sizeof(tagBITMAPINFOHEADER) == 40, "tagBITMAPINFOHEADER must be the 40 bytes of the file");

} // namespace BufferApi
