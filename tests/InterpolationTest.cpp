#include <BufferApi.h>

#include "C_FrameImage.h"
#include "C_PlaneBase.h"
#include "PlaneTestHelpers.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

using namespace BufferApi;
using PlaneTestHelpers::Raised;

namespace
{
struct S_Result
{
  double value;
  bool valid;
};

S_Result Masked(double fx, double fy, bool va, bool vb, bool vc, bool vd)
{
  double value = -1;
  const bool valid = BilinearInterpolationGetMaskedValue(fx, fy, 10, 20, 30, 40, va, vb, vc, vd, &value);
  return {value, valid};
}

double Bilinear(double fx, double fy, double a, double b, double c, double d)
{
  return (1 - fx) * (1 - fy) * a + fx * (1 - fy) * b + (1 - fx) * fy * c + fx * fy * d;
}

//! A float image of width x height x depth with value 10 x + 100 y + 1000 z:
//! bilinear interpolation reproduces it exactly.
std::unique_ptr<I_FrameImage> Ramp(unsigned width = 4, unsigned height = 3, unsigned depth = 1)
{
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_Float, width, height, depth));
  for (unsigned z = 0; z < depth; ++z)
    for (unsigned y = 0; y < height; ++y)
      for (unsigned x = 0; x < width; ++x)
        frame->SetPixel(x, y, z, 10.0 * x + 100.0 * y + 1000.0 * z);
  return frame;
}

//! A width x height mask, all valid; heap-allocated to its exact size so
//! that a read past its end is caught by the address sanitizer.
std::unique_ptr<bool[]> AllValid(unsigned width = 4, unsigned height = 3)
{
  std::unique_ptr<bool[]> mask(new bool[width * height]);
  std::fill(mask.get(), mask.get() + width * height, true);
  return mask;
}

struct S_Pixel
{
  float value;
  bool valid;
};

bool operator==(const S_Pixel& a, const S_Pixel& b)
{
  return a.valid == b.valid && std::fabs(a.value - b.value) <= 4 * FLT_EPSILON * std::fabs(b.value);
}

std::ostream& operator<<(std::ostream& os, const S_Pixel& p)
{
  return os << p.value << (p.valid ? " (valid)" : " (invalid)");
}

S_Pixel Valid(float value)
{
  return {value, true};
}

S_Pixel Invalid(float value)
{
  return {value, false};
}

S_Pixel Pixel(const C_InterpolatedPixelHelper& helper, float x, float y, bool* mask = nullptr,
              bool useFrameMask = false)
{
  bool valid = true; // the "nothing valid" paths must clear it
  const float value = helper.GetInterpolatedPixel(x, y, mask, useFrameMask, &valid);
  return {value, valid};
}
} // namespace

// ---------------------------------------------------------------------------
// BilinearInterpolationGetMaskedValue, neighbours A = 10, B = 20, C = 30, D = 40

TEST(BilinearMasked, TableRows)
{
  const double m = (20.0 + 30.0 + 40.0) / 3; // the middle when A is invalid
  const struct
  {
    double fx, fy;
    bool va, vb, vc, vd;
    double value;
    bool valid;
  } rows[] = {
      // All valid: plain bilinear.
      {0.25, 0.25, true, true, true, true, 17.5, true},
      {0.3, 0.8, true, true, true, true, Bilinear(0.3, 0.8, 10, 20, 30, 40), true},
      // None valid: the bilinear value, never valid.
      {0.25, 0.75, false, false, false, false, Bilinear(0.25, 0.75, 10, 20, 30, 40), false},
      // One valid: its value; the quadrant boundary 0.5 belongs to B, C and D.
      {0.5, 0.5, false, false, false, true, 40, true},
      {0.5, 0.49, false, false, false, true, 40, false},
      {0.5, 0.49, false, true, false, false, 20, true},
      {0.49, 0.5, false, false, true, false, 30, true},
      {0.49, 0.49, true, false, false, false, 10, true},
      // Two along an edge: linear along it, valid in its half.
      {0.3, 0.7, true, true, false, false, 0.7 * 10 + 0.3 * 20, false},
      {0.3, 0.2, true, true, false, false, 13.0, true},
      {0.3, 0.5, true, true, false, false, 13.0, false},
      {0.3, 0.5, false, false, true, true, 0.7 * 30 + 0.3 * 40, true},
      {0.8, 0.25, true, false, true, false, 0.75 * 10 + 0.25 * 30, false},
      {0.5, 0.25, true, false, true, false, 0.75 * 10 + 0.25 * 30, false},
      {0.5, 0.25, false, true, false, true, 0.75 * 20 + 0.25 * 40, true},
      // Worked example, A invalid: M = (b + c + d) / 3, A' = M, mAB = b, mAC = c.
      {0.25, 0.25, false, true, true, true, (m + 20 + 30 + m) / 4, false},
      // B's quadrant: corners mAB = b, B' = b, M, mBD = (b + d) / 2.
      {0.75, 0.25, false, true, true, true, (20 + 20 + m + 30) / 4, true},
      // C's quadrant: corners mAC = c, M, C' = c, mCD = (c + d) / 2.
      {0.25, 0.75, false, true, true, true, (30 + m + 30 + 35) / 4, true},
      // D's quadrant, away from the middle: lx = 0.5, ly = 0.2 from the centre.
      {0.75, 0.6, false, true, true, true, Bilinear(0.5, 0.2, m, 30, 35, 40), true},
      // Diagonal A and D: M = 25, every midpoint the value of its valid end.
      {0.25, 0.25, true, false, false, true, (10 + 10 + 10 + 25) / 4.0, true},
      {0.75, 0.25, true, false, false, true, (10 + 25 + 25 + 40) / 4.0, false},
  };
  for (const auto& row : rows)
  {
    SCOPED_TRACE(::testing::Message() << row.fx << "," << row.fy << " valid " << row.va << row.vb << row.vc << row.vd);
    const S_Result r = Masked(row.fx, row.fy, row.va, row.vb, row.vc, row.vd);
    EXPECT_DOUBLE_EQ(r.value, row.value);
    EXPECT_EQ(r.valid, row.valid);
  }
  // A null result pointer is not written.
  EXPECT_TRUE(BilinearInterpolationGetMaskedValue(0.2, 0.2, 1, 2, 3, 4, true, true, true, true, nullptr));
  EXPECT_FALSE(BilinearInterpolationGetMaskedValue(0.2, 0.2, 1, 2, 3, 4, false, true, true, false, nullptr));
}

