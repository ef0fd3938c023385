#pragma once

// Synthetic particle images as a camera of a flow measurement records them:
// background 100 counts, Gaussian particle images of sigma 1.2 px (one per
// 64 pixels, amplitudes uniform in 500..3000), shot noise with variance equal
// to the signal plus Gaussian read noise of sigma 5, rounded and clamped to
// 16 bits. The same seed gives the same images.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace BenchData
{
inline std::vector<std::uint16_t> MakeParticleImage(unsigned width, unsigned height, std::uint32_t seed)
{
  std::mt19937 random(seed);
  std::vector<double> signal(static_cast<std::size_t>(width) * height, 100.0);
  std::uniform_real_distribution<double> column(0.0, width), row(0.0, height), amplitude(500.0, 3000.0);
  const double sigma = 1.2;
  const int reach = 5;
  const std::size_t particles = signal.size() / 64;
  for (std::size_t p = 0; p < particles; ++p)
  {
    const double cx = column(random), cy = row(random), peak = amplitude(random);
    const int x0 = std::max(0, static_cast<int>(cx) - reach),
              x1 = std::min<int>(width - 1, static_cast<int>(cx) + reach);
    const int y0 = std::max(0, static_cast<int>(cy) - reach),
              y1 = std::min<int>(height - 1, static_cast<int>(cy) + reach);
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
      {
        const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
        signal[static_cast<std::size_t>(y) * width + x] += peak * std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
      }
  }
  std::vector<std::uint16_t> image(signal.size());
  std::normal_distribution<double> unit(0.0, 1.0);
  for (std::size_t i = 0; i < signal.size(); ++i)
  {
    const double noisy = signal[i] + unit(random) * std::sqrt(signal[i] + 25.0);
    image[i] = static_cast<std::uint16_t>(std::clamp(std::round(noisy), 0.0, 65535.0));
  }
  return image;
}

//! The data set of the file and codec benchmarks: 8 frames of 2560 x 2160.
inline std::vector<std::vector<std::uint16_t>> MakeParticleRecording(unsigned frames = 8, unsigned width = 2560,
                                                                     unsigned height = 2160)
{
  std::vector<std::vector<std::uint16_t>> recording;
  for (unsigned f = 0; f < frames; ++f)
    recording.push_back(MakeParticleImage(width, height, 1234 + f));
  return recording;
}

} // namespace BenchData
