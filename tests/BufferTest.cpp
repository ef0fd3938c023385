#include <BufferApi.h>

#include "C_Attribute.h"
#include "C_Buffer.h"
#include "C_Frame.h"
#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace BufferApi;
using namespace FrameTestHelpers;

namespace
{
using BufferPtr = std::unique_ptr<I_Buffer>;

BufferPtr NewBuffer()
{
  return BufferPtr(CreateBuffer());
}

//! A buffer of `count` 2 x 2 16-bit image frames; frame i is named "<prefix><i>".
BufferPtr NamedFrames(unsigned count, const std::string& prefix = "F")
{
  auto buffer = NewBuffer();
  for (unsigned i = 0; i < count; ++i)
  {
    buffer->AddImageFrame(2, 2, 1, DT_UInt16)->SetName(prefix + std::to_string(i));
  }
  return buffer;
}

std::string Names(const I_Buffer& buffer)
{
  std::string names;
  for (unsigned i = 0; i < buffer.GetNumberOfFrames(); ++i)
  {
    names += (i ? "," : "") + buffer.GetFrame(i)->GetName();
  }
  return names;
}

I_FrameImage* Image(const I_Buffer& buffer, unsigned i)
{
  return dynamic_cast<I_FrameImage*>(buffer.GetFrame(i));
}

const char* const kUnit = "Sources\\C_Buffer";
const char* const kSource = "The source index is out of bounds.";
const char* const kDestination = "The destination index is out of bounds.";
const unsigned kNone = 4294967295u;
} // namespace

TEST(Buffer, AddingOperationsMakeTheRightFrameTypes)
{
  auto buffer = NewBuffer();

  buffer->AddImageFrame(4, 3, 2, DT_UInt16);
  buffer->AddImageFrame(4, 3, 1, DT_RGB);
  buffer->AddRGBFrame(5, 4, 3);
  buffer->AddProfileFrame(10, 3, DT_Float);
  buffer->AddVectorFrame2C(6, 5, 1, 2, DT_Float, 16);
  I_FrameVector3C* vector3 = buffer->AddVectorFrame3C(6, 5, 2, 1, DT_Double, 8);
  const char* const expected[] = {
      "FT_IMAGE 4x3x2 PIXEL:UInt16",
      "FT_RGB 4x3x1 PIXEL:RGB",
      "FT_RGB 5x4x3 PIXEL:RGB",
      "FT_PROFILE 10x3x1 XVALUES:Float,PROFILES:Float",
      "FT_VECTOR_2C 6x5x1 U0:Float,V0:Float,U1:Float,V1:Float,ACTIVE_CHOICE:Int32,ENABLED:UInt8",
      "FT_VECTOR_3C 6x5x2 U0:Double,V0:Double,ACTIVE_CHOICE:Int32,ENABLED:UInt8,W0:Double"};
  ASSERT_EQ(buffer->GetNumberOfFrames(), 6u);
  for (unsigned i = 0; i < 6; ++i)
  {
    EXPECT_EQ(Summary(*buffer->GetFrame(i)), expected[i]);
    EXPECT_EQ(buffer->IsVectorFrame(i), i >= 4) << i;
  }
  EXPECT_EQ(vector3->GetGridZ(), 8u);
  EXPECT_EQ(buffer->GetFrameIndex(vector3), 5u);
}

TEST(Buffer, RefusedAdditionsAppendNothing)
{
  auto buffer = NewBuffer();
  EXPECT_EQ(buffer->AddImageFrame(4, 4, 1, DT_Bool), nullptr);
  EXPECT_EQ(buffer->AddProfileFrame(4, 4, 99), nullptr);
  EXPECT_FALSE(buffer->AddImageFrames(4, 4, DT_Bool, 2));
  EXPECT_EQ(MessageOf([&] { buffer->AddImageFrames(1u << 20, 1u << 20, DT_Double, 2); }),
            "Not enough free memory available.");
  const RTE::Exception e = ExceptionOf([&] { buffer->AddCopyOfFrame(nullptr, true); });
  EXPECT_STREQ(e.what(), "Source frame must not be NULL.");
  EXPECT_EQ(e.file().toStdString(), kUnit);
  EXPECT_EQ(MessageOf([&] { buffer->AddImageFrameLikePlane(nullptr); }), "Source plane must not be NULL.");
  EXPECT_EQ(MessageOf([&] { buffer->Copy(nullptr); }), "Source buffer must not be NULL.");
  EXPECT_EQ(MessageOf([&] { buffer->ReplaceFrame(0, nullptr); }), "The new frame must not be NULL.");
  EXPECT_EQ(buffer->GetNumberOfFrames(), 0u);
}

