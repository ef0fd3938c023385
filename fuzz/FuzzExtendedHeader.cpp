// The tags of the extended header (scales, comments, string and plane
// attributes, frame-indexed names) read into a buffer whose frames exist.

#include "FuzzBuffers.h"
#include "FuzzSupport.h"

#include "Buffer2File.IM7/ExtendedHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  if (size < 1)
    return 0;
  auto buffer = Fuzz::ContextBuffer(data[0]);
  const Fuzz::InputFile input(data + 1, size - 1, "tags");
  Fuzz::Stream stream(input.Open());
  Fuzz::Refusable([&] { BufferApi::ReadExtendedHeader(buffer.get(), stream.file); });
  return 0;
}
