// Per-vector loops over one 2048 x 1024 plane (2 megavectors) of a float 2C
// vector frame: the raw access classes beside plain loops over the same float
// arrays in the same run, so their cost shows as a ratio. Figures are vectors
// per second.
#include <BufferApi.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

using namespace BufferApi;

namespace
{
constexpr unsigned kWidth = 2048;
constexpr unsigned kHeight = 1024;
constexpr double kMinTime = 0.2;

//! One frame shared by all benchmarks: every vector enabled with choice 0
//! holding (x, y + 1), so that no vector is a zero vector.
struct S_Fixture
{
  S_Fixture()
      : frame(CreateVectorFrame2C(kWidth, kHeight, 1, 2))
  {
    u = static_cast<float*>(frame->GetChoiceComponent(I_FrameVector::COMPONENT_U, 0)->GetPlane(0)->GetData());
    v = static_cast<float*>(frame->GetChoiceComponent(I_FrameVector::COMPONENT_V, 0)->GetPlane(0)->GetData());
    enabled = static_cast<std::uint8_t*>(frame->GetComponent(I_FrameVector::COMPONENT_ENABLED)->GetPlane(0)->GetData());
    active =
        static_cast<std::int32_t*>(frame->GetComponent(I_FrameVector::COMPONENT_ACTIVE_CHOICE)->GetPlane(0)->GetData());
    for (unsigned y = 0; y < kHeight; ++y)
    {
      for (unsigned x = 0; x < kWidth; ++x)
      {
        const std::uint64_t o = std::uint64_t(y) * kWidth + x;
        u[o] = static_cast<float>(x);
        v[o] = static_cast<float>(y + 1);
        enabled[o] = 1;
        active[o] = 0;
      }
    }
  }
  std::unique_ptr<I_FrameVector2C> frame;
  float* u = nullptr;
  float* v = nullptr;
  std::uint8_t* enabled = nullptr;
  std::int32_t* active = nullptr;
};

S_Fixture& Fixture()
{
  static S_Fixture fixture;
  return fixture;
}

void Finish(benchmark::State& state)
{
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kWidth * kHeight);
}

