#include <BufferApi.h>

#include "C_Component.h"
#include "C_FrameImage.h"
#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace BufferApi;
using FrameTestHelpers::ExceptionOf;
using FrameTestHelpers::MessageOf;

namespace
{
//! A float component of `count` 3 x 2 planes; plane i holds i + 1 at (0, 0).
std::unique_ptr<C_Component> NumberedComponent(unsigned count)
{
  auto component = std::make_unique<C_Component>("C", DT_Float);
  for (unsigned i = 0; i < count; ++i)
  {
    I_PlaneBase* plane = CreatePlane(DT_Float, 3, 2);
    plane->SetValue(0, 0, i + 1.0);
    component->AddPlane(plane);
  }
  return component;
}

std::vector<double> Markers(const C_Component& component)
{
  std::vector<double> markers;
  for (unsigned i = 0; i < component.GetNumberOfPlanes(); ++i)
  {
    markers.push_back(component.GetPlane(i)->GetValue(0, 0));
  }
  return markers;
}

std::shared_ptr<I_PlaneBase> NewPlane(E_DataType type, unsigned width, unsigned height)
{
  return std::shared_ptr<I_PlaneBase>(CreatePlane(type, width, height));
}
} // namespace

TEST(Component, ForAFrameGetsDepthZeroedPlanesAndACountsScale)
{
  C_FrameImage frame(4, 3, 3, DT_UInt16);
  C_Component component("X", DT_Float, &frame, true, nullptr);
  ASSERT_EQ(component.GetNumberOfPlanes(), 3u);
  for (unsigned i = 0; i < 3; ++i)
  {
    const I_PlaneBase* plane = component.GetPlane(i);
    EXPECT_EQ(plane->GetDataType(), DT_Float);
    EXPECT_EQ(plane->GetWidth(), 4u);
    EXPECT_EQ(plane->GetHeight(), 3u);
    EXPECT_EQ(plane->GetValue(3, 2), 0.0);
  }
  EXPECT_EQ(component.GetPlane(3), nullptr);
  ASSERT_NE(component.GetScale(), nullptr);
  EXPECT_EQ(component.GetScale()->GetFactor(), 1.0);
  EXPECT_EQ(component.GetScale()->ToWorld(0.0), 0.0);
  EXPECT_EQ(component.GetScale()->GetUnit()->GetSymbol(), "counts");
  EXPECT_EQ(component.GetScale()->GetDescription(), "");

  const std::vector<void*> none;
  C_Component withEmptyList("Y", DT_UInt8, &frame, true, &none);
  EXPECT_EQ(withEmptyList.GetNumberOfPlanes(), 3u);

  C_Component withoutPlanes("Z", DT_UInt8, &frame, false, nullptr);
  EXPECT_EQ(withoutPlanes.GetNumberOfPlanes(), 0u);
  EXPECT_NE(withoutPlanes.GetScale(), nullptr);

  C_Component bare("B", DT_UInt8);
  EXPECT_EQ(bare.GetScale(), nullptr);
  EXPECT_EQ(bare.GetName(), "B");
  EXPECT_EQ(bare.GetDataType(), DT_UInt8);
}

TEST(Component, PlanesAdoptTheCallersBlocksInOrder)
{
  C_FrameImage frame(2, 2, 2, DT_UInt16);
  std::vector<void*> blocks{std::calloc(4, sizeof(float)), std::calloc(4, sizeof(float))};
  static_cast<float*>(blocks[1])[3] = 7.5f;
  C_Component component("X", DT_Float, &frame, true, &blocks);
  EXPECT_EQ(component.GetPlane(0)->GetData(), blocks[0]);
  EXPECT_EQ(component.GetPlane(1)->GetData(), blocks[1]);
  EXPECT_EQ(component.GetPlane(1)->GetValue(1, 1), 7.5);
}

