// Placeholder until the compression module is wired in: stores pack type 0 only.

#include "Buffer2File.IM7/PlanePacking.h"

#include <RTE/Exception.h>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = "Sources\\Buffer2File.IM7\\PlanePacking";
}

int PackBlock(std::FILE* file, const void* data, std::uint64_t size, int packType, unsigned int /*columns*/)
{
  if (packType >= 20)
    return -2;
  if (packType != 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Missing compression plugin " << packType);
  if (size != 0 && std::fwrite(data, 1, size, file) != size)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't write data to IM7 file.");
  return 0;
}

void UnpackBlock(std::FILE* file, void* destination, std::uint64_t unpackedSize, int packType, unsigned int /*columns*/,
                 bool /*imxPrefix*/)
{
  if (packType != 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't decompress this format yet.");
  if (unpackedSize != 0 && std::fread(destination, 1, unpackedSize, file) != unpackedSize)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't read data from IM7 file.");
}

} // namespace BufferApi
