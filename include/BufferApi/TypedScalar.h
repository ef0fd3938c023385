#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/C_TypedScalarFrame.h>
#include <BufferApi/C_TypedScalarGlobal.h>
#include <BufferApi/E_DataType.h>

#include <cstddef>
#include <string>
#include <vector>

namespace BufferApi
{
class I_Buffer;
class I_Frame;

// Typed scalars are named scalar fields that travel with a buffer. Their
// storage names carry the prefix "TS:": frame-bound ones are components
// "TS:<name>" of every frame, global ones plane attributes "TS:<name>" under
// the buffer's attribute root. Names passed here are given without prefix.

//! Makes component "TS:<name>" of element type `type` in frame; an existing
//! one of the same type is kept (with its data), one of another type is made
//! anew. Raises RTE::VerificationFailed "Frame must not be empty." and "Name
//! of typed scalar must not be empty.".
BUFFER_API void CreateTypedScalarInFrame(I_Frame* frame, const std::string& name, E_DataType type);
//! CreateTypedScalarInFrame on every frame of buffer; raises
//! RTE::VerificationFailed "Buffer must not be empty." for a null buffer.
BUFFER_API C_TypedScalarFrame CreateTypedScalarFrameBound(I_Buffer* buffer, const std::string& name, E_DataType type);
//! Converts the component "TS:<name>" of every frame (that has it) to `type`,
//! values included.
BUFFER_API void ChangeDataTypeOfTypedScalar(I_Buffer* buffer, const std::string& name, E_DataType type);
//! Names (without prefix) of the frame's typed-scalar components in component
//! order; empty for a null frame.
BUFFER_API std::vector<std::string> GetNamesOfFrameBoundTypedScalars(const I_Frame* frame);
BUFFER_API std::size_t GetNumberOfFrameBoundTypedScalars(const I_Frame* frame);
BUFFER_API bool HasTypedScalarFrameBound(const I_Frame* frame, const std::string& name);
//! Asks frame 0 only.
BUFFER_API bool HasTypedScalarFrameBound(const I_Buffer* buffer, const std::string& name);
//! Makes (or replaces) the global typed scalar: a plane attribute of width
//! sizeX and height sizeY * sizeZ * sizeF with the children "SizeZ" and
//! "SizeF". Raises RTE::VerificationFailed for a null buffer, an empty name
//! and a volume whose height or sizes do not fit 32-bit numbers.
BUFFER_API C_TypedScalarGlobal CreateTypedScalarGlobal(I_Buffer* buffer, const std::string& name, E_DataType type,
                                                       unsigned sizeX, unsigned sizeY, unsigned sizeZ, unsigned sizeF);
BUFFER_API bool HasTypedScalarGlobal(const I_Buffer* buffer, const std::string& name);
} // namespace BufferApi
