// What the plugin writes comes back exactly: element types, pages, planes,
// colours, scales and attributes.

#include "TiffTestHelpers.h"

#include <nlohmann/json.hpp>
#include <tiffio.h>

#include <cmath>
#include <limits>

namespace
{
using namespace BufferApi;
using namespace TiffTest;

struct TypeCase
{
  E_DataType type;
  double low;
  double high;
};

// Extremes of each type besides the pattern: a lossy mapping shows at the ends.
const TypeCase kTypes[] = {
    {DT_UInt8, 0, 255},
    {DT_UInt16, 0, 65535},
    {DT_Int32, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()},
    {DT_UInt32, 0, std::numeric_limits<unsigned>::max()},
    {DT_Float, -3.5e38, 1.25e-30},
    {DT_Double, -1.7976931348623157e308, 4.9406564584124654e-324},
};

void FillPattern(I_FrameImage* frame, unsigned page0, double range)
{
  for (unsigned plane = 0; plane < frame->GetDepth(); ++plane)
  {
    for (unsigned y = 0; y < frame->GetHeight(); ++y)
    {
      for (unsigned x = 0; x < frame->GetWidth(); ++x)
        frame->SetPixel(x, y, plane, Pattern(x, y, page0 + plane, range));
    }
  }
}

void ExpectSamePixels(const I_FrameImage* expected, const I_FrameImage* actual)
{
  ASSERT_EQ(expected->GetDataType(), actual->GetDataType());
  ASSERT_EQ(expected->GetWidth(), actual->GetWidth());
  ASSERT_EQ(expected->GetHeight(), actual->GetHeight());
  ASSERT_EQ(expected->GetDepth(), actual->GetDepth());
  for (unsigned plane = 0; plane < expected->GetDepth(); ++plane)
  {
    for (unsigned y = 0; y < expected->GetHeight(); ++y)
    {
      for (unsigned x = 0; x < expected->GetWidth(); ++x)
        ASSERT_EQ(expected->GetPixel(x, y, plane), actual->GetPixel(x, y, plane))
            << "at " << x << "," << y << " plane " << plane;
    }
  }
}

TEST(TiffRoundTrip, EveryElementTypeKeepsItsValuesAndType)
{
  for (const char* compression : {"none", "deflate", "LZW"})
  {
    BufferPtr buffer(CreateBuffer());
    for (const TypeCase& type : kTypes)
    {
      I_FrameImage* frame = buffer->AddImageFrame(13, 6, 1, type.type);
      FillPattern(frame, 0, 200);
      frame->SetPixel(0, 0, 0, type.low);
      frame->SetPixel(12, 5, 0, type.high);
    }
    const std::string path = ScratchPath(std::string("types-") + compression + ".tif");
    Export(buffer.get(), path, compression);
    const BufferPtr back = Import(path);
    ASSERT_EQ(back->GetNumberOfFrames(), std::size(kTypes)) << compression;
    for (unsigned i = 0; i < std::size(kTypes); ++i)
      ExpectSamePixels(dynamic_cast<I_FrameImage*>(buffer->GetFrame(i)),
                       dynamic_cast<I_FrameImage*>(back->GetFrame(i)));
  }
}

TEST(TiffRoundTrip, NonFiniteFloatsSurvive)
{
  BufferPtr buffer(CreateBuffer());
  I_FrameImage* frame = buffer->AddImageFrame(3, 1, 1, DT_Float);
  // Written to the plane directly: the pixel setters clamp to the finite range.
  auto* pixels = static_cast<float*>(frame->GetPlaneData(0));
  pixels[0] = std::numeric_limits<float>::infinity();
  pixels[1] = -std::numeric_limits<float>::infinity();
  pixels[2] = std::numeric_limits<float>::quiet_NaN();
  const std::string path = ScratchPath("nonfinite.tiff");
  Export(buffer.get(), path);
  const BufferPtr back = Import(path);
  const auto* read = dynamic_cast<I_FrameImage*>(back->GetFrame(0));
  EXPECT_EQ(read->GetPixel(0, 0, 0), std::numeric_limits<double>::infinity());
  EXPECT_EQ(read->GetPixel(1, 0, 0), -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(read->GetPixel(2, 0, 0)));
}

TEST(TiffRoundTrip, OddSizesAndSinglePixels)
{
  for (const auto& size : {std::pair<unsigned, unsigned>{1, 1}, {1, 9}, {9, 1}, {3, 5}, {257, 3}, {1001, 70}})
  {
    BufferPtr buffer(CreateBuffer());
    I_FrameImage* grey = buffer->AddImageFrame(size.first, size.second, 1, DT_UInt16);
    FillPattern(grey, 0, 65536);
    I_FrameRGB* rgb = buffer->AddRGBFrame(size.first, size.second, 1);
    rgb->SetRGB(size.first - 1, size.second - 1, 0, tagRGBQUAD{1, 2, 3, 0});
    const std::string path = ScratchPath("odd.tif");
    Export(buffer.get(), path, "deflate");
    const BufferPtr back = Import(path);
    ASSERT_EQ(back->GetNumberOfFrames(), 2u);
    ExpectSamePixels(grey, dynamic_cast<I_FrameImage*>(back->GetFrame(0)));
    const auto* rgbBack = dynamic_cast<I_FrameRGB*>(back->GetFrame(1));
    ASSERT_NE(rgbBack, nullptr);
    EXPECT_EQ(rgbBack->GetRed(size.first - 1, size.second - 1, 0), 3);
    EXPECT_EQ(rgbBack->GetGreen(size.first - 1, size.second - 1, 0), 2);
    EXPECT_EQ(rgbBack->GetBlue(size.first - 1, size.second - 1, 0), 1);
  }
}

TEST(TiffRoundTrip, RgbChannelsKeepTheirOrderAndTheReservedByteIsDropped)
{
  BufferPtr buffer(CreateBuffer());
  I_FrameRGB* frame = buffer->AddRGBFrame(4, 3, 1);
  for (unsigned y = 0; y < 3; ++y)
  {
    for (unsigned x = 0; x < 4; ++x)
      frame->SetRGB(x, y, 0,
                    tagRGBQUAD{static_cast<unsigned char>(x * 60), static_cast<unsigned char>(y * 80),
                               static_cast<unsigned char>(x + y * 4), 0x5A});
  }
  const std::string path = ScratchPath("rgb.tif");
  Export(buffer.get(), path, "lzw");
  const BufferPtr back = Import(path);
  const auto* read = dynamic_cast<I_FrameRGB*>(back->GetFrame(0));
  ASSERT_NE(read, nullptr);
  for (unsigned y = 0; y < 3; ++y)
  {
    for (unsigned x = 0; x < 4; ++x)
    {
      const tagRGBQUAD pixel = read->GetRGB(x, y, 0);
      EXPECT_EQ(pixel.rgbBlue, x * 60);
      EXPECT_EQ(pixel.rgbGreen, y * 80);
      EXPECT_EQ(pixel.rgbRed, x + y * 4);
      EXPECT_EQ(pixel.rgbReserved, 0);
    }
  }

  // A viewer sees red, green, blue in that order: the first sample is red.
  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  ASSERT_NE(tiff, nullptr);
  std::uint16_t samples = 0, photometric = 0;
  TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
  std::vector<unsigned char> row(static_cast<std::size_t>(TIFFScanlineSize(tiff)));
  for (std::uint32_t y = 0; y <= 2; ++y)
    TIFFReadScanline(tiff, row.data(), y, 0);
  TIFFClose(tiff);
  EXPECT_EQ(samples, 3);
  EXPECT_EQ(photometric, PHOTOMETRIC_RGB);
  EXPECT_EQ(row[3 * 1 + 0], 1 + 2 * 4);
  EXPECT_EQ(row[3 * 1 + 1], 160);
  EXPECT_EQ(row[3 * 1 + 2], 60);
}

TEST(TiffRoundTrip, PlanesOfAVolumeAreConsecutivePagesAndJoinAgain)
{
  BufferPtr buffer(CreateBuffer());
  FillPattern(buffer->AddImageFrame(5, 4, 3, DT_UInt16), 0, 65536);
  FillPattern(buffer->AddImageFrame(5, 4, 1, DT_Float), 3, 1000);
  FillPattern(buffer->AddImageFrame(2, 2, 2, DT_Int32), 4, 1000);
  const std::string path = ScratchPath("volume.tif");
  Export(buffer.get(), path);

  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  ASSERT_NE(tiff, nullptr);
  EXPECT_EQ(TIFFNumberOfDirectories(tiff), 6);
  TIFFClose(tiff);

  const BufferPtr back = Import(path);
  ASSERT_EQ(back->GetNumberOfFrames(), 3u);
  for (unsigned i = 0; i < 3; ++i)
    ExpectSamePixels(dynamic_cast<I_FrameImage*>(buffer->GetFrame(i)), dynamic_cast<I_FrameImage*>(back->GetFrame(i)));

  unsigned sizeX = 0, sizeY = 0, sizeZ = 0, frames = 0;
  const BufferPtr info(GetImportInformation(path, sizeX, sizeY, sizeZ, frames, false));
  EXPECT_EQ(sizeX, 5u);
  EXPECT_EQ(sizeY, 4u);
  EXPECT_EQ(sizeZ, 3u);
  EXPECT_EQ(frames, 3u);
  EXPECT_EQ(info->GetNumberOfFrames(), 0u);
}

TEST(TiffRoundTrip, ScalesNameAndPixelSizeComeBack)
{
  BufferPtr buffer(CreateBuffer());
  I_FrameImage* frame = buffer->AddImageFrame(4, 4, 1, DT_UInt8);
  C_ScaleFactory& scales = C_ScaleFactory::GetInstance();
  frame->SetScaleX(scales.CreateLinearScale(0.05, 1.5, "mm", "x position"));
  frame->SetScaleY(scales.CreateLinearScale(-0.05, 20.0, "mm", "y position"));
  frame->SetScaleI(scales.CreateLinearScale(2.0, -7.0, "counts \xB5", "intensity"));
  frame->SetName("camera 1");
  const std::string path = ScratchPath("scales.tif");
  Export(buffer.get(), path);

  const BufferPtr back = Import(path);
  const I_Frame* read = back->GetFrame(0);
  EXPECT_EQ(read->GetName(), "camera 1");
  EXPECT_EQ(read->GetScaleX()->GetFactor(), 0.05);
  EXPECT_EQ(read->GetScaleX()->ToWorld(0.0), 1.5);
  EXPECT_EQ(read->GetScaleX()->GetUnit()->GetSymbol(), "mm");
  EXPECT_EQ(read->GetScaleX()->GetDescription(), "x position");
  EXPECT_EQ(read->GetScaleY()->GetFactor(), -0.05);
  EXPECT_EQ(read->GetScaleI()->GetUnit()->GetSymbol(), "counts \xB5");
  EXPECT_EQ(read->GetScaleI()->ToWorld(1.0), -5.0);

  // 0.05 mm per pixel: 200 pixels per centimetre, for viewers.
  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  ASSERT_NE(tiff, nullptr);
  float xResolution = 0, yResolution = 0;
  std::uint16_t unit = 0;
  char* description = nullptr;
  TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &xResolution);
  TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &yResolution);
  TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
  TIFFGetField(tiff, TIFFTAG_IMAGEDESCRIPTION, &description);
  const nlohmann::json json = nlohmann::json::parse(description);
  TIFFClose(tiff);
  EXPECT_FLOAT_EQ(xResolution, 200.0f);
  EXPECT_FLOAT_EQ(yResolution, 200.0f);
  EXPECT_EQ(unit, RESUNIT_CENTIMETER);
  EXPECT_EQ(json["pixelSize"]["factor"], 0.05);
  EXPECT_EQ(json["pixelSize"]["unit"], "mm");
  EXPECT_EQ(json["dataType"], "UInt8");
  EXPECT_EQ(json["scales"]["i"]["unit"], "counts \xC2\xB5");
}

