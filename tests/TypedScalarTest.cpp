// Typed scalars: frame-bound components "TS:<name>" and global volumes
// "TS:<name>" with their sizes, scales, copies, imports and exports.
#include <BufferApi.h>

#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

using namespace BufferApi;
using FrameTestHelpers::MessageOf;

namespace
{
std::unique_ptr<I_Buffer> ImageBuffer(unsigned frames, unsigned w, unsigned h, unsigned d, E_DataType type)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  for (unsigned i = 0; i < frames; ++i)
    buffer->AddImageFrame(w, h, d, type);
  return buffer;
}

using Scale = std::tuple<double, double, std::string, std::string>;

//! Factor, offset, unit and description of a handle's linear scale.
template <typename T_Handle, typename... T_Axis>
Scale LinearScale(const T_Handle& handle, T_Axis... axis)
{
  Scale s{0.0, 0.0, "unset", "unset"};
  handle.GetLinearScale(std::get<0>(s), std::get<1>(s), std::get<2>(s), std::get<3>(s), axis...);
  return s;
}

using Size = std::tuple<bool, unsigned, unsigned, unsigned, unsigned>;

Size SizeOf(const C_TypedScalarGlobal& handle)
{
  Size s{false, 0, 0, 0, 0};
  std::get<0>(s) = handle.GetSize(std::get<1>(s), std::get<2>(s), std::get<3>(s), std::get<4>(s));
  return s;
}

template <typename F>
std::string Refused(F&& action)
{
  return MessageOf<RTE::VerificationFailed>(action);
}
} // namespace

TEST(TypedScalarFunctions, ArgumentChecks)
{
  EXPECT_EQ(Refused([] { CreateTypedScalarInFrame(nullptr, "A", DT_Float); }), "Frame must not be empty.");
  auto buffer = ImageBuffer(1, 2, 2, 1, DT_UInt16);
  EXPECT_EQ(Refused([&] { CreateTypedScalarInFrame(buffer->GetFrame(0), "", DT_Float); }),
            "Name of typed scalar must not be empty.");
  EXPECT_EQ(Refused([] { CreateTypedScalarFrameBound(nullptr, "A", DT_Float); }), "Buffer must not be empty.");
  EXPECT_EQ(Refused([] { ChangeDataTypeOfTypedScalar(nullptr, "A", DT_Float); }), "Buffer must not be empty.");
  EXPECT_EQ(Refused([&] { ChangeDataTypeOfTypedScalar(buffer.get(), "", DT_Float); }),
            "Name of typed scalar must not be empty.");
  EXPECT_EQ(Refused([] { CreateTypedScalarGlobal(nullptr, "T", DT_Float, 1, 1, 1, 1); }), "Buffer must not be empty.");
  EXPECT_EQ(Refused([&] { CreateTypedScalarGlobal(buffer.get(), "", DT_Float, 1, 1, 1, 1); }),
            "Name of typed scalar must not be empty.");
  // A height beyond 32 bits would wrap.
  EXPECT_THROW(CreateTypedScalarGlobal(buffer.get(), "T", DT_Float, 1, 65536, 65536, 2), RTE::VerificationFailed);
}

TEST(TypedScalarFrame, CreationKeepsOrRemakes)
{
  auto buffer = ImageBuffer(2, 3, 2, 1, DT_UInt16);
  I_Frame* frame = buffer->GetFrame(0);
  frame->CreateComponent("MASK_LIKE", DT_UInt8);
  CreateTypedScalarFrameBound(buffer.get(), "A", DT_Float);
  frame->SetValue(frame->GetComponentIndex("TS:A"), 1, 1, 0, 2.5);
  CreateTypedScalarInFrame(frame, "A", DT_Float);
  EXPECT_EQ(frame->GetValue(frame->GetComponentIndex("TS:A"), 1, 1, 0), 2.5) << "same type: kept";
  CreateTypedScalarInFrame(frame, "A", DT_Int32);
  EXPECT_EQ(frame->GetComponentDataType(frame->GetComponentIndex("TS:A")), DT_Int32);
  EXPECT_EQ(frame->GetValue(frame->GetComponentIndex("TS:A"), 1, 1, 0), 0.0) << "other type: made anew";
  CreateTypedScalarInFrame(frame, "B", DT_Double);
  const std::vector<std::string> expected{"A", "B"};
  EXPECT_EQ(GetNamesOfFrameBoundTypedScalars(frame), expected);
  EXPECT_EQ(GetNumberOfFrameBoundTypedScalars(frame), 2u);
  EXPECT_EQ(GetNumberOfFrameBoundTypedScalars(nullptr), 0u);
  EXPECT_TRUE(HasTypedScalarFrameBound(buffer.get(), "B"));
  EXPECT_FALSE(HasTypedScalarFrameBound(buffer->GetFrame(1), "B"));
  EXPECT_FALSE(HasTypedScalarFrameBound(static_cast<const I_Buffer*>(nullptr), "B"));

  ChangeDataTypeOfTypedScalar(buffer.get(), "B", DT_Float);
  EXPECT_EQ(frame->GetComponentDataType(frame->GetComponentIndex("TS:B")), DT_Float);
}

