#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/BufAttr_Type.h>
#include <BufferApi/E_DataType.h>

#include <string>
#include <vector>

namespace BufferApi
{
class I_AttributeBase;
class I_Frame;

//! Access to the attributes of one frame by dotted path (never split into a
//! frame index). A light view: the frame is not owned and must outlive it.
class BUFFER_API C_FrameAttributes
{
public:
  //! Raises RTE::Exception for a null frame.
  explicit C_FrameAttributes(I_Frame* frame);

  I_AttributeBase* Get(const std::string& path);
  const I_AttributeBase* Get(const std::string& path) const;
  BufAttr_Type GetType(const std::string& path) const;
  //! The text of a string attribute; empty for anything else.
  std::string GetString(const std::string& path) const;
  void* GetRawData(const std::string& path);
  int GetArray(const std::string& path, unsigned count, E_DataType type, void* destination);

  //! Creates (replacing whatever stood there) a string attribute; false for an empty path.
  bool SetString(const std::string& path, const std::string& value);
  //! Replaces the attribute by a plane attribute of width count and height 1
  //! holding data read as type. False for an empty path or a null data
  //! pointer; a type other than DT_Double, DT_Float, DT_Int32 or DT_UInt16
  //! leaves the new attribute without values and gives false.
  bool SetArray(const std::string& path, unsigned count, E_DataType type, const void* data);

  //! Deletes the attribute; a path containing "*" removes every top-level
  //! attribute whose name begins with the text before the "*".
  void Remove(const std::string& path);
  void RemoveAll();

  void GetList(std::vector<std::string>& names, std::vector<I_AttributeBase*>& attributes) const;

private:
  I_Frame* m_frame;
};
} // namespace BufferApi
