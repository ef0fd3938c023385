#pragma once

#include <BufferApi/C_FrameBaseParam.h>
#include <BufferApi/I_Frame.h>

#include "C_Component.h"

#include <memory>
#include <string>
#include <vector>

namespace BufferApi
{
//! What all frame types share: the component list, name, axis scales,
//! attribute tree, size and mask. Concrete frame types derive from it and
//! supply IsSameType, Clone, GetDataType, Clear, Fill and GetFrameType, create
//! the components they need in their constructors and override the hooks
//! below for them.
//!
//! Derives virtually from I_Frame so that a frame type can be both a C_Frame
//! and its own interface (which derives virtually from I_Frame as well).
class C_Frame : public virtual I_Frame
{
public:
  ~C_Frame() override;
  C_Frame& operator=(const C_Frame&) = delete;

  // I_BufferLibObject
  bool IsNotEqual(const I_BufferLibObject* other) const override;
  //! Same concrete class, name, attribute trees, axis scales and pairwise
  //! equal components. Frame types with own state extend it.
  bool IsEqual(const I_BufferLibObject* other) const override;

  // I_Frame
  unsigned CreateComponent(const std::string& name, E_DataType type,
                           const std::vector<void*>* planeMemory = nullptr) override;
  void ChangeComponentDataType(const std::string& name, E_DataType type, bool convertValues) override;
  void CopyAttributes(const I_AttributeBase* node) override;
  void CopyRegion(unsigned dstX, unsigned dstY, unsigned dstPlane, const I_Frame* src, unsigned srcX0, unsigned srcY0,
                  unsigned srcX1, unsigned srcY1, unsigned srcPlane) override;
  void CopyData(unsigned dstPlane, const I_Frame* src, unsigned srcPlane) override;
  I_AttributeBase* CreateAttributeNode(const std::string& path) override;
  I_AttributePlane* CreateAttributePlane(const std::string& path, unsigned width, unsigned height,
                                         E_DataType type) override;
  bool CreateValidMask() override;
  bool CreateMask(const std::vector<void*>* planeMemory = nullptr) override;
  void DeleteAttribute(const std::string& path) override;
  void DeleteComponent(const std::string& name) override;
  void DeleteComponent(unsigned index) override;
  void DeleteMask() override;
  I_Frame* CreateSubFrame(unsigned x0, unsigned x1, unsigned y0, unsigned y1, unsigned z0, unsigned z1) const override;
  I_AttributeBase* FindAttribute(const std::string& path) const override;
  I_AttributeBase* GetAttributeRoot() const override;
  unsigned GetNumberOfComponents() const override;
  int GetComponentIndex(const std::string& name) const override;
  I_Component* GetComponent(const std::string& name) const override;
  I_Component* GetComponent(int comp) const override;
  std::string GetComponentName(int comp) const override;
  double GetValue(int comp, unsigned x, unsigned y, unsigned plane) const override;
  I_PlaneBase* GetPlane(int comp, unsigned plane) const override;
  I_Scale* GetComponentScale(int comp) const override;
  E_DataType GetComponentDataType(int comp) const override;
  bool IsValid(unsigned x, unsigned y, unsigned plane) const override;
  //! The "MASK" component, or null; what IsValid reads.
  const C_Component* GetMaskComponent() const { return m_mask; }
  //! Plane 0 of the mask component as the library's plane class; null when
  //! there is no mask, it has no plane, or plane 0 is of a foreign class.
  const C_PlaneBase* GetFirstMaskPlane() const { return m_firstMaskPlane.plane; }
  std::string GetName() const override;
  //! Null: C_Frame has no main component.
  I_Scale* GetScaleI() const override;
  I_Scale* GetScaleX() const override;
  I_Scale* GetScaleY() const override;
  I_Scale* GetScaleZ() const override;
  void GetSize(unsigned& width, unsigned& height, unsigned& depth) const override;
  unsigned GetWidth() const override;
  unsigned GetHeight() const override;
  unsigned GetDepth() const override;
  bool HasMask() const override;
  bool IsComponentDeletable(unsigned index) const override;
  void Resize(int xMin, int xMax, int yMin, int yMax, int zMin, int zMax) override;
  void SetSize(unsigned width, unsigned height, unsigned depth) override;
  void SetSizeLike(const I_Frame* other) override;
  I_AttributeBase* CreateAttribute(const std::string& path, E_AttributeType type) override;
  void SetComponentName(int comp, const std::string& name) override;
  void SetValue(int comp, unsigned x, unsigned y, unsigned plane, double value) override;
  void SetComponentScale(int comp, I_Scale* scale) override;
  void SetValid(unsigned x, unsigned y, unsigned plane, bool valid) override;
  void SetName(const std::string& name) override;
  //! C_Frame has no main component: deletes `scale` at once.
  void SetScaleI(I_Scale* scale) override;
  void SetScaleX(I_Scale* scale) override;
  void SetScaleY(I_Scale* scale) override;
  void SetScaleZ(I_Scale* scale) override;
  void CopyScales(const I_Frame* src) override;

