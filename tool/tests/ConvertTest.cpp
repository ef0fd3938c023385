// `convert`: round trips through every writable format, compared with the
// library after reading back, frame ranges, pack types and batches.

#include "ToolTestHelpers.h"

#include <BufferTiff/TiffPlugin.h>

#include <gtest/gtest.h>

#include <filesystem>

using namespace BufferApi;
using namespace ToolTest;
using nlohmann::json;

namespace
{
//! Every pixel of every frame of a equals the one of b.
void ExpectSamePixels(const I_Buffer& a, const I_Buffer& b, unsigned firstOfB = 0)
{
  for (unsigned f = 0; f < b.GetNumberOfFrames(); ++f)
  {
    const auto* want = dynamic_cast<const I_FrameImage*>(a.GetFrame(f + firstOfB));
    const auto* got = dynamic_cast<const I_FrameImage*>(b.GetFrame(f));
    ASSERT_TRUE(want && got);
    ASSERT_EQ(got->GetWidth(), want->GetWidth());
    ASSERT_EQ(got->GetHeight(), want->GetHeight());
    ASSERT_EQ(got->GetDepth(), want->GetDepth());
    for (unsigned z = 0; z < want->GetDepth(); ++z)
      for (unsigned y = 0; y < want->GetHeight(); ++y)
        for (unsigned x = 0; x < want->GetWidth(); ++x)
          ASSERT_EQ(got->GetPixel(x, y, z), want->GetPixel(x, y, z)) << f << " " << x << " " << y << " " << z;
  }
}

void ExpectSameVectors(const I_Buffer& a, const I_Buffer& b)
{
  auto* want = dynamic_cast<I_FrameVector2C*>(a.GetFrame(0));
  auto* got = dynamic_cast<I_FrameVector2C*>(b.GetFrame(0));
  ASSERT_TRUE(want && got);
  C_VectorHelper wantAccess(want);
  C_VectorHelper gotAccess(got);
  for (unsigned y = 0; y < want->GetHeight(); ++y)
    for (unsigned x = 0; x < want->GetWidth(); ++x)
    {
      double u1 = 0, v1 = 0, w1 = 0, u2 = 0, v2 = 0, w2 = 0;
      EXPECT_EQ(gotAccess.GetVector(x, y, 0, u2, v2, w2, VA_Disabled),
                wantAccess.GetVector(x, y, 0, u1, v1, w1, VA_Disabled));
      EXPECT_EQ(u2, u1);
      EXPECT_EQ(v2, v1);
    }
}

//! Vectors that differ from cell to cell, one disabled.
BufferPtr MakeVaryingVectors()
{
  BufferPtr buffer = MakeVectors(6, 5, 0.0f, 0.0f);
  C_CompatibleVectorPlaneAccess access(dynamic_cast<I_FrameVector*>(buffer->GetFrame(0)), 0);
  for (unsigned y = 0; y < 5; ++y)
    for (unsigned x = 0; x < 6; ++x)
      access.SetVector3D(x, y, 0.5f * x, -0.25f * y + 3.0f, 0.0f, VA_Choice1);
  access.SetVector3D(2, 3, 0.0f, 0.0f, 0.0f, VA_Disabled);
  return buffer;
}

class ConvertTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    folder = TestFolder();
    images = MakeImages(12, 7, 2, 3);
    source = folder + "/in.im7";
    Save(*images, source);
  }
  S_Run Convert(const std::vector<std::string>& arguments)
  {
    std::vector<std::string> all = {"convert"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunTool(all);
  }
  std::string folder;
  BufferPtr images;
  std::string source;
};
} // namespace

TEST_F(ConvertTest, ImagesRoundTripThroughEveryImageFormat)
{
  for (const char* extension : {"im7", "img", "imx"})
  {
    const std::string out = folder + "/out." + extension;
    const S_Run run = Convert({source, out});
    ASSERT_EQ(run.exitCode, 0) << extension << ": " << run.err;
    EXPECT_EQ(run.err, "") << "no progress bar when stderr is no terminal";
    EXPECT_EQ(run.out.rfind("converted 1 of 1 files, 3 frames, ", 0), 0u) << run.out;
    const BufferPtr back = Load(out);
    ASSERT_EQ(back->GetNumberOfFrames(), 3u) << extension;
    ExpectSamePixels(*images, *back);
  }
}

