#pragma once

// Helpers every subcommand shares: the failure type, buffer ownership,
// names of element and frame types, and parsing of numeric arguments.

#include <BufferApi.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace BufferTool
{
//! A failure the tool reports on stderr; main turns it into exit code 1.
class ToolError : public std::runtime_error
{
public:
  using std::runtime_error::runtime_error;
};

using BufferPtr = std::unique_ptr<BufferApi::I_Buffer>;

//! The whole file through the plugin its extension selects; library failures pass through.
BufferPtr ImportFile(const std::string& path);

std::string DataTypeName(BufferApi::E_DataType type);
//! "image", "RGB", "profile", "vector 2C", "vector 3C" or "other".
std::string FrameTypeName(const BufferApi::I_Frame* frame);
//! The extension after the last dot of the file name, upper case; "" without one.
std::string UpperExtension(const std::string& path);
std::uintmax_t FileSize(const std::string& path);

//! A whole non-negative decimal number; raises ToolError naming `what` otherwise.
unsigned ParseUnsigned(const std::string& text, const std::string& what);
//! A decimal number in any notation strtod accepts; raises ToolError naming `what` otherwise.
double ParseDouble(const std::string& text, const std::string& what);

//! The frame `index` of buffer, or ToolError "frame N does not exist (the file has M frames)".
BufferApi::I_Frame* FrameAt(const BufferApi::I_Buffer& buffer, unsigned index);

} // namespace BufferTool
