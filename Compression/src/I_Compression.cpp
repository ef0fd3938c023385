#include <Compression/I_Compression.h>

namespace Compression
{
I_Compression::~I_Compression() = default;
} // namespace Compression
