#pragma once

#include <BufferApi/C_UnitParam.h>
#include <BufferApi/I_Unit.h>

#include <string>

namespace BufferApi
{
//! Common base of every unit of the library.
class C_Unit : public virtual I_Unit
{
};

// Kind bases. Every conversion goes through the kind's base unit: the
// concrete unit's own base conversion multiplies by its factor, the kind base
// then divides by the target's factor (and does nothing more for the base
// unit itself), so each conversion rounds at most twice.

class C_UnitLength : public C_Unit, public I_UnitLength
{
public:
  double ToCM(double value) const override;
  double ToFM(double value) const override;
  double ToFT(double value) const override;
  double ToIN(double value) const override;
  double ToKM(double value) const override;
  double ToM(double value) const override { return value; }
  double ToMI(double value) const override;
  double ToMM(double value) const override;
  double ToNM(double value) const override;
  double ToPM(double value) const override;
  double ToYD(double value) const override;
  double TouM(double value) const override;
};

class C_UnitMass : public C_Unit, public I_UnitMass
{
public:
  double ToKG(double value) const override;
  double ToG(double value) const override { return value; }
  double ToMG(double value) const override;
  double TouG(double value) const override;
};

class C_UnitTime : public C_Unit, public I_UnitTime
{
public:
  double ToFS(double value) const override;
  double ToH(double value) const override;
  double ToM(double value) const override;
  double ToMS(double value) const override;
  double ToNS(double value) const override;
  double ToPS(double value) const override;
  double ToS(double value) const override { return value; }
  double TouS(double value) const override;
};

class C_UnitVelocity : public C_Unit, public I_UnitVelocity
{
public:
  double ToKMH(double value) const override;
  double ToMS(double value) const override { return value; }
  double ToMMS(double value) const override;
  double TouMS(double value) const override;
};

// The micro sign: the single ISO 8859-1 byte 0xB5, kept a literal of its own
// so that a following letter cannot extend the hex escape.
#define BUFFERAPI_MICRO_SIGN "\xB5"

// A concrete unit: symbol, name and factor to the kind's base unit
// (value in base unit = value * kFactor).
#define BUFFERAPI_UNIT_CLASS(ClassName, KindBase, ToBase, symbol, name, factor)                                        \
  class ClassName : public KindBase                                                                                    \
  {                                                                                                                    \
  public:                                                                                                              \
    static constexpr const char* kSymbol = symbol;                                                                     \
    static constexpr const char* kName = name;                                                                         \
    static constexpr double kFactor = factor;                                                                          \
    I_Unit* Clone() const override { return new ClassName(*this); }                                                    \
    std::string GetSymbol() const override { return kSymbol; }                                                         \
    std::string GetName() const override { return kName; }                                                             \
    double ToBase(double value) const override { return value * kFactor; }                                             \
  }

BUFFERAPI_UNIT_CLASS(C_UnitLengthKM, C_UnitLength, ToM, "km", "kilometers", 1000.0);
BUFFERAPI_UNIT_CLASS(C_UnitLengthM, C_UnitLength, ToM, "m", "meters", 1.0);
BUFFERAPI_UNIT_CLASS(C_UnitLengthCM, C_UnitLength, ToM, "cm", "centimeters", 0.01);
BUFFERAPI_UNIT_CLASS(C_UnitLengthMM, C_UnitLength, ToM, "mm", "millimeters", 0.001);
BUFFERAPI_UNIT_CLASS(C_UnitLengthuM, C_UnitLength, ToM, BUFFERAPI_MICRO_SIGN "m", "micrometers", 1e-06);
BUFFERAPI_UNIT_CLASS(C_UnitLengthNM, C_UnitLength, ToM, "nm", "nanometers", 1e-09);
BUFFERAPI_UNIT_CLASS(C_UnitLengthPM, C_UnitLength, ToM, "pm", "picometers", 1e-12);
BUFFERAPI_UNIT_CLASS(C_UnitLengthFM, C_UnitLength, ToM, "fm", "femtometers", 1e-15);
BUFFERAPI_UNIT_CLASS(C_UnitLengthIN, C_UnitLength, ToM, "in", "inches", 0.0254);
BUFFERAPI_UNIT_CLASS(C_UnitLengthFT, C_UnitLength, ToM, "ft", "feet", 0.3048);
BUFFERAPI_UNIT_CLASS(C_UnitLengthYD, C_UnitLength, ToM, "yd", "yards", 0.9144);
BUFFERAPI_UNIT_CLASS(C_UnitLengthMI, C_UnitLength, ToM, "mi", "miles", 1609.344);

BUFFERAPI_UNIT_CLASS(C_UnitMassKG, C_UnitMass, ToG, "kg", "kilograms", 1000.0);
BUFFERAPI_UNIT_CLASS(C_UnitMassG, C_UnitMass, ToG, "g", "grams", 1.0);
BUFFERAPI_UNIT_CLASS(C_UnitMassMG, C_UnitMass, ToG, "mg", "milligrams", 0.001);
BUFFERAPI_UNIT_CLASS(C_UnitMassuG, C_UnitMass, ToG, BUFFERAPI_MICRO_SIGN "g", "micrograms", 1e-06);

BUFFERAPI_UNIT_CLASS(C_UnitTimeH, C_UnitTime, ToS, "h", "hours", 3600.0);
BUFFERAPI_UNIT_CLASS(C_UnitTimeM, C_UnitTime, ToS, "min", "minutes", 60.0);
BUFFERAPI_UNIT_CLASS(C_UnitTimeS, C_UnitTime, ToS, "s", "seconds", 1.0);
BUFFERAPI_UNIT_CLASS(C_UnitTimeMS, C_UnitTime, ToS, "ms", "milliseconds", 0.001);
BUFFERAPI_UNIT_CLASS(C_UnitTimeuS, C_UnitTime, ToS, BUFFERAPI_MICRO_SIGN "s", "microseconds", 1e-06);
BUFFERAPI_UNIT_CLASS(C_UnitTimeNS, C_UnitTime, ToS, "ns", "nanoseconds", 1e-09);
BUFFERAPI_UNIT_CLASS(C_UnitTimePS, C_UnitTime, ToS, "ps", "picoseconds", 1e-12);
BUFFERAPI_UNIT_CLASS(C_UnitTimeFS, C_UnitTime, ToS, "fs", "femtoseconds", 1e-15);

BUFFERAPI_UNIT_CLASS(C_UnitVelocityKMH, C_UnitVelocity, ToMS, "km/h", "kilometers per hour", 0.2777777777777778);
BUFFERAPI_UNIT_CLASS(C_UnitVelocityMS, C_UnitVelocity, ToMS, "m/s", "meters per second", 1.0);
BUFFERAPI_UNIT_CLASS(C_UnitVelocityMMS, C_UnitVelocity, ToMS, "mm/s", "millimeters per second", 0.001);
BUFFERAPI_UNIT_CLASS(C_UnitVelocityuMS, C_UnitVelocity, ToMS, BUFFERAPI_MICRO_SIGN "m/s", "micrometers per second",
                     1e-06);

#undef BUFFERAPI_UNIT_CLASS
#undef BUFFERAPI_MICRO_SIGN

//! The free-text unit: any unit the library does not know, such as "pixel".
class C_UnitMisc : public C_Unit
{
public:
  C_UnitMisc(const std::string& symbol, const std::string& name)
      : m_symbol(symbol)
      , m_name(name)
  {
  }

  I_Unit* Clone() const override { return new C_UnitMisc(*this); }
  std::string GetSymbol() const override { return m_symbol; }
  std::string GetName() const override { return m_name; }

private:
  std::string m_symbol;
  std::string m_name;
};

//! Creator of the free-text unit; requires a C_UnitMiscParam.
I_Unit* CreateUnitMisc(const C_UnitParam& param);

//! Fills C_UnitFactory with the 29 units of the library (start-up only).
void RegisterUnits();
} // namespace BufferApi
