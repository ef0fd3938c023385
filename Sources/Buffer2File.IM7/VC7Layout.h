#pragma once

// The plane layout of vector frames in VC7 files: per z plane the
// active-choice plane, U, V (and W) of every choice, and the peak ratio.

#include "Buffer2File.IM7/IM7Header.h"

#include <vector>

namespace BufferApi
{
class I_Frame;
class I_FrameVector;

namespace VC7
{
//! "Peak ratio": the component that codes 3 and 5 store as their last plane.
extern const char* const kPeakRatio;

const void* FilePlaneOf(const I_FrameVector& frame, const IM7::Format& format, unsigned k, unsigned z,
                        std::vector<unsigned char>& scratch);
void* ReadTargetOf(I_FrameVector& frame, const IM7::Format& format, unsigned k, unsigned z,
                   std::vector<unsigned char>& scratch, bool& direct);
void StorePlane(I_FrameVector& frame, const IM7::Format& format, unsigned k, unsigned z, const void* data);
void FinishFrame(I_FrameVector& frame, const IM7::Format& format);

} // namespace VC7
} // namespace BufferApi
