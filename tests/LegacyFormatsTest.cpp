// The legacy IMG, IMX and VEC files: round trips of every element type and
// vector format, the header bytes, hand-made files of older versions, and
// damaged files.

#include "IM7TestHelpers.h"

#include "Buffer2File.IM7/LegacyFile.h"
#include "Buffer2File.IM7/LegacyHeader.h"

#include <BufferApi/Buffer2File.h>
#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/I_Component.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameVector2C.h>
#include <BufferApi/I_FrameVector3C.h>
#include <BufferApi/I_Scale.h>
#include <BufferApi/I_Unit.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace BufferApi;
using namespace IM7Test;

namespace
{
Bytes WriteLegacyFile(const I_Buffer& buffer, bool img)
{
  TempFile temp;
  WriteLegacy(&buffer, temp.file, img);
  Bytes bytes(static_cast<std::size_t>(std::ftell(temp.file)));
  std::rewind(temp.file);
  EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), temp.file), bytes.size());
  return bytes;
}

std::unique_ptr<I_Buffer> ReadLegacyFile(const Bytes& bytes, bool vectorFile = false, bool convert = false)
{
  TempFile temp;
  if (!bytes.empty())
  {
    EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), temp.file), bytes.size());
  }
  std::rewind(temp.file);
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  ReadLegacy(buffer.get(), temp.file, vectorFile, convert);
  return buffer;
}

std::string LegacyMessage(const Bytes& bytes, bool vectorFile = false)
{
  return MessageOf([&] { ReadLegacyFile(bytes, vectorFile); });
}

std::size_t ElementBytes(E_DataType type)
{
  return GetDataTypeSize(type);
}

std::unique_ptr<I_Buffer> MakeImages(E_DataType type, unsigned width, unsigned height, unsigned depth, unsigned frames)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  std::mt19937 random(11);
  for (unsigned f = 0; f < frames; ++f)
  {
    I_FrameImage* frame = buffer->AddImageFrame(width, height, depth, type);
    for (unsigned z = 0; z < depth; ++z)
    {
      auto* data = static_cast<unsigned char*>(frame->GetPlaneData(z));
      // Smooth data with noise, so that the IMX coder has something to do.
      for (std::size_t i = 0; i < std::size_t(width) * height * ElementBytes(type); ++i)
        data[i] = static_cast<unsigned char>((i / 7 + random() % 4) & 0x3F);
    }
  }
  return buffer;
}

void ExpectSamePlanes(const I_Buffer& expected, const I_Buffer& actual)
{
  ASSERT_EQ(actual.GetNumberOfFrames(), expected.GetNumberOfFrames());
  for (unsigned f = 0; f < expected.GetNumberOfFrames(); ++f)
  {
    const auto* a = dynamic_cast<const I_FrameImage*>(expected.GetFrame(f));
    const auto* b = dynamic_cast<const I_FrameImage*>(actual.GetFrame(f));
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->GetDataType(), a->GetDataType());
    ASSERT_EQ(b->GetWidth(), a->GetWidth());
    ASSERT_EQ(b->GetHeight(), a->GetHeight());
    ASSERT_EQ(b->GetDepth(), a->GetDepth());
    const std::size_t bytes = std::size_t(a->GetWidth()) * a->GetHeight() * ElementBytes(a->GetDataType());
    for (unsigned z = 0; z < a->GetDepth(); ++z)
      ASSERT_EQ(std::memcmp(a->GetPlaneData(z), b->GetPlaneData(z), bytes), 0) << "frame " << f << " plane " << z;
  }
}

std::string BufferString(const I_Buffer& buffer, const std::string& name)
{
  return C_BufferAttributes(const_cast<I_Buffer*>(&buffer)).GetString(name);
}

//! A header of a hand-made file; the data follow it.
Bytes HandMade(const Legacy::Header& header, const Bytes& data)
{
  const auto head = header.ToBytes();
  Bytes file(head.begin(), head.end());
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

//! 16-bit words 0, 1, 2, ... as bytes.
Bytes Words(std::size_t count)
{
  Bytes bytes(2 * count);
  for (std::size_t i = 0; i < count; ++i)
  {
    bytes[2 * i] = static_cast<unsigned char>(i);
    bytes[2 * i + 1] = static_cast<unsigned char>(i >> 8);
  }
  return bytes;
}

double Pixel(const I_Buffer& buffer, unsigned f, unsigned x, unsigned y, unsigned z = 0)
{
  return dynamic_cast<const I_FrameImage*>(buffer.GetFrame(f))->GetPixel(x, y, z);
}
} // namespace

// ------------------------------------------------------------ round trips

