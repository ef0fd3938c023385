#include "VectorPlanePointers.h"

#include <BufferApi/E_DataType.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Component.h>
#include <BufferApi/I_FrameVector.h>
#include <BufferApi/I_PlaneBase.h>
#include <RTE/Exception.h>

#include <string>

namespace BufferApi
{
namespace
{
const std::string kPeakRatio = "Peak ratio";

//! The data of plane z of component, checked to hold elements of at least
//! elementSize bytes, so that raw reads never leave the plane.
void* PlaneData(const I_Component& component, unsigned z, std::uint64_t elementSize, const char* sourceUnit)
{
  const I_PlaneBase* plane = component.GetPlane(z);
  if (!plane)
  {
    RTE_RAISE(RTE::Exception, sourceUnit, "The component " << component.GetName() << " has no plane " << z << ".");
  }
  if (GetDataTypeSize(plane->GetDataType()) < elementSize)
  {
    RTE_RAISE(RTE::Exception, sourceUnit,
              "The elements of component " << component.GetName() << " are too small for raw access.");
  }
  void* data = plane->GetData();
  if (!data)
  {
    RTE_RAISE(RTE::Exception, sourceUnit,
              "Plane " << z << " of component " << component.GetName() << " holds no data.");
  }
  return data;
}

//! The component named exactly `name` (no fall-back to choice names).
const I_Component* Exactly(const I_FrameVector& frame, const std::string& name)
{
  const int index = frame.GetComponentIndex(name);
  if (index < 0 || frame.GetComponentName(index) != name)
  {
    return nullptr;
  }
  return frame.GetComponent(index);
}

//! Data of plane z of an optional component; null when it is absent. A
//! component without plane z raises `missingText` z " found" when strict and
//! counts as absent otherwise.
void* OptionalData(const I_FrameVector& frame, const std::string& name, unsigned z, std::uint64_t elementSize,
                   bool strict, const char* missingText, const char* sourceUnit)
{
  const I_Component* component = Exactly(frame, name);
  if (!component)
  {
    return nullptr;
  }
  if (!component->GetPlane(z))
  {
    if (strict)
    {
      RTE_RAISE(RTE::VerificationFailed, sourceUnit, missingText << z << " found");
    }
    return nullptr;
  }
  return PlaneData(*component, z, elementSize, sourceUnit);
}

float* RequiredChoiceData(const I_FrameVector& frame, const std::string& name, unsigned z, const char* sourceUnit)
{
  const I_Component* component = Exactly(frame, name);
  if (!component)
  {
    RTE_RAISE(RTE::Exception, sourceUnit, "The vector frame has no component " << name << ".");
  }
  return static_cast<float*>(PlaneData(*component, z, sizeof(float), sourceUnit));
}
} // namespace

S_VectorPlanePointers CollectVectorPlanePointers(const I_FrameVector& frame, unsigned z, bool strict,
                                                 const char* sourceUnit)
{
  S_VectorPlanePointers result;
  result.width = frame.GetWidth();
  result.height = frame.GetHeight();
  result.activeChoice =
      static_cast<std::int32_t*>(OptionalData(frame, I_FrameVector::COMPONENT_ACTIVE_CHOICE, z, sizeof(std::int32_t),
                                              strict, "No active choice of plane ", sourceUnit));
  const unsigned choices = frame.GetNumberOfChoices();
  result.numberOfChoices = static_cast<int>(choices);
  bool allW = choices > 0;
  std::vector<float*> w;
  for (unsigned i = 0; i < choices; ++i)
  {
    const std::string digits = std::to_string(i);
    result.u.push_back(RequiredChoiceData(frame, I_FrameVector::COMPONENT_U + digits, z, sourceUnit));
    result.v.push_back(RequiredChoiceData(frame, I_FrameVector::COMPONENT_V + digits, z, sourceUnit));
    const I_Component* wComponent = Exactly(frame, I_FrameVector::COMPONENT_W + digits);
    if (wComponent && allW)
    {
      w.push_back(static_cast<float*>(PlaneData(*wComponent, z, sizeof(float), sourceUnit)));
    }
    else
    {
      allW = false;
    }
  }
  if (allW)
  {
    result.w = std::move(w);
  }
  result.enabled = static_cast<std::uint8_t*>(OptionalData(frame, I_FrameVector::COMPONENT_ENABLED, z, 1, strict,
                                                           "No enabled flag component of plane ", sourceUnit));
  result.peakRatio = static_cast<float*>(
      OptionalData(frame, kPeakRatio, z, sizeof(float), strict, "No peak ratio component of plane ", sourceUnit));
  result.mask = static_cast<std::uint8_t*>(
      OptionalData(frame, I_Frame::COMPONENT_MASK, z, 1, strict, "No mask component of plane ", sourceUnit));
  return result;
}

const I_FrameVector* GetVectorFrameOfBuffer(const I_Buffer* buffer, unsigned frameIndex, const char* sourceUnit)
{
  const I_Frame* frame = buffer ? buffer->GetFrame(frameIndex) : nullptr;
  if (!frame)
  {
    return nullptr;
  }
  const auto* vectorFrame = dynamic_cast<const I_FrameVector*>(frame);
  if (!vectorFrame)
  {
    RTE_RAISE(RTE::Exception, sourceUnit, "The frame is not a vector frame.");
  }
  return vectorFrame;
}
} // namespace BufferApi
