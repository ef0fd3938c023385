#include <BufferApi.h>

#include "PlaneTestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

using namespace BufferApi;
using PlaneTestHelpers::Raised;

namespace
{
struct S_Result
{
  double value;
  bool valid;
};

S_Result Masked(double fx, double fy, bool va, bool vb, bool vc, bool vd, double a = 10, double b = 20, double c = 30,
                double d = 40)
{
  double value = -1;
  const bool valid = BilinearInterpolationGetMaskedValue(fx, fy, a, b, c, d, va, vb, vc, vd, &value);
  return {value, valid};
}

double Bilinear(double fx, double fy, double a, double b, double c, double d)
{
  return (1 - fx) * (1 - fy) * a + fx * (1 - fy) * b + (1 - fx) * fy * c + fx * fy * d;
}

// One point in each quadrant: A, B, C, D.
const double kQx[4] = {0.25, 0.75, 0.25, 0.75};
const double kQy[4] = {0.25, 0.25, 0.75, 0.75};

//! A float image of width x height x depth with value 10 x + 100 y + 1000 z:
//! bilinear interpolation reproduces it exactly.
std::unique_ptr<I_FrameImage> Ramp(unsigned width = 4, unsigned height = 3, unsigned depth = 1)
{
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_Float, width, height, depth));
  for (unsigned z = 0; z < depth; ++z)
  {
    for (unsigned y = 0; y < height; ++y)
    {
      for (unsigned x = 0; x < width; ++x)
      {
        frame->SetPixel(x, y, z, 10.0 * x + 100.0 * y + 1000.0 * z);
      }
    }
  }
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

S_Pixel Pixel(const C_InterpolatedPixelHelper& helper, float x, float y, bool* mask = nullptr,
              bool useFrameMask = false)
{
  bool valid = true; // the "nothing valid" paths must clear it
  const float value = helper.GetInterpolatedPixel(x, y, mask, useFrameMask, &valid);
  return {value, valid};
}

tagRGBQUAD Quad(unsigned char red, unsigned char green, unsigned char blue, unsigned char reserved = 0)
{
  return {blue, green, red, reserved};
}
} // namespace

// ---------------------------------------------------------------------------
// BilinearInterpolationGetMaskedValue

TEST(BilinearMasked, AllValidAndNoneValidGiveTheBilinearValue)
{
  const S_Result all = Masked(0.25, 0.25, true, true, true, true);
  EXPECT_DOUBLE_EQ(all.value, 17.5);
  EXPECT_TRUE(all.valid);
  const S_Result allFar = Masked(0.3, 0.8, true, true, true, true);
  EXPECT_DOUBLE_EQ(allFar.value, Bilinear(0.3, 0.8, 10, 20, 30, 40));
  EXPECT_TRUE(allFar.valid);

  // None valid: the same value is written, but it is never valid.
  for (int q = 0; q < 4; ++q)
  {
    const S_Result none = Masked(kQx[q], kQy[q], false, false, false, false);
    EXPECT_DOUBLE_EQ(none.value, Bilinear(kQx[q], kQy[q], 10, 20, 30, 40));
    EXPECT_FALSE(none.valid);
  }
}

TEST(BilinearMasked, OneValidNeighbourIsValidOnlyInItsQuadrant)
{
  const double values[4] = {10, 20, 30, 40};
  for (int n = 0; n < 4; ++n)
  {
    for (int q = 0; q < 4; ++q)
    {
      const S_Result r = Masked(kQx[q], kQy[q], n == 0, n == 1, n == 2, n == 3);
      EXPECT_DOUBLE_EQ(r.value, values[n]) << "neighbour " << n << " quadrant " << q;
      EXPECT_EQ(r.valid, n == q) << "neighbour " << n << " quadrant " << q;
    }
  }
  // The quadrant boundary 0.5 belongs to B, C and D.
  EXPECT_TRUE(Masked(0.5, 0.5, false, false, false, true).valid);
  EXPECT_FALSE(Masked(0.5, 0.49, false, false, false, true).valid);
  EXPECT_TRUE(Masked(0.5, 0.49, false, true, false, false).valid);
  EXPECT_TRUE(Masked(0.49, 0.5, false, false, true, false).valid);
  EXPECT_TRUE(Masked(0.49, 0.49, true, false, false, false).valid);
}

