// Tags of the extended header: layout, round trips, legacy tag set and
// damaged input.

#include "Buffer2File.IM7/ExtendedHeader.h"
#include "Buffer2File.IM7/ScaleText.h"
#include "ExtendedHeaderTestHelpers.h"
#include "FrameTestHelpers.h"

#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>
#include <BufferApi/I_PlaneBase.h>
#include <BufferApi/I_Scale.h>

#include <gtest/gtest.h>

#include <string>

using namespace BufferApi;
using namespace ExtendedHeaderTestHelpers;
using FrameTestHelpers::MessageOf;

namespace
{
const std::string kPixelTag("1 0\0pixel\0\0", 11);

void SetString(I_Buffer& buffer, const std::string& name, const std::string& value)
{
  ASSERT_TRUE(C_BufferAttributes(&buffer).SetString(name, value)) << name;
}

std::string GetString(I_Buffer& buffer, const std::string& name)
{
  return C_BufferAttributes(&buffer).GetString(name);
}

std::vector<TagView> WrittenTags(const I_Buffer& buffer, bool legacy)
{
  TempFile file;
  WriteExtendedHeader(&buffer, file.get(), legacy);
  return ParseTags(file.All());
}

//! Writes the tags of `source` and reads them into `target`.
void RoundTrip(const I_Buffer& source, I_Buffer& target, bool legacy = false)
{
  TempFile file;
  WriteExtendedHeader(&source, file.get(), legacy);
  std::rewind(file.get());
  ReadExtendedHeader(&target, file.get());
}

//! Reads the hand-made bytes into `buffer` and returns what went to stdout.
std::string ReadBytes(I_Buffer& buffer, const Bytes& bytes)
{
  TempFile file(bytes);
  testing::internal::CaptureStdout();
  try
  {
    ReadExtendedHeader(&buffer, file.get());
  }
  catch (...)
  {
    testing::internal::GetCapturedStdout();
    throw;
  }
  return testing::internal::GetCapturedStdout();
}

const TagView* FindTag(const std::vector<TagView>& tags, std::int32_t type, const std::string& start = "")
{
  for (const TagView& tag : tags)
    if (tag.type == type && tag.content.compare(0, start.size(), start) == 0)
      return &tag;
  return nullptr;
}

I_Scale* LinearScale(double factor, double offset, const std::string& unit, const std::string& description)
{
  return C_ScaleFactory::GetInstance().CreateLinearScale(factor, offset, unit, description);
}

void ExpectScale(const I_Scale* scale, double factor, double offset, const std::string& unit,
                 const std::string& description)
{
  ASSERT_NE(scale, nullptr);
  EXPECT_DOUBLE_EQ(scale->GetFactor(), factor);
  EXPECT_DOUBLE_EQ(scale->ToWorld(0.0), offset);
  EXPECT_EQ(scale->GetUnit()->GetSymbol(), unit);
  EXPECT_EQ(scale->GetDescription(), description);
}
} // namespace

TEST(Im7ScaleText, BothFormsAreWrittenAndReadExactly)
{
  const ScaleParts parts{2.0, 0.5, "mm", "Length"};
  EXPECT_EQ(FormatScaleTag(parts), std::string("2 0.5\0mm\0Length\0", 16));
  EXPECT_EQ(FormatScaleLines(parts), "2\n0.5\nmm\nLength");
  EXPECT_EQ(FormatScaleTag(ScaleParts{1.0 / 3.0, -1e-7, "", ""}), std::string("0.333333 -1e-07\0\0\0", 18));

  for (const std::string& text :
       {FormatScaleTag(parts), FormatScaleLines(parts), std::string("2\n0.5\nmm\nLength\0", 16)})
  {
    const ScaleParts read = ParseScaleText(text);
    EXPECT_EQ(read.factor, 2.0);
    EXPECT_EQ(read.offset, 0.5);
    EXPECT_EQ(read.unit, "mm");
    EXPECT_EQ(read.description, "Length");
  }
  // An empty unit stays empty; what is missing keeps the defaults.
  EXPECT_EQ(ParseScaleText(std::string("3 4\0\0\0", 6)).unit, "");
  const ScaleParts garbage = ParseScaleText("x");
  EXPECT_EQ(garbage.factor, 1.0);
  EXPECT_EQ(garbage.unit, "pixel");
  EXPECT_EQ(ParseScaleText("5\n6").offset, 6.0);
  // A description may hold line feeds in the four-line form.
  EXPECT_EQ(ParseScaleText("1\n0\nmm\nline 1\nline 2").description, "line 1\nline 2");
  // Factor and offset travel as 32-bit floats.
  EXPECT_EQ(MakeScale(ScaleParts{0.1, 0.0, "mm", ""})->GetFactor(), static_cast<double>(0.1f));
}

