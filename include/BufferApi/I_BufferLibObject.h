#pragma once

#include <BufferApi/BufferApiExport.h>

namespace BufferApi
{
//! Common root of planes, frames, buffers and attribute nodes.
class BUFFER_API I_BufferLibObject
{
public:
  virtual ~I_BufferLibObject() = default;

  //! True when other is of the same concrete class.
  virtual bool IsSameType(const I_BufferLibObject* other) const = 0;
  //! The negation of IsEqual.
  virtual bool IsNotEqual(const I_BufferLibObject* other) const = 0;
  //! True when other is of the same class and holds the same content.
  virtual bool IsEqual(const I_BufferLibObject* other) const = 0;
};

} // namespace BufferApi
