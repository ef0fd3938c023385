#include "Common.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

using namespace BufferApi;

namespace BufferTool
{
BufferPtr ImportFile(const std::string& path)
{
  if (!std::filesystem::exists(path))
    throw ToolError("no such file: " + path);
  BufferPtr buffer(ImportBuffer(path, RTE::Parameter::CreateTree()));
  if (!buffer)
    throw ToolError("the plugin returned no buffer for " + path);
  return buffer;
}

std::string DataTypeName(E_DataType type)
{
  switch (type)
  {
  case DT_Bool:
    return "bool";
  case DT_UInt8:
    return "uint8";
  case DT_RGB:
    return "rgb";
  case DT_Double:
    return "double";
  case DT_Float:
    return "float";
  case DT_Int32:
    return "int32";
  case DT_UInt32:
    return "uint32";
  case DT_UInt16:
    return "uint16";
  }
  return "unknown";
}

std::string FrameTypeName(const I_Frame* frame)
{
  // RGB frames are image frames too: the more derived interface first.
  if (dynamic_cast<const I_FrameRGB*>(frame))
    return "RGB";
  if (dynamic_cast<const I_FrameImage*>(frame))
    return "image";
  if (dynamic_cast<const I_FrameProfile*>(frame))
    return "profile";
  if (dynamic_cast<const I_FrameVector2C*>(frame))
    return "vector 2C";
  if (dynamic_cast<const I_FrameVector3C*>(frame))
    return "vector 3C";
  return "other";
}

std::string UpperExtension(const std::string& path)
{
  const std::string name = std::filesystem::path(path).filename().string();
  const auto dot = name.rfind('.');
  if (dot == std::string::npos)
    return "";
  std::string extension = name.substr(dot + 1);
  for (char& c : extension)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return extension;
}

std::uintmax_t FileSize(const std::string& path)
{
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

unsigned ParseUnsigned(const std::string& text, const std::string& what)
{
  const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  errno = 0;
  const unsigned long long value = digitsOnly ? std::strtoull(text.c_str(), nullptr, 10) : 0;
  if (!digitsOnly || errno == ERANGE || value > 0xFFFFFFFFull)
    throw ToolError(what + " must be a whole number >= 0, not '" + text + "'");
  return static_cast<unsigned>(value);
}

double ParseDouble(const std::string& text, const std::string& what)
{
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno == ERANGE)
    throw ToolError(what + " must be a number, not '" + text + "'");
  return value;
}

I_Frame* FrameAt(const I_Buffer& buffer, unsigned index)
{
  I_Frame* frame = buffer.GetFrame(index);
  if (!frame)
    throw ToolError("frame " + std::to_string(index) + " does not exist (the file has " +
                    std::to_string(buffer.GetNumberOfFrames()) + " frames)");
  return frame;
}

} // namespace BufferTool
