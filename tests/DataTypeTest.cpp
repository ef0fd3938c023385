#include <BufferApi.h>

#include "PlaneTestHelpers.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>

using namespace BufferApi;
using PlaneTestHelpers::Raised;

static_assert(GetDataType<bool>() == DT_Bool && DT_Bool == 0);
static_assert(GetDataType<unsigned char>() == 1 && GetDataType<tagRGBQUAD>() == 2 && GetDataType<double>() == 3);
static_assert(GetDataType<float>() == 4 && GetDataType<int>() == 5 && GetDataType<unsigned int>() == 6);
static_assert(GetDataType<unsigned short>() == 7);
static_assert(sizeof(E_DataType) == 4);

TEST(DataType, RGBQuadLayoutIsBlueGreenRedReserved)
{
  const tagRGBQUAD quad{1, 2, 3, 4};
  const auto* bytes = reinterpret_cast<const unsigned char*>(&quad);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[1], 2);
  EXPECT_EQ(bytes[2], 3);
  EXPECT_EQ(bytes[3], 4);
  EXPECT_EQ(offsetof(tagRGBQUAD, rgbRed), 2u);
}

TEST(DataType, SizesFollowTheNumberingNotTheOrderOfSize)
{
  EXPECT_EQ(GetDataTypeSize(DT_Bool), 0u);
  EXPECT_EQ(GetDataTypeSize(DT_UInt8), 1u);
  EXPECT_EQ(GetDataTypeSize(DT_RGB), 4u);
  EXPECT_EQ(GetDataTypeSize(DT_Double), 8u);
  EXPECT_EQ(GetDataTypeSize(DT_Float), 4u);
  EXPECT_EQ(GetDataTypeSize(DT_Int32), 4u);
  EXPECT_EQ(GetDataTypeSize(DT_UInt32), 4u);
  EXPECT_EQ(GetDataTypeSize(DT_UInt16), 2u);
  for (int unknown : {8, 255, -1})
    EXPECT_EQ(GetDataTypeSize(static_cast<E_DataType>(unknown)), 0u) << unknown;
}

TEST(DataType, IsOfTypeComparesThePlaneTypeAndRefusesTypesWithoutPlanes)
{
  std::unique_ptr<I_PlaneBase> doubles(CreatePlane(DT_Double, 2, 2));
  std::unique_ptr<I_PlaneBase> rgb(CreatePlane(DT_RGB, 2, 2));
  std::unique_ptr<I_PlaneBase> words(CreatePlane(DT_UInt16, 2, 2));
  std::unique_ptr<I_PlaneBase> ints(CreatePlane(DT_Int32, 2, 2));
  ASSERT_TRUE(doubles && rgb && words && ints);
  EXPECT_TRUE(IsOfType<double>(*doubles));
  EXPECT_FALSE(IsOfType<float>(*doubles));
  EXPECT_TRUE(IsOfType<tagRGBQUAD>(*rgb));
  EXPECT_FALSE(IsOfType<unsigned int>(*rgb));
  EXPECT_TRUE(IsOfType<unsigned short>(*words));
  EXPECT_FALSE(IsOfType<short>(*words));
  EXPECT_TRUE(IsOfType<int>(*ints));
  EXPECT_FALSE(IsOfType<signed char>(*ints));
  EXPECT_FALSE(IsOfType<long long>(*ints));
  EXPECT_FALSE(IsOfType<unsigned long long>(*ints));
}

TEST(BufferLibMemory, AllocatesZeroedBlocksAndZeroBytesGivesABlock)
{
  auto* block = static_cast<unsigned char*>(C_BufferLibMemory::AllocateZeroed(4096));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 4096; ++i)
    ASSERT_EQ(block[i], 0) << i;
  C_BufferLibMemory::FreeMemory(block);

  void* empty = C_BufferLibMemory::AllocateZeroed(0);
  EXPECT_NE(empty, nullptr);
  C_BufferLibMemory::FreeMemory(empty);
  C_BufferLibMemory::FreeMemory(nullptr);
}

TEST(BufferLibMemory, ImpossibleSizesRaiseWithoutReachingTheAllocator)
{
  const auto raised = Raised([] { C_BufferLibMemory::AllocateZeroed(std::numeric_limits<std::size_t>::max()); });
  EXPECT_EQ(raised.message, "Not enough free memory available.");
  EXPECT_EQ(raised.unit, "Sources\\C_BufferLibMemory");
}

TEST(ConsecutivePlaneMemory, HoldsOneZeroedBlockAndRefusesImpossibleSizes)
{
  C_ConsecutivePlaneMemory memory(1000);
  EXPECT_EQ(memory.GetSize(), 1000u);
  const auto* bytes = static_cast<const unsigned char*>(memory.GetMemory());
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 1000; ++i)
    ASSERT_EQ(bytes[i], 0) << i;

  const auto raised = Raised([] { C_ConsecutivePlaneMemory huge(std::uint64_t(1) << 62); });
  EXPECT_EQ(raised.message, "Not enough free memory available.");
}