// Reading: the sum of u + v over the plane.
void BM_Read_RawFloatLoop(benchmark::State& state)
{
  const S_Fixture& f = Fixture();
  for (auto _ : state)
  {
    float sum = 0.0f;
    for (unsigned y = 0; y < kHeight; ++y)
    {
      for (unsigned x = 0; x < kWidth; ++x)
      {
        const std::uint64_t o = std::uint64_t(kWidth) * y + x;
        sum += f.u[o] + f.v[o];
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  Finish(state);
}

void BM_Read_VectorPlaneAccess(benchmark::State& state)
{
  const C_VectorPlaneAccess access(Fixture().frame.get(), 0);
  for (auto _ : state)
  {
    float sum = 0.0f;
    for (unsigned y = 0; y < kHeight; ++y)
    {
      for (unsigned x = 0; x < kWidth; ++x)
      {
        float u;
        float v;
        float w = 0.0f;
        access.GetVector(x, y, u, v, w, 0);
        sum += u + v;
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  Finish(state);
}

// Explicit first choice: the raw loop plus the zero-vector test.
void BM_Read_CompatibleVectorPlaneAccess_Choice1(benchmark::State& state)
{
  const C_CompatibleVectorPlaneAccess access(Fixture().frame.get(), 0);
  for (auto _ : state)
  {
    float sum = 0.0f;
    for (unsigned y = 0; y < kHeight; ++y)
    {
      for (unsigned x = 0; x < kWidth; ++x)
      {
        float u;
        float v;
        float w;
        if (access.GetVector3D(x, y, u, v, w, VA_Choice1) != VA_Disabled)
        {
          sum += u + v;
        }
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  Finish(state);
}

// The stored active choice: also reads ENABLED and ACTIVE_CHOICE.
void BM_Read_CompatibleVectorPlaneAccess_Active(benchmark::State& state)
{
  const C_CompatibleVectorPlaneAccess access(Fixture().frame.get(), 0);
  for (auto _ : state)
  {
    float sum = 0.0f;
    for (unsigned y = 0; y < kHeight; ++y)
    {
      for (unsigned x = 0; x < kWidth; ++x)
      {
        float u;
        float v;
        float w;
        if (access.GetVector3D(x, y, u, v, w, VA_Disabled) != VA_Disabled)
        {
          sum += u + v;
        }
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  Finish(state);
}

// Writing: every vector of choice 0 set.
void BM_Write_RawFloatLoop(benchmark::State& state)
{
  S_Fixture& f = Fixture();
  for (auto _ : state)
  {
    for (unsigned y = 0; y < kHeight; ++y)
    {
      for (unsigned x = 0; x < kWidth; ++x)
      {
        const std::uint64_t o = std::uint64_t(kWidth) * y + x;
        f.u[o] = static_cast<float>(x);
        f.v[o] = static_cast<float>(y + 1);
      }
    }
    benchmark::ClobberMemory();
  }
  Finish(state);
}

void BM_Write_VectorPlaneAccess(benchmark::State& state)
{
  C_VectorPlaneAccess access(Fixture().frame.get(), 0);
  for (auto _ : state)
  {
    for (unsigned y = 0; y < kHeight; ++y)
    {
      for (unsigned x = 0; x < kWidth; ++x)
      {
        access.SetVector(x, y, static_cast<float>(x), static_cast<float>(y + 1), 0.0f, 0);
      }
    }
    benchmark::ClobberMemory();
  }
  Finish(state);
}

// Also writes ENABLED and ACTIVE_CHOICE per vector.
void BM_Write_CompatibleVectorPlaneAccess(benchmark::State& state)
{
  C_CompatibleVectorPlaneAccess access(Fixture().frame.get(), 0);
  for (auto _ : state)
  {
    for (unsigned y = 0; y < kHeight; ++y)
    {
      for (unsigned x = 0; x < kWidth; ++x)
      {
        access.SetVector3D(x, y, static_cast<float>(x), static_cast<float>(y + 1), 0.0f, VA_Choice1);
      }
    }
    benchmark::ClobberMemory();
  }
  Finish(state);
}

// The same work as the mode-0 read of the compatible access, written out:
// enabled flag, active choice, then the vector of that choice.
void BM_Read_RawFloatLoopWithFlags(benchmark::State& state)
{
  const S_Fixture& f = Fixture();
  for (auto _ : state)
  {
    float sum = 0.0f;
    for (unsigned y = 0; y < kHeight; ++y)
    {
      for (unsigned x = 0; x < kWidth; ++x)
      {
        const std::uint64_t o = std::uint64_t(kWidth) * y + x;
        if (f.enabled[o] != 0 && f.active[o] == 0)
        {
          sum += f.u[o] + f.v[o];
        }
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  Finish(state);
}

// The same work as SetVector3D, written out: vector, enabled flag, active choice.
void BM_Write_RawFloatLoopWithFlags(benchmark::State& state)
{
  S_Fixture& f = Fixture();
  for (auto _ : state)
  {
    for (unsigned y = 0; y < kHeight; ++y)
    {
      for (unsigned x = 0; x < kWidth; ++x)
      {
        const std::uint64_t o = std::uint64_t(kWidth) * y + x;
        f.u[o] = static_cast<float>(x);
        f.v[o] = static_cast<float>(y + 1);
        f.enabled[o] = 1;
        f.active[o] = 0;
      }
    }
    benchmark::ClobberMemory();
  }
  Finish(state);
}
} // namespace

BENCHMARK(BM_Read_RawFloatLoop)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read_VectorPlaneAccess)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read_CompatibleVectorPlaneAccess_Choice1)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read_CompatibleVectorPlaneAccess_Active)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read_RawFloatLoopWithFlags)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write_RawFloatLoop)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write_RawFloatLoopWithFlags)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write_VectorPlaneAccess)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write_CompatibleVectorPlaneAccess)->MinTime(kMinTime)->Unit(benchmark::kMillisecond);
