#pragma once

#include <cstdint>
#include <string>

namespace BufferApi
{
class I_Component;
class I_Frame;
class I_PlaneBase;
class I_Scale;

//! The prefix that marks components and global attributes as typed scalars.
constexpr const char* kTypedScalarPrefix = "TS:";

//! "TS:" + name.
std::string TypedScalarName(const std::string& name);
//! Whether text begins with "TS:".
bool IsTypedScalarName(const std::string& text);

//! The component named exactly "TS:" + name, or null (no fall-back to the
//! choice names of vector frames).
I_Component* FindTypedScalarComponent(const I_Frame* frame, const std::string& name);

//! Copies the whole of source into destination when both have data, the same
//! element type and the same width and height; answers whether it did.
bool CopyPlaneBytes(const I_PlaneBase* source, I_PlaneBase* destination);

//! The parts of a linear scale as GetLinearScale gives them: factor, world
//! value of 0, unit symbol and description; 1, 0 and empty texts without scale.
void ReadLinearScale(const I_Scale* scale, double& factor, double& offset, std::string& unit, std::string& description);
} // namespace BufferApi
