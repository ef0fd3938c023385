#include <BufferApi.h>

#include "C_Plane.h"
#include "C_PlaneRGB.h"
#include "PlaneTestHelpers.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace BufferApi;
using PlaneTestHelpers::Raised;

namespace
{
using PlanePtr = std::unique_ptr<I_PlaneBase>;

PlanePtr MakePlane(E_DataType type, unsigned width, unsigned height)
{
  PlanePtr plane(CreatePlane(type, width, height));
  EXPECT_TRUE(plane) << "type " << type;
  return plane;
}

//! The plane's values row by row.
std::vector<double> Values(const I_PlaneBase& plane)
{
  std::vector<double> values;
  for (unsigned y = 0; y < plane.GetHeight(); ++y)
    for (unsigned x = 0; x < plane.GetWidth(); ++x)
      values.push_back(plane.GetValue(x, y));
  return values;
}

//! A 2 x 2 plane holding 1 2 / 3 4 with default value 7.
PlanePtr TwoByTwo(E_DataType type)
{
  PlanePtr plane = MakePlane(type, 2, 2);
  plane->SetValue(0, 0, 1);
  plane->SetValue(1, 0, 2);
  plane->SetValue(0, 1, 3);
  plane->SetValue(1, 1, 4);
  plane->SetDefaultValue(7);
  return plane;
}

const E_DataType kAllTypes[] = {DT_UInt8, DT_Double, DT_Float, DT_Int32, DT_UInt32, DT_UInt16, DT_RGB};
const char* const kBoundaries = "One of the lower end of the boundaries is larger than the upper end.";
const char* const kNoMemory = "Not enough free memory available.";
} // namespace

TEST(PlaneFactory, CreatesEveryRegisteredTypeZeroedAndNothingElse)
{
  for (E_DataType type : kAllTypes)
  {
    PlanePtr plane = MakePlane(type, 3, 2);
    ASSERT_TRUE(plane);
    EXPECT_EQ(plane->GetDataType(), type);
    EXPECT_EQ(plane->GetWidth(), 3u);
    EXPECT_EQ(plane->GetHeight(), 2u);
    const auto* bytes = static_cast<const unsigned char*>(plane->GetData());
    for (std::uint64_t i = 0; i < 6 * GetDataTypeSize(type); ++i)
      ASSERT_EQ(bytes[i], 0);
  }
  EXPECT_EQ(CreatePlane(DT_Bool, 4, 4), nullptr);
  EXPECT_EQ(CreatePlane(static_cast<E_DataType>(8), 4, 4), nullptr);
  EXPECT_EQ(CreatePlane(static_cast<E_DataType>(-1), 4, 4), nullptr);
}

TEST(PlaneFactory, RegisterKeepsTheFirstCreator)
{
  auto creator = [](const C_PlaneBaseParam&) -> I_PlaneBase* { return nullptr; };
  EXPECT_FALSE(C_PlaneFactory::GetInstance().Register(DT_Float, creator));
  EXPECT_FALSE(C_PlaneFactory::GetInstance().Register(DT_Bool, nullptr));
  PlanePtr plane(CreatePlane(DT_Float, 1, 1));
  EXPECT_TRUE(plane);
}

TEST(PlaneFactory, HugePlanesGiveNullInsteadOfATruncatedAllocation)
{
  const unsigned side = 1u << 31;
  for (E_DataType type : kAllTypes)
  {
    EXPECT_EQ(CreatePlane(type, side, side), nullptr) << type;
    EXPECT_EQ(CreatePlane(type, UINT_MAX, UINT_MAX), nullptr) << type;
  }
}

TEST(PlaneFactory, HugePlanesRaiseTheMemoryMessageOfTheirUnit)
{
  const unsigned side = 1u << 31;
  auto numeric = Raised([&] { C_Plane<unsigned char> plane(side, side); });
  EXPECT_EQ(numeric.message, kNoMemory);
  EXPECT_EQ(numeric.unit, "Sources\\C_Plane");
  auto rgb = Raised([&] { C_PlaneRGB plane(side, side); });
  EXPECT_EQ(rgb.message, kNoMemory);
  EXPECT_EQ(rgb.unit, "Sources\\C_PlaneRGB");
}

