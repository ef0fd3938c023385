#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/tagRGBQUAD.h>

#include <cstdint>

namespace BufferApi
{
//! Element type of a plane. The numbers are stored in files and passed
//! between modules, so they never change.
enum E_DataType : std::int32_t
{
  DT_Bool = 0,
  DT_UInt8 = 1,
  DT_RGB = 2,
  DT_Double = 3,
  DT_Float = 4,
  DT_Int32 = 5,
  DT_UInt32 = 6,
  DT_UInt16 = 7
};

//! The E_DataType of the element type T; defined for the eight element types only.
template <typename T>
constexpr E_DataType GetDataType()
{
  static_assert(sizeof(T) == 0, "GetDataType: T is not an element type of the library");
  return DT_Bool;
}

template <>
constexpr E_DataType GetDataType<unsigned char>()
{
  return DT_UInt8;
}

template <>
constexpr E_DataType GetDataType<unsigned short>()
{
  return DT_UInt16;
}

template <>
constexpr E_DataType GetDataType<int>()
{
  return DT_Int32;
}

template <>
constexpr E_DataType GetDataType<unsigned int>()
{
  return DT_UInt32;
}

template <>
constexpr E_DataType GetDataType<float>()
{
  return DT_Float;
}

template <>
constexpr E_DataType GetDataType<double>()
{
  return DT_Double;
}

template <>
constexpr E_DataType GetDataType<tagRGBQUAD>()
{
  return DT_RGB;
}

template <>
constexpr E_DataType GetDataType<bool>()
{
  return DT_Bool;
}

//! Element size in bytes; 0 for DT_Bool and for every unknown value.
BUFFER_API std::uint64_t GetDataTypeSize(E_DataType type);

} // namespace BufferApi
