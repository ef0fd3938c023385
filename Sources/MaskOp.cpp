#include <BufferApi/FrameCreation.h>
#include <BufferApi/I_Plane.h>
#include <BufferApi/MaskOp.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

namespace BufferApi
{
namespace MaskOp
{
namespace
{
//! Mask plane `plane` of frame, or null when there is no mask or no such plane.
I_PlaneBase* MaskPlane(const I_Frame& frame, unsigned plane)
{
  const int index = frame.GetComponentIndex(I_Frame::COMPONENT_MASK);
  return index >= 0 ? frame.GetPlane(index, plane) : nullptr;
}

std::size_t ElementCount(unsigned width, unsigned height)
{
  static_assert(sizeof(std::size_t) >= 8, "width * height must fit a size_t");
  return std::size_t(width) * height;
}

//! Writes every element (x, y) of the destination frame's area: the value
//! computed from the source inside the area both frames cover, 0 (invalid)
//! elsewhere.
template <typename Write, typename Value>
void CopyWithClearing(const I_Frame& src, const I_Frame& dst, Write write, Value value)
{
  const unsigned dstWidth = dst.GetWidth();
  const unsigned dstHeight = dst.GetHeight();
  const unsigned w = std::min(src.GetWidth(), dstWidth);
  const unsigned h = std::min(src.GetHeight(), dstHeight);
  for (unsigned y = 0; y < dstHeight; ++y)
  {
    for (unsigned x = 0; x < dstWidth; ++x)
    {
      write(x, y, x < w && y < h ? value(x, y) : false);
    }
  }
}

//! What CopyImageToMask and CopyMask share: the checks, the mask creation and
//! the copy of the source values that value(x, y) reads into mask plane
//! dstPlane. A mask that cannot be made ends the copy, since SetValid would
//! raise without one.
template <typename Value>
I_Frame* CopyIntoMask(const I_Frame* src, unsigned srcPlane, I_Frame* dst, unsigned dstPlane, Value value)
{
  if (src == nullptr || dst == nullptr || srcPlane >= src->GetDepth() || dstPlane >= dst->GetDepth() ||
      !dst->CreateValidMask())
  {
    return nullptr;
  }
  CopyWithClearing(
      *src, *dst, [&](unsigned x, unsigned y, bool valid) { dst->SetValid(x, y, dstPlane, valid); }, value);
  return dst;
}

//! True for a plane index that exists in the frame.
bool HasPlane(const I_Frame& frame, int plane)
{
  return plane >= 0 && static_cast<unsigned>(plane) < frame.GetDepth();
}
} // namespace

void ApplyMaskToImage(I_Frame* image, I_Frame* maskFrame, int value)
{
  if (image == nullptr || maskFrame == nullptr || !maskFrame->HasMask())
  {
    return;
  }
  const int pixelIndex = image->GetComponentIndex(I_FrameImage::COMPONENT_PIXEL);
  const int maskIndex = maskFrame->GetComponentIndex(I_Frame::COMPONENT_MASK);
  if (pixelIndex < 0 || maskIndex < 0)
  {
    return;
  }
  const unsigned w = std::min(image->GetWidth(), maskFrame->GetWidth());
  const unsigned h = std::min(image->GetHeight(), maskFrame->GetHeight());
  const unsigned d = std::min(image->GetDepth(), maskFrame->GetDepth());
  const double fill = static_cast<double>(value);
  for (unsigned z = 0; z < d; ++z)
  {
    const I_PlaneBase* mask = maskFrame->GetPlane(maskIndex, z);
    I_PlaneBase* pixels = image->GetPlane(pixelIndex, z);
    if (mask == nullptr || pixels == nullptr)
    {
      continue;
    }
    for (unsigned y = 0; y < h; ++y)
    {
      for (unsigned x = 0; x < w; ++x)
      {
        // Guarded write: the same clamped store, but safe for a plane that
        // lost its data.
        if (mask->GetIntValue(x, y) == 0)
        {
          pixels->SetValue(x, y, fill);
        }
      }
    }
  }
}

void CombinePlaneMasks(CVP_ModesT mode, I_Frame* a, int planeA, I_Frame* b, int planeB, I_Frame* out, int planeOut)
{
  if (a == nullptr || b == nullptr || out == nullptr || !HasPlane(*a, planeA) || !HasPlane(*b, planeB) ||
      !HasPlane(*out, planeOut) || !out->CreateValidMask())
  {
    return;
  }
  const unsigned pa = static_cast<unsigned>(planeA);
  const unsigned pb = static_cast<unsigned>(planeB);
  const unsigned po = static_cast<unsigned>(planeOut);
  const unsigned w = std::min({out->GetWidth(), a->GetWidth(), b->GetWidth()});
  const unsigned h = std::min({out->GetHeight(), a->GetHeight(), b->GetHeight()});
  const unsigned width = out->GetWidth();
  const unsigned height = out->GetHeight();
  for (unsigned y = 0; y < height; ++y)
  {
    for (unsigned x = 0; x < width; ++x)
    {
      if (x >= w || y >= h)
      {
        out->SetValid(x, y, po, false);
        continue;
      }
      const bool p = a->IsValid(x, y, pa);
      const bool q = b->IsValid(x, y, pb);
      switch (mode)
      {
      case CVP_And:
        out->SetValid(x, y, po, p && q);
        break;
      case CVP_Or:
        out->SetValid(x, y, po, p || q);
        break;
      case CVP_Xor:
        out->SetValid(x, y, po, p != q);
        break;
      default:
        break; // unknown rule: the common area is left as it is
      }
    }
  }
}

bool* ConvertPlaneToBoolArray(I_PlaneBase* plane)
{
  if (plane == nullptr)
  {
    return nullptr;
  }
  const unsigned width = plane->GetWidth();
  const unsigned height = plane->GetHeight();
  const std::size_t count = ElementCount(width, height);
  bool* values = new (std::nothrow) bool[count];
  if (values == nullptr)
  {
    return nullptr;
  }
  // Bytes of an 8-bit plane are read directly, but every entry is stored as
  // 0 or 1: a bool holding any other byte is undefined to read.
  const auto* bytes = IsOfType<unsigned char>(*plane) ? static_cast<const unsigned char*>(plane->GetData()) : nullptr;
  if (bytes != nullptr)
  {
    std::transform(bytes, bytes + count, values, [](unsigned char b) { return b != 0; });
    return values;
  }
  for (unsigned y = 0; y < height; ++y)
  {
    for (unsigned x = 0; x < width; ++x)
    {
      values[std::size_t(y) * width + x] = plane->GetIntValue(x, y) != 0;
    }
  }
  return values;
}

I_Frame* CopyImageToMask(I_FrameImage* src, unsigned srcPlane, I_Frame* dst, unsigned dstPlane)
{
  return CopyIntoMask(src, srcPlane, dst, dstPlane,
                      [&](unsigned x, unsigned y) { return src->GetIntPixel(x, y, srcPlane) != 0; });
}

I_Frame* CopyMask(I_Frame* src, unsigned srcPlane, I_Frame* dst, unsigned dstPlane)
{
  return CopyIntoMask(src, srcPlane, dst, dstPlane,
                      [&](unsigned x, unsigned y) { return src->IsValid(x, y, srcPlane); });
}

I_FrameImage* CopyMaskToImage(I_Frame* src, unsigned srcPlane, I_FrameImage* dst, unsigned dstPlane,
                              bool evenWithoutMask)
{
  if (src == nullptr || srcPlane >= src->GetDepth() || (!src->HasMask() && !evenWithoutMask))
  {
    return nullptr;
  }
  if (dst == nullptr)
  {
    dst = CreateImageFrame(DT_UInt16, src->GetWidth(), src->GetHeight(), 1);
    if (dst == nullptr)
    {
      return nullptr;
    }
    dstPlane = 0;
  }
  else if (dstPlane >= dst->GetDepth())
  {
    return nullptr;
  }
  CopyWithClearing(
      *src, *dst, [&](unsigned x, unsigned y, bool valid) { dst->SetIntPixel(x, y, dstPlane, valid ? 1u : 0u); },
      [&](unsigned x, unsigned y) { return src->IsValid(x, y, srcPlane); });
  return dst;
}

bool* GetMaskAsBoolArray(I_Frame* frame, unsigned plane)
{
  if (frame == nullptr || plane >= frame->GetDepth())
  {
    return nullptr;
  }
  if (frame->GetComponentIndex(I_Frame::COMPONENT_MASK) < 0)
  {
    const std::size_t count = ElementCount(frame->GetWidth(), frame->GetHeight());
    bool* values = new (std::nothrow) bool[count];
    if (values != nullptr)
    {
      std::fill(values, values + count, true);
    }
    return values;
  }
  I_PlaneBase* mask = MaskPlane(*frame, plane);
  return mask != nullptr ? ConvertPlaneToBoolArray(mask) : nullptr;
}

void SetMaskConst(I_Frame* frame, bool value, int plane)
{
  if (frame == nullptr || static_cast<long long>(plane) >= static_cast<long long>(frame->GetDepth()))
  {
    return;
  }
  if (!frame->HasMask())
  {
    if (!frame->CreateValidMask() || value)
    {
      return;
    }
  }
  const int index = frame->GetComponentIndex(I_Frame::COMPONENT_MASK);
  const I_Component* mask = frame->GetComponent(index);
  if (mask == nullptr)
  {
    return;
  }
  const double fill = value ? 1.0 : 0.0;
  const unsigned first = plane >= 0 ? static_cast<unsigned>(plane) : 0;
  const unsigned end = plane >= 0 ? first + 1 : mask->GetNumberOfPlanes();
  for (unsigned p = first; p < end; ++p)
  {
    if (I_PlaneBase* target = mask->GetPlane(p))
    {
      target->Fill(fill);
    }
  }
}

void SetMaskFromBoolArray(I_Frame* frame, unsigned plane, const bool* values)
{
  SetMaskFromBoolArray(frame, plane, values, std::numeric_limits<std::size_t>::max());
}

bool SetMaskFromBoolArray(I_Frame* frame, unsigned plane, const bool* values, std::size_t count)
{
  if (frame == nullptr || plane >= frame->GetDepth() || values == nullptr ||
      count < std::uint64_t(frame->GetWidth()) * frame->GetHeight() || !frame->CreateValidMask())
  {
    return false;
  }
  I_PlaneBase* mask = MaskPlane(*frame, plane);
  if (mask == nullptr || mask->GetData() == nullptr)
  {
    return false;
  }
  const unsigned width = mask->GetWidth();
  const unsigned height = mask->GetHeight();
  if (count < std::uint64_t(width) * height)
  {
    return false;
  }
  // Read as bytes: a caller's array may hold bytes other than 0 and 1, which
  // an 8-bit mask takes over as they are.
  const auto* bytes = reinterpret_cast<const unsigned char*>(values);
  if (IsOfType<unsigned char>(*mask))
  {
    std::memcpy(mask->GetData(), bytes, std::size_t(width) * height);
    return true;
  }
  for (unsigned y = 0; y < height; ++y)
  {
    for (unsigned x = 0; x < width; ++x)
    {
      mask->SetIntValue(x, y, bytes[std::size_t(y) * width + x] != 0 ? 1 : 0);
    }
  }
  return true;
}
} // namespace MaskOp
} // namespace BufferApi
