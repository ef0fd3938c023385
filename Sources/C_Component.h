#pragma once

#include <BufferApi/I_BufferLibObject.h>
#include <BufferApi/I_Component.h>

#include <memory>
#include <string>
#include <vector>

namespace BufferApi
{
class C_Component;
class C_PlaneBase;
class I_Frame;

//! A frame's direct way to plane 0 of a component it caches (the pixels, the
//! mask), for per-pixel readers: frame -> plane instead of frame -> component
//! -> plane list -> plane -> class test. The component `keeper` keeps `plane`
//! current: plane 0 when it is of the library's plane classes, else null.
struct S_FirstPlane
{
  const C_PlaneBase* plane = nullptr;
  const C_Component* keeper = nullptr;
};

//! The component implementation used by every frame type. Planes are held by
//! shared reference (a plane may also live in another component after
//! SetPlane); the value scale is owned.
class C_Component final : public I_BufferLibObject, public I_Component
{
public:
  //! A component named `name` of element type `type`. When `frame` is given and
  //! `createPlanes` is set, it gets the frame's depth in planes of the frame's
  //! width and height: plane i adopts planeMemory[i] when the list is not empty
  //! (it must then hold exactly depth blocks), else it has own zeroed memory.
  //! Every component made this way gets a linear "counts" scale.
  //! On failure nothing is kept: planes made so far are released and blocks of
  //! `planeMemory` they had adopted are handed back, so the caller still owns
  //! every block.
  C_Component(const std::string& name, E_DataType type, const I_Frame* frame, bool createPlanes,
              const std::vector<void*>* planeMemory);
  //! Name and type only: no planes, no scale.
  C_Component(const std::string& name, E_DataType type);
  //! Same name and type; every plane cloned with its data; the scale cloned.
  C_Component(const C_Component& other);
  C_Component& operator=(const C_Component&) = delete;
  ~C_Component() override;

  // I_BufferLibObject
  bool IsSameType(const I_BufferLibObject* other) const override;
  bool IsNotEqual(const I_BufferLibObject* other) const override;
  //! Same type, name and number of planes, and pairwise planes of the same
  //! size. Plane contents are not compared.
  bool IsEqual(const I_BufferLibObject* other) const override;

  // I_Component
  E_DataType GetDataType() const override;
  std::string GetName() const override;
  I_Scale* GetScale() const override;
  unsigned GetNumberOfPlanes() const override;
  //! Inline: per-pixel helpers reach the plane through here.
  I_PlaneBase* GetPlane(unsigned index) const override
  {
    return index < m_planes.size() ? m_planes[index].get() : nullptr;
  }
  void SetPlane(unsigned index, std::shared_ptr<I_PlaneBase> plane) override;
  void SetScale(I_Scale* scale) override;

  //! Renames the component (frames decide whether a rename is allowed).
  void SetName(const std::string& name);

  //! Appends `plane`, taking ownership.
  void AddPlane(I_PlaneBase* plane);
  //! copyData: the copy constructor. Otherwise the same name, type and scale
  //! with planes of the same size holding their default value. Caller owns it.
  C_Component* Clone(bool copyData) const;
  //! Inserts `count` planes before position `index`: `plane` itself (taken
  //! over in every case) followed by count - 1 of its CloneEmpty(). Raises the
  //! plane index message when index >= GetNumberOfPlanes().
  void InsertPlanes(unsigned index, unsigned count, I_PlaneBase* plane);
  //! Removes plane `index`; raises the plane index message when it does not exist.
  void RemovePlane(unsigned index);
  //! Removes up to `count` planes from max(first, 0) on; nothing for count <= 0
  //! or a start beyond the last plane.
  void RemovePlanes(int first, int count);
  //! Keeps the first `count` planes (none when count < 1).
  void KeepPlanes(int count);
  void RemoveAllPlanes();

  //! From now on writes plane 0 into `slot` whenever the plane list changes,
  //! as long as slot->keeper is this component (a frame that caches another
  //! component makes that one the keeper); null stops it. The slot must
  //! outlive this: a frame stops a component it hands out. Copies do not
  //! inherit it.
  void KeepFirstPlane(S_FirstPlane* slot);

private:
  //! Raises the plane index message unless plane `index` exists.
  void CheckPlaneIndex(unsigned index) const;
  //! Brings the slot of KeepFirstPlane up to date; after every change of m_planes.
  void UpdateFirstPlane() const;

  std::vector<std::shared_ptr<I_PlaneBase>> m_planes;
  E_DataType m_dataType;
  std::unique_ptr<I_Scale> m_scale;
  std::string m_name;
  S_FirstPlane* m_firstPlane = nullptr;
};
} // namespace BufferApi