TEST(LegacyRoundTrip, WordsUnpackedWithImgAndImxPackedWithout)
{
  const auto buffer = MakeImages(DT_UInt16, 37, 11, 2, 3);
  const Bytes img = WriteLegacyFile(*buffer, true);
  EXPECT_EQ(Get<std::int16_t>(img, 0), 18);
  EXPECT_EQ(Get<std::int16_t>(img, 14), 0);
  // Unpacked: the planes follow the header as they are.
  EXPECT_EQ(std::memcmp(img.data() + 256, dynamic_cast<I_FrameImage*>(buffer->GetFrame(0))->GetPlaneData(0), 37 * 22),
            0);
  const auto fromImg = ReadLegacyFile(img);
  ExpectSamePlanes(*buffer, *fromImg);
  EXPECT_EQ(BufferString(*fromImg, "_Header_PackType"), "0");

  const Bytes imx = WriteLegacyFile(*buffer, false);
  EXPECT_EQ(Get<std::int16_t>(imx, 0), 19);
  EXPECT_EQ(imx[256], 1);
  EXPECT_EQ(imx[257], 1);
  EXPECT_EQ(imx[258], 0);
  EXPECT_EQ(imx[259], 'I');
  EXPECT_LT(imx.size(), img.size());
  const auto fromImx = ReadLegacyFile(imx);
  ExpectSamePlanes(*buffer, *fromImx);
  EXPECT_EQ(BufferString(*fromImx, "_Header_PackType"), "1");
}

TEST(LegacyRoundTrip, BytesAreType23AndBecomeWordsOnlyWhenAsked)
{
  const auto buffer = MakeImages(DT_UInt8, 9, 5, 1, 2);
  for (const bool img : {true, false})
  {
    const Bytes file = WriteLegacyFile(*buffer, img);
    EXPECT_EQ(Get<std::int16_t>(file, 0), 23);
    EXPECT_EQ(Get<std::int16_t>(file, 14), -2);
    ExpectSamePlanes(*buffer, *ReadLegacyFile(file));
    const auto words = ReadLegacyFile(file, false, true);
    EXPECT_EQ(words->GetFrame(0)->GetDataType(), DT_UInt16);
    EXPECT_EQ(Pixel(*words, 1, 3, 4), Pixel(*buffer, 1, 3, 4));
  }
}

TEST(LegacyRoundTrip, FloatsDoublesRgbAndInt32KeepTheirType)
{
  const std::pair<E_DataType, std::pair<int, int>> cases[] = {
      {DT_Float, {20, -3}}, {DT_Double, {20, -5}}, {DT_RGB, {18, -11}}, {DT_Int32, {19, -21}}};
  for (const auto& c : cases)
  {
    const auto buffer = MakeImages(c.first, 6, 4, 2, 2);
    const Bytes file = WriteLegacyFile(*buffer, false);
    EXPECT_EQ(Get<std::int16_t>(file, 0), c.second.first) << c.first;
    EXPECT_EQ(Get<std::int16_t>(file, 14), c.second.second) << c.first;
    ExpectSamePlanes(*buffer, *ReadLegacyFile(file));
  }
}

TEST(LegacyRoundTrip, ExtraComponentsFollowTheMainPlanesAndKeepNameAndScale)
{
  auto buffer = MakeImages(DT_UInt16, 5, 4, 2, 2);
  for (unsigned f = 0; f < 2; ++f)
  {
    I_Frame* frame = buffer->GetFrame(f);
    const int extra = static_cast<int>(frame->CreateComponent("Temperature", DT_UInt16));
    frame->SetComponentScale(extra, C_ScaleFactory::GetInstance().CreateLinearScale(0.5, -3, "K", "heat"));
    for (unsigned z = 0; z < 2; ++z)
      for (unsigned y = 0; y < 4; ++y)
        for (unsigned x = 0; x < 5; ++x)
          frame->SetValue(extra, x, y, z, 1000 * f + 100 * z + 10 * y + x);
  }
  EXPECT_EQ(WriteLegacyFile(*buffer, false)[33], 62);
  ExpectSamePlanes(*buffer, *ReadLegacyFile(WriteLegacyFile(*buffer, false)));
  const Bytes file = WriteLegacyFile(*buffer, true);
  EXPECT_EQ(file[33], 62);
  EXPECT_EQ(Get<std::int16_t>(file, 240), 1);
  EXPECT_EQ(Get<std::uint32_t>(file, 228), 4u);
  // Frame 0: two pixel planes, then the two planes of the extra component.
  EXPECT_EQ(Get<std::uint16_t>(file, 256 + 2 * 5 * 4 * 2 + 2 * (5 * 4 + 5 + 3)), 100 + 10 + 3);

  const auto read = ReadLegacyFile(file);
  ExpectSamePlanes(*buffer, *read);
  for (unsigned f = 0; f < 2; ++f)
  {
    const I_Frame* frame = read->GetFrame(f);
    const int extra = frame->GetComponentIndex("Temperature");
    ASSERT_GE(extra, 0) << frame->GetComponentName(1);
    EXPECT_EQ(frame->GetValue(extra, 3, 2, 1), 1000 * f + 100 + 20 + 3);
    EXPECT_FLOAT_EQ(static_cast<float>(frame->GetComponentScale(extra)->GetFactor()), 0.5f);
    EXPECT_EQ(frame->GetComponentScale(extra)->GetDescription(), "heat");
    EXPECT_EQ(frame->FindAttribute("COMPONENT_INDEX"), nullptr);
  }
}

