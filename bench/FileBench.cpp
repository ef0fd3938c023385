// IM7 files beside the plain baselines on a realistic recording (8 particle
// images of 2560 x 2160, 16 bit), measured in the same run and reported as
// ratios (above 1 = faster than the baseline):
//   - pack 0 export (WriteIM7) vs fwrite of the same bytes;
//   - import (ReadIM7) vs allocating fresh memory and fread;
//   - pack 2 export/import vs zlib compress2 level 1 / uncompress of the same
//     bytes (with the file write/read), and both compression ratios;
//   - peak resident memory of one operation relative to the data size:
//     peak_growth = (VmHWM during the operation - VmRSS before) / data, and
//     peak_abs = VmHWM / data. The peak is reset first through
//     /proc/self/clear_refs.
// Files go to a folder under the system temp directory, removed at the end.
#include "Buffer2File.IM7/IM7File.h"

#include "ParticleData.h"

#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace BufferApi;

namespace
{
constexpr unsigned kFrames = 8, kWidth = 2560, kHeight = 2160;
constexpr std::size_t kFrameBytes = std::size_t(kWidth) * kHeight * 2;
constexpr std::size_t kDataBytes = kFrameBytes * kFrames;

double Now()
{
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Fixture
{
  std::filesystem::path folder;
  std::unique_ptr<I_Buffer> buffer;
  std::vector<unsigned char> bytes; // the same data as one block

  Fixture()
  {
    // Every plane-sized block comes fresh from the system and goes back at
    // once, for our side and the baseline alike: no side reuses pages the
    // other faulted in, and the resident size before an operation holds no
    // freed blocks.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 20);
    folder = std::filesystem::temp_directory_path() / ("FileBench_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    buffer.reset(CreateBuffer());
    bytes.resize(kDataBytes);
    auto recording = BenchData::MakeParticleRecording(kFrames, kWidth, kHeight);
    for (unsigned f = 0; f < kFrames; ++f)
    {
      I_FrameImage* frame = buffer->AddImageFrame(kWidth, kHeight, 1, DT_UInt16);
      std::memcpy(frame->GetPlaneData(0), recording[f].data(), kFrameBytes);
      std::memcpy(bytes.data() + f * kFrameBytes, recording[f].data(), kFrameBytes);
      std::vector<std::uint16_t>().swap(recording[f]);
    }
  }
  ~Fixture() { std::filesystem::remove_all(folder); }
  std::string Path(const char* name) const { return (folder / name).string(); }
};

Fixture& Data()
{
  static Fixture fixture;
  return fixture;
}

long StatusKiB(const char* key)
{
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t length = std::strlen(key);
  while (std::getline(status, line))
    if (line.compare(0, length, key) == 0)
      return std::atol(line.c_str() + length + 1);
  return -1;
}

//! Peak resident memory of `operation`: growth over the resident size before
//! and the absolute peak, both in bytes.
template <typename F>
std::pair<double, double> PeakOf(F&& operation)
{
  malloc_trim(0);
  {
    std::ofstream reset("/proc/self/clear_refs");
    reset << "5";
  }
  const double before = StatusKiB("VmRSS:") * 1024.0;
  operation();
  const double peak = StatusKiB("VmHWM:") * 1024.0;
  return {peak - before, peak};
}

std::FILE* Open(const std::string& path, const char* mode)
{
  std::FILE* file = std::fopen(path.c_str(), mode);
  if (!file)
    std::abort();
  return file;
}

void WriteIm7File(const std::string& path, unsigned packType)
{
  std::FILE* file = Open(path, "wb");
  WriteIM7(Data().buffer.get(), file, packType);
  std::fclose(file);
}

std::unique_ptr<I_Buffer> ReadIm7File(const std::string& path)
{
  std::FILE* file = Open(path, "rb");
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  ReadIM7(buffer.get(), file, true, true, false, false, nullptr, nullptr, nullptr, nullptr);
  std::fclose(file);
  return buffer;
}

void FwriteFile(const std::string& path, const void* data, std::size_t size)
{
  std::FILE* file = Open(path, "wb");
  if (std::fwrite(data, 1, size, file) != size)
    std::abort();
  std::fclose(file);
}

std::size_t FileSize(const std::string& path)
{
  return static_cast<std::size_t>(std::filesystem::file_size(path));
}

//! Best time of `runs` runs of each side, alternating, so that both see the
//! same machine load.
template <typename Ours, typename Baseline>
void SideBySide(benchmark::State& state, Ours&& ours, Baseline&& baseline)
{
  double bestOurs = 1e30, bestBaseline = 1e30;
  for (auto _ : state)
  {
    double start = Now();
    ours();
    const double oursSeconds = Now() - start;
    start = Now();
    baseline();
    const double baselineSeconds = Now() - start;
    bestOurs = std::min(bestOurs, oursSeconds);
    bestBaseline = std::min(bestBaseline, baselineSeconds);
    state.SetIterationTime(oursSeconds);
  }
  state.counters["vs_baseline"] = bestBaseline / bestOurs;
  state.counters["ours_MBps"] = kDataBytes / bestOurs / 1e6;
  state.counters["baseline_MBps"] = kDataBytes / bestBaseline / 1e6;
}

void Pack0Export(benchmark::State& state)
{
  Fixture& d = Data();
  SideBySide(
      state, [&] { WriteIm7File(d.Path("pack0.im7"), 0); },
      [&] { FwriteFile(d.Path("plain.raw"), d.bytes.data(), d.bytes.size()); });
  const auto peak = PeakOf([&] { WriteIm7File(d.Path("pack0.im7"), 0); });
  state.counters["peak_growth"] = peak.first / kDataBytes;
  state.counters["peak_abs"] = peak.second / kDataBytes;
}

void Pack0Import(benchmark::State& state)
{
  Fixture& d = Data();
  WriteIm7File(d.Path("pack0.im7"), 0);
  FwriteFile(d.Path("plain.raw"), d.bytes.data(), d.bytes.size());
  SideBySide(
      state, [&] { benchmark::DoNotOptimize(ReadIm7File(d.Path("pack0.im7")).get()); },
      [&]
      {
        std::FILE* file = Open(d.Path("plain.raw"), "rb");
        std::unique_ptr<unsigned char[]> memory(new unsigned char[kDataBytes]);
        if (std::fread(memory.get(), 1, kDataBytes, file) != kDataBytes)
          std::abort();
        std::fclose(file);
        benchmark::DoNotOptimize(memory.get());
      });
  const auto peak = PeakOf([&] { benchmark::DoNotOptimize(ReadIm7File(d.Path("pack0.im7")).get()); });
  state.counters["peak_growth"] = peak.first / kDataBytes;
  state.counters["peak_abs"] = peak.second / kDataBytes;
}

std::vector<unsigned char> ZlibLevel1(const std::vector<unsigned char>& data)
{
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::vector<unsigned char> packed(size);
  if (compress2(packed.data(), &size, data.data(), static_cast<uLong>(data.size()), 1) != Z_OK)
    std::abort();
  packed.resize(size);
  return packed;
}

bool Pack2Available(benchmark::State& state)
{
  try
  {
    WriteIm7File(Data().Path("pack2.im7"), 2);
    return true;
  }
  catch (const std::exception& e)
  {
    state.SkipWithError((std::string("pack type 2 not available: ") + e.what()).c_str());
    return false;
  }
}

void Pack2Export(benchmark::State& state)
{
  Fixture& d = Data();
  if (!Pack2Available(state))
    return;
  std::size_t zlibSize = 0;
  SideBySide(
      state, [&] { WriteIm7File(d.Path("pack2.im7"), 2); },
      [&]
      {
        const auto packed = ZlibLevel1(d.bytes);
        zlibSize = packed.size();
        FwriteFile(d.Path("zlib.raw"), packed.data(), packed.size());
      });
  state.counters["ratio_ours"] = double(kDataBytes) / FileSize(d.Path("pack2.im7"));
  state.counters["ratio_zlib1"] = double(kDataBytes) / zlibSize;
  const auto peak = PeakOf([&] { WriteIm7File(d.Path("pack2.im7"), 2); });
  state.counters["peak_growth"] = peak.first / kDataBytes;
  state.counters["peak_abs"] = peak.second / kDataBytes;
}

void Pack2Import(benchmark::State& state)
{
  Fixture& d = Data();
  if (!Pack2Available(state))
    return;
  const auto packed = ZlibLevel1(d.bytes);
  FwriteFile(d.Path("zlib.raw"), packed.data(), packed.size());
  SideBySide(
      state, [&] { benchmark::DoNotOptimize(ReadIm7File(d.Path("pack2.im7")).get()); },
      [&]
      {
        const std::size_t size = FileSize(d.Path("zlib.raw"));
        std::FILE* file = Open(d.Path("zlib.raw"), "rb");
        std::unique_ptr<unsigned char[]> bytes(new unsigned char[size]);
        if (std::fread(bytes.get(), 1, size, file) != size)
          std::abort();
        std::fclose(file);
        std::unique_ptr<unsigned char[]> memory(new unsigned char[kDataBytes]);
        uLongf unpacked = kDataBytes;
        if (uncompress(memory.get(), &unpacked, bytes.get(), static_cast<uLong>(size)) != Z_OK)
          std::abort();
        benchmark::DoNotOptimize(memory.get());
      });
  const auto peak = PeakOf([&] { benchmark::DoNotOptimize(ReadIm7File(d.Path("pack2.im7")).get()); });
  state.counters["peak_growth"] = peak.first / kDataBytes;
  state.counters["peak_abs"] = peak.second / kDataBytes;
}
} // namespace

BENCHMARK(Pack0Export)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(Pack0Import)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(Pack2Export)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(Pack2Import)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