  // Hooks of the frame types, in this order.

  //! A new parameter object (caller owns it) from which the frame factory
  //! builds an empty frame of this type and size under GetFrameType(). Frame
  //! types return their own parameter class with what their creator needs.
  virtual C_FrameBaseParam* CreateFrameParam() const;
  //! Copies the name and clones of the three axis scales to `dst`. Frame types
  //! with own properties (choices, grid, ...) extend it.
  virtual void CopyPropertiesTo(C_Frame* dst) const;
  //! Refreshes the cached pointers into the component list: C_Frame caches the
  //! mask (the first component named exactly "MASK"). Frame types that cache
  //! their own components override it and call this version. Called after
  //! every change that may replace a cached component.
  virtual void UpdateComponentPointers();
  //! The frame type name under which the frame factory creates this type.
  virtual std::string GetFrameType() const = 0;
  //! True for components that must not be deleted or renamed: in C_Frame the
  //! mask. Frame types add their own components.
  virtual bool IsProtectedComponent(const I_Component* component) const;
  //! As IsProtectedComponent, by index: in C_Frame the index of "MASK".
  virtual bool IsProtectedComponentIndex(unsigned index) const;

  // Component list access for frame types and frame helpers.

  //! The component at `comp`, or null when out of range.
  C_Component* GetComponentAt(int comp) const;
  //! The index of the first component named exactly `name`, or -1. Unlike
  //! GetComponentIndex, frame types never widen this look-up.
  int FindComponentIndex(const std::string& name) const;
  //! Appends `component` (taking ownership) and returns its index.
  unsigned AddComponent(C_Component* component);
  //! Takes component `index` out of the list (later indices move down); null
  //! when out of range. Cached pointers are not refreshed, except the mask.
  std::unique_ptr<C_Component> RemoveComponent(unsigned index);

protected:
  //! Makes `component` (null: none) the one that fills `slot`.
  static void KeepFirstPlane(S_FirstPlane& slot, C_Component* component);

  //! No components, empty name, no mask, an empty attribute root "root" and
  //! three linear "pixel" axis scales.
  C_Frame(unsigned width, unsigned height, unsigned depth);
  //! Deep copy: attributes, axis scales, name, size and every component with
  //! its data; then the cached mask pointer. Derived copy constructors call
  //! their own UpdateComponentPointers.
  C_Frame(const C_Frame& other);

  std::vector<std::unique_ptr<C_Component>> m_components;
  std::string m_name;
  std::unique_ptr<I_Scale> m_scaleX;
  std::unique_ptr<I_Scale> m_scaleY;
  std::unique_ptr<I_Scale> m_scaleZ;
  std::unique_ptr<I_AttributeBase> m_attributeRoot;
  unsigned m_width = 0;
  unsigned m_height = 0;
  unsigned m_depth = 0;
  //! Not owning: points into m_components. Set through SetMaskComponent.
  C_Component* m_mask = nullptr;

private:
  //! m_mask := component, which also keeps m_firstMaskPlane.
  void SetMaskComponent(C_Component* component);

  //! Plane 0 of m_mask, kept by it.
  S_FirstPlane m_firstMaskPlane;

  //! A component of this frame's size (own zeroed planes or the caller's
  //! blocks). Raises "The component could not be created." on any failure.
  std::unique_ptr<C_Component> MakeComponent(const std::string& name, E_DataType type,
                                             const std::vector<void*>* planeMemory) const;
  //! Inserts `attribute` (taken over; null gives null) at `path` below the
  //! root and returns the node at path.
  I_AttributeBase* InsertAttribute(const std::string& path, I_AttributeBase* attribute);
};
} // namespace BufferApi
