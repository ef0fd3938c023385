#include "FrameRange.h"

#include "Common.h"

namespace BufferTool
{
S_FrameRange ParseFrameRange(const std::string& text, unsigned frames)
{
  const auto colon = text.find(':');
  if (colon == std::string::npos)
    throw ToolError("--frames needs A:B (first frame included, frame B excluded), not '" + text + "'");
  const std::string first = text.substr(0, colon);
  const std::string end = text.substr(colon + 1);
  S_FrameRange range;
  range.first = first.empty() ? 0 : ParseUnsigned(first, "the first frame of --frames");
  range.end = end.empty() ? frames : ParseUnsigned(end, "the end of --frames");
  if (range.first >= range.end)
    throw ToolError("--frames " + text + " selects no frame: A must be below B");
  if (range.end > frames)
    throw ToolError("--frames " + text + " reaches beyond the " + std::to_string(frames) + " frames of the file");
  return range;
}

} // namespace BufferTool
