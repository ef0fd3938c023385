#pragma once

#include "C_AttributeBase.h"
#include "C_OwningHolder.h"

#include <BufferApi/I_AttributeScale.h>

namespace BufferApi
{
//! An attribute owning one scale, or none.
class C_AttributeScale : public C_AttributeBase, public I_AttributeScale
{
public:
  explicit C_AttributeScale(const std::string& name = std::string(), I_Scale* scale = nullptr);
  ~C_AttributeScale() override;

  I_Scale* GetScale() const override;
  void SetScale(I_Scale* scale) override;

  //! Holds the scale's clone (none when the scale does not clone, as an invalid scale).
  I_AttributeBase* Clone() const override;
  E_AttributeType GetType() const override;
  //! Always null: a scale has no raw value.
  void* GetRawData() override;

protected:
  //! Equal when both hold no scale, or both hold scales that are equal.
  bool IsValueEqual(const I_AttributeBase& other) const override;

private:
  C_OwningHolder<I_Scale> m_scale;
};
} // namespace BufferApi
