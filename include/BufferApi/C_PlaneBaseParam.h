#pragma once

#include <BufferApi/BufferApiExport.h>

#include <memory>

namespace BufferApi
{
class C_ConsecutivePlaneMemory;

//! Construction parameters of a plane: its size and where its data lives.
//!  - own memory: neither memory nor a plane memory slice given;
//!  - adopted memory: a caller block from the C heap of width * height
//!    elements, released by the plane with free();
//!  - shared plane memory: a slice of a C_ConsecutivePlaneMemory block, kept
//!    alive by the plane through the shared reference.
class BUFFER_API C_PlaneBaseParam
{
public:
  explicit C_PlaneBaseParam(unsigned width = 0, unsigned height = 0, void* memory = nullptr);
  C_PlaneBaseParam(unsigned width, unsigned height, std::shared_ptr<C_ConsecutivePlaneMemory> planeMemory,
                   void* sliceAddress);
  virtual ~C_PlaneBaseParam();

  C_PlaneBaseParam(const C_PlaneBaseParam&) = default;
  C_PlaneBaseParam& operator=(const C_PlaneBaseParam&) = default;

  unsigned GetWidth() const { return m_width; }
  unsigned GetHeight() const { return m_height; }
  void* GetMemory() const { return m_memory; }
  const std::shared_ptr<C_ConsecutivePlaneMemory>& GetPlaneMemory() const { return m_planeMemory; }
  void* GetSliceAddress() const { return m_sliceAddress; }

  void SetWidth(unsigned width) { m_width = width; }
  void SetHeight(unsigned height) { m_height = height; }
  void SetMemory(void* memory) { m_memory = memory; }
  void SetPlaneMemory(std::shared_ptr<C_ConsecutivePlaneMemory> planeMemory, void* sliceAddress);

private:
  unsigned m_width;
  unsigned m_height;
  void* m_memory;
  std::shared_ptr<C_ConsecutivePlaneMemory> m_planeMemory;
  void* m_sliceAddress = nullptr;
};

} // namespace BufferApi
