// Vector access: the E_VectorActive view of C_VectorHelper, the raw plane
// access classes, their agreement, and their refusals.
#include <BufferApi.h>

#include "C_Component.h"
#include "C_Frame.h"
#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace BufferApi;
using FrameTestHelpers::MessageOf;

namespace
{
std::unique_ptr<I_FrameVector2C> Make2C(unsigned n, unsigned w = 4, unsigned h = 3, unsigned d = 2)
{
  return std::unique_ptr<I_FrameVector2C>(CreateVectorFrame2C(w, h, d, n));
}

std::unique_ptr<I_FrameVector3C> Make3C(unsigned n, unsigned w = 4, unsigned h = 3, unsigned d = 2)
{
  return std::unique_ptr<I_FrameVector3C>(CreateVectorFrame3C(w, h, d, n));
}

double Raw(const I_FrameVector& frame, const std::string& component, unsigned x, unsigned y, unsigned z)
{
  const int index = frame.GetComponentIndex(component);
  EXPECT_EQ(frame.GetComponentName(index), component);
  return frame.GetValue(index, x, y, z);
}

//! Removes plane `plane` of the named component, leaving the component in place.
void DropPlane(I_Frame& frame, const std::string& component, unsigned plane)
{
  dynamic_cast<C_Component&>(*frame.GetComponent(component)).RemovePlane(plane);
}
} // namespace

TEST(VectorHelper, ZeroVectorOf2CIsAbsentIn3CItIsNot)
{
  auto frame2 = Make2C(1);
  frame2->SetEnabled(1, 1, 0, true);
  double u = 7, v = 7, w = 7;
  EXPECT_EQ(C_VectorHelper(frame2.get()).GetVector(1, 1, 0, u, v, w, VA_Disabled), VA_Disabled);
  EXPECT_EQ(u, 0.0);

  auto frame3 = Make3C(1);
  frame3->SetEnabled(1, 1, 0, true);
  EXPECT_EQ(C_VectorHelper(frame3.get()).GetVector(1, 1, 0, u, v, w, VA_Disabled), VA_Choice1);
}

TEST(VectorHelper, ModeZeroLowersTheSlotButAnswersTheStoredChoice)
{
  auto frame = Make2C(2);
  C_VectorHelper helper(frame.get());
  frame->SetVector(2, 1, 1, 1.5, -2.5, 1);
  frame->SetEnabled(2, 1, 1, true);
  frame->SetActiveChoice(2, 1, 1, 3);
  double u = 0, v = 0, w = 0;
  EXPECT_EQ(helper.GetVector(2, 1, 1, u, v, w, VA_Disabled), VA_Choice4);
  EXPECT_EQ(v, -2.5);
  // A negative stored choice selects nothing.
  frame->SetActiveChoice(2, 1, 1, -1);
  EXPECT_EQ(helper.GetVector(2, 1, 1, u, v, w, VA_Disabled), VA_Disabled);
  // A disabled vector gives nothing in mode 0, but explicit modes still read it.
  frame->SetEnabled(2, 1, 1, false);
  EXPECT_EQ(helper.GetVector(2, 1, 1, u, v, w, VA_Disabled), VA_Disabled);
  EXPECT_EQ(helper.GetVector(2, 1, 1, u, v, w, VA_Choice2), VA_Choice2);
}

TEST(VectorHelper, CorruptStoredChoiceSaturatesInsteadOfOverflowing)
{
  auto frame = Make3C(2);
  frame->SetEnabled(0, 0, 0, true);
  frame->SetActiveChoice(0, 0, 0, INT_MAX);
  double u = 0, v = 0, w = 0;
  EXPECT_EQ(static_cast<int>(C_VectorHelper(frame.get()).GetVector(0, 0, 0, u, v, w, VA_Disabled)), INT_MAX);
  float fu = 0, fv = 0, fw = 0;
  EXPECT_EQ(static_cast<int>(C_CompatibleVectorPlaneAccess(frame.get(), 0).GetVector3D(0, 0, fu, fv, fw, VA_Disabled)),
            INT_MAX);
}

TEST(VectorHelper, ExplicitModesAreNotLoweredOnReadButOnWrite)
{
  auto frame = Make2C(2);
  C_VectorHelper helper(frame.get());
  frame->SetVector(0, 0, 0, 3.0, 4.0, 1);
  double u = 9, v = 9, w = 9;
  EXPECT_EQ(helper.GetVector(0, 0, 0, u, v, w, VA_Choice3), VA_Disabled);
  EXPECT_EQ(u, 0.0);

  helper.SetVector(1, 0, 0, 5.0, 6.0, 0.0, VA_Choice3);
  EXPECT_EQ(Raw(*frame, "V1", 1, 0, 0), 6.0);
  EXPECT_EQ(frame->GetActiveChoice(1, 0, 0), 2);
  EXPECT_TRUE(frame->IsEnabled(1, 0, 0));
}

