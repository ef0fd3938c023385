#pragma once

#include <BufferApi/BufferApiExport.h>

#include <RTE/Parameter.h>
#include <RTE/Plugin.h>

#include <boost/shared_ptr.hpp>

#include <cstdio>
#include <string>

namespace BufferApi
{
class I_Buffer;

//! Plugin name of every file-format plugin.
inline constexpr const char* kBuffer2FilePluginName = "Korimend.Buffer2File";

//! A file-format plugin, registered under "Korimend.Buffer2File" with its
//! upper-case file extension as key. A plugin object holds no data; the front
//! end creates one for each call. Streams are opened and closed by the front
//! end (a plugin that closes the stream itself sets the Bool "ClosedFile" to
//! true in the export options).
class BUFFER_API I_Buffer2File : public RTE::I_Plugin
{
public:
  ~I_Buffer2File() override;

  virtual std::string GetPluginName() const = 0;
  virtual std::string GetKey() const = 0;
  virtual std::string GetDescription() const = 0;
  //! A new tree with the plugin's export options.
  virtual boost::shared_ptr<RTE::Parameter::C_Tree> GetExportParameter() = 0;
  //! Stores buffer in the stream; failures are thrown.
  virtual void Export(const I_Buffer* buffer, std::FILE* file, boost::shared_ptr<RTE::Parameter::C_Tree> options) = 0;
  //! A new buffer that describes the file without (necessarily) holding its
  //! data; the counts receive the file's geometry.
  virtual I_Buffer* GetImportInformation(std::FILE* file, const std::string& path, unsigned int& sizeX,
                                         unsigned int& sizeY, unsigned int& sizeZ, unsigned int& frames,
                                         bool withAttributes) = 0;
  //! A new tree with the plugin's import options.
  virtual boost::shared_ptr<RTE::Parameter::C_Tree> GetImportParameter() = 0;
  //! A new buffer read from the stream; the caller owns it.
  virtual I_Buffer* Import(std::FILE* file, boost::shared_ptr<RTE::Parameter::C_Tree> options) = 0;
};

} // namespace BufferApi
