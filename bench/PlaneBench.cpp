// Plane throughput per element type beside plain memcpy and plain loops over
// the same number of bytes, so the cost of the plane layer (virtual calls,
// guards, conversions) shows as a ratio. All figures are bytes per second of
// plane data. Every plane is touched once before timing: a fresh plane lies in
// untouched pages from mmap, and their first touch (far slower than the
// operation) must not be what is measured. The shifted resize allocates by
// its nature: it runs on heap pages that stay touched (S_ReusedHeapPages),
// and BM_FirstTouch gives the first-touch cost apart.
#include <BufferApi.h>

#include "MemcpyRatio.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

using namespace BufferApi;

namespace
{
constexpr unsigned kWidth = 2560;
constexpr unsigned kHeight = 2160;
constexpr double kMinTime = 0.3;

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

//! A plane whose pages are all touched already.
template <E_DataType Type>
std::unique_ptr<I_PlaneBase> MakePlane()
{
  std::unique_ptr<I_PlaneBase> plane(CreatePlane(Type, kWidth, kHeight));
  plane->Fill(1);
  return plane;
}

template <E_DataType Type>
void BM_PlaneFill(benchmark::State& state)
{
  // Fill of the whole plane (alternating values) against memcpy of the plane.
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
  // Guarded GetValue of every element, summed, against memcpy of the plane
  // (BM_PlainLoopSum is the same sum over a plain array).
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
  // Guarded SetValue of every element against memcpy of the plane
  // (BM_PlainLoopStore is the same store into a plain array).
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
  // A resize to the same geometry against memcpy of the plane: every element
  // keeps its value, so the plane keeps its block (no allocation, no copy).
  auto plane = MakePlane<Type>();
  const BenchRatio::MemcpyRatio ratio(std::size_t(PlaneBytes<Type>()));
  for (auto _ : state)
  {
    plane->Resize(0, int(kWidth) - 1, 0, int(kHeight) - 1);
    benchmark::DoNotOptimize(plane->GetData());
  }
  ratio.Report(state);
}

//! While it lives, freed blocks stay in the process's heap instead of going
//! back to the system: glibc maps blocks above its mmap threshold (128 KiB to
//! 32 MiB) afresh for every allocation and unmaps them when freed, so that
//! every allocation of a plane would pay the first touch of fresh pages. No
//! mmap (M_MMAP_MAX 0) and no trimming keep the pages, and calloc of a reused
//! block is a memset of touched memory.
struct S_ReusedHeapPages
{
  S_ReusedHeapPages()
  {
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
  }
  ~S_ReusedHeapPages()
  {
    mallopt(M_MMAP_MAX, 65536);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
  }
  S_ReusedHeapPages(const S_ReusedHeapPages&) = delete;
  S_ReusedHeapPages& operator=(const S_ReusedHeapPages&) = delete;
};

//! One column to the right: same size, other geometry.
void ResizeShifted(I_PlaneBase& plane)
{
  plane.Resize(1, int(kWidth), 0, int(kHeight) - 1);
  benchmark::DoNotOptimize(plane.GetData());
}

template <E_DataType Type>
void BM_PlaneResizeShifted(benchmark::State& state)
{
  // A same-size resize shifted by one column against memcpy of the plane: it
  // allocates a new zeroed block every time (the geometry changes), copies
  // the rows and frees the old block, on heap pages touched before timing.
  const S_ReusedHeapPages reused;
  auto plane = MakePlane<Type>();
  ResizeShifted(*plane);
  ResizeShifted(*plane);
  const BenchRatio::MemcpyRatio ratio(std::size_t(PlaneBytes<Type>()));
  for (auto _ : state)
    ResizeShifted(*plane);
  ratio.Report(state);
}

template <E_DataType Type>
void BM_FirstTouch(benchmark::State& state)
{
  // What a fresh allocation of a plane adds with glibc's defaults: fresh
  // pages mapped, written once and unmapped, against memcpy of the plane.
  const std::size_t bytes = std::size_t(PlaneBytes<Type>());
  const BenchRatio::MemcpyRatio ratio(bytes);
  for (auto _ : state)
  {
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
    {
      state.SkipWithError("mmap failed");
      break;
    }
    std::memset(block, 0, bytes);
    benchmark::DoNotOptimize(block);
    benchmark::ClobberMemory();
    munmap(block, bytes);
  }
  ratio.Report(state);
}

template <E_DataType Type>
void BM_Memcpy(benchmark::State& state)
{
  // The baseline itself: memcpy of one plane's bytes between touched arrays.
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
  // A plain loop summing a touched array as double, against memcpy.
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
  // A plain loop storing x + y into a touched array, against memcpy.
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

// Double against float per byte: each iteration runs the operation on a float
// plane and then on a double plane of the same size (both touched, and the
// operation run twice on each, before timing; heap pages kept, so that an
// operation that allocates reuses touched memory); "double_vs_float" = time
// per byte of double / time per byte of float (1 = the same speed per byte;
// the double plane has twice the bytes).
template <class Operation>
void RunDoubleVsFloat(benchmark::State& state, Operation operation)
{
  const S_ReusedHeapPages reused;
  auto floatPlane = MakePlane<DT_Float>();
  auto doublePlane = MakePlane<DT_Double>();
  for (int warmUp = 0; warmUp < 2; ++warmUp)
  {
    operation(*floatPlane);
    operation(*doublePlane);
  }
  double floatSeconds = 0;
  double doubleSeconds = 0;
  for (auto _ : state)
  {
    const double start = BenchRatio::ThreadSeconds();
    operation(*floatPlane);
    const double middle = BenchRatio::ThreadSeconds();
    operation(*doublePlane);
    doubleSeconds += BenchRatio::ThreadSeconds() - middle;
    floatSeconds += middle - start;
  }
  if (floatSeconds > 0 && doubleSeconds > 0)
  {
    const double perIteration = double(state.iterations());
    state.counters["float_ms"] = floatSeconds * 1e3 / perIteration;
    state.counters["double_ms"] = doubleSeconds * 1e3 / perIteration;
    state.counters["double_vs_float"] =
        (doubleSeconds / double(PlaneBytes<DT_Double>())) / (floatSeconds / double(PlaneBytes<DT_Float>()));
  }
}

void BM_DoubleVsFloat_Fill(benchmark::State& state)
{
  double value = 1;
  RunDoubleVsFloat(state,
                   [&value](I_PlaneBase& plane)
                   {
                     plane.Fill(value);
                     value = value == 1 ? 2 : 1;
                     benchmark::DoNotOptimize(plane.GetData());
                     benchmark::ClobberMemory();
                   });
}

void BM_DoubleVsFloat_SetValue(benchmark::State& state)
{
  RunDoubleVsFloat(state,
                   [](I_PlaneBase& plane)
                   {
                     for (unsigned y = 0; y < kHeight; ++y)
                       for (unsigned x = 0; x < kWidth; ++x)
                         plane.SetValue(x, y, double(x + y));
                     benchmark::ClobberMemory();
                   });
}

// The same-geometry resize: the plane keeps its block.
void BM_DoubleVsFloat_Resize(benchmark::State& state)
{
  RunDoubleVsFloat(state,
                   [](I_PlaneBase& plane)
                   {
                     plane.Resize(0, int(kWidth) - 1, 0, int(kHeight) - 1);
                     benchmark::DoNotOptimize(plane.GetData());
                   });
}

// The reallocating resize (see BM_PlaneResizeShifted), on reused heap pages.
void BM_DoubleVsFloat_ResizeShifted(benchmark::State& state)
{
  RunDoubleVsFloat(state, ResizeShifted);
}

BENCHMARK(BM_DoubleVsFloat_Fill)->MinTime(1.0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DoubleVsFloat_SetValue)->MinTime(1.0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DoubleVsFloat_Resize)->MinTime(1.0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DoubleVsFloat_ResizeShifted)->MinTime(1.0)->Unit(benchmark::kMillisecond);

#define PLANE_BENCHMARKS(Type)                                                                                         \
  BENCHMARK_TEMPLATE(BM_Memcpy, Type)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);                               \
  BENCHMARK_TEMPLATE(BM_PlaneFill, Type)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);                            \
  BENCHMARK_TEMPLATE(BM_PlaneResize, Type)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);                          \
  BENCHMARK_TEMPLATE(BM_PlaneResizeShifted, Type)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);                   \
  BENCHMARK_TEMPLATE(BM_FirstTouch, Type)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);                           \
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
