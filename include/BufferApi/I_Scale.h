#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/I_ScaleEnums.h>
#include <BufferApi/I_Unit.h>

#include <string>

namespace BufferApi
{
//! Maps stored values or grid positions (source) to physical values (world).
//! The operations that change a scale return nothing.
class BUFFER_API I_Scale
{
public:
  virtual ~I_Scale() = default;
  //! The scale of a new grid whose index i' is old index
  //! center + abs(step) * (i' - center).
  virtual void Resample(double step, double center) = 0;
  //! A copy the caller owns; null for scales that cannot be copied.
  virtual I_Scale* Clone() const = 0;
  virtual std::string GetDescription() const = 0;
  //! 1 decreasing, 4 increasing, 0 constant (2 and 3 count as decreasing and
  //! increasing).
  virtual int GetMonotony() const = 0;
  virtual double GetFactor() const = 0;
  virtual I_ScaleEnums::E_ScaleType GetType() const = 0;
  //! The unit, still owned by the scale; null when the scale has none.
  virtual I_Unit* GetUnit() const = 0;
  virtual bool IsEqual(const I_Scale* other) const = 0;
  virtual bool IsDecreasing() const = 0;
  virtual bool IsIncreasing() const = 0;
  //! The scale of data mirrored about source position `center`.
  virtual void MirrorSource(double center) = 0;
  //! Mirrors the world values about world value `center`.
  virtual void MirrorWorld(double center) = 0;
  virtual double ToWorld(double source) const = 0;
  virtual void SetDescription(const std::string& text) = 0;
  //! Replaces the unit by the one C_UnitFactory makes for `unitText`.
  virtual void SetUnit(const std::string& unitText) = 0;
  //! The scale of data stretched by `factor` about `center`; raises for 0.
  virtual void Stretch(double factor, double center) = 0;
  //! The scale of data moved by `delta` along the source axis.
  virtual void ShiftSource(double delta) = 0;
  virtual double ToSource(double world) const = 0;
};
} // namespace BufferApi
