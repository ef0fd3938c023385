// Min/max and histogram of one 2560 x 2160 16-bit camera plane beside plain
// loops over the same memory: every iteration runs the plain loop and then the
// helper; "vs_plain" = plain time / helper time (1 = as fast as the plain
// loop), "plain_ms" and "helper_ms" the times per pass. The helper's 65536
// bins are allocated and freed per pass as it does for every caller (256 KiB,
// reused from the heap after the first pass).
#include <BufferApi.h>

#include <benchmark/benchmark.h>

#include "MemcpyRatio.h"

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

using namespace BufferApi;

namespace
{
constexpr unsigned kWidth = 2560;
constexpr unsigned kHeight = 2160;
constexpr std::uint64_t kElements = std::uint64_t(kWidth) * kHeight;
constexpr double kMinTime = 0.3;

//! A particle image: a dark noisy background with bright spots, 12-bit values.
struct S_Fixture
{
  S_Fixture()
      : plane(CreatePlane(DT_UInt16, kWidth, kHeight))
  {
    data = static_cast<std::uint16_t*>(plane->GetData());
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(80, 140);
    std::uniform_int_distribution<int> spot(0, 63);
    for (std::uint64_t i = 0; i < kElements; ++i)
    {
      data[i] = static_cast<std::uint16_t>(spot(random) == 0 ? 4095 - noise(random) * 8 : noise(random));
    }
  }
  std::unique_ptr<I_PlaneBase> plane;
  std::uint16_t* data = nullptr;
};

S_Fixture& Fixture()
{
  static S_Fixture fixture;
  return fixture;
}

std::uint16_t PlainMinMax()
{
  const std::uint16_t* data = Fixture().data;
  std::uint16_t lo = 65535;
  std::uint16_t hi = 0;
  for (std::uint64_t i = 0; i < kElements; ++i)
  {
    lo = data[i] < lo ? data[i] : lo;
    hi = data[i] > hi ? data[i] : hi;
  }
  return static_cast<std::uint16_t>(hi - lo);
}

//! The plainest histogram: one counter per 16-bit value.
void PlainHistogram(std::vector<std::uint32_t>& counts)
{
  const std::uint16_t* data = Fixture().data;
  std::fill(counts.begin(), counts.end(), 0u);
  for (std::uint64_t i = 0; i < kElements; ++i)
  {
    ++counts[data[i]];
  }
  benchmark::DoNotOptimize(counts.data());
}

//! The helper on the whole plane; `percent` 100 finds the extremes alone,
//! anything less needs the histogram.
double HelperPass(double percent)
{
  C_PlaneMinMaxHistogram helper(percent);
  helper.Process(Fixture().plane.get(), nullptr);
  helper.Finish(C_PlaneMinMaxHistogram::CMMode_Range);
  return helper.GetMax();
}

template <class Plain>
void RunPair(benchmark::State& state, Plain plain, double percent)
{
  const BenchRatio::S_PairSeconds seconds =
      BenchRatio::RunSideBySide(state, plain, [&] { benchmark::DoNotOptimize(HelperPass(percent)); });
  state.counters["plain_ms"] = seconds.first * 1e3;
  state.counters["helper_ms"] = seconds.second * 1e3;
  state.counters["vs_plain"] = seconds.second > 0 ? seconds.first / seconds.second : 0.0;
}

// Min/max only (percent 100) against a plain min/max loop.
void BM_MinMax(benchmark::State& state)
{
  RunPair(
      state, [] { benchmark::DoNotOptimize(PlainMinMax()); }, 100.0);
}

// The 99 % range through the histogram against a plain 65536-bin count.
void BM_Histogram(benchmark::State& state)
{
  std::vector<std::uint32_t> counts(65536);
  RunPair(
      state, [&] { PlainHistogram(counts); }, 99.0);
}
} // namespace

BENCHMARK(BM_MinMax)->MinTime(1.0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Histogram)->MinTime(1.0)->Unit(benchmark::kMillisecond);