TEST(Buffer, FramesLikeAPlaneAndCopiesOfFrames)
{
  auto buffer = NewBuffer();
  std::unique_ptr<I_PlaneBase> plane(CreatePlane(DT_Float, 7, 3));
  plane->Fill(5.0);
  I_FrameImage* like = buffer->AddImageFrameLikePlane(plane.get());
  EXPECT_EQ(Summary(*like), "FT_IMAGE 7x3x1 PIXEL:Float");
  EXPECT_EQ(like->GetPixel(6, 2, 0), 0.0) << "the values are not taken";

  like->SetPixel(1, 1, 0, 42.0);
  auto* full = dynamic_cast<I_FrameImage*>(buffer->AddCopyOfFrame(like, true));
  auto* empty = dynamic_cast<I_FrameImage*>(buffer->AddCopyOfFrame(like, false));
  EXPECT_EQ(full->GetPixel(1, 1, 0), 42.0);
  EXPECT_EQ(empty->GetPixel(1, 1, 0), 0.0);
  full->SetPixel(1, 1, 0, 7.0);
  EXPECT_EQ(like->GetPixel(1, 1, 0), 42.0);
}

TEST(Buffer, AddImageFramesShareOneBlock)
{
  auto buffer = NewBuffer();
  EXPECT_TRUE(buffer->AddImageFrames(4, 2, DT_UInt8, 0));
  EXPECT_EQ(buffer->GetNumberOfFrames(), 0u);
  ASSERT_TRUE(buffer->AddImageFrames(8, 8, DT_UInt16, 3));
  ASSERT_EQ(buffer->GetNumberOfFrames(), 3u);
  for (unsigned i = 0; i < 3; ++i)
  {
    EXPECT_EQ(Summary(*buffer->GetFrame(i)), "FT_IMAGE 8x8x1 PIXEL:UInt16");
    // Back to back in one block: each plane starts where the previous one ends.
    EXPECT_EQ(static_cast<const char*>(Image(*buffer, i)->GetPlaneData(0)),
              static_cast<const char*>(Image(*buffer, 0)->GetPlaneData(0)) + i * 8 * 8 * 2);
  }

  Image(*buffer, 1)->Fill(65535.0);
  // The block outlives the removed frame; the sanitizer run checks the accesses.
  I_FrameImage* second = Image(*buffer, 1);
  buffer->RemoveFrame(0);
  EXPECT_EQ(Image(*buffer, 0), second);
  EXPECT_EQ(second->GetPixel(7, 7, 0), 65535.0);
  Image(*buffer, 1)->SetPixel(7, 7, 0, 12.0);
  // A copy of a frame in the block owns its own memory and outlives the buffer.
  std::unique_ptr<I_Frame> copy(buffer->GetFrame(1)->Clone(true));
  buffer.reset();
  EXPECT_EQ(dynamic_cast<I_FrameImage&>(*copy).GetPixel(7, 7, 0), 12.0);

  auto rgb = NewBuffer();
  ASSERT_TRUE(rgb->AddImageFrames(4, 2, DT_RGB, 2));
  auto* first = dynamic_cast<I_FrameRGB*>(rgb->GetFrame(0));
  auto* next = dynamic_cast<I_FrameRGB*>(rgb->GetFrame(1));
  EXPECT_EQ(static_cast<char*>(next->GetPlaneData(0)), static_cast<char*>(first->GetPlaneData(0)) + 4 * 2 * 4);
}

TEST(Buffer, RemoveGetAddAndIndexOfFrames)
{
  auto buffer = NamedFrames(3);
  auto other = NamedFrames(2);
  EXPECT_EQ(buffer->GetFrameIndex(buffer->GetFrame(1)), 1u);
  EXPECT_EQ(buffer->GetFrameIndex(other->GetFrame(0)), kNone);

  buffer->RemoveFrame(3);
  buffer->RemoveFrame(kNone);
  EXPECT_EQ(Names(*buffer), "F0,F1,F2");
  buffer->RemoveFrame(1);
  EXPECT_EQ(Names(*buffer), "F0,F2");

  // AddFrame takes a library frame once; a frame already held stays put.
  I_FrameImage* frame = CreateImageFrame(DT_UInt8, 2, 2, 1);
  frame->SetName("New");
  buffer->AddFrame(frame);
  buffer->AddFrame(frame);
  buffer->AddFrame(nullptr);
  EXPECT_EQ(Names(*buffer), "F0,F2,New");

  buffer->CreateAttribute("Kept", AttrInt32);
  buffer->RemoveAllFrames();
  EXPECT_EQ(buffer->GetNumberOfFrames(), 0u);
  EXPECT_NE(buffer->FindAttribute("Kept"), nullptr);
}

