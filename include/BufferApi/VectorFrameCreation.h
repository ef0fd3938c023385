#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/I_FrameVector2C.h>
#include <BufferApi/I_FrameVector3C.h>

namespace BufferApi
{
//! A new "FT_VECTOR_2C" frame of float vectors with `numberOfChoices`
//! choices, every vector disabled with the first choice selected, made by the
//! frame factory. Raises RTE::VerificationFailed for a zero width, height,
//! depth or number of choices (checked in that order). Null when the frame
//! could not be made; the caller owns it.
BUFFER_API I_FrameVector2C* CreateVectorFrame2C(unsigned width, unsigned height, unsigned depth,
                                                unsigned numberOfChoices);

//! As CreateVectorFrame2C for an "FT_VECTOR_3C" frame.
BUFFER_API I_FrameVector3C* CreateVectorFrame3C(unsigned width, unsigned height, unsigned depth,
                                                unsigned numberOfChoices);
} // namespace BufferApi
