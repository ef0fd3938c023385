#include "C_Frame.h"

#include <BufferApi/C_AttributeFactory.h>
#include <BufferApi/C_AttributePlaneParam.h>
#include <BufferApi/C_FrameFactory.h>
#include <BufferApi/C_ScaleFactory.h>

#include <RTE/Exception.h>

#include <algorithm>
#include <new>
#include <set>
#include <typeinfo>

namespace BufferApi
{
const std::string I_Frame::COMPONENT_MASK = "MASK";

namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

std::unique_ptr<I_Scale> CloneScale(const I_Scale* scale)
{
  return std::unique_ptr<I_Scale>(scale != nullptr ? scale->Clone() : nullptr);
}

std::unique_ptr<I_Scale> NewAxisScale()
{
  return std::unique_ptr<I_Scale>(
      C_ScaleFactory::GetInstance().CreateLinearScale(1.0, 0.0, std::string("pixel"), std::string()));
}

bool ScalesEqual(const I_Scale* a, const I_Scale* b)
{
  if (a == nullptr || b == nullptr)
  {
    return a == b;
  }
  return a->IsEqual(b);
}

//! The text after the last "." of an attribute path: the name the inserted
//! attribute gets.
std::string LastSegment(const std::string& path)
{
  const std::size_t dot = path.rfind('.');
  return dot == std::string::npos ? path : path.substr(dot + 1);
}

//! A plane of width x height whose elements all hold the default value of
//! `model` (CloneEmpty fills with the default, Resize fills the added area
//! with it).
std::unique_ptr<I_PlaneBase> DefaultPlane(const I_PlaneBase& model, unsigned width, unsigned height)
{
  std::unique_ptr<I_PlaneBase> plane(model.CloneEmpty());
  if (plane->GetWidth() != width || plane->GetHeight() != height)
  {
    plane->Resize(0, static_cast<int>(width) - 1, 0, static_cast<int>(height) - 1);
  }
  return plane;
}

//! Element-wise copy through double (clamped to the target type) of the area
//! both planes cover.
void ConvertPlane(const I_PlaneBase& src, I_PlaneBase& dst)
{
  const unsigned width = std::min(src.GetWidth(), dst.GetWidth());
  const unsigned height = std::min(src.GetHeight(), dst.GetHeight());
  for (unsigned y = 0; y < height; ++y)
  {
    for (unsigned x = 0; x < width; ++x)
    {
      dst.SetValueUnsafe(x, y, src.GetValueUnsafe(x, y));
    }
  }
}
} // namespace

C_Frame::C_Frame(unsigned width, unsigned height, unsigned depth)
    : m_scaleX(NewAxisScale())
    , m_scaleY(NewAxisScale())
    , m_scaleZ(NewAxisScale())
    , m_attributeRoot(C_AttributeFactory::GetInstance().CreateAttribute(AttrNode, C_AttributeBaseParam("root")))
    , m_width(width)
    , m_height(height)
    , m_depth(depth)
{
}

C_Frame::C_Frame(const C_Frame& other)
    : I_Frame(other)
    , m_name(other.m_name)
    , m_scaleX(CloneScale(other.m_scaleX.get()))
    , m_scaleY(CloneScale(other.m_scaleY.get()))
    , m_scaleZ(CloneScale(other.m_scaleZ.get()))
    , m_attributeRoot(other.m_attributeRoot ? other.m_attributeRoot->Clone() : nullptr)
    , m_width(other.m_width)
    , m_height(other.m_height)
    , m_depth(other.m_depth)
{
  m_components.reserve(other.m_components.size());
  for (const auto& component : other.m_components)
  {
    m_components.push_back(std::make_unique<C_Component>(*component));
  }
  C_Frame::UpdateComponentPointers();
}

C_Frame::~C_Frame() = default;

bool C_Frame::IsNotEqual(const I_BufferLibObject* other) const
{
  return !IsEqual(other);
}

