#include "PlaneCreators.h"

#include <BufferApi/C_PlaneFactory.h>

#include "C_Plane.h"
#include "C_PlaneRGB.h"

namespace BufferApi
{
namespace
{
template <typename T>
I_PlaneBase* CreateNumericPlane(const C_PlaneBaseParam& param)
{
  if (param.GetSliceAddress())
    return new C_Plane<T>(param.GetWidth(), param.GetHeight(), param.GetPlaneMemory(),
                          static_cast<T*>(param.GetSliceAddress()));
  if (param.GetMemory())
    return new C_Plane<T>(param.GetWidth(), param.GetHeight(), static_cast<T*>(param.GetMemory()));
  return new C_Plane<T>(param.GetWidth(), param.GetHeight());
}

I_PlaneBase* CreateRGBPlane(const C_PlaneBaseParam& param)
{
  // Caller memory is not adopted by RGB planes.
  if (param.GetSliceAddress())
    return new C_PlaneRGB(param.GetWidth(), param.GetHeight(), param.GetPlaneMemory(),
                          static_cast<tagRGBQUAD*>(param.GetSliceAddress()));
  return new C_PlaneRGB(param.GetWidth(), param.GetHeight());
}
} // namespace

void RegisterPlaneCreators()
{
  C_PlaneFactory& factory = C_PlaneFactory::GetInstance();
  factory.Register(DT_UInt8, &CreateNumericPlane<unsigned char>);
  factory.Register(DT_Double, &CreateNumericPlane<double>);
  factory.Register(DT_Float, &CreateNumericPlane<float>);
  factory.Register(DT_Int32, &CreateNumericPlane<int>);
  factory.Register(DT_UInt32, &CreateNumericPlane<unsigned int>);
  factory.Register(DT_UInt16, &CreateNumericPlane<unsigned short>);
  factory.Register(DT_RGB, &CreateRGBPlane);
}

} // namespace BufferApi
