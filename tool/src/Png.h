#pragma once

// PNG files through libpng: 8-bit gray, 16-bit gray and 8-bit RGB.

#include <cstdint>
#include <string>
#include <vector>

namespace BufferTool
{
//! Row-major samples: one per pixel for gray, three (red, green, blue) for RGB.
struct S_Picture
{
  unsigned width = 0;
  unsigned height = 0;
  unsigned channels = 1;
  unsigned bitDepth = 8;
  std::vector<std::uint16_t> samples;
};

//! Raises ToolError "can't write PNG file <path>: <reason>".
void WritePng(const std::string& path, const S_Picture& picture);

} // namespace BufferTool