TEST(VectorHelper, FurtherStatesLiveInTheFourthSlot)
{
  auto frame = Make3C(4);
  C_VectorHelper helper(frame.get());
  helper.SetVector(3, 2, 1, 1.0, 2.0, 3.0, VA_Choice4Alt1);
  EXPECT_EQ(Raw(*frame, "W3", 3, 2, 1), 3.0);
  EXPECT_EQ(frame->GetActiveChoice(3, 2, 1), 4);
  double u = 0, v = 0, w = 0;
  EXPECT_EQ(helper.GetVector(3, 2, 1, u, v, w, VA_Disabled), VA_Choice4Alt1);
  EXPECT_EQ(helper.GetVector(3, 2, 1, u, v, w, VA_Choice4Alt2), VA_Choice4);
}

TEST(VectorHelper, DisablingKeepsTheDataOfMultiChoiceFrames)
{
  auto frame = Make2C(2);
  C_VectorHelper helper(frame.get());
  helper.SetVector(1, 1, 0, 2.0, 3.0, 0.0, VA_Choice2);
  helper.SetVector(1, 1, 0, 8.0, 9.0, 0.0, VA_Disabled);
  EXPECT_FALSE(frame->IsEnabled(1, 1, 0));
  EXPECT_EQ(Raw(*frame, "U1", 1, 1, 0), 2.0);
  EXPECT_EQ(frame->GetActiveChoice(1, 1, 0), 1);
  // The active state reads as disabled until the enabled flag is set.
  helper.SetVectorActive(0, 1, 0, VA_Choice2);
  EXPECT_EQ(helper.GetVectorActive(0, 1, 0), VA_Disabled);
  frame->SetEnabled(0, 1, 0, true);
  EXPECT_EQ(helper.GetVectorActive(0, 1, 0), VA_Choice2);
}

TEST(VectorHelper, ZeroVectorOfSingleChoiceFrameIsStoredDisabled)
{
  auto frame = Make2C(1);
  C_VectorHelper helper(frame.get());
  helper.SetVector(2, 2, 0, 4.0, 5.0, 0.0);
  frame->SetActiveChoice(2, 2, 0, 3);
  helper.SetVector(2, 2, 0, 1e-12, -1e-12, 0.0, VA_Choice2);
  EXPECT_FALSE(frame->IsEnabled(2, 2, 0));
  EXPECT_EQ(frame->GetActiveChoice(2, 2, 0), 0);
  EXPECT_FLOAT_EQ(static_cast<float>(Raw(*frame, "U0", 2, 2, 0)), 1e-12f);
  // Not so with two choices: the zero vector is enabled.
  auto two = Make2C(2);
  C_VectorHelper(two.get()).SetVector(0, 0, 0, 0.0, 0.0, 0.0);
  EXPECT_TRUE(two->IsEnabled(0, 0, 0));
}

TEST(VectorHelper, OutsideTheFrameMaskAndPeakRatio)
{
  auto frame = Make2C(1);
  {
    C_VectorHelper helper(frame.get());
    helper.SetPeakRatio(3, 2, 1, 2.0);
    helper.SetMask(3, 2, 1, false);
    EXPECT_TRUE(helper.GetMask(3, 2, 1));
    EXPECT_EQ(helper.GetPeakRatio(3, 2, 1), 0.0);
    double u = 1, v = 1, w = 1;
    EXPECT_EQ(helper.GetVector(4, 0, 0, u, v, w, VA_Choice1), VA_Disabled);
    EXPECT_EQ(helper.GetVector(0, 0, 2, u, v, w, VA_Choice1), VA_Disabled);
    EXPECT_EQ(u, 0.0);
    helper.SetVector(0, 0, 2, 1.0, 1.0, 1.0);
  }
  frame->CreateValidMask();
  frame->CreateComponent("Peak ratio", DT_Float);
  C_VectorHelper helper(frame.get());
  helper.SetMask(3, 2, 1, false);
  EXPECT_FALSE(frame->IsValid(3, 2, 1));
  helper.SetPeakRatio(3, 2, 1, 2.25);
  EXPECT_EQ(helper.GetPeakRatio(3, 2, 1), 2.25);
  EXPECT_EQ(helper.GetPeakRatio(4, 2, 1), 0.0);
}

