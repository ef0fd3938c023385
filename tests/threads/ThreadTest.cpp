// Threads that import and export different buffers at once, through the
// shared plugin registry, frame, scale and unit factories, while others look
// plugins up and register new ones. Run under ThreadSanitizer in a build of
// its own; every result is checked as well.

#include <BufferApi/Buffer2File.h>
#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/C_UnitFactory.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameVector2C.h>
#include <BufferApi/I_Scale.h>
#include <BufferApi/I_Unit.h>
#include <BufferApi/TypedScalar.h>

#include <RTE/Exception.h>
#include <RTE/Parameter.h>
#include <RTE/Plugin.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

using namespace BufferApi;

namespace
{
const unsigned kWorkers = 4;
const unsigned kRounds = 30;

//! Failures of all threads, reported by the main thread.
class Failures
{
public:
  void Add(const std::string& text)
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_texts.push_back(text);
  }
  std::string All() const
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string all;
    for (const std::string& text : m_texts)
      all += text + "\n";
    return all;
  }

private:
  mutable std::mutex m_mutex;
  std::vector<std::string> m_texts;
};

//! Runs every task on a thread of its own, all released at the same moment.
void RunTogether(const std::vector<std::function<void()>>& tasks, Failures& failures)
{
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (const auto& task : tasks)
    threads.emplace_back(
        [&go, &task, &failures]
        {
          while (!go.load())
            std::this_thread::yield();
          try
          {
            task();
          }
          catch (const std::exception& e)
          {
            failures.Add(std::string("exception: ") + e.what());
          }
        });
  go = true;
  for (std::thread& thread : threads)
    thread.join();
}

//! A value of worker w, round r at a pixel, different for every worker.
double Pixel(unsigned w, unsigned r, unsigned x, unsigned y)
{
  return (w * 7919 + r * 131 + x * 17 + y * 3) % 4000;
}

struct Job
{
  unsigned worker, round;
  std::string path;
  int packType;
};

//! Image frames for most workers, vector frames for one, with a mask, a
//! typed scalar, attributes and a scale whose unit goes through the registry.
std::unique_ptr<I_Buffer> MakeBuffer(const Job& job)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  const unsigned width = 9 + job.worker, height = 5 + job.round % 3;
  for (unsigned f = 0; f < 2; ++f)
  {
    I_Frame* frame = nullptr;
    if (job.worker == 3)
      frame = buffer->AddVectorFrame2C(width, height, 1, 1, DT_Float, 4);
    else
      frame = buffer->AddImageFrame(width, height, 1, job.worker == 1 ? DT_Float : DT_UInt16);
    for (unsigned y = 0; y < height; ++y)
      for (unsigned x = 0; x < width; ++x)
        frame->SetValue(0, x, y, 0, Pixel(job.worker, job.round, x + f, y) + 1);
    frame->CreateValidMask();
    frame->SetValid(job.round % width, 0, 0, false);
    frame->SetScaleX(C_ScaleFactory::GetInstance().CreateLinearScale(0.5 + job.worker, f, "mm", "x"));
    C_FrameAttributes(frame).SetString("Owner", "worker " + std::to_string(job.worker));
  }
  CreateTypedScalarFrameBound(buffer.get(), "Pressure", DT_Float);
  C_BufferAttributes(buffer.get()).SetString("Round", std::to_string(job.round));
  return buffer;
}

std::string Check(const Job& job, const I_Buffer& read)
{
  std::ostringstream problems;
  const std::unique_ptr<I_Buffer> expected = MakeBuffer(job);
  if (read.GetNumberOfFrames() != 2)
    return "frames " + std::to_string(read.GetNumberOfFrames());
  if (C_BufferAttributes(const_cast<I_Buffer*>(&read)).GetString("Round") != std::to_string(job.round))
    problems << " round attribute";
  for (unsigned f = 0; f < 2; ++f)
  {
    const I_Frame& a = *expected->GetFrame(f);
    const I_Frame& b = *read.GetFrame(f);
    if (b.GetWidth() != a.GetWidth() || b.GetHeight() != a.GetHeight())
      return "size of frame " + std::to_string(f);
    for (unsigned y = 0; y < a.GetHeight(); ++y)
      for (unsigned x = 0; x < a.GetWidth(); ++x)
        if (b.GetValue(0, x, y, 0) != a.GetValue(0, x, y, 0) || b.IsValid(x, y, 0) != a.IsValid(x, y, 0))
        {
          problems << " pixel " << x << "," << y << " of frame " << f;
          y = a.GetHeight();
          break;
        }
    if (C_FrameAttributes(const_cast<I_Frame*>(&b)).GetString("Owner") != "worker " + std::to_string(job.worker))
      problems << " owner of frame " << f;
    if (b.GetScaleX()->GetFactor() != a.GetScaleX()->GetFactor() || b.GetScaleX()->GetUnit()->GetSymbol() != "mm")
      problems << " X scale of frame " << f;
    if (b.GetComponentIndex("TS:Pressure") < 0)
      problems << " typed scalar of frame " << f;
  }
  return problems.str();
}

void ExportAndImport(const Job& job, Failures& failures)
{
  const std::unique_ptr<I_Buffer> buffer = MakeBuffer(job);
  auto options = GetExportParameter(job.path);
  options->GetInteger("PackType")->SetValue(job.packType);
  ExportBuffer(buffer.get(), job.path, options);
  unsigned sizeX = 0, sizeY = 0, sizeZ = 0, frames = 0;
  const std::unique_ptr<I_Buffer> info(GetImportInformation(job.path, sizeX, sizeY, sizeZ, frames, true));
  if (sizeX != buffer->GetFrame(0)->GetWidth() || frames != 2 || !info)
    failures.Add(job.path + ": import information " + std::to_string(sizeX) + " " + std::to_string(frames));
  const std::unique_ptr<I_Buffer> read(ImportBuffer(job.path, RTE::Parameter::CreateTree()));
  const std::string problems = read ? Check(job, *read) : "nothing read";
  if (!problems.empty())
    failures.Add(job.path + " pack type " + std::to_string(job.packType) + ":" + problems);
}

