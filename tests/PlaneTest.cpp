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
#include <tuple>
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
  for (unsigned i = 0; i < 4; ++i)
    plane->SetValue(i % 2, i / 2, i + 1);
  plane->SetDefaultValue(7);
  return plane;
}

const E_DataType kAllTypes[] = {DT_UInt8, DT_Double, DT_Float, DT_Int32, DT_UInt32, DT_UInt16, DT_RGB};
const char* const kBoundaries = "One of the lower end of the boundaries is larger than the upper end.";
const char* const kNoMemory = "Not enough free memory available.";

std::vector<int> Bytes(const tagRGBQUAD& quad)
{
  return {quad.rgbBlue, quad.rgbGreen, quad.rgbRed, quad.rgbReserved};
}

//! A plane of `type` on the slice of `block` that starts at `start`.
PlanePtr InBlock(E_DataType type, unsigned width, unsigned height, std::shared_ptr<C_ConsecutivePlaneMemory> block,
                 void* start)
{
  return PlanePtr(C_PlaneFactory::GetInstance().Create(type, C_PlaneBaseParam(width, height, block, start)));
}
} // namespace

TEST(PlaneFactory, CreatesEveryRegisteredTypeZeroedAndNothingElse)
{
  for (E_DataType type : kAllTypes)
  {
    PlanePtr plane = MakePlane(type, 3, 2);
    ASSERT_TRUE(plane);
    EXPECT_EQ(std::make_tuple(plane->GetDataType(), plane->GetWidth(), plane->GetHeight()),
              std::make_tuple(type, 3u, 2u));
    const auto* bytes = static_cast<const unsigned char*>(plane->GetData());
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + 6 * GetDataTypeSize(type)),
              std::vector<unsigned char>(6 * GetDataTypeSize(type), 0));
  }
  for (int type : {0, 8, -1}) // DT_Bool has no planes
    EXPECT_EQ(CreatePlane(static_cast<E_DataType>(type), 4, 4), nullptr) << type;
}

TEST(PlaneFactory, HugePlanesGiveNullOrTheMemoryMessageInsteadOfATruncatedAllocation)
{
  const unsigned side = 1u << 31;
  for (E_DataType type : kAllTypes)
    EXPECT_EQ(CreatePlane(type, side, side), nullptr) << type;
  auto numeric = Raised([&] { C_Plane<unsigned char> plane(side, side); });
  EXPECT_EQ(numeric.message + " " + numeric.unit, std::string(kNoMemory) + " Sources\\C_Plane");
  auto rgb = Raised([&] { C_PlaneRGB plane(side, side); });
  EXPECT_EQ(rgb.message + " " + rgb.unit, std::string(kNoMemory) + " Sources\\C_PlaneRGB");
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
  PlanePtr first = InBlock(DT_Float, 2, 2, block, start);
  PlanePtr second = InBlock(DT_Float, 2, 2, block, start + 4);
  auto rgbBlock = std::make_shared<C_ConsecutivePlaneMemory>(4 * sizeof(tagRGBQUAD));
  PlanePtr rgb = InBlock(DT_RGB, 2, 2, rgbBlock, rgbBlock->GetMemory());
  ASSERT_TRUE(first && second && rgb);

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
  EXPECT_EQ(InBlock(DT_Int32, 2, 2, block, start + 1), nullptr);
  EXPECT_EQ(InBlock(DT_Double, 2, 2, block, start), nullptr);
  EXPECT_EQ(InBlock(DT_Int32, 2, 2, nullptr, start), nullptr);
  EXPECT_EQ(InBlock(DT_RGB, 3, 2, block, start), nullptr);
  EXPECT_TRUE(InBlock(DT_Int32, 2, 1, block, start + 2));
}

TEST(PlaneMemory, DetachDataHandsOverOwnMemoryAndCopiesSharedMemory)
{
  PlanePtr own = MakePlane(DT_Int32, 2, 2);
  void* data = own->GetData();
  EXPECT_EQ(own->DetachData(), data);
  std::free(data);

  for (E_DataType type : {DT_Double, DT_RGB})
  {
    const std::uint64_t planeBytes = 4 * GetDataTypeSize(type);
    auto block = std::make_shared<C_ConsecutivePlaneMemory>(2 * planeBytes);
    auto* start = static_cast<unsigned char*>(block->GetMemory());
    PlanePtr first = InBlock(type, 2, 2, block, start);
    PlanePtr second = InBlock(type, 2, 2, block, start + planeBytes);
    ASSERT_TRUE(first && second);
    first->SetValue(1, 0, 42);

    void* detached = first->DetachData();
    ASSERT_NE(detached, nullptr);
    EXPECT_EQ(std::memcmp(detached, start, planeBytes), 0);
    EXPECT_EQ(block.use_count(), 2); // first dropped its reference
    std::free(detached);
  }
}

