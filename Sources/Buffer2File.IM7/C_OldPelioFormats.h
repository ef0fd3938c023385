#pragma once

// The file-format plugins of the legacy IMG and IMX images and VEC vector
// fields. All three share one reader and one writer; the extension only
// selects the plugin (and .vec files are read as vector files).

#include <BufferApi/I_Buffer2File.h>

namespace BufferApi
{
class C_OldPelioFormats : public I_Buffer2File
{
public:
  std::string GetPluginName() const override;
  //! Bool "IMG": true stores with IMG packing, false with IMX packing.
  boost::shared_ptr<RTE::Parameter::C_Tree> GetExportParameter() override;
  void Export(const I_Buffer* buffer, std::FILE* file, boost::shared_ptr<RTE::Parameter::C_Tree> options) override;
  I_Buffer* GetImportInformation(std::FILE* file, const std::string& path, unsigned int& sizeX, unsigned int& sizeY,
                                 unsigned int& sizeZ, unsigned int& frames, bool withAttributes) override;
  boost::shared_ptr<RTE::Parameter::C_Tree> GetImportParameter() override;
  I_Buffer* Import(std::FILE* file, boost::shared_ptr<RTE::Parameter::C_Tree> options) override;
};

class C_IMG : public C_OldPelioFormats
{
public:
  std::string GetKey() const override;
  std::string GetDescription() const override;
};

class C_IMX : public C_OldPelioFormats
{
public:
  std::string GetKey() const override;
  std::string GetDescription() const override;
};

class C_VEC : public C_OldPelioFormats
{
public:
  std::string GetKey() const override;
  std::string GetDescription() const override;
};

} // namespace BufferApi
