#include <BufferApi.h>

#include "C_Component.h"
#include "C_FrameImage.h"
#include "C_PlaneBase.h"
#include "FrameTestHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace BufferApi;
using namespace FrameTestHelpers;

namespace
{
//! A float component "C" of `count` 3 x 2 planes; plane i holds i + 1 at (0, 0).
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

const char* const kUnit = "Sources\\C_Component";
const char* const kIndex = "Plane index was out of bounds.";
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
    EXPECT_EQ(Rows(plane), "0 0 0 0|0 0 0 0|0 0 0 0");
  }
  EXPECT_EQ(component.GetPlane(3), nullptr);
  EXPECT_EQ(ScaleText(component.GetScale()), "1 0 counts");

  const std::vector<void*> none;
  EXPECT_EQ(C_Component("Y", DT_UInt8, &frame, true, &none).GetNumberOfPlanes(), 3u);
  C_Component withoutPlanes("Z", DT_UInt8, &frame, false, nullptr);
  EXPECT_EQ(withoutPlanes.GetNumberOfPlanes(), 0u);
  EXPECT_NE(withoutPlanes.GetScale(), nullptr);
  EXPECT_EQ(C_Component("B", DT_UInt8).GetScale(), nullptr);
}

TEST(Component, PlaneMemoryIsAdoptedInOrderOrLeftWithTheCaller)
{
  C_FrameImage frame(2, 2, 2, DT_UInt16);
  std::vector<void*> blocks{std::calloc(4, sizeof(float)), std::calloc(4, sizeof(float))};
  static_cast<float*>(blocks[1])[3] = 7.5f;
  {
    C_Component component("X", DT_Float, &frame, true, &blocks);
    EXPECT_EQ(component.GetPlane(0)->GetData(), blocks[0]);
    EXPECT_EQ(component.GetPlane(1)->GetData(), blocks[1]);
    EXPECT_EQ(component.GetPlane(1)->GetValue(1, 1), 7.5);
  }

  // Refused lists and failed planes adopt nothing: the blocks stay the caller's.
  C_FrameImage deeper(2, 2, 3, DT_UInt16);
  blocks = {std::calloc(4, 1), std::calloc(4, 1)};
  EXPECT_EQ(MessageOf([&] { C_Component("X", DT_UInt8, &deeper, true, &blocks); }),
            "Not enough plane data memory defined for required number of planes");
  EXPECT_EQ(MessageOf([&] { C_Component("X", DT_Bool, &frame, true, &blocks); }), "Plane of of memory.");
  EXPECT_EQ(MessageOf([&] { C_Component("X", DT_Bool, &frame, true, nullptr); }), "Plane of of memory.");
  std::free(blocks[0]);
  std::free(blocks[1]);

  // RGB planes always allocate their own memory; the handed-over block is
  // copied and released, neither leaked nor lost.
  C_FrameImage row(2, 1, 1, DT_UInt16);
  blocks = {std::calloc(2, sizeof(tagRGBQUAD))};
  static_cast<tagRGBQUAD*>(blocks[0])[1] = tagRGBQUAD{1, 2, 3, 0};
  C_Component rgb("RGB", DT_RGB, &row, true, &blocks);
  EXPECT_EQ(rgb.GetPlane(0)->GetValue(1, 0), 197121.0);
}

TEST(Component, SetPlaneChecksInOrderAndLeavesTheComponentUnchanged)
{
  auto component = NumberedComponent(2);
  I_PlaneBase* before = component->GetPlane(0);
  // The index is checked first, with unsigned bounds, then the plane, its size, its type.
  EXPECT_TRUE(RaisesIndex([&] { component->SetPlane(5, NewPlane(DT_Float, 3, 2)); }, kUnit, kIndex, 5, 1));
  EXPECT_TRUE(RaisesIndex([&] { component->SetPlane(2, nullptr); }, kUnit, kIndex, 2, 1));
  C_Component empty("E", DT_Float);
  EXPECT_TRUE(RaisesIndex([&] { empty.SetPlane(0, NewPlane(DT_Float, 3, 2)); }, kUnit, kIndex, 0, 4294967295));
  EXPECT_EQ(MessageOf([&] { component->SetPlane(0, nullptr); }), "New plane is invalid.");
  EXPECT_EQ(MessageOf([&] { component->SetPlane(0, NewPlane(DT_UInt8, 2, 2)); }), "Plane size is different.");
  EXPECT_EQ(MessageOf([&] { component->SetPlane(0, NewPlane(DT_Float, 3, 3)); }), "Plane size is different.");
  EXPECT_EQ(MessageOf([&] { component->SetPlane(0, NewPlane(DT_UInt8, 3, 2)); }), "Plane type is different.");
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
  EXPECT_TRUE(RaisesIndex([&] { component->InsertPlanes(6, 1, CreatePlane(DT_Float, 3, 2)); }, kUnit, kIndex, 6, 5));

  component->RemovePlane(2);
  EXPECT_EQ(Markers(*component), (std::vector<double>{1, 8, 9, 2, 3}));
  EXPECT_TRUE(RaisesIndex([&] { component->RemovePlane(5); }, kUnit, kIndex, 5, 4));
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
  other = NumberedComponent(2);
  other->RemoveAllPlanes();
  EXPECT_EQ(other->GetNumberOfPlanes(), 0u);
}

