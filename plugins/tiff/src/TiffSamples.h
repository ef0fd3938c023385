#pragma once

// How the library's element types are stored as TIFF samples, and the copy of
// decoded samples into planes.

#include <BufferApi/E_DataType.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace BufferTiff
{
//! BitsPerSample and SampleFormat (SAMPLEFORMAT_UINT, _INT, _IEEEFP) of one sample.
struct SampleLayout
{
  std::uint16_t bits;
  std::uint16_t format;
};

//! The exact sample layout of a numeric element type. Raises
//! "element type <name> can't be stored" for DT_Bool, DT_RGB and unknown types.
SampleLayout SampleLayoutOf(BufferApi::E_DataType type);

//! The element type that holds every value of the samples exactly (8- and
//! 16-bit signed samples widen to DT_Int32); false for layouts the library
//! has no type for.
bool ElementTypeOf(SampleLayout layout, BufferApi::E_DataType& type);

//! "UInt8", "UInt16", "Int32", "UInt32", "Float", "Double", "RGB", "Bool"; "" otherwise.
std::string DataTypeName(BufferApi::E_DataType type);
//! The inverse of DataTypeName; false for a text it does not give.
bool DataTypeFromName(const std::string& name, BufferApi::E_DataType& type);

//! Copies `count` samples, `stride` samples apart, from decoded data of the
//! given layout into consecutive elements of a plane of `target` type
//! (ElementTypeOf(layout) must give `target`).
void CopySamples(const unsigned char* source, std::size_t stride, std::size_t count, SampleLayout layout, void* plane,
                 BufferApi::E_DataType target);

} // namespace BufferTiff