TEST(Im7ExtendedHeader, MinimalHeaderHasTheFixedTagsInOrder)
{
  auto buffer = ImageBuffer(1);
  TempFile file;
  WriteExtendedHeader(buffer.get(), file.get(), false);
  const Bytes bytes = file.All();
  EXPECT_EQ(I32At(bytes, 0), 1);
  EXPECT_EQ(I32At(bytes, 4), 11);
  EXPECT_EQ(TextAt(bytes, 8, 11), kPixelTag);

  const std::vector<TagView> tags = ParseTags(bytes);
  const std::vector<std::pair<std::int32_t, std::string>> expected = {{1, kPixelTag},
                                                                      {2, kPixelTag},
                                                                      {3, kPixelTag},
                                                                      {4, std::string("1 0\0counts\0\0", 12)},
                                                                      {6, "FrameScaleI0=1\n0\ncounts\n"},
                                                                      {6, "FrameScaleZ0=1\n0\npixel\n"},
                                                                      {6, "FrameScaleY0=1\n0\npixel\n"},
                                                                      {6, "FrameScaleX0=1\n0\npixel\n"},
                                                                      {5, ""},
                                                                      {11, ""},
                                                                      {12, ""},
                                                                      {0, ""}};
  ASSERT_EQ(tags.size(), expected.size());
  // The frame scales come in the order X, Y, Z, I.
  for (std::size_t i = 0; i < tags.size(); ++i)
  {
    const std::size_t j = i >= 4 && i < 8 ? 11 - i : i;
    EXPECT_EQ(tags[i].type, expected[j].first) << i;
    EXPECT_EQ(tags[i].content, expected[j].second) << i;
  }
  EXPECT_EQ(bytes.size(), 4 * (8 + 11) + 1 + 3 * (8 + 23) + (8 + 24) + 4 * 8);
}

TEST(Im7ExtendedHeader, TextTagsHaveNoNulAndReadersDropTrailingNuls)
{
  auto buffer = ImageBuffer(1);
  SetString(*buffer, "_Comment", "note");
  SetString(*buffer, "_Time", "12:00:00");
  SetString(*buffer, "_Date", "1.2.2024");
  const auto tags = WrittenTags(*buffer, false);
  EXPECT_EQ(FindTag(tags, 5)->content, "note");
  EXPECT_EQ(FindTag(tags, 11)->content, "12:00:00");
  EXPECT_EQ(FindTag(tags, 12)->content, "1.2.2024");
  // They are not written a second time as tag 6.
  EXPECT_EQ(FindTag(tags, 6, "_"), nullptr);

  auto read = ImageBuffer(1);
  ReadBytes(*read,
            Concat({Tag(5, std::string("abc\0\0", 5)), Tag(11, "t"), Tag(12, std::string("d\0", 2)), Tag(0, "")}));
  EXPECT_EQ(GetString(*read, "_Comment"), "abc");
  EXPECT_EQ(GetString(*read, "_Time"), "t");
  EXPECT_EQ(GetString(*read, "_Date"), "d");
}

