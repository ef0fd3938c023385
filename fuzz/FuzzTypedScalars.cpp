// The typed-scalar block: records of per-frame components and global typed
// scalars, unpacked with the block's pack type or each record's own.

#include "FuzzBuffers.h"
#include "FuzzSupport.h"

#include "Buffer2File.IM7/ExtendedHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  if (size < 1)
    return 0;
  auto buffer = Fuzz::ContextBuffer(data[0]);
  // Bits 4 and up: 0 reads an unpacked block, anything else a packed one
  // whose records carry their pack type words.
  const int packType = data[0] >> 4;
  const Fuzz::InputFile input(data + 1, size - 1, "ts");
  Fuzz::Stream stream(input.Open());
  Fuzz::Refusable([&] { BufferApi::ReadTypedScalars(buffer.get(), stream.file, packType); });
  return 0;
}
