// Small files whose headers and blocks claim huge sizes: the peak of memory
// an import holds beyond the buffer it returns stays below
// kBytesPerFileByte * file size + kFixedBytes (docs/robustness.md).
//
// malloc and its kin are replaced here to count the live bytes of the whole
// process: the library takes plane memory from calloc, everything else from
// operator new, which ends in malloc. They can also be told to fail in every
// thread but the test's own, to see a worker thread run out of memory.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include <malloc.h>
#include <pthread.h>

extern "C"
{
  void* __libc_malloc(std::size_t size);
  void* __libc_calloc(std::size_t count, std::size_t size);
  void* __libc_realloc(void* pointer, std::size_t size);
  void* __libc_memalign(std::size_t alignment, std::size_t size);
  void __libc_free(void* pointer);
}

namespace
{
std::atomic<std::int64_t> g_live{0};
std::atomic<std::int64_t> g_peak{0};
std::atomic<bool> g_failOtherThreads{false};
pthread_t g_testThread;

std::atomic<unsigned> g_refusals{0};

bool Refused()
{
  if (!g_failOtherThreads.load(std::memory_order_relaxed) || pthread_equal(pthread_self(), g_testThread))
    return false;
  ++g_refusals;
  return true;
}

void* Counted(void* pointer)
{
  if (pointer)
  {
    const std::int64_t live = g_live += static_cast<std::int64_t>(malloc_usable_size(pointer));
    std::int64_t peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live))
    {
    }
  }
  return pointer;
}

void Uncount(void* pointer)
{
  if (pointer)
    g_live -= static_cast<std::int64_t>(malloc_usable_size(pointer));
}
} // namespace

extern "C"
{
  void* malloc(std::size_t size) noexcept
  {
    return Refused() ? nullptr : Counted(__libc_malloc(size));
  }
  void* calloc(std::size_t count, std::size_t size) noexcept
  {
    return Refused() ? nullptr : Counted(__libc_calloc(count, size));
  }
  void* realloc(void* pointer, std::size_t size) noexcept
  {
    Uncount(pointer);
    void* moved = __libc_realloc(pointer, size);
    if (!moved && size != 0)
      Counted(pointer); // the old block stays
    return Counted(moved);
  }
  void free(void* pointer) noexcept
  {
    Uncount(pointer);
    __libc_free(pointer);
  }
  void* memalign(std::size_t alignment, std::size_t size) noexcept
  {
    return Counted(__libc_memalign(alignment, size));
  }
  void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept
  {
    return Counted(__libc_memalign(alignment, size));
  }
  int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept
  {
    *out = Counted(__libc_memalign(alignment, size));
    return *out || size == 0 ? 0 : 12; // ENOMEM
  }
}

#include <BufferApi/Buffer2File.h>
#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameVector2C.h>
#include <BufferApi/TypedScalar.h>

#include <RTE/Exception.h>
#include <RTE/Parameter.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

using namespace BufferApi;