TEST(Im7ExtendedHeader, LegacyTagSet)
{
  auto buffer = ImageBuffer(1);
  SetString(*buffer, "_FrameScale", "2\n1\nmm\nd");
  SetString(*buffer, "_Date", "1.2.2024");
  const double doubles[1] = {1.5};
  const unsigned short words[2] = {1, 2};
  C_BufferAttributes(buffer.get()).SetArray("D", 1, DT_Double, doubles);
  C_BufferAttributes(buffer.get()).SetArray("W", 2, DT_UInt16, words);
  buffer->CreateAttributePlane("P", 2, 2, DT_Float);

  const auto legacy = WrittenTags(*buffer, true);
  ASSERT_NE(FindTag(legacy, 7), nullptr);
  EXPECT_EQ(FindTag(legacy, 7)->content, std::string("2 1\0mm\0d\0", 9));
  EXPECT_EQ(FindTag(legacy, 12), nullptr);
  EXPECT_EQ(FindTag(legacy, 13), nullptr);
  EXPECT_EQ(FindTag(legacy, 14), nullptr);
  EXPECT_NE(FindTag(legacy, 10), nullptr);

  const auto im7 = WrittenTags(*buffer, false);
  EXPECT_EQ(FindTag(im7, 7), nullptr);
  EXPECT_NE(FindTag(im7, 12), nullptr);
  EXPECT_NE(FindTag(im7, 13), nullptr);
  EXPECT_NE(FindTag(im7, 14), nullptr);
  // In IM7 mode "_FrameScale" is an ordinary attribute.
  EXPECT_NE(FindTag(im7, 6, "_FrameScale="), nullptr);

  auto read = ImageBuffer(1);
  RoundTrip(*buffer, *read, true);
  EXPECT_EQ(GetString(*read, "_FrameScale"), "2\n1\nmm\nd");
  EXPECT_EQ(read->FindAttribute("D"), nullptr);
  EXPECT_EQ(read->FindAttribute("P"), nullptr);
  EXPECT_EQ(read->FindAttribute("_Date"), nullptr);
}

TEST(Im7ExtendedHeader, ArrayAndPlaneTagLayout)
{
  auto buffer = ImageBuffer(2);
  const float one[1] = {1.0f};
  C_BufferAttributes(buffer.get()).SetArray("abc", 1, DT_Float, one);
  C_BufferAttributes(buffer.get()).SetArray("ab", 1, DT_Float, one);
  I_PlaneBase* plane = buffer->GetFrame(1)->CreateAttributePlane("Pl", 2, 2, DT_Int32)->GetPlane();
  for (unsigned i = 0; i < 4; ++i)
    plane->SetValue(i % 2, i / 2, -10.0 * i);
  const auto tags = WrittenTags(*buffer, false);

  // (3 + 1) rounded down to 4, + 4: the value starts at 8.
  const TagView* abc = FindTag(tags, 8, std::string("abc\0", 4));
  ASSERT_NE(abc, nullptr);
  EXPECT_EQ(abc->content, std::string("abc\0\0\0\0\0", 8) + std::string("\0\0\x80\x3f", 4));
  // (2 + 1) rounded down to 0, + 4: the value starts at 4.
  const TagView* ab = FindTag(tags, 8, std::string("ab\0", 3));
  ASSERT_NE(ab, nullptr);
  EXPECT_EQ(ab->content, std::string("ab\0\0", 4) + std::string("\0\0\x80\x3f", 4));

  // The frame attribute carries the frame index: "Pl1".
  const TagView* pl = FindTag(tags, 15, "Pl1");
  ASSERT_NE(pl, nullptr);
  ASSERT_EQ(pl->content.size(), 8u + 8u + 16u);
  const Bytes content(pl->content.begin(), pl->content.end());
  EXPECT_EQ(I32At(content, 8), 2);
  EXPECT_EQ(I32At(content, 12), 2);
  EXPECT_EQ(I32At(content, 16), 0);
  EXPECT_EQ(I32At(content, 28), -30);
}

