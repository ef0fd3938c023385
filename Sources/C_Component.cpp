#include "C_Component.h"

#include "C_PlaneBase.h"

#include <BufferApi/C_PlaneBaseParam.h>
#include <BufferApi/C_PlaneFactory.h>
#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/I_Frame.h>

#include <RTE/Exception.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

std::unique_ptr<I_Scale> CloneScale(const I_Scale* scale)
{
  return std::unique_ptr<I_Scale>(scale != nullptr ? scale->Clone() : nullptr);
}
} // namespace

C_Component::C_Component(const std::string& name, E_DataType type, const I_Frame* frame, bool createPlanes,
                         const std::vector<void*>* planeMemory)
    : m_dataType(type)
    , m_name(name)
{
  if (frame != nullptr && createPlanes)
  {
    unsigned width = 0;
    unsigned height = 0;
    unsigned depth = 0;
    frame->GetSize(width, height, depth);
    const bool adopt = planeMemory != nullptr && !planeMemory->empty();
    if (adopt && planeMemory->size() != depth)
    {
      RTE_RAISE(RTE::Exception, kSourceUnit, "Not enough plane data memory defined for required number of planes");
    }
    m_planes.reserve(depth);
    try
    {
      for (unsigned i = 0; i < depth; ++i)
      {
        C_PlaneBaseParam param(width, height, adopt ? (*planeMemory)[i] : nullptr);
        std::shared_ptr<I_PlaneBase> plane(C_PlaneFactory::GetInstance().Create(type, param));
        if (!plane)
        {
          RTE_RAISE(RTE::Exception, kSourceUnit, "Plane of of memory.");
        }
        m_planes.push_back(std::move(plane));
      }
    }
    catch (...)
    {
      // The caller's blocks must not be half adopted: hand back those that the
      // planes made so far took over, so that the caller keeps all of them.
      if (adopt)
      {
        for (const auto& plane : m_planes)
        {
          plane->DetachData();
        }
      }
      throw;
    }
    if (adopt)
    {
      // A plane class that does not adopt caller memory (RGB planes) got own
      // memory: it takes the block's content instead, and the block, whose
      // ownership the caller handed over, is released here.
      const std::uint64_t bytes = std::uint64_t(width) * height * GetDataTypeSize(type);
      for (unsigned i = 0; i < depth; ++i)
      {
        void* block = (*planeMemory)[i];
        void* data = m_planes[i]->GetData();
        if (block != nullptr && data != block)
        {
          if (data != nullptr)
          {
            std::memcpy(data, block, static_cast<std::size_t>(bytes));
          }
          std::free(block);
        }
      }
    }
  }
  m_scale.reset(C_ScaleFactory::GetInstance().CreateLinearScale(1.0, 0.0, std::string("counts"), std::string()));
}

C_Component::C_Component(const std::string& name, E_DataType type)
    : m_dataType(type)
    , m_name(name)
{
}

C_Component::C_Component(const C_Component& other)
    : I_BufferLibObject(other)
    , I_Component(other)
    , m_dataType(other.m_dataType)
    , m_scale(CloneScale(other.m_scale.get()))
    , m_name(other.m_name)
{
  m_planes.reserve(other.m_planes.size());
  for (const auto& plane : other.m_planes)
  {
    m_planes.emplace_back(plane->Clone(true));
  }
}

C_Component::~C_Component() = default;

bool C_Component::IsSameType(const I_BufferLibObject* other) const
{
  return dynamic_cast<const C_Component*>(other) != nullptr;
}

bool C_Component::IsNotEqual(const I_BufferLibObject* other) const
{
  return !IsEqual(other);
}

bool C_Component::IsEqual(const I_BufferLibObject* other) const
{
  const auto* component = dynamic_cast<const C_Component*>(other);
  if (component == nullptr || component->m_dataType != m_dataType || component->m_name != m_name ||
      component->m_planes.size() != m_planes.size())
  {
    return false;
  }
  for (std::size_t i = 0; i < m_planes.size(); ++i)
  {
    const I_PlaneBase& mine = *m_planes[i];
    const I_PlaneBase& theirs = *component->m_planes[i];
    if (mine.GetWidth() != theirs.GetWidth() || mine.GetHeight() != theirs.GetHeight())
    {
      return false;
    }
  }
  return true;
}

