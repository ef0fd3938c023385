// The static path operations of I_AttributeBase. A path is a list of child
// names separated by "."; there is no escaping, so a name containing "." can
// not be reached by a path.
#include "C_AttributeNode.h"

#include <BufferApi/C_AttributeFactory.h>

#include <memory>

namespace BufferApi
{
namespace
{
// Splits path at its first ".": head before it, rest after it (empty without a ".").
void SplitFirst(const std::string& path, std::string& head, std::string& rest)
{
  const std::string::size_type dot = path.find('.');
  if (dot == std::string::npos)
  {
    head = path;
    rest.clear();
  }
  else
  {
    head = path.substr(0, dot);
    rest = path.substr(dot + 1);
  }
}

I_AttributeBase* NewNode(const std::string& name)
{
  I_AttributeBase* node = C_AttributeFactory::GetInstance().CreateAttribute(AttrNode, C_AttributeBaseParam(name));
  return node != nullptr ? node : new C_AttributeNode(name);
}
} // namespace

I_AttributeBase* I_AttributeBase::FindPath(I_AttributeBase* root, std::string path)
{
  std::string head;
  std::string rest;
  while (root != nullptr)
  {
    SplitFirst(path, head, rest);
    I_AttributeBase* child = root->FindChild(head);
    if (child == nullptr || rest.empty())
    {
      return child;
    }
    root = child;
    path.swap(rest);
  }
  return nullptr;
}

void I_AttributeBase::DeletePath(I_AttributeBase* root, const std::string& path)
{
  if (root == nullptr)
  {
    return;
  }
  const std::string::size_type dot = path.rfind('.');
  if (dot == std::string::npos)
  {
    root->RemoveChild(path);
    return;
  }
  I_AttributeBase* parent = FindPath(root, path.substr(0, dot));
  if (parent != nullptr)
  {
    parent->RemoveChild(path.substr(dot + 1));
  }
}

I_AttributeBase* I_AttributeBase::CreatePath(I_AttributeBase* root, std::string path, I_AttributeBase* attribute)
{
  // Held until it is inserted, so that every way out without inserting deletes it.
  if (attribute != nullptr && attribute == root)
  {
    // A node can not be its own descendant; it stays where it is.
    return nullptr;
  }
  std::unique_ptr<I_AttributeBase> pending(attribute);
  if (root == nullptr)
  {
    return nullptr;
  }

  I_AttributeBase* existing = FindPath(root, path);
  if (existing != nullptr)
  {
    if (existing == attribute)
    {
      // Already in place: replacing it by itself would delete it.
      pending.release();
      return existing;
    }
    DeletePath(root, path);
  }

  std::string head;
  std::string rest;
  SplitFirst(path, head, rest);

  I_AttributeBase* child = root->FindChild(head);
  if (child == nullptr)
  {
    if (!rest.empty() || attribute == nullptr)
    {
      child = NewNode(head);
    }
    else
    {
      child = pending.release();
    }
    child->SetName(head);
    root->AddChild(child);
  }

  if (!rest.empty())
  {
    return CreatePath(child, rest, pending.release());
  }
  // A second child of the last segment's name survived the replacement: it is
  // returned and a not yet inserted attribute is deleted by pending.
  return child;
}
} // namespace BufferApi
