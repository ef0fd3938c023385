// Packed blocks as they lie in a file: prefixes, lengths, the zlib stream
// itself, the file position afterwards, and damaged or short blocks.
#include "Buffer2File.IM7/PlanePacking.h"

#include <Compression/I_Compression.h>
#include <RTE/Exception.h>
#include <RTE/Plugin.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace BufferApi;

namespace
{
struct S_FileCloser
{
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, S_FileCloser>;

FilePtr TempFile()
{
  return FilePtr(std::tmpfile());
}

std::vector<unsigned char> Contents(std::FILE* file)
{
  std::fflush(file);
  const long end = std::ftell(file);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(end));
  std::rewind(file);
  EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), file), bytes.size());
  return bytes;
}

FilePtr FileWith(const std::vector<unsigned char>& bytes)
{
  FilePtr file = TempFile();
  if (!bytes.empty())
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
  std::rewind(file.get());
  return file;
}

std::vector<std::uint16_t> CameraLikeWords(std::size_t count)
{
  std::mt19937 random(7);
  std::normal_distribution<double> noise(100.0, 5.0);
  std::vector<std::uint16_t> words(count);
  for (auto& word : words)
    word = static_cast<std::uint16_t>(noise(random));
  return words;
}

std::string MessageOf(const std::function<void()>& action)
{
  try
  {
    action();
  }
  catch (const RTE::Exception& e)
  {
    return e.message().toStdString();
  }
  return "no exception";
}

std::uint32_t Word32(const std::vector<unsigned char>& bytes, std::size_t offset)
{
  std::uint32_t value;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}
} // namespace

TEST(PlanePacking, ZlibBlockIsALengthAndAStreamThatPlainZlibInflates)
{
  const std::vector<std::uint16_t> words = CameraLikeWords(64 * 48);
  FilePtr file = TempFile();
  ASSERT_EQ(PackBlock(file.get(), words.data(), words.size() * 2, 2, 64), 0);
  const std::vector<unsigned char> bytes = Contents(file.get());
  const std::uint32_t length = Word32(bytes, 0);
  ASSERT_EQ(bytes.size(), 4u + length);
  std::vector<std::uint16_t> inflated(words.size());
  uLongf inflatedSize = inflated.size() * 2;
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &inflatedSize, bytes.data() + 4, length), Z_OK);
  EXPECT_EQ(inflatedSize, words.size() * 2);
  EXPECT_EQ(inflated, words);
}

TEST(PlanePacking, RoundTripsLeaveTheFileBehindEachBlock)
{
  const std::vector<std::uint16_t> words = CameraLikeWords(1000);
  FilePtr file = TempFile();
  for (int packType : {0, 2, 0, 2})
    ASSERT_EQ(PackBlock(file.get(), words.data(), words.size() * 2, packType, 10), 0);
  const std::uint32_t marker = 0xFEEDBEEF;
  std::fwrite(&marker, 4, 1, file.get());
  std::rewind(file.get());
  for (int packType : {0, 2, 0, 2})
  {
    std::vector<std::uint16_t> back(words.size());
    UnpackBlock(file.get(), back.data(), back.size() * 2, packType, 10, true);
    EXPECT_EQ(back, words) << "pack type " << packType;
  }
  std::uint32_t after = 0;
  ASSERT_EQ(std::fread(&after, 4, 1, file.get()), 1u);
  EXPECT_EQ(after, marker);
}

TEST(PlanePacking, ZlibAcceptsTheLongLengthForm)
{
  const std::vector<std::uint16_t> words = CameraLikeWords(300);
  FilePtr packed = TempFile();
  ASSERT_EQ(PackBlock(packed.get(), words.data(), words.size() * 2, 2, 30), 0);
  std::vector<unsigned char> bytes = Contents(packed.get());
  const std::uint64_t length = Word32(bytes, 0);
  std::vector<unsigned char> longForm(4, 0);
  longForm.insert(longForm.end(), reinterpret_cast<const unsigned char*>(&length),
                  reinterpret_cast<const unsigned char*>(&length) + 8);
  longForm.insert(longForm.end(), bytes.begin() + 4, bytes.end());
  FilePtr file = FileWith(longForm);
  std::vector<std::uint16_t> back(words.size());
  UnpackBlock(file.get(), back.data(), back.size() * 2, 2, 30, true);
  EXPECT_EQ(back, words);
}

