#pragma once

namespace BufferApi
{
//! Registers "FT_VECTOR_2C" and then "FT_VECTOR_3C" with the frame factory
//! (library start-up).
void RegisterVectorFrameTypes();
} // namespace BufferApi
