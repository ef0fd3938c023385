// Bitmap files through ReadBMPtoMem, and every block it returns through
// CreateBufferFromBitmap in each colour mode (and one mode it must refuse
// or ignore).

#include "FuzzSupport.h"

#include <BufferApi/B2FIOHelpers.h>
#include <BufferApi/I_Buffer.h>

#include <memory>

namespace
{
struct FreeBlock
{
  void operator()(BufferApi::tagBITMAPINFOHEADER* block) const { std::free(block); }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  const Fuzz::InputFile input(data, size, "bmp");
  Fuzz::Stream stream(input.Open());
  std::unique_ptr<BufferApi::tagBITMAPINFOHEADER, FreeBlock> block;
  Fuzz::Refusable([&] { block.reset(B2FIOHelpers::ReadBMPtoMem(stream.file)); });
  if (!block)
    return 0;
  for (const int mode : {0, 1, 2, 3, -1})
    Fuzz::Refusable(
        [&]
        {
          std::unique_ptr<BufferApi::I_Buffer> buffer(
              B2FIOHelpers::CreateBufferFromBitmap(block.get(), static_cast<B2FIOHelpers::RgbColorMode_t>(mode)));
        });
  return 0;
}
