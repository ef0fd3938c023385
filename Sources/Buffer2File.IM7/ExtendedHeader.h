#pragma once

// The extended header of IM7, VC7 and the legacy files (tags for scales and
// attributes) and the blocks behind it: typed scalars and per-frame component
// scales.

#include <cstdio>

namespace BufferApi
{
class I_Buffer;

//! Writes the tags of the buffer's scales and attribute trees and the end tag.
//! `legacy` selects the tag set of the legacy formats.
void WriteExtendedHeader(const I_Buffer* buffer, std::FILE* file, bool legacy);
//! Reads tags from the current position up to the end tag into the buffer,
//! whose frames exist already.
void ReadExtendedHeader(I_Buffer* buffer, std::FILE* file);

//! True when the buffer holds typed scalars that WriteTypedScalars stores.
bool HasTypedScalars(const I_Buffer* buffer);
//! The typed-scalar block: frame-bound typed-scalar components of frame 0 and
//! global "TS:" attributes, data packed with `packType`.
void WriteTypedScalars(const I_Buffer* buffer, std::FILE* file, int packType);
void ReadTypedScalars(I_Buffer* buffer, std::FILE* file, int packType);

//! True when some frame's typed-scalar component has another scale than
//! frame 0's, so that a component-scale block is needed.
bool HasComponentScales(const I_Buffer* buffer);
//! The per-frame component-scale block.
void WriteComponentScales(const I_Buffer* buffer, std::FILE* file);
void ReadComponentScales(I_Buffer* buffer, std::FILE* file);

} // namespace BufferApi