TEST(BilinearMasked, TwoNeighboursAlongAnEdge)
{
  // A and B: linear along the upper edge, valid in the upper half.
  S_Result r = Masked(0.3, 0.7, true, true, false, false);
  EXPECT_DOUBLE_EQ(r.value, 0.7 * 10 + 0.3 * 20);
  EXPECT_FALSE(r.valid);
  r = Masked(0.3, 0.2, true, true, false, false);
  EXPECT_DOUBLE_EQ(r.value, 13.0);
  EXPECT_TRUE(r.valid);
  EXPECT_FALSE(Masked(0.3, 0.5, true, true, false, false).valid);

  // C and D: linear along the lower edge, valid in the lower half.
  r = Masked(0.3, 0.5, false, false, true, true);
  EXPECT_DOUBLE_EQ(r.value, 0.7 * 30 + 0.3 * 40);
  EXPECT_TRUE(r.valid);
  EXPECT_FALSE(Masked(0.3, 0.49, false, false, true, true).valid);

  // A and C: linear along the left edge, valid in the left half.
  r = Masked(0.8, 0.25, true, false, true, false);
  EXPECT_DOUBLE_EQ(r.value, 0.75 * 10 + 0.25 * 30);
  EXPECT_FALSE(r.valid);
  EXPECT_TRUE(Masked(0.49, 0.25, true, false, true, false).valid);
  EXPECT_FALSE(Masked(0.5, 0.25, true, false, true, false).valid);

  // B and D: linear along the right edge, valid in the right half.
  r = Masked(0.5, 0.25, false, true, false, true);
  EXPECT_DOUBLE_EQ(r.value, 0.75 * 20 + 0.25 * 40);
  EXPECT_TRUE(r.valid);
  EXPECT_FALSE(Masked(0.49, 0.25, false, true, false, true).valid);
}

TEST(BilinearMasked, ThreeValidWorkedExample)
{
  // A invalid: M = (b + c + d) / 3, A' = M, mAB = b, mAC = c, lx = ly = 0.5.
  const double m = (20.0 + 30.0 + 40.0) / 3;
  S_Result r = Masked(0.25, 0.25, false, true, true, true);
  EXPECT_DOUBLE_EQ(r.value, (m + 20 + 30 + m) / 4);
  EXPECT_FALSE(r.valid);

  // B's quadrant: corners mAB = b, B' = b, M, mBD = (b + d) / 2.
  r = Masked(0.75, 0.25, false, true, true, true);
  EXPECT_DOUBLE_EQ(r.value, (20 + 20 + m + 30) / 4);
  EXPECT_TRUE(r.valid);

  // C's quadrant: corners mAC = c, M, C' = c, mCD = (c + d) / 2.
  r = Masked(0.25, 0.75, false, true, true, true);
  EXPECT_DOUBLE_EQ(r.value, (30 + m + 30 + 35) / 4);
  EXPECT_TRUE(r.valid);

  // D's quadrant, away from the middle: lx = 0.5, ly = 0.2 from the centre.
  r = Masked(0.75, 0.6, false, true, true, true);
  EXPECT_DOUBLE_EQ(r.value, Bilinear(0.5, 0.2, m, 30, 35, 40));
  EXPECT_TRUE(r.valid);
}

