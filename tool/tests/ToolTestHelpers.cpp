#include "ToolTestHelpers.h"

#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/wait.h>

using namespace BufferApi;

namespace ToolTest
{
namespace
{
std::string Quoted(const std::string& word)
{
  std::string quoted = "'";
  for (char c : word)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadText(const std::string& path)
{
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

struct S_PngRead
{
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, channels = 0;
  std::vector<png_byte> rows;
};

//! libpng reports errors by longjmp: nothing with a destructor lives here.
bool ReadRows(std::FILE* file, S_PngRead* result)
{
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png)))
  {
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    return false;
  }
  png_init_io(png, file);
  png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  result->width = png_get_image_width(png, info);
  result->height = png_get_image_height(png, info);
  result->bitDepth = png_get_bit_depth(png, info);
  result->channels = png_get_channels(png, info);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  result->rows.resize(rowBytes * result->height);
  png_bytepp rows = png_get_rows(png, info);
  for (png_uint_32 y = 0; y < result->height; ++y)
    std::copy(rows[y], rows[y] + rowBytes, result->rows.begin() + std::ptrdiff_t(y * rowBytes));
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}
} // namespace

S_Run RunTool(const std::vector<std::string>& arguments)
{
  const std::string folder = std::string(BUFFER_TOOL_TEST_DIR);
  std::filesystem::create_directories(folder);
  const std::string out = folder + "/last.out";
  const std::string err = folder + "/last.err";
  std::string command = Quoted(BUFFER_TOOL);
  for (const std::string& argument : arguments)
    command += " " + Quoted(argument);
  command += " >" + Quoted(out) + " 2>" + Quoted(err) + " </dev/null";
  const int status = std::system(command.c_str());
  S_Run run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadText(out);
  run.err = ReadText(err);
  return run;
}

nlohmann::json RunJson(const std::vector<std::string>& arguments)
{
  const S_Run run = RunTool(arguments);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  return nlohmann::json::parse(run.out);
}

std::string TestFolder()
{
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string folder = std::string(BUFFER_TOOL_TEST_DIR) + "/" + test->test_suite_name() + "." + test->name();
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

BufferPtr MakeImages(unsigned width, unsigned height, unsigned depth, unsigned frames, E_DataType type)
{
  BufferPtr buffer(CreateBuffer());
  for (unsigned f = 0; f < frames; ++f)
  {
    I_FrameImage* frame = buffer->AddImageFrame(width, height, depth, type);
    for (unsigned z = 0; z < depth; ++z)
      for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x)
          frame->SetPixel(x, y, z, x + 10.0 * y + 100.0 * z + 1000.0 * f);
  }
  return buffer;
}

BufferPtr MakeVectors(unsigned columns, unsigned rows, float u, float v)
{
  BufferPtr buffer(CreateBuffer());
  I_FrameVector2C* frame = buffer->AddVectorFrame2C(columns, rows, 1, 1, DT_Float, 16);
  C_CompatibleVectorPlaneAccess access(frame, 0);
  for (unsigned y = 0; y < rows; ++y)
    for (unsigned x = 0; x < columns; ++x)
      access.SetVector3D(x, y, u, v, 0.0f, VA_Choice1);
  return buffer;
}

void Save(const I_Buffer& buffer, const std::string& path)
{
  ExportBuffer(&buffer, path, RTE::Parameter::CreateTree());
}

BufferPtr Load(const std::string& path)
{
  return BufferPtr(ImportBuffer(path, RTE::Parameter::CreateTree()));
}

std::vector<unsigned char> ReadBytes(const std::string& path)
{
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

S_Png DecodePng(const std::string& path)
{
  S_Png png;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
  {
    ADD_FAILURE() << "no PNG file " << path;
    return png;
  }
  S_PngRead read;
  const bool ok = ReadRows(file, &read);
  std::fclose(file);
  if (!ok)
  {
    ADD_FAILURE() << "libpng can't read " << path;
    return png;
  }
  png.width = read.width;
  png.height = read.height;
  png.channels = unsigned(read.channels);
  png.bitDepth = unsigned(read.bitDepth);
  const std::size_t count = std::size_t(png.width) * png.height * png.channels;
  png.samples.resize(count);
  for (std::size_t i = 0; i < count; ++i)
    png.samples[i] = png.bitDepth == 16 ? std::uint16_t(read.rows[2 * i] << 8 | read.rows[2 * i + 1]) : read.rows[i];
  return png;
}

} // namespace ToolTest
