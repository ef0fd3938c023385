#pragma once

#include <cstdint>
#include <vector>

namespace BufferApi
{
class I_Buffer;
class I_FrameVector;

//! The data pointers of one z plane of a vector frame, as the plane access
//! classes cache them.
struct S_VectorPlanePointers
{
  int numberOfChoices = 0;
  unsigned width = 0;
  unsigned height = 0;
  std::int32_t* activeChoice = nullptr;
  float* peakRatio = nullptr;
  std::uint8_t* enabled = nullptr;
  std::uint8_t* mask = nullptr;
  std::vector<float*> u;
  std::vector<float*> v;
  //! Filled only when every choice has a W component.
  std::vector<float*> w;
};

//! Collects the pointers of plane z. U(i) and V(i) must have plane z (raises
//! RTE::Exception otherwise). With `strict`, ACTIVE_CHOICE, ENABLED, "Peak
//! ratio" and "MASK" must have plane z when they exist (RTE::VerificationFailed
//! otherwise); without, such a component is treated as absent. Components
//! whose elements are narrower than the raw element read from them, and
//! planes without data, raise RTE::Exception. `sourceUnit` locates the raise.
S_VectorPlanePointers CollectVectorPlanePointers(const I_FrameVector& frame, unsigned z, bool strict,
                                                 const char* sourceUnit);

//! Frame `frameIndex` of buffer as a vector frame: null when buffer or frame is
//! missing; raises "The frame is not a vector frame." for any other frame.
const I_FrameVector* GetVectorFrameOfBuffer(const I_Buffer* buffer, unsigned frameIndex, const char* sourceUnit);
} // namespace BufferApi