namespace
{
struct VectorCase
{
  int code;
  bool threeComponents;
  unsigned choices;
  bool peakRatio;
  unsigned planes;
};

double VectorValue(unsigned f, unsigned x, unsigned y, unsigned z, unsigned choice, unsigned component)
{
  return 0.5 * (1 + x + 10 * y + 100 * z) + choice * 1000 + component * 10000 + f * 100000;
}

std::unique_ptr<I_Buffer> MakeVectors(const VectorCase& c)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  for (unsigned f = 0; f < 2; ++f)
  {
    I_FrameVector* frame = c.threeComponents
                               ? static_cast<I_FrameVector*>(buffer->AddVectorFrame3C(4, 3, 2, c.choices, DT_Float, 16))
                               : buffer->AddVectorFrame2C(4, 3, 2, c.choices, DT_Float, 16);
    const int peak = c.peakRatio ? static_cast<int>(frame->CreateComponent("Peak ratio", DT_Float)) : -1;
    for (unsigned z = 0; z < 2; ++z)
      for (unsigned y = 0; y < 3; ++y)
        for (unsigned x = 0; x < 4; ++x)
        {
          for (unsigned choice = 0; choice < c.choices; ++choice)
          {
            const double u = VectorValue(f, x, y, z, choice, 0), v = VectorValue(f, x, y, z, choice, 1),
                         w = VectorValue(f, x, y, z, choice, 2);
            if (auto* v3 = dynamic_cast<I_FrameVector3C*>(frame))
              v3->SetVector(x, y, z, u, v, w, choice);
            else
              dynamic_cast<I_FrameVector2C*>(frame)->SetVector(x, y, z, u, v, choice);
          }
          const bool enabled = c.choices == 1 || (x + y + z) % 3 != 1;
          frame->SetActiveChoice(x, y, z, enabled ? static_cast<int>((x + f) % c.choices) : 0);
          frame->SetEnabled(x, y, z, enabled);
          if (peak >= 0)
            frame->SetValue(peak, x, y, z, 2.5 + x + y + z);
        }
  }
  return buffer;
}

void ExpectSameVectors(const I_Buffer& expected, const I_Buffer& actual, const VectorCase& c)
{
  ASSERT_EQ(actual.GetNumberOfFrames(), expected.GetNumberOfFrames());
  for (unsigned f = 0; f < expected.GetNumberOfFrames(); ++f)
  {
    const auto* a = dynamic_cast<const I_FrameVector*>(expected.GetFrame(f));
    const auto* b = dynamic_cast<const I_FrameVector*>(actual.GetFrame(f));
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(dynamic_cast<const I_FrameVector3C*>(b) != nullptr, c.threeComponents);
    ASSERT_EQ(b->GetNumberOfChoices(), c.choices);
    ASSERT_EQ(b->GetWidth(), 4u);
    ASSERT_EQ(b->GetHeight(), 3u);
    ASSERT_EQ(b->GetDepth(), 2u);
    EXPECT_EQ(b->GetGridX(), 16u);
    ASSERT_EQ(b->GetComponentIndex("Peak ratio") >= 0, c.peakRatio);
    for (unsigned z = 0; z < 2; ++z)
      for (unsigned y = 0; y < 3; ++y)
        for (unsigned x = 0; x < 4; ++x)
        {
          for (unsigned choice = 0; choice < c.choices; ++choice)
            for (const char* base : {"U", "V", "W"})
            {
              const int ca = a->GetChoiceComponentIndex(base, choice), cb = b->GetChoiceComponentIndex(base, choice);
              if (ca >= 0)
              {
                ASSERT_EQ(b->GetValue(cb, x, y, z), a->GetValue(ca, x, y, z)) << base << choice;
              }
            }
          ASSERT_EQ(b->IsEnabled(x, y, z), a->IsEnabled(x, y, z));
          if (c.choices > 1)
          {
            ASSERT_EQ(b->GetActiveChoice(x, y, z), a->GetActiveChoice(x, y, z));
          }
          if (c.peakRatio)
          {
            ASSERT_EQ(b->GetValue(b->GetComponentIndex("Peak ratio"), x, y, z),
                      a->GetValue(a->GetComponentIndex("Peak ratio"), x, y, z));
          }
        }
  }
}

class LegacyVectorCodes : public testing::TestWithParam<VectorCase>
{
};
} // namespace

