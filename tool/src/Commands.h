#pragma once

// One function per subcommand: each adds its CLI11 subcommand to the app and
// runs from its callback. A command that fails for some of its files sets
// exitCode to 1; a failure of the whole command raises ToolError or the
// library's exception, which main reports.

#include <CLI/CLI.hpp>

namespace BufferTool
{
void AddInfoCommand(CLI::App& app, int& exitCode);
void AddDumpCommand(CLI::App& app, int& exitCode);
void AddVerifyCommand(CLI::App& app, int& exitCode);
void AddConvertCommand(CLI::App& app, int& exitCode);
void AddStatsCommand(CLI::App& app, int& exitCode);
void AddRenderCommand(CLI::App& app, int& exitCode);

} // namespace BufferTool
