#pragma once

// Raising of the TIFF module's failures.

#include <string>

namespace BufferTiff
{
//! Raises RTE::Exception with "TIFF file: " + message.
[[noreturn]] void Fail(const std::string& message);

} // namespace BufferTiff
