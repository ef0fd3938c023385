// The typed-scalar block and the component-scale block: record layout,
// round trips, stored frames, index mapping and damaged blocks.

#include "Buffer2File.IM7/ExtendedHeader.h"
#include "ExtendedHeaderTestHelpers.h"
#include "FrameTestHelpers.h"

#include <BufferApi/C_AttributeFactory.h>
#include <BufferApi/C_AttributePlaneParam.h>
#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/C_TypedScalarFrame.h>
#include <BufferApi/C_TypedScalarGlobal.h>
#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_FrameVector2C.h>
#include <BufferApi/TypedScalar.h>

#include <gtest/gtest.h>

using namespace BufferApi;
using namespace ExtendedHeaderTestHelpers;
using FrameTestHelpers::MessageOf;

namespace
{
const unsigned kW = 3, kH = 2, kD = 2;

I_Scale* LinearScale(double factor, double offset, const std::string& unit, const std::string& description)
{
  return C_ScaleFactory::GetInstance().CreateLinearScale(factor, offset, unit, description);
}

//! Two frames of 3 x 2 x 2 with the float typed scalar "F", the component
//! "Extra" (int32, stored under its own name), an 8-bit component (not
//! stored) and the global double typed scalar "G" of 4 x 3 x 2 x 5.
std::unique_ptr<I_Buffer> BufferWithTypedScalars(unsigned frames = 2)
{
  auto buffer = ImageBuffer(frames, kW, kH, kD);
  CreateTypedScalarFrameBound(buffer.get(), "F", DT_Float).SetLinearScale(2.0, 1.0, "m/s", "speed");
  for (unsigned f = 0; f < frames; ++f)
  {
    I_Frame* frame = buffer->GetFrame(f);
    const int extra = static_cast<int>(frame->CreateComponent("Extra", DT_Int32));
    frame->CreateComponent("Flags", DT_UInt8);
    const int ts = frame->GetComponentIndex("TS:F");
    for (unsigned z = 0; z < kD; ++z)
      for (unsigned i = 0; i < kW * kH; ++i)
      {
        frame->SetValue(ts, i % kW, i / kW, z, 0.5 + f * 100 + z * 10 + i);
        frame->SetValue(extra, i % kW, i / kW, z, -1000.0 * f - z * 10 - i);
      }
  }
  C_TypedScalarGlobal global = CreateTypedScalarGlobal(buffer.get(), "G", DT_Double, 4, 3, 2, 5);
  I_PlaneBase* volume = global.GetPlaneWithVolumeData();
  for (unsigned y = 0; y < volume->GetHeight(); ++y)
    for (unsigned x = 0; x < 4; ++x)
      volume->SetValue(x, y, y * 4 + x + 0.25);
  global.SetLinearScale(0.5, 0.0, "mm", "gx", C_TypedScalarGlobal::Axis_X);
  global.SetLinearScale(3.0, -1.0, "K", "temperature", C_TypedScalarGlobal::Axis_I);
  return buffer;
}

Bytes WrittenBlock(const I_Buffer& buffer, int packType = 0)
{
  TempFile file;
  WriteTypedScalars(&buffer, file.get(), packType);
  return file.All();
}

void ReadBlock(I_Buffer& buffer, const Bytes& bytes, int packType = 0)
{
  TempFile file(bytes);
  ReadTypedScalars(&buffer, file.get(), packType);
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

//! A record head as bytes, up to the pack-type word.
Bytes RecordHead(std::uint32_t x, std::uint32_t y, std::uint32_t z, std::uint32_t frames, std::uint32_t kind,
                 std::int32_t format, const std::string& name)
{
  Bytes bytes;
  for (std::uint32_t v : {x, y, z, frames, kind})
    AppendI32(bytes, static_cast<std::int32_t>(v));
  AppendI32(bytes, format);
  AppendI32(bytes, static_cast<std::int32_t>(name.size()));
  AppendText(bytes, name + std::string(1, '\0'));
  for (int s = 0; s < 5; ++s)
  {
    AppendI32(bytes, 10);
    AppendText(bytes, std::string("1 0\0pixel\0\0", 11));
  }
  return bytes;
}
} // namespace

TEST(Im7TypedScalars, RecordLayout)
{
  auto buffer = ImageBuffer(1, 2, 1, 1);
  CreateTypedScalarFrameBound(buffer.get(), "a", DT_UInt16);
  buffer->GetFrame(0)->SetValue(1, 0, 0, 0, 7);
  buffer->GetFrame(0)->SetValue(1, 1, 0, 0, 9);
  ASSERT_TRUE(HasTypedScalars(buffer.get()));
  const Bytes bytes = WrittenBlock(*buffer);

  Bytes expected;
  AppendI32(expected, 1);
  for (std::int32_t v : {2, 1, 1, 1, 1, -4, 4})
    AppendI32(expected, v);
  AppendText(expected, std::string("TS:a\0", 5));
  for (int s = 0; s < 4; ++s)
  {
    AppendI32(expected, 10);
    AppendText(expected, std::string("1 0\0pixel\0\0", 11));
  }
  AppendI32(expected, 11);
  AppendText(expected, std::string("1 0\0counts\0\0", 12));
  AppendText(expected, std::string("\x07\0\x09\0", 4));
  EXPECT_EQ(bytes, expected);
}

TEST(Im7TypedScalars, ElementFormatsAndNames)
{
  auto buffer = ImageBuffer(1, 1, 1, 1);
  const E_DataType types[] = {DT_Double, DT_Float, DT_Int32, DT_UInt16};
  for (E_DataType type : types)
    buffer->GetFrame(0)->CreateComponent(std::string("C") + char('a' + type), type);
  const Bytes bytes = WrittenBlock(*buffer);
  EXPECT_EQ(I32At(bytes, 0), 4);
  // Records follow one another: 7 words, name "Cx" + NUL, 5 scales, data.
  std::size_t offset = 4;
  const std::int32_t formats[] = {-5, -3, -21, -4};
  for (int r = 0; r < 4; ++r)
  {
    EXPECT_EQ(I32At(bytes, offset + 20), formats[r]);
    EXPECT_EQ(TextAt(bytes, offset + 28, 3), std::string("C") + char('a' + types[r]) + '\0');
    offset += 28 + 3 + 4 * (4 + 11) + (4 + 12) + GetDataTypeSize(types[r]);
  }
  EXPECT_EQ(offset, bytes.size());
}

TEST(Im7TypedScalars, FrameAndGlobalRoundTrip)
{
  auto source = BufferWithTypedScalars();
  const Bytes bytes = WrittenBlock(*source);
  // "TS:F", "Extra" and "TS:G"; the 8-bit component stays behind.
  EXPECT_EQ(I32At(bytes, 0), 3);

  auto target = ImageBuffer(2, kW, kH, kD);
  ReadBlock(*target, bytes);
  for (unsigned f = 0; f < 2; ++f)
  {
    const I_Frame* frame = target->GetFrame(f);
    ASSERT_EQ(frame->GetNumberOfComponents(), 3u);
    EXPECT_EQ(frame->GetComponentName(1), "TS:F");
    EXPECT_EQ(frame->GetComponentName(2), "Extra");
    EXPECT_EQ(frame->GetComponentDataType(2), DT_Int32);
    for (unsigned z = 0; z < kD; ++z)
      for (unsigned i = 0; i < kW * kH; ++i)
      {
        EXPECT_EQ(frame->GetValue(1, i % kW, i / kW, z), 0.5 + f * 100 + z * 10 + i);
        EXPECT_EQ(frame->GetValue(2, i % kW, i / kW, z), -1000.0 * f - z * 10 - i);
      }
    ExpectScale(frame->GetComponentScale(1), 2.0, 1.0, "m/s", "speed");
  }
  C_TypedScalarGlobal global(target.get(), "G");
  unsigned x = 0, y = 0, z = 0, f = 0;
  ASSERT_TRUE(global.GetSize(x, y, z, f));
  EXPECT_EQ(std::vector<unsigned>({x, y, z, f}), std::vector<unsigned>({4, 3, 2, 5}));
  EXPECT_EQ(global.GetPlaneWithVolumeData()->GetDataType(), DT_Double);
  EXPECT_EQ(global.GetPlaneWithVolumeData()->GetValue(3, 29), 29 * 4 + 3 + 0.25);
  ExpectScale(global.GetScale(C_TypedScalarGlobal::Axis_X), 0.5, 0.0, "mm", "gx");
  ExpectScale(global.GetScale(C_TypedScalarGlobal::Axis_I), 3.0, -1.0, "K", "temperature");
  ExpectScale(global.GetScale(C_TypedScalarGlobal::Axis_Y), 1.0, 0.0, "pixel", "");
}

TEST(Im7TypedScalars, GlobalNamesAreTakenLiterally)
{
  auto source = ImageBuffer(1);
  source->GetAttributeRoot()->AddChild(
      C_AttributeFactory::GetInstance().CreateAttribute(AttrPlane, C_AttributePlaneParam("TS:a.b", DT_Float, 2, 1)));
  auto target = ImageBuffer(1);
  ReadBlock(*target, WrittenBlock(*source));
  EXPECT_NE(target->GetAttributeRoot()->FindChild("TS:a.b"), nullptr);
  EXPECT_TRUE(C_TypedScalarGlobal(target.get(), "a.b").IsExisting());
}

TEST(Im7TypedScalars, OnlyStoredFramesAreInTheRecord)
{
  auto source = BufferWithTypedScalars(3);
  TempFile file;
  WriteTypedScalars(source.get(), file.get(), 0, 2);
  const Bytes bytes = file.All();
  EXPECT_EQ(I32At(bytes, 4 + 12), 2);
  auto target = ImageBuffer(2, kW, kH, kD);
  ReadBlock(*target, bytes);
  EXPECT_EQ(target->GetFrame(1)->GetValue(1, 2, 1, 1), 0.5 + 100 + 10 + 5);
}

TEST(Im7TypedScalars, PeakRatioOfFourChoiceFramesIsNoRecord)
{
  auto buffer = std::unique_ptr<I_Buffer>(CreateBuffer());
  buffer->AddVectorFrame2C(2, 2, 1, 4, DT_Float, 8)->CreateComponent("Peak ratio", DT_Float);
  EXPECT_FALSE(HasTypedScalars(buffer.get()));
  EXPECT_EQ(I32At(WrittenBlock(*buffer), 0), 0);

  auto single = std::unique_ptr<I_Buffer>(CreateBuffer());
  single->AddVectorFrame2C(2, 2, 1, 1, DT_Float, 8)->CreateComponent("Peak ratio", DT_Float);
  EXPECT_TRUE(HasTypedScalars(single.get()));
  const Bytes bytes = WrittenBlock(*single);
  EXPECT_EQ(I32At(bytes, 0), 1);
  EXPECT_EQ(TextAt(bytes, 4 + 28, 11), std::string("Peak ratio\0", 11));
}

TEST(Im7TypedScalars, DamagedRecords)
{
  auto buffer = ImageBuffer(1, 2, 1, 1);
  Bytes badFormat;
  AppendI32(badFormat, 1);
  const Bytes head = RecordHead(2, 1, 1, 1, 1, -2, "X");
  badFormat.insert(badFormat.end(), head.begin(), head.end());
  AppendI32(badFormat, 0);
  EXPECT_EQ(MessageOf([&] { ReadBlock(*buffer, badFormat); }), "TypedScalar_ReadSingle: Can't read data type -2");

  Bytes huge;
  AppendI32(huge, 1);
  const Bytes hugeHead = RecordHead(65536, 65536, 65536, 65536, 0, -5, "G");
  huge.insert(huge.end(), hugeHead.begin(), hugeHead.end());
  EXPECT_EQ(MessageOf([&] { ReadBlock(*buffer, huge); }),
            "Typed-scalar block: data of record G needs more than 2^64 bytes, file has 0.");
  EXPECT_EQ(MessageOf([&] { ReadBlock(*buffer, huge, 2); }),
            "Typed-scalar block: pack type word needs 4 bytes, file has 0.");
  AppendI32(huge, 2);
  EXPECT_EQ(MessageOf([&] { ReadBlock(*buffer, huge, 2); }),
            "Typed-scalar block: data of record G needs more than 2^64 unpacked bytes, file has 0.");

  Bytes wrongSize;
  AppendI32(wrongSize, 1);
  const Bytes wrongHead = RecordHead(3, 1, 1, 1, 1, -4, "TS:w");
  wrongSize.insert(wrongSize.end(), wrongHead.begin(), wrongHead.end());
  AppendText(wrongSize, std::string(6, '\0'));
  EXPECT_EQ(MessageOf([&] { ReadBlock(*buffer, wrongSize); }),
            "Typed-scalar block: record TS:w of 3 x 1 x 1 does not fit frame 0.");

  Bytes manyRecords;
  AppendI32(manyRecords, -1);
  EXPECT_EQ(MessageOf([&] { ReadBlock(*buffer, manyRecords); }),
            "Typed-scalar block: record head needs 4 bytes, file has 0.");
  Bytes longName;
  AppendI32(longName, 1);
  for (std::int32_t v : {1, 1, 1, 1, 1, -4, 1000})
    AppendI32(longName, v);
  EXPECT_EQ(MessageOf([&] { ReadBlock(*buffer, longName); }),
            "Typed-scalar block: record name needs 1001 bytes, file has 0.");
}

TEST(Im7TypedScalars, EveryPrefixOfABlockIsRefused)
{
  auto source = BufferWithTypedScalars();
  const Bytes bytes = WrittenBlock(*source);
  for (std::size_t size = 0; size < bytes.size(); ++size)
  {
    auto target = ImageBuffer(2, kW, kH, kD);
    const Bytes prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_THROW(ReadBlock(*target, prefix), RTE::Exception) << size;
  }
}

TEST(Im7ComponentScales, IndexInTheReadersFrameAndRoundTrip)
{
  auto source = ImageBuffer(3, kW, kH, 1);
  CreateTypedScalarFrameBound(source.get(), "A", DT_Float);
  CreateTypedScalarFrameBound(source.get(), "B", DT_UInt16);
  for (unsigned f = 0; f < 3; ++f)
  {
    // The mask sits between "PIXEL" and the typed scalars in the source too,
    // but the index is that of the reader's frame.
    source->GetFrame(f)->CreateValidMask();
    source->GetFrame(f)->CreateComponent("Flags", DT_UInt8);
  }
  EXPECT_FALSE(HasComponentScales(source.get()));
  source->GetFrame(2)->SetComponentScale(source->GetFrame(2)->GetComponentIndex("TS:B"),
                                         LinearScale(5.0, 1.0, "Pa", "pressure"));
  EXPECT_TRUE(HasComponentScales(source.get()));
  EXPECT_FALSE(HasComponentScales(source.get(), 2));

  TempFile file;
  WriteComponentScales(source.get(), file.get());
  const Bytes bytes = file.All();
  EXPECT_EQ(I32At(bytes, 0), 1);
  // "PIXEL" 0, "MASK" 1, "TS:A" 2, "TS:B" 3.
  EXPECT_EQ(I32At(bytes, 4), 3);
  EXPECT_EQ(I32At(bytes, 8), 11);
  EXPECT_EQ(TextAt(bytes, 12, 12), std::string("1 0\0counts\0\0", 12));
  const std::size_t third = 8 + 2 * (4 + 12);
  EXPECT_EQ(I32At(bytes, third), 15);
  EXPECT_EQ(TextAt(bytes, third + 4, 16), std::string("5 1\0Pa\0pressure\0", 16));
  EXPECT_EQ(bytes.size(), third + 4 + 16);

  // The reader's order: frames, mask, typed scalars, component scales.
  auto target = ImageBuffer(3, kW, kH, 1);
  for (unsigned f = 0; f < 3; ++f)
    target->GetFrame(f)->CreateValidMask();
  ReadBlock(*target, WrittenBlock(*source));
  ReadComponentScales(target.get(), file.get());
  EXPECT_EQ(target->GetFrame(2)->GetComponentName(3), "TS:B");
  ExpectScale(target->GetFrame(2)->GetComponentScale(3), 5.0, 1.0, "Pa", "pressure");
  ExpectScale(target->GetFrame(1)->GetComponentScale(3), 1.0, 0.0, "counts", "");
}

TEST(Im7ComponentScales, PeakRatioOfFourChoiceFramesFollowsTheFrameComponents)
{
  auto buffer = std::unique_ptr<I_Buffer>(CreateBuffer());
  for (int f = 0; f < 2; ++f)
    buffer->AddVectorFrame2C(2, 2, 1, 4, DT_Float, 8)->CreateComponent("Peak ratio", DT_Float);
  I_Frame* second = buffer->GetFrame(1);
  const int peak = second->GetComponentIndex("Peak ratio");
  second->SetComponentScale(peak, LinearScale(2.0, 0.0, "", ""));
  TempFile file;
  WriteComponentScales(buffer.get(), file.get());
  EXPECT_EQ(static_cast<std::size_t>(I32At(file.All(), 4)), static_cast<std::size_t>(peak));
}

TEST(Im7ComponentScales, DamagedBlocks)
{
  auto buffer = ImageBuffer(2);
  Bytes bytes;
  AppendI32(bytes, 1);
  AppendI32(bytes, 0);
  AppendI32(bytes, 1000);
  AppendText(bytes, "1 0");
  TempFile file(bytes);
  EXPECT_EQ(MessageOf([&] { ReadComponentScales(buffer.get(), file.get()); }),
            "Component-scale block: scale text needs 1001 bytes, file has 3.");

  // Lengths of 0 or less give the default scale; an index the frame lacks is passed over.
  Bytes lenient;
  AppendI32(lenient, 2);
  AppendI32(lenient, 0);
  AppendI32(lenient, 0);
  AppendText(lenient, std::string(1, '\0'));
  AppendI32(lenient, -1);
  AppendI32(lenient, 99);
  AppendI32(lenient, 3);
  AppendText(lenient, std::string("2 0\0", 4));
  AppendI32(lenient, -1);
  buffer->GetFrame(0)->SetComponentScale(0, LinearScale(7.0, 0.0, "", ""));
  TempFile lenientFile(lenient);
  ReadComponentScales(buffer.get(), lenientFile.get());
  ExpectScale(buffer->GetFrame(0)->GetComponentScale(0), 1.0, 0.0, "counts", "");

  auto source = ImageBuffer(2);
  CreateTypedScalarFrameBound(source.get(), "A", DT_Float);
  source->GetFrame(1)->SetComponentScale(1, LinearScale(3.0, 0.0, "mm", ""));
  TempFile written;
  WriteComponentScales(source.get(), written.get());
  const Bytes all = written.All();
  for (std::size_t size = 0; size < all.size(); ++size)
  {
    TempFile prefix(Bytes(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(size)));
    EXPECT_THROW(ReadComponentScales(buffer.get(), prefix.get()), RTE::Exception) << size;
  }
}