TEST(Im7ExtendedHeader, EveryStorableKindRoundTrips)
{
  auto source = ImageBuffer(3);
  C_BufferAttributes attributes(source.get());
  SetString(*source, "Info", "a=b");
  SetString(*source, "Grp.Sub.Val", "v");
  SetString(*source, "_Comment", "comment");
  SetString(*source, "Exposure0", "10ms");
  SetString(*source, "A.b2", "frame two");
  const float floats[2] = {1.5f, -2.5f};
  const int ints[3] = {-7, 8, 2147483647};
  const unsigned short words[1] = {65535};
  const double doubles[2] = {0.125, 1e300};
  attributes.SetArray("AF", 2, DT_Float, floats);
  attributes.SetArray("AI1", 3, DT_Int32, ints);
  attributes.SetArray("AW", 1, DT_UInt16, words);
  attributes.SetArray("Grp.AD", 2, DT_Double, doubles);
  const E_DataType planeTypes[] = {DT_Float, DT_Int32, DT_UInt16, DT_Double};
  for (E_DataType type : planeTypes)
  {
    const std::string name = std::string("P") + char('a' + type);
    I_PlaneBase* plane = source->GetFrame(2)->CreateAttributePlane(name, 2, 3, type)->GetPlane();
    for (unsigned i = 0; i < 6; ++i)
      plane->SetValue(i % 2, i / 2, 100.0 + i);
  }
  source->GetFrame(0)->SetScaleX(LinearScale(0.25, -3.0, "mm", "x axis"));
  source->GetFrame(1)->SetScaleY(LinearScale(2.0, 1.0, "m", ""));
  source->GetFrame(2)->SetScaleI(LinearScale(4.0, 0.0, "counts", "intensity"));

  auto target = ImageBuffer(3);
  RoundTrip(*source, *target);
  EXPECT_EQ(GetString(*target, "Info"), "a=b");
  EXPECT_EQ(GetString(*target, "Grp.Sub.Val"), "v");
  EXPECT_EQ(GetString(*target, "_Comment"), "comment");
  EXPECT_EQ(GetString(*target, "Exposure0"), "10ms");
  EXPECT_EQ(StringOf(target->GetFrame(2)->FindAttribute("A.b")), "frame two");

  C_BufferAttributes read(target.get());
  float f[2] = {};
  int i[3] = {};
  unsigned short w[1] = {};
  double d[2] = {};
  EXPECT_EQ(read.GetArray("AF", 2, DT_Float, f), 2);
  EXPECT_EQ(read.GetArray("AI1", 3, DT_Int32, i), 3);
  EXPECT_EQ(read.GetArray("AW", 1, DT_UInt16, w), 1);
  EXPECT_EQ(read.GetArray("Grp.AD", 2, DT_Double, d), 2);
  EXPECT_EQ(f[1], -2.5f);
  EXPECT_EQ(i[2], 2147483647);
  EXPECT_EQ(w[0], 65535);
  EXPECT_EQ(d[1], 1e300);
  for (E_DataType type : planeTypes)
  {
    const auto* attribute =
        dynamic_cast<I_AttributePlane*>(target->GetFrame(2)->FindAttribute(std::string("P") + char('a' + type)));
    ASSERT_NE(attribute, nullptr) << type;
    const I_PlaneBase* plane = attribute->GetPlane();
    EXPECT_EQ(plane->GetDataType(), type);
    EXPECT_EQ(plane->GetWidth(), 2u);
    EXPECT_EQ(plane->GetHeight(), 3u);
    EXPECT_EQ(plane->GetValue(1, 2), 105.0);
  }
  // Tag 1 gives every frame frame 0's X scale; the frame tags restore each.
  ExpectScale(target->GetFrame(0)->GetScaleX(), 0.25, -3.0, "mm", "x axis");
  ExpectScale(target->GetFrame(1)->GetScaleX(), 1.0, 0.0, "pixel", "");
  ExpectScale(target->GetFrame(1)->GetScaleY(), 2.0, 1.0, "m", "");
  ExpectScale(target->GetFrame(2)->GetScaleI(), 4.0, 0.0, "counts", "intensity");
}

TEST(Im7ExtendedHeader, AwkwardNames)
{
  // Trailing digits at buffer level read as a frame index when the file has
  // that frame, else the whole name stays a buffer attribute.
  auto source = ImageBuffer(1);
  dynamic_cast<I_Attribute<std::string>*>(source->CreateAttribute("Cam3", AttrString))->SetValue("x");
  SetString(*source, "DevData7", "global by prefix");
  auto four = ImageBuffer(4);
  RoundTrip(*source, *four);
  EXPECT_EQ(StringOf(four->GetFrame(3)->FindAttribute("Cam")), "x");
  EXPECT_EQ(GetString(*four, "DevData7"), "global by prefix");
  auto one = ImageBuffer(1);
  RoundTrip(*source, *one);
  EXPECT_EQ(StringOf(one->FindAttribute("Cam3")), "x");

  // "TS:" attributes and an empty root write no tags.
  auto empty = ImageBuffer(2);
  const std::size_t fixedTags = 4 + 2 * 4 + 3 + 1;
  EXPECT_EQ(WrittenTags(*empty, false).size(), fixedTags);
  empty->CreateAttributePlane("TS:G", 2, 1, DT_Float);
  SetString(*empty, "_ConsecutiveMemory", "1");
  EXPECT_EQ(WrittenTags(*empty, false).size(), fixedTags);

  // A top-level node named "root" keeps its name in the path.
  auto rooted = ImageBuffer(1);
  SetString(*rooted, "root.x", "1");
  EXPECT_NE(FindTag(WrittenTags(*rooted, false), 6, "root.x=1"), nullptr);
  // Nested "_Comment" is an ordinary attribute.
  SetString(*rooted, "Grp._Comment", "inner");
  auto rootedRead = ImageBuffer(1);
  RoundTrip(*rooted, *rootedRead);
  EXPECT_EQ(GetString(*rootedRead, "root.x"), "1");
  EXPECT_EQ(GetString(*rootedRead, "Grp._Comment"), "inner");
  EXPECT_EQ(rootedRead->FindAttribute("_Comment") ? GetString(*rootedRead, "_Comment") : "", "");
}