TEST(BilinearMasked, EveryThreeSetAndDiagonalPair)
{
  const double v[4] = {10, 20, 30, 40};
  // Index order A, B, C, D; two diagonal pairs and the four sets of three.
  const bool sets[6][4] = {{true, false, false, true}, {false, true, true, false}, {false, true, true, true},
                           {true, false, true, true},  {true, true, false, true},  {true, true, true, false}};
  for (const auto& s : sets)
  {
    double sum = 0;
    int n = 0;
    for (int i = 0; i < 4; ++i)
    {
      if (s[i])
      {
        sum += v[i];
        ++n;
      }
    }
    const double m = sum / n;
    const auto at = [&](double fx, double fy) { return Masked(fx, fy, s[0], s[1], s[2], s[3]); };
    // Validity follows the quadrant's owner.
    for (int q = 0; q < 4; ++q)
    {
      EXPECT_EQ(at(kQx[q], kQy[q]).valid, s[q]) << "quadrant " << q;
    }
    // Corners: the own value, or M for an invalid neighbour; the middle is M.
    EXPECT_DOUBLE_EQ(at(0, 0).value, s[0] ? v[0] : m);
    EXPECT_DOUBLE_EQ(at(1, 0).value, s[1] ? v[1] : m);
    EXPECT_DOUBLE_EQ(at(0, 1).value, s[2] ? v[2] : m);
    EXPECT_DOUBLE_EQ(at(1, 1).value, s[3] ? v[3] : m);
    EXPECT_DOUBLE_EQ(at(0.5, 0.5).value, m);
    // Edge midpoints: the mean of the valid ends.
    const auto mid = [&](int p, int q) { return s[p] && s[q] ? (v[p] + v[q]) / 2 : (s[p] ? v[p] : v[q]); };
    EXPECT_DOUBLE_EQ(at(0.5, 0).value, mid(0, 1));
    EXPECT_DOUBLE_EQ(at(0, 0.5).value, mid(0, 2));
    EXPECT_DOUBLE_EQ(at(1, 0.5).value, mid(1, 3));
    EXPECT_DOUBLE_EQ(at(0.5, 1).value, mid(2, 3));
    // Continuous across the quadrant borders (a mirrored quadrant breaks this).
    for (double t = 0.05; t < 1; t += 0.1)
    {
      EXPECT_NEAR(at(0.5 - 1e-9, t).value, at(0.5, t).value, 1e-6) << t;
      EXPECT_NEAR(at(t, 0.5 - 1e-9).value, at(t, 0.5).value, 1e-6) << t;
    }
  }
  // Diagonal A and D by hand: M = 25, every midpoint the value of its valid end.
  EXPECT_DOUBLE_EQ(Masked(0.25, 0.25, true, false, false, true).value, (10 + 10 + 10 + 25) / 4.0);
  EXPECT_DOUBLE_EQ(Masked(0.75, 0.25, true, false, false, true).value, (10 + 25 + 25 + 40) / 4.0);
}

TEST(BilinearMasked, NullResultPointerIsNotWritten)
{
  EXPECT_TRUE(BilinearInterpolationGetMaskedValue(0.2, 0.2, 1, 2, 3, 4, true, true, true, true, nullptr));
  EXPECT_FALSE(BilinearInterpolationGetMaskedValue(0.2, 0.2, 1, 2, 3, 4, false, true, true, false, nullptr));
}

// ---------------------------------------------------------------------------
// C_InterpolatedPixelHelper::GetInterpolatedPixel

TEST(InterpolatedPixel, InteriorAndClampedPositions)
{
  auto frame = Ramp();
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  EXPECT_EQ(helper.GetFrame(), frame.get());

  S_Pixel p = Pixel(helper, 1.25f, 0.5f);
  EXPECT_FLOAT_EQ(p.value, 62.5f);
  EXPECT_TRUE(p.valid);
  EXPECT_FLOAT_EQ(Pixel(helper, 2.75f, 1.75f).value, 27.5f + 175.0f);

  // Left of the frame: computed at x = 0.
  EXPECT_FLOAT_EQ(Pixel(helper, -3.0f, 1.5f).value, 150.0f);
  EXPECT_FLOAT_EQ(Pixel(helper, 1.5f, -0.01f).value, 15.0f);
  // Exactly on, and just beyond, the last column and row.
  EXPECT_FLOAT_EQ(Pixel(helper, 3.0f, 1.5f).value, 180.0f);
  EXPECT_FLOAT_EQ(Pixel(helper, 3.001f, 1.5f).value, 180.0f);
  EXPECT_FLOAT_EQ(Pixel(helper, 1e30f, 1.5f).value, 180.0f);
  EXPECT_FLOAT_EQ(Pixel(helper, 1.5f, 2.0f).value, 215.0f);
  EXPECT_FLOAT_EQ(Pixel(helper, 1.5f, 2.5f).value, 215.0f);
  EXPECT_FLOAT_EQ(Pixel(helper, 3.0f, 2.0f).value, 230.0f);
  EXPECT_FLOAT_EQ(Pixel(helper, 9.0f, 9.0f).value, 230.0f);
  // Just inside the last column still interpolates towards it.
  EXPECT_NEAR(Pixel(helper, 2.999f, 0.0f).value, 29.99f, 1e-3);
  // NaN and infinity are clamped like any position not below the limit.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  p = Pixel(helper, nan, nan);
  EXPECT_FLOAT_EQ(p.value, 230.0f);
  EXPECT_TRUE(p.valid);
  EXPECT_FLOAT_EQ(Pixel(helper, -std::numeric_limits<float>::infinity(), 1.0f).value, 100.0f);

  // A null validity pointer is allowed.
  EXPECT_FLOAT_EQ(helper.GetInterpolatedPixel(1.25f, 0.5f, nullptr, false, nullptr), 62.5f);
}

