#include "VectorFrameCreation.h"

#include "C_FrameVector2C.h"
#include "C_FrameVector3C.h"

#include <BufferApi/C_FrameFactory.h>
#include <BufferApi/C_FrameVectorParam.h>
#include <BufferApi/VectorFrameCreation.h>

#include <RTE/Exception.h>

#include <memory>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

// Literal names: the exported constants must not be read during start-up.
const char* const kTypeName2C = "FT_VECTOR_2C";
const char* const kTypeName3C = "FT_VECTOR_3C";

void CheckVectorFrameArguments(unsigned width, unsigned height, unsigned depth, unsigned numberOfChoices)
{
  if (width == 0)
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Vector frame: width is 0.");
  }
  if (height == 0)
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Vector frame: height is 0.");
  }
  if (depth == 0)
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Vector frame: Number of z planes is 0.");
  }
  if (numberOfChoices == 0)
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Vector frame: Number of choices is 0.");
  }
}

template <typename T>
T* CreateThroughFactory(const char* typeName, unsigned width, unsigned height, unsigned depth, unsigned numberOfChoices)
{
  CheckVectorFrameArguments(width, height, depth, numberOfChoices);
  const C_FrameVectorParam param(width, height, depth, DT_Float, numberOfChoices);
  std::unique_ptr<I_Frame> frame(C_FrameFactory::GetInstance().Create(typeName, &param));
  auto* vectorFrame = dynamic_cast<T*>(frame.get());
  if (vectorFrame != nullptr)
  {
    frame.release();
  }
  return vectorFrame;
}
} // namespace

void RegisterVectorFrameTypes()
{
  C_FrameFactory::GetInstance().Register(kTypeName2C, &C_FrameVector2C::Create);
  C_FrameFactory::GetInstance().Register(kTypeName3C, &C_FrameVector3C::Create);
}

I_FrameVector2C* CreateVectorFrame2C(unsigned width, unsigned height, unsigned depth, unsigned numberOfChoices)
{
  return CreateThroughFactory<I_FrameVector2C>(kTypeName2C, width, height, depth, numberOfChoices);
}

I_FrameVector3C* CreateVectorFrame3C(unsigned width, unsigned height, unsigned depth, unsigned numberOfChoices)
{
  return CreateThroughFactory<I_FrameVector3C>(kTypeName3C, width, height, depth, numberOfChoices);
}
} // namespace BufferApi
