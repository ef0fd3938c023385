// Pack types 1, 19 and 3 to 18 through PackBlock and UnpackBlock: prefixes,
// exact IMX round trips of every element size, the FixedBitsOfWord windows,
// the file standing behind every block, damaged blocks refused with the
// codec's text.
#include "Buffer2File.IM7/PlanePacking.h"

#include "../bench/ParticleData.h"

#include <RTE/Exception.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
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

std::vector<unsigned char> Contents(std::FILE* file)
{
  std::fflush(file);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(std::ftell(file)));
  std::rewind(file);
  EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), file), bytes.size());
  return bytes;
}

FilePtr FileWith(const std::vector<unsigned char>& bytes)
{
  FilePtr file(std::tmpfile());
  if (!bytes.empty())
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
  std::rewind(file.get());
  return file;
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

struct S_Window
{
  unsigned bits, start;
  bool wrapping;
};
S_Window WindowOf(int packType)
{
  static const S_Window windows[] = {{12, 0, false}, {12, 2, false}, {12, 4, false}, {8, 0, false},
                                     {8, 2, false},  {8, 4, false},  {8, 6, false},  {8, 8, false}};
  S_Window w = windows[(packType - 3) % 8];
  w.wrapping = packType >= 11;
  return w;
}
std::uint16_t Expected(std::uint16_t v, const S_Window& w)
{
  const unsigned mask = (1u << w.bits) - 1, window = v >> w.start;
  return static_cast<std::uint16_t>((window > mask ? (w.wrapping ? window & mask : mask) : window) << w.start);
}
} // namespace

TEST(PlanePackingCodecs, ImxBlocksCarryThePrefixAndRoundTripEveryElementSize)
{
  const auto image = BenchData::MakeParticleImage(97, 61, 4);
  std::vector<unsigned char> words(image.size() * 2), bytes(image.size()), quads(image.size() * 4);
  std::memcpy(words.data(), image.data(), words.size());
  for (std::size_t i = 0; i < image.size(); ++i)
  {
    bytes[i] = static_cast<unsigned char>(image[i] / 16);
    for (int c = 0; c < 4; ++c)
      quads[4 * i + c] = static_cast<unsigned char>(image[i] >> (c + 3));
  }
  for (int packType : {1, 19})
    for (const auto* data : {&words, &bytes, &quads})
    {
      FilePtr file(std::tmpfile());
      ASSERT_EQ(PackBlock(file.get(), data->data(), data->size(), packType, 97), 0);
      const std::vector<unsigned char> packed = Contents(file.get());
      ASSERT_GT(packed.size(), 3u);
      EXPECT_EQ(packed[0], 1);
      EXPECT_EQ(packed[1], 1);
      EXPECT_EQ(packed[2], 0);
      EXPECT_EQ(std::string(packed.begin() + 3, packed.begin() + 6), "IMX");
      EXPECT_LT(packed.size(), data->size());
      std::rewind(file.get());
      std::vector<unsigned char> back(data->size());
      UnpackBlock(file.get(), back.data(), back.size(), 1, 97, true); // the header says 1 for 19 too
      EXPECT_EQ(back, *data) << "pack type " << packType << ", " << data->size() << " bytes";
      EXPECT_EQ(std::ftell(file.get()), long(packed.size()));
    }
}

TEST(PlanePackingCodecs, FixedBitsKeepTheirWindowForEveryPackType)
{
  std::vector<std::uint16_t> words;
  for (unsigned v :
       {0u, 1u, 3u, 4u, 255u, 256u, 1020u, 1023u, 1024u, 4095u, 4096u, 4100u, 16380u, 16383u, 16384u, 20000u, 65535u})
    words.push_back(static_cast<std::uint16_t>(v));
  for (int packType = 3; packType <= 18; ++packType)
  {
    FilePtr file(std::tmpfile());
    ASSERT_EQ(PackBlock(file.get(), words.data(), words.size() * 2, packType, unsigned(words.size())), 0);
    std::rewind(file.get());
    std::vector<std::uint16_t> back(words.size());
    UnpackBlock(file.get(), back.data(), back.size() * 2, packType, unsigned(words.size()), true);
    const S_Window w = WindowOf(packType);
    for (std::size_t i = 0; i < words.size(); ++i)
      EXPECT_EQ(back[i], Expected(words[i], w)) << "pack type " << packType << ", value " << words[i];
  }
}

TEST(PlanePackingCodecs, TheFileStandsBehindEveryBlock)
{
  const auto image = BenchData::MakeParticleImage(40, 30, 9);
  const std::vector<int> packTypes = {1, 3, 19, 7, 0, 18, 2, 12, 1};
  FilePtr file(std::tmpfile());
  for (int packType : packTypes)
    ASSERT_EQ(PackBlock(file.get(), image.data(), image.size() * 2, packType, 40), 0);
  const std::uint32_t marker = 0xFEEDBEEF;
  std::fwrite(&marker, 4, 1, file.get());
  std::rewind(file.get());
  for (int packType : packTypes)
  {
    std::vector<std::uint16_t> back(image.size());
    UnpackBlock(file.get(), back.data(), back.size() * 2, packType == 19 ? 1 : packType, 40, true);
    if (packType <= 2 || packType == 19)
    {
      EXPECT_EQ(back, image) << "pack type " << packType;
    }
    else
      EXPECT_EQ(back[5], Expected(image[5], WindowOf(packType))) << "pack type " << packType;
  }
  std::uint32_t after = 0;
  ASSERT_EQ(std::fread(&after, 4, 1, file.get()), 1u);
  EXPECT_EQ(after, marker);
}

TEST(PlanePackingCodecs, DamagedBlocksRaiseTheCodecText)
{
  const auto image = BenchData::MakeParticleImage(64, 48, 2);
  for (int packType : {1, 5})
  {
    FilePtr file(std::tmpfile());
    ASSERT_EQ(PackBlock(file.get(), image.data(), image.size() * 2, packType, 64), 0);
    const std::vector<unsigned char> bytes = Contents(file.get());
    std::vector<std::uint16_t> back(image.size());
    for (std::size_t cut = 0; cut < bytes.size(); cut += 7)
    {
      FilePtr shortFile = FileWith(std::vector<unsigned char>(bytes.begin(), bytes.begin() + std::ptrdiff_t(cut)));
      EXPECT_THROW(UnpackBlock(shortFile.get(), back.data(), back.size() * 2, packType, 64, true), RTE::Exception)
          << cut;
    }
    FilePtr truncated = FileWith(std::vector<unsigned char>(bytes.begin(), bytes.end() - 1));
    EXPECT_EQ(MessageOf([&] { UnpackBlock(truncated.get(), back.data(), back.size() * 2, packType, 64, true); }),
              packType == 1 ? "IMX: the packed data are truncated."
                            : "FixedBitsOfWord: the packed data are truncated.");
  }
}
