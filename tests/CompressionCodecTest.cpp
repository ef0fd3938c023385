// The codecs "Uncompressed" and "Zlib" of the compression module, reached as
// the library reaches them: through the plugin factory.
#include <Compression/Codecs.h>
#include <Compression/I_Compression.h>

#include <RTE/Plugin.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace
{
std::shared_ptr<Compression::I_Compression> Codec(const std::string& key)
{
  return std::dynamic_pointer_cast<Compression::I_Compression>(
      RTE::C_PluginFactory::GetInstance().Create(Compression::kPluginName, key));
}

std::vector<unsigned char> Ramp(std::size_t count)
{
  std::vector<unsigned char> bytes(count);
  for (std::size_t i = 0; i < count; ++i)
    bytes[i] = static_cast<unsigned char>((i * 7) ^ (i >> 5));
  return bytes;
}

std::vector<unsigned char> ZlibPacked(const std::vector<unsigned char>& data)
{
  const auto zlib = Codec("Zlib");
  std::vector<unsigned char> packed(zlib->GetMaxPackedSize(data.size()));
  std::uint64_t size = packed.size();
  EXPECT_EQ(zlib->Pack(data.data(), data.size(), packed.data(), size), 0);
  packed.resize(size);
  return packed;
}
} // namespace

TEST(CompressionCodecs, RegisteredOnceWithTheirIdentity)
{
  Compression::RegisterCodecs();
  Compression::RegisterCodecs();
  const auto keys = RTE::C_PluginFactory::GetInstance().GetKeys(Compression::kPluginName);
  for (const char* key : {"Uncompressed", "Zlib"})
  {
    EXPECT_EQ(std::count(keys.begin(), keys.end(), key), 1) << key;
    const auto codec = Codec(key);
    ASSERT_NE(codec, nullptr) << key;
    EXPECT_EQ(codec->GetKey(), key);
    EXPECT_EQ(codec->GetPluginName(), "Korimend.Compression");
    EXPECT_NE(codec->GetErrorText(987654), nullptr);
  }
}

TEST(CompressionCodecs, UncompressedIsAnExactCopy)
{
  const auto codec = Codec("Uncompressed");
  const std::vector<unsigned char> data = Ramp(1000);
  ASSERT_GE(codec->GetMaxPackedSize(data.size()), data.size());
  std::vector<unsigned char> packed(data.size());
  std::uint64_t size = packed.size();
  ASSERT_EQ(codec->Pack(data.data(), data.size(), packed.data(), size), 0);
  EXPECT_EQ(size, data.size());
  EXPECT_EQ(packed, data);

  std::uint64_t tooSmall = data.size() - 1;
  const int result = codec->Pack(data.data(), data.size(), packed.data(), tooSmall);
  EXPECT_NE(result, 0);
  EXPECT_STREQ(codec->GetErrorText(result), "Compression: the destination buffer is too small.");

  std::vector<unsigned char> back(data.size());
  std::uint64_t expected = back.size();
  EXPECT_STREQ(codec->GetErrorText(codec->Unpack(data.data(), data.size() - 1, back.data(), expected)),
               "Compression: the packed data are truncated.");
}

TEST(CompressionCodecs, ZlibRefusesDamageWithoutWritingOutside)
{
  const auto codec = Codec("Zlib");
  const std::vector<unsigned char> data = Ramp(5000);
  const std::vector<unsigned char> packed = ZlibPacked(data);

  std::vector<unsigned char> back(data.size());
  std::uint64_t size = back.size();
  ASSERT_EQ(codec->Unpack(packed.data(), packed.size(), back.data(), size), 0);
  EXPECT_EQ(back, data);

  // A destination one byte short: refused, and the sanitizers see no write beyond it.
  std::vector<unsigned char> shortBack(data.size() - 1);
  size = shortBack.size();
  EXPECT_STREQ(codec->GetErrorText(codec->Unpack(packed.data(), packed.size(), shortBack.data(), size)),
               "Compression: the packed data do not hold the expected number of bytes.");

  std::vector<unsigned char> corrupt = packed;
  corrupt[0] ^= 0xFF; // the zlib header
  size = back.size();
  EXPECT_STREQ(codec->GetErrorText(codec->Unpack(corrupt.data(), corrupt.size(), back.data(), size)),
               "Compression: the packed data are corrupt.");
  size = back.size();
  EXPECT_NE(codec->Unpack(packed.data(), packed.size() / 2, back.data(), size), 0);

  std::vector<unsigned char> tiny(8);
  size = tiny.size();
  EXPECT_STREQ(codec->GetErrorText(codec->Pack(data.data(), data.size(), tiny.data(), size)),
               "Compression: the destination buffer is too small.");
}