bool C_Frame::IsEqual(const I_BufferLibObject* other) const
{
  const auto* frame = dynamic_cast<const C_Frame*>(other);
  if (frame == nullptr || typeid(*frame) != typeid(*this) || frame->m_name != m_name)
  {
    return false;
  }
  if (m_attributeRoot == nullptr || frame->m_attributeRoot == nullptr)
  {
    if (m_attributeRoot != frame->m_attributeRoot)
    {
      return false;
    }
  }
  else if (!m_attributeRoot->IsEqual(frame->m_attributeRoot.get()))
  {
    return false;
  }
  if (!ScalesEqual(m_scaleX.get(), frame->m_scaleX.get()) || !ScalesEqual(m_scaleY.get(), frame->m_scaleY.get()) ||
      !ScalesEqual(m_scaleZ.get(), frame->m_scaleZ.get()) || m_components.size() != frame->m_components.size())
  {
    return false;
  }
  for (std::size_t i = 0; i < m_components.size(); ++i)
  {
    if (!m_components[i]->IsEqual(frame->m_components[i].get()))
    {
      return false;
    }
  }
  return true;
}

std::unique_ptr<C_Component> C_Frame::MakeComponent(const std::string& name, E_DataType type,
                                                    const std::vector<void*>* planeMemory) const
{
  try
  {
    return std::make_unique<C_Component>(name, type, this, true, planeMemory);
  }
  catch (const RTE::Exception&)
  {
    // Raised through the runtime layer, so the cause is in the log already.
  }
  catch (const std::exception& cause)
  {
    // Anything else (out of memory above all) would otherwise vanish behind
    // the message below.
    RTE::Exception logged(QString::fromLocal8Bit(cause.what()));
    logged.setLocation(QString::fromLatin1(kSourceUnit), __LINE__);
    logged.log();
  }
  RTE_RAISE(RTE::Exception, kSourceUnit, "The component could not be created.");
}

unsigned C_Frame::CreateComponent(const std::string& name, E_DataType type, const std::vector<void*>* planeMemory)
{
  if (FindComponentIndex(name) >= 0)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Component already exists.");
  }
  auto component = MakeComponent(name, type, planeMemory);
  m_components.push_back(std::move(component));
  if (m_mask == nullptr && name == COMPONENT_MASK)
  {
    SetMaskComponent(m_components.back().get());
  }
  return static_cast<unsigned>(m_components.size() - 1);
}

void C_Frame::ChangeComponentDataType(const std::string& name, E_DataType type, bool convertValues)
{
  const int index = FindComponentIndex(name);
  if (index < 0)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Component does not exist.");
  }
  auto component = MakeComponent(name, type, nullptr);
  const C_Component& old = *m_components[static_cast<std::size_t>(index)];
  if (convertValues)
  {
    if (old.GetScale() != nullptr)
    {
      component->SetScale(old.GetScale()->Clone());
    }
    const unsigned planes = std::min(old.GetNumberOfPlanes(), component->GetNumberOfPlanes());
    for (unsigned p = 0; p < planes; ++p)
    {
      ConvertPlane(*old.GetPlane(p), *component->GetPlane(p));
    }
  }
  m_components[static_cast<std::size_t>(index)] = std::move(component);
  // The old component is gone: cached pointers to it must not survive.
  UpdateComponentPointers();
}

void C_Frame::CopyAttributes(const I_AttributeBase* node)
{
  if (node == nullptr || !m_attributeRoot)
  {
    return;
  }
  std::vector<I_AttributeBase*> children;
  node->GetChildren(children);
  // Clone everything first: node may be part of this frame's own tree, which
  // the insertions below change.
  std::vector<std::unique_ptr<I_AttributeBase>> clones;
  clones.reserve(children.size());
  for (const I_AttributeBase* child : children)
  {
    clones.emplace_back(child->Clone());
  }
  for (auto& clone : clones)
  {
    if (clone)
    {
      const std::string name = clone->GetName();
      InsertAttribute(name, clone.release());
    }
  }
}

I_AttributeBase* C_Frame::InsertAttribute(const std::string& path, I_AttributeBase* attribute)
{
  std::unique_ptr<I_AttributeBase> owned(attribute);
  if (!owned || !m_attributeRoot)
  {
    return nullptr;
  }
  // CreatePath takes the attribute over in every case.
  return I_AttributeBase::CreatePath(m_attributeRoot.get(), path, owned.release());
}

