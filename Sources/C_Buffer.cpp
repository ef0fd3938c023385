#include "C_Buffer.h"

#include <BufferApi/C_AttributeFactory.h>
#include <BufferApi/C_AttributePlaneParam.h>
#include <BufferApi/C_ConsecutivePlaneMemory.h>
#include <BufferApi/C_FrameFactory.h>
#include <BufferApi/C_FrameImageParam.h>
#include <BufferApi/C_FrameProfileParam.h>
#include <BufferApi/C_FrameVectorParam.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_FrameProfile.h>
#include <BufferApi/I_FrameRGB.h>
#include <BufferApi/I_FrameVector2C.h>
#include <BufferApi/I_FrameVector3C.h>

#include "C_Frame.h"

#include <RTE/Exception.h>

#include <utility>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

//! Index messages print their bounds as unsigned 32-bit numbers, so the upper
//! bound of an empty list reads 4294967295.
long long UpperBound(std::size_t count)
{
  return static_cast<unsigned>(count - 1);
}

std::unique_ptr<I_AttributeBase> CreateRoot()
{
  return std::unique_ptr<I_AttributeBase>(
      C_AttributeFactory::GetInstance().CreateAttribute(AttrNode, C_AttributeBaseParam("root")));
}

const std::string& ImageFrameType(E_DataType type)
{
  return type == DT_RGB ? I_FrameRGB::FT_RGB : I_FrameImage::FT_IMAGE;
}
} // namespace

C_Buffer::C_Buffer()
    : m_root(CreateRoot())
{
}

C_Buffer::~C_Buffer() = default;

bool C_Buffer::IsSameType(const I_BufferLibObject* other) const
{
  return dynamic_cast<const C_Buffer*>(other) != nullptr;
}

bool C_Buffer::IsEqual(const I_BufferLibObject* other) const
{
  const auto* buffer = dynamic_cast<const C_Buffer*>(other);
  if (!buffer)
    return false;
  if (!m_root != !buffer->m_root)
    return false;
  if (m_root && !m_root->IsEqual(buffer->m_root.get()))
    return false;
  if (m_frames.size() != buffer->m_frames.size())
    return false;
  for (std::size_t i = 0; i < m_frames.size(); ++i)
    if (!m_frames[i]->IsEqual(buffer->m_frames[i].get()))
      return false;
  return true;
}

std::size_t C_Buffer::FindFrame(const I_Frame* frame) const
{
  if (!frame)
    return kNotFound;
  for (std::size_t i = 0; i < m_frames.size(); ++i)
    if (static_cast<const I_Frame*>(m_frames[i].get()) == frame)
      return i;
  return kNotFound;
}

void C_Buffer::AddFrame(I_Frame* frame)
{
  // Only library frames are taken. Anything else, and a frame this buffer
  // already holds, stays with the caller: deleting an object of unknown
  // origin could free what is not ours to free.
  auto* libraryFrame = dynamic_cast<C_Frame*>(frame);
  if (!libraryFrame || FindFrame(frame) != kNotFound)
    return;
  m_frames.emplace_back(libraryFrame);
}

void C_Buffer::Clear()
{
  m_root.reset();
  m_frames.clear();
  m_root = CreateRoot();
}

I_AttributeBase* C_Buffer::InsertAttribute(const std::string& path, std::unique_ptr<I_AttributeBase> attribute)
{
  if (!m_root || !attribute)
    return nullptr;
  // CreatePath takes the attribute over in every case: it inserts it, or
  // deletes it when a second node of that name survives the replacement.
  return I_AttributeBase::CreatePath(m_root.get(), path, attribute.release());
}

void C_Buffer::CopyAttributes(const I_AttributeBase* node)
{
  if (!node)
    return;
  std::vector<I_AttributeBase*> children;
  node->GetChildren(children);
  for (const I_AttributeBase* child : children)
    InsertAttribute(child->GetName(), std::unique_ptr<I_AttributeBase>(child->Clone()));
}

void C_Buffer::Copy(const I_Buffer* src)
{
  if (!src)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Source buffer must not be NULL.");
  if (src == this)
    return;
  Clear();
  CopyAttributes(src->GetAttributeRoot());
  const std::size_t count = src->GetNumberOfFrames();
  for (std::size_t i = 0; i < count; ++i)
  {
    const I_Frame* frame = src->GetFrame(static_cast<unsigned>(i));
    if (!frame)
      continue;
    std::unique_ptr<I_Frame> copy(frame->Clone(true));
    if (auto* libraryCopy = dynamic_cast<C_Frame*>(copy.get()))
    {
      copy.release();
      m_frames.emplace_back(libraryCopy);
    }
  }
}

