#include <BufferApi.h>
#include <RTE/RTE.h>

#include "Buffer2File.IM7/IM7File.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace
{
// Collects what the runtime layer logs while a test runs.
class LogCapture
{
public:
  LogCapture()
  {
    m_previous = RTE::SetLogHandler([this](const RTE::Exception& e) { m_logged.push_back(e.message()); });
  }
  ~LogCapture() { RTE::SetLogHandler(m_previous); }
  const std::vector<QString>& Logged() const { return m_logged; }

private:
  RTE::LogHandler m_previous;
  std::vector<QString> m_logged;
};
} // namespace

TEST(RuntimeException, RaiseBuildsMessageRecordsLocationLogsAndThrows)
{
  LogCapture capture;
  const std::string name = "width";
  int expectedLine = 0;
  try
  {
    expectedLine = __LINE__ + 1;
    RTE_RAISE(RTE::Exception, "Sources\\C_Test", "Value " << name << " is " << 42u << '.');
  }
  catch (const RTE::Exception& e)
  {
    EXPECT_EQ(e.message(), QString("Value width is 42."));
    EXPECT_STREQ(e.what(), "Value width is 42.");
    EXPECT_EQ(e.file(), QString("Sources\\C_Test"));
    EXPECT_EQ(e.line(), expectedLine);
  }
  ASSERT_EQ(capture.Logged().size(), 1u);
  EXPECT_EQ(capture.Logged()[0], QString("Value width is 42."));
}

TEST(RuntimeException, VerificationFailedIsAnExceptionAndCatchableAsStd)
{
  try
  {
    RTE_RAISE(RTE::VerificationFailed, "Sources\\C_Test", "Image frame: width is 0.");
  }
  catch (const std::exception& e)
  {
    EXPECT_NE(dynamic_cast<const RTE::VerificationFailed*>(&e), nullptr);
    EXPECT_STREQ(e.what(), "Image frame: width is 0.");
    return;
  }
  FAIL() << "nothing thrown";
}

TEST(RuntimeException, EightBitTextSurvivesMessageAndWhat)
{
  const std::string micro = "\xB5m";
  const RTE::Exception e(QString::fromLatin1(micro.c_str()));
  EXPECT_EQ(std::string(e.what()), micro);
  const RTE::Exception copy = e;
  EXPECT_EQ(copy.message(), e.message());
}

TEST(RuntimeException, IndexMessageHasTheFixedShape)
{
  try
  {
    RTE_RAISE_INDEX(RTE::Exception, "Sources\\C_Component", "Plane index was out of bounds.", 5, 0, 1);
  }
  catch (const RTE::Exception& e)
  {
    const QString expected =
        QString("Plane index was out of bounds. 5 out of bounds 0 - 1 [line %1 in file Sources\\C_Component]")
            .arg(e.line());
    EXPECT_EQ(e.message(), expected);
    return;
  }
  FAIL() << "nothing thrown";
}

TEST(RuntimeException, QuietByDefault)
{
  RTE::LogHandler previous = RTE::SetLogHandler({});
  EXPECT_THROW(RTE_RAISE(RTE::Exception, "x", "quiet"), RTE::Exception);
  RTE::SetLogHandler(previous);
}

namespace
{
class TestPlugin : public RTE::I_Plugin
{
public:
  explicit TestPlugin(int pluginId)
      : id(pluginId)
  {
  }
  int id;
};
} // namespace

