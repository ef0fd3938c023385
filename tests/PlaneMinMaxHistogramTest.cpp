// Min/max and histogram: the plain range, the cut from both ends, the finish
// modes, masks, RGB planes, frames and vector frames.
#include <BufferApi.h>

#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

using namespace BufferApi;
using FrameTestHelpers::ExceptionOf;
using MMH = C_PlaneMinMaxHistogram;

namespace
{
std::unique_ptr<I_PlaneBase> MakePlane(E_DataType type, unsigned width, unsigned height,
                                       const std::vector<double>& values)
{
  std::unique_ptr<I_PlaneBase> plane(CreatePlane(type, width, height));
  for (unsigned i = 0; i < values.size(); ++i)
  {
    plane->SetValue(i % width, i / width, values[i]);
  }
  return plane;
}

std::vector<double> Sequence(double first, unsigned n)
{
  std::vector<double> values(n);
  std::iota(values.begin(), values.end(), first);
  return values;
}

//! 0 ... 999 in a shuffled order.
std::vector<double> Shuffled1000()
{
  std::vector<double> values = Sequence(0.0, 1000);
  std::shuffle(values.begin(), values.end(), std::mt19937(42));
  return values;
}

struct S_Result
{
  double min;
  double max;
  unsigned count;
};

S_Result RunOn(double percent, I_PlaneBase* plane, I_PlaneBase* mask = nullptr, MMH::CMMode_t mode = MMH::CMMode_Range)
{
  MMH helper(percent);
  helper.Process(plane, mask);
  helper.Finish(mode);
  return {helper.GetMin(), helper.GetMax(), helper.GetCount()};
}
} // namespace

TEST(PlaneMinMaxHistogram, FullRangeAndFinishModes)
{
  auto plane = MakePlane(DT_Float, 5, 2, Sequence(1.0, 10));
  S_Result r = RunOn(100.0, plane.get());
  EXPECT_EQ(r.min, 1.0);
  EXPECT_EQ(r.count, 10u);
  EXPECT_EQ(RunOn(100.0, plane.get(), nullptr, MMH::CMMode_ZeroMin).min, 0.0);
  r = RunOn(100.0, plane.get(), nullptr, MMH::CMMode_NegAbsMin);
  EXPECT_EQ(r.min, -10.0);
  EXPECT_EQ(r.max, 10.0);

  // The larger magnitude may be the minimum's; the maximum stays as it is.
  auto mixed = MakePlane(DT_Int32, 6, 1, Sequence(-4.0, 6));
  r = RunOn(100.0, mixed.get(), nullptr, MMH::CMMode_NegAbsMin);
  EXPECT_EQ(r.min, -4.0);
  EXPECT_EQ(r.max, 1.0);
}

TEST(PlaneMinMaxHistogram, ConstantEmptyAndUnfinished)
{
  auto constant = MakePlane(DT_Double, 3, 3, std::vector<double>(9, 7.0));
  S_Result r = RunOn(100.0, constant.get());
  EXPECT_EQ(r.min, 7.0);
  EXPECT_EQ(r.max, 8.0);
  // The same through the histogram.
  r = RunOn(90.0, constant.get());
  EXPECT_EQ(r.min, 7.0);
  EXPECT_EQ(r.max, 8.0);

  MMH nothing(50.0);
  nothing.Process(static_cast<I_PlaneBase*>(nullptr), nullptr);
  nothing.Finish(MMH::CMMode_Range);
  EXPECT_EQ(nothing.GetMax(), 0.0);
  EXPECT_EQ(nothing.GetCount(), 0u);

  MMH unfinished(100.0);
  unfinished.Process(constant.get(), nullptr);
  const RTE::Exception e = ExceptionOf([&] { unfinished.GetCount(); });
  EXPECT_EQ(std::string(e.what()), "Finish() not called");
  EXPECT_EQ(e.file().toStdString(), "Sources\\C_PlaneMinMaxHistogram");
}