// ---------------------------------------------------------------------------
// C_InterpolatedPixelHelper::GetInterpolatedPixel on the 4 x 3 ramp

TEST(InterpolatedPixel, InteriorAndClampedPositions)
{
  auto frame = Ramp();
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct
  {
    float x, y, value;
  } rows[] = {
      {1.25f, 0.5f, 62.5f},
      {2.75f, 1.75f, 27.5f + 175.0f},
      // Left of or above the frame: computed at 0.
      {-3.0f, 1.5f, 150.0f},
      {1.5f, -0.01f, 15.0f},
      // Exactly on, and beyond, the last column and row.
      {3.0f, 1.5f, 180.0f},
      {3.001f, 1.5f, 180.0f},
      {1.5f, 2.0f, 215.0f},
      {3.0f, 2.0f, 230.0f},
      // NaN is clamped like any position not below the limit.
      {nan, nan, 230.0f},
  };
  for (const auto& row : rows)
    EXPECT_EQ(Pixel(helper, row.x, row.y), Valid(row.value)) << row.x << "," << row.y;
  // A null validity pointer is allowed.
  EXPECT_FLOAT_EQ(helper.GetInterpolatedPixel(1.25f, 0.5f, nullptr, false, nullptr), 62.5f);

  // A column beyond the frame does not exist; at x = W - 1 the column W - 2
  // must not leak in either.
  frame->SetPixel(2, 1, 0, 5000);
  EXPECT_EQ(Pixel(helper, 3.0f, 1.0f), Valid(130.0f));
  EXPECT_EQ(Pixel(helper, 3.0f, 0.5f), Valid(80.0f));
}

TEST(InterpolatedPixel, CallerMask)
{
  auto frame = Ramp();
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  auto mask = AllValid();

  // A = (1, 0) invalid: quadrant interpolation of the cell at (1, 0).
  mask[1] = false;
  double expected = 0;
  EXPECT_FALSE(BilinearInterpolationGetMaskedValue(0.25, 0.25, 10, 20, 110, 120, false, true, true, true, &expected));
  EXPECT_EQ(Pixel(helper, 1.25f, 0.25f, mask.get()), Invalid(static_cast<float>(expected)));
  EXPECT_TRUE(Pixel(helper, 1.75f, 0.25f, mask.get()).valid);

  // The caller's mask is indexed y * W + x: D of cell (1, 1) is (2, 2) = 10.
  mask = AllValid();
  mask[10] = false;
  EXPECT_FALSE(Pixel(helper, 1.75f, 1.75f, mask.get()).valid);

  // No valid neighbour: 0 and invalid, whatever the pixel values.
  std::unique_ptr<bool[]> none(new bool[12]());
  EXPECT_EQ(Pixel(helper, 1.5f, 1.5f, none.get()), Invalid(0.0f));

  // An element is valid only when its byte is exactly 1.
  mask = AllValid();
  reinterpret_cast<unsigned char*>(mask.get())[5] = 2;
  EXPECT_FALSE(Pixel(helper, 1.25f, 1.25f, mask.get()).valid);
}

TEST(InterpolatedPixel, CallerMaskAtTheBorders)
{
  auto frame = Ramp();
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  auto mask = AllValid(); // exactly W x H: a read past the end is caught

  // Last column: B and D lie outside and count as invalid, A and C remain.
  EXPECT_EQ(Pixel(helper, 3.0f, 0.25f, mask.get()), Valid(55.0f));
  // Last row: A and B remain.
  EXPECT_EQ(Pixel(helper, 1.25f, 2.0f, mask.get()), Valid(212.5f));
  // Last pixel, also from beyond it: A alone.
  EXPECT_EQ(Pixel(helper, 3.5f, 7.0f, mask.get()), Valid(230.0f));
  // Last pixel invalid: nothing valid remains.
  mask[11] = false;
  EXPECT_EQ(Pixel(helper, 3.0f, 2.0f, mask.get()), Invalid(0.0f));
  // Last column with A = (3, 1) invalid: C alone, valid only in C's half.
  mask = AllValid();
  mask[7] = false;
  EXPECT_EQ(Pixel(helper, 3.0f, 1.75f, mask.get()), Valid(230.0f));
  EXPECT_FALSE(Pixel(helper, 3.0f, 1.25f, mask.get()).valid);
  // Last column with C invalid: A alone. The element after (3, 1) in memory
  // is (0, 2), which is valid, so reading it as D would change the value.
  EXPECT_EQ(Pixel(helper, 3.0f, 0.75f, mask.get()), Invalid(30.0f));
}

TEST(InterpolatedPixel, FrameMaskAndPrecedence)
{
  auto frame = Ramp();
  const C_InterpolatedPixelHelper helper(frame.get(), 0);

  ASSERT_TRUE(frame->CreateValidMask());
  frame->SetValid(1, 0, 0, false);
  EXPECT_FALSE(Pixel(helper, 1.25f, 0.25f, nullptr, true).valid);
  // Not asked for: the frame mask is ignored.
  EXPECT_EQ(Pixel(helper, 1.25f, 0.25f, nullptr, false), Valid(37.5f));
  // A caller's mask takes precedence over the frame's.
  auto mask = AllValid();
  EXPECT_EQ(Pixel(helper, 1.25f, 0.25f, mask.get(), true), Valid(37.5f));
  mask[2] = false; // B of the cell, valid in the frame mask
  frame->SetValid(1, 0, 0, true);
  EXPECT_FALSE(Pixel(helper, 1.75f, 0.25f, mask.get(), true).valid);

  // At the last column the frame mask has nothing beyond the border: A and C.
  EXPECT_EQ(Pixel(helper, 3.0f, 0.5f, nullptr, true), Valid(80.0f));
}

