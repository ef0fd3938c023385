#include "C_AttributeNode.h"

namespace BufferApi
{
C_AttributeNode::C_AttributeNode(const std::string& name)
    : C_AttributeBase(name)
{
}

I_AttributeBase* C_AttributeNode::Clone() const
{
  return CloneAs<C_AttributeNode>();
}

E_AttributeType C_AttributeNode::GetType() const
{
  return AttrNode;
}

void* C_AttributeNode::GetRawData()
{
  return nullptr;
}

bool C_AttributeNode::IsValueEqual(const I_AttributeBase&) const
{
  return true;
}
} // namespace BufferApi
