#pragma once

#include <string>

namespace BufferTool
{
//! Frames first (inclusive) to last (exclusive), counted from 0.
struct S_FrameRange
{
  unsigned first = 0;
  unsigned end = 0;
};

//! "A:B", "A:" (to the last frame) or ":B" against a file of `frames` frames.
//! Raises ToolError for malformed text, an empty range and one beyond the file.
S_FrameRange ParseFrameRange(const std::string& text, unsigned frames);

} // namespace BufferTool
