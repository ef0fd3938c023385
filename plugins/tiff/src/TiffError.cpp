#include "TiffError.h"

#include <RTE/Exception.h>

namespace BufferTiff
{
namespace
{
// The unit name is spelled out: the module lies outside the folders from
// which RTE_SOURCE_UNIT derives names.
const char* const kSourceUnit = "plugins\\tiff\\TiffError";
} // namespace

void Fail(const std::string& message)
{
  RTE_RAISE(RTE::Exception, kSourceUnit, "TIFF file: " << message);
}

} // namespace BufferTiff
