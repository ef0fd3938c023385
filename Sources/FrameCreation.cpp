#include <BufferApi/C_FrameFactory.h>
#include <BufferApi/C_FrameImageParam.h>
#include <BufferApi/FrameCreation.h>

#include <RTE/Exception.h>

#include <memory>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

//! RGB images are a frame type of their own.
const char* FrameTypeFor(E_DataType type)
{
  return type == DT_RGB ? "FT_RGB" : "FT_IMAGE";
}

I_FrameImage* CreateThroughFactory(E_DataType type, const C_FrameImageParam& param)
{
  std::unique_ptr<I_Frame> frame(C_FrameFactory::GetInstance().Create(FrameTypeFor(type), &param));
  auto* image = dynamic_cast<I_FrameImage*>(frame.get());
  if (image != nullptr)
  {
    frame.release();
  }
  return image;
}

void CheckImageSize(unsigned width, unsigned height)
{
  if (width == 0)
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Image frame: width is 0.");
  }
  if (height == 0)
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Image frame: height is 0.");
  }
}
} // namespace

I_FrameImage* CreateImageFrame(E_DataType type, unsigned width, unsigned height, unsigned depth)
{
  return CreateThroughFactory(type, C_FrameImageParam(width, height, depth, type));
}

I_FrameImage* CreateImageFrameWithPlaneMemory(E_DataType type, unsigned width, unsigned height,
                                              const std::vector<void*>& planes)
{
  CheckImageSize(width, height);
  if (planes.empty())
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Image frame: Number of z planes is 0.");
  }
  return CreateThroughFactory(type, C_FrameImageParam(width, height, type, planes));
}

I_FrameImage* CreateImageFrameWithPlaneMemory(E_DataType type, unsigned width, unsigned height, void* memory)
{
  CheckImageSize(width, height);
  if (memory == nullptr)
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Plane memory must not be null.");
  }
  return CreateThroughFactory(type, C_FrameImageParam(width, height, type, std::vector<void*>{memory}));
}
} // namespace BufferApi
