#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/I_AttributeBase.h>

#include <string>

namespace BufferApi
{
//! A node holding one value of type T (unsigned short, int, unsigned int,
//! float, double or std::string). Values, also texts, are passed by value.
template <typename T>
class BUFFER_API I_Attribute : public virtual I_AttributeBase
{
public:
  virtual T GetValue() const = 0;
  virtual void SetValue(T value) = 0;
};
} // namespace BufferApi
