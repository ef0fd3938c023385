#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/I_AttributeBase.h>

namespace BufferApi
{
class I_PlaneBase;

//! A node holding one owned plane, or none. Arrays of numbers are kept as
//! planes of height 1.
class BUFFER_API I_AttributePlane : public virtual I_AttributeBase
{
public:
  //! The held plane (still owned by the attribute), or null.
  virtual I_PlaneBase* GetPlane() const = 0;
  //! Deletes the held plane and takes ownership of plane (null empties the attribute).
  virtual void SetPlane(I_PlaneBase* plane) = 0;
};
} // namespace BufferApi
