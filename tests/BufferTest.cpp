#include <BufferApi.h>

#include "C_Buffer.h"
#include "C_Frame.h"
#include "PlaneTestHelpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

using namespace BufferApi;
using PlaneTestHelpers::Raised;

namespace
{
std::unique_ptr<I_Buffer> NewBuffer()
{
  return std::unique_ptr<I_Buffer>(CreateBuffer());
}

//! True when message is the index message of Sources\C_Buffer with exactly
//! these pieces (the line number is whatever the raising line is).
bool IsIndexMessage(const std::string& message, const std::string& text, const std::string& index,
                    const std::string& upper)
{
  const std::string prefix = text + " " + index + " out of bounds 0 - " + upper + " [line ";
  const std::string suffix = " in file Sources\\C_Buffer]";
  if (message.compare(0, prefix.size(), prefix) != 0 || message.size() < prefix.size() + suffix.size())
    return false;
  const std::string line = message.substr(prefix.size(), message.size() - prefix.size() - suffix.size());
  return message.compare(message.size() - suffix.size(), suffix.size(), suffix) == 0 &&
         std::regex_match(line, std::regex("[0-9]+"));
}

//! A buffer of `count` 2 x 2 16-bit image frames; frame i is named "F<i>".
std::unique_ptr<I_Buffer> NamedFrames(unsigned count)
{
  auto buffer = NewBuffer();
  for (unsigned i = 0; i < count; ++i)
    buffer->AddImageFrame(2, 2, 1, DT_UInt16)->SetName("F" + std::to_string(i));
  return buffer;
}

std::string Names(const I_Buffer& buffer)
{
  std::string names;
  for (unsigned i = 0; i < buffer.GetNumberOfFrames(); ++i)
    names += (i ? "," : "") + buffer.GetFrame(i)->GetName();
  return names;
}

std::string FrameType(const I_Frame* frame)
{
  const auto* libraryFrame = dynamic_cast<const C_Frame*>(frame);
  return libraryFrame ? libraryFrame->GetFrameType() : "<not a library frame>";
}
} // namespace

TEST(Buffer, NewBufferIsEmptyWithRoot)
{
  auto buffer = NewBuffer();
  EXPECT_EQ(buffer->GetNumberOfFrames(), 0u);
  ASSERT_NE(buffer->GetAttributeRoot(), nullptr);
  EXPECT_EQ(buffer->GetAttributeRoot()->GetName(), "root");
  EXPECT_EQ(buffer->GetAttributeRoot()->GetNumberOfChildren(), 0u);
  EXPECT_EQ(buffer->GetFrame(0), nullptr);
  EXPECT_FALSE(buffer->IsVectorFrame(0));
  EXPECT_EQ(buffer->GetFrameIndex(nullptr), 4294967295u);
}

TEST(Buffer, AddingOperationsMakeTheRightFrameTypes)
{
  auto buffer = NewBuffer();
  I_FrameImage* image = buffer->AddImageFrame(4, 3, 2, DT_UInt16);
  I_FrameImage* rgbImage = buffer->AddImageFrame(4, 3, 1, DT_RGB);
  I_FrameRGB* rgb = buffer->AddRGBFrame(5, 4, 3);
  I_FrameProfile* profile = buffer->AddProfileFrame(10, 3, DT_Float);
  I_FrameVector2C* vector2 = buffer->AddVectorFrame2C(6, 5, 1, 2, DT_Float, 16);
  I_FrameVector3C* vector3 = buffer->AddVectorFrame3C(6, 5, 2, 1, DT_Float, 8);
  ASSERT_TRUE(image && rgbImage && rgb && profile && vector2 && vector3);
  ASSERT_EQ(buffer->GetNumberOfFrames(), 6u);

  EXPECT_EQ(FrameType(image), "FT_IMAGE");
  EXPECT_EQ(image->GetDataType(), DT_UInt16);
  EXPECT_EQ(image->GetDepth(), 2u);
  EXPECT_EQ(FrameType(rgbImage), "FT_RGB");
  EXPECT_NE(dynamic_cast<I_FrameRGB*>(rgbImage), nullptr);
  EXPECT_EQ(FrameType(rgb), "FT_RGB");
  EXPECT_EQ(rgb->GetDepth(), 3u);
  EXPECT_EQ(FrameType(profile), "FT_PROFILE");
  EXPECT_EQ(profile->GetDataType(), DT_Float);
  EXPECT_EQ(profile->GetHeight(), 3u);
  EXPECT_EQ(FrameType(vector2), "FT_VECTOR_2C");
  EXPECT_EQ(vector2->GetGridX(), 16u);
  EXPECT_EQ(vector2->GetGridY(), 16u);
  EXPECT_EQ(vector2->GetGridZ(), 16u);
  EXPECT_EQ(vector2->GetNumberOfChoices(), 2u);
  EXPECT_EQ(FrameType(vector3), "FT_VECTOR_3C");
  EXPECT_EQ(vector3->GetGridZ(), 8u);

  for (unsigned i = 0; i < 4; ++i)
    EXPECT_FALSE(buffer->IsVectorFrame(i)) << i;
  EXPECT_TRUE(buffer->IsVectorFrame(4));
  EXPECT_TRUE(buffer->IsVectorFrame(5));
  EXPECT_FALSE(buffer->IsVectorFrame(6));
  EXPECT_EQ(buffer->GetFrameIndex(profile), 3u);
  EXPECT_EQ(buffer->GetFrameIndex(vector3), 5u);
}

