// Example: first a buffer with one frame of every type and a short summary of
// it; then a synthetic flow recording in memory. Two particle images taken a
// short time apart show the same particles moved by a known displacement; a
// vector field holds that displacement, with a masked-out corner where a
// reflection produced spurious vectors. The program computes display ranges
// with the histogram, reads the images between pixels at the particle centres,
// stores the images in an IM7 file and the vector field in a VC7 file (plain
// and zlib-packed), reads them back, compares them with the originals and
// prints the buffer dump.
#include <BufferApi.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace BufferApi;

namespace
{
constexpr unsigned kWidth = 96;
constexpr unsigned kHeight = 64;
constexpr unsigned kGrid = 16;
//! The particles move by this many pixels between the two images.
constexpr double kShiftX = 3.0;
constexpr double kShiftY = 2.0;
constexpr double kPixelSize = 0.05;           // mm
constexpr double kTimeBetweenFrames = 100e-6; // s

const char* DataTypeName(E_DataType type)
{
  switch (type)
  {
  case DT_Bool:
    return "bool";
  case DT_UInt8:
    return "uint8";
  case DT_RGB:
    return "rgb";
  case DT_Double:
    return "double";
  case DT_Float:
    return "float";
  case DT_Int32:
    return "int32";
  case DT_UInt32:
    return "uint32";
  case DT_UInt16:
    return "uint16";
  }
  return "unknown";
}

const char* FrameTypeName(const I_Frame* frame)
{
  // The interfaces tell the frame types apart; the most derived one first.
  if (dynamic_cast<const I_FrameRGB*>(frame))
    return "RGB";
  if (dynamic_cast<const I_FrameImage*>(frame))
    return "image";
  if (dynamic_cast<const I_FrameProfile*>(frame))
    return "profile";
  if (dynamic_cast<const I_FrameVector2C*>(frame))
    return "vector 2C";
  if (dynamic_cast<const I_FrameVector3C*>(frame))
    return "vector 3C";
  return "other";
}

//! One frame of every type, each with a few values, and one line per frame.
void PrintFrameTypes()
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  buffer->AddImageFrame(640, 480, 2, DT_UInt16)->CreateValidMask();
  buffer->AddRGBFrame(320, 240, 1)->SetIntPixel(0, 0, 0, 0x00FF8000u);
  I_FrameProfile* profile = buffer->AddProfileFrame(100, 3, DT_Float);
  for (unsigned i = 0; i < 100; ++i)
    profile->SetPointsAt(i, 0.5 * i, {double(i), 2.0 * i, 3.0 * i});
  buffer->AddVectorFrame2C(40, 30, 1, 2, DT_Float, 16)->SetActiveChoice(5, 5, 0, 1);
  buffer->AddVectorFrame3C(40, 30, 1, 1, DT_Float, 16);
  dynamic_cast<I_Attribute<double>&>(*buffer->GetFrame(0)->CreateAttribute("Camera.Exposure", AttrDouble))
      .SetValue(0.002);

  std::printf("Frame types\n");
  for (unsigned i = 0; i < buffer->GetNumberOfFrames(); ++i)
  {
    const I_Frame* frame = buffer->GetFrame(i);
    std::printf("  #%u %-9s %3u x %3u x %u:", i, FrameTypeName(frame), frame->GetWidth(), frame->GetHeight(),
                frame->GetDepth());
    for (unsigned c = 0; c < frame->GetNumberOfComponents(); ++c)
      std::printf(" %s(%s)", frame->GetComponentName(int(c)).c_str(),
                  DataTypeName(frame->GetComponentDataType(int(c))));
    std::printf("%s\n", frame->FindAttribute("Camera.Exposure") ? ", attribute Camera.Exposure" : "");
  }
  std::printf("\n");
}

struct S_Particle
{
  double x;
  double y;
  double peak;
};

std::vector<S_Particle> MakeParticles(unsigned count)
{
  std::mt19937 random(2024);
  std::uniform_real_distribution<double> x(0.0, kWidth - 1.0);
  std::uniform_real_distribution<double> y(0.0, kHeight - 1.0);
  std::uniform_real_distribution<double> peak(1500.0, 3000.0);
  std::vector<S_Particle> particles(count);
  for (S_Particle& p : particles)
  {
    p = {x(random), y(random), peak(random)};
  }
  return particles;
}