TEST(TypedScalarFrame, HandlesScalesAndRemoval)
{
  auto buffer = ImageBuffer(2, 3, 2, 1, DT_UInt16);
  C_TypedScalarFrame handle = CreateTypedScalarFrameBound(buffer.get(), "A", DT_Float);
  EXPECT_TRUE(handle.IsExisting());
  handle.SetLinearScale(2.0, 0.5, "m/s", "speed");
  EXPECT_EQ(LinearScale(C_TypedScalarFrame(buffer->GetFrame(1), "A")), (Scale{2.0, 0.5, "m/s", "speed"}));

  C_TypedScalarFrame single(buffer->GetFrame(0), "A");
  single.Remove();
  EXPECT_TRUE(HasTypedScalarFrameBound(buffer->GetFrame(0), "A")) << "a single-frame handle removes nothing";
  // A frame that lost the component is passed over.
  buffer->GetFrame(1)->DeleteComponent("TS:A");
  handle.Remove();
  EXPECT_FALSE(handle.IsExisting());
  EXPECT_FALSE(HasTypedScalarFrameBound(buffer->GetFrame(0), "A"));
  EXPECT_EQ(LinearScale(handle), (Scale{1.0, 0.0, "", ""}));
}

TEST(TypedScalarFrame, CopySkipsPlanesOfOtherSizeAndRemakesOtherTypes)
{
  auto source = ImageBuffer(1, 3, 2, 1, DT_UInt16);
  auto destination = ImageBuffer(2, 3, 2, 1, DT_UInt16);
  CreateTypedScalarFrameBound(source.get(), "A", DT_Float);
  I_Frame* sourceFrame = source->GetFrame(0);
  sourceFrame->SetValue(sourceFrame->GetComponentIndex("TS:A"), 2, 1, 0, 4.5);
  // An existing destination scalar of another type is made anew with the source type.
  CreateTypedScalarInFrame(destination->GetFrame(0), "A", DT_UInt8);
  C_TypedScalarFrame::Copy(source.get(), {}, destination.get());
  I_Frame* target = destination->GetFrame(0);
  EXPECT_EQ(target->GetComponentDataType(target->GetComponentIndex("TS:A")), DT_Float);
  EXPECT_EQ(target->GetValue(target->GetComponentIndex("TS:A"), 2, 1, 0), 4.5);
  EXPECT_TRUE(HasTypedScalarFrameBound(destination->GetFrame(1), "A")) << "made in every destination frame";

  // Frame to frame: a destination frame of another size keeps its zero plane.
  std::unique_ptr<I_FrameImage> small(CreateImageFrame(DT_UInt16, 2, 2, 1));
  C_TypedScalarFrame::Copy(sourceFrame, {"A"}, small.get());
  ASSERT_TRUE(HasTypedScalarFrameBound(small.get(), "A"));
  EXPECT_EQ(small->GetValue(small->GetComponentIndex("TS:A"), 1, 1, 0), 0.0);
}

