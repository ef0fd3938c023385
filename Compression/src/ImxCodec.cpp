#include "ImxCodec.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <new>
#include <thread>
#include <vector>

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
namespace
{
// ---------------------------------------------------------------------------
// Format constants (docs/IMX-codec.md)
// ---------------------------------------------------------------------------
constexpr std::uint8_t kMagic[3] = {'I', 'M', 'X'};
constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kHeaderBytes = 24;
constexpr std::size_t kDirectoryEntryBytes = 4;
constexpr std::uint8_t kStreams = 4; // sample i of a band goes to stream i % 4
constexpr unsigned kContexts = 19;   // 0..17: bit length of the activity above; 18: first row of a band
constexpr unsigned kHeadContext = 18;
constexpr std::size_t kCodedBandHeaderBytes = 1 + kContexts + 4 * (kStreams - 1);
constexpr std::uint8_t kBandRaw = 0;
constexpr std::uint8_t kBandCoded = 1;
constexpr unsigned kMaxEscape = 24;
constexpr unsigned kMaxSymbolBits = kMaxEscape + 1 + 16; // 41: fits a refilled 64-bit buffer (56 bits)

// Encoder policy (the decoder accepts any valid choice).
constexpr std::uint64_t kBandTargetSamples = 131072;
constexpr std::uint64_t kMaxRowSamples = std::uint64_t(1) << 20;
constexpr std::uint64_t kMaxSize = std::uint64_t(1) << 62;
constexpr std::size_t kChunkSamples = 256;
constexpr unsigned kStatsRowStep = 4;
constexpr std::size_t kMinFastChunk = 16;

// Unary codes of E or more zeros escape to a raw sample: E = 12 for bytes, 24 for words.
unsigned EscapeFor(unsigned sampleBytes)
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

// Median edge detector: a + b - c clamped to the range of a and b. Written
// without branches: on noisy images they would be mispredicted half the time.
// Minimum and maximum that compile to conditional moves: on noisy images a
// branch would be mispredicted half the time.
#if defined(__GNUC__) && defined(__x86_64__)
inline int Min(int p, int q)
{
  asm("cmpl %1, %0\n\tcmovg %1, %0" : "+r"(p) : "r"(q) : "cc");
  return p;
}
inline int Max(int p, int q)
{
  asm("cmpl %1, %0\n\tcmovl %1, %0" : "+r"(p) : "r"(q) : "cc");
  return p;
}
inline int Select(bool condition, int yes, int no)
{
  asm("testb %2, %2\n\tcmovnz %1, %0" : "+r"(no) : "r"(yes), "q"(condition) : "cc");
  return no;
}
#else
inline int Min(int p, int q)
{
  return p < q ? p : q;
}
inline int Max(int p, int q)
{
  return p > q ? p : q;
}
inline int Select(bool condition, int yes, int no)
{
  return condition ? yes : no;
}
#endif

// Median edge detector: a + b - c clamped to the range of a and b, with
// masks instead of comparisons so that the encoder's loops vectorise.
inline int Med(int a, int b, int c)
{
  const int diff = a - b, below = diff >> 31; // all ones when a < b
  const int low = b + (diff & below), high = a - (diff & below);
  int p = a + b - c;
  int t = p - low;
  p -= t & (t >> 31); // at least low
  t = p - high;
  p -= t & ~(t >> 31); // at most high
  return p;
}

// The decoder's step from the left neighbour a to the sample: the median
// prediction plus the residual e, rearranged so that only two operations wait
// for a. With g = b - c: g >= 0 gives max(a, min(a + g, b)), g < 0 gives
// min(a, max(a + g, b)); e is added inside.
inline int MedPlus(int a, int b, int c, int e)
{
  const int g = b - c, ae = a + e, ag = a + g + e, be = b + e;
  const int rising = Max(ae, Min(ag, be)), falling = Min(ae, Max(ag, be));
  return Select(g >= 0, rising, falling);
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
  std::uint64_t DataOffset() const { return kHeaderBytes + bands * kDirectoryEntryBytes; }
};

std::uint64_t DivideUp(std::uint64_t a, std::uint64_t b)
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

S_Geometry GeometryOf(const S_Layout& layout, std::size_t count)
{
  const std::size_t d = layout.distance, l = static_cast<std::size_t>(layout.rowSamples);
  return {d, l, std::min(count, l + d)};
}

// ---------------------------------------------------------------------------
// Residuals
// ---------------------------------------------------------------------------
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

// Prediction and context of sample i of a band (x points at the band's first sample).
struct S_Neighbours
{
  int prediction;
  unsigned context;
};

template <typename T>
inline S_Neighbours Body(const std::uint8_t* x, std::size_t i, const S_Geometry& g)
{
  const unsigned a = Get<T>(x, i - g.d), b = Get<T>(x, i - g.l), c = Get<T>(x, i - g.l - g.d),
                 d = Get<T>(x, i - g.l + g.d);
  return {Med(int(a), int(b), int(c)), BitLength(AbsDiff(b, c) + AbsDiff(d, b))};
}

template <typename T>
inline S_Neighbours Head(const std::uint8_t* x, std::size_t i, const S_Geometry& g)
{
  return {i >= g.d ? int(Get<T>(x, i - g.d)) : 0, kHeadContext};
}

// Bit length of an activity (< 2^24) through the exponent of a float, so that
// the loops below vectorise: the float of 2v + 1 has exponent BitLength(v).
inline unsigned BitLengthByFloat(unsigned v)
{
  const float f = static_cast<float>(static_cast<int>(2 * v + 1));
  return (__builtin_bit_cast(std::uint32_t, f) >> 23) - 127;
}

// Contexts of samples [begin, end) of a band: they depend on the row above only.
template <typename T>
void Contexts(const std::uint8_t* x, std::size_t begin, std::size_t end, const S_Geometry& g,
              std::uint32_t* __restrict context)
{
  const std::uint8_t* up = x + (begin - g.l) * sizeof(T);
  const std::ptrdiff_t d = std::ptrdiff_t(g.d), n = std::ptrdiff_t(end - begin);
  for (std::ptrdiff_t j = 0; j < n; ++j)
  {
    const unsigned b = Get<T>(up, j), c = Get<T>(up, j - d), e = Get<T>(up, j + d);
    context[j] = BitLengthByFloat(AbsDiff(b, c) + AbsDiff(e, b));
  }
}

// Residuals and contexts of body samples [begin, end) of a band (encoder side).
template <typename T>
void Residuals(const std::uint8_t* x, std::size_t begin, std::size_t end, const S_Geometry& g,
               std::uint32_t* __restrict zz, std::uint32_t* __restrict context)
{
  const std::uint8_t* here = x + begin * sizeof(T);
  const std::uint8_t* up = x + (begin - g.l) * sizeof(T);
  const std::ptrdiff_t d = std::ptrdiff_t(g.d), n = std::ptrdiff_t(end - begin);
  for (std::ptrdiff_t j = 0; j < n; ++j)
  {
    const unsigned a = Get<T>(here, j - d), b = Get<T>(up, j), c = Get<T>(up, j - d), e = Get<T>(up, j + d);
    zz[j] = S_Residual<T>::ZigZag(Get<T>(here, j), Med(int(a), int(b), int(c)));
    context[j] = BitLengthByFloat(AbsDiff(b, c) + AbsDiff(e, b));
  }
}

// ---------------------------------------------------------------------------
// Choice of the Rice parameters from residual statistics
// ---------------------------------------------------------------------------
struct S_Statistics
{
  double count[kContexts] = {};
  double sum[kContexts] = {};

