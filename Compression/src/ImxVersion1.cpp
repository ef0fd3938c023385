// The decoder of version 1 blocks: median edge prediction from the left
// neighbour and the row above, Rice parameters per context of the gradient
// above (docs/IMX-codec.md keeps its description). Files written before
// version 2 stay readable; nothing writes version 1 any more.
#include "ImxCommon.h"

namespace Compression
{
namespace Imx
{
namespace Detail
{
namespace
{
constexpr unsigned kContexts = 19; // 0..17: bit length of the activity above; 18: first row of a band
constexpr unsigned kHeadContext = 18;
constexpr std::size_t kCodedBandHeaderBytes = 1 + kContexts + 4 * (kStreams - 1);

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
// masks instead of comparisons.
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
    fast[stream] = S_FastReader::From(readers[stream]);
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
    fast[stream].ReturnTo(readers[stream]);
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
int DecodeBandOf(const std::uint8_t* in, std::size_t length, std::uint8_t* x, std::size_t count, const S_Layout& layout)
{
  const std::size_t rawBytes = count * sizeof(T);
  if (length < 1)
    return ErrorCorrupt;
  if (in[0] == kBandRaw)
    return CopyRawBand(in, length, x, rawBytes);
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
  if (!OpenStreams(in, length, kCodedBandHeaderBytes, readers))
    return ErrorCorrupt;
  const S_Geometry g = GeometryOf(layout, count);
  DecodeChunks(
      count, g, readers, [&](std::size_t begin, std::size_t end) { DecodeSafe<T>(x, begin, end, g, table, readers); },
      [&](std::size_t begin, std::size_t end)
      {
        if (g.d == 1)
          DecodeFast<T, true>(x, begin, end, g, table, readers);
        else
          DecodeFast<T, false>(x, begin, end, g, table, readers);
      });
  return CheckStreamEnds(readers);
}

} // namespace

int DecodeBandVersion1(const std::uint8_t* in, std::size_t length, std::uint8_t* x, std::size_t count,
                       const S_Layout& layout)
{
  return layout.sampleBytes == 1 ? DecodeBandOf<std::uint8_t>(in, length, x, count, layout)
                                 : DecodeBandOf<std::uint16_t>(in, length, x, count, layout);
}

} // namespace Detail
} // namespace Imx
} // namespace Compression
