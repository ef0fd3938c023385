#include <BufferApi.h>

#include "C_FrameProfile.h"
#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace BufferApi;
using namespace FrameTestHelpers;

namespace
{
using Values = std::vector<double>;

//! The x values and the profiles as rows, e.g. "0 1.5;0 0|0 7".
std::string Content(const C_FrameProfile& frame)
{
  return Rows(frame.GetXValuePlane()) + ";" + Rows(frame.GetProfilePlane());
}

const char* const kUnit = "Sources\\C_FrameProfile";
} // namespace

TEST(FrameProfile, NewFrameHasTwoZeroComponents)
{
  C_FrameProfile frame(3, 2, DT_Float);
  EXPECT_EQ(Summary(frame), "FT_PROFILE 3x2x1 XVALUES:Float,PROFILES:Float");
  EXPECT_EQ(frame.GetDataType(), DT_Float);
  EXPECT_EQ(frame.GetXValuePlane(), frame.GetPlane(0, 0));
  EXPECT_EQ(frame.GetProfilePlane(), frame.GetPlane(1, 0));
  EXPECT_EQ(Content(frame), "0 0 0;0 0 0|0 0 0");
}

TEST(FrameProfile, PointsAndValuesAreClampedAndStayInside)
{
  C_FrameProfile frame(4, 3, DT_Double);
  frame.SetPoint(1, 0.5, 1, 7.0);
  double x = -1, value = -1;
  frame.GetPoint(1, x, 1, value);
  EXPECT_EQ(x, 0.5);
  EXPECT_EQ(value, 7.0);
  frame.SetPointsAt(2, 3.0, {1, 2, 3, 4});
  EXPECT_EQ(frame.GetPointsAt(2, x), (Values{1, 2, 3}));
  EXPECT_EQ(x, 3.0);
  frame.SetValuesAt(2, {8, 9});
  EXPECT_EQ(frame.GetValuesAt(2), (Values{8, 9, 3}));
  // Outside the planes: zeros, and writes change nothing.
  frame.SetProfileValue(4, 0, 1.0);
  frame.SetProfileValue(0, 3, 1.0);
  frame.SetXValue(4, 1.0);
  EXPECT_EQ(frame.GetValuesAt(4), (Values{0, 0, 0}));
  EXPECT_EQ(frame.GetXValue(4), 0.0);
  EXPECT_EQ(Content(frame), "0 0 3 0;0 0 8 0|0 7 9 0|0 0 3 0");

  C_FrameProfile bytes(4, 2, DT_UInt8);
  bytes.SetProfileValue(0, 0, 300.0);
  bytes.SetXValue(1, -5.0);
  EXPECT_EQ(Content(bytes), "0 0 0 0;255 0 0 0|0 0 0 0");
}

TEST(FrameProfile, AddProfileKeepsRowsAndOneRowOfXValues)
{
  C_FrameProfile frame(3, 3, DT_Float);
  frame.GetProfilePlane()->SetDefaultValue(-1.0);
  frame.SetPointsAt(2, 4.0, {1, 2, 3});
  ASSERT_TRUE(frame.CreateValidMask());
  frame.AddProfile();
  EXPECT_EQ(SizeOf(frame), "3x4x1");
  EXPECT_EQ(Content(frame), "0 0 4;0 0 1|0 0 2|0 0 3|-1 -1 -1");
  // Other components follow the height, the mask too.
  EXPECT_EQ(frame.GetPlane(frame.GetComponentIndex("MASK"), 0)->GetHeight(), 4u);
  EXPECT_TRUE(frame.IsValid(2, 3, 0));
  frame.SetNumberOfProfiles(2);
  EXPECT_EQ(SizeOf(frame), "3x2x1");
  EXPECT_EQ(Content(frame), "0 0 4;0 0 1|0 0 2");
}

TEST(FrameProfile, ClearZeroesFillAndRegionCopiesDoNothing)
{
  C_FrameProfile frame(4, 2, DT_Int32);
  frame.SetPoint(1, 3.0, 1, 5.0);
  C_FrameProfile other(4, 2, DT_Int32);
  other.SetPoint(1, 9.0, 1, 9.0);
  frame.Fill(1.0);
  frame.CopyData(0, &other, 0);
  frame.CopyRegion(0, 0, 0, &other, 0, 0, 3, 1, 0);
  EXPECT_EQ(Content(frame), "0 3 0 0;0 0 0 0|0 5 0 0");
  frame.Clear();
  EXPECT_EQ(Content(frame), "0 0 0 0;0 0 0 0|0 0 0 0");
}

