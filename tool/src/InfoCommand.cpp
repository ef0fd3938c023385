// `buffer info`: one line per file, optionally with the attribute and scale
// trees, as text or JSON.

#include "Commands.h"
#include "Common.h"
#include "Describe.h"
#include "FormatDetection.h"

#include <iostream>
#include <string>
#include <vector>

using namespace BufferApi;
using nlohmann::json;

namespace BufferTool
{
namespace
{
struct S_InfoOptions
{
  std::vector<std::string> files;
  bool verbose = false;
  bool asJson = false;
  bool quick = false;
};

struct S_Described
{
  BufferPtr buffer;
  unsigned sizeX = 0, sizeY = 0, sizeZ = 0, frames = 0;
};

//! The header read first; the full import where the header does not carry
//! everything (typed scalars live in blocks only a full read visits), or
//! where the plugin cannot describe a file without reading it.
S_Described Describe(const std::string& path, bool quick)
{
  S_Described described;
  try
  {
    described.buffer.reset(
        GetImportInformation(path, described.sizeX, described.sizeY, described.sizeZ, described.frames, true));
  }
  catch (const std::exception&)
  {
    described.buffer.reset();
  }
  if (described.buffer && quick)
    return described;
  BufferPtr full = ImportFile(path);
  if (const I_Frame* frame = full->GetFrame(0))
    frame->GetSize(described.sizeX, described.sizeY, described.sizeZ);
  described.frames = static_cast<unsigned>(full->GetNumberOfFrames());
  described.buffer = std::move(full);
  return described;
}

json PackType(const I_Buffer& buffer, const S_Detection& detection)
{
  const C_BufferAttributes attributes(const_cast<I_Buffer*>(&buffer));
  if (attributes.Get("_Header_PackType"))
    return std::stoi(attributes.GetString("_Header_PackType"));
  if (detection.packType >= 0)
    return detection.packType;
  return nullptr;
}

json FrameDetails(const I_Buffer& buffer)
{
  json frames = json::array();
  for (unsigned i = 0; i < buffer.GetNumberOfFrames(); ++i)
  {
    const I_Frame* frame = buffer.GetFrame(i);
    frames.push_back({{"index", i},
                      {"name", frame->GetName()},
                      {"scales", DescribeScales(*frame)},
                      {"attributes", DescribeAttributeChildren(frame->GetAttributeRoot())}});
  }
  return frames;
}

json InfoOf(const std::string& path, const S_InfoOptions& options)
{
  const S_Detection detection = DetectFormat(path);
  json info = {{"file", path}, {"format", UpperExtension(path)}, {"detected_format", detection.format}};
  const std::string note = ExtensionNote(path, detection);
  if (!note.empty())
    info["note"] = note;
  const S_Described described = Describe(path, options.quick);
  const I_Buffer& buffer = *described.buffer;
  const I_Frame* first = buffer.GetFrame(0);
  info["frames"] = described.frames;
  info["frame_type"] = first ? FrameTypeName(first) : "none";
  info["size"] = {{"x", described.sizeX}, {"y", described.sizeY}, {"z", described.sizeZ}};
  info["element_type"] = first ? DataTypeName(first->GetDataType()) : "none";
  info["pack_type"] = PackType(buffer, detection);
  info["mask"] = first && first->HasMask();
  if (!options.quick)
    info["typed_scalars"] = TypedScalarNames(buffer);
  if (options.verbose)
  {
    info["attributes"] = DescribeAttributeChildren(buffer.GetAttributeRoot());
    info["frame_details"] = FrameDetails(buffer);
  }
  return info;
}

std::string SizeText(const json& size)
{
  std::string text = std::to_string(size["x"].get<unsigned>()) + "x" + std::to_string(size["y"].get<unsigned>());
  if (size["z"].get<unsigned>() > 1)
    text += "x" + std::to_string(size["z"].get<unsigned>());
  return text;
}

std::string ListText(const json& names)
{
  if (names.empty())
    return "none";
  std::string text;
  for (const auto& name : names)
    text += (text.empty() ? "" : ", ") + name.get<std::string>();
  return text;
}

std::string SummaryLine(const json& info)
{
  const unsigned frames = info["frames"].get<unsigned>();
  std::string line = info["file"].get<std::string>() + ": " + info["detected_format"].get<std::string>() + ", " +
                     std::to_string(frames) + (frames == 1 ? " frame, " : " frames, ") +
                     info["frame_type"].get<std::string>() + ", " + SizeText(info["size"]) + ", " +
                     info["element_type"].get<std::string>();
  if (!info["pack_type"].is_null())
    line += ", pack type " + std::to_string(info["pack_type"].get<int>());
  line += std::string(", mask ") + (info["mask"].get<bool>() ? "yes" : "no");
  line += ", typed scalars: " + (info.contains("typed_scalars") ? ListText(info["typed_scalars"]) : "not read");
  return line;
}

std::string ValueText(const json& value)
{
  if (value.is_string())
    return value.get<std::string>();
  if (value.is_object())
    return value.dump();
  return value.dump();
}

void PrintAttributes(const json& attributes, const std::string& indent)
{
  for (const auto& attribute : attributes)
  {
    std::cout << indent << attribute["name"].get<std::string>() << " (" << attribute["type"].get<std::string>() << ")";
    if (attribute.contains("value"))
      std::cout << " = " << ValueText(attribute["value"]);
    std::cout << "\n";
    if (attribute.contains("children"))
      PrintAttributes(attribute["children"], indent + "  ");
  }
}

void PrintScales(const json& scales, const std::string& indent)
{
  for (const char* axis : {"X", "Y", "Z", "value"})
  {
    const json& scale = scales[axis];
    std::cout << indent << axis << ": ";
    if (scale.is_null())
      std::cout << "none\n";
    else
    {
      const std::string description = scale["description"].get<std::string>();
      std::cout << scale["factor"].get<double>() << " * v + " << scale["offset"].get<double>() << " ["
                << scale["unit"].get<std::string>() << "]" << (description.empty() ? "" : " " + description) << "\n";
    }
  }
}

void PrintText(const json& info)
{
  std::cout << SummaryLine(info) << "\n";
  if (info.contains("note"))
    std::cout << "  " << info["note"].get<std::string>() << "\n";
  if (!info.contains("attributes"))
    return;
  std::cout << "  attributes:\n";
  PrintAttributes(info["attributes"], "    ");
  for (const auto& frame : info["frame_details"])
  {
    std::cout << "  frame " << frame["index"].get<unsigned>() << " \"" << frame["name"].get<std::string>()
              << "\":\n    scales:\n";
    PrintScales(frame["scales"], "      ");
    std::cout << "    attributes:\n";
    PrintAttributes(frame["attributes"], "      ");
  }
}

void RunInfo(const S_InfoOptions& options, int& exitCode)
{
  json all = json::array();
  for (const std::string& path : options.files)
  {
    try
    {
      json info = InfoOf(path, options);
      if (!options.asJson)
        PrintText(info);
      all.push_back(std::move(info));
    }
    catch (const std::exception& e)
    {
      // The note often explains the failure: a file named for another format.
      const std::string note = ExtensionNote(path, DetectFormat(path));
      std::cerr << "buffer info: " << path << ": " << e.what() << "\n";
      if (!note.empty())
        std::cerr << "  " << note << "\n";
      all.push_back({{"file", path}, {"error", e.what()}});
      if (!note.empty())
        all.back()["note"] = note;
      exitCode = 1;
    }
  }
  if (options.asJson)
    std::cout << all.dump(2) << "\n";
}
} // namespace

void AddInfoCommand(CLI::App& app, int& exitCode)
{
  auto options = std::make_shared<S_InfoOptions>();
  CLI::App* command = app.add_subcommand("info", "One line per file: format, frames, frame type, size, element type, "
                                                 "pack type, mask and typed scalars");
  command->add_option("files", options->files, "Files to describe")->required();
  command->add_flag("-v,--verbose", options->verbose, "Add the global and per-frame attributes and the scales");
  command->add_flag("--json", options->asJson, "Print a JSON array with one object per file");
  command->add_flag("--quick", options->quick,
                    "Read the header only (no full import; typed scalars are then not listed)");
  command->footer("The format is also recognised by the first bytes; a note tells when the extension does not fit.");
  command->callback([options, &exitCode] { RunInfo(*options, exitCode); });
}

} // namespace BufferTool