void C_Frame::CopyRegion(unsigned dstX, unsigned dstY, unsigned dstPlane, const I_Frame* src, unsigned srcX0,
                         unsigned srcY0, unsigned srcX1, unsigned srcY1, unsigned srcPlane)
{
  if (src == nullptr || dstX >= m_width || dstY >= m_height || dstPlane >= m_depth)
  {
    return;
  }
  const unsigned xLo = std::min(srcX0, srcX1);
  const unsigned xHi = std::max(srcX0, srcX1);
  const unsigned yLo = std::min(srcY0, srcY1);
  const unsigned yHi = std::max(srcY0, srcY1);
  if (xHi >= src->GetWidth() || yHi >= src->GetHeight() || srcPlane >= src->GetDepth())
  {
    return;
  }
  const unsigned extentX = std::min(xHi - xLo + 1, m_width - dstX);
  const unsigned extentY = std::min(yHi - yLo + 1, m_height - dstY);
  const unsigned count = src->GetNumberOfComponents();
  for (unsigned c = 0; c < count; ++c)
  {
    const int partner = FindComponentIndex(src->GetComponentName(static_cast<int>(c)));
    if (partner < 0)
    {
      continue;
    }
    const I_PlaneBase* from = src->GetPlane(static_cast<int>(c), srcPlane);
    I_PlaneBase* to = GetPlane(partner, dstPlane);
    if (from == nullptr || to == nullptr)
    {
      continue;
    }
    // Planes need not have the frame's size (the x values of a profile frame
    // have one row): never step outside either plane.
    const unsigned width = std::min({extentX, from->GetWidth() > xLo ? from->GetWidth() - xLo : 0U,
                                     to->GetWidth() > dstX ? to->GetWidth() - dstX : 0U});
    const unsigned height = std::min({extentY, from->GetHeight() > yLo ? from->GetHeight() - yLo : 0U,
                                      to->GetHeight() > dstY ? to->GetHeight() - dstY : 0U});
    for (unsigned j = 0; j < height; ++j)
    {
      for (unsigned i = 0; i < width; ++i)
      {
        to->SetValueUnsafe(dstX + i, dstY + j, from->GetValueUnsafe(xLo + i, yLo + j));
      }
    }
  }
}

void C_Frame::CopyData(unsigned dstPlane, const I_Frame* src, unsigned srcPlane)
{
  if (src == nullptr)
  {
    return;
  }
  CopyRegion(0, 0, dstPlane, src, 0, 0, src->GetWidth() - 1, src->GetHeight() - 1, srcPlane);
}

I_AttributeBase* C_Frame::CreateAttributeNode(const std::string& path)
{
  return CreateAttribute(path, AttrNode);
}

I_AttributePlane* C_Frame::CreateAttributePlane(const std::string& path, unsigned width, unsigned height,
                                                E_DataType type)
{
  const C_AttributePlaneParam param(LastSegment(path), type, width, height);
  I_AttributeBase* attribute =
      InsertAttribute(path, C_AttributeFactory::GetInstance().CreateAttribute(AttrPlane, param));
  return dynamic_cast<I_AttributePlane*>(attribute);
}

bool C_Frame::CreateValidMask()
{
  if (m_mask != nullptr)
  {
    return true;
  }
  try
  {
    if (!CreateMask(nullptr))
    {
      return false;
    }
    for (unsigned p = 0; p < m_mask->GetNumberOfPlanes(); ++p)
    {
      m_mask->GetPlane(p)->Fill(1.0);
      m_mask->GetPlane(p)->SetDefaultValue(1.0);
    }
  }
  catch (const std::exception&)
  {
    return false;
  }
  return true;
}

bool C_Frame::CreateMask(const std::vector<void*>* planeMemory)
{
  if (m_mask != nullptr)
  {
    return true;
  }
  try
  {
    const int existing = FindComponentIndex(COMPONENT_MASK);
    if (existing >= 0)
    {
      SetMaskComponent(GetComponentAt(existing));
      return true;
    }
    auto mask = MakeComponent(COMPONENT_MASK, DT_UInt8, planeMemory);
    mask->SetScale(C_ScaleFactory::GetInstance().CreateLinearScale(1.0, 0.0, std::string("Valid"), "Mask"));
    m_components.push_back(std::move(mask));
    SetMaskComponent(m_components.back().get());
  }
  catch (const std::exception&)
  {
    return false;
  }
  return true;
}

