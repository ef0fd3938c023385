#pragma once

#include <BufferApi/BufferApiExport.h>

#include <string>

namespace BufferApi
{
class I_AttributeBase;
class I_Buffer;
class I_Scale;

//! A human-readable multi-line text of a buffer for logs and diagnostics: the
//! global attributes, then per frame its name, kind, size, scales, value
//! range, a preview of six pixels and its component names. The dump only
//! reads the buffer, which it does not own and which must outlive it.
class BUFFER_API C_BufferDump
{
public:
  //! `buffer` may be null (the dump is then empty).
  explicit C_BufferDump(const I_Buffer* buffer);
  C_BufferDump(const C_BufferDump& other) = default;
  C_BufferDump(C_BufferDump&& other) = default;
  C_BufferDump& operator=(const C_BufferDump& other) = default;
  C_BufferDump& operator=(C_BufferDump&& other) = default;
  virtual ~C_BufferDump();

  //! The whole dump; an empty text for a null buffer.
  std::string ToString() const;

private:
  //! The attribute, then its children from the last to the first, each two
  //! blanks deeper.
  std::string DumpAttribute(I_AttributeBase* attribute, const std::string& indent) const;
  //! One line: the step per unit, the offset, the unit symbol and the description.
  std::string DumpScale(I_Scale* scale, char axis) const;

  const I_Buffer* m_buffer;
};

} // namespace BufferApi
