#include "C_FrameImage.h"

#include <BufferApi/C_FrameFactory.h>
#include <BufferApi/C_PlaneFactory.h>

#include <RTE/Exception.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace BufferApi
{
const std::string I_FrameImage::COMPONENT_PIXEL = "PIXEL";
const std::string I_FrameImage::FT_IMAGE = "FT_IMAGE";

namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

//! Truncation toward zero to 32 bits without the undefined behaviour of a
//! direct double-to-unsigned cast (negative values wrap, NaN gives 0).
unsigned TruncateToUnsigned(double value)
{
  if (std::isnan(value))
  {
    return 0;
  }
  const double limited = std::clamp(value, -9.2e18, 9.2e18);
  return static_cast<unsigned>(static_cast<long long>(limited));
}

I_Frame* CreateFrameImage(const C_FrameBaseParam* param)
{
  const auto* imageParam = dynamic_cast<const C_FrameImageParam*>(param);
  if (imageParam == nullptr)
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Wrong parameter type, image frame could not be created.");
  }
  if (imageParam->GetSliceAddress() != nullptr)
  {
    return new C_FrameImage(*imageParam);
  }
  if (!imageParam->GetPlaneMemoryList().empty())
  {
    return new C_FrameImage(imageParam->GetWidth(), imageParam->GetHeight(), imageParam->GetDataType(),
                            imageParam->GetPlaneMemoryList());
  }
  return new C_FrameImage(imageParam->GetWidth(), imageParam->GetHeight(), imageParam->GetDepth(),
                          imageParam->GetDataType());
}
} // namespace

void RegisterImageFrameType()
{
  C_FrameFactory::GetInstance().Register("FT_IMAGE", &CreateFrameImage);
}

C_FrameImage::C_FrameImage(unsigned width, unsigned height, unsigned depth, E_DataType type)
    : C_Frame(width, height, depth)
{
  CreatePixelComponent(type, nullptr);
}

C_FrameImage::C_FrameImage(unsigned width, unsigned height, E_DataType type, const std::vector<void*>& planeMemory)
    : C_Frame(width, height, static_cast<unsigned>(planeMemory.size()))
{
  if (planeMemory.empty())
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, "Number of planes must not be zero");
  }
  CreatePixelComponent(type, &planeMemory);
}

C_FrameImage::C_FrameImage(const C_FrameImageParam& param)
    : C_Frame(param.GetWidth(), param.GetHeight(), 1)
{
  std::unique_ptr<C_Component> pixel;
  try
  {
    pixel = std::make_unique<C_Component>(COMPONENT_PIXEL, param.GetDataType(), this, false, nullptr);
    const C_PlaneBaseParam planeParam(param.GetWidth(), param.GetHeight(), param.GetPlaneMemory(),
                                      param.GetSliceAddress());
    I_PlaneBase* plane = nullptr;
    if (param.GetSliceAddress() != nullptr)
    {
      plane = C_PlaneFactory::GetInstance().Create(param.GetDataType(), planeParam);
    }
    if (plane != nullptr)
    {
      pixel->AddPlane(plane);
    }
    else
    {
      pixel.reset();
    }
  }
  catch (const std::exception&)
  {
    pixel.reset();
  }
  if (!pixel)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The pixel component could not be created.");
  }
  AddComponent(pixel.release());
  UpdateComponentPointers();
}

C_FrameImage::C_FrameImage(const C_FrameImage& other)
    : I_Frame(other)
    , I_FrameImage(other)
    , C_Frame(other)
{
  UpdateComponentPointers();
}

C_FrameImage::~C_FrameImage() = default;

void C_FrameImage::CreatePixelComponent(E_DataType type, const std::vector<void*>* planeMemory)
{
  std::unique_ptr<C_Component> pixel;
  try
  {
    pixel = std::make_unique<C_Component>(COMPONENT_PIXEL, type, this, true, planeMemory);
  }
  catch (const std::exception&)
  {
    // The component's own failure has been logged already.
  }
  if (!pixel)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The pixel component could not be created.");
  }
  AddComponent(pixel.release());
  UpdateComponentPointers();
}

bool C_FrameImage::IsSameType(const I_BufferLibObject* other) const
{
  return dynamic_cast<const C_FrameImage*>(other) != nullptr;
}

I_Frame* C_FrameImage::Clone(bool copyData) const
{
  if (copyData)
  {
    return new C_FrameImage(*this);
  }
  return CompleteDataLessClone(std::make_unique<C_FrameImage>(m_width, m_height, m_depth, GetDataType()));
}

I_Frame* C_FrameImage::CompleteDataLessClone(std::unique_ptr<C_FrameImage> frame) const
{
  CopyPropertiesTo(frame.get());
  for (const auto& component : m_components)
  {
    if (component.get() != m_pixel)
    {
      frame->AddComponent(component->Clone(false));
    }
  }
  frame->UpdateComponentPointers();
  return frame.release();
}

