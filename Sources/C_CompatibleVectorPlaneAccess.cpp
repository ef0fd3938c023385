#include <BufferApi/C_CompatibleVectorPlaneAccess.h>

#include "VectorPlanePointers.h"

#include <BufferApi/I_FrameVector.h>
#include <RTE/Exception.h>

#include <memory>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
} // namespace

//! Read stand-ins (choice 0, enabled) and separate write sinks for absent
//! ACTIVE_CHOICE and ENABLED planes: writes never change what is read.
struct C_CompatibleVectorPlaneAccess::S_Defaults
{
  std::vector<std::int32_t> activeChoice;
  std::vector<std::uint8_t> enabled;
  std::vector<std::int32_t> activeChoiceSink;
  std::unique_ptr<bool[]> enabledSink;
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
  m_activeChoiceWrite = pointers.activeChoice;
  // ENABLED elements are bytes holding 0 or 1; they are written as bool.
  m_enabledWrite = reinterpret_cast<bool*>(pointers.enabled);
  m_activeChoiceRead = pointers.activeChoice;
  m_enabledRead = pointers.enabled;
  if (!pointers.activeChoice || !pointers.enabled)
  {
    auto defaults = std::make_shared<S_Defaults>();
    const std::uint64_t size = m_width * m_height;
    if (!pointers.activeChoice)
    {
      defaults->activeChoice.assign(size, 0);
      defaults->activeChoiceSink.assign(size, 0);
      m_activeChoiceRead = defaults->activeChoice.data();
      m_activeChoiceWrite = defaults->activeChoiceSink.data();
    }
    if (!pointers.enabled)
    {
      defaults->enabled.assign(size, 1);
      defaults->enabledSink = std::make_unique<bool[]>(size);
      m_enabledRead = defaults->enabled.data();
      m_enabledWrite = defaults->enabledSink.get();
    }
    m_defaults = std::move(defaults);
  }
  m_mask = pointers.mask;
  m_lastChoice = m_numberOfChoices - 1;
  m_hasW = !pointers.w.empty();
  m_slots.assign(pointers.u.size() + 1, S_Slot{});
  for (std::size_t i = 0; i < pointers.u.size(); ++i)
  {
    m_slots[i + 1].u = pointers.u[i];
    m_slots[i + 1].v = pointers.v[i];
    m_slots[i + 1].w = m_hasW ? pointers.w[i] : nullptr;
  }
}
} // namespace BufferApi