TEST(TypedScalarFrame, ImportAndExport)
{
  EXPECT_EQ(MessageOf<RTE::Exception>(
                [] { C_TypedScalarFrame(static_cast<I_Buffer*>(nullptr), "A").ImportFromBuffer(nullptr); }),
            "Source is empty!");
  auto destination = ImageBuffer(2, 3, 2, 2, DT_UInt16);
  C_TypedScalarFrame handle(destination.get(), "A");
  std::unique_ptr<I_Buffer> vectors(CreateBuffer());
  vectors->AddVectorFrame2C(3, 2, 2, 1, DT_Float, 1);
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { handle.ImportFromBuffer(vectors.get()); }), "Source is no image!");
  auto wrong = ImageBuffer(1, 3, 2, 1, DT_Float);
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { handle.ImportFromBuffer(wrong.get()); }),
            "Source image has other size than typed scalar in destination!");

  auto source = ImageBuffer(2, 3, 2, 2, DT_Float);
  source->AddImageFrame(1, 1, 2, DT_Float);
  auto* second = dynamic_cast<I_FrameImage*>(source->GetFrame(1));
  second->SetPixel(2, 1, 1, 6.5);
  handle.ImportFromBuffer(source.get());
  ASSERT_TRUE(handle.IsExisting());
  EXPECT_EQ(destination->GetFrame(1)->GetValue(destination->GetFrame(1)->GetComponentIndex("TS:A"), 2, 1, 1), 6.5);

  std::unique_ptr<I_Buffer> exported(handle.ExportToBuffer(1));
  ASSERT_EQ(exported->GetNumberOfFrames(), 1u);
  auto* image = dynamic_cast<I_FrameImage*>(exported->GetFrame(0));
  EXPECT_EQ(image->GetDepth(), 2u);
  EXPECT_EQ(image->GetDataType(), DT_Float);
  EXPECT_EQ(image->GetPixel(2, 1, 1), 6.5);
  std::unique_ptr<I_Buffer> all(handle.ExportToBuffer(-1));
  EXPECT_EQ(all->GetNumberOfFrames(), 2u);
  EXPECT_EQ(C_TypedScalarFrame(destination.get(), "missing").ExportToBuffer(-1), nullptr);
}

TEST(TypedScalarGlobal, VolumeLayoutAndSizes)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  C_TypedScalarGlobal handle = CreateTypedScalarGlobal(buffer.get(), "T", DT_Float, 4, 3, 2, 5);
  ASSERT_TRUE(handle.IsExisting());
  EXPECT_TRUE(HasTypedScalarGlobal(buffer.get(), "T"));
  I_PlaneBase* plane = handle.GetPlaneWithVolumeData();
  ASSERT_TRUE(plane);
  EXPECT_EQ(plane->GetWidth(), 4u);
  EXPECT_EQ(plane->GetHeight(), 30u);
  std::vector<I_AttributeBase*> children;
  buffer->FindAttribute("TS:T")->GetChildren(children);
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(children[0]->GetName(), "SizeZ");
  EXPECT_EQ(dynamic_cast<I_Attribute<int>*>(children[1])->GetValue(), 5);
  EXPECT_EQ(SizeOf(handle), (Size{true, 4, 3, 2, 5}));

  // (x=1, y=2, z=1, f=3) lives in row (3 * 2 + 1) * 3 + 2 = 23; export of block 3 shows it at (1, 2) of plane 1.
  plane->SetValue(1, 23, 9.0);
  std::unique_ptr<I_Buffer> block(handle.ExportToBuffer(3));
  ASSERT_EQ(block->GetNumberOfFrames(), 1u);
  auto* image = dynamic_cast<I_FrameImage*>(block->GetFrame(0));
  EXPECT_EQ(std::make_tuple(image->GetWidth(), image->GetHeight(), image->GetDepth()), std::make_tuple(4u, 3u, 2u));
  EXPECT_EQ(image->GetPixel(1, 2, 1), 9.0);
  std::unique_ptr<I_Buffer> blocks(handle.ExportToBuffer(-1));
  EXPECT_EQ(blocks->GetNumberOfFrames(), 5u);

  // A zero slice or block count has no size.
  dynamic_cast<I_Attribute<int>*>(children[0])->SetValue(0);
  EXPECT_FALSE(std::get<0>(SizeOf(handle)));
  EXPECT_EQ(handle.ExportToBuffer(-1), nullptr);
  buffer->FindAttribute("TS:T")->RemoveChild("SizeZ");
  EXPECT_EQ(SizeOf(handle), (Size{true, 4, 6, 1, 5})) << "a missing size counts as 1";
}