TEST(PlaneDetached, OperationsOnAPlaneWithoutDataAreHarmless)
{
  for (E_DataType type : kAllTypes)
  {
    PlanePtr plane = TwoByTwo(type);
    std::free(plane->DetachData());
    EXPECT_EQ(plane->GetValue(0, 0), 0);
    plane->SetValue(0, 0, 1);
    plane->Fill(3);
    dynamic_cast<C_PlaneBase&>(*plane).SetToDefault(0, 0);
    EXPECT_EQ(plane->GetData(), nullptr);

    // The old elements count as 0, new areas get the default value.
    plane->Resize(-1, 1, 0, 0);
    ASSERT_NE(plane->GetData(), nullptr);
    EXPECT_EQ(Values(*plane), (std::vector<double>{7, 0, 0})) << type;
  }
}

// Readers inside the library take a plane's elements from C_PlaneBase: they
// must be the plane's data and type in every state of the data.
TEST(PlaneDetached, ElementsOfTheBaseClassAreTheDataInEveryState)
{
  const auto expectElementsAreData = [](const I_PlaneBase& plane, const char* state)
  {
    const auto& base = dynamic_cast<const C_PlaneBase&>(plane);
    EXPECT_EQ(base.GetElements(), plane.GetData()) << state << ", type " << plane.GetDataType();
    EXPECT_EQ(base.GetElementType(), plane.GetDataType()) << state;
  };
  for (E_DataType type : kAllTypes)
  {
    PlanePtr own = TwoByTwo(type);
    expectElementsAreData(*own, "own memory");
    own->Resize(-1, 2, 0, 1);
    expectElementsAreData(*own, "resized");
    std::free(own->DetachData());
    EXPECT_EQ(dynamic_cast<const C_PlaneBase&>(*own).GetElements(), nullptr);
    own->Resize(0, 1, 0, 1);
    expectElementsAreData(*own, "resized after detaching");

    const std::uint64_t planeBytes = 4 * GetDataTypeSize(type);
    auto block = std::make_shared<C_ConsecutivePlaneMemory>(2 * planeBytes);
    PlanePtr slice = InBlock(type, 2, 2, block, static_cast<unsigned char*>(block->GetMemory()) + planeBytes);
    ASSERT_TRUE(slice);
    expectElementsAreData(*slice, "shared memory");
    std::free(slice->DetachData());
    expectElementsAreData(*slice, "detached from shared memory");
  }
  void* memory = std::calloc(4, sizeof(float));
  PlanePtr adopted(CreatePlane(DT_Float, 2, 2, memory));
  ASSERT_TRUE(adopted);
  EXPECT_EQ(dynamic_cast<const C_PlaneBase&>(*adopted).GetElements(), memory);
}

TEST(PlaneConversion, ClampsTruncatesAndReadsAsInt)
{
  const double fltMax = FLT_MAX;
  const struct
  {
    E_DataType type;
    double in, value;
    int intValue;
  } rows[] = {
      {DT_UInt8, -5.0, 0, 0},
      {DT_UInt8, 300.0, 255, 255},
      {DT_UInt8, 255.9, 255, 255},
      {DT_UInt8, std::nan(""), 0, 0},
      {DT_UInt16, 65535.9, 65535, 65535},
      {DT_UInt16, 65536.0, 65535, 65535},
      {DT_UInt32, 4294967295.0, 4294967295.0, -1}, // the same 32 bits
      {DT_UInt32, 1e12, 4294967295.0, -1},
      {DT_UInt32, -1.0, 0, 0},
      // int: clamped inclusively, truncated toward zero
      {DT_Int32, -3e9, -2147483648.0, INT_MIN},
      {DT_Int32, 2147483647.5, 2147483647.0, INT_MAX},
      {DT_Int32, -2.7, -2, -2},
      // float: clamped to its range, read as int through 64 bits
      {DT_Float, 1e39, fltMax, 0},
      {DT_Float, -1e39, -fltMax, 0},
      {DT_Float, 3e9, 3e9, static_cast<int>(3000000000u - 4294967296ll)},
      {DT_Float, -7.9, double(-7.9f), -7},
      {DT_Float, 1e20, double(1e20f), 0}, // beyond 64 bits: the low word of the indefinite value
      // double: stores anything, reads as a 32-bit int
      {DT_Double, 1e300, 1e300, INT_MIN},
  };
  for (const auto& row : rows)
  {
    PlanePtr plane = MakePlane(row.type, 1, 1);
    plane->SetValue(0, 0, row.in);
    EXPECT_EQ(plane->GetValue(0, 0), row.value) << row.type << " " << row.in;
    EXPECT_EQ(plane->GetIntValue(0, 0), row.intValue) << row.type << " " << row.in;
  }
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
    EXPECT_EQ(plane->GetIntValue(UINT_MAX, 0), 0);
  }
}