TEST(InterpolatedPixel, LastColumnUsesOnlyThatColumn)
{
  // A column beyond the frame does not exist; at x = W - 1 the column W - 2
  // must not leak in either.
  auto frame = Ramp();
  frame->SetPixel(2, 1, 0, 5000);
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  EXPECT_FLOAT_EQ(Pixel(helper, 3.0f, 1.0f).value, 130.0f);
  EXPECT_FLOAT_EQ(Pixel(helper, 3.0f, 0.5f).value, 80.0f);
}

TEST(InterpolatedPixel, CallerMask)
{
  auto frame = Ramp();
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  auto mask = AllValid();

  // All valid: the plain value.
  S_Pixel p = Pixel(helper, 1.25f, 0.5f, mask.get());
  EXPECT_FLOAT_EQ(p.value, 62.5f);
  EXPECT_TRUE(p.valid);

  // A = (1, 0) invalid: quadrant interpolation of the cell at (1, 0).
  mask[1] = false;
  double expected = 0;
  const bool expectedValid =
      BilinearInterpolationGetMaskedValue(0.25, 0.25, 10, 20, 110, 120, false, true, true, true, &expected);
  p = Pixel(helper, 1.25f, 0.25f, mask.get());
  EXPECT_FLOAT_EQ(p.value, static_cast<float>(expected));
  EXPECT_FALSE(expectedValid);
  EXPECT_FALSE(p.valid);
  p = Pixel(helper, 1.75f, 0.25f, mask.get());
  EXPECT_TRUE(p.valid);

  // The caller's mask is indexed y * W + x: D of cell (1, 1) is (2, 2) = 10.
  mask = AllValid();
  mask[10] = false;
  EXPECT_FALSE(Pixel(helper, 1.75f, 1.75f, mask.get()).valid);
  EXPECT_TRUE(Pixel(helper, 1.25f, 1.75f, mask.get()).valid);

  // No valid neighbour: 0 and invalid, whatever the pixel values.
  std::unique_ptr<bool[]> none(new bool[12]());
  p = Pixel(helper, 1.5f, 1.5f, none.get());
  EXPECT_FLOAT_EQ(p.value, 0.0f);
  EXPECT_FALSE(p.valid);

  // An element is valid only when its byte is exactly 1.
  mask = AllValid();
  unsigned char* bytes = reinterpret_cast<unsigned char*>(mask.get());
  bytes[5] = 2;
  EXPECT_FALSE(Pixel(helper, 1.25f, 1.25f, mask.get()).valid);
}