TEST(InterpolatedPixel, PlanesAndMissingPlanes)
{
  auto frame = Ramp(4, 3, 2);
  ASSERT_TRUE(frame->CreateValidMask());
  frame->SetValid(1, 1, 0, false); // plane 0 only
  EXPECT_EQ(Pixel(C_InterpolatedPixelHelper(frame.get(), 1), 1.25f, 1.25f, nullptr, true), Valid(1137.5f));
  EXPECT_FALSE(Pixel(C_InterpolatedPixelHelper(frame.get(), 0), 1.25f, 1.25f, nullptr, true).valid);

  // A plane the frame does not have reads 0; its frame mask plane is missing
  // too, so with the frame mask nothing is valid.
  const C_InterpolatedPixelHelper missing(frame.get(), 7);
  EXPECT_EQ(Pixel(missing, 1.5f, 1.5f), Valid(0.0f));
  EXPECT_FALSE(Pixel(missing, 1.5f, 1.5f, nullptr, true).valid);
}

TEST(InterpolatedPixel, FramesThatCannotBeRead)
{
  // No frame, a frame that is not an image frame, an empty frame: 0, invalid.
  const C_InterpolatedPixelHelper none(static_cast<I_Frame*>(nullptr), 0);
  EXPECT_EQ(Pixel(none, 1.0f, 1.0f, nullptr, true), Invalid(0.0f));

  std::unique_ptr<I_FrameVector2C> vectors(CreateVectorFrame2C(4, 3, 1, 1));
  const C_InterpolatedPixelHelper vectorHelper(vectors.get(), 0);
  EXPECT_FALSE(Pixel(vectorHelper, 1.0f, 1.0f).valid);

  std::unique_ptr<I_FrameImage> empty(CreateImageFrame(DT_Float, 0, 3, 1));
  ASSERT_NE(empty, nullptr);
  const C_InterpolatedPixelHelper emptyHelper(empty.get(), 0);
  EXPECT_FALSE(Pixel(emptyHelper, 0.0f, 0.0f).valid);

  // A frame shrunk after construction: the helper still clamps to 4 x 3,
  // reads beyond the new size give 0.
  auto shrunk = Ramp();
  const C_InterpolatedPixelHelper helper(shrunk.get(), 0);
  shrunk->SetSize(2, 2, 1);
  EXPECT_FLOAT_EQ(Pixel(helper, 3.0f, 2.0f).value, 0.0f);
  EXPECT_FLOAT_EQ(Pixel(helper, 0.5f, 0.0f).value, 5.0f);
}

TEST(InterpolatedPixel, FromBufferAndOtherElementTypes)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  buffer->AddImageFrame(2, 2, 1, DT_Float);
  I_FrameImage* words = buffer->AddImageFrame(3, 2, 1, DT_UInt16);
  words->SetPixel(0, 0, 0, 100);
  words->SetPixel(1, 0, 0, 201);
  const C_InterpolatedPixelHelper helper(buffer.get(), 1, 0);
  EXPECT_EQ(helper.GetFrame(), words);
  EXPECT_FLOAT_EQ(Pixel(helper, 0.5f, 0.0f).value, 150.5f);
  // Bad frame index or no buffer: no frame.
  const C_InterpolatedPixelHelper bad(buffer.get(), 2, 0);
  EXPECT_EQ(bad.GetFrame(), nullptr);
  EXPECT_EQ(C_InterpolatedPixelHelper(static_cast<I_Buffer*>(nullptr), 0, 0).GetFrame(), nullptr);
}

TEST(InterpolatedPixel, CheckedMaskSize)
{
  auto frame = Ramp();
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  auto mask = AllValid();
  bool valid = false;
  EXPECT_FLOAT_EQ(helper.GetInterpolatedPixel(1.25f, 0.5f, mask.get(), 12, false, &valid), 62.5f);
  EXPECT_TRUE(valid);
  const auto raised = Raised([&] { helper.GetInterpolatedPixel(1.25f, 0.5f, mask.get(), 11, false, &valid); });
  EXPECT_EQ(raised.message, "The mask is smaller than the plane.");
  EXPECT_EQ(raised.unit, "Sources\\C_InterpolatedPixelHelper");
}

// ---------------------------------------------------------------------------
// C_InterpolatedPixelHelper::GetInterpolatedRGB

namespace
{
tagRGBQUAD Quad(unsigned char red, unsigned char green, unsigned char blue, unsigned char reserved)
{
  return {blue, green, red, reserved};
}

//! 3 x 2 RGB frame with every reserved byte set, so that it shows where it
//! is passed through.
std::unique_ptr<I_FrameImage> Colours()
{
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_RGB, 3, 2, 1));
  auto* rgb = dynamic_cast<I_FrameRGB*>(frame.get());
  rgb->SetRGB(0, 0, 0, Quad(10, 100, 200, 7));
  rgb->SetRGB(1, 0, 0, Quad(21, 101, 0, 7));
  rgb->SetRGB(2, 0, 0, Quad(40, 0, 255, 7));
  rgb->SetRGB(0, 1, 0, Quad(30, 103, 100, 7));
  rgb->SetRGB(1, 1, 0, Quad(41, 104, 51, 7));
  rgb->SetRGB(2, 1, 0, Quad(60, 70, 80, 9));
  return frame;
}

//! Red, green, blue and reserved byte of the interpolated colour at (x, y).
std::vector<int> RGB(const C_InterpolatedPixelHelper& helper, float x, float y)
{
  const tagRGBQUAD q = helper.GetInterpolatedRGB(x, y);
  return {q.rgbRed, q.rgbGreen, q.rgbBlue, q.rgbReserved};
}
} // namespace

