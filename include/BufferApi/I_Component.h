#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/E_DataType.h>
#include <BufferApi/I_PlaneBase.h>
#include <BufferApi/I_Scale.h>

#include <memory>
#include <string>

namespace BufferApi
{
//! One named quantity of a frame (the pixels of an image, the U velocity of a
//! vector field, the mask): an ordered list of planes of one element type and
//! size, plus a value scale. Components are owned by their frame; pointers
//! handed out here are lent and stay owned by the component.
class BUFFER_API I_Component
{
public:
  I_Component() = default;
  I_Component(const I_Component&) = default;
  I_Component& operator=(const I_Component&) = default;
  //! Deletes the scale and releases the component's plane references.
  virtual ~I_Component() = default;

  virtual E_DataType GetDataType() const = 0;
  virtual std::string GetName() const = 0;
  //! The value scale, still owned by the component; may be null.
  virtual I_Scale* GetScale() const = 0;
  virtual unsigned GetNumberOfPlanes() const = 0;
  //! Plane `index`, or null when index >= GetNumberOfPlanes().
  virtual I_PlaneBase* GetPlane(unsigned index) const = 0;
  //! Replaces plane `index` by `plane`, which must have the width, height and
  //! data type of the plane it replaces. Raises RTE::Exception otherwise and
  //! leaves the component unchanged. The plane may be shared with others.
  virtual void SetPlane(unsigned index, std::shared_ptr<I_PlaneBase> plane) = 0;
  //! Deletes the current scale and takes ownership of `scale` (null allowed).
  virtual void SetScale(I_Scale* scale) = 0;
};
} // namespace BufferApi
