// Makes a synthetic PIV recording and stores it in a folder:
//   particles.im7  two camera images, 640 x 480 x 12 bit, taken dt apart; the
//                  particles of the second image have moved with the flow
//   vortex.vc7     the displacement field of that flow, one vector per
//                  16 x 16 window: a Lamb-Oseen vortex in a uniform stream,
//                  with a disabled strip where a wall reflection would spoil
//                  the correlation
// The flow is analytic, so a reader can check any vector against its formula.
//   SyntheticRecording <folder>
#include <BufferApi.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace BufferApi;

namespace
{
constexpr unsigned kWidth = 640;
constexpr unsigned kHeight = 480;
constexpr unsigned kGrid = 16;
constexpr unsigned kParticles = 6000;
constexpr double kPixelSize = 0.02;           // mm
constexpr double kTimeBetweenFrames = 200e-6; // s

//! The flow in pixels of displacement per dt: a uniform stream to the right
//! plus a Lamb-Oseen vortex in the middle of the picture.
struct S_Flow
{
  double streamX = 1.5;
  double centreX = kWidth / 2.0;
  double centreY = kHeight / 2.0;
  double coreRadius = 60.0; // px
  double peakSwirl = 7.0;   // px, displacement at about the core radius

  void Displacement(double x, double y, double& dx, double& dy) const
  {
    const double rx = x - centreX;
    const double ry = y - centreY;
    const double r2 = rx * rx + ry * ry;
    // u_theta(r) = G / r * (1 - exp(-r^2 / rc^2)), scaled so that its maximum
    // (at r = 1.12 rc) is about peakSwirl.
    const double gain = peakSwirl * coreRadius / 0.638;
    const double swirl = r2 > 1e-12 ? gain * (1.0 - std::exp(-r2 / (coreRadius * coreRadius))) / r2 : 0.0;
    dx = streamX - swirl * ry;
    dy = swirl * rx;
  }
};

struct S_Particle
{
  double x;
  double y;
  double peak;
  double sigma;
};

std::vector<S_Particle> SeedParticles()
{
  std::mt19937 random(2026);
  std::uniform_real_distribution<double> x(-10.0, kWidth + 10.0);
  std::uniform_real_distribution<double> y(-10.0, kHeight + 10.0);
  std::uniform_real_distribution<double> peak(600.0, 3500.0);
  std::uniform_real_distribution<double> sigma(0.8, 1.4);
  std::vector<S_Particle> particles(kParticles);
  for (S_Particle& p : particles)
  {
    p = {x(random), y(random), peak(random), sigma(random)};
  }
  return particles;
}

//! Gaussian particle images on a noisy camera background; a 12-bit camera
//! saturates at 4095.
void RenderParticles(I_FrameImage& image, const std::vector<S_Particle>& particles, unsigned seed)
{
  std::vector<double> light(std::size_t(kWidth) * kHeight, 0.0);
  for (const S_Particle& p : particles)
  {
    const int reach = int(std::ceil(3.0 * p.sigma));
    const int x0 = std::max(0, int(std::floor(p.x)) - reach);
    const int x1 = std::min(int(kWidth) - 1, int(std::floor(p.x)) + reach);
    const int y0 = std::max(0, int(std::floor(p.y)) - reach);
    const int y1 = std::min(int(kHeight) - 1, int(std::floor(p.y)) + reach);
    for (int y = y0; y <= y1; ++y)
    {
      for (int x = x0; x <= x1; ++x)
      {
        const double r2 = (x - p.x) * (x - p.x) + (y - p.y) * (y - p.y);
        light[std::size_t(y) * kWidth + unsigned(x)] += p.peak * std::exp(-r2 / (2.0 * p.sigma * p.sigma));
      }
    }
  }
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(90.0, 6.0);
  for (unsigned y = 0; y < kHeight; ++y)
  {
    for (unsigned x = 0; x < kWidth; ++x)
    {
      const double value = light[std::size_t(y) * kWidth + x] + noise(random);
      image.SetPixel(x, y, 0, std::clamp(std::round(value), 0.0, 4095.0));
    }
  }
}

I_Scale* Linear(double factor, double offset, const std::string& unit, const std::string& description)
{
  return C_ScaleFactory::GetInstance().CreateLinearScale(factor, offset, unit, description);
}

void SetText(I_Buffer& buffer, const std::string& path, const std::string& text)
{
  dynamic_cast<I_Attribute<std::string>&>(*buffer.CreateAttribute(path, AttrString)).SetValue(text);
}

void DescribeRecording(I_Buffer& buffer)
{
  SetText(buffer, "Recording.Name", "Synthetic vortex in a uniform stream");
  SetText(buffer, "Recording.Camera", "12-bit, 640 x 480");
  // File attributes are texts.
  SetText(buffer, "Recording.TimeBetweenFrames", std::to_string(std::lround(kTimeBetweenFrames * 1e6)) + " us");
}

std::unique_ptr<I_Buffer> MakeImages(const S_Flow& flow)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  DescribeRecording(*buffer);
  std::vector<S_Particle> particles = SeedParticles();
  const char* names[2] = {"Camera 1, t0", "Camera 1, t0 + dt"};
  for (unsigned i = 0; i < 2; ++i)
  {
    I_FrameImage* image = buffer->AddImageFrame(kWidth, kHeight, 1, DT_UInt16);
    image->SetName(names[i]);
    image->SetScaleX(Linear(kPixelSize, 0.0, "mm", "X"));
    image->SetScaleY(Linear(kPixelSize, 0.0, "mm", "Y"));
    image->SetScaleI(Linear(1.0, 0.0, "counts", "Intensity"));
    RenderParticles(*image, particles, 100 + i);
    // Move the particles with the flow, evaluated half way (second order).
    for (S_Particle& p : particles)
    {
      double dx = 0.0;
      double dy = 0.0;
      flow.Displacement(p.x, p.y, dx, dy);
      flow.Displacement(p.x + dx / 2.0, p.y + dy / 2.0, dx, dy);
      p.x += dx;
      p.y += dy;
    }
  }
  return buffer;
}

