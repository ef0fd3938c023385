#include "C_Attribute.h"

namespace BufferApi
{
template class C_Attribute<double>;
template class C_Attribute<float>;
template class C_Attribute<int>;
template class C_Attribute<std::string>;
template class C_Attribute<unsigned int>;
template class C_Attribute<unsigned short>;
} // namespace BufferApi