TEST_P(LegacyVectorCodes, VecFilesTellTheFormatByTheirRows)
{
  const VectorCase c = GetParam();
  const auto buffer = MakeVectors(c);
  const Bytes file = WriteLegacyFile(*buffer, false);
  EXPECT_EQ(Get<std::int16_t>(file, 0), 20);
  EXPECT_EQ(Get<std::int16_t>(file, 14), c.code);
  EXPECT_EQ(Get<std::int16_t>(file, 16), 3);
  EXPECT_EQ(Get<std::int16_t>(file, 10), static_cast<std::int16_t>(3 * c.planes));
  EXPECT_EQ(Get<std::uint32_t>(file, 228), 3 * c.planes);
  EXPECT_EQ(Get<std::int16_t>(file, 20), 16);
  EXPECT_EQ(file[33], 55);
  ExpectSameVectors(*buffer, *ReadLegacyFile(file, true), c);
  // The header's own vector code leads to the same frames without the extension.
  ExpectSameVectors(*buffer, *ReadLegacyFile(file, false), c);
  // A file of another maker that leaves the code 0 is told by the rows alone.
  Bytes withoutCode = file;
  Put<std::int16_t>(withoutCode, 14, 0);
  ExpectSameVectors(*buffer, *ReadLegacyFile(withoutCode, true), c);
}

INSTANTIATE_TEST_SUITE_P(AllCodes, LegacyVectorCodes,
                         testing::Values(VectorCase{1, false, 4, false, 9}, VectorCase{2, false, 1, false, 2},
                                         VectorCase{3, false, 4, true, 10}, VectorCase{4, true, 1, false, 3},
                                         VectorCase{5, true, 4, true, 14}, VectorCase{6, true, 4, false, 13}));

TEST(LegacyRoundTrip, VectorFramesKeepTheirExtraComponents)
{
  const VectorCase c{5, true, 4, true, 14};
  auto buffer = MakeVectors(c);
  for (unsigned f = 0; f < 2; ++f)
  {
    I_Frame* frame = buffer->GetFrame(f);
    const int extra = static_cast<int>(frame->CreateComponent("Correlation", DT_Float));
    frame->SetValue(extra, 3, 2, 1, 0.75 + f);
  }
  const Bytes file = WriteLegacyFile(*buffer, false);
  EXPECT_EQ(file[33], 62);
  EXPECT_EQ(Get<std::int16_t>(file, 240), 1); // the peak ratio is part of the format
  const auto read = ReadLegacyFile(file, true);
  ExpectSameVectors(*buffer, *read, c);
  for (unsigned f = 0; f < 2; ++f)
  {
    const I_Frame* frame = read->GetFrame(f);
    const int extra = frame->GetComponentIndex("Correlation");
    ASSERT_GE(extra, 0);
    EXPECT_EQ(frame->GetValue(extra, 3, 2, 1), 0.75 + f);
    EXPECT_EQ(frame->GetValue(extra, 0, 0, 0), 0.0);
  }
}

// ------------------------------------------------------------ header bytes

TEST(LegacyHeaderLayout, FieldsLieWhereReadersLookForThem)
{
  auto buffer = MakeImages(DT_UInt16, 40000, 2, 3, 2);
  C_BufferAttributes attributes(buffer.get());
  attributes.SetString("_Date", "2026-12-07 and more");
  attributes.SetString("_Time", "13:45:12.25");
  attributes.SetString("_Comment", std::string(50, 'c'));
  for (unsigned f = 0; f < 2; ++f)
  {
    I_Frame* frame = buffer->GetFrame(f);
    frame->SetScaleX(C_ScaleFactory::GetInstance().CreateLinearScale(0.25, 3, "mm", "position x of camera"));
    frame->SetScaleY(C_ScaleFactory::GetInstance().CreateLinearScale(-2, 1.5, "m", "y"));
    frame->SetScaleI(C_ScaleFactory::GetInstance().CreateLinearScale(4, 0, "counts", "intensity"));
  }
  const Bytes file = WriteLegacyFile(*buffer, true);
  EXPECT_EQ(Get<std::int16_t>(file, 0), 18);
  for (std::size_t i = 2; i < 10; ++i)
    EXPECT_EQ(file[i], 0) << i;
  EXPECT_EQ(Get<std::int16_t>(file, 10), 2);
  EXPECT_EQ(Get<std::int16_t>(file, 12), -1); // 40000 columns need the 32-bit field
  EXPECT_EQ(Get<std::int16_t>(file, 16), 6);
  EXPECT_EQ(Get<std::int16_t>(file, 18), 2);
  EXPECT_EQ(Get<std::int16_t>(file, 20), 1);
  EXPECT_EQ(file[33], 55);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[34]), 9), "2026-12-0");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[43])), "13:45:12.");
  EXPECT_EQ(Get<float>(file, 54), 0.25f);
  EXPECT_EQ(Get<float>(file, 58), 3.0f);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[62])), "position x");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[73])), "mm");
  EXPECT_EQ(Get<float>(file, 86), -2.0f);
  EXPECT_EQ(Get<float>(file, 90), 1.5f);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[94])), "y");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[105])), "m");
  EXPECT_EQ(Get<float>(file, 118), 4.0f);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[126])), "intensity");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[137])), "counts");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[148]), 40), std::string(40, 'c'));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[188])), "created with Pelio");
  EXPECT_EQ(Get<std::uint32_t>(file, 228), 2u);
  EXPECT_EQ(Get<std::uint32_t>(file, 232), 40000u);
  EXPECT_EQ(Get<std::uint32_t>(file, 236), 3u);
  EXPECT_EQ(Get<std::int16_t>(file, 240), 0);
  EXPECT_EQ(file.size() > 256u + 2u * 40000 * 2 * 3 * 2, true);

  const auto read = ReadLegacyFile(file);
  ExpectSamePlanes(*buffer, *read);
  EXPECT_EQ(BufferString(*read, "_Date"), "2026-12-0");
  EXPECT_EQ(BufferString(*read, "_Comment"), std::string(50, 'c')); // the tag holds all of it
  // The extended header's scale tags bring back the scales as they were.
  EXPECT_EQ(read->GetFrame(1)->GetScaleX()->GetUnit()->GetSymbol(), "mm");
  EXPECT_EQ(read->GetFrame(1)->GetScaleX()->GetDescription(), "position x of camera");
}