TEST(PlaneMinMaxHistogram, CutsUpToTValuesFromEachEnd)
{
  // 1000 values with 98 percent: t = 20, so 0 ... 20 and 979 ... 999 are the
  // first bins whose running sums pass t; the bin width is 999 / 65536.
  const double binWidth = 999.0 / 65536.0;
  auto word = MakePlane(DT_UInt16, 40, 25, Shuffled1000());
  const S_Result r = RunOn(98.0, word.get());
  EXPECT_EQ(r.count, 1000u);
  EXPECT_GT(r.min, 20.0 - binWidth);
  EXPECT_LE(r.min, 20.0);
  EXPECT_GT(r.max, 979.0 - binWidth);
  EXPECT_LE(r.max, 979.0);

  // The 16-bit planes take their own path; every element type must bin alike.
  for (E_DataType type : {DT_Float, DT_Int32})
  {
    auto other = MakePlane(type, 40, 25, Shuffled1000());
    const S_Result o = RunOn(98.0, other.get());
    EXPECT_EQ(o.min, r.min) << type;
    EXPECT_EQ(o.max, r.max) << type;
  }
}

TEST(PlaneMinMaxHistogram, OutliersAreCutAndAnEmptyRangeWidened)
{
  // 980 values of 100 between ten outliers at 0 and ten at 60000.
  std::vector<double> values(1000, 100.0);
  std::fill(values.begin(), values.begin() + 10, 0.0);
  std::fill(values.end() - 10, values.end(), 60000.0);
  auto plane = MakePlane(DT_UInt16, 100, 10, values);
  const S_Result cut = RunOn(98.0, plane.get());
  // Both ends stop in the bin of 100 (width 60000 / 65536); the equal limits
  // are then one apart.
  EXPECT_NEAR(cut.min, 100.0, 60000.0 / 65536.0);
  EXPECT_LE(cut.min, 100.0);
  EXPECT_EQ(cut.max, cut.min + 1.0);
}

TEST(PlaneMinMaxHistogram, PercentIsClamped)
{
  auto plane = MakePlane(DT_UInt16, 40, 25, Shuffled1000());
  // Above 100: no histogram, the exact limits.
  const S_Result high = RunOn(250.0, plane.get());
  EXPECT_EQ(high.min, 0.0);
  EXPECT_EQ(high.max, 999.0);
  // Below 0.1: the same as 0.1, which cuts nearly everything and crosses the
  // limits (t = 999 of 1000).
  const S_Result low = RunOn(0.0, plane.get());
  EXPECT_EQ(low.min, RunOn(0.1, plane.get()).min);
  EXPECT_GT(low.min, 998.0);
  EXPECT_LT(low.max, 1.0);
}

TEST(PlaneMinMaxHistogram, MaskSelectsTheValidElements)
{
  const std::vector<double> values = {50, 3, 9, 60, 4, 7, 90, 1};
  auto mask = MakePlane(DT_UInt8, 4, 2, {0, 1, 1, 0, 1, 1, 0, 0});
  for (E_DataType type : {DT_UInt16, DT_Float})
  {
    auto plane = MakePlane(type, 4, 2, values);
    for (double percent : {100.0, 99.0})
    {
      const S_Result r = RunOn(percent, plane.get(), mask.get());
      EXPECT_NEAR(r.min, 3.0, 1e-3) << type;
      EXPECT_NEAR(r.max, 9.0, 1e-3) << type;
    }
  }

  // Other mask types count through their integer value: 0.5 is invalid.
  auto floatMask = MakePlane(DT_Float, 4, 2, {0, 1, 0.5, 0, 1, 1, 0, 0});
  auto word = MakePlane(DT_UInt16, 4, 2, values);
  S_Result r = RunOn(100.0, word.get(), floatMask.get());
  EXPECT_EQ(r.count, 3u);
  EXPECT_EQ(r.max, 7.0);

  // A smaller mask leaves the elements it does not cover invalid.
  auto small = MakePlane(DT_UInt8, 2, 1, {1, 1});
  for (double percent : {100.0, 99.0})
  {
    r = RunOn(percent, word.get(), small.get());
    EXPECT_EQ(r.count, 2u);
    EXPECT_NEAR(r.max, 50.0, 1e-3);
  }
}