TEST(PlanePacking, PackTypeZeroIsTheBytesThemselves)
{
  const unsigned char data[5] = {1, 2, 3, 4, 5};
  FilePtr file = TempFile();
  ASSERT_EQ(PackBlock(file.get(), data, sizeof data, 0, 5), 0);
  EXPECT_EQ(Contents(file.get()), std::vector<unsigned char>(data, data + 5));
}

TEST(PlanePacking, UnsupportedPackTypes)
{
  const unsigned char data[4] = {};
  FilePtr file = TempFile();
  EXPECT_EQ(PackBlock(file.get(), data, sizeof data, 20, 2), -2);
  EXPECT_EQ(Contents(file.get()).size(), 0u);
  unsigned char back[4];
  EXPECT_EQ(MessageOf([&] { UnpackBlock(file.get(), back, sizeof back, 20, 2, true); }),
            "Can't decompress this format yet.");
}

TEST(PlanePacking, MissingCodecsAreNamed)
{
  // Each key is checked only while no codec of that name is registered.
  const auto keys = RTE::C_PluginFactory::GetInstance().GetKeys(Compression::kPluginName);
  const unsigned char data[4] = {};
  FilePtr file = TempFile();
  for (const char* key : {"IMX", "FixedBitsOfWord"})
  {
    if (std::find(keys.begin(), keys.end(), key) != keys.end())
      continue;
    const int packType = std::string(key) == "IMX" ? 19 : 7;
    EXPECT_EQ(MessageOf([&] { PackBlock(file.get(), data, sizeof data, packType, 2); }),
              std::string("Missing compression plugin ") + key);
  }
}

TEST(PlanePacking, ShortOrDamagedBlocksAreRefused)
{
  const std::vector<std::uint16_t> words = CameraLikeWords(500);
  FilePtr packed = TempFile();
  ASSERT_EQ(PackBlock(packed.get(), words.data(), words.size() * 2, 2, 50), 0);
  const std::vector<unsigned char> bytes = Contents(packed.get());
  std::vector<std::uint16_t> back(words.size());

  for (std::size_t cut = 0; cut < bytes.size(); ++cut)
  {
    FilePtr file = FileWith(std::vector<unsigned char>(bytes.begin(), bytes.begin() + cut));
    EXPECT_THROW(UnpackBlock(file.get(), back.data(), back.size() * 2, 2, 50, true), RTE::Exception) << cut;
  }

  std::vector<unsigned char> huge = bytes;
  const std::uint32_t claimed = 0xFFFFFFF0u;
  std::memcpy(huge.data(), &claimed, 4);
  FilePtr file = FileWith(huge);
  EXPECT_EQ(MessageOf([&] { UnpackBlock(file.get(), back.data(), back.size() * 2, 2, 50, true); }),
            "Packed block needs 4294967280 bytes, file has " + std::to_string(bytes.size() - 4) + ".");

  std::vector<unsigned char> corrupt = bytes;
  for (std::size_t i = 10; i < corrupt.size(); i += 7)
    corrupt[i] ^= 0x5A;
  file = FileWith(corrupt);
  EXPECT_THROW(UnpackBlock(file.get(), back.data(), back.size() * 2, 2, 50, true), RTE::Exception);

  // A stream of fewer bytes than expected is refused, not padded.
  file = FileWith(bytes);
  std::vector<std::uint16_t> larger(words.size() + 1);
  EXPECT_EQ(MessageOf([&] { UnpackBlock(file.get(), larger.data(), larger.size() * 2, 2, 50, true); }),
            "Packed block holds 1000 bytes, expected 1002.");

  FilePtr shortRaw = FileWith(std::vector<unsigned char>(7, 1));
  EXPECT_EQ(MessageOf([&] { UnpackBlock(shortRaw.get(), back.data(), 8, 0, 4, true); }),
            "Data block needs 8 bytes, file has 7.");
}