void LookUpPlugins(unsigned thread, Failures& failures)
{
  for (unsigned round = 0; round < 200; ++round)
  {
    const auto types = GetListOfFiletypes();
    const bool builtIns = std::count_if(types.begin(), types.end(),
                                        [](const auto& type) {
                                          return type.first == "IM7" || type.first == "VC7" || type.first == "VEC";
                                        }) == 3;
    if (!builtIns || !IsFiletypeAvailable("im7") || IsFiletypeAvailable("XYZ"))
      failures.Add("file types seen by lookup thread " + std::to_string(thread));
    for (const char* key : {"Zlib", "IMX", "FixedBitsOfWord", "Uncompressed"})
      if (!RTE::C_PluginFactory::GetInstance().Create("Korimend.Compression", key))
        failures.Add(std::string("no codec ") + key);
    std::unique_ptr<I_Unit> unit(C_UnitFactory::GetInstance().CreateUnit(round % 2 ? "mm" : "m/s"));
    if (!unit || unit->GetSymbol() != (round % 2 ? "mm" : "m/s"))
      failures.Add("unit of lookup thread " + std::to_string(thread));
  }
}

//! New plugin names registered while the others look plugins up.
void RegisterPlugins(unsigned thread, Failures& failures)
{
  auto& registry = RTE::C_PluginRegistry::GetInstance();
  for (unsigned i = 0; i < 50; ++i)
  {
    const std::string key = "T" + std::to_string(thread) + "_" + std::to_string(i);
    if (!registry.RegisterPlugin("Korimend.ThreadTest", key, "test plugin",
                                 [](RTE::I_CreationContext*) { return static_cast<RTE::I_Plugin*>(nullptr); }))
      failures.Add("registration of " + key);
  }
}

class Threads : public testing::Test
{
protected:
  void SetUp() override
  {
    m_folder = std::filesystem::temp_directory_path() / ("buffer-threads-" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_folder);
  }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

  std::filesystem::path m_folder;
};
} // namespace

TEST_F(Threads, ImportExportAndPluginLookupsAtOnce)
{
  Failures failures;
  std::vector<std::function<void()>> tasks;
  static const int packTypes[] = {0, 1, 2, 19, 3};
  for (unsigned w = 0; w < kWorkers; ++w)
    tasks.push_back(
        [this, w, &failures]
        {
          for (unsigned r = 0; r < kRounds; ++r)
          {
            const Job job{w, r, (m_folder / ("w" + std::to_string(w) + (w == 3 ? ".vc7" : ".im7"))).string(),
                          // FixedBitsOfWord keeps the 12-bit pixels of the 16-bit worker only.
                          w == 0 ? packTypes[r % 5] : packTypes[r % 4]};
            ExportAndImport(job, failures);
          }
        });
  for (unsigned t = 0; t < 2; ++t)
    tasks.push_back([t, &failures] { LookUpPlugins(t, failures); });
  for (unsigned t = 0; t < 2; ++t)
    tasks.push_back([t, &failures] { RegisterPlugins(t, failures); });
  RunTogether(tasks, failures);
  EXPECT_EQ(failures.All(), "");
  EXPECT_EQ(RTE::C_PluginFactory::GetInstance().GetKeys("Korimend.ThreadTest").size(), 100u);
}

// Pack type 19 codes the bands of a large image on several threads and
// closes the packed bands up while the other threads still code; two such
// exports run at once.
TEST_F(Threads, LargeImagesPackedOnThreadsReadBackExactly)
{
  Failures failures;
  std::vector<std::function<void()>> tasks;
  for (unsigned t = 0; t < 2; ++t)
    tasks.push_back(
        [this, t, &failures]
        {
          const unsigned width = 1000 + t, height = 700;
          std::unique_ptr<I_Buffer> buffer(CreateBuffer());
          auto* frame = dynamic_cast<I_FrameImage*>(buffer->AddImageFrame(width, height, 1, DT_UInt16));
          auto* pixels = static_cast<std::uint16_t*>(frame->GetPlaneData(0));
          std::uint32_t state = 12345 + t;
          for (std::size_t i = 0; i < std::size_t(width) * height; ++i)
          {
            state = state * 1664525u + 1013904223u;
            // A noisy background with a bright stripe now and then.
            pixels[i] = static_cast<std::uint16_t>(100 + (state >> 27) + ((i / 977) % 13 == 0 ? 3000 : 0));
          }
          const std::string path = (m_folder / ("large" + std::to_string(t) + ".im7")).string();
          auto options = GetExportParameter(path);
          options->GetInteger("PackType")->SetValue(19);
          ExportBuffer(buffer.get(), path, options);
          const std::unique_ptr<I_Buffer> read(ImportBuffer(path, RTE::Parameter::CreateTree()));
          const auto* readFrame = read ? dynamic_cast<const I_FrameImage*>(read->GetFrame(0)) : nullptr;
          if (!readFrame || readFrame->GetWidth() != width || readFrame->GetHeight() != height ||
              std::memcmp(readFrame->GetPlaneData(0), pixels, std::size_t(width) * height * 2) != 0)
            failures.Add(path + ": pixels differ");
        });
  RunTogether(tasks, failures);
  EXPECT_EQ(failures.All(), "");
}
