// `buffer convert`: any readable file to any writable format, one file or
// many into a folder, with a frame range and the pack type of IM7/VC7.

#include "Commands.h"
#include "Common.h"
#include "FrameRange.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

using namespace BufferApi;

namespace BufferTool
{
namespace
{
struct S_ConvertOptions
{
  std::vector<std::string> files;
  std::string outputFolder;
  std::string toExtension;
  std::optional<long long> packType;
  std::string frames;
};

struct S_Totals
{
  std::size_t files = 0;
  std::size_t frames = 0;
  std::uintmax_t bytesIn = 0;
  std::uintmax_t bytesOut = 0;
};

struct S_Job
{
  std::string input;
  std::string output;
};

std::vector<S_Job> PlanJobs(const S_ConvertOptions& options)
{
  std::vector<S_Job> jobs;
  if (options.outputFolder.empty())
  {
    if (!options.toExtension.empty())
      throw ToolError("--to needs -o DIR");
    if (options.files.size() != 2)
      throw ToolError("convert takes IN OUT, or IN... -o DIR --to EXT");
    jobs.push_back({options.files[0], options.files[1]});
    return jobs;
  }
  if (options.toExtension.empty())
    throw ToolError("-o DIR needs --to EXT (for example --to vc7)");
  std::string extension = options.toExtension;
  if (extension.front() == '.')
    extension.erase(0, 1);
  std::filesystem::create_directories(options.outputFolder);
  for (const std::string& input : options.files)
  {
    const std::filesystem::path stem = std::filesystem::path(input).stem();
    jobs.push_back({input, (std::filesystem::path(options.outputFolder) / stem).string() + "." + extension});
  }
  return jobs;
}

boost::shared_ptr<RTE::Parameter::C_Tree> ExportOptions(const std::string& output, const S_ConvertOptions& options)
{
  if (!IsFiletypeAvailable(UpperExtension(output)))
    throw ToolError("can't write files of type '" + UpperExtension(output) + "' (" + output + ")");
  boost::shared_ptr<RTE::Parameter::C_Tree> tree = GetExportParameter(output);
  if (options.packType)
  {
    if (!tree->Exists("PackType"))
      throw ToolError("--pack-type applies to IM7 and VC7 files only, not to " + output);
    tree->GetInteger("PackType")->SetValue(*options.packType);
  }
  return tree;
}

//! Keeps frames first .. end-1 only.
void SelectFrames(I_Buffer& buffer, const std::string& rangeText)
{
  if (rangeText.empty())
    return;
  const S_FrameRange range = ParseFrameRange(rangeText, static_cast<unsigned>(buffer.GetNumberOfFrames()));
  while (buffer.GetNumberOfFrames() > range.end)
    buffer.RemoveFrame(static_cast<unsigned>(buffer.GetNumberOfFrames() - 1));
  for (unsigned i = 0; i < range.first; ++i)
    buffer.RemoveFrame(0);
}

void ShowProgress(std::size_t done, std::size_t total, const std::string& name)
{
  constexpr std::size_t kWidth = 30;
  const std::size_t filled = total ? done * kWidth / total : kWidth;
  std::fprintf(stderr, "\r[%s%s] %zu/%zu %s\033[K", std::string(filled, '#').c_str(),
               std::string(kWidth - filled, ' ').c_str(), done, total, name.c_str());
  std::fflush(stderr);
}

//! The names of the components a TIFF file leaves behind: it keeps the
//! pixels of each frame only (no mask, no further components).
std::string ComponentsTiffDrops(const I_Buffer& buffer)
{
  std::vector<std::string> names;
  for (unsigned f = 0; f < buffer.GetNumberOfFrames(); ++f)
  {
    const I_Frame* frame = buffer.GetFrame(f);
    for (unsigned c = 0; c < frame->GetNumberOfComponents(); ++c)
    {
      const std::string name = frame->GetComponentName(int(c));
      if (name != I_FrameImage::COMPONENT_PIXEL && std::find(names.begin(), names.end(), name) == names.end())
        names.push_back(name);
    }
  }
  std::string list;
  for (const std::string& name : names)
    list += (list.empty() ? "" : ", ") + name;
  return list;
}

//! Says which data a lossy target format leaves out, so that nobody deletes
//! the source believing the copy complete.
void NoteWhatIsDropped(const I_Buffer& buffer, const std::string& output, bool progress)
{
  const std::string extension = UpperExtension(output);
  if (extension != "TIF" && extension != "TIFF")
    return;
  const std::string dropped = ComponentsTiffDrops(buffer);
  if (!dropped.empty())
    std::fprintf(stderr, "%snote: %s keeps the pixels only; not stored: %s\n", progress ? "\n" : "", output.c_str(),
                 dropped.c_str());
}

void ConvertOne(const S_Job& job, const S_ConvertOptions& options, bool progress, S_Totals& totals)
{
  const auto exportOptions = ExportOptions(job.output, options);
  const BufferPtr buffer = ImportFile(job.input);
  SelectFrames(*buffer, options.frames);
  ExportBuffer(buffer.get(), job.output, exportOptions);
  NoteWhatIsDropped(*buffer, job.output, progress);
  totals.files += 1;
  totals.frames += buffer->GetNumberOfFrames();
  totals.bytesIn += FileSize(job.input);
  totals.bytesOut += FileSize(job.output);
}

void RunConvert(const S_ConvertOptions& options, int& exitCode)
{
  const auto started = std::chrono::steady_clock::now();
  const std::vector<S_Job> jobs = PlanJobs(options);
  const bool progress = isatty(STDERR_FILENO) != 0;
  S_Totals totals;
  for (std::size_t i = 0; i < jobs.size(); ++i)
  {
    if (progress)
      ShowProgress(i, jobs.size(), jobs[i].input);
    try
    {
      ConvertOne(jobs[i], options, progress, totals);
    }
    catch (const std::exception& e)
    {
      if (jobs.size() == 1)
        throw;
      std::fprintf(stderr, "%sbuffer convert: %s: %s\n", progress ? "\n" : "", jobs[i].input.c_str(), e.what());
      exitCode = 1;
    }
  }
  if (progress)
    ShowProgress(jobs.size(), jobs.size(), "\n");
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("converted %zu of %zu files, %zu frames, %ju bytes in, %ju bytes out, %.2f s\n", totals.files,
              jobs.size(), totals.frames, totals.bytesIn, totals.bytesOut, seconds);
}
} // namespace

void AddConvertCommand(CLI::App& app, int& exitCode)
{
  auto options = std::make_shared<S_ConvertOptions>();
  CLI::App* command = app.add_subcommand("convert", "Convert IN to OUT (format by OUT's extension), or many "
                                                    "files into a folder: convert IN... -o DIR --to EXT");
  command->add_option("files", options->files, "IN OUT, or the inputs when -o is given")->required();
  command->add_option("-o,--output-dir", options->outputFolder, "Folder for the outputs (named like the inputs)");
  command->add_option("--to", options->toExtension,
                      "Extension of the outputs with -o: im7, vc7, img, imx, vec, tif...");
  command->add_option("--pack-type", options->packType,
                      "IM7/VC7 export option PackType: 0 unpacked, other values as the library defines");
  command->add_option("--frames", options->frames,
                      "A:B keeps frames A to B-1 (counted from 0; A included, B excluded); A: and :B run to the end "
                      "or from the start");
  command->footer("A progress bar goes to stderr when it is a terminal; a summary line (files, frames, bytes in and "
                  "out, time) ends the output.");
  command->callback([options, &exitCode] { RunConvert(*options, exitCode); });
}

} // namespace BufferTool
