#pragma once

#include <BufferApi/I_AttributeBase.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace BufferApi
{
//! What all attribute kinds share: the name and the owned, ordered children.
//! Children are held through the interface, so an attribute implemented
//! outside the library is owned and compared like a library one.
class C_AttributeBase : public virtual I_AttributeBase
{
public:
  ~C_AttributeBase() override;
  C_AttributeBase(const C_AttributeBase&) = delete;
  C_AttributeBase& operator=(const C_AttributeBase&) = delete;

  bool IsSameType(const I_BufferLibObject* other) const override;
  bool IsNotEqual(const I_BufferLibObject* other) const override;
  bool IsEqual(const I_BufferLibObject* other) const override;

  void AddChild(I_AttributeBase* child) override;
  void RemoveChild(const std::string& name) override;
  void RemoveAllChildren() override;
  void GetChildren(std::vector<I_AttributeBase*>& out) const override;
  I_AttributeBase* FindChild(const std::string& name) const override;
  std::size_t GetNumberOfChildren() const override;
  std::string GetName() const override;
  void SetName(const std::string& name) override;

  //! Names equal and, for each child of a in order, the same test on the child
  //! of b at that index. Values are not compared. b having fewer children than
  //! a fails the test without reading past b's children.
  static bool HasSameStructure(const I_AttributeBase& a, const I_AttributeBase& b);

protected:
  explicit C_AttributeBase(const std::string& name);

  //! The value part of IsEqual; other is of the same concrete class.
  virtual bool IsValueEqual(const I_AttributeBase& other) const = 0;
  //! Appends clones of this node's children, in order, to target.
  void CloneChildrenInto(C_AttributeBase& target) const;
  //! Clone's common part: a new `Attribute` with this node's name, made from
  //! `values`, with clones of this node's children.
  template <class Attribute, class... Values>
  I_AttributeBase* CloneAs(Values&&... values) const
  {
    auto copy = std::make_unique<Attribute>(GetName(), std::forward<Values>(values)...);
    CloneChildrenInto(*copy);
    return copy.release();
  }

private:
  std::string m_name;
  std::vector<std::unique_ptr<I_AttributeBase>> m_children;
};
} // namespace BufferApi
