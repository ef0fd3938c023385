#include <BufferApi/C_AttributeFactory.h>

namespace BufferApi
{
C_AttributeFactory& C_AttributeFactory::GetInstance()
{
  static C_AttributeFactory instance;
  return instance;
}

bool C_AttributeFactory::Register(const E_AttributeType& type, T_Creator creator)
{
  // A null creator would turn every later creation of the kind into a crash.
  if (creator == nullptr)
  {
    return false;
  }
  return m_creators.emplace(type, creator).second;
}

bool C_AttributeFactory::UnregisterObject(const E_AttributeType& type)
{
  return m_creators.erase(type) > 0;
}

I_AttributeBase* C_AttributeFactory::CreateAttribute(const E_AttributeType& type,
                                                     const C_AttributeBaseParam& param) const
{
  const auto found = m_creators.find(type);
  return found != m_creators.end() ? found->second(param) : nullptr;
}
} // namespace BufferApi
