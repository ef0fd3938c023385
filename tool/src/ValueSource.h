#pragma once

// The values stats and render take from a frame: one component's planes
// (masked-out elements left out when the frame has a mask), or for vector
// frames the length or one component of each enabled, valid vector.

#include <BufferApi.h>

#include <string>
#include <vector>

namespace BufferTool
{
struct S_Source
{
  BufferApi::I_Frame* frame = nullptr;
  //! The component, for scalar sources.
  std::string component;
  //! Vector values through the active choice instead of a component.
  bool vector = false;
  BufferApi::C_PlaneMinMaxHistogram::VectorComponent_t vectorPart = BufferApi::C_PlaneMinMaxHistogram::VectorLength;
  //! What the output calls the source: the component name or "vector length", "vector u"...
  std::string label;
};

//! By name: "" takes PIXEL for image frames and the vector length for vector
//! frames; "length", "u", "v" and "w" name vector values of vector frames;
//! any other name a component. Raises ToolError for a missing component.
S_Source ChooseSource(BufferApi::I_Frame* frame, const std::string& name);

struct S_Range
{
  double min = 0.0;
  double max = 0.0;
  unsigned count = 0;
};

//! The range of planes z0 .. z1-1 from C_PlaneMinMaxHistogram keeping `percent` of the values.
S_Range HelperRange(const S_Source& source, double percent, unsigned z0, unsigned z1);
//! Every value the helper takes from planes z0 .. z1-1, in plane and row order.
std::vector<double> CollectValues(const S_Source& source, unsigned z0, unsigned z1);

} // namespace BufferTool
