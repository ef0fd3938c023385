#include "C_CompressionZlib.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

namespace Compression
{
namespace
{
// Level 1 packs camera images about as small as zlib's level 1, several times faster.
constexpr int kLevel = 1;

struct S_CompressorDeleter
{
  void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};
struct S_DecompressorDeleter
{
  void operator()(libdeflate_decompressor* decompressor) const { libdeflate_free_decompressor(decompressor); }
};

bool FitsSizeT(std::uint64_t size)
{
  return size <= std::numeric_limits<std::size_t>::max() / 2;
}
} // namespace

C_CompressionZlib::C_CompressionZlib()
    : C_CodecBase("Zlib", "zlib stream (RFC 1950)")
{
}

std::uint64_t C_CompressionZlib::GetMaxPackedSize(std::uint64_t unpackedSize)
{
  if (!FitsSizeT(unpackedSize))
    return 0;
  // The bound does not depend on the compressor's level; NULL asks for the
  // bound that holds for every compressor.
  return libdeflate_zlib_compress_bound(nullptr, static_cast<std::size_t>(unpackedSize));
}

int C_CompressionZlib::Pack(const void* source, std::uint64_t sourceSize, void* destination,
                            std::uint64_t& destinationSize)
{
  if (!FitsSizeT(sourceSize))
    return CodecTooLarge;
  std::unique_ptr<libdeflate_compressor, S_CompressorDeleter> compressor(libdeflate_alloc_compressor(kLevel));
  if (!compressor)
    return CodecOutOfMemory;
  const std::size_t packed =
      libdeflate_zlib_compress(compressor.get(), source, static_cast<std::size_t>(sourceSize), destination,
                               static_cast<std::size_t>(std::min<std::uint64_t>(destinationSize, SIZE_MAX)));
  if (packed == 0)
    return CodecDestinationTooSmall;
  destinationSize = packed;
  return CodecOk;
}

int C_CompressionZlib::Unpack(const void* source, std::uint64_t sourceSize, void* destination,
                              std::uint64_t& destinationSize)
{
  if (!FitsSizeT(sourceSize) || !FitsSizeT(destinationSize))
    return CodecTooLarge;
  std::unique_ptr<libdeflate_decompressor, S_DecompressorDeleter> decompressor(libdeflate_alloc_decompressor());
  if (!decompressor)
    return CodecOutOfMemory;
  std::size_t consumed = 0;
  std::size_t produced = 0;
  const libdeflate_result result =
      libdeflate_zlib_decompress_ex(decompressor.get(), source, static_cast<std::size_t>(sourceSize), destination,
                                    static_cast<std::size_t>(destinationSize), &consumed, &produced);
  switch (result)
  {
  case LIBDEFLATE_SUCCESS:
    destinationSize = produced;
    SetConsumedSize(consumed);
    return CodecOk;
  case LIBDEFLATE_INSUFFICIENT_SPACE:
    return CodecSizeMismatch;
  default:
    return CodecCorruptData;
  }
}
} // namespace Compression