TEST(PlaneMemory, NumericPlanesAdoptCallerMemoryUnclearedAndRGBPlanesIgnoreIt)
{
  auto* memory = static_cast<unsigned short*>(std::malloc(4 * sizeof(unsigned short)));
  for (unsigned short i = 0; i < 4; ++i)
    memory[i] = static_cast<unsigned short>(100 + i);
  PlanePtr plane(CreatePlane(DT_UInt16, 2, 2, memory));
  ASSERT_TRUE(plane);
  EXPECT_EQ(plane->GetData(), memory);
  EXPECT_EQ(Values(*plane), (std::vector<double>{100, 101, 102, 103}));
  plane.reset(); // frees the adopted block (the leak check would notice otherwise)

  void* ignored = std::malloc(16);
  PlanePtr rgb(CreatePlane(DT_RGB, 2, 2, ignored));
  ASSERT_TRUE(rgb);
  EXPECT_NE(rgb->GetData(), ignored);
  std::free(ignored);
}

TEST(PlaneMemory, PlanesInSharedMemoryKeepTheBlockAlive)
{
  auto block = std::make_shared<C_ConsecutivePlaneMemory>(2 * 4 * sizeof(float));
  auto* start = static_cast<float*>(block->GetMemory());
  PlanePtr first(C_PlaneFactory::GetInstance().Create(DT_Float, C_PlaneBaseParam(2, 2, block, start)));
  PlanePtr second(C_PlaneFactory::GetInstance().Create(DT_Float, C_PlaneBaseParam(2, 2, block, start + 4)));
  auto rgbBlock = std::make_shared<C_ConsecutivePlaneMemory>(4 * sizeof(tagRGBQUAD));
  PlanePtr rgb(C_PlaneFactory::GetInstance().Create(DT_RGB, C_PlaneBaseParam(2, 2, rgbBlock, rgbBlock->GetMemory())));
  ASSERT_TRUE(first && second && rgb);
  EXPECT_EQ(first->GetData(), start);
  EXPECT_EQ(rgb->GetData(), rgbBlock->GetMemory());
  EXPECT_EQ(block.use_count(), 3);

  second->SetValue(1, 1, 5.5);
  EXPECT_EQ(start[7], 5.5f);

  // Only the planes hold the blocks now; using them afterwards must be safe.
  block.reset();
  rgbBlock.reset();
  first->Fill(1.0);
  rgb->Fill(0x010203);
  EXPECT_EQ(second->GetValue(1, 1), 5.5);
  EXPECT_EQ(rgb->GetValue(1, 1), 0x010203);
}

TEST(PlaneMemory, SlicesOutsideTheirBlockOrWithoutOwnerAreRefused)
{
  auto block = std::make_shared<C_ConsecutivePlaneMemory>(4 * sizeof(int));
  auto* start = static_cast<int*>(block->GetMemory());
  auto& factory = C_PlaneFactory::GetInstance();
  EXPECT_EQ(factory.Create(DT_Int32, C_PlaneBaseParam(2, 2, block, start + 1)), nullptr);
  EXPECT_EQ(factory.Create(DT_Double, C_PlaneBaseParam(2, 2, block, start)), nullptr);
  EXPECT_EQ(factory.Create(DT_Int32, C_PlaneBaseParam(2, 2, nullptr, start)), nullptr);
  EXPECT_EQ(factory.Create(DT_RGB, C_PlaneBaseParam(3, 2, block, start)), nullptr);
  PlanePtr fits(factory.Create(DT_Int32, C_PlaneBaseParam(2, 1, block, start + 2)));
  EXPECT_TRUE(fits);
  EXPECT_EQ(block.use_count(), 2);
}

