// Frame metadata helpers: number reading, frame times with their status
// codes, processing and rotation flags, camera mapping, derived frame times.

#include "FrameTestHelpers.h"
#include "NumberText.h"

#include <BufferApi/C_AttributeFlagsHelper.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/C_FrameTimesHelper.h>
#include <BufferApi/FrameCreation.h>
#include <BufferApi/I_Frame.h>
#include <BufferApi/I_FrameVector2C.h>
#include <BufferApi/VectorFrameCreation.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

using namespace BufferApi;

namespace
{
double Lg(const std::string& text, double initial = -7.0)
{
  double value = initial;
  ReadLeadingDouble(text, value);
  return value;
}

using Pair = std::pair<int, int>;
using Result = std::tuple<int, double>;
using Times = std::tuple<int, double, double>;

// Each helper call as its status with the values it wrote (preset to 9).
Pair Cameras(const C_FrameTimesHelper& helper)
{
  return {helper.GetCameraOfFrame(), helper.GetCameraOfFrame0Based()};
}

Result Intra(const C_FrameTimesHelper& helper)
{
  double dt = 9;
  const int status = helper.GetIntraFrameTime(dt);
  return {status, dt};
}

Result VectorIntra(const C_FrameTimesHelper& helper)
{
  double dt = 9;
  const int status = helper.GetVectorIntraFrameTime(dt);
  return {status, dt};
}

Result Inter(const C_FrameTimesHelper& helper, I_Frame* other)
{
  double dt = 9;
  const int status = helper.GetInterFrameTime(other, dt);
  return {status, dt};
}

Times Abs(const C_FrameTimesHelper& helper)
{
  double acq = 9;
  double series = 9;
  const int status = helper.GetAbsFrameTime(acq, series);
  return {status, acq, series};
}

std::unique_ptr<I_Frame> ImageFrame()
{
  return std::unique_ptr<I_Frame>(CreateImageFrame(DT_UInt8, 2, 2, 1));
}
} // namespace

