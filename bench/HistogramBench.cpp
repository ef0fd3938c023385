// Min/max and histogram of one 2560 x 2160 16-bit camera plane beside plain
// loops over the same memory in the same run, so that the helper's cost shows
// as a ratio. Figures are bytes per second of plane data.
#include <BufferApi.h>

#include <benchmark/benchmark.h>

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

void Finish(benchmark::State& state)
{
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kElements * sizeof(std::uint16_t)));
}

void BM_MinMax_PlainLoop(benchmark::State& state)
{
  const std::uint16_t* data = Fixture().data;
  for (auto _ : state)
  {
    std::uint16_t lo = 65535;
    std::uint16_t hi = 0;
    for (std::uint64_t i = 0; i < kElements; ++i)
    {
      lo = data[i] < lo ? data[i] : lo;
      hi = data[i] > hi ? data[i] : hi;
    }
    benchmark::DoNotOptimize(lo);
    benchmark::DoNotOptimize(hi);
  }
  Finish(state);
}

//! The helper on the whole plane; `percent` 100 finds the extremes alone,
//! anything less needs the histogram.
void RunHelper(benchmark::State& state, double percent)
{
  I_PlaneBase* plane = Fixture().plane.get();
  for (auto _ : state)
  {
    C_PlaneMinMaxHistogram helper(percent);
    helper.Process(plane, nullptr);
    helper.Finish(C_PlaneMinMaxHistogram::CMMode_Range);
    benchmark::DoNotOptimize(helper.GetMax());
  }
  Finish(state);
}

void BM_MinMax_Helper(benchmark::State& state)
{
  RunHelper(state, 100.0);
}

//! The plainest histogram: one counter per 16-bit value.
void BM_Histogram_PlainLoop(benchmark::State& state)
{
  const std::uint16_t* data = Fixture().data;
  std::vector<std::uint32_t> counts(65536);
  for (auto _ : state)
  {
    std::fill(counts.begin(), counts.end(), 0u);
    for (std::uint64_t i = 0; i < kElements; ++i)
    {
      ++counts[data[i]];
    }
    benchmark::DoNotOptimize(counts.data());
  }
  Finish(state);
}

void BM_Histogram_Helper(benchmark::State& state)
{
  RunHelper(state, 99.0);
}
} // namespace

BENCHMARK(BM_MinMax_PlainLoop)->MinTime(kMinTime);
BENCHMARK(BM_MinMax_Helper)->MinTime(kMinTime);
BENCHMARK(BM_Histogram_PlainLoop)->MinTime(kMinTime);
BENCHMARK(BM_Histogram_Helper)->MinTime(kMinTime);