void C_Frame::DeleteAttribute(const std::string& path)
{
  if (m_attributeRoot)
  {
    I_AttributeBase::DeletePath(m_attributeRoot.get(), path);
  }
}

void C_Frame::DeleteComponent(const std::string& name)
{
  const int index = FindComponentIndex(name);
  if (index < 0)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The component was not found.");
  }
  DeleteComponent(static_cast<unsigned>(index));
}

void C_Frame::DeleteComponent(unsigned index)
{
  if (index >= m_components.size())
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The component's index was out of bounds.");
  }
  if (!IsComponentDeletable(index))
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "This component must not be deleted.");
  }
  m_components.erase(m_components.begin() + index);
}

void C_Frame::DeleteMask()
{
  const int index = FindComponentIndex(COMPONENT_MASK);
  if (index >= 0)
  {
    m_components.erase(m_components.begin() + index);
  }
  SetMaskComponent(nullptr);
}

I_Frame* C_Frame::CreateSubFrame(unsigned x0, unsigned x1, unsigned y0, unsigned y1, unsigned z0, unsigned z1) const
{
  const unsigned xLo = std::min(x0, x1);
  const unsigned xHi = std::max(x0, x1);
  const unsigned yLo = std::min(y0, y1);
  const unsigned yHi = std::max(y0, y1);
  const unsigned zLo = std::min(z0, z1);
  const unsigned zHi = std::max(z0, z1);
  const unsigned width = xHi - xLo + 1;
  const unsigned height = yHi - yLo + 1;
  const unsigned depth = zHi - zLo + 1;

  std::unique_ptr<I_Frame> created;
  {
    std::unique_ptr<C_FrameBaseParam> param(CreateFrameParam());
    param->SetWidth(width);
    param->SetHeight(height);
    param->SetDepth(depth);
    created.reset(C_FrameFactory::GetInstance().Create(GetFrameType(), param.get()));
  }
  auto* frame = dynamic_cast<C_Frame*>(created.get());
  if (frame == nullptr)
  {
    return nullptr;
  }

  CopyPropertiesTo(frame);
  frame->CopyAttributes(m_attributeRoot.get());
  for (const auto& scale : {std::make_pair(frame->m_scaleX.get(), xLo), std::make_pair(frame->m_scaleY.get(), yLo),
                            std::make_pair(frame->m_scaleZ.get(), zLo)})
  {
    if (scale.first != nullptr)
    {
      scale.first->ShiftSource(-static_cast<double>(scale.second));
    }
  }

  for (std::size_t index = 0; index < m_components.size(); ++index)
  {
    const C_Component& old = *m_components[index];
    C_Component* target = nullptr;
    if (&old == m_mask)
    {
      // The new frame is made without mask: carry it over as a mask of its own.
      if (!frame->CreateMask(nullptr))
      {
        return nullptr;
      }
      target = frame->m_mask;
    }
    else if (IsProtectedComponentIndex(static_cast<unsigned>(index)))
    {
      // Made by the frame type itself: the new frame has it, normally at the
      // same index.
      target = frame->GetComponentAt(static_cast<int>(index));
      if (target == nullptr || target->GetName() != old.GetName())
      {
        target = frame->GetComponentAt(frame->FindComponentIndex(old.GetName()));
      }
      if (target == nullptr)
      {
        continue;
      }
    }
    else
    {
      target = frame->GetComponentAt(static_cast<int>(frame->CreateComponent(old.GetName(), old.GetDataType())));
    }
    target->SetScale(old.GetScale() != nullptr ? old.GetScale()->Clone() : nullptr);
    for (unsigned k = 0; k < target->GetNumberOfPlanes(); ++k)
    {
      const I_PlaneBase* from = old.GetPlane(zLo + k);
      if (from == nullptr)
      {
        break;
      }
      I_PlaneBase* to = target->GetPlane(k);
      for (unsigned j = 0; j < to->GetHeight(); ++j)
      {
        for (unsigned i = 0; i < to->GetWidth(); ++i)
        {
          to->SetValue(i, j, from->GetValue(xLo + i, yLo + j));
        }
      }
    }
  }
  frame->UpdateComponentPointers();
  return created.release();
}

I_AttributeBase* C_Frame::FindAttribute(const std::string& path) const
{
  return m_attributeRoot ? I_AttributeBase::FindPath(m_attributeRoot.get(), path) : nullptr;
}

