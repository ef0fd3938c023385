#include <BufferApi/C_TypedScalarFrame.h>

#include "TypedScalarComponent.h"

#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Component.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_PlaneBase.h>
#include <BufferApi/I_Scale.h>
#include <BufferApi/TypedScalar.h>
#include <RTE/Exception.h>

#include <algorithm>
#include <memory>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

I_Component* PixelComponent(const I_Frame* frame)
{
  const auto* image = dynamic_cast<const I_FrameImage*>(frame);
  return image ? image->GetComponent(I_FrameImage::COMPONENT_PIXEL) : nullptr;
}
} // namespace

C_TypedScalarFrame::C_TypedScalarFrame(I_Buffer* buffer, const std::string& name)
    : m_buffer(buffer)
    , m_name(name)
    , m_existing(buffer && FindComponent(buffer->GetFrame(0), name))
{
}

C_TypedScalarFrame::C_TypedScalarFrame(I_Frame* frame, const std::string& name)
    : m_frame(frame)
    , m_name(name)
    , m_existing(FindComponent(frame, name) != nullptr)
{
}

bool C_TypedScalarFrame::IsExisting() const
{
  return m_existing;
}

I_Frame* C_TypedScalarFrame::FrameAt(unsigned index) const
{
  if (m_frame)
  {
    return m_frame;
  }
  return m_buffer ? m_buffer->GetFrame(index) : nullptr;
}

I_Component* C_TypedScalarFrame::GetComponent(unsigned frameIndex) const
{
  return FindComponent(FrameAt(frameIndex), m_name);
}

I_Component* C_TypedScalarFrame::FindComponent(const I_Frame* frame, const std::string& name)
{
  return FindTypedScalarComponent(frame, name);
}

void C_TypedScalarFrame::Remove()
{
  if (!m_buffer)
  {
    return;
  }
  if (m_existing)
  {
    const std::size_t count = m_buffer->GetNumberOfFrames();
    for (std::size_t i = 0; i < count; ++i)
    {
      I_Frame* frame = m_buffer->GetFrame(static_cast<unsigned>(i));
      // Frames without the component are passed over instead of raising.
      if (FindComponent(frame, m_name))
      {
        frame->DeleteComponent(TypedScalarName(m_name));
      }
    }
  }
  m_existing = false;
}

void C_TypedScalarFrame::SetLinearScale(double factor, double offset, const std::string& unit,
                                        const std::string& description)
{
  std::unique_ptr<I_Scale> scale(C_ScaleFactory::GetInstance().CreateLinearScale(factor, offset, unit, description));
  if (!m_existing || !scale)
  {
    return;
  }
  if (m_frame)
  {
    if (I_Component* component = FindComponent(m_frame, m_name))
    {
      component->SetScale(scale.release());
    }
    return;
  }
  const std::size_t count = m_buffer->GetNumberOfFrames();
  for (std::size_t i = 0; i < count; ++i)
  {
    if (I_Component* component = FindComponent(m_buffer->GetFrame(static_cast<unsigned>(i)), m_name))
    {
      component->SetScale(scale->Clone());
    }
  }
}

void C_TypedScalarFrame::GetLinearScale(double& factor, double& offset, std::string& unit,
                                        std::string& description) const
{
  const I_Component* component = m_existing ? GetComponent(0) : nullptr;
  ReadLinearScale(component ? component->GetScale() : nullptr, factor, offset, unit, description);
}

void C_TypedScalarFrame::Copy(const I_Component* source, const std::string& name, I_Frame* destination)
{
  if (!source || !destination)
  {
    return;
  }
  // Made anew when it has another element type, so that no plane copy can
  // exceed the destination.
  CreateTypedScalarInFrame(destination, name, source->GetDataType());
  I_Component* target = FindComponent(destination, name);
  if (!target || target == source)
  {
    return;
  }
  const unsigned planes = std::min(source->GetNumberOfPlanes(), target->GetNumberOfPlanes());
  for (unsigned p = 0; p < planes; ++p)
  {
    // Planes of another size are skipped.
    CopyPlaneBytes(source->GetPlane(p), target->GetPlane(p));
  }
  target->SetScale(source->GetScale() ? source->GetScale()->Clone() : nullptr);
}

void C_TypedScalarFrame::Copy(const I_Frame* source, const std::list<std::string>& names, I_Frame* destination)
{
  if (!source || !destination)
  {
    return;
  }
  if (!names.empty())
  {
    for (const std::string& name : names)
    {
      Copy(FindComponent(source, name), name, destination);
    }
    return;
  }
  for (const std::string& name : GetNamesOfFrameBoundTypedScalars(source))
  {
    Copy(FindComponent(source, name), name, destination);
  }
}

