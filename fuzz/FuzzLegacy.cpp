// Legacy IMG, IMX and VEC files through ImportBuffer and
// GetImportInformation; every input is read both as an image file and as a
// vector file, whose plane rows tell the vector format.

#include "FuzzSupport.h"

#include <BufferApi/Buffer2File.h>
#include <BufferApi/I_Buffer.h>

#include <RTE/Parameter.h>

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  for (const char* extension : {"img", "vec"})
  {
    const Fuzz::InputFile input(data, size, extension);
    Fuzz::Refusable(
        [&] {
          std::unique_ptr<BufferApi::I_Buffer> buffer(
              BufferApi::ImportBuffer(input.Path(), RTE::Parameter::CreateTree()));
        });
  }
  const Fuzz::InputFile input(data, size, "imx");
  Fuzz::ReadInformation(input.Path(), true);
  return 0;
}
