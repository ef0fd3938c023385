#pragma once

#include <string>

namespace BufferTool
{
struct S_Rgb
{
  unsigned char red = 0;
  unsigned char green = 0;
  unsigned char blue = 0;
};

enum class E_Colormap
{
  Gray,
  Viridis
};

//! "gray" or "viridis"; ToolError for anything else.
E_Colormap ParseColormap(const std::string& name);
//! The colour of t (clamped to 0 .. 1).
S_Rgb MapColour(E_Colormap map, double t);
//! Linear position of value in lo .. hi, clamped to 0 .. 1 (0 for an empty range).
double Normalise(double value, double lo, double hi);

} // namespace BufferTool
