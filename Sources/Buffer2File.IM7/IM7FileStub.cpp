// Placeholder until the IM7 reader and writer are written.

#include "Buffer2File.IM7/IM7File.h"

#include <RTE/Exception.h>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = "Sources\\Buffer2File.IM7\\BufferIM7";
}

void ReadIM7(I_Buffer*, std::FILE*, bool, bool, bool, bool, unsigned int*, unsigned int*, unsigned int*, unsigned int*)
{
  RTE_RAISE(RTE::Exception, kSourceUnit, "IM7 files can't be read yet.");
}

void WriteIM7(const I_Buffer*, std::FILE*, unsigned int)
{
  RTE_RAISE(RTE::Exception, kSourceUnit, "IM7 files can't be written yet.");
}

int DetermineIM7Format(const I_Buffer*, unsigned int&, unsigned int&, unsigned int&, unsigned int&, unsigned int&,
                       unsigned int&, unsigned int&)
{
  RTE_RAISE(RTE::Exception, kSourceUnit, "IM7 files can't be written yet.");
}

} // namespace BufferApi
