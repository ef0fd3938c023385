// Pack type 2 (zlib stream) of PackBlock and UnpackBlock beside plain zlib:
// compress2 at level 1 + fwrite, and fread + uncompress, on the same particle
// images in the same run. Counters: "vs_zlib1" is zlib's time over ours
// (above 1 = faster than zlib), "size_vs_zlib1" our packed size over zlib's,
// "ratio" the compression ratio (unpacked over packed bytes).
#include "Buffer2File.IM7/PlanePacking.h"

#include "MemcpyRatio.h"
#include "ParticleData.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace
{
constexpr unsigned kWidth = 2560;
constexpr unsigned kHeight = 2160;
constexpr unsigned kFrames = 2;

//! Two camera frames back to back, as the data block of a file holds them.
const std::vector<std::uint16_t>& Words()
{
  static const std::vector<std::uint16_t> words = []
  {
    std::vector<std::uint16_t> all;
    for (const auto& frame : BenchData::MakeParticleRecording(kFrames, kWidth, kHeight))
      all.insert(all.end(), frame.begin(), frame.end());
    return all;
  }();
  return words;
}

std::uint64_t Bytes()
{
  return Words().size() * sizeof(std::uint16_t);
}

struct S_FileCloser
{
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, S_FileCloser>;

struct S_ZlibBaseline
{
  double packSeconds = 1e30;
  double unpackSeconds = 1e30;
  std::uint64_t packedBytes = 0;
};

//! The best of a few runs of plain zlib, measured once.
const S_ZlibBaseline& Baseline()
{
  static const S_ZlibBaseline baseline = []
  {
    S_ZlibBaseline result;
    FilePtr file(std::tmpfile());
    const uLong bound = compressBound(static_cast<uLong>(Bytes()));
    for (int run = 0; run < 3; ++run)
    {
      std::rewind(file.get());
      double start = BenchRatio::ThreadSeconds();
      std::unique_ptr<Bytef[]> packed(new Bytef[bound]);
      uLongf packedSize = bound;
      if (compress2(packed.get(), &packedSize, reinterpret_cast<const Bytef*>(Words().data()), Bytes(), 1) != Z_OK)
        throw std::runtime_error("compress2 failed");
      std::fwrite(packed.get(), 1, packedSize, file.get());
      std::fflush(file.get());
      result.packSeconds = std::min(result.packSeconds, BenchRatio::ThreadSeconds() - start);
      result.packedBytes = packedSize;

      std::rewind(file.get());
      std::vector<std::uint16_t> back(Words().size());
      start = BenchRatio::ThreadSeconds();
      std::unique_ptr<Bytef[]> read(new Bytef[packedSize]);
      if (std::fread(read.get(), 1, packedSize, file.get()) != packedSize)
        throw std::runtime_error("fread failed");
      uLongf unpackedSize = static_cast<uLongf>(Bytes());
      if (uncompress(reinterpret_cast<Bytef*>(back.data()), &unpackedSize, read.get(), packedSize) != Z_OK)
        throw std::runtime_error("uncompress failed");
      result.unpackSeconds = std::min(result.unpackSeconds, BenchRatio::ThreadSeconds() - start);
    }
    return result;
  }();
  return baseline;
}

void SetZlibCounters(benchmark::State& state, double zlibSeconds, double start, std::uint64_t packedBytes)
{
  const double perIteration = (BenchRatio::ThreadSeconds() - start) / double(state.iterations());
  state.counters["vs_zlib1"] = zlibSeconds / perIteration;
  state.counters["size_vs_zlib1"] = double(packedBytes) / double(Baseline().packedBytes);
  state.counters["ratio"] = double(Bytes()) / double(packedBytes);
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(Bytes()));
}

void BM_PackBlockZlib(benchmark::State& state)
{
  const S_ZlibBaseline& zlib = Baseline();
  FilePtr file(std::tmpfile());
  std::uint64_t packedBytes = 0;
  const double start = BenchRatio::ThreadSeconds();
  for (auto _ : state)
  {
    std::rewind(file.get());
    if (BufferApi::PackBlock(file.get(), Words().data(), Bytes(), 2, kWidth) != 0)
      state.SkipWithError("PackBlock failed");
    std::fflush(file.get());
    packedBytes = static_cast<std::uint64_t>(std::ftell(file.get())) - 4; // without the length prefix
  }
  SetZlibCounters(state, zlib.packSeconds, start, packedBytes);
}
BENCHMARK(BM_PackBlockZlib)->Unit(benchmark::kMillisecond);

void BM_UnpackBlockZlib(benchmark::State& state)
{
  const S_ZlibBaseline& zlib = Baseline();
  FilePtr file(std::tmpfile());
  BufferApi::PackBlock(file.get(), Words().data(), Bytes(), 2, kWidth);
  std::fflush(file.get());
  const std::uint64_t packedBytes = static_cast<std::uint64_t>(std::ftell(file.get())) - 4;
  std::vector<std::uint16_t> back(Words().size());
  const double start = BenchRatio::ThreadSeconds();
  for (auto _ : state)
  {
    std::rewind(file.get());
    BufferApi::UnpackBlock(file.get(), back.data(), Bytes(), 2, kWidth, true);
    benchmark::DoNotOptimize(back.data());
  }
  SetZlibCounters(state, zlib.unpackSeconds, start, packedBytes);
  if (back != Words())
    state.SkipWithError("round trip differs");
}
BENCHMARK(BM_UnpackBlockZlib)->Unit(benchmark::kMillisecond);

} // namespace
