#pragma once

// Vector frames as pictures: the vector length as background, one arrow per
// k-th vector coloured by its length, a grey x where a vector is disabled or
// masked out. Drawn with cairo.

#include "Colormap.h"

#include <BufferApi.h>

#include <string>

namespace BufferTool
{
//! Each grid cell becomes cell x cell pixels, cell = clamp(512 / max(columns, rows), 4, 32)
//! (integer division); arrows start at every stride-th cell in both directions,
//! stride = ceil(16 / cell), so that they stay at least 16 pixels apart.
struct S_QuiverLayout
{
  unsigned cell = 0;
  unsigned stride = 0;
  unsigned width = 0;
  unsigned height = 0;
};

S_QuiverLayout QuiverLayout(unsigned columns, unsigned rows);

//! Plane z of the frame into a PNG file at path; the background maps lengths
//! lo .. hi through the colormap, lightened so that the arrows stand out.
void RenderQuiver(BufferApi::I_FrameVector& frame, unsigned z, E_Colormap colormap, double lo, double hi,
                  const std::string& path);

} // namespace BufferTool
