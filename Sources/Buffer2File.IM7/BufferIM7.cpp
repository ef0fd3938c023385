// The IM7 and VC7 plugins: option trees and the calls of the IM7 container.

#include "Buffer2File.IM7/BufferIM7.h"

#include "Buffer2File.IM7/FilePluginOptions.h"
#include "Buffer2File.IM7/IM7File.h"

#include <BufferApi/I_Buffer.h>

#include <limits>
#include <memory>

namespace BufferApi
{
namespace
{
//! A requested pack type outside the unsigned range stays unsupported
//! instead of wrapping around to a valid one.
unsigned int RequestedPackType(std::int64_t value)
{
  if (value < 0 || value > std::numeric_limits<unsigned int>::max())
    return std::numeric_limits<unsigned int>::max();
  return static_cast<unsigned int>(value);
}
} // namespace

std::string C_IM7_VC7::GetPluginName() const
{
  return kBuffer2FilePluginName;
}

boost::shared_ptr<RTE::Parameter::C_Tree> C_IM7_VC7::GetExportParameter()
{
  boost::shared_ptr<RTE::Parameter::C_Tree> tree = RTE::Parameter::CreateTree();
  tree->Add(RTE::Parameter::CreateInteger(
      "PackType", "", "Compression type: IMG, IMG, ZLIB, ...", 2, 0, std::numeric_limits<std::int64_t>::min(),
      std::numeric_limits<std::int64_t>::max(), RTE::Parameter::C_Integer::EditorSpinBox));
  return tree;
}

void C_IM7_VC7::Export(const I_Buffer* buffer, std::FILE* file, boost::shared_ptr<RTE::Parameter::C_Tree> options)
{
  WriteIM7(buffer, file, RequestedPackType(IntegerOption(options.get(), "PackType", 0)));
}

I_Buffer* C_IM7_VC7::GetImportInformation(std::FILE* file, const std::string& /*path*/, unsigned int& sizeX,
                                          unsigned int& sizeY, unsigned int& sizeZ, unsigned int& frames,
                                          bool withAttributes)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  ReadIM7(buffer.get(), file, false, withAttributes, false, false, &sizeX, &sizeY, &sizeZ, &frames);
  return buffer.release();
}

boost::shared_ptr<RTE::Parameter::C_Tree> C_IM7_VC7::GetImportParameter()
{
  return RTE::Parameter::CreateTree();
}

I_Buffer* C_IM7_VC7::Import(std::FILE* file, boost::shared_ptr<RTE::Parameter::C_Tree> options)
{
  const bool convertByteToWord = BoolOption(options.get(), "ConvertByteToWord", true);
  const bool setLegacyProfile = BoolOption(options.get(), "SetLegacyProfile", false);
  unsigned int sizeX = 0, sizeY = 0, sizeZ = 0, frames = 0;
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  ReadIM7(buffer.get(), file, true, true, convertByteToWord, setLegacyProfile, &sizeX, &sizeY, &sizeZ, &frames);
  return buffer.release();
}

std::string C_IM7::GetKey() const
{
  return "IM7";
}
std::string C_IM7::GetDescription() const
{
  return "Korimend image file format IM7";
}

std::string C_VC7::GetKey() const
{
  return "VC7";
}
std::string C_VC7::GetDescription() const
{
  return "Korimend file format VC7";
}

} // namespace BufferApi
