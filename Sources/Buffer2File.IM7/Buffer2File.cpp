// The import and export front end: chooses the file-format plugin by the
// file's extension, opens and closes the stream and hands it to the plugin.
// An export goes to a temporary file beside the target, which replaces the
// target only when everything was written.

#include <BufferApi/Attributes.h>
#include <BufferApi/Buffer2File.h>
#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Buffer2File.h>

#include <RTE/Exception.h>
#include <RTE/FileSystem.h>
#include <RTE/String.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

namespace BufferApi
{
I_Buffer2File::~I_Buffer2File() = default;

namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

const char* const kBuiltInKeys[] = {"IMG", "IMX", "VEC", "IM7", "VC7"};

enum class E_Direction
{
  Read,
  Write
};

std::string UpperExtension(const std::string& path)
{
  std::string extension = RTE::FileSystem::ExtractExtension(path, false);
  RTE::String::ToUpper(extension);
  return extension;
}

bool IsBuiltInKey(const std::string& extension)
{
  for (const char* key : kBuiltInKeys)
    if (extension == key)
      return true;
  return false;
}

std::shared_ptr<I_Buffer2File> ChoosePlugin(const std::string& path, E_Direction direction)
{
  const std::string extension = UpperExtension(path);
  std::shared_ptr<I_Buffer2File> plugin = std::dynamic_pointer_cast<I_Buffer2File>(
      RTE::C_PluginFactory::GetInstance().Create(kBuffer2FilePluginName, extension));
  if (!plugin)
  {
    if (direction == E_Direction::Read)
      RTE_RAISE(RTE::Exception, kSourceUnit, "Can't read files of type '" << extension << "'");
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't write files of type '" << extension << "'");
  }
  return plugin;
}

boost::shared_ptr<RTE::Parameter::C_Tree> TreeOrEmpty(boost::shared_ptr<RTE::Parameter::C_Tree> options)
{
  return options ? std::move(options) : RTE::Parameter::CreateTree();
}

void SetFileName(RTE::Parameter::C_Tree& options, const std::string& path)
{
  if (!options.Exists("FileName"))
    options.Add(RTE::Parameter::CreateText("FileName", path, "", 2, "", RTE::Parameter::C_Text::EditorLineEdit));
  options.GetText("FileName")->SetValue(path);
}

boost::shared_ptr<RTE::Parameter::C_Bool> ClosedFileFlag(const RTE::Parameter::C_Tree& options)
{
  return boost::dynamic_pointer_cast<RTE::Parameter::C_Bool>(options.Get("ClosedFile"));
}

//! Closes the stream when it goes out of scope, unless it was released.
class C_Stream
{
public:
  explicit C_Stream(std::FILE* file)
      : m_file(file)
  {
  }
  ~C_Stream()
  {
    if (m_file)
      std::fclose(m_file);
  }
  C_Stream(const C_Stream&) = delete;
  C_Stream& operator=(const C_Stream&) = delete;

  std::FILE* Get() const { return m_file; }
  //! Gives up the stream without closing it (a plugin closed it already).
  void Release() { m_file = nullptr; }
  //! Closes the stream; false when buffered data could not be written.
  bool Close()
  {
    std::FILE* file = std::exchange(m_file, nullptr);
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    return std::fclose(file) == 0 && flushed;
  }

private:
  std::FILE* m_file;
};

std::FILE* OpenForReading(const std::string& path)
{
  std::FILE* file = nullptr;
  if (RTE::fopen_s(&file, path.c_str(), "rb") != 0 || !file)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Unable to open file \"" << path << "\"");
  return file;
}

//! A new file beside the target that nobody else uses ("wbx" refuses an
//! existing name), so that an earlier target stays untouched until the
//! export has succeeded.
std::FILE* CreateTemporaryBeside(const std::string& target, std::string& temporaryPath)
{
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt)
  {
    temporaryPath = target + "." + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".tmp";
    std::FILE* file = nullptr;
    const int error = RTE::fopen_s(&file, temporaryPath.c_str(), "wbx");
    if (error == 0 && file)
      return file;
    if (error != EEXIST)
      break;
  }
  RTE_RAISE(RTE::Exception, kSourceUnit, "Unable to create file:" << target);
}

//! Removes the temporary file unless it was committed to its target.
class C_TemporaryFile
{
public:
  explicit C_TemporaryFile(std::string path)
      : m_path(std::move(path))
  {
  }
  ~C_TemporaryFile()
  {
    if (!m_committed)
      std::remove(m_path.c_str());
  }
  C_TemporaryFile(const C_TemporaryFile&) = delete;
  C_TemporaryFile& operator=(const C_TemporaryFile&) = delete;

  //! Renames the temporary file over the target; false when that failed.
  bool CommitTo(const std::string& target)
  {
    m_committed = std::rename(m_path.c_str(), target.c_str()) == 0;
    return m_committed;
  }

private:
  std::string m_path;
  bool m_committed = false;
};