TEST_F(ConvertTest, SummaryCountsBytesInAndOut)
{
  const std::string out = folder + "/out.imx";
  const S_Run run = Convert({source, out});
  const std::string bytes = std::to_string(std::filesystem::file_size(source)) + " bytes in, " +
                            std::to_string(std::filesystem::file_size(out)) + " bytes out, ";
  EXPECT_NE(run.out.find(bytes), std::string::npos) << run.out;
}

TEST_F(ConvertTest, VectorsRoundTripThroughVc7AndVec)
{
  const BufferPtr vectors = MakeVaryingVectors();
  Save(*vectors, folder + "/v.vc7");
  ASSERT_EQ(Convert({folder + "/v.vc7", folder + "/v.vec"}).exitCode, 0);
  ExpectSameVectors(*vectors, *Load(folder + "/v.vec"));
  const S_Run back = Convert({folder + "/v.vec", folder + "/back.vc7"});
  ASSERT_EQ(back.exitCode, 0) << back.err;
  ExpectSameVectors(*vectors, *Load(folder + "/back.vc7"));
}

TEST_F(ConvertTest, PackTypeReachesTheIm7Header)
{
  const std::string out = folder + "/packed.im7";
  ASSERT_EQ(Convert({source, out, "--pack-type", "2"}).exitCode, 0);
  EXPECT_EQ(RunJson({"info", "--json", out})[0]["pack_type"], 2);
  ExpectSamePixels(*images, *Load(out));
  EXPECT_EQ(RunJson({"info", "--json", source})[0]["pack_type"], 0);
}

