#pragma once

#include <BufferApi/BufferApiExport.h>

#include <string>

namespace BufferApi
{
//! A physical unit. Symbols and names are 8-bit texts; the micro sign is the
//! single byte 0xB5.
class BUFFER_API I_Unit
{
public:
  virtual ~I_Unit() = default;
  //! A new unit of the same class; the caller owns it.
  virtual I_Unit* Clone() const = 0;
  //! The short symbol, such as "mm" or "km/h".
  virtual std::string GetSymbol() const = 0;
  //! The long name, such as "millimeters".
  virtual std::string GetName() const = 0;
};

//! Conversions of a length given in this unit into the named unit.
class BUFFER_API I_UnitLength : public virtual I_Unit
{
public:
  virtual double ToCM(double value) const = 0;
  virtual double ToFM(double value) const = 0;
  virtual double ToFT(double value) const = 0;
  virtual double ToIN(double value) const = 0;
  virtual double ToKM(double value) const = 0;
  virtual double ToM(double value) const = 0;
  virtual double ToMI(double value) const = 0;
  virtual double ToMM(double value) const = 0;
  virtual double ToNM(double value) const = 0;
  virtual double ToPM(double value) const = 0;
  virtual double ToYD(double value) const = 0;
  virtual double TouM(double value) const = 0;
};

//! Conversions of a mass given in this unit into the named unit.
class BUFFER_API I_UnitMass : public virtual I_Unit
{
public:
  virtual double ToKG(double value) const = 0;
  virtual double ToG(double value) const = 0;
  virtual double ToMG(double value) const = 0;
  virtual double TouG(double value) const = 0;
};

//! Conversions of a time given in this unit into the named unit
//! (ToM converts to minutes).
class BUFFER_API I_UnitTime : public virtual I_Unit
{
public:
  virtual double ToFS(double value) const = 0;
  virtual double ToH(double value) const = 0;
  virtual double ToM(double value) const = 0;
  virtual double ToMS(double value) const = 0;
  virtual double ToNS(double value) const = 0;
  virtual double ToPS(double value) const = 0;
  virtual double ToS(double value) const = 0;
  virtual double TouS(double value) const = 0;
};

//! Conversions of a velocity given in this unit into the named unit
//! (ToMS converts to meters per second).
class BUFFER_API I_UnitVelocity : public virtual I_Unit
{
public:
  virtual double ToKMH(double value) const = 0;
  virtual double ToMS(double value) const = 0;
  virtual double ToMMS(double value) const = 0;
  virtual double TouMS(double value) const = 0;
};
} // namespace BufferApi