TEST(PlaneMemory, DetachDataFromSharedMemoryReturnsAPrivateCopy)
{
  for (E_DataType type : {DT_Double, DT_RGB})
  {
    const std::uint64_t planeBytes = 4 * GetDataTypeSize(type);
    auto block = std::make_shared<C_ConsecutivePlaneMemory>(2 * planeBytes);
    auto* start = static_cast<unsigned char*>(block->GetMemory());
    auto& factory = C_PlaneFactory::GetInstance();
    PlanePtr first(factory.Create(type, C_PlaneBaseParam(2, 2, block, start)));
    PlanePtr second(factory.Create(type, C_PlaneBaseParam(2, 2, block, start + planeBytes)));
    ASSERT_TRUE(first && second);
    first->SetValue(1, 0, 42);

    void* detached = first->DetachData();
    ASSERT_NE(detached, nullptr);
    EXPECT_NE(detached, start);
    EXPECT_EQ(std::memcmp(detached, start, planeBytes), 0);
    EXPECT_EQ(first->GetData(), nullptr);
    EXPECT_EQ(first->GetWidth(), 2u);
    EXPECT_EQ(block.use_count(), 2); // first dropped its reference
    std::free(detached);

    second->SetValue(0, 1, 9);
    EXPECT_EQ(second->GetValue(0, 1), 9);
  }
}

TEST(PlaneMemory, OwnMemoryIsHandedOverAsIs)
{
  PlanePtr plane = MakePlane(DT_Int32, 2, 2);
  void* data = plane->GetData();
  EXPECT_EQ(plane->DetachData(), data);
  EXPECT_EQ(plane->DetachData(), nullptr);
  std::free(data);
}

TEST(PlaneDetached, OperationsOnAPlaneWithoutDataAreHarmless)
{
  for (E_DataType type : kAllTypes)
  {
    PlanePtr plane = TwoByTwo(type);
    std::free(plane->DetachData());
    EXPECT_EQ(plane->GetValue(0, 0), 0);
    EXPECT_EQ(plane->GetIntValue(1, 1), 0);
    plane->SetValue(0, 0, 1);
    plane->SetIntValue(0, 0, 1);
    plane->Fill(3);
    plane->Clear();
    dynamic_cast<C_PlaneBase&>(*plane).SetToDefault(0, 0);
    EXPECT_EQ(plane->GetData(), nullptr);

    PlanePtr clone(plane->Clone(true));
    ASSERT_TRUE(clone);
    EXPECT_NE(clone->GetData(), nullptr);
    EXPECT_EQ(Values(*clone), std::vector<double>(4, 0.0));
    EXPECT_FALSE(clone->IsEqual(plane.get()));
    PlanePtr other = MakePlane(type, 2, 2);
    std::free(other->DetachData());
    EXPECT_TRUE(plane->IsEqual(other.get()));

    // The old elements count as 0, new areas get the default value.
    plane->Resize(-1, 1, 0, 0);
    ASSERT_NE(plane->GetData(), nullptr);
    EXPECT_EQ(Values(*plane), (std::vector<double>{7, 0, 0})) << type;
  }
}

TEST(PlaneConversion, UnsignedCharClampsAndTruncates)
{
  PlanePtr plane = MakePlane(DT_UInt8, 2, 1);
  plane->Fill(-5.0);
  EXPECT_EQ(Values(*plane), (std::vector<double>{0, 0}));
  plane->Fill(300.0);
  EXPECT_EQ(Values(*plane), (std::vector<double>{255, 255}));
  plane->Fill(2.9);
  EXPECT_EQ(Values(*plane), (std::vector<double>{2, 2}));
  plane->SetValue(0, 0, 255.9);
  EXPECT_EQ(plane->GetIntValue(0, 0), 255);
  plane->SetValue(0, 0, std::nan(""));
  EXPECT_EQ(plane->GetValue(0, 0), 0);
}

