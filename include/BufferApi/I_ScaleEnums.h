#pragma once

#include <BufferApi/BufferApiExport.h>

namespace BufferApi
{
//! Holder of the enumerations shared by scales and units.
class BUFFER_API I_ScaleEnums
{
public:
  //! Kind of a scale; the key of C_ScaleFactory.
  enum E_ScaleType : int
  {
    ScaleInvalid = 0,
    ScaleLinear = 1
  };

  //! Unit codes; the key of C_UnitFactory. Code 16 is the free-text unit.
  enum E_UnitType : int
  {
    UnitLengthKM = 0,
    UnitLengthM = 1,
    UnitLengthCM = 2,
    UnitLengthMM = 3,
    UnitLengthuM = 4,
    UnitLengthNM = 5,
    UnitLengthPM = 6,
    UnitLengthFM = 7,
    UnitLengthIN = 8,
    UnitLengthFT = 9,
    UnitLengthYD = 10,
    UnitLengthMI = 11,
    UnitMassKG = 12,
    UnitMassG = 13,
    UnitMassMG = 14,
    UnitMassuG = 15,
    UnitMisc = 16,
    UnitTimeH = 17,
    UnitTimeM = 18,
    UnitTimeS = 19,
    UnitTimeMS = 20,
    UnitTimeuS = 21,
    UnitTimeNS = 22,
    UnitTimePS = 23,
    UnitTimeFS = 24,
    UnitVelocityKMH = 25,
    UnitVelocityMS = 26,
    UnitVelocityMMS = 27,
    UnitVelocityuMS = 28
  };
};
} // namespace BufferApi