TEST(TiffRoundTrip, AScaleThatIsNoLengthGivesNoResolutionUnit)
{
  BufferPtr buffer(CreateBuffer());
  buffer->AddImageFrame(2, 2, 1, DT_UInt8)->SetScaleX(C_ScaleFactory::GetInstance().CreateLinearScale(3, 0, "ms", ""));
  const std::string path = ScratchPath("time-axis.tif");
  Export(buffer.get(), path);
  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  ASSERT_NE(tiff, nullptr);
  std::uint16_t unit = 0;
  TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
  TIFFClose(tiff);
  EXPECT_EQ(unit, RESUNIT_NONE);
  EXPECT_EQ(Import(path)->GetFrame(0)->GetScaleX()->GetUnit()->GetSymbol(), "ms");
}

template <typename T>
T ValueAt(const I_AttributeBase* root, const std::string& path)
{
  auto* attribute = dynamic_cast<I_Attribute<T>*>(I_AttributeBase::FindPath(const_cast<I_AttributeBase*>(root), path));
  EXPECT_NE(attribute, nullptr) << path;
  return attribute != nullptr ? attribute->GetValue() : T();
}

template <typename T>
void SetAt(I_AttributeBase* attribute, T value)
{
  dynamic_cast<I_Attribute<T>*>(attribute)->SetValue(value);
}

