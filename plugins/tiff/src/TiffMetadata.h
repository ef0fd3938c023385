#pragma once

// The JSON text of a page's ImageDescription: scales, frame and buffer
// attributes, and how the pages of a frame belong together.

#include <nlohmann/json.hpp>

#include <string>

namespace BufferApi
{
class I_AttributeBase;
class I_Buffer;
class I_Frame;
class I_Scale;
} // namespace BufferApi

namespace BufferTiff
{
//! The value of the description's "writer" member: it marks files of this module.
inline constexpr const char* kWriterName = "BufferTiff";

//! Texts of the library are 8-bit (Latin-1); JSON needs UTF-8. Code points
//! above 255 become '?'.
std::string Latin1ToUtf8(const std::string& text);
std::string Utf8ToLatin1(const std::string& text);

//! Numbers keep every bit; NaN and the infinities, which JSON lacks, become
//! the strings "NaN", "Infinity" and "-Infinity".
nlohmann::json NumberToJson(double value);
//! Raises "damaged description: <member> is no number" for anything else.
double NumberFromJson(const nlohmann::json& value, const char* member);

//! {"type":"linear","factor","offset","unit","description"}, or
//! {"type":"invalid","description"}; null for a null scale.
nlohmann::json ScaleToJson(const BufferApi::I_Scale* scale);
//! A new scale the caller owns; null for null.
BufferApi::I_Scale* ScaleFromJson(const nlohmann::json& value);

//! The children of `node` with their subtrees, each
//! {"name","type","value"|...,"children"}.
nlohmann::json AttributesToJson(const BufferApi::I_AttributeBase* node);
//! Appends the attributes of such an array to `parent`. Raises
//! "damaged description: ..." for members of the wrong kind.
void AttributesFromJson(const nlohmann::json& attributes, BufferApi::I_AttributeBase* parent);

//! Member "plane" (which plane of its frame the page holds) and "planes" (how
//! many the frame has, at least 1) of one of our descriptions.
unsigned PlaneOf(const nlohmann::json& description);
unsigned PlanesOf(const nlohmann::json& description);

//! Name, scales and attributes of a frame's first page description.
void ApplyFrameDescription(const nlohmann::json& description, BufferApi::I_Frame* frame);
//! The buffer attributes of the first page's description, when it has them.
void ApplyBufferDescription(const nlohmann::json& description, BufferApi::I_Buffer* buffer);

//! The object of our description, or null when the text is no JSON object
//! written by this module.
nlohmann::json ParseDescription(const char* text);

} // namespace BufferTiff
