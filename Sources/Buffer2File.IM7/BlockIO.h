#pragma once

// Checked reading and writing of the little-endian fields of the extended
// header and of the typed-scalar and component-scale blocks.

#include <cstdint>
#include <cstdio>
#include <string>

namespace BufferApi
{
//! Unpacked data may be at most this many times larger than the bytes left
//! in the file (zlib's largest ratio); a claim beyond it is a damaged file and
//! is refused before anything is allocated.
constexpr std::uint64_t kMaxUnpackRatio = 1032;

//! Reads fields of one block and refuses every read that the bytes left in
//! the file cannot satisfy, naming the block and the field:
//! "<block>: <what> needs N bytes, file has M."
class BlockReader
{
public:
  BlockReader(std::FILE* file, std::string block);

  std::FILE* File() const { return m_file; }
  //! Bytes between the current position and the end of the file.
  std::uint64_t Left() const;
  //! Raises unless `bytes` bytes are left.
  void Require(std::uint64_t bytes, const char* what) const;
  void Read(void* destination, std::uint64_t bytes, const char* what);
  void Skip(std::uint64_t bytes, const char* what);
  std::uint32_t ReadU32(const char* what);
  std::int32_t ReadI32(const char* what);
  //! Raises "<block>: <text>".
  [[noreturn]] void Fail(const std::string& text) const;

private:
  std::FILE* m_file;
  std::string m_block;
  std::uint64_t m_size;
};

//! Writes all bytes or raises `failure`.
void WriteBytes(std::FILE* file, const void* data, std::uint64_t bytes, const char* failure);
void WriteU32(std::FILE* file, std::uint32_t value, const char* failure);
void WriteI32(std::FILE* file, std::int32_t value, const char* failure);

} // namespace BufferApi