TEST(Buffer, FailedCreationAppendsNothing)
{
  auto buffer = NewBuffer();
  EXPECT_EQ(buffer->AddImageFrame(4, 4, 1, DT_Bool), nullptr);
  EXPECT_EQ(buffer->AddProfileFrame(4, 4, 99), nullptr);
  EXPECT_FALSE(buffer->AddImageFrames(4, 4, DT_Bool, 2));
  EXPECT_EQ(buffer->GetNumberOfFrames(), 0u);
}

TEST(Buffer, NullSourcesRaise)
{
  auto buffer = NewBuffer();
  auto r = Raised([&] { buffer->AddCopyOfFrame(nullptr, true); });
  EXPECT_EQ(r.message, "Source frame must not be NULL.");
  EXPECT_EQ(r.unit, "Sources\\C_Buffer");
  EXPECT_EQ(Raised([&] { buffer->AddImageFrameLikePlane(nullptr); }).message, "Source plane must not be NULL.");
  EXPECT_EQ(Raised([&] { buffer->Copy(nullptr); }).message, "Source buffer must not be NULL.");
  EXPECT_EQ(buffer->GetNumberOfFrames(), 0u);
}

TEST(Buffer, AddImageFrameLikePlaneTakesSizeAndTypeButNotValues)
{
  auto buffer = NewBuffer();
  std::unique_ptr<I_PlaneBase> plane(CreatePlane(DT_Float, 7, 3));
  plane->Fill(5.0);
  I_FrameImage* frame = buffer->AddImageFrameLikePlane(plane.get());
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->GetWidth(), 7u);
  EXPECT_EQ(frame->GetHeight(), 3u);
  EXPECT_EQ(frame->GetDepth(), 1u);
  EXPECT_EQ(frame->GetDataType(), DT_Float);
  EXPECT_EQ(frame->GetPixel(6, 2, 0), 0.0);
}

TEST(Buffer, AddCopyOfFrameAppendsAnIndependentCopy)
{
  auto buffer = NewBuffer();
  I_FrameImage* original = buffer->AddImageFrame(3, 3, 1, DT_UInt16);
  original->SetPixel(1, 1, 0, 42.0);
  auto* full = dynamic_cast<I_FrameImage*>(buffer->AddCopyOfFrame(original, true));
  auto* empty = dynamic_cast<I_FrameImage*>(buffer->AddCopyOfFrame(original, false));
  ASSERT_TRUE(full && empty);
  EXPECT_EQ(buffer->GetNumberOfFrames(), 3u);
  EXPECT_EQ(full->GetPixel(1, 1, 0), 42.0);
  EXPECT_EQ(empty->GetPixel(1, 1, 0), 0.0);
  full->SetPixel(1, 1, 0, 7.0);
  EXPECT_EQ(original->GetPixel(1, 1, 0), 42.0);
}

