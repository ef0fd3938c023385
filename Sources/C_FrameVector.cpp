#include "C_FrameVector.h"

#include <BufferApi/C_ScaleFactory.h>

#include <RTE/Exception.h>

#include <algorithm>
#include <memory>

namespace BufferApi
{
const std::string I_FrameVector::COMPONENT_U = "U";
const std::string I_FrameVector::COMPONENT_V = "V";
const std::string I_FrameVector::COMPONENT_W = "W";
const std::string I_FrameVector::COMPONENT_ACTIVE_CHOICE = "ACTIVE_CHOICE";
const std::string I_FrameVector::COMPONENT_ENABLED = "ENABLED";

namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

bool IsDigit(char c)
{
  return c >= '0' && c <= '9';
}

//! Number of decimal digits of value.
std::size_t DigitCount(std::uint32_t value)
{
  std::size_t digits = 1;
  while (value >= 10)
  {
    value /= 10;
    ++digits;
  }
  return digits;
}
} // namespace

C_FrameVector::C_FrameVector(unsigned width, unsigned height, unsigned depth, E_DataType type, unsigned numberOfChoices)
    : C_Frame(width, height, depth)
    , m_numberOfChoices(numberOfChoices)
{
  // A throw below destroys the C_Frame part, and with it every component made
  // so far.
  if (numberOfChoices < 1)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can not create a vector frame with less than one choice.");
  }
  for (unsigned i = 0; i < numberOfChoices; ++i)
  {
    CreateVectorComponent(ChoiceName(COMPONENT_U, i), type, "The U-component could not be created.", false);
    CreateVectorComponent(ChoiceName(COMPONENT_V, i), type, "The V-component could not be created.", false);
  }
  try
  {
    CreateComponent(COMPONENT_ACTIVE_CHOICE, DT_Int32);
  }
  catch (const std::exception&)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The ACTIVE_CHOICE-component could not be created.");
  }
  try
  {
    CreateComponent(COMPONENT_ENABLED, DT_UInt8);
  }
  catch (const std::exception&)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The ENABLED-component could not be created.");
  }
  UpdateComponentPointers();
}

C_FrameVector::C_FrameVector(const C_FrameVector& other)
    : I_Frame(other)
    , I_FrameVector(other)
    , C_Frame(other)
    , m_numberOfChoices(other.m_numberOfChoices)
    , m_gridX(other.m_gridX)
    , m_gridY(other.m_gridY)
    , m_gridZ(other.m_gridZ)
{
  UpdateComponentPointers();
}

C_FrameVector::~C_FrameVector() = default;

void C_FrameVector::CreateVectorComponent(const std::string& name, E_DataType type, const char* failureText,
                                          bool verification)
{
  bool created = false;
  try
  {
    C_Component* component = GetComponentAt(static_cast<int>(CreateComponent(name, type)));
    component->SetScale(C_ScaleFactory::GetInstance().CreateLinearScale(1.0, 0.0, std::string("pixel"), std::string()));
    created = true;
  }
  catch (const std::exception&)
  {
    // Logged by the raiser; reported below as this component's failure.
  }
  if (created)
  {
    return;
  }
  if (verification)
  {
    RTE_RAISE(RTE::VerificationFailed, kSourceUnit, failureText);
  }
  RTE_RAISE(RTE::Exception, kSourceUnit, failureText);
}

std::string C_FrameVector::ChoiceName(const std::string& base, unsigned choice)
{
  return base + std::to_string(choice);
}

bool C_FrameVector::IsEqual(const I_BufferLibObject* other) const
{
  const auto* frame = dynamic_cast<const C_FrameVector*>(other);
  return frame != nullptr && IsSameType(other) && C_Frame::IsEqual(other) &&
         frame->m_numberOfChoices == m_numberOfChoices;
}

bool C_FrameVector::IsNotEqual(const I_BufferLibObject* other) const
{
  return !IsEqual(other);
}

void C_FrameVector::ChangeComponentDataType(const std::string& name, E_DataType type, bool convertValues)
{
  const int index = FindComponentIndex(name);
  if (index < 0 || !IsComponentDeletable(static_cast<unsigned>(index)))
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Changing of data type of this component now allowed.");
  }
  C_Frame::ChangeComponentDataType(name, type, convertValues);
}

I_Frame* C_FrameVector::Clone(bool copyData) const
{
  if (copyData)
  {
    return CopyLike();
  }
  std::unique_ptr<C_FrameVector> frame(CreateEmptyLike());
  CopyPropertiesTo(frame.get());
  frame->CopyAttributes(GetAttributeRoot());
  if (HasMask())
  {
    frame->CreateValidMask();
  }
  for (std::size_t index = 0; index < m_components.size(); ++index)
  {
    if (IsProtectedComponentIndex(static_cast<unsigned>(index)))
    {
      continue;
    }
    std::unique_ptr<C_Component> copy(m_components[index]->Clone(false));
    if (frame->FindComponentIndex(copy->GetName()) < 0)
    {
      frame->AddComponent(copy.release());
    }
  }
  frame->UpdateComponentPointers();
  return frame.release();
}

