#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/E_AttributeType.h>
#include <BufferApi/E_DataType.h>
#include <BufferApi/I_AttributeBase.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_BufferLibObject.h>
#include <BufferApi/I_Component.h>
#include <BufferApi/I_PlaneBase.h>
#include <BufferApi/I_Scale.h>

#include <string>
#include <vector>

namespace BufferApi
{
//! One recorded data set: width x height x depth, described by an ordered list
//! of named components (each with `depth` planes of width x height), three axis
//! scales, an attribute tree and an optional validity mask (the component
//! "MASK"). Pointers returned by getters stay owned by the frame; setters that
//! take a pointer take ownership and delete what they replace.
//!
//! Component indexes are signed; an index < 0 or >= GetNumberOfComponents() is
//! out of range. Lookups answer null, -1, "" or 0 for a bad index or name;
//! modifying operations raise RTE::Exception on bad input.
class BUFFER_API I_Frame : public I_BufferLibObject
{
public:
  //! "MASK": the name of the validity mask component.
  static const std::string COMPONENT_MASK;

  //! Appends a component with `depth` planes of width x height (planes adopt
  //! the blocks of `planeMemory` when it is given and not empty) and returns
  //! its index. Raises "Component already exists." for a name already present
  //! and "The component could not be created." when it cannot be made.
  virtual unsigned CreateComponent(const std::string& name, E_DataType type,
                                   const std::vector<void*>* planeMemory = nullptr) = 0;
  //! Replaces component `name` by one of element type `type` at the same
  //! index; with `convertValues` the values (clamped to the new type) and the
  //! scale are carried over, otherwise the new planes are zero.
  virtual void ChangeComponentDataType(const std::string& name, E_DataType type, bool convertValues) = 0;
  //! Inserts a clone of every child of `node` (with its subtree) into the
  //! frame's attribute tree under the child's name.
  virtual void CopyAttributes(const I_AttributeBase* node) = 0;
  //! copyData: a full copy. Otherwise a frame of the same type and size
  //! without data. The caller owns the result.
  virtual I_Frame* Clone(bool copyData) const = 0;
  //! Copies the rectangle between the corners (srcX0, srcY0) and (srcX1,
  //! srcY1) (in any order) of plane `srcPlane` of `src` to (dstX, dstY) of
  //! plane `dstPlane`, for every component of src that has a namesake here.
  //! The extent is clamped to this frame; nothing happens when a start lies
  //! outside. Raises nothing.
  virtual void CopyRegion(unsigned dstX, unsigned dstY, unsigned dstPlane, const I_Frame* src, unsigned srcX0,
                          unsigned srcY0, unsigned srcX1, unsigned srcY1, unsigned srcPlane) = 0;
  //! CopyRegion of the whole plane `srcPlane` of src to the origin of `dstPlane`.
  virtual void CopyData(unsigned dstPlane, const I_Frame* src, unsigned srcPlane) = 0;
  virtual I_AttributeBase* CreateAttributeNode(const std::string& path) = 0;
  virtual I_AttributePlane* CreateAttributePlane(const std::string& path, unsigned width, unsigned height,
                                                 E_DataType type) = 0;
  //! Makes sure there is a mask; a new one marks every element valid.
  //! False when the mask could not be made.
  virtual bool CreateValidMask() = 0;
  //! Makes sure there is a mask; a new one is zero (all invalid) or adopts the
  //! blocks of `planeMemory`. False when the mask could not be made.
  virtual bool CreateMask(const std::vector<void*>* planeMemory = nullptr) = 0;
  virtual void DeleteAttribute(const std::string& path) = 0;
  //! Raises "The component was not found." or as DeleteComponent(unsigned).
  virtual void DeleteComponent(const std::string& name) = 0;
  //! Raises "The component's index was out of bounds." and, for components the
  //! frame type needs (mask, main component), "This component must not be deleted."
  virtual void DeleteComponent(unsigned index) = 0;
  virtual void DeleteMask() = 0;
  //! A new frame of the same type holding the block between the given corners
  //! (inclusive, in any order); axis scales are shifted so that the new index
  //! 0 keeps its old world position. Elements outside this frame are 0. The
  //! caller owns the result; null when the frame could not be made.
  virtual I_Frame* CreateSubFrame(unsigned x0, unsigned x1, unsigned y0, unsigned y1, unsigned z0,
                                  unsigned z1) const = 0;
  virtual I_AttributeBase* FindAttribute(const std::string& path) const = 0;
  virtual I_AttributeBase* GetAttributeRoot() const = 0;
  virtual unsigned GetNumberOfComponents() const = 0;
  //! The first component named exactly `name` (case-sensitive), or -1.
  virtual int GetComponentIndex(const std::string& name) const = 0;
  virtual I_Component* GetComponent(const std::string& name) const = 0;
  virtual I_Component* GetComponent(int comp) const = 0;
  virtual std::string GetComponentName(int comp) const = 0;
  //! Guarded read; 0 when the plane or the element does not exist.
  virtual double GetValue(int comp, unsigned x, unsigned y, unsigned plane) const = 0;
  virtual I_PlaneBase* GetPlane(int comp, unsigned plane) const = 0;
  //! Null for a bad index.
  virtual I_Scale* GetComponentScale(int comp) const = 0;
  //! 0 for a bad index.
  virtual E_DataType GetComponentDataType(int comp) const = 0;
  //! The element type of the frame's main component.
  virtual E_DataType GetDataType() const = 0;
  //! True without mask; otherwise whether the mask element is not 0 (false
  //! outside the mask plane or when the plane does not exist).
  virtual bool IsValid(unsigned x, unsigned y, unsigned plane) const = 0;
  virtual std::string GetName() const = 0;
  //! The value scale of the main component; null when the frame has none.
  virtual I_Scale* GetScaleI() const = 0;
  virtual I_Scale* GetScaleX() const = 0;
  virtual I_Scale* GetScaleY() const = 0;
  virtual I_Scale* GetScaleZ() const = 0;
  virtual void GetSize(unsigned& width, unsigned& height, unsigned& depth) const = 0;
  virtual unsigned GetWidth() const = 0;
  virtual unsigned GetHeight() const = 0;
  virtual unsigned GetDepth() const = 0;
  virtual bool HasMask() const = 0;
  virtual bool IsComponentDeletable(unsigned index) const = 0;
  //! Cuts or extends the frame to the inclusive bounds given in the old
  //! coordinates; old content keeps its world position, new elements get the
  //! default value of the component's plane 0.
  virtual void Resize(int xMin, int xMax, int yMin, int yMax, int zMin, int zMax) = 0;
  //! New size with the content kept at its coordinates; new elements and
  //! planes get the plane default value.
  virtual void SetSize(unsigned width, unsigned height, unsigned depth) = 0;
  virtual void SetSizeLike(const I_Frame* other) = 0;
  virtual I_AttributeBase* CreateAttribute(const std::string& path, E_AttributeType type) = 0;
  //! Nothing for a bad index or a component the frame type needs.
  virtual void SetComponentName(int comp, const std::string& name) = 0;
  //! Guarded, clamped write; nothing when the plane does not exist.
  virtual void SetValue(int comp, unsigned x, unsigned y, unsigned plane, double value) = 0;
  //! Takes ownership of `scale` (deleted at once for a bad index).
  virtual void SetComponentScale(int comp, I_Scale* scale) = 0;
  //! Raises "The mask component was not created yet." without mask.
  virtual void SetValid(unsigned x, unsigned y, unsigned plane, bool valid) = 0;
  virtual void SetName(const std::string& name) = 0;
  //! Takes ownership of `scale`.
  virtual void SetScaleI(I_Scale* scale) = 0;
  virtual void SetScaleX(I_Scale* scale) = 0;
  virtual void SetScaleY(I_Scale* scale) = 0;
  virtual void SetScaleZ(I_Scale* scale) = 0;
  //! Copies value and axis scales of `src` (those that src has).
  virtual void CopyScales(const I_Frame* src) = 0;
  //! Main data planes := 0.
  virtual void Clear() = 0;
  //! Main data planes := value.
  virtual void Fill(double value) = 0;
};
} // namespace BufferApi
