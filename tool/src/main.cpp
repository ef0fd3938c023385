// The command-line tool `buffer`: inspects, checks, converts and renders the
// files the Buffer library reads and writes.

#include "Commands.h"

#include <BufferTiff/TiffPlugin.h>

#include <iostream>

int main(int argc, char** argv)
{
  BufferTiff::RegisterTiffPlugins();
  CLI::App app("Inspect, check, convert and render Buffer files (IM7, VC7, IMG, IMX, VEC, TIFF)", "buffer");
  app.require_subcommand(1);
  int exitCode = 0;
  BufferTool::AddInfoCommand(app, exitCode);
  BufferTool::AddDumpCommand(app, exitCode);
  BufferTool::AddVerifyCommand(app, exitCode);
  BufferTool::AddConvertCommand(app, exitCode);
  BufferTool::AddStatsCommand(app, exitCode);
  BufferTool::AddRenderCommand(app, exitCode);
  try
  {
    app.parse(argc, argv);
  }
  catch (const CLI::ParseError& e)
  {
    return app.exit(e);
  }
  catch (const std::exception& e)
  {
    const auto* command = app.get_subcommands().empty() ? nullptr : app.get_subcommands().front();
    std::cerr << "buffer" << (command ? " " + command->get_name() : std::string()) << ": error: " << e.what() << "\n";
    return 1;
  }
  return exitCode;
}
