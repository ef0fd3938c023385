// GetInterpolatedPixel over one whole 2560 x 2160 camera plane (16-bit), at
// every pixel position offset by (0.25, 0.25), against a plain bilinear loop
// over the same memory: every iteration runs the plain loop and then the
// helper loop; "vs_plain" = plain time / helper time (1 = as fast as the
// plain loop), "plain_ms" and "helper_ms" the times per pass.
#include <BufferApi.h>

#include <benchmark/benchmark.h>

#include "MemcpyRatio.h"

#include <cstdint>
#include <memory>

using namespace BufferApi;

namespace
{
constexpr unsigned kWidth = 2560;
constexpr unsigned kHeight = 2160;
constexpr float kOffset = 0.25f;

struct S_Fixture
{
  S_Fixture()
      : frame(CreateImageFrame(DT_UInt16, kWidth, kHeight, 1))
      , mask(new bool[std::size_t(kWidth) * kHeight])
  {
    pixels = static_cast<std::uint16_t*>(frame->GetPlaneData(0));
    for (unsigned y = 0; y < kHeight; ++y)
    {
      for (unsigned x = 0; x < kWidth; ++x)
      {
        pixels[std::size_t(y) * kWidth + x] = static_cast<std::uint16_t>((x * 7 + y * 13) & 0xFFF);
        mask[std::size_t(y) * kWidth + x] = true;
      }
    }
    frame->CreateValidMask();
  }
  std::unique_ptr<I_FrameImage> frame;
  std::unique_ptr<bool[]> mask;
  std::uint16_t* pixels = nullptr;
};

S_Fixture& Fixture()
{
  static S_Fixture fixture;
  return fixture;
}

// The same clamping and border handling as the helper, straight on the array.
double PlainPass()
{
  const std::uint16_t* p = Fixture().pixels;
  const double wm1 = kWidth - 1;
  const double hm1 = kHeight - 1;
  double sum = 0;
  for (unsigned y = 0; y < kHeight; ++y)
  {
    for (unsigned x = 0; x < kWidth; ++x)
    {
      double cx = x + kOffset;
      double cy = y + kOffset;
      cx = cx < wm1 ? cx : wm1;
      cy = cy < hm1 ? cy : hm1;
      const unsigned ix = static_cast<unsigned>(cx);
      const unsigned iy = static_cast<unsigned>(cy);
      const double fx = cx - ix;
      const double fy = cy - iy;
      const std::size_t o = std::size_t(iy) * kWidth + ix;
      const bool right = ix + 1 < kWidth;
      const bool below = iy + 1 < kHeight;
      const double a = p[o];
      const double b = right ? p[o + 1] : 0.0;
      const double c = below ? p[o + kWidth] : 0.0;
      const double d = right && below ? p[o + kWidth + 1] : 0.0;
      sum += static_cast<float>((1 - fx) * (1 - fy) * a + fx * (1 - fy) * b + (1 - fx) * fy * c + fx * fy * d);
    }
  }
  return sum;
}

double HelperPass(const C_InterpolatedPixelHelper& helper, bool* mask, bool useFrameMask)
{
  double sum = 0;
  for (unsigned y = 0; y < kHeight; ++y)
  {
    for (unsigned x = 0; x < kWidth; ++x)
    {
      bool valid = false;
      sum += helper.GetInterpolatedPixel(x + kOffset, y + kOffset, mask, useFrameMask, &valid);
    }
  }
  return sum;
}

void RunPair(benchmark::State& state, bool* mask, bool useFrameMask)
{
  const C_InterpolatedPixelHelper helper(Fixture().frame.get(), 0);
  const BenchRatio::S_PairSeconds seconds = BenchRatio::RunSideBySide(
      state, [] { benchmark::DoNotOptimize(PlainPass()); },
      [&] { benchmark::DoNotOptimize(HelperPass(helper, mask, useFrameMask)); });
  state.counters["plain_ms"] = seconds.first * 1e3;
  state.counters["helper_ms"] = seconds.second * 1e3;
  state.counters["vs_plain"] = seconds.second > 0 ? seconds.first / seconds.second : 0.0;
}

// Every neighbour valid.
void BM_Interpolate_NoMask(benchmark::State& state)
{
  RunPair(state, nullptr, false);
}

// The caller's bool mask (all valid).
void BM_Interpolate_CallerMask(benchmark::State& state)
{
  RunPair(state, Fixture().mask.get(), false);
}

// The frame's mask (all valid).
void BM_Interpolate_FrameMask(benchmark::State& state)
{
  RunPair(state, nullptr, true);
}
} // namespace

BENCHMARK(BM_Interpolate_NoMask)->MinTime(1.0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Interpolate_CallerMask)->MinTime(1.0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Interpolate_FrameMask)->MinTime(1.0)->Unit(benchmark::kMillisecond);
