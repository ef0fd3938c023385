#pragma once

#include <BufferApi/C_ConsecutivePlaneMemory.h>
#include <BufferApi/E_DataType.h>
#include <BufferApi/I_PlaneBase.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace BufferApi
{
//! Common part of all planes: the size, and the memory handling shared by
//! the numeric and the RGB planes.
//!
//! A plane's data is in one of three states: own memory (allocated zeroed by
//! the plane), adopted memory (a caller's C heap block) - both released with
//! free() - or a slice of shared plane memory, kept alive by a shared
//! reference to its C_ConsecutivePlaneMemory and never freed by the plane.
class C_PlaneBase : public virtual I_PlaneBase
{
public:
  unsigned GetWidth() const override { return m_width; }
  unsigned GetHeight() const override { return m_height; }
  //! The element block (null after DetachData) and the type of its elements,
  //! for readers inside the library that skip the virtual accessors.
  const void* GetElements() const { return m_data; }
  E_DataType GetElementType() const { return m_elementType; }
  bool IsNotEqual(const I_BufferLibObject* other) const override { return !IsEqual(other); }

  virtual bool IsDifferentSize(const C_PlaneBase* other) const;
  //! False for null, else true when width and height are equal.
  virtual bool HasSameSize(const C_PlaneBase* other) const;
  //! Element (x, y) := the default value.
  virtual void SetToDefault(unsigned x, unsigned y) = 0;

  //! The shared plane memory the data lives in; empty for own or adopted memory.
  const std::shared_ptr<C_ConsecutivePlaneMemory>& GetMemoryOwner() const { return m_memoryOwner; }

protected:
  //! On own or adopted memory `data`.
  C_PlaneBase(unsigned width, unsigned height, E_DataType elementType, void* data);
  //! On `slice` of shared plane memory.
  C_PlaneBase(unsigned width, unsigned height, E_DataType elementType,
              std::shared_ptr<C_ConsecutivePlaneMemory> memoryOwner, void* slice);
  ~C_PlaneBase() override;

  //! Number of elements, in 64 bits.
  std::uint64_t ElementCount() const { return std::uint64_t(m_width) * m_height; }
  //! IsEqual's data part: equal when there are no bytes to compare or both
  //! share the data; a detached plane (null data) equals only another one.
  static bool HasEqualData(const void* mine, const void* theirs, std::size_t bytes);

  //! Own memory of width * height elements, zeroed. Raises "Not enough free
  //! memory available." from sourceUnit when the count overflows, exceeds the
  //! block limit or the heap refuses.
  static void* AllocateOwnMemory(unsigned width, unsigned height, std::uint64_t elementSize, const char* sourceUnit);
  //! Refuses a slice that has no owner or does not lie wholly in its block.
  static void CheckSlice(const std::shared_ptr<C_ConsecutivePlaneMemory>& owner, const void* slice, unsigned width,
                         unsigned height, std::uint64_t elementSize, const char* sourceUnit);

  //! Releases data per its state and forgets it.
  void ReleaseData(void* data);
  //! Hands data to the caller as a C heap block: own or adopted memory as is,
  //! shared plane memory as a fresh copy (the reference is dropped).
  void* DetachFrom(void* data, std::uint64_t elementSize, const char* sourceUnit);

  struct S_ResizeGeometry
  {
    unsigned width;
    unsigned height;
    std::int64_t xMin;
    std::int64_t yMin;
    bool outside; //!< wholly outside the old plane: the new block stays zero
  };
  //! Checks the bounds and computes the new size; raises the boundaries
  //! message on inverted bounds and the memory message when a side exceeds 32 bits.
  S_ResizeGeometry GetResizeGeometry(int xMin, int xMax, int yMin, int yMax, const char* sourceUnit) const;

  //! True when a resize to g would give every element its old value in a
  //! block of its own anyway: the same geometry on own or adopted memory. The
  //! plane then keeps its block instead of copying it into a new one.
  bool KeepsOwnBlock(const S_ResizeGeometry& g, const void* data) const
  {
    return data && !m_memoryOwner && g.xMin == 0 && g.yMin == 0 && g.width == m_width && g.height == m_height;
  }

  //! Fills the zeroed newData of the geometry: positions inside the old plane
  //! from oldData (kept zero when the old data was detached), the others with
  //! the default value.
  template <typename E>
  void CopyResized(const E* oldData, E* newData, const S_ResizeGeometry& g, const E& defaultValue) const
  {
    if (g.outside)
      return;
    // Columns [c0, c1) of the new plane map onto old columns.
    const std::int64_t c0 = std::clamp<std::int64_t>(-g.xMin, 0, g.width);
    const std::int64_t c1 = std::clamp<std::int64_t>(std::int64_t(m_width) - g.xMin, c0, g.width);
    for (std::uint64_t j = 0; j < g.height; ++j)
    {
      E* row = newData + j * g.width;
      const std::int64_t y = g.yMin + std::int64_t(j);
      if (y < 0 || y >= std::int64_t(m_height) || c0 == c1)
      {
        std::fill(row, row + g.width, defaultValue);
        continue;
      }
      std::fill(row, row + c0, defaultValue);
      if (oldData)
        std::memcpy(row + c0, oldData + std::uint64_t(y) * m_width + std::uint64_t(g.xMin + c0),
                    std::size_t(c1 - c0) * sizeof(E));
      std::fill(row + c1, row + g.width, defaultValue);
    }
  }

  //! The elements, which the derived plane reads as its own type; null
  //! after DetachData.
  void* m_data;
  unsigned m_width;
  unsigned m_height;
  const E_DataType m_elementType;
  //! Set only while the data is a slice of shared plane memory.
  std::shared_ptr<C_ConsecutivePlaneMemory> m_memoryOwner;
};

} // namespace BufferApi
