#pragma once

// The extended header of IM7, VC7 and the legacy files (tags for scales and
// attributes) and the blocks behind it: typed scalars and per-frame component
// scales.

#include <cstdio>
#include <string>
#include <vector>

namespace BufferApi
{
class I_Buffer;

//! Writes the tags of the buffer's scales and attribute trees and the end tag.
//! `legacy` selects the tag set of the legacy formats. Frame tags are written
//! for the first `storedFrames` frames only (those the file holds); the form
//! without it writes them for every frame.
void WriteExtendedHeader(const I_Buffer* buffer, std::FILE* file, bool legacy);
void WriteExtendedHeader(const I_Buffer* buffer, std::FILE* file, bool legacy, unsigned storedFrames);
//! As above, with further attribute tags ("name=value" texts of tag 6) after
//! the frames' tags.
void WriteExtendedHeader(const I_Buffer* buffer, std::FILE* file, bool legacy, unsigned storedFrames,
                         const std::vector<std::string>& attributeTexts);
//! Reads tags from the current position up to the end tag into the buffer,
//! whose frames exist already.
void ReadExtendedHeader(I_Buffer* buffer, std::FILE* file);

//! True when the buffer holds typed scalars that WriteTypedScalars stores.
bool HasTypedScalars(const I_Buffer* buffer);
//! The typed-scalar block: frame-bound typed-scalar components of frame 0 and
//! global "TS:" attributes.
//! Writing: `packType` is the pack type for the data (0 to 19; 19 as
//! requested by the caller, the pack-type word then holds the header's 1).
//! Records of frame components hold the first `storedFrames` frames.
//! Reading: `packType` is the typed-scalar pack type of the header; when it
//! is not 0 each record's pack-type word decides.
void WriteTypedScalars(const I_Buffer* buffer, std::FILE* file, int packType);
void WriteTypedScalars(const I_Buffer* buffer, std::FILE* file, int packType, unsigned storedFrames);
void ReadTypedScalars(I_Buffer* buffer, std::FILE* file, int packType);

//! True when some frame's typed-scalar component has another scale than
//! frame 0's, so that a component-scale block is needed.
//! Only the first `storedFrames` frames count; the forms without it count
//! every frame. The stored component index is the one the component has in
//! the frame the reader builds: the frame type's own components, "MASK" when
//! frame 0 has a mask, then the typed-scalar records in order.
bool HasComponentScales(const I_Buffer* buffer);
bool HasComponentScales(const I_Buffer* buffer, unsigned storedFrames);
//! The per-frame component-scale block.
void WriteComponentScales(const I_Buffer* buffer, std::FILE* file);
void WriteComponentScales(const I_Buffer* buffer, std::FILE* file, unsigned storedFrames);
void ReadComponentScales(I_Buffer* buffer, std::FILE* file);

} // namespace BufferApi
