#pragma once

// The planes of one frame in the order of the data block: plane index k
// (0 to P + E - 1, P from the format, E the extra components), then z. Each
// file plane is size X * size Y elements of the format's element type.

#include "Buffer2File.IM7/IM7Header.h"

#include <vector>

namespace BufferApi
{
class I_Buffer;
class I_Frame;

namespace IM7
{
//! Writing: the bytes of file plane (k, z) of frame. Where the frame holds
//! them in file form this is the frame's own memory; otherwise `scratch`
//! (resized as needed) receives them.
const void* FilePlaneOf(const I_Frame& frame, const Format& format, unsigned k, unsigned z,
                        std::vector<unsigned char>& scratch);

//! Reading: where file plane (k, z) goes. The frame's own memory when it
//! takes the file form as it is (`direct` true); otherwise `scratch`, and
//! StorePlane must follow once it is filled.
void* ReadTargetOf(I_Frame& frame, const Format& format, unsigned k, unsigned z, std::vector<unsigned char>& scratch,
                   bool& direct);
//! Moves a file plane read into scratch into the frame.
void StorePlane(I_Frame& frame, const Format& format, unsigned k, unsigned z, const void* data);
//! Work that needs all planes of a frame (the enabled flags of one-choice
//! vector frames).
void FinishFrame(I_Frame& frame, const Format& format);

//! Moves an unpacked data block into the first `frames` frames of the
//! buffer: frame after frame, `stacks` (P + E) stacks of `depth` planes of
//! `planeBytes` bytes each.
void DistributeBlock(I_Buffer& buffer, const Format& format, unsigned frames, unsigned stacks, unsigned depth,
                     std::uint64_t planeBytes, const unsigned char* block);

} // namespace IM7
} // namespace BufferApi