TEST(Im7ExtendedHeader, AttributesThatCannotBeStored)
{
  auto buffer = ImageBuffer(2);
  buffer->CreateAttribute("Exposure", AttrDouble);
  EXPECT_EQ(MessageOf([&] { WrittenTags(*buffer, false); }),
            "Data type of attribute Exposure not allowed for IM7 export.");
  buffer->DeleteAttribute("Exposure");
  buffer->GetFrame(1)->CreateAttributePlane("M", 2, 2, DT_UInt8);
  EXPECT_EQ(MessageOf([&] { WrittenTags(*buffer, true); }), "Data type of attribute M1 not allowed for IM7 export.");
  buffer->GetFrame(1)->DeleteAttribute("M");
  // A number with children: the children are written, the number is not.
  buffer->CreateAttribute("N", AttrInt32);
  SetString(*buffer, "N.text", "t");
  EXPECT_NE(FindTag(WrittenTags(*buffer, false), 6, "N.text=t"), nullptr);
}

TEST(Im7ExtendedHeader, StoredFramesOnly)
{
  auto buffer = ImageBuffer(3);
  SetString(*buffer, "Note2", "third");
  const I_Buffer* source = buffer.get();
  TempFile file;
  WriteExtendedHeader(source, file.get(), false, 2);
  const auto tags = ParseTags(file.All());
  EXPECT_EQ(FindTag(tags, 6, "Note2"), nullptr);
  EXPECT_EQ(FindTag(tags, 6, "FrameScaleX2"), nullptr);
  EXPECT_NE(FindTag(tags, 6, "FrameScaleX1"), nullptr);
}

TEST(Im7ExtendedHeader, SpecialAttributeTags)
{
  auto buffer = ImageBuffer(3);
  for (unsigned f = 0; f < 3; ++f)
  {
    I_Frame* frame = buffer->GetFrame(f);
    frame->CreateComponent("#0#", DT_Float);
    SetString(*buffer, "COMPONENT_INDEX" + std::to_string(f), "1");
  }
  const std::string scale = "2\n0\n1/s\nvorticity";
  ReadBytes(*buffer, Concat({Tag(6, "Frame_RGB_MATRIX=2"), Tag(6, "ComponentName0=Vort"),
                             Tag(6, "ComponentScale0=" + scale), Tag(6, "ComponentName5=Nothing"),
                             Tag(6, "FrameScaleY1=3\n0\nmm\n"), Tag(6, "FrameScaleY7=3\n0\nmm\n"), Tag(6, "Note5=n"),
                             Tag(6, "Note1=one"), Tag(6, "TS:x=1"), Tag(6, "=v"), Tag(6, "NoEquals"), Tag(0, "")}));
  EXPECT_EQ(GetString(*buffer, "RGBFrame"), "1");
  EXPECT_EQ(GetString(*buffer, "Frame_RGB_MATRIX"), "2");
  for (unsigned f = 0; f < 3; ++f)
  {
    EXPECT_EQ(buffer->GetFrame(f)->GetComponentName(1), "Vort");
    ExpectScale(buffer->GetFrame(f)->GetComponentScale(1), 2.0, 0.0, "1/s", "vorticity");
  }
  EXPECT_EQ(buffer->FindAttribute("ComponentName0"), nullptr);
  EXPECT_EQ(buffer->FindAttribute("ComponentScale0"), nullptr);
  EXPECT_EQ(buffer->FindAttribute("ComponentName5"), nullptr);
  ExpectScale(buffer->GetFrame(1)->GetScaleY(), 3.0, 0.0, "mm", "");
  EXPECT_EQ(GetString(*buffer, "Note1"), "one");
  // Frames the file does not hold: the whole name stays at buffer level.
  EXPECT_EQ(StringOf(buffer->FindAttribute("FrameScaleY7")), "3\n0\nmm\n");
  EXPECT_EQ(StringOf(buffer->FindAttribute("Note5")), "n");
  EXPECT_EQ(buffer->FindAttribute("TS:x"), nullptr);
  EXPECT_EQ(buffer->FindAttribute("NoEquals"), nullptr);

  auto other = ImageBuffer(3);
  ReadBytes(*other, Concat({Tag(6, "Frame_RGB_MATRIX=4"), Tag(0, "")}));
  EXPECT_EQ(other->FindAttribute("RGBFrame"), nullptr);
}

