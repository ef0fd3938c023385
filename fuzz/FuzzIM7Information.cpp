// GetImportInformation of IM7 files, with and without attributes: the path
// that builds 1 x 1 x 1 frames from the header alone.

#include "FuzzSupport.h"
#include "IM7Mutator.h"

#include <BufferApi/Buffer2File.h>
#include <BufferApi/I_Buffer.h>

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  const Fuzz::InputFile input(data, size, "im7");
  for (const bool withAttributes : {false, true})
    Fuzz::Refusable(
        [&]
        {
          unsigned x = 0, y = 0, z = 0, frames = 0;
          std::unique_ptr<BufferApi::I_Buffer> buffer(
              BufferApi::GetImportInformation(input.Path(), x, y, z, frames, withAttributes));
        });
  return 0;
}