TEST(RuntimePlugins, RegistryAndFactoryAnswerByNameAndKey)
{
  auto& registry = RTE::C_PluginRegistry::GetInstance();
  EXPECT_TRUE(
      registry.RegisterPlugin("Test.Family", "A", "first", [](RTE::I_CreationContext*) { return new TestPlugin(1); }));
  EXPECT_TRUE(
      registry.RegisterPlugin("Test.Family", "B", "second", [](RTE::I_CreationContext*) { return new TestPlugin(2); }));
  EXPECT_FALSE(
      registry.RegisterPlugin("Test.Family", "A", "again", [](RTE::I_CreationContext*) { return new TestPlugin(3); }));
  EXPECT_FALSE(registry.RegisterPlugin("Test.Family", "C", "no creator", nullptr));

  auto& factory = RTE::C_PluginFactory::GetInstance();
  EXPECT_EQ(factory.GetKeys("Test.Family"), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(factory.GetDescriptions("Test.Family"), (std::vector<std::string>{"first", "second"}));
  EXPECT_TRUE(factory.GetKeys("Test.Other").empty());

  const auto plugin = std::dynamic_pointer_cast<TestPlugin>(factory.Create("Test.Family", "B"));
  ASSERT_TRUE(plugin);
  EXPECT_EQ(plugin->id, 2);
  EXPECT_FALSE(factory.Create("Test.Family", "Z"));
  EXPECT_FALSE(factory.Create("Other", "A"));

  registry.AddError("Exception during plugin auto registration: boom");
  EXPECT_EQ(registry.GetErrors().back(), "Exception during plugin auto registration: boom");
}

TEST(RuntimeParameters, TreeStoresTypedParametersByName)
{
  using namespace RTE::Parameter;
  auto tree = CreateTree();
  tree->Add(CreateInteger("PackType", "Pack type", "", 2, 3, 0, 10, C_Integer::EditorSpinBox));
  tree->Add(CreateBool("ConvertByteToWord", "", "", 2, true, C_Bool::EditorCheckBox));
  tree->Add(CreateText("FileName", "", "", 2, "a.im7", C_Text::EditorLineEdit));
  EXPECT_TRUE(tree->Exists("PackType"));
  EXPECT_FALSE(tree->Exists("packtype"));
  EXPECT_EQ(tree->GetInteger("PackType")->GetValue(), 3);
  EXPECT_EQ(tree->GetInteger("PackType")->GetMaximum(), 10);
  EXPECT_TRUE(tree->GetBool("ConvertByteToWord")->GetValue());
  EXPECT_EQ(tree->GetText("FileName")->GetValue(), "a.im7");

  tree->Add(CreateInteger("PackType", "", "", 2, 7, 0, 10, C_Integer::EditorSpinBox));
  EXPECT_EQ(tree->GetInteger("PackType")->GetValue(), 7);
  EXPECT_EQ(tree->GetNames(), (std::vector<std::string>{"PackType", "ConvertByteToWord", "FileName"}));
}

TEST(RuntimeParameters, MissingOrMistypedParameterRaises)
{
  auto tree = RTE::Parameter::CreateTree();
  tree->Add(RTE::Parameter::CreateBool("Flag", "", "", 2, false, RTE::Parameter::C_Bool::EditorCheckBox));
  try
  {
    tree->GetInteger("Flag");
    FAIL() << "nothing thrown";
  }
  catch (const RTE::Exception& e)
  {
    EXPECT_EQ(e.message(), QString("Parameter \"Flag\" is not an integer."));
  }
  EXPECT_THROW(tree->GetText("Missing"), RTE::Exception);
  EXPECT_FALSE(tree->Get("Missing"));
}

TEST(RuntimeFileSystem, SizePositionAndSeek)
{
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  const char data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  ASSERT_EQ(std::fwrite(data, 1, sizeof data, file), sizeof data);
  EXPECT_EQ(RTE::FileSystem::GetSize(file), 10u);
  EXPECT_EQ(RTE::FileSystem::GetPosition(file), 10);
  EXPECT_TRUE(RTE::FileSystem::SetPosition(file, 4));
  EXPECT_EQ(std::fgetc(file), 4);
  EXPECT_EQ(RTE::FileSystem::GetSize(file), 10u);
  EXPECT_EQ(RTE::FileSystem::GetPosition(file), 5);
  std::fclose(file);
}

TEST(RuntimeFileSystem, ExtractExtension)
{
  using RTE::FileSystem::ExtractExtension;
  EXPECT_EQ(ExtractExtension("C:\\data\\run.im7", false), "im7");
  EXPECT_EQ(ExtractExtension("/data/run.1/B0001.vc7", false), "vc7");
  EXPECT_EQ(ExtractExtension("/data/run.1/noext", false), "");
  EXPECT_EQ(ExtractExtension("a.tar.gz", false), "gz");
  EXPECT_EQ(ExtractExtension("a.im7", true), ".im7");
}

TEST(RuntimeFileSystem, OpenReportsFailure)
{
  std::FILE* file = reinterpret_cast<std::FILE*>(1);
  EXPECT_NE(RTE::fopen_s(&file, "/nonexistent-dir/x.im7", "rb"), 0);
  EXPECT_EQ(file, nullptr);
}

TEST(RuntimeString, ToUpperAndReplace)
{
  std::string extension = "im7";
  RTE::String::ToUpper(extension);
  EXPECT_EQ(extension, "IM7");
  EXPECT_EQ(RTE::String::Replace("C:\\run/dt=10", "/", "_"), "C:\\run_dt=10");
  EXPECT_EQ(RTE::String::Replace("a,b,,c", ",", " "), "a b  c");
  EXPECT_EQ(RTE::String::Replace("aaa", "aa", "b"), "ba");
  EXPECT_EQ(RTE::String::Replace("abc", "", "x"), "abc");
}

namespace
{
std::string UnitOf(const std::function<void()>& raise)
{
  try
  {
    raise();
  }
  catch (const RTE::Exception& e)
  {
    return e.file().toStdString();
  }
  return "nothing raised";
}
} // namespace

// The unit recorded with an exception is the file that raised it, also for
// units below a nested folder and for the runtime layer itself.
TEST(RuntimeException, LocationNamesTheRaisingUnit)
{
  EXPECT_EQ(UnitOf([] { delete BufferApi::CreateVectorFrame2C(0, 1, 1, 1); }), "Sources\\VectorFrameCreation");
  EXPECT_EQ(
      UnitOf([]
             { BufferApi::ReadIM7(nullptr, nullptr, true, true, false, false, nullptr, nullptr, nullptr, nullptr); }),
      "Sources\\Buffer2File.IM7\\IM7Reader");
  EXPECT_EQ(UnitOf([] { RTE::Parameter::CreateTree()->GetBool("Absent"); }), "runtime\\RTE\\Parameter");
  EXPECT_EQ(UnitOf([] { RTE_RAISE(RTE::Exception, RTE_SOURCE_UNIT, "here"); }), "tests\\RuntimeTest");
}
