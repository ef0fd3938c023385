// The import and export front end, driven through a test plugin registered
// under "TST": plugin choice by extension, messages, options, atomic export,
// and the built-in plugins' registrations and option trees.
#include "Buffer2File.IM7/FilePluginRegistration.h"

#include <BufferApi.h>
#include <BufferApi/Buffer2File.h>
#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Buffer2File.h>

#include <RTE/Exception.h>
#include <RTE/Plugin.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace BufferApi;
namespace fs = std::filesystem;

namespace
{
enum class E_TestMode
{
  Normal,
  Throw,
  WriteThenThrow,
  CloseStreamItself,
  BreakStream,
};

// What the next call of the test plugin does, and what it saw.
struct S_TestScript
{
  E_TestMode mode = E_TestMode::Normal;
  std::string seenFileName;
  std::string readContent;
};
S_TestScript script;

std::string FileNameOption(const boost::shared_ptr<RTE::Parameter::C_Tree>& options)
{
  return options->Exists("FileName") ? options->GetText("FileName")->GetValue() : "<none>";
}

class C_TestPlugin : public I_Buffer2File
{
public:
  std::string GetPluginName() const override { return kBuffer2FilePluginName; }
  std::string GetKey() const override { return "TST"; }
  std::string GetDescription() const override { return "Test format"; }
  boost::shared_ptr<RTE::Parameter::C_Tree> GetExportParameter() override { return RTE::Parameter::CreateTree(); }
  boost::shared_ptr<RTE::Parameter::C_Tree> GetImportParameter() override { return RTE::Parameter::CreateTree(); }

  void Export(const I_Buffer*, std::FILE* file, boost::shared_ptr<RTE::Parameter::C_Tree> options) override
  {
    script.seenFileName = FileNameOption(options);
    if (script.mode == E_TestMode::Throw)
      throw std::runtime_error("refused");
    std::fputs("NEW", file);
    switch (script.mode)
    {
    case E_TestMode::WriteThenThrow:
      throw std::runtime_error("failed half-way");
    case E_TestMode::CloseStreamItself:
      std::fclose(file);
      options->Add(RTE::Parameter::CreateBool("ClosedFile", "", "", 2, true, RTE::Parameter::C_Bool::EditorCheckBox));
      break;
    case E_TestMode::BreakStream:
      std::fgetc(file); // reading a write-only stream sets its error flag
      break;
    default:
      break;
    }
  }

  I_Buffer* GetImportInformation(std::FILE*, const std::string&, unsigned int& sizeX, unsigned int& sizeY,
                                 unsigned int& sizeZ, unsigned int& frames, bool) override
  {
    if (script.mode == E_TestMode::Throw)
      throw std::runtime_error("no information");
    sizeX = 11;
    sizeY = 12;
    sizeZ = 13;
    frames = 14;
    return CreateBuffer();
  }

  I_Buffer* Import(std::FILE* file, boost::shared_ptr<RTE::Parameter::C_Tree> options) override
  {
    script.seenFileName = FileNameOption(options);
    if (script.mode == E_TestMode::Throw)
      throw std::runtime_error("unreadable");
    char text[16] = {};
    script.readContent.assign(text, std::fread(text, 1, sizeof text - 1, file));
    return CreateBuffer();
  }
};

void RegisterTestPlugin()
{
  RTE::C_PluginRegistry::GetInstance().RegisterPlugin(kBuffer2FilePluginName, "TST", "Test format",
                                                      [](RTE::I_CreationContext*) { return new C_TestPlugin; });
}

std::string MessageOf(const std::function<void()>& action)
{
  try
  {
    action();
  }
  catch (const RTE::Exception& e)
  {
    return e.message().toStdString();
  }
  catch (const std::exception& e)
  {
    return std::string("std::exception: ") + e.what();
  }
  return "no exception";
}

class FileFrontEnd : public testing::Test
{
protected:
  void SetUp() override
  {
    RegisterTestPlugin();
    script = S_TestScript();
    m_folder = fs::path(testing::TempDir()) /
               ("FrontEnd_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
  }
  void TearDown() override { fs::remove_all(m_folder); }

  std::string PathOf(const std::string& name) const { return (m_folder / name).string(); }

  static void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
  static std::string ReadText(const std::string& path)
  {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::vector<std::string> FolderEntries() const
  {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_folder))
      names.push_back(entry.path().filename().string());
    return names;
  }