TEST(Buffer, AddImageFramesShareOneBlock)
{
  auto buffer = NewBuffer();
  ASSERT_TRUE(buffer->AddImageFrames(8, 8, DT_UInt16, 3));
  ASSERT_EQ(buffer->GetNumberOfFrames(), 3u);
  I_FrameImage* frames[3];
  for (unsigned i = 0; i < 3; ++i)
  {
    frames[i] = dynamic_cast<I_FrameImage*>(buffer->GetFrame(i));
    ASSERT_NE(frames[i], nullptr);
    EXPECT_EQ(FrameType(frames[i]), "FT_IMAGE");
    EXPECT_EQ(frames[i]->GetDepth(), 1u);
    EXPECT_EQ(frames[i]->GetDataType(), DT_UInt16);
  }
  // Back to back in one block: each plane starts where the previous one ends.
  const auto* base = static_cast<const char*>(frames[0]->GetPlaneData(0));
  EXPECT_EQ(static_cast<const char*>(frames[1]->GetPlaneData(0)), base + 8 * 8 * 2);
  EXPECT_EQ(static_cast<const char*>(frames[2]->GetPlaneData(0)), base + 2 * 8 * 8 * 2);

  // The whole of frame 1 written: its neighbours keep every element.
  frames[1]->Fill(65535.0);
  for (unsigned y = 0; y < 8; ++y)
    for (unsigned x = 0; x < 8; ++x)
    {
      ASSERT_EQ(frames[0]->GetPixel(x, y, 0), 0.0);
      ASSERT_EQ(frames[2]->GetPixel(x, y, 0), 0.0);
    }

  // The block outlives the removed frame; the sanitizer run checks the accesses.
  buffer->RemoveFrame(0);
  I_FrameImage* second = dynamic_cast<I_FrameImage*>(buffer->GetFrame(0));
  I_FrameImage* third = dynamic_cast<I_FrameImage*>(buffer->GetFrame(1));
  EXPECT_EQ(second, frames[1]);
  EXPECT_EQ(second->GetPixel(7, 7, 0), 65535.0);
  third->SetPixel(7, 7, 0, 12.0);
  EXPECT_EQ(third->GetPixel(7, 7, 0), 12.0);

  // A copy of a frame in the block owns its own memory and outlives the buffer.
  std::unique_ptr<I_Frame> copy(third->Clone(true));
  buffer.reset();
  EXPECT_EQ(dynamic_cast<I_FrameImage*>(copy.get())->GetPixel(7, 7, 0), 12.0);
}

TEST(Buffer, AddImageFramesOfRgbAndOfNone)
{
  auto buffer = NewBuffer();
  EXPECT_TRUE(buffer->AddImageFrames(4, 2, DT_UInt8, 0));
  EXPECT_EQ(buffer->GetNumberOfFrames(), 0u);
  ASSERT_TRUE(buffer->AddImageFrames(4, 2, DT_RGB, 2));
  ASSERT_EQ(buffer->GetNumberOfFrames(), 2u);
  auto* first = dynamic_cast<I_FrameRGB*>(buffer->GetFrame(0));
  auto* second = dynamic_cast<I_FrameRGB*>(buffer->GetFrame(1));
  ASSERT_TRUE(first && second);
  EXPECT_EQ(static_cast<char*>(second->GetPlaneData(0)), static_cast<char*>(first->GetPlaneData(0)) + 4 * 2 * 4);
  first->FillRGB({1, 2, 3, 0});
  EXPECT_EQ(second->GetIntPixel(3, 1, 0), 0u);
  EXPECT_EQ(first->GetIntPixel(3, 1, 0), 0x030201u);
}

TEST(Buffer, RemoveFrameAndGetFrameIgnoreBadIndices)
{
  auto buffer = NamedFrames(3);
  buffer->RemoveFrame(3);
  buffer->RemoveFrame(4294967295u);
  EXPECT_EQ(Names(*buffer), "F0,F1,F2");
  buffer->RemoveFrame(1);
  EXPECT_EQ(Names(*buffer), "F0,F2");
  EXPECT_EQ(buffer->GetFrame(2), nullptr);
  buffer->CreateAttribute("Kept", AttrInt32);
  buffer->RemoveAllFrames();
  EXPECT_EQ(buffer->GetNumberOfFrames(), 0u);
  EXPECT_NE(buffer->FindAttribute("Kept"), nullptr);
}

TEST(Buffer, GetFrameIndexKnowsOnlyItsOwnFrames)
{
  auto buffer = NamedFrames(2);
  auto other = NamedFrames(2);
  EXPECT_EQ(buffer->GetFrameIndex(buffer->GetFrame(1)), 1u);
  EXPECT_EQ(buffer->GetFrameIndex(other->GetFrame(0)), 4294967295u);
  std::unique_ptr<I_Frame> loose(buffer->GetFrame(0)->Clone(true));
  EXPECT_EQ(buffer->GetFrameIndex(loose.get()), 4294967295u);
}

