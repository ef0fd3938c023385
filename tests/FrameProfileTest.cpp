#include <BufferApi.h>

#include "C_FrameProfile.h"
#include "PlaneTestHelpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace BufferApi;
using PlaneTestHelpers::Raised;

namespace
{
std::unique_ptr<C_FrameProfile> NewFrame(unsigned width = 100, unsigned height = 3, E_DataType type = DT_Float)
{
  return std::make_unique<C_FrameProfile>(width, height, type);
}
} // namespace

TEST(FrameProfile, NewFrameHasTwoZeroComponents)
{
  auto frame = NewFrame();
  EXPECT_EQ(frame->GetFrameType(), "FT_PROFILE");
  EXPECT_EQ(I_FrameProfile::FT_PROFILE, "FT_PROFILE");
  EXPECT_EQ(frame->GetWidth(), 100u);
  EXPECT_EQ(frame->GetHeight(), 3u);
  EXPECT_EQ(frame->GetDepth(), 1u);
  ASSERT_EQ(frame->GetNumberOfComponents(), 2u);
  EXPECT_EQ(frame->GetComponentName(0), I_FrameProfile::COMPONENT_XVALUES);
  EXPECT_EQ(frame->GetComponentName(1), I_FrameProfile::COMPONENT_PROFILES);
  EXPECT_EQ(I_FrameProfile::COMPONENT_XVALUES, "XVALUES");
  EXPECT_EQ(I_FrameProfile::COMPONENT_PROFILES, "PROFILES");
  ASSERT_TRUE(frame->GetXValuePlane() && frame->GetProfilePlane());
  EXPECT_EQ(frame->GetXValuePlane(), frame->GetPlane(0, 0));
  EXPECT_EQ(frame->GetProfilePlane(), frame->GetPlane(1, 0));
  EXPECT_EQ(frame->GetXValuePlane()->GetWidth(), 100u);
  EXPECT_EQ(frame->GetXValuePlane()->GetHeight(), 1u);
  EXPECT_EQ(frame->GetProfilePlane()->GetHeight(), 3u);
  EXPECT_EQ(frame->GetDataType(), DT_Float);
  EXPECT_EQ(frame->GetXValuePlane()->GetDataType(), DT_Float);
  EXPECT_EQ(frame->GetProfileValue(99, 2), 0.0);
  EXPECT_EQ(frame->GetXValue(99), 0.0);
}

