#include <BufferApi/C_ComponentOp.h>
#include <BufferApi/FrameCreation.h>
#include <BufferApi/I_Plane.h>

#include <RTE/Exception.h>

#include "C_PlaneBase.h"
#include "PlaneConversion.h"

#include <algorithm>
#include <memory>
#include <type_traits>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

[[noreturn]] void RaiseSourcePlane()
{
  RTE_RAISE(RTE::Exception, kSourceUnit, "The source frame's plane index must not exceed the frame's boundaries.");
}

[[noreturn]] void RaiseDestinationPlane()
{
  RTE_RAISE(RTE::Exception, kSourceUnit, "The destination frame's plane index must not exceed the frame's boundaries.");
}

[[noreturn]] void RaiseBothNull()
{
  RTE_RAISE(RTE::Exception, kSourceUnit, "The source and the destination frame must not be NULL.");
}

[[noreturn]] void RaiseMissingInSource()
{
  RTE_RAISE(RTE::Exception, kSourceUnit, "The component does not exist in the source frame.");
}

//! The name of source component `componentIndex`; raises when there is none.
std::string SourceComponentName(const I_Frame& src, unsigned componentIndex)
{
  if (componentIndex >= src.GetNumberOfComponents())
  {
    RaiseMissingInSource();
  }
  return src.GetComponentName(static_cast<int>(componentIndex));
}

//! The index of source component `name`; raises when there is none.
int SourceComponentIndex(const I_Frame& src, const std::string& name)
{
  const int index = src.GetComponentIndex(name);
  if (index < 0)
  {
    RaiseMissingInSource();
  }
  return index;
}

//! Plane `plane` of component `comp`; a component with fewer planes than its
//! frame's depth is reported like a plane index beyond the frame.
I_PlaneBase* ExistingPlane(const I_Frame& frame, int comp, unsigned plane, bool source)
{
  I_PlaneBase* p = frame.GetPlane(comp, plane);
  if (p == nullptr)
  {
    source ? RaiseSourcePlane() : RaiseDestinationPlane();
  }
  return p;
}

//! Destination element := its plane's default value (0 for a plane class
//! that is not ours and so has no default to ask for).
void SetToDefault(I_PlaneBase& plane, C_PlaneBase* ours, unsigned x, unsigned y)
{
  if (ours != nullptr)
  {
    ours->SetToDefault(x, y);
  }
  else
  {
    plane.SetValueUnsafe(x, y, 0.0);
  }
}

//! dst := the area it shares with src (frame sizes srcWidth x srcHeight and
//! dstWidth x dstHeight), its default value elsewhere. Element types may
//! differ. The extents are clamped to the planes' own sizes too, and planes
//! without data (detached) are read as 0 and not written, so no access leaves
//! a plane whatever state it is in.
void CopyRegion(const I_PlaneBase& src, unsigned srcWidth, unsigned srcHeight, I_PlaneBase& dst, unsigned dstWidth,
                unsigned dstHeight)
{
  if (dst.GetData() == nullptr)
  {
    return;
  }
  const bool srcHasData = src.GetData() != nullptr;
  C_PlaneBase* ours = dynamic_cast<C_PlaneBase*>(&dst);
  const unsigned width = std::min(dstWidth, dst.GetWidth());
  const unsigned height = std::min(dstHeight, dst.GetHeight());
  const unsigned w = std::min({srcWidth, src.GetWidth(), width});
  const unsigned h = std::min({srcHeight, src.GetHeight(), height});
  for (unsigned y = 0; y < h; ++y)
  {
    for (unsigned x = 0; x < w; ++x)
    {
      dst.SetValueUnsafe(x, y, srcHasData ? src.GetValueUnsafe(x, y) : 0.0);
    }
    for (unsigned x = w; x < width; ++x)
    {
      SetToDefault(dst, ours, x, y);
    }
  }
  for (unsigned y = h; y < height; ++y)
  {
    for (unsigned x = 0; x < width; ++x)
    {
      SetToDefault(dst, ours, x, y);
    }
  }
}

//! The first checks of CopyComponent and CopyImageToComponent, in the order
//! they raise.
void CheckFramesAndPlanes(const I_Frame* src, unsigned srcPlane, const I_Frame* dst, unsigned dstPlane)
{
  if (src == nullptr || dst == nullptr)
  {
    RaiseBothNull();
  }
  if (srcPlane >= src->GetDepth())
  {
    RaiseSourcePlane();
  }
  if (dstPlane >= dst->GetDepth())
  {
    RaiseDestinationPlane();
  }
}

//! Copies `from`, a plane of src, into plane dstPlane of dst's component
//! `name`, which is made with element type `type` when dst lacks it.
void CopyIntoComponent(const I_PlaneBase& from, const I_Frame& src, I_Frame& dst, const std::string& name,
                       E_DataType type, unsigned dstPlane)
{
  int dstIndex = dst.GetComponentIndex(name);
  if (dstIndex < 0)
  {
    dstIndex = static_cast<int>(dst.CreateComponent(name, type));
  }
  I_PlaneBase* to = ExistingPlane(dst, dstIndex, dstPlane, false);
  CopyRegion(from, src.GetWidth(), src.GetHeight(), *to, dst.GetWidth(), dst.GetHeight());
}

