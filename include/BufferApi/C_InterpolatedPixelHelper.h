#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/BilinearInterpolation.h>
#include <BufferApi/C_FrameHelperBase.h>
#include <BufferApi/tagRGBQUAD.h>

#include <cstddef>

namespace BufferApi
{
class C_FrameImage;
class I_Buffer;
class I_Frame;
class I_FrameImage;
class I_FrameRGB;

//! Reads one plane of an image frame at non-integer positions.
//!
//! Positions are clamped to [0, width - 1] x [0, height - 1] (NaN lands on the
//! last column or row). The frame's size is taken at construction; the frame
//! must outlive the helper. The plane (and the frame's mask) is looked up on
//! every call and read with the plane's guards, so a missing plane or a frame
//! resized afterwards reads 0 rather than stray memory.
class BUFFER_API C_InterpolatedPixelHelper : public C_FrameHelperBase
{
public:
  C_InterpolatedPixelHelper(I_Frame* frame, unsigned plane);
  //! Frame frameIndex of buffer (none for a null buffer or a bad index).
  C_InterpolatedPixelHelper(I_Buffer* buffer, unsigned frameIndex, unsigned plane);
  C_InterpolatedPixelHelper(const C_InterpolatedPixelHelper&) = default;
  C_InterpolatedPixelHelper& operator=(const C_InterpolatedPixelHelper&) = default;
  ~C_InterpolatedPixelHelper() override;

  //! The masked bilinear value of the plane at (x, y) as a float.
  //! Validity of the four neighbours comes from `mask` when it is given (a
  //! width x height array, row-major; an element counts as valid only when
  //! its byte is exactly 1; neighbours beyond the last column or row are
  //! invalid), else from the frame's mask when useFrameMask is set, else all
  //! are valid. With no valid neighbour the result is 0.0 and invalid.
  //! *valid (when not null) receives whether the result is valid.
  //! The mask must hold width x height elements: use the overload with the
  //! mask size to have that checked. Without an image frame the result is
  //! 0.0 and invalid.
  float GetInterpolatedPixel(float x, float y, bool* mask, bool useFrameMask, bool* valid) const;
  //! As above; raises RTE::Exception "The mask is smaller than the plane."
  //! when mask is given and maskSize < width x height.
  float GetInterpolatedPixel(float x, float y, const bool* mask, std::size_t maskSize, bool useFrameMask,
                             bool* valid) const;
  //! Each colour channel interpolated separately from the neighbours inside
  //! the frame and truncated to a byte; the reserved byte of an interpolated
  //! result is 0. At the last pixel that pixel is returned unchanged. A zero
  //! quad when the frame is not an RGB frame.
  tagRGBQUAD GetInterpolatedRGB(float x, float y) const;

private:
  void Init();
  //! The common case (an interior cell of plane 0 of a grey image, all
  //! neighbours valid) in one small function per kind of mask; other planes
  //! through InterpolateInterior, every other case through InterpolateAnyCell.
  float Interpolate(float x, float y, const unsigned char* mask, bool useFrameMask, bool* valid) const;
  float InterpolateNoMask(float x, float y, bool* valid) const;
  float InterpolateCallerMask(float x, float y, const unsigned char* mask, bool* valid) const;
  float InterpolateFrameMask(float x, float y, bool* valid) const;
  //! The common case for a plane other than 0.
  float InterpolateInterior(float x, float y, const unsigned char* mask, bool useFrameMask, bool* valid) const;
  float InterpolateAnyCell(float x, float y, const unsigned char* mask, bool useFrameMask, bool* valid) const;
  //! The neighbours of (px, py) that the frame's mask marks valid, as bits
  //! 1, 2, 4, 8 for (px, py), (px + 1, py), (px, py + 1), (px + 1, py + 1).
  unsigned FrameMaskSet(unsigned px, unsigned py) const;
  //! FrameMaskSet through the frame's IsValid.
  unsigned FrameMaskSetByCalls(unsigned px, unsigned py) const;
  //! The four neighbour values as the frame's GetPixel gives them.
  void Neighbours(unsigned px, unsigned py, double values[4]) const;

  I_FrameImage* m_image = nullptr;
  I_FrameRGB* m_rgb = nullptr;
  //! The frame when it is exactly the library's grey image frame, whose
  //! plane and mask the helper may read without virtual calls; else null.
  const C_FrameImage* m_grey = nullptr;
  //! m_grey when the plane is 0, which that frame keeps at hand; else null.
  const C_FrameImage* m_firstPlaneFrame = nullptr;
  //! The last column and row as the clamping limits.
  double m_limitX = 0;
  double m_limitY = 0;
  unsigned m_plane = 0;
  int m_width = 0;
  int m_height = 0;
  int m_widthMinus1 = 0;
  int m_heightMinus1 = 0;
};
} // namespace BufferApi
