#include <BufferTiff/TiffPlugin.h>

int main()
{
  BufferTiff::RegisterTiffPlugins();
  return 0;
}
