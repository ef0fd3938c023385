#pragma once

// TIFF files for the import/export front end: a plugin module of its own that
// adds the keys "TIF" and "TIFF" under "Korimend.Buffer2File" through the
// public plugin interface only.

#if defined(BUFFER_TIFF_BUILDING)
#define BUFFER_TIFF_API __attribute__((visibility("default")))
#else
#define BUFFER_TIFF_API
#endif

namespace BufferTiff
{
//! Registers the TIFF plugins. Runs once when the module is loaded; calling
//! it again does nothing, so a program may call it to make sure the module is
//! linked in.
BUFFER_TIFF_API void RegisterTiffPlugins();

} // namespace BufferTiff
