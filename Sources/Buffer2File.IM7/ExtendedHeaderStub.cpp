// Placeholder until the extended header is written: an empty tag list and no
// typed scalars.

#include "Buffer2File.IM7/ExtendedHeader.h"

#include <RTE/Exception.h>

#include <cstdint>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = "Sources\\Buffer2File.IM7\\ExtendedHeader";
}

void WriteExtendedHeader(const I_Buffer* /*buffer*/, std::FILE* file, bool /*legacy*/)
{
  const std::int32_t endTag[2] = {0, 0};
  if (std::fwrite(endTag, sizeof endTag, 1, file) != 1)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't write extended header.");
}

void ReadExtendedHeader(I_Buffer* /*buffer*/, std::FILE* file)
{
  std::int32_t head[2];
  while (std::fread(head, sizeof head, 1, file) == 1 && head[0] != 0)
    if (head[1] > 0 && std::fseek(file, head[1], SEEK_CUR) != 0)
      return;
}

bool HasTypedScalars(const I_Buffer* /*buffer*/)
{
  return false;
}
void WriteTypedScalars(const I_Buffer* /*buffer*/, std::FILE* /*file*/, int /*packType*/) {}
void ReadTypedScalars(I_Buffer* /*buffer*/, std::FILE* /*file*/, int /*packType*/) {}
bool HasComponentScales(const I_Buffer* /*buffer*/)
{
  return false;
}
void WriteComponentScales(const I_Buffer* /*buffer*/, std::FILE* /*file*/) {}
void ReadComponentScales(I_Buffer* /*buffer*/, std::FILE* /*file*/) {}

} // namespace BufferApi
