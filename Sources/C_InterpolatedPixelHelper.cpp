#include <BufferApi/C_InterpolatedPixelHelper.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameRGB.h>
#include <BufferApi/I_PlaneBase.h>

#include <RTE/Exception.h>

#include "C_FrameImage.h"
#include "C_Plane.h"
#include "MaskedBilinear.h"
#include "PlaneConversion.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <type_traits>
#include <typeinfo>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

//! Frame sizes as the int the arithmetic uses; no real frame comes near.
int ToInt(unsigned size)
{
  return size > static_cast<unsigned>(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

//! Below 0 becomes 0; anything not below the limit (NaN included) becomes the
//! limit, so every position lands inside the plane.
template <typename T>
T Clamp(T value, T limit)
{
  if (value < 0)
  {
    return 0;
  }
  return value < limit ? value : limit;
}

unsigned char ChannelByte(float value)
{
  // Truncation toward zero; the bounds only catch rounding just past 255.
  if (!(value > 0))
  {
    return 0;
  }
  return value >= 255 ? 255 : static_cast<unsigned char>(static_cast<int>(value));
}

//! The data of a plane of the library's own class C_Plane<T>, read exactly as
//! its guarded GetValue and GetIntValue read it, without the virtual calls.
template <typename T>
struct S_TypedPlane
{
  const T* data;
  unsigned width;
  unsigned height;

  bool IsInside(unsigned x, unsigned y) const { return data && x < width && y < height; }
  //! The four neighbours (x, y), (x + 1, y), (x, y + 1), (x + 1, y + 1) as
  //! four Value calls give them, with one bounds test when all lie inside.
  template <typename Out, typename Convert>
  void Quad(unsigned x, unsigned y, Out out[4], Convert convert) const
  {
    if (data && x + 1 < width && y + 1 < height)
    {
      const T* row = data + std::size_t(y) * width + x;
      out[0] = convert(row[0]);
      out[1] = convert(row[1]);
      out[2] = convert(row[width]);
      out[3] = convert(row[width + 1]);
      return;
    }
    const unsigned xs[4] = {x, x + 1, x, x + 1};
    const unsigned ys[4] = {y, y, y + 1, y + 1};
    for (int i = 0; i < 4; ++i)
    {
      out[i] = IsInside(xs[i], ys[i]) ? convert(data[std::size_t(ys[i]) * width + xs[i]]) : Out{};
    }
  }
};

//! Calls visit(S_TypedPlane<T>) when plane is exactly a C_Plane<T> and returns
//! true; false for any other class (RGB planes, foreign implementations), for
//! which the caller uses the virtual accessors. The class test compares the
//! type_info addresses only, so a miss costs a few compares and at worst sends
//! a plane of ours down the virtual path, which gives the same values.
template <typename T, typename Visit>
bool VisitAs(const I_PlaneBase& plane, const std::type_info& type, Visit& visit)
{
  if (&type != &typeid(C_Plane<T>))
  {
    return false;
  }
  // The most derived object is a C_Plane<T>: reach it without a cross cast.
  const auto& typed = *static_cast<const C_Plane<T>*>(dynamic_cast<const void*>(&plane));
  visit(S_TypedPlane<T>{static_cast<const T*>(typed.C_Plane<T>::GetData()), typed.C_PlaneBase::GetWidth(),
                        typed.C_PlaneBase::GetHeight()});
  return true;
}

template <typename Visit>
bool VisitTyped(const I_PlaneBase& plane, Visit visit)
{
  const std::type_info& type = typeid(plane);
  return VisitAs<unsigned short>(plane, type, visit) || VisitAs<unsigned char>(plane, type, visit) ||
         VisitAs<float>(plane, type, visit) || VisitAs<int>(plane, type, visit) ||
         VisitAs<unsigned int>(plane, type, visit) || VisitAs<double>(plane, type, visit);
}
} // namespace

C_InterpolatedPixelHelper::C_InterpolatedPixelHelper(I_Frame* frame, unsigned plane)
    : C_FrameHelperBase(frame)
    , m_plane(plane)
{
  Init();
}

C_InterpolatedPixelHelper::C_InterpolatedPixelHelper(I_Buffer* buffer, unsigned frameIndex, unsigned plane)
    : C_FrameHelperBase(buffer, frameIndex)
    , m_plane(plane)
{
  Init();
}

C_InterpolatedPixelHelper::~C_InterpolatedPixelHelper() = default;

void C_InterpolatedPixelHelper::Init()
{
  I_Frame* frame = GetFrame();
  m_image = dynamic_cast<I_FrameImage*>(frame);
  m_rgb = dynamic_cast<I_FrameRGB*>(frame);
  // Only the exact class: a derived one may read its pixels or mask differently.
  m_grey =
      frame != nullptr && typeid(*frame) == typeid(C_FrameImage) ? dynamic_cast<const C_FrameImage*>(frame) : nullptr;
  if (frame == nullptr)
  {
    m_width = m_height = m_widthMinus1 = m_heightMinus1 = 0;
    return;
  }
  m_width = ToInt(frame->GetWidth());
  m_height = ToInt(frame->GetHeight());
  m_widthMinus1 = m_width - 1;
  m_heightMinus1 = m_height - 1;
}

float C_InterpolatedPixelHelper::GetInterpolatedPixel(float x, float y, bool* mask, bool useFrameMask,
                                                      bool* valid) const
{
  // The mask is read byte-wise: an element is valid only when it is exactly
  // 1, and bytes other than 0 or 1 are no trap.
  return Interpolate(x, y, reinterpret_cast<const unsigned char*>(mask), useFrameMask, valid);
}

float C_InterpolatedPixelHelper::GetInterpolatedPixel(float x, float y, const bool* mask, std::size_t maskSize,
                                                      bool useFrameMask, bool* valid) const
{
  if (mask != nullptr && maskSize < static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height))
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The mask is smaller than the plane.");
  }
  return Interpolate(x, y, reinterpret_cast<const unsigned char*>(mask), useFrameMask, valid);
}

