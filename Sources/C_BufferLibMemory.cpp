#include <BufferApi/C_BufferLibMemory.h>

#include "BlockAllocation.h"

#include <RTE/Exception.h>

#include <cstdlib>
#include <limits>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
}

namespace Detail
{
void* AllocateZeroedBlock(std::uint64_t bytes) noexcept
{
  if (bytes > kMaxBlockBytes || bytes > std::numeric_limits<std::size_t>::max())
    return nullptr;
  return std::calloc(bytes == 0 ? 1 : static_cast<std::size_t>(bytes), 1);
}

std::uint64_t PlaneByteCount(unsigned width, unsigned height, std::uint64_t elementSize) noexcept
{
  // width * height always fits in 64 bits; only the element size can overflow.
  const std::uint64_t elements = std::uint64_t(width) * height;
  if (elementSize != 0 && elements > kMaxBlockBytes / elementSize)
    return kMaxBlockBytes + 1;
  return elements * elementSize;
}
} // namespace Detail

void* C_BufferLibMemory::AllocateZeroed(std::size_t bytes)
{
  void* block = Detail::AllocateZeroedBlock(bytes);
  if (!block)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Not enough free memory available.");
  return block;
}

void C_BufferLibMemory::FreeMemory(void* block)
{
  std::free(block);
}

} // namespace BufferApi
