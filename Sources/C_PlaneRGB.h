#pragma once

#include <BufferApi/I_PlaneRGB.h>

#include "C_PlaneBase.h"

namespace BufferApi
{
//! A plane of tagRGBQUAD elements, handled as 32-bit words when filled or
//! copied. On shared plane memory it keeps the block alive like the numeric
//! planes do. After DetachData it behaves as C_Plane<T> does.
class C_PlaneRGB : public C_PlaneBase, public I_PlaneRGB
{
public:
  using I_PlaneRGB::Fill;
  using I_PlaneRGB::SetDefaultValue;

  //! Own memory, zeroed.
  C_PlaneRGB(unsigned width, unsigned height);
  //! Lives in a slice of shared plane memory, which it keeps alive.
  C_PlaneRGB(unsigned width, unsigned height, std::shared_ptr<C_ConsecutivePlaneMemory> planeMemory, tagRGBQUAD* slice);
  ~C_PlaneRGB() override;

  C_PlaneRGB(const C_PlaneRGB&) = delete;
  C_PlaneRGB& operator=(const C_PlaneRGB&) = delete;

  bool IsSameType(const I_BufferLibObject* other) const override;
  bool IsEqual(const I_BufferLibObject* other) const override;
  I_PlaneRGB* Clone(bool copyData) const override;
  I_PlaneRGB* CloneEmpty() const override;
  E_DataType GetDataType() const override { return DT_RGB; }
  void* GetData() const override { return m_data; }
  void* DetachData() override;
  double GetValue(unsigned x, unsigned y) const override;
  double GetValueUnsafe(unsigned x, unsigned y) const override;
  int GetIntValue(unsigned x, unsigned y) const override;
  void SetValue(unsigned x, unsigned y, double value) override;
  void SetValueUnsafe(unsigned x, unsigned y, double value) override;
  void SetIntValue(unsigned x, unsigned y, int value) override;
  void Resize(int xMin, int xMax, int yMin, int yMax) override;
  void Clear() override;
  void Fill(double value) override;
  void SetDefaultValue(double value) override;

  tagRGBQUAD GetElement(unsigned x, unsigned y) const override { return Data()[Index(x, y)]; }
  void SetElement(unsigned x, unsigned y, tagRGBQUAD value) override;
  int Fill(tagRGBQUAD value) override;
  void SetDefaultValue(tagRGBQUAD value) override { m_defaultValue = value; }

  void SetToDefault(unsigned x, unsigned y) override;

  tagRGBQUAD GetDefaultValue() const { return m_defaultValue; }

private:
  std::size_t Index(unsigned x, unsigned y) const { return std::size_t(y) * m_width + x; }
  bool IsInside(unsigned x, unsigned y) const { return m_data && x < m_width && y < m_height; }

  tagRGBQUAD* Data() const { return static_cast<tagRGBQUAD*>(m_data); }

  tagRGBQUAD m_defaultValue{};
};

} // namespace BufferApi