I_AttributeBase* C_Buffer::CreateAttributeNode(const std::string& path)
{
  return CreateAttribute(path, AttrNode);
}

I_AttributePlane* C_Buffer::CreateAttributePlane(const std::string& path, unsigned width, unsigned height,
                                                 E_DataType type)
{
  std::unique_ptr<I_AttributeBase> attribute(
      C_AttributeFactory::GetInstance().CreateAttribute(AttrPlane, C_AttributePlaneParam(path, type, width, height)));
  return dynamic_cast<I_AttributePlane*>(InsertAttribute(path, std::move(attribute)));
}

I_AttributeBase* C_Buffer::CreateAttribute(const std::string& path, E_AttributeType type)
{
  std::unique_ptr<I_AttributeBase> attribute(
      C_AttributeFactory::GetInstance().CreateAttribute(type, C_AttributeBaseParam(path)));
  return InsertAttribute(path, std::move(attribute));
}

void C_Buffer::DeleteAttribute(const std::string& path)
{
  if (m_root)
    I_AttributeBase::DeletePath(m_root.get(), path);
}

I_AttributeBase* C_Buffer::FindAttribute(const std::string& path) const
{
  return m_root ? I_AttributeBase::FindPath(m_root.get(), path) : nullptr;
}

I_Frame* C_Buffer::AddCopyOfFrame(const I_Frame* src, bool copyData)
{
  if (!src)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Source frame must not be NULL.");
  std::unique_ptr<I_Frame> copy(src->Clone(copyData));
  auto* libraryCopy = dynamic_cast<C_Frame*>(copy.get());
  if (!libraryCopy)
    return nullptr;
  copy.release();
  m_frames.emplace_back(libraryCopy);
  return libraryCopy;
}

std::unique_ptr<C_Frame> C_Buffer::MakeFrame(const std::string& type, const C_FrameBaseParam& param)
{
  std::unique_ptr<I_Frame> frame(C_FrameFactory::GetInstance().Create(type, &param));
  auto* libraryFrame = dynamic_cast<C_Frame*>(frame.get());
  if (!libraryFrame)
    return nullptr;
  frame.release();
  return std::unique_ptr<C_Frame>(libraryFrame);
}

template <typename I>
I* C_Buffer::AppendAs(std::unique_ptr<C_Frame> frame)
{
  auto* typed = dynamic_cast<I*>(frame.get());
  if (!typed)
    return nullptr;
  m_frames.push_back(std::move(frame));
  return typed;
}

I_FrameImage* C_Buffer::AddImageFrame(unsigned width, unsigned height, unsigned depth, E_DataType type)
{
  const C_FrameImageParam param(width, height, depth, type);
  return AppendAs<I_FrameImage>(MakeFrame(ImageFrameType(type), param));
}

I_FrameImage* C_Buffer::AddImageFrameLikePlane(const I_PlaneBase* plane)
{
  if (!plane)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Source plane must not be NULL.");
  const C_FrameImageParam param(plane->GetWidth(), plane->GetHeight(), 1, plane->GetDataType());
  return AppendAs<I_FrameImage>(MakeFrame(I_FrameImage::FT_IMAGE, param));
}

bool C_Buffer::AddImageFrames(unsigned width, unsigned height, E_DataType type, unsigned count)
{
  // Every frame's plane keeps the block alive through its shared reference,
  // so removing or replacing a sibling never frees memory still in use.
  auto memory = std::make_shared<C_ConsecutivePlaneMemory>(width, height, type, count);
  const std::string& frameType = ImageFrameType(type);
  for (unsigned i = 0; i < count; ++i)
  {
    const C_FrameImageParam param(width, height, type, memory, memory->GetPlaneMemory(i));
    if (!AppendAs<I_FrameImage>(MakeFrame(frameType, param)))
      return false;
  }
  return true;
}

I_FrameProfile* C_Buffer::AddProfileFrame(unsigned width, unsigned height, unsigned n)
{
  // The third argument is the element type of the profile frame.
  const C_FrameProfileParam param(width, height, static_cast<E_DataType>(n));
  return AppendAs<I_FrameProfile>(MakeFrame(I_FrameProfile::FT_PROFILE, param));
}

I_FrameRGB* C_Buffer::AddRGBFrame(unsigned width, unsigned height, unsigned depth)
{
  C_FrameBaseParam param(width, height, depth);
  return AppendAs<I_FrameRGB>(MakeFrame(I_FrameRGB::FT_RGB, param));
}

namespace
{
template <typename I>
I* WithGrid(I* frame, unsigned grid)
{
  if (frame)
  {
    frame->SetGridX(grid);
    frame->SetGridY(grid);
    frame->SetGridZ(grid);
  }
  return frame;
}
} // namespace

