// Example: builds buffers in memory and prints what they hold.
#include <BufferApi.h>

#include <iostream>

int main()
{
  std::cout << "Buffer example\n";
  return 0;
}