TEST_F(ConvertTest, PackTypeOfALegacyFormatIsRefused)
{
  const S_Run run = Convert({source, folder + "/out.img", "--pack-type", "1"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "buffer convert: error: --pack-type applies to IM7 and VC7 files only, not to " + folder + "/out.img\n");
  EXPECT_FALSE(std::filesystem::exists(folder + "/out.img"));
}

TEST_F(ConvertTest, FrameRangeIncludesAAndExcludesB)
{
  struct S_Case
  {
    const char* range;
    unsigned first;
    unsigned count;
  };
  for (const S_Case& c : {S_Case{"0:3", 0, 3}, S_Case{"2:3", 2, 1}, S_Case{"0:1", 0, 1}, S_Case{"1:", 1, 2},
                          S_Case{":2", 0, 2}, S_Case{":", 0, 3}})
  {
    const std::string out = folder + "/part.im7";
    const S_Run run = Convert({source, out, "--frames", c.range});
    ASSERT_EQ(run.exitCode, 0) << c.range << ": " << run.err;
    const BufferPtr back = Load(out);
    ASSERT_EQ(back->GetNumberOfFrames(), c.count) << c.range;
    ExpectSamePixels(*images, *back, c.first);
  }
}

TEST_F(ConvertTest, BadFrameRangesAreRefused)
{
  const std::string prefix = "buffer convert: error: ";
  const std::string out = folder + "/part.im7";
  EXPECT_EQ(Convert({source, out, "--frames", "3:3"}).err,
            prefix + "--frames 3:3 selects no frame: A must be below B\n");
  EXPECT_EQ(Convert({source, out, "--frames", "2:1"}).err,
            prefix + "--frames 2:1 selects no frame: A must be below B\n");
  EXPECT_EQ(Convert({source, out, "--frames", "0:4"}).err,
            prefix + "--frames 0:4 reaches beyond the 3 frames of the file\n");
  EXPECT_EQ(Convert({source, out, "--frames", "3:"}).err, prefix + "--frames 3: selects no frame: A must be below B\n");
  EXPECT_EQ(Convert({source, out, "--frames", "2"}).err,
            prefix + "--frames needs A:B (first frame included, frame B excluded), not '2'\n");
  EXPECT_EQ(Convert({source, out, "--frames", "a:2"}).err,
            prefix + "the first frame of --frames must be a whole number >= 0, not 'a'\n");
  EXPECT_EQ(Convert({source, out, "--frames", "0:-1"}).err,
            prefix + "the end of --frames must be a whole number >= 0, not '-1'\n");
  EXPECT_EQ(Convert({source, out, "--frames", "3:3"}).exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(ConvertTest, ManyFilesIntoAFolder)
{
  Save(*MakeImages(5, 5, 1, 1), folder + "/second.im7");
  const std::string target = folder + "/converted";
  const S_Run run = Convert({source, folder + "/second.im7", "-o", target, "--to", "imx"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.rfind("converted 2 of 2 files, 4 frames, ", 0), 0u) << run.out;
  ExpectSamePixels(*images, *Load(target + "/in.imx"));
  EXPECT_EQ(Load(target + "/second.imx")->GetNumberOfFrames(), 1u);
  ASSERT_EQ(Convert({source, "-o", target, "--to", ".vc7"}).exitCode, 0) << "a leading dot is allowed";
  EXPECT_TRUE(std::filesystem::exists(target + "/in.vc7"));
}

TEST_F(ConvertTest, BatchGoesOnAfterAFailedFile)
{
  const S_Run run = Convert({folder + "/missing.im7", source, "-o", folder + "/out", "--to", "im7"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "buffer convert: " + folder + "/missing.im7: no such file: " + folder + "/missing.im7\n");
  EXPECT_EQ(run.out.rfind("converted 1 of 2 files, 3 frames, ", 0), 0u) << run.out;
}

TEST_F(ConvertTest, WrongArgumentsAreRefused)
{
  const std::string prefix = "buffer convert: error: ";
  EXPECT_EQ(Convert({source}).err, prefix + "convert takes IN OUT, or IN... -o DIR --to EXT\n");
  EXPECT_EQ(Convert({source, source, source}).err, prefix + "convert takes IN OUT, or IN... -o DIR --to EXT\n");
  EXPECT_EQ(Convert({source, "-o", folder}).err, prefix + "-o DIR needs --to EXT (for example --to vc7)\n");
  EXPECT_EQ(Convert({source, folder + "/x.im7", "--to", "im7"}).err, prefix + "--to needs -o DIR\n");
  EXPECT_EQ(Convert({source, folder + "/x.xyz"}).err,
            prefix + "can't write files of type 'XYZ' (" + folder + "/x.xyz)\n");
  EXPECT_NE(Convert({source, folder + "/x.xyz"}).exitCode, 0);
}

TEST_F(ConvertTest, LibraryFailuresPassTheirMessage)
{
  // The legacy formats store plain images: a typed scalar of another element type is refused by the library.
  CreateTypedScalarFrameBound(images.get(), "T", DT_Float);
  Save(*images, folder + "/ts.im7");
  const S_Run run = Convert({folder + "/ts.im7", folder + "/ts.img"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "buffer convert: error: IMG/IMX/VEC can't store component TS:T: its data type differs from "
                     "the frame's.\n");
  EXPECT_FALSE(std::filesystem::exists(folder + "/ts.img"));
}

TEST_F(ConvertTest, ImagesRoundTripThroughTiff)
{
  BufferTiff::RegisterTiffPlugins(); // for the test's own reading back
  const BufferPtr single = MakeImages(12, 7, 1, 1);
  Save(*single, folder + "/one.im7");
  for (const char* extension : {"tif", "tiff"})
  {
    const std::string out = folder + "/one." + extension;
    const S_Run run = Convert({folder + "/one.im7", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    ExpectSamePixels(*single, *Load(out));
    EXPECT_EQ(RunJson({"info", "--json", out})[0]["detected_format"], "TIFF");
  }
}

TEST_F(ConvertTest, TiffNamesTheComponentsItLeavesOut)
{
  const BufferPtr masked = MakeImages(12, 7, 1, 2);
  for (unsigned f = 0; f < 2; ++f)
    masked->GetFrame(f)->CreateValidMask();
  Save(*masked, folder + "/masked.im7");
  BufferTiff::RegisterTiffPlugins();
  const std::string out = folder + "/masked.tif";
  const S_Run run = Convert({folder + "/masked.im7", out});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "note: " + out + " keeps the pixels only; not stored: MASK\n");
  ExpectSamePixels(*masked, *Load(out));
}