  void Add(const S_Statistics& other)
  {
    for (unsigned c = 0; c < kContexts; ++c)
    {
      count[c] += other.count[c];
      sum[c] += other.sum[c];
    }
  }
  // Cost model of a Rice code with parameter k: n (1 + k) + sum / 2^k bits.
  static double Cost(double n, double s, unsigned k) { return n * (1 + k) + s / double(std::uint64_t(1) << k); }
  unsigned BestK(unsigned c, unsigned bits) const
  {
    if (count[c] == 0)
      return std::min(bits - 1, c > 2 ? c - 2 : 0u);
    unsigned best = 0;
    for (unsigned k = 1; k < bits; ++k)
      if (Cost(count[c], sum[c], k) < Cost(count[c], sum[c], best))
        best = k;
    return best;
  }
  double BestCost(unsigned bits) const
  {
    double total = 0;
    for (unsigned c = 0; c < kContexts; ++c)
      if (count[c] != 0)
        total += Cost(count[c], sum[c], BestK(c, bits));
    return total;
  }
};

template <typename T>
void Gather(const std::uint8_t* x, std::size_t begin, std::size_t end, const S_Geometry& g, S_Statistics& stats)
{
  std::size_t i = begin;
  for (; i < std::min(end, g.headEnd); ++i)
  {
    const auto n = Head<T>(x, i, g);
    stats.count[n.context] += 1;
    stats.sum[n.context] += S_Residual<T>::ZigZag(Get<T>(x, i), n.prediction);
  }
  std::uint32_t zz[kChunkSamples], context[kChunkSamples];
  std::uint64_t count[2][kContexts] = {}, sum[2][kContexts] = {}; // two sets: shorter store-to-load chains
  for (; i < end; i += kChunkSamples)
  {
    const std::size_t n = std::min(kChunkSamples, end - i);
    Residuals<T>(x, i, i + n, g, zz, context);
    for (std::size_t j = 0; j < n; ++j)
    {
      count[j & 1][context[j]] += 1;
      sum[j & 1][context[j]] += zz[j];
    }
  }
  for (unsigned c = 0; c < kContexts; ++c)
  {
    stats.count[c] += double(count[0][c] + count[1][c]);
    stats.sum[c] += double(sum[0][c] + sum[1][c]);
  }
}

// Statistics of a band: its first row and every few rows after it.
template <typename T>
S_Statistics BandStatistics(const std::uint8_t* x, std::size_t count, const S_Geometry& g)
{
  S_Statistics stats;
  Gather<T>(x, 0, g.headEnd, g, stats);
  for (std::size_t row = 1 + kStatsRowStep / 2; row * g.l < count; row += kStatsRowStep)
  {
    const std::size_t begin = std::max(row * g.l, g.headEnd), end = std::min(count, (row + 1) * g.l);
    if (begin < end)
      Gather<T>(x, begin, end, g, stats);
  }
  return stats;
}

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

private:
  std::uint8_t* m_start;
  std::uint8_t* m_next;
  std::uint64_t m_buffer = 0;
  unsigned m_count = 0;
};