TEST(PlaneMinMaxHistogram, PlanesWithoutValuesDoNotShapeLaterOnes)
{
  auto word = MakePlane(DT_UInt16, 40, 25, Shuffled1000());
  auto none = MakePlane(DT_UInt8, 40, 25, {});
  const S_Result alone = RunOn(98.0, word.get());

  // A fully masked plane first must neither fix the bin width nor put its
  // start values into the limits.
  for (E_DataType type : {DT_UInt16, DT_Float})
  {
    auto masked = MakePlane(type, 40, 25, Shuffled1000());
    MMH helper(98.0);
    helper.Process(masked.get(), none.get());
    helper.Process(word.get(), nullptr);
    helper.Finish(MMH::CMMode_Range);
    EXPECT_EQ(helper.GetMin(), alone.min) << type;
    EXPECT_EQ(helper.GetMax(), alone.max) << type;
  }

  auto high = MakePlane(DT_Float, 2, 1, {70000, 80000});
  MMH helper(100.0);
  helper.Process(word.get(), none.get());
  helper.Process(high.get(), nullptr);
  helper.Finish(MMH::CMMode_Range);
  EXPECT_EQ(helper.GetMin(), 70000.0);
  EXPECT_EQ(helper.GetMax(), 80000.0);

  // A plane whose data was detached is skipped.
  auto detached = MakePlane(DT_UInt16, 4, 4, Sequence(1.0, 16));
  std::free(detached->DetachData());
  const S_Result r = RunOn(50.0, detached.get());
  EXPECT_EQ(r.count, 0u);
}

TEST(PlaneMinMaxHistogram, RGBPlanesGiveByteRangeAndThreeValuesPerPixel)
{
  std::unique_ptr<I_PlaneBase> plane(CreatePlane(DT_RGB, 4, 2));
  auto& rgb = dynamic_cast<I_PlaneRGB&>(*plane);
  rgb.Fill(tagRGBQUAD{30, 20, 10, 0});
  auto allInvalid = MakePlane(DT_UInt8, 4, 2, {});
  // The mask is not used for RGB planes.
  S_Result r = RunOn(100.0, plane.get(), allInvalid.get());
  EXPECT_EQ(r.max, 255.0);
  EXPECT_EQ(r.count, 24u);
  // The bytes go straight into bins 0 to 255 (bin width 1).
  r = RunOn(99.0, plane.get());
  EXPECT_EQ(r.min, 10.0);
  EXPECT_EQ(r.max, 30.0);
}

TEST(PlaneMinMaxHistogram, FrameComponentsAndImagePlanes)
{
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_UInt16, 3, 2, 2));
  for (unsigned i = 0; i < 6; ++i)
  {
    frame->SetPixel(i % 3, i / 3, 0, 10.0 + i);
    frame->SetPixel(i % 3, i / 3, 1, 100.0 + i);
  }
  ASSERT_TRUE(frame->CreateValidMask());
  frame->SetValid(0, 0, 0, false);
  frame->SetValid(2, 1, 1, false);

  MMH masked(100.0);
  masked.SetMaskUsage(true);
  masked.Process(frame.get(), I_FrameImage::COMPONENT_PIXEL);
  masked.Finish(MMH::CMMode_Range);
  EXPECT_EQ(masked.GetMin(), 11.0);
  EXPECT_EQ(masked.GetCount(), 10u);

  MMH second(100.0);
  second.SetMaskUsage(true);
  second.Process(frame.get(), 1u);
  second.Process(static_cast<I_FrameImage*>(nullptr), 0u);
  second.Process(frame.get(), std::string("NoSuchComponent"));
  second.Finish(MMH::CMMode_Range);
  EXPECT_EQ(second.GetMin(), 100.0);
  EXPECT_EQ(second.GetCount(), 5u);
}

