#pragma once

// Files of the IM7 container tests: written through WriteIM7 into tmpfiles,
// read back through ReadIM7, and inspected byte by byte.

#include "Buffer2File.IM7/IM7File.h"

#include <BufferApi/I_Buffer.h>

#include <RTE/Exception.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace IM7Test
{
using Bytes = std::vector<unsigned char>;

struct TempFile
{
  std::FILE* file = std::tmpfile();
  TempFile() { EXPECT_NE(file, nullptr); }
  ~TempFile() { std::fclose(file); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
};

inline Bytes Write(const BufferApi::I_Buffer& buffer, unsigned packType = 0)
{
  TempFile temp;
  BufferApi::WriteIM7(&buffer, temp.file, packType);
  Bytes bytes(static_cast<std::size_t>(std::ftell(temp.file)));
  std::rewind(temp.file);
  EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), temp.file), bytes.size());
  return bytes;
}

struct ReadOptions
{
  bool readData = true;
  bool readAttributes = true;
  bool convertByteToWord = false;
  bool setLegacyProfile = false;
};

struct ReadResult
{
  std::unique_ptr<BufferApi::I_Buffer> buffer;
  unsigned sizeX = 0, sizeY = 0, sizeZ = 0, frames = 0;
};

inline ReadResult Read(const Bytes& bytes, ReadOptions options = {})
{
  TempFile temp;
  if (!bytes.empty())
  {
    EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), temp.file), bytes.size());
  }
  std::rewind(temp.file);
  ReadResult result;
  result.buffer.reset(BufferApi::CreateBuffer());
  BufferApi::ReadIM7(result.buffer.get(), temp.file, options.readData, options.readAttributes,
                     options.convertByteToWord, options.setLegacyProfile, &result.sizeX, &result.sizeY, &result.sizeZ,
                     &result.frames);
  return result;
}

//! The message of the RTE::Exception (or subclass E) raised by action.
template <typename E = RTE::Exception, typename F>
std::string MessageOf(F&& action)
{
  try
  {
    action();
  }
  catch (const E& e)
  {
    return e.what();
  }
  catch (const std::exception& e)
  {
    return std::string("<other exception> ") + e.what();
  }
  return "<nothing raised>";
}

inline std::string ReadMessage(const Bytes& bytes, ReadOptions options = {})
{
  return MessageOf([&] { Read(bytes, options); });
}

template <typename T>
T Get(const Bytes& bytes, std::size_t offset)
{
  T value{};
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

template <typename T>
void Put(Bytes& bytes, std::size_t offset, T value)
{
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

//! Trailer slot i (0 extended header, 2 mask, 3 typed scalars, 4 packed
//! typed scalars, 5 packed mask, 6 component scales).
inline std::uint64_t TrailerPosition(const Bytes& bytes, std::size_t slot)
{
  return Get<std::uint64_t>(bytes, bytes.size() - 256 + 8 * slot);
}

//! Every shorter prefix of a valid file raises RTE::Exception; reports the
//! first that does not.
inline void ExpectEveryPrefixRaises(const Bytes& file)
{
  for (std::size_t length = 0; length < file.size(); ++length)
  {
    const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
    bool raised = false;
    try
    {
      Read(prefix);
    }
    catch (const RTE::Exception&)
    {
      raised = true;
    }
    ASSERT_TRUE(raised) << "prefix of " << length << " of " << file.size() << " bytes was read";
  }
}
} // namespace IM7Test