  fs::path m_folder;
};
} // namespace

TEST_F(FileFrontEnd, ExtensionChoosesThePluginInAnyCase)
{
  for (const char* name : {"a.tst", "b.TsT", "c.TST"})
  {
    WriteText(PathOf(name), "abc");
    std::unique_ptr<I_Buffer> buffer(ImportBuffer(PathOf(name), RTE::Parameter::CreateTree()));
    ASSERT_NE(buffer, nullptr) << name;
    EXPECT_EQ(script.readContent, "abc");
  }
  std::unique_ptr<I_Buffer> viaQString(
      ImportBuffer(QString::fromStdString(PathOf("a.tst")), boost::shared_ptr<RTE::Parameter::C_Tree>()));
  EXPECT_NE(viaQString, nullptr);

  // The plugin's exception passes on unchanged.
  script.mode = E_TestMode::Throw;
  EXPECT_EQ(MessageOf([&] { delete ImportBuffer(PathOf("a.tst"), RTE::Parameter::CreateTree()); }),
            "std::exception: unreadable");
}

TEST_F(FileFrontEnd, MessagesForUnknownTypesAndUnusablePaths)
{
  const auto tree = RTE::Parameter::CreateTree();
  EXPECT_EQ(MessageOf([&] { delete ImportBuffer(PathOf("a.xyz"), tree); }), "Can't read files of type 'XYZ'");
  EXPECT_EQ(MessageOf([&] { delete ImportBuffer(PathOf("noextension"), tree); }), "Can't read files of type ''");
  EXPECT_EQ(MessageOf([&] { delete ImportBuffer(PathOf("dotted.dir/file"), tree); }), "Can't read files of type ''");
  EXPECT_EQ(MessageOf([&] { ExportBuffer(nullptr, PathOf("a.xyz"), tree); }), "Can't write files of type 'XYZ'");
  EXPECT_EQ(MessageOf([&] { GetImportParameter("a.xyz"); }), "Can't read files of type 'XYZ'");
  EXPECT_EQ(MessageOf([&] { GetExportParameter("a.xyz"); }), "Can't write files of type 'XYZ'");

  const std::string missing = PathOf("missing.tst");
  EXPECT_EQ(MessageOf([&] { delete ImportBuffer(missing, tree); }), "Unable to open file \"" + missing + "\"");
  unsigned x = 9, y = 9, z = 9, frames = 9;
  EXPECT_EQ(MessageOf([&] { delete GetImportInformation(missing, x, y, z, frames, true); }),
            "Unable to open file \"" + missing + "\"");
  EXPECT_EQ(x + y + z + frames, 0u);

  const std::string noFolder = PathOf("nofolder/out.tst");
  EXPECT_EQ(MessageOf([&] { ExportBuffer(nullptr, noFolder, tree); }), "Unable to create file:" + noFolder);
}

TEST_F(FileFrontEnd, FileNameIsSetAndLoadFileOnlyOnBuiltInTypes)
{
  const std::string path = PathOf("run_dt=10.tst");
  WriteText(path, "x");
  const auto tree = RTE::Parameter::CreateTree();
  std::unique_ptr<I_Buffer> buffer(ImportBuffer(path, tree));
  EXPECT_EQ(script.seenFileName, path);
  ASSERT_TRUE(tree->Exists("FileName"));
  EXPECT_EQ(tree->GetText("FileName")->GetValue(), path);
  EXPECT_EQ(tree->GetText("FileName")->GetCaption(), path);
  EXPECT_EQ(tree->GetText("FileName")->GetAccessMode(), 2);
  // A test type is not built in: no "LoadFile", no path values.
  EXPECT_EQ(C_BufferAttributes(buffer.get()).GetType("LoadFile"), BufAttr_Unknown);
  EXPECT_EQ(C_BufferAttributes(buffer.get()).GetType("ExpPathValue_dt"), BufAttr_Unknown);

  // An existing "FileName" is overwritten, also by an export.
  const std::string target = PathOf("other.tst");
  ExportBuffer(buffer.get(), target, tree);
  EXPECT_EQ(script.seenFileName, target);
  EXPECT_EQ(tree->GetText("FileName")->GetValue(), target);
}