//! Raises the checks SetComponentConst and SetImagePlaneConst share.
void CheckFramePlane(const I_Frame* frame, unsigned componentIndex, unsigned plane)
{
  if (frame == nullptr)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Frame must not be NULL.");
  }
  if (componentIndex >= frame->GetNumberOfComponents())
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Component index is out of bounds.");
  }
  if (plane >= frame->GetDepth())
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Plane index is out of bounds.");
  }
}

// Plain numeric conversions between the four element types of
// SetImagePlaneConst: integer targets truncate toward zero, unsigned 16-bit
// targets keep the low 16 bits. Floating values beyond 32 bits (and NaN) give
// INT32_MIN as the x86 conversion does instead of undefined behaviour.
template <typename To, typename From>
To ConvertPlain(From value)
{
  if constexpr (std::is_integral_v<To> && std::is_floating_point_v<From>)
  {
    return static_cast<To>(Detail::TruncToInt32(static_cast<double>(value)));
  }
  else
  {
    return static_cast<To>(value);
  }
}

template <typename T>
void FillTyped(const I_FrameImage& frame, unsigned componentIndex, unsigned plane, T value)
{
  I_PlaneBase* base = frame.GetPlane(static_cast<int>(componentIndex), plane);
  if (base == nullptr)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Plane index is out of bounds.");
  }
  auto* typed = dynamic_cast<I_Plane<T>*>(base);
  if (typed == nullptr)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Component's data type is not supported.");
  }
  if (typed->GetData() == nullptr)
  {
    return; // detached: like every guarded write, nothing to store into
  }
  const unsigned width = typed->GetWidth();
  const unsigned height = typed->GetHeight();
  for (unsigned y = 0; y < height; ++y)
  {
    for (unsigned x = 0; x < width; ++x)
    {
      typed->SetElement(x, y, value);
    }
  }
}

template <typename T>
void SetImagePlaneConstImpl(I_FrameImage* frame, unsigned componentIndex, unsigned plane, T value)
{
  CheckFramePlane(frame, componentIndex, plane);
  switch (frame->GetComponentDataType(static_cast<int>(componentIndex)))
  {
  case DT_UInt16:
    FillTyped(*frame, componentIndex, plane, ConvertPlain<unsigned short>(value));
    break;
  case DT_Int32:
    FillTyped(*frame, componentIndex, plane, ConvertPlain<int>(value));
    break;
  case DT_Float:
    FillTyped(*frame, componentIndex, plane, ConvertPlain<float>(value));
    break;
  case DT_Double:
    FillTyped(*frame, componentIndex, plane, ConvertPlain<double>(value));
    break;
  default:
    RTE_RAISE(RTE::Exception, kSourceUnit, "Component's data type is not supported.");
  }
}
} // namespace

void C_ComponentOp::CopyComponent(I_Frame* src, unsigned componentIndex, unsigned srcPlane, I_Frame* dst,
                                  unsigned dstPlane)
{
  if (src == nullptr)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The source frame must not be NULL.");
  }
  CopyComponent(src, SourceComponentName(*src, componentIndex), srcPlane, dst, dstPlane);
}

void C_ComponentOp::CopyComponent(I_Frame* src, std::string name, unsigned srcPlane, I_Frame* dst, unsigned dstPlane)
{
  CheckFramesAndPlanes(src, srcPlane, dst, dstPlane);
  const int srcIndex = SourceComponentIndex(*src, name);
  const I_PlaneBase* from = ExistingPlane(*src, srcIndex, srcPlane, true);
  CopyIntoComponent(*from, *src, *dst, name, src->GetComponentDataType(srcIndex), dstPlane);
}

I_FrameImage* C_ComponentOp::CopyComponentToImage(I_Frame* src, unsigned componentIndex, unsigned srcPlane,
                                                  I_FrameImage* dst, unsigned dstPlane)
{
  if (src == nullptr)
  {
    RaiseBothNull();
  }
  return CopyComponentToImage(src, SourceComponentName(*src, componentIndex), srcPlane, dst, dstPlane);
}

I_FrameImage* C_ComponentOp::CopyComponentToImage(I_Frame* src, std::string name, unsigned srcPlane, I_FrameImage* dst,
                                                  unsigned dstPlane)
{
  if (src == nullptr)
  {
    RaiseBothNull();
  }
  if (srcPlane >= src->GetDepth())
  {
    RaiseSourcePlane();
  }
  const int srcIndex = SourceComponentIndex(*src, name);
  const I_PlaneBase* from = ExistingPlane(*src, srcIndex, srcPlane, true);

  // A frame made here is the caller's only once it is returned; until then a
  // failing check must not lose it.
  std::unique_ptr<I_FrameImage> created;
  if (dst == nullptr)
  {
    created.reset(CreateImageFrame(src->GetComponentDataType(srcIndex), src->GetWidth(), src->GetHeight(), 1));
    if (created == nullptr)
    {
      RTE_RAISE(RTE::Exception, kSourceUnit, "Invalid component type.");
    }
    dst = created.get();
  }
  if (dstPlane >= dst->GetDepth())
  {
    RaiseDestinationPlane();
  }
  I_PlaneBase* to = dst->GetPlane(dstPlane);
  if (to == nullptr)
  {
    RaiseDestinationPlane();
  }
  CopyRegion(*from, src->GetWidth(), src->GetHeight(), *to, dst->GetWidth(), dst->GetHeight());
  created.release();
  return dst;
}

