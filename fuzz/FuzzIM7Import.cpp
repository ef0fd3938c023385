// IM7 and VC7 files through ImportBuffer, as a user opens them. The
// extension follows the format code so that both plugins are reached; the
// size's parity picks the legacy-profile option.

#include "FuzzSupport.h"
#include "IM7Mutator.h"

#include <BufferApi/Buffer2File.h>
#include <BufferApi/I_Buffer.h>

#include <RTE/Parameter.h>

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  const bool vector = size > 5 && data[4] >= 1 && data[4] <= 6 && data[5] == 0;
  const Fuzz::InputFile input(data, size, vector ? "vc7" : "im7");
  Fuzz::Refusable(
      [&]
      {
        auto options = RTE::Parameter::CreateTree();
        if (size % 2 == 1)
          options->Add(
              RTE::Parameter::CreateBool("SetLegacyProfile", "", "", 2, true, RTE::Parameter::C_Bool::EditorCheckBox));
        std::unique_ptr<BufferApi::I_Buffer> buffer(BufferApi::ImportBuffer(input.Path(), options));
      });
  return 0;
}