TEST(Buffer, AddFrameTakesLibraryFramesOnce)
{
  auto buffer = NewBuffer();
  I_FrameImage* frame = CreateImageFrame(DT_UInt8, 2, 2, 1);
  buffer->AddFrame(frame);
  buffer->AddFrame(frame); // already held: not taken a second time
  buffer->AddFrame(nullptr);
  EXPECT_EQ(buffer->GetNumberOfFrames(), 1u);
  EXPECT_EQ(buffer->GetFrameIndex(frame), 0u);
}

TEST(Buffer, MoveFrameChecksBothIndicesThenDifference)
{
  auto buffer = NamedFrames(3);
  auto r = Raised([&] { buffer->MoveFrame(0, 5, false); });
  EXPECT_TRUE(IsIndexMessage(r.message, "The destination index is out of bounds.", "5", "2")) << r.message;
  EXPECT_EQ(r.unit, "Sources\\C_Buffer");
  r = Raised([&] { buffer->MoveFrame(3, 0, true); });
  EXPECT_TRUE(IsIndexMessage(r.message, "The source index is out of bounds.", "3", "2")) << r.message;
  // The source is checked first.
  r = Raised([&] { buffer->MoveFrame(7, 9, false); });
  EXPECT_TRUE(IsIndexMessage(r.message, "The source index is out of bounds.", "7", "2")) << r.message;
  EXPECT_EQ(Raised([&] { buffer->MoveFrame(0, 0, false); }).message, "Frames must be different");
  EXPECT_EQ(Names(*buffer), "F0,F1,F2");

  auto empty = NewBuffer();
  r = Raised([&] { empty->MoveFrame(4294967295u, 0, false); });
  EXPECT_TRUE(IsIndexMessage(r.message, "The source index is out of bounds.", "4294967295", "4294967295")) << r.message;
}

TEST(Buffer, MoveFrameSwapsOrOverwrites)
{
  auto buffer = NamedFrames(3);
  buffer->MoveFrame(0, 2, false);
  EXPECT_EQ(Names(*buffer), "F2,F1,F0");

  buffer = NamedFrames(3);
  buffer->MoveFrame(0, 2, true);
  EXPECT_EQ(Names(*buffer), "F1,F0");

  buffer = NamedFrames(4);
  buffer->MoveFrame(3, 1, true);
  EXPECT_EQ(Names(*buffer), "F0,F3,F2");
}

TEST(Buffer, MoveFrameFromAppendsOrReplaces)
{
  auto buffer = NamedFrames(2);
  auto other = NamedFrames(3);
  other->GetFrame(0)->SetName("G0");
  other->GetFrame(1)->SetName("G1");
  other->GetFrame(2)->SetName("G2");
  I_Frame* moved = other->GetFrame(0);

  buffer->MoveFrameFrom(other.get(), 0, static_cast<unsigned>(buffer->GetNumberOfFrames()));
  EXPECT_EQ(Names(*buffer), "F0,F1,G0");
  EXPECT_EQ(Names(*other), "G1,G2");
  EXPECT_EQ(buffer->GetFrame(2), moved);

  buffer->MoveFrameFrom(other.get(), 1, 0);
  EXPECT_EQ(Names(*buffer), "G2,F1,G0");
  EXPECT_EQ(Names(*other), "G1");
}

TEST(Buffer, MoveFrameFromWithinOneBuffer)
{
  auto buffer = NamedFrames(3);
  // To the old end: the frame goes last.
  buffer->MoveFrameFrom(buffer.get(), 0, 3);
  EXPECT_EQ(Names(*buffer), "F1,F2,F0");
  // The destination counts in the list without the moved frame.
  buffer->MoveFrameFrom(buffer.get(), 2, 0);
  EXPECT_EQ(Names(*buffer), "F0,F2");
}

TEST(Buffer, MoveFrameFromMessages)
{
  auto buffer = NamedFrames(2);
  auto other = NamedFrames(3);
  auto r = Raised([&] { buffer->MoveFrameFrom(other.get(), 3, 0); });
  EXPECT_TRUE(IsIndexMessage(r.message, "The source index is out of bounds.", "3", "2")) << r.message;
  r = Raised([&] { buffer->MoveFrameFrom(other.get(), 0, 3); });
  EXPECT_TRUE(IsIndexMessage(r.message, "The destination index is out of bounds.", "3", "2")) << r.message;
  auto empty = NewBuffer();
  r = Raised([&] { buffer->MoveFrameFrom(empty.get(), 0, 0); });
  EXPECT_TRUE(IsIndexMessage(r.message, "The source index is out of bounds.", "0", "4294967295")) << r.message;
  r = Raised([&] { empty->MoveFrameFrom(other.get(), 0, 1); });
  EXPECT_TRUE(IsIndexMessage(r.message, "The destination index is out of bounds.", "1", "0")) << r.message;
  EXPECT_EQ(Names(*buffer), "F0,F1");
  EXPECT_EQ(Names(*other), "F0,F1,F2");
}

