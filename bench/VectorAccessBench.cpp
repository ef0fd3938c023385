// Per-vector loops over one 2048 x 1024 plane (2 megavectors) of a float 2C
// vector frame. Every benchmark is a pair: a hand-written loop over the raw
// arrays doing the same memory work as the access-class loop (the same reads
// and writes of u, v, ACTIVE_CHOICE and ENABLED, the choice's slot picked from
// a small pointer array), and the access-class loop itself. Both run in turn
// in every iteration; the counters give each one's thread CPU time per pass in
// milliseconds ("raw_ms", "access_ms") and "ratio" = access / raw. The
// benchmark's own time is that of both loops together.
#include <BufferApi.h>

#include <benchmark/benchmark.h>

#include "MemcpyRatio.h"

#include <cmath>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

using namespace BufferApi;

namespace
{
constexpr unsigned kWidth = 2048;
constexpr unsigned kHeight = 1024;
constexpr unsigned kChoices = 2;
constexpr double kMinTime = 0.5;

//! A 2C frame with two choices and the raw pointers of its plane 0. Choice 0
//! holds (x, y + 1) and choice 1 (y, x + 1), so that no vector is a zero
//! vector; every vector is enabled. `mixed` picks the active choice of each
//! vector pseudo-randomly, else choice 0 is active everywhere.
struct S_Fixture
{
  explicit S_Fixture(bool mixed)
      : frame(CreateVectorFrame2C(kWidth, kHeight, 1, kChoices))
  {
    for (unsigned i = 0; i < kChoices; ++i)
    {
      u[i] = static_cast<float*>(frame->GetChoiceComponent(I_FrameVector::COMPONENT_U, i)->GetPlane(0)->GetData());
      v[i] = static_cast<float*>(frame->GetChoiceComponent(I_FrameVector::COMPONENT_V, i)->GetPlane(0)->GetData());
    }
    enabled = static_cast<std::uint8_t*>(frame->GetComponent(I_FrameVector::COMPONENT_ENABLED)->GetPlane(0)->GetData());
    active =
        static_cast<std::int32_t*>(frame->GetComponent(I_FrameVector::COMPONENT_ACTIVE_CHOICE)->GetPlane(0)->GetData());
    std::uint32_t random = 12345;
    for (unsigned y = 0; y < kHeight; ++y)
    {
      for (unsigned x = 0; x < kWidth; ++x)
      {
        const std::uint64_t o = std::uint64_t(y) * kWidth + x;
        u[0][o] = static_cast<float>(x);
        v[0][o] = static_cast<float>(y + 1);
        u[1][o] = static_cast<float>(y);
        v[1][o] = static_cast<float>(x + 1);
        enabled[o] = 1;
        random = random * 1664525u + 1013904223u;
        active[o] = mixed ? static_cast<std::int32_t>(random >> 31) : 0;
      }
    }
  }
  std::unique_ptr<I_FrameVector2C> frame;
  float* u[kChoices] = {};
  float* v[kChoices] = {};
  std::uint8_t* enabled = nullptr;
  std::int32_t* active = nullptr;
};

S_Fixture& Fixture()
{
  static S_Fixture fixture(false);
  return fixture;
}

S_Fixture& MixedFixture()
{
  static S_Fixture fixture(true);
  return fixture;
}

//! Runs the raw loop and the access loop in turn and reports both and their ratio.
template <class RawLoop, class AccessLoop>
void RunPair(benchmark::State& state, RawLoop rawLoop, AccessLoop accessLoop)
{
  const BenchRatio::S_PairSeconds seconds = BenchRatio::RunSideBySide(state, rawLoop, accessLoop);
  state.counters["raw_ms"] = seconds.first * 1e3;
  state.counters["access_ms"] = seconds.second * 1e3;
  state.counters["ratio"] = seconds.first > 0.0 ? seconds.second / seconds.first : 0.0;
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 2 * kWidth * kHeight);
}

bool IsZeroVector(float u, float v)
{
  return std::fabs(u) < 1e-10f && std::fabs(v) < 1e-10f;
}

// Reading: the sum of u + v of the vectors read.

