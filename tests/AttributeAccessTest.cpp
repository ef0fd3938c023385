// Flat-name attribute access: name splitting, type reports, conversions,
// listing order, the frame facade and (with buffers) the buffer facade.

#include "C_Attribute.h"
#include "C_AttributeNode.h"
#include "C_AttributePlane.h"
#include "C_AttributeScale.h"
#include "FrameTestHelpers.h"

#include <BufferApi/Attributes.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/C_PlaneFactory.h>
#include <BufferApi/FrameCreation.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_Frame.h>
#include <BufferApi/I_PlaneBase.h>

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace BufferApi;
using FrameTestHelpers::MessageOf;

namespace
{
struct Split
{
  bool ok;
  std::string name;
  int index;
};

Split SplitName(const std::string& fullName)
{
  Split s{false, "unset", 99};
  s.ok = Attributes::GetFrameIndexAndName(fullName, s.name, s.index);
  return s;
}

//! A plane attribute of width values.size() and height 1 holding the values.
template <typename T>
std::unique_ptr<C_AttributePlane> MakeArray(const std::vector<T>& values)
{
  auto attribute =
      std::make_unique<C_AttributePlane>("arr", CreatePlane(GetDataType<T>(), static_cast<unsigned>(values.size()), 1));
  for (unsigned i = 0; i < values.size(); ++i)
    attribute->GetPlane()->SetValue(i, 0, static_cast<double>(values[i]));
  return attribute;
}

//! The single value that GetArrayData writes for `attribute` as `type`.
template <typename T>
T Read(I_AttributeBase* attribute, E_DataType type, unsigned count = 1)
{
  T value{};
  EXPECT_EQ(Attributes::GetArrayData(attribute, count, type, &value), 1);
  return value;
}

std::vector<std::string> ListNames(I_AttributeBase* root, const std::string& suffix)
{
  std::vector<std::string> names;
  std::vector<I_AttributeBase*> attributes;
  Attributes::GetList(root, true, "ignored.", suffix, names, attributes);
  EXPECT_EQ(names.size(), attributes.size());
  return names;
}
} // namespace

TEST(AttributeAccessNames, SplitTable)
{
  struct Row
  {
    const char* in;
    bool ok;
    const char* name;
    int index;
  };
  const Row rows[] = {
      {"Exposure12", true, "Exposure", 12},
      {"Exposure", true, "Exposure", -1},
      {"ExpPathValue_dt1", true, "ExpPathValue_dt1", -1},
      {"Geo2", true, "Geo2", -1},
      {"geo2", true, "geo", 2}, // prefixes are case-sensitive
      {"TS:Velocity", false, "TS:Velocity", -1},
      {"7", false, "7", -1},
      {"77", true, "", 77},
      {"a.b3", true, "a.b", 3},
      {"a1.b", true, "a1.b", -1},
      {"Cam007", true, "Cam", 7},
      {"A2147483647", true, "A", INT_MAX},
      // A digit run beyond int is an unreachable index.
      {"A2147483648", true, "A", INT_MAX},
  };
  for (const Row& row : rows)
  {
    const Split s = SplitName(row.in);
    EXPECT_EQ(s.ok, row.ok) << row.in;
    EXPECT_EQ(s.name, row.name) << row.in;
    EXPECT_EQ(s.index, row.index) << row.in;
  }
}

