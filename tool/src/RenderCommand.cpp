// `buffer render`: a frame as a PNG picture. Scalar components become gray or
// colour-mapped pictures written with libpng, RGB frames keep their colours,
// vector frames become arrow plots drawn with cairo.

#include "Colormap.h"
#include "Commands.h"
#include "Common.h"
#include "Png.h"
#include "Quiver.h"
#include "ValueSource.h"

#include <cmath>
#include <string>

using namespace BufferApi;

namespace BufferTool
{
namespace
{
struct S_RenderOptions
{
  std::string input;
  std::string output;
  unsigned frame = 0;
  unsigned plane = 0;
  std::string component;
  std::string range = "auto";
  std::string colormap = "gray";
  unsigned depth = 8;
};

//! "auto" (minimum to maximum), "pNN" (the range keeping NN % of the values)
//! or "lo:hi".
S_Range ResolveRange(const std::string& text, const S_Source& source, unsigned z)
{
  if (text == "auto")
    return HelperRange(source, 100.0, z, z + 1);
  if (text.size() > 1 && text[0] == 'p')
  {
    const double percent = ParseDouble(text.substr(1), "the percentage of --range pNN");
    if (percent < 0.1 || percent > 100.0)
      throw ToolError("the percentage of --range pNN must lie in 0.1 .. 100");
    return HelperRange(source, percent, z, z + 1);
  }
  const auto colon = text.find(':', 1);
  if (colon == std::string::npos)
    throw ToolError("--range takes auto, pNN or lo:hi, not '" + text + "'");
  S_Range range;
  range.min = ParseDouble(text.substr(0, colon), "lo of --range");
  range.max = ParseDouble(text.substr(colon + 1), "hi of --range");
  if (!(range.min < range.max))
    throw ToolError("--range " + text + ": lo must be below hi");
  return range;
}

void CheckPlane(const I_Frame& frame, unsigned plane)
{
  if (plane >= frame.GetDepth())
    throw ToolError("plane " + std::to_string(plane) + " does not exist (the frame has " +
                    std::to_string(frame.GetDepth()) + " planes)");
}

S_Picture RgbPicture(const I_PlaneBase& plane)
{
  S_Picture picture{plane.GetWidth(), plane.GetHeight(), 3, 8, {}};
  const auto* pixels = static_cast<const tagRGBQUAD*>(plane.GetData());
  const std::size_t count = std::size_t(picture.width) * picture.height;
  picture.samples.reserve(3 * count);
  for (std::size_t i = 0; i < count; ++i)
    picture.samples.insert(picture.samples.end(), {pixels[i].rgbRed, pixels[i].rgbGreen, pixels[i].rgbBlue});
  return picture;
}

//! Masked-out pixels are black.
S_Picture ScalarPicture(const S_Source& source, const I_PlaneBase& plane, const S_Range& range,
                        const S_RenderOptions& options)
{
  const E_Colormap colormap = ParseColormap(options.colormap);
  const unsigned channels = colormap == E_Colormap::Gray ? 1 : 3;
  S_Picture picture{plane.GetWidth(), plane.GetHeight(), channels, options.depth, {}};
  const double top = options.depth == 16 ? 65535.0 : 255.0;
  const I_Component* maskComponent =
      source.frame->HasMask() ? source.frame->GetComponent(I_Frame::COMPONENT_MASK) : nullptr;
  const I_PlaneBase* mask =
      maskComponent && source.component != I_Frame::COMPONENT_MASK ? maskComponent->GetPlane(options.plane) : nullptr;
  for (unsigned y = 0; y < picture.height; ++y)
    for (unsigned x = 0; x < picture.width; ++x)
    {
      const bool valid = !mask || mask->GetIntValue(x, y) != 0;
      const double t = valid ? Normalise(plane.GetValue(x, y), range.min, range.max) : 0.0;
      if (channels == 1)
        picture.samples.push_back(static_cast<std::uint16_t>(std::lround(t * top)));
      else
      {
        const S_Rgb colour = valid ? MapColour(colormap, t) : S_Rgb{};
        picture.samples.insert(picture.samples.end(), {colour.red, colour.green, colour.blue});
      }
    }
  return picture;
}

void CheckOptions(const S_RenderOptions& options)
{
  ParseColormap(options.colormap);
  if (options.depth != 8 && options.depth != 16)
    throw ToolError("--depth must be 8 or 16");
  if (options.depth == 16 && options.colormap != "gray")
    throw ToolError("--depth 16 needs --colormap gray");
}

void RunRender(const S_RenderOptions& options)
{
  CheckOptions(options);
  const BufferPtr buffer = ImportFile(options.input);
  I_Frame* frame = FrameAt(*buffer, options.frame);
  CheckPlane(*frame, options.plane);
  const S_Source source = ChooseSource(frame, options.component);
  if (source.vector)
  {
    if (options.depth == 16)
      throw ToolError("--depth 16 applies to scalar pictures, not to vector plots");
    const S_Range range = ResolveRange(options.range, source, options.plane);
    RenderQuiver(*dynamic_cast<I_FrameVector*>(frame), options.plane, ParseColormap(options.colormap), range.min,
                 range.max, options.output);
    return;
  }
  const I_PlaneBase* plane = frame->GetComponent(source.component)->GetPlane(options.plane);
  if (!plane || !plane->GetData())
    throw ToolError("component '" + source.component + "' has no plane " + std::to_string(options.plane));
  if (plane->GetDataType() == DT_RGB)
  {
    if (options.depth == 16)
      throw ToolError("--depth 16 applies to gray pictures, not to RGB frames");
    return WritePng(options.output, RgbPicture(*plane));
  }
  WritePng(options.output, ScalarPicture(source, *plane, ResolveRange(options.range, source, options.plane), options));
}
} // namespace

void AddRenderCommand(CLI::App& app, int& /*exitCode*/)
{
  auto options = std::make_shared<S_RenderOptions>();
  CLI::App* command = app.add_subcommand("render", "Render one frame of IN as the PNG picture OUT");
  command->add_option("input", options->input, "File to read")->required();
  command->add_option("output", options->output, "PNG file to write")->required();
  command->add_option("--frame", options->frame, "Frame index, from 0 (default 0)");
  command->add_option("--plane", options->plane, "Plane (z) index, from 0 (default 0)");
  command->add_option("--component", options->component,
                      "Component to show (default PIXEL; vector frames: arrows, or a component such as U0)");
  command->add_option("--range", options->range,
                      "Values mapped to black .. white: auto (min .. max, default), pNN (the range keeping NN % of "
                      "the values, outliers cut) or lo:hi");
  command->add_option("--colormap", options->colormap, "gray (default) or viridis");
  command->add_option("--depth", options->depth, "Bits per gray sample: 8 (default) or 16");
  command->footer(
      "Pixels map linearly: round((v - lo) / (hi - lo) * 255) (65535 for 16 bits), clamped; masked-out pixels are "
      "black. RGB frames keep their colours. Vector frames: each grid cell becomes c x c pixels with "
      "c = clamp(512 / max(columns, rows), 4, 32); an arrow (blue short .. red long, the longest 0.9 of the arrow "
      "spacing) starts in the middle of every k-th cell, k = ceil(16 / c); the background shows the vector length "
      "through the colormap, lightened; disabled or masked-out vectors get a white cell and a grey x; +u points "
      "right, +v down.");
  command->callback([options] { RunRender(*options); });
}

} // namespace BufferTool
