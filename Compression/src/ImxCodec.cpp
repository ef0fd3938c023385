#include "ImxCommon.h"

#include <libdeflate.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace Compression
{
namespace Imx
{
namespace
{
using namespace Detail;

// ---------------------------------------------------------------------------
// Format constants (docs/IMX-codec.md)
// ---------------------------------------------------------------------------
constexpr std::uint8_t kMagic[3] = {'I', 'M', 'X'};
constexpr std::uint8_t kVersion = 2;
constexpr std::uint8_t kVersion1 = 1; // still read
constexpr unsigned kContexts = 18;    // 0..16: bit length of the brightness above the base; 17: first row
constexpr unsigned kHeadContext = 17;
constexpr unsigned kMaxWeight = 4; // the prediction moves from the base to the row above in quarters
static_assert(kBodyContexts == kHeadContext && kWeights == kMaxWeight + 1, "the vector coder's tables");
constexpr std::size_t kCodedBandHeaderBytes = 1 + 2 + kContexts + 4 * (kStreams - 1);

// Encoder policy (the decoder accepts any valid choice).
constexpr std::uint64_t kBandTargetSamples = 131072;
constexpr std::uint64_t kMaxRowSamples = std::uint64_t(1) << 20;
constexpr std::uint64_t kMaxSize = std::uint64_t(1) << 62;
constexpr unsigned kStatsRowStep = 8;
constexpr std::size_t kBaseSamples = 1023;

// ---------------------------------------------------------------------------
// The model: a prediction and a context from the row above only
// ---------------------------------------------------------------------------
// Camera images are mostly a noisy background with bright particle images.
// On the background the best guess is the background level itself (any
// neighbour adds its own noise); inside a particle the row above helps. So
// every band carries a base level, the brightness of the smoothed row above
// over that base selects the context, and each context names how far the
// prediction moves from the base towards the row above (in quarters). Nothing
// depends on the left neighbour: a decoder computes predictions and contexts
// for a whole stretch of a row at once and only reads the bit streams one
// sample after the other.

// The per-context choice of a band: Rice parameter and weight.
struct S_Choice
{
  unsigned k = 0;
  unsigned weight = 0;
};
using ChoiceTable = S_Choice[kContexts];

inline std::uint8_t EncodeChoice(const S_Choice& choice)
{
  return static_cast<std::uint8_t>(choice.k | (choice.weight << 4));
}

// Smoothed row above minus the base, of the body sample that `up` points to
// the neighbour above of (the caller knows that up - d and up + d exist).
template <typename T>
inline int Deviation(const std::uint8_t* up, std::ptrdiff_t j, std::ptrdiff_t d, int base)
{
  const int b = int(Get<T>(up, j)), c = int(Get<T>(up, j - d)), e = int(Get<T>(up, j + d));
  return ((c + 2 * b + e) >> 2) - base;
}

// Bit length of a positive deviation (< 2^24) through the exponent of a
// float, so that the loops below vectorise; 0 for deviations <= 0.
inline unsigned ContextOf(int deviation)
{
  const int positive = deviation & ~(deviation >> 31);
  const float f = static_cast<float>(2 * positive + 1);
  return (__builtin_bit_cast(std::uint32_t, f) >> 23) - 127;
}

inline int Predict(int base, int deviation, unsigned weight)
{
  return base + ((int(weight) * deviation) >> 2);
}

// Deviations and contexts of body samples [begin, end) of a band.
template <typename T>
void Contexts(const std::uint8_t* x, std::size_t begin, std::size_t end, const S_Geometry& g, int base,
              std::int32_t* __restrict deviation, std::uint32_t* __restrict context)
{
  const std::uint8_t* up = x + (begin - g.l) * sizeof(T);
  const std::ptrdiff_t d = std::ptrdiff_t(g.d), n = std::ptrdiff_t(end - begin);
  for (std::ptrdiff_t j = 0; j < n; ++j)
  {
    deviation[j] = Deviation<T>(up, j, d, base);
    context[j] = ContextOf(deviation[j]);
  }
}

// Base level of a band: the median of samples spread over it, which is the
// background of a camera image however many particles it shows.
template <typename T>
int BaseLevel(const std::uint8_t* x, std::size_t count)
{
  if (count == 0)
    return 0;
  std::uint32_t values[kBaseSamples];
  const std::size_t n = std::min(count, kBaseSamples);
  // Sample s is the one at s * count / n, stepped without a division.
  const std::size_t stride = count / n, remainderStep = count % n;
  std::size_t index = 0, remainder = 0;
  for (std::size_t s = 0; s < n; ++s)
  {
    values[s] = Get<T>(x, std::ptrdiff_t(index));
    index += stride;
    remainder += remainderStep;
    if (remainder >= n)
    {
      remainder -= n;
      ++index;
    }
  }
  std::nth_element(values, values + n / 2, values + n);
  return int(values[n / 2]);
}

// ---------------------------------------------------------------------------
// Choice of the Rice parameters and weights from residual statistics
// ---------------------------------------------------------------------------
struct S_Statistics
{
  double count[kContexts] = {};
  double sum[kMaxWeight + 1][kContexts] = {}; // sum of zigzag residuals per weight

  // Cost model of a Rice code with parameter k: n (1 + k) + sum / 2^k bits.
  static double Cost(double n, double s, unsigned k) { return n * (1 + k) + s / double(std::uint64_t(1) << k); }
  unsigned BestK(double n, double s, unsigned bits) const
  {
    unsigned best = 0;
    for (unsigned k = 1; k < bits; ++k)
      if (Cost(n, s, k) < Cost(n, s, best))
        best = k;
    return best;
  }
  S_Choice Best(unsigned c, unsigned bits) const
  {
    if (count[c] == 0) // not seen in the sampled rows: a guess from the context alone
      return {std::min(bits - 1, c > 3 ? c - 1 : 3u), c > bits / 2 ? kMaxWeight : 0u};
    S_Choice best{BestK(count[c], sum[0][c], bits), 0};
    double bestCost = Cost(count[c], sum[0][c], best.k);
    for (unsigned w = 1; w <= kMaxWeight && c != kHeadContext; ++w)
    {
      const unsigned k = BestK(count[c], sum[w][c], bits);
      const double cost = Cost(count[c], sum[w][c], k);
      if (cost < bestCost)
      {
        bestCost = cost;
        best = {k, w};
      }
    }
    return best;
  }
  double BestCost(unsigned bits) const
  {
    double total = 0;
    for (unsigned c = 0; c < kContexts; ++c)
      if (count[c] != 0)
      {
        const S_Choice choice = Best(c, bits);
        total += Cost(count[c], sum[choice.weight][c], choice.k);
      }
    return total;
  }
};

template <typename T>
void Gather(const std::uint8_t* x, std::size_t begin, std::size_t end, const S_Geometry& g, int base,
            S_Statistics& stats)
{
  std::size_t i = begin;
  for (; i < std::min(end, g.headEnd); ++i)
  {
    stats.count[kHeadContext] += 1;
    stats.sum[0][kHeadContext] += S_Residual<T>::ZigZag(Get<T>(x, i), base);
  }
  std::int32_t deviation[kChunkSamples];
  std::uint32_t context[kChunkSamples];
  std::uint64_t count[kContexts] = {}, sum[kMaxWeight + 1][kContexts] = {};
  if (i < end && VectorCoderEnabled())
  {
    S_BodyTotals totals;
    i += GatherBodyVector({x, i, end - i, g.d, g.l, base, nullptr}, sizeof(T), totals);
    for (unsigned c = 0; c < kBodyContexts; ++c)
    {
      count[c] = totals.count[c];
      for (unsigned w = 0; w <= kMaxWeight; ++w)
        sum[w][c] = totals.sum[w][c];
    }
  }
  for (; i < end; i += kChunkSamples)
  {
    const std::size_t n = std::min(kChunkSamples, end - i);
    Contexts<T>(x, i, i + n, g, base, deviation, context);
    const std::uint8_t* here = x + i * sizeof(T);
    for (std::size_t j = 0; j < n; ++j)
    {
      const unsigned value = Get<T>(here, std::ptrdiff_t(j)), c = context[j];
      count[c] += 1;
      for (unsigned w = 0; w <= kMaxWeight; ++w)
        sum[w][c] += S_Residual<T>::ZigZag(value, Predict(base, deviation[j], w));
    }
  }
  for (unsigned c = 0; c < kContexts; ++c)
  {
    stats.count[c] += double(count[c]);
    for (unsigned w = 0; w <= kMaxWeight; ++w)
      stats.sum[w][c] += double(sum[w][c]);
  }
}

// Statistics of a band: its first row and every few rows after it.
template <typename T>
S_Statistics BandStatistics(const std::uint8_t* x, std::size_t count, const S_Geometry& g, int base)
{
  S_Statistics stats;
  Gather<T>(x, 0, g.headEnd, g, base, stats);
  for (std::size_t row = 1 + kStatsRowStep / 2; row * g.l < count; row += kStatsRowStep)
  {
    const std::size_t begin = std::max(row * g.l, g.headEnd), end = std::min(count, (row + 1) * g.l);
    if (begin < end)
      Gather<T>(x, begin, end, g, base, stats);
  }
  return stats;
}

// The code of one sample: q zeros, a one and the k low bits of zz, or the
// escape (E zeros, a one) and all bits of the sample; returns its length.
IMX_ALWAYS_INLINE inline unsigned CodeOf(unsigned zz, unsigned k, unsigned escape, unsigned bits, std::uint64_t& code)
{
  const unsigned q = zz >> k;
  if (q < escape)
  {
    code = (std::uint64_t(1) | (std::uint64_t(zz & ((1u << k) - 1)) << 1)) << q;
    return q + 1 + k;
  }
  code = (std::uint64_t(1) | (std::uint64_t(zz) << 1)) << escape;
  return escape + 1 + bits;
}

IMX_ALWAYS_INLINE inline void PutSample(C_BitWriter& writer, unsigned zz, unsigned k, unsigned escape, unsigned bits)
{
  std::uint64_t code;
  const unsigned length = CodeOf(zz, k, escape, bits, code);
  writer.Put(code, length);
}

// Two samples of one stream: one store when both codes fit a single Put.
IMX_ALWAYS_INLINE inline void PutPair(C_BitWriter& writer, unsigned zz0, unsigned k0, unsigned zz1, unsigned k1,
                                      unsigned escape, unsigned bits)
{
  std::uint64_t first, second;
  const unsigned length0 = CodeOf(zz0, k0, escape, bits, first), length1 = CodeOf(zz1, k1, escape, bits, second);
  if (length0 + length1 <= kMaxSymbolBits)
    writer.Put(first | (second << length0), length0 + length1);
  else
  {
    writer.Put(first, length0);
    writer.Put(second, length1);
  }
}

// ---------------------------------------------------------------------------
// Band coding
// ---------------------------------------------------------------------------
struct S_Scratch
{
  std::vector<std::uint8_t> streams[kStreams - 1]; // all streams but the first
};

// Zigzag residuals and Rice parameters of samples [begin, end) of a band
// (encoder side): the head against the base, the body against its prediction.
template <typename T>
void Residuals(const std::uint8_t* x, std::size_t begin, std::size_t end, const S_Geometry& g, int base,
               const ChoiceTable& table, std::uint32_t* __restrict zz, std::uint32_t* __restrict k)
{
  std::size_t i = begin;
  for (; i < std::min(end, g.headEnd); ++i)
  {
    zz[i - begin] = S_Residual<T>::ZigZag(Get<T>(x, i), base);
    k[i - begin] = table[kHeadContext].k;
  }
  if (i == end)
    return;
  std::int32_t deviation[kChunkSamples];
  std::uint32_t context[kChunkSamples];
  Contexts<T>(x, i, end, g, base, deviation, context);
  const std::uint8_t* here = x + i * sizeof(T);
  const std::size_t from = i - begin, n = end - i;
  for (std::size_t j = 0; j < n; ++j)
  {
    const S_Choice choice = table[context[j]];
    zz[from + j] = S_Residual<T>::ZigZag(Get<T>(here, std::ptrdiff_t(j)), Predict(base, deviation[j], choice.weight));
    k[from + j] = choice.k;
  }
}

// Codes samples [begin, end) of a band (at most a chunk; begin a multiple of
// the stream count, so that sample j of it goes to stream j % 4).
template <typename T>
void EncodeChunk(const std::uint8_t* x, std::size_t begin, std::size_t end, const S_Geometry& g, int base,
                 const ChoiceTable& table, C_BitWriter* writers)
{
  constexpr unsigned kBits = 8 * sizeof(T);
  const unsigned escape = kEscape<T>;
  std::uint32_t zz[kChunkSamples], k[kChunkSamples];
  const auto put = [&](std::size_t j, C_BitWriter& writer) IMX_ALWAYS_INLINE
  { PutSample(writer, zz[j], k[j], escape, kBits); };
  Residuals<T>(x, begin, end, g, base, table, zz, k);
  // Two streams at a time keep their writers in registers; a writer's chain
  // of shifts is short enough for two to hide it.
  const std::size_t n = end - begin;
  for (unsigned first = 0; first < 2; ++first)
  {
    C_BitWriter even = writers[first], odd = writers[first + 2];
    std::size_t j = first;
    for (; j + 6 < n; j += 2 * kStreams)
    {
      PutPair(even, zz[j], k[j], zz[j + 4], k[j + 4], escape, kBits);
      PutPair(odd, zz[j + 2], k[j + 2], zz[j + 6], k[j + 6], escape, kBits);
    }
    for (; j + 2 < n; j += kStreams)
    {
      put(j, even);
      put(j + 2, odd);
    }
    if (j < n)
      put(j, even);
    writers[first] = even;
    writers[first + 2] = odd;
  }
}

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
  if (capacity < kCodedBandHeaderBytes + 16)
    return storeRaw();

  const int base = BaseLevel<T>(x, count);
  const S_Statistics stats = BandStatistics<T>(x, count, g, base);
  ChoiceTable table;
  for (unsigned c = 0; c < kContexts; ++c)
    table[c] = stats.Best(c, kBits);

  // The first stream is written in place (and watched against the capacity),
  // the others into scratch memory large enough for their worst case.
  const std::size_t worstStream = (count / kStreams + 1) * kSymbolBytes + 16;
  for (auto& stream : scratch.streams)
    if (stream.size() < worstStream)
      stream.resize(worstStream);
  C_BitWriter writers[kStreams] = {C_BitWriter(out + kCodedBandHeaderBytes), C_BitWriter(scratch.streams[0].data()),
                                   C_BitWriter(scratch.streams[1].data()), C_BitWriter(scratch.streams[2].data())};
  const std::size_t firstCapacity = capacity - kCodedBandHeaderBytes;
  constexpr std::size_t kWorstChunkBytes = (kChunkSamples / kStreams + 1) * kSymbolBytes + 8;
  const bool vector = VectorCoderEnabled();
  std::uint32_t choices[kContexts];
  for (unsigned c = 0; c < kContexts; ++c)
    choices[c] = table[c].weight | (table[c].k << 8);
  for (std::size_t begin = 0; begin < count; begin += kChunkSamples)
  {
    if (writers[0].Written() + kWorstChunkBytes > firstCapacity)
      return storeRaw(); // coding would not pay: the band is stored as it is
    const std::size_t end = std::min(count, begin + kChunkSamples);
    std::size_t from = begin;
    if (vector && begin >= g.headEnd)
      from += EncodeBodyVector({x, begin, end - begin, g.d, g.l, base, choices}, sizeof(T), writers);
    if (from < end)
      EncodeChunk<T>(x, from, end, g, base, table, writers);
  }
  std::size_t lengths[kStreams], total = kCodedBandHeaderBytes;
  for (unsigned stream = 0; stream < kStreams; ++stream)
    total += lengths[stream] = writers[stream].Finish();
  if (total >= rawBytes + 1 || total > capacity)
    return storeRaw();
  out[0] = kBandCoded;
  out[1] = static_cast<std::uint8_t>(base);
  out[2] = static_cast<std::uint8_t>(base >> 8);
  for (unsigned c = 0; c < kContexts; ++c)
    out[3 + c] = EncodeChoice(table[c]);
  std::size_t position = kCodedBandHeaderBytes + lengths[0];
  for (unsigned stream = 1; stream < kStreams; ++stream)
  {
    Store32(out + 3 + kContexts + 4 * (stream - 1), static_cast<std::uint32_t>(lengths[stream - 1]));
    std::memcpy(out + position, scratch.streams[stream - 1].data(), lengths[stream]);
    position += lengths[stream];
  }
  return total;
}

// Decodes body samples [begin, end) of a band, a whole number of stream
// groups no longer than L - D, so that the row above them is complete: the
// contexts and deviations of the whole stretch first, then the bit streams,
// then the samples.
template <typename T>
void DecodeFast(std::uint8_t* x, std::size_t begin, std::size_t end, const S_Geometry& g, int base,
                const ChoiceTable& table, S_BitReader* readers)
{
  constexpr unsigned kBits = 8 * sizeof(T);
  std::int32_t deviation[kChunkSamples];
  std::uint32_t context[kChunkSamples], zz[kChunkSamples], weight[kChunkSamples];
  Contexts<T>(x, begin, end, g, base, deviation, context);
  S_FastReader fast[kStreams];
  for (unsigned stream = 0; stream < kStreams; ++stream)
    fast[stream] = S_FastReader::From(readers[stream]);
  const auto take = [&](std::size_t j, S_FastReader& reader) IMX_ALWAYS_INLINE
  {
    const S_Choice choice = table[context[j]];
    zz[j] = reader.template Take<kEscape<T>, kBits>(choice.k);
    weight[j] = choice.weight;
  };
  const std::size_t n = end - begin;
  for (std::size_t j = 0; j < n; j += kStreams)
  {
    take(j, fast[0]);
    take(j + 1, fast[1]);
    take(j + 2, fast[2]);
    take(j + 3, fast[3]);
  }
  for (unsigned stream = 0; stream < kStreams; ++stream)
    fast[stream].ReturnTo(readers[stream]);
  std::uint8_t* here = x + begin * sizeof(T);
  for (std::size_t j = 0; j < n; ++j)
    Put<T>(here, j, S_Residual<T>::Restore(zz[j], Predict(base, deviation[j], weight[j])));
}

// Any samples [begin, end) of a band, one at a time, with checked reads.
template <typename T>
void DecodeSafe(std::uint8_t* x, std::size_t begin, std::size_t end, const S_Geometry& g, int base,
                const ChoiceTable& table, S_BitReader* readers)
{
  constexpr unsigned kBits = 8 * sizeof(T);
  for (std::size_t i = begin; i < end; ++i)
  {
    int prediction = base;
    S_Choice choice = table[kHeadContext];
    if (i >= g.headEnd)
    {
      const int deviation = Deviation<T>(x + (i - g.l) * sizeof(T), 0, std::ptrdiff_t(g.d), base);
      choice = table[ContextOf(deviation)];
      prediction = Predict(base, deviation, choice.weight);
    }
    const unsigned zz = readers[i % kStreams].Take<true>(choice.k, kEscape<T>, kBits);
    Put<T>(x, i, S_Residual<T>::Restore(zz, prediction));
  }
}

// Reads a coded band's base and choices; false when they are out of range.
template <typename T>
bool ReadChoices(const std::uint8_t* in, int& base, ChoiceTable& table)
{
  constexpr unsigned kBits = 8 * sizeof(T);
  base = in[1] | (in[2] << 8);
  if (base >= (1 << kBits))
    return false;
  for (unsigned c = 0; c < kContexts; ++c)
  {
    const unsigned k = in[3 + c] & 15u, weight = in[3 + c] >> 4;
    if (k >= kBits || weight > kMaxWeight)
      return false;
    table[c] = {k, weight};
  }
  return true;
}

template <typename T>
int DecodeBand(const std::uint8_t* in, std::size_t length, std::uint8_t* x, std::size_t count, const S_Layout& layout)
{
  const std::size_t rawBytes = count * sizeof(T);
  if (length < 1)
    return ErrorCorrupt;
  if (in[0] == kBandRaw)
    return CopyRawBand(in, length, x, rawBytes);
  if (in[0] != kBandCoded || length < kCodedBandHeaderBytes)
    return ErrorCorrupt;
  int base = 0;
  ChoiceTable table;
  if (!ReadChoices<T>(in, base, table))
    return ErrorCorrupt;
  S_BitReader readers[kStreams];
  if (!OpenStreams(in, length, kCodedBandHeaderBytes, readers))
    return ErrorCorrupt;
  const S_Geometry g = GeometryOf(layout, count);
  DecodeChunks(
      count, g, readers,
      [&](std::size_t begin, std::size_t end) { DecodeSafe<T>(x, begin, end, g, base, table, readers); },
      [&](std::size_t begin, std::size_t end) { DecodeFast<T>(x, begin, end, g, base, table, readers); });
  return CheckStreamEnds(readers);
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
  const int base = BaseLevel<T>(data, static_cast<std::size_t>(layout.samples));
  std::size_t used = 0;
  const std::uint64_t rows = layout.samples / layout.rowSamples;
  constexpr unsigned kStripes = 6;
  constexpr std::size_t kStripeSamples = 2048;
  if (rows < 3)
  {
    const std::size_t end = static_cast<std::size_t>(std::min<std::uint64_t>(layout.samples, 16384));
    Gather<T>(data, 0, end, g, base, stats);
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
        Gather<T>(data, begin, end, g, base, stats);
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
constexpr unsigned kMaxThreads = 16;

// The scratch memory of threaded calls outlives them. Every call starts new
// worker threads, and a new thread's allocations map and fault in fresh
// pages each time: that cost a fifth of the threaded coding time on two
// cores. At most one scratch per thread is kept.
class C_ScratchPool
{
public:
  static C_ScratchPool& Instance()
  {
    static C_ScratchPool pool;
    return pool;
  }

  std::unique_ptr<S_Scratch> Take()
  {
    {
      const std::lock_guard<std::mutex> lock(m_mutex);
      if (!m_kept.empty())
      {
        std::unique_ptr<S_Scratch> scratch = std::move(m_kept.back());
        m_kept.pop_back();
        return scratch;
      }
    }
    return std::make_unique<S_Scratch>();
  }

  void Give(std::unique_ptr<S_Scratch> scratch)
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_kept.size() < kMaxThreads) // never beyond the reserved room: no allocation here
      m_kept.push_back(std::move(scratch));
  }

private:
  C_ScratchPool() { m_kept.reserve(kMaxThreads); }

  std::mutex m_mutex;
  std::vector<std::unique_ptr<S_Scratch>> m_kept;
};

// Runs work(band, scratch) for every band; the calling thread runs
// between() after each band it did. False when a thread ran out of memory
// (the bands after that may be missing).
template <typename Work, typename Between>
bool ForEachBand(std::uint64_t bands, bool parallel, Work work, Between between)
{
  const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
  const unsigned threads =
      parallel ? static_cast<unsigned>(std::min<std::uint64_t>({bands, hardware, kMaxThreads})) : 1;
  std::atomic<std::uint64_t> next{0};
  std::atomic<bool> outOfMemory{false};
  const auto run = [&](bool calling)
  {
    try
    {
      std::unique_ptr<S_Scratch> scratch = C_ScratchPool::Instance().Take();
      for (std::uint64_t band = next++; band < bands && !outOfMemory; band = next++)
      {
        work(band, *scratch);
        if (calling)
          between();
      }
      C_ScratchPool::Instance().Give(std::move(scratch));
    }
    catch (const std::bad_alloc&)
    {
      outOfMemory = true;
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t)
  {
    try
    {
      helpers.emplace_back(run, false);
    }
    catch (...)
    {
      break; // fewer threads: the calling thread does the rest
    }
  }
  run(true);
  for (std::thread& helper : helpers)
    helper.join();
  return !outOfMemory;
}

// Every band's directory entry holds the CRC-32 of the block header and the
// band's payload: a damaged band (or header) is refused, never decoded into
// plausible but wrong pixels.
std::uint32_t HeaderChecksum(const std::uint8_t* header)
{
  return libdeflate_crc32(0, header, kHeaderBytes);
}
std::uint32_t PayloadChecksum(std::uint32_t headerChecksum, const std::uint8_t* payload, std::size_t length)
{
  return libdeflate_crc32(headerChecksum, payload, length);
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
  if ((in[3] != kVersion && in[3] != kVersion1) || in[6] != kStreams)
    return ErrorVersion;
  layout.version = in[3];
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
  if (layout.bands > (available - kHeaderBytes) / (layout.DirectoryEntryBytes() + 1))
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
  // the regions are laid out at their worst-case offsets, and the calling
  // thread closes them up while the others still code: band b moves as soon
  // as bands 0..b are coded, and its new place ends before the region of
  // band b + 1.
  const std::uint64_t bands = layout.bands;
  const std::size_t bandBytes = static_cast<std::size_t>(layout.bandSamples * layout.sampleBytes);
  std::vector<std::uint64_t> lengths(bands);
  std::vector<std::uint32_t> checksums(bands);
  std::vector<std::atomic<bool>> coded(bands);
  for (auto& flag : coded)
    flag.store(false, std::memory_order_relaxed);
  const std::uint32_t headerChecksum = HeaderChecksum(out);
  std::uint64_t position = layout.DataOffset();
  const auto encode = [&](std::uint64_t band, S_Scratch& scratch, std::uint8_t* region)
  {
    const std::uint8_t* x = in + band * bandBytes;
    const std::size_t count = static_cast<std::size_t>(layout.BandCount(band));
    const std::size_t capacity = count * layout.sampleBytes + 1;
    lengths[band] = layout.sampleBytes == 1 ? EncodeBand<std::uint8_t>(x, count, layout, region, capacity, scratch)
                                            : EncodeBand<std::uint16_t>(x, count, layout, region, capacity, scratch);
    checksums[band] = PayloadChecksum(headerChecksum, region, lengths[band]);
  };
  // A band's region holds its raw size + 1; the coder keeps its 8-byte
  // stores inside it and falls back to the raw band when coding does not pay.
  const auto worstOffset = [&](std::uint64_t band) { return layout.DataOffset() + band * (bandBytes + 1); };
  std::uint64_t placed = 0;
  const auto closeUp = [&]()
  {
    for (; placed < bands && coded[placed].load(std::memory_order_acquire); ++placed)
    {
      if (position != worstOffset(placed))
        std::memmove(out + position, out + worstOffset(placed), lengths[placed]);
      position += lengths[placed];
    }
  };
  if (options.parallel && bands > 1)
  {
    const bool coding = ForEachBand(
        bands, true,
        [&](std::uint64_t band, S_Scratch& scratch)
        {
          encode(band, scratch, out + worstOffset(band));
          coded[band].store(true, std::memory_order_release);
        },
        closeUp);
    if (!coding)
      return ErrorOutOfMemory;
    closeUp();
  }
  else
    try
    {
      S_Scratch scratch;
      for (std::uint64_t band = 0; band < bands; ++band)
      {
        encode(band, scratch, out + position);
        position += lengths[band];
      }
    }
    catch (const std::bad_alloc&)
    {
      return ErrorOutOfMemory;
    }
  for (std::uint64_t band = 0; band < bands; ++band)
  {
    std::uint8_t* entry = out + kHeaderBytes + band * kDirectoryEntryBytes;
    Store32(entry, static_cast<std::uint32_t>(lengths[band]));
    Store32(entry + 4, checksums[band]);
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
    position += Load32(in + kHeaderBytes + band * layout.DirectoryEntryBytes());
    if (position > sourceSize)
      return ErrorTruncated;
  }
  offsets[bands] = position;
  const std::uint64_t tail = layout.TailBytes();
  if (tail > sourceSize - position)
    return ErrorTruncated;

  const std::size_t bandBytes = static_cast<std::size_t>(layout.bandSamples * layout.sampleBytes);
  const std::uint32_t headerChecksum = HeaderChecksum(in);
  std::vector<int> results(bands, ErrorNone);
  const bool decoding = ForEachBand(
      bands, parallel,
      [&](std::uint64_t band, S_Scratch&)
      {
        const std::uint8_t* packed = in + offsets[band];
        const std::size_t length = static_cast<std::size_t>(offsets[band + 1] - offsets[band]);
        const std::size_t count = static_cast<std::size_t>(layout.BandCount(band));
        std::uint8_t* x = out + band * bandBytes;
        if (layout.version == kVersion1)
          results[band] = DecodeBandVersion1(packed, length, x, count, layout);
        else if (PayloadChecksum(headerChecksum, packed, length) !=
                 Load32(in + kHeaderBytes + band * kDirectoryEntryBytes + 4))
          results[band] = ErrorCorrupt;
        else
          results[band] = layout.sampleBytes == 1 ? DecodeBand<std::uint8_t>(packed, length, x, count, layout)
                                                  : DecodeBand<std::uint16_t>(packed, length, x, count, layout);
      },
      []() {});
  if (!decoding)
    return ErrorOutOfMemory;
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
