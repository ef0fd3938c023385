#pragma once

#include "C_FrameVector.h"

#include <BufferApi/I_FrameVector3C.h>

#include <vector>

namespace BufferApi
{
//! A vector field with the components U, V and W per choice. The W family is
//! created after ACTIVE_CHOICE and ENABLED.
class C_FrameVector3C : public C_FrameVector, public I_FrameVector3C
{
public:
  C_FrameVector3C(unsigned width, unsigned height, unsigned depth, E_DataType type, unsigned numberOfChoices);
  C_FrameVector3C(const C_FrameVector3C& other);
  C_FrameVector3C& operator=(const C_FrameVector3C&) = delete;
  ~C_FrameVector3C() override;

  bool IsSameType(const I_BufferLibObject* other) const override;
  std::string GetFrameType() const override;

  void SetScaleI(I_Scale* scale) override;
  void Clear() override;
  void Fill(double value) override;

  void UpdateComponentPointers() override;
  bool IsProtectedComponent(const I_Component* component) const override;

  void GetVector(unsigned x, unsigned y, unsigned z, double& u, double& v, double& w, unsigned choice) const override;
  void SetVector(unsigned x, unsigned y, unsigned z, double u, double v, double w, unsigned choice) override;

  //! The frame factory's creator: needs a C_FrameVectorParam.
  static I_Frame* Create(const C_FrameBaseParam* param);

protected:
  C_FrameVector* CreateEmptyLike() const override;
  C_FrameVector* CopyLike() const override;

private:
  std::vector<C_Component*> m_w;
};

} // namespace BufferApi
