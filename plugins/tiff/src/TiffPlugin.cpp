#include <BufferTiff/TiffPlugin.h>

namespace BufferTiff
{
void RegisterTiffPlugins() {}
} // namespace BufferTiff