TEST(PlaneConversion, UnsignedShortAndUnsignedIntClampAtTheirLimits)
{
  PlanePtr words = MakePlane(DT_UInt16, 3, 1);
  words->SetValue(0, 0, 65535.9);
  words->SetValue(1, 0, 65536.0);
  words->SetValue(2, 0, -0.5);
  EXPECT_EQ(Values(*words), (std::vector<double>{65535, 65535, 0}));

  PlanePtr dwords = MakePlane(DT_UInt32, 3, 1);
  dwords->SetValue(0, 0, 4294967295.0);
  dwords->SetValue(1, 0, 1e12);
  dwords->SetValue(2, 0, -1.0);
  EXPECT_EQ(Values(*dwords), (std::vector<double>{4294967295.0, 4294967295.0, 0}));
  EXPECT_EQ(dwords->GetIntValue(0, 0), -1); // the same 32 bits
}

TEST(PlaneConversion, IntClampsInclusivelyAndTruncatesTowardZero)
{
  PlanePtr plane = MakePlane(DT_Int32, 4, 1);
  plane->SetValue(0, 0, -3e9);
  plane->SetValue(1, 0, 2147483647.5);
  plane->SetValue(2, 0, -2.7);
  plane->SetIntValue(3, 0, INT_MIN);
  EXPECT_EQ(Values(*plane), (std::vector<double>{-2147483648.0, 2147483647.0, -2, -2147483648.0}));
  EXPECT_EQ(plane->GetIntValue(2, 0), -2);
}

TEST(PlaneConversion, FloatClampsToItsRangeAndReadsAsIntThroughSixtyFourBits)
{
  PlanePtr plane = MakePlane(DT_Float, 2, 1);
  plane->SetValue(0, 0, 1e39);
  EXPECT_EQ(plane->GetValue(0, 0), static_cast<double>(FLT_MAX));
  plane->SetValue(0, 0, -1e39);
  EXPECT_EQ(plane->GetValue(0, 0), -static_cast<double>(FLT_MAX));
  plane->SetValue(1, 0, 1.0);
  plane->SetValue(2, 0, 9.0); // x = width: ignored
  EXPECT_EQ(plane->GetValue(2, 0), 0);
  EXPECT_EQ(plane->GetValue(1, 0), 1.0);

  plane->SetValue(0, 0, 3e9); // exact in float
  EXPECT_EQ(plane->GetIntValue(0, 0), static_cast<int>(3000000000u - 4294967296ll));
  plane->SetValue(0, 0, -7.9);
  EXPECT_EQ(plane->GetIntValue(0, 0), -7);
  plane->SetValue(0, 0, 1e20); // beyond 64 bits: the low word of the indefinite value
  EXPECT_EQ(plane->GetIntValue(0, 0), 0);
}

TEST(PlaneConversion, DoubleStoresAnythingAndReadsAsThirtyTwoBitInt)
{
  PlanePtr plane = MakePlane(DT_Double, 2, 1);
  plane->SetValue(0, 0, 1e300);
  EXPECT_EQ(plane->GetValue(0, 0), 1e300);
  EXPECT_EQ(plane->GetIntValue(0, 0), INT_MIN);
  plane->SetValue(1, 0, -2.9);
  EXPECT_EQ(plane->GetIntValue(1, 0), -2);
  EXPECT_EQ(plane->GetValueUnsafe(1, 0), -2.9);
}

TEST(PlaneConversion, GuardsIgnoreCoordinatesAtWidthAndHeight)
{
  for (E_DataType type : kAllTypes)
  {
    PlanePtr plane = MakePlane(type, 2, 3);
    plane->SetValue(2, 0, 9);
    plane->SetValue(0, 3, 9);
    plane->SetIntValue(2, 0, 9);
    EXPECT_EQ(Values(*plane), std::vector<double>(6, 0.0)) << type;
    plane->Fill(9);
    EXPECT_EQ(plane->GetValue(2, 0), 0);
    EXPECT_EQ(plane->GetValue(0, 3), 0);
    EXPECT_EQ(plane->GetIntValue(UINT_MAX, 0), 0);
  }
}