TEST(FrameProfile, PointsAndValues)
{
  auto frame = NewFrame(10, 3, DT_Double);
  frame->SetPoint(4, 0.5, 1, 7.0);
  double x = -1, value = -1;
  frame->GetPoint(4, x, 1, value);
  EXPECT_EQ(x, 0.5);
  EXPECT_EQ(value, 7.0);
  EXPECT_EQ(frame->GetXValuePlane()->GetValue(4, 0), 0.5);
  EXPECT_EQ(frame->GetProfilePlane()->GetValue(4, 1), 7.0);

  frame->SetPointsAt(5, 1.5, {1, 2, 3, 4});
  x = 0;
  EXPECT_EQ(frame->GetPointsAt(5, x), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(x, 1.5);

  frame->SetValuesAt(5, {8, 9});
  EXPECT_EQ(frame->GetValuesAt(5), (std::vector<double>{8, 9, 3}));
  // Outside the planes: zeros, and writes change nothing.
  EXPECT_EQ(frame->GetValuesAt(10), (std::vector<double>{0, 0, 0}));
  frame->SetProfileValue(10, 0, 1.0);
  frame->SetProfileValue(0, 3, 1.0);
  frame->SetXValue(10, 1.0);
  EXPECT_EQ(frame->GetProfileValue(10, 0), 0.0);
  EXPECT_EQ(frame->GetXValue(10), 0.0);
}

TEST(FrameProfile, ValuesAreClampedToTheElementType)
{
  auto frame = NewFrame(4, 2, DT_UInt8);
  frame->SetProfileValue(0, 0, 300.0);
  frame->SetXValue(1, -5.0);
  EXPECT_EQ(frame->GetProfileValue(0, 0), 255.0);
  EXPECT_EQ(frame->GetXValue(1), 0.0);
}

TEST(FrameProfile, AddProfileKeepsRowsAndOneRowOfXValues)
{
  auto frame = NewFrame(100, 3, DT_Float);
  frame->GetProfilePlane()->SetDefaultValue(-1.0);
  for (unsigned k = 0; k < 3; ++k)
    frame->SetProfileValue(99, k, k + 1.0);
  frame->SetXValue(99, 4.0);
  ASSERT_TRUE(frame->CreateValidMask());

  frame->AddProfile();
  EXPECT_EQ(frame->GetHeight(), 4u);
  ASSERT_NE(frame->GetProfilePlane(), nullptr);
  EXPECT_EQ(frame->GetProfilePlane()->GetHeight(), 4u);
  EXPECT_EQ(frame->GetValuesAt(99), (std::vector<double>{1, 2, 3, -1}));
  EXPECT_EQ(frame->GetXValuePlane()->GetHeight(), 1u);
  EXPECT_EQ(frame->GetXValue(99), 4.0);
  // Other components follow the height, the mask too.
  EXPECT_EQ(frame->GetPlane(frame->GetComponentIndex("MASK"), 0)->GetHeight(), 4u);
  EXPECT_TRUE(frame->IsValid(99, 3, 0));

  frame->SetNumberOfProfiles(2);
  EXPECT_EQ(frame->GetHeight(), 2u);
  EXPECT_EQ(frame->GetValuesAt(99), (std::vector<double>{1, 2}));
  EXPECT_EQ(frame->GetXValuePlane()->GetHeight(), 1u);
  EXPECT_EQ(frame->GetXValue(99), 4.0);
}

TEST(FrameProfile, ClearZeroesFillAndRegionCopiesDoNothing)
{
  auto frame = NewFrame(4, 2, DT_Int32);
  frame->SetPoint(1, 3.0, 1, 5.0);
  auto other = NewFrame(4, 2, DT_Int32);
  other->SetPoint(1, 9.0, 1, 9.0);

  frame->Fill(1.0);
  frame->CopyData(0, other.get(), 0);
  frame->CopyRegion(0, 0, 0, other.get(), 0, 0, 3, 1, 0);
  EXPECT_EQ(frame->GetXValue(1), 3.0);
  EXPECT_EQ(frame->GetProfileValue(1, 1), 5.0);
  EXPECT_EQ(frame->GetProfileValue(0, 0), 0.0);

  frame->Clear();
  EXPECT_EQ(frame->GetXValue(1), 0.0);
  EXPECT_EQ(frame->GetProfileValue(1, 1), 0.0);
}

TEST(FrameProfile, ProtectedComponents)
{
  auto frame = NewFrame(4, 2);
  frame->CreateComponent("Extra", DT_UInt16, nullptr);
  ASSERT_TRUE(frame->CreateValidMask());
  for (const char* name : {"XVALUES", "PROFILES", "MASK"})
  {
    EXPECT_FALSE(frame->IsComponentDeletable(frame->GetComponentIndex(name))) << name;
    EXPECT_EQ(Raised([&] { frame->DeleteComponent(name); }).message, "This component must not be deleted.");
  }
  EXPECT_TRUE(frame->IsComponentDeletable(frame->GetComponentIndex("Extra")));

  for (const char* name : {"XVALUES", "PROFILES", "MASK", "Missing"})
  {
    auto r = Raised([&] { frame->ChangeComponentDataType(name, DT_Double, true); });
    EXPECT_EQ(r.message, "Changing of data type of this component now allowed.") << name;
    EXPECT_EQ(r.unit, "Sources\\C_FrameProfile") << name;
  }
  frame->ChangeComponentDataType("Extra", DT_Double, false);
  EXPECT_EQ(frame->GetComponentDataType(frame->GetComponentIndex("Extra")), DT_Double);
  frame->DeleteComponent("Extra");
  EXPECT_EQ(frame->GetNumberOfComponents(), 3u);
  EXPECT_NE(frame->GetProfilePlane(), nullptr);
}

TEST(FrameProfile, CloneAndEquality)
{
  auto frame = NewFrame(6, 2, DT_Double);
  frame->SetName("profiles");
  frame->SetPoint(2, 1.0, 1, 3.0);
  frame->CreateComponent("Extra", DT_UInt8, nullptr);

  std::unique_ptr<I_Frame> full(frame->Clone(true));
  auto* fullProfile = dynamic_cast<C_FrameProfile*>(full.get());
  ASSERT_NE(fullProfile, nullptr);
  EXPECT_EQ(fullProfile->GetProfileValue(2, 1), 3.0);
  EXPECT_EQ(fullProfile->GetXValue(2), 1.0);
  EXPECT_NE(fullProfile->GetProfilePlane(), frame->GetProfilePlane());
  EXPECT_TRUE(frame->IsEqual(full.get()));

  std::unique_ptr<I_Frame> empty(frame->Clone(false));
  auto* emptyProfile = dynamic_cast<C_FrameProfile*>(empty.get());
  ASSERT_NE(emptyProfile, nullptr);
  EXPECT_EQ(emptyProfile->GetName(), "profiles");
  EXPECT_EQ(emptyProfile->GetProfileValue(2, 1), 0.0);
  EXPECT_EQ(emptyProfile->GetDataType(), DT_Double);
  ASSERT_EQ(emptyProfile->GetNumberOfComponents(), 3u);
  EXPECT_EQ(emptyProfile->GetComponentName(2), "Extra");
  EXPECT_EQ(emptyProfile->GetComponentDataType(2), DT_UInt8);
  EXPECT_TRUE(frame->IsEqual(empty.get()));

  std::unique_ptr<I_FrameImage> image(CreateImageFrame(DT_Double, 6, 2, 1));
  EXPECT_FALSE(frame->IsSameType(image.get()));
  EXPECT_FALSE(frame->IsEqual(image.get()));
}

TEST(FrameProfile, FactoryAndSubFrame)
{
  const C_FrameProfileParam param(8, 2, DT_UInt16);
  EXPECT_EQ(param.GetDepth(), 1u);
  std::unique_ptr<I_Frame> frame(C_FrameFactory::GetInstance().Create("FT_PROFILE", &param));
  auto* profile = dynamic_cast<C_FrameProfile*>(frame.get());
  ASSERT_NE(profile, nullptr);
  EXPECT_EQ(profile->GetDataType(), DT_UInt16);
  EXPECT_EQ(profile->GetWidth(), 8u);

  // Another parameter class: the creator refuses, the factory answers null.
  const C_FrameImageParam wrong(8, 2, 1, DT_UInt16);
  EXPECT_EQ(C_FrameFactory::GetInstance().Create("FT_PROFILE", &wrong), nullptr);

  std::unique_ptr<C_FrameBaseParam> own(profile->CreateFrameParam());
  auto* ownProfile = dynamic_cast<C_FrameProfileParam*>(own.get());
  ASSERT_NE(ownProfile, nullptr);
  EXPECT_EQ(ownProfile->GetWidth(), 8u);
  EXPECT_EQ(ownProfile->GetHeight(), 2u);
  EXPECT_EQ(ownProfile->GetDataType(), DT_UInt16);
}

TEST(FrameProfile, CreatorRefusesOtherParameters)
{
  std::vector<std::string> logged;
  RTE::LogHandler previous = RTE::SetLogHandler([&](const RTE::Exception& e)
                                                { logged.push_back(e.what() + (" @" + e.file().toStdString())); });
  const C_FrameVectorParam vectorParam(4, 4, 1, DT_Float, 1);
  I_Frame* frame = C_FrameFactory::GetInstance().Create("FT_PROFILE", &vectorParam);
  RTE::SetLogHandler(previous);
  EXPECT_EQ(frame, nullptr);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0], "Wrong parameter type, bit plane could not be created. @Sources\\C_FrameProfile");
}