TEST_F(FileFrontEnd, ImportInformationCountsComeFromThePlugin)
{
  const std::string path = PathOf("info.tst");
  WriteText(path, "x");
  unsigned x = 0, y = 0, z = 0, frames = 0;
  std::unique_ptr<I_Buffer> buffer(GetImportInformation(path, x, y, z, frames, true));
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(std::vector<unsigned>({x, y, z, frames}), std::vector<unsigned>({11, 12, 13, 14}));

  script.mode = E_TestMode::Throw;
  EXPECT_EQ(MessageOf([&] { delete GetImportInformation(path, x, y, z, frames, false); }),
            "std::exception: no information");
}

TEST_F(FileFrontEnd, ExportReplacesTheFileOnlyOnSuccess)
{
  const std::string target = PathOf("data.tst");
  WriteText(target, "OLD");
  const auto tree = RTE::Parameter::CreateTree();

  for (E_TestMode failing : {E_TestMode::Throw, E_TestMode::WriteThenThrow})
  {
    script.mode = failing;
    EXPECT_THROW(ExportBuffer(nullptr, target, tree), std::runtime_error);
    EXPECT_EQ(ReadText(target), "OLD");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>({"data.tst"}));
  }

  script.mode = E_TestMode::BreakStream;
  EXPECT_EQ(MessageOf([&] { ExportBuffer(nullptr, target, tree); }), "Unable to write file:" + target);
  EXPECT_EQ(ReadText(target), "OLD");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>({"data.tst"}));

  script.mode = E_TestMode::Normal;
  ExportBuffer(nullptr, target, tree);
  EXPECT_EQ(ReadText(target), "NEW");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>({"data.tst"}));

  // A new file appears only when the export succeeded.
  script.mode = E_TestMode::WriteThenThrow;
  EXPECT_THROW(ExportBuffer(nullptr, PathOf("fresh.tst"), tree), std::runtime_error);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>({"data.tst"}));
}

TEST_F(FileFrontEnd, PluginThatClosesTheStreamItself)
{
  const std::string target = PathOf("closed.tst");
  const auto tree = RTE::Parameter::CreateTree();
  script.mode = E_TestMode::CloseStreamItself;
  ExportBuffer(nullptr, target, tree); // a second fclose would be caught by the sanitizers
  EXPECT_EQ(ReadText(target), "NEW");
  ASSERT_TRUE(tree->GetBool("ClosedFile")->GetValue());

  // The flag left in the reused tree does not keep the next stream open and unwritten.
  script.mode = E_TestMode::Normal;
  WriteText(target, "OLD");
  ExportBuffer(nullptr, target, tree);
  EXPECT_EQ(ReadText(target), "NEW");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>({"closed.tst"}));
}

TEST_F(FileFrontEnd, ListOfFiletypesStartsWithTheBuiltInsInTableOrder)
{
  using Types = std::vector<std::pair<std::string, std::string>>;
  const Types builtIn = {
      {"IM7", "Korimend image file format IM7"},  {"VC7", "Korimend file format VC7"},
      {"IMG", "Korimend image file format IMG"},  {"IMX", "Korimend image file format IMX"},
      {"VEC", "Korimend vector file format VEC"},
  };
  const auto types = GetListOfFiletypes();
  ASSERT_GE(types.size(), builtIn.size() + 1);
  EXPECT_EQ(Types(types.begin(), types.begin() + 5), builtIn);
  EXPECT_EQ(types.back(), std::make_pair(std::string("TST"), std::string("Test format")));

  EXPECT_TRUE(IsFiletypeAvailable("vc7"));
  EXPECT_TRUE(IsFiletypeAvailable("Im7"));
  EXPECT_TRUE(IsFiletypeAvailable("tst"));
  EXPECT_FALSE(IsFiletypeAvailable("x.vc7"));
  EXPECT_FALSE(IsFiletypeAvailable("VC"));
  EXPECT_FALSE(IsFiletypeAvailable(""));
}

