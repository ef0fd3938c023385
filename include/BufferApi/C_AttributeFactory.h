#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/C_AttributeBaseParam.h>
#include <BufferApi/E_AttributeType.h>
#include <BufferApi/I_AttributeBase.h>

#include <map>

namespace BufferApi
{
//! Creates attribute nodes by kind. Filled with the nine kinds at library
//! start-up; not synchronised, so registrations belong to start-up only.
class BUFFER_API C_AttributeFactory
{
public:
  using T_Creator = I_AttributeBase* (*)(const C_AttributeBaseParam& param);

  static C_AttributeFactory& GetInstance();

  //! Adds creator under type; false (the earlier creator is kept) when type is registered already.
  bool Register(const E_AttributeType& type, T_Creator creator);
  //! True when an entry was removed.
  bool UnregisterObject(const E_AttributeType& type);
  //! A new attribute from the creator of type, owned by the caller; null when none is registered.
  I_AttributeBase* CreateAttribute(const E_AttributeType& type, const C_AttributeBaseParam& param) const;

private:
  C_AttributeFactory() = default;
  ~C_AttributeFactory() = default;
  C_AttributeFactory(const C_AttributeFactory&) = delete;
  C_AttributeFactory& operator=(const C_AttributeFactory&) = delete;

  std::map<E_AttributeType, T_Creator> m_creators;
};
} // namespace BufferApi
