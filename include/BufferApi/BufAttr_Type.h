#pragma once

#include <cstdint>

namespace BufferApi
{
//! What the flat-name attribute access reports for an attribute. Plane
//! attributes (numeric arrays) report the type of their elements.
enum BufAttr_Type : std::int32_t
{
  //! No attribute, a node, an unsigned 32-bit or scale attribute, or a plane of another element type.
  BufAttr_Unknown = 0,
  BufAttr_String = 1,
  BufAttr_Float = 2,
  BufAttr_Int = 3,
  BufAttr_Word = 4,
  BufAttr_Double = 5
};
} // namespace BufferApi
