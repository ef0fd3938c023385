#pragma once

// The file-format plugins of IM7 images and VC7 vector fields.

#include <BufferApi/I_Buffer2File.h>

namespace BufferApi
{
//! Reading and writing shared by IM7 and VC7: both are the IM7 container.
class C_IM7_VC7 : public I_Buffer2File
{
public:
  std::string GetPluginName() const override;
  //! Integer "PackType", 0 by default, over the whole signed 64-bit range.
  boost::shared_ptr<RTE::Parameter::C_Tree> GetExportParameter() override;
  void Export(const I_Buffer* buffer, std::FILE* file, boost::shared_ptr<RTE::Parameter::C_Tree> options) override;
  //! The file's frames, attributes when asked, but neither data nor conversions.
  I_Buffer* GetImportInformation(std::FILE* file, const std::string& path, unsigned int& sizeX, unsigned int& sizeY,
                                 unsigned int& sizeZ, unsigned int& frames, bool withAttributes) override;
  //! An empty tree: "ConvertByteToWord" and "SetLegacyProfile" are honoured but not offered.
  boost::shared_ptr<RTE::Parameter::C_Tree> GetImportParameter() override;
  I_Buffer* Import(std::FILE* file, boost::shared_ptr<RTE::Parameter::C_Tree> options) override;
};

class C_IM7 : public C_IM7_VC7
{
public:
  std::string GetKey() const override;
  std::string GetDescription() const override;
};

class C_VC7 : public C_IM7_VC7
{
public:
  std::string GetKey() const override;
  std::string GetDescription() const override;
};

} // namespace BufferApi
