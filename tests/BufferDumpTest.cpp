// The buffer dump: its exact text for attributes, images, vector frames and
// the frame kinds without preview.
#include <BufferApi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace BufferApi;

namespace
{
void SetText(I_Buffer& buffer, const std::string& path, const std::string& text)
{
  dynamic_cast<I_Attribute<std::string>&>(*buffer.CreateAttribute(path, AttrString)).SetValue(text);
}

I_Scale* Linear(double factor, double offset, const std::string& unit, const std::string& description)
{
  return C_ScaleFactory::GetInstance().CreateLinearScale(factor, offset, unit, description);
}

//! The dump of frame `frame`: from its "Frame #" line to the next one (or the end).
std::string FrameText(const std::string& dump, unsigned frame)
{
  const std::string head = "Frame #" + std::to_string(frame) + "\n";
  const std::size_t begin = dump.find(head);
  if (begin == std::string::npos)
  {
    return "<no frame " + std::to_string(frame) + ">";
  }
  const std::size_t end = dump.find("Frame #", begin + head.size());
  return dump.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}
} // namespace

TEST(BufferDump, NullAndEmptyBuffers)
{
  EXPECT_EQ(C_BufferDump(nullptr).ToString(), "");
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  EXPECT_EQ(C_BufferDump(buffer.get()).ToString(), "Global Attributes: 0\nFrames: 0\n");
  // Without attribute root the count is 0 as well.
  std::unique_ptr<I_Buffer> other(CreateBuffer());
  other->MoveContentFrom(buffer.get());
  ASSERT_EQ(buffer->GetAttributeRoot(), nullptr);
  EXPECT_EQ(C_BufferDump(buffer.get()).ToString(), "Global Attributes: 0\nFrames: 0\n");
}

TEST(BufferDump, WholeBufferText)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  SetText(*buffer, "Grp.A", "x");
  buffer->CreateAttribute("Grp.B", AttrDouble);
  SetText(*buffer, "Info", "abc");
  buffer->CreateAttributePlane("Cal", 5, 1, DT_Double);

  I_FrameImage* image = buffer->AddImageFrame(3, 2, 1, DT_Float);
  image->SetName("Particles");
  const double pixels[6] = {1.0, 2.5, 3.0, -4.0, 5.125, 6.0};
  for (unsigned i = 0; i < 6; ++i)
  {
    image->SetPixel(i % 3, i / 3, 0, pixels[i]);
  }
  image->SetScaleX(Linear(0.5, -1.0, "mm", "Position x"));
  image->SetScaleI(Linear(2.0, 10.0, "counts", "Intensity"));

  I_FrameVector2C* vectors = buffer->AddVectorFrame2C(2, 2, 1, 1, DT_Float, 16);
  vectors->SetName("Vectors");
  vectors->SetScaleX(Linear(16.0, 8.0, "pixel", ""));
  vectors->SetScaleY(Linear(16.0, 8.0, "pixel", ""));
  vectors->SetScaleI(Linear(0.25, 0.0, "m/s", "Velocity"));

  const std::string expected = "Global Attributes: 3\n"
                               " Attribute: Cal\n"
                               " (plane): 5 x 1 of type float\n"
                               " Attribute: Info\n"
                               " (string): abc\n"
                               " Attribute: Grp\n"
                               " (unknown type)\n"
                               "  #2 subitems\n"
                               "   Attribute: B\n"
                               " (unknown type)\n"
                               "   Attribute: A\n"
                               " (string): x\n"
                               "Frames: 2\n"
                               "Frame #0\n"
                               "\tName: Particles\n"
                               "\tType: Float-Image\n"
                               "\tSize: 3 x 2 x 1\n"
                               "\tX-Scale: 0.5 -1 [mm] Position x\n"
                               "\tY-Scale: 1 0 [pixel] \n"
                               "\tZ-Scale: 1 0 [pixel] \n"
                               "\tI-Scale: 2 10 [counts] Intensity\n"
                               "\tMin= -4, Max= 6, Count= 6\n"
                               "\tPixel      1.000      2.500      3.000     -4.000      5.125      6.000\n"
                               "\tComponents: 1\n"
                               "\t#0 Name: PIXEL\n"
                               "Frame #1\n"
                               "\tName: Vectors\n"
                               "\tType: unknown\n"
                               "\tSize: 2 x 2 x 1\n"
                               "\tX-Scale: 16 8 [pixel] \n"
                               "\tY-Scale: 16 8 [pixel] \n"
                               "\tZ-Scale: 1 0 [pixel] \n"
                               "\tI-Scale: 0.25 0 [m/s] Velocity\n"
                               "\tMin= 0, Max= 0, Count= 0\n"
                               "\t\tComponents: 4\n"
                               "\t#0 Name: U0\n"
                               "\t#1 Name: V0\n"
                               "\t#2 Name: ACTIVE_CHOICE\n"
                               "\t#3 Name: ENABLED\n";
  EXPECT_EQ(C_BufferDump(buffer.get()).ToString(), expected);
}

