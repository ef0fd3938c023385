#pragma once

// Packing of plane data, masks and typed scalars of IM7, VC7 and the legacy
// files through the codecs registered under "Korimend.Compression".

#include <cstdint>
#include <cstdio>

namespace BufferApi
{
//! Packs `size` bytes of `data` with `packType` (0 to 19) and writes the
//! block, with the prefix of its pack type, at the file's current position.
//! `columns` is the row length in elements. Returns 0 on success, -1 when the
//! packed buffer cannot be allocated, -2 for a pack type of 20 or more; other
//! failures raise RTE::Exception.
int PackBlock(std::FILE* file, const void* data, std::uint64_t size, int packType, unsigned int columns);

//! Reads one block packed with `packType` at the file's current position into
//! `destination`, which holds `unpackedSize` bytes. Afterwards the file stands
//! right behind the block. Raises RTE::Exception on any failure, including a
//! block that the file cannot hold.
void UnpackBlock(std::FILE* file, void* destination, std::uint64_t unpackedSize, int packType, unsigned int columns,
                 bool imxPrefix);

} // namespace BufferApi
