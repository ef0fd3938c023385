#pragma once

// Structure-aware mutation of IM7 and VC7 files: most of the time one field
// that a reader must not trust is set to a value at the edge of its range:
// a header field (pack type, format, sizes, counts, grids, flags), a trailer
// position, the head of an extended-header tag or the first fields of a
// block the trailer locates (mask kind and length, typed-scalar count and
// record sizes, component-scale count). Byte-level mutation still runs one
// time in four and whenever the input is no IM7 file.

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace Fuzz
{
namespace IM7Mutation
{
constexpr std::size_t kHeader = 256;
constexpr std::size_t kTrailer = 256;

struct Field
{
  std::size_t offset;
  unsigned width;
};

//! Pack type, format, sparse, four sizes, extra components, grid, flags,
//! typed-scalar pack type, grid Y and Z.
constexpr Field kHeaderFields[] = {{2, 2},  {4, 2},  {6, 2},  {8, 4},  {12, 4}, {16, 4}, {20, 4},
                                   {24, 2}, {26, 2}, {28, 2}, {30, 2}, {32, 2}, {34, 2}};
constexpr std::int64_t kFormatCodes[] = {-2, -3, -4, -5, -11, -21, 1, 2, 3, 4, 5, 6, 0, 7, -1};

using Random = std::minstd_rand;

inline std::uint64_t Pick(Random& random, std::uint64_t bound)
{
  return bound == 0 ? 0 : random() % bound;
}

//! A value at an edge: 0, 1, -1, the extremes of the width, small numbers,
//! the old value shifted by a little or doubled, the file size and its half.
inline std::uint64_t EdgeValue(Random& random, std::uint64_t old, unsigned width, std::size_t fileSize)
{
  const std::uint64_t top = width >= 8 ? ~std::uint64_t(0) : (std::uint64_t(1) << (8 * width)) - 1;
  const std::uint64_t signedMax = top >> 1;
  switch (Pick(random, 11))
  {
  case 0:
    return 0;
  case 1:
    return 1;
  case 2:
    return top;
  case 3:
    return signedMax;
  case 4:
    return signedMax + 1;
  case 5:
    return Pick(random, 33);
  case 6:
    return old + 1;
  case 7:
    return old - 1;
  case 8:
    return old * 2;
  case 9:
    return fileSize;
  default:
    return fileSize / 2 + Pick(random, 16);
  }
}

inline void SetField(std::uint8_t* data, std::size_t size, Field field, Random& random)
{
  std::uint64_t old = 0;
  for (unsigned i = 0; i < field.width; ++i)
    old |= std::uint64_t(data[field.offset + i]) << (8 * i);
  std::uint64_t value = EdgeValue(random, old, field.width, size);
  if (field.offset == 4 && Pick(random, 2) == 0)
    value = static_cast<std::uint64_t>(kFormatCodes[Pick(random, std::size(kFormatCodes))]);
  Put(data + field.offset, value, field.width);
}

inline bool HasTrailer(const std::uint8_t* data, std::size_t size)
{
  return size >= kHeader + kTrailer && (data[28] & 1) != 0;
}

inline std::uint64_t Slot(const std::uint8_t* data, std::size_t size, unsigned slot)
{
  return Get64(data + size - kTrailer + 8 * slot);
}

inline void MutateTrailer(std::uint8_t* data, std::size_t size, Random& random)
{
  const unsigned slot = static_cast<unsigned>(Pick(random, 7));
  std::uint8_t* field = data + size - kTrailer + 8 * slot;
  std::uint64_t value = 0;
  switch (Pick(random, 5))
  {
  case 0:
    value = kHeader + Pick(random, size - kHeader);
    break;
  case 1:
    value = Slot(data, size, static_cast<unsigned>(Pick(random, 7))) + Pick(random, 9) - 4;
    break;
  case 2:
    value = size - kTrailer - Pick(random, 8);
    break;
  default:
    value = EdgeValue(random, Get64(field), 8, size);
  }
  Put(field, value, 8);
}

//! Heads of the tags of the extended header, walked from its trailer
//! position (or, without one, from the end of an unpacked data block the
//! mutator can't know: then the heads are searched for as end tags).
inline std::vector<std::size_t> TagHeads(const std::uint8_t* data, std::size_t size)
{
  std::vector<std::size_t> heads;
  if (!HasTrailer(data, size))
    return heads;
  std::uint64_t at = Slot(data, size, 0);
  const std::size_t end = size - kTrailer;
  while (at >= kHeader && at < end && end - at >= 8 && heads.size() < 4096)
  {
    heads.push_back(static_cast<std::size_t>(at));
    const std::uint32_t type = Get32(data + at);
    const std::int32_t length = static_cast<std::int32_t>(Get32(data + at + 4));
    if (type == 0 || length < 0)
      break;
    at += 8 + static_cast<std::uint64_t>(length);
  }
  return heads;
}

inline void MutateTagHead(std::uint8_t* data, std::size_t size, Random& random)
{
  const std::vector<std::size_t> heads = TagHeads(data, size);
  if (heads.empty())
    return;
  const std::size_t head = heads[Pick(random, heads.size())];
  if (Pick(random, 2) == 0)
    Put(data + head, Pick(random, 3) == 0 ? EdgeValue(random, Get32(data + head), 4, size) : Pick(random, 19), 4);
  else
    Put(data + head + 4, EdgeValue(random, Get32(data + head + 4), 4, size), 4);
}

//! The leading fields of the mask, typed-scalar and component-scale blocks.
inline void MutateBlockHead(std::uint8_t* data, std::size_t size, Random& random)
{
  const unsigned blockSlots[] = {2, 3, 4, 5, 6};
  const std::uint64_t at = Slot(data, size, blockSlots[Pick(random, std::size(blockSlots))]);
  if (at < kHeader || at >= size - kTrailer)
    return;
  const std::size_t room = size - kTrailer - static_cast<std::size_t>(at);
  const std::size_t word = 4 * static_cast<std::size_t>(Pick(random, 8));
  if (word + 4 > room)
    return;
  Put(data + at + word, EdgeValue(random, Get32(data + at + word), 4, size), 4);
}

inline std::size_t Mutate(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned seed)
{
  Random random(seed);
  if (size < kHeader || data[0] != 0 || data[1] != 0 || Pick(random, 4) == 0)
    return LLVMFuzzerMutate(data, size, maxSize);
  const bool trailer = HasTrailer(data, size);
  switch (trailer ? Pick(random, 4) : 0)
  {
  case 0:
    SetField(data, size, kHeaderFields[Pick(random, std::size(kHeaderFields))], random);
    break;
  case 1:
    MutateTrailer(data, size, random);
    break;
  case 2:
    MutateTagHead(data, size, random);
    break;
  default:
    MutateBlockHead(data, size, random);
    break;
  }
  return size;
}

} // namespace IM7Mutation
} // namespace Fuzz

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed)
{
  return Fuzz::IM7Mutation::Mutate(data, size, maxSize, seed);
}
