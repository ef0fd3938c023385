#pragma once

#include <BufferApi/C_ScaleParam.h>
#include <BufferApi/I_Scale.h>

#include <memory>
#include <string>

namespace BufferApi
{
//! What all scales share: an owned unit (may be null) and a description.
class C_Scale : public virtual I_Scale
{
public:
  //! Takes ownership of `unit`.
  C_Scale(I_Unit* unit, const std::string& description);
  C_Scale(const C_Scale&) = delete;
  C_Scale& operator=(const C_Scale&) = delete;

  std::string GetDescription() const override { return m_description; }
  void SetDescription(const std::string& text) override { m_description = text; }
  I_Unit* GetUnit() const override { return m_unit.get(); }
  void SetUnit(const std::string& unitText) override;
  bool IsDecreasing() const override;
  bool IsIncreasing() const override;

protected:
  //! Both units missing, or both present with equal symbols.
  bool HasSameUnitSymbol(const C_Scale& other) const;

private:
  std::unique_ptr<I_Unit> m_unit;
  std::string m_description;
};

//! world = source * factor + offset.
class C_ScaleLinear : public C_Scale
{
public:
  //! Takes ownership of `unit`.
  C_ScaleLinear(double factor, double offset, I_Unit* unit, const std::string& description);

  void Resample(double step, double center) override;
  I_Scale* Clone() const override;
  int GetMonotony() const override;
  double GetFactor() const override { return m_factor; }
  I_ScaleEnums::E_ScaleType GetType() const override { return I_ScaleEnums::ScaleLinear; }
  bool IsEqual(const I_Scale* other) const override;
  void MirrorSource(double center) override;
  void MirrorWorld(double center) override;
  double ToWorld(double source) const override { return source * m_factor + m_offset; }
  void Stretch(double factor, double center) override;
  void ShiftSource(double delta) override;
  double ToSource(double world) const override;

private:
  double m_factor;
  double m_offset;
};

//! Stands for a missing scale: maps everything to 0, ignores all changes and
//! equals nothing.
class C_ScaleInvalid : public C_Scale
{
public:
  C_ScaleInvalid();

  void Resample(double, double) override {}
  I_Scale* Clone() const override { return nullptr; }
  int GetMonotony() const override { return 0; }
  double GetFactor() const override { return 0.0; }
  I_ScaleEnums::E_ScaleType GetType() const override { return I_ScaleEnums::ScaleInvalid; }
  bool IsEqual(const I_Scale*) const override { return false; }
  void MirrorSource(double) override {}
  void MirrorWorld(double) override {}
  double ToWorld(double) const override { return 0.0; }
  void Stretch(double, double) override {}
  void ShiftSource(double) override {}
  double ToSource(double) const override { return 0.0; }
};

//! Creator of the invalid scale; ignores its parameter (and its unit).
I_Scale* CreateScaleInvalid(const C_ScaleParam& param);
//! Creator of the linear scale; requires a C_ScaleLinearParam and takes over
//! its unit.
I_Scale* CreateScaleLinear(const C_ScaleParam& param);

//! Fills C_ScaleFactory with the invalid and the linear scale (start-up only).
void RegisterScales();
} // namespace BufferApi