I_Frame* C_ComponentOp::CopyImageToComponent(I_FrameImage* src, unsigned srcPlane, I_Frame* dst,
                                             unsigned componentIndex, unsigned dstPlane)
{
  if (dst == nullptr)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The destination frame must not be NULL.");
  }
  if (componentIndex >= dst->GetNumberOfComponents())
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The component does not exist in the destination frame.");
  }
  return CopyImageToComponent(src, srcPlane, dst, dst->GetComponentName(static_cast<int>(componentIndex)), dstPlane);
}

I_Frame* C_ComponentOp::CopyImageToComponent(I_FrameImage* src, unsigned srcPlane, I_Frame* dst, std::string name,
                                             unsigned dstPlane)
{
  CheckFramesAndPlanes(src, srcPlane, dst, dstPlane);
  const I_PlaneBase* from = src->GetPlane(srcPlane);
  if (from == nullptr)
  {
    RaiseSourcePlane();
  }
  CopyIntoComponent(*from, *src, *dst, name, from->GetDataType(), dstPlane);
  return dst;
}

void C_ComponentOp::CopyNonDataComponents(I_Frame* src, unsigned srcPlane, I_Frame* dst, unsigned dstPlane)
{
  if (src == nullptr || dst == nullptr)
  {
    return;
  }
  const unsigned frameWidth = std::min(src->GetWidth(), dst->GetWidth());
  const unsigned frameHeight = std::min(src->GetHeight(), dst->GetHeight());
  for (unsigned i = 0; i < src->GetNumberOfComponents(); ++i)
  {
    if (!src->IsComponentDeletable(i))
    {
      continue;
    }
    const int j = dst->GetComponentIndex(src->GetComponentName(static_cast<int>(i)));
    const I_PlaneBase* from = src->GetPlane(static_cast<int>(i), srcPlane);
    I_PlaneBase* to = j >= 0 ? dst->GetPlane(j, dstPlane) : nullptr;
    if (from == nullptr || to == nullptr || from->GetData() == nullptr || to->GetData() == nullptr)
    {
      continue;
    }
    const unsigned w = std::min({frameWidth, from->GetWidth(), to->GetWidth()});
    const unsigned h = std::min({frameHeight, from->GetHeight(), to->GetHeight()});
    for (unsigned y = 0; y < h; ++y)
    {
      for (unsigned x = 0; x < w; ++x)
      {
        to->SetValueUnsafe(x, y, from->GetValueUnsafe(x, y));
      }
    }
  }
}

void C_ComponentOp::SetComponentConst(I_Frame* frame, unsigned componentIndex, double value, unsigned plane,
                                      bool allPlanes)
{
  CheckFramePlane(frame, componentIndex, plane);
  const unsigned first = allPlanes ? 0 : plane;
  const unsigned last = allPlanes ? frame->GetDepth() - 1 : plane;
  const unsigned width = frame->GetWidth();
  const unsigned height = frame->GetHeight();
  const int comp = static_cast<int>(componentIndex);
  for (unsigned p = first; p <= last; ++p)
  {
    for (unsigned y = 0; y < height; ++y)
    {
      for (unsigned x = 0; x < width; ++x)
      {
        frame->SetValue(comp, x, y, p, value);
      }
    }
  }
}

void C_ComponentOp::SetComponentConst(I_Frame* frame, std::string name, double value, unsigned plane, bool allPlanes)
{
  if (frame == nullptr)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Frame must not be NULL.");
  }
  const int index = frame->GetComponentIndex(name);
  if (index < 0)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The component does not exist.");
  }
  SetComponentConst(frame, static_cast<unsigned>(index), value, plane, allPlanes);
}

void C_ComponentOp::SetImagePlaneConst(I_FrameImage* frame, unsigned componentIndex, unsigned plane,
                                       unsigned short value)
{
  SetImagePlaneConstImpl(frame, componentIndex, plane, value);
}

void C_ComponentOp::SetImagePlaneConst(I_FrameImage* frame, unsigned componentIndex, unsigned plane, int value)
{
  SetImagePlaneConstImpl(frame, componentIndex, plane, value);
}

void C_ComponentOp::SetImagePlaneConst(I_FrameImage* frame, unsigned componentIndex, unsigned plane, float value)
{
  SetImagePlaneConstImpl(frame, componentIndex, plane, value);
}

void C_ComponentOp::SetImagePlaneConst(I_FrameImage* frame, unsigned componentIndex, unsigned plane, double value)
{
  SetImagePlaneConstImpl(frame, componentIndex, plane, value);
}
} // namespace BufferApi
