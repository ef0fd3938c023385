// `buffer stats`: range, mean, standard deviation and a coarse histogram of
// one frame's component or vectors.

#include "Commands.h"
#include "Common.h"
#include "ValueSource.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

using namespace BufferApi;
using nlohmann::json;

namespace BufferTool
{
namespace
{
struct S_StatsOptions
{
  std::string file;
  unsigned frame = 0;
  std::string component;
  unsigned bins = 10;
  double clip = 99.0;
  bool asJson = false;
};

struct S_Moments
{
  double mean = 0.0;
  double stddev = 0.0;
  double exactMax = 0.0;
};

S_Moments MomentsOf(const std::vector<double>& values)
{
  S_Moments moments;
  if (values.empty())
    return moments;
  double sum = 0.0;
  for (double v : values)
    sum += v;
  moments.mean = sum / static_cast<double>(values.size());
  double squares = 0.0;
  for (double v : values)
    squares += (v - moments.mean) * (v - moments.mean);
  moments.stddev = std::sqrt(squares / static_cast<double>(values.size()));
  moments.exactMax = *std::max_element(values.begin(), values.end());
  return moments;
}

//! The helper widens a single-valued range by 1 for display; statistics want the value itself.
S_Range UndoDisplayWidening(S_Range range, const S_Moments& moments)
{
  if (range.count > 0 && range.max == range.min + 1.0 && moments.exactMax == range.min)
    range.max = range.min;
  return range;
}

json Histogram(const std::vector<double>& values, const S_Range& range, unsigned bins)
{
  std::vector<unsigned> counts(bins, 0);
  const double width = (range.max - range.min) / bins;
  for (double v : values)
  {
    const double position = width > 0.0 ? (v - range.min) / width : 0.0;
    const auto bin = static_cast<unsigned>(std::clamp(position, 0.0, double(bins - 1)));
    counts[bin] += 1;
  }
  json list = json::array();
  for (unsigned i = 0; i < bins; ++i)
    list.push_back({{"from", range.min + i * width}, {"to", range.min + (i + 1) * width}, {"count", counts[i]}});
  return list;
}

json StatsOf(const S_StatsOptions& options)
{
  const BufferPtr buffer = ImportFile(options.file);
  I_Frame* frame = FrameAt(*buffer, options.frame);
  const S_Source source = ChooseSource(frame, options.component);
  const unsigned depth = frame->GetDepth();
  const std::vector<double> values = CollectValues(source, 0, depth);
  const S_Moments moments = MomentsOf(values);
  const S_Range range = UndoDisplayWidening(HelperRange(source, 100.0, 0, depth), moments);
  const S_Range clipped = HelperRange(source, options.clip, 0, depth);
  json stats = {{"file", options.file},
                {"frame", options.frame},
                {"source", source.label},
                {"masked", frame->HasMask()},
                {"count", range.count}};
  if (range.count == 0)
    return stats;
  stats.update({{"min", range.min},
                {"max", range.max},
                {"mean", moments.mean},
                {"stddev", moments.stddev},
                {"clip", {{"percent", options.clip}, {"min", clipped.min}, {"max", clipped.max}}},
                {"histogram", Histogram(values, range, options.bins)}});
  return stats;
}

void PrintStats(const json& stats)
{
  std::printf("%s frame %u, %s: %u values%s\n", stats["file"].get<std::string>().c_str(),
              stats["frame"].get<unsigned>(), stats["source"].get<std::string>().c_str(),
              stats["count"].get<unsigned>(), stats["masked"].get<bool>() ? " (masked-out elements left out)" : "");
  if (stats["count"].get<unsigned>() == 0)
    return;
  std::printf("min %g, max %g, mean %g, std dev %g\n", stats["min"].get<double>(), stats["max"].get<double>(),
              stats["mean"].get<double>(), stats["stddev"].get<double>());
  const json& clip = stats["clip"];
  std::printf("%g %% of the values lie in %g .. %g\n", clip["percent"].get<double>(), clip["min"].get<double>(),
              clip["max"].get<double>());
  unsigned largest = 1;
  for (const auto& bin : stats["histogram"])
    largest = std::max(largest, bin["count"].get<unsigned>());
  for (const auto& bin : stats["histogram"])
  {
    const unsigned count = bin["count"].get<unsigned>();
    std::printf("  %12g .. %-12g %10u %s\n", bin["from"].get<double>(), bin["to"].get<double>(), count,
                std::string(count * 40 / largest, '#').c_str());
  }
}

void RunStats(const S_StatsOptions& options)
{
  if (options.bins == 0)
    throw ToolError("--bins must be at least 1");
  const json stats = StatsOf(options);
  if (options.asJson)
    std::cout << stats.dump(2) << "\n";
  else
    PrintStats(stats);
}
} // namespace

void AddStatsCommand(CLI::App& app, int& /*exitCode*/)
{
  auto options = std::make_shared<S_StatsOptions>();
  CLI::App* command = app.add_subcommand("stats", "Min, max, mean, std dev and a histogram of one frame");
  command->add_option("file", options->file, "File to read")->required();
  command->add_option("--frame", options->frame, "Frame index, from 0 (default 0)");
  command->add_option("--component", options->component,
                      "Component name (default PIXEL); on vector frames also length (default), u, v or w of the "
                      "active choice of each enabled vector");
  command->add_option("--bins", options->bins, "Number of histogram bins between min and max (default 10)");
  command->add_option("--clip", options->clip, "Also give the range that keeps this percentage (default 99)")
      ->check(CLI::Range(0.1, 100.0));
  command->add_flag("--json", options->asJson, "Print a JSON object");
  command->footer("Masked-out elements and disabled vectors are left out. Range and count come from the library's "
                  "C_PlaneMinMaxHistogram; RGB planes give three values (red, green, blue) per pixel.");
  command->callback([options] { RunStats(*options); });
}

} // namespace BufferTool
