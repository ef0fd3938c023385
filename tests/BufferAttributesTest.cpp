// The buffer facade of the flat-name attribute access and the helpers that
// work on whole buffers: copying, path values, camera mapping, frame times.

#include "FrameTestHelpers.h"

#include <BufferApi/Attributes.h>
#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/C_CameraFrameMapping.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/C_FrameTimesHelper.h>
#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_AttributeBase.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace BufferApi;
using FrameTestHelpers::MessageOf;

namespace
{
std::unique_ptr<I_Buffer> BufferWithFrames(unsigned frames)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  for (unsigned i = 0; i < frames; ++i)
    EXPECT_NE(buffer->AddImageFrame(2, 2, 1, DT_UInt16), nullptr);
  return buffer;
}

std::vector<std::string> Names(const C_BufferAttributes& attributes)
{
  std::vector<std::string> names;
  std::vector<I_AttributeBase*> found;
  attributes.GetList(names, found);
  return names;
}

std::string FrameString(I_Buffer& buffer, unsigned frame, const char* path)
{
  return C_FrameAttributes(buffer.GetFrame(frame)).GetString(path);
}

using Texts = std::vector<std::string>;

//! The string at `path` of every frame of the buffer.
Texts Column(I_Buffer& buffer, const char* path)
{
  Texts texts;
  for (unsigned i = 0; i < buffer.GetNumberOfFrames(); ++i)
    texts.push_back(FrameString(buffer, i, path));
  return texts;
}
} // namespace

TEST(BufferAttributes, ListingOrderWithFrames)
{
  EXPECT_EQ(MessageOf<RTE::Exception>([] { C_BufferAttributes attributes(nullptr); }),
            "Empty buffer not allowed for C_BufferAttributes");
  auto buffer = BufferWithFrames(2);
  C_BufferAttributes attributes(buffer.get());
  EXPECT_TRUE(attributes.SetString("Info", "g"));
  EXPECT_TRUE(attributes.SetString("Info1", "f"));
  C_FrameAttributes(buffer->GetFrame(1)).SetString("Grp.Val", "v");
  EXPECT_EQ(Names(attributes), (std::vector<std::string>{"Info", "Grp.Val1", "Info1"}));

  std::string name;
  std::string value;
  EXPECT_TRUE(attributes.GetN(1, name, value));
  EXPECT_EQ(name, "Grp.Val1");
  EXPECT_EQ(value, "v");
  EXPECT_FALSE(attributes.GetN(3, name, value));
}

TEST(BufferAttributes, StringsGlobalAndPerFrame)
{
  auto buffer = BufferWithFrames(3);
  C_BufferAttributes attributes(buffer.get());
  for (const char* name : {"Name5", "Name99999999999", "TS:Name", "7", "22"})
    EXPECT_FALSE(attributes.SetString(name, "x")) << name;
  EXPECT_TRUE(attributes.SetString("02", "x")); // digits only: nothing stored
  EXPECT_TRUE(Names(attributes).empty());

  EXPECT_TRUE(attributes.SetString("Exposure2", "5 ms"));
  EXPECT_EQ(FrameString(*buffer, 2, "Exposure"), "5 ms");
  EXPECT_EQ(attributes.GetString("Exposure2"), "5 ms");

  EXPECT_TRUE(attributes.SetString("ExpPathValue_dt1", "g"));
  EXPECT_NE(buffer->FindAttribute("ExpPathValue_dt1"), nullptr);
}

TEST(BufferAttributes, ArraysRoundTrip)
{
  auto buffer = BufferWithFrames(1);
  C_BufferAttributes attributes(buffer.get());
  const float values[] = {1.5f, 2.5f, 3.5f};
  EXPECT_TRUE(attributes.SetArray("Arr", 3, DT_Float, values));
  int out[10] = {};
  EXPECT_EQ(attributes.GetArray("Arr", 10, DT_Int32, out), 3);
  EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{1, 2, 3, 0}));
  std::string name;
  unsigned count = 0;
  BufAttr_Type type = BufAttr_Unknown;
  EXPECT_TRUE(attributes.GetInfoN(0, name, count, type));
  EXPECT_EQ(std::make_tuple(name, count, type), std::make_tuple("Arr", 3u, BufAttr_Float));

  // Replacing an attribute of another kind.
  attributes.SetString("S", "text");
  const int ints[] = {-4};
  EXPECT_TRUE(attributes.SetArray("S", 1, DT_Int32, ints));
  EXPECT_EQ(attributes.GetType("S"), BufAttr_Int);

  const unsigned char bytes[] = {1};
  EXPECT_FALSE(attributes.SetArray("B", 1, DT_UInt8, bytes));
  EXPECT_FALSE(attributes.SetArray("C", 1, DT_Int32, nullptr));
  EXPECT_FALSE(attributes.SetArray("D4", 1, DT_Int32, ints));

  // An array name never acts as a removal prefix.
  attributes.SetString("Keep", "k");
  EXPECT_TRUE(attributes.SetArray("K*", 1, DT_Int32, ints));
  EXPECT_EQ(attributes.GetString("Keep"), "k");
}

