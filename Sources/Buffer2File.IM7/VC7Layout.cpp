#include "Buffer2File.IM7/VC7Layout.h"

#include <BufferApi/I_FrameVector.h>
#include <BufferApi/I_PlaneBase.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace BufferApi
{
namespace VC7
{
const char* const kPeakRatio = "Peak ratio";

namespace
{
enum class Role
{
  ActiveChoice,
  U,
  V,
  W,
  PeakRatio,
  Extra
};

struct PlaneRole
{
  Role role;
  unsigned index; // the choice, or the extra component
};

PlaneRole RoleOf(const IM7::Format& format, unsigned k)
{
  if (k >= format.planes)
    return {Role::Extra, k - format.planes};
  const unsigned components = format.threeComponents ? 3 : 2;
  unsigned vectorPlane = k;
  if (format.fourChoices)
  {
    if (k == 0)
      return {Role::ActiveChoice, 0};
    if (format.peakRatio && k == format.planes - 1)
      return {Role::PeakRatio, 0};
    vectorPlane = k - 1;
  }
  static const Role kComponents[3] = {Role::U, Role::V, Role::W};
  return {kComponents[vectorPlane % components], vectorPlane / components};
}

//! The component that holds a float plane of the given role, or -1.
int ComponentOf(const I_FrameVector& frame, PlaneRole role)
{
  switch (role.role)
  {
  case Role::U:
    return frame.GetChoiceComponentIndex(I_FrameVector::COMPONENT_U, role.index);
  case Role::V:
    return frame.GetChoiceComponentIndex(I_FrameVector::COMPONENT_V, role.index);
  case Role::W:
    return frame.GetChoiceComponentIndex(I_FrameVector::COMPONENT_W, role.index);
  case Role::PeakRatio:
    return frame.GetComponentIndex(kPeakRatio);
  case Role::Extra:
  {
    const int first = frame.GetComponentIndex("#0#");
    return first < 0 ? -1 : first + static_cast<int>(role.index);
  }
  case Role::ActiveChoice:
    break;
  }
  return -1;
}

std::uint64_t PlaneElements(const I_Frame& frame)
{
  return std::uint64_t(frame.GetWidth()) * frame.GetHeight();
}

float* FloatScratch(std::vector<unsigned char>& scratch, std::uint64_t elements)
{
  scratch.resize(elements * sizeof(float));
  return reinterpret_cast<float*>(scratch.data());
}

//! Plane z of component `comp` as floats: its own memory for a float plane,
//! else a converted copy (zeros where the plane is missing).
const float* FloatPlane(const I_Frame& frame, int comp, unsigned z, std::vector<unsigned char>& scratch)
{
  const I_PlaneBase* plane = comp < 0 ? nullptr : frame.GetPlane(comp, z);
  if (plane && plane->GetDataType() == DT_Float && plane->GetData())
    return static_cast<const float*>(plane->GetData());
  float* out = FloatScratch(scratch, PlaneElements(frame));
  const unsigned width = frame.GetWidth(), height = frame.GetHeight();
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x)
      out[std::uint64_t(y) * width + x] =
          plane && plane->GetData() ? static_cast<float>(plane->GetValueUnsafe(x, y)) : 0.0f;
  return out;
}

I_PlaneBase* PlaneOf(const I_Frame& frame, const std::string& name, unsigned z)
{
  const int comp = frame.GetComponentIndex(name);
  I_PlaneBase* plane = comp < 0 ? nullptr : frame.GetPlane(comp, z);
  return plane && plane->GetData() ? plane : nullptr;
}

//! 0 for a disabled vector, else the active choice + 1.
const float* ActiveChoicePlane(const I_FrameVector& frame, unsigned z, std::vector<unsigned char>& scratch)
{
  const I_PlaneBase* active = PlaneOf(frame, I_FrameVector::COMPONENT_ACTIVE_CHOICE, z);
  const I_PlaneBase* enabled = PlaneOf(frame, I_FrameVector::COMPONENT_ENABLED, z);
  float* out = FloatScratch(scratch, PlaneElements(frame));
  const unsigned width = frame.GetWidth(), height = frame.GetHeight();
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x)
    {
      const bool isEnabled = enabled ? enabled->GetValueUnsafe(x, y) != 0.0 : true;
      const double choice = active ? active->GetValueUnsafe(x, y) : 0.0;
      out[std::uint64_t(y) * width + x] = isEnabled ? static_cast<float>(choice + 1.0) : 0.0f;
    }
  return out;
}

//! Any value below 0.5 marks a disabled vector; otherwise the value,
//! truncated, is the active choice + 1.
void StoreActiveChoicePlane(I_FrameVector& frame, unsigned z, const float* values)
{
  I_PlaneBase* active = PlaneOf(frame, I_FrameVector::COMPONENT_ACTIVE_CHOICE, z);
  I_PlaneBase* enabled = PlaneOf(frame, I_FrameVector::COMPONENT_ENABLED, z);
  const unsigned width = frame.GetWidth(), height = frame.GetHeight();
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x)
    {
      const float a = values[std::uint64_t(y) * width + x];
      const bool isEnabled = a >= 0.5f; // false for NaN too
      // Bounded before the conversion so that a damaged value can't overflow.
      const int choice = isEnabled ? static_cast<int>(std::min(a, 1.0e9f)) - 1 : 0;
      if (active)
        active->SetValueUnsafe(x, y, choice);
      if (enabled)
        enabled->SetValueUnsafe(x, y, isEnabled ? 1 : 0);
    }
}
} // namespace

