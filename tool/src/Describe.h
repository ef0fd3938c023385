#pragma once

// The description of a buffer as JSON: what `info` prints as text and as
// JSON, so that both outputs always carry the same facts.

#include <BufferApi.h>

#include <nlohmann/json.hpp>

namespace BufferTool
{
//! {"name", "type", "value"?, "children"?} of the attribute and its subtree.
nlohmann::json DescribeAttribute(BufferApi::I_AttributeBase* attribute);
//! The children of a root attribute (the root itself is nameless noise).
nlohmann::json DescribeAttributeChildren(BufferApi::I_AttributeBase* root);
//! {"factor", "offset", "unit", "description"}, or null without scale.
nlohmann::json DescribeScale(const BufferApi::I_Scale* scale);
//! The four scales of a frame keyed "X", "Y", "Z" and "value".
nlohmann::json DescribeScales(const BufferApi::I_Frame& frame);
//! Names without the "TS:" prefix: frame-bound ones of frame 0, then global ones.
nlohmann::json TypedScalarNames(const BufferApi::I_Buffer& buffer);

} // namespace BufferTool
