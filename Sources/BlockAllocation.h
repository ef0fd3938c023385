#pragma once

#include <cstdint>

namespace BufferApi
{
namespace Detail
{
//! Largest block the library asks the C heap for (1 TiB). Far beyond any
//! plane this library handles, and below the limit above which sanitizing
//! allocators abort instead of failing, so an impossible size computed from
//! file headers or huge dimensions is refused before the allocator sees it.
constexpr std::uint64_t kMaxBlockBytes = std::uint64_t(1) << 40;

//! A zeroed C heap block of `bytes` bytes (at least one byte is requested so
//! that 0 gives a valid block), or null when the size exceeds kMaxBlockBytes
//! or the heap refuses. Never throws.
void* AllocateZeroedBlock(std::uint64_t bytes) noexcept;

//! width * height * elementSize in 64 bits, or a value above kMaxBlockBytes
//! when the product does not fit.
std::uint64_t PlaneByteCount(unsigned width, unsigned height, std::uint64_t elementSize) noexcept;

} // namespace Detail
} // namespace BufferApi
