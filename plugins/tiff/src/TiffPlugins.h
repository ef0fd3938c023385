#pragma once

// The file-format plugins "TIF" and "TIFF": one implementation, two keys.

#include <BufferApi/I_Buffer2File.h>

namespace BufferTiff
{
class C_TiffPluginBase : public BufferApi::I_Buffer2File
{
public:
  std::string GetPluginName() const override;
  std::string GetDescription() const override;
  //! Text "Compression": "none" (the default), "deflate" or "lzw".
  boost::shared_ptr<RTE::Parameter::C_Tree> GetExportParameter() override;
  void Export(const BufferApi::I_Buffer* buffer, std::FILE* file,
              boost::shared_ptr<RTE::Parameter::C_Tree> options) override;
  //! Reads the tags of every page but no pixels; the buffer has no frames.
  BufferApi::I_Buffer* GetImportInformation(std::FILE* file, const std::string& path, unsigned int& sizeX,
                                            unsigned int& sizeY, unsigned int& sizeZ, unsigned int& frames,
                                            bool withAttributes) override;
  //! An empty tree: the import has no options.
  boost::shared_ptr<RTE::Parameter::C_Tree> GetImportParameter() override;
  BufferApi::I_Buffer* Import(std::FILE* file, boost::shared_ptr<RTE::Parameter::C_Tree> options) override;
};

class C_TIF : public C_TiffPluginBase
{
public:
  std::string GetKey() const override { return "TIF"; }
};

class C_TIFF : public C_TiffPluginBase
{
public:
  std::string GetKey() const override { return "TIFF"; }
};

} // namespace BufferTiff
