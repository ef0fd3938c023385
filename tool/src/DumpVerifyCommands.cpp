// `buffer dump` prints the library's dump of a file; `buffer verify` reads
// every file completely and tells which could not be read.

#include "Commands.h"
#include "Common.h"
#include "FormatDetection.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <string>
#include <vector>

using namespace BufferApi;
using nlohmann::json;

namespace BufferTool
{
namespace
{
struct S_VerifyOptions
{
  std::vector<std::string> files;
  bool asJson = false;
};

//! {"file", "ok", "frames"?, "error"?, "detected_format", "note"?} of one file.
json VerifyFile(const std::string& path)
{
  const S_Detection detection = DetectFormat(path);
  json result = {{"file", path}, {"detected_format", detection.format}};
  const std::string note = ExtensionNote(path, detection);
  if (!note.empty())
    result["note"] = note;
  try
  {
    const BufferPtr buffer = ImportFile(path);
    result["ok"] = true;
    result["frames"] = buffer->GetNumberOfFrames();
  }
  catch (const std::exception& e)
  {
    result["ok"] = false;
    result["error"] = e.what();
  }
  return result;
}

void PrintVerifyLine(const json& result)
{
  std::cout << result["file"].get<std::string>() << ": ";
  if (result["ok"].get<bool>())
    std::cout << "OK\n";
  else
    std::cout << "FAILED: " << result["error"].get<std::string>() << "\n";
  if (result.contains("note"))
    std::cout << "  " << result["note"].get<std::string>() << "\n";
}

void RunVerify(const S_VerifyOptions& options, int& exitCode)
{
  json all = json::array();
  for (const std::string& path : options.files)
  {
    json result = VerifyFile(path);
    if (!result["ok"].get<bool>())
      exitCode = 1;
    if (!options.asJson)
      PrintVerifyLine(result);
    all.push_back(std::move(result));
  }
  if (options.asJson)
    std::cout << all.dump(2) << "\n";
}
} // namespace

void AddDumpCommand(CLI::App& app, int& /*exitCode*/)
{
  auto path = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand("dump", "Print the library's text dump of the buffer in FILE");
  command->add_option("file", *path, "File to dump")->required();
  command->callback(
      [path]
      {
        const BufferPtr buffer = ImportFile(*path);
        std::cout << C_BufferDump(buffer.get()).ToString();
      });
}

void AddVerifyCommand(CLI::App& app, int& exitCode)
{
  auto options = std::make_shared<S_VerifyOptions>();
  CLI::App* command = app.add_subcommand("verify", "Read every file completely; print OK or FAILED: <reason> per file");
  command->add_option("files", options->files, "Files to check")->required();
  command->add_flag("--json", options->asJson, "Print a JSON array with one object per file");
  command->footer("Exit code 1 when any file failed.");
  command->callback([options, &exitCode] { RunVerify(*options, exitCode); });
}

} // namespace BufferTool
