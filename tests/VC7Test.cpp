#include "IM7TestHelpers.h"

#include <BufferApi/I_FrameVector2C.h>
#include <BufferApi/I_FrameVector3C.h>

#include <gtest/gtest.h>

using namespace BufferApi;
using namespace IM7Test;

namespace
{
const unsigned kWidth = 4, kHeight = 3, kDepth = 2;

struct VectorCase
{
  int code;
  bool threeComponents;
  unsigned choices;
  bool peakRatio;
};

double Value(unsigned f, unsigned x, unsigned y, unsigned z, unsigned choice, unsigned component)
{
  return 0.25 * (1 + x + 10 * y + 100 * z) + choice * 1000 + component * 10000 + f * 100000;
}

std::unique_ptr<I_Buffer> MakeVectors(const VectorCase& c, unsigned frames, unsigned gridY = 8)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  for (unsigned f = 0; f < frames; ++f)
  {
    I_FrameVector* frame = nullptr;
    if (c.threeComponents)
      frame = buffer->AddVectorFrame3C(kWidth, kHeight, kDepth, c.choices, DT_Float, 8);
    else
      frame = buffer->AddVectorFrame2C(kWidth, kHeight, kDepth, c.choices, DT_Float, 8);
    frame->SetGridY(gridY);
    const int peak = c.peakRatio ? static_cast<int>(frame->CreateComponent("Peak ratio", DT_Float)) : -1;
    for (unsigned z = 0; z < kDepth; ++z)
      for (unsigned y = 0; y < kHeight; ++y)
        for (unsigned x = 0; x < kWidth; ++x)
        {
          for (unsigned choice = 0; choice < c.choices; ++choice)
          {
            const double u = Value(f, x, y, z, choice, 0), v = Value(f, x, y, z, choice, 1),
                         w = Value(f, x, y, z, choice, 2);
            if (auto* v3 = dynamic_cast<I_FrameVector3C*>(frame))
              v3->SetVector(x, y, z, u, v, w, choice);
            else
              dynamic_cast<I_FrameVector2C*>(frame)->SetVector(x, y, z, u, v, choice);
          }
          // One choice stores no flag: only the zero vector below reads as disabled.
          const bool enabled = c.choices == 1 || (x + y + z) % 4 != 1;
          frame->SetActiveChoice(x, y, z, enabled ? static_cast<int>((x + y + f) % c.choices) : 0);
          frame->SetEnabled(x, y, z, enabled);
          if (peak >= 0)
            frame->SetValue(peak, x, y, z, 1.5 + x + y + z);
        }
    if (c.choices == 1)
    {
      // A vector of zeros is what a disabled one-choice vector reads as.
      if (auto* v3 = dynamic_cast<I_FrameVector3C*>(frame))
        v3->SetVector(1, 0, 0, 0, 0, 0, 0);
      else
        dynamic_cast<I_FrameVector2C*>(frame)->SetVector(1, 0, 0, 0, 0, 0);
      frame->SetEnabled(1, 0, 0, false);
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
    EXPECT_EQ(b->GetGridX(), a->GetGridX());
    EXPECT_EQ(b->GetGridY(), a->GetGridY());
    EXPECT_EQ(b->GetGridZ(), a->GetGridZ());
    const int peakA = a->GetComponentIndex("Peak ratio"), peakB = b->GetComponentIndex("Peak ratio");
    ASSERT_EQ(peakB >= 0, c.peakRatio);
    for (unsigned z = 0; z < kDepth; ++z)
      for (unsigned y = 0; y < kHeight; ++y)
        for (unsigned x = 0; x < kWidth; ++x)
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
          ASSERT_EQ(b->IsEnabled(x, y, z), a->IsEnabled(x, y, z)) << x << " " << y << " " << z;
          if (c.choices > 1)
          {
            ASSERT_EQ(b->GetActiveChoice(x, y, z), a->GetActiveChoice(x, y, z));
          }
          if (c.peakRatio)
          {
            ASSERT_EQ(b->GetValue(peakB, x, y, z), a->GetValue(peakA, x, y, z));
          }
        }
  }
}

class VC7Codes : public testing::TestWithParam<VectorCase>
{
};

TEST_P(VC7Codes, RoundTripKeepsChoicesFlagsPeakRatioAndGrids)
{
  const VectorCase c = GetParam();
  const auto buffer = MakeVectors(c, 2);
  const Bytes file = Write(*buffer);
  EXPECT_EQ(Get<std::int16_t>(file, 4), c.code);
  const unsigned planes =
      c.choices == 1 ? (c.threeComponents ? 3 : 2) : 1 + 4 * (c.threeComponents ? 3 : 2) + (c.peakRatio ? 1 : 0);
  EXPECT_EQ(TrailerPosition(file, 0), 256u + 2u * planes * kDepth * kWidth * kHeight * 4u);
  ExpectSameVectors(*buffer, *Read(file).buffer, c);
}

INSTANTIATE_TEST_SUITE_P(AllCodes, VC7Codes,
                         testing::Values(VectorCase{1, false, 4, false}, VectorCase{2, false, 1, false},
                                         VectorCase{3, false, 4, true}, VectorCase{4, true, 1, false},
                                         VectorCase{5, true, 4, true}, VectorCase{6, true, 4, false}));