int C_FrameVector::GetComponentIndex(const std::string& name) const
{
  const int index = FindComponentIndex(name);
  return index >= 0 ? index : GetChoiceComponentIndex(name, 0);
}

I_Component* C_FrameVector::GetComponent(const std::string& name) const
{
  return GetComponentAt(GetComponentIndex(name));
}

E_DataType C_FrameVector::GetDataType() const
{
  return m_u.empty() ? DT_Bool : m_u.front()->GetDataType();
}

I_Scale* C_FrameVector::GetScaleI() const
{
  return m_u.empty() ? nullptr : m_u.front()->GetScale();
}

void C_FrameVector::SetScaleI(I_Scale* scale)
{
  std::unique_ptr<I_Scale> owned(scale);
  if (m_u.empty())
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The vector frame has no vector component!");
  }
  for (const auto* family : {&m_u, &m_v})
  {
    for (C_Component* component : *family)
    {
      component->SetScale(owned ? owned->Clone() : nullptr);
    }
  }
}

std::size_t C_FrameVector::ChoiceSuffixLength(const std::string& name) const
{
  if (m_numberOfChoices == 0)
  {
    return 0;
  }
  const std::size_t longest = std::min(name.size(), DigitCount(m_numberOfChoices - 1));
  for (std::size_t length = longest; length > 0; --length)
  {
    if (IsChoiceSuffix(name.substr(name.size() - length)))
    {
      return length;
    }
  }
  return 0;
}

bool C_FrameVector::IsChoiceSuffix(const std::string& digits) const
{
  if (digits.empty() || digits.size() > DigitCount(m_numberOfChoices) ||
      !std::all_of(digits.begin(), digits.end(), IsDigit) || (digits.size() > 1 && digits.front() == '0'))
  {
    return false;
  }
  return std::stoull(digits) < m_numberOfChoices;
}

void C_FrameVector::SetComponentName(int comp, const std::string& name)
{
  C_Component* component = GetComponentAt(comp);
  if (component == nullptr || IsProtectedComponentIndex(static_cast<unsigned>(comp)))
  {
    return;
  }
  const std::string oldName = component->GetName();
  const std::size_t suffix = ChoiceSuffixLength(oldName);
  if (suffix == 0)
  {
    component->SetName(name);
  }
  else
  {
    const std::string base = oldName.substr(0, oldName.size() - suffix);
    for (const auto& member : m_components)
    {
      if (IsChoiceComponentOf(member.get(), base) && !IsProtectedComponent(member.get()))
      {
        member->SetName(name + member->GetName().substr(base.size()));
      }
    }
  }
  UpdateComponentPointers();
}

const C_FrameVectorParam& C_FrameVector::VectorParamOf(const C_FrameBaseParam* param, const char* sourceUnit)
{
  const auto* vectorParam = dynamic_cast<const C_FrameVectorParam*>(param);
  if (vectorParam == nullptr)
  {
    RTE_RAISE(RTE::Exception, sourceUnit, "Wrong parameter type, bit plane could not be created.");
  }
  return *vectorParam;
}

I_PlaneBase* C_FrameVector::PlaneOf(const C_Component* component, unsigned z)
{
  return component != nullptr ? component->GetPlane(z) : nullptr;
}

I_PlaneBase* C_FrameVector::PlaneOf(const std::vector<C_Component*>& family, unsigned choice, unsigned z)
{
  return choice < family.size() ? family[choice]->GetPlane(z) : nullptr;
}

void C_FrameVector::Clear()
{
  for (unsigned z = 0; z < m_depth; ++z)
  {
    for (I_PlaneBase* plane :
         {PlaneOf(m_u, 0, z), PlaneOf(m_v, 0, z), PlaneOf(m_activeChoice, z), PlaneOf(m_enabled, z)})
    {
      if (plane != nullptr)
      {
        plane->Clear();
      }
    }
  }
}

void C_FrameVector::Fill(double value)
{
  if (value == 0.0)
  {
    Clear();
    return;
  }
  for (unsigned z = 0; z < m_depth; ++z)
  {
    for (I_PlaneBase* plane : {PlaneOf(m_u, 0, z), PlaneOf(m_v, 0, z)})
    {
      if (plane != nullptr)
      {
        plane->Fill(value);
      }
    }
    if (I_PlaneBase* plane = PlaneOf(m_activeChoice, z))
    {
      plane->Clear();
    }
    if (I_PlaneBase* plane = PlaneOf(m_enabled, z))
    {
      plane->Fill(1.0);
    }
  }
}

void C_FrameVector::AddChoiceComponent(const std::string& base, E_DataType type)
{
  try
  {
    for (unsigned i = 0; i < m_numberOfChoices; ++i)
    {
      CreateComponent(ChoiceName(base, i), type);
    }
  }
  catch (...)
  {
    UpdateComponentPointers();
    throw;
  }
  // Re-adding a deleted U or V family makes it the vector data again.
  UpdateComponentPointers();
}

