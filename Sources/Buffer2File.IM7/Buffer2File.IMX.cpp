// The IMG, IMX and VEC plugins: registered and offering their options, but
// not yet reading or writing files.

#include "Buffer2File.IM7/Buffer2File.IMX.h"

#include <RTE/Exception.h>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
}

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

void C_OldPelioFormats::Export(const I_Buffer* /*buffer*/, std::FILE* /*file*/,
                               boost::shared_ptr<RTE::Parameter::C_Tree> /*options*/)
{
  RTE_RAISE(RTE::Exception, kSourceUnit, GetKey() << " files can't be written yet.");
}

I_Buffer* C_OldPelioFormats::GetImportInformation(std::FILE* /*file*/, const std::string& /*path*/,
                                                  unsigned int& /*sizeX*/, unsigned int& /*sizeY*/,
                                                  unsigned int& /*sizeZ*/, unsigned int& /*frames*/,
                                                  bool /*withAttributes*/)
{
  RTE_RAISE(RTE::Exception, kSourceUnit, GetKey() << " files can't be read yet.");
}

boost::shared_ptr<RTE::Parameter::C_Tree> C_OldPelioFormats::GetImportParameter()
{
  return RTE::Parameter::CreateTree();
}

I_Buffer* C_OldPelioFormats::Import(std::FILE* /*file*/, boost::shared_ptr<RTE::Parameter::C_Tree> /*options*/)
{
  RTE_RAISE(RTE::Exception, kSourceUnit, GetKey() << " files can't be read yet.");
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