TEST(VectorPlaneAccess, RawValuesOfOnePlane)
{
  auto frame = Make2C(2);
  frame->CreateComponent("Peak ratio", DT_Float);
  C_VectorHelper helper(frame.get());
  helper.SetVector(1, 2, 1, 0.5, 0.25, 0.0, VA_Choice2);
  helper.SetPeakRatio(1, 2, 1, 1.75);

  C_VectorPlaneAccess access(frame.get(), 1);
  float u = 0, v = 0, w = 42;
  access.GetVector(1, 2, u, v, w, 1);
  EXPECT_EQ(v, 0.25f);
  EXPECT_EQ(w, 42.0f) << "a 2C frame leaves w untouched";
  EXPECT_EQ(access.GetVectorActive(1, 2), 1) << "the raw stored choice, not an E_VectorActive";
  EXPECT_EQ(access.GetPeakRatio(1, 2), 1.75);

  access.SetVector(3, 0, 7.0f, 8.0f, 9.0f, 0);
  access.SetVectorActive(3, 0, 5);
  access.SetEnabled(3, 0, true);
  access.SetPeakRatio(3, 0, 0.5f);
  EXPECT_EQ(Raw(*frame, "V0", 3, 0, 1), 8.0);
  EXPECT_EQ(frame->GetActiveChoice(3, 0, 1), 5);
  EXPECT_TRUE(frame->IsEnabled(3, 0, 1));
  EXPECT_EQ(helper.GetPeakRatio(3, 0, 1), 0.5);
  EXPECT_EQ(Raw(*frame, "U0", 3, 0, 0), 0.0) << "other planes are not touched";
}

TEST(VectorPlaneAccess, BrokenFramesAreRefused)
{
  EXPECT_EQ(MessageOf<RTE::Exception>([] { C_VectorHelper helper(nullptr); }), "The vector frame must not be NULL.");
  EXPECT_EQ(MessageOf<RTE::Exception>([] { C_VectorPlaneAccess access(static_cast<I_FrameVector*>(nullptr), 0); }),
            "The vector frame must not be NULL.");
  auto frame = Make2C(2, 4, 3, 2);
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { C_VectorPlaneAccess access(frame.get(), 2); }),
            "The component U0 has no plane 2.");
  frame->CreateComponent("Peak ratio", DT_UInt16);
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { C_VectorPlaneAccess access(frame.get(), 0); }),
            "The elements of component Peak ratio are too small for raw access.");
  frame->DeleteComponent("Peak ratio");
  frame->DeleteChoiceComponent("V");
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { C_CompatibleVectorPlaneAccess access(frame.get(), 0); }),
            "The vector frame has no component V0.");
}

TEST(CompatibleVectorPlaneAccess, OnlyFloatFrames)
{
  const std::string message = "C_CompatibleVectorPlaneAccess requires float vector frames!";
  EXPECT_EQ(
      MessageOf<RTE::Exception>([] { C_CompatibleVectorPlaneAccess access(static_cast<I_FrameVector*>(nullptr), 0); }),
      message);
  const C_FrameVectorParam param(4, 3, 1, DT_Double, 1);
  std::unique_ptr<I_Frame> frame(C_FrameFactory::GetInstance().Create(I_FrameVector2C::FT_VECTOR_2C, &param));
  ASSERT_TRUE(frame);
  const auto* vectorFrame = dynamic_cast<const I_FrameVector*>(frame.get());
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { C_CompatibleVectorPlaneAccess access(vectorFrame, 0); }), message);
}

TEST(CompatibleVectorPlaneAccess, ComponentsWithoutThePlaneAreReported)
{
  const std::pair<std::string, std::string> cases[] = {
      {"ACTIVE_CHOICE", "No active choice of plane 1 found"},
      {"ENABLED", "No enabled flag component of plane 1 found"},
      {"Peak ratio", "No peak ratio component of plane 1 found"},
      {"MASK", "No mask component of plane 1 found"},
  };
  for (const auto& [component, message] : cases)
  {
    auto frame = Make2C(1, 4, 3, 2);
    frame->CreateComponent("Peak ratio", DT_Float);
    frame->CreateValidMask();
    DropPlane(*frame, component, 1);
    EXPECT_EQ(MessageOf<RTE::VerificationFailed>([&] { C_CompatibleVectorPlaneAccess access(frame.get(), 1); }),
              message);
  }
}