//! The access-class loop of the GetVector3D pairs: the sum of u + v of the
//! vectors that GetVector3D in `mode` does not answer as disabled. The mode is
//! a template argument: each instance has one caller and is inlined there, so
//! GetVector3D stays a direct call with a constant mode, as in a loop written
//! in place (a plain mode argument made the access loop about twice as slow).
template <E_VectorActive mode>
float SumOfReadVectors(const C_CompatibleVectorPlaneAccess& access)
{
  float sum = 0.0f;
  for (unsigned y = 0; y < kHeight; ++y)
  {
    for (unsigned x = 0; x < kWidth; ++x)
    {
      float u;
      float v;
      float w;
      if (access.GetVector3D(x, y, u, v, w, mode) != VA_Disabled)
      {
        sum += u + v;
      }
    }
  }
  return sum;
}

// C_VectorPlaneAccess::GetVector of choice 0.
void BM_VectorPlaneAccess_GetVector(benchmark::State& state)
{
  const S_Fixture& f = Fixture();
  const C_VectorPlaneAccess access(f.frame.get(), 0);
  const int choice = 0;
  RunPair(
      state,
      [&f]
      {
        const float* const u = f.u[choice];
        const float* const v = f.v[choice];
        float sum = 0.0f;
        for (unsigned y = 0; y < kHeight; ++y)
        {
          for (unsigned x = 0; x < kWidth; ++x)
          {
            const std::uint64_t o = std::uint64_t(kWidth) * y + x;
            sum += u[o] + v[o];
          }
        }
        benchmark::DoNotOptimize(sum);
      },
      [&access]
      {
        float sum = 0.0f;
        for (unsigned y = 0; y < kHeight; ++y)
        {
          for (unsigned x = 0; x < kWidth; ++x)
          {
            float u;
            float v;
            float w = 0.0f;
            access.GetVector(x, y, u, v, w, choice);
            sum += u + v;
          }
        }
        benchmark::DoNotOptimize(sum);
      });
}

// C_CompatibleVectorPlaneAccess::GetVector3D with an explicit first choice:
// the vector of choice 0 and the zero-vector test.
void BM_CompatibleVectorPlaneAccess_GetVector3D_Choice1(benchmark::State& state)
{
  const S_Fixture& f = Fixture();
  const C_CompatibleVectorPlaneAccess access(f.frame.get(), 0);
  RunPair(
      state,
      [&f]
      {
        const float* const uData = f.u[0];
        const float* const vData = f.v[0];
        float sum = 0.0f;
        for (unsigned y = 0; y < kHeight; ++y)
        {
          for (unsigned x = 0; x < kWidth; ++x)
          {
            const std::uint64_t o = std::uint64_t(kWidth) * y + x;
            const float u = uData[o];
            const float v = vData[o];
            if (!IsZeroVector(u, v))
            {
              sum += u + v;
            }
          }
        }
        benchmark::DoNotOptimize(sum);
      },
      [&access] { benchmark::DoNotOptimize(SumOfReadVectors<VA_Choice1>(access)); });
}

// The raw counterpart of GetVector3D in mode 0: the enabled flag, the stored
// active choice lowered to the last choice, the vector of that choice's slot
// and the zero-vector test.
float SumOfActiveVectors(const S_Fixture& f)
{
  const std::uint8_t* const enabled = f.enabled;
  const std::int32_t* const active = f.active;
  // Indexed like the access class's slot array (a local copy of two pointers
  // would be turned into a branch on the slot).
  const float* const* const uSlots = f.u;
  const float* const* const vSlots = f.v;
  // From the frame, as a loop for any frame would take it (a constant lets the
  // compiler replace the slot lookup by branches).
  const int last = static_cast<int>(f.frame->GetNumberOfChoices()) - 1;
  float sum = 0.0f;
  for (unsigned y = 0; y < kHeight; ++y)
  {
    for (unsigned x = 0; x < kWidth; ++x)
    {
      const std::uint64_t o = std::uint64_t(kWidth) * y + x;
      if (enabled[o] == 0)
      {
        continue;
      }
      const int choice = active[o];
      const int slot = choice < last ? choice : last;
      if (slot < 0)
      {
        continue;
      }
      const float u = uSlots[slot][o];
      const float v = vSlots[slot][o];
      if (!IsZeroVector(u, v))
      {
        sum += u + v;
      }
    }
  }
  return sum;
}

