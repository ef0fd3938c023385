#pragma once

#include <BufferApi/BufferApiExport.h>

#include <cstddef>

namespace BufferApi
{
//! Zero-filled blocks from the C heap, releasable with free().
class BUFFER_API C_BufferLibMemory
{
public:
  //! A block of `bytes` bytes, every byte 0. A request of 0 bytes gives a
  //! valid block. Raises RTE::Exception "Not enough free memory available."
  //! when the block cannot be had; nothing is allocated then.
  static void* AllocateZeroed(std::size_t bytes);
  //! Returns a block of AllocateZeroed to the C heap; null is allowed.
  static void FreeMemory(void* block);
};

} // namespace BufferApi
