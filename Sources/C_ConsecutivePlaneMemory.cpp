#include <BufferApi/C_BufferLibMemory.h>
#include <BufferApi/C_ConsecutivePlaneMemory.h>

#include "BlockAllocation.h"

#include <RTE/Exception.h>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

std::size_t CheckedSize(std::uint64_t bytes)
{
  // Refuse here what AllocateZeroed's size_t cannot express, rather than truncate.
  if (bytes > Detail::kMaxBlockBytes)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Not enough free memory available.");
  return static_cast<std::size_t>(bytes);
}

std::uint64_t BlockBytes(std::uint64_t planeSize, unsigned count)
{
  if (planeSize > Detail::kMaxBlockBytes || (count != 0 && planeSize > Detail::kMaxBlockBytes / count))
    RTE_RAISE(RTE::Exception, kSourceUnit, "Not enough free memory available.");
  return planeSize * count;
}
} // namespace

C_ConsecutivePlaneMemory::C_ConsecutivePlaneMemory(std::uint64_t bytes)
    : m_size(bytes)
    , m_planeSize(bytes)
    , m_memory(C_BufferLibMemory::AllocateZeroed(CheckedSize(bytes)))
{
}

C_ConsecutivePlaneMemory::C_ConsecutivePlaneMemory(unsigned width, unsigned height, E_DataType type, unsigned count)
    : m_size(0)
    , m_planeSize(Detail::PlaneByteCount(width, height, GetDataTypeSize(type)))
    , m_memory(nullptr)
{
  m_size = BlockBytes(m_planeSize, count);
  m_memory = C_BufferLibMemory::AllocateZeroed(CheckedSize(m_size));
}

C_ConsecutivePlaneMemory::~C_ConsecutivePlaneMemory()
{
  C_BufferLibMemory::FreeMemory(m_memory);
}

} // namespace BufferApi
