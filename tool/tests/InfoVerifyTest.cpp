// `info`, `dump`, `verify` and the help of every subcommand, run as a process.

#include "ToolTestHelpers.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace BufferApi;
using namespace ToolTest;
using nlohmann::json;

namespace
{
void SetText(I_Buffer& buffer, const std::string& path, const std::string& text)
{
  dynamic_cast<I_Attribute<std::string>&>(*buffer.CreateAttribute(path, AttrString)).SetValue(text);
}

//! Three 16 x 8 x 2 uint16 frames with a mask, a typed scalar of each kind, a global attribute and mm scales.
std::string WriteRichImageFile(const std::string& folder)
{
  BufferPtr buffer = MakeImages(16, 8, 2, 3);
  SetText(*buffer, "Recording.Name", "channel flow");
  for (unsigned f = 0; f < 3; ++f)
  {
    I_Frame* frame = buffer->GetFrame(f);
    frame->CreateValidMask();
    frame->SetScaleX(C_ScaleFactory::GetInstance().CreateLinearScale(0.5, 2.0, "mm", "X"));
  }
  CreateTypedScalarFrameBound(buffer.get(), "Temperature", DT_Float);
  CreateTypedScalarGlobal(buffer.get(), "Field", DT_Float, 2, 2, 1, 1);
  const std::string path = folder + "/rich.im7";
  Save(*buffer, path);
  return path;
}
} // namespace

TEST(Help, EverySubcommandExitsZeroWithUsage)
{
  for (const char* command : {"info", "dump", "verify", "convert", "stats", "render"})
  {
    const S_Run run = RunTool({command, "--help"});
    EXPECT_EQ(run.exitCode, 0) << command;
    EXPECT_NE(run.out.find(std::string("Usage: buffer ") + command), std::string::npos) << run.out;
  }
  EXPECT_EQ(RunTool({"--help"}).exitCode, 0);
}

TEST(Help, MissingOrUnknownSubcommandFails)
{
  EXPECT_NE(RunTool({}).exitCode, 0);
  const S_Run unknown = RunTool({"frobnicate"});
  EXPECT_NE(unknown.exitCode, 0);
  EXPECT_EQ(unknown.err, "A subcommand is required\nRun with --help for more information.\n");
  EXPECT_NE(RunTool({"info"}).exitCode, 0) << "a file is required";
}

TEST(Info, TextLineNamesFormatFramesSizeTypesMaskAndTypedScalars)
{
  const std::string path = WriteRichImageFile(TestFolder());
  const S_Run run = RunTool({"info", path});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, path + ": IM7, 3 frames, image, 16x8x2, uint16, pack type 0, mask yes, typed scalars: "
                            "Temperature, Field\n");
}

TEST(Info, QuickReadsTheHeaderOnly)
{
  const std::string path = WriteRichImageFile(TestFolder());
  const S_Run run = RunTool({"info", "--quick", path});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, path + ": IM7, 3 frames, image, 16x8x2, uint16, pack type 0, mask yes, typed scalars: not read\n");
}

TEST(Info, JsonOfSeveralFilesParsesBack)
{
  const std::string folder = TestFolder();
  const std::string images = WriteRichImageFile(folder);
  const std::string vectors = folder + "/field.vc7";
  Save(*MakeVectors(5, 4, 1.0f, 2.0f), vectors);
  const json all = RunJson({"info", "--json", images, vectors});
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0]["frames"], 3);
  EXPECT_EQ(all[0]["size"], json({{"x", 16}, {"y", 8}, {"z", 2}}));
  EXPECT_EQ(all[0]["element_type"], "uint16");
  EXPECT_EQ(all[0]["frame_type"], "image");
  EXPECT_EQ(all[0]["mask"], true);
  EXPECT_EQ(all[0]["detected_format"], "IM7");
  EXPECT_EQ(all[0]["typed_scalars"], json({"Temperature", "Field"}));
  EXPECT_FALSE(all[0].contains("attributes")) << "trees only with -v";
  EXPECT_EQ(all[1]["frames"], 1);
  EXPECT_EQ(all[1]["frame_type"], "vector 2C");
  EXPECT_EQ(all[1]["element_type"], "float");
  EXPECT_EQ(all[1]["size"], json({{"x", 5}, {"y", 4}, {"z", 1}}));
  EXPECT_EQ(all[1]["detected_format"], "VC7");
  EXPECT_EQ(all[1]["mask"], false);
}

