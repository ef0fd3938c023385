#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/E_DataType.h>
#include <BufferApi/I_FrameImage.h>

#include <vector>

namespace BufferApi
{
//! A new image frame of depth planes of width x height zeroed elements of
//! `type` (an "FT_RGB" frame for DT_RGB), made by the frame factory. Sizes are
//! not checked. Null when the frame could not be made; the caller owns it.
BUFFER_API I_FrameImage* CreateImageFrame(E_DataType type, unsigned width, unsigned height, unsigned depth);

//! A new image frame whose pixel plane i adopts the C heap block planes[i]
//! (width * height elements, not cleared, released with free() by the plane).
//! Raises RTE::VerificationFailed for width 0, height 0 or an empty list.
//! On a null result no block has been adopted: the caller still owns them all.
BUFFER_API I_FrameImage* CreateImageFrameWithPlaneMemory(E_DataType type, unsigned width, unsigned height,
                                                         const std::vector<void*>& planes);
//! As above with one block (depth 1); raises RTE::VerificationFailed for a null block.
BUFFER_API I_FrameImage* CreateImageFrameWithPlaneMemory(E_DataType type, unsigned width, unsigned height,
                                                         void* memory);
} // namespace BufferApi
