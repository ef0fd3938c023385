#include <BufferApi/C_FrameFactory.h>

#include <RTE/Exception.h>

#include <exception>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
}

C_FrameFactory& C_FrameFactory::GetInstance()
{
  static C_FrameFactory instance;
  return instance;
}

C_FrameFactory::C_FrameFactory() = default;

C_FrameFactory::~C_FrameFactory() = default;

bool C_FrameFactory::Register(const std::string& type, T_Creator creator)
{
  if (m_creators.count(type) != 0)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Frame type already registered.");
  }
  m_creators.emplace(type, creator);
  m_registrationOrder.push_back(type);
  return true;
}

I_Frame* C_FrameFactory::Create(const std::string& type, const C_FrameBaseParam* param) const
{
  const auto found = m_creators.find(type);
  if (found == m_creators.end() || found->second == nullptr)
  {
    return nullptr;
  }
  try
  {
    return found->second(param);
  }
  catch (const std::exception&)
  {
    // Raised exceptions have been logged by their raiser.
    return nullptr;
  }
}
} // namespace BufferApi