TEST(BufferDump, NestedAttributesAndPlaneKinds)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  SetText(*buffer, "Top.Mid.Leaf", "deep");
  buffer->CreateAttributePlane("Top.Words", 2, 3, DT_UInt16);
  buffer->CreateAttributePlane("Top.Bytes", 1, 1, DT_UInt8);
  buffer->CreateAttribute("Top.Empty", AttrPlane);
  const std::string expected = "Global Attributes: 1\n"
                               " Attribute: Top\n"
                               " (unknown type)\n"
                               "  #4 subitems\n"
                               "   Attribute: Empty\n"
                               " (plane): empty\n"
                               "   Attribute: Bytes\n"
                               " (plane): 1 x 1 of type float\n"
                               "   Attribute: Words\n"
                               " (plane): 2 x 3 of type word\n"
                               "   Attribute: Mid\n"
                               " (unknown type)\n"
                               "    #1 subitems\n"
                               "     Attribute: Leaf\n"
                               " (string): deep\n"
                               "Frames: 0\n";
  EXPECT_EQ(C_BufferDump(buffer.get()).ToString(), expected);
}

TEST(BufferDump, IntegerImagesAndTheFullValueRange)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  I_FrameImage* word = buffer->AddImageFrame(3, 2, 1, DT_UInt16);
  // 1 to 6 must be reported as they are, with no values cut.
  for (unsigned i = 0; i < 6; ++i)
  {
    word->SetPixel(i % 3, i / 3, 0, 6.0 - i);
  }
  // Smaller than the preview: the missing elements show as 0.
  I_FrameImage* bytes = buffer->AddImageFrame(2, 1, 2, DT_UInt8);
  bytes->SetPixel(0, 0, 0, 200.0);
  bytes->SetPixel(1, 0, 0, 7.0);
  bytes->SetPixel(1, 0, 1, 9.0);
  const std::string dump = C_BufferDump(buffer.get()).ToString();

  const std::string wordText = FrameText(dump, 0);
  EXPECT_NE(wordText.find("\tMin= 1, Max= 6, Count= 6\n\tPixel 6 5 4 3 2 1\n\tComponents: 1\n"), std::string::npos)
      << wordText;

  const std::string byteText = FrameText(dump, 1);
  EXPECT_NE(byteText.find("\tMin= 0, Max= 200, Count= 4\n\tPixel 200 7 0 0 0 0\n"), std::string::npos) << byteText;
}

TEST(BufferDump, FramesWithoutPreview)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  I_FrameRGB* rgb = buffer->AddRGBFrame(2, 2, 1);
  rgb->SetName("Colour");
  buffer->AddProfileFrame(4, 1, 1);
  const std::string dump = C_BufferDump(buffer.get()).ToString();

  const std::string colour = FrameText(dump, 0);
  EXPECT_NE(colour.find("\tName: Colour\n\tType: Image\n"), std::string::npos) << colour;
  EXPECT_NE(colour.find("\tMin= 0, Max= 255, Count= 12\n\t\tComponents: 1\n\t#0 Name: PIXEL\n"), std::string::npos)
      << colour;
  const std::string profile = FrameText(dump, 1);
  EXPECT_NE(profile.find("\tI-Scale: not defined\n\tMin= 0, Max= 0, Count= 0\n\t\tComponents: "), std::string::npos)
      << profile;
}
