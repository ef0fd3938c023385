#pragma once

// What the IMX encoder and the decoders of every version share: the
// constants of the block layout, little-endian access, the layout of a block
// and the bit readers. Internal to the compression module.

#include "ImxCodec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

// The per-sample steps must be inlined into the band loops.
#if defined(__GNUC__)
#define IMX_ALWAYS_INLINE __attribute__((always_inline))
#else
#define IMX_ALWAYS_INLINE
#endif

namespace Compression
{
namespace Imx
{
namespace Detail
{
constexpr std::size_t kHeaderBytes = 24;
constexpr std::size_t kDirectoryEntryBytes = 8;         // payload length, checksum
constexpr std::size_t kVersion1DirectoryEntryBytes = 4; // payload length
constexpr std::uint8_t kStreams = 4;                    // sample i of a band goes to stream i % 4
constexpr std::uint8_t kBandRaw = 0;
constexpr std::uint8_t kBandCoded = 1;
constexpr unsigned kMaxEscape = 24;
constexpr unsigned kMaxSymbolBits = kMaxEscape + 1 + 16; // 41: fits a refilled 64-bit buffer (56 bits)
constexpr std::size_t kChunkSamples = 256;
constexpr std::size_t kMinFastChunk = 16;

// Unary codes of E or more zeros escape to a raw sample: E = 12 for bytes, 24 for words.
inline unsigned EscapeFor(unsigned sampleBytes)
{
  return sampleBytes == 1 ? 12 : 24;
}
template <typename T>
constexpr unsigned kEscape = sizeof(T) == 1 ? 12 : 24;

// ---------------------------------------------------------------------------
// Little-endian helpers
// ---------------------------------------------------------------------------
inline std::uint64_t Load64(const std::uint8_t* p)
{
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline void Store64(std::uint8_t* p, std::uint64_t v)
{
  std::memcpy(p, &v, 8);
}
inline std::uint32_t Load32(const std::uint8_t* p)
{
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store32(std::uint8_t* p, std::uint32_t v)
{
  std::memcpy(p, &v, 4);
}

// Element i of an unaligned little-endian array (i may be negative).
template <typename T>
inline unsigned Get(const std::uint8_t* base, std::ptrdiff_t i)
{
  T v;
  std::memcpy(&v, base + i * std::ptrdiff_t(sizeof(T)), sizeof(T));
  return v;
}
template <typename T>
inline void Put(std::uint8_t* base, std::size_t i, unsigned v)
{
  const T t = static_cast<T>(v);
  std::memcpy(base + i * sizeof(T), &t, sizeof(T));
}

inline unsigned BitLength(unsigned v)
{
  return 31u - static_cast<unsigned>(__builtin_clz(2 * v + 1));
}
inline unsigned AbsDiff(unsigned x, unsigned y)
{
  const int d = int(x) - int(y), sign = d >> 31;
  return static_cast<unsigned>((d ^ sign) - sign);
}

// ---------------------------------------------------------------------------
// Layout of one block
// ---------------------------------------------------------------------------
struct S_Layout
{
  unsigned version = 2;
  unsigned sampleBytes = 2;     // 1 or 2
  unsigned distance = 1;        // D: the left neighbour is D samples back
  unsigned escape = 24;         // E: unary codes of E or more zeros escape to a raw sample
  std::uint64_t size = 0;       // unpacked bytes
  std::uint64_t rowSamples = 2; // L > D: the neighbour above is L samples back
  std::uint64_t bandSamples = 1;
  std::uint64_t samples = 0; // size / sampleBytes
  std::uint64_t bands = 0;

  std::uint64_t BandBegin(std::uint64_t band) const { return band * bandSamples; }
  std::uint64_t BandCount(std::uint64_t band) const { return std::min(bandSamples, samples - band * bandSamples); }
  std::uint64_t TailBytes() const { return size - samples * sampleBytes; }
  std::size_t DirectoryEntryBytes() const { return version == 1 ? kVersion1DirectoryEntryBytes : kDirectoryEntryBytes; }
  std::uint64_t DataOffset() const { return kHeaderBytes + bands * DirectoryEntryBytes(); }
};

inline std::uint64_t DivideUp(std::uint64_t a, std::uint64_t b)
{
  return a / b + (a % b != 0);
}

// Where the neighbours of a band's samples lie; a band is coded on its own.
struct S_Geometry
{
  std::size_t d;
  std::size_t l;
  std::size_t headEnd; // samples before this have no row above in the band
};

inline S_Geometry GeometryOf(const S_Layout& layout, std::size_t count)
{
  const std::size_t d = layout.distance, l = static_cast<std::size_t>(layout.rowSamples);
  return {d, l, std::min(count, l + d)};
}

template <typename T>
struct S_Residual
{
  static constexpr unsigned kBits = 8 * sizeof(T);
  static constexpr unsigned kShift = 32 - kBits;

  static unsigned ZigZag(unsigned value, int prediction)
  {
    const std::uint32_t wrapped = std::uint32_t(int(value) - prediction) << kShift;
    const int e = static_cast<int>(wrapped) >> kShift;
    return (std::uint32_t(e) << 1) ^ std::uint32_t(e >> 31);
  }
  static int Signed(unsigned zz) { return int(zz >> 1) ^ -int(zz & 1); }
  static unsigned Restore(unsigned zz, int prediction)
  {
    const int e = int(zz >> 1) ^ -int(zz & 1);
    return unsigned(prediction + e) & ((1u << kBits) - 1);
  }
};

struct S_BitReader
{
  const std::uint8_t* data = nullptr;
  std::size_t length = 0;
  std::size_t next = 0; // next byte not yet in the buffer (may pass the end: then zeros are read)
  std::uint64_t buffer = 0;
  unsigned count = 0;

  template <bool Safe>
  void Refill()
  {
    std::uint64_t word;
    if (!Safe)
      word = Load64(data + next);
    else
    {
      word = 0;
      if (next < length)
        std::memcpy(&word, data + next, std::min<std::size_t>(8, length - next));
    }
    buffer |= word << count;
    next += (63 - count) >> 3;
    count |= 56;
  }
  template <bool Safe>
  unsigned Take(unsigned k, unsigned escape, unsigned bits)
  {
    Refill<Safe>();
    const unsigned q = static_cast<unsigned>(__builtin_ctzll(buffer | (std::uint64_t(1) << escape)));
    unsigned zz, used;
    if (q < escape)
    {
      zz = (q << k) | (static_cast<unsigned>(buffer >> (q + 1)) & ((1u << k) - 1));
      used = q + 1 + k;
    }
    else
    {
      zz = static_cast<unsigned>(buffer >> (escape + 1)) & ((1u << bits) - 1);
      used = escape + 1 + bits;
    }
    buffer >>= used;
    count -= used;
    return zz;
  }
  // A refill moves on at most 7 bytes and loads 8.
  bool HasFastRoom(std::size_t symbols) const { return next + symbols * 7 + 8 <= length; }
  std::uint64_t ConsumedBits() const { return std::uint64_t(next) * 8 - count; }
};

// The hot loop reads the bit streams through plain pointers (the caller made
// sure of 8 readable bytes per refill).
struct S_FastReader
{
  const std::uint8_t* next;
  std::uint64_t buffer;
  unsigned count;

  //! Takes over where `reader` stands, and hands the position back after.
  static S_FastReader From(const S_BitReader& reader)
  {
    return {reader.data + reader.next, reader.buffer, reader.count};
  }
  void ReturnTo(S_BitReader& reader) const
  {
    reader.next = static_cast<std::size_t>(next - reader.data);
    reader.buffer = buffer;
    reader.count = count;
  }

  template <unsigned kEscapeBits, unsigned kBits>
  IMX_ALWAYS_INLINE unsigned Take(unsigned k)
  {
    buffer |= Load64(next) << count;
    next += (63 - count) >> 3;
    count |= 56;
    const unsigned q = static_cast<unsigned>(__builtin_ctzll(buffer | (std::uint64_t(1) << kEscapeBits)));
    unsigned zz, used;
    if (q < kEscapeBits)
    {
      zz = (q << k) | (static_cast<unsigned>(buffer >> (q + 1)) & ((1u << k) - 1));
      used = q + 1 + k;
    }
    else
    {
      zz = static_cast<unsigned>(buffer >> (kEscapeBits + 1)) & ((1u << kBits) - 1);
      used = kEscapeBits + 1 + kBits;
    }
    buffer >>= used;
    count -= used;
    return zz;
  }
};

// ---------------------------------------------------------------------------
// Bit streams: least significant bit first, little-endian bytes
// ---------------------------------------------------------------------------
class C_BitWriter
{
public:
  explicit C_BitWriter(std::uint8_t* start)
      : m_start(start)
      , m_next(start)
  {
  }

  // Appends `length` (<= 41) bits; always stores 8 bytes at the write position.
  IMX_ALWAYS_INLINE void Put(std::uint64_t code, unsigned length)
  {
    m_buffer |= code << m_count;
    m_count += length;
    Store64(m_next, m_buffer);
    m_next += m_count >> 3;
    m_buffer >>= m_count & ~7u;
    m_count &= 7;
  }
  std::size_t Finish()
  {
    if (m_count != 0)
      *m_next++ = static_cast<std::uint8_t>(m_buffer);
    m_count = 0;
    m_buffer = 0;
    return static_cast<std::size_t>(m_next - m_start);
  }
  std::size_t Written() const { return static_cast<std::size_t>(m_next - m_start); }

  // The write position and the bits not yet complete (fewer than 8), for a
  // coder that runs several streams at once and hands them back with Resume.
  std::uint8_t* Next() const { return m_next; }
  std::uint64_t Pending() const { return m_buffer; }
  unsigned PendingBits() const { return m_count; }
  void Resume(std::uint8_t* next, std::uint64_t pending, unsigned pendingBits)
  {
    m_next = next;
    m_buffer = pending;
    m_count = pendingBits;
  }

private:
  std::uint8_t* m_start;
  std::uint8_t* m_next;
  std::uint64_t m_buffer = 0;
  unsigned m_count = 0;
};

// ---------------------------------------------------------------------------
// The vector coder of body samples (AVX2, chosen at run time)
// ---------------------------------------------------------------------------
//! A stretch of body samples of a band: every sample has its row above.
struct S_BodyStretch
{
  const std::uint8_t* x; // the band
  std::size_t begin;     // at least L + D; for the coder a multiple of kStreams
  std::size_t count;
  std::size_t d;
  std::size_t l;
  int base;
  const std::uint32_t* choices; // per body context (0..16): weight | k << 8
};

//! Residual statistics of body samples: per context (0..16) the count and,
//! per weight (0..4 quarters), the sum of the zigzag residuals.
constexpr unsigned kBodyContexts = 17;
constexpr unsigned kWeights = 5;
struct S_BodyTotals
{
  std::uint64_t count[kBodyContexts] = {};
  std::uint64_t sum[kWeights][kBodyContexts] = {};
};

//! Whether the vector coder runs on this processor and is switched on.
bool VectorCoderEnabled();
//! Switches the vector coder off or back on (where the processor has it);
//! both coders write the same bits, which the tests compare.
void EnableVectorCoder(bool enabled);
//! Codes the first count / 8 * 8 samples of the stretch into the four
//! writers, exactly as the portable coder would; returns how many it coded.
//! Only call while VectorCoderEnabled().
std::size_t EncodeBodyVector(const S_BodyStretch& stretch, unsigned sampleBytes, C_BitWriter* writers);
//! Adds the statistics of the first count / 8 * 8 samples of the stretch
//! (its choices are not used) to `totals`; returns how many it took.
std::size_t GatherBodyVector(const S_BodyStretch& stretch, unsigned sampleBytes, S_BodyTotals& totals);

// ---------------------------------------------------------------------------
// Band decoding shared by every version
// ---------------------------------------------------------------------------
//! A raw band: the mode byte and the samples as they are.
inline int CopyRawBand(const std::uint8_t* in, std::size_t length, std::uint8_t* x, std::size_t rawBytes)
{
  if (length != rawBytes + 1)
    return ErrorCorrupt;
  std::memcpy(x, in + 1, rawBytes);
  return ErrorNone;
}

//! The four bit streams of a coded band: the lengths of the first three are
//! the last 12 bytes of its `headerBytes`, the streams follow the header.
inline bool OpenStreams(const std::uint8_t* in, std::size_t length, std::size_t headerBytes, S_BitReader* readers)
{
  std::size_t position = headerBytes;
  for (unsigned stream = 0; stream < kStreams; ++stream)
  {
    const std::size_t streamBytes =
        stream + 1 < kStreams ? Load32(in + headerBytes - 4 * (kStreams - 1) + 4 * stream) : length - position;
    if (streamBytes > length - position)
      return false;
    readers[stream] = S_BitReader{in + position, streamBytes};
    position += streamBytes;
  }
  return true;
}

//! Decodes samples [0, count) of a band: fast(begin, end) takes whole groups
//! of samples no longer than L - D (so that the row above them is complete)
//! while every stream has room for a chunk; safe(begin, end) the head, the
//! samples around the groups and whatever is left near the streams' ends.
template <typename Safe, typename Fast>
void DecodeChunks(std::size_t count, const S_Geometry& g, const S_BitReader* readers, Safe safe, Fast fast)
{
  const std::size_t chunk = std::min(kChunkSamples, g.l - g.d) / kStreams * kStreams;
  constexpr std::size_t kSymbolsPerStream = kChunkSamples / kStreams;
  std::size_t begin = std::min(count, DivideUp(g.headEnd, kStreams) * kStreams);
  safe(0, begin);
  while (begin < count)
  {
    const std::size_t end = std::min(count, begin + std::max<std::size_t>(chunk, kStreams));
    const std::size_t groupsEnd = begin + (end - begin) / kStreams * kStreams;
    bool roomy = chunk >= kMinFastChunk && groupsEnd > begin;
    for (unsigned stream = 0; stream < kStreams; ++stream)
      roomy = roomy && readers[stream].HasFastRoom(kSymbolsPerStream);
    if (roomy)
    {
      fast(begin, groupsEnd);
      safe(groupsEnd, end);
    }
    else
      safe(begin, end);
    begin = end;
  }
}

//! Each stream must end exactly in its last byte.
inline int CheckStreamEnds(const S_BitReader* readers)
{
  for (unsigned stream = 0; stream < kStreams; ++stream)
  {
    const S_BitReader& reader = readers[stream];
    if (DivideUp(reader.ConsumedBits(), 8) != reader.length)
      return reader.ConsumedBits() > std::uint64_t(reader.length) * 8 ? ErrorTruncated : ErrorCorrupt;
  }
  return ErrorNone;
}

//! Decodes one band of a version 1 block (median edge prediction).
int DecodeBandVersion1(const std::uint8_t* in, std::size_t length, std::uint8_t* x, std::size_t count,
                       const S_Layout& layout);

} // namespace Detail
} // namespace Imx
} // namespace Compression
