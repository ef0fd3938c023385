#include <BufferApi/C_VectorPlaneAccess.h>

#include "VectorPlanePointers.h"

#include <BufferApi/I_FrameVector.h>
#include <RTE/Exception.h>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
} // namespace

C_VectorPlaneAccess::C_VectorPlaneAccess(const I_FrameVector* frame, unsigned plane)
{
  Init(frame, plane);
}

C_VectorPlaneAccess::C_VectorPlaneAccess(const I_Buffer* buffer, unsigned frameIndex, unsigned plane)
{
  Init(GetVectorFrameOfBuffer(buffer, frameIndex, kSourceUnit), plane);
}

C_VectorPlaneAccess::~C_VectorPlaneAccess() = default;

void C_VectorPlaneAccess::Init(const I_FrameVector* frame, unsigned plane)
{
  if (!frame)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The vector frame must not be NULL.");
  }
  S_VectorPlanePointers pointers = CollectVectorPlanePointers(*frame, plane, false, kSourceUnit);
  m_numberOfChoices = pointers.numberOfChoices;
  m_width = pointers.width;
  m_height = pointers.height;
  m_activeChoice = pointers.activeChoice;
  m_peakRatio = pointers.peakRatio;
  m_enabled = pointers.enabled;
  m_u = std::move(pointers.u);
  m_v = std::move(pointers.v);
  m_w = std::move(pointers.w);
  m_hasW = !m_w.empty();
}
} // namespace BufferApi
