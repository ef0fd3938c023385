#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/I_AttributeBase.h>

namespace BufferApi
{
class I_Scale;

//! A node holding one owned scale, or none.
class BUFFER_API I_AttributeScale : public virtual I_AttributeBase
{
public:
  //! The held scale (still owned by the attribute), or null.
  virtual I_Scale* GetScale() const = 0;
  //! Deletes the held scale and takes ownership of scale (null empties the attribute).
  virtual void SetScale(I_Scale* scale) = 0;
};
} // namespace BufferApi
