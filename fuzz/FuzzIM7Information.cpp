// GetImportInformation of IM7 files, with and without attributes: the path
// that builds 1 x 1 x 1 frames from the header alone.

#include "FuzzSupport.h"
#include "IM7Mutator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  const Fuzz::InputFile input(data, size, "im7");
  for (const bool withAttributes : {false, true})
    Fuzz::ReadInformation(input.Path(), withAttributes);
  return 0;
}