I_AttributeBase* C_Frame::GetAttributeRoot() const
{
  return m_attributeRoot.get();
}

unsigned C_Frame::GetNumberOfComponents() const
{
  return static_cast<unsigned>(m_components.size());
}

int C_Frame::FindComponentIndex(const std::string& name) const
{
  for (std::size_t i = 0; i < m_components.size(); ++i)
  {
    if (m_components[i]->GetName() == name)
    {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int C_Frame::GetComponentIndex(const std::string& name) const
{
  return FindComponentIndex(name);
}

C_Component* C_Frame::GetComponentAt(int comp) const
{
  if (comp < 0 || static_cast<std::size_t>(comp) >= m_components.size())
  {
    return nullptr;
  }
  return m_components[static_cast<std::size_t>(comp)].get();
}

I_Component* C_Frame::GetComponent(const std::string& name) const
{
  return GetComponentAt(FindComponentIndex(name));
}

I_Component* C_Frame::GetComponent(int comp) const
{
  return GetComponentAt(comp);
}

std::string C_Frame::GetComponentName(int comp) const
{
  const C_Component* component = GetComponentAt(comp);
  return component != nullptr ? component->GetName() : std::string();
}

double C_Frame::GetValue(int comp, unsigned x, unsigned y, unsigned plane) const
{
  const I_PlaneBase* p = GetPlane(comp, plane);
  return p != nullptr ? p->GetValue(x, y) : 0.0;
}

I_PlaneBase* C_Frame::GetPlane(int comp, unsigned plane) const
{
  const C_Component* component = GetComponentAt(comp);
  return component != nullptr ? component->GetPlane(plane) : nullptr;
}

I_Scale* C_Frame::GetComponentScale(int comp) const
{
  const C_Component* component = GetComponentAt(comp);
  return component != nullptr ? component->GetScale() : nullptr;
}

E_DataType C_Frame::GetComponentDataType(int comp) const
{
  const C_Component* component = GetComponentAt(comp);
  return component != nullptr ? component->GetDataType() : static_cast<E_DataType>(0);
}

bool C_Frame::IsValid(unsigned x, unsigned y, unsigned plane) const
{
  if (m_mask == nullptr)
  {
    return true;
  }
  const I_PlaneBase* p = m_mask->GetPlane(plane);
  return p != nullptr && p->GetIntValue(x, y) != 0;
}

std::string C_Frame::GetName() const
{
  return m_name;
}

I_Scale* C_Frame::GetScaleI() const
{
  return nullptr;
}

I_Scale* C_Frame::GetScaleX() const
{
  return m_scaleX.get();
}

I_Scale* C_Frame::GetScaleY() const
{
  return m_scaleY.get();
}

I_Scale* C_Frame::GetScaleZ() const
{
  return m_scaleZ.get();
}

void C_Frame::GetSize(unsigned& width, unsigned& height, unsigned& depth) const
{
  width = m_width;
  height = m_height;
  depth = m_depth;
}

unsigned C_Frame::GetWidth() const
{
  return m_width;
}

unsigned C_Frame::GetHeight() const
{
  return m_height;
}

unsigned C_Frame::GetDepth() const
{
  return m_depth;
}

bool C_Frame::HasMask() const
{
  return m_mask != nullptr;
}

bool C_Frame::IsComponentDeletable(unsigned index) const
{
  return !IsProtectedComponentIndex(index);
}

void C_Frame::Resize(int xMin, int xMax, int yMin, int yMax, int zMin, int zMax)
{
  if (m_depth == 0)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Resize was called while the frame has no planes.");
  }
  if (xMin > xMax || yMin > yMax || zMin > zMax)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "One of the lower end of the boundaries is larger than the upper end.");
  }
  const long long oldDepth = m_depth;
  m_width = static_cast<unsigned>(static_cast<long long>(xMax) - xMin + 1);
  m_height = static_cast<unsigned>(static_cast<long long>(yMax) - yMin + 1);
  m_depth = static_cast<unsigned>(static_cast<long long>(zMax) - zMin + 1);
  const bool keepXY = xMin == 0 && yMin == 0;

  // A plane shared by several components is resized once.
  std::set<const I_PlaneBase*> resized;
  for (auto& component : m_components)
  {
    if (component->GetNumberOfPlanes() == 0)
    {
      continue;
    }
    const bool outside = (zMin < 0 && zMax < 0) || (zMin >= oldDepth && zMax >= oldDepth);
    // New planes hold the default value of the old plane 0; made only when needed.
    std::unique_ptr<I_PlaneBase> model;
    if (outside || zMin < 0 || zMax >= static_cast<long long>(component->GetNumberOfPlanes()))
    {
      model = DefaultPlane(*component->GetPlane(0), m_width, m_height);
    }
    if (outside)
    {
      component->RemoveAllPlanes();
    }
    else
    {
      const long long planes = component->GetNumberOfPlanes();
      for (long long z = std::max(zMin, 0); z <= std::min<long long>(zMax, planes - 1); ++z)
      {
        I_PlaneBase* plane = component->GetPlane(static_cast<unsigned>(z));
        const bool sameSize = keepXY && plane->GetWidth() == m_width && plane->GetHeight() == m_height;
        if (!sameSize && resized.insert(plane).second)
        {
          plane->Resize(xMin, xMax, yMin, yMax);
        }
      }
      if (zMin > 0)
      {
        component->RemovePlanes(0, zMin);
      }
      else if (zMin < 0)
      {
        component->InsertPlanes(0, static_cast<unsigned>(-static_cast<long long>(zMin)), model->Clone(true));
      }
      component->KeepPlanes(static_cast<int>(std::min<unsigned>(m_depth, 0x7fffffffU)));
    }
    while (component->GetNumberOfPlanes() < m_depth)
    {
      component->AddPlane(model->Clone(true));
    }
  }
}

