#pragma once

#include <BufferApi/I_FrameRGB.h>
#include <BufferApi/I_PlaneRGB.h>

#include "C_FrameImage.h"

namespace BufferApi
{
//! The RGB frame: an image frame whose "PIXEL" planes hold tagRGBQUAD
//! elements, with channel access and packed colour values (0x00RRGGBB) for
//! the scalar pixel operations.
class C_FrameRGB : public C_FrameImage, public I_FrameRGB
{
public:
  //! depth own, zeroed RGB planes of width x height.
  C_FrameRGB(unsigned width, unsigned height, unsigned depth);
  //! Depth 1 with the pixel plane on the parameter's slice of shared plane
  //! memory; the element type is RGB whatever the parameter names.
  explicit C_FrameRGB(const C_FrameImageParam& param);
  C_FrameRGB(const C_FrameRGB& other);
  ~C_FrameRGB() override;

  using C_FrameImage::GetPlane;

  // I_BufferLibObject
  bool IsSameType(const I_BufferLibObject* other) const override;

  // I_Frame
  //! copyData: full copy. Otherwise an RGB frame of this size with zeroed
  //! pixels, this name and axis scales, and data-less copies of the other
  //! components; the attribute tree is not copied.
  I_Frame* Clone(bool copyData) const override;
  //! Raises "Changing of data type of this component now allowed." for the
  //! protected components ("PIXEL", the mask) and unknown names.
  void ChangeComponentDataType(const std::string& name, E_DataType type, bool convertValues) override;

  // I_FrameImage: packed colour values
  double GetPixel(unsigned x, unsigned y, unsigned plane) const override;
  unsigned GetIntPixel(unsigned x, unsigned y, unsigned plane) const override;
  //! value truncated toward zero to 32 bits, then SetIntPixel.
  void SetPixel(unsigned x, unsigned y, unsigned plane, double value) override;
  //! Blue from bits 0-7, green 8-15, red 16-23; the reserved byte becomes 0.
  void SetIntPixel(unsigned x, unsigned y, unsigned plane, unsigned value) override;

  // I_FrameRGB
  unsigned char GetBlue(unsigned x, unsigned y, unsigned plane) const override;
  unsigned char GetGreen(unsigned x, unsigned y, unsigned plane) const override;
  unsigned char GetRed(unsigned x, unsigned y, unsigned plane) const override;
  tagRGBQUAD GetRGB(unsigned x, unsigned y, unsigned plane) const override;
  void SetBlue(unsigned x, unsigned y, unsigned plane, unsigned char value) override;
  void SetGreen(unsigned x, unsigned y, unsigned plane, unsigned char value) override;
  void SetRed(unsigned x, unsigned y, unsigned plane, unsigned char value) override;
  void SetRGB(unsigned x, unsigned y, unsigned plane, tagRGBQUAD value) override;
  void FillRGB(tagRGBQUAD value) override;

  // C_Frame hooks
  std::string GetFrameType() const override;

private:
  //! The RGB pixel plane, or null when it does not exist.
  I_PlaneRGB* RGBPlane(unsigned plane) const;
};

//! Registers the "FT_RGB" creator with the frame factory (library start-up).
void RegisterRGBFrameType();
} // namespace BufferApi
