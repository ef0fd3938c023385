#include "Buffer2File.IM7/IM7Header.h"

#include <cstring>
#include <limits>

namespace BufferApi
{
namespace IM7
{
namespace
{
// The file is little-endian whatever the host is.
template <typename T>
void Put(unsigned char* bytes, std::size_t offset, T value)
{
  using U = std::make_unsigned_t<T>;
  const U raw = static_cast<U>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i)
    bytes[offset + i] = static_cast<unsigned char>(raw >> (8 * i));
}

template <typename T>
T Get(const unsigned char* bytes, std::size_t offset)
{
  using U = std::make_unsigned_t<T>;
  U raw = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i)
    raw = static_cast<U>(raw | static_cast<U>(static_cast<U>(bytes[offset + i]) << (8 * i)));
  return static_cast<T>(raw);
}
} // namespace

std::array<unsigned char, kHeaderSize> Header::ToBytes() const
{
  std::array<unsigned char, kHeaderSize> bytes{};
  unsigned char* b = bytes.data();
  Put(b, 0, legacyType);
  Put(b, 2, packType);
  Put(b, 4, bufferFormat);
  Put(b, 6, sparse);
  Put(b, 8, sizeX);
  Put(b, 12, sizeY);
  Put(b, 16, sizeZ);
  Put(b, 20, frames);
  Put(b, 24, extraComponents);
  Put(b, 26, grid);
  Put(b, 28, flags);
  Put(b, 30, typedScalarPackType);
  Put(b, 32, gridY);
  Put(b, 34, gridZ);
  return bytes;
}

Header Header::FromBytes(const unsigned char* b)
{
  Header h;
  h.legacyType = Get<std::int16_t>(b, 0);
  h.packType = Get<std::int16_t>(b, 2);
  h.bufferFormat = Get<std::int16_t>(b, 4);
  h.sparse = Get<std::int16_t>(b, 6);
  h.sizeX = Get<std::int32_t>(b, 8);
  h.sizeY = Get<std::int32_t>(b, 12);
  h.sizeZ = Get<std::int32_t>(b, 16);
  h.frames = Get<std::int32_t>(b, 20);
  h.extraComponents = Get<std::int16_t>(b, 24);
  h.grid = Get<std::int16_t>(b, 26);
  h.flags = Get<std::int16_t>(b, 28);
  h.typedScalarPackType = Get<std::int16_t>(b, 30);
  h.gridY = Get<std::int16_t>(b, 32);
  h.gridZ = Get<std::int16_t>(b, 34);
  return h;
}

std::array<unsigned char, kTrailerSize> Trailer::ToBytes() const
{
  std::array<unsigned char, kTrailerSize> bytes{};
  for (std::size_t i = 0; i < kTrailerSlots; ++i)
    Put(bytes.data(), 8 * i, positions[i]);
  return bytes;
}

Trailer Trailer::FromBytes(const unsigned char* bytes)
{
  Trailer t;
  for (std::size_t i = 0; i < kTrailerSlots; ++i)
    t.positions[i] = Get<std::uint64_t>(bytes, 8 * i);
  return t;
}

bool DecodeFormat(int code, Format& f)
{
  f = Format();
  f.code = code;
  switch (code)
  {
  case -2:
    f.type = DT_UInt8;
    f.bytesPerElement = 1;
    return true;
  case -4:
  case -10:
  case 0:
    f.type = DT_UInt16;
    f.bytesPerElement = 2;
    return true;
  case -11:
    f.type = DT_RGB;
    f.bytesPerElement = 4;
    return true;
  case -3:
  case -20:
    f.type = DT_Float;
    f.bytesPerElement = 4;
    return true;
  case -5:
    f.type = DT_Double;
    f.bytesPerElement = 8;
    return true;
  case -21:
    f.type = DT_Int32;
    f.bytesPerElement = 4;
    return true;
  default:
    break;
  }
  if (code < 1 || code > 6)
    return false;
  f.vector = true;
  f.type = DT_Float;
  f.bytesPerElement = 4;
  f.threeComponents = code >= 4;
  f.fourChoices = code != 2 && code != 4;
  f.peakRatio = code == 3 || code == 5;
  const unsigned components = f.threeComponents ? 3 : 2;
  f.planes = f.fourChoices ? 1 + 4 * components + (f.peakRatio ? 1 : 0) : components;
  return true;
}

int VectorFormatCode(bool threeComponents, bool fourChoices, bool peakRatio)
{
  if (!fourChoices)
    return threeComponents ? 4 : 2;
  if (threeComponents)
    return peakRatio ? 5 : 6;
  return peakRatio ? 3 : 1;
}

std::int64_t HeaderPackType(unsigned requested, int formatCode)
{
  const bool floatLike = (formatCode >= 1 && formatCode <= 6) || formatCode == -3 || formatCode == -5;
  const bool words = formatCode == -4, rgb = formatCode == -11, int32 = formatCode == -21;
  switch (requested)
  {
  case 4096:
    return 0;
  case 4097:
    return int32 ? 4097 : (words ? 1 : 0);
  case 4098:
    if (int32)
      return 4098;
    if (floatLike)
      return 2;
    return (words || rgb) ? 1 : 0;
  case 19:
    return floatLike ? 0 : 1;
  case 0:
  case 2:
    return requested;
  default:
    return floatLike ? 0 : static_cast<std::int64_t>(requested);
  }
}

std::uint64_t SaturatedProduct(std::initializer_list<std::uint64_t> factors)
{
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t product = 1;
  for (const std::uint64_t factor : factors)
  {
    if (factor == 0)
      return 0;
    product = product > kMax / factor ? kMax : product * factor;
  }
  return product;
}

} // namespace IM7
} // namespace BufferApi