E_DataType C_FrameImage::GetDataType() const
{
  return m_pixel != nullptr ? m_pixel->GetDataType() : DT_Bool;
}

I_Scale* C_FrameImage::GetScaleI() const
{
  return m_pixel != nullptr ? m_pixel->GetScale() : nullptr;
}

void C_FrameImage::SetScaleI(I_Scale* scale)
{
  std::unique_ptr<I_Scale> owned(scale);
  if (m_pixel != nullptr)
  {
    m_pixel->SetScale(owned.release());
  }
}

void C_FrameImage::Clear()
{
  for (unsigned p = 0; p < m_depth; ++p)
  {
    if (I_PlaneBase* plane = GetPlane(p))
    {
      plane->Clear();
    }
  }
}

void C_FrameImage::Fill(double value)
{
  for (unsigned p = 0; p < m_depth; ++p)
  {
    if (I_PlaneBase* plane = GetPlane(p))
    {
      plane->Fill(value);
    }
  }
}

void C_FrameImage::ChangeComponentDataType(const std::string& name, E_DataType type, bool convertValues)
{
  const int index = FindComponentIndex(name);
  if (index < 0 || (name != COMPONENT_PIXEL && !IsComponentDeletable(static_cast<unsigned>(index))))
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Changing of data type of this component now allowed.");
  }
  // C_Frame refreshes the cached pixel component.
  C_Frame::ChangeComponentDataType(name, type, convertValues);
}

I_FrameImage* C_FrameImage::ConvertTo(E_DataType type) const
{
  if (type != DT_Double && type != DT_Float && type != DT_Int32 && type != DT_UInt16)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The source frame's data type is not supported by this method.");
  }
  const C_FrameImageParam param(m_width, m_height, m_depth, type);
  std::unique_ptr<I_Frame> created(C_FrameFactory::GetInstance().Create(FT_IMAGE, &param));
  auto* frame = dynamic_cast<C_FrameImage*>(created.get());
  if (frame == nullptr)
  {
    return nullptr;
  }
  frame->SetName(m_name);
  for (unsigned p = 0; p < m_depth; ++p)
  {
    const I_PlaneBase* from = GetPlane(p);
    I_PlaneBase* to = frame->GetPlane(p);
    if (from == nullptr || to == nullptr)
    {
      continue;
    }
    const unsigned width = std::min(from->GetWidth(), to->GetWidth());
    const unsigned height = std::min(from->GetHeight(), to->GetHeight());
    for (unsigned y = 0; y < height; ++y)
    {
      for (unsigned x = 0; x < width; ++x)
      {
        to->SetValueUnsafe(x, y, from->GetValueUnsafe(x, y));
      }
    }
  }
  for (const auto& component : m_components)
  {
    if (component.get() != m_pixel)
    {
      frame->AddComponent(component->Clone(true));
    }
  }
  frame->UpdateComponentPointers();
  created.release();
  return frame;
}

double C_FrameImage::GetPixel(unsigned x, unsigned y, unsigned plane) const
{
  const I_PlaneBase* p = GetPlane(plane);
  return p != nullptr ? p->GetValue(x, y) : 0.0;
}

unsigned C_FrameImage::GetIntPixel(unsigned x, unsigned y, unsigned plane) const
{
  return TruncateToUnsigned(GetPixel(x, y, plane));
}

void* C_FrameImage::GetPlaneData(unsigned plane) const
{
  const I_PlaneBase* p = GetPlane(plane);
  return p != nullptr ? p->GetData() : nullptr;
}

void C_FrameImage::SetPixel(unsigned x, unsigned y, unsigned plane, double value)
{
  if (I_PlaneBase* p = GetPlane(plane))
  {
    p->SetValue(x, y, value);
  }
}

void C_FrameImage::SetIntPixel(unsigned x, unsigned y, unsigned plane, unsigned value)
{
  SetPixel(x, y, plane, static_cast<double>(value));
}

C_FrameBaseParam* C_FrameImage::CreateFrameParam() const
{
  return new C_FrameImageParam(m_width, m_height, m_depth, GetDataType());
}

void C_FrameImage::UpdateComponentPointers()
{
  C_Frame::UpdateComponentPointers();
  m_pixel = GetComponentAt(FindComponentIndex(COMPONENT_PIXEL));
  KeepFirstPlane(m_firstPixelPlane, m_pixel);
}

std::string C_FrameImage::GetFrameType() const
{
  return FT_IMAGE;
}

bool C_FrameImage::IsProtectedComponent(const I_Component* component) const
{
  return component != nullptr && (component == m_pixel || C_Frame::IsProtectedComponent(component));
}

bool C_FrameImage::IsProtectedComponentIndex(unsigned index) const
{
  const int pixel = FindComponentIndex(COMPONENT_PIXEL);
  return (pixel >= 0 && static_cast<unsigned>(pixel) == index) || C_Frame::IsProtectedComponentIndex(index);
}
} // namespace BufferApi