TEST(InterpolatedRGB, ChannelsAreTruncatedAndTheReservedByteOnlyKeptAtTheLastPixel)
{
  auto frame = Colours();
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct
  {
    float x, y;
    std::vector<int> rgb;
  } rows[] = {
      // red (10 + 21 + 30 + 41) / 4 = 25.5, green 102, blue 87.75.
      {0.5f, 0.5f, {25, 102, 87, 0}},
      // On a pixel of the interior the reserved byte is not carried over.
      {0.0f, 0.0f, {10, 100, 200, 0}},
      // 0.25 of the way: red 10 + 0.25 * 11 = 12.75.
      {0.25f, 0.0f, {12, 100, 150, 0}},
      // Last row: between A and B only.
      {0.5f, 1.0f, {35, 103, 75, 0}},
      // Last column: between A and C only.
      {2.0f, 0.5f, {50, 35, 167, 0}},
      {2.5f, 0.25f, {45, 17, 211, 0}},
      // Last pixel, exactly and from beyond: unchanged, reserved byte included.
      {2.0f, 1.0f, {60, 70, 80, 9}},
      {nan, nan, {60, 70, 80, 9}},
  };
  for (const auto& row : rows)
    EXPECT_EQ(RGB(helper, row.x, row.y), row.rgb) << row.x << "," << row.y;
}

namespace
{
//! The helper's result worked out the plain way: per-neighbour frame calls
//! (IsValid, GetPixel) and the exported interpolation function.
float PlainInterpolation(const I_FrameImage& frame, unsigned plane, float x, float y, const bool* mask,
                         bool useFrameMask, bool* valid)
{
  const int wm1 = static_cast<int>(frame.GetWidth()) - 1;
  const int hm1 = static_cast<int>(frame.GetHeight()) - 1;
  const auto clamp = [](double v, double limit) { return v < 0 ? 0.0 : (v < limit ? v : limit); };
  const double cx = clamp(x, wm1);
  const double cy = clamp(y, hm1);
  const unsigned px = static_cast<unsigned>(cx);
  const unsigned py = static_cast<unsigned>(cy);
  const unsigned xs[4] = {px, px + 1, px, px + 1};
  const unsigned ys[4] = {py, py, py + 1, py + 1};
  bool flags[4];
  double values[4];
  for (int i = 0; i < 4; ++i)
  {
    const bool inside = static_cast<int>(xs[i]) <= wm1 && static_cast<int>(ys[i]) <= hm1;
    if (mask != nullptr)
      flags[i] = inside && reinterpret_cast<const unsigned char*>(mask)[ys[i] * frame.GetWidth() + xs[i]] == 1;
    else
      flags[i] = !useFrameMask || frame.IsValid(xs[i], ys[i], plane);
    values[i] = frame.GetPixel(xs[i], ys[i], plane);
  }
  if (!flags[0] && !flags[1] && !flags[2] && !flags[3])
  {
    *valid = false;
    return 0.0f;
  }
  double result = 0;
  *valid = BilinearInterpolationGetMaskedValue(cx - px, cy - py, values[0], values[1], values[2], values[3], flags[0],
                                               flags[1], flags[2], flags[3], &result);
  return static_cast<float>(result);
}
} // namespace

// The helper reads typed planes and the frame's mask directly: pin it against
// the per-neighbour path for every element type, on random values and random
// masks (caller's and frame's), at fractional positions inside, near and on
// the borders, beyond them and NaN.
TEST(InterpolatedPixelHelper, TypedPathsMatchThePerNeighbourPath)
{
  std::mt19937 random(99);
  std::uniform_real_distribution<double> valueDist(-1000.0, 70000.0);
  std::uniform_int_distribution<int> bit(0, 2);
  const unsigned width = 6;
  const unsigned height = 4;
  std::vector<float> positions = {
      -1.5f, -0.0f,  0.0f, 0.25f, 0.5f, 0.75f, 1.0f, 2.49f,
      2.5f,  3.999f, 4.0f, 4.5f,  5.0f, 5.25f, 9.0f, std::numeric_limits<float>::quiet_NaN()};
  for (const E_DataType type : {DT_UInt8, DT_UInt16, DT_Int32, DT_UInt32, DT_Float, DT_Double})
  {
    std::unique_ptr<I_FrameImage> frame(CreateImageFrame(type, width, height, 2));
    ASSERT_TRUE(frame);
    ASSERT_TRUE(frame->CreateValidMask());
    std::unique_ptr<bool[]> mask(new bool[width * height]);
    for (unsigned z = 0; z < 2; ++z)
      for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x)
        {
          frame->SetPixel(x, y, z, valueDist(random));
          frame->SetValid(x, y, z, bit(random) != 0);
          if (z == 1)
            mask[y * width + x] = bit(random) != 0;
        }
    // Plane 0 is read through the frame's first-plane pointers, plane 1
    // through the component.
    for (const unsigned plane : {0U, 1U})
    {
      const C_InterpolatedPixelHelper helper(frame.get(), plane);
      for (const float x : positions)
        for (const float y : positions)
          for (int kind = 0; kind < 3; ++kind)
          {
            bool* const givenMask = kind == 0 ? mask.get() : nullptr;
            const bool useFrameMask = kind == 1;
            bool expectedValid = true;
            bool gotValid = true;
            const float expected = PlainInterpolation(*frame, plane, x, y, givenMask, useFrameMask, &expectedValid);
            const float got = helper.GetInterpolatedPixel(x, y, givenMask, useFrameMask, &gotValid);
            ASSERT_EQ(got, expected) << "type " << type << " plane " << plane << " at " << x << ", " << y << " kind "
                                     << kind;
            ASSERT_EQ(gotValid, expectedValid)
                << "type " << type << " plane " << plane << " at " << x << ", " << y << " kind " << kind;
          }
    }
  }
}