//! A camera image of the particles moved by (dx, dy): Gaussian spots on a
//! noisy background, plus a few hot pixels, the outliers a display range
//! should ignore.
void RenderParticles(I_FrameImage& image, const std::vector<S_Particle>& particles, double dx, double dy, unsigned seed)
{
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(100.0, 4.0);
  for (unsigned y = 0; y < kHeight; ++y)
  {
    for (unsigned x = 0; x < kWidth; ++x)
    {
      double value = noise(random);
      for (const S_Particle& p : particles)
      {
        const double rx = x - (p.x + dx);
        const double ry = y - (p.y + dy);
        const double r2 = rx * rx + ry * ry;
        if (r2 < 16.0)
        {
          value += p.peak * std::exp(-r2 / (2.0 * 1.1 * 1.1));
        }
      }
      // A 12-bit camera saturates.
      image.SetPixel(x, y, 0, std::min(value, 4095.0));
    }
  }
  std::uniform_int_distribution<unsigned> px(0, kWidth - 1);
  std::uniform_int_distribution<unsigned> py(0, kHeight - 1);
  for (unsigned i = 0; i < 6; ++i)
  {
    image.SetPixel(px(random), py(random), 0, 4095.0);
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

void AddImages(I_Buffer& buffer, const std::vector<S_Particle>& particles)
{
  const char* names[2] = {"Camera 1, t0", "Camera 1, t0 + dt"};
  for (unsigned i = 0; i < 2; ++i)
  {
    I_FrameImage* image = buffer.AddImageFrame(kWidth, kHeight, 1, DT_UInt16);
    image->SetName(names[i]);
    image->SetScaleX(Linear(kPixelSize, 0.0, "mm", "X"));
    image->SetScaleY(Linear(kPixelSize, 0.0, "mm", "Y"));
    RenderParticles(*image, particles, i * kShiftX, i * kShiftY, 11 + i);
  }
}

//! One vector per kGrid x kGrid window holding the known displacement with a
//! little measurement noise; the lower right corner is masked out and holds
//! spurious vectors.
void AddVectors(I_Buffer& buffer)
{
  const unsigned columns = kWidth / kGrid;
  const unsigned rows = kHeight / kGrid;
  I_FrameVector2C* vectors = buffer.AddVectorFrame2C(columns, rows, 1, 1, DT_Float, kGrid);
  vectors->SetName("Displacement");
  const double step = kGrid * kPixelSize;
  vectors->SetScaleX(Linear(step, step / 2.0, "mm", "X"));
  vectors->SetScaleY(Linear(step, step / 2.0, "mm", "Y"));
  // A displacement of one pixel in dt is this velocity.
  vectors->SetScaleI(Linear(kPixelSize * 1e-3 / kTimeBetweenFrames, 0.0, "m/s", "Velocity"));
  vectors->CreateValidMask();

  C_CompatibleVectorPlaneAccess access(vectors, 0);
  std::mt19937 random(5);
  std::uniform_real_distribution<float> noise(-0.1f, 0.1f);
  for (unsigned y = 0; y < rows; ++y)
  {
    for (unsigned x = 0; x < columns; ++x)
    {
      const bool reflection = x >= columns - 2 && y >= rows - 2;
      if (reflection)
      {
        access.SetVector3D(x, y, 25.0f, -18.0f, 0.0f, VA_Choice1);
        access.Mask_SetPixel(int(x), int(y), false);
      }
      else
      {
        access.SetVector3D(x, y, float(kShiftX) + noise(random), float(kShiftY) + noise(random), 0.0f, VA_Choice1);
      }
    }
  }
}

void PrintRange(const char* what, C_PlaneMinMaxHistogram& helper)
{
  helper.Finish(C_PlaneMinMaxHistogram::CMMode_Range);
  std::printf("  %-34s %8.2f .. %8.2f  (%u values)\n", what, helper.GetMin(), helper.GetMax(), helper.GetCount());
}

void PrintDisplayRanges(I_Buffer& buffer)
{
  std::printf("Display ranges\n");
  auto* image = dynamic_cast<I_FrameImage*>(buffer.GetFrame(0));
  C_PlaneMinMaxHistogram full(100.0);
  full.Process(image, 0u);
  PrintRange("image t0, full range", full);
  C_PlaneMinMaxHistogram clipped(99.5);
  clipped.Process(image, 0u);
  PrintRange("image t0, 99.5 % of the values", clipped);

  auto* vectors = dynamic_cast<I_FrameVector*>(buffer.GetFrame(2));
  C_PlaneMinMaxHistogram all(100.0);
  all.Process(vectors, 0u);
  PrintRange("vector length [px], all", all);
  C_PlaneMinMaxHistogram masked(100.0);
  masked.SetMaskUsage(true);
  masked.Process(vectors, 0u);
  PrintRange("vector length [px], valid only", masked);
  C_PlaneMinMaxHistogram symmetric(100.0);
  symmetric.SetMaskUsage(true);
  symmetric.SetVectorComponent(C_PlaneMinMaxHistogram::VectorV);
  symmetric.Process(vectors, 0u);
  symmetric.Finish(C_PlaneMinMaxHistogram::CMMode_NegAbsMin);
  std::printf("  %-34s %8.2f .. %8.2f\n", "v [px], symmetric about 0", symmetric.GetMin(), symmetric.GetMax());
}
//! The particle centres lie between pixels: the interpolated value at a centre
//! in the first image matches the one at the displaced centre in the second.
void PrintParticleValues(I_Buffer& buffer, const std::vector<S_Particle>& particles)
{
  std::printf("\nInterpolated pixels at particle centres\n");
  const C_InterpolatedPixelHelper first(&buffer, 0, 0);
  const C_InterpolatedPixelHelper second(&buffer, 1, 0);
  unsigned shown = 0;
  for (const S_Particle& p : particles)
  {
    // Particles that leave the image in the second exposure are skipped.
    if (p.x + kShiftX > kWidth - 1.0 || p.y + kShiftY > kHeight - 1.0)
    {
      continue;
    }
    const auto x = static_cast<float>(p.x);
    const auto y = static_cast<float>(p.y);
    const auto dx = static_cast<float>(kShiftX);
    const auto dy = static_cast<float>(kShiftY);
    const float before = first.GetInterpolatedPixel(x, y, nullptr, false, nullptr);
    const float after = second.GetInterpolatedPixel(x + dx, y + dy, nullptr, false, nullptr);
    std::printf("  t0 at (%5.2f, %5.2f): %7.1f   t0 + dt at (%5.2f, %5.2f): %7.1f\n", x, y, before, x + dx, y + dy,
                after);
    if (++shown == 4)
    {
      break;
    }
  }
}
//! Copies of `count` frames of `source` from `first` on as frames of a new buffer (the file
//! formats store frames of one type each).
std::unique_ptr<I_Buffer> FramesOf(const I_Buffer& source, unsigned first, unsigned count)
{
  std::unique_ptr<I_Buffer> part(CreateBuffer());
  for (unsigned i = first; i < first + count; ++i)
  {
    part->AddCopyOfFrame(source.GetFrame(i), true);
  }
  return part;
}

//! Whether b holds every component of a by name, plane for plane byte for
//! byte (an imported frame carries attributes of its own besides).
bool SameData(const I_Frame& a, const I_Frame& b)
{
  if (a.GetNumberOfComponents() != b.GetNumberOfComponents() || a.GetDepth() != b.GetDepth())
  {
    return false;
  }
  for (unsigned c = 0; c < a.GetNumberOfComponents(); ++c)
  {
    const int other = b.GetComponentIndex(a.GetComponentName(int(c)));
    for (unsigned z = 0; z < a.GetDepth(); ++z)
    {
      if (other < 0 || !a.GetPlane(int(c), z)->IsEqual(b.GetPlane(other, z)))
      {
        return false;
      }
    }
  }
  return true;
}

//! Stores `part` under `path` with the given pack type, reads the file back
//! and tells whether every frame came back equal.
void RoundTrip(const I_Buffer& part, const std::filesystem::path& path, std::int64_t packType)
{
  auto options = GetExportParameter(path.string());
  options->GetInteger("PackType")->SetValue(packType);
  ExportBuffer(&part, path.string(), options);
  std::unique_ptr<I_Buffer> back(ImportBuffer(path.string(), RTE::Parameter::CreateTree()));
  bool equal = back->GetNumberOfFrames() == part.GetNumberOfFrames();
  for (unsigned i = 0; equal && i < part.GetNumberOfFrames(); ++i)
  {
    equal = SameData(*part.GetFrame(i), *back->GetFrame(i));
  }
  std::printf("  %-16s pack type %lld  %8llu bytes  %zu frame(s) back, %s\n", path.filename().string().c_str(),
              static_cast<long long>(packType), static_cast<unsigned long long>(std::filesystem::file_size(path)),
              back->GetNumberOfFrames(), equal ? "identical" : "DIFFERENT");
}

void RoundTripThroughFiles(const I_Buffer& buffer)
{
  std::printf("\nFiles\n");
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "BufferExample";
  std::filesystem::create_directories(folder);
  const auto images = FramesOf(buffer, 0, 2);
  const auto vectors = FramesOf(buffer, 2, 1);
  RoundTrip(*images, folder / "particles.im7", 0);
  RoundTrip(*images, folder / "particles-z.im7", 2);
  RoundTrip(*vectors, folder / "vectors.vc7", 0);
  RoundTrip(*vectors, folder / "vectors-z.vc7", 2);
  std::filesystem::remove_all(folder);
}
} // namespace

int main()
{
  PrintFrameTypes();

  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  SetText(*buffer, "Recording.Name", "Synthetic channel flow");
  SetText(*buffer, "Recording.Displacement", "3 px, 2 px");
  dynamic_cast<I_Attribute<double>&>(*buffer->CreateAttribute("Recording.TimeBetweenFrames", AttrDouble))
      .SetValue(kTimeBetweenFrames);

  const std::vector<S_Particle> particles = MakeParticles(60);
  AddImages(*buffer, particles);
  AddVectors(*buffer);

  PrintDisplayRanges(*buffer);
  PrintParticleValues(*buffer, particles);
  RoundTripThroughFiles(*buffer);
  std::printf("\nBuffer dump\n%s", C_BufferDump(buffer.get()).ToString().c_str());
  return 0;
}