void C_Frame::SetSize(unsigned width, unsigned height, unsigned depth)
{
  if (width == m_width && height == m_height && depth == m_depth)
  {
    return;
  }
  // Check before changing anything, so that a refused call leaves planes and
  // recorded size in agreement.
  for (const auto& component : m_components)
  {
    if (component->GetNumberOfPlanes() == 0)
    {
      RTE_RAISE(RTE::Exception, kSourceUnit, "There are no planes in this frame.");
    }
    if (depth > 0 && (width == 0 || height == 0))
    {
      RTE_RAISE(RTE::Exception, kSourceUnit, "One of the lower end of the boundaries is larger than the upper end.");
    }
  }
  m_width = width;
  m_height = height;
  m_depth = depth;
  std::set<const I_PlaneBase*> resized;
  for (auto& component : m_components)
  {
    component->KeepPlanes(static_cast<int>(std::min<unsigned>(depth, 0x7fffffffU)));
    for (unsigned p = 0; p < component->GetNumberOfPlanes(); ++p)
    {
      I_PlaneBase* plane = component->GetPlane(p);
      if ((plane->GetWidth() != width || plane->GetHeight() != height) && resized.insert(plane).second)
      {
        plane->Resize(0, static_cast<int>(width) - 1, 0, static_cast<int>(height) - 1);
      }
    }
    if (component->GetNumberOfPlanes() == 0)
    {
      continue;
    }
    const I_PlaneBase* first = component->GetPlane(0);
    while (component->GetNumberOfPlanes() < depth)
    {
      component->AddPlane(first->CloneEmpty());
    }
  }
}

void C_Frame::SetSizeLike(const I_Frame* other)
{
  if (other == nullptr)
  {
    return;
  }
  unsigned width = 0;
  unsigned height = 0;
  unsigned depth = 0;
  other->GetSize(width, height, depth);
  SetSize(width, height, depth);
}

I_AttributeBase* C_Frame::CreateAttribute(const std::string& path, E_AttributeType type)
{
  const C_AttributeBaseParam param(LastSegment(path));
  return InsertAttribute(path, C_AttributeFactory::GetInstance().CreateAttribute(type, param));
}

void C_Frame::SetComponentName(int comp, const std::string& name)
{
  C_Component* component = GetComponentAt(comp);
  if (component == nullptr || IsProtectedComponentIndex(static_cast<unsigned>(comp)))
  {
    return;
  }
  component->SetName(name);
  UpdateComponentPointers();
}

void C_Frame::SetValue(int comp, unsigned x, unsigned y, unsigned plane, double value)
{
  I_PlaneBase* p = GetPlane(comp, plane);
  if (p != nullptr)
  {
    p->SetValue(x, y, value);
  }
}

