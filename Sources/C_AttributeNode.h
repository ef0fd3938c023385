#pragma once

#include "C_AttributeBase.h"

namespace BufferApi
{
//! A grouping node without a value.
class C_AttributeNode : public C_AttributeBase
{
public:
  explicit C_AttributeNode(const std::string& name = std::string());

  I_AttributeBase* Clone() const override;
  E_AttributeType GetType() const override;
  void* GetRawData() override;

protected:
  bool IsValueEqual(const I_AttributeBase& other) const override;
};
} // namespace BufferApi