TEST(Info, VerboseAddsAttributeTreesAndScales)
{
  const std::string path = WriteRichImageFile(TestFolder());
  const json info = RunJson({"info", "-v", "--json", path})[0];
  const json& attributes = info["attributes"];
  const auto recording =
      std::find_if(attributes.begin(), attributes.end(), [](const json& a) { return a["name"] == "Recording"; });
  ASSERT_NE(recording, attributes.end()) << attributes.dump();
  EXPECT_EQ((*recording)["type"], "node");
  EXPECT_EQ((*recording)["children"][0], json({{"name", "Name"}, {"type", "string"}, {"value", "channel flow"}}));
  ASSERT_EQ(info["frame_details"].size(), 3u);
  const json& scaleX = info["frame_details"][2]["scales"]["X"];
  EXPECT_EQ(scaleX["unit"], "mm");
  EXPECT_EQ(scaleX["factor"], 0.5);
  EXPECT_EQ(scaleX["offset"], 2.0);
  EXPECT_EQ(scaleX["description"], "X");

  const S_Run text = RunTool({"info", "-v", path});
  EXPECT_NE(text.out.find("\n    Recording (node)\n      Name (string) = channel flow\n"), std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("  frame 2 \"\":\n    scales:\n      X: 0.5 * v + 2 [mm] X\n"), std::string::npos)
      << text.out;
}

