// The C++ side of the tifffile interoperability test.
//   BufferTiffInterop write <folder>  writes TIFF files through the plugin
//   BufferTiffInterop read <folder>   imports the files tifffile wrote there
// Pixels follow (x * 7 + y * 13 + page * 31) mod range, colour channel c as
// if x were x + 3 * c, floats plus 0.5, on both sides.

#include <BufferApi.h>
#include <BufferTiff/TiffPlugin.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

namespace
{
using namespace BufferApi;
using BufferPtr = std::unique_ptr<I_Buffer>;

constexpr unsigned kWidth = 23;
constexpr unsigned kHeight = 17;

double Pattern(unsigned x, unsigned y, unsigned page, unsigned long long range)
{
  return static_cast<double>((x * 7ull + y * 13ull + page * 31ull) % range);
}

struct GreyFile
{
  const char* name;
  E_DataType type;
  unsigned long long range;
  double add;
};

const GreyFile kGreyFiles[] = {
    {"uint8", DT_UInt8, 256, 0},       {"uint16", DT_UInt16, 65536, 0},  {"int32", DT_Int32, 1000003, 0},
    {"uint32", DT_UInt32, 1000003, 0}, {"float32", DT_Float, 1000, 0.5}, {"float64", DT_Double, 1000, 0.5},
};

void Save(const I_Buffer* buffer, const std::string& path, const char* compression)
{
  auto options = RTE::Parameter::CreateTree();
  options->Add(
      RTE::Parameter::CreateText("Compression", "", "", 2, compression, RTE::Parameter::C_Text::EditorLineEdit));
  ExportBuffer(buffer, path, options);
}

void WriteFiles(const std::string& folder)
{
  for (const char* compression : {"none", "deflate"})
  {
    for (const GreyFile& file : kGreyFiles)
    {
      BufferPtr buffer(CreateBuffer());
      // Two frames, the first a volume of two planes: three pages.
      I_FrameImage* frames[] = {buffer->AddImageFrame(kWidth, kHeight, 2, file.type),
                                buffer->AddImageFrame(kWidth, kHeight, 1, file.type)};
      unsigned page = 0;
      for (I_FrameImage* frame : frames)
      {
        frame->SetScaleX(C_ScaleFactory::GetInstance().CreateLinearScale(0.05, 0, "mm", ""));
        for (unsigned plane = 0; plane < frame->GetDepth(); ++plane, ++page)
        {
          for (unsigned y = 0; y < kHeight; ++y)
          {
            for (unsigned x = 0; x < kWidth; ++x)
              frame->SetPixel(x, y, plane, Pattern(x, y, page, file.range) + file.add);
          }
        }
      }
      Save(buffer.get(), folder + "/cpp-" + file.name + "-" + compression + ".tif", compression);
    }
    BufferPtr buffer(CreateBuffer());
    I_FrameRGB* frame = buffer->AddRGBFrame(kWidth, kHeight, 1);
    for (unsigned y = 0; y < kHeight; ++y)
    {
      for (unsigned x = 0; x < kWidth; ++x)
      {
        frame->SetRed(x, y, 0, static_cast<unsigned char>(Pattern(x, y, 0, 256)));
        frame->SetGreen(x, y, 0, static_cast<unsigned char>(Pattern(x + 3, y, 0, 256)));
        frame->SetBlue(x, y, 0, static_cast<unsigned char>(Pattern(x + 6, y, 0, 256)));
      }
    }
    Save(buffer.get(), folder + "/cpp-rgb8-" + compression + ".tif", compression);
  }
}

int CheckGrey(const std::string& path, unsigned pages, E_DataType type, unsigned long long range, double add)
{
  const BufferPtr buffer(ImportBuffer(path, RTE::Parameter::CreateTree()));
  if (buffer->GetNumberOfFrames() != pages)
  {
    std::fprintf(stderr, "%s: %zu frames, not %u\n", path.c_str(), buffer->GetNumberOfFrames(), pages);
    return 1;
  }
  for (unsigned page = 0; page < pages; ++page)
  {
    const auto* frame = dynamic_cast<const I_FrameImage*>(buffer->GetFrame(page));
    if (frame == nullptr || frame->GetDataType() != type || frame->GetWidth() != kWidth ||
        frame->GetHeight() != kHeight)
    {
      std::fprintf(stderr, "%s: frame %u has the wrong type or size\n", path.c_str(), page);
      return 1;
    }
    for (unsigned y = 0; y < kHeight; ++y)
    {
      for (unsigned x = 0; x < kWidth; ++x)
      {
        if (frame->GetPixel(x, y, 0) != Pattern(x, y, page, range) + add)
        {
          std::fprintf(stderr, "%s: page %u pixel %u,%u is %g\n", path.c_str(), page, x, y, frame->GetPixel(x, y, 0));
          return 1;
        }
      }
    }
  }
  return 0;
}

int CheckRgb(const std::string& path)
{
  const BufferPtr buffer(ImportBuffer(path, RTE::Parameter::CreateTree()));
  const auto* frame = dynamic_cast<const I_FrameRGB*>(buffer->GetFrame(0));
  if (frame == nullptr || buffer->GetNumberOfFrames() != 1)
  {
    std::fprintf(stderr, "%s: no single RGB frame\n", path.c_str());
    return 1;
  }
  for (unsigned y = 0; y < kHeight; ++y)
  {
    for (unsigned x = 0; x < kWidth; ++x)
    {
      if (frame->GetRed(x, y, 0) != Pattern(x, y, 0, 256) || frame->GetGreen(x, y, 0) != Pattern(x + 3, y, 0, 256) ||
          frame->GetBlue(x, y, 0) != Pattern(x + 6, y, 0, 256))
      {
        std::fprintf(stderr, "%s: pixel %u,%u differs\n", path.c_str(), x, y);
        return 1;
      }
    }
  }
  return 0;
}

int ReadFiles(const std::string& folder)
{
  int failures = 0;
  for (const char* compression : {"none", "zlib"})
  {
    const std::string suffix = std::string("-") + compression + ".tif";
    failures += CheckGrey(folder + "/py-uint8-1" + suffix, 1, DT_UInt8, 256, 0);
    failures += CheckGrey(folder + "/py-uint8-3" + suffix, 3, DT_UInt8, 256, 0);
    failures += CheckGrey(folder + "/py-uint16-3" + suffix, 3, DT_UInt16, 65536, 0);
    failures += CheckGrey(folder + "/py-float32-3" + suffix, 3, DT_Float, 1000, 0.5);
    failures += CheckRgb(folder + "/py-rgb8-1" + suffix);
  }
  std::printf("%d files differ\n", failures);
  return failures == 0 ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
  if (argc != 3)
  {
    std::fprintf(stderr, "usage: %s write|read <folder>\n", argv[0]);
    return 2;
  }
  BufferTiff::RegisterTiffPlugins();
  try
  {
    const std::string command = argv[1];
    if (command == "write")
    {
      WriteFiles(argv[2]);
      return 0;
    }
    return ReadFiles(argv[2]);
  }
  catch (const std::exception& e)
  {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
