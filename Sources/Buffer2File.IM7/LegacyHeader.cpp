#include "Buffer2File.IM7/LegacyHeader.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace BufferApi
{
namespace Legacy
{
namespace
{
// Field offsets and text field sizes (NUL included). The date field reaches
// into the time field: its tenth byte is the time's first, so a date keeps 9
// characters and needs no NUL of its own.
constexpr std::size_t kDate = 34, kTime = 43, kDateSize = 10, kDateCharacters = 9;
constexpr std::size_t kScaleX = 54, kScaleY = 86, kScaleValue = 118;
constexpr std::size_t kScaleTextSize = 11;
// The comment field ends where the creator text begins: 40 characters.
constexpr std::size_t kComment = 148, kCommentSize = 41, kCommentCharacters = 40;
constexpr std::size_t kCreatorField = 188, kCreatorSize = 19;

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

void PutFloat(unsigned char* bytes, std::size_t offset, float value)
{
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  Put(bytes, offset, bits);
}

float GetFloat(const unsigned char* bytes, std::size_t offset)
{
  const std::uint32_t bits = Get<std::uint32_t>(bytes, offset);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

//! At most size - 1 characters, so that the field keeps its NUL.
void PutText(unsigned char* bytes, std::size_t offset, std::size_t size, const std::string& text)
{
  std::memcpy(bytes + offset, text.data(), std::min(text.size(), size - 1));
}

//! Up to the first NUL, or the whole field when it has none.
std::string GetText(const unsigned char* bytes, std::size_t offset, std::size_t size)
{
  const auto* begin = reinterpret_cast<const char*>(bytes + offset);
  const auto* nul = static_cast<const char*>(std::memchr(begin, '\0', size));
  return std::string(begin, nul ? nul : begin + size);
}

void PutScale(unsigned char* bytes, std::size_t offset, const Scale& scale)
{
  PutFloat(bytes, offset, scale.factor);
  PutFloat(bytes, offset + 4, scale.offset);
  PutText(bytes, offset + 8, kScaleTextSize, scale.text1);
  PutText(bytes, offset + 8 + kScaleTextSize, kScaleTextSize, scale.text2);
}

Scale GetScale(const unsigned char* bytes, std::size_t offset)
{
  Scale scale;
  scale.factor = GetFloat(bytes, offset);
  scale.offset = GetFloat(bytes, offset + 4);
  scale.text1 = GetText(bytes, offset + 8, kScaleTextSize);
  scale.text2 = GetText(bytes, offset + 8 + kScaleTextSize, kScaleTextSize);
  return scale;
}
} // namespace

std::array<unsigned char, kHeaderSize> Header::ToBytes() const
{
  std::array<unsigned char, kHeaderSize> bytes{};
  unsigned char* b = bytes.data();
  Put(b, 0, fileType);
  Put(b, 10, rowsField);
  Put(b, 12, columnsField);
  Put(b, 14, formatCode);
  Put(b, 16, planeRows);
  Put(b, 18, frames);
  Put(b, 20, grid);
  Put(b, 33, version);
  PutText(b, kDate, kDateSize, date);
  PutText(b, kTime, kDateSize, time);
  PutScale(b, kScaleX, x);
  PutScale(b, kScaleY, y);
  PutScale(b, kScaleValue, value);
  PutText(b, kComment, kCommentSize, comment);
  PutText(b, kCreatorField, kCreatorSize, creator); // after the comment: it may take the comment's NUL
  Put(b, 228, rows);
  Put(b, 232, columns);
  Put(b, 236, depth);
  Put(b, 240, extraComponents);
  return bytes;
}

Header Header::FromBytes(const unsigned char* b)
{
  Header h;
  h.fileType = Get<std::int16_t>(b, 0);
  h.rowsField = Get<std::int16_t>(b, 10);
  h.columnsField = Get<std::int16_t>(b, 12);
  h.formatCode = Get<std::int16_t>(b, 14);
  h.planeRows = Get<std::int16_t>(b, 16);
  h.frames = Get<std::int16_t>(b, 18);
  h.grid = Get<std::int16_t>(b, 20);
  h.version = Get<std::uint8_t>(b, 33);
  h.date = GetText(b, kDate, kDateCharacters);
  h.time = GetText(b, kTime, kDateSize);
  h.x = GetScale(b, kScaleX);
  h.y = GetScale(b, kScaleY);
  h.value = GetScale(b, kScaleValue);
  h.comment = GetText(b, kComment, kCommentCharacters);
  h.creator = GetText(b, kCreatorField, kCreatorSize);
  h.rows = Get<std::uint32_t>(b, 228);
  h.columns = Get<std::uint32_t>(b, 232);
  h.depth = Get<std::uint32_t>(b, 236);
  h.extraComponents = Get<std::int16_t>(b, 240);
  return h;
}

} // namespace Legacy
} // namespace BufferApi