TEST(LegacyHeaderLayout, WithoutTagsTheHeaderTextsExchangeUnitAndDescription)
{
  auto buffer = MakeImages(DT_UInt16, 3, 2, 1, 1);
  buffer->GetFrame(0)->SetScaleX(C_ScaleFactory::GetInstance().CreateLinearScale(2, 1, "mm", "width"));
  C_BufferAttributes(buffer.get()).SetString("_Comment", "short");
  Bytes file = WriteLegacyFile(*buffer, true);
  file[33] = 53; // no extended header for this version
  const auto read = ReadLegacyFile(file);
  const I_Scale* x = read->GetFrame(0)->GetScaleX();
  EXPECT_EQ(x->GetUnit()->GetSymbol(), "width");
  EXPECT_EQ(x->GetDescription(), "mm");
  EXPECT_DOUBLE_EQ(x->GetFactor(), 2.0);
  EXPECT_DOUBLE_EQ(x->ToWorld(0), 1.0);
  EXPECT_EQ(BufferString(*read, "_Comment"), "short\ncreated with Pelio");
}

// ------------------------------------------------------------ older versions

namespace
{
Legacy::Header OldHeader(int version, unsigned width, unsigned rows)
{
  Legacy::Header h;
  h.fileType = 18;
  h.version = static_cast<std::uint8_t>(version);
  h.rowsField = static_cast<std::int16_t>(rows);
  h.columnsField = static_cast<std::int16_t>(width);
  h.comment = "old";
  h.creator = "maker";
  h.frames = 3;
  h.depth = 2;
  h.extraComponents = 1;
  h.formatCode = 0;
  return h;
}
} // namespace

TEST(LegacyOldVersions, Below54OneFrameAndNoTags)
{
  // The frames field and the depth are not yet read, nor tags behind the data.
  const Bytes file = HandMade(OldHeader(50, 4, 6), Words(4 * 6));
  const auto read = ReadLegacyFile(file);
  ASSERT_EQ(read->GetNumberOfFrames(), 1u);
  EXPECT_EQ(read->GetFrame(0)->GetHeight(), 6u);
  EXPECT_EQ(read->GetFrame(0)->GetDepth(), 1u);
  EXPECT_EQ(Pixel(*read, 0, 3, 5), 23);
  EXPECT_EQ(BufferString(*read, "_Comment"), "old\nmaker");
  EXPECT_EQ(read->GetFrame(0)->GetDataType(), DT_UInt16);
}

TEST(LegacyOldVersions, Version54StacksItsFramesInOneImage)
{
  Bytes file = HandMade(OldHeader(54, 4, 6), Words(4 * 6));
  const Bytes end(8, 0); // the end tag of the extended header
  file.insert(file.end(), end.begin(), end.end());
  const auto read = ReadLegacyFile(file);
  ASSERT_EQ(read->GetNumberOfFrames(), 3u);
  for (unsigned f = 0; f < 3; ++f)
  {
    EXPECT_EQ(read->GetFrame(f)->GetHeight(), 2u);
    EXPECT_EQ(read->GetFrame(f)->GetDepth(), 1u);
    EXPECT_EQ(Pixel(*read, f, 1, 1), 8 * f + 5);
  }
}

