// Builds against the installed package through the umbrella header alone.
#include <BufferApi.h>

#include <iostream>

int main()
{
  try
  {
    RTE_RAISE(RTE::Exception, "consumer", "package " << 42);
  }
  catch (const std::exception& e)
  {
    std::cout << "installed package works: " << e.what() << '\n';
  }
  return 0;
}