TEST(PlaneRGB, ValuesAreRedGreenBlueWithTheReservedByteOnlyFromSetValue)
{
  PlanePtr base = MakePlane(DT_RGB, 2, 1);
  auto& plane = dynamic_cast<I_PlaneRGB&>(*base);
  plane.SetElement(0, 0, tagRGBQUAD{1, 2, 3, 9});
  EXPECT_EQ(plane.GetValue(0, 0), 197121);
  EXPECT_EQ(plane.GetIntValue(0, 0), 197121);

  plane.SetValue(1, 0, double(0x05030201));
  tagRGBQUAD quad = plane.GetElement(1, 0);
  EXPECT_EQ(quad.rgbBlue, 1);
  EXPECT_EQ(quad.rgbGreen, 2);
  EXPECT_EQ(quad.rgbRed, 3);
  EXPECT_EQ(quad.rgbReserved, 5);
  plane.SetValue(1, 0, -1.0); // the low 32 bits of -1
  EXPECT_EQ(plane.GetElement(1, 0).rgbReserved, 255);
  EXPECT_EQ(plane.GetValue(1, 0), 16777215);

  plane.Fill(double(0x05030201));
  EXPECT_EQ(plane.GetElement(0, 0).rgbReserved, 0);
  EXPECT_EQ(plane.GetValue(1, 0), 197121);
  EXPECT_EQ(plane.Fill(tagRGBQUAD{4, 5, 6, 7}), 2);
  EXPECT_EQ(plane.GetElement(1, 0).rgbReserved, 7);

  // Unsafe writes and SetToDefault of RGB planes are guarded too.
  plane.SetValueUnsafe(2, 0, 1.0);
  plane.SetElement(0, 1, tagRGBQUAD{1, 1, 1, 1});
  dynamic_cast<C_PlaneRGB&>(plane).SetToDefault(5, 5);

  PlanePtr empty = MakePlane(DT_RGB, 0, 0);
  EXPECT_EQ(dynamic_cast<I_PlaneRGB&>(*empty).Fill(tagRGBQUAD{1, 2, 3, 4}), 0);
}

TEST(PlaneRGB, DefaultValueDropsTheReservedByte)
{
  C_PlaneRGB plane(1, 1);
  plane.SetDefaultValue(double(0x7F010203));
  EXPECT_EQ(plane.GetDefaultValue().rgbReserved, 0);
  EXPECT_EQ(plane.GetDefaultValue().rgbRed, 1);
  plane.SetToDefault(0, 0);
  EXPECT_EQ(plane.GetValue(0, 0), 0x010203);
}

TEST(PlaneResize, InvertedBoundsRaiseAndLeaveThePlaneUnchanged)
{
  for (E_DataType type : {DT_Int32, DT_RGB})
  {
    PlanePtr plane = TwoByTwo(type);
    const char* unit = type == DT_RGB ? "Sources\\C_PlaneRGB" : "Sources\\C_Plane";
    for (auto bounds : {std::vector<int>{1, 0, 0, 0}, std::vector<int>{0, 0, 1, 0}})
    {
      auto raised = Raised([&] { plane->Resize(bounds[0], bounds[1], bounds[2], bounds[3]); });
      EXPECT_EQ(raised.message, kBoundaries);
      EXPECT_EQ(raised.unit, unit);
    }
    EXPECT_EQ(plane->GetWidth(), 2u);
    EXPECT_EQ(Values(*plane), (std::vector<double>{1, 2, 3, 4}));

    auto tooWide = Raised([&] { plane->Resize(INT_MIN, INT_MAX, 0, 0); });
    EXPECT_EQ(tooWide.message, kNoMemory);
    EXPECT_EQ(plane->GetWidth(), 2u);
  }
}