TEST(LegacyOldVersions, VeryOldFilesHaveTheFixedCameraSize)
{
  Legacy::Header h = OldHeader(150, 1, 1);
  h.rows = 7;
  h.columns = 7;
  const auto read = ReadLegacyFile(HandMade(h, Words(384 * 286)));
  ASSERT_EQ(read->GetNumberOfFrames(), 1u);
  EXPECT_EQ(read->GetFrame(0)->GetWidth(), 384u);
  EXPECT_EQ(read->GetFrame(0)->GetHeight(), 286u);
  EXPECT_EQ(Pixel(*read, 0, 1, 1), 385);
  EXPECT_EQ(BufferString(*read, "_Comment"), "");
}

TEST(LegacyOldVersions, FormatCodeFromVersion43AndVectorHeightDividedThere)
{
  // Version 43 reads the format code; a vector code divides the rows by the planes.
  Legacy::Header h = OldHeader(43, 2, 2 * 2);
  h.fileType = 20;
  h.formatCode = 2;
  h.grid = 4;
  Bytes data(2 * 2 * 2 * 4, 0);
  const float u = 1.5f, v = -2.0f;
  std::memcpy(&data[0], &u, 4);     // U at (0, 0)
  std::memcpy(&data[4 * 4], &v, 4); // V at (0, 0)
  const auto read = ReadLegacyFile(HandMade(h, data));
  ASSERT_EQ(read->GetNumberOfFrames(), 1u);
  const auto* frame = dynamic_cast<const I_FrameVector2C*>(read->GetFrame(0));
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->GetHeight(), 2u);
  EXPECT_EQ(frame->GetGridX(), 4u);
  EXPECT_EQ(frame->GetValue(frame->GetChoiceComponentIndex("U", 0), 0, 0, 0), 1.5);
  EXPECT_EQ(frame->GetValue(frame->GetChoiceComponentIndex("V", 0), 0, 0, 0), -2.0);
  // Version 42 does not read the code: 16-bit data of that size.
  h.version = 42;
  h.formatCode = 7;
  const auto words = ReadLegacyFile(HandMade(h, data));
  EXPECT_EQ(words->GetFrame(0)->GetDataType(), DT_Float);
  EXPECT_EQ(words->GetFrame(0)->GetHeight(), 4u);
}

TEST(LegacyOldVersions, Version211ReadsTagsAndKeepsCommasOthersReplaceThem)
{
  auto buffer = MakeImages(DT_UInt16, 3, 2, 1, 1);
  C_BufferAttributes(buffer.get()).SetString("Overlay", "1,2,3");
  C_FrameAttributes(buffer->GetFrame(0)).SetString("Overlay", "a,b");
  const Bytes file = WriteLegacyFile(*buffer, true);
  const auto replaced = ReadLegacyFile(file);
  EXPECT_EQ(BufferString(*replaced, "Overlay"), "1 2 3");
  EXPECT_EQ(C_FrameAttributes(replaced->GetFrame(0)).GetString("Overlay"), "a b");
  Bytes newer = file;
  newer[33] = 211;
  const auto kept = ReadLegacyFile(newer);
  EXPECT_EQ(BufferString(*kept, "Overlay"), "1,2,3");
  EXPECT_EQ(C_FrameAttributes(kept->GetFrame(0)).GetString("Overlay"), "a,b");
  ExpectSamePlanes(*buffer, *kept);
}

TEST(LegacyOldVersions, FileTypesDecideTheElementType)
{
  Legacy::Header h = OldHeader(55, 2, 2);
  h.frames = 1;
  h.depth = 1;
  h.fileType = 40; // 16-bit whatever the code says
  h.formatCode = -3;
  EXPECT_EQ(ReadLegacyFile(HandMade(h, Words(4)))->GetFrame(0)->GetDataType(), DT_UInt16);
  h.fileType = 23; // bytes
  h.formatCode = 0;
  EXPECT_EQ(ReadLegacyFile(HandMade(h, Bytes(4, 1)))->GetFrame(0)->GetDataType(), DT_UInt8);
  h.fileType = 20; // floats without a code, doubles with code -5
  EXPECT_EQ(ReadLegacyFile(HandMade(h, Bytes(16, 0)))->GetFrame(0)->GetDataType(), DT_Float);
  h.formatCode = -5;
  EXPECT_EQ(ReadLegacyFile(HandMade(h, Bytes(32, 0)))->GetFrame(0)->GetDataType(), DT_Double);
}

// ------------------------------------------------------------ damaged files

