#include "C_PlaneBase.h"

#include "BlockAllocation.h"

#include <RTE/Exception.h>

#include <cstdlib>
#include <limits>
#include <utility>

namespace BufferApi
{
C_PlaneBase::C_PlaneBase(unsigned width, unsigned height, E_DataType elementType, void* data)
    : m_data(data)
    , m_width(width)
    , m_height(height)
    , m_elementType(elementType)
{
}

C_PlaneBase::C_PlaneBase(unsigned width, unsigned height, E_DataType elementType,
                         std::shared_ptr<C_ConsecutivePlaneMemory> memoryOwner, void* slice)
    : m_data(slice)
    , m_width(width)
    , m_height(height)
    , m_elementType(elementType)
    , m_memoryOwner(std::move(memoryOwner))
{
}

C_PlaneBase::~C_PlaneBase() = default;

bool C_PlaneBase::IsDifferentSize(const C_PlaneBase* other) const
{
  return !HasSameSize(other);
}

bool C_PlaneBase::HasSameSize(const C_PlaneBase* other) const
{
  return other && other->m_width == m_width && other->m_height == m_height;
}

bool C_PlaneBase::HasEqualData(const void* mine, const void* theirs, std::size_t bytes)
{
  if (bytes == 0 || mine == theirs)
    return true;
  if (!mine || !theirs)
    return false;
  return std::memcmp(mine, theirs, bytes) == 0;
}

void* C_PlaneBase::AllocateOwnMemory(unsigned width, unsigned height, std::uint64_t elementSize, const char* sourceUnit)
{
  void* block = Detail::AllocateZeroedBlock(Detail::PlaneByteCount(width, height, elementSize));
  if (!block)
    RTE_RAISE(RTE::Exception, sourceUnit, "Not enough free memory available.");
  return block;
}

void C_PlaneBase::CheckSlice(const std::shared_ptr<C_ConsecutivePlaneMemory>& owner, const void* slice, unsigned width,
                             unsigned height, std::uint64_t elementSize, const char* sourceUnit)
{
  bool inside = false;
  if (owner && slice)
  {
    const auto start = reinterpret_cast<std::uintptr_t>(owner->GetMemory());
    const auto address = reinterpret_cast<std::uintptr_t>(slice);
    const std::uint64_t bytes = Detail::PlaneByteCount(width, height, elementSize);
    inside = address >= start && address - start <= owner->GetSize() && bytes <= owner->GetSize() - (address - start);
  }
  if (!inside)
    RTE_RAISE(RTE::Exception, sourceUnit, "The plane memory slice lies outside its memory block.");
}

void C_PlaneBase::ReleaseData(void* data)
{
  if (m_memoryOwner)
    m_memoryOwner.reset();
  else
    std::free(data);
}

void* C_PlaneBase::DetachFrom(void* data, std::uint64_t elementSize, const char* sourceUnit)
{
  if (!data || !m_memoryOwner)
    return data;
  void* copy = AllocateOwnMemory(m_width, m_height, elementSize, sourceUnit);
  std::memcpy(copy, data, static_cast<std::size_t>(ElementCount() * elementSize));
  m_memoryOwner.reset();
  return copy;
}

C_PlaneBase::S_ResizeGeometry C_PlaneBase::GetResizeGeometry(int xMin, int xMax, int yMin, int yMax,
                                                             const char* sourceUnit) const
{
  if (xMin > xMax || yMin > yMax)
    RTE_RAISE(RTE::Exception, sourceUnit, "One of the lower end of the boundaries is larger than the upper end.");
  const std::int64_t newWidth = std::int64_t(xMax) - xMin + 1;
  const std::int64_t newHeight = std::int64_t(yMax) - yMin + 1;
  if (newWidth > std::numeric_limits<unsigned>::max() || newHeight > std::numeric_limits<unsigned>::max())
    RTE_RAISE(RTE::Exception, sourceUnit, "Not enough free memory available.");

  const std::int64_t width = m_width;
  const std::int64_t height = m_height;
  // A range starting exactly at width (or height) does not count as outside.
  const bool outside = (xMin < 0 && xMax < 0) || (xMin > width && xMax > width) || (yMin < 0 && yMax < 0) ||
                       (yMin > height && yMax > height);
  return S_ResizeGeometry{unsigned(newWidth), unsigned(newHeight), xMin, yMin, outside};
}

} // namespace BufferApi
