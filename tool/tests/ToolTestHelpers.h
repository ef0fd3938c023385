#pragma once

// Running the tool as a process, files made through the library, and PNG
// pictures decoded with libpng.

#include <BufferApi.h>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ToolTest
{
using BufferPtr = std::unique_ptr<BufferApi::I_Buffer>;

struct S_Run
{
  int exitCode = -1;
  std::string out;
  std::string err;
};

//! `buffer` with the arguments (each passed as one word), stdout and stderr apart.
S_Run RunTool(const std::vector<std::string>& arguments);
nlohmann::json RunJson(const std::vector<std::string>& arguments);

//! A fresh, empty folder for the running test.
std::string TestFolder();

//! `frames` image frames width x height x depth; pixel (x, y, z) of frame f is x + 10 y + 100 z + 1000 f.
BufferPtr MakeImages(unsigned width, unsigned height, unsigned depth, unsigned frames,
                     BufferApi::E_DataType type = BufferApi::DT_UInt16);
//! A single-choice float vector field of constant vector (u, v), all enabled.
BufferPtr MakeVectors(unsigned columns, unsigned rows, float u, float v);
void Save(const BufferApi::I_Buffer& buffer, const std::string& path);
BufferPtr Load(const std::string& path);

std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);

struct S_Png
{
  unsigned width = 0;
  unsigned height = 0;
  unsigned channels = 0;
  unsigned bitDepth = 0;
  std::vector<std::uint16_t> samples;
  std::uint16_t At(unsigned x, unsigned y, unsigned channel = 0) const
  {
    return samples[(std::size_t(y) * width + x) * channels + channel];
  }
};

//! Gray, gray+alpha, RGB and RGBA pictures of 8 or 16 bits; fails the test otherwise.
S_Png DecodePng(const std::string& path);

} // namespace ToolTest