TEST(LegacyDamaged, HeaderFaultsRaiseTheirMessages)
{
  EXPECT_EQ(LegacyMessage(Bytes(255, 0)), "IMG/IMX/VEC incomplete header");
  Legacy::Header h = OldHeader(55, 2, 2);
  h.frames = 1;
  h.depth = 1;
  for (const int sparse : {21, 22})
  {
    h.fileType = static_cast<std::int16_t>(sparse);
    EXPECT_EQ(LegacyMessage(HandMade(h, Words(4))), "IMG/IMX/VEC Sparse buffers retired, please use Pelio 7!");
  }
  h.fileType = 5;
  EXPECT_EQ(LegacyMessage(HandMade(h, Words(4))), "IMG/IMX/VEC unknown file type 5.");
  h.fileType = 18;
  h.formatCode = 9;
  EXPECT_EQ(LegacyMessage(HandMade(h, Words(4))), "Can't read this data format yet.");
  h.formatCode = 0;
  h.rowsField = 0;
  EXPECT_EQ(LegacyMessage(HandMade(h, Words(4))), "IMG/IMX/VEC frame size invalid: 2 x 0 x 1, 1 frames.");
  h.rowsField = -1;
  h.rows = 0x7FFFFFFF; // claims far more than the file holds
  EXPECT_EQ(LegacyMessage(HandMade(h, Words(4))), "IMG/IMX/VEC data block needs 8589934588 bytes, file has 8.");
  h.rows = 2;
  h.version = 62;
  h.extraComponents = -2;
  EXPECT_EQ(LegacyMessage(HandMade(h, Words(4))), "IMG/IMX/VEC invalid number of extra components -2.");
}

TEST(LegacyDamaged, EveryCutThroughHeaderOrDataRaises)
{
  auto buffer = MakeImages(DT_UInt16, 7, 3, 1, 2);
  C_BufferAttributes(buffer.get()).SetString("Note", "text");
  for (const bool img : {true, false})
  {
    const Bytes file = WriteLegacyFile(*buffer, img);
    ReadLegacyFile(file);                                        // whole: fine
    const std::size_t dataEnd = img ? 256 + 2 * 7 * 3 * 2 : 259; // a packed block: at least its prefix
    for (std::size_t length = 0; length < file.size(); ++length)
    {
      const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
      bool raised = false;
      try
      {
        ReadLegacyFile(prefix);
      }
      catch (const RTE::Exception&)
      {
        raised = true;
      }
      // Behind the data a cut between two tags ends the tags early; inside
      // one it raises. Either way nothing is read beyond the file.
      if (length < dataEnd)
      {
        ASSERT_TRUE(raised) << "prefix of " << length << " bytes was read";
      }
    }
  }
}

TEST(LegacyDamaged, FlippedBytesOfAPackedFileRaiseOrReadCleanly)
{
  const auto buffer = MakeImages(DT_UInt16, 16, 8, 1, 1);
  const Bytes file = WriteLegacyFile(*buffer, false);
  for (std::size_t i = 0; i < file.size(); i += 3)
  {
    Bytes damaged = file;
    damaged[i] ^= 0x5A;
    try
    {
      ReadLegacyFile(damaged);
    }
    catch (const RTE::Exception&)
    {
    }
  }
}

// ------------------------------------------------------------ writer refusals

TEST(LegacyWriter, RefusesBuffersTheHeaderCannotDescribe)
{
  auto sizes = MakeImages(DT_UInt16, 4, 4, 1, 2);
  sizes->AddImageFrame(4, 5, 1, DT_UInt16);
  TempFile temp;
  EXPECT_EQ(MessageOf([&] { WriteLegacy(sizes.get(), temp.file, true); }),
            "IMG/IMX/VEC can't store frame 2: it differs from frame 0 in type, size or components.");
  EXPECT_EQ(std::ftell(temp.file), 0);

  auto components = MakeImages(DT_UInt16, 4, 4, 1, 2);
  components->GetFrame(1)->CreateComponent("Extra", DT_UInt16);
  EXPECT_EQ(MessageOf([&] { WriteLegacy(components.get(), temp.file, true); }),
            "IMG/IMX/VEC can't store frame 1: it differs from frame 0 in type, size or components.");

  auto floats = MakeImages(DT_UInt16, 4, 4, 1, 1);
  floats->GetFrame(0)->CreateComponent("Ratio", DT_Float);
  EXPECT_EQ(MessageOf([&] { WriteLegacy(floats.get(), temp.file, true); }),
            "IMG/IMX/VEC can't store component Ratio: its data type differs from the frame's.");

  std::unique_ptr<I_Buffer> grids(CreateBuffer());
  grids->AddVectorFrame2C(4, 4, 1, 1, DT_Float, 8)->SetGridY(4);
  EXPECT_EQ(MessageOf([&] { WriteLegacy(grids.get(), temp.file, true); }),
            "IMG/IMX/VEC can't store different vector grids in X, Y and Z.");

  std::unique_ptr<I_Buffer> tall(CreateBuffer());
  ASSERT_NE(tall->AddVectorFrame2C(1, 40000, 1, 1, DT_Float, 8), nullptr);
  EXPECT_EQ(MessageOf([&] { WriteLegacy(tall.get(), temp.file, true); }),
            "IMG/IMX/VEC can't store a vector field height of 40000: the header holds at most 32767.");
  EXPECT_EQ(std::ftell(temp.file), 0);
}