E_DataType C_Component::GetDataType() const
{
  return m_dataType;
}

std::string C_Component::GetName() const
{
  return m_name;
}

I_Scale* C_Component::GetScale() const
{
  return m_scale.get();
}

unsigned C_Component::GetNumberOfPlanes() const
{
  return static_cast<unsigned>(m_planes.size());
}

void C_Component::CheckPlaneIndex(unsigned index) const
{
  if (index >= m_planes.size())
  {
    // Bounds are printed as unsigned 32-bit numbers: an empty component
    // reports 0 - 4294967295.
    const unsigned upper = static_cast<unsigned>(m_planes.size()) - 1U;
    RTE_RAISE_INDEX(RTE::Exception, kSourceUnit, "Plane index was out of bounds.", index, 0, upper);
  }
}

void C_Component::SetPlane(unsigned index, std::shared_ptr<I_PlaneBase> plane)
{
  CheckPlaneIndex(index);
  if (!plane)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "New plane is invalid.");
  }
  const I_PlaneBase& old = *m_planes[index];
  if (plane->GetWidth() != old.GetWidth() || plane->GetHeight() != old.GetHeight())
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Plane size is different.");
  }
  if (plane->GetDataType() != old.GetDataType())
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Plane type is different.");
  }
  m_planes[index] = std::move(plane);
  UpdateFirstPlane();
}

void C_Component::SetScale(I_Scale* scale)
{
  m_scale.reset(scale);
}

void C_Component::SetName(const std::string& name)
{
  m_name = name;
}

void C_Component::AddPlane(I_PlaneBase* plane)
{
  std::shared_ptr<I_PlaneBase> owned(plane);
  m_planes.push_back(std::move(owned));
  UpdateFirstPlane();
}

C_Component* C_Component::Clone(bool copyData) const
{
  if (copyData)
  {
    return new C_Component(*this);
  }
  auto copy = std::make_unique<C_Component>(m_name, m_dataType);
  copy->m_scale = CloneScale(m_scale.get());
  copy->m_planes.reserve(m_planes.size());
  for (const auto& plane : m_planes)
  {
    copy->m_planes.emplace_back(plane->Clone(false));
  }
  return copy.release();
}

void C_Component::InsertPlanes(unsigned index, unsigned count, I_PlaneBase* plane)
{
  std::shared_ptr<I_PlaneBase> first(plane);
  CheckPlaneIndex(index);
  if (count == 0 || !first)
  {
    return;
  }
  std::vector<std::shared_ptr<I_PlaneBase>> inserted;
  inserted.reserve(count);
  inserted.push_back(first);
  for (unsigned i = 1; i < count; ++i)
  {
    inserted.emplace_back(first->CloneEmpty());
  }
  m_planes.insert(m_planes.begin() + index, inserted.begin(), inserted.end());
  UpdateFirstPlane();
}

void C_Component::RemovePlane(unsigned index)
{
  CheckPlaneIndex(index);
  m_planes.erase(m_planes.begin() + index);
  UpdateFirstPlane();
}

void C_Component::RemovePlanes(int first, int count)
{
  const long long start = std::max(first, 0);
  const long long size = static_cast<long long>(m_planes.size());
  if (count <= 0 || start >= size)
  {
    return;
  }
  const long long removed = std::min<long long>(count, size - start);
  m_planes.erase(m_planes.begin() + start, m_planes.begin() + start + removed);
  UpdateFirstPlane();
}

void C_Component::KeepPlanes(int count)
{
  if (count < 1)
  {
    m_planes.clear();
  }
  else if (static_cast<std::size_t>(count) < m_planes.size())
  {
    m_planes.resize(static_cast<std::size_t>(count));
  }
  UpdateFirstPlane();
}

void C_Component::RemoveAllPlanes()
{
  m_planes.clear();
  UpdateFirstPlane();
}

void C_Component::KeepFirstPlane(S_FirstPlane* slot)
{
  m_firstPlane = slot;
  UpdateFirstPlane();
}

void C_Component::UpdateFirstPlane() const
{
  if (m_firstPlane != nullptr && m_firstPlane->keeper == this)
  {
    m_firstPlane->plane = m_planes.empty() ? nullptr : dynamic_cast<const C_PlaneBase*>(m_planes.front().get());
  }
}
} // namespace BufferApi
