#include <BufferTiff/TiffPlugin.h>

#include "TiffExport.h"
#include "TiffImport.h"
#include "TiffPlugins.h"

#include <RTE/Parameter.h>
#include <RTE/Plugin.h>

#include <exception>

namespace BufferTiff
{
namespace
{
constexpr const char* kCompressionOption = "Compression";

std::string CompressionText(const RTE::Parameter::C_Tree* options)
{
  const auto option =
      options ? boost::dynamic_pointer_cast<RTE::Parameter::C_Text>(options->Get(kCompressionOption)) : nullptr;
  return option ? option->GetValue() : "none";
}

template <typename Plugin>
void Register()
{
  const Plugin prototype;
  RTE::C_PluginRegistry::GetInstance().RegisterPlugin(prototype.GetPluginName(), prototype.GetKey(),
                                                      prototype.GetDescription(),
                                                      [](RTE::I_CreationContext*) { return new Plugin; });
}

// Loading the module registers the plugins; a program that never names the
// module calls RegisterTiffPlugins() to make sure it is linked in.
const bool kRegisteredAtLoad = (RegisterTiffPlugins(), true);
} // namespace

std::string C_TiffPluginBase::GetPluginName() const
{
  return BufferApi::kBuffer2FilePluginName;
}

std::string C_TiffPluginBase::GetDescription() const
{
  return "TIFF image file";
}

boost::shared_ptr<RTE::Parameter::C_Tree> C_TiffPluginBase::GetExportParameter()
{
  boost::shared_ptr<RTE::Parameter::C_Tree> tree = RTE::Parameter::CreateTree();
  tree->Add(RTE::Parameter::CreateText(kCompressionOption, "Compression", "none, deflate or lzw", 2, "none",
                                       RTE::Parameter::C_Text::EditorLineEdit));
  return tree;
}

void C_TiffPluginBase::Export(const BufferApi::I_Buffer* buffer, std::FILE* file,
                              boost::shared_ptr<RTE::Parameter::C_Tree> options)
{
  WriteTiff(buffer, file, CompressionFromText(CompressionText(options.get())));
}

BufferApi::I_Buffer* C_TiffPluginBase::GetImportInformation(std::FILE* file, const std::string& /*path*/,
                                                            unsigned int& sizeX, unsigned int& sizeY,
                                                            unsigned int& sizeZ, unsigned int& frames,
                                                            bool withAttributes)
{
  return ReadTiffInformation(file, sizeX, sizeY, sizeZ, frames, withAttributes);
}

boost::shared_ptr<RTE::Parameter::C_Tree> C_TiffPluginBase::GetImportParameter()
{
  return RTE::Parameter::CreateTree();
}

BufferApi::I_Buffer* C_TiffPluginBase::Import(std::FILE* file, boost::shared_ptr<RTE::Parameter::C_Tree> /*options*/)
{
  return ReadTiff(file);
}

void RegisterTiffPlugins()
{
  try
  {
    // The registry refuses a key it has, so a second call adds nothing.
    Register<C_TIF>();
    Register<C_TIFF>();
  }
  catch (const std::exception& e)
  {
    RTE::C_PluginRegistry::GetInstance().AddError(std::string("Exception during plugin auto registration: ") +
                                                  e.what());
  }
}

} // namespace BufferTiff
