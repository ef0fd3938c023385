#include "C_AttributeNode.h"

#include <memory>

namespace BufferApi
{
C_AttributeNode::C_AttributeNode(const std::string& name)
    : C_AttributeBase(name)
{
}

I_AttributeBase* C_AttributeNode::Clone() const
{
  auto copy = std::make_unique<C_AttributeNode>(GetName());
  CloneChildrenInto(*copy);
  return copy.release();
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