// Without a mask plane for the requested plane every neighbour is invalid; a
// frame without mask makes all valid.
TEST(InterpolatedPixelHelper, FrameMaskWithoutPlaneOrWithoutMask)
{
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_UInt16, 3, 3, 1));
  frame->SetPixel(1, 1, 0, 8);
  bool valid = false;
  EXPECT_EQ(C_InterpolatedPixelHelper(frame.get(), 0).GetInterpolatedPixel(1.0f, 1.0f, nullptr, true, &valid), 8.0f);
  EXPECT_TRUE(valid);
  ASSERT_TRUE(frame->CreateValidMask());
  frame->SetValid(1, 1, 0, false);
  frame->SetValid(2, 1, 0, false);
  frame->SetValid(1, 2, 0, false);
  frame->SetValid(2, 2, 0, false);
  EXPECT_EQ(C_InterpolatedPixelHelper(frame.get(), 0).GetInterpolatedPixel(1.25f, 1.25f, nullptr, true, &valid), 0.0f);
  EXPECT_FALSE(valid);
  // Plane 1 does not exist: no pixel plane, no mask plane.
  EXPECT_EQ(C_InterpolatedPixelHelper(frame.get(), 1).GetInterpolatedPixel(1.0f, 1.0f, nullptr, true, &valid), 0.0f);
  EXPECT_FALSE(valid);
}

namespace
{
//! Every position of a grid that covers the frame (interior cells, the last
//! column and row, beyond them and before them), with the caller's mask, the
//! frame's mask and none: the helper against the per-neighbour path. Returns
//! the first mismatch as text, empty when all match.
std::string FirstMismatch(const I_FrameImage& frame, const C_InterpolatedPixelHelper& helper, unsigned plane,
                          bool* mask)
{
  const float stopX = static_cast<float>(frame.GetWidth()) + 0.75f;
  const float stopY = static_cast<float>(frame.GetHeight()) + 0.75f;
  for (float y = -1.25f; y < stopY; y += 0.3125f)
    for (float x = -1.25f; x < stopX; x += 0.3125f)
      for (int kind = 0; kind < 3; ++kind)
      {
        bool* const givenMask = kind == 0 ? mask : nullptr;
        const bool useFrameMask = kind == 1;
        bool expectedValid = true;
        bool gotValid = false;
        const float expected = PlainInterpolation(frame, plane, x, y, givenMask, useFrameMask, &expectedValid);
        const float got = helper.GetInterpolatedPixel(x, y, givenMask, useFrameMask, &gotValid);
        const bool same = got == expected || (std::isnan(got) && std::isnan(expected));
        if (!same || gotValid != expectedValid)
          return ::testing::PrintToString(got) + " " + (gotValid ? "valid" : "invalid") + " instead of " +
                 ::testing::PrintToString(expected) + " " + (expectedValid ? "valid" : "invalid") + " at " +
                 ::testing::PrintToString(x) + ", " + ::testing::PrintToString(y) + " kind " + std::to_string(kind);
      }
  return "";
}

//! Random pixels of plane 0; masks mostly valid, so that most cells take the
//! path for four valid neighbours and the others every partial set.
void Randomise(I_FrameImage& frame, bool* mask, std::mt19937& random)
{
  std::uniform_real_distribution<double> valueDist(-1000.0, 70000.0);
  std::uniform_int_distribution<int> die(0, 5);
  for (unsigned y = 0; y < frame.GetHeight(); ++y)
    for (unsigned x = 0; x < frame.GetWidth(); ++x)
    {
      frame.SetPixel(x, y, 0, valueDist(random));
      if (frame.HasMask())
        frame.SetValid(x, y, 0, die(random) != 0);
      mask[y * frame.GetWidth() + x] = die(random) != 0;
    }
}
} // namespace

// Mostly valid masks on a larger frame, for every element type: the path for
// interior cells with four valid neighbours against the per-neighbour path.
TEST(InterpolatedPixelHelper, InteriorCellsMatchThePerNeighbourPath)
{
  std::mt19937 random(5);
  const unsigned width = 9;
  const unsigned height = 7;
  for (const E_DataType type : {DT_UInt8, DT_UInt16, DT_Int32, DT_UInt32, DT_Float, DT_Double})
  {
    std::unique_ptr<I_FrameImage> frame(CreateImageFrame(type, width, height, 1));
    ASSERT_TRUE(frame->CreateValidMask());
    std::unique_ptr<bool[]> mask(new bool[width * height]);
    Randomise(*frame, mask.get(), random);
    const C_InterpolatedPixelHelper helper(frame.get(), 0);
    EXPECT_EQ(FirstMismatch(*frame, helper, 0, mask.get()), "") << "type " << type;
    // The caller's mask counts only bytes of exactly 1.
    reinterpret_cast<unsigned char*>(mask.get())[width + 1] = 3;
    EXPECT_EQ(FirstMismatch(*frame, helper, 0, mask.get()), "") << "type " << type;
  }
}

// A "MASK" component of another element type than the usual 8-bit one: the
// frame's IsValid reads its integer value.
TEST(InterpolatedPixelHelper, FrameMasksOfEveryElementType)
{
  std::mt19937 random(11);
  for (const E_DataType type : {DT_UInt8, DT_UInt16, DT_Int32, DT_UInt32, DT_Float, DT_Double})
  {
    std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_UInt16, 8, 6, 1));
    frame->CreateComponent(I_Frame::COMPONENT_MASK, type);
    ASSERT_TRUE(frame->CreateValidMask());
    ASSERT_EQ(frame->GetComponent(I_Frame::COMPONENT_MASK)->GetDataType(), type);
    std::unique_ptr<bool[]> mask(new bool[8 * 6]);
    Randomise(*frame, mask.get(), random);
    // A fraction below 1 is 0 as an integer: invalid.
    frame->GetComponent(I_Frame::COMPONENT_MASK)->GetPlane(0)->SetValue(3, 2, 0.5);
    const C_InterpolatedPixelHelper helper(frame.get(), 0);
    EXPECT_EQ(FirstMismatch(*frame, helper, 0, mask.get()), "") << "mask type " << type;
  }
}

