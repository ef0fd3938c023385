// The IMX codec: lossless round trips of every shape and element size, the
// packed-size bound, independence from threads, self-delimiting blocks and
// clean refusal of damaged blocks.
#include "ImxCodec.h"
#include "C_CompressionIMX.h"
#include "ImxCommon.h"

#include "../bench/ParticleData.h"

#include <gtest/gtest.h>
#include <libdeflate.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace Compression;

namespace
{
using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(std::size_t size, std::uint32_t seed)
{
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (auto& b : bytes)
    b = static_cast<std::uint8_t>(random());
  return bytes;
}

Bytes ParticleBytes(unsigned width, unsigned height, std::uint32_t seed = 7)
{
  const auto image = BenchData::MakeParticleImage(width, height, seed);
  Bytes bytes(image.size() * 2);
  std::memcpy(bytes.data(), image.data(), bytes.size());
  return bytes;
}

Bytes Packed(const Bytes& data, std::int64_t columns, bool parallel = false)
{
  Bytes packed(Imx::MaxPackedSize(data.size()));
  std::uint64_t size = packed.size();
  Imx::S_PackOptions options;
  options.columns = columns;
  options.parallel = parallel;
  EXPECT_EQ(Imx::Pack(data.data(), data.size(), packed.data(), size, options), 0);
  EXPECT_LE(size, packed.size());
  packed.resize(size);
  return packed;
}

int UnpackInto(const Bytes& packed, Bytes& out, std::uint64_t& consumed, bool parallel = false)
{
  return Imx::Unpack(packed.data(), packed.size(), out.data(), out.size(), consumed, parallel);
}

void ExpectRoundTrip(const Bytes& data, std::int64_t columns)
{
  SCOPED_TRACE(testing::Message() << "size " << data.size() << " columns " << columns);
  const Bytes packed = Packed(data, columns);
  Bytes out(data.size(), 0xCD);
  std::uint64_t consumed = 0;
  ASSERT_EQ(UnpackInto(packed, out, consumed), 0);
  EXPECT_EQ(consumed, packed.size());
  EXPECT_TRUE(out == data);
}
} // namespace

TEST(ImxCodec, RoundTripsEverySmallSizeAndShape)
{
  for (std::size_t size = 0; size <= 70; ++size)
    for (std::int64_t columns : {0, 1, 2, 3, 7, 64})
    {
      ExpectRoundTrip(RandomBytes(size, std::uint32_t(size)), columns);
      Bytes ramp(size);
      for (std::size_t i = 0; i < size; ++i)
        ramp[i] = static_cast<std::uint8_t>(i * 3);
      ExpectRoundTrip(ramp, columns);
    }
}

TEST(ImxCodec, RoundTripsImagesOfEveryElementSize)
{
  // 16-bit images with odd widths, a single row and a single column.
  for (auto [width, height] : {std::pair{33u, 17u}, {1u, 300u}, {777u, 1u}, {2560u, 60u}, {131u, 1100u}})
    ExpectRoundTrip(ParticleBytes(width, height), width);
  // 8-bit and RGB images: "Columns" counts elements, the data are bytes.
  const auto image = BenchData::MakeParticleImage(301, 257, 3);
  Bytes bytes(image.size()), quads(image.size() * 4);
  for (std::size_t i = 0; i < image.size(); ++i)
  {
    bytes[i] = static_cast<std::uint8_t>(std::min(255, image[i] / 12));
    for (int c = 0; c < 3; ++c)
      quads[4 * i + c] = static_cast<std::uint8_t>(std::min(255, image[i] / (8 + 4 * c)));
  }
  ExpectRoundTrip(bytes, 301);
  ExpectRoundTrip(quads, 301);
  // 32-bit words and doubles.
  std::vector<double> doubles(5000);
  for (std::size_t i = 0; i < doubles.size(); ++i)
    doubles[i] = std::sin(double(i) * 0.01) * 1000;
  Bytes doubleBytes(doubles.size() * 8);
  std::memcpy(doubleBytes.data(), doubles.data(), doubleBytes.size());
  ExpectRoundTrip(doubleBytes, 100);
  // Extreme values wrap around in the residuals.
  Bytes extremes(4000);
  for (std::size_t i = 0; i < extremes.size(); ++i)
    extremes[i] = (i / 2 + i / 80) % 2 ? 0xFF : 0x00;
  ExpectRoundTrip(extremes, 40);
}