TEST(LegacyWriter, AFailedHeaderWriteRaises)
{
  const std::string path = testing::TempDir() + "LegacyWriterReadOnly.img";
  std::FILE* readOnly = std::fopen(path.c_str(), "wb");
  ASSERT_NE(readOnly, nullptr);
  std::fclose(readOnly);
  readOnly = std::fopen(path.c_str(), "rb");
  const auto buffer = MakeImages(DT_UInt16, 4, 4, 1, 1);
  EXPECT_EQ(MessageOf([&] { WriteLegacy(buffer.get(), readOnly, true); }), "IMG/IMX/VEC can't write header");
  std::fclose(readOnly);
  std::remove(path.c_str());
}

// ------------------------------------------------------------ plugins

namespace
{
class LegacyFiles : public testing::Test
{
protected:
  void SetUp() override
  {
    m_folder = std::filesystem::path(testing::TempDir()) /
               ("Legacy_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(m_folder);
    std::filesystem::create_directories(m_folder);
  }
  void TearDown() override { std::filesystem::remove_all(m_folder); }
  std::string PathOf(const std::string& name) const { return (m_folder / name).string(); }
  Bytes ReadAll(const std::string& path) const
  {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    Bytes bytes;
    int c;
    while ((c = std::fgetc(file)) != EOF)
      bytes.push_back(static_cast<unsigned char>(c));
    std::fclose(file);
    return bytes;
  }

  std::filesystem::path m_folder;
};
} // namespace

TEST_F(LegacyFiles, ImgOptionSelectsThePackingWhateverTheExtension)
{
  const auto buffer = MakeImages(DT_UInt16, 8, 4, 1, 1);
  ExportBuffer(buffer.get(), PathOf("a.img"), RTE::Parameter::CreateTree());
  EXPECT_EQ(Get<std::int16_t>(ReadAll(PathOf("a.img")), 0), 19);
  auto options = GetExportParameter("b.imx");
  ASSERT_NE(options->Get("IMG"), nullptr);
  boost::dynamic_pointer_cast<RTE::Parameter::C_Bool>(options->Get("IMG"))->SetValue(true);
  ExportBuffer(buffer.get(), PathOf("b.imx"), options);
  EXPECT_EQ(Get<std::int16_t>(ReadAll(PathOf("b.imx")), 0), 18);
  for (const char* name : {"a.img", "b.imx"})
  {
    std::unique_ptr<I_Buffer> read(ImportBuffer(PathOf(name), RTE::Parameter::CreateTree()));
    ExpectSamePlanes(*buffer, *read);
    EXPECT_EQ(BufferString(*read, "LoadFile"), PathOf(name));
  }
}

TEST_F(LegacyFiles, VecFilesAndTheIM7HandOver)
{
  const VectorCase c{3, false, 4, true, 10};
  const auto vectors = MakeVectors(c);
  ExportBuffer(vectors.get(), PathOf("v.VEC"), RTE::Parameter::CreateTree());
  std::unique_ptr<I_Buffer> read(ImportBuffer(PathOf("v.VEC"), RTE::Parameter::CreateTree()));
  ExpectSameVectors(*vectors, *read, c);

  unsigned x = 0, y = 0, z = 0, frames = 0;
  std::unique_ptr<I_Buffer> info(GetImportInformation(PathOf("v.VEC"), x, y, z, frames, false));
  EXPECT_EQ(x, 4u);
  EXPECT_EQ(y, 3u);
  EXPECT_EQ(z, 2u);
  EXPECT_EQ(frames, 2u);

  // Images in a .vec file stay images: their rows give no vector format.
  const auto stack = MakeImages(DT_Float, 5, 4, 3, 2);
  ExportBuffer(stack.get(), PathOf("s.vec"), RTE::Parameter::CreateTree());
  std::unique_ptr<I_Buffer> stackRead(ImportBuffer(PathOf("s.vec"), RTE::Parameter::CreateTree()));
  ExpectSamePlanes(*stack, *stackRead);

  // An image file renamed to .im7 is handed to the legacy reader.
  const auto images = MakeImages(DT_UInt16, 8, 4, 2, 2);
  ExportBuffer(images.get(), PathOf("i.img"), RTE::Parameter::CreateTree());
  std::filesystem::rename(PathOf("i.img"), PathOf("i.im7"));
  std::unique_ptr<I_Buffer> handedOver(ImportBuffer(PathOf("i.im7"), RTE::Parameter::CreateTree()));
  ExpectSamePlanes(*images, *handedOver);
  EXPECT_EQ(BufferString(*handedOver, "_Header_PackType"), "1");
}
