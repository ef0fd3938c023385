#pragma once

#include <BufferApi/BufferApiExport.h>

#include <RTE/Parameter.h>

#include <boost/shared_ptr.hpp>

#include <QString>

#include <string>
#include <utility>
#include <vector>

namespace BufferApi
{
class I_Buffer;

//! Loads a file through the plugin chosen by its extension (any case). The
//! caller owns the buffer. The option tree receives "FileName"; a null tree
//! is replaced by an empty one.
BUFFER_API I_Buffer* ImportBuffer(const std::string& path, boost::shared_ptr<RTE::Parameter::C_Tree> options);
//! The path is converted with toLatin1.
BUFFER_API I_Buffer* ImportBuffer(const QString& path, boost::shared_ptr<RTE::Parameter::C_Tree> options);

//! Stores buffer in a file through the plugin chosen by its extension. The
//! file is replaced only when the export succeeded: a failed export leaves an
//! earlier file as it was and no temporary file behind.
BUFFER_API void ExportBuffer(const I_Buffer* buffer, const std::string& path,
                             boost::shared_ptr<RTE::Parameter::C_Tree> options);
BUFFER_API void ExportBuffer(const I_Buffer* buffer, const QString& path,
                             boost::shared_ptr<RTE::Parameter::C_Tree> options);

//! A buffer that describes the file (frame count, types, attributes when
//! asked) without necessarily holding its data; the counts are set from the file.
BUFFER_API I_Buffer* GetImportInformation(const std::string& path, unsigned int& sizeX, unsigned int& sizeY,
                                          unsigned int& sizeZ, unsigned int& frames, bool withAttributes);

//! The option trees of the plugin chosen by the file name's extension.
BUFFER_API boost::shared_ptr<RTE::Parameter::C_Tree> GetImportParameter(const std::string& fileName);
BUFFER_API boost::shared_ptr<RTE::Parameter::C_Tree> GetExportParameter(const std::string& fileName);

//! (key, description) of every registered file-format plugin.
BUFFER_API std::vector<std::pair<std::string, std::string>> GetListOfFiletypes();
//! Whether a plugin is registered for the type (a key such as "im7", any case;
//! not a file name).
BUFFER_API bool IsFiletypeAvailable(const std::string& type);

} // namespace BufferApi
