#pragma once

// Building blocks for Windows bitmap (BMP) files and for image exporters:
// a bitmap file read into one memory block, such a block turned into a
// buffer, the size computations of the format, a pre-export check and the
// shift that brings 16-bit data into 8 bits.
//
// Bitmap block: one block from malloc, released by the caller with free,
// holding the info header (biSize bytes as in the file), the colour table
// (4 bytes per entry: blue, green, red, reserved) and the pixel rows as the
// file stores them (bottom-up, each row padded to a multiple of 4 bytes).
// biCompression 1025 marks 16-bit 5-6-5 data, 1026 32-bit data whose
// channels sit in the upper three bytes.

#include <BufferApi/BufferApiExport.h>
#include <BufferApi/tagBITMAPINFOHEADER.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace BufferApi
{
class I_Buffer;
}

namespace B2FIOHelpers
{
using BufferApi::tagBITMAPINFOHEADER;

//! How colour becomes a pixel value.
// A fixed underlying type: values outside the enumerators can be passed and refused.
enum RgbColorMode_t : int
{
  //! blue + green + red (of the palette entry), 16-bit image.
  RgbColorMode_Sum = 0,
  //! (green * 587 + red * 299 + blue * 114) >> 2, 16-bit image.
  RgbColorMode_Luminance = 1,
  //! The colour itself, RGB frame.
  RgbColorMode_Color = 2,
  //! The palette index (blue + green + red without palette), 16-bit image.
  RgbColorMode_Index = 3
};

//! biCompression marks of special layouts.
constexpr std::uint32_t kBitmap565 = 1025;
constexpr std::uint32_t kBitmapUpper24 = 1026;

//! Reads the bitmap file from its start into a new block (see above); null
//! when the block cannot be allocated. Every size of the file is checked
//! against the file first; bit counts other than 1, 4, 8, 16, 24 and 32 and
//! widths or heights that are 0, negative (width) or beyond the file raise
//! RTE::Exception.
BUFFER_API tagBITMAPINFOHEADER* ReadBMPtoMem(std::FILE* file);

//! A new buffer with one frame: an RGB frame for RgbColorMode_Color, else a
//! 16-bit image. Rows are taken bottom-up whatever the sign of biHeight.
BUFFER_API BufferApi::I_Buffer* CreateBufferFromBitmap(tagBITMAPINFOHEADER* bitmap, RgbColorMode_t mode);

//! Colour-table entries: 2, 16 or 256 for 1, 4 or 8 bits (at most biClrUsed
//! when that is not 0), else 0.
BUFFER_API unsigned int GetBitmapLookupTableSize(tagBITMAPINFOHEADER* bitmap);

//! The size of the pixel data in bytes; width and height are |biWidth| and
//! |biHeight|, bytes per row the padded row length (0 for an unknown bit
//! count).
BUFFER_API std::uint64_t GetBitmapSize(tagBITMAPINFOHEADER* bitmap, unsigned int& width, unsigned int& height,
                                       unsigned int& bytesPerRow);

//! The right shift that brings the buffer's "PIXEL" values into 8 bits;
//! `bits` other than 0 gives bits - 1 without looking at the data.
BUFFER_API int GetBitshift(const BufferApi::I_Buffer* buffer, int bits);

//! Checks that a buffer holds image or RGB frames to export and reports
//! frame 0's geometry, the total number of planes (height * frames * depth)
//! and whether the last frame is an RGB frame.
BUFFER_API void CheckExport(const std::string& fileType, const BufferApi::I_Buffer* buffer, unsigned int& width,
                            unsigned int& height, unsigned int& depth, unsigned int& frames, unsigned int& totalPlanes,
                            bool& rgb);

} // namespace B2FIOHelpers