TEST(InterpolatedPixel, CallerMaskAtTheBorders)
{
  auto frame = Ramp();
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  auto mask = AllValid(); // exactly W x H: a read past the end is caught

  // Last column: B and D lie outside and count as invalid, A and C remain.
  S_Pixel p = Pixel(helper, 3.0f, 0.25f, mask.get());
  EXPECT_FLOAT_EQ(p.value, 55.0f);
  EXPECT_TRUE(p.valid);
  // Last row: A and B remain.
  p = Pixel(helper, 1.25f, 2.0f, mask.get());
  EXPECT_FLOAT_EQ(p.value, 212.5f);
  EXPECT_TRUE(p.valid);
  // Last pixel, also from beyond it: A alone.
  p = Pixel(helper, 3.5f, 7.0f, mask.get());
  EXPECT_FLOAT_EQ(p.value, 230.0f);
  EXPECT_TRUE(p.valid);
  // Last pixel invalid: nothing valid remains.
  mask[11] = false;
  p = Pixel(helper, 3.0f, 2.0f, mask.get());
  EXPECT_FLOAT_EQ(p.value, 0.0f);
  EXPECT_FALSE(p.valid);
  // Last column with A invalid: C alone, valid only in C's half.
  mask = AllValid();
  mask[7] = false; // (3, 1)
  p = Pixel(helper, 3.0f, 1.75f, mask.get());
  EXPECT_FLOAT_EQ(p.value, 230.0f);
  EXPECT_TRUE(p.valid);
  EXPECT_FALSE(Pixel(helper, 3.0f, 1.25f, mask.get()).valid);
  // Last column with C invalid: A alone. The element after (3, 1) in memory
  // is (0, 2), which is valid, so reading it as D would change the value.
  p = Pixel(helper, 3.0f, 0.75f, mask.get());
  EXPECT_FLOAT_EQ(p.value, 30.0f);
  EXPECT_FALSE(p.valid);
}

TEST(InterpolatedPixel, FrameMaskAndPrecedence)
{
  auto frame = Ramp();
  const C_InterpolatedPixelHelper helper(frame.get(), 0);

  // Without a frame mask, useFrameMask changes nothing.
  const S_Pixel plain = Pixel(helper, 1.25f, 0.75f);
  S_Pixel p = Pixel(helper, 1.25f, 0.75f, nullptr, true);
  EXPECT_FLOAT_EQ(p.value, plain.value);
  EXPECT_TRUE(p.valid);

  ASSERT_TRUE(frame->CreateValidMask());
  frame->SetValid(1, 0, 0, false);
  p = Pixel(helper, 1.25f, 0.25f, nullptr, true);
  EXPECT_FALSE(p.valid);
  p = Pixel(helper, 1.75f, 0.25f, nullptr, true);
  EXPECT_TRUE(p.valid);
  // Not asked for: the frame mask is ignored.
  p = Pixel(helper, 1.25f, 0.25f, nullptr, false);
  EXPECT_FLOAT_EQ(p.value, 12.5f + 25.0f);
  EXPECT_TRUE(p.valid);
  // A caller's mask takes precedence over the frame's.
  auto mask = AllValid();
  p = Pixel(helper, 1.25f, 0.25f, mask.get(), true);
  EXPECT_FLOAT_EQ(p.value, 37.5f);
  EXPECT_TRUE(p.valid);
  mask[2] = false; // B of the cell, valid in the frame mask
  frame->SetValid(1, 0, 0, true);
  EXPECT_FALSE(Pixel(helper, 1.75f, 0.25f, mask.get(), true).valid);
  EXPECT_TRUE(Pixel(helper, 1.75f, 0.25f, nullptr, true).valid);

  // At the last column the frame mask has nothing beyond the border: A and C.
  p = Pixel(helper, 3.0f, 0.5f, nullptr, true);
  EXPECT_FLOAT_EQ(p.value, 80.0f);
  EXPECT_TRUE(p.valid);
  // All four invalid in the frame mask: 0 and invalid.
  for (unsigned x = 1; x <= 2; ++x)
  {
    for (unsigned y = 0; y <= 1; ++y)
    {
      frame->SetValid(x, y, 0, false);
    }
  }
  p = Pixel(helper, 1.5f, 0.5f, nullptr, true);
  EXPECT_FLOAT_EQ(p.value, 0.0f);
  EXPECT_FALSE(p.valid);
}