TEST(TypedScalarGlobal, ScalesCopyAndRemoval)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  C_TypedScalarGlobal handle = CreateTypedScalarGlobal(buffer.get(), "T", DT_Int32, 2, 2, 1, 2);
  handle.SetLinearScale(3.0, 1.0, "mm", "depth", C_TypedScalarGlobal::Axis_Z);
  handle.SetLinearScale(2.0, 0.0, "K", "temperature", C_TypedScalarGlobal::Axis_I);
  handle.SetLinearScale(5.0, 0.0, "s", "time", C_TypedScalarGlobal::Axis_F);
  EXPECT_EQ(LinearScale(handle, C_TypedScalarGlobal::Axis_Z), (Scale{3.0, 1.0, "mm", "depth"}));
  ASSERT_TRUE(buffer->FindAttribute("TS:T.ScaleZ"));
  handle.GetPlaneWithVolumeData()->SetValue(1, 3, 77.0);

  std::unique_ptr<I_Buffer> other(CreateBuffer());
  C_TypedScalarGlobal::Copy(buffer.get(), {}, other.get());
  C_TypedScalarGlobal copy(other.get(), "T");
  ASSERT_TRUE(copy.IsExisting());
  EXPECT_EQ(copy.GetPlaneWithVolumeData()->GetValue(1, 3), 77.0);
  EXPECT_EQ(copy.GetPlaneWithVolumeData()->GetDataType(), DT_Int32);
  EXPECT_TRUE(copy.GetScale(C_TypedScalarGlobal::Axis_I));
  EXPECT_FALSE(copy.GetScale(C_TypedScalarGlobal::Axis_F)) << "the F scale is not copied";
  // Exported frames carry the value scale.
  std::unique_ptr<I_Buffer> exported(copy.ExportToBuffer(0));
  EXPECT_EQ(exported->GetFrame(0)->GetScaleI()->GetFactor(), 2.0);

  handle.SetScale(C_TypedScalarGlobal::Axis_F, nullptr);
  EXPECT_FALSE(buffer->FindAttribute("TS:T.ScaleF"));
  handle.Remove();
  EXPECT_FALSE(handle.IsExisting());
  EXPECT_FALSE(HasTypedScalarGlobal(buffer.get(), "T"));
  // Other handles see the removal instead of touching a deleted attribute.
  EXPECT_FALSE(C_TypedScalarGlobal(other.get(), "T").GetScale(C_TypedScalarGlobal::Axis_X));
  handle.SetScale(C_TypedScalarGlobal::Axis_X, C_ScaleFactory::GetInstance().CreateLinearScale(1, 0, "m", ""));
}

TEST(TypedScalarGlobal, ImportFromImages)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  C_TypedScalarGlobal handle(buffer.get(), "V");
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { handle.ImportFromBuffer(nullptr); }), "Source is empty!");
  std::unique_ptr<I_Buffer> empty(CreateBuffer());
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { handle.ImportFromBuffer(empty.get()); }), "Source is no image!");

  auto source = ImageBuffer(2, 3, 2, 2, DT_UInt16);
  source->AddImageFrame(5, 5, 2, DT_UInt16);
  dynamic_cast<I_FrameImage*>(source->GetFrame(1))->SetPixel(2, 1, 1, 321);
  dynamic_cast<I_FrameImage*>(source->GetFrame(2))->SetPixel(0, 0, 0, 999);
  // The destination needs frames: one volume block is filled per frame it has.
  for (int i = 0; i < 3; ++i)
    buffer->AddImageFrame(1, 1, 1, DT_UInt8);
  handle.ImportFromBuffer(source.get());
  EXPECT_EQ(SizeOf(handle), (Size{true, 3, 2, 2, 3}));
  const I_PlaneBase* volume = handle.GetPlaneWithVolumeData();
  EXPECT_EQ(volume->GetValue(2, (1 * 2 + 1) * 2 + 1), 321.0);
  // Frame 2 is 5 x 5: skipped, its block stays zero.
  EXPECT_EQ(volume->GetValue(0, (2 * 2 + 0) * 2 + 0), 0.0);
  EXPECT_TRUE(handle.GetScale(C_TypedScalarGlobal::Axis_X));
  EXPECT_TRUE(handle.GetScale(C_TypedScalarGlobal::Axis_I));
  EXPECT_FALSE(handle.GetScale(C_TypedScalarGlobal::Axis_F));
}