// The helper looks the planes up on every call: a pixel component of another
// type, a mask created or deleted after the helper was made.
TEST(InterpolatedPixelHelper, FrameChangedAfterConstruction)
{
  std::mt19937 random(17);
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_UInt8, 7, 5, 1));
  std::unique_ptr<bool[]> mask(new bool[7 * 5]);
  Randomise(*frame, mask.get(), random);
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  EXPECT_EQ(FirstMismatch(*frame, helper, 0, mask.get()), "");

  frame->ChangeComponentDataType(I_FrameImage::COMPONENT_PIXEL, DT_Double, true);
  ASSERT_EQ(frame->GetDataType(), DT_Double);
  frame->SetPixel(3, 2, 0, 1e300);
  EXPECT_EQ(FirstMismatch(*frame, helper, 0, mask.get()), "");

  ASSERT_TRUE(frame->CreateValidMask());
  frame->SetValid(2, 2, 0, false);
  EXPECT_EQ(FirstMismatch(*frame, helper, 0, mask.get()), "");
  frame->DeleteMask();
  EXPECT_EQ(FirstMismatch(*frame, helper, 0, mask.get()), "");
}

// RGB frames give their packed colour value through GetPixel; the helper asks
// the frame for it, the mask included.
TEST(InterpolatedPixelHelper, RgbFramesReadThroughTheFrame)
{
  std::mt19937 random(23);
  std::uniform_int_distribution<int> byte(0, 255);
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_RGB, 5, 4, 1));
  auto* rgb = dynamic_cast<I_FrameRGB*>(frame.get());
  ASSERT_NE(rgb, nullptr);
  ASSERT_TRUE(frame->CreateValidMask());
  std::unique_ptr<bool[]> mask(new bool[5 * 4]);
  for (unsigned y = 0; y < 4; ++y)
    for (unsigned x = 0; x < 5; ++x)
    {
      rgb->SetRGB(x, y, 0, Quad(byte(random), byte(random), byte(random), 0));
      frame->SetValid(x, y, 0, byte(random) > 40);
      mask[y * 5 + x] = byte(random) > 40;
    }
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  EXPECT_EQ(FirstMismatch(*frame, helper, 0, mask.get()), "");
}

// ---------------------------------------------------------------------------
// Plane 0 is read through the frame's own pointers to its first pixel and
// mask planes (C_FrameImage::GetFirstPixelPlane, GetFirstMaskPlane), which
// the components keep current. Every way of changing the frame's planes
// between two calls of one helper must reach them.

namespace
{
//! A plane class of the caller's own: every call goes to a library plane
//! inside it, so its values are those of a library plane of its type.
class C_ForeignPlane final : public I_PlaneBase
{
public:
  explicit C_ForeignPlane(I_PlaneBase* inner)
      : m_inner(inner)
  {
  }
  bool IsSameType(const I_BufferLibObject* other) const override
  {
    return dynamic_cast<const C_ForeignPlane*>(other) != nullptr;
  }
  bool IsNotEqual(const I_BufferLibObject* other) const override { return !IsEqual(other); }
  bool IsEqual(const I_BufferLibObject* other) const override { return other == this; }
  I_PlaneBase* Clone(bool copyData) const override { return new C_ForeignPlane(m_inner->Clone(copyData)); }
  I_PlaneBase* CloneEmpty() const override { return new C_ForeignPlane(m_inner->CloneEmpty()); }
  E_DataType GetDataType() const override { return m_inner->GetDataType(); }
  void* GetData() const override { return m_inner->GetData(); }
  void* DetachData() override { return m_inner->DetachData(); }
  double GetValue(unsigned x, unsigned y) const override { return m_inner->GetValue(x, y); }
  double GetValueUnsafe(unsigned x, unsigned y) const override { return m_inner->GetValueUnsafe(x, y); }
  int GetIntValue(unsigned x, unsigned y) const override { return m_inner->GetIntValue(x, y); }
  unsigned GetWidth() const override { return m_inner->GetWidth(); }
  unsigned GetHeight() const override { return m_inner->GetHeight(); }
  void SetValue(unsigned x, unsigned y, double value) override { m_inner->SetValue(x, y, value); }
  void SetValueUnsafe(unsigned x, unsigned y, double value) override { m_inner->SetValueUnsafe(x, y, value); }
  void SetIntValue(unsigned x, unsigned y, int value) override { m_inner->SetIntValue(x, y, value); }
  void Resize(int xMin, int xMax, int yMin, int yMax) override { m_inner->Resize(xMin, xMax, yMin, yMax); }
  void Clear() override { m_inner->Clear(); }
  void Fill(double value) override { m_inner->Fill(value); }
  void SetDefaultValue(double value) override { m_inner->SetDefaultValue(value); }

private:
  std::unique_ptr<I_PlaneBase> m_inner;
};

//! Empty when the frame's first-plane pointers are plane 0 of its pixel and
//! mask components (null for none or a foreign class) and the helper agrees
//! with the per-neighbour path everywhere; else what differs.
std::string Check(const I_FrameImage& frame, const C_InterpolatedPixelHelper& helper, bool* mask)
{
  const auto& image = dynamic_cast<const C_FrameImage&>(frame);
  if (image.GetFirstPixelPlane() != dynamic_cast<const C_PlaneBase*>(frame.GetPlane(0)))
  {
    return "the first pixel plane is not pixel plane 0";
  }
  const C_Component* maskComponent = image.GetMaskComponent();
  const I_PlaneBase* maskPlane = maskComponent != nullptr ? maskComponent->GetPlane(0) : nullptr;
  if (image.GetFirstMaskPlane() != dynamic_cast<const C_PlaneBase*>(maskPlane))
  {
    return "the first mask plane is not mask plane 0";
  }
  return FirstMismatch(frame, helper, 0, mask);
}

//! A plane of `type` and size with random values in 0 ... 999.
std::shared_ptr<I_PlaneBase> RandomPlane(E_DataType type, unsigned width, unsigned height, std::mt19937& random,
                                         bool foreign = false)
{
  I_PlaneBase* made = CreatePlane(type, width, height);
  std::shared_ptr<I_PlaneBase> plane =
      foreign ? std::make_shared<C_ForeignPlane>(made) : std::shared_ptr<I_PlaneBase>(made);
  std::uniform_int_distribution<int> value(0, 999);
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x)
      plane->SetValue(x, y, value(random));
  return plane;
}

