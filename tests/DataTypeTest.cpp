#include <BufferApi.h>

#include "PlaneTestHelpers.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

using namespace BufferApi;
using PlaneTestHelpers::Raised;

static_assert(GetDataType<bool>() == 0 && GetDataType<unsigned char>() == 1 && GetDataType<tagRGBQUAD>() == 2 &&
              GetDataType<double>() == 3 && GetDataType<float>() == 4 && GetDataType<int>() == 5 &&
              GetDataType<unsigned int>() == 6 && GetDataType<unsigned short>() == 7);
static_assert(sizeof(E_DataType) == 4);

namespace
{
std::vector<unsigned char> Bytes(const void* data, std::size_t size)
{
  const auto* bytes = static_cast<const unsigned char*>(data);
  return std::vector<unsigned char>(bytes, bytes + size);
}
} // namespace

TEST(DataType, RGBQuadLayoutIsBlueGreenRedReserved)
{
  const tagRGBQUAD quad{1, 2, 3, 4};
  EXPECT_EQ(Bytes(&quad, sizeof quad), (std::vector<unsigned char>{1, 2, 3, 4}));
  EXPECT_EQ(quad.rgbRed, 3);
}

TEST(DataType, SizesFollowTheNumberingNotTheOrderOfSize)
{
  const unsigned sizes[] = {0, 1, 4, 8, 4, 4, 4, 2};
  for (int type = 0; type < 8; ++type)
    EXPECT_EQ(GetDataTypeSize(static_cast<E_DataType>(type)), sizes[type]) << type;
  for (int unknown : {8, 255, -1})
    EXPECT_EQ(GetDataTypeSize(static_cast<E_DataType>(unknown)), 0u) << unknown;
}

TEST(DataType, IsOfTypeComparesThePlaneTypeExactly)
{
  std::unique_ptr<I_PlaneBase> doubles(CreatePlane(DT_Double, 2, 2));
  std::unique_ptr<I_PlaneBase> rgb(CreatePlane(DT_RGB, 2, 2));
  std::unique_ptr<I_PlaneBase> words(CreatePlane(DT_UInt16, 2, 2));
  std::unique_ptr<I_PlaneBase> ints(CreatePlane(DT_Int32, 2, 2));
  ASSERT_TRUE(doubles && rgb && words && ints);
  EXPECT_TRUE(IsOfType<double>(*doubles) && IsOfType<tagRGBQUAD>(*rgb) && IsOfType<unsigned short>(*words) &&
              IsOfType<int>(*ints));
  EXPECT_FALSE(IsOfType<float>(*doubles));
  EXPECT_FALSE(IsOfType<unsigned int>(*rgb));
  EXPECT_FALSE(IsOfType<short>(*words));
  // Types without planes are refused.
  EXPECT_FALSE(IsOfType<signed char>(*ints));
  EXPECT_FALSE(IsOfType<long long>(*ints));
  EXPECT_FALSE(IsOfType<unsigned long long>(*ints));
}

TEST(BlockMemory, ZeroedBlocksAndImpossibleSizesRaiseWithoutReachingTheAllocator)
{
  void* block = C_BufferLibMemory::AllocateZeroed(4096);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(Bytes(block, 4096), std::vector<unsigned char>(4096, 0));
  C_BufferLibMemory::FreeMemory(block);
  void* empty = C_BufferLibMemory::AllocateZeroed(0); // zero bytes still give a block
  EXPECT_NE(empty, nullptr);
  C_BufferLibMemory::FreeMemory(empty);
  C_BufferLibMemory::FreeMemory(nullptr);
  const auto raised = Raised([] { C_BufferLibMemory::AllocateZeroed(std::numeric_limits<std::size_t>::max()); });
  EXPECT_EQ(raised.message, "Not enough free memory available.");
  EXPECT_EQ(raised.unit, "Sources\\C_BufferLibMemory");

  C_ConsecutivePlaneMemory memory(1000);
  EXPECT_EQ(memory.GetSize(), 1000u);
  ASSERT_NE(memory.GetMemory(), nullptr);
  EXPECT_EQ(Bytes(memory.GetMemory(), 1000), std::vector<unsigned char>(1000, 0));
  EXPECT_EQ(Raised([] { C_ConsecutivePlaneMemory huge(std::uint64_t(1) << 62); }).message,
            "Not enough free memory available.");
}