TEST(PlaneRGB, ValuesAreRedGreenBlueWithTheReservedByteOnlyFromSetValue)
{
  C_PlaneRGB plane(2, 1);
  plane.SetElement(0, 0, tagRGBQUAD{1, 2, 3, 9});
  EXPECT_EQ(plane.GetValue(0, 0), 197121);

  plane.SetValue(1, 0, double(0x05030201));
  EXPECT_EQ(Bytes(plane.GetElement(1, 0)), (std::vector<int>{1, 2, 3, 5}));
  plane.SetValue(1, 0, -1.0); // the low 32 bits of -1
  EXPECT_EQ(plane.GetElement(1, 0).rgbReserved, 255);

  plane.Fill(double(0x05030201));
  EXPECT_EQ(Bytes(plane.GetElement(0, 0)), (std::vector<int>{1, 2, 3, 0}));
  EXPECT_EQ(plane.Fill(tagRGBQUAD{4, 5, 6, 7}), 2);
  EXPECT_EQ(plane.GetElement(1, 0).rgbReserved, 7);

  // Unsafe writes and SetToDefault of RGB planes are guarded too.
  plane.SetValueUnsafe(2, 0, 1.0);
  plane.SetElement(0, 1, tagRGBQUAD{1, 1, 1, 1});
  plane.SetToDefault(5, 5);

  // The default value drops the reserved byte.
  plane.SetDefaultValue(double(0x7F010203));
  EXPECT_EQ(Bytes(plane.GetDefaultValue()), (std::vector<int>{3, 2, 1, 0}));
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
      EXPECT_EQ(raised.message + " " + raised.unit, std::string(kBoundaries) + " " + unit);
    }
    EXPECT_EQ(Raised([&] { plane->Resize(INT_MIN, INT_MAX, 0, 0); }).message, kNoMemory);
    EXPECT_EQ(Values(*plane), (std::vector<double>{1, 2, 3, 4}));
  }
}

TEST(PlaneResize, KeepsTheCoveredElementsDefaultsTheRestAndZeroesRangesBeyondThePlane)
{
  const struct
  {
    int x0, x1, y0, y1;
    std::vector<double> values;
  } rows[] = {
      {-1, 2, -1, 2, {7, 7, 7, 7, 7, 1, 2, 7, 7, 3, 4, 7, 7, 7, 7, 7}},
      {1, 2, 0, 1, {2, 7, 4, 7}},
      {1, 1, 1, 1, {4}},
      // Starting exactly at x = width or y = height is not outside: default applies.
      {2, 3, 0, 0, {7, 7}},
      {0, 0, 2, 3, {7, 7}},
      // Wholly beyond a side: zeros.
      {5, 9, 0, 0, {0, 0, 0, 0, 0}},
      {-3, -1, 0, 1, {0, 0, 0, 0, 0, 0}},
      {0, 1, -2, -1, {0, 0, 0, 0}},
      {0, 1, 3, 3, {0, 0}},
  };
  for (E_DataType type : kAllTypes)
  {
    for (const auto& row : rows)
    {
      SCOPED_TRACE(::testing::Message() << type << ": " << row.x0 << " " << row.x1 << " " << row.y0 << " " << row.y1);
      PlanePtr plane = TwoByTwo(type);
      plane->Resize(row.x0, row.x1, row.y0, row.y1);
      EXPECT_EQ(plane->GetWidth(), unsigned(row.x1 - row.x0 + 1));
      EXPECT_EQ(plane->GetHeight(), unsigned(row.y1 - row.y0 + 1));
      EXPECT_EQ(Values(*plane), row.values);
    }
  }
}

