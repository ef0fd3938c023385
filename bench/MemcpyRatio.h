#pragma once

// Puts a benchmark's throughput beside a plain memcpy of the same byte count,
// measured in the same process, as the counter "vs_memcpy" (1.0 = as fast as
// memcpy; above 1 = faster, e.g. a fill that only writes).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <vector>

namespace BenchRatio
{
//! CPU time of the calling thread in seconds: steadier than wall time on a
//! loaded machine, and what the framework's own "CPU" column shows.
inline double ThreadSeconds()
{
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

//! Best of a few memcpy runs of `bytes` bytes, in seconds; measured once per size.
inline double MemcpySeconds(std::size_t bytes)
{
  static std::map<std::size_t, double> measured;
  const auto known = measured.find(bytes);
  if (known != measured.end())
    return known->second;
  std::vector<char> source(bytes, 1), target(bytes);
  std::memcpy(target.data(), source.data(), bytes); // touch the pages first
  double best = 1e30;
  for (int run = 0; run < 7; ++run)
  {
    const double start = ThreadSeconds();
    std::memcpy(target.data(), source.data(), bytes);
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
    best = std::min(best, ThreadSeconds() - start);
  }
  measured[bytes] = best;
  return best;
}

//! Starts timing when made; Report sets "vs_memcpy" from the time per iteration.
class MemcpyRatio
{
public:
  explicit MemcpyRatio(std::size_t bytesPerIteration)
      : m_bytes(bytesPerIteration)
      , m_memcpySeconds(MemcpySeconds(bytesPerIteration))
      , m_start(ThreadSeconds())
  {
  }

  void Report(benchmark::State& state) const
  {
    const double seconds = ThreadSeconds() - m_start;
    if (state.iterations() == 0 || seconds <= 0)
      return;
    const double perIteration = seconds / double(state.iterations());
    state.counters["vs_memcpy"] = m_memcpySeconds / perIteration;
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(m_bytes));
  }

private:
  std::size_t m_bytes;
  double m_memcpySeconds;
  double m_start;
};

//! Seconds per iteration of two loops run in turn in every iteration.
struct S_PairSeconds
{
  double first = 0.0;
  double second = 0.0;
};

//! Runs `first` and then `second` in every iteration of the benchmark, so that
//! both see the same machine state, and returns their times per iteration.
template <class First, class Second>
S_PairSeconds RunSideBySide(benchmark::State& state, First first, Second second)
{
  S_PairSeconds total;
  for (auto _ : state)
  {
    const double start = ThreadSeconds();
    first();
    const double middle = ThreadSeconds();
    second();
    total.second += ThreadSeconds() - middle;
    total.first += middle - start;
  }
  const double passes = state.iterations() > 0 ? double(state.iterations()) : 1.0;
  return {total.first / passes, total.second / passes};
}
} // namespace BenchRatio
