#pragma once

// Registration of the built-in file-format plugins under "Korimend.Buffer2File".

#include <functional>

namespace BufferApi
{
//! Registers IM7, VC7, IMG, IMX and VEC, in this order.
void RegisterFilePlugins();

//! Runs one registration; an exception it throws is recorded with the plugin
//! registry's AddError and goes no further, so loading goes on.
void RegisterGuarded(const std::function<void()>& registration);

} // namespace BufferApi
