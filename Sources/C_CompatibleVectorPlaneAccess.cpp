#include <BufferApi/C_CompatibleVectorPlaneAccess.h>

#include "VectorPlanePointers.h"

#include <BufferApi/I_FrameVector.h>
#include <RTE/Exception.h>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
} // namespace

struct C_CompatibleVectorPlaneAccess::S_Defaults
{
  std::vector<std::int32_t> activeChoice;
  std::vector<std::uint8_t> enabled;
};

C_CompatibleVectorPlaneAccess::C_CompatibleVectorPlaneAccess(const I_FrameVector* frame, unsigned plane)
{
  Init(frame, plane);
}

C_CompatibleVectorPlaneAccess::C_CompatibleVectorPlaneAccess(const I_Buffer* buffer, unsigned frameIndex,
                                                             unsigned plane)
{
  Init(GetVectorFrameOfBuffer(buffer, frameIndex, kSourceUnit), plane);
}

C_CompatibleVectorPlaneAccess::~C_CompatibleVectorPlaneAccess() = default;

void C_CompatibleVectorPlaneAccess::Init(const I_FrameVector* frame, unsigned plane)
{
  if (!frame || frame->GetDataType() != DT_Float)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "C_CompatibleVectorPlaneAccess requires float vector frames!");
  }
  S_VectorPlanePointers pointers = CollectVectorPlanePointers(*frame, plane, true, kSourceUnit);
  m_numberOfChoices = pointers.numberOfChoices;
  m_width = pointers.width;
  m_height = pointers.height;
  m_peakRatio = pointers.peakRatio;
  m_activeChoice = pointers.activeChoice;
  m_enabled = pointers.enabled;
  m_activeChoiceRead = m_activeChoice;
  m_enabledRead = m_enabled;
  if (!m_activeChoice || !m_enabled)
  {
    auto defaults = std::make_shared<S_Defaults>();
    const std::uint64_t size = m_width * m_height;
    if (!m_activeChoice)
    {
      defaults->activeChoice.assign(size, 0);
      m_activeChoiceRead = defaults->activeChoice.data();
    }
    if (!m_enabled)
    {
      defaults->enabled.assign(size, 1);
      m_enabledRead = defaults->enabled.data();
    }
    m_defaults = std::move(defaults);
  }
  m_mask = pointers.mask;
  m_lastChoice = m_numberOfChoices - 1;
  m_hasW = !pointers.w.empty();
  m_slots.resize(pointers.u.size());
  for (std::size_t i = 0; i < m_slots.size(); ++i)
  {
    m_slots[i].u = pointers.u[i];
    m_slots[i].v = pointers.v[i];
    m_slots[i].w = m_hasW ? pointers.w[i] : nullptr;
  }
}
} // namespace BufferApi
