#pragma once

// Layout of the IM7 container: the 256-byte header, the 256-byte trailer,
// the buffer format codes and the mapping of the requested pack type.

#include <BufferApi/E_DataType.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace BufferApi
{
namespace IM7
{
constexpr std::size_t kHeaderSize = 256;
constexpr std::size_t kTrailerSize = 256;

//! Flag bits of header offset 28.
constexpr int kFlagTrailer = 1;
constexpr int kFlagGridYZ = 2;

//! The largest ratio of unpacked to packed bytes that a packed block of the
//! file is believed to reach (zlib's theoretical maximum, 1032:1). A reader
//! never allocates more than this multiple of the packed bytes a file holds.
constexpr std::uint64_t kMaxPackRatio = 1032;

//! The header fields, in host form.
struct Header
{
  std::int16_t legacyType = 0;
  std::int16_t packType = 0;
  std::int16_t bufferFormat = 0;
  std::int16_t sparse = 0;
  std::int32_t sizeX = 0;
  std::int32_t sizeY = 0;
  std::int32_t sizeZ = 0;
  std::int32_t frames = 0;
  std::int16_t extraComponents = 0;
  std::int16_t grid = 1;
  std::int16_t flags = 0;
  std::int16_t typedScalarPackType = 0;
  std::int16_t gridY = 0;
  std::int16_t gridZ = 0;

  std::array<unsigned char, kHeaderSize> ToBytes() const;
  static Header FromBytes(const unsigned char* bytes);
};

//! The blocks the trailer locates, by their slot (offset / 8).
enum TrailerSlot : std::size_t
{
  kExtendedHeader = 0,
  kUnpackedMask = 2,
  kUnpackedTypedScalars = 3,
  kPackedTypedScalars = 4,
  kPackedMask = 5,
  kComponentScales = 6,
  kTrailerSlots = 7
};

//! Seven absolute file positions; 0 marks an absent block.
struct Trailer
{
  std::array<std::uint64_t, kTrailerSlots> positions{};

  std::array<unsigned char, kTrailerSize> ToBytes() const;
  static Trailer FromBytes(const unsigned char* bytes);
};

//! What a buffer format code of offset 4 stands for.
struct Format
{
  int code = 0;
  E_DataType type = DT_UInt16;
  //! Bytes of one element of one plane.
  unsigned bytesPerElement = 2;
  //! Planes per frame and z plane (1 for images, P of the vector codes).
  unsigned planes = 1;
  bool vector = false;
  bool threeComponents = false;
  bool fourChoices = false;
  bool peakRatio = false;

  unsigned Choices() const { return fourChoices ? 4 : 1; }
};

//! False for a code this library can't read.
bool DecodeFormat(int code, Format& format);

//! The vector format code for the frame kind, choice count and peak ratio.
int VectorFormatCode(bool threeComponents, bool fourChoices, bool peakRatio);

//! The pack type of the header for the "PackType" export option; float-like
//! are the vector formats and the float and double images.
std::int64_t HeaderPackType(unsigned requested, int formatCode);

//! a * b * ..., saturated at the largest 64-bit value instead of wrapping.
std::uint64_t SaturatedProduct(std::initializer_list<std::uint64_t> factors);

} // namespace IM7
} // namespace BufferApi
