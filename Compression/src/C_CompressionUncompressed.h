#pragma once

#include "C_CodecBase.h"

namespace Compression
{
//! "Uncompressed": packs to an exact copy.
class C_CompressionUncompressed : public C_CodecBase
{
public:
  C_CompressionUncompressed();

  std::uint64_t GetMaxPackedSize(std::uint64_t unpackedSize) override { return unpackedSize; }
  int Pack(const void* source, std::uint64_t sourceSize, void* destination, std::uint64_t& destinationSize) override;
  int Unpack(const void* source, std::uint64_t sourceSize, void* destination, std::uint64_t& destinationSize) override;
};
} // namespace Compression
