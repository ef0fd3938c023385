#pragma once

// The texts that carry a scale in the extended header, the typed-scalar
// block and the component-scale block.
//
// Tag form:       "%g %g" (factor, offset), NUL, unit, NUL, description, NUL.
// Four-line form: factor, LF, offset, LF, unit, LF, description
//                 (tag-6 values "FrameScale..." and the attribute "_FrameScale").
// Numbers are written with six significant digits in the "C" locale; factor
// and offset travel as 32-bit floats.

#include <memory>
#include <string>

namespace BufferApi
{
class I_Scale;

struct ScaleParts
{
  double factor = 1.0;
  double offset = 0.0;
  std::string unit = "pixel";
  std::string description;
};

//! The parts of `scale`; the defaults (1, 0, "pixel", "") for a missing scale.
ScaleParts GetScaleParts(const I_Scale* scale);

//! The tag form including its three NUL bytes.
std::string FormatScaleTag(const ScaleParts& parts);
//! The four-line form (no terminating NUL or line feed).
std::string FormatScaleLines(const ScaleParts& parts);

//! Reads either form from `size` bytes; what is missing keeps the defaults.
//! The form is told by the first NUL-terminated piece: a line feed in it
//! means the four-line form.
ScaleParts ParseScaleText(const char* text, std::size_t size);
inline ScaleParts ParseScaleText(const std::string& text)
{
  return ParseScaleText(text.data(), text.size());
}

//! A new linear scale (owned by the caller) from the parts, factor and
//! offset rounded to 32-bit floats as the files carry them.
std::unique_ptr<I_Scale> MakeScale(const ScaleParts& parts);

} // namespace BufferApi