//! GetVector3D in mode 0 on plane 0 of f beside SumOfActiveVectors.
void RunActivePair(benchmark::State& state, const S_Fixture& f)
{
  const C_CompatibleVectorPlaneAccess access(f.frame.get(), 0);
  RunPair(
      state, [&f] { benchmark::DoNotOptimize(SumOfActiveVectors(f)); },
      [&access] { benchmark::DoNotOptimize(SumOfReadVectors<VA_Disabled>(access)); });
}

// C_CompatibleVectorPlaneAccess::GetVector3D in mode 0 (the stored active
// choice), choice 0 active everywhere.
void BM_CompatibleVectorPlaneAccess_GetVector3D_Active(benchmark::State& state)
{
  RunActivePair(state, Fixture());
}

// The same with choices 0 and 1 active at random, so that the slot really varies.
void BM_CompatibleVectorPlaneAccess_GetVector3D_ActiveMixed(benchmark::State& state)
{
  RunActivePair(state, MixedFixture());
}

// Writing: every vector of choice 0 set to the values it already holds.

// C_VectorPlaneAccess::SetVector of choice 0: u and v only.
void BM_VectorPlaneAccess_SetVector(benchmark::State& state)
{
  const S_Fixture& f = Fixture();
  C_VectorPlaneAccess access(f.frame.get(), 0);
  const int choice = 0;
  RunPair(
      state,
      [&f]
      {
        float* const u = f.u[choice];
        float* const v = f.v[choice];
        for (unsigned y = 0; y < kHeight; ++y)
        {
          for (unsigned x = 0; x < kWidth; ++x)
          {
            const std::uint64_t o = std::uint64_t(kWidth) * y + x;
            u[o] = static_cast<float>(x);
            v[o] = static_cast<float>(y + 1);
          }
        }
        benchmark::ClobberMemory();
      },
      [&access]
      {
        for (unsigned y = 0; y < kHeight; ++y)
        {
          for (unsigned x = 0; x < kWidth; ++x)
          {
            access.SetVector(x, y, static_cast<float>(x), static_cast<float>(y + 1), 0.0f, choice);
          }
        }
        benchmark::ClobberMemory();
      });
}

