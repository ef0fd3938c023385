#pragma once

// Conversions between doubles and plane elements. Values are clamped to the
// element type; conversions outside what the target can hold give the
// results of the x86 truncating instructions the library was designed on
// (the "integer indefinite" value), never undefined behaviour.

#include <BufferApi/tagRGBQUAD.h>

#include <cstdint>
#include <limits>

namespace BufferApi
{
namespace Detail
{
constexpr double kTwoTo63 = 9223372036854775808.0;
constexpr double kFloatMax = 3.4028234663852886e38;

//! trunc(v) as 64-bit integer; NaN and values out of range give INT64_MIN.
inline std::int64_t TruncToInt64(double v) noexcept
{
  if (!(v >= -kTwoTo63 && v < kTwoTo63))
    return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(v);
}

//! trunc(v) as 32-bit integer; NaN and values out of range give INT32_MIN.
inline std::int32_t TruncToInt32(double v) noexcept
{
  if (!(v > -2147483649.0 && v < 2147483648.0))
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

//! v stored as element T, clamped; NaN stores 0 in integer elements.
template <typename T>
T ToElement(double v) noexcept;

template <>
inline unsigned char ToElement<unsigned char>(double v) noexcept
{
  if (!(v >= 0.0))
    return 0;
  if (v > 255.0)
    return 255;
  return static_cast<unsigned char>(v);
}

template <>
inline unsigned short ToElement<unsigned short>(double v) noexcept
{
  if (!(v >= 0.0))
    return 0;
  if (v > 65535.0)
    return 65535;
  return static_cast<unsigned short>(v);
}

template <>
inline int ToElement<int>(double v) noexcept
{
  if (v <= -2147483648.0)
    return std::numeric_limits<int>::min();
  if (v >= 2147483647.0)
    return std::numeric_limits<int>::max();
  if (v != v)
    return 0;
  return static_cast<int>(v);
}

template <>
inline unsigned int ToElement<unsigned int>(double v) noexcept
{
  if (!(v >= 0.0))
    return 0;
  if (v > 4294967295.0)
    return std::numeric_limits<unsigned int>::max();
  return static_cast<unsigned int>(v);
}

template <>
inline float ToElement<float>(double v) noexcept
{
  if (v < -kFloatMax)
    return -std::numeric_limits<float>::max();
  if (v > kFloatMax)
    return std::numeric_limits<float>::max();
  return static_cast<float>(v);
}

template <>
inline double ToElement<double>(double v) noexcept
{
  return v;
}

//! The element read as a 32-bit integer.
template <typename T>
inline int ToInt(T e) noexcept
{
  return static_cast<int>(e);
}

template <>
inline int ToInt<unsigned int>(unsigned int e) noexcept
{
  // The same 32 bits.
  return static_cast<int>(e);
}

template <>
inline int ToInt<float>(float e) noexcept
{
  // Truncated to 64 bits, the low 32 bits kept.
  return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(TruncToInt64(e))));
}

template <>
inline int ToInt<double>(double e) noexcept
{
  return TruncToInt32(e);
}

//! An RGB element from the low 32 bits of trunc(v): blue bits 0-7, green
//! 8-15, red 16-23, reserved 24-31.
inline tagRGBQUAD ToRGBQuad(double v) noexcept
{
  const auto n = static_cast<std::uint64_t>(TruncToInt64(v));
  return tagRGBQUAD{static_cast<unsigned char>(n & 0xFF), static_cast<unsigned char>((n >> 8) & 0xFF),
                    static_cast<unsigned char>((n >> 16) & 0xFF), static_cast<unsigned char>((n >> 24) & 0xFF)};
}

//! As ToRGBQuad, but the reserved byte is 0 (fills and default values).
inline tagRGBQUAD ToRGBColour(double v) noexcept
{
  tagRGBQUAD quad = ToRGBQuad(v);
  quad.rgbReserved = 0;
  return quad;
}

//! red * 65536 + green * 256 + blue; the reserved byte is ignored.
inline int RGBToInt(const tagRGBQUAD& quad) noexcept
{
  return quad.rgbRed * 65536 + quad.rgbGreen * 256 + quad.rgbBlue;
}

} // namespace Detail
} // namespace BufferApi
