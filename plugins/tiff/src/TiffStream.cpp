#include "TiffStream.h"

#include "TiffError.h"

#include <tiffio.h>

#include <cstdarg>
#include <sys/stat.h>

namespace BufferTiff
{
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

int CollectError(TIFF*, void* userData, const char* module, const char* format, va_list arguments)
{
  auto* messages = static_cast<C_TiffStream::Messages*>(userData);
  if (messages->firstError.empty())
  {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    messages->firstError = (module != nullptr && *module != '\0') ? std::string(module) + ": " + text : text;
  }
  return 1;
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list)
{
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
{
  std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), &CollectError, m_messages.get());
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), &IgnoreWarning, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxPageBytes));
  m_tiff = TIFFClientOpenExt("stream", ModeText(mode), file, &ReadProc, &WriteProc, &SeekProc, &CloseProc, &SizeProc,
                             &MapProc, &UnmapProc, options.get());
  if (m_tiff == nullptr)
    Fail(mode == E_Mode::Read ? "Not a readable TIFF file" : "Can't start the TIFF file");
}

C_TiffStream::~C_TiffStream()
{
  if (m_tiff != nullptr)
    TIFFClose(m_tiff);
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
