#include "RTE/FileSystem.h"

#include <cerrno>
#include <limits>

#include <sys/stat.h>

namespace RTE
{
namespace FileSystem
{
std::uint64_t GetSize(std::FILE* file)
{
  if (!file)
    return 0;
  std::fflush(file);
  struct stat info
  {
  };
  if (fstat(fileno(file), &info) != 0 || info.st_size < 0)
    return 0;
  return static_cast<std::uint64_t>(info.st_size);
}

std::int64_t GetPosition(std::FILE* file)
{
  if (!file)
    return -1;
  return static_cast<std::int64_t>(ftello(file));
}

bool SetPosition(std::FILE* file, std::uint64_t position)
{
  if (!file || position > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
    return false;
  return fseeko(file, static_cast<off_t>(position), SEEK_SET) == 0;
}

std::string ExtractExtension(const std::string& path, bool withDot)
{
  const std::string::size_type separator = path.find_last_of("/\\");
  const std::string::size_type dot = path.find_last_of('.');
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
    return {};
  return path.substr(withDot ? dot : dot + 1);
}
} // namespace FileSystem

int fopen_s(std::FILE** file, const char* path, const char* mode)
{
  if (!file)
    return EINVAL;
  *file = nullptr;
  if (!path || !mode)
    return EINVAL;
  errno = 0;
  *file = std::fopen(path, mode);
  if (*file)
    return 0;
  return errno != 0 ? errno : EIO;
}

} // namespace RTE