TEST(InterpolatedPixel, PlanesAndMissingPlanes)
{
  auto frame = Ramp(4, 3, 2);
  ASSERT_TRUE(frame->CreateValidMask());
  frame->SetValid(1, 1, 0, false); // plane 0 only

  const C_InterpolatedPixelHelper second(frame.get(), 1);
  S_Pixel p = Pixel(second, 1.25f, 1.25f, nullptr, true);
  EXPECT_FLOAT_EQ(p.value, 1137.5f);
  EXPECT_TRUE(p.valid);
  EXPECT_FALSE(Pixel(C_InterpolatedPixelHelper(frame.get(), 0), 1.25f, 1.25f, nullptr, true).valid);

  // A plane the frame does not have reads 0; its frame mask plane is missing
  // too, so with the frame mask nothing is valid.
  const C_InterpolatedPixelHelper missing(frame.get(), 7);
  p = Pixel(missing, 1.5f, 1.5f);
  EXPECT_FLOAT_EQ(p.value, 0.0f);
  EXPECT_TRUE(p.valid);
  p = Pixel(missing, 1.5f, 1.5f, nullptr, true);
  EXPECT_FALSE(p.valid);
}

TEST(InterpolatedPixel, FramesThatCannotBeRead)
{
  // No frame, a frame that is not an image frame, an empty frame: 0, invalid.
  const C_InterpolatedPixelHelper none(static_cast<I_Frame*>(nullptr), 0);
  EXPECT_EQ(none.GetFrame(), nullptr);
  S_Pixel p = Pixel(none, 1.0f, 1.0f, nullptr, true);
  EXPECT_FLOAT_EQ(p.value, 0.0f);
  EXPECT_FALSE(p.valid);

  std::unique_ptr<I_FrameVector2C> vectors(CreateVectorFrame2C(4, 3, 1, 1));
  const C_InterpolatedPixelHelper vectorHelper(vectors.get(), 0);
  EXPECT_FALSE(Pixel(vectorHelper, 1.0f, 1.0f).valid);
  const tagRGBQUAD q = vectorHelper.GetInterpolatedRGB(1.0f, 1.0f);
  EXPECT_EQ(q.rgbRed + q.rgbGreen + q.rgbBlue + q.rgbReserved, 0);

  std::unique_ptr<I_FrameImage> empty(CreateImageFrame(DT_Float, 0, 3, 1));
  ASSERT_NE(empty, nullptr);
  const C_InterpolatedPixelHelper emptyHelper(empty.get(), 0);
  EXPECT_FALSE(Pixel(emptyHelper, 0.0f, 0.0f).valid);
  EXPECT_FALSE(Pixel(emptyHelper, 0.0f, 0.0f, AllValid(1, 1).get()).valid);
}

TEST(InterpolatedPixel, FrameShrunkAfterConstructionReadsNothingStray)
{
  auto frame = Ramp();
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  frame->SetSize(2, 2, 1);
  // The helper still clamps to 4 x 3; reads beyond the new size give 0.
  S_Pixel p = Pixel(helper, 3.0f, 2.0f);
  EXPECT_FLOAT_EQ(p.value, 0.0f);
  EXPECT_FLOAT_EQ(Pixel(helper, 0.5f, 0.0f).value, 5.0f);
  EXPECT_FLOAT_EQ(Pixel(helper, 1.5f, 0.0f).value, 5.0f);
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
  // Bad frame index: no frame.
  const C_InterpolatedPixelHelper bad(buffer.get(), 2, 0);
  EXPECT_EQ(bad.GetFrame(), nullptr);
  EXPECT_FALSE(Pixel(bad, 0.5f, 0.0f).valid);
  const C_InterpolatedPixelHelper noBuffer(static_cast<I_Buffer*>(nullptr), 0, 0);
  EXPECT_EQ(noBuffer.GetFrame(), nullptr);

  // Copies read the same plane of the same frame.
  C_InterpolatedPixelHelper copy = helper;
  EXPECT_FLOAT_EQ(Pixel(copy, 0.5f, 0.0f).value, 150.5f);
  copy = bad;
  EXPECT_EQ(copy.GetFrame(), nullptr);
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
  // Without a mask the size does not matter.
  EXPECT_FLOAT_EQ(helper.GetInterpolatedPixel(1.25f, 0.5f, nullptr, 0, true, &valid), 62.5f);
}

// ---------------------------------------------------------------------------
// C_InterpolatedPixelHelper::GetInterpolatedRGB

namespace
{
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

void ExpectQuad(const tagRGBQUAD& q, int red, int green, int blue, int reserved)
{
  EXPECT_EQ(q.rgbRed, red);
  EXPECT_EQ(q.rgbGreen, green);
  EXPECT_EQ(q.rgbBlue, blue);
  EXPECT_EQ(q.rgbReserved, reserved);
}
} // namespace

