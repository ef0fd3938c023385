// `stats` and `render`: numbers of known data, and pictures decoded with
// libpng: sizes, known pixel values, arrows where vectors are.

#include "ToolTestHelpers.h"

#include <gtest/gtest.h>

using namespace BufferApi;
using namespace ToolTest;
using nlohmann::json;

namespace
{
//! One float frame 10 x 10 holding 0 .. 99 in row order.
BufferPtr MakeHundred()
{
  BufferPtr buffer(CreateBuffer());
  I_FrameImage* frame = buffer->AddImageFrame(10, 10, 1, DT_Float);
  for (unsigned i = 0; i < 100; ++i)
    frame->SetPixel(i % 10, i / 10, 0, i);
  return buffer;
}

//! A 256 x 4 uint16 ramp: pixel (x, y) = x.
std::string WriteRamp(const std::string& folder)
{
  BufferPtr buffer(CreateBuffer());
  I_FrameImage* frame = buffer->AddImageFrame(256, 4, 1, DT_UInt16);
  for (unsigned y = 0; y < 4; ++y)
    for (unsigned x = 0; x < 256; ++x)
      frame->SetPixel(x, y, 0, x);
  const std::string path = folder + "/ramp.im7";
  Save(*buffer, path);
  return path;
}
} // namespace

