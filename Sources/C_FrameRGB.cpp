#include "C_FrameRGB.h"

#include <BufferApi/C_FrameFactory.h>

#include <RTE/Exception.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace BufferApi
{
const std::string I_FrameRGB::FT_RGB = "FT_RGB";

namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

unsigned Pack(const tagRGBQUAD& value)
{
  return (unsigned(value.rgbRed) << 16) | (unsigned(value.rgbGreen) << 8) | unsigned(value.rgbBlue);
}

tagRGBQUAD Unpack(unsigned value)
{
  return {static_cast<unsigned char>(value & 0xFFu), static_cast<unsigned char>((value >> 8) & 0xFFu),
          static_cast<unsigned char>((value >> 16) & 0xFFu), 0};
}

//! Truncation toward zero to 32 bits without the undefined behaviour of a
//! direct double-to-unsigned cast (negative values wrap, NaN gives 0).
unsigned TruncateToUnsigned(double value)
{
  if (std::isnan(value))
  {
    return 0;
  }
  return static_cast<unsigned>(static_cast<long long>(std::clamp(value, -9.2e18, 9.2e18)));
}

C_FrameImageParam AsRGB(const C_FrameImageParam& param)
{
  C_FrameImageParam rgb(param);
  rgb.SetDataType(DT_RGB);
  return rgb;
}

I_Frame* CreateFrameRGB(const C_FrameBaseParam* param)
{
  if (param == nullptr)
  {
    return nullptr;
  }
  // Only the size is taken from the parameter: the element type is RGB and
  // a plane memory list is not used.
  const auto* imageParam = dynamic_cast<const C_FrameImageParam*>(param);
  if (imageParam != nullptr && imageParam->GetSliceAddress() != nullptr)
  {
    return new C_FrameRGB(*imageParam);
  }
  return new C_FrameRGB(param->GetWidth(), param->GetHeight(), param->GetDepth());
}
} // namespace

void RegisterRGBFrameType()
{
  C_FrameFactory::GetInstance().Register(I_FrameRGB::FT_RGB, &CreateFrameRGB);
}

C_FrameRGB::C_FrameRGB(unsigned width, unsigned height, unsigned depth)
    : C_FrameImage(width, height, depth, DT_RGB)
{
}

C_FrameRGB::C_FrameRGB(const C_FrameImageParam& param)
    : C_FrameImage(AsRGB(param))
{
}

C_FrameRGB::C_FrameRGB(const C_FrameRGB& other)
    : I_Frame(other)
    , I_FrameImage(other)
    , C_FrameImage(other)
    , I_FrameRGB(other)
{
}

C_FrameRGB::~C_FrameRGB() = default;

bool C_FrameRGB::IsSameType(const I_BufferLibObject* other) const
{
  return dynamic_cast<const C_FrameRGB*>(other) != nullptr;
}

I_Frame* C_FrameRGB::Clone(bool copyData) const
{
  if (copyData)
  {
    return new C_FrameRGB(*this);
  }
  return CompleteDataLessClone(std::make_unique<C_FrameRGB>(m_width, m_height, m_depth));
}

void C_FrameRGB::ChangeComponentDataType(const std::string& name, E_DataType type, bool convertValues)
{
  const int index = FindComponentIndex(name);
  if (index < 0 || IsProtectedComponentIndex(static_cast<unsigned>(index)))
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Changing of data type of this component now allowed.");
  }
  C_Frame::ChangeComponentDataType(name, type, convertValues);
}

I_PlaneRGB* C_FrameRGB::RGBPlane(unsigned plane) const
{
  return dynamic_cast<I_PlaneRGB*>(GetPlane(plane));
}

double C_FrameRGB::GetPixel(unsigned x, unsigned y, unsigned plane) const
{
  return static_cast<double>(GetIntPixel(x, y, plane));
}

unsigned C_FrameRGB::GetIntPixel(unsigned x, unsigned y, unsigned plane) const
{
  return Pack(GetRGB(x, y, plane));
}

void C_FrameRGB::SetPixel(unsigned x, unsigned y, unsigned plane, double value)
{
  SetIntPixel(x, y, plane, TruncateToUnsigned(value));
}

void C_FrameRGB::SetIntPixel(unsigned x, unsigned y, unsigned plane, unsigned value)
{
  SetRGB(x, y, plane, Unpack(value));
}

unsigned char C_FrameRGB::GetBlue(unsigned x, unsigned y, unsigned plane) const
{
  return GetRGB(x, y, plane).rgbBlue;
}

unsigned char C_FrameRGB::GetGreen(unsigned x, unsigned y, unsigned plane) const
{
  return GetRGB(x, y, plane).rgbGreen;
}

unsigned char C_FrameRGB::GetRed(unsigned x, unsigned y, unsigned plane) const
{
  return GetRGB(x, y, plane).rgbRed;
}

tagRGBQUAD C_FrameRGB::GetRGB(unsigned x, unsigned y, unsigned plane) const
{
  // Checked, unlike the plane's own element read: outside the frame there is
  // nothing to read, and the answer is a zero quad.
  const I_PlaneRGB* rgb = RGBPlane(plane);
  if (rgb == nullptr || rgb->GetData() == nullptr || x >= rgb->GetWidth() || y >= rgb->GetHeight())
  {
    return {0, 0, 0, 0};
  }
  return rgb->GetElement(x, y);
}

void C_FrameRGB::SetBlue(unsigned x, unsigned y, unsigned plane, unsigned char value)
{
  tagRGBQUAD quad = GetRGB(x, y, plane);
  quad.rgbBlue = value;
  SetRGB(x, y, plane, quad);
}

void C_FrameRGB::SetGreen(unsigned x, unsigned y, unsigned plane, unsigned char value)
{
  tagRGBQUAD quad = GetRGB(x, y, plane);
  quad.rgbGreen = value;
  SetRGB(x, y, plane, quad);
}

void C_FrameRGB::SetRed(unsigned x, unsigned y, unsigned plane, unsigned char value)
{
  tagRGBQUAD quad = GetRGB(x, y, plane);
  quad.rgbRed = value;
  SetRGB(x, y, plane, quad);
}

void C_FrameRGB::SetRGB(unsigned x, unsigned y, unsigned plane, tagRGBQUAD value)
{
  if (I_PlaneRGB* rgb = RGBPlane(plane))
  {
    rgb->SetElement(x, y, value);
  }
}

void C_FrameRGB::FillRGB(tagRGBQUAD value)
{
  for (unsigned p = 0; p < m_depth; ++p)
  {
    if (I_PlaneRGB* rgb = RGBPlane(p))
    {
      rgb->Fill(value);
    }
  }
}

std::string C_FrameRGB::GetFrameType() const
{
  return FT_RGB;
}
} // namespace BufferApi