TEST(TiffRoundTrip, BufferAndFrameAttributesOfEveryKindComeBack)
{
  BufferPtr buffer(CreateBuffer());
  SetAt<std::string>(buffer->CreateAttribute("Setup.Comment", AttrString), "quote \" slash \\ tab\t \xB5m \x01");
  SetAt<double>(buffer->CreateAttribute("Setup.Rate", AttrDouble), 0.1);
  SetAt<float>(buffer->CreateAttribute("Setup.Gain", AttrFloat), 1.1f);
  SetAt<int>(buffer->CreateAttribute("Setup.Offset", AttrInt32), -2147483647 - 1);
  SetAt<unsigned>(buffer->CreateAttribute("Setup.Count", AttrUInt32), 4294967295u);
  SetAt<unsigned short>(buffer->CreateAttribute("Setup.Bits", AttrUInt16), 65535);
  I_AttributePlane* table = buffer->CreateAttributePlane("Table", 3, 2, DT_Double);
  table->GetPlane()->SetValue(2, 1, -0.125);
  auto* scale = dynamic_cast<I_AttributeScale*>(buffer->CreateAttribute("Calibration", AttrScale));
  scale->SetScale(C_ScaleFactory::GetInstance().CreateLinearScale(4, 5, "m/s", "velocity"));

  I_FrameImage* frame = buffer->AddImageFrame(2, 2, 2, DT_UInt16);
  SetAt<std::string>(frame->CreateAttribute("AcqTime", AttrString), "12:00");
  buffer->AddImageFrame(2, 2, 1, DT_UInt16);
  SetAt<int>(buffer->GetFrame(1)->CreateAttribute("Camera", AttrInt32), 2);

  const std::string path = ScratchPath("attributes.tif");
  Export(buffer.get(), path);
  const BufferPtr back = Import(path);
  const I_AttributeBase* root = back->GetAttributeRoot();
  EXPECT_EQ(ValueAt<std::string>(root, "Setup.Comment"), "quote \" slash \\ tab\t \xB5m \x01");
  EXPECT_EQ(ValueAt<double>(root, "Setup.Rate"), 0.1);
  EXPECT_EQ(ValueAt<float>(root, "Setup.Gain"), 1.1f);
  EXPECT_EQ(ValueAt<int>(root, "Setup.Offset"), -2147483647 - 1);
  EXPECT_EQ(ValueAt<unsigned>(root, "Setup.Count"), 4294967295u);
  EXPECT_EQ(ValueAt<unsigned short>(root, "Setup.Bits"), 65535);
  const auto* tableBack = dynamic_cast<I_AttributePlane*>(back->FindAttribute("Table"));
  ASSERT_NE(tableBack, nullptr);
  EXPECT_EQ(tableBack->GetPlane()->GetDataType(), DT_Double);
  EXPECT_EQ(tableBack->GetPlane()->GetWidth(), 3u);
  EXPECT_EQ(tableBack->GetPlane()->GetValue(2, 1), -0.125);
  const auto* scaleBack = dynamic_cast<I_AttributeScale*>(back->FindAttribute("Calibration"));
  ASSERT_NE(scaleBack, nullptr);
  EXPECT_EQ(scaleBack->GetScale()->GetFactor(), 4);
  EXPECT_EQ(scaleBack->GetScale()->GetUnit()->GetSymbol(), "m/s");

  ASSERT_EQ(back->GetNumberOfFrames(), 2u);
  EXPECT_EQ(ValueAt<std::string>(back->GetFrame(0)->GetAttributeRoot(), "AcqTime"), "12:00");
  EXPECT_EQ(back->GetFrame(0)->FindAttribute("Camera"), nullptr);
  EXPECT_EQ(ValueAt<int>(back->GetFrame(1)->GetAttributeRoot(), "Camera"), 2);

  unsigned sizeX = 0, sizeY = 0, sizeZ = 0, frames = 0;
  const BufferPtr info(GetImportInformation(path, sizeX, sizeY, sizeZ, frames, true));
  EXPECT_EQ(ValueAt<double>(info->GetAttributeRoot(), "Setup.Rate"), 0.1);
  const BufferPtr bare(GetImportInformation(path, sizeX, sizeY, sizeZ, frames, false));
  EXPECT_EQ(bare->FindAttribute("Setup"), nullptr);
}

