#pragma once

#include <cstdint>

namespace BufferApi
{
//! The kinds of attribute nodes; the values are the keys of C_AttributeFactory
//! and are stored in files, so they must never change.
enum E_AttributeType : std::int32_t
{
  AttrNode = 0,
  AttrDouble = 1,
  AttrFloat = 2,
  AttrInt32 = 3,
  AttrString = 4,
  AttrUInt32 = 5,
  AttrUInt16 = 6,
  AttrPlane = 7,
  AttrScale = 8
};
} // namespace BufferApi
