#include "FormatDetection.h"

#include "Common.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace BufferTool
{
namespace
{
constexpr std::size_t kHeaderBytes = 16;

//! Little-endian signed 16-bit word at offset.
int Int16At(const std::vector<unsigned char>& bytes, std::size_t offset)
{
  return static_cast<std::int16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

bool IsVectorCode(int code)
{
  return code >= 1 && code <= 6;
}

std::vector<unsigned char> FirstBytes(const std::string& path)
{
  std::vector<unsigned char> bytes(kHeaderBytes);
  std::ifstream file(path, std::ios::binary);
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(file ? bytes.size() : std::size_t(file.gcount())));
  return bytes;
}

//! The container: type word 0, then the pack type and the buffer format code.
bool DetectContainer(const std::vector<unsigned char>& bytes, S_Detection& detection)
{
  if (Int16At(bytes, 0) != 0)
    return false;
  const int packType = Int16At(bytes, 2);
  const int code = Int16At(bytes, 4);
  const bool imageCode = code == 0 || code == -2 || code == -3 || code == -4 || code == -5 || code == -10 ||
                         code == -11 || code == -20 || code == -21;
  if (packType < 0 || packType > 19 || !(imageCode || IsVectorCode(code)))
    return false;
  detection.format = IsVectorCode(code) ? "VC7" : "IM7";
  detection.packType = packType;
  return true;
}

//! The older files: a type word 18 to 23; type 19 is IMX-packed, a vector code at offset 14 makes a VEC file.
bool DetectLegacy(const std::vector<unsigned char>& bytes, S_Detection& detection)
{
  const int type = Int16At(bytes, 0);
  if (type < 18 || type > 23)
    return false;
  if (IsVectorCode(Int16At(bytes, 14)))
    detection.format = "VEC";
  else
    detection.format = type == 19 ? "IMX" : "IMG";
  detection.packType = type == 19 ? 1 : 0;
  return true;
}

bool StartsWith(const std::vector<unsigned char>& bytes, const char* magic, std::size_t length)
{
  return bytes.size() >= length && std::memcmp(bytes.data(), magic, length) == 0;
}

//! Extensions that name the format: IMG and IMX are one family, TIF and TIFF too.
bool ExtensionFits(const std::string& extension, const std::string& format)
{
  if (format == "IMG" || format == "IMX")
    return extension == "IMG" || extension == "IMX";
  if (format == "TIFF")
    return extension == "TIF" || extension == "TIFF";
  return extension == format;
}
} // namespace

S_Detection DetectFormat(const std::string& path)
{
  S_Detection detection;
  const std::vector<unsigned char> bytes = FirstBytes(path);
  if (StartsWith(bytes, "II*\0", 4) || StartsWith(bytes, "MM\0*", 4))
    detection.format = "TIFF";
  else if (StartsWith(bytes, "BM", 2))
    detection.format = "BMP";
  else if (bytes.size() == kHeaderBytes && !DetectContainer(bytes, detection))
    DetectLegacy(bytes, detection);
  return detection;
}

std::string ExtensionNote(const std::string& path, const S_Detection& detection)
{
  const std::string extension = UpperExtension(path);
  const std::string shown = std::filesystem::path(path).extension().string();
  if (!std::filesystem::exists(path))
    return "";
  if (detection.format == "unknown")
    return "note: the content of the file is not recognised";
  if (ExtensionFits(extension, detection.format))
    return "";
  return "note: file looks like " + detection.format + " but its extension is " + (shown.empty() ? "missing" : shown);
}

} // namespace BufferTool
