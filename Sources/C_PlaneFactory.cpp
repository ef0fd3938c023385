#include <BufferApi/C_PlaneFactory.h>

namespace BufferApi
{
C_PlaneFactory& C_PlaneFactory::GetInstance()
{
  static C_PlaneFactory instance;
  return instance;
}

bool C_PlaneFactory::Register(E_DataType type, T_Creator creator)
{
  if (!creator)
    return false;
  return m_creators.emplace(type, creator).second;
}

I_PlaneBase* C_PlaneFactory::Create(E_DataType type, const C_PlaneBaseParam& param) const
{
  const auto found = m_creators.find(type);
  if (found == m_creators.end())
    return nullptr;
  try
  {
    return found->second(param);
  }
  catch (...)
  {
    // The raiser has logged the failure already; creation answers null.
    return nullptr;
  }
}

I_PlaneBase* CreatePlane(E_DataType type, unsigned width, unsigned height)
{
  return C_PlaneFactory::GetInstance().Create(type, C_PlaneBaseParam(width, height));
}

I_PlaneBase* CreatePlane(E_DataType type, unsigned width, unsigned height, void* memory)
{
  return C_PlaneFactory::GetInstance().Create(type, C_PlaneBaseParam(width, height, memory));
}

} // namespace BufferApi
