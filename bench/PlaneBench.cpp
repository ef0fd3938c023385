#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

static void BM_Memcpy(benchmark::State& state)
{
  std::vector<char> a(state.range(0)), b(state.range(0));
  for (auto _ : state)
  {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Memcpy)->Arg(1 << 20);