TEST(CompatibleVectorPlaneAccess, Mask)
{
  auto frame = Make2C(1, 4, 3, 1);
  {
    C_CompatibleVectorPlaneAccess access(frame.get(), 0);
    EXPECT_TRUE(access.Mask_GetPixel(-1, 100));
    access.Mask_SetPixel(0, 0, false);
  }
  frame->CreateValidMask();
  C_CompatibleVectorPlaneAccess access(frame.get(), 0);
  EXPECT_FALSE(access.Mask_GetPixel(-1, 0));
  EXPECT_FALSE(access.Mask_GetPixel(4, 0));
  access.Mask_SetPixel(3, 2, false);
  EXPECT_FALSE(frame->IsValid(3, 2, 0));
}

// Without ACTIVE_CHOICE and ENABLED every vector is enabled with the first
// choice active, and writing them must not change that for later reads.
TEST(CompatibleVectorPlaneAccess, FrameWithoutActiveChoiceAndEnabled)
{
  auto frame = Make2C(2, 4, 3, 1);
  frame->SetVector(1, 2, 0, 1.0, 2.0, 0);
  frame->SetVector(1, 2, 0, 3.0, 4.0, 1);
  frame->SetVector(2, 2, 0, 5.0, 6.0, 1);
  auto& cFrame = dynamic_cast<C_Frame&>(*frame);
  std::vector<std::unique_ptr<C_Component>> removed;
  for (const std::string& name : {I_FrameVector::COMPONENT_ACTIVE_CHOICE, I_FrameVector::COMPONENT_ENABLED})
  {
    removed.push_back(cFrame.RemoveComponent(static_cast<unsigned>(frame->GetComponentIndex(name))));
  }
  cFrame.UpdateComponentPointers();
  ASSERT_LT(frame->GetComponentIndex(I_FrameVector::COMPONENT_ENABLED), 0);

  C_CompatibleVectorPlaneAccess access(frame.get(), 0);
  float u, v, w;
  // Choice 0 of (2, 2) is a zero vector, so absent, although choice 1 is set.
  EXPECT_EQ(access.GetVector3D(2, 2, u, v, w, VA_Disabled), VA_Disabled);
  EXPECT_EQ(access.GetVector3D(2, 2, u, v, w, VA_Choice2), VA_Choice2);

  access.SetVector3D(1, 2, 7.0f, 8.0f, 0.0f, VA_Disabled);
  access.SetVector3D(3, 0, 9.0f, 10.0f, 0.0f, VA_Choice2);
  EXPECT_EQ(access.GetVector3D(1, 2, u, v, w, VA_Disabled), VA_Choice1);
  EXPECT_EQ(u, 1.0f);
  EXPECT_EQ(access.GetVector3D(3, 0, u, v, w, VA_Disabled), VA_Disabled);
  EXPECT_EQ(access.GetVector3D(3, 0, u, v, w, VA_Choice2), VA_Choice2);
  EXPECT_EQ(v, 10.0f);
}