TEST(InterpolatedRGB, InteriorChannelsAreTruncated)
{
  auto frame = Colours();
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  // red (10 + 21 + 30 + 41) / 4 = 25.5, green 102, blue 87.75.
  ExpectQuad(helper.GetInterpolatedRGB(0.5f, 0.5f), 25, 102, 87, 0);
  // On a pixel of the interior the reserved byte is not carried over.
  ExpectQuad(helper.GetInterpolatedRGB(0.0f, 0.0f), 10, 100, 200, 0);
  ExpectQuad(helper.GetInterpolatedRGB(-5.0f, -5.0f), 10, 100, 200, 0);
  // 0.25 of the way: red 10 + 0.25 * 11 = 12.75.
  ExpectQuad(helper.GetInterpolatedRGB(0.25f, 0.0f), 12, 100, 150, 0);
}

TEST(InterpolatedRGB, Borders)
{
  auto frame = Colours();
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  // Last row: between A and B only.
  ExpectQuad(helper.GetInterpolatedRGB(0.5f, 1.0f), 35, 103, 75, 0);
  ExpectQuad(helper.GetInterpolatedRGB(1.5f, 3.0f), 50, 87, 65, 0);
  // Last column: between A and C only.
  ExpectQuad(helper.GetInterpolatedRGB(2.0f, 0.5f), 50, 35, 167, 0);
  ExpectQuad(helper.GetInterpolatedRGB(2.5f, 0.25f), 45, 17, 211, 0);
  // Last pixel, exactly and from beyond: unchanged, reserved byte included.
  ExpectQuad(helper.GetInterpolatedRGB(2.0f, 1.0f), 60, 70, 80, 9);
  ExpectQuad(helper.GetInterpolatedRGB(2.001f, 1.001f), 60, 70, 80, 9);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  ExpectQuad(helper.GetInterpolatedRGB(nan, nan), 60, 70, 80, 9);
}

TEST(InterpolatedRGB, FramesWithoutColour)
{
  // A grey image frame is no RGB frame; a missing plane reads zero quads.
  auto grey = Ramp();
  ExpectQuad(C_InterpolatedPixelHelper(grey.get(), 0).GetInterpolatedRGB(1.0f, 1.0f), 0, 0, 0, 0);
  auto frame = Colours();
  ExpectQuad(C_InterpolatedPixelHelper(frame.get(), 3).GetInterpolatedRGB(2.0f, 1.0f), 0, 0, 0, 0);
  ExpectQuad(C_InterpolatedPixelHelper(frame.get(), 3).GetInterpolatedRGB(0.5f, 0.5f), 0, 0, 0, 0);
  // GetInterpolatedPixel on an RGB frame interpolates the packed colour value.
  const C_InterpolatedPixelHelper helper(frame.get(), 0);
  EXPECT_FLOAT_EQ(Pixel(helper, 2.0f, 1.0f).value, static_cast<float>(60 * 65536 + 70 * 256 + 80));
}

// ---------------------------------------------------------------------------
// C_ImagePlaneAccess

namespace
{
class C_PlaneAccessProbe : public C_ImagePlaneAccess
{
public:
  using C_ImagePlaneAccess::C_ImagePlaneAccess;
  const I_Frame* Frame() const { return m_frame; }
  unsigned Plane() const { return m_plane; }
};
} // namespace

TEST(ImagePlaneAccess, HoldsFrameAndPlaneAndCopies)
{
  auto frame = Ramp();
  C_PlaneAccessProbe access(frame.get(), 3);
  EXPECT_EQ(access.Frame(), frame.get());
  EXPECT_EQ(access.Plane(), 3u);
  C_PlaneAccessProbe other(nullptr, 0);
  other = access;
  EXPECT_EQ(other.Frame(), frame.get());
  EXPECT_EQ(other.Plane(), 3u);
  std::unique_ptr<C_ImagePlaneAccess> owned(new C_PlaneAccessProbe(access));
  EXPECT_EQ(static_cast<C_PlaneAccessProbe*>(owned.get())->Plane(), 3u);
}