namespace
{
// The documented bound.
constexpr std::int64_t kBytesPerFileByte = 1100;
constexpr std::int64_t kFixedBytes = 4 << 20;

using Bytes = std::vector<unsigned char>;

std::filesystem::path Folder()
{
  static const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("buffer-memory-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  return folder;
}

Bytes Load(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Store(const std::string& path, const Bytes& bytes)
{
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

template <typename T>
void Put(Bytes& bytes, std::uint64_t offset, T value)
{
  ASSERT_LE(offset + sizeof value, bytes.size());
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

template <typename T>
T Get(const Bytes& bytes, std::uint64_t offset)
{
  T value{};
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

//! Trailer slot: 0 extended header, 2 mask, 3 typed scalars, 4 packed typed
//! scalars, 5 packed mask, 6 component scales.
std::uint64_t Slot(const Bytes& file, unsigned slot)
{
  return Get<std::uint64_t>(file, file.size() - 256 + 8 * slot);
}

//! Two 16-bit frames with a mask, a typed scalar whose scale differs between
//! the frames, a global typed scalar and attributes: every block the
//! container knows.
std::unique_ptr<I_Buffer> FullBuffer(bool vectors)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  for (unsigned f = 0; f < 2; ++f)
  {
    I_Frame* frame = vectors ? static_cast<I_Frame*>(buffer->AddVectorFrame2C(12, 6, 1, 4, DT_Float, 8))
                             : static_cast<I_Frame*>(buffer->AddImageFrame(12, 6, 1, DT_UInt16));
    for (unsigned i = 0; i < 72; ++i)
      frame->SetValue(0, i % 12, i / 12, 0, (i * 37 + f) % 1000);
    frame->CreateValidMask();
    frame->SetValid(3, 2, 0, false);
    C_FrameAttributes(frame).SetString("Note", "frame text");
  }
  CreateTypedScalarFrameBound(buffer.get(), "T", DT_Float);
  buffer->GetFrame(1)->SetComponentScale(buffer->GetFrame(1)->GetComponentIndex("TS:T"),
                                         C_ScaleFactory::GetInstance().CreateLinearScale(2, 1, "mm", "d"));
  CreateTypedScalarGlobal(buffer.get(), "G", DT_Double, 3, 2, 1, 2);
  C_BufferAttributes(buffer.get()).SetString("Comment text", std::string(300, 'c'));
  return buffer;
}

Bytes Written(const std::string& extension, int packType, bool vectors = false)
{
  const std::string path = (Folder() / ("base." + extension)).string();
  auto options = GetExportParameter(path);
  if (auto pack = options->GetInteger("PackType"))
    pack->SetValue(packType);
  const std::unique_ptr<I_Buffer> buffer = FullBuffer(vectors);
  ExportBuffer(buffer.get(), path, options);
  return Load(path);
}

struct Measure
{
  std::int64_t held = 0;     // peak beyond the start, less the buffer returned
  std::int64_t returned = 0; // live bytes of the buffer returned
};

Measure Measured(const std::function<I_Buffer*()>& import)
{
  const std::int64_t start = g_live.load();
  g_peak = start;
  I_Buffer* buffer = nullptr;
  try
  {
    buffer = import();
  }
  catch (const RTE::Exception&)
  {
  }
  Measure m;
  m.returned = std::max<std::int64_t>(0, g_live.load() - start);
  m.held = g_peak.load() - start - m.returned;
  delete buffer;
  return m;
}

//! Every import of the file (data, information with and without
//! attributes) stays inside the bound.
void ExpectBounded(const std::string& what, const std::string& extension, const Bytes& file)
{
  const std::string path = (Folder() / ("damaged." + extension)).string();
  Store(path, file);
  const std::int64_t bound = kBytesPerFileByte * static_cast<std::int64_t>(file.size()) + kFixedBytes;
  unsigned x = 0, y = 0, z = 0, frames = 0;
  const Measure imported = Measured([&] { return ImportBuffer(path, RTE::Parameter::CreateTree()); });
  const std::vector<std::pair<const char*, Measure>> measures = {
      {"import", imported},
      {"information", Measured([&] { return GetImportInformation(path, x, y, z, frames, true); })},
      {"bare information", Measured([&] { return GetImportInformation(path, x, y, z, frames, false); })}};
  for (const auto& [name, m] : measures)
  {
    if (std::getenv("BUFFER_MEMORY_REPORT"))
      std::printf("%-60s %-16s %8zu bytes: held %10lld, returned %10lld\n", what.c_str(), name, file.size(),
                  static_cast<long long>(m.held), static_cast<long long>(m.returned));
    EXPECT_LE(m.held, bound) << what << " (" << file.size() << " bytes), " << name << " held " << m.held
                             << " bytes beyond the " << m.returned << " of its buffer";
  }
}
} // namespace

TEST(ImportMemory, HeadersClaimingHugeSizes)
{
  for (const int packType : {0, 2, 1})
  {
    const Bytes base = Written("im7", packType);
    const std::string pack = " (pack type " + std::to_string(packType) + ")";
    for (const auto& [offset, name] : {std::pair{8, "width"}, {12, "height"}, {16, "planes"}, {20, "frames"}})
    {
      Bytes file = base;
      Put<std::int32_t>(file, offset, 0x7FFFFFFF);
      ExpectBounded(std::string(name) + " of 2^31 - 1" + pack, "im7", file);
      Put<std::int32_t>(file, 8, 46341); // with the width, a plane just beyond 2^31 elements
      ExpectBounded(std::string(name) + " and width large" + pack, "im7", file);
    }
    Bytes extra = base;
    Put<std::int16_t>(extra, 24, 32767);
    ExpectBounded("32767 extra components" + pack, "im7", extra);
    if (packType != 0)
    {
      // As many 1-pixel frames as the packed bytes could expand to: more
      // planes than the block has bytes, refused before any frame is made.
      Bytes many = base;
      Put<std::int32_t>(many, 8, 1);
      Put<std::int32_t>(many, 12, 1);
      Put<std::int32_t>(many, 20, static_cast<std::int32_t>((Slot(base, 0) - 256) * 1000 / 2));
      ExpectBounded("frames the packed data could hold" + pack, "im7", many);
    }
  }
  const Bytes vectors = Written("vc7", 2, true);
  for (const int offset : {8, 12, 20})
  {
    Bytes file = vectors;
    Put<std::int32_t>(file, offset, 0x7FFFFFFF);
    ExpectBounded("vector field size at " + std::to_string(offset), "vc7", file);
  }
}

TEST(ImportMemory, BlocksClaimingHugeLengths)
{
  const Bytes unpacked = Written("im7", 0);
  const Bytes packed = Written("im7", 2);
  struct Patch
  {
    const char* what;
    const Bytes* base;
    unsigned slot;
    unsigned offset; // from the block's start
  };
  const Patch patches[] = {
      {"first tag length", &unpacked, 0, 4},
      {"typed-scalar count", &unpacked, 3, 0},
      {"typed-scalar width", &unpacked, 3, 4},
      {"typed-scalar frames", &unpacked, 3, 16},
      {"typed-scalar name length", &unpacked, 3, 28},
      {"packed typed-scalar width", &packed, 4, 4},
      {"packed mask length", &packed, 5, 4},
      {"component-scale count", &unpacked, 6, 0},
      {"component-scale text length", &unpacked, 6, 8},
  };
  for (const Patch& p : patches)
  {
    ASSERT_NE(Slot(*p.base, p.slot), 0u) << p.what;
    for (const std::uint32_t value : {0x7FFFFFFFu, 0xFFFFFFFFu, 0x00100000u})
    {
      Bytes file = *p.base;
      Put<std::uint32_t>(file, Slot(file, p.slot) + p.offset, value);
      ExpectBounded(std::string(p.what) + " " + std::to_string(value), "im7", file);
    }
  }
}

TEST(ImportMemory, LegacyHeadersClaimingHugeSizes)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  for (unsigned f = 0; f < 2; ++f)
    buffer->AddImageFrame(12, 6, 1, DT_UInt16)->SetValue(0, 1, 1, 0, 77);
  for (const char* extension : {"imx", "img"})
  {
    const std::string path = (Folder() / (std::string("base.") + extension)).string();
    auto options = GetExportParameter(path);
    options->GetBool("IMG")->SetValue(extension[2] == 'g');
    ExportBuffer(buffer.get(), path, options);
    const Bytes base = Load(path);
    struct Field
    {
      unsigned offset;
      unsigned size;
      const char* what;
    };
    for (const Field& field : {Field{18, 2, "frames"}, Field{228, 4, "rows"}, Field{232, 4, "columns"},
                               Field{236, 4, "depth"}, Field{240, 2, "extra components"}})
    {
      Bytes file = base;
      Put<std::int16_t>(file, 10, -1); // the 32-bit rows and columns count
      Put<std::int16_t>(file, 12, -1);
      if (field.size == 2)
        Put<std::int16_t>(file, field.offset, 32767);
      else
        Put<std::uint32_t>(file, field.offset, 0x7FFFFFFF);
      ExpectBounded(std::string(extension) + " " + field.what, extension, file);
    }
  }
}

// Pack type 19 codes bands on worker threads; one that runs out of memory
// fails the export with the codec's message instead of ending the process,
// and the file already at the path stays as it was.
TEST(ExportMemory, WorkerThreadOutOfMemoryFailsTheExport)
{
  if (std::thread::hardware_concurrency() < 2)
    GTEST_SKIP() << "one hardware thread: pack type 19 codes on the calling thread only";
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  auto* frame = dynamic_cast<I_FrameImage*>(buffer->AddImageFrame(2048, 1024, 1, DT_UInt16));
  auto* pixels = static_cast<std::uint16_t*>(frame->GetPlaneData(0));
  for (std::size_t i = 0; i < std::size_t(2048) * 1024; ++i)
    pixels[i] = static_cast<std::uint16_t>((i * 2654435761u) >> 20);
  const std::string path = (Folder() / "threads.im7").string();
  const Bytes before = Written("im7", 0);
  std::filesystem::copy_file(Folder() / "base.im7", path, std::filesystem::copy_options::overwrite_existing);
  auto options = GetExportParameter(path);
  options->GetInteger("PackType")->SetValue(19);

  std::string message;
  g_testThread = pthread_self();
  g_refusals = 0;
  g_failOtherThreads = true;
  try
  {
    ExportBuffer(buffer.get(), path, options);
  }
  catch (const RTE::Exception& e)
  {
    message = e.what();
  }
  g_failOtherThreads = false;
  if (g_refusals == 0)
  {
    // The codec keeps the scratch memory of threaded calls: after an earlier
    // one in this process (a repeated run), the workers need no memory.
    EXPECT_EQ(message, "");
    GTEST_SKIP() << "the worker threads allocated nothing";
  }
  EXPECT_EQ(message, "IMX: out of memory.");
  EXPECT_EQ(Load(path), before);
  for (const auto& entry : std::filesystem::directory_iterator(Folder()))
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();

  ExportBuffer(buffer.get(), path, options);
  const std::unique_ptr<I_Buffer> read(ImportBuffer(path, RTE::Parameter::CreateTree()));
  const auto* readFrame = dynamic_cast<const I_FrameImage*>(read->GetFrame(0));
  ASSERT_NE(readFrame, nullptr);
  EXPECT_EQ(std::memcmp(readFrame->GetPlaneData(0), pixels, std::size_t(2048) * 1024 * 2), 0);
}