IMX_ALWAYS_INLINE inline void PutSample(C_BitWriter& writer, unsigned zz, unsigned k, unsigned escape, unsigned bits)
{
  const unsigned q = zz >> k;
  if (q < escape)
    writer.Put((std::uint64_t(1) | (std::uint64_t(zz & ((1u << k) - 1)) << 1)) << q, q + 1 + k);
  else
    writer.Put((std::uint64_t(1) | (std::uint64_t(zz) << 1)) << escape, escape + 1 + bits);
}

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

// ---------------------------------------------------------------------------
// Band coding
// ---------------------------------------------------------------------------
struct S_Scratch
{
  std::vector<std::uint8_t> streams[kStreams - 1]; // all streams but the first
};

// Codes one band into `out` (at most `capacity` bytes, which is at least the
// raw size + 1); returns the payload length.
template <typename T>
std::size_t EncodeBand(const std::uint8_t* x, std::size_t count, const S_Layout& layout, std::uint8_t* out,
                       std::size_t capacity, S_Scratch& scratch)
{
  const std::size_t rawBytes = count * sizeof(T);
  const auto storeRaw = [&]()
  {
    out[0] = kBandRaw;
    std::memcpy(out + 1, x, rawBytes);
    return rawBytes + 1;
  };
  const S_Geometry g = GeometryOf(layout, count);
  constexpr unsigned kBits = 8 * sizeof(T);
  constexpr unsigned kSymbolBytes = (kMaxSymbolBits + 7) / 8;
  const unsigned escape = kEscape<T>;
  if (capacity < kCodedBandHeaderBytes + 16)
    return storeRaw();

  const S_Statistics stats = BandStatistics<T>(x, count, g);
  unsigned table[kContexts];
  for (unsigned c = 0; c < kContexts; ++c)
    table[c] = stats.BestK(c, kBits);

  // The first stream is written in place (and watched against the capacity),
  // the others into scratch memory large enough for their worst case.
  const std::size_t worstStream = (count / kStreams + 1) * kSymbolBytes + 16;
  for (auto& stream : scratch.streams)
    if (stream.size() < worstStream)
      stream.resize(worstStream);
  C_BitWriter writers[kStreams] = {C_BitWriter(out + kCodedBandHeaderBytes), C_BitWriter(scratch.streams[0].data()),
                                   C_BitWriter(scratch.streams[1].data()), C_BitWriter(scratch.streams[2].data())};
  const std::size_t firstCapacity = capacity - kCodedBandHeaderBytes;
  std::uint32_t zz[kChunkSamples], context[kChunkSamples];
  constexpr std::size_t kWorstChunkBytes = (kChunkSamples / kStreams + 1) * kSymbolBytes + 8;
  for (std::size_t begin = 0; begin < count; begin += kChunkSamples)
  {
    if (writers[0].Written() + kWorstChunkBytes > firstCapacity)
      return storeRaw(); // coding would not pay: the band is stored as it is
    const std::size_t end = std::min(count, begin + kChunkSamples);
    std::size_t i = begin;
    for (; i < std::min(end, g.headEnd); ++i)
    {
      const auto n = Head<T>(x, i, g);
      PutSample(writers[i % kStreams], S_Residual<T>::ZigZag(Get<T>(x, i), n.prediction), table[n.context], escape,
                kBits);
    }
    if (i == end)
      continue;
    Residuals<T>(x, i, end, g, zz, context);
    const std::size_t from = i;
    const auto put = [&](std::size_t j, C_BitWriter& writer) IMX_ALWAYS_INLINE
    { PutSample(writer, zz[j - from], table[context[j - from]], escape, kBits); };
    for (; i < end && i % kStreams != 0; ++i)
      put(i, writers[i % kStreams]);
    // Named copies of the writers stay in registers through the groups.
    C_BitWriter w0 = writers[0], w1 = writers[1], w2 = writers[2], w3 = writers[3];
    for (; i + kStreams <= end; i += kStreams)
    {
      put(i, w0);
      put(i + 1, w1);
      put(i + 2, w2);
      put(i + 3, w3);
    }
    writers[0] = w0;
    writers[1] = w1;
    writers[2] = w2;
    writers[3] = w3;
    for (; i < end; ++i)
      put(i, writers[i % kStreams]);
  }
  std::size_t lengths[kStreams], total = kCodedBandHeaderBytes;
  for (unsigned stream = 0; stream < kStreams; ++stream)
    total += lengths[stream] = writers[stream].Finish();
  if (total >= rawBytes + 1 || total > capacity)
    return storeRaw();
  out[0] = kBandCoded;
  for (unsigned c = 0; c < kContexts; ++c)
    out[1 + c] = static_cast<std::uint8_t>(table[c]);
  std::size_t position = kCodedBandHeaderBytes + lengths[0];
  for (unsigned stream = 1; stream < kStreams; ++stream)
  {
    Store32(out + 1 + kContexts + 4 * (stream - 1), static_cast<std::uint32_t>(lengths[stream - 1]));
    std::memcpy(out + position, scratch.streams[stream - 1].data(), lengths[stream]);
    position += lengths[stream];
  }
  return total;
}

