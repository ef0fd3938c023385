#include <BufferApi/C_CompatibleVectorPlaneAccess.h>

#include "VectorPlanePointers.h"

#include <BufferApi/I_FrameVector.h>
#include <RTE/Exception.h>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = "Sources\\C_CompatibleVectorPlaneAccess";
} // namespace

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
  m_activeChoice = pointers.activeChoice;
  m_peakRatio = pointers.peakRatio;
  m_enabled = pointers.enabled;
  m_mask = pointers.mask;
  m_u = std::move(pointers.u);
  m_v = std::move(pointers.v);
  m_w = std::move(pointers.w);
  m_hasW = !m_w.empty();
}
} // namespace BufferApi