TEST(Buffer, MovesChangeTheFrameOrder)
{
  const struct
  {
    unsigned count;
    std::function<void(I_Buffer&, I_Buffer&)> move; // (buffer, other of frames "G0,G1,G2")
    const char* buffer;
    const char* other;
  } cases[] = {
      {3, [](I_Buffer& b, I_Buffer&) { b.MoveFrame(0, 2, false); }, "F2,F1,F0", "G0,G1,G2"},
      {3, [](I_Buffer& b, I_Buffer&) { b.MoveFrame(0, 2, true); }, "F1,F0", "G0,G1,G2"},
      {4, [](I_Buffer& b, I_Buffer&) { b.MoveFrame(3, 1, true); }, "F0,F3,F2", "G0,G1,G2"},
      {2, [](I_Buffer& b, I_Buffer& o) { b.MoveFrameFrom(&o, 0, 2); }, "F0,F1,G0", "G1,G2"},
      {2, [](I_Buffer& b, I_Buffer& o) { b.MoveFrameFrom(&o, 2, 0); }, "G2,F1", "G0,G1"},
      // Within one buffer: to the old end the frame goes last; otherwise the
      // destination counts in the list without the moved frame.
      {3, [](I_Buffer& b, I_Buffer&) { b.MoveFrameFrom(&b, 0, 3); }, "F1,F2,F0", "G0,G1,G2"},
      {3, [](I_Buffer& b, I_Buffer&) { b.MoveFrameFrom(&b, 2, 0); }, "F2,F1", "G0,G1,G2"},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.buffer);
    auto buffer = NamedFrames(c.count);
    auto other = NamedFrames(3, "G");
    c.move(*buffer, *other);
    EXPECT_EQ(Names(*buffer), c.buffer);
    EXPECT_EQ(Names(*other), c.other);
  }
}

TEST(Buffer, MovesCheckTheSourceThenTheDestinationThenTheDifference)
{
  auto buffer = NamedFrames(3);
  auto other = NamedFrames(2);
  auto empty = NewBuffer();
  std::unique_ptr<I_FrameImage> loose(CreateImageFrame(DT_Float, 1, 1, 1));
  const struct
  {
    std::function<void()> move;
    const char* text;
    long long index, upper;
  } cases[] = {
      {[&] { buffer->MoveFrame(0, 5, false); }, kDestination, 5, 2},
      {[&] { buffer->MoveFrame(3, 0, true); }, kSource, 3, 2},
      {[&] { empty->MoveFrame(kNone, 0, false); }, kSource, kNone, kNone},
      {[&] { other->MoveFrameFrom(buffer.get(), 3, 0); }, kSource, 3, 2},
      {[&] { other->MoveFrameFrom(buffer.get(), 0, 3); }, kDestination, 3, 2},
      {[&] { other->MoveFrameFrom(empty.get(), 0, 0); }, kSource, 0, kNone},
      {[&] { empty->MoveFrameFrom(buffer.get(), 0, 1); }, kDestination, 1, 0},
      {[&] { buffer->ReplaceFrame(3, loose.get()); }, "The index is out of bounds.", 3, 2},
      {[&] { empty->ReplaceFrame(0, loose.get()); }, "The index is out of bounds.", 0, kNone},
  };
  for (const auto& c : cases)
  {
    EXPECT_TRUE(RaisesIndex(c.move, kUnit, c.text, c.index, c.upper));
  }
  EXPECT_EQ(MessageOf([&] { buffer->MoveFrame(0, 0, false); }), "Frames must be different");
  EXPECT_EQ(Names(*buffer), "F0,F1,F2");
  EXPECT_EQ(Names(*other), "F0,F1");
}

TEST(Buffer, ReplaceFrameTakesOnlyFramesItDoesNotHold)
{
  auto buffer = NamedFrames(3);
  I_FrameImage* frame = CreateImageFrame(DT_Float, 1, 1, 1);
  frame->SetName("New");
  buffer->ReplaceFrame(1, frame);
  EXPECT_EQ(Names(*buffer), "F0,New,F2");
  // A frame the buffer already holds is not taken again (it would be deleted
  // by its own replacement or owned twice).
  buffer->ReplaceFrame(0, buffer->GetFrame(0));
  buffer->ReplaceFrame(0, buffer->GetFrame(2));
  EXPECT_EQ(Names(*buffer), "F0,New,F2");
}

TEST(Buffer, CopyMakesAnEqualIndependentBuffer)
{
  auto src = NamedFrames(2);
  src->AddProfileFrame(4, 2, DT_Double);
  Image(*src, 0)->SetPixel(1, 1, 0, 9.0);
  src->CreateAttribute("Run", AttrInt32);
  auto dst = NamedFrames(1);
  dst->CreateAttribute("Gone", AttrInt32);

  dst->Copy(src.get());
  EXPECT_TRUE(dst->IsEqual(src.get()));
  EXPECT_EQ(Names(*dst), "F0,F1,");
  EXPECT_EQ(dst->FindAttribute("Gone"), nullptr);
  EXPECT_NE(dst->GetFrame(0), src->GetFrame(0));
  EXPECT_EQ(Image(*dst, 0)->GetPixel(1, 1, 0), 9.0);
  // Copying itself changes nothing.
  I_Frame* first = dst->GetFrame(0);
  dst->Copy(dst.get());
  EXPECT_EQ(dst->GetFrame(0), first);
}