TEST(AttributeAccessTypes, ReportedTypes)
{
  EXPECT_EQ(Attributes::GetType(nullptr), BufAttr_Unknown);
  EXPECT_EQ(Attributes::GetType(std::make_unique<C_Attribute<std::string>>("s").get()), BufAttr_String);
  EXPECT_EQ(Attributes::GetType(std::make_unique<C_Attribute<double>>("d").get()), BufAttr_Double);
  EXPECT_EQ(Attributes::GetType(std::make_unique<C_Attribute<float>>("f").get()), BufAttr_Float);
  EXPECT_EQ(Attributes::GetType(std::make_unique<C_Attribute<int>>("i").get()), BufAttr_Int);
  EXPECT_EQ(Attributes::GetType(std::make_unique<C_Attribute<unsigned short>>("w").get()), BufAttr_Word);
  EXPECT_EQ(Attributes::GetType(std::make_unique<C_Attribute<unsigned int>>("u").get()), BufAttr_Unknown);
  EXPECT_EQ(Attributes::GetType(std::make_unique<C_AttributePlane>("empty").get()), BufAttr_Unknown);
  EXPECT_EQ(Attributes::GetType(MakeArray<double>({1}).get()), BufAttr_Double);
  EXPECT_EQ(Attributes::GetType(MakeArray<unsigned char>({1}).get()), BufAttr_Unknown);
}

TEST(AttributeAccessConversions, ScalarsTruncateSaturateAndKeepLow16Bits)
{
  C_Attribute<double> negative("d", -1.7);
  C_Attribute<float> big("f", 70000.9f);
  C_Attribute<int> wide("i", -2);
  C_Attribute<unsigned short> word("w", 65535);
  C_Attribute<double> huge("h", 1e20);
  EXPECT_EQ(Read<int>(&negative, DT_Int32), -1);
  EXPECT_EQ(Read<unsigned short>(&negative, DT_UInt16), 65535);
  EXPECT_EQ(Read<unsigned short>(&big, DT_UInt16), 70000 - 65536);
  EXPECT_EQ(Read<unsigned short>(&wide, DT_UInt16, 5), 65534); // a scalar counts one whatever the count
  // Values beyond int saturate instead of being undefined.
  EXPECT_EQ(Read<int>(&huge, DT_Int32), INT_MAX);
}

TEST(AttributeAccessConversions, NothingWrittenCases)
{
  int out = 42;
  C_Attribute<double> value("d", 3.0);
  EXPECT_EQ(Attributes::GetArrayData(nullptr, 1, DT_Int32, &out), 0);
  EXPECT_EQ(Attributes::GetArrayData(&value, 0, DT_Int32, &out), 0);
  EXPECT_EQ(out, 42);
  // Without a usable destination a scalar still counts one.
  EXPECT_EQ(Attributes::GetArrayData(&value, 1, DT_UInt8, &out), 1);
  C_Attribute<std::string> text("s", "12");
  C_Attribute<unsigned int> unsignedValue("u", 7);
  C_AttributeNode node("n");
  C_AttributeScale scale("sc");
  for (I_AttributeBase* attribute : std::vector<I_AttributeBase*>{&text, &unsignedValue, &node, &scale})
    EXPECT_EQ(Attributes::GetArrayData(attribute, 1, DT_Int32, &out), 0) << attribute->GetName();
  EXPECT_EQ(out, 42);
}

TEST(AttributeAccessConversions, PlanesRowMajorAndClippedToCount)
{
  auto attribute = std::make_unique<C_AttributePlane>("p", CreatePlane(DT_Int32, 3, 2));
  for (unsigned y = 0; y < 2; ++y)
    for (unsigned x = 0; x < 3; ++x)
      attribute->GetPlane()->SetValue(x, y, -(10.0 * y + x) - 1);
  int out[8] = {0, 0, 0, 0, 0, 0, 99, 99};
  EXPECT_EQ(Attributes::GetArrayData(attribute.get(), 8, DT_Int32, out), 6);
  EXPECT_EQ(std::vector<int>(out, out + 8), (std::vector<int>{-1, -2, -3, -11, -12, -13, 99, 99}));
  // Without destination: the whole element count.
  EXPECT_EQ(Attributes::GetArrayData(attribute.get(), 1, DT_Bool, out), 6);

  // A plane of another element type counts but writes nothing.
  auto bytes = MakeArray<unsigned char>({5, 6});
  int untouched[2] = {42, 42};
  EXPECT_EQ(Attributes::GetArrayData(bytes.get(), 2, DT_Int32, untouched), 2);
  EXPECT_EQ(untouched[0], 42);

  C_AttributePlane empty("e");
  EXPECT_EQ(Attributes::GetArrayData(&empty, 2, DT_Int32, untouched), 0);

  // Plane sizes; 0 x 0 for anything else.
  unsigned w = 9;
  unsigned h = 9;
  Attributes::GetPlaneSize(attribute.get(), w, h);
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(3u, 2u));
}

