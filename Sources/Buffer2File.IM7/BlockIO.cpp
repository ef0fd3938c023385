// Checked field access of the extended header and the blocks behind it.

#include "Buffer2File.IM7/BlockIO.h"

#include <RTE/Exception.h>
#include <RTE/FileSystem.h>

#include <cstring>
#include <utility>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
}

BlockReader::BlockReader(std::FILE* file, std::string block)
    : m_file(file)
    , m_block(std::move(block))
    , m_size(RTE::FileSystem::GetSize(file))
{
}

std::uint64_t BlockReader::Left() const
{
  const std::int64_t position = RTE::FileSystem::GetPosition(m_file);
  if (position < 0 || static_cast<std::uint64_t>(position) >= m_size)
    return 0;
  return m_size - static_cast<std::uint64_t>(position);
}

void BlockReader::Require(std::uint64_t bytes, const char* what) const
{
  const std::uint64_t left = Left();
  if (bytes > left)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              m_block << ": " << what << " needs " << bytes << " bytes, file has " << left << ".");
}

void BlockReader::Read(void* destination, std::uint64_t bytes, const char* what)
{
  Require(bytes, what);
  if (bytes != 0 && std::fread(destination, 1, bytes, m_file) != bytes)
    Fail(std::string("can't read ") + what + ".");
}

void BlockReader::Skip(std::uint64_t bytes, const char* what)
{
  Require(bytes, what);
  const std::int64_t position = RTE::FileSystem::GetPosition(m_file);
  if (!RTE::FileSystem::SetPosition(m_file, static_cast<std::uint64_t>(position) + bytes))
    Fail(std::string("can't skip ") + what + ".");
}

std::uint32_t BlockReader::ReadU32(const char* what)
{
  unsigned char bytes[4];
  Read(bytes, sizeof bytes, what);
  return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
         std::uint32_t(bytes[3]) << 24;
}

std::int32_t BlockReader::ReadI32(const char* what)
{
  const std::uint32_t value = ReadU32(what);
  std::int32_t result;
  std::memcpy(&result, &value, sizeof result);
  return result;
}

void BlockReader::Fail(const std::string& text) const
{
  RTE_RAISE(RTE::Exception, kSourceUnit, m_block << ": " << text);
}

void WriteBytes(std::FILE* file, const void* data, std::uint64_t bytes, const char* failure)
{
  if (bytes != 0 && std::fwrite(data, 1, bytes, file) != bytes)
    RTE_RAISE(RTE::Exception, kSourceUnit, failure);
}

void WriteU32(std::FILE* file, std::uint32_t value, const char* failure)
{
  const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  WriteBytes(file, bytes, sizeof bytes, failure);
}

void WriteI32(std::FILE* file, std::int32_t value, const char* failure)
{
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  WriteU32(file, bits, failure);
}

} // namespace BufferApi