TEST(Component, PlaneMemoryListOfTheWrongLengthIsRefused)
{
  C_FrameImage frame(2, 2, 3, DT_UInt16);
  std::vector<void*> blocks{std::calloc(4, 1), std::calloc(4, 1)};
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { C_Component("X", DT_UInt8, &frame, true, &blocks); }),
            "Not enough plane data memory defined for required number of planes");
  // Nothing was adopted: the blocks are still the caller's.
  std::free(blocks[0]);
  std::free(blocks[1]);
}

TEST(Component, FailedPlaneCreationReleasesEverythingAndAdoptsNothing)
{
  C_FrameImage frame(2, 2, 2, DT_UInt16);
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { C_Component("X", DT_Bool, &frame, true, nullptr); }),
            "Plane of of memory.");

  std::vector<void*> blocks{std::calloc(4, 1), std::calloc(4, 1)};
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { C_Component("X", DT_Bool, &frame, true, &blocks); }),
            "Plane of of memory.");
  std::free(blocks[0]);
  std::free(blocks[1]);
}

TEST(Component, SetPlaneIndexMessageCarriesUnsignedBounds)
{
  auto component = NumberedComponent(2);
  const RTE::Exception e = ExceptionOf([&] { component->SetPlane(5, NewPlane(DT_Float, 3, 2)); });
  const std::string expected = "Plane index was out of bounds. 5 out of bounds 0 - 1 [line " +
                               std::to_string(e.line()) + " in file Sources\\C_Component]";
  EXPECT_EQ(std::string(e.what()), expected);
  EXPECT_GT(e.line(), 0);
  EXPECT_EQ(e.file().toStdString(), "Sources\\C_Component");

  C_Component empty("E", DT_Float);
  const RTE::Exception e2 = ExceptionOf([&] { empty.SetPlane(0, NewPlane(DT_Float, 3, 2)); });
  EXPECT_EQ(std::string(e2.what()), "Plane index was out of bounds. 0 out of bounds 0 - 4294967295 [line " +
                                        std::to_string(e2.line()) + " in file Sources\\C_Component]");
}

TEST(Component, SetPlaneChecksInOrderAndLeavesTheComponentUnchanged)
{
  auto component = NumberedComponent(2);
  I_PlaneBase* before = component->GetPlane(0);
  // Index before null plane.
  EXPECT_NE(MessageOf<RTE::Exception>([&] { component->SetPlane(2, nullptr); }).find("Plane index was out of bounds."),
            std::string::npos);
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { component->SetPlane(0, nullptr); }), "New plane is invalid.");
  // Size is tested before type.
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { component->SetPlane(0, NewPlane(DT_UInt8, 2, 2)); }),
            "Plane size is different.");
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { component->SetPlane(0, NewPlane(DT_Float, 3, 3)); }),
            "Plane size is different.");
  EXPECT_EQ(MessageOf<RTE::Exception>([&] { component->SetPlane(0, NewPlane(DT_UInt8, 3, 2)); }),
            "Plane type is different.");
  EXPECT_EQ(component->GetPlane(0), before);
  EXPECT_EQ(component->GetNumberOfPlanes(), 2u);

  // A successful SetPlane shares the plane with the caller.
  auto shared = NewPlane(DT_Float, 3, 2);
  component->SetPlane(1, shared);
  EXPECT_EQ(component->GetPlane(1), shared.get());
  EXPECT_EQ(shared.use_count(), 2);
}