TEST(Buffer, EqualityComparesNamesAttributesAndFrameCountNotValues)
{
  auto a = NamedFrames(2);
  auto b = NamedFrames(2);
  EXPECT_TRUE(a->IsEqual(b.get()));
  Image(*b, 0)->SetPixel(0, 0, 0, 3.0);
  EXPECT_TRUE(a->IsEqual(b.get()));
  b->GetFrame(1)->SetName("other");
  EXPECT_FALSE(a->IsEqual(b.get()));
  EXPECT_FALSE(a->IsEqual(NamedFrames(3).get()));
  b = NamedFrames(2);
  a->CreateAttribute("Run", AttrNode);
  b->CreateAttribute("Other", AttrNode);
  EXPECT_FALSE(a->IsEqual(b.get()));
  EXPECT_FALSE(a->IsEqual(nullptr));
  EXPECT_FALSE(a->IsEqual(a->GetFrame(0)));
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
  // Moving from itself changes nothing.
  dst->MoveContentFrom(dst.get());
  EXPECT_EQ(Names(*dst), "F0,F1");

  // Without root: equal only to a buffer without root; attribute operations answer null.
  EXPECT_EQ(src->GetAttributeRoot(), nullptr);
  auto rootless = NewBuffer();
  NewBuffer()->MoveContentFrom(rootless.get());
  EXPECT_TRUE(src->IsEqual(rootless.get()));
  EXPECT_EQ(src->FindAttribute("Run"), nullptr);
  EXPECT_EQ(src->CreateAttributePlane("P", 2, 2, DT_UInt8), nullptr);
  src->DeleteAttribute("Run");
  src->CopyAttributes(dst->GetAttributeRoot());
  src->Clear();
  EXPECT_NE(src->CreateAttribute("New", AttrInt32), nullptr);
}

namespace
{
//! Gives `root` two children named "A" (a Double, then an Int32 renamed from
//! "B") and returns the second, the one a replacement of "A" leaves.
I_AttributeBase* TwinNodesNamedA(I_AttributeBase& root)
{
  I_AttributeBase::CreatePath(&root, "A", new C_Attribute<double>("A", 1.5));
  I_AttributeBase* second = I_AttributeBase::CreatePath(&root, "B", new C_Attribute<std::int32_t>("B", 7));
  second->SetName("A");
  return second;
}
} // namespace

// A path whose last node has a twin of its name: the first twin is replaced,
// the second survives and is returned, and the new attribute is deleted once
// (a second delete shows under AddressSanitizer). The same holds for frames.
TEST(Buffer, AttributeBesideTwoNodesOfItsNameIsDeletedOnce)
{
  const std::function<I_AttributeBase*(I_Buffer&)> creations[] = {
      [](I_Buffer& b) { return b.CreateAttribute("A", AttrString); },
      [](I_Buffer& b) { return b.CreateAttributeNode("A"); },
      [](I_Buffer& b) { return b.CreateAttributePlane("A", 2, 2, DT_UInt8); },
      [](I_Buffer& b)
      {
        const auto source = NewBuffer();
        source->CreateAttribute("A", AttrFloat);
        b.CopyAttributes(source->GetAttributeRoot());
        return b.FindAttribute("A");
      }};
  for (std::size_t i = 0; i < std::size(creations); ++i)
  {
    auto buffer = NewBuffer();
    I_AttributeBase* survivor = TwinNodesNamedA(*buffer->GetAttributeRoot());
    I_AttributeBase* result = creations[i](*buffer);
    // The plane creation answers null: the survivor is no plane attribute.
    EXPECT_EQ(result, i == 2 ? nullptr : survivor) << i;
    ASSERT_EQ(buffer->GetAttributeRoot()->GetNumberOfChildren(), 1u) << i;
    EXPECT_EQ(buffer->FindAttribute("A"), survivor) << i;
    EXPECT_EQ(survivor->GetType(), AttrInt32) << i;
  }

  auto buffer = NamedFrames(1);
  I_Frame* frame = buffer->GetFrame(0);
  I_AttributeBase* survivor = TwinNodesNamedA(*frame->GetAttributeRoot());
  EXPECT_EQ(frame->CreateAttribute("A", AttrString), survivor);
  EXPECT_EQ(frame->GetAttributeRoot()->GetNumberOfChildren(), 1u);
}
