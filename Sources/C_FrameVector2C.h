#pragma once

#include "C_FrameVector.h"

#include <BufferApi/I_FrameVector2C.h>

namespace BufferApi
{
//! A vector field with the components U and V per choice.
class C_FrameVector2C : public C_FrameVector, public I_FrameVector2C
{
public:
  C_FrameVector2C(unsigned width, unsigned height, unsigned depth, E_DataType type, unsigned numberOfChoices);
  C_FrameVector2C(const C_FrameVector2C& other);
  C_FrameVector2C& operator=(const C_FrameVector2C&) = delete;
  ~C_FrameVector2C() override;

  bool IsSameType(const I_BufferLibObject* other) const override;
  std::string GetFrameType() const override;

  void GetVector(unsigned x, unsigned y, unsigned z, double& u, double& v, unsigned choice) const override;
  void SetVector(unsigned x, unsigned y, unsigned z, double u, double v, unsigned choice) override;

  //! The frame factory's creator: needs a C_FrameVectorParam.
  static I_Frame* Create(const C_FrameBaseParam* param);

protected:
  C_FrameVector* CreateEmptyLike() const override;
  C_FrameVector* CopyLike() const override;
};

} // namespace BufferApi
