#pragma once

// The IMX format: a lossless codec for camera images (layout in
// docs/IMX-codec.md). Samples of 8 or 16 bits are predicted from the band's
// base level and the row above, the residuals are Rice coded with a parameter
// chosen per context from the row above, in four interleaved bit streams per
// band of rows. Bands are independent, so they can be coded and decoded on
// several threads; the packed bytes never depend on the thread count.

#include <cstdint>

namespace Compression
{
namespace Imx
{
enum E_Error
{
  ErrorNone = 0,
  ErrorDestinationTooSmall = 1,
  ErrorNotImx = 2,
  ErrorVersion = 3,
  ErrorTruncated = 4,
  ErrorSizeMismatch = 5,
  ErrorCorrupt = 6,
  ErrorOutOfMemory = 7,
  ErrorTooLarge = 8
};

//! Text for an error code; never null.
const char* ErrorText(int errorCode);

//! Upper bound of the packed size of `size` bytes whatever the data and
//! options; 0 when the codec cannot pack that much.
std::uint64_t MaxPackedSize(std::uint64_t size);

struct S_PackOptions
{
  //! Row length in elements as the library passes it; used to find the rows.
  std::int64_t columns = 0;
  //! Code the bands on several threads (the bytes are the same either way).
  bool parallel = false;
};

//! Packs `size` bytes. In: `packedSize` is the capacity of `destination`,
//! which must be at least MaxPackedSize(size); out: the packed size.
int Pack(const void* source, std::uint64_t size, void* destination, std::uint64_t& packedSize,
         const S_PackOptions& options);

//! Unpacks one IMX block from at most `sourceSize` bytes into `size` bytes at
//! `destination`; the block must hold exactly `size` bytes. `consumed` is the
//! packed length of the block. Never reads or writes outside the given ranges.
int Unpack(const void* source, std::uint64_t sourceSize, void* destination, std::uint64_t size, std::uint64_t& consumed,
           bool parallel);

} // namespace Imx
} // namespace Compression
