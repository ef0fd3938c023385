#include "C_CompressionUncompressed.h"

#include <cstring>

namespace Compression
{
C_CompressionUncompressed::C_CompressionUncompressed()
    : C_CodecBase("Uncompressed", "Plain copy of the data")
{
}

int C_CompressionUncompressed::Pack(const void* source, std::uint64_t sourceSize, void* destination,
                                    std::uint64_t& destinationSize)
{
  if (destinationSize < sourceSize)
    return CodecDestinationTooSmall;
  if (sourceSize != 0)
    std::memcpy(destination, source, sourceSize);
  destinationSize = sourceSize;
  return CodecOk;
}

int C_CompressionUncompressed::Unpack(const void* source, std::uint64_t sourceSize, void* destination,
                                      std::uint64_t& destinationSize)
{
  // The expected size is what is copied; the source must hold at least that much.
  if (sourceSize < destinationSize)
    return CodecTruncatedData;
  if (destinationSize != 0)
    std::memcpy(destination, source, destinationSize);
  SetConsumedSize(destinationSize);
  return CodecOk;
}
} // namespace Compression
