#pragma once

#include <cstdint>

namespace BufferApi
{
//! One zero-filled block from the C heap in which several planes live back to
//! back. Held only through std::shared_ptr by every plane that lives in it;
//! the block is freed when the last reference goes.
class C_ConsecutivePlaneMemory
{
public:
  //! Allocates `bytes` zeroed bytes. Raises RTE::Exception "Not enough free
  //! memory available." when the block cannot be had.
  explicit C_ConsecutivePlaneMemory(std::uint64_t bytes);
  ~C_ConsecutivePlaneMemory();

  C_ConsecutivePlaneMemory(const C_ConsecutivePlaneMemory&) = delete;
  C_ConsecutivePlaneMemory& operator=(const C_ConsecutivePlaneMemory&) = delete;

  //! Start of the block.
  void* GetMemory() const { return m_memory; }
  //! Size of the block in bytes.
  std::uint64_t GetSize() const { return m_size; }

private:
  std::uint64_t m_size;
  void* m_memory;
};

} // namespace BufferApi