TEST(TiffRegistration, BothKeysAreRegisteredOnceWhateverTheCalls)
{
  BufferTiff::RegisterTiffPlugins();
  BufferTiff::RegisterTiffPlugins();
  EXPECT_TRUE(IsFiletypeAvailable("tif"));
  EXPECT_TRUE(IsFiletypeAvailable("TIFF"));
  int entries = 0;
  for (const auto& type : GetListOfFiletypes())
  {
    if (type.first == "TIF" || type.first == "TIFF")
    {
      ++entries;
      EXPECT_EQ(type.second, "TIFF image file");
    }
  }
  EXPECT_EQ(entries, 2);
  EXPECT_TRUE(RTE::C_PluginRegistry::GetInstance().GetErrors().empty());
}

TEST(TiffRegistration, OptionTrees)
{
  const auto exportOptions = GetExportParameter("a.TIFF");
  EXPECT_EQ(exportOptions->GetNames(), std::vector<std::string>{"Compression"});
  EXPECT_EQ(exportOptions->GetText("Compression")->GetValue(), "none");
  EXPECT_TRUE(GetImportParameter("a.tif")->GetNames().empty());
}

TEST(TiffRegistration, ExportWithoutOptionsIsUncompressed)
{
  BufferPtr buffer(CreateBuffer());
  buffer->AddImageFrame(3, 3, 1, DT_UInt8);
  const std::string path = ScratchPath("default.tif");
  ExportBuffer(buffer.get(), path, nullptr);
  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  ASSERT_NE(tiff, nullptr);
  std::uint16_t compression = 0;
  TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
  TIFFClose(tiff);
  EXPECT_EQ(compression, COMPRESSION_NONE);
}

} // namespace