// Frames read plane 0 of their pixel and mask components through a slot the
// component keeps: every change of the plane list must reach it, and only
// the slot's keeper may write it.
TEST(Component, KeepsPlaneZeroInTheSlotOfItsFrame)
{
  auto component = NumberedComponent(0);
  S_FirstPlane slot;
  slot.keeper = component.get();
  component->KeepFirstPlane(&slot);
  const auto planeZero = [&] { return dynamic_cast<const C_PlaneBase*>(component->GetPlane(0)); };
  const auto expectCurrent = [&](const char* change)
  {
    EXPECT_EQ(slot.plane, planeZero()) << change;
    EXPECT_EQ(slot.plane == nullptr, component->GetNumberOfPlanes() == 0) << change;
  };
  expectCurrent("no plane");
  component->AddPlane(CreatePlane(DT_Float, 3, 2));
  expectCurrent("AddPlane");
  component->InsertPlanes(0, 2, CreatePlane(DT_Float, 3, 2));
  expectCurrent("InsertPlanes");
  component->RemovePlane(0);
  expectCurrent("RemovePlane");
  component->RemovePlanes(0, 1);
  expectCurrent("RemovePlanes");
  component->SetPlane(0, std::shared_ptr<I_PlaneBase>(CreatePlane(DT_Float, 3, 2)));
  expectCurrent("SetPlane");
  component->AddPlane(CreatePlane(DT_Float, 3, 2));
  component->KeepPlanes(1);
  expectCurrent("KeepPlanes");
  component->KeepPlanes(0);
  expectCurrent("KeepPlanes(0)");
  component->AddPlane(CreatePlane(DT_Float, 3, 2));
  component->RemoveAllPlanes();
  expectCurrent("RemoveAllPlanes");

  // Copies do not write into the slot; neither does a component that is no
  // longer the keeper, nor one that was stopped.
  component->AddPlane(CreatePlane(DT_Float, 3, 2));
  const C_PlaneBase* kept = slot.plane;
  C_Component copy(*component);
  copy.InsertPlanes(0, 1, CreatePlane(DT_Float, 3, 2));
  std::unique_ptr<C_Component> clone(component->Clone(false));
  clone->RemoveAllPlanes();
  EXPECT_EQ(slot.plane, kept);
  C_Component other("D", DT_Float);
  slot.keeper = &other;
  component->InsertPlanes(0, 1, CreatePlane(DT_Float, 3, 2));
  EXPECT_EQ(slot.plane, kept);
  slot.keeper = component.get();
  component->KeepFirstPlane(nullptr);
  component->RemovePlane(0);
  EXPECT_EQ(slot.plane, kept);
}

TEST(Component, CopiesAndClones)
{
  auto component = NumberedComponent(2);
  component->SetScale(C_ScaleFactory::GetInstance().CreateLinearScale(2.0, 1.0, std::string("mm"), "d"));
  component->GetPlane(1)->SetDefaultValue(4.0);

  C_Component copy(*component);
  EXPECT_EQ(Markers(copy), (std::vector<double>{1, 2}));
  copy.GetPlane(0)->SetValue(0, 0, 50.0);
  EXPECT_EQ(component->GetPlane(0)->GetValue(0, 0), 1.0);
  ASSERT_NE(copy.GetScale(), component->GetScale());
  EXPECT_TRUE(copy.GetScale()->IsEqual(component->GetScale()));

  std::unique_ptr<C_Component> empty(component->Clone(false));
  EXPECT_EQ(empty->GetName(), "C");
  EXPECT_EQ(Rows(empty->GetPlane(0)) + ";" + Rows(empty->GetPlane(1)), "0 0 0|0 0 0;4 4 4|4 4 4"); // default values
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
