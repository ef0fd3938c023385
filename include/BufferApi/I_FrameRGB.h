#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/I_FrameImage.h>
#include <BufferApi/tagRGBQUAD.h>

#include <string>

namespace BufferApi
{
//! An image frame of colour pixels (DT_RGB). As a number a pixel is the
//! packed colour value red * 65536 + green * 256 + blue (0x00RRGGBB); the
//! reserved byte is not part of it and is written as 0 by the scalar pixel
//! setters. Reads outside the planes give 0, writes there are ignored.
class BUFFER_API I_FrameRGB : public virtual I_FrameImage
{
public:
  static const std::string FT_RGB; //!< "FT_RGB"

  virtual unsigned char GetBlue(unsigned x, unsigned y, unsigned plane) const = 0;
  virtual unsigned char GetGreen(unsigned x, unsigned y, unsigned plane) const = 0;
  virtual unsigned char GetRed(unsigned x, unsigned y, unsigned plane) const = 0;
  virtual tagRGBQUAD GetRGB(unsigned x, unsigned y, unsigned plane) const = 0;
  //! Each setter replaces one channel and leaves the other bytes as they are.
  virtual void SetBlue(unsigned x, unsigned y, unsigned plane, unsigned char value) = 0;
  virtual void SetGreen(unsigned x, unsigned y, unsigned plane, unsigned char value) = 0;
  virtual void SetRed(unsigned x, unsigned y, unsigned plane, unsigned char value) = 0;
  virtual void SetRGB(unsigned x, unsigned y, unsigned plane, tagRGBQUAD value) = 0;
  //! Every pixel of every plane := value.
  virtual void FillRGB(tagRGBQUAD value) = 0;
};

} // namespace BufferApi
