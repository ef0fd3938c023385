#pragma once

namespace BufferApi
{
//! Registers the creators of the seven plane types with C_PlaneFactory; called
//! once from the library's start-up object.
void RegisterPlaneCreators();

} // namespace BufferApi
