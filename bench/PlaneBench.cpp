// Plane throughput per element type beside plain memcpy and plain loops over
// the same number of bytes, so the cost of the plane layer (virtual calls,
// guards, conversions) shows as a ratio. All figures are bytes per second of
// plane data.
#include <BufferApi.h>

#include "MemcpyRatio.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

using namespace BufferApi;

namespace
{
constexpr unsigned kWidth = 2560;
constexpr unsigned kHeight = 2160;
constexpr double kMinTime = 0.1;

template <E_DataType Type>
struct S_Element;
template <>
struct S_Element<DT_UInt8>
{
  using T = unsigned char;
};
template <>
struct S_Element<DT_UInt16>
{
  using T = unsigned short;
};
template <>
struct S_Element<DT_Int32>
{
  using T = int;
};
template <>
struct S_Element<DT_UInt32>
{
  using T = unsigned int;
};
template <>
struct S_Element<DT_Float>
{
  using T = float;
};
template <>
struct S_Element<DT_Double>
{
  using T = double;
};
template <>
struct S_Element<DT_RGB>
{
  using T = std::uint32_t; // one RGB element is handled as one 32-bit word
};

template <E_DataType Type>
std::int64_t PlaneBytes()
{
  return std::int64_t(kWidth) * kHeight * std::int64_t(GetDataTypeSize(Type));
}

template <E_DataType Type>
std::unique_ptr<I_PlaneBase> MakePlane()
{
  return std::unique_ptr<I_PlaneBase>(CreatePlane(Type, kWidth, kHeight));
}

template <E_DataType Type>
void BM_PlaneFill(benchmark::State& state)
{
  auto plane = MakePlane<Type>();
  double value = 1;
  const BenchRatio::MemcpyRatio ratio(std::size_t(PlaneBytes<Type>()));
  for (auto _ : state)
  {
    plane->Fill(value);
    value = value == 1 ? 2 : 1;
    benchmark::DoNotOptimize(plane->GetData());
    benchmark::ClobberMemory();
  }
  ratio.Report(state);
}

template <E_DataType Type>
void BM_PlaneGetValue(benchmark::State& state)
{
  auto plane = MakePlane<Type>();
  plane->Fill(3);
  const I_PlaneBase& p = *plane;
  const BenchRatio::MemcpyRatio ratio(std::size_t(PlaneBytes<Type>()));
  for (auto _ : state)
  {
    double sum = 0;
    for (unsigned y = 0; y < kHeight; ++y)
      for (unsigned x = 0; x < kWidth; ++x)
        sum += p.GetValue(x, y);
    benchmark::DoNotOptimize(sum);
  }
  ratio.Report(state);
}

template <E_DataType Type>
void BM_PlaneSetValue(benchmark::State& state)
{
  auto plane = MakePlane<Type>();
  I_PlaneBase& p = *plane;
  const BenchRatio::MemcpyRatio ratio(std::size_t(PlaneBytes<Type>()));
  for (auto _ : state)
  {
    for (unsigned y = 0; y < kHeight; ++y)
      for (unsigned x = 0; x < kWidth; ++x)
        p.SetValue(x, y, double(x + y));
    benchmark::ClobberMemory();
  }
  ratio.Report(state);
}

template <E_DataType Type>
void BM_PlaneResize(benchmark::State& state)
{
  // A same-size resize: allocate, copy every row, release the old block.
  auto plane = MakePlane<Type>();
  plane->Fill(5);
  const BenchRatio::MemcpyRatio ratio(std::size_t(PlaneBytes<Type>()));
  for (auto _ : state)
  {
    plane->Resize(0, int(kWidth) - 1, 0, int(kHeight) - 1);
    benchmark::DoNotOptimize(plane->GetData());
  }
  ratio.Report(state);
}

template <E_DataType Type>
void BM_Memcpy(benchmark::State& state)
{
  std::vector<char> source(std::size_t(PlaneBytes<Type>()), 1), target(source.size());
  for (auto _ : state)
  {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * PlaneBytes<Type>());
}

template <E_DataType Type>
void BM_PlainLoopSum(benchmark::State& state)
{
  using T = typename S_Element<Type>::T;
  std::vector<T> data(std::size_t(kWidth) * kHeight, T(3));
  const BenchRatio::MemcpyRatio ratio(std::size_t(PlaneBytes<Type>()));
  for (auto _ : state)
  {
    double sum = 0;
    for (const T& v : data)
      sum += double(v);
    benchmark::DoNotOptimize(sum);
  }
  ratio.Report(state);
}

template <E_DataType Type>
void BM_PlainLoopStore(benchmark::State& state)
{
  using T = typename S_Element<Type>::T;
  std::vector<T> data(std::size_t(kWidth) * kHeight);
  const BenchRatio::MemcpyRatio ratio(std::size_t(PlaneBytes<Type>()));
  for (auto _ : state)
  {
    T* out = data.data();
    for (unsigned y = 0; y < kHeight; ++y)
      for (unsigned x = 0; x < kWidth; ++x)
        *out++ = T(x + y);
    benchmark::DoNotOptimize(data.data());
    benchmark::ClobberMemory();
  }
  ratio.Report(state);
}

#define PLANE_BENCHMARKS(Type)                                                                                         \
  BENCHMARK_TEMPLATE(BM_Memcpy, Type)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);                               \
  BENCHMARK_TEMPLATE(BM_PlaneFill, Type)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);                            \
  BENCHMARK_TEMPLATE(BM_PlaneResize, Type)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);                          \
  BENCHMARK_TEMPLATE(BM_PlainLoopSum, Type)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);                         \
  BENCHMARK_TEMPLATE(BM_PlaneGetValue, Type)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);                        \
  BENCHMARK_TEMPLATE(BM_PlainLoopStore, Type)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);                       \
  BENCHMARK_TEMPLATE(BM_PlaneSetValue, Type)->MinTime(kMinTime)->Unit(benchmark::kMillisecond)

PLANE_BENCHMARKS(DT_UInt8);
PLANE_BENCHMARKS(DT_UInt16);
PLANE_BENCHMARKS(DT_Int32);
PLANE_BENCHMARKS(DT_UInt32);
PLANE_BENCHMARKS(DT_Float);
PLANE_BENCHMARKS(DT_Double);
PLANE_BENCHMARKS(DT_RGB);
} // namespace