// The hot loop: the bit streams are read through plain pointers (the caller
// made sure of 8 readable bytes per refill); with D = 1 the left neighbour
// stays in a register, which keeps a store-to-load round trip off the chain
// from one sample to the next.
struct S_FastReader
{
  const std::uint8_t* next;
  std::uint64_t buffer;
  unsigned count;

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

template <typename T, bool kLeftInRegister>
void DecodeFast(std::uint8_t* x, std::size_t begin, std::size_t end, const S_Geometry& g, const unsigned* table,
                S_BitReader* readers)
{
  constexpr unsigned kBits = 8 * sizeof(T);
  // The contexts of the chunk come from the row above, all decoded already
  // (the chunk is no longer than L - D), in one vectorised pass.
  std::uint32_t context[kChunkSamples];
  Contexts<T>(x, begin, end, g, context);
  S_FastReader fast[kStreams];
  for (unsigned stream = 0; stream < kStreams; ++stream)
    fast[stream] = {readers[stream].data + readers[stream].next, readers[stream].buffer, readers[stream].count};
  const std::size_t d = kLeftInRegister ? 1 : g.d, l = g.l;
  unsigned left = Get<T>(x, std::ptrdiff_t(begin - d));
  const auto decode = [&](std::size_t i, S_FastReader& reader) IMX_ALWAYS_INLINE
  {
    const unsigned a = kLeftInRegister ? left : Get<T>(x, std::ptrdiff_t(i - d));
    const unsigned b = Get<T>(x, std::ptrdiff_t(i - l)), c = Get<T>(x, std::ptrdiff_t(i - l - d));
    const unsigned zz = reader.template Take<kEscape<T>, kBits>(table[context[i - begin]]);
    left = unsigned(MedPlus(int(a), int(b), int(c), S_Residual<T>::Signed(zz))) & ((1u << kBits) - 1);
    Put<T>(x, std::ptrdiff_t(i), left);
  };
  // Whole groups only (begin and end are multiples of the stream count), so
  // that every reader is named statically and stays in registers.
  for (std::size_t i = begin; i < end; i += kStreams)
  {
    decode(i, fast[0]);
    decode(i + 1, fast[1]);
    decode(i + 2, fast[2]);
    decode(i + 3, fast[3]);
  }
  for (unsigned stream = 0; stream < kStreams; ++stream)
  {
    readers[stream].next = static_cast<std::size_t>(fast[stream].next - readers[stream].data);
    readers[stream].buffer = fast[stream].buffer;
    readers[stream].count = fast[stream].count;
  }
}

template <typename T>
void DecodeSafe(std::uint8_t* x, std::size_t begin, std::size_t end, const S_Geometry& g, const unsigned* table,
                S_BitReader* readers)
{
  for (std::size_t i = begin; i < end; ++i)
  {
    const auto n = i < g.headEnd ? Head<T>(x, i, g) : Body<T>(x, i, g);
    const unsigned zz = readers[i % kStreams].Take<true>(table[n.context], kEscape<T>, 8 * sizeof(T));
    Put<T>(x, std::ptrdiff_t(i), S_Residual<T>::Restore(zz, n.prediction));
  }
}

template <typename T>
int DecodeBand(const std::uint8_t* in, std::size_t length, std::uint8_t* x, std::size_t count, const S_Layout& layout)
{
  const std::size_t rawBytes = count * sizeof(T);
  if (length < 1)
    return ErrorCorrupt;
  if (in[0] == kBandRaw)
  {
    if (length != rawBytes + 1)
      return ErrorCorrupt;
    std::memcpy(x, in + 1, rawBytes);
    return ErrorNone;
  }
  if (in[0] != kBandCoded || length < kCodedBandHeaderBytes)
    return ErrorCorrupt;
  constexpr unsigned kBits = 8 * sizeof(T);
  unsigned table[kContexts];
  for (unsigned c = 0; c < kContexts; ++c)
  {
    table[c] = in[1 + c];
    if (table[c] >= kBits)
      return ErrorCorrupt;
  }
  S_BitReader readers[kStreams];
  std::size_t position = kCodedBandHeaderBytes;
  for (unsigned stream = 0; stream < kStreams; ++stream)
  {
    const std::size_t streamBytes = stream + 1 < kStreams ? Load32(in + 1 + kContexts + 4 * stream) : length - position;
    if (streamBytes > length - position)
      return ErrorCorrupt;
    readers[stream] = S_BitReader{in + position, streamBytes};
    position += streamBytes;
  }
  const S_Geometry g = GeometryOf(layout, count);
  DecodeSafe<T>(x, 0, g.headEnd, g, table, readers);
  // Fast chunks: whole groups of samples, no longer than L - D, so that the
  // row above them is complete; the few samples around them go the safe way.
  const std::size_t chunk = std::min(kChunkSamples, g.l - g.d) / kStreams * kStreams;
  constexpr std::size_t kSymbolsPerStream = kChunkSamples / kStreams;
  std::size_t begin = std::min(count, DivideUp(g.headEnd, kStreams) * kStreams);
  DecodeSafe<T>(x, g.headEnd, begin, g, table, readers);
  while (begin < count)
  {
    const std::size_t end = std::min(count, begin + std::max<std::size_t>(chunk, kStreams));
    const std::size_t groupsEnd = begin + (end - begin) / kStreams * kStreams;
    bool fast = chunk >= kMinFastChunk && groupsEnd > begin;
    for (const S_BitReader& reader : readers)
      fast = fast && reader.HasFastRoom(kSymbolsPerStream);
    if (!fast)
      DecodeSafe<T>(x, begin, end, g, table, readers);
    else
    {
      if (g.d == 1)
        DecodeFast<T, true>(x, begin, groupsEnd, g, table, readers);
      else
        DecodeFast<T, false>(x, begin, groupsEnd, g, table, readers);
      DecodeSafe<T>(x, groupsEnd, end, g, table, readers);
    }
    begin = end;
  }
  // Each stream must end exactly in its last byte.
  for (const S_BitReader& reader : readers)
    if (DivideUp(reader.ConsumedBits(), 8) != reader.length)
      return reader.ConsumedBits() > std::uint64_t(reader.length) * 8 ? ErrorTruncated : ErrorCorrupt;
  return ErrorNone;
}

// ---------------------------------------------------------------------------
// Choice of the sample layout
// ---------------------------------------------------------------------------
struct S_Candidate
{
  unsigned sampleBytes;
  unsigned distance;
  unsigned rowFactor; // row length in samples per "Columns"
};
// 16-bit images, 8-bit images, RGB quads, 32-bit words, pairs and triples of bytes.
constexpr S_Candidate kCandidates[] = {{2, 1, 1}, {1, 1, 1}, {1, 4, 4}, {2, 2, 2}, {1, 2, 2}, {1, 3, 3}};

S_Layout MakeLayout(std::uint64_t size, const S_Candidate& candidate, std::int64_t columns)
{
  S_Layout layout;
  layout.sampleBytes = candidate.sampleBytes;
  layout.distance = candidate.distance;
  layout.escape = EscapeFor(candidate.sampleBytes);
  layout.size = size;
  layout.samples = size / candidate.sampleBytes;
  const std::uint64_t perRow =
      columns > 0 ? std::min<std::uint64_t>(std::uint64_t(columns), kMaxRowSamples) * candidate.rowFactor : 1024;
  layout.rowSamples = std::clamp<std::uint64_t>(perRow, candidate.distance + 1, kMaxRowSamples);
  layout.bandSamples = DivideUp(kBandTargetSamples, layout.rowSamples) * layout.rowSamples;
  layout.bands = DivideUp(layout.samples, layout.bandSamples);
  return layout;
}

// Estimated bits per byte of a layout, from a few rows spread over the data.
template <typename T>
double EstimateBitsPerByte(const std::uint8_t* data, const S_Layout& layout)
{
  if (layout.samples == 0)
    return 0;
  const S_Geometry g = GeometryOf(layout, static_cast<std::size_t>(layout.samples));
  S_Statistics stats;
  std::size_t used = 0;
  const std::uint64_t rows = layout.samples / layout.rowSamples;
  constexpr unsigned kStripes = 6;
  constexpr std::size_t kStripeSamples = 2048;
  if (rows < 3)
  {
    const std::size_t end = static_cast<std::size_t>(std::min<std::uint64_t>(layout.samples, 16384));
    Gather<T>(data, 0, end, g, stats);
    used = end;
  }
  else
    for (unsigned stripe = 0; stripe < kStripes; ++stripe)
    {
      const std::uint64_t row = 1 + (stripe + 1) * (rows - 1) / (kStripes + 1);
      const std::size_t begin = static_cast<std::size_t>(std::max<std::uint64_t>(row * layout.rowSamples, g.headEnd));
      const std::size_t end = static_cast<std::size_t>(
          std::min<std::uint64_t>({layout.samples, begin + kStripeSamples, (row + 1) * layout.rowSamples}));
      if (begin < end)
      {
        Gather<T>(data, begin, end, g, stats);
        used += end - begin;
      }
    }
  return used == 0 ? 0 : stats.BestCost(8 * sizeof(T)) / double(used * sizeof(T));
}

S_Layout ChooseLayout(const std::uint8_t* data, std::uint64_t size, std::int64_t columns)
{
  S_Layout best = MakeLayout(size, kCandidates[0], columns);
  double bestCost = std::numeric_limits<double>::max();
  for (const S_Candidate& candidate : kCandidates)
  {
    const S_Layout layout = MakeLayout(size, candidate, columns);
    const double cost = layout.sampleBytes == 1 ? EstimateBitsPerByte<std::uint8_t>(data, layout)
                                                : EstimateBitsPerByte<std::uint16_t>(data, layout);
    if (cost < bestCost * 0.999)
    {
      bestCost = cost;
      best = layout;
    }
  }
  return best;
}

// ---------------------------------------------------------------------------
// Running bands, on threads when asked
// ---------------------------------------------------------------------------
template <typename Work>
void ForEachBand(std::uint64_t bands, bool parallel, Work work)
{
  const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
  const unsigned threads = parallel ? static_cast<unsigned>(std::min<std::uint64_t>({bands, hardware, 16})) : 1;
  std::atomic<std::uint64_t> next{0};
  const auto run = [&]()
  {
    S_Scratch scratch;
    for (std::uint64_t band = next++; band < bands; band = next++)
      work(band, scratch);
  };
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t)
  {
    try
    {
      helpers.emplace_back(run);
    }
    catch (...)
    {
      break; // fewer threads: the calling thread does the rest
    }
  }
  run();
  for (std::thread& helper : helpers)
    helper.join();
}

