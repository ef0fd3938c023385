#pragma once

#include <BufferApi/BufferApiExport.h>

namespace BufferApi
{
class I_Frame;

//! Names one plane of a frame: the frame (not owned) and the plane index.
//! A plain holder meant as a base for plane-bound helpers.
class BUFFER_API C_ImagePlaneAccess
{
public:
  C_ImagePlaneAccess(const I_Frame* frame, unsigned plane);
  C_ImagePlaneAccess(const C_ImagePlaneAccess&) = default;
  C_ImagePlaneAccess& operator=(const C_ImagePlaneAccess&) = default;
  virtual ~C_ImagePlaneAccess();

protected:
  const I_Frame* m_frame;
  unsigned m_plane;
};
} // namespace BufferApi