TEST(BufferAttributes, PrefixRemovalOnlyAtTheTopLevel)
{
  auto buffer = BufferWithFrames(2);
  C_BufferAttributes attributes(buffer.get());
  for (const char* name : {"Camera", "CamName", "Grp.Camera", "Other", "Camera0", "CamName1", "Grp.Cam1"})
    attributes.SetString(name, "x");
  attributes.Remove("Cam*5");
  EXPECT_EQ(Names(attributes), (std::vector<std::string>{"Other", "Grp.Camera", "Grp.Cam1"}));

  attributes.Remove("Grp.Camera");
  attributes.Remove("Grp.Cam1");
  EXPECT_EQ(Names(attributes), (std::vector<std::string>{"Other"}));
  attributes.SetString("F1", "y");
  attributes.RemoveAll();
  EXPECT_TRUE(Names(attributes).empty());
}

TEST(BufferAttributes, RenameKeepsTheParent)
{
  auto buffer = BufferWithFrames(2);
  C_BufferAttributes attributes(buffer.get());
  attributes.SetString("A", "a");
  attributes.SetString("B", "b");
  EXPECT_FALSE(attributes.Rename("A", "B"));
  EXPECT_TRUE(attributes.Rename("A", "C"));
  EXPECT_EQ(attributes.GetString("C"), "a");

  attributes.SetString("A1", "frame");
  EXPECT_TRUE(attributes.Rename("A1", "B1"));
  EXPECT_EQ(FrameString(*buffer, 1, "B1"), "frame");

  attributes.SetString("G.X", "deep");
  EXPECT_TRUE(attributes.Rename("G.X", "H.Y"));
  EXPECT_EQ(buffer->FindAttribute("G")->FindChild("H.Y")->GetName(), "H.Y");
}

TEST(BufferAttributes, CopyBetweenBuffers)
{
  auto source = BufferWithFrames(2);
  auto target = BufferWithFrames(1);
  C_BufferAttributes from(source.get());
  from.SetString("Plain", "p");
  from.SetString("_Hidden", "h");
  from.SetString("F0", "frame0");
  from.SetString("F1", "frame1");
  source->CreateAttribute("TS:x", AttrDouble);
  C_BufferAttributes to(target.get());
  to.SetString("Plain", "old");

  EXPECT_TRUE(Attributes::Copy(source.get(), target.get(), true, true, false));
  EXPECT_EQ(to.GetString("Plain"), "p");
  EXPECT_EQ(target->FindAttribute("_Hidden"), nullptr);
  EXPECT_EQ(target->FindAttribute("TS:x"), nullptr);
  EXPECT_EQ(to.GetString("F0"), "frame0");
  EXPECT_EQ(target->GetAttributeRoot()->GetNumberOfChildren(), 1u);

  auto all = BufferWithFrames(0);
  EXPECT_TRUE(Attributes::Copy(source.get(), all.get(), true, false, true));
  EXPECT_NE(all->FindAttribute("_Hidden"), nullptr);

  EXPECT_TRUE(Attributes::Copy(source.get(), 1, target.get(), 0));
  EXPECT_EQ(to.GetString("F0"), "frame1");
  EXPECT_FALSE(Attributes::Copy(source.get(), 2, target.get(), 0));
}

TEST(BufferAttributes, PathValues)
{
  auto buffer = BufferWithFrames(0);
  C_BufferAttributes attributes(buffer.get());
  EXPECT_EQ(CreateAttributesFromPathValues(buffer.get(), "C:/run/dt=10_T=25.set", true), 2);
  EXPECT_EQ(attributes.GetString("ExpPathValue_dt"), "10");
  EXPECT_EQ(attributes.GetString("ExpPathValue_T"), "25");

  auto other = BufferWithFrames(0);
  C_BufferAttributes otherAttributes(other.get());
  EXPECT_EQ(CreateAttributesFromPathValues(other.get(), "D:\\a.b=1.5\\x:c=2.im7", false), 2);
  EXPECT_EQ(otherAttributes.GetString("ExpPathValue_b"), "1.5");
  EXPECT_EQ(otherAttributes.GetString("ExpPathValue_c"), "2.im7");
  EXPECT_EQ(CreateAttributesFromPathValues(other.get(), "k=", true), 1);
  EXPECT_EQ(CreateAttributesFromPathValues(other.get(), "no values here", true), 0);
}

