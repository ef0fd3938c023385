#pragma once

// Writing of a buffer as a multi-page TIFF: one page per plane of every image
// frame, the frame's planes on consecutive pages.

#include <cstdint>
#include <cstdio>
#include <string>

namespace BufferApi
{
class I_Buffer;
}

namespace BufferTiff
{
//! The libtiff compression of the option text "none", "deflate" or "lzw"
//! (any case). Raises "unknown compression '<text>'; choose none, deflate or lzw".
std::uint16_t CompressionFromText(const std::string& text);

//! Checks every frame first, so that a refused buffer writes nothing.
void WriteTiff(const BufferApi::I_Buffer* buffer, std::FILE* file, std::uint16_t compression);

} // namespace BufferTiff