TEST(FrameProfile, ProtectedComponents)
{
  C_FrameProfile frame(4, 2, DT_Float);
  frame.CreateComponent("Extra", DT_UInt16, nullptr);
  ASSERT_TRUE(frame.CreateValidMask());
  for (const char* name : {"XVALUES", "PROFILES", "MASK", "Missing"})
  {
    const RTE::Exception e = ExceptionOf([&] { frame.ChangeComponentDataType(name, DT_Double, true); });
    EXPECT_STREQ(e.what(), "Changing of data type of this component now allowed.") << name;
    EXPECT_EQ(e.file().toStdString(), kUnit) << name;
    if (frame.GetComponentIndex(name) >= 0)
    {
      EXPECT_FALSE(frame.IsComponentDeletable(frame.GetComponentIndex(name))) << name;
      EXPECT_EQ(MessageOf([&] { frame.DeleteComponent(name); }), "This component must not be deleted.");
    }
  }
  frame.ChangeComponentDataType("Extra", DT_Double, false);
  EXPECT_EQ(frame.GetComponentDataType(2), DT_Double);
  frame.DeleteComponent("Extra");
  EXPECT_EQ(Summary(frame), "FT_PROFILE 4x2x1 XVALUES:Float,PROFILES:Float,MASK:UInt8");
  EXPECT_NE(frame.GetProfilePlane(), nullptr);
}

TEST(FrameProfile, CloneAndEquality)
{
  C_FrameProfile frame(3, 2, DT_Double);
  frame.SetName("profiles");
  frame.SetPoint(2, 1.0, 1, 3.0);
  frame.CreateComponent("Extra", DT_UInt8, nullptr);

  std::unique_ptr<I_Frame> full(frame.Clone(true));
  auto& fullProfile = dynamic_cast<C_FrameProfile&>(*full);
  EXPECT_EQ(Content(fullProfile), "0 0 1;0 0 0|0 0 3");
  EXPECT_NE(fullProfile.GetProfilePlane(), frame.GetProfilePlane());
  EXPECT_TRUE(frame.IsEqual(full.get()));

  std::unique_ptr<I_Frame> empty(frame.Clone(false));
  auto& emptyProfile = dynamic_cast<C_FrameProfile&>(*empty);
  EXPECT_EQ(emptyProfile.GetName(), "profiles");
  EXPECT_EQ(Summary(emptyProfile), "FT_PROFILE 3x2x1 XVALUES:Double,PROFILES:Double,Extra:UInt8");
  EXPECT_EQ(Content(emptyProfile), "0 0 0;0 0 0|0 0 0");
  EXPECT_TRUE(frame.IsEqual(empty.get()));

  std::unique_ptr<I_FrameImage> image(CreateImageFrame(DT_Double, 3, 2, 1));
  EXPECT_FALSE(frame.IsSameType(image.get()));
  EXPECT_FALSE(frame.IsEqual(image.get()));
}

TEST(FrameProfile, FactoryCreatorNeedsProfileParameters)
{
  const C_FrameProfileParam param(8, 2, DT_UInt16);
  EXPECT_EQ(param.GetDepth(), 1u);
  std::unique_ptr<I_Frame> frame(C_FrameFactory::GetInstance().Create("FT_PROFILE", &param));
  EXPECT_EQ(Summary(*frame), "FT_PROFILE 8x2x1 XVALUES:UInt16,PROFILES:UInt16");
  std::unique_ptr<C_FrameBaseParam> own(dynamic_cast<C_FrameProfile&>(*frame).CreateFrameParam());
  auto& ownProfile = dynamic_cast<C_FrameProfileParam&>(*own);
  EXPECT_EQ(ownProfile.GetWidth(), 8u);
  EXPECT_EQ(ownProfile.GetHeight(), 2u);
  EXPECT_EQ(ownProfile.GetDataType(), DT_UInt16);

  // Another parameter class: the creator refuses and logs, the factory answers null.
  const C_FrameImageParam image(8, 2, 1, DT_UInt16);
  EXPECT_EQ(C_FrameFactory::GetInstance().Create("FT_PROFILE", &image), nullptr);
  std::vector<std::string> logged;
  RTE::LogHandler previous = RTE::SetLogHandler([&](const RTE::Exception& e)
                                                { logged.push_back(e.what() + (" @" + e.file().toStdString())); });
  const C_FrameVectorParam vectorParam(4, 4, 1, DT_Float, 1);
  I_Frame* refused = C_FrameFactory::GetInstance().Create("FT_PROFILE", &vectorParam);
  RTE::SetLogHandler(previous);
  EXPECT_EQ(refused, nullptr);
  EXPECT_EQ(logged,
            std::vector<std::string>{"Wrong parameter type, bit plane could not be created. @" + std::string(kUnit)});
}

TEST(FrameProfile, FailedConstructionRaisesAndReleasesWhatWasBuilt)
{
  const RTE::Exception e = ExceptionOf([] { C_FrameProfile(4, 2, DT_Bool); });
  EXPECT_STREQ(e.what(), "The x-values component could not be created.");
  EXPECT_EQ(e.file().toStdString(), kUnit);
  // The x values (2^20 doubles) are made, the profiles (2^40 doubles) are
  // refused; the sanitizer run checks that the x values are released.
  EXPECT_EQ(MessageOf([] { C_FrameProfile(1u << 20, 1u << 20, DT_Double); }),
            "The profiles component could not be created.");
}
