#pragma once

// Reading and writing of the legacy IMG, IMX and VEC files: a 256-byte header
// of fixed fields, the planes (unpacked, or IMX-packed for file type 19) and
// the extended header of tags.

#include <cstdio>

namespace BufferApi
{
class I_Buffer;

//! Fills the empty `buffer` from the file at its current position.
//! `vectorFile`: the file came as .vec, so that the plane rows tell the
//! vector format.
void ReadLegacy(I_Buffer* buffer, std::FILE* file, bool vectorFile, bool convertByteToWord);

//! Stores the buffer at the file's current position; `imgPacking` stores
//! 16-bit data unpacked (file type 18), otherwise IMX-packed (19).
void WriteLegacy(const I_Buffer* buffer, std::FILE* file, bool imgPacking);

} // namespace BufferApi
