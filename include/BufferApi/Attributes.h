#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/BufAttr_Type.h>
#include <BufferApi/E_DataType.h>

#include <string>
#include <vector>

namespace BufferApi
{
class I_AttributeBase;
class I_Buffer;

//! Helpers of the flat-name attribute access (C_BufferAttributes,
//! C_FrameAttributes). A flat name is an attribute path, followed by the frame
//! index in decimal for an attribute of a frame ("Exposure3"). Names beginning
//! with "TS:" belong to typed scalars and are never handled here.
namespace Attributes
{
//! Splits a flat name into the attribute path and the frame index (-1 for a
//! buffer-global attribute). False for the empty name, "TS:" names and a
//! single digit. Names beginning with "DevData", "ExpPathValue_", "Component",
//! "ProfileName" or "Geo" are always global. A frame index too large for an
//! int is reported as INT_MAX, which no buffer reaches.
BUFFER_API bool GetFrameIndexAndName(const std::string& fullName, std::string& name, int& frameIndex);

//! The reported type of an attribute; BufAttr_Unknown for null.
BUFFER_API BufAttr_Type GetType(const I_AttributeBase* attribute);

//! value := the text of a string attribute (true); empty and false for anything else.
BUFFER_API bool GetString(const I_AttributeBase* attribute, std::string& value);

//! Copies up to count values of a numeric attribute to destination,
//! converted to type (DT_Double, DT_Float, DT_Int32 or DT_UInt16; other types
//! or a null destination write nothing). Scalars give 1, plane attributes the
//! number of elements copied (all of them, width x height, without
//! destination); strings, nodes, unsigned 32-bit and scale attributes give 0.
//! Float and double values go to integers by truncation toward zero (to int32
//! saturated at its limits; to unsigned 16-bit as the low 16 bits of the
//! 64-bit integer).
BUFFER_API int GetArrayData(I_AttributeBase* attribute, unsigned count, E_DataType type, void* destination);

//! Width and height of the plane of a plane attribute; 0 and 0 for anything else.
BUFFER_API void GetPlaneSize(I_AttributeBase* attribute, unsigned& width, unsigned& height);

//! Appends the flat names and the attributes of the tree below node: depth
//! first, a node before its descendants, siblings from the last to the first;
//! plain grouping nodes and the root (isRoot) are not listed themselves;
//! subtrees whose name begins with "TS:" are skipped. Each name is prefix +
//! dotted path + suffix.
BUFFER_API void GetList(I_AttributeBase* node, bool isRoot, const std::string& prefix, const std::string& suffix,
                        std::vector<std::string>& names, std::vector<I_AttributeBase*>& attributes);

//! Copies global attributes (copyGlobal) and frame attributes (copyFrames, for
//! the frames both buffers have) from source to destination. Without copyAll,
//! global attributes whose name begins with "TS:" or "_" stay behind. False
//! when a buffer is null.
BUFFER_API bool Copy(I_Buffer* source, I_Buffer* destination, bool copyGlobal, bool copyFrames, bool copyAll);

//! Copies the attributes of one frame to a frame of another (or the same)
//! buffer. False when a buffer is null or an index is out of range.
BUFFER_API bool Copy(I_Buffer* source, unsigned sourceFrame, I_Buffer* destination, unsigned destinationFrame);
} // namespace Attributes

//! Turns the key=value pieces of a file path into global string attributes
//! "ExpPathValue_<key>" of buffer and returns how many were written. Path
//! separators count as "_"; with stripExtension the text from the last "." on
//! is ignored. "C:/run/dt=10_T=25.set" gives "ExpPathValue_dt" = "10" and
//! "ExpPathValue_T" = "25".
BUFFER_API int CreateAttributesFromPathValues(I_Buffer* buffer, std::string path, bool stripExtension);
} // namespace BufferApi