void C_FrameVector::DeleteChoiceComponent(const std::string& base)
{
  for (std::size_t index = m_components.size(); index-- > 0;)
  {
    if (IsChoiceComponentOf(m_components[index].get(), base))
    {
      RemoveComponent(static_cast<unsigned>(index));
    }
  }
  // The family may have been U or V: no cached pointer may outlive it.
  UpdateComponentPointers();
}

bool C_FrameVector::HasValidChoice(unsigned x, unsigned y, unsigned z) const
{
  const I_PlaneBase* plane = PlaneOf(m_activeChoice, z);
  if (plane == nullptr || static_cast<int>(x) < 0 || static_cast<int>(y) < 0 || x >= plane->GetWidth() ||
      y >= plane->GetHeight())
  {
    return false;
  }
  return plane->GetIntValue(x, y) >= 0;
}

int C_FrameVector::GetActiveChoice(unsigned x, unsigned y, unsigned z) const
{
  const I_PlaneBase* plane = PlaneOf(m_activeChoice, z);
  return plane != nullptr ? plane->GetIntValue(x, y) : 0;
}

int C_FrameVector::GetChoiceComponentIndex(const std::string& base, unsigned choice) const
{
  // Exact look-up: the widened GetComponentIndex would try base + choice + "0".
  return FindComponentIndex(ChoiceName(base, choice));
}

I_Component* C_FrameVector::GetChoiceComponent(const std::string& base, unsigned choice) const
{
  return GetComponentAt(GetChoiceComponentIndex(base, choice));
}

bool C_FrameVector::IsEnabled(unsigned x, unsigned y, unsigned z) const
{
  const I_PlaneBase* plane = z < m_depth ? PlaneOf(m_enabled, z) : nullptr;
  return plane != nullptr && plane->GetIntValue(x, y) != 0;
}

void C_FrameVector::SetActiveChoice(unsigned x, unsigned y, unsigned z, int value)
{
  if (I_PlaneBase* plane = PlaneOf(m_activeChoice, z))
  {
    plane->SetIntValue(x, y, value);
  }
}

void C_FrameVector::SetEnabled(unsigned x, unsigned y, unsigned z, bool enabled)
{
  I_PlaneBase* plane = z < m_depth ? PlaneOf(m_enabled, z) : nullptr;
  if (plane != nullptr)
  {
    plane->SetIntValue(x, y, enabled ? 1 : 0);
  }
}

C_FrameBaseParam* C_FrameVector::CreateFrameParam() const
{
  return new C_FrameVectorParam(m_width, m_height, m_depth, GetDataType(), m_numberOfChoices);
}

void C_FrameVector::CopyPropertiesTo(C_Frame* target) const
{
  C_Frame::CopyPropertiesTo(target);
  auto* frame = dynamic_cast<C_FrameVector*>(target);
  if (frame == nullptr)
  {
    return;
  }
  frame->m_numberOfChoices = m_numberOfChoices;
  frame->m_gridX = m_gridX;
  frame->m_gridY = m_gridY;
  frame->m_gridZ = m_gridZ;
  // The families depend on the number of choices.
  frame->UpdateComponentPointers();
}

std::vector<C_Component*> C_FrameVector::CollectFamily(const std::string& base) const
{
  std::vector<C_Component*> family;
  for (unsigned i = 0; i < m_numberOfChoices; ++i)
  {
    C_Component* member = GetComponentAt(FindComponentIndex(ChoiceName(base, i)));
    if (member == nullptr)
    {
      break;
    }
    family.push_back(member);
  }
  return family;
}

void C_FrameVector::UpdateComponentPointers()
{
  C_Frame::UpdateComponentPointers();
  m_u = CollectFamily(COMPONENT_U);
  m_v = CollectFamily(COMPONENT_V);
  m_activeChoice = GetComponentAt(FindComponentIndex(COMPONENT_ACTIVE_CHOICE));
  m_enabled = GetComponentAt(FindComponentIndex(COMPONENT_ENABLED));
}

bool C_FrameVector::Contains(const std::vector<C_Component*>& family, const I_Component* component)
{
  return std::find(family.begin(), family.end(), component) != family.end();
}

bool C_FrameVector::IsProtectedComponent(const I_Component* component) const
{
  if (component == nullptr)
  {
    return false;
  }
  return C_Frame::IsProtectedComponent(component) || component == m_activeChoice || component == m_enabled ||
         Contains(m_u, component) || Contains(m_v, component);
}

bool C_FrameVector::IsProtectedComponentIndex(unsigned index) const
{
  return C_Frame::IsProtectedComponentIndex(index) || IsProtectedComponent(GetComponentAt(static_cast<int>(index)));
}

bool C_FrameVector::IsChoiceComponentOf(const I_Component* component, std::string base) const
{
  if (component == nullptr)
  {
    return false;
  }
  const std::string name = component->GetName();
  return name.compare(0, base.size(), base) == 0 && name.size() > base.size() &&
         IsChoiceSuffix(name.substr(base.size()));
}

} // namespace BufferApi
