#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/E_DataType.h>

#include <cstdint>

namespace BufferApi
{
//! One zero-filled block from the C heap in which several planes live back to
//! back. Held only through std::shared_ptr by every plane that lives in it;
//! the block is freed when the last reference goes.
class BUFFER_API C_ConsecutivePlaneMemory
{
public:
  //! Allocates `bytes` zeroed bytes. Raises RTE::Exception "Not enough free
  //! memory available." when the block cannot be had.
  explicit C_ConsecutivePlaneMemory(std::uint64_t bytes);
  //! One zeroed block for `count` planes of width x height elements of `type`
  //! back to back. Raises "Not enough free memory available." as above, also
  //! when the byte count does not fit in 64 bits.
  C_ConsecutivePlaneMemory(unsigned width, unsigned height, E_DataType type, unsigned count);
  ~C_ConsecutivePlaneMemory();

  C_ConsecutivePlaneMemory(const C_ConsecutivePlaneMemory&) = delete;
  C_ConsecutivePlaneMemory& operator=(const C_ConsecutivePlaneMemory&) = delete;

  //! Start of the block.
  void* GetMemory() const { return m_memory; }
  //! Size of the block in bytes.
  std::uint64_t GetSize() const { return m_size; }
  //! Bytes of one plane (the whole block for the byte-count constructor).
  std::uint64_t GetPlaneSize() const { return m_planeSize; }
  //! Start of plane i; i must be below the plane count.
  void* GetPlaneMemory(unsigned i) const { return static_cast<unsigned char*>(m_memory) + i * m_planeSize; }

private:
  std::uint64_t m_size;
  std::uint64_t m_planeSize;
  void* m_memory;
};

} // namespace BufferApi
