#include "TiffSamples.h"

#include "TiffError.h"

#include <tiff.h>

#include <cstring>

namespace BufferTiff
{
using BufferApi::E_DataType;

namespace
{
struct TypeEntry
{
  E_DataType type;
  const char* name;
};

constexpr TypeEntry kTypeNames[] = {
    {BufferApi::DT_Bool, "Bool"},     {BufferApi::DT_UInt8, "UInt8"},   {BufferApi::DT_RGB, "RGB"},
    {BufferApi::DT_Double, "Double"}, {BufferApi::DT_Float, "Float"},   {BufferApi::DT_Int32, "Int32"},
    {BufferApi::DT_UInt32, "UInt32"}, {BufferApi::DT_UInt16, "UInt16"},
};

template <typename Source, typename Target>
void CopyTyped(const unsigned char* source, std::size_t stride, std::size_t count, void* plane)
{
  auto* target = static_cast<Target*>(plane);
  const std::size_t step = stride * sizeof(Source);
  for (std::size_t i = 0; i < count; ++i)
  {
    Source value;
    std::memcpy(&value, source + i * step, sizeof value);
    target[i] = static_cast<Target>(value);
  }
}

template <typename Source>
void CopyTo(const unsigned char* source, std::size_t stride, std::size_t count, void* plane, E_DataType target)
{
  switch (target)
  {
  case BufferApi::DT_UInt8:
    return CopyTyped<Source, unsigned char>(source, stride, count, plane);
  case BufferApi::DT_UInt16:
    return CopyTyped<Source, unsigned short>(source, stride, count, plane);
  case BufferApi::DT_Int32:
    return CopyTyped<Source, int>(source, stride, count, plane);
  case BufferApi::DT_UInt32:
    return CopyTyped<Source, unsigned int>(source, stride, count, plane);
  case BufferApi::DT_Float:
    return CopyTyped<Source, float>(source, stride, count, plane);
  case BufferApi::DT_Double:
    return CopyTyped<Source, double>(source, stride, count, plane);
  default:
    return;
  }
}
} // namespace

SampleLayout SampleLayoutOf(E_DataType type)
{
  switch (type)
  {
  case BufferApi::DT_UInt8:
    return {8, SAMPLEFORMAT_UINT};
  case BufferApi::DT_UInt16:
    return {16, SAMPLEFORMAT_UINT};
  case BufferApi::DT_Int32:
    return {32, SAMPLEFORMAT_INT};
  case BufferApi::DT_UInt32:
    return {32, SAMPLEFORMAT_UINT};
  case BufferApi::DT_Float:
    return {32, SAMPLEFORMAT_IEEEFP};
  case BufferApi::DT_Double:
    return {64, SAMPLEFORMAT_IEEEFP};
  default:
    break;
  }
  const std::string name = DataTypeName(type);
  Fail("element type " + (name.empty() ? std::to_string(static_cast<int>(type)) : name) + " can't be stored");
}

bool ElementTypeOf(SampleLayout layout, E_DataType& type)
{
  const auto is = [&](std::uint16_t bits, std::uint16_t format)
  { return layout.bits == bits && layout.format == format; };
  if (is(8, SAMPLEFORMAT_UINT))
    type = BufferApi::DT_UInt8;
  else if (is(16, SAMPLEFORMAT_UINT))
    type = BufferApi::DT_UInt16;
  else if (is(32, SAMPLEFORMAT_UINT))
    type = BufferApi::DT_UInt32;
  else if (is(8, SAMPLEFORMAT_INT) || is(16, SAMPLEFORMAT_INT) || is(32, SAMPLEFORMAT_INT))
    type = BufferApi::DT_Int32;
  else if (is(32, SAMPLEFORMAT_IEEEFP))
    type = BufferApi::DT_Float;
  else if (is(64, SAMPLEFORMAT_IEEEFP))
    type = BufferApi::DT_Double;
  else
    return false;
  return true;
}

std::string DataTypeName(E_DataType type)
{
  for (const TypeEntry& entry : kTypeNames)
  {
    if (entry.type == type)
      return entry.name;
  }
  return "";
}

bool DataTypeFromName(const std::string& name, E_DataType& type)
{
  for (const TypeEntry& entry : kTypeNames)
  {
    if (name == entry.name)
    {
      type = entry.type;
      return true;
    }
  }
  return false;
}

void CopySamples(const unsigned char* source, std::size_t stride, std::size_t count, SampleLayout layout, void* plane,
                 E_DataType target)
{
  if (layout.format == SAMPLEFORMAT_IEEEFP)
  {
    if (layout.bits == 32)
      return CopyTo<float>(source, stride, count, plane, target);
    return CopyTo<double>(source, stride, count, plane, target);
  }
  const bool isSigned = layout.format == SAMPLEFORMAT_INT;
  switch (layout.bits)
  {
  case 8:
    return isSigned ? CopyTo<std::int8_t>(source, stride, count, plane, target)
                    : CopyTo<std::uint8_t>(source, stride, count, plane, target);
  case 16:
    return isSigned ? CopyTo<std::int16_t>(source, stride, count, plane, target)
                    : CopyTo<std::uint16_t>(source, stride, count, plane, target);
  default:
    return isSigned ? CopyTo<std::int32_t>(source, stride, count, plane, target)
                    : CopyTo<std::uint32_t>(source, stride, count, plane, target);
  }
}

} // namespace BufferTiff
