#pragma once

// What every fuzz target shares: the input as a file in tmpfs (the readers
// take paths or streams whose size they ask the file system for), and the
// rule that a refused input raises RTE::Exception with a message. Any other
// exception escapes and libFuzzer reports it as a finding.

#include <BufferApi/Buffer2File.h>
#include <BufferApi/I_Buffer.h>

#include <RTE/Exception.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

namespace Fuzz
{
//! The input written to /dev/shm under a name of this process; removed again
//! when the object goes.
class InputFile
{
public:
  InputFile(const std::uint8_t* data, std::size_t size, const std::string& extension)
      : m_path("/dev/shm/buffer-fuzz-" + std::to_string(::getpid()) + "." + extension)
  {
    std::FILE* file = std::fopen(m_path.c_str(), "wb");
    if (!file || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0)
    {
      std::perror(m_path.c_str());
      std::abort();
    }
  }
  ~InputFile() { std::remove(m_path.c_str()); }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  const std::string& Path() const { return m_path; }
  //! A new stream on the file, to be closed by the caller.
  std::FILE* Open() const
  {
    std::FILE* file = std::fopen(m_path.c_str(), "rb");
    if (!file)
      std::abort();
    return file;
  }

private:
  std::string m_path;
};

//! Closes the stream when the scope ends, however it ends.
struct Stream
{
  std::FILE* file;
  explicit Stream(std::FILE* f)
      : file(f)
  {
  }
  ~Stream() { std::fclose(file); }
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;
};

//! Runs `action`; a refusal must come as RTE::Exception with a message.
template <typename F>
void Refusable(F&& action)
{
  try
  {
    action();
  }
  catch (const RTE::Exception& e)
  {
    if (std::strlen(e.what()) == 0)
    {
      std::fprintf(stderr, "RTE::Exception without message\n");
      std::abort();
    }
  }
}

//! Little-endian fields of the inputs and of the mutator.
//! GetImportInformation of a file, refusals allowed; the buffer is dropped.
inline void ReadInformation(const std::string& path, bool withAttributes)
{
  Refusable(
      [&]
      {
        unsigned x = 0, y = 0, z = 0, frames = 0;
        std::unique_ptr<BufferApi::I_Buffer> buffer(
            BufferApi::GetImportInformation(path, x, y, z, frames, withAttributes));
      });
}

inline std::uint32_t Get32(const std::uint8_t* p)
{
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
inline std::uint64_t Get64(const std::uint8_t* p)
{
  return std::uint64_t(Get32(p)) | std::uint64_t(Get32(p + 4)) << 32;
}
inline void Put(std::uint8_t* p, std::uint64_t value, unsigned width)
{
  for (unsigned i = 0; i < width; ++i)
    p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace Fuzz
