#include "C_UnitRegistry.h"

#include <BufferApi/C_UnitFactory.h>
#include <BufferApi/I_ScaleEnums.h>

#include <RTE/Exception.h>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

//! Creator of a unit without parameters.
template <typename T_Unit>
I_Unit* CreateUnitOf(const C_UnitParam&)
{
  return new T_Unit;
}

template <typename T_Unit>
void Add(C_UnitFactory& factory, I_ScaleEnums::E_UnitType code)
{
  factory.Register(code, T_Unit::kSymbol, &CreateUnitOf<T_Unit>);
}
} // namespace

double C_UnitLength::ToCM(double value) const
{
  return ToM(value) / C_UnitLengthCM::kFactor;
}
double C_UnitLength::ToFM(double value) const
{
  return ToM(value) / C_UnitLengthFM::kFactor;
}
double C_UnitLength::ToFT(double value) const
{
  return ToM(value) / C_UnitLengthFT::kFactor;
}
double C_UnitLength::ToIN(double value) const
{
  return ToM(value) / C_UnitLengthIN::kFactor;
}
double C_UnitLength::ToKM(double value) const
{
  return ToM(value) / C_UnitLengthKM::kFactor;
}
double C_UnitLength::ToMI(double value) const
{
  return ToM(value) / C_UnitLengthMI::kFactor;
}
double C_UnitLength::ToMM(double value) const
{
  return ToM(value) / C_UnitLengthMM::kFactor;
}
double C_UnitLength::ToNM(double value) const
{
  return ToM(value) / C_UnitLengthNM::kFactor;
}
double C_UnitLength::ToPM(double value) const
{
  return ToM(value) / C_UnitLengthPM::kFactor;
}
double C_UnitLength::ToYD(double value) const
{
  return ToM(value) / C_UnitLengthYD::kFactor;
}
double C_UnitLength::TouM(double value) const
{
  return ToM(value) / C_UnitLengthuM::kFactor;
}

double C_UnitMass::ToKG(double value) const
{
  return ToG(value) / C_UnitMassKG::kFactor;
}
double C_UnitMass::ToMG(double value) const
{
  return ToG(value) / C_UnitMassMG::kFactor;
}
double C_UnitMass::TouG(double value) const
{
  return ToG(value) / C_UnitMassuG::kFactor;
}

double C_UnitTime::ToFS(double value) const
{
  return ToS(value) / C_UnitTimeFS::kFactor;
}
double C_UnitTime::ToH(double value) const
{
  return ToS(value) / C_UnitTimeH::kFactor;
}
double C_UnitTime::ToM(double value) const
{
  return ToS(value) / C_UnitTimeM::kFactor;
}
double C_UnitTime::ToMS(double value) const
{
  return ToS(value) / C_UnitTimeMS::kFactor;
}
double C_UnitTime::ToNS(double value) const
{
  return ToS(value) / C_UnitTimeNS::kFactor;
}
double C_UnitTime::ToPS(double value) const
{
  return ToS(value) / C_UnitTimePS::kFactor;
}
double C_UnitTime::TouS(double value) const
{
  return ToS(value) / C_UnitTimeuS::kFactor;
}

double C_UnitVelocity::ToKMH(double value) const
{
  return ToMS(value) / C_UnitVelocityKMH::kFactor;
}
double C_UnitVelocity::ToMMS(double value) const
{
  return ToMS(value) / C_UnitVelocityMMS::kFactor;
}
double C_UnitVelocity::TouMS(double value) const
{
  return ToMS(value) / C_UnitVelocityuMS::kFactor;
}

I_Unit* CreateUnitMisc(const C_UnitParam& param)
{
  const auto* misc = dynamic_cast<const C_UnitMiscParam*>(&param);
  if (misc == nullptr)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Wrong parameter type, misc unit could not be created.");
  }
  return new C_UnitMisc(misc->GetSymbol(), misc->GetName());
}

void RegisterUnits()
{
  using E = I_ScaleEnums;
  C_UnitFactory& factory = C_UnitFactory::GetInstance();
  Add<C_UnitLengthKM>(factory, E::UnitLengthKM);
  Add<C_UnitLengthM>(factory, E::UnitLengthM);
  Add<C_UnitLengthCM>(factory, E::UnitLengthCM);
  Add<C_UnitLengthMM>(factory, E::UnitLengthMM);
  Add<C_UnitLengthuM>(factory, E::UnitLengthuM);
  Add<C_UnitLengthNM>(factory, E::UnitLengthNM);
  Add<C_UnitLengthPM>(factory, E::UnitLengthPM);
  Add<C_UnitLengthFM>(factory, E::UnitLengthFM);
  Add<C_UnitLengthIN>(factory, E::UnitLengthIN);
  Add<C_UnitLengthFT>(factory, E::UnitLengthFT);
  Add<C_UnitLengthYD>(factory, E::UnitLengthYD);
  Add<C_UnitLengthMI>(factory, E::UnitLengthMI);
  Add<C_UnitMassKG>(factory, E::UnitMassKG);
  Add<C_UnitMassG>(factory, E::UnitMassG);
  Add<C_UnitMassMG>(factory, E::UnitMassMG);
  Add<C_UnitMassuG>(factory, E::UnitMassuG);
  factory.Register(E::UnitMisc, "misc", &CreateUnitMisc);
  Add<C_UnitTimeH>(factory, E::UnitTimeH);
  Add<C_UnitTimeM>(factory, E::UnitTimeM);
  Add<C_UnitTimeS>(factory, E::UnitTimeS);
  Add<C_UnitTimeMS>(factory, E::UnitTimeMS);
  Add<C_UnitTimeuS>(factory, E::UnitTimeuS);
  Add<C_UnitTimeNS>(factory, E::UnitTimeNS);
  Add<C_UnitTimePS>(factory, E::UnitTimePS);
  Add<C_UnitTimeFS>(factory, E::UnitTimeFS);
  Add<C_UnitVelocityKMH>(factory, E::UnitVelocityKMH);
  Add<C_UnitVelocityMS>(factory, E::UnitVelocityMS);
  Add<C_UnitVelocityMMS>(factory, E::UnitVelocityMMS);
  Add<C_UnitVelocityuMS>(factory, E::UnitVelocityuMS);
}
} // namespace BufferApi