TEST(PlaneResize, LeavesSharedMemoryForOwnMemory)
{
  auto block = std::make_shared<C_ConsecutivePlaneMemory>(4 * sizeof(unsigned));
  auto* start = static_cast<unsigned*>(block->GetMemory());
  start[3] = 44;
  PlanePtr plane = InBlock(DT_UInt32, 2, 2, block, start);
  ASSERT_TRUE(plane);
  plane->Resize(1, 1, 1, 1);
  EXPECT_EQ(block.use_count(), 1);
  EXPECT_EQ(plane->GetValue(0, 0), 44);
  plane->SetValue(0, 0, 1);
  EXPECT_EQ(start[3], 44u);
}

// A resize to the same geometry keeps the plane's own block; in shared plane
// memory it must still leave the block, and a detached plane still gets zeros.
TEST(PlaneResize, SameGeometryKeepsTheDataAndLeavesSharedMemory)
{
  for (const E_DataType type : {DT_UInt8, DT_UInt16, DT_Int32, DT_UInt32, DT_Float, DT_Double, DT_RGB})
  {
    PlanePtr plane = MakePlane(type, 3, 2);
    plane->SetDefaultValue(9);
    plane->SetValue(2, 1, 5);
    plane->Resize(0, 2, 0, 1);
    EXPECT_EQ(plane->GetWidth(), 3u);
    EXPECT_EQ(plane->GetValue(2, 1), 5) << type;
    EXPECT_EQ(plane->GetValue(0, 0), 0) << type;
    std::free(plane->DetachData());
    plane->Resize(0, 2, 0, 1);
    ASSERT_NE(plane->GetData(), nullptr) << type;
    EXPECT_EQ(plane->GetValue(2, 1), 0) << type;
  }
  auto block = std::make_shared<C_ConsecutivePlaneMemory>(4 * sizeof(unsigned));
  auto* start = static_cast<unsigned*>(block->GetMemory());
  start[3] = 44;
  PlanePtr plane = InBlock(DT_UInt32, 2, 2, block, start);
  ASSERT_TRUE(plane);
  plane->Resize(0, 1, 0, 1);
  EXPECT_EQ(block.use_count(), 1);
  EXPECT_NE(plane->GetData(), static_cast<void*>(start));
  EXPECT_EQ(plane->GetValue(1, 1), 44);
  plane->SetValue(1, 1, 1);
  EXPECT_EQ(start[3], 44u);
}

TEST(PlaneClone, CopiesDataOrFillsWithTheDefaultValueWhichRGBClonesDoNotKeep)
{
  C_Plane<float> plane(2, 2);
  plane.SetValue(1, 1, 4.0);
  plane.SetDefaultValue(2.5);
  std::unique_ptr<I_PlaneBase> copy(plane.Clone(true));
  EXPECT_TRUE(copy->IsEqual(&plane));
  for (I_PlaneBase* empty : {plane.Clone(false), plane.CloneEmpty()})
  {
    std::unique_ptr<I_PlaneBase> owner(empty);
    EXPECT_EQ(Values(*empty), std::vector<double>(4, 2.5));
  }

  C_PlaneRGB rgb(2, 1);
  rgb.Fill(tagRGBQUAD{1, 2, 3, 4});
  rgb.SetDefaultValue(tagRGBQUAD{9, 9, 9, 9});
  std::unique_ptr<I_PlaneRGB> rgbCopy(rgb.Clone(true));
  EXPECT_EQ(dynamic_cast<C_PlaneRGB&>(*rgbCopy).GetDefaultValue().rgbBlue, 9);
  for (I_PlaneRGB* empty : {rgb.Clone(false), rgb.CloneEmpty()})
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
  EXPECT_TRUE(a->IsEqual(b.get()) && !a->IsNotEqual(b.get()));
  b->SetValue(2, 1, 1.25);
  EXPECT_TRUE(!a->IsEqual(b.get()) && a->IsNotEqual(b.get()));

  PlanePtr ints = MakePlane(DT_Int32, 2, 1);
  PlanePtr uints = MakePlane(DT_UInt32, 2, 1);
  EXPECT_FALSE(ints->IsEqual(uints.get())); // same zero bytes, other class
  PlanePtr wider = MakePlane(DT_Int32, 1, 2);
  EXPECT_FALSE(ints->IsEqual(wider.get()));
}
