#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/I_Frame.h>

#include <string>

namespace BufferApi
{
//! An image frame: the component "PIXEL" holds the image data, one plane per z
//! plane; the mask and further components are optional.
class BUFFER_API I_FrameImage : public virtual I_Frame
{
public:
  //! "PIXEL": the name of the image data component.
  static const std::string COMPONENT_PIXEL;
  //! "FT_IMAGE": the frame type name of image frames.
  static const std::string FT_IMAGE;

  using I_Frame::GetPlane;

  //! A new image frame (caller owns it) of this size, name and components with
  //! the pixels converted (clamped) to `type`, which must be DT_Double,
  //! DT_Float, DT_Int32 or DT_UInt16. This frame is unchanged.
  virtual I_FrameImage* ConvertTo(E_DataType type) const = 0;
  //! Guarded read; 0 when the plane or pixel does not exist.
  virtual double GetPixel(unsigned x, unsigned y, unsigned plane) const = 0;
  //! GetPixel truncated toward zero (negative values wrap as 32-bit numbers).
  virtual unsigned GetIntPixel(unsigned x, unsigned y, unsigned plane) const = 0;
  //! Plane `plane` of the pixel component, or null.
  virtual I_PlaneBase* GetPlane(unsigned plane) const = 0;
  //! The element data of pixel plane `plane`, or null.
  virtual void* GetPlaneData(unsigned plane) const = 0;
  //! Guarded, clamped write; nothing when the plane does not exist.
  virtual void SetPixel(unsigned x, unsigned y, unsigned plane, double value) = 0;
  virtual void SetIntPixel(unsigned x, unsigned y, unsigned plane, unsigned value) = 0;
};
} // namespace BufferApi