TEST(Component, InsertRemoveAndKeepPlanesWorkOnTheRightPositions)
{
  auto component = NumberedComponent(3);
  I_PlaneBase* inserted = CreatePlane(DT_Float, 3, 2);
  inserted->SetDefaultValue(9.0);
  inserted->Fill(8.0);
  component->InsertPlanes(1, 3, inserted);
  // The plane itself first, then empty clones holding its default value.
  EXPECT_EQ(Markers(*component), (std::vector<double>{1, 8, 9, 9, 2, 3}));
  EXPECT_EQ(component->GetPlane(1), inserted);

  const RTE::Exception e = ExceptionOf([&] { component->InsertPlanes(6, 1, CreatePlane(DT_Float, 3, 2)); });
  EXPECT_EQ(std::string(e.what()), "Plane index was out of bounds. 6 out of bounds 0 - 5 [line " +
                                       std::to_string(e.line()) + " in file Sources\\C_Component]");

  component->RemovePlane(2);
  EXPECT_EQ(Markers(*component), (std::vector<double>{1, 8, 9, 2, 3}));
  EXPECT_NE(MessageOf<RTE::Exception>([&] { component->RemovePlane(5); }).find(" 5 out of bounds 0 - 4 "),
            std::string::npos);

  component->RemovePlanes(-3, 2); // starts at 0
  EXPECT_EQ(Markers(*component), (std::vector<double>{9, 2, 3}));
  component->RemovePlanes(3, 1);
  component->RemovePlanes(0, 0);
  component->RemovePlanes(0, -1);
  EXPECT_EQ(component->GetNumberOfPlanes(), 3u);
  component->RemovePlanes(1, 100); // clamped to the end
  EXPECT_EQ(Markers(*component), (std::vector<double>{9}));

  auto other = NumberedComponent(4);
  other->KeepPlanes(4);
  EXPECT_EQ(other->GetNumberOfPlanes(), 4u);
  other->KeepPlanes(2);
  EXPECT_EQ(Markers(*other), (std::vector<double>{1, 2}));
  other->KeepPlanes(0);
  EXPECT_EQ(other->GetNumberOfPlanes(), 0u);

  auto all = NumberedComponent(2);
  all->RemoveAllPlanes();
  EXPECT_EQ(all->GetNumberOfPlanes(), 0u);
}

TEST(Component, CopiesAndClones)
{
  auto component = NumberedComponent(2);
  component->SetScale(C_ScaleFactory::GetInstance().CreateLinearScale(2.0, 1.0, std::string("mm"), "d"));
  component->GetPlane(1)->SetDefaultValue(4.0);

  C_Component copy(*component);
  EXPECT_EQ(Markers(copy), (std::vector<double>{1, 2}));
  EXPECT_NE(copy.GetPlane(0), component->GetPlane(0));
  copy.GetPlane(0)->SetValue(0, 0, 50.0);
  EXPECT_EQ(component->GetPlane(0)->GetValue(0, 0), 1.0);
  ASSERT_NE(copy.GetScale(), component->GetScale());
  EXPECT_TRUE(copy.GetScale()->IsEqual(component->GetScale()));

  std::unique_ptr<C_Component> empty(component->Clone(false));
  EXPECT_EQ(empty->GetName(), "C");
  EXPECT_EQ(empty->GetNumberOfPlanes(), 2u);
  EXPECT_EQ(empty->GetPlane(0)->GetValue(0, 0), 0.0);
  EXPECT_EQ(empty->GetPlane(1)->GetValue(2, 1), 4.0); // default value
  EXPECT_TRUE(empty->GetScale()->IsEqual(component->GetScale()));

  std::unique_ptr<C_Component> full(component->Clone(true));
  EXPECT_EQ(Markers(*full), (std::vector<double>{1, 2}));
}

TEST(Component, EqualityComparesShapeNotContents)
{
  auto a = NumberedComponent(2);
  auto b = NumberedComponent(2);
  b->GetPlane(0)->Fill(77.0);
  EXPECT_TRUE(a->IsEqual(b.get()));
  EXPECT_FALSE(a->IsNotEqual(b.get()));
  EXPECT_TRUE(a->IsSameType(b.get()));

  b->SetName("D");
  EXPECT_FALSE(a->IsEqual(b.get()));
  b->SetName("C");
  b->RemovePlane(1);
  EXPECT_FALSE(a->IsEqual(b.get()));
  b->AddPlane(CreatePlane(DT_Float, 3, 3));
  EXPECT_FALSE(a->IsEqual(b.get()));

  C_Component otherType("C", DT_Double);
  EXPECT_FALSE(C_Component("C", DT_Float).IsEqual(&otherType));
  std::unique_ptr<I_PlaneBase> plane(CreatePlane(DT_Float, 3, 2));
  EXPECT_FALSE(a->IsEqual(plane.get()));
  EXPECT_FALSE(a->IsSameType(plane.get()));
}
