#include <BufferApi/C_InterpolatedPixelHelper.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameRGB.h>
#include <BufferApi/I_PlaneBase.h>

#include <RTE/Exception.h>

#include <algorithm>
#include <climits>
#include <cstddef>

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
    validA = m_image->IsValid(px, py, m_plane);
    validB = m_image->IsValid(px + 1, py, m_plane);
    validC = m_image->IsValid(px, py + 1, m_plane);
    validD = m_image->IsValid(px + 1, py + 1, m_plane);
  }

  if (!validA && !validB && !validC && !validD)
  {
    if (valid != nullptr)
    {
      *valid = false;
    }
    return 0.0f;
  }

  // Guarded reads: a neighbour beyond the border (weight 0) or a missing
  // plane reads 0. A grey image's GetPixel is its pixel plane's guarded read,
  // so the plane is looked up once instead of four times; RGB frames give
  // their packed colour value through GetPixel.
  double a = 0;
  double b = 0;
  double c = 0;
  double d = 0;
  if (m_rgb != nullptr)
  {
    a = m_image->GetPixel(px, py, m_plane);
    b = m_image->GetPixel(px + 1, py, m_plane);
    c = m_image->GetPixel(px, py + 1, m_plane);
    d = m_image->GetPixel(px + 1, py + 1, m_plane);
  }
  else if (const I_PlaneBase* plane = m_image->GetPlane(m_plane))
  {
    a = plane->GetValue(px, py);
    b = plane->GetValue(px + 1, py);
    c = plane->GetValue(px, py + 1);
    d = plane->GetValue(px + 1, py + 1);
  }
  double result = 0;
  const bool isValid = BilinearInterpolationGetMaskedValue(fx, fy, a, b, c, d, validA, validB, validC, validD, &result);
  if (valid != nullptr)
  {
    *valid = isValid;
  }
  return static_cast<float>(result);
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