// The compatible access must give the answers of the helper for every mode
// and stored state, on 2C and 3C frames with one to six choices.
TEST(CompatibleVectorPlaneAccess, AgreesWithTheHelper)
{
  std::mt19937 random(7);
  std::uniform_int_distribution<int> activeDist(-1, 6);
  std::uniform_int_distribution<int> zeroDist(0, 3);
  std::uniform_int_distribution<int> valueDist(-4, 4);
  const unsigned width = 4, height = 2;
  for (unsigned n : {1u, 2u, 6u})
  {
    for (bool threeC : {false, true})
    {
      std::unique_ptr<I_FrameVector> frame(threeC
                                               ? static_cast<I_FrameVector*>(CreateVectorFrame3C(width, height, 2, n))
                                               : CreateVectorFrame2C(width, height, 2, n));
      for (unsigned i = 0; i < width * height; ++i)
      {
        const unsigned x = i % width, y = i / width;
        frame->SetEnabled(x, y, 1, zeroDist(random) != 0);
        frame->SetActiveChoice(x, y, 1, activeDist(random));
        for (unsigned c = 0; c < n; ++c)
        {
          const double value = zeroDist(random) == 0 ? 0.0 : valueDist(random) * 0.5;
          for (const char* base : {"U", "V", "W"})
          {
            const int index = frame->GetComponentIndex(base + std::to_string(c));
            if (index >= 0 && frame->GetComponentName(index) == base + std::to_string(c))
            {
              frame->SetValue(index, x, y, 1, value);
            }
          }
        }
      }
      C_VectorHelper helper(frame.get());
      C_CompatibleVectorPlaneAccess access(frame.get(), 1);
      for (int mode = 0; mode <= 7; ++mode)
      {
        for (unsigned i = 0; i < width * height; ++i)
        {
          double hu, hv, hw;
          float au, av, aw;
          const auto m = static_cast<E_VectorActive>(mode);
          ASSERT_EQ(access.GetVector3D(i % width, i / width, au, av, aw, m),
                    helper.GetVector(i % width, i / width, 1, hu, hv, hw, m))
              << "n " << n << " 3C " << threeC << " mode " << mode << " at " << i;
          EXPECT_EQ(au, static_cast<float>(hu));
          EXPECT_EQ(aw, static_cast<float>(hw));
        }
      }
      // Writing: the same vectors through both on two clones give equal frames.
      std::unique_ptr<I_Frame> viaHelper(frame->Clone(true));
      std::unique_ptr<I_Frame> viaAccess(frame->Clone(true));
      C_VectorHelper helper2(dynamic_cast<I_FrameVector*>(viaHelper.get()));
      C_CompatibleVectorPlaneAccess access2(dynamic_cast<I_FrameVector*>(viaAccess.get()), 1);
      for (int mode = 0; mode <= 7; ++mode)
      {
        const float value = mode % 3 == 0 ? 0.0f : mode * 0.5f;
        helper2.SetVector(mode % width, mode / width, 1, value, value, value, static_cast<E_VectorActive>(mode));
        access2.SetVector3D(mode % width, mode / width, value, value, value, static_cast<E_VectorActive>(mode));
      }
      for (int c = 0; c < static_cast<int>(viaHelper->GetNumberOfComponents()); ++c)
      {
        for (unsigned i = 0; i < width * height; ++i)
        {
          ASSERT_EQ(viaHelper->GetValue(c, i % width, i / width, 1), viaAccess->GetValue(c, i % width, i / width, 1))
              << viaHelper->GetComponentName(c) << " n " << n << " at " << i;
        }
      }
    }
  }
}

// SetVector3D writes without per-call tests of the frame's layout: pin every
// store against the helper's checked path on random vectors (a quarter of them
// zero), random known, unknown and negative modes, one to five choices, 2C and
// 3C frames, writing plane 1 of two.
TEST(CompatibleVectorPlaneAccess, RandomWritesMatchTheHelper)
{
  std::mt19937 random(4711);
  std::uniform_int_distribution<int> modeDist(-2, 8);
  std::uniform_int_distribution<int> zeroDist(0, 3);
  std::uniform_real_distribution<float> valueDist(-5.0f, 5.0f);
  const unsigned width = 7;
  const unsigned height = 5;
  for (unsigned n = 1; n <= 5; ++n)
  {
    for (const bool threeC : {false, true})
    {
      std::unique_ptr<I_FrameVector> frame;
      if (threeC)
        frame = Make3C(n, width, height, 2);
      else
        frame = Make2C(n, width, height, 2);
      std::unique_ptr<I_Frame> viaHelper(frame->Clone(true));
      std::unique_ptr<I_Frame> viaAccess(frame->Clone(true));
      C_VectorHelper helper(dynamic_cast<I_FrameVector*>(viaHelper.get()));
      C_CompatibleVectorPlaneAccess access(dynamic_cast<I_FrameVector*>(viaAccess.get()), 1);
      for (int k = 0; k < 400; ++k)
      {
        const unsigned x = static_cast<unsigned>(k) % width;
        const unsigned y = static_cast<unsigned>(k / static_cast<int>(width)) % height;
        const bool zero = zeroDist(random) == 0;
        const float u = zero ? 0.0f : valueDist(random);
        const float v = zero ? 1e-11f : valueDist(random);
        const float w = zero ? -1e-11f : valueDist(random);
        const auto mode = static_cast<E_VectorActive>(modeDist(random));
        helper.SetVector(x, y, 1, u, v, w, mode);
        access.SetVector3D(x, y, u, v, w, mode);
      }
      for (int c = 0; c < static_cast<int>(viaHelper->GetNumberOfComponents()); ++c)
      {
        for (unsigned z = 0; z < 2; ++z)
        {
          for (unsigned i = 0; i < width * height; ++i)
          {
            ASSERT_EQ(viaHelper->GetValue(c, i % width, i / width, z), viaAccess->GetValue(c, i % width, i / width, z))
                << viaHelper->GetComponentName(c) << " plane " << z << " n " << n << " 3C " << threeC << " at " << i;
          }
        }
      }
    }
  }
}
