#pragma once

#include "C_CodecBase.h"

namespace Compression
{
//! "Zlib": an RFC 1950 zlib stream of the whole block, made and read with
//! libdeflate at its fastest level (any zlib reads the result).
class C_CompressionZlib : public C_CodecBase
{
public:
  C_CompressionZlib();

  std::uint64_t GetMaxPackedSize(std::uint64_t unpackedSize) override;
  int Pack(const void* source, std::uint64_t sourceSize, void* destination, std::uint64_t& destinationSize) override;
  int Unpack(const void* source, std::uint64_t sourceSize, void* destination, std::uint64_t& destinationSize) override;
};
} // namespace Compression