TEST(PlaneResize, GrowingSurroundsTheOldElementsWithTheDefaultValue)
{
  for (E_DataType type : kAllTypes)
  {
    PlanePtr plane = TwoByTwo(type);
    plane->Resize(-1, 2, -1, 2);
    ASSERT_EQ(plane->GetWidth(), 4u);
    ASSERT_EQ(plane->GetHeight(), 4u);
    EXPECT_EQ(Values(*plane), (std::vector<double>{7, 7, 7, 7, 7, 1, 2, 7, 7, 3, 4, 7, 7, 7, 7, 7})) << type;
  }
}

TEST(PlaneResize, CroppingAndOverlappingKeepTheCoveredElements)
{
  PlanePtr plane = TwoByTwo(DT_Double);
  plane->Resize(1, 2, 0, 1); // right column kept, one new column
  EXPECT_EQ(Values(*plane), (std::vector<double>{2, 7, 4, 7}));
  plane->Resize(0, 0, 1, 1);
  EXPECT_EQ(Values(*plane), (std::vector<double>{4}));
}

TEST(PlaneResize, OnlyRangesStrictlyBeyondThePlaneStayZero)
{
  for (E_DataType type : {DT_UInt8, DT_Float, DT_RGB})
  {
    // Starting exactly at x = width or y = height is not outside: default applies.
    PlanePtr atWidth = TwoByTwo(type);
    atWidth->Resize(2, 3, 0, 0);
    EXPECT_EQ(Values(*atWidth), (std::vector<double>{7, 7})) << type;
    PlanePtr atHeight = TwoByTwo(type);
    atHeight->Resize(0, 0, 2, 3);
    EXPECT_EQ(Values(*atHeight), (std::vector<double>{7, 7})) << type;

    PlanePtr beyond = TwoByTwo(type);
    beyond->Resize(5, 9, 0, 0);
    EXPECT_EQ(beyond->GetWidth(), 5u);
    EXPECT_EQ(beyond->GetHeight(), 1u);
    EXPECT_EQ(Values(*beyond), std::vector<double>(5, 0.0)) << type;
    PlanePtr left = TwoByTwo(type);
    left->Resize(-3, -1, 0, 1);
    EXPECT_EQ(Values(*left), std::vector<double>(6, 0.0)) << type;
    PlanePtr above = TwoByTwo(type);
    above->Resize(0, 1, -2, -1);
    EXPECT_EQ(Values(*above), std::vector<double>(4, 0.0)) << type;
    PlanePtr below = TwoByTwo(type);
    below->Resize(0, 1, 3, 3);
    EXPECT_EQ(Values(*below), std::vector<double>(2, 0.0)) << type;
  }
}

TEST(PlaneResize, LeavesSharedMemoryForOwnMemory)
{
  auto block = std::make_shared<C_ConsecutivePlaneMemory>(4 * sizeof(unsigned));
  auto* start = static_cast<unsigned*>(block->GetMemory());
  start[3] = 44;
  PlanePtr plane(C_PlaneFactory::GetInstance().Create(DT_UInt32, C_PlaneBaseParam(2, 2, block, start)));
  ASSERT_TRUE(plane);
  plane->Resize(1, 1, 1, 1);
  EXPECT_EQ(block.use_count(), 1);
  EXPECT_NE(plane->GetData(), start);
  EXPECT_EQ(plane->GetValue(0, 0), 44);
  plane->SetValue(0, 0, 1);
  EXPECT_EQ(start[3], 44u);
}

TEST(PlaneClone, CopiesDataOrFillsWithTheDefaultValue)
{
  C_Plane<float> plane(2, 2);
  plane.SetValue(1, 1, 4.0);
  plane.SetDefaultValue(2.5);
  std::unique_ptr<I_PlaneBase> copy(plane.Clone(true));
  EXPECT_TRUE(copy->IsEqual(&plane));
  EXPECT_NE(copy->GetData(), plane.GetData());
  EXPECT_EQ(dynamic_cast<C_Plane<float>&>(*copy).GetDefaultValue(), 2.5f);

  for (I_PlaneBase* empty : {plane.Clone(false), plane.CloneEmpty()})
  {
    std::unique_ptr<I_PlaneBase> owner(empty);
    EXPECT_EQ(Values(*empty), std::vector<double>(4, 2.5));
    EXPECT_EQ(dynamic_cast<C_Plane<float>&>(*empty).GetDefaultValue(), 2.5f);
  }
}

