#include "C_FrameProfile.h"

#include <BufferApi/C_FrameFactory.h>

#include <RTE/Exception.h>

#include <algorithm>
#include <memory>

namespace BufferApi
{
const std::string I_FrameProfile::COMPONENT_XVALUES = "XVALUES";
const std::string I_FrameProfile::COMPONENT_PROFILES = "PROFILES";
const std::string I_FrameProfile::FT_PROFILE = "FT_PROFILE";

namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

I_Frame* CreateFrameProfile(const C_FrameBaseParam* param)
{
  const auto* profileParam = dynamic_cast<const C_FrameProfileParam*>(param);
  if (profileParam == nullptr)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Wrong parameter type, bit plane could not be created.");
  }
  return new C_FrameProfile(profileParam->GetWidth(), profileParam->GetHeight(), profileParam->GetDataType());
}
} // namespace

void RegisterProfileFrameType()
{
  C_FrameFactory::GetInstance().Register(I_FrameProfile::FT_PROFILE, &CreateFrameProfile);
}

C_FrameProfileParam::C_FrameProfileParam(unsigned width, unsigned height, E_DataType type)
    : C_FrameBaseParam(width, height, 1)
    , m_dataType(type)
{
}

C_FrameProfileParam::~C_FrameProfileParam() = default;

C_FrameProfile::C_FrameProfile(unsigned width, unsigned height, E_DataType type)
    : C_Frame(width, height, 1)
{
  // The x values have one row whatever the number of profiles: the frame is
  // one row high while they are made.
  m_height = 1;
  try
  {
    CreateComponent(COMPONENT_XVALUES, type, nullptr);
  }
  catch (const std::exception&)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The x-values component could not be created.");
  }
  m_height = height;
  UpdateComponentPointers();
  if (XPlane() == nullptr)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The x-values plane could not be created.");
  }
  try
  {
    CreateComponent(COMPONENT_PROFILES, type, nullptr);
  }
  catch (const std::exception&)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The profiles component could not be created.");
  }
  UpdateComponentPointers();
  if (ProfilesPlane() == nullptr)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The profiles plane could not be created.");
  }
}

C_FrameProfile::C_FrameProfile(const C_FrameProfile& other)
    : I_Frame(other)
    , C_Frame(other)
    , I_FrameProfile(other)
{
  UpdateComponentPointers();
}

C_FrameProfile::~C_FrameProfile() = default;

bool C_FrameProfile::IsSameType(const I_BufferLibObject* other) const
{
  return dynamic_cast<const C_FrameProfile*>(other) != nullptr;
}

I_Frame* C_FrameProfile::Clone(bool copyData) const
{
  if (copyData)
  {
    return new C_FrameProfile(*this);
  }
  auto frame = std::make_unique<C_FrameProfile>(m_width, m_height, GetDataType());
  CopyPropertiesTo(frame.get());
  for (const auto& component : m_components)
  {
    if (component.get() != m_xValues && component.get() != m_profiles)
    {
      frame->CreateComponent(component->GetName(), component->GetDataType(), nullptr);
    }
  }
  frame->UpdateComponentPointers();
  return frame.release();
}

E_DataType C_FrameProfile::GetDataType() const
{
  return m_profiles != nullptr ? m_profiles->GetDataType() : DT_Bool;
}

void C_FrameProfile::Clear()
{
  for (I_PlaneBase* plane : {ProfilesPlane(), XPlane()})
  {
    if (plane != nullptr)
    {
      plane->Clear();
    }
  }
}

void C_FrameProfile::Fill(double) {}

void C_FrameProfile::CopyRegion(unsigned, unsigned, unsigned, const I_Frame*, unsigned, unsigned, unsigned, unsigned,
                                unsigned)
{
}

void C_FrameProfile::CopyData(unsigned, const I_Frame*, unsigned) {}

void C_FrameProfile::ChangeComponentDataType(const std::string& name, E_DataType type, bool convertValues)
{
  const int index = FindComponentIndex(name);
  if (index < 0 || IsProtectedComponentIndex(static_cast<unsigned>(index)))
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Changing of data type of this component now allowed.");
  }
  C_Frame::ChangeComponentDataType(name, type, convertValues);
  UpdateComponentPointers();
}

void C_FrameProfile::AddProfile()
{
  SetNumberOfProfiles(m_height + 1);
}

I_PlaneBase* C_FrameProfile::GetProfilePlane() const
{
  return GetPlane(GetComponentIndex(COMPONENT_PROFILES), 0);
}

