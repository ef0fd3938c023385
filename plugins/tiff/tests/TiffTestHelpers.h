#pragma once

// Files in a scratch folder of the build tree and the shortcuts the TIFF
// tests share.

#include <BufferApi.h>
#include <BufferTiff/TiffPlugin.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace TiffTest
{
using BufferPtr = std::unique_ptr<BufferApi::I_Buffer>;

//! A file name below the scratch folder of this test process.
inline std::string ScratchPath(const std::string& name)
{
  const std::filesystem::path folder =
      std::filesystem::path(BUFFER_TIFF_TEST_DIR) / std::to_string(static_cast<long>(getpid()));
  std::filesystem::create_directories(folder);
  return (folder / name).string();
}

inline boost::shared_ptr<RTE::Parameter::C_Tree> CompressionOptions(const std::string& compression)
{
  auto options = RTE::Parameter::CreateTree();
  options->Add(
      RTE::Parameter::CreateText("Compression", "", "", 2, compression, RTE::Parameter::C_Text::EditorLineEdit));
  return options;
}

inline void Export(const BufferApi::I_Buffer* buffer, const std::string& path, const std::string& compression = "none")
{
  BufferApi::ExportBuffer(buffer, path, CompressionOptions(compression));
}

inline BufferPtr Import(const std::string& path)
{
  return BufferPtr(BufferApi::ImportBuffer(path, RTE::Parameter::CreateTree()));
}

//! The message of the RTE::Exception that `action` raises, or "no exception".
inline std::string ErrorOf(const std::function<void()>& action)
{
  try
  {
    action();
  }
  catch (const RTE::Exception& e)
  {
    return e.what();
  }
  return "no exception";
}

inline std::vector<unsigned char> ReadBytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes, std::size_t length)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(length));
}

//! A value that differs at every pixel and page and fits in `range`.
inline double Pattern(unsigned x, unsigned y, unsigned page, double range)
{
  return static_cast<double>((x * 7 + y * 13 + page * 31) % static_cast<unsigned long long>(range));
}

} // namespace TiffTest