TEST(VC7Layout, PlanesAndActiveChoiceValuesLieWhereTheFormatSays)
{
  const VectorCase c{3, false, 4, true};
  const auto buffer = MakeVectors(c, 1);
  const Bytes file = Write(*buffer);
  const std::size_t plane = kWidth * kHeight * 4, stack = plane * kDepth;
  auto at = [&](unsigned k, unsigned z, unsigned x, unsigned y)
  { return Get<float>(file, 256 + k * stack + z * plane + (y * kWidth + x) * 4); };
  const auto* frame = dynamic_cast<const I_FrameVector*>(buffer->GetFrame(0));
  // (1, 0, 0) is disabled: 0; (0, 0, 0) has active choice 0: 1; (2, 0, 0): 2 + 1.
  EXPECT_EQ(at(0, 0, 1, 0), 0.0f);
  EXPECT_EQ(at(0, 0, 0, 0), 1.0f);
  EXPECT_EQ(at(0, 0, 2, 0), 3.0f);
  EXPECT_EQ(at(1 + 2 * 2, 1, 3, 2), static_cast<float>(Value(0, 3, 2, 1, 2, 0))); // U of choice 2
  EXPECT_EQ(at(2 + 2 * 3, 0, 1, 1), static_cast<float>(Value(0, 1, 1, 0, 3, 1))); // V of choice 3
  EXPECT_EQ(at(9, 1, 2, 1), static_cast<float>(frame->GetValue(frame->GetComponentIndex("Peak ratio"), 2, 1, 1)));
  EXPECT_EQ(Get<std::int16_t>(file, 26), 8);
}

TEST(VC7Layout, EqualGridsLeaveTheGridFlagClear)
{
  const Bytes equal = Write(*MakeVectors({2, false, 1, false}, 1, 8));
  EXPECT_EQ(Get<std::int16_t>(equal, 28), 1);
  EXPECT_EQ(Get<std::int16_t>(equal, 32), 0);
  const auto buffer = MakeVectors({2, false, 1, false}, 1, 16);
  dynamic_cast<I_FrameVector*>(buffer->GetFrame(0))->SetGridZ(4);
  const Bytes separate = Write(*buffer);
  EXPECT_EQ(Get<std::int16_t>(separate, 28), 3);
  EXPECT_EQ(Get<std::int16_t>(separate, 32), 16);
  EXPECT_EQ(Get<std::int16_t>(separate, 34), 4);
  const ReadResult result = Read(separate); // owns the buffer the frame lives in
  const auto* read = dynamic_cast<const I_FrameVector*>(result.buffer->GetFrame(0));
  EXPECT_EQ(read->GetGridY(), 16u);
  EXPECT_EQ(read->GetGridZ(), 4u);
}

TEST(VC7Writer, RefusesMixedGridsChoicesAndUnstorableChoiceCounts)
{
  auto grids = MakeVectors({1, false, 4, false}, 1);
  grids->AddVectorFrame2C(2, 2, 1, 4, DT_Float, 16); // other size as well: still checked
  EXPECT_EQ(MessageOf([&] { Write(*grids); }),
            "Can't export vector fields in VC7 with different grid sizes in the frames.");
  auto choices = MakeVectors({1, false, 4, false}, 1);
  dynamic_cast<I_FrameVector*>(choices->AddVectorFrame2C(kWidth, kHeight, kDepth, 1, DT_Float, 8))->SetGridY(8);
  EXPECT_EQ(MessageOf<RTE::VerificationFailed>([&] { Write(*choices); }),
            "Can't export vector fields in VC7 with different number of choices.");
  std::unique_ptr<I_Buffer> two(CreateBuffer());
  two->AddVectorFrame2C(kWidth, kHeight, 1, 2, DT_Float, 8);
  EXPECT_EQ(MessageOf([&] { Write(*two); }),
            "Can't export vector fields with 2 choices in VC7: it stores one or four choices.");
  std::unique_ptr<I_Buffer> wide(CreateBuffer());
  wide->AddVectorFrame2C(2, 2, 1, 1, DT_Float, 40000);
  TempFile temp;
  EXPECT_EQ(MessageOf([&] { WriteIM7(wide.get(), temp.file, 0); }),
            "Can't export to IM7: vector grid X 40000 exceeds the header's limit of 32767.");
  EXPECT_EQ(std::ftell(temp.file), 0);
}

TEST(VC7Writer, OnlyVectorFramesLikeTheFirstAreStored)
{
  auto buffer = MakeVectors({2, false, 1, false}, 2);
  buffer->AddImageFrame(kWidth, kHeight, kDepth, DT_Float);
  const Bytes file = Write(*buffer);
  EXPECT_EQ(Get<std::int32_t>(file, 20), 2);
  EXPECT_EQ(Read(file).buffer->GetNumberOfFrames(), 2u);
}

TEST(VC7Reader, ActiveChoiceValuesBelowOneHalfAreDisabled)
{
  Bytes file = Write(*MakeVectors({1, false, 4, false}, 1));
  Put<float>(file, 256, 0.4f);
  Put<float>(file, 260, 3.9f);
  Put<float>(file, 264, 1e30f);
  const auto read = Read(file);
  const auto* frame = dynamic_cast<const I_FrameVector*>(read.buffer->GetFrame(0));
  EXPECT_FALSE(frame->IsEnabled(0, 0, 0));
  EXPECT_EQ(frame->GetActiveChoice(0, 0, 0), 0);
  EXPECT_TRUE(frame->IsEnabled(1, 0, 0));
  EXPECT_EQ(frame->GetActiveChoice(1, 0, 0), 2);
  EXPECT_TRUE(frame->IsEnabled(2, 0, 0));
}

TEST(VC7Reader, EveryPrefixOfAVectorFileRaises)
{
  ExpectEveryPrefixRaises(Write(*MakeVectors({3, false, 4, true}, 2)));
}
} // namespace
