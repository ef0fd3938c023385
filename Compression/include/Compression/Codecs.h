#pragma once

#include <Compression/CompressionExport.h>

namespace Compression
{
//! Registers every codec of the module under "Korimend.Compression" with the
//! runtime plugin registry. Safe to call more than once: later calls do nothing.
COMPRESSION_API void RegisterCodecs();
} // namespace Compression