//! "LoadFile" and the path's key=value attributes on buffers of the built-in types.
void AddPathAttributes(I_Buffer* buffer, const std::string& path)
{
  if (!buffer || !IsBuiltInKey(UpperExtension(path)))
    return;
  C_BufferAttributes(buffer).SetString("LoadFile", path);
  CreateAttributesFromPathValues(buffer, path, true);
}
} // namespace

I_Buffer* ImportBuffer(const std::string& path, boost::shared_ptr<RTE::Parameter::C_Tree> options)
{
  const std::shared_ptr<I_Buffer2File> plugin = ChoosePlugin(path, E_Direction::Read);
  C_Stream stream(OpenForReading(path));
  options = TreeOrEmpty(std::move(options));
  SetFileName(*options, path);
  std::unique_ptr<I_Buffer> buffer(plugin->Import(stream.Get(), options));
  AddPathAttributes(buffer.get(), path);
  return buffer.release();
}

I_Buffer* ImportBuffer(const QString& path, boost::shared_ptr<RTE::Parameter::C_Tree> options)
{
  return ImportBuffer(path.toLatin1().toStdString(), std::move(options));
}

void ExportBuffer(const I_Buffer* buffer, const std::string& path, boost::shared_ptr<RTE::Parameter::C_Tree> options)
{
  const std::shared_ptr<I_Buffer2File> plugin = ChoosePlugin(path, E_Direction::Write);
  std::string temporaryPath;
  std::FILE* file = CreateTemporaryBeside(path, temporaryPath);
  // Declared in this order so that the stream is closed before the temporary is removed.
  C_TemporaryFile temporary(temporaryPath);
  C_Stream stream(file);
  options = TreeOrEmpty(std::move(options));
  SetFileName(*options, path);
  // A flag left over from an earlier export would keep this stream open and unflushed.
  if (const auto closedFile = ClosedFileFlag(*options))
    closedFile->SetValue(false);

  try
  {
    plugin->Export(buffer, stream.Get(), options);
  }
  catch (...)
  {
    const auto closedFile = ClosedFileFlag(*options);
    if (closedFile && closedFile->GetValue())
      stream.Release();
    throw;
  }

  const auto closedFile = ClosedFileFlag(*options);
  if (closedFile && closedFile->GetValue())
    stream.Release();
  else if (!stream.Close())
    RTE_RAISE(RTE::Exception, kSourceUnit, "Unable to write file:" << path);
  if (!temporary.CommitTo(path))
    RTE_RAISE(RTE::Exception, kSourceUnit, "Unable to create file:" << path);
}

void ExportBuffer(const I_Buffer* buffer, const QString& path, boost::shared_ptr<RTE::Parameter::C_Tree> options)
{
  ExportBuffer(buffer, path.toLatin1().toStdString(), std::move(options));
}

I_Buffer* GetImportInformation(const std::string& path, unsigned int& sizeX, unsigned int& sizeY, unsigned int& sizeZ,
                               unsigned int& frames, bool withAttributes)
{
  sizeX = sizeY = sizeZ = frames = 0;
  const std::shared_ptr<I_Buffer2File> plugin = ChoosePlugin(path, E_Direction::Read);
  C_Stream stream(OpenForReading(path));
  std::unique_ptr<I_Buffer> buffer(
      plugin->GetImportInformation(stream.Get(), path, sizeX, sizeY, sizeZ, frames, withAttributes));
  if (withAttributes)
    AddPathAttributes(buffer.get(), path);
  return buffer.release();
}

boost::shared_ptr<RTE::Parameter::C_Tree> GetImportParameter(const std::string& fileName)
{
  return ChoosePlugin(fileName, E_Direction::Read)->GetImportParameter();
}

boost::shared_ptr<RTE::Parameter::C_Tree> GetExportParameter(const std::string& fileName)
{
  return ChoosePlugin(fileName, E_Direction::Write)->GetExportParameter();
}

std::vector<std::pair<std::string, std::string>> GetListOfFiletypes()
{
  const RTE::C_PluginFactory& factory = RTE::C_PluginFactory::GetInstance();
  const std::vector<std::string> keys = factory.GetKeys(kBuffer2FilePluginName);
  const std::vector<std::string> descriptions = factory.GetDescriptions(kBuffer2FilePluginName);
  std::vector<std::pair<std::string, std::string>> types;
  types.reserve(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i)
    types.emplace_back(keys[i], i < descriptions.size() ? descriptions[i] : std::string());
  return types;
}

bool IsFiletypeAvailable(const std::string& type)
{
  std::string key = type;
  RTE::String::ToUpper(key);
  for (const std::string& registered : RTE::C_PluginFactory::GetInstance().GetKeys(kBuffer2FilePluginName))
    if (registered == key)
      return true;
  return false;
}

} // namespace BufferApi
