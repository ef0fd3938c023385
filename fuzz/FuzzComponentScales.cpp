// The per-frame component-scale block: component indices and scale texts of
// every frame.

#include "FuzzBuffers.h"
#include "FuzzSupport.h"

#include "Buffer2File.IM7/ExtendedHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  if (size < 1)
    return 0;
  auto buffer = Fuzz::ContextBuffer(data[0]);
  const Fuzz::InputFile input(data + 1, size - 1, "cs");
  Fuzz::Stream stream(input.Open());
  Fuzz::Refusable([&] { BufferApi::ReadComponentScales(buffer.get(), stream.file); });
  return 0;
}