TEST(Im7ExtendedHeader, DamagedTags)
{
  {
    auto buffer = ImageBuffer(2);
    EXPECT_EQ(ReadBytes(*buffer, Concat({Tag(5, "kept"), Tag(18, "x"), Tag(11, "lost")})),
              "Warning: Tag error in extended header\n");
    EXPECT_EQ(GetString(*buffer, "_Comment"), "kept");
    EXPECT_EQ(buffer->FindAttribute("_Time"), nullptr);
    EXPECT_EQ(ReadBytes(*buffer, Concat({Tag(-1, ""), Tag(11, "lost")})), "Warning: Tag error in extended header\n");
    EXPECT_EQ(buffer->FindAttribute("_Time"), nullptr);
  }
  {
    // Lengths below 1 skip the head only; the end tag ends whatever its length.
    auto buffer = ImageBuffer(1);
    Bytes negative;
    AppendI32(negative, 5);
    AppendI32(negative, -5);
    Bytes longEnd;
    AppendI32(longEnd, 0);
    AppendI32(longEnd, 12);
    EXPECT_EQ(ReadBytes(*buffer, Concat({negative, Tag(11, "t"), longEnd, Tag(5, "after the end")})), "");
    EXPECT_EQ(GetString(*buffer, "_Time"), "t");
    EXPECT_EQ(buffer->FindAttribute("_Comment"), nullptr);
    // A file that ends without an end tag ends the header.
    ReadBytes(*buffer, Tag(5, "no end"));
    EXPECT_EQ(GetString(*buffer, "_Comment"), "no end");
  }
  auto buffer = ImageBuffer(1);
  Bytes beyond;
  AppendI32(beyond, 5);
  AppendI32(beyond, 100);
  AppendText(beyond, "abc");
  EXPECT_EQ(MessageOf([&] { ReadBytes(*buffer, beyond); }),
            "Extended header: tag of type 5 needs 100 bytes, file has 3.");
  beyond.resize(8);
  EXPECT_EQ(MessageOf([&] { ReadBytes(*buffer, beyond); }), "Extended header: no tag data.");
  EXPECT_EQ(MessageOf([&] { ReadBytes(*buffer, Tag(8, "abc")); }),
            "Extended header: tag of type 8 too short for its name.");
  EXPECT_EQ(MessageOf([&] { ReadBytes(*buffer, Tag(9, std::string("abcd\0", 5))); }),
            "Extended header: tag of type 9 too short for its name.");
  EXPECT_EQ(MessageOf([&] { ReadBytes(*buffer, Tag(15, std::string("P\0\0\0\1\0\0\0", 8))); }),
            "Extended header: tag of type 15 too short for its plane size.");
  EXPECT_EQ(
      MessageOf(
          [&]
          { ReadBytes(*buffer, Tag(14, std::string("P\0\0\0", 4) + std::string(8, '\xff') + std::string(4, '\0'))); }),
      "Extended header: plane of 4294967295 x 4294967295 elements of tag type 14 does not fit the 4 bytes left "
      "in its tag.");
  // An array with a partial element keeps the whole elements.
  ReadBytes(*buffer, Tag(9, std::string("A\0\0\0", 4) + std::string("\x05\0\0\0\x07", 5)));
  int value = 0;
  EXPECT_EQ(C_BufferAttributes(buffer.get()).GetArray("A", 4, DT_Int32, &value), 1);
  EXPECT_EQ(value, 5);
}

TEST(Im7ExtendedHeader, ScaleTagsSetEveryFrame)
{
  auto buffer = ImageBuffer(2);
  ReadBytes(*buffer, Concat({Tag(2, std::string("0.5 2\0mm\0y\0", 11)), Tag(4, "3\n4\nK\nT"), Tag(0, "")}));
  for (unsigned f = 0; f < 2; ++f)
  {
    ExpectScale(buffer->GetFrame(f)->GetScaleY(), 0.5, 2.0, "mm", "y");
    ExpectScale(buffer->GetFrame(f)->GetScaleI(), 3.0, 4.0, "K", "T");
  }
}
