// The IMX coder of body samples with AVX2: eight samples at a time from the
// row above to their Rice codes, and the four bit streams written side by
// side, one stream per 64-bit lane (sample i of a band goes to stream i % 4,
// so lane s of four consecutive samples is stream s). The bits are exactly
// those of the portable coder in ImxCodec.cpp.
//
// Only the functions below carry the AVX2 target; the unit itself is built
// for the baseline, so nothing shared with other units is compiled for AVX2.
#include "ImxCommon.h"

#include <atomic>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define IMX_HAVE_VECTOR_CODER 1
#include <immintrin.h>
#else
#define IMX_HAVE_VECTOR_CODER 0
#endif

namespace Compression
{
namespace Imx
{
namespace Detail
{
namespace
{
bool ProcessorHasAvx2()
{
#if IMX_HAVE_VECTOR_CODER
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

std::atomic<bool>& VectorCoderSwitch()
{
  static std::atomic<bool> enabled{ProcessorHasAvx2()};
  return enabled;
}

#if IMX_HAVE_VECTOR_CODER
#define IMX_AVX2 __attribute__((target("avx2")))
#define IMX_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

// A group of two 64-bit codes per stream can take this many bits: a writer
// holds fewer than 8 pending bits, and its 64-bit buffer must take them all.
constexpr long long kMaxStepBits = 64 - 7;

// The four writers, one per lane, and their write positions.
struct S_Lanes
{
  __m256i pending;     // bits not yet complete
  __m256i pendingBits; // fewer than 8 per lane between steps
  std::uint8_t* next[kStreams];
};

IMX_AVX2_INLINE S_Lanes LoadLanes(const C_BitWriter* writers)
{
  S_Lanes lanes;
  lanes.pending =
      _mm256_set_epi64x(static_cast<long long>(writers[3].Pending()), static_cast<long long>(writers[2].Pending()),
                        static_cast<long long>(writers[1].Pending()), static_cast<long long>(writers[0].Pending()));
  lanes.pendingBits = _mm256_set_epi64x(writers[3].PendingBits(), writers[2].PendingBits(), writers[1].PendingBits(),
                                        writers[0].PendingBits());
  for (unsigned s = 0; s < kStreams; ++s)
    lanes.next[s] = writers[s].Next();
  return lanes;
}

IMX_AVX2_INLINE void StoreLanes(const S_Lanes& lanes, C_BitWriter* writers)
{
  alignas(32) std::uint64_t pending[kStreams], bits[kStreams];
  _mm256_store_si256(reinterpret_cast<__m256i*>(pending), lanes.pending);
  _mm256_store_si256(reinterpret_cast<__m256i*>(bits), lanes.pendingBits);
  for (unsigned s = 0; s < kStreams; ++s)
    writers[s].Resume(lanes.next[s], pending[s], static_cast<unsigned>(bits[s]));
}

// Appends one code of at most kMaxStepBits bits to every stream, as
// C_BitWriter::Put does: 8 bytes stored at the write position, which moves
// on by the whole bytes.
IMX_AVX2_INLINE void Append(S_Lanes& lanes, __m256i code, __m256i length)
{
  const __m256i whole = _mm256_set1_epi64x(~7ll);
  lanes.pending = _mm256_or_si256(lanes.pending, _mm256_sllv_epi64(code, lanes.pendingBits));
  lanes.pendingBits = _mm256_add_epi64(lanes.pendingBits, length);
  alignas(32) std::uint64_t bits[kStreams], advance[kStreams];
  _mm256_store_si256(reinterpret_cast<__m256i*>(bits), lanes.pending);
  _mm256_store_si256(reinterpret_cast<__m256i*>(advance), _mm256_srli_epi64(lanes.pendingBits, 3));
  for (unsigned s = 0; s < kStreams; ++s)
  {
    Store64(lanes.next[s], bits[s]);
    lanes.next[s] += advance[s];
  }
  // A shift by 64 (all 64 bits complete) clears the lane, as it should.
  lanes.pending = _mm256_srlv_epi64(lanes.pending, _mm256_and_si256(lanes.pendingBits, whole));
  lanes.pendingBits = _mm256_andnot_si256(whole, lanes.pendingBits);
}

// Two consecutive codes of every stream: appended as one when they fit.
IMX_AVX2_INLINE void AppendPair(S_Lanes& lanes, __m256i first, __m256i firstLength, __m256i second,
                                __m256i secondLength)
{
  const __m256i length = _mm256_add_epi64(firstLength, secondLength);
  const __m256i tooLong = _mm256_cmpgt_epi64(length, _mm256_set1_epi64x(kMaxStepBits));
  if (__builtin_expect(_mm256_testz_si256(tooLong, tooLong), 1))
    Append(lanes, _mm256_or_si256(first, _mm256_sllv_epi64(second, firstLength)), length);
  else
  {
    Append(lanes, first, firstLength);
    Append(lanes, second, secondLength);
  }
}

// Eight consecutive samples of type T, widened to 32 bits.
template <typename T>
IMX_AVX2_INLINE __m256i Load8(const std::uint8_t* p)
{
  if (sizeof(T) == 1)
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
  return _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// The per-context table of a band, in three registers: contexts 0..7,
// 8..15 and 16 (the largest body context of 16-bit samples).
struct S_ChoiceRegisters
{
  __m256i low;
  __m256i high;
  __m256i top;
};

IMX_AVX2_INLINE __m256i LookUp(const S_ChoiceRegisters& table, __m256i context)
{
  const __m256i low = _mm256_permutevar8x32_epi32(table.low, context);
  const __m256i high = _mm256_permutevar8x32_epi32(table.high, context);
  const __m256i fromHigh = _mm256_cmpgt_epi32(context, _mm256_set1_epi32(7));
  const __m256i fromTop = _mm256_cmpeq_epi32(context, _mm256_set1_epi32(16));
  return _mm256_blendv_epi8(_mm256_blendv_epi8(low, high, fromHigh), table.top, fromTop);
}

// The codes of eight samples j..j+7 of the stretch, as two groups of four
// 64-bit codes (samples j..j+3 and j+4..j+7) with their lengths.
struct S_Codes
{
  __m256i first;
  __m256i firstLength;
  __m256i second;
  __m256i secondLength;
};

IMX_AVX2_INLINE __m256i WidenLow(__m256i v)
{
  return _mm256_cvtepu32_epi64(_mm256_castsi256_si128(v));
}
IMX_AVX2_INLINE __m256i WidenHigh(__m256i v)
{
  return _mm256_cvtepu32_epi64(_mm256_extracti128_si256(v, 1));
}

// Deviation of the smoothed row above from the base for eight samples, and
// their context: the bit length of the positive part, through the exponent
// of a float.
template <typename T>
IMX_AVX2_INLINE __m256i Deviation8(const std::uint8_t* up, std::ptrdiff_t d, __m256i base)
{
  const std::ptrdiff_t step = std::ptrdiff_t(sizeof(T)) * d;
  const __m256i above = Load8<T>(up), left = Load8<T>(up - step), right = Load8<T>(up + step);
  const __m256i smooth =
      _mm256_srli_epi32(_mm256_add_epi32(_mm256_add_epi32(left, right), _mm256_slli_epi32(above, 1)), 2);
  return _mm256_sub_epi32(smooth, base);
}

IMX_AVX2_INLINE __m256i Context8(__m256i deviation)
{
  const __m256i positive = _mm256_max_epi32(deviation, _mm256_setzero_si256());
  const __m256 odd = _mm256_cvtepi32_ps(_mm256_add_epi32(_mm256_slli_epi32(positive, 1), _mm256_set1_epi32(1)));
  return _mm256_sub_epi32(_mm256_srli_epi32(_mm256_castps_si256(odd), 23), _mm256_set1_epi32(127));
}

// Zigzag residual of samples of type T against their prediction.
template <typename T>
IMX_AVX2_INLINE __m256i ZigZag8(__m256i value, __m256i prediction)
{
  constexpr int kShift = 32 - 8 * int(sizeof(T));
  const __m256i wrapped = _mm256_srai_epi32(_mm256_slli_epi32(_mm256_sub_epi32(value, prediction), kShift), kShift);
  return _mm256_xor_si256(_mm256_slli_epi32(wrapped, 1), _mm256_srai_epi32(wrapped, 31));
}

template <typename T>
IMX_AVX2_INLINE S_Codes Codes8(const std::uint8_t* here, const std::uint8_t* up, std::ptrdiff_t d,
                               const S_ChoiceRegisters& table, __m256i base)
{
  constexpr int kBits = 8 * sizeof(T);
  constexpr int kEscapeBits = static_cast<int>(kEscape<T>);
  const __m256i one = _mm256_set1_epi32(1);
  const __m256i deviation = Deviation8<T>(up, d, base);
  const __m256i context = Context8(deviation);

  // Prediction and zigzag residual.
  const __m256i choice = LookUp(table, context);
  const __m256i weight = _mm256_and_si256(choice, _mm256_set1_epi32(0xFF));
  const __m256i k = _mm256_srli_epi32(choice, 8);
  const __m256i prediction = _mm256_add_epi32(base, _mm256_srai_epi32(_mm256_mullo_epi32(weight, deviation), 2));
  const __m256i zz = ZigZag8<T>(Load8<T>(here), prediction);

  // Rice code: q zeros, a one and the k low bits, or the escape and the sample.
  const __m256i q = _mm256_srlv_epi32(zz, k);
  const __m256i escaped = _mm256_cmpgt_epi32(q, _mm256_set1_epi32(kEscapeBits - 1));
  const __m256i lowBits = _mm256_and_si256(zz, _mm256_sub_epi32(_mm256_sllv_epi32(one, k), one));
  const __m256i tail = _mm256_blendv_epi8(_mm256_or_si256(one, _mm256_slli_epi32(lowBits, 1)),
                                          _mm256_or_si256(one, _mm256_slli_epi32(zz, 1)), escaped);
  const __m256i zeros = _mm256_blendv_epi8(q, _mm256_set1_epi32(kEscapeBits), escaped);
  const __m256i length = _mm256_blendv_epi8(_mm256_add_epi32(_mm256_add_epi32(q, one), k),
                                            _mm256_set1_epi32(kEscapeBits + 1 + kBits), escaped);

  S_Codes codes;
  codes.first = _mm256_sllv_epi64(WidenLow(tail), WidenLow(zeros));
  codes.second = _mm256_sllv_epi64(WidenHigh(tail), WidenHigh(zeros));
  codes.firstLength = WidenLow(length);
  codes.secondLength = WidenHigh(length);
  return codes;
}

template <typename T>
IMX_AVX2 std::size_t EncodeBody(const S_BodyStretch& stretch, C_BitWriter* writers)
{
  const std::size_t n = stretch.count / 8 * 8;
  S_ChoiceRegisters table;
  table.low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(stretch.choices));
  table.high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(stretch.choices + 8));
  table.top = _mm256_set1_epi32(static_cast<int>(stretch.choices[16]));
  const __m256i base = _mm256_set1_epi32(stretch.base);
  const std::ptrdiff_t d = std::ptrdiff_t(stretch.d);
  const std::uint8_t* here = stretch.x + stretch.begin * sizeof(T);
  const std::uint8_t* up = here - stretch.l * sizeof(T);
  S_Lanes lanes = LoadLanes(writers);
  for (std::size_t j = 0; j < n; j += 8)
  {
    const S_Codes codes = Codes8<T>(here + j * sizeof(T), up + j * sizeof(T), d, table, base);
    AppendPair(lanes, codes.first, codes.firstLength, codes.second, codes.secondLength);
  }
  StoreLanes(lanes, writers);
  return n;
}

// Statistics: every sample adds the row [zz0, zz1, zz2, zz3, zz4, 1, 0, 0]
// (its residuals under the five weights and its count) to the row of its
// context. Eight samples go to eight copies of the table, so that adds to the
// same context do not wait for each other; 32-bit sums are folded into the
// totals often enough not to overflow.
constexpr std::size_t kFoldSamples = 8 * 4096; // 4096 per copy, each below 2^17

struct alignas(32) S_Rows
{
  std::uint32_t row[8][kBodyContexts][8];
};

IMX_AVX2_INLINE void Transpose8(__m256i* r)
{
  __m256i t[8], u[8];
  for (int i = 0; i < 4; ++i)
  {
    t[2 * i] = _mm256_unpacklo_epi32(r[2 * i], r[2 * i + 1]);
    t[2 * i + 1] = _mm256_unpackhi_epi32(r[2 * i], r[2 * i + 1]);
  }
  for (int i = 0; i < 2; ++i)
  {
    u[4 * i] = _mm256_unpacklo_epi64(t[4 * i], t[4 * i + 2]);
    u[4 * i + 1] = _mm256_unpackhi_epi64(t[4 * i], t[4 * i + 2]);
    u[4 * i + 2] = _mm256_unpacklo_epi64(t[4 * i + 1], t[4 * i + 3]);
    u[4 * i + 3] = _mm256_unpackhi_epi64(t[4 * i + 1], t[4 * i + 3]);
  }
  for (int i = 0; i < 4; ++i)
  {
    r[i] = _mm256_permute2x128_si256(u[i], u[i + 4], 0x20);
    r[i + 4] = _mm256_permute2x128_si256(u[i], u[i + 4], 0x31);
  }
}

IMX_AVX2_INLINE void Fold(S_Rows& rows, S_BodyTotals& totals)
{
  for (unsigned c = 0; c < kBodyContexts; ++c)
  {
    __m256i sum = _mm256_setzero_si256();
    for (unsigned copy = 0; copy < 8; ++copy)
    {
      __m256i* row = reinterpret_cast<__m256i*>(rows.row[copy][c]);
      sum = _mm256_add_epi32(sum, _mm256_load_si256(row));
      _mm256_store_si256(row, _mm256_setzero_si256());
    }
    alignas(32) std::uint32_t lanes[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), sum);
    for (unsigned w = 0; w < kWeights; ++w)
      totals.sum[w][c] += lanes[w];
    totals.count[c] += lanes[kWeights];
  }
}

template <typename T>
IMX_AVX2 std::size_t GatherBody(const S_BodyStretch& stretch, S_BodyTotals& totals)
{
  const std::size_t n = stretch.count / 8 * 8;
  if (n == 0)
    return 0;
  S_Rows rows;
  for (unsigned copy = 0; copy < 8; ++copy)
    for (unsigned c = 0; c < kBodyContexts; ++c)
      _mm256_store_si256(reinterpret_cast<__m256i*>(rows.row[copy][c]), _mm256_setzero_si256());
  const __m256i base = _mm256_set1_epi32(stretch.base);
  const std::ptrdiff_t d = std::ptrdiff_t(stretch.d);
  const std::uint8_t* here = stretch.x + stretch.begin * sizeof(T);
  const std::uint8_t* up = here - stretch.l * sizeof(T);
  for (std::size_t j = 0; j < n; j += 8)
  {
    const __m256i deviation = Deviation8<T>(up + j * sizeof(T), d, base);
    alignas(32) std::uint32_t context[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(context), Context8(deviation));
    // Weight w predicts base + (w * deviation) / 4 (rounded down).
    const __m256i value = _mm256_sub_epi32(Load8<T>(here + j * sizeof(T)), base);
    const __m256i twice = _mm256_add_epi32(deviation, deviation);
    __m256i r[8] = {ZigZag8<T>(value, _mm256_setzero_si256()),
                    ZigZag8<T>(value, _mm256_srai_epi32(deviation, 2)),
                    ZigZag8<T>(value, _mm256_srai_epi32(twice, 2)),
                    ZigZag8<T>(value, _mm256_srai_epi32(_mm256_add_epi32(twice, deviation), 2)),
                    ZigZag8<T>(value, deviation),
                    _mm256_set1_epi32(1),
                    _mm256_setzero_si256(),
                    _mm256_setzero_si256()};
    Transpose8(r);
    for (unsigned s = 0; s < 8; ++s)
    {
      __m256i* row = reinterpret_cast<__m256i*>(rows.row[s][context[s]]);
      _mm256_store_si256(row, _mm256_add_epi32(_mm256_load_si256(row), r[s]));
    }
    if ((j + 8) % kFoldSamples == 0)
      Fold(rows, totals);
  }
  Fold(rows, totals);
  return n;
}
#endif
} // namespace

bool VectorCoderEnabled()
{
  return VectorCoderSwitch().load(std::memory_order_relaxed);
}

void EnableVectorCoder(bool enabled)
{
  VectorCoderSwitch().store(enabled && ProcessorHasAvx2(), std::memory_order_relaxed);
}

std::size_t EncodeBodyVector(const S_BodyStretch& stretch, unsigned sampleBytes, C_BitWriter* writers)
{
#if IMX_HAVE_VECTOR_CODER
  return sampleBytes == 1 ? EncodeBody<std::uint8_t>(stretch, writers) : EncodeBody<std::uint16_t>(stretch, writers);
#else
  (void)stretch;
  (void)sampleBytes;
  (void)writers;
  return 0;
#endif
}

std::size_t GatherBodyVector(const S_BodyStretch& stretch, unsigned sampleBytes, S_BodyTotals& totals)
{
#if IMX_HAVE_VECTOR_CODER
  return sampleBytes == 1 ? GatherBody<std::uint8_t>(stretch, totals) : GatherBody<std::uint16_t>(stretch, totals);
#else
  (void)stretch;
  (void)sampleBytes;
  (void)totals;
  return 0;
#endif
}

} // namespace Detail
} // namespace Imx
} // namespace Compression