TEST(AttributeAccessList, DepthFirstSiblingsReversedSuffixAtEnd)
{
  C_AttributeNode root("root");
  I_AttributeBase::CreatePath(&root, "Info", new C_Attribute<std::string>("x", "i"));
  I_AttributeBase::CreatePath(&root, "Grp.Val", new C_Attribute<int>("x", 1));
  I_AttributeBase::CreatePath(&root, "Grp.Sub.Deep", new C_Attribute<double>("x", 1));
  I_AttributeBase::CreatePath(&root, "Leaf", new C_Attribute<float>("x", 1));
  I_AttributeBase::CreatePath(&root, "Leaf.Child", new C_Attribute<float>("x", 1));
  I_AttributeBase::CreatePath(&root, "TS:Hidden", new C_Attribute<float>("x", 1));
  I_AttributeBase::CreatePath(&root, "Grp.TS:Inner.Below", new C_Attribute<float>("x", 1));

  EXPECT_EQ(ListNames(&root, "2"),
            (std::vector<std::string>{"Leaf2", "Leaf.Child2", "Grp.Sub.Deep2", "Grp.Val2", "Info2"}));
  EXPECT_EQ(ListNames(&root, ""), (std::vector<std::string>{"Leaf", "Leaf.Child", "Grp.Sub.Deep", "Grp.Val", "Info"}));

  // Below the root the prefix is used and the node itself is listed.
  std::vector<std::string> names;
  std::vector<I_AttributeBase*> attributes;
  Attributes::GetList(root.FindChild("Leaf"), false, "pre.", "7", names, attributes);
  EXPECT_EQ(names, (std::vector<std::string>{"pre.Leaf7", "pre.Leaf.Child7"}));
  EXPECT_EQ(attributes[0], root.FindChild("Leaf"));
}

TEST(FrameAttributes, StringsArraysAndRemoval)
{
  EXPECT_EQ(MessageOf<RTE::Exception>([] { C_FrameAttributes attributes(nullptr); }),
            "Empty frame not allowed for C_FrameAttributes");
  std::unique_ptr<I_Frame> frame(CreateImageFrame(DT_UInt16, 4, 4, 1));
  ASSERT_TRUE(frame);
  C_FrameAttributes attributes(frame.get());

  EXPECT_FALSE(attributes.SetString("", "x"));
  EXPECT_TRUE(attributes.SetString("Cam.Name7", "x"));
  // Frame paths are never split into a frame index.
  EXPECT_EQ(attributes.GetString("Cam.Name7"), "x");

  const double values[] = {1.5, -2.5, 3.5};

  // An unsupported type still replaces the attribute, but stores no values.
  const unsigned char bytes[] = {9, 9, 9};
  EXPECT_FALSE(attributes.SetArray("Arr", 3, DT_UInt8, bytes));
  EXPECT_EQ(attributes.GetType("Arr"), BufAttr_Unknown);
  EXPECT_TRUE(attributes.SetArray("Zero", 0, DT_Float, values));

  attributes.SetString("Camera", "1");
  attributes.SetString("CamName", "c");
  attributes.SetString("Cam.Camera", "keep");
  attributes.SetString("Other", "o");
  attributes.Remove("Cam*ignored");
  std::vector<std::string> names;
  std::vector<I_AttributeBase*> found;
  attributes.GetList(names, found);
  EXPECT_EQ(names, (std::vector<std::string>{"Other", "Zero", "Arr"}));

  attributes.RemoveAll();
  attributes.GetList(names, found);
  EXPECT_TRUE(names.empty());
}
