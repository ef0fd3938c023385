#pragma once

namespace BufferApi
{
//! Registers the creators of the nine attribute kinds with C_AttributeFactory.
//! Called once by the library start-up, after planes, units and scales.
void RegisterAttributeCreators();
} // namespace BufferApi