I_PlaneBase* C_FrameProfile::GetXValuePlane() const
{
  return GetPlane(GetComponentIndex(COMPONENT_XVALUES), 0);
}

I_PlaneBase* C_FrameProfile::XPlane() const
{
  return m_xValues != nullptr ? m_xValues->GetPlane(0) : nullptr;
}

I_PlaneBase* C_FrameProfile::ProfilesPlane() const
{
  return m_profiles != nullptr ? m_profiles->GetPlane(0) : nullptr;
}

double C_FrameProfile::GetProfileValue(unsigned sample, unsigned profile) const
{
  const I_PlaneBase* plane = ProfilesPlane();
  return plane != nullptr ? plane->GetValue(sample, profile) : 0.0;
}

std::vector<double> C_FrameProfile::GetValuesAt(unsigned sample) const
{
  std::vector<double> values(m_height);
  for (unsigned k = 0; k < m_height; ++k)
  {
    values[k] = GetProfileValue(sample, k);
  }
  return values;
}

void C_FrameProfile::GetPoint(unsigned sample, double& x, unsigned profile, double& value) const
{
  x = GetXValue(sample);
  value = GetProfileValue(sample, profile);
}

std::vector<double> C_FrameProfile::GetPointsAt(unsigned sample, double& x) const
{
  x = GetXValue(sample);
  return GetValuesAt(sample);
}

double C_FrameProfile::GetXValue(unsigned sample) const
{
  const I_PlaneBase* plane = XPlane();
  return plane != nullptr ? plane->GetValue(sample, 0) : 0.0;
}

void C_FrameProfile::SetNumberOfProfiles(unsigned n)
{
  // All components share the width, so a size the planes refuse (n or the
  // width 0) is refused by the first one before anything has changed.
  const int xMax = static_cast<int>(m_width) - 1;
  const int yMax = static_cast<int>(n) - 1;
  for (const auto& component : m_components)
  {
    if (component->GetName() == COMPONENT_XVALUES)
    {
      continue;
    }
    // Every plane, not just plane 0, so that the component keeps the frame's size.
    for (unsigned p = 0; p < component->GetNumberOfPlanes(); ++p)
    {
      component->GetPlane(p)->Resize(0, xMax, 0, yMax);
    }
  }
  m_height = n;
}

void C_FrameProfile::SetProfileValue(unsigned sample, unsigned profile, double value)
{
  if (I_PlaneBase* plane = ProfilesPlane())
  {
    plane->SetValue(sample, profile, value);
  }
}

void C_FrameProfile::SetValuesAt(unsigned sample, const std::vector<double>& values)
{
  const std::size_t count = std::min<std::size_t>(m_height, values.size());
  for (std::size_t k = 0; k < count; ++k)
  {
    SetProfileValue(sample, static_cast<unsigned>(k), values[k]);
  }
}

void C_FrameProfile::SetPoint(unsigned sample, double x, unsigned profile, double value)
{
  SetXValue(sample, x);
  SetProfileValue(sample, profile, value);
}

void C_FrameProfile::SetPointsAt(unsigned sample, double x, std::vector<double> values)
{
  SetXValue(sample, x);
  SetValuesAt(sample, values);
}

void C_FrameProfile::SetXValue(unsigned sample, double x)
{
  if (I_PlaneBase* plane = XPlane())
  {
    plane->SetValue(sample, 0, x);
  }
}

C_FrameBaseParam* C_FrameProfile::CreateFrameParam() const
{
  return new C_FrameProfileParam(m_width, m_height, GetDataType());
}

void C_FrameProfile::UpdateComponentPointers()
{
  C_Frame::UpdateComponentPointers();
  m_xValues = GetComponentAt(FindComponentIndex(COMPONENT_XVALUES));
  m_profiles = GetComponentAt(FindComponentIndex(COMPONENT_PROFILES));
}

std::string C_FrameProfile::GetFrameType() const
{
  return FT_PROFILE;
}

bool C_FrameProfile::IsProtectedComponent(const I_Component* component) const
{
  return component != nullptr &&
         (component == m_xValues || component == m_profiles || C_Frame::IsProtectedComponent(component));
}

bool C_FrameProfile::IsProtectedComponentIndex(unsigned index) const
{
  for (const std::string* name : {&COMPONENT_XVALUES, &COMPONENT_PROFILES})
  {
    const int found = FindComponentIndex(*name);
    if (found >= 0 && static_cast<unsigned>(found) == index)
    {
      return true;
    }
  }
  return C_Frame::IsProtectedComponentIndex(index);
}
} // namespace BufferApi
