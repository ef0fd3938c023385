#include <BufferApi/E_DataType.h>

namespace BufferApi
{
std::uint64_t GetDataTypeSize(E_DataType type)
{
  switch (type)
  {
  case DT_UInt8:
    return 1;
  case DT_RGB:
    return 4;
  case DT_Double:
    return 8;
  case DT_Float:
    return 4;
  case DT_Int32:
    return 4;
  case DT_UInt32:
    return 4;
  case DT_UInt16:
    return 2;
  case DT_Bool:
    break;
  }
  return 0;
}

} // namespace BufferApi