void C_Frame::SetComponentScale(int comp, I_Scale* scale)
{
  std::unique_ptr<I_Scale> owned(scale);
  C_Component* component = GetComponentAt(comp);
  if (component != nullptr)
  {
    component->SetScale(owned.release());
  }
}

void C_Frame::SetValid(unsigned x, unsigned y, unsigned plane, bool valid)
{
  if (m_mask == nullptr)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The mask component was not created yet.");
  }
  I_PlaneBase* p = m_mask->GetPlane(plane);
  if (p != nullptr)
  {
    p->SetIntValue(x, y, valid ? 1 : 0);
  }
}

void C_Frame::SetName(const std::string& name)
{
  m_name = name;
}

void C_Frame::SetScaleI(I_Scale* scale)
{
  delete scale;
}

void C_Frame::SetScaleX(I_Scale* scale)
{
  m_scaleX.reset(scale);
}

void C_Frame::SetScaleY(I_Scale* scale)
{
  m_scaleY.reset(scale);
}

void C_Frame::SetScaleZ(I_Scale* scale)
{
  m_scaleZ.reset(scale);
}

void C_Frame::CopyScales(const I_Frame* src)
{
  if (src == nullptr)
  {
    return;
  }
  if (src->GetScaleI() != nullptr)
  {
    SetScaleI(src->GetScaleI()->Clone());
  }
  if (src->GetScaleX() != nullptr)
  {
    SetScaleX(src->GetScaleX()->Clone());
  }
  if (src->GetScaleY() != nullptr)
  {
    SetScaleY(src->GetScaleY()->Clone());
  }
  if (src->GetScaleZ() != nullptr)
  {
    SetScaleZ(src->GetScaleZ()->Clone());
  }
}

C_FrameBaseParam* C_Frame::CreateFrameParam() const
{
  return new C_FrameBaseParam(m_width, m_height, m_depth);
}

void C_Frame::CopyPropertiesTo(C_Frame* dst) const
{
  if (dst == nullptr)
  {
    return;
  }
  dst->m_name = m_name;
  dst->m_scaleX = CloneScale(m_scaleX.get());
  dst->m_scaleY = CloneScale(m_scaleY.get());
  dst->m_scaleZ = CloneScale(m_scaleZ.get());
}

void C_Frame::UpdateComponentPointers()
{
  SetMaskComponent(GetComponentAt(FindComponentIndex(COMPONENT_MASK)));
}

void C_Frame::SetMaskComponent(C_Component* component)
{
  m_mask = component;
  KeepFirstPlane(m_firstMaskPlane, component);
}

void C_Frame::KeepFirstPlane(S_FirstPlane& slot, C_Component* component)
{
  // The former keeper may be gone already: it is not touched, and stops
  // writing since it no longer is the keeper.
  slot.keeper = component;
  slot.plane = nullptr;
  if (component != nullptr)
  {
    component->KeepFirstPlane(&slot);
  }
}

bool C_Frame::IsProtectedComponent(const I_Component* component) const
{
  return component != nullptr && component == m_mask;
}

bool C_Frame::IsProtectedComponentIndex(unsigned index) const
{
  const int mask = FindComponentIndex(COMPONENT_MASK);
  return mask >= 0 && static_cast<unsigned>(mask) == index;
}

unsigned C_Frame::AddComponent(C_Component* component)
{
  std::unique_ptr<C_Component> owned(component);
  if (!owned)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The component could not be created.");
  }
  m_components.push_back(std::move(owned));
  if (m_mask == nullptr && m_components.back()->GetName() == COMPONENT_MASK)
  {
    SetMaskComponent(m_components.back().get());
  }
  return static_cast<unsigned>(m_components.size() - 1);
}

std::unique_ptr<C_Component> C_Frame::RemoveComponent(unsigned index)
{
  if (index >= m_components.size())
  {
    return nullptr;
  }
  std::unique_ptr<C_Component> component = std::move(m_components[index]);
  m_components.erase(m_components.begin() + index);
  // It must not write into a slot of this frame any more.
  component->KeepFirstPlane(nullptr);
  if (component.get() == m_mask)
  {
    SetMaskComponent(nullptr);
  }
  return component;
}
} // namespace BufferApi