TEST(ImxCodec, RoundTripsSeveralMegabytesInManyBands)
{
  const Bytes data = ParticleBytes(1280, 1200);
  const Bytes packed = Packed(data, 1280);
  EXPECT_GT(double(data.size()) / double(packed.size()), 1.8); // particle images compress well
  Bytes out(data.size());
  std::uint64_t consumed = 0;
  ASSERT_EQ(UnpackInto(packed, out, consumed), 0);
  EXPECT_TRUE(out == data);
}

TEST(ImxCodec, SmallImagesOfEveryKindCompress)
{
  const auto image = BenchData::MakeParticleImage(400, 300, 5);
  Bytes bytes(image.size());
  for (std::size_t i = 0; i < image.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(std::min(255, image[i] / 16));
  EXPECT_LT(Packed(bytes, 400).size(), bytes.size() * 3 / 4); // 8-bit: coded as bytes, not as words
  EXPECT_LT(Packed(ParticleBytes(400, 300), 400).size(), image.size() * 2 * 6 / 10);
}

TEST(ImxCodec, PackedBytesDoNotDependOnThreadsAndDecodeEitherWay)
{
  const Bytes data = ParticleBytes(1000, 700);
  const Bytes single = Packed(data, 1000, false), threaded = Packed(data, 1000, true);
  EXPECT_TRUE(single == threaded);
  for (bool parallel : {false, true})
  {
    Bytes out(data.size());
    std::uint64_t consumed = 0;
    ASSERT_EQ(UnpackInto(single, out, consumed, parallel), 0);
    EXPECT_EQ(consumed, single.size());
    EXPECT_TRUE(out == data);
  }
}

namespace
{
// A flat background with sparse bright spikes, some in runs: the spikes
// escape to raw samples, and two long codes of one stream do not fit one
// store.
template <typename T>
Bytes SpikyImage(unsigned width, unsigned height, unsigned background, unsigned spike, std::uint32_t seed)
{
  std::mt19937 random(seed);
  std::vector<T> samples(std::size_t(width) * height);
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<T>(background + random() % 3);
  for (std::size_t i = 0; i + 12 < samples.size(); i += 40 + random() % 60)
    for (std::size_t run = random() % 10, j = 0; j <= run; ++j)
      samples[i + j] = static_cast<T>(spike - random() % 5);
  Bytes bytes(samples.size() * sizeof(T));
  std::memcpy(bytes.data(), samples.data(), bytes.size());
  return bytes;
}

struct S_PortableCoderOnly
{
  S_PortableCoderOnly() { Imx::Detail::EnableVectorCoder(false); }
  ~S_PortableCoderOnly() { Imx::Detail::EnableVectorCoder(true); }
};
} // namespace

TEST(ImxCodec, VectorCoderWritesTheBitsOfThePortableCoder)
{
  if (!Imx::Detail::VectorCoderEnabled())
    GTEST_SKIP() << "this processor has no vector coder";
  const auto image = BenchData::MakeParticleImage(301, 257, 3);
  Bytes bytes(image.size()), quads(image.size() * 4), triples(image.size() * 3);
  for (std::size_t i = 0; i < image.size(); ++i)
  {
    bytes[i] = static_cast<std::uint8_t>(std::min(255, image[i] / 12));
    for (int c = 0; c < 4; ++c)
      quads[4 * i + c] = static_cast<std::uint8_t>(std::min(255, image[i] / (8 + 4 * c)));
    for (int c = 0; c < 3; ++c)
      triples[3 * i + c] = static_cast<std::uint8_t>(std::min(255, image[i] / (6 + 5 * c)));
  }
  std::vector<std::uint32_t> words(30000);
  for (std::size_t i = 0; i < words.size(); ++i)
    words[i] = static_cast<std::uint32_t>(100000 + 3000 * std::sin(double(i) * 0.003) + i % 7);
  Bytes wordBytes(words.size() * 4);
  std::memcpy(wordBytes.data(), words.data(), wordBytes.size());
  const struct
  {
    Bytes data;
    std::int64_t columns;
  } cases[] = {
      {ParticleBytes(2560, 120), 2560},
      {ParticleBytes(777, 190), 777},
      {ParticleBytes(13, 900), 13},
      {ParticleBytes(5, 2000), 5},
      {ParticleBytes(1, 3000), 1},
      {bytes, 301},
      {quads, 301},
      {triples, 301},
      {wordBytes, 300},
      {RandomBytes(300001, 5), 1000},
      {SpikyImage<std::uint16_t>(1000, 300, 1000, 60000, 1), 1000},
      {SpikyImage<std::uint16_t>(37, 4000, 20, 65535, 2), 37},
      {SpikyImage<std::uint8_t>(1000, 300, 100, 250, 3), 1000},
      {SpikyImage<std::uint8_t>(1000, 300, 250, 2, 4), 1000},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(testing::Message() << "size " << c.data.size() << " columns " << c.columns);
    const Bytes vector = Packed(c.data, c.columns);
    Bytes portable;
    {
      const S_PortableCoderOnly portableOnly;
      ASSERT_FALSE(Imx::Detail::VectorCoderEnabled());
      portable = Packed(c.data, c.columns);
    }
    EXPECT_TRUE(vector == portable);
    Bytes out(c.data.size());
    std::uint64_t consumed = 0;
    ASSERT_EQ(UnpackInto(vector, out, consumed), 0);
    EXPECT_TRUE(out == c.data);
  }
}

TEST(ImxCodec, RandomDataStaysWithinTheBound)
{
  for (std::size_t size : {1u, 100u, 131071u, 131072u, 131073u, 1000001u})
  {
    const Bytes data = RandomBytes(size, 99);
    const Bytes packed = Packed(data, 512, true);
    EXPECT_LE(packed.size(), Imx::MaxPackedSize(size));
    EXPECT_LE(packed.size(), size + 24 + 9 * (size / 131072 + 1));
    ExpectRoundTrip(data, 512);
  }
  EXPECT_EQ(Imx::MaxPackedSize(0), 24u);
  EXPECT_EQ(Imx::MaxPackedSize(std::uint64_t(1) << 63), 0u);
}

TEST(ImxCodec, BlockIsSelfDelimitingAndStartsWithItsHeader)
{
  const Bytes data = ParticleBytes(64, 64);
  Bytes packed = Packed(data, 64);
  const std::size_t length = packed.size();
  EXPECT_EQ(std::string(packed.begin(), packed.begin() + 3), "IMX");
  EXPECT_EQ(packed[3], 2); // version
  EXPECT_EQ(packed[4], 2); // 16-bit samples
  std::uint64_t stored = 0;
  std::memcpy(&stored, packed.data() + 8, 8);
  EXPECT_EQ(stored, data.size());
  packed.insert(packed.end(), 1000, 0x5A); // a following block
  Bytes out(data.size());
  std::uint64_t consumed = 0;
  ASSERT_EQ(UnpackInto(packed, out, consumed), 0);
  EXPECT_EQ(consumed, length);
}

TEST(ImxCodec, PluginReportsSizeAndErrorTexts)
{
  C_CompressionIMX codec;
  EXPECT_EQ(codec.GetKey(), "IMX");
  EXPECT_EQ(codec.GetPluginName(), "Korimend.Compression");
  EXPECT_FALSE(codec.GetParameter()->Exists("Size"));
  auto tree = RTE::Parameter::CreateTree();
  tree->Add(
      RTE::Parameter::CreateInteger("Columns", "", "", 2, 50, 0, 1 << 30, RTE::Parameter::C_Integer::EditorSpinBox));
  tree->Add(RTE::Parameter::CreateBool("Parallel", "", "", 2, true, RTE::Parameter::C_Bool::EditorCheckBox));
  codec.SetParameter(tree);
  EXPECT_EQ(codec.GetParameter()->GetInteger("Columns")->GetValue(), 50);
  EXPECT_TRUE(codec.GetParameter()->GetBool("Parallel")->GetValue());

  const Bytes data = ParticleBytes(50, 40);
  Bytes packed(codec.GetMaxPackedSize(data.size()) + 10);
  std::uint64_t size = packed.size();
  ASSERT_EQ(codec.Pack(data.data(), data.size(), packed.data(), size), 0);
  packed.resize(size + 10);
  Bytes out(data.size());
  std::uint64_t outSize = out.size();
  ASSERT_EQ(codec.Unpack(packed.data(), packed.size(), out.data(), outSize), 0);
  EXPECT_EQ(codec.GetParameter()->GetInteger("Size")->GetValue(), std::int64_t(size));
  EXPECT_TRUE(out == data);

  outSize = out.size() - 2;
  const int mismatch = codec.Unpack(packed.data(), packed.size(), out.data(), outSize);
  EXPECT_STREQ(codec.GetErrorText(mismatch), "IMX: the packed data hold another number of bytes than expected.");
  EXPECT_FALSE(codec.GetParameter()->Exists("Size"));
  outSize = out.size();
  EXPECT_STREQ(codec.GetErrorText(codec.Unpack(packed.data(), 20, out.data(), outSize)),
               "IMX: the packed data are truncated.");
  EXPECT_STREQ(codec.GetErrorText(codec.Unpack(data.data(), data.size(), out.data(), outSize)),
               "IMX: the packed data do not start with an IMX block.");
  std::uint64_t small = codec.GetMaxPackedSize(data.size()) - 1;
  EXPECT_STREQ(codec.GetErrorText(codec.Pack(data.data(), data.size(), packed.data(), small)),
               "IMX: the destination is smaller than the packed size bound.");
  EXPECT_STREQ(codec.GetErrorText(12345), "IMX: unknown error.");
}

TEST(ImxCodec, RefusesEveryTruncation)
{
  const Bytes data = ParticleBytes(90, 70);
  const Bytes packed = Packed(data, 90);
  Bytes out(data.size());
  for (std::size_t length = 0; length < packed.size(); ++length)
  {
    const Bytes prefix(packed.begin(), packed.begin() + std::ptrdiff_t(length));
    std::uint64_t consumed = 0;
    EXPECT_NE(Imx::Unpack(prefix.data(), prefix.size(), out.data(), out.size(), consumed, false), 0)
        << "prefix " << length;
  }
}

TEST(ImxCodec, SurvivesBitFlipsAndTruncationsOfManyBands)
{
  for (const bool bytesMode : {false, true})
  {
    Bytes data = ParticleBytes(700, 420);
    if (bytesMode)
      for (auto& b : data)
        b = static_cast<std::uint8_t>(b / 4);
    const Bytes packed = Packed(data, 700);
    std::mt19937 random(11);
    Bytes out(data.size());
    int refused = 0;
    for (int flip = 0; flip < 600; ++flip)
    {
      Bytes damaged = packed;
      const std::size_t bit = random() % (damaged.size() * 8);
      damaged[bit / 8] ^= std::uint8_t(1u << (bit % 8));
      std::uint64_t consumed = 0;
      const int result = Imx::Unpack(damaged.data(), damaged.size(), out.data(), out.size(), consumed, flip % 2);
      refused += result != 0;
      if (result == 0)
      {
        EXPECT_LE(consumed, damaged.size());
      }
    }
    EXPECT_EQ(refused, 600); // every band carries a CRC of the header and its payload
    for (std::size_t length = 0; length < packed.size(); length += 97)
    {
      std::uint64_t consumed = 0;
      EXPECT_NE(Imx::Unpack(packed.data(), length, out.data(), out.size(), consumed, true), 0);
    }
  }
}

namespace
{
Bytes ReadTestFile(const std::string& name)
{
  std::ifstream file(std::string(BUFFER_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(file.good()) << name;
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A particle image as words, or as bytes (the words divided by 16).
Bytes ParticleImage(unsigned width, unsigned height, std::uint32_t seed, bool eightBit)
{
  const Bytes words = ParticleBytes(width, height, seed);
  if (!eightBit)
    return words;
  Bytes bytes(words.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(std::min(255, (words[2 * i] | words[2 * i + 1] << 8) / 16));
  return bytes;
}
} // namespace

TEST(ImxCodec, ReadsBlocksOfVersionOne)
{
  for (const bool eightBit : {false, true})
  {
    const Bytes packed = ReadTestFile(eightBit ? "imx-version1-8bit.bin" : "imx-version1-16bit.bin");
    ASSERT_GT(packed.size(), 24u);
    EXPECT_EQ(packed[3], 1);
    const Bytes expected = ParticleImage(96, 64, 11, eightBit); // the image behind the kept block
    for (const bool parallel : {false, true})
    {
      Bytes out(expected.size());
      std::uint64_t consumed = 0;
      ASSERT_EQ(UnpackInto(packed, out, consumed, parallel), 0);
      EXPECT_EQ(consumed, packed.size());
      EXPECT_TRUE(out == expected);
    }
    Bytes out(expected.size());
    for (std::size_t length = 0; length < packed.size(); length += 7)
    {
      std::uint64_t consumed = 0;
      EXPECT_NE(Imx::Unpack(packed.data(), length, out.data(), out.size(), consumed, false), 0);
    }
    std::mt19937 random(3);
    for (int flip = 0; flip < 300; ++flip)
    {
      Bytes damaged = packed;
      const std::size_t bit = random() % (damaged.size() * 8);
      damaged[bit / 8] ^= std::uint8_t(1u << (bit % 8));
      std::uint64_t consumed = 0;
      if (Imx::Unpack(damaged.data(), damaged.size(), out.data(), out.size(), consumed, false) == 0)
      {
        EXPECT_LE(consumed, damaged.size());
      }
    }
  }
}

TEST(ImxCodec, NewBlocksAreVersionTwoAndUnknownVersionsAreRefused)
{
  const Bytes data = ParticleBytes(64, 48);
  Bytes packed = Packed(data, 64);
  EXPECT_EQ(packed[3], 2);
  Bytes out(data.size());
  std::uint64_t consumed = 0;
  for (const std::uint8_t version : {0, 3, 255})
  {
    packed[3] = version;
    EXPECT_STREQ(Imx::ErrorText(UnpackInto(packed, out, consumed)), "IMX: unsupported version of the packed data.");
  }
}

// A block of one band: the header, one directory entry (length, CRC), the payload.
constexpr std::size_t kSingleBandPayload = 24 + 8;

// Writes the CRC of a single-band block again after its payload was changed.
void Reseal(Bytes& packed)
{
  const std::uint32_t crc = libdeflate_crc32(libdeflate_crc32(0, packed.data(), 24), packed.data() + kSingleBandPayload,
                                             packed.size() - kSingleBandPayload);
  std::memcpy(packed.data() + 28, &crc, 4);
}

TEST(ImxCodec, RefusesADamagedBandByItsChecksum)
{
  const Bytes data = ParticleBytes(64, 48);
  Bytes packed = Packed(data, 64);
  Bytes out(data.size());
  std::uint64_t consumed = 0;
  Bytes resealed = packed;
  Reseal(resealed);
  ASSERT_TRUE(resealed == packed); // the CRC covers exactly the header and the payload
  packed[packed.size() - 1] ^= 0x10;
  EXPECT_STREQ(Imx::ErrorText(UnpackInto(packed, out, consumed)), "IMX: the packed data are corrupt.");
  packed[packed.size() - 1] ^= 0x10;
  packed[16] ^= 1; // the row length: a valid header, but not the one the band was coded with
  EXPECT_STREQ(Imx::ErrorText(UnpackInto(packed, out, consumed)), "IMX: the packed data are corrupt.");
}

// A coded band starts with its mode, base level and one byte per context
// (Rice parameter in the low four bits, weight above); values a writer
// cannot produce are refused, not decoded, even when the CRC fits them.
TEST(ImxCodec, RefusesBandParametersOutOfRange)
{
  constexpr std::size_t kBand = kSingleBandPayload;
  struct S_Case
  {
    const char* what;
    bool eightBit;
    std::size_t offset;
    std::uint8_t value;
  };
  const S_Case cases[] = {
      {"16-bit weight 5", false, kBand + 3, 0x53},
      {"16-bit weight 15", false, kBand + 3 + 17, 0xF0},
      {"8-bit Rice parameter 8", true, kBand + 3 + 5, 0x08},
      {"8-bit base 256", true, kBand + 2, 0x01},
      {"unknown band mode", false, kBand, 0x02},
  };
  for (const S_Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    const Bytes data = ParticleImage(64, 48, 7, c.eightBit);
    Bytes packed = Packed(data, 64);
    ASSERT_EQ(packed[4], c.eightBit ? 1 : 2);
    ASSERT_EQ(packed[kBand], 1); // coded
    packed[c.offset] = c.value;
    Reseal(packed);
    Bytes out(data.size());
    std::uint64_t consumed = 0;
    EXPECT_STREQ(Imx::ErrorText(UnpackInto(packed, out, consumed)), "IMX: the packed data are corrupt.");
  }
}
