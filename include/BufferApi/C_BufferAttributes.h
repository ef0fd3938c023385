#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/BufAttr_Type.h>
#include <BufferApi/E_DataType.h>

#include <cstddef>
#include <string>
#include <vector>

namespace BufferApi
{
class I_AttributeBase;
class I_Buffer;

//! Access to all attributes of a buffer by flat names: the attribute path,
//! with the frame index appended in decimal for frame attributes ("Exposure3"
//! is "Exposure" of frame 3; see Attributes::GetFrameIndexAndName). A name
//! that cannot be split, or names a frame the buffer does not have, finds
//! nothing. A light view: the buffer is not owned and must outlive the view.
class BUFFER_API C_BufferAttributes
{
public:
  //! Raises RTE::Exception for a null buffer.
  explicit C_BufferAttributes(I_Buffer* buffer);

  I_AttributeBase* Get(const std::string& name);
  const I_AttributeBase* Get(const std::string& name) const;
  BufAttr_Type GetType(const std::string& name) const;
  //! The text of a string attribute; empty for anything else.
  std::string GetString(const std::string& name) const;
  //! The attribute's raw data (Part of I_AttributeBase); null when absent.
  void* GetRawData(const std::string& name);
  //! Attributes::GetArrayData of the attribute; 0 when it is absent.
  int GetArray(const std::string& name, unsigned count, E_DataType type, void* destination);

  //! Creates (replacing whatever stood there) a string attribute. False when
  //! the frame does not exist or the name cannot be split; a frame name made
  //! of digits only stores nothing and gives true.
  bool SetString(const std::string& name, const std::string& value);
  //! Replaces the attribute by a plane attribute of width count and height 1
  //! holding data read as type (DT_Double, DT_Float, DT_Int32 or DT_UInt16).
  //! False for another type, a null data pointer, or when no attribute was made.
  bool SetArray(const std::string& name, unsigned count, E_DataType type, const void* data);

  //! Deletes the attribute with its subtree. A name containing "*" removes
  //! every top-level attribute, of the buffer and of each frame, whose name
  //! begins with the text before the "*".
  void Remove(const std::string& name);
  //! Deletes every attribute of the buffer and of its frames.
  void RemoveAll();
  //! Gives the attribute at oldName the name newName, taken literally (it stays
  //! under its parent). False when newName exists or oldName does not.
  bool Rename(const std::string& oldName, const std::string& newName);

  //! All flat names and attributes: the global ones first, then those of each
  //! frame in index order (see Attributes::GetList).
  void GetList(std::vector<std::string>& names, std::vector<I_AttributeBase*>& attributes) const;
  //! Name, element count (planes only) and type of list entry n; false (outputs
  //! untouched) when n is beyond the list. Builds the whole list on every call.
  bool GetInfoN(std::size_t n, std::string& name, unsigned& count, BufAttr_Type& type) const;
  //! Name and text (empty for non-strings) of list entry n; false beyond the list.
  bool GetN(std::size_t n, std::string& name, std::string& value) const;
  //! The type of list entry n; BufAttr_Unknown beyond the list.
  BufAttr_Type GetType(std::size_t n) const;

private:
  I_Buffer* m_buffer;
};
} // namespace BufferApi