void WriteHeader(const S_Layout& layout, std::uint8_t* out)
{
  std::memcpy(out, kMagic, 3);
  out[3] = kVersion;
  out[4] = static_cast<std::uint8_t>(layout.sampleBytes);
  out[5] = static_cast<std::uint8_t>(layout.distance);
  out[6] = kStreams;
  out[7] = static_cast<std::uint8_t>(layout.escape);
  std::memcpy(out + 8, &layout.size, 8);
  Store32(out + 16, static_cast<std::uint32_t>(layout.rowSamples));
  Store32(out + 20, static_cast<std::uint32_t>(layout.bandSamples));
}

int ReadHeader(const std::uint8_t* in, std::uint64_t available, std::uint64_t expectedSize, S_Layout& layout)
{
  if (available < kHeaderBytes)
    return available >= 3 && std::memcmp(in, kMagic, 3) != 0 ? ErrorNotImx : ErrorTruncated;
  if (std::memcmp(in, kMagic, 3) != 0)
    return ErrorNotImx;
  if (in[3] != kVersion || in[6] != kStreams)
    return ErrorVersion;
  layout.sampleBytes = in[4];
  if (layout.sampleBytes == 1 || layout.sampleBytes == 2)
    if (in[7] != EscapeFor(layout.sampleBytes))
      return ErrorVersion;
  layout.distance = in[5];
  layout.escape = in[7];
  std::memcpy(&layout.size, in + 8, 8);
  layout.rowSamples = Load32(in + 16);
  layout.bandSamples = Load32(in + 20);
  if ((layout.sampleBytes != 1 && layout.sampleBytes != 2) || layout.distance == 0 ||
      layout.rowSamples <= layout.distance || layout.bandSamples == 0 || layout.escape == 0 ||
      layout.escape > kMaxEscape)
    return ErrorCorrupt;
  if (layout.size != expectedSize)
    return ErrorSizeMismatch;
  layout.samples = layout.size / layout.sampleBytes;
  layout.bands = DivideUp(layout.samples, layout.bandSamples);
  // Every band takes at least one byte, so the directory alone proves the count.
  if (layout.bands > (available - kHeaderBytes) / (kDirectoryEntryBytes + 1))
    return ErrorTruncated;
  return ErrorNone;
}

} // namespace

