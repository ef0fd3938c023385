#pragma once

// The FixedBitsOfWord format (docs/FixedBitsOfWord.md): every 16-bit word
// keeps the window of FixedBits bits that starts at bit FixedStart; values
// above the window saturate to its largest value or wrap (keep their bits in
// the window). The block records its window, so that unpacking puts the kept
// bits back at their place and needs no further parameters.

#include <cstdint>

namespace Compression
{
namespace FixedBits
{
enum E_Error
{
  ErrorNone = 0,
  ErrorDestinationTooSmall = 1,
  ErrorBadWindow = 2,
  ErrorNotFixedBits = 3,
  ErrorVersion = 4,
  ErrorTruncated = 5,
  ErrorSizeMismatch = 6,
  ErrorCorrupt = 7,
  ErrorTooLarge = 8
};

const char* ErrorText(int errorCode);

struct S_Window
{
  unsigned bits = 8;  // 1..16
  unsigned start = 0; // 0..16 - bits
  bool wrapping = true;
};

bool IsValid(const S_Window& window);

//! Packed size of `size` bytes with `bits` bits per word; 0 when too large or
//! `bits` is not 1..16.
std::uint64_t PackedSize(std::uint64_t size, unsigned bits);

//! The word a packed word unpacks to.
std::uint16_t Kept(std::uint16_t word, const S_Window& window);

int Pack(const void* source, std::uint64_t size, void* destination, std::uint64_t& packedSize, const S_Window& window);

//! Unpacks one block of exactly `size` bytes; `bits` (0: any) must match the
//! block's. `consumed` is the block's packed length.
int Unpack(const void* source, std::uint64_t sourceSize, void* destination, std::uint64_t size, unsigned bits,
           std::uint64_t& consumed);

} // namespace FixedBits
} // namespace Compression
