// The IMG, IMX and VEC plugins: options and the calls of the legacy reader
// and writer.

#include "Buffer2File.IM7/C_OldPelioFormats.h"

#include "Buffer2File.IM7/FilePluginOptions.h"
#include "Buffer2File.IM7/LegacyFile.h"

#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>

#include <RTE/FileSystem.h>
#include <RTE/String.h>

#include <memory>

namespace BufferApi
{
namespace
{
bool IsVectorFile(const std::string& path)
{
  std::string extension = RTE::FileSystem::ExtractExtension(path, false);
  RTE::String::ToUpper(extension);
  return extension == "VEC";
}

std::string TextOption(const RTE::Parameter::C_Tree* options, const std::string& name)
{
  const auto option = options ? boost::dynamic_pointer_cast<RTE::Parameter::C_Text>(options->Get(name)) : nullptr;
  return option ? option->GetValue() : std::string();
}

I_Buffer* ReadWholeFile(std::FILE* file, const std::string& path)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  ReadLegacy(buffer.get(), file, IsVectorFile(path), false);
  return buffer.release();
}
} // namespace

std::string C_OldPelioFormats::GetPluginName() const
{
  return kBuffer2FilePluginName;
}

boost::shared_ptr<RTE::Parameter::C_Tree> C_OldPelioFormats::GetExportParameter()
{
  boost::shared_ptr<RTE::Parameter::C_Tree> tree = RTE::Parameter::CreateTree();
  tree->Add(RTE::Parameter::CreateBool("IMG", "-", "TRUE to store with IMG compression, FALSE for IMX.", 2, false,
                                       RTE::Parameter::C_Bool::EditorCheckBox));
  return tree;
}

void C_OldPelioFormats::Export(const I_Buffer* buffer, std::FILE* file,
                               boost::shared_ptr<RTE::Parameter::C_Tree> options)
{
  WriteLegacy(buffer, file, BoolOption(options.get(), "IMG", false));
}

I_Buffer* C_OldPelioFormats::GetImportInformation(std::FILE* file, const std::string& path, unsigned int& sizeX,
                                                  unsigned int& sizeY, unsigned int& sizeZ, unsigned int& frames,
                                                  bool /*withAttributes*/)
{
  // The legacy files have no trailer to find the tags by: the whole file is read.
  I_Buffer* buffer = ReadWholeFile(file, path);
  const I_Frame* first = buffer->GetNumberOfFrames() > 0 ? buffer->GetFrame(0) : nullptr;
  sizeX = first ? first->GetWidth() : 0;
  sizeY = first ? first->GetHeight() : 0;
  sizeZ = first ? first->GetDepth() : 0;
  frames = static_cast<unsigned>(buffer->GetNumberOfFrames());
  return buffer;
}

boost::shared_ptr<RTE::Parameter::C_Tree> C_OldPelioFormats::GetImportParameter()
{
  return RTE::Parameter::CreateTree();
}

I_Buffer* C_OldPelioFormats::Import(std::FILE* file, boost::shared_ptr<RTE::Parameter::C_Tree> options)
{
  return ReadWholeFile(file, TextOption(options.get(), "FileName"));
}

std::string C_IMG::GetKey() const
{
  return "IMG";
}
std::string C_IMG::GetDescription() const
{
  return "Korimend image file format IMG";
}

std::string C_IMX::GetKey() const
{
  return "IMX";
}
std::string C_IMX::GetDescription() const
{
  return "Korimend image file format IMX";
}

std::string C_VEC::GetKey() const
{
  return "VEC";
}
std::string C_VEC::GetDescription() const
{
  return "Korimend vector file format VEC";
}

} // namespace BufferApi
