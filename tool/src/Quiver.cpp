#include "Quiver.h"

#include "Common.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using namespace BufferApi;

namespace BufferTool
{
namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr double kArrowGap = 16.0;
//! The share of white mixed into the background colour.
constexpr double kLighten = 0.6;

struct S_SurfaceDeleter
{
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct S_ContextDeleter
{
  void operator()(cairo_t* context) const { cairo_destroy(context); }
};

struct S_Cell
{
  bool valid = false;
  float u = 0, v = 0;
  double length = 0;
};

std::vector<S_Cell> ReadCells(I_FrameVector& frame, unsigned z)
{
  C_CompatibleVectorPlaneAccess access(&frame, z);
  const bool useMask = frame.HasMask();
  std::vector<S_Cell> cells(std::size_t(frame.GetWidth()) * frame.GetHeight());
  for (unsigned y = 0; y < frame.GetHeight(); ++y)
    for (unsigned x = 0; x < frame.GetWidth(); ++x)
    {
      S_Cell& cell = cells[std::size_t(y) * frame.GetWidth() + x];
      float w = 0;
      const bool enabled = access.GetVector3D(x, y, cell.u, cell.v, w, VA_Disabled) != VA_Disabled;
      cell.valid = enabled && (!useMask || access.Mask_GetPixel(int(x), int(y)));
      cell.length = std::sqrt(double(cell.u) * cell.u + double(cell.v) * cell.v + double(w) * w);
    }
  return cells;
}

void SetColour(cairo_t* context, const S_Rgb& colour)
{
  cairo_set_source_rgb(context, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
}

S_Rgb Lightened(const S_Rgb& colour)
{
  auto mix = [](unsigned char c)
  { return static_cast<unsigned char>(std::lround(c * (1 - kLighten) + 255 * kLighten)); };
  return {mix(colour.red), mix(colour.green), mix(colour.blue)};
}

//! Blue for the shortest arrows to red for the longest: never grey, so arrows
//! differ from every background.
S_Rgb ArrowColour(double t)
{
  const auto red = static_cast<unsigned char>(std::lround(255 * t));
  return {red, 0, static_cast<unsigned char>(255 - red)};
}

void DrawArrow(cairo_t* context, double x, double y, double dx, double dy)
{
  const double length = std::hypot(dx, dy);
  if (length < 1.0)
    return;
  const double head = std::min(0.35 * length, 8.0);
  const double angle = std::atan2(dy, dx);
  cairo_move_to(context, x, y);
  cairo_line_to(context, x + dx, y + dy);
  for (double side : {-1.0, 1.0})
  {
    cairo_move_to(context, x + dx, y + dy);
    cairo_line_to(context, x + dx - head * std::cos(angle + side * kPi / 7),
                  y + dy - head * std::sin(angle + side * kPi / 7));
  }
  cairo_stroke(context);
}

void DrawCross(cairo_t* context, double x, double y, double size)
{
  cairo_set_source_rgb(context, 0.5, 0.5, 0.5);
  cairo_move_to(context, x - size, y - size);
  cairo_line_to(context, x + size, y + size);
  cairo_move_to(context, x - size, y + size);
  cairo_line_to(context, x + size, y - size);
  cairo_stroke(context);
}

void DrawBackground(cairo_t* context, const std::vector<S_Cell>& cells, unsigned columns, const S_QuiverLayout& layout,
                    E_Colormap colormap, double lo, double hi)
{
  for (std::size_t i = 0; i < cells.size(); ++i)
  {
    const S_Rgb colour =
        cells[i].valid ? Lightened(MapColour(colormap, Normalise(cells[i].length, lo, hi))) : S_Rgb{255, 255, 255};
    SetColour(context, colour);
    cairo_rectangle(context, double(i % columns * layout.cell), double(i / columns * layout.cell), layout.cell,
                    layout.cell);
    cairo_fill(context);
  }
}

void DrawArrows(cairo_t* context, const std::vector<S_Cell>& cells, unsigned columns, const S_QuiverLayout& layout,
                double lo, double hi)
{
  double longest = 0.0;
  for (const S_Cell& cell : cells)
    if (cell.valid)
      longest = std::max(longest, cell.length);
  const double scale = longest > 0.0 ? 0.9 * layout.stride * layout.cell / longest : 0.0;
  cairo_set_line_width(context, 2.0);
  cairo_set_line_cap(context, CAIRO_LINE_CAP_BUTT);
  for (std::size_t i = 0; i < cells.size(); ++i)
  {
    const unsigned x = static_cast<unsigned>(i % columns);
    const unsigned y = static_cast<unsigned>(i / columns);
    if (x % layout.stride != 0 || y % layout.stride != 0)
      continue;
    const double cx = (x + 0.5) * layout.cell;
    const double cy = (y + 0.5) * layout.cell;
    if (!cells[i].valid)
    {
      DrawCross(context, cx, cy, layout.cell / 6.0);
      continue;
    }
    SetColour(context, ArrowColour(Normalise(cells[i].length, lo, hi)));
    DrawArrow(context, cx, cy, cells[i].u * scale, cells[i].v * scale);
  }
}
} // namespace

S_QuiverLayout QuiverLayout(unsigned columns, unsigned rows)
{
  S_QuiverLayout layout;
  const unsigned larger = std::max({columns, rows, 1u});
  layout.cell = std::clamp(512u / larger, 4u, 32u);
  layout.stride = static_cast<unsigned>(std::ceil(kArrowGap / layout.cell));
  layout.width = columns * layout.cell;
  layout.height = rows * layout.cell;
  return layout;
}

void RenderQuiver(I_FrameVector& frame, unsigned z, E_Colormap colormap, double lo, double hi, const std::string& path)
{
  const std::vector<S_Cell> cells = ReadCells(frame, z);
  const S_QuiverLayout layout = QuiverLayout(frame.GetWidth(), frame.GetHeight());
  std::unique_ptr<cairo_surface_t, S_SurfaceDeleter> surface(
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, int(layout.width), int(layout.height)));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
    throw ToolError("can't make a picture of " + std::to_string(layout.width) + " x " + std::to_string(layout.height) +
                    " pixels");
  {
    std::unique_ptr<cairo_t, S_ContextDeleter> context(cairo_create(surface.get()));
    DrawBackground(context.get(), cells, frame.GetWidth(), layout, colormap, lo, hi);
    DrawArrows(context.get(), cells, frame.GetWidth(), layout, lo, hi);
  }
  const cairo_status_t status = cairo_surface_write_to_png(surface.get(), path.c_str());
  if (status != CAIRO_STATUS_SUCCESS)
    throw ToolError("can't write PNG file " + path + ": " + cairo_status_to_string(status));
}

} // namespace BufferTool