TEST_F(FileFrontEnd, OptionTreesOfTheBuiltInPlugins)
{
  for (const char* name : {"a.im7", "a.VC7"})
  {
    const auto options = GetExportParameter(name);
    ASSERT_EQ(options->GetNames(), std::vector<std::string>({"PackType"})) << name;
    const auto packType = options->GetInteger("PackType");
    EXPECT_EQ(packType->GetCaption(), "");
    EXPECT_EQ(packType->GetTooltip(), "Compression type: IMG, IMG, ZLIB, ...");
    EXPECT_EQ(packType->GetAccessMode(), 2);
    EXPECT_EQ(packType->GetValue(), 0);
    EXPECT_EQ(packType->GetMinimum(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(packType->GetMaximum(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(packType->GetEditor(), RTE::Parameter::C_Integer::EditorSpinBox);
    EXPECT_TRUE(GetImportParameter(name)->GetNames().empty());
  }
  for (const char* name : {"a.img", "a.imx", "a.Vec"})
  {
    const auto options = GetExportParameter(name);
    ASSERT_EQ(options->GetNames(), std::vector<std::string>({"IMG"})) << name;
    const auto img = options->GetBool("IMG");
    EXPECT_EQ(img->GetCaption(), "-");
    EXPECT_EQ(img->GetTooltip(), "TRUE to store with IMG compression, FALSE for IMX.");
    EXPECT_EQ(img->GetAccessMode(), 2);
    EXPECT_FALSE(img->GetValue());
    EXPECT_EQ(img->GetEditor(), RTE::Parameter::C_Bool::EditorCheckBox);
    EXPECT_TRUE(GetImportParameter(name)->GetNames().empty());
  }
}

TEST_F(FileFrontEnd, DamagedLegacyFilesAndEmptyBuffersRaiseAndLeaveNoFile)
{
  const auto tree = RTE::Parameter::CreateTree();
  const std::string img = PathOf("old.img");
  WriteText(img, "not an image");
  EXPECT_EQ(MessageOf([&] { delete ImportBuffer(img, tree); }), "IMG/IMX/VEC incomplete header");
  unsigned x = 0, y = 0, z = 0, frames = 0;
  EXPECT_EQ(MessageOf([&] { delete GetImportInformation(img, x, y, z, frames, true); }),
            "IMG/IMX/VEC incomplete header");
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  EXPECT_EQ(MessageOf([&] { ExportBuffer(buffer.get(), PathOf("old.vec"), tree); }),
            "Can't export buffer without frames to IM7.");
  EXPECT_EQ(MessageOf([&] { ExportBuffer(buffer.get(), PathOf("old.IMX"), tree); }),
            "Can't export buffer without frames to IM7.");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>({"old.img"}));
}

TEST_F(FileFrontEnd, DamagedIM7FileIsRefusedAndTheEarlierFileKept)
{
  const std::string path = PathOf("damaged.im7");
  WriteText(path, "certainly not an IM7 file");
  EXPECT_THROW(delete ImportBuffer(path, RTE::Parameter::CreateTree()), RTE::Exception);
  unsigned x = 0, y = 0, z = 0, frames = 0;
  EXPECT_THROW(delete GetImportInformation(path, x, y, z, frames, true), RTE::Exception);

  // An empty buffer cannot be stored; the earlier file stays as it was.
  std::unique_ptr<I_Buffer> empty(CreateBuffer());
  EXPECT_THROW(ExportBuffer(empty.get(), path, RTE::Parameter::CreateTree()), RTE::Exception);
  EXPECT_EQ(ReadText(path), "certainly not an IM7 file");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>({"damaged.im7"}));
}

namespace
{
//! Whether b holds every component of a by name, plane for plane byte for
//! byte (an imported frame carries attributes of its own besides).
bool SameData(const I_Frame& a, const I_Frame& b)
{
  if (a.GetNumberOfComponents() != b.GetNumberOfComponents() || a.GetDepth() != b.GetDepth())
  {
    return false;
  }
  for (unsigned c = 0; c < a.GetNumberOfComponents(); ++c)
  {
    const int other = b.GetComponentIndex(a.GetComponentName(int(c)));
    for (unsigned z = 0; z < a.GetDepth(); ++z)
    {
      if (other < 0 || !a.GetPlane(int(c), z)->IsEqual(b.GetPlane(other, z)))
      {
        return false;
      }
    }
  }
  return true;
}

} // namespace

// Through the real plugins, by path: what goes out comes back equal, with
// "LoadFile" added on import, and no temporary file is left behind.
TEST_F(FileFrontEnd, ImagesAndVectorsComeBackThroughIM7AndVC7Files)
{
  std::unique_ptr<I_Buffer> images(CreateBuffer());
  for (unsigned f = 0; f < 2; ++f)
  {
    I_FrameImage* image = images->AddImageFrame(5, 3, 2, DT_UInt16);
    for (unsigned i = 0; i < 30; ++i)
    {
      image->SetPixel(i % 5, (i / 5) % 3, i / 15, 1000.0 * f + 7.0 * i);
    }
    image->CreateValidMask();
    image->SetValid(1, 2, 1, false);
  }
  std::unique_ptr<I_Buffer> vectors(CreateBuffer());
  I_FrameVector2C* field = vectors->AddVectorFrame2C(4, 3, 1, 1, DT_Float, 16);
  C_CompatibleVectorPlaneAccess(field, 0).SetVector3D(2, 1, 1.5f, -0.25f, 0.0f, VA_Choice1);

  for (const std::int64_t packType : {0, 2})
  {
    for (const auto& [source, name] :
         {std::pair<I_Buffer*, std::string>{images.get(), "images.im7"}, {vectors.get(), "field.VC7"}})
    {
      SCOPED_TRACE(name + " pack type " + std::to_string(packType));
      const std::string path = PathOf(name);
      auto options = GetExportParameter(path);
      options->GetInteger("PackType")->SetValue(packType);
      ExportBuffer(source, path, options);
      std::unique_ptr<I_Buffer> back(ImportBuffer(path, RTE::Parameter::CreateTree()));
      ASSERT_EQ(back->GetNumberOfFrames(), source->GetNumberOfFrames());
      for (unsigned f = 0; f < source->GetNumberOfFrames(); ++f)
      {
        EXPECT_TRUE(SameData(*source->GetFrame(f), *back->GetFrame(f))) << "frame " << f;
      }
      EXPECT_EQ(C_BufferAttributes(back.get()).GetString("LoadFile"), path);
    }
  }
  std::vector<std::string> entries = FolderEntries();
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, std::vector<std::string>({"field.VC7", "images.im7"}));
}

TEST(FilePluginRegistration, FailuresAreRecordedAndLoadingGoesOn)
{
  auto& registry = RTE::C_PluginRegistry::GetInstance();
  for (const std::string& error : registry.GetErrors())
    EXPECT_EQ(error.find("auto registration"), std::string::npos) << error;

  RegisterGuarded([] { throw std::runtime_error("no memory"); });
  ASSERT_FALSE(registry.GetErrors().empty());
  EXPECT_EQ(registry.GetErrors().back(), "Exception during plugin auto registration: no memory");
  RegisterGuarded([] { throw 7; });
  EXPECT_EQ(registry.GetErrors().back(), "unknown exception during plugin auto registration");

  // Registering again changes nothing: the keys stay unique and in order.
  RegisterFilePlugins();
  const auto keys = RTE::C_PluginFactory::GetInstance().GetKeys(kBuffer2FilePluginName);
  ASSERT_GE(keys.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 5),
            std::vector<std::string>({"IM7", "VC7", "IMG", "IMX", "VEC"}));
}