float C_InterpolatedPixelHelper::Interpolate(float x, float y, const unsigned char* mask, bool useFrameMask,
                                             bool* valid) const
{
  if (m_image == nullptr || m_width <= 0 || m_height <= 0)
  {
    // Nothing to read: no image frame, or an empty one.
    if (valid != nullptr)
    {
      *valid = false;
    }
    return 0.0f;
  }

  const double cx = Clamp<double>(x, m_widthMinus1);
  const double cy = Clamp<double>(y, m_heightMinus1);
  const int ix = static_cast<int>(cx);
  const int iy = static_cast<int>(cy);
  const double fx = cx - ix;
  const double fy = cy - iy;
  const bool hasRight = ix < m_widthMinus1;
  const bool hasBelow = iy < m_heightMinus1;
  const unsigned px = static_cast<unsigned>(ix);
  const unsigned py = static_cast<unsigned>(iy);

  bool validA = true;
  bool validB = true;
  bool validC = true;
  bool validD = true;
  if (mask != nullptr)
  {
    // size_t arithmetic: W x H may exceed the int range.
    const std::size_t width = static_cast<std::size_t>(m_width);
    const std::size_t o = static_cast<std::size_t>(py) * width + px;
    validA = mask[o] == 1;
    validB = hasRight && mask[o + 1] == 1;
    validC = hasBelow && mask[o + width] == 1;
    validD = hasRight && hasBelow && mask[o + width + 1] == 1;
  }
  else if (useFrameMask)
  {
    bool flags[4];
    FrameMaskValidity(px, py, flags);
    validA = flags[0];
    validB = flags[1];
    validC = flags[2];
    validD = flags[3];
  }

  if (validA && validB && validC && validD)
  {
    // Every neighbour valid, the common case: plain bilinear weights, the
    // same as the masked interpolation gives for a full set, straight on
    // the typed pixel data.
    double result = 0;
    if (FullSetBilinear(px, py, fx, fy, result))
    {
      if (valid != nullptr)
      {
        *valid = true;
      }
      return static_cast<float>(result);
    }
  }
  else if (!validA && !validB && !validC && !validD)
  {
    if (valid != nullptr)
    {
      *valid = false;
    }
    return 0.0f;
  }

  double values[4];
  Neighbours(px, py, values);
  double result = 0;
  const bool isValid = Detail::MaskedBilinear(fx, fy, values[0], values[1], values[2], values[3], validA, validB,
                                              validC, validD, &result);
  if (valid != nullptr)
  {
    *valid = isValid;
  }
  return static_cast<float>(result);
}

bool C_InterpolatedPixelHelper::FullSetBilinear(unsigned px, unsigned py, double fx, double fy, double& result) const
{
  if (m_grey == nullptr)
  {
    return false;
  }
  const I_PlaneBase* plane = m_grey->C_FrameImage::GetPlane(m_plane);
  if (plane == nullptr)
  {
    return false;
  }
  const auto fromTyped = [&](const auto& typed)
  {
    using T = std::remove_pointer_t<decltype(typed.data)>;
    double q[4];
    typed.Quad(px, py, q, [](T e) { return static_cast<double>(e); });
    result = Detail::MaskedBilinearParts::Bilinear(fx, fy, q[0], q[1], q[2], q[3]);
  };
  return VisitTyped(*plane, fromTyped);
}

void C_InterpolatedPixelHelper::FrameMaskValidity(unsigned px, unsigned py, bool valid[4]) const
{
  const unsigned xs[4] = {px, px + 1, px, px + 1};
  const unsigned ys[4] = {py, py, py + 1, py + 1};
  // The frame's IsValid for the four neighbours, with the mask plane looked
  // up once: no mask component: all valid; no plane: none; else the guarded
  // integer value is not 0.
  if (m_grey != nullptr)
  {
    const C_Component* mask = m_grey->GetMaskComponent();
    const I_PlaneBase* plane = mask != nullptr ? mask->GetPlane(m_plane) : nullptr;
    const auto fromTyped = [&](const auto& typed)
    {
      using T = std::remove_pointer_t<decltype(typed.data)>;
      typed.Quad(px, py, valid, [](T e) { return Detail::ToInt<std::remove_const_t<T>>(e) != 0; });
    };
    if (mask == nullptr || plane == nullptr)
    {
      for (int i = 0; i < 4; ++i)
      {
        valid[i] = mask == nullptr;
      }
      return;
    }
    if (VisitTyped(*plane, fromTyped))
    {
      return;
    }
  }
  for (int i = 0; i < 4; ++i)
  {
    valid[i] = m_image->IsValid(xs[i], ys[i], m_plane);
  }
}