TEST(Buffer, ReplaceFrame)
{
  auto empty = NewBuffer();
  auto r = Raised([&] { empty->ReplaceFrame(0, nullptr); });
  EXPECT_EQ(r.message, "The new frame must not be NULL.");
  EXPECT_EQ(r.unit, "Sources\\C_Buffer");

  auto buffer = NamedFrames(3);
  std::unique_ptr<I_FrameImage> frame(CreateImageFrame(DT_Float, 1, 1, 1));
  frame->SetName("New");
  r = Raised([&] { buffer->ReplaceFrame(3, frame.get()); });
  EXPECT_TRUE(IsIndexMessage(r.message, "The index is out of bounds.", "3", "2")) << r.message;
  r = Raised([&] { empty->ReplaceFrame(0, frame.get()); });
  EXPECT_TRUE(IsIndexMessage(r.message, "The index is out of bounds.", "0", "4294967295")) << r.message;

  buffer->ReplaceFrame(1, frame.release());
  EXPECT_EQ(Names(*buffer), "F0,New,F2");
  // A frame the buffer already holds is not taken again (it would be deleted
  // by its own replacement or owned twice).
  buffer->ReplaceFrame(0, buffer->GetFrame(0));
  buffer->ReplaceFrame(0, buffer->GetFrame(2));
  EXPECT_EQ(Names(*buffer), "F0,New,F2");
}

TEST(Buffer, AttributesAtPaths)
{
  auto buffer = NewBuffer();
  auto* value = dynamic_cast<I_Attribute<double>*>(buffer->CreateAttribute("Camera.Exposure", AttrDouble));
  ASSERT_NE(value, nullptr);
  value->SetValue(2.5);
  EXPECT_EQ(value->GetName(), "Exposure");
  EXPECT_EQ(buffer->FindAttribute("Camera.Exposure"), value);
  I_AttributeBase* lens = buffer->CreateAttributeNode("Camera.Lens");
  ASSERT_NE(lens, nullptr);
  EXPECT_EQ(lens->GetType(), AttrNode);
  EXPECT_EQ(buffer->FindAttribute("Camera.Lens"), lens);
  I_AttributePlane* plane = buffer->CreateAttributePlane("Table", 5, 1, DT_Double);
  ASSERT_NE(plane, nullptr);
  ASSERT_NE(plane->GetPlane(), nullptr);
  EXPECT_EQ(plane->GetPlane()->GetWidth(), 5u);
  EXPECT_EQ(plane->GetPlane()->GetDataType(), DT_Double);
  buffer->DeleteAttribute("Camera.Exposure");
  EXPECT_EQ(buffer->FindAttribute("Camera.Exposure"), nullptr);
  EXPECT_NE(buffer->FindAttribute("Camera.Lens"), nullptr);

  auto other = NewBuffer();
  other->CreateAttribute("Kept", AttrString);
  other->CopyAttributes(buffer->GetAttributeRoot());
  EXPECT_NE(other->FindAttribute("Kept"), nullptr);
  EXPECT_NE(other->FindAttribute("Camera.Lens"), nullptr);
  EXPECT_NE(other->FindAttribute("Table"), buffer->FindAttribute("Table"));

  buffer->Clear();
  EXPECT_EQ(buffer->GetAttributeRoot()->GetNumberOfChildren(), 0u);
  EXPECT_EQ(buffer->GetAttributeRoot()->GetName(), "root");
}

TEST(Buffer, CopyMakesAnEqualIndependentBuffer)
{
  auto src = NamedFrames(2);
  src->AddProfileFrame(4, 2, DT_Double);
  dynamic_cast<I_FrameImage*>(src->GetFrame(0))->SetPixel(1, 1, 0, 9.0);
  src->CreateAttribute("Run", AttrInt32);
  auto dst = NamedFrames(1);
  dst->CreateAttribute("Gone", AttrInt32);

  dst->Copy(src.get());
  EXPECT_TRUE(dst->IsEqual(src.get()));
  EXPECT_FALSE(dst->IsNotEqual(src.get()));
  EXPECT_EQ(Names(*dst), "F0,F1,");
  EXPECT_EQ(dst->FindAttribute("Gone"), nullptr);
  EXPECT_NE(dst->FindAttribute("Run"), nullptr);
  EXPECT_NE(dst->GetFrame(0), src->GetFrame(0));
  EXPECT_EQ(dynamic_cast<I_FrameImage*>(dst->GetFrame(0))->GetPixel(1, 1, 0), 9.0);
  EXPECT_EQ(FrameType(dst->GetFrame(2)), "FT_PROFILE");

  // Copying itself changes nothing.
  I_Frame* first = dst->GetFrame(0);
  dst->Copy(dst.get());
  EXPECT_EQ(dst->GetFrame(0), first);
  EXPECT_EQ(dst->GetNumberOfFrames(), 3u);
}