TEST(Info, NotesAnExtensionThatDoesNotFitTheBytes)
{
  const std::string folder = TestFolder();
  Save(*MakeImages(4, 4, 1, 1), folder + "/a.im7");
  std::filesystem::copy_file(folder + "/a.im7", folder + "/a.vc7");
  const S_Run run = RunTool({"info", folder + "/a.vc7"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("\n  note: file looks like IM7 but its extension is .vc7\n"), std::string::npos) << run.out;
  EXPECT_EQ(RunJson({"info", "--json", folder + "/a.vc7"})[0]["note"],
            "note: file looks like IM7 but its extension is .vc7");
  EXPECT_FALSE(RunJson({"info", "--json", folder + "/a.im7"})[0].contains("note"));

  // Renamed to .vec the file goes to the legacy reader, which refuses it; the note tells why.
  std::filesystem::copy_file(folder + "/a.im7", folder + "/a.vec");
  const S_Run vec = RunTool({"info", folder + "/a.vec"});
  EXPECT_EQ(vec.exitCode, 1);
  EXPECT_NE(vec.err.find("note: file looks like IM7 but its extension is .vec"), std::string::npos) << vec.err;
}

TEST(Info, RecognisesLegacyBitmapAndTiffBytes)
{
  const std::string folder = TestFolder();
  Save(*MakeImages(4, 4, 1, 1), folder + "/a.imx");
  Save(*MakeVectors(3, 3, 1.0f, 0.0f), folder + "/v.vec");
  WriteBytes(folder + "/b.im7", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  WriteBytes(folder + "/t.im7", {'I', 'I', '*', 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  WriteBytes(folder + "/m.im7", {'M', 'M', 0, '*', 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0});
  const json all = RunJson({"info", "--json", folder + "/a.imx", folder + "/v.vec"});
  EXPECT_EQ(all[0]["detected_format"], "IMX");
  EXPECT_EQ(all[0]["pack_type"], 1);
  EXPECT_EQ(all[1]["detected_format"], "VEC");
  EXPECT_EQ(all[1]["frame_type"], "vector 2C");
  for (const auto& [file, format] : {std::pair{"b", "BMP"}, std::pair{"t", "TIFF"}, std::pair{"m", "TIFF"}})
  {
    const S_Run run = RunTool({"info", folder + "/" + file + ".im7"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(std::string("note: file looks like ") + format + " but its extension is .im7"),
              std::string::npos)
        << run.err;
  }
}

TEST(Info, FailuresNameTheFileAndExitOne)
{
  const std::string folder = TestFolder();
  Save(*MakeImages(4, 4, 1, 1), folder + "/good.im7");
  const S_Run missing = RunTool({"info", folder + "/good.im7", folder + "/missing.im7"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.out.find("good.im7: IM7, 1 frame,"), std::string::npos) << "the other files are still shown";
  EXPECT_EQ(missing.err, "buffer info: " + folder + "/missing.im7: no such file: " + folder + "/missing.im7\n");

  WriteBytes(folder + "/x.abc", {1, 2, 3});
  const S_Run unknown = RunTool({"info", folder + "/x.abc"});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.err, "buffer info: " + folder +
                             "/x.abc: Can't read files of type 'ABC'\n"
                             "  note: the content of the file is not recognised\n");
  EXPECT_EQ(RunJson({"info", "--json", folder + "/good.im7"}).size(), 1u);
}

TEST(Dump, PrintsTheLibraryDump)
{
  const std::string folder = TestFolder();
  const BufferPtr buffer = MakeImages(4, 3, 1, 2);
  Save(*buffer, folder + "/a.im7");
  const S_Run run = RunTool({"dump", folder + "/a.im7"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, C_BufferDump(Load(folder + "/a.im7").get()).ToString());
  EXPECT_NE(run.out.find("Frames: 2\nFrame #0\n"), std::string::npos) << run.out;
  EXPECT_EQ(RunTool({"dump", folder + "/none.im7"}).err, "buffer dump: error: no such file: " + folder + "/none.im7\n");
}

class VerifyTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    folder = TestFolder();
    good = folder + "/good.im7";
    Save(*MakeImages(32, 16, 1, 2), good);
    bytes = ReadBytes(good);
  }
  std::string folder;
  std::string good;
  std::vector<unsigned char> bytes;
};

TEST_F(VerifyTest, GoodFilesAreOk)
{
  const S_Run run = RunTool({"verify", good, good});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, good + ": OK\n" + good + ": OK\n");
  const json all = RunJson({"verify", "--json", good});
  EXPECT_EQ(all[0]["ok"], true);
  EXPECT_EQ(all[0]["frames"], 2);
}

TEST_F(VerifyTest, TruncatedFileFailsWithTheLibraryMessage)
{
  const std::string cut = folder + "/cut.im7";
  WriteBytes(cut, {bytes.begin(), bytes.begin() + std::ptrdiff_t(bytes.size() / 2)});
  std::string message = "<nothing raised>";
  try
  {
    Load(cut);
  }
  catch (const RTE::Exception& e)
  {
    message = e.what();
  }
  ASSERT_NE(message.find("outside the blocks of the file"), std::string::npos) << message;
  const S_Run run = RunTool({"verify", good, cut});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, good + ": OK\n" + cut + ": FAILED: " + message + "\n");
  const S_Run asJson = RunTool({"verify", "--json", cut});
  EXPECT_EQ(asJson.exitCode, 1);
  EXPECT_EQ(json::parse(asJson.out)[0]["ok"], false);
}

TEST_F(VerifyTest, CorruptedHeaderFailsWithTheLibraryMessage)
{
  const std::string bad = folder + "/bad.im7";
  bytes[4] = 99; // buffer format code
  WriteBytes(bad, bytes);
  const S_Run run = RunTool({"verify", bad});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, bad + ": FAILED: Can't read this data format yet.\n"
                           "  note: the content of the file is not recognised\n");
}

TEST_F(VerifyTest, JsonReportsFailuresWithExitOne)
{
  const S_Run run = RunTool({"verify", "--json", good, folder + "/missing.im7"});
  EXPECT_EQ(run.exitCode, 1);
  const json all = json::parse(run.out);
  EXPECT_EQ(all[1]["ok"], false);
  EXPECT_EQ(all[1]["error"], "no such file: " + folder + "/missing.im7");
}
