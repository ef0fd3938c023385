// The FixedBitsOfWord codec: what each pack type of the file format keeps of
// values inside, at the edge of and outside its window; the byte layout, the
// consumed size and damaged blocks.
#include "C_CompressionFixedBitsOfWord.h"
#include "FixedBitsCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace Compression;

namespace
{
struct S_PackType
{
  int type;
  unsigned bits;
  unsigned start;
  bool wrapping;
};
// Pack types 3 to 18 of the IM7 header.
const S_PackType kPackTypes[] = {{3, 12, 0, false}, {4, 12, 2, false}, {5, 12, 4, false}, {6, 8, 0, false},
                                 {7, 8, 2, false},  {8, 8, 4, false},  {9, 8, 6, false},  {10, 8, 8, false},
                                 {11, 12, 0, true}, {12, 12, 2, true}, {13, 12, 4, true}, {14, 8, 0, true},
                                 {15, 8, 2, true},  {16, 8, 4, true},  {17, 8, 6, true},  {18, 8, 8, true}};

boost::shared_ptr<RTE::Parameter::C_Tree> Tree(std::int64_t columns, std::int64_t rows)
{
  auto tree = RTE::Parameter::CreateTree();
  tree->Add(RTE::Parameter::CreateInteger("Columns", "", "", 2, columns, INT64_MIN, INT64_MAX,
                                          RTE::Parameter::C_Integer::EditorSpinBox));
  tree->Add(RTE::Parameter::CreateInteger("Rows", "", "", 2, rows, INT64_MIN, INT64_MAX,
                                          RTE::Parameter::C_Integer::EditorSpinBox));
  return tree;
}

void AddWindow(RTE::Parameter::C_Tree& tree, const S_PackType& p, bool withStartAndWrapping)
{
  tree.Add(RTE::Parameter::CreateInteger("FixedBits", "", "", 2, p.bits, INT64_MIN, INT64_MAX,
                                         RTE::Parameter::C_Integer::EditorSpinBox));
  if (!withStartAndWrapping)
    return;
  tree.Add(RTE::Parameter::CreateInteger("FixedStart", "", "", 2, p.start, INT64_MIN, INT64_MAX,
                                         RTE::Parameter::C_Integer::EditorSpinBox));
  tree.Add(RTE::Parameter::CreateBool("FixedWrapping", "", "", 2, p.wrapping, RTE::Parameter::C_Bool::EditorCheckBox));
}
} // namespace

TEST(FixedBitsOfWord, KeepsTheWindowOfEveryPackType)
{
  for (const S_PackType& p : kPackTypes)
  {
    SCOPED_TRACE(testing::Message() << "pack type " << p.type);
    const unsigned top = 1u << (p.start + p.bits); // first value above the window
    const unsigned step = 1u << p.start;
    struct S_Case
    {
      unsigned value, expected;
    };
    std::vector<S_Case> cases = {
        {0, 0},
        {step, step},                                         // lowest bit of the window
        {top - step, top - step},                             // largest value of the window
        {top - 1, top - step},                                // bits below the window are dropped
        {step * 5 + (step - 1), step * 5},                    // inside, with low bits
        {top, p.wrapping ? 0u : top - step},                  // just above: wraps to 0 or saturates
        {top + 3 * step, p.wrapping ? 3 * step : top - step}, // above: low window bits kept or saturated
        {65535, p.wrapping ? (top - step) : top - step}};     // all ones: the window is all ones either way
    if (top > 65535)
      cases.resize(5); // the window reaches bit 15: nothing lies above it
    std::vector<std::uint16_t> words;
    for (const auto& c : cases)
      words.push_back(static_cast<std::uint16_t>(c.value));

    C_CompressionFixedBitsOfWord packer;
    auto tree = Tree(std::int64_t(words.size()), 1);
    AddWindow(*tree, p, true);
    packer.SetParameter(tree);
    std::vector<std::uint8_t> packed(packer.GetMaxPackedSize(words.size() * 2));
    std::uint64_t size = packed.size();
    ASSERT_EQ(packer.Pack(words.data(), words.size() * 2, packed.data(), size), 0);
    EXPECT_EQ(size, 16 + (words.size() * p.bits + 7) / 8);

    C_CompressionFixedBitsOfWord unpacker; // only "Columns", "Rows" and "FixedBits"
    auto unpackTree = Tree(std::int64_t(words.size()), 1);
    AddWindow(*unpackTree, p, false);
    unpacker.SetParameter(unpackTree);
    ASSERT_GE(unpacker.GetMaxPackedSize(words.size() * 2), size);
    std::vector<std::uint16_t> out(words.size(), 0xBEEF);
    std::uint64_t outSize = out.size() * 2;
    packed.resize(size + 1000);
    ASSERT_EQ(unpacker.Unpack(packed.data(), packed.size(), out.data(), outSize), 0);
    EXPECT_EQ(unpacker.GetParameter()->GetInteger("Size")->GetValue(), std::int64_t(size));
    for (std::size_t i = 0; i < cases.size(); ++i)
    {
      EXPECT_EQ(out[i], cases[i].expected) << "value " << cases[i].value;
      EXPECT_EQ(out[i], FixedBits::Kept(words[i], {p.bits, p.start, p.wrapping}));
    }
  }
}