TEST(PlaneClone, RGBClonesWithoutDataAreZeroWithDefaultZero)
{
  C_PlaneRGB plane(2, 1);
  plane.Fill(tagRGBQUAD{1, 2, 3, 4});
  plane.SetDefaultValue(tagRGBQUAD{9, 9, 9, 9});
  std::unique_ptr<I_PlaneRGB> copy(plane.Clone(true));
  EXPECT_TRUE(copy->IsEqual(&plane));
  EXPECT_EQ(dynamic_cast<C_PlaneRGB&>(*copy).GetDefaultValue().rgbBlue, 9);
  for (I_PlaneRGB* empty : {plane.Clone(false), plane.CloneEmpty()})
  {
    std::unique_ptr<I_PlaneRGB> owner(empty);
    EXPECT_EQ(Values(*empty), std::vector<double>(2, 0.0));
    EXPECT_EQ(dynamic_cast<C_PlaneRGB&>(*empty).GetDefaultValue().rgbBlue, 0);
  }
}

TEST(PlaneCompare, EqualityNeedsTheSameClassSizeAndBytes)
{
  PlanePtr a = MakePlane(DT_Double, 3, 2);
  PlanePtr b = MakePlane(DT_Double, 3, 2);
  a->Fill(1.5);
  b->Fill(1.5);
  b->SetDefaultValue(3); // not compared
  EXPECT_TRUE(a->IsEqual(b.get()));
  EXPECT_FALSE(a->IsNotEqual(b.get()));
  b->SetValue(2, 1, 1.25);
  EXPECT_FALSE(a->IsEqual(b.get()));
  EXPECT_TRUE(a->IsNotEqual(b.get()));
  EXPECT_FALSE(a->IsEqual(nullptr));

  PlanePtr ints = MakePlane(DT_Int32, 2, 1);
  PlanePtr uints = MakePlane(DT_UInt32, 2, 1);
  PlanePtr rgb = MakePlane(DT_RGB, 2, 1);
  EXPECT_FALSE(ints->IsSameType(uints.get()));
  EXPECT_FALSE(ints->IsEqual(uints.get())); // same zero bytes, other class
  EXPECT_FALSE(rgb->IsEqual(uints.get()));
  EXPECT_FALSE(rgb->IsSameType(nullptr));
  PlanePtr wider = MakePlane(DT_Int32, 1, 2);
  EXPECT_TRUE(ints->IsSameType(wider.get()));
  EXPECT_FALSE(ints->IsEqual(wider.get()));

  auto& base = dynamic_cast<C_PlaneBase&>(*ints);
  EXPECT_TRUE(base.IsDifferentSize(&dynamic_cast<C_PlaneBase&>(*wider)));
  EXPECT_TRUE(base.HasSameSize(&dynamic_cast<C_PlaneBase&>(*uints)));
  EXPECT_FALSE(base.HasSameSize(nullptr));
  EXPECT_TRUE(base.IsDifferentSize(nullptr));
}

TEST(PlaneFill, ClearZeroesTheDataButKeepsTheDefaultValue)
{
  C_Plane<unsigned short> plane(3, 1);
  plane.SetDefaultValue(70000);
  EXPECT_EQ(plane.GetDefaultValue(), 65535);
  plane.Fill(12);
  plane.Clear();
  EXPECT_EQ(Values(plane), std::vector<double>(3, 0.0));
  plane.SetToDefault(1, 0);
  EXPECT_EQ(Values(plane), (std::vector<double>{0, 65535, 0}));
  plane.SetElement(2, 0, 5);
  EXPECT_EQ(plane.GetElement(2, 0), 5);
}
