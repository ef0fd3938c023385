#include "FixedBitsCodec.h"

#include <cstring>

namespace Compression
{
namespace FixedBits
{
namespace
{
constexpr std::uint8_t kMagic[3] = {'F', 'B', 'W'};
constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kHeaderBytes = 16;
constexpr std::uint8_t kFlagWrapping = 1;
constexpr std::uint64_t kMaxSize = std::uint64_t(1) << 62;

std::uint64_t PayloadBytes(std::uint64_t words, unsigned bits)
{
  return (words * bits + 7) / 8;
}
} // namespace

const char* ErrorText(int errorCode)
{
  switch (errorCode)
  {
  case ErrorNone:
    return "FixedBitsOfWord: no error.";
  case ErrorDestinationTooSmall:
    return "FixedBitsOfWord: the destination is smaller than the packed size.";
  case ErrorBadWindow:
    return "FixedBitsOfWord: FixedBits must be 1 to 16 and FixedStart + FixedBits at most 16.";
  case ErrorNotFixedBits:
    return "FixedBitsOfWord: the packed data do not start with a FixedBitsOfWord block.";
  case ErrorVersion:
    return "FixedBitsOfWord: unsupported version of the packed data.";
  case ErrorTruncated:
    return "FixedBitsOfWord: the packed data are truncated.";
  case ErrorSizeMismatch:
    return "FixedBitsOfWord: the packed data hold another number of bytes or bits than expected.";
  case ErrorCorrupt:
    return "FixedBitsOfWord: the packed data are corrupt.";
  case ErrorTooLarge:
    return "FixedBitsOfWord: the block is too large.";
  default:
    return "FixedBitsOfWord: unknown error.";
  }
}

bool IsValid(const S_Window& window)
{
  return window.bits >= 1 && window.bits <= 16 && window.start <= 16 - window.bits;
}

std::uint64_t PackedSize(std::uint64_t size, unsigned bits)
{
  if (size > kMaxSize || bits < 1 || bits > 16)
    return 0;
  return kHeaderBytes + PayloadBytes(size / 2, bits) + size % 2;
}

std::uint16_t Kept(std::uint16_t word, const S_Window& window)
{
  const unsigned largest = (1u << window.bits) - 1;
  unsigned value = word >> window.start;
  if (value > largest)
    value = window.wrapping ? value & largest : largest;
  return static_cast<std::uint16_t>(value << window.start);
}

int Pack(const void* source, std::uint64_t size, void* destination, std::uint64_t& packedSize, const S_Window& window)
{
  if (!IsValid(window))
    return ErrorBadWindow;
  const std::uint64_t needed = PackedSize(size, window.bits);
  if (needed == 0)
    return ErrorTooLarge;
  if (packedSize < needed)
    return ErrorDestinationTooSmall;
  const auto* in = static_cast<const std::uint8_t*>(source);
  auto* out = static_cast<std::uint8_t*>(destination);
  std::memcpy(out, kMagic, 3);
  out[3] = kVersion;
  out[4] = static_cast<std::uint8_t>(window.bits);
  out[5] = static_cast<std::uint8_t>(window.start);
  out[6] = window.wrapping ? kFlagWrapping : 0;
  out[7] = 0;
  std::memcpy(out + 8, &size, 8);

  const std::uint64_t words = size / 2;
  std::uint8_t* next = out + kHeaderBytes;
  std::uint64_t buffer = 0;
  unsigned count = 0;
  for (std::uint64_t i = 0; i < words; ++i)
  {
    std::uint16_t word;
    std::memcpy(&word, in + 2 * i, 2);
    buffer |= std::uint64_t(Kept(word, window) >> window.start) << count;
    count += window.bits;
    while (count >= 8)
    {
      *next++ = static_cast<std::uint8_t>(buffer);
      buffer >>= 8;
      count -= 8;
    }
  }
  if (count != 0)
    *next++ = static_cast<std::uint8_t>(buffer);
  if (size % 2)
    *next++ = in[size - 1];
  packedSize = static_cast<std::uint64_t>(next - out);
  return ErrorNone;
}

int Unpack(const void* source, std::uint64_t sourceSize, void* destination, std::uint64_t size, unsigned bits,
           std::uint64_t& consumed)
{
  const auto* in = static_cast<const std::uint8_t*>(source);
  auto* out = static_cast<std::uint8_t*>(destination);
  if (sourceSize >= 3 && std::memcmp(in, kMagic, 3) != 0)
    return ErrorNotFixedBits;
  if (sourceSize < kHeaderBytes)
    return ErrorTruncated;
  if (in[3] != kVersion)
    return ErrorVersion;
  S_Window window;
  window.bits = in[4];
  window.start = in[5];
  window.wrapping = (in[6] & kFlagWrapping) != 0;
  if (!IsValid(window) || (in[6] & ~kFlagWrapping) != 0 || in[7] != 0)
    return ErrorCorrupt;
  std::uint64_t stored;
  std::memcpy(&stored, in + 8, 8);
  if (stored != size || (bits != 0 && bits != window.bits))
    return ErrorSizeMismatch;
  const std::uint64_t needed = PackedSize(size, window.bits);
  if (needed == 0)
    return ErrorTooLarge;
  if (sourceSize < needed)
    return ErrorTruncated;

  const std::uint64_t words = size / 2;
  const std::uint8_t* next = in + kHeaderBytes;
  const unsigned mask = (1u << window.bits) - 1;
  std::uint64_t buffer = 0;
  unsigned count = 0;
  for (std::uint64_t i = 0; i < words; ++i)
  {
    while (count < window.bits)
    {
      buffer |= std::uint64_t(*next++) << count;
      count += 8;
    }
    const auto word = static_cast<std::uint16_t>((unsigned(buffer) & mask) << window.start);
    std::memcpy(out + 2 * i, &word, 2);
    buffer >>= window.bits;
    count -= window.bits;
  }
  if (size % 2)
    out[size - 1] = in[needed - 1];
  consumed = needed;
  return ErrorNone;
}

} // namespace FixedBits
} // namespace Compression
