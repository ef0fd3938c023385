#include "Colormap.h"

#include "Common.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace BufferTool
{
namespace
{
// Viridis sampled at nine even steps; between them the colour is interpolated linearly.
constexpr std::array<std::array<double, 3>, 9> kViridis = {{{68, 1, 84},
                                                            {71, 44, 122},
                                                            {59, 81, 139},
                                                            {44, 113, 142},
                                                            {33, 144, 141},
                                                            {39, 173, 129},
                                                            {92, 200, 99},
                                                            {170, 220, 50},
                                                            {253, 231, 37}}};

unsigned char Channel(double value)
{
  return static_cast<unsigned char>(std::lround(std::clamp(value, 0.0, 255.0)));
}
} // namespace

E_Colormap ParseColormap(const std::string& name)
{
  if (name == "gray")
    return E_Colormap::Gray;
  if (name == "viridis")
    return E_Colormap::Viridis;
  throw ToolError("unknown colormap '" + name + "' (gray or viridis)");
}

S_Rgb MapColour(E_Colormap map, double t)
{
  t = std::clamp(t, 0.0, 1.0);
  if (map == E_Colormap::Gray)
  {
    const unsigned char level = Channel(t * 255.0);
    return {level, level, level};
  }
  const double position = t * (kViridis.size() - 1);
  const std::size_t lower = std::min(static_cast<std::size_t>(position), kViridis.size() - 2);
  const double weight = position - static_cast<double>(lower);
  const auto& a = kViridis[lower];
  const auto& b = kViridis[lower + 1];
  return {Channel(a[0] + (b[0] - a[0]) * weight), Channel(a[1] + (b[1] - a[1]) * weight),
          Channel(a[2] + (b[2] - a[2]) * weight)};
}

double Normalise(double value, double lo, double hi)
{
  if (!(hi > lo))
    return 0.0;
  return std::clamp((value - lo) / (hi - lo), 0.0, 1.0);
}

} // namespace BufferTool
