#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/E_AttributeType.h>
#include <BufferApi/I_BufferLibObject.h>

#include <cstddef>
#include <string>
#include <vector>

namespace BufferApi
{
//! A node of an attribute tree. Every node has a name (possibly empty) and an
//! ordered list of children it owns; value leaves may have children too.
//! IsSameType, IsNotEqual and IsEqual (from I_BufferLibObject) compare
//! attributes: same concrete class, same names and child structure, and the
//! node's own value (child values are not compared).
class BUFFER_API I_AttributeBase : public I_BufferLibObject
{
public:
  ~I_AttributeBase() override = default;

  //! Appends child and takes ownership of it. Null and the node itself are ignored.
  virtual void AddChild(I_AttributeBase* child) = 0;
  //! Deep copy: same class, name, value and cloned children in order. The caller owns it.
  virtual I_AttributeBase* Clone() const = 0;
  //! Deletes the first child named name; nothing when there is none.
  virtual void RemoveChild(const std::string& name) = 0;
  virtual void RemoveAllChildren() = 0;
  //! Clears out and fills it with the children in order (still owned by this node).
  virtual void GetChildren(std::vector<I_AttributeBase*>& out) const = 0;
  //! The first child with exactly this name, or null. Owned by this node.
  virtual I_AttributeBase* FindChild(const std::string& name) const = 0;
  virtual std::size_t GetNumberOfChildren() const = 0;
  virtual std::string GetName() const = 0;
  virtual E_AttributeType GetType() const = 0;
  virtual void SetName(const std::string& name) = 0;
  //! Address of the stored value (text characters for strings, element data for
  //! planes); null for nodes, scale attributes and empty plane attributes.
  virtual void* GetRawData() = 0;

  //! Makes the dotted path exist below root with attribute as its last node and
  //! returns that node. An existing node at path is replaced (with its subtree),
  //! missing intermediate nodes are created as plain nodes, existing ones of any
  //! kind are used as parents. A null attribute makes the last node a plain node.
  //! Ownership of attribute always passes to this call: when it is not inserted
  //! (a second child of the last segment's name survives the replacement, and
  //! that one is returned), it is deleted. With a null root nothing is created,
  //! attribute is deleted and null is returned.
  static I_AttributeBase* CreatePath(I_AttributeBase* root, std::string path, I_AttributeBase* attribute);
  //! The node at the dotted path below root, or null. Segments match child
  //! names exactly; an empty segment matches a child with an empty name.
  static I_AttributeBase* FindPath(I_AttributeBase* root, std::string path);
  //! Deletes the node at path with its subtree; a missing node is no error.
  static void DeletePath(I_AttributeBase* root, const std::string& path);
};
} // namespace BufferApi