constexpr unsigned kW = 7;
constexpr unsigned kH = 5;
} // namespace

// Planes replaced through the components, moved by resizing the frame along
// z, and the pixel component replaced by a change of type. The frame keeps
// its width and height, so that the helper made at the start still clamps
// like the per-neighbour path.
TEST(InterpolatedPixelFirstPlanes, ReplacedAndMovedPlanes)
{
  std::mt19937 random(31);
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_UInt16, kW, kH, 2));
  ASSERT_TRUE(frame->CreateValidMask());
  std::unique_ptr<bool[]> mask(new bool[kW * kH]);
  Randomise(*frame, mask.get(), random);
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "");

  frame->GetComponent(I_FrameImage::COMPONENT_PIXEL)->SetPlane(0, RandomPlane(DT_UInt16, kW, kH, random));
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "new pixel plane";
  // Mostly valid, so that the fast path has cells to take.
  std::shared_ptr<I_PlaneBase> validity = RandomPlane(DT_UInt8, kW, kH, random);
  validity->SetValue(2, 1, 0);
  validity->SetValue(5, 3, 0);
  frame->GetComponent(I_Frame::COMPONENT_MASK)->SetPlane(0, validity);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "new mask plane";
  // The component keeps the plane it was given: later writes reach it.
  validity->SetValue(3, 3, 0);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "mask plane written to";

  // Plane 1 becomes plane 0.
  frame->SetPixel(1, 1, 1, 4321);
  frame->SetValid(4, 2, 1, false);
  frame->Resize(0, kW - 1, 0, kH - 1, 1, 2);
  EXPECT_EQ(frame->GetPixel(1, 1, 0), 4321);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "planes removed before plane 0";
  // A new plane 0 in front, holding the default values.
  frame->Resize(0, kW - 1, 0, kH - 1, -1, 1);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "plane inserted before plane 0";
  Randomise(*frame, mask.get(), random);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "inserted plane written to";
  frame->SetSize(kW, kH, 1);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "depth 1";

  frame->ChangeComponentDataType(I_FrameImage::COMPONENT_PIXEL, DT_Float, true);
  frame->SetPixel(3, 2, 0, -2.5e7);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "pixel component replaced";

  // No planes at all: nothing to read, nothing valid.
  frame->SetSize(kW, kH, 0);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "depth 0";
  EXPECT_EQ(Pixel(helper, 1.5f, 1.5f, nullptr, true), Invalid(0.0f));
}

// Planes whose own size changes: the frame's pointers stay, the helper must
// read the plane as it is now.
TEST(InterpolatedPixelFirstPlanes, ResizedPlanes)
{
  std::mt19937 random(37);
  for (const E_DataType type : {DT_UInt16, DT_Double})
  {
    std::unique_ptr<I_FrameImage> frame(CreateImageFrame(type, kW, kH, 1));
    ASSERT_TRUE(frame->CreateValidMask());
    std::unique_ptr<bool[]> mask(new bool[kW * kH]);
    Randomise(*frame, mask.get(), random);
    const C_InterpolatedPixelHelper helper(frame.get(), 0);
    I_PlaneBase* pixels = frame->GetPlane(0);
    I_PlaneBase* validity = frame->GetComponent(I_Frame::COMPONENT_MASK)->GetPlane(0);

    // Wider and taller than the frame: the helper still stops at the frame's
    // last column and row, where what lies beyond has weight 0 (and a NaN
    // there shows whether it is read); the mask plane now has another size.
    pixels->Resize(0, kW + 1, 0, kH);
    for (unsigned y = 0; y <= kH; ++y)
      for (unsigned x = 0; x < kW + 2; ++x)
        pixels->SetValue(x, y, x >= kW || y >= kH ? std::numeric_limits<double>::quiet_NaN() : 11.0 * x + 3.0 * y);
    EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "pixel plane enlarged, type " << type;
    validity->Resize(0, kW + 1, 0, kH);
    EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "both enlarged, type " << type;
    validity->Resize(0, kW + 1, 0, kH - 2);
    EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "mask plane shorter, type " << type;
    validity->Resize(1, kW + 1, 0, kH - 2);
    EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "mask plane cut on the left, type " << type;
    // Smaller than the frame: beyond the plane reads 0.
    pixels->Resize(0, kW - 3, 0, kH - 2);
    EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "pixel plane cut, type " << type;
  }
}

// Planes whose data was detached read 0 (a mask plane: nothing valid).
TEST(InterpolatedPixelFirstPlanes, DetachedPlanes)
{
  std::mt19937 random(39);
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_UInt16, kW, kH, 1));
  ASSERT_TRUE(frame->CreateValidMask());
  std::unique_ptr<bool[]> mask(new bool[kW * kH]);
  Randomise(*frame, mask.get(), random);
  const C_InterpolatedPixelHelper helper(frame.get(), 0);

  std::free(frame->GetComponent(I_Frame::COMPONENT_MASK)->GetPlane(0)->DetachData());
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "mask data detached";
  EXPECT_FALSE(Pixel(helper, 1.5f, 1.5f, nullptr, true).valid);
  frame->DeleteMask();
  std::free(frame->GetPlane(0)->DetachData());
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "pixel data detached";
  EXPECT_EQ(Pixel(helper, 1.5f, 1.5f, nullptr, true), Valid(0.0f));
}

