#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/I_FrameVector.h>

#include <string>

namespace BufferApi
{
//! A vector field with the components U and V.
class BUFFER_API I_FrameVector2C : public virtual I_FrameVector
{
public:
  static const std::string FT_VECTOR_2C;

  //! The vector of `choice` at (x, y, z); (0, 0) when choice or position
  //! lies outside the frame.
  virtual void GetVector(unsigned x, unsigned y, unsigned z, double& u, double& v, unsigned choice) const = 0;
  //! Stores the vector of `choice` (clamped to the element type); ignored
  //! outside the frame. Active choice and enabled flag stay as they are.
  virtual void SetVector(unsigned x, unsigned y, unsigned z, double u, double v, unsigned choice) = 0;
};

} // namespace BufferApi
