#pragma once

// Reading of TIFF files into buffers: the files of this module exactly, and
// the common grey and RGB files of other programs.

#include <cstdio>

namespace BufferApi
{
class I_Buffer;
}

namespace BufferTiff
{
//! A new buffer with one frame per page (the pages of one of our frames
//! joined again); the caller owns it.
BufferApi::I_Buffer* ReadTiff(std::FILE* file);

//! The geometry of frame 0 and the frame count, read from the tags only; a
//! new buffer without frames, holding the buffer attributes when asked.
BufferApi::I_Buffer* ReadTiffInformation(std::FILE* file, unsigned& sizeX, unsigned& sizeY, unsigned& sizeZ,
                                         unsigned& frames, bool withAttributes);

} // namespace BufferTiff