TEST(FixedBitsOfWord, LayoutIsHeaderThenLeastSignificantBitsFirst)
{
  const std::uint16_t words[] = {0x0ABC, 0x0123, 0x0FFF};
  std::uint8_t packed[64];
  std::uint64_t size = sizeof(packed);
  ASSERT_EQ(FixedBits::Pack(words, 6, packed, size, {12, 0, false}), 0);
  ASSERT_EQ(size, 16u + 5u);
  EXPECT_EQ(std::memcmp(packed, "FBW\x01\x0C\x00\x00\x00", 8), 0);
  std::uint64_t stored = 0;
  std::memcpy(&stored, packed + 8, 8);
  EXPECT_EQ(stored, 6u);
  const std::uint8_t payload[] = {0xBC, 0x3A, 0x12, 0xFF, 0x0F};
  EXPECT_EQ(std::memcmp(packed + 16, payload, 5), 0);
}

TEST(FixedBitsOfWord, OddSizesKeepTheLastByteAndEmptyBlocksWork)
{
  const std::uint8_t data[] = {0x34, 0x12, 0x99};
  std::uint8_t packed[64];
  std::uint64_t size = sizeof(packed);
  ASSERT_EQ(FixedBits::Pack(data, 3, packed, size, {16, 0, true}), 0);
  std::uint8_t out[3] = {};
  std::uint64_t consumed = 0;
  ASSERT_EQ(FixedBits::Unpack(packed, size, out, 3, 16, consumed), 0);
  EXPECT_EQ(consumed, size);
  EXPECT_EQ(std::memcmp(out, data, 3), 0);
  size = sizeof(packed);
  ASSERT_EQ(FixedBits::Pack(data, 0, packed, size, {8, 0, true}), 0);
  EXPECT_EQ(size, 16u);
  ASSERT_EQ(FixedBits::Unpack(packed, size, out, 0, 8, consumed), 0);
}

TEST(FixedBitsOfWord, RefusesDamagedBlocksWithItsTexts)
{
  std::vector<std::uint16_t> words(100);
  for (std::size_t i = 0; i < words.size(); ++i)
    words[i] = static_cast<std::uint16_t>(i * 41);
  std::vector<std::uint8_t> packed(FixedBits::PackedSize(200, 12));
  std::uint64_t size = packed.size();
  ASSERT_EQ(FixedBits::Pack(words.data(), 200, packed.data(), size, {12, 4, true}), 0);
  std::vector<std::uint16_t> out(100);
  std::uint64_t consumed = 0;
  for (std::uint64_t length = 0; length < size; ++length)
    EXPECT_NE(FixedBits::Unpack(packed.data(), length, out.data(), 200, 12, consumed), 0);

  C_CompressionFixedBitsOfWord codec;
  std::uint64_t outSize = 200;
  EXPECT_STREQ(codec.GetErrorText(codec.Unpack(packed.data(), 10, out.data(), outSize)),
               "FixedBitsOfWord: the packed data are truncated.");
  outSize = 198;
  EXPECT_STREQ(codec.GetErrorText(codec.Unpack(packed.data(), size, out.data(), outSize)),
               "FixedBitsOfWord: the packed data hold another number of bytes or bits than expected.");
  auto tree = Tree(10, 10);
  tree->Add(RTE::Parameter::CreateInteger("FixedBits", "", "", 2, 8, 0, 16, RTE::Parameter::C_Integer::EditorSpinBox));
  codec.SetParameter(tree);
  outSize = 200;
  EXPECT_NE(codec.Unpack(packed.data(), size, out.data(), outSize), 0); // 8 bits asked, 12 stored
  EXPECT_STREQ(codec.GetErrorText(codec.Unpack(words.data(), 200, out.data(), outSize)),
               "FixedBitsOfWord: the packed data do not start with a FixedBitsOfWord block.");
  tree->Add(
      RTE::Parameter::CreateInteger("FixedStart", "", "", 2, 10, 0, 16, RTE::Parameter::C_Integer::EditorSpinBox));
  codec.SetParameter(tree);
  size = packed.size();
  EXPECT_STREQ(codec.GetErrorText(codec.Pack(words.data(), 200, packed.data(), size)),
               "FixedBitsOfWord: FixedBits must be 1 to 16 and FixedStart + FixedBits at most 16.");
  packed[6] = 0x80; // unknown flag
  EXPECT_EQ(FixedBits::Unpack(packed.data(), packed.size(), out.data(), 200, 0, consumed), FixedBits::ErrorCorrupt);
}