const void* FilePlaneOf(const I_FrameVector& frame, const IM7::Format& format, unsigned k, unsigned z,
                        std::vector<unsigned char>& scratch)
{
  const PlaneRole role = RoleOf(format, k);
  if (role.role == Role::ActiveChoice)
    return ActiveChoicePlane(frame, z, scratch);
  return FloatPlane(frame, ComponentOf(frame, role), z, scratch);
}

void* ReadTargetOf(I_FrameVector& frame, const IM7::Format& format, unsigned k, unsigned z,
                   std::vector<unsigned char>& scratch, bool& direct)
{
  const PlaneRole role = RoleOf(format, k);
  direct = false;
  if (role.role != Role::ActiveChoice)
  {
    const int comp = ComponentOf(frame, role);
    I_PlaneBase* plane = comp < 0 ? nullptr : frame.GetPlane(comp, z);
    if (plane && plane->GetDataType() == DT_Float && plane->GetData())
    {
      direct = true;
      return plane->GetData();
    }
  }
  return FloatScratch(scratch, PlaneElements(frame));
}

void StorePlane(I_FrameVector& frame, const IM7::Format& format, unsigned k, unsigned z, const void* data)
{
  const float* values = static_cast<const float*>(data);
  const PlaneRole role = RoleOf(format, k);
  if (role.role == Role::ActiveChoice)
  {
    StoreActiveChoicePlane(frame, z, values);
    return;
  }
  const int comp = ComponentOf(frame, role);
  I_PlaneBase* plane = comp < 0 ? nullptr : frame.GetPlane(comp, z);
  if (!plane || !plane->GetData())
    return;
  const unsigned width = frame.GetWidth(), height = frame.GetHeight();
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x)
      plane->SetValueUnsafe(x, y, values[std::uint64_t(y) * width + x]);
}

void FinishFrame(I_FrameVector& frame, const IM7::Format& format)
{
  if (format.fourChoices)
    return;
  // One choice carries no flags: a vector of all zero components is disabled.
  const unsigned width = frame.GetWidth(), height = frame.GetHeight();
  for (unsigned z = 0; z < frame.GetDepth(); ++z)
  {
    I_PlaneBase* enabled = PlaneOf(frame, I_FrameVector::COMPONENT_ENABLED, z);
    const I_PlaneBase* u = frame.GetPlane(ComponentOf(frame, {Role::U, 0}), z);
    const I_PlaneBase* v = frame.GetPlane(ComponentOf(frame, {Role::V, 0}), z);
    const I_PlaneBase* w = format.threeComponents ? frame.GetPlane(ComponentOf(frame, {Role::W, 0}), z) : nullptr;
    if (!enabled || !u || !v || !u->GetData() || !v->GetData() || (w && !w->GetData()))
      continue;
    for (unsigned y = 0; y < height; ++y)
      for (unsigned x = 0; x < width; ++x)
      {
        const bool isEnabled =
            u->GetValueUnsafe(x, y) != 0.0 || v->GetValueUnsafe(x, y) != 0.0 || (w && w->GetValueUnsafe(x, y) != 0.0);
        enabled->SetValueUnsafe(x, y, isEnabled ? 1 : 0);
      }
  }
}

} // namespace VC7
} // namespace BufferApi
