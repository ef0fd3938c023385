#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/C_UnitFactory.h>

#include <cmath>

namespace BufferApi
{
C_ScaleFactory::C_ScaleFactory() = default;
C_ScaleFactory::~C_ScaleFactory() = default;

C_ScaleFactory& C_ScaleFactory::GetInstance()
{
  static C_ScaleFactory instance;
  return instance;
}

bool C_ScaleFactory::Register(const I_ScaleEnums::E_ScaleType& type, T_Creator creator)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_creators.emplace(type, creator).second;
}

bool C_ScaleFactory::UnregisterObject(const I_ScaleEnums::E_ScaleType& type)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_creators.erase(type) > 0;
}

I_Scale* C_ScaleFactory::CreateScale(const I_ScaleEnums::E_ScaleType& type, const C_ScaleParam& param)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  const auto found = m_creators.find(type);
  if (found == m_creators.end())
  {
    return nullptr;
  }
  return found->second(param);
}

I_Scale* C_ScaleFactory::CreateLinearScale(double factor, double offset, const std::string& unit,
                                           const std::string& description)
{
  std::unique_ptr<I_Unit> madeUnit(C_UnitFactory::GetInstance().CreateUnit(unit));
  return CreateLinearScaleWithUnit(factor, offset, std::move(madeUnit), description);
}

I_Scale* C_ScaleFactory::CreateLinearScale(double factor, double offset, I_ScaleEnums::E_UnitType unit,
                                           const std::string& description)
{
  std::unique_ptr<I_Unit> madeUnit(C_UnitFactory::GetInstance().CreateUnit(unit));
  return CreateLinearScaleWithUnit(factor, offset, std::move(madeUnit), description);
}

I_Scale* C_ScaleFactory::CreateLinearScale(double source1, double source2, double world1, double world2,
                                           const std::string& unit, const std::string& description)
{
  double factor = 1.0;
  double offset = 0.0;
  CreateScaleParFromWorldAndSource(source1, source2, world1, world2, factor, offset);
  return CreateLinearScale(factor, offset, unit, description);
}

I_Scale* C_ScaleFactory::CreateLinearScale(double source1, double source2, double world1, double world2,
                                           I_ScaleEnums::E_UnitType unit, const std::string& description)
{
  double factor = 1.0;
  double offset = 0.0;
  CreateScaleParFromWorldAndSource(source1, source2, world1, world2, factor, offset);
  return CreateLinearScale(factor, offset, unit, description);
}

void C_ScaleFactory::CreateScaleParFromWorldAndSource(double source1, double source2, double world1, double world2,
                                                      double& factor, double& offset)
{
  factor = 1.0;
  offset = 0.0;
  // Coinciding sources cannot fix a scale: keep the identity. A flat world
  // range would give factor 0, which no scale can invert: use 1 instead.
  if (std::abs(source2 - source1) > 1e-30)
  {
    factor = (world2 - world1) / (source2 - source1);
    if (std::abs(factor) < 1e-30)
    {
      factor = 1.0;
    }
    offset = world1 - source1 * factor;
  }
}

I_Scale* C_ScaleFactory::CreateLinearScaleWithUnit(double factor, double offset, std::unique_ptr<I_Unit> unit,
                                                   const std::string& description)
{
  // The unit is looked up before the lock; it stays ours until a scale holds it.
  std::lock_guard<std::mutex> lock(m_mutex);
  const auto found = m_creators.find(I_ScaleEnums::ScaleLinear);
  if (found == m_creators.end())
  {
    return nullptr;
  }
  I_Scale* scale = found->second(C_ScaleLinearParam(unit.get(), description, factor, offset));
  if (scale != nullptr)
  {
    unit.release(); // now owned by the scale
  }
  return scale;
}
} // namespace BufferApi
