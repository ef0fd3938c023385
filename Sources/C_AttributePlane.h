#pragma once

#include "C_AttributeBase.h"
#include "C_OwningHolder.h"

#include <BufferApi/I_AttributePlane.h>

namespace BufferApi
{
//! An attribute owning one plane, or none.
class C_AttributePlane : public C_AttributeBase, public I_AttributePlane
{
public:
  explicit C_AttributePlane(const std::string& name = std::string(), I_PlaneBase* plane = nullptr);
  ~C_AttributePlane() override;

  I_PlaneBase* GetPlane() const override;
  void SetPlane(I_PlaneBase* plane) override;

  //! Holds a full copy of the plane, data included.
  I_AttributeBase* Clone() const override;
  E_AttributeType GetType() const override;
  //! The plane's element data; null without a plane.
  void* GetRawData() override;

protected:
  //! Equal when both hold no plane, or both hold planes of the same width and
  //! height; element type and contents are not compared.
  bool IsValueEqual(const I_AttributeBase& other) const override;

private:
  C_OwningHolder<I_PlaneBase> m_plane;
};
} // namespace BufferApi