TEST_F(FileFrontEnd, BuiltInImportSetsLoadFileAndPathValues)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  buffer->AddImageFrame(4, 3, 1, DT_UInt16);
  const std::string path = PathOf("Run_dt=10.Im7");
  const std::string written = MessageOf([&] { ExportBuffer(buffer.get(), path, RTE::Parameter::CreateTree()); });
  ASSERT_EQ(written, "no exception");

  std::unique_ptr<I_Buffer> back(ImportBuffer(path, RTE::Parameter::CreateTree()));
  ASSERT_NE(back, nullptr);
  C_BufferAttributes attributes(back.get());
  EXPECT_EQ(attributes.GetString("LoadFile"), path);
  EXPECT_EQ(attributes.GetString("ExpPathValue_dt"), "10");

  unsigned x = 0, y = 0, z = 0, frames = 0;
  std::unique_ptr<I_Buffer> described(GetImportInformation(path, x, y, z, frames, true));
  EXPECT_EQ(std::vector<unsigned>({x, y, z, frames}), std::vector<unsigned>({4, 3, 1, 1}));
  EXPECT_EQ(C_BufferAttributes(described.get()).GetString("LoadFile"), path);
  std::unique_ptr<I_Buffer> bare(GetImportInformation(path, x, y, z, frames, false));
  EXPECT_EQ(C_BufferAttributes(bare.get()).GetType("LoadFile"), BufAttr_Unknown);
}