TEST(Buffer, Equality)
{
  auto a = NamedFrames(2);
  auto b = NamedFrames(2);
  EXPECT_TRUE(a->IsSameType(b.get()));
  EXPECT_TRUE(a->IsEqual(b.get()));
  // Pixel values are not compared, names are.
  dynamic_cast<I_FrameImage*>(b->GetFrame(0))->SetPixel(0, 0, 0, 3.0);
  EXPECT_TRUE(a->IsEqual(b.get()));
  b->GetFrame(1)->SetName("other");
  EXPECT_FALSE(a->IsEqual(b.get()));
  EXPECT_TRUE(a->IsNotEqual(b.get()));

  b = NamedFrames(3);
  EXPECT_FALSE(a->IsEqual(b.get()));
  b = NamedFrames(2);
  a->CreateAttribute("Run", AttrNode);
  b->CreateAttribute("Other", AttrNode);
  EXPECT_FALSE(a->IsEqual(b.get()));
  EXPECT_FALSE(a->IsEqual(nullptr));
  EXPECT_FALSE(a->IsEqual(a->GetFrame(0)));
  EXPECT_FALSE(a->IsSameType(a->GetFrame(0)));

  // Without root equal only to a buffer without root.
  auto emptied = NewBuffer();
  auto taker = NewBuffer();
  taker->MoveContentFrom(emptied.get());
  auto emptied2 = NewBuffer();
  NewBuffer()->MoveContentFrom(emptied2.get());
  EXPECT_FALSE(emptied->IsEqual(taker.get()));
  EXPECT_TRUE(emptied->IsEqual(emptied2.get()));
}

TEST(Buffer, MoveContentFromLeavesTheSourceWithoutRoot)
{
  auto src = NamedFrames(2);
  src->CreateAttribute("Run", AttrInt32);
  I_AttributeBase* root = src->GetAttributeRoot();
  I_Frame* frame = src->GetFrame(1);
  auto dst = NamedFrames(3);
  dst->CreateAttribute("Gone", AttrInt32);

  dst->MoveContentFrom(src.get());
  EXPECT_EQ(Names(*dst), "F0,F1");
  EXPECT_EQ(dst->GetFrame(1), frame);
  EXPECT_EQ(dst->GetAttributeRoot(), root);
  EXPECT_NE(dst->FindAttribute("Run"), nullptr);
  EXPECT_EQ(dst->FindAttribute("Gone"), nullptr);

  EXPECT_EQ(src->GetNumberOfFrames(), 0u);
  EXPECT_EQ(src->GetAttributeRoot(), nullptr);
  // The attribute operations of a buffer without root answer null.
  EXPECT_EQ(src->FindAttribute("Run"), nullptr);
  EXPECT_EQ(src->CreateAttribute("New", AttrInt32), nullptr);
  EXPECT_EQ(src->CreateAttributePlane("P", 2, 2, DT_UInt8), nullptr);
  src->DeleteAttribute("Run");
  src->CopyAttributes(dst->GetAttributeRoot());
  src->Clear();
  ASSERT_NE(src->GetAttributeRoot(), nullptr);
  EXPECT_NE(src->CreateAttribute("New", AttrInt32), nullptr);

  // Moving from itself changes nothing.
  dst->MoveContentFrom(dst.get());
  EXPECT_EQ(Names(*dst), "F0,F1");
  EXPECT_EQ(dst->GetAttributeRoot(), root);
}

TEST(FrameFactory, HoldsTheFiveFrameTypesInRegistrationOrder)
{
  const std::vector<std::string> expected{"FT_IMAGE", "FT_PROFILE", "FT_RGB", "FT_VECTOR_2C", "FT_VECTOR_3C"};
  EXPECT_EQ(C_FrameFactory::GetInstance().GetRegisteredTypes(), expected);
}