void C_InterpolatedPixelHelper::Neighbours(unsigned px, unsigned py, double values[4]) const
{
  // Guarded reads: a neighbour beyond the border (weight 0) or a missing
  // plane reads 0. A grey image's GetPixel is its pixel plane's guarded read,
  // so the plane is looked up once instead of four times; RGB frames give
  // their packed colour value through GetPixel.
  const unsigned xs[4] = {px, px + 1, px, px + 1};
  const unsigned ys[4] = {py, py, py + 1, py + 1};
  if (m_rgb != nullptr)
  {
    for (int i = 0; i < 4; ++i)
    {
      values[i] = m_image->GetPixel(xs[i], ys[i], m_plane);
    }
    return;
  }
  const I_PlaneBase* plane = m_grey != nullptr ? m_grey->C_FrameImage::GetPlane(m_plane) : m_image->GetPlane(m_plane);
  if (plane == nullptr)
  {
    for (int i = 0; i < 4; ++i)
    {
      values[i] = 0.0;
    }
    return;
  }
  const auto fromTyped = [&](const auto& typed)
  {
    using T = std::remove_pointer_t<decltype(typed.data)>;
    typed.Quad(px, py, values, [](T e) { return static_cast<double>(e); });
  };
  if (!VisitTyped(*plane, fromTyped))
  {
    for (int i = 0; i < 4; ++i)
    {
      values[i] = plane->GetValue(xs[i], ys[i]);
    }
  }
}

tagRGBQUAD C_InterpolatedPixelHelper::GetInterpolatedRGB(float x, float y) const
{
  if (m_rgb == nullptr || m_width <= 0 || m_height <= 0)
  {
    return {0, 0, 0, 0};
  }

  const float cx = Clamp<float>(x, static_cast<float>(m_widthMinus1));
  const float cy = Clamp<float>(y, static_cast<float>(m_heightMinus1));
  // A huge limit may round up as a float: keep the index inside the frame.
  const int ix = std::min(static_cast<int>(cx), m_widthMinus1);
  const int iy = std::min(static_cast<int>(cy), m_heightMinus1);
  const float fx = cx - static_cast<float>(ix);
  const float fy = cy - static_cast<float>(iy);
  const unsigned px = static_cast<unsigned>(ix);
  const unsigned py = static_cast<unsigned>(iy);
  const bool hasRight = ix < m_widthMinus1;
  const bool hasBelow = iy < m_heightMinus1;

  const tagRGBQUAD a = m_rgb->GetRGB(px, py, m_plane);
  if (!hasRight && !hasBelow)
  {
    return a;
  }

  tagRGBQUAD out{0, 0, 0, 0};
  if (hasRight && hasBelow)
  {
    const tagRGBQUAD b = m_rgb->GetRGB(px + 1, py, m_plane);
    const tagRGBQUAD c = m_rgb->GetRGB(px, py + 1, m_plane);
    const tagRGBQUAD d = m_rgb->GetRGB(px + 1, py + 1, m_plane);
    const auto mix = [&](unsigned char tagRGBQUAD::*channel)
    {
      return ChannelByte(a.*channel * (1 - fx) * (1 - fy) + b.*channel * fx * (1 - fy) + c.*channel * (1 - fx) * fy +
                         d.*channel * fx * fy);
    };
    out.rgbRed = mix(&tagRGBQUAD::rgbRed);
    out.rgbGreen = mix(&tagRGBQUAD::rgbGreen);
    out.rgbBlue = mix(&tagRGBQUAD::rgbBlue);
  }
  else if (hasRight)
  {
    const tagRGBQUAD b = m_rgb->GetRGB(px + 1, py, m_plane);
    const auto mix = [&](unsigned char tagRGBQUAD::*channel)
    { return ChannelByte(a.*channel * (1 - fx) + b.*channel * fx); };
    out.rgbRed = mix(&tagRGBQUAD::rgbRed);
    out.rgbGreen = mix(&tagRGBQUAD::rgbGreen);
    out.rgbBlue = mix(&tagRGBQUAD::rgbBlue);
  }
  else
  {
    const tagRGBQUAD c = m_rgb->GetRGB(px, py + 1, m_plane);
    const auto mix = [&](unsigned char tagRGBQUAD::*channel)
    { return ChannelByte(a.*channel * (1 - fy) + c.*channel * fy); };
    out.rgbRed = mix(&tagRGBQUAD::rgbRed);
    out.rgbGreen = mix(&tagRGBQUAD::rgbGreen);
    out.rgbBlue = mix(&tagRGBQUAD::rgbBlue);
  }
  return out;
}
} // namespace BufferApi