TEST(CameraFrameMapping, CamerasAndFrames)
{
  EXPECT_EQ(MessageOf<RTE::Exception>([] { C_CameraFrameMapping mapping(nullptr); }), "Buffer must not be NULL.");
  auto buffer = BufferWithFrames(4);
  C_BufferAttributes attributes(buffer.get());
  attributes.SetString("CameraName0", "1");
  attributes.SetString("CameraName1", "2 (right)");
  attributes.SetString("CameraName3", " 1");
  C_CameraFrameMapping mapping(buffer.get());
  EXPECT_EQ(mapping.GetCameraOfFrame(1), 2);
  EXPECT_EQ(mapping.GetCameraOfFrame(2), -1);
  EXPECT_EQ(mapping.GetFramesOfCamera(1), (std::vector<unsigned>{0, 3}));
  EXPECT_EQ(mapping.GetFramesOfCamera(-1), (std::vector<unsigned>{2}));

  EXPECT_EQ(C_FrameTimesHelper(buffer.get(), 4).GetFrame(), nullptr);
}

TEST(DeriveFrameTimes, LinesPivDtAndCameraCounters)
{
  auto buffer = BufferWithFrames(5);
  C_BufferAttributes attributes(buffer.get());
  attributes.SetString("FrameTimes", "10 us\n\n\n");
  attributes.SetString("PivDt", "250 us");
  for (unsigned k = 0; k < 5; ++k)
    attributes.SetString("CameraName" + std::to_string(k), k < 4 ? "1" : "12");
  attributes.SetString("AcqTime3", "kept");
  attributes.SetString("AcqTimeSeries2", "own");

  EXPECT_TRUE(DeriveFrameTimes(buffer.get()));
  // Camera 1 counts frames 0..3; frame 4 (camera 12) uses the last counter.
  EXPECT_EQ(Column(*buffer, "AcqTime"), (Texts{"10 us", "250 us", "0 us", "kept", "0 us"}));
  const std::string none = "no acquisition time series value";
  EXPECT_EQ(Column(*buffer, "AcqTimeSeries"), (Texts{none, none, "own", none, none}));
  EXPECT_EQ(buffer->FindAttribute("FrameTimes"), nullptr);
}

TEST(DeriveFrameTimes, SeriesTextFromInt32)
{
  auto buffer = BufferWithFrames(2);
  const auto setInt = [&](const char* name, int value)
  { dynamic_cast<I_Attribute<int>*>(buffer->CreateAttribute(name, AttrInt32))->SetValue(value); };
  setInt("AcqTimeSeries", 12);
  C_FrameAttributes(buffer->GetFrame(1)).SetString("AcqTimeSeries", "replaced");
  EXPECT_TRUE(DeriveFrameTimes(buffer.get()));
  EXPECT_EQ(Column(*buffer, "AcqTimeSeries"), (Texts{"12000000", "12000000"}));
  setInt("AcqTimeSeriesFraction", 345999);
  DeriveFrameTimes(buffer.get());
  EXPECT_EQ(FrameString(*buffer, 0, "AcqTimeSeries"), "12000345");
  setInt("AcqTimeSeries", 0);
  DeriveFrameTimes(buffer.get());
  EXPECT_EQ(FrameString(*buffer, 0, "AcqTimeSeries"), "345");

  // A string "AcqTimeSeries" is no series source.
  auto plain = BufferWithFrames(1);
  C_BufferAttributes(plain.get()).SetString("AcqTimeSeries", "99");
  EXPECT_TRUE(DeriveFrameTimes(plain.get()));
  EXPECT_EQ(FrameString(*plain, 0, "AcqTimeSeries"), "no acquisition time series value");

  // Only the first 32 frames.
  auto many = BufferWithFrames(33);
  EXPECT_TRUE(DeriveFrameTimes(many.get()));
  EXPECT_EQ(FrameString(*many, 32, "AcqTime") + FrameString(*many, 32, "AcqTimeSeries"), "");
}