// The mask component created, deleted, or made by naming a component "MASK".
TEST(InterpolatedPixelFirstPlanes, MaskComponentChanges)
{
  std::mt19937 random(41);
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_UInt8, kW, kH, 1));
  std::unique_ptr<bool[]> mask(new bool[kW * kH]);
  Randomise(*frame, mask.get(), random);
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "no mask";

  ASSERT_TRUE(frame->CreateValidMask());
  frame->SetValid(3, 1, 0, false);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "valid mask created";
  frame->DeleteMask();
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "mask deleted";
  EXPECT_TRUE(Pixel(helper, 3.25f, 1.25f, nullptr, true).valid);

  // A mask component made like any other starts with every element 0.
  frame->CreateComponent(I_Frame::COMPONENT_MASK, DT_UInt8);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "mask component created";
  EXPECT_FALSE(Pixel(helper, 1.5f, 1.5f, nullptr, true).valid);
  frame->DeleteMask();

  // Named "MASK" afterwards: from then on it is the frame's mask.
  const unsigned other = frame->CreateComponent("OTHER", DT_UInt8);
  I_PlaneBase* otherPlane = frame->GetComponent(static_cast<int>(other))->GetPlane(0);
  otherPlane->Fill(1);
  otherPlane->SetValue(4, 2, 0);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "another component";
  frame->SetComponentName(static_cast<int>(other), I_Frame::COMPONENT_MASK);
  ASSERT_TRUE(frame->HasMask());
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "renamed to MASK";
  EXPECT_FALSE(Pixel(helper, 3.75f, 1.75f, nullptr, true).valid);
}

// A second component named "MASK" in front of the mask becomes the mask; the
// former one stays in the frame and must no longer count, also when its
// planes change.
TEST(InterpolatedPixelFirstPlanes, FormerMaskComponentsNoLongerCount)
{
  std::mt19937 random(53);
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_UInt16, kW, kH, 2));
  const unsigned other = frame->CreateComponent("OTHER", DT_UInt8);
  frame->GetComponent(static_cast<int>(other))->GetPlane(0)->Fill(1);
  ASSERT_TRUE(frame->CreateValidMask());
  std::unique_ptr<bool[]> mask(new bool[kW * kH]);
  Randomise(*frame, mask.get(), random);
  const C_InterpolatedPixelHelper helper(frame.get(), 0);

  frame->SetComponentName(static_cast<int>(other), I_Frame::COMPONENT_MASK);
  ASSERT_EQ(frame->GetComponentIndex(I_Frame::COMPONENT_MASK), static_cast<int>(other));
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "renamed in front of the mask";
  // Every component loses its plane 0, the former mask after the new one.
  frame->Resize(0, kW - 1, 0, kH - 1, 1, 1);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "plane lists changed";
}

// Planes of a class of the caller's own are not read directly: the frame
// has no first-plane pointer for them, and the helper calls them.
TEST(InterpolatedPixelFirstPlanes, PlanesOfForeignClasses)
{
  std::mt19937 random(43);
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_Int32, kW, kH, 1));
  ASSERT_TRUE(frame->CreateValidMask());
  std::unique_ptr<bool[]> mask(new bool[kW * kH]);
  Randomise(*frame, mask.get(), random);
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  const auto& image = dynamic_cast<const C_FrameImage&>(*frame);

  I_Component* validity = frame->GetComponent(I_Frame::COMPONENT_MASK);
  validity->SetPlane(0, RandomPlane(DT_UInt8, kW, kH, random, true));
  EXPECT_EQ(image.GetFirstMaskPlane(), nullptr);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "foreign mask plane";
  frame->GetComponent(I_FrameImage::COMPONENT_PIXEL)->SetPlane(0, RandomPlane(DT_Int32, kW, kH, random, true));
  EXPECT_EQ(image.GetFirstPixelPlane(), nullptr);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "foreign pixel plane";
  // Back to the library's classes.
  validity->SetPlane(0, RandomPlane(DT_UInt8, kW, kH, random));
  frame->GetComponent(I_FrameImage::COMPONENT_PIXEL)->SetPlane(0, RandomPlane(DT_Int32, kW, kH, random));
  EXPECT_NE(image.GetFirstPixelPlane(), nullptr);
  EXPECT_EQ(Check(*frame, helper, mask.get()), "") << "library planes again";
}

// Copies and conversions point to their own planes: the original may change
// or go away.
TEST(InterpolatedPixelFirstPlanes, CopiesKeepTheirOwnPlanes)
{
  std::mt19937 random(47);
  std::unique_ptr<I_FrameImage> original(CreateImageFrame(DT_UInt16, kW, kH, 1));
  ASSERT_TRUE(original->CreateValidMask());
  std::unique_ptr<bool[]> mask(new bool[kW * kH]);
  Randomise(*original, mask.get(), random);
  std::unique_ptr<I_FrameImage> copy(dynamic_cast<I_FrameImage*>(original->Clone(true)));
  std::unique_ptr<I_FrameImage> empty(dynamic_cast<I_FrameImage*>(original->Clone(false)));
  std::unique_ptr<I_FrameImage> converted(original->ConvertTo(DT_Float));
  std::unique_ptr<I_FrameImage> part(dynamic_cast<I_FrameImage*>(original->CreateSubFrame(1, kW - 2, 0, kH - 1, 0, 0)));
  ASSERT_TRUE(copy && empty && converted && part);
  const C_InterpolatedPixelHelper copyHelper(copy.get(), 0);

  // Changes of the original's planes reach neither the copy nor the others.
  original->GetComponent(I_FrameImage::COMPONENT_PIXEL)->SetPlane(0, RandomPlane(DT_UInt16, kW, kH, random));
  original->DeleteMask();
  original.reset();
  EXPECT_EQ(Check(*copy, copyHelper, mask.get()), "") << "copy";
  for (I_FrameImage* other : {empty.get(), converted.get(), part.get()})
  {
    const C_InterpolatedPixelHelper helper(other, 0);
    std::unique_ptr<bool[]> otherMask(new bool[other->GetWidth() * other->GetHeight()]());
    EXPECT_EQ(Check(*other, helper, otherMask.get()), "") << other->GetWidth() << " x " << other->GetHeight();
  }
  // The copy's own components keep its pointers.
  copy->GetComponent(I_FrameImage::COMPONENT_PIXEL)->SetPlane(0, RandomPlane(DT_UInt16, kW, kH, random));
  copy->GetComponent(I_Frame::COMPONENT_MASK)->SetPlane(0, RandomPlane(DT_UInt8, kW, kH, random));
  EXPECT_EQ(Check(*copy, copyHelper, mask.get()), "") << "copy's planes replaced";
}
