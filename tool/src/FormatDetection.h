#pragma once

// Recognises a file's format by its first bytes, independent of the
// extension that selects the plugin, so that a misnamed file can be told.

#include <string>

namespace BufferTool
{
struct S_Detection
{
  //! "IM7", "VC7", "IMG", "IMX", "VEC", "BMP", "TIFF" or "unknown".
  std::string format = "unknown";
  //! The pack type the header states; -1 when the format has none or the file is too short.
  int packType = -1;
};

S_Detection DetectFormat(const std::string& path);

//! "note: file looks like IM7 but its extension is .vec", or "" when the
//! extension fits what the bytes say (IMG and IMX name the same files).
std::string ExtensionNote(const std::string& path, const S_Detection& detection);

} // namespace BufferTool
