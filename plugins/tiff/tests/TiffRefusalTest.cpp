// What the plugin refuses to write and the damaged files it refuses to read,
// each with its message.

#include "TiffSamples.h"
#include "TiffTestHelpers.h"

#include <tiffio.h>

#include <filesystem>

namespace
{
using namespace BufferApi;
using namespace TiffTest;

std::string ExportError(const I_Buffer* buffer, const std::string& compression = "none")
{
  const std::string path = ScratchPath("refused.tif");
  return ErrorOf([&] { Export(buffer, path, compression); });
}

TEST(TiffRefusal, FramesThatAreNoImages)
{
  BufferPtr buffer(CreateBuffer());
  buffer->AddImageFrame(4, 4, 1, DT_UInt8);
  buffer->AddVectorFrame2C(4, 4, 1, 1, DT_Float, 8);
  EXPECT_EQ(ExportError(buffer.get()), "TIFF file: frame 1 is a vector frame; only image and RGB frames can be stored");
  buffer->RemoveFrame(1);
  buffer->AddVectorFrame3C(4, 4, 1, 1, DT_Float, 8);
  EXPECT_EQ(ExportError(buffer.get()), "TIFF file: frame 1 is a vector frame; only image and RGB frames can be stored");
  buffer->RemoveFrame(1);
  buffer->AddProfileFrame(4, 4, 2);
  EXPECT_EQ(ExportError(buffer.get()),
            "TIFF file: frame 1 is a profile frame; only image and RGB frames can be stored");
}

TEST(TiffRefusal, ARefusedExportLeavesTheEarlierFile)
{
  const std::string path = ScratchPath("kept.tif");
  BufferPtr good(CreateBuffer());
  good->AddImageFrame(2, 2, 1, DT_UInt8)->SetPixel(1, 1, 0, 9);
  Export(good.get(), path);
  BufferPtr bad(CreateBuffer());
  bad->AddImageFrame(2, 2, 1, DT_UInt8);
  bad->AddProfileFrame(2, 2, 1);
  EXPECT_NE(ErrorOf([&] { Export(bad.get(), path); }), "no exception");
  EXPECT_EQ(Import(path)->GetFrame(0)->GetValue(0, 1, 1, 0), 9);
}

TEST(TiffRefusal, EmptyBuffersFramesAndDetachedPlanes)
{
  BufferPtr buffer(CreateBuffer());
  EXPECT_EQ(ExportError(buffer.get()), "TIFF file: no frames to export");
  const auto plugin = std::dynamic_pointer_cast<I_Buffer2File>(
      RTE::C_PluginFactory::GetInstance().Create(kBuffer2FilePluginName, "TIF"));
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(ErrorOf([&] { plugin->Export(nullptr, nullptr, nullptr); }), "TIFF file: missing buffer");
  I_FrameImage* frame = buffer->AddImageFrame(3, 3, 2, DT_UInt16);
  std::free(frame->GetPlane(1u)->DetachData());
  EXPECT_EQ(ExportError(buffer.get()), "TIFF file: frame 0 has no data in plane 1");
}

TEST(TiffRefusal, UnknownCompression)
{
  BufferPtr buffer(CreateBuffer());
  buffer->AddImageFrame(3, 3, 1, DT_UInt16);
  EXPECT_EQ(ExportError(buffer.get(), "jpeg"), "TIFF file: unknown compression 'jpeg'; choose none, deflate or lzw");
}

TEST(TiffRefusal, ElementTypesWithoutSampleLayout)
{
  EXPECT_EQ(ErrorOf([] { BufferTiff::SampleLayoutOf(DT_Bool); }), "TIFF file: element type Bool can't be stored");
  EXPECT_EQ(ErrorOf([] { BufferTiff::SampleLayoutOf(static_cast<E_DataType>(42)); }),
            "TIFF file: element type 42 can't be stored");
  E_DataType type = DT_Bool;
  EXPECT_FALSE(BufferTiff::ElementTypeOf({64, SAMPLEFORMAT_INT}, type));
  EXPECT_FALSE(BufferTiff::ElementTypeOf({16, SAMPLEFORMAT_IEEEFP}, type));
  EXPECT_FALSE(BufferTiff::ElementTypeOf({32, SAMPLEFORMAT_COMPLEXIEEEFP}, type));
  ASSERT_TRUE(BufferTiff::ElementTypeOf({16, SAMPLEFORMAT_INT}, type));
  EXPECT_EQ(type, DT_Int32);
}

//! A file of the plugin with pixels, a volume and attributes, as bytes.
std::vector<unsigned char> SampleFile(const std::string& compression)
{
  BufferPtr buffer(CreateBuffer());
  I_FrameImage* frame = buffer->AddImageFrame(19, 7, 2, DT_UInt16);
  for (unsigned x = 0; x < 19; ++x)
    frame->SetPixel(x, 3, 1, x * 1000);
  buffer->AddRGBFrame(5, 5, 1);
  dynamic_cast<I_Attribute<std::string>*>(buffer->CreateAttribute("Note", AttrString))->SetValue("kept");
  const std::string path = ScratchPath("sample-" + compression + ".tif");
  Export(buffer.get(), path, compression);
  return ReadBytes(path);
}

TEST(TiffDamaged, EveryTruncationRaisesACleanError)
{
  for (const char* compression : {"none", "deflate"})
  {
    const std::vector<unsigned char> bytes = SampleFile(compression);
    const std::string path = ScratchPath("truncated.tif");
    for (std::size_t length = 0; length < bytes.size(); length += (length < 64 ? 1 : 7))
    {
      WriteBytes(path, bytes, length);
      const std::string error = ErrorOf([&] { Import(path); });
      EXPECT_EQ(error.rfind("TIFF file: ", 0), 0u) << compression << " length " << length << ": " << error;
      unsigned x, y, z, frames;
      const std::string infoError = ErrorOf([&] { BufferPtr(GetImportInformation(path, x, y, z, frames, true)); });
      if (length < bytes.size() / 2)
      {
        EXPECT_EQ(infoError.rfind("TIFF file: ", 0), 0u) << compression << " length " << length;
      }
    }
  }
}

TEST(TiffDamaged, AnEmptyFileAndAForeignFile)
{
  const std::string path = ScratchPath("empty.tif");
  WriteBytes(path, {}, 0);
  EXPECT_EQ(ErrorOf([&] { Import(path); }).rfind("TIFF file: Not a readable TIFF file: ", 0), 0u);
  WriteBytes(path, {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0}, 10);
  EXPECT_EQ(ErrorOf([&] { Import(path); }).rfind("TIFF file: Not a readable TIFF file: ", 0), 0u);
}

TEST(TiffDamaged, FlippedHeaderBytesRaiseCleanErrors)
{
  const std::vector<unsigned char> bytes = SampleFile("none");
  const std::string path = ScratchPath("flipped.tif");
  for (std::size_t position = 0; position < 16; ++position)
  {
    for (const unsigned char mask : {0x01, 0x80, 0xFF})
    {
      std::vector<unsigned char> damaged = bytes;
      damaged[position] ^= mask;
      WriteBytes(path, damaged, damaged.size());
      const std::string error = ErrorOf([&] { Import(path); });
      // A flip in the first strip's pixels reads fine; anything else must fail cleanly.
      EXPECT_TRUE(error == "no exception" || error.rfind("TIFF file: ", 0) == 0) << position << ": " << error;
      if (position < 8)
      {
        EXPECT_NE(error, "no exception") << position;
      }
    }
  }
}

TEST(TiffDamaged, AMissingPlaneOfAVolume)
{
  // Cut the file after the first page: pages are written in order, each
  // followed by its directory, so rewriting the next-directory link of page
  // 0 to 0 drops page 1, the second plane of frame 0.
  BufferPtr buffer(CreateBuffer());
  buffer->AddImageFrame(3, 3, 2, DT_UInt8);
  const std::string path = ScratchPath("missing-plane.tif");
  Export(buffer.get(), path);
  std::vector<unsigned char> bytes = ReadBytes(path);
  // Classic little-endian TIFF: the first directory's offset at byte 4, its
  // entry count there, the next-directory link after the entries.
  const std::uint32_t ifd = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | std::uint32_t(bytes[7]) << 24;
  const std::uint32_t entries = bytes[ifd] | bytes[ifd + 1] << 8;
  const std::size_t link = ifd + 2 + 12 * entries;
  std::fill(bytes.begin() + static_cast<long>(link), bytes.begin() + static_cast<long>(link) + 4, 0);
  WriteBytes(path, bytes, bytes.size());
  EXPECT_EQ(ErrorOf([&] { Import(path); }), "TIFF file: frame 0 has 1 of its 2 planes");
}

} // namespace