TEST(Stats, RangeMeanDeviationAndHistogramOfKnownValues)
{
  const std::string path = TestFolder() + "/hundred.im7";
  Save(*MakeHundred(), path);
  const json stats = RunJson({"stats", "--json", path});
  EXPECT_EQ(stats["count"], 100);
  EXPECT_EQ(stats["min"], 0.0);
  EXPECT_EQ(stats["max"], 99.0);
  EXPECT_DOUBLE_EQ(stats["mean"].get<double>(), 49.5);
  EXPECT_NEAR(stats["stddev"].get<double>(), 28.866, 1e-3);
  ASSERT_EQ(stats["histogram"].size(), 10u);
  for (const auto& bin : stats["histogram"])
    EXPECT_EQ(bin["count"], 10) << stats["histogram"].dump();
  EXPECT_EQ(stats["histogram"][0]["from"], 0.0);
  EXPECT_DOUBLE_EQ(stats["histogram"][9]["to"].get<double>(), 99.0);
  EXPECT_EQ(stats["source"], "PIXEL");
  EXPECT_GT(stats["clip"]["min"].get<double>(), 0.0) << "the 99 % range cuts the extremes";

  const S_Run text = RunTool({"stats", "--bins", "4", path});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_NE(text.out.find(path + " frame 0, PIXEL: 100 values\nmin 0, max 99, mean 49.5, std dev 28.866"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find(" 25 ########################################\n"), std::string::npos) << text.out;
}

TEST(Stats, MaskedOutElementsAreLeftOut)
{
  BufferPtr buffer = MakeHundred();
  I_Frame* frame = buffer->GetFrame(0);
  frame->CreateValidMask();
  for (unsigned x = 0; x < 10; ++x)
    for (unsigned y = 5; y < 10; ++y)
      frame->SetValid(x, y, 0, false);
  const std::string path = TestFolder() + "/masked.im7";
  Save(*buffer, path);
  const json stats = RunJson({"stats", "--json", path});
  EXPECT_EQ(stats["count"], 50);
  EXPECT_EQ(stats["max"], 49.0);
  EXPECT_EQ(stats["masked"], true);
}

TEST(Stats, ConstantDataKeepsItsValueAsMaximum)
{
  BufferPtr buffer = MakeImages(4, 4, 1, 1);
  dynamic_cast<I_FrameImage*>(buffer->GetFrame(0))->Fill(7.0);
  const std::string path = TestFolder() + "/seven.im7";
  Save(*buffer, path);
  const json stats = RunJson({"stats", "--json", path});
  EXPECT_EQ(stats["min"], 7.0);
  EXPECT_EQ(stats["max"], 7.0);
  EXPECT_EQ(stats["histogram"][0]["count"], 16);
}

TEST(Stats, VectorLengthAndComponentsOfEnabledVectors)
{
  BufferPtr buffer = MakeVectors(4, 3, 3.0f, 4.0f);
  C_CompatibleVectorPlaneAccess(dynamic_cast<I_FrameVector*>(buffer->GetFrame(0)), 0)
      .SetVector3D(0, 0, 0.0f, 0.0f, 0.0f, VA_Disabled);
  const std::string path = TestFolder() + "/v.vc7";
  Save(*buffer, path);
  const json length = RunJson({"stats", "--json", path});
  EXPECT_EQ(length["source"], "vector length");
  EXPECT_EQ(length["count"], 11);
  EXPECT_EQ(length["max"], 5.0);
  const json v = RunJson({"stats", "--json", "--component", "v", path});
  EXPECT_EQ(v["mean"], 4.0);
  EXPECT_EQ(RunJson({"stats", "--json", "--component", "U0", path})["count"], 12) << "raw components: every element";
}

TEST(Stats, BadArgumentsAreRefused)
{
  const std::string path = TestFolder() + "/hundred.im7";
  Save(*MakeHundred(), path);
  EXPECT_EQ(RunTool({"stats", path, "--frame", "1"}).err,
            "buffer stats: error: frame 1 does not exist (the file has 1 frames)\n");
  const S_Run missing = RunTool({"stats", path, "--component", "NOPE"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err, "buffer stats: error: the frame has no component 'NOPE'\n");
  EXPECT_EQ(RunTool({"stats", path, "--bins", "0"}).err, "buffer stats: error: --bins must be at least 1\n");
  EXPECT_NE(RunTool({"stats", path, "--clip", "200"}).exitCode, 0);
}

TEST(Render, GrayRampKeepsKnownPixelValues)
{
  const std::string folder = TestFolder();
  const std::string ramp = WriteRamp(folder);
  for (const char* range : {"0:255", "auto"})
  {
    const std::string out = folder + "/ramp.png";
    const S_Run run = RunTool({"render", ramp, out, "--range", range});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const S_Png png = DecodePng(out);
    EXPECT_EQ(png.width, 256u);
    EXPECT_EQ(png.height, 4u);
    EXPECT_EQ(png.channels, 1u);
    EXPECT_EQ(png.bitDepth, 8u);
    for (unsigned x : {0u, 1u, 77u, 128u, 255u})
      EXPECT_EQ(png.At(x, 2), x) << range;
  }
}

TEST(Render, SixteenBitGrayAndClampedRange)
{
  const std::string folder = TestFolder();
  const std::string ramp = WriteRamp(folder);
  ASSERT_EQ(RunTool({"render", ramp, folder + "/16.png", "--depth", "16", "--range", "0:255"}).exitCode, 0);
  const S_Png wide = DecodePng(folder + "/16.png");
  EXPECT_EQ(wide.bitDepth, 16u);
  EXPECT_EQ(wide.At(1, 0), 257u);
  EXPECT_EQ(wide.At(255, 0), 65535u);
  ASSERT_EQ(RunTool({"render", ramp, folder + "/half.png", "--range", "100:150"}).exitCode, 0);
  const S_Png half = DecodePng(folder + "/half.png");
  EXPECT_EQ(half.At(50, 0), 0u);
  EXPECT_EQ(half.At(125, 0), 128u); // (125 - 100) / 50 * 255 = 127.5, rounded
  EXPECT_EQ(half.At(200, 0), 255u);
}

TEST(Render, ViridisGivesColouredEnds)
{
  const std::string folder = TestFolder();
  ASSERT_EQ(RunTool({"render", WriteRamp(folder), folder + "/v.png", "--colormap", "viridis"}).exitCode, 0);
  const S_Png png = DecodePng(folder + "/v.png");
  ASSERT_EQ(png.channels, 3u);
  EXPECT_EQ(png.At(0, 0, 0), 68u);
  EXPECT_EQ(png.At(0, 0, 2), 84u);
  EXPECT_EQ(png.At(255, 0, 0), 253u);
  EXPECT_EQ(png.At(255, 0, 1), 231u);
}

TEST(Render, RgbFramesKeepTheirColours)
{
  BufferPtr buffer(CreateBuffer());
  I_FrameRGB* frame = buffer->AddRGBFrame(3, 2, 1);
  frame->SetRGB(2, 1, 0, tagRGBQUAD{10, 20, 30, 0});
  const std::string folder = TestFolder();
  Save(*buffer, folder + "/rgb.im7");
  ASSERT_EQ(RunTool({"render", folder + "/rgb.im7", folder + "/rgb.png"}).exitCode, 0);
  const S_Png png = DecodePng(folder + "/rgb.png");
  ASSERT_EQ(png.channels, 3u);
  EXPECT_EQ(png.At(2, 1, 0), 30u);
  EXPECT_EQ(png.At(2, 1, 1), 20u);
  EXPECT_EQ(png.At(2, 1, 2), 10u);
}

TEST(Render, VectorFieldHasArrowsOverTheBackground)
{
  // 8 x 8 vectors: cells of 32 pixels, an arrow in every cell pointing right.
  BufferPtr buffer = MakeVectors(8, 8, 2.0f, 0.0f);
  C_CompatibleVectorPlaneAccess(dynamic_cast<I_FrameVector*>(buffer->GetFrame(0)), 0)
      .SetVector3D(5, 6, 0.0f, 0.0f, 0.0f, VA_Disabled);
  const std::string folder = TestFolder();
  Save(*buffer, folder + "/v.vc7");
  const S_Run run = RunTool({"render", folder + "/v.vc7", folder + "/v.png"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const S_Png png = DecodePng(folder + "/v.png");
  EXPECT_EQ(png.width, 256u);
  EXPECT_EQ(png.height, 256u);
  ASSERT_GE(png.channels, 3u);
  auto isArrow = [&](unsigned x, unsigned y) { return png.At(x, y, 2) > 200 && png.At(x, y, 0) < 60; };
  auto isBackground = [&](unsigned x, unsigned y)
  { return png.At(x, y, 0) == 153 && png.At(x, y, 1) == 153 && png.At(x, y, 2) == 153; };
  // The shaft of the arrow of cell (1, 2) runs right from the cell's middle (48, 80).
  EXPECT_TRUE(isArrow(58, 79)) << png.At(58, 79, 0) << " " << png.At(58, 79, 2);
  EXPECT_TRUE(isArrow(58, 80));
  EXPECT_TRUE(isBackground(58, 70));
  EXPECT_TRUE(isBackground(40, 90));
  // The disabled vector (5, 6): a white cell with a grey x at its middle (176, 208), no arrow.
  EXPECT_EQ(png.At(162, 194, 0), 255u);
  EXPECT_EQ(png.At(176, 208, 0), 128u);
  EXPECT_FALSE(isArrow(186, 208));
}

TEST(Render, LargeVectorGridsShrinkCellsAndThinArrows)
{
  const std::string folder = TestFolder();
  Save(*MakeVectors(100, 50, 1.0f, 1.0f), folder + "/v.vc7");
  ASSERT_EQ(RunTool({"render", folder + "/v.vc7", folder + "/v.png"}).exitCode, 0);
  const S_Png png = DecodePng(folder + "/v.png");
  EXPECT_EQ(png.width, 500u); // cell 512 / 100 = 5 pixels
  EXPECT_EQ(png.height, 250u);
}

TEST(Render, BadArgumentsAreRefused)
{
  const std::string folder = TestFolder();
  const std::string ramp = WriteRamp(folder);
  const std::string out = folder + "/x.png";
  const std::string prefix = "buffer render: error: ";
  EXPECT_EQ(RunTool({"render", ramp, out, "--depth", "16", "--colormap", "viridis"}).err,
            prefix + "--depth 16 needs --colormap gray\n");
  EXPECT_EQ(RunTool({"render", ramp, out, "--depth", "12"}).err, prefix + "--depth must be 8 or 16\n");
  EXPECT_EQ(RunTool({"render", ramp, out, "--colormap", "jet"}).err,
            prefix + "unknown colormap 'jet' (gray or viridis)\n");
  EXPECT_EQ(RunTool({"render", ramp, out, "--range", "5:5"}).err, prefix + "--range 5:5: lo must be below hi\n");
  EXPECT_EQ(RunTool({"render", ramp, out, "--range", "wide"}).err,
            prefix + "--range takes auto, pNN or lo:hi, not 'wide'\n");
  EXPECT_EQ(RunTool({"render", ramp, out, "--range", "p0"}).err,
            prefix + "the percentage of --range pNN must lie in 0.1 .. 100\n");
  EXPECT_EQ(RunTool({"render", ramp, out, "--range", "x:5"}).err, prefix + "lo of --range must be a number, not 'x'\n");
  EXPECT_EQ(RunTool({"render", ramp, out, "--plane", "1"}).err,
            prefix + "plane 1 does not exist (the frame has 1 planes)\n");
  EXPECT_EQ(RunTool({"render", ramp, folder + "/none/x.png"}).err,
            prefix + "can't write PNG file " + folder + "/none/x.png: the file can't be created\n");
  ASSERT_EQ(RunTool({"render", ramp, out, "--range", "p90"}).exitCode, 0);
  EXPECT_EQ(RunTool({"render", ramp, out, "--depth", "12"}).exitCode, 1);
}

TEST(Render, SixteenBitsOnlyForGrayScalarPictures)
{
  const std::string folder = TestFolder();
  Save(*MakeVectors(4, 4, 1.0f, 0.0f), folder + "/v.vc7");
  BufferPtr rgb(CreateBuffer());
  rgb->AddRGBFrame(2, 2, 1);
  Save(*rgb, folder + "/rgb.im7");
  const std::string prefix = "buffer render: error: ";
  EXPECT_EQ(RunTool({"render", folder + "/v.vc7", folder + "/x.png", "--depth", "16"}).err,
            prefix + "--depth 16 applies to scalar pictures, not to vector plots\n");
  EXPECT_EQ(RunTool({"render", folder + "/rgb.im7", folder + "/x.png", "--depth", "16"}).err,
            prefix + "--depth 16 applies to gray pictures, not to RGB frames\n");
  // A vector component is a scalar picture of its own.
  ASSERT_EQ(RunTool({"render", folder + "/v.vc7", folder + "/u.png", "--component", "U0", "--depth", "16"}).exitCode,
            0);
  EXPECT_EQ(DecodePng(folder + "/u.png").width, 4u);
  EXPECT_EQ(RunTool({"render", folder + "/v.vc7", folder + "/none/v.png"}).err,
            prefix + "can't write PNG file " + folder + "/none/v.png: error while writing to output stream\n");
}
