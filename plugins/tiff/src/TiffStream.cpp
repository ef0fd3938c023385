#include "TiffStream.h"

#include "TiffError.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <sys/stat.h>

namespace BufferTiff
{
struct C_TiffStream::MemoryFile
{
  std::vector<unsigned char> bytes;
  std::uint64_t position = 0;
};

namespace
{
std::FILE* StreamOf(thandle_t handle)
{
  return static_cast<std::FILE*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* data, tmsize_t size)
{
  return static_cast<tmsize_t>(std::fread(data, 1, static_cast<std::size_t>(size), StreamOf(handle)));
}

tmsize_t WriteProc(thandle_t handle, void* data, tmsize_t size)
{
  return static_cast<tmsize_t>(std::fwrite(data, 1, static_cast<std::size_t>(size), StreamOf(handle)));
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
  std::FILE* file = StreamOf(handle);
  if (offset > static_cast<toff_t>(INT64_MAX) || fseeko(file, static_cast<off_t>(offset), whence) != 0)
    return static_cast<toff_t>(-1);
  return static_cast<toff_t>(ftello(file));
}

toff_t SizeProc(thandle_t handle)
{
  std::FILE* file = StreamOf(handle);
  std::fflush(file);
  struct stat status = {};
  if (fstat(fileno(file), &status) != 0)
    return 0;
  return static_cast<toff_t>(status.st_size);
}

using MemoryFile = C_TiffStream::MemoryFile;

MemoryFile* MemoryOf(thandle_t handle)
{
  return static_cast<MemoryFile*>(handle);
}

tmsize_t MemoryRead(thandle_t handle, void* data, tmsize_t size)
{
  MemoryFile* memory = MemoryOf(handle);
  if (memory->position >= memory->bytes.size())
    return 0;
  const auto count = std::min<std::uint64_t>(static_cast<std::uint64_t>(size), memory->bytes.size() - memory->position);
  std::memcpy(data, memory->bytes.data() + memory->position, count);
  memory->position += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t MemoryWrite(thandle_t handle, void* data, tmsize_t size)
{
  MemoryFile* memory = MemoryOf(handle);
  const std::uint64_t end = memory->position + static_cast<std::uint64_t>(size);
  if (end > memory->bytes.size())
    memory->bytes.resize(end);
  std::memcpy(memory->bytes.data() + memory->position, data, static_cast<std::size_t>(size));
  memory->position = end;
  return size;
}

toff_t MemorySeek(thandle_t handle, toff_t offset, int whence)
{
  MemoryFile* memory = MemoryOf(handle);
  const std::uint64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? memory->position : memory->bytes.size();
  memory->position = base + offset;
  return memory->position;
}

toff_t MemorySize(thandle_t handle)
{
  return MemoryOf(handle)->bytes.size();
}

// The front end owns the stream.
int CloseProc(thandle_t)
{
  return 0;
}

int MapProc(thandle_t, void**, toff_t*)
{
  return 0;
}

void UnmapProc(thandle_t, void*, toff_t) {}

void Collect(C_TiffStream::Messages* messages, const char* module, const char* format, va_list arguments,
             bool onlyIoErrors)
{
  if (!messages->firstError.empty())
    return;
  char text[512];
  std::vsnprintf(text, sizeof text, format, arguments);
  if (onlyIoErrors && std::strstr(text, "IO error") == nullptr)
    return;
  messages->firstError = (module != nullptr && *module != '\0') ? std::string(module) + ": " + text : text;
}

int CollectError(TIFF*, void* userData, const char* module, const char* format, va_list arguments)
{
  Collect(static_cast<C_TiffStream::Messages*>(userData), module, format, arguments, false);
  return 1;
}

// libtiff drops a tag whose value lies beyond the end of the file with no
// more than a warning; for us that is a file cut short.
int CollectIoWarning(TIFF*, void* userData, const char* module, const char* format, va_list arguments)
{
  Collect(static_cast<C_TiffStream::Messages*>(userData), module, format, arguments, true);
  return 1;
}

const char* ModeText(C_TiffStream::E_Mode mode)
{
  switch (mode)
  {
  case C_TiffStream::E_Mode::Read:
    return "r";
  case C_TiffStream::E_Mode::Write:
    return "w";
  case C_TiffStream::E_Mode::WriteBig:
    return "w8";
  }
  return "r";
}

struct OptionsDeleter
{
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
} // namespace

C_TiffStream::C_TiffStream(std::FILE* file, E_Mode mode)
    : m_messages(std::make_unique<Messages>())
    , m_file(file)
{
  std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), &CollectError, m_messages.get());
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), &CollectIoWarning, m_messages.get());
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxPageBytes));
  if (mode == E_Mode::Read)
    m_tiff = TIFFClientOpenExt("stream", ModeText(mode), file, &ReadProc, &WriteProc, &SeekProc, &CloseProc, &SizeProc,
                               &MapProc, &UnmapProc, options.get());
  else
  {
    m_memory = std::make_unique<MemoryFile>();
    m_tiff = TIFFClientOpenExt("memory", ModeText(mode), m_memory.get(), &MemoryRead, &MemoryWrite, &MemorySeek,
                               &CloseProc, &MemorySize, &MapProc, &UnmapProc, options.get());
  }
  if (m_tiff == nullptr)
    Fail(mode == E_Mode::Read ? "Not a readable TIFF file" : "Can't start the TIFF file");
}

C_TiffStream::~C_TiffStream()
{
  if (m_tiff != nullptr)
    TIFFClose(m_tiff);
}

void C_TiffStream::Finish()
{
  TIFF* tiff = m_tiff;
  m_tiff = nullptr;
  const bool flushed = TIFFFlush(tiff) != 0;
  TIFFClose(tiff);
  if (!flushed)
    Fail("can't write the file");
  const std::vector<unsigned char>& bytes = m_memory->bytes;
  if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size() || std::fflush(m_file) != 0)
    BufferTiff::Fail("can't write the file");
}

void C_TiffStream::Fail(const std::string& what)
{
  const std::string reason = TakeError();
  BufferTiff::Fail(reason.empty() ? what : what + ": " + reason);
}

std::string C_TiffStream::TakeError()
{
  std::string error;
  error.swap(m_messages->firstError);
  return error;
}

} // namespace BufferTiff
