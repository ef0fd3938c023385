#pragma once

#include <BufferApi/E_DataType.h>

#include <string>

namespace BufferApi
{
class I_AttributeBase;
class I_AttributePlane;

//! True for the element types the flat-name access accepts for arrays.
bool IsArrayDataType(E_DataType type);

//! Writes count values of data, read as type, to row 0 of the attribute's
//! plane. True when the values were stored (count 0: nothing to store).
bool FillArrayAttribute(I_AttributePlane* attribute, unsigned count, E_DataType type, const void* data);

//! Deletes every child of root whose name begins with prefix (top level only).
void RemoveChildrenWithPrefix(I_AttributeBase* root, const std::string& prefix);

//! True when text begins with prefix.
inline bool StartsWith(const std::string& text, const char* prefix)
{
  return text.rfind(prefix, 0) == 0;
}
} // namespace BufferApi