const char* ErrorText(int errorCode)
{
  switch (errorCode)
  {
  case ErrorNone:
    return "IMX: no error.";
  case ErrorDestinationTooSmall:
    return "IMX: the destination is smaller than the packed size bound.";
  case ErrorNotImx:
    return "IMX: the packed data do not start with an IMX block.";
  case ErrorVersion:
    return "IMX: unsupported version of the packed data.";
  case ErrorTruncated:
    return "IMX: the packed data are truncated.";
  case ErrorSizeMismatch:
    return "IMX: the packed data hold another number of bytes than expected.";
  case ErrorCorrupt:
    return "IMX: the packed data are corrupt.";
  case ErrorOutOfMemory:
    return "IMX: out of memory.";
  case ErrorTooLarge:
    return "IMX: the block is too large.";
  default:
    return "IMX: unknown error.";
  }
}

std::uint64_t MaxPackedSize(std::uint64_t size)
{
  if (size > kMaxSize)
    return 0;
  // Header, one directory entry and one mode byte per band, the raw bytes.
  // Every band but the last holds at least kBandTargetSamples single bytes.
  const std::uint64_t bands = DivideUp(size, kBandTargetSamples);
  return kHeaderBytes + bands * (kDirectoryEntryBytes + 1) + size;
}

int Pack(const void* source, std::uint64_t size, void* destination, std::uint64_t& packedSize,
         const S_PackOptions& options)
{
  const std::uint64_t bound = MaxPackedSize(size);
  if (bound == 0)
    return ErrorTooLarge;
  if (packedSize < bound)
    return ErrorDestinationTooSmall;
  const auto* in = static_cast<const std::uint8_t*>(source);
  auto* out = static_cast<std::uint8_t*>(destination);
  const S_Layout layout = ChooseLayout(in, size, options.columns);
  WriteHeader(layout, out);

  // Each band gets a region as large as its worst case; with several threads
  // the regions are laid out at their worst-case offsets and closed up after.
  const std::uint64_t bands = layout.bands;
  const std::size_t bandBytes = static_cast<std::size_t>(layout.bandSamples * layout.sampleBytes);
  std::vector<std::uint64_t> lengths(bands);
  const bool threaded = options.parallel && bands > 1;
  std::uint64_t position = layout.DataOffset();
  const auto encode = [&](std::uint64_t band, S_Scratch& scratch, std::uint8_t* region)
  {
    const std::uint8_t* x = in + band * bandBytes;
    const std::size_t count = static_cast<std::size_t>(layout.BandCount(band));
    const std::size_t capacity = count * layout.sampleBytes + 1;
    lengths[band] = layout.sampleBytes == 1 ? EncodeBand<std::uint8_t>(x, count, layout, region, capacity, scratch)
                                            : EncodeBand<std::uint16_t>(x, count, layout, region, capacity, scratch);
  };
  // A band's region holds its raw size + 1; the coder keeps its 8-byte
  // stores inside it and falls back to the raw band when coding does not pay.
  const auto worstOffset = [&](std::uint64_t band) { return layout.DataOffset() + band * (bandBytes + 1); };
  try
  {
    if (threaded)
      ForEachBand(bands, true,
                  [&](std::uint64_t band, S_Scratch& scratch) { encode(band, scratch, out + worstOffset(band)); });
    else
    {
      S_Scratch scratch;
      for (std::uint64_t band = 0; band < bands; ++band)
      {
        encode(band, scratch, out + position);
        position += lengths[band];
      }
    }
  }
  catch (const std::bad_alloc&)
  {
    return ErrorOutOfMemory;
  }
  position = layout.DataOffset();
  for (std::uint64_t band = 0; band < bands; ++band)
  {
    if (threaded && position != worstOffset(band))
      std::memmove(out + position, out + worstOffset(band), lengths[band]);
    Store32(out + kHeaderBytes + band * kDirectoryEntryBytes, static_cast<std::uint32_t>(lengths[band]));
    position += lengths[band];
  }
  const std::uint64_t tail = layout.TailBytes();
  if (tail != 0)
    std::memcpy(out + position, in + layout.samples * layout.sampleBytes, tail);
  packedSize = position + tail;
  return ErrorNone;
}