// C_CompatibleVectorPlaneAccess::SetVector3D with the first choice: the
// enabled flag, the vector in the choice's slot and the active choice.
void BM_CompatibleVectorPlaneAccess_SetVector3D(benchmark::State& state)
{
  const S_Fixture& f = Fixture();
  C_CompatibleVectorPlaneAccess access(f.frame.get(), 0);
  RunPair(
      state,
      [&f]
      {
        std::uint8_t* const enabled = f.enabled;
        std::int32_t* const active = f.active;
        const int last = static_cast<int>(kChoices) - 1;
        const int slot = 0 < last ? 0 : last;
        float* const u = f.u[slot];
        float* const v = f.v[slot];
        for (unsigned y = 0; y < kHeight; ++y)
        {
          for (unsigned x = 0; x < kWidth; ++x)
          {
            const std::uint64_t o = std::uint64_t(kWidth) * y + x;
            enabled[o] = 1;
            u[o] = static_cast<float>(x);
            v[o] = static_cast<float>(y + 1);
            active[o] = 0;
          }
        }
        benchmark::ClobberMemory();
      },
      [&access]
      {
        for (unsigned y = 0; y < kHeight; ++y)
        {
          for (unsigned x = 0; x < kWidth; ++x)
          {
            access.SetVector3D(x, y, static_cast<float>(x), static_cast<float>(y + 1), 0.0f, VA_Choice1);
          }
        }
        benchmark::ClobberMemory();
      });
}
// SetVector3D by pattern, on one 1024 x 1024 plane of a frame made for the
// pattern: 2C or 3C, N choices, the mode written. The raw loop does the same
// memory work as the call (the enabled flag; for a mode that stores, the
// vector of the mode's slot, lowered to the last choice, and the active choice).
template <bool threeC, unsigned choices, E_VectorActive mode>
void BM_CompatibleVectorPlaneAccess_SetVector3D_Pattern(benchmark::State& state)
{
  constexpr unsigned width = 1024;
  constexpr unsigned height = 1024;
  std::unique_ptr<I_FrameVector> frame;
  if (threeC)
    frame.reset(CreateVectorFrame3C(width, height, 1, choices));
  else
    frame.reset(CreateVectorFrame2C(width, height, 1, choices));
  const auto data = [&frame](const std::string& name) { return frame->GetComponent(name)->GetPlane(0)->GetData(); };
  auto* const enabled = static_cast<std::uint8_t*>(data(I_FrameVector::COMPONENT_ENABLED));
  auto* const active = static_cast<std::int32_t*>(data(I_FrameVector::COMPONENT_ACTIVE_CHOICE));
  const int known = mode >= VA_Choice1 && mode <= VA_Choice4Alt2;
  const int wanted = mode < VA_Choice4 ? int(mode) - 1 : 3;
  const int slot = known ? (wanted < int(choices) - 1 ? wanted : int(choices) - 1) : -1;
  const int stored = known ? int(mode) - 1 : -1;
  float* u = nullptr;
  float* v = nullptr;
  float* w = nullptr;
  if (slot >= 0)
  {
    const std::string digits = std::to_string(slot);
    u = static_cast<float*>(data(I_FrameVector::COMPONENT_U + digits));
    v = static_cast<float*>(data(I_FrameVector::COMPONENT_V + digits));
    w = threeC ? static_cast<float*>(data(I_FrameVector::COMPONENT_W + digits)) : nullptr;
  }
  // Touch every page once before timing.
  for (std::size_t i = 0; i < std::size_t(width) * height; ++i)
    enabled[i] = 0;
  C_CompatibleVectorPlaneAccess access(frame.get(), 0);
  // The row stride as the access object has it, known at run time only, so
  // that the raw loop is not turned into one block fill the access can't be.
  const std::uint64_t stride = frame->GetWidth();
  RunPair(
      state,
      [=]
      {
        for (unsigned y = 0; y < height; ++y)
        {
          for (unsigned x = 0; x < width; ++x)
          {
            const std::uint64_t o = stride * y + x;
            enabled[o] = mode != VA_Disabled;
            if (u)
            {
              u[o] = static_cast<float>(x + 1);
              v[o] = static_cast<float>(y + 1);
              if (w)
                w[o] = 1.0f;
              active[o] = stored;
            }
          }
        }
        benchmark::ClobberMemory();
      },
      [&access]
      {
        for (unsigned y = 0; y < height; ++y)
        {
          for (unsigned x = 0; x < width; ++x)
          {
            access.SetVector3D(x, y, static_cast<float>(x + 1), static_cast<float>(y + 1), 1.0f, mode);
          }
        }
        benchmark::ClobberMemory();
      });
}
} // namespace

BENCHMARK(BM_VectorPlaneAccess_GetVector)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VectorPlaneAccess_SetVector)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompatibleVectorPlaneAccess_GetVector3D_Choice1)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompatibleVectorPlaneAccess_GetVector3D_Active)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompatibleVectorPlaneAccess_GetVector3D_ActiveMixed)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompatibleVectorPlaneAccess_SetVector3D)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_CompatibleVectorPlaneAccess_SetVector3D_Pattern, false, 1, VA_Choice1)
    ->MinTime(kMinTime)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_CompatibleVectorPlaneAccess_SetVector3D_Pattern, false, 2, VA_Choice2)
    ->MinTime(kMinTime)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_CompatibleVectorPlaneAccess_SetVector3D_Pattern, false, 4, VA_Choice4Alt1)
    ->MinTime(kMinTime)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_CompatibleVectorPlaneAccess_SetVector3D_Pattern, false, 2, VA_Disabled)
    ->MinTime(kMinTime)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_CompatibleVectorPlaneAccess_SetVector3D_Pattern, true, 1, VA_Choice1)
    ->MinTime(kMinTime)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_CompatibleVectorPlaneAccess_SetVector3D_Pattern, true, 2, VA_Choice1)
    ->MinTime(kMinTime)
    ->Unit(benchmark::kMillisecond);