TEST(NumberText, ReadsLikeScanfLg)
{
  EXPECT_EQ(Lg("  2.5e-4 s"), 2.5e-4);
  EXPECT_EQ(Lg("+12:34"), 12.0);
  EXPECT_EQ(Lg("\t-0.5us"), -0.5);
  EXPECT_EQ(Lg(".5"), 0.5);
  EXPECT_EQ(Lg("7."), 7.0);
  EXPECT_EQ(Lg("1e"), 1.0);
  EXPECT_EQ(Lg("0x10"), 16.0);
  EXPECT_EQ(Lg("0xg"), 0.0);
  EXPECT_EQ(Lg("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(Lg("-1e999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(Lg("1e-999"), 0.0);
  EXPECT_EQ(Lg("inf"), std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(Lg("nan")));
  // Not a number: the output stays as it was.
  EXPECT_EQ(Lg("abc"), -7.0);
  EXPECT_EQ(Lg(""), -7.0);
  EXPECT_EQ(Lg("+-3"), -7.0);
  EXPECT_EQ(Lg("- 3"), -7.0);
}

TEST(NumberText, IndependentOfTheProcessLocale)
{
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE"))
    GTEST_SKIP() << "no locale with a decimal comma installed";
  const double value = Lg("2.5");
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(value, 2.5);
}

TEST(NumberText, ReadsLikeAtoi)
{
  EXPECT_EQ(ReadLeadingInt("2"), 2);
  EXPECT_EQ(ReadLeadingInt("  -12abc"), -12);
  EXPECT_EQ(ReadLeadingInt("+7"), 7);
  EXPECT_EQ(ReadLeadingInt("Camera 3"), 0);
  EXPECT_EQ(ReadLeadingInt(""), 0);
  EXPECT_EQ(ReadLeadingInt("- 5"), 0);
  EXPECT_EQ(ReadLeadingInt("3.9"), 3);
  EXPECT_EQ(ReadLeadingInt("99999999999999999999"), std::numeric_limits<int>::max());
  EXPECT_EQ(ReadLeadingInt("-2147483648"), std::numeric_limits<int>::min());
  EXPECT_EQ(ReadLeadingInt("-99999999999999999999"), std::numeric_limits<int>::min());
}

TEST(FrameTimesHelper, WithoutFrame)
{
  C_FrameTimesHelper helper(static_cast<I_Frame*>(nullptr));
  EXPECT_EQ(Cameras(helper), (Pair{-1, -1}));
  EXPECT_EQ(VectorIntra(helper), (Result{4, 0.0}));
  EXPECT_EQ(Intra(helper), (Result{4, 0.0}));
  EXPECT_EQ(Abs(helper), (Times{4, 0.0, 0.0}));
  EXPECT_EQ(Inter(helper, nullptr), (Result{4, 0.0}));
}

TEST(FrameTimesHelper, CameraNumbers)
{
  auto frame = ImageFrame();
  C_FrameTimesHelper helper(frame.get());
  EXPECT_EQ(Cameras(helper), (Pair{-1, -1}));
  C_FrameAttributes(frame.get()).SetString("CameraName", "2");
  EXPECT_EQ(Cameras(helper), (Pair{2, 1}));
  C_FrameAttributes(frame.get()).SetString("CameraName", "Cam");
  EXPECT_EQ(Cameras(helper), (Pair{0, -1}));
}

TEST(FrameTimesHelper, IntraAndAbsoluteTimes)
{
  auto frame = ImageFrame();
  C_FrameAttributes attributes(frame.get());
  C_FrameTimesHelper helper(frame.get());
  EXPECT_EQ(std::get<0>(Intra(helper)), 2);
  EXPECT_EQ(std::get<0>(Abs(helper)), 3);

  attributes.SetString("AcqTime", "100");
  EXPECT_EQ(Intra(helper), (Result{16, 0.0}));
  EXPECT_EQ(Abs(helper), (Times{0, 100.0, 0.0}));

  attributes.SetString("AcqTime", "100:350 us");
  EXPECT_EQ(Intra(helper), (Result{0, 250.0}));
  EXPECT_EQ(Inter(helper, frame.get()), (Result{0, 250.0}));

  attributes.Remove("AcqTime");
  attributes.SetString("AcqTimeSeries", "  4000 us");
  EXPECT_EQ(Abs(helper), (Times{0, 0.0, 4000.0}));
  // No frame-dt on an image frame: its own intra time needs "AcqTime".
  attributes.SetString("FrameDt", "2");
  EXPECT_EQ(std::get<0>(Intra(helper)), 2);
  EXPECT_EQ(VectorIntra(helper), (Result{0, 2.0}));
}

TEST(FrameTimesHelper, VectorFramesUseFrameDt)
{
  std::unique_ptr<I_Frame> frame(CreateVectorFrame2C(2, 2, 1, 1));
  ASSERT_TRUE(frame);
  C_FrameTimesHelper helper(frame.get());
  C_FrameAttributes(frame.get()).SetString("AcqTime", "1:5");
  EXPECT_EQ(std::get<0>(Intra(helper)), 2);
  C_FrameAttributes(frame.get()).SetString("FrameDt", "2.5e-4");
  EXPECT_EQ(Intra(helper), (Result{0, 0.00025}));
  EXPECT_EQ(Inter(helper, frame.get()), (Result{0, 0.00025}));
}

TEST(FrameTimesHelper, InterFrameTime)
{
  auto first = ImageFrame();
  auto second = ImageFrame();
  C_FrameTimesHelper helper(first.get());
  EXPECT_EQ(std::get<0>(Inter(helper, second.get())), 3); // this frame has no times
  C_FrameAttributes(first.get()).SetString("AcqTime", "10");
  C_FrameAttributes(first.get()).SetString("AcqTimeSeries", "1000");
  EXPECT_EQ(Inter(helper, nullptr), (Result{0, 1010.0}));
  EXPECT_EQ(Inter(helper, second.get()), (Result{3, 0.0})); // the other has none
  C_FrameAttributes(second.get()).SetString("AcqTime", "25:40");
  C_FrameAttributes(second.get()).SetString("AcqTimeSeries", "2000");
  EXPECT_EQ(Inter(helper, second.get()), (Result{0, 2025.0 - 1010.0}));
}

TEST(AttributeFlagsHelper, ProcessingFlags)
{
  auto frame = ImageFrame();
  C_AttributeFlagsHelper flags(frame.get());
  C_FrameAttributes attributes(frame.get());
  EXPECT_EQ(flags.Processed_GetFlag(), 0);
  flags.Processed_AddFlag(4);
  flags.Processed_AddFlag(2);
  EXPECT_EQ(attributes.GetString("FrameProcessing"), "6");
  flags.Processed_RemoveFlag(4);
  EXPECT_EQ(attributes.GetString("FrameProcessing"), "2");
  flags.Processed_RemoveFlag(1);
  EXPECT_EQ(attributes.GetString("FrameProcessing"), "2");
  attributes.SetString("FrameProcessing", "-1");
  flags.Processed_RemoveFlag(std::numeric_limits<int>::min());
  EXPECT_EQ(attributes.GetString("FrameProcessing"), "2147483647");

  C_AttributeFlagsHelper none(static_cast<I_Frame*>(nullptr));
  none.Processed_AddFlag(1);
  none.Rotation_ProcessFlag(1, true);
  EXPECT_EQ(none.Processed_GetFlag(), 0);
  EXPECT_EQ(none.Rotation_GetFlag(), 0);
}

TEST(AttributeFlagsHelper, RotationArithmetic)
{
  auto frame = ImageFrame();
  C_AttributeFlagsHelper flags(frame.get());
  C_FrameAttributes attributes(frame.get());
  flags.Rotation_ProcessFlag(1, true);
  EXPECT_EQ(attributes.GetString("FrameRotation"), "3");
  EXPECT_EQ(attributes.GetString("FrameProcessing"), "2");
  flags.Rotation_ProcessFlag(3, true); // turns (1 + 3) % 4 = 0, mirror toggled off
  EXPECT_EQ(attributes.GetString("FrameRotation"), "0");
  flags.Rotation_ProcessFlag(-1, false); // -1 % 4 = -1 with truncating remainder
  EXPECT_EQ(attributes.GetString("FrameRotation"), "-2");
  attributes.SetString("FrameRotation", "-3"); // -3 % 2 = -1, -3 / 2 = -1
  flags.Rotation_ProcessFlag(0, false);
  EXPECT_EQ(attributes.GetString("FrameRotation"), "-3");
  flags.Rotation_ProcessFlag(0, true); // (-1 + 1) % 2 = 0
  EXPECT_EQ(attributes.GetString("FrameRotation"), "-2");
  attributes.SetString("FrameRotation", "7");
  flags.Rotation_ProcessFlag(std::numeric_limits<int>::max(), false); // (3 + max) % 4 = 2
  EXPECT_EQ(attributes.GetString("FrameRotation"), "5");
  flags.Rotation_SetFlag(6);
  EXPECT_EQ(flags.Rotation_GetFlag(), 6);
}