// Planes 0-999 and 5000-5999: 2 % of 2000 values means 40 may go at each
// end, whichever plane comes first and whatever the element type.
TEST(PlaneMinMaxHistogram, ComponentOfSeveralPlanesIsBinnedOverTheirJointRange)
{
  for (const E_DataType type : {DT_Float, DT_UInt16})
  {
    for (const bool lowFirst : {true, false})
    {
      std::unique_ptr<I_FrameImage> frame(CreateImageFrame(type, 1000, 1, 2));
      for (unsigned x = 0; x < 1000; ++x)
      {
        frame->SetPixel(x, 0, lowFirst ? 0 : 1, double(x));
        frame->SetPixel(x, 0, lowFirst ? 1 : 0, 5000.0 + x);
      }
      MMH histogram(98.0);
      histogram.Process(frame.get(), I_FrameImage::COMPONENT_PIXEL);
      histogram.Finish(MMH::CMMode_Range);
      SCOPED_TRACE(testing::Message() << "type " << type << (lowFirst ? ", low plane first" : ", high plane first"));
      EXPECT_NEAR(histogram.GetMin(), 40.0, 0.5);
      EXPECT_NEAR(histogram.GetMax(), 5959.0, 0.5);
      EXPECT_EQ(histogram.GetCount(), 2000u);
    }
  }
}

TEST(PlaneMinMaxHistogram, FloatVectorFrames)
{
  std::unique_ptr<I_FrameVector2C> frame(CreateVectorFrame2C(3, 2, 2, 2));
  {
    C_CompatibleVectorPlaneAccess access(frame.get(), 0);
    access.SetVector3D(0, 0, 3.0f, 4.0f, 0.0f, VA_Choice1);
    access.SetVector3D(1, 0, -6.0f, 8.0f, 0.0f, VA_Choice1);
    access.SetVector3D(2, 0, 1.0f, 0.0f, 0.0f, VA_Choice2);
    // Disabled, so not taken.
    access.SetVector3D(0, 1, 100.0f, 100.0f, 0.0f, VA_Disabled);
  }
  const auto run = [&](MMH::VectorComponent_t component, bool useMask, unsigned plane)
  {
    MMH helper(100.0);
    helper.SetVectorComponent(component);
    helper.SetMaskUsage(useMask);
    helper.Process(frame.get(), plane);
    helper.Finish(MMH::CMMode_Range);
    return S_Result{helper.GetMin(), helper.GetMax(), helper.GetCount()};
  };
  S_Result r = run(MMH::VectorLength, false, 0);
  EXPECT_EQ(r.count, 3u);
  EXPECT_EQ(r.min, 1.0);
  EXPECT_EQ(r.max, 10.0);
  EXPECT_EQ(run(MMH::VectorU, false, 0).min, -6.0);
  EXPECT_EQ(run(MMH::VectorW, false, 0).max, 1.0);
  // Plane 2 does not exist.
  EXPECT_EQ(run(MMH::VectorLength, false, 2).count, 0u);

  ASSERT_TRUE(frame->CreateValidMask());
  frame->SetValid(1, 0, 0, false);
  r = run(MMH::VectorLength, true, 0);
  EXPECT_EQ(r.count, 2u);
  EXPECT_EQ(r.max, 5.0);
}

TEST(PlaneMinMaxHistogram, CopiesOwnTheirHistogram)
{
  auto plane = MakePlane(DT_UInt16, 40, 25, Shuffled1000());
  const S_Result expected = RunOn(98.0, plane.get());

  MMH original(98.0);
  original.Process(plane.get(), nullptr);
  MMH copy(original);
  MMH assigned(50.0);
  assigned = original;
  // Each finishes (and releases) its own histogram; more data in one does not
  // reach the others.
  original.Process(plane.get(), nullptr);
  original.Finish(MMH::CMMode_Range);
  copy.Finish(MMH::CMMode_Range);
  assigned.Finish(MMH::CMMode_Range);
  EXPECT_EQ(original.GetCount(), 2000u);
  for (const MMH* helper : {&copy, &assigned})
  {
    EXPECT_EQ(helper->GetMin(), expected.min);
    EXPECT_EQ(helper->GetMax(), expected.max);
  }
}