void C_TypedScalarFrame::Copy(const I_Buffer* source, const std::list<std::string>& names, I_Buffer* destination)
{
  if (!source || !destination || source == destination)
  {
    return;
  }
  std::list<std::string> toCopy = names;
  if (toCopy.empty())
  {
    const std::vector<std::string> all = GetNamesOfFrameBoundTypedScalars(source->GetFrame(0));
    toCopy.assign(all.begin(), all.end());
  }
  for (const std::string& name : toCopy)
  {
    const C_TypedScalarFrame sourceHandle(const_cast<I_Buffer*>(source), name);
    if (sourceHandle.IsExisting())
    {
      C_TypedScalarFrame(destination, name).CopyFrom(sourceHandle);
    }
  }
}

void C_TypedScalarFrame::CopyFrom(const C_TypedScalarFrame& source)
{
  if (!source.m_existing)
  {
    return;
  }
  const I_Component* first = source.GetComponent(0);
  if (!first)
  {
    return;
  }
  if (m_frame)
  {
    CreateTypedScalarInFrame(m_frame, m_name, first->GetDataType());
  }
  else
  {
    CreateTypedScalarFrameBound(m_buffer, m_name, first->GetDataType());
  }
  m_existing = true;
  const std::size_t count = m_frame ? 1 : m_buffer->GetNumberOfFrames();
  for (std::size_t i = 0; i < count; ++i)
  {
    I_Frame* frame = FrameAt(static_cast<unsigned>(i));
    if (FindComponent(frame, m_name))
    {
      Copy(source.GetComponent(static_cast<unsigned>(i)), m_name, frame);
    }
  }
}

void C_TypedScalarFrame::ImportFromBuffer(const I_Buffer* source)
{
  if (!source)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Source is empty!");
  }
  const auto* first = dynamic_cast<const I_FrameImage*>(source->GetFrame(0));
  if (!first)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Source is no image!");
  }
  if (!m_buffer)
  {
    return;
  }
  if (const I_Frame* destination = m_buffer->GetFrame(0))
  {
    if (destination->GetWidth() != first->GetWidth() || destination->GetHeight() != first->GetHeight() ||
        destination->GetDepth() != first->GetDepth())
    {
      RTE_RAISE(RTE::Exception, kSourceUnit, "Source image has other size than typed scalar in destination!");
    }
  }
  Remove();
  CreateTypedScalarFrameBound(m_buffer, m_name, first->GetDataType());
  m_existing = true;
  const std::size_t count = std::min(m_buffer->GetNumberOfFrames(), source->GetNumberOfFrames());
  for (std::size_t i = 0; i < count; ++i)
  {
    const I_Component* pixel = PixelComponent(source->GetFrame(static_cast<unsigned>(i)));
    I_Component* target = GetComponent(static_cast<unsigned>(i));
    if (!pixel || !target)
    {
      continue;
    }
    // Planes of another size or element type than the destination's are skipped.
    for (unsigned z = 0; z < target->GetNumberOfPlanes(); ++z)
    {
      CopyPlaneBytes(pixel->GetPlane(z), target->GetPlane(z));
    }
    target->SetScale(pixel->GetScale() ? pixel->GetScale()->Clone() : nullptr);
  }
}

I_Buffer* C_TypedScalarFrame::ExportToBuffer(int frameIndex) const
{
  if (!m_existing)
  {
    return nullptr;
  }
  double factor = 1.0;
  double offset = 0.0;
  std::string unit;
  std::string description;
  GetLinearScale(factor, offset, unit, description);

  std::unique_ptr<I_Buffer> result(CreateBuffer());
  const std::size_t count = m_frame ? 1 : m_buffer->GetNumberOfFrames();
  for (std::size_t i = 0; i < count; ++i)
  {
    if (frameIndex >= 0 && static_cast<std::size_t>(frameIndex) != i)
    {
      continue;
    }
    const I_Component* component = GetComponent(static_cast<unsigned>(i));
    const I_PlaneBase* plane0 = component ? component->GetPlane(0) : nullptr;
    if (!plane0)
    {
      continue;
    }
    const unsigned planes = component->GetNumberOfPlanes();
    I_FrameImage* image =
        result->AddImageFrame(plane0->GetWidth(), plane0->GetHeight(), planes, component->GetDataType());
    if (!image)
    {
      continue;
    }
    for (unsigned z = 0; z < planes; ++z)
    {
      CopyPlaneBytes(component->GetPlane(z), image->GetPlane(z));
    }
    image->SetScaleI(C_ScaleFactory::GetInstance().CreateLinearScale(factor, offset, unit, description));
  }
  return result.release();
}
} // namespace BufferApi