std::unique_ptr<I_Buffer> MakeVectors(const S_Flow& flow)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  DescribeRecording(*buffer);
  const unsigned columns = kWidth / kGrid;
  const unsigned rows = kHeight / kGrid;
  I_FrameVector2C* vectors = buffer->AddVectorFrame2C(columns, rows, 1, 1, DT_Float, kGrid);
  vectors->SetName("Displacement");
  const double step = kGrid * kPixelSize;
  vectors->SetScaleX(Linear(step, step / 2.0, "mm", "X"));
  vectors->SetScaleY(Linear(step, step / 2.0, "mm", "Y"));
  // One pixel of displacement in dt is this velocity.
  vectors->SetScaleI(Linear(kPixelSize * 1e-3 / kTimeBetweenFrames, 0.0, "m/s", "Velocity"));

  C_CompatibleVectorPlaneAccess access(vectors, 0);
  for (unsigned y = 0; y < rows; ++y)
  {
    for (unsigned x = 0; x < columns; ++x)
    {
      // The bottom rows look at a reflecting wall: no valid correlation
      // there. A one-choice vector file keeps a disabled vector as (0, 0).
      if (y >= rows - 2)
      {
        access.SetVector3D(x, y, 0.0f, 0.0f, 0.0f, VA_Choice1);
        vectors->SetEnabled(x, y, 0, false);
        continue;
      }
      double dx = 0.0;
      double dy = 0.0;
      flow.Displacement((x + 0.5) * kGrid, (y + 0.5) * kGrid, dx, dy);
      access.SetVector3D(x, y, float(dx), float(dy), 0.0f, VA_Choice1);
    }
  }
  return buffer;
}

void Store(const I_Buffer& buffer, const std::filesystem::path& path, std::int64_t packType)
{
  auto options = GetExportParameter(path.string());
  options->GetInteger("PackType")->SetValue(packType);
  ExportBuffer(&buffer, path.string(), options);
  std::printf("  %-14s %9llu bytes, pack type %lld\n", path.filename().string().c_str(),
              static_cast<unsigned long long>(std::filesystem::file_size(path)), static_cast<long long>(packType));
}
} // namespace

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  try
  {
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const S_Flow flow;
    std::printf("Synthetic recording in %s\n", folder.string().c_str());
    std::fflush(stdout);
    // Pack type 1: the camera-image codec.
    Store(*MakeImages(flow), folder / "particles.im7", 1);
    Store(*MakeVectors(flow), folder / "vortex.vc7", 0);
  }
  catch (const std::exception& error)
  {
    std::fprintf(stderr, "SyntheticRecording: %s\n", error.what());
    return 1;
  }
  return 0;
}
