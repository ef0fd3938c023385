#pragma once

// The 256-byte header of the legacy IMG, IMX and VEC files, little-endian;
// texts are NUL-terminated within their fields.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace BufferApi
{
namespace Legacy
{
constexpr std::size_t kHeaderSize = 256;

//! File types of offset 0.
constexpr int kTypeUnpacked = 18;
constexpr int kTypeImx = 19;
constexpr int kTypeFloat = 20;
constexpr int kTypeSparseFirst = 21;
constexpr int kTypeSparseLast = 22;
constexpr int kTypeByte = 23;
constexpr int kTypeWord = 40;

//! Versions of offset 33 that this library writes.
constexpr int kVersion = 55;
constexpr int kVersionExtraComponents = 62;

//! The escape of the 16-bit size fields at 10 and 12: take the 32-bit field.
constexpr std::int16_t kSizeEscape = -1;
//! Sizes above this go to the 32-bit fields only.
constexpr unsigned kLargestShortSize = 30000;

constexpr const char* kCreator = "created with Pelio";

//! A scale as the header holds it: text 1 is written from the description
//! and read as the unit, text 2 the other way round.
struct Scale
{
  float factor = 1.0f;
  float offset = 0.0f;
  std::string text1;
  std::string text2;
};

struct Header
{
  std::int16_t fileType = 0;
  std::int16_t rowsField = 0;
  std::int16_t columnsField = 0;
  std::int16_t formatCode = 0;
  std::int16_t planeRows = 0;
  std::int16_t frames = 0;
  std::int16_t grid = 0;
  std::uint8_t version = 0;
  std::string date;
  std::string time;
  Scale x, y, value;
  std::string comment;
  std::string creator;
  std::uint32_t rows = 0;
  std::uint32_t columns = 0;
  std::uint32_t depth = 0;
  std::int16_t extraComponents = 0;

  //! Texts longer than their fields are cut.
  std::array<unsigned char, kHeaderSize> ToBytes() const;
  static Header FromBytes(const unsigned char* bytes);
};

} // namespace Legacy
} // namespace BufferApi
