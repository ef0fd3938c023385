#include "ValueSource.h"

#include "Common.h"

#include <cmath>

using namespace BufferApi;

namespace BufferTool
{
namespace
{
using Part = C_PlaneMinMaxHistogram::VectorComponent_t;

bool VectorPartByName(const std::string& name, Part& part)
{
  if (name == "" || name == "length")
    part = C_PlaneMinMaxHistogram::VectorLength;
  else if (name == "u")
    part = C_PlaneMinMaxHistogram::VectorU;
  else if (name == "v")
    part = C_PlaneMinMaxHistogram::VectorV;
  else if (name == "w")
    part = C_PlaneMinMaxHistogram::VectorW;
  else
    return false;
  return true;
}

//! The mask plane z when the frame has one and the source is not the mask itself.
I_PlaneBase* MaskPlane(const S_Source& source, unsigned z)
{
  if (!source.frame->HasMask() || source.component == I_Frame::COMPONENT_MASK)
    return nullptr;
  const I_Component* mask = source.frame->GetComponent(I_Frame::COMPONENT_MASK);
  return mask ? mask->GetPlane(z) : nullptr;
}

void CollectRGB(const I_PlaneBase& plane, std::vector<double>& values)
{
  const auto* pixels = static_cast<const tagRGBQUAD*>(plane.GetData());
  const std::size_t count = std::size_t(plane.GetWidth()) * plane.GetHeight();
  for (std::size_t i = 0; pixels && i < count; ++i)
  {
    values.push_back(pixels[i].rgbRed);
    values.push_back(pixels[i].rgbGreen);
    values.push_back(pixels[i].rgbBlue);
  }
}

void CollectPlane(const I_PlaneBase& plane, const I_PlaneBase* mask, std::vector<double>& values)
{
  if (plane.GetDataType() == DT_RGB)
    return CollectRGB(plane, values);
  for (unsigned y = 0; y < plane.GetHeight(); ++y)
    for (unsigned x = 0; x < plane.GetWidth(); ++x)
      if (!mask || mask->GetIntValue(x, y) != 0)
        values.push_back(plane.GetValue(x, y));
}

double VectorValue(Part part, float u, float v, float w)
{
  switch (part)
  {
  case C_PlaneMinMaxHistogram::VectorU:
    return u;
  case C_PlaneMinMaxHistogram::VectorV:
    return v;
  case C_PlaneMinMaxHistogram::VectorW:
    return w;
  case C_PlaneMinMaxHistogram::VectorLength:
    break;
  }
  return std::sqrt(u * u + v * v + w * w);
}

void CollectVectors(const S_Source& source, unsigned z, std::vector<double>& values)
{
  auto* frame = dynamic_cast<I_FrameVector*>(source.frame);
  C_CompatibleVectorPlaneAccess access(frame, z);
  const bool useMask = frame->HasMask();
  for (unsigned y = 0; y < frame->GetHeight(); ++y)
    for (unsigned x = 0; x < frame->GetWidth(); ++x)
    {
      float u = 0, v = 0, w = 0;
      if (useMask && !access.Mask_GetPixel(int(x), int(y)))
        continue;
      if (access.GetVector3D(x, y, u, v, w, VA_Disabled) != VA_Disabled)
        values.push_back(VectorValue(source.vectorPart, u, v, w));
    }
}
} // namespace

S_Source ChooseSource(I_Frame* frame, const std::string& name)
{
  S_Source source;
  source.frame = frame;
  Part part = C_PlaneMinMaxHistogram::VectorLength;
  if (dynamic_cast<I_FrameVector*>(frame) && VectorPartByName(name, part))
  {
    source.vector = true;
    source.vectorPart = part;
    source.label = "vector " + (name.empty() ? std::string("length") : name);
    return source;
  }
  source.component = name.empty() ? I_FrameImage::COMPONENT_PIXEL : name;
  if (frame->GetComponentIndex(source.component) < 0)
    throw ToolError("the frame has no component '" + source.component + "'");
  source.label = source.component;
  return source;
}

S_Range HelperRange(const S_Source& source, double percent, unsigned z0, unsigned z1)
{
  C_PlaneMinMaxHistogram helper(percent);
  helper.SetMaskUsage(source.frame->HasMask());
  helper.SetVectorComponent(source.vectorPart);
  for (unsigned z = z0; z < z1; ++z)
  {
    if (source.vector)
      helper.Process(dynamic_cast<I_FrameVector*>(source.frame), z);
    else
      helper.Process(source.frame->GetComponent(source.component)->GetPlane(z), MaskPlane(source, z));
  }
  helper.Finish(C_PlaneMinMaxHistogram::CMMode_Range);
  return {helper.GetMin(), helper.GetMax(), helper.GetCount()};
}

std::vector<double> CollectValues(const S_Source& source, unsigned z0, unsigned z1)
{
  std::vector<double> values;
  for (unsigned z = z0; z < z1; ++z)
  {
    if (source.vector)
      CollectVectors(source, z, values);
    else if (const I_PlaneBase* plane = source.frame->GetComponent(source.component)->GetPlane(z))
      CollectPlane(*plane, MaskPlane(source, z), values);
  }
  return values;
}

} // namespace BufferTool
