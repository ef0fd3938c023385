#include "C_PlaneRGB.h"

#include "PlaneConversion.h"

#include <RTE/Exception.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <utility>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
}

C_PlaneRGB::C_PlaneRGB(unsigned width, unsigned height)
    : C_PlaneBase(width, height, DT_RGB, AllocateOwnMemory(width, height, sizeof(tagRGBQUAD), kSourceUnit))
{
}

C_PlaneRGB::C_PlaneRGB(unsigned width, unsigned height, std::shared_ptr<C_ConsecutivePlaneMemory> planeMemory,
                       tagRGBQUAD* slice)
    : C_PlaneBase(width, height, DT_RGB, std::move(planeMemory), slice)
{
  CheckSlice(m_memoryOwner, slice, width, height, sizeof(tagRGBQUAD), kSourceUnit);
}

C_PlaneRGB::~C_PlaneRGB()
{
  ReleaseData(m_data);
}

bool C_PlaneRGB::IsSameType(const I_BufferLibObject* other) const
{
  return dynamic_cast<const C_PlaneRGB*>(other) != nullptr;
}

bool C_PlaneRGB::IsEqual(const I_BufferLibObject* other) const
{
  const auto* plane = dynamic_cast<const C_PlaneRGB*>(other);
  return plane && HasSameSize(plane) &&
         HasEqualData(m_data, plane->m_data, std::size_t(ElementCount()) * sizeof(tagRGBQUAD));
}

I_PlaneRGB* C_PlaneRGB::Clone(bool copyData) const
{
  if (!copyData)
    return CloneEmpty();
  auto clone = std::make_unique<C_PlaneRGB>(m_width, m_height);
  clone->m_defaultValue = m_defaultValue;
  if (m_data)
    std::memcpy(clone->m_data, m_data, std::size_t(ElementCount()) * sizeof(tagRGBQUAD));
  return clone.release();
}

I_PlaneRGB* C_PlaneRGB::CloneEmpty() const
{
  // All 0 with default 0, whatever this plane's default value is.
  return new C_PlaneRGB(m_width, m_height);
}

void* C_PlaneRGB::DetachData()
{
  void* data = DetachFrom(m_data, sizeof(tagRGBQUAD), kSourceUnit);
  m_data = nullptr;
  return data;
}

double C_PlaneRGB::GetValue(unsigned x, unsigned y) const
{
  return IsInside(x, y) ? Detail::RGBToInt(Data()[Index(x, y)]) : 0.0;
}

double C_PlaneRGB::GetValueUnsafe(unsigned x, unsigned y) const
{
  return Detail::RGBToInt(Data()[Index(x, y)]);
}

int C_PlaneRGB::GetIntValue(unsigned x, unsigned y) const
{
  return IsInside(x, y) ? Detail::RGBToInt(Data()[Index(x, y)]) : 0;
}

void C_PlaneRGB::SetValue(unsigned x, unsigned y, double value)
{
  SetElement(x, y, Detail::ToRGBQuad(value));
}

void C_PlaneRGB::SetValueUnsafe(unsigned x, unsigned y, double value)
{
  // Stored through the guarded SetElement, like SetValue.
  SetElement(x, y, Detail::ToRGBQuad(value));
}

void C_PlaneRGB::SetIntValue(unsigned x, unsigned y, int value)
{
  SetElement(x, y, Detail::ToRGBQuad(static_cast<double>(value)));
}

void C_PlaneRGB::Resize(int xMin, int xMax, int yMin, int yMax)
{
  const S_ResizeGeometry geometry = GetResizeGeometry(xMin, xMax, yMin, yMax, kSourceUnit);
  if (KeepsOwnBlock(geometry, m_data))
    return;
  auto* newData =
      static_cast<tagRGBQUAD*>(AllocateOwnMemory(geometry.width, geometry.height, sizeof(tagRGBQUAD), kSourceUnit));
  CopyResized(Data(), newData, geometry, m_defaultValue);
  ReleaseData(m_data);
  m_data = newData;
  m_width = geometry.width;
  m_height = geometry.height;
}

void C_PlaneRGB::Clear()
{
  if (m_data)
    std::memset(m_data, 0, std::size_t(ElementCount()) * sizeof(tagRGBQUAD));
}

void C_PlaneRGB::Fill(double value)
{
  Fill(Detail::ToRGBColour(value));
}

void C_PlaneRGB::SetDefaultValue(double value)
{
  m_defaultValue = Detail::ToRGBColour(value);
}

void C_PlaneRGB::SetElement(unsigned x, unsigned y, tagRGBQUAD value)
{
  if (IsInside(x, y))
    Data()[Index(x, y)] = value;
}

int C_PlaneRGB::Fill(tagRGBQUAD value)
{
  if (!m_data)
    return 0;
  const std::uint64_t count = ElementCount();
  // Written as 32-bit words: a plain loop of struct copies does not vectorise.
  std::uint32_t word;
  std::memcpy(&word, &value, sizeof(word));
  auto* bytes = reinterpret_cast<unsigned char*>(m_data);
  for (std::uint64_t i = 0; i < count; ++i)
    std::memcpy(bytes + i * sizeof(word), &word, sizeof(word));
  // More than INT_MAX elements cannot be reported; saturate.
  return count > std::uint64_t(INT_MAX) ? INT_MAX : int(count);
}

void C_PlaneRGB::SetToDefault(unsigned x, unsigned y)
{
  if (IsInside(x, y))
    Data()[Index(x, y)] = m_defaultValue;
}

} // namespace BufferApi
