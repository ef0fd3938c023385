#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/I_PlaneBase.h>
#include <BufferApi/tagRGBQUAD.h>

namespace BufferApi
{
//! Typed access to a plane of tagRGBQUAD elements. As a number an element
//! reads red * 65536 + green * 256 + blue.
class BUFFER_API I_PlaneRGB : public virtual I_PlaneBase
{
public:
  using I_PlaneBase::Fill;
  using I_PlaneBase::SetDefaultValue;

  //! The element as stored; coordinates must be valid.
  virtual tagRGBQUAD GetElement(unsigned x, unsigned y) const = 0;
  //! Guarded: ignored outside the plane.
  virtual void SetElement(unsigned x, unsigned y, tagRGBQUAD value) = 0;
  //! Every element := value; returns the number of elements written.
  virtual int Fill(tagRGBQUAD value) = 0;
  virtual void SetDefaultValue(tagRGBQUAD value) = 0;

  I_PlaneRGB* Clone(bool copyData) const override = 0;
  I_PlaneRGB* CloneEmpty() const override = 0;
};

} // namespace BufferApi