int Unpack(const void* source, std::uint64_t sourceSize, void* destination, std::uint64_t size, std::uint64_t& consumed,
           bool parallel)
{
  const auto* in = static_cast<const std::uint8_t*>(source);
  auto* out = static_cast<std::uint8_t*>(destination);
  S_Layout layout;
  if (const int error = ReadHeader(in, sourceSize, size, layout))
    return error;
  const std::uint64_t bands = layout.bands;
  std::vector<std::uint64_t> offsets;
  try
  {
    offsets.resize(bands + 1);
  }
  catch (const std::bad_alloc&)
  {
    return ErrorOutOfMemory;
  }
  std::uint64_t position = layout.DataOffset();
  for (std::uint64_t band = 0; band < bands; ++band)
  {
    offsets[band] = position;
    position += Load32(in + kHeaderBytes + band * kDirectoryEntryBytes);
    if (position > sourceSize)
      return ErrorTruncated;
  }
  offsets[bands] = position;
  const std::uint64_t tail = layout.TailBytes();
  if (tail > sourceSize - position)
    return ErrorTruncated;

  const std::size_t bandBytes = static_cast<std::size_t>(layout.bandSamples * layout.sampleBytes);
  std::vector<int> results(bands, ErrorNone);
  ForEachBand(bands, parallel,
              [&](std::uint64_t band, S_Scratch&)
              {
                const std::uint8_t* packed = in + offsets[band];
                const std::size_t length = static_cast<std::size_t>(offsets[band + 1] - offsets[band]);
                const std::size_t count = static_cast<std::size_t>(layout.BandCount(band));
                std::uint8_t* x = out + band * bandBytes;
                results[band] = layout.sampleBytes == 1 ? DecodeBand<std::uint8_t>(packed, length, x, count, layout)
                                                        : DecodeBand<std::uint16_t>(packed, length, x, count, layout);
              });
  for (const int result : results)
    if (result != ErrorNone)
      return result;
  if (tail != 0)
    std::memcpy(out + layout.samples * layout.sampleBytes, in + position, tail);
  consumed = position + tail;
  return ErrorNone;
}

} // namespace Imx
} // namespace Compression
