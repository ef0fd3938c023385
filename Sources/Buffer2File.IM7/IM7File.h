#pragma once

// Reading and writing of the IM7 container (IM7 images and VC7 vector fields).

#include <cstdio>

namespace BufferApi
{
class I_Buffer;

//! Fills the empty `buffer` from the file at its current position. Without
//! `readData` the frames describe the file (count, types, attributes, mask)
//! without holding its data. The four sizes receive the header's values.
void ReadIM7(I_Buffer* buffer, std::FILE* file, bool readData, bool readAttributes, bool convertByteToWord,
             bool setLegacyProfile, unsigned int* sizeX, unsigned int* sizeY, unsigned int* sizeZ,
             unsigned int* frames);

//! The import steps every reader of the container ends with: "_Header_PackType",
//! removal of "SourceFileExp", the frame times and, when asked, 8-bit images
//! turned into 16-bit ones.
void PostProcessImport(I_Buffer* buffer, int packType, bool convertByteToWord);

//! Stores the buffer at the file's current position; `requestedPackType` is
//! the "PackType" export option.
void WriteIM7(const I_Buffer* buffer, std::FILE* file, unsigned int requestedPackType);

//! The buffer format code of the header and the geometry of the frames that
//! the file will hold.
int DetermineIM7Format(const I_Buffer* buffer, unsigned int& sizeX, unsigned int& sizeY, unsigned int& sizeZ,
                       unsigned int& framesToStore, unsigned int& deletableComponents, unsigned int& grid,
                       unsigned int& bytesPerElement);

} // namespace BufferApi