I_FrameVector2C* C_Buffer::AddVectorFrame2C(unsigned width, unsigned height, unsigned depth, unsigned numberOfChoices,
                                            E_DataType type, unsigned grid)
{
  const C_FrameVectorParam param(width, height, depth, type, numberOfChoices);
  return WithGrid(AppendAs<I_FrameVector2C>(MakeFrame(I_FrameVector2C::FT_VECTOR_2C, param)), grid);
}

I_FrameVector3C* C_Buffer::AddVectorFrame3C(unsigned width, unsigned height, unsigned depth, unsigned numberOfChoices,
                                            E_DataType type, unsigned grid)
{
  const C_FrameVectorParam param(width, height, depth, type, numberOfChoices);
  return WithGrid(AppendAs<I_FrameVector3C>(MakeFrame(I_FrameVector3C::FT_VECTOR_3C, param)), grid);
}

void C_Buffer::RemoveFrame(unsigned index)
{
  if (index < m_frames.size())
    m_frames.erase(m_frames.begin() + index);
}

void C_Buffer::RemoveAllFrames()
{
  m_frames.clear();
}

unsigned C_Buffer::GetFrameIndex(const I_Frame* frame) const
{
  const std::size_t index = FindFrame(frame);
  return index == kNotFound ? 4294967295u : static_cast<unsigned>(index);
}

I_Frame* C_Buffer::GetFrame(unsigned index) const
{
  return index < m_frames.size() ? m_frames[index].get() : nullptr;
}

void C_Buffer::MoveContentFrom(I_Buffer* src)
{
  if (!src)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Source buffer must not be NULL.");
  if (src == this)
    return;
  auto& source = dynamic_cast<C_Buffer&>(*src);
  RemoveAllFrames();
  m_root = std::move(source.m_root);
  m_frames = std::move(source.m_frames);
  source.m_frames.clear();
}

void C_Buffer::MoveFrame(unsigned src, unsigned dst, bool overwrite)
{
  const std::size_t count = m_frames.size();
  if (src >= count)
    RTE_RAISE_INDEX(RTE::Exception, kSourceUnit, "The source index is out of bounds.", src, 0, UpperBound(count));
  if (dst >= count)
    RTE_RAISE_INDEX(RTE::Exception, kSourceUnit, "The destination index is out of bounds.", dst, 0, UpperBound(count));
  if (src == dst)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Frames must be different");
  if (overwrite)
  {
    m_frames[dst] = std::move(m_frames[src]);
    m_frames.erase(m_frames.begin() + src);
  }
  else
  {
    std::swap(m_frames[src], m_frames[dst]);
  }
}

void C_Buffer::MoveFrameFrom(I_Buffer* from, unsigned src, unsigned dst)
{
  if (!from)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Source buffer must not be NULL.");
  auto& source = dynamic_cast<C_Buffer&>(*from);
  if (!source.GetFrame(src))
    RTE_RAISE_INDEX(RTE::Exception, kSourceUnit, "The source index is out of bounds.", src, 0,
                    UpperBound(source.m_frames.size()));
  if (dst > m_frames.size())
    RTE_RAISE_INDEX(RTE::Exception, kSourceUnit, "The destination index is out of bounds.", dst, 0,
                    static_cast<unsigned>(m_frames.size()));
  std::unique_ptr<C_Frame> frame = std::move(source.m_frames[src]);
  source.m_frames.erase(source.m_frames.begin() + src);
  // Within one buffer the list is one shorter now, so a destination that was
  // the old end must append rather than address a frame that is not there.
  if (dst >= m_frames.size())
    m_frames.push_back(std::move(frame));
  else
    m_frames[dst] = std::move(frame);
}

void C_Buffer::ReplaceFrame(unsigned index, I_Frame* frame)
{
  if (!frame)
    RTE_RAISE(RTE::Exception, kSourceUnit, "The new frame must not be NULL.");
  if (index >= m_frames.size())
    RTE_RAISE_INDEX(RTE::Exception, kSourceUnit, "The index is out of bounds.", index, 0, UpperBound(m_frames.size()));
  // As with AddFrame, a foreign object or a frame this buffer already holds
  // is not taken; replacing a frame by itself would delete it.
  auto* libraryFrame = dynamic_cast<C_Frame*>(frame);
  if (!libraryFrame || FindFrame(frame) != kNotFound)
    return;
  m_frames[index].reset(libraryFrame);
}

bool C_Buffer::IsVectorFrame(unsigned index) const
{
  return dynamic_cast<const I_FrameVector*>(GetFrame(index)) != nullptr;
}

I_Buffer* CreateBuffer()
{
  return new C_Buffer();
}

} // namespace BufferApi
