#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/E_AttributeType.h>
#include <BufferApi/E_DataType.h>
#include <BufferApi/I_BufferLibObject.h>

#include <cstddef>
#include <string>

namespace BufferApi
{
class I_AttributeBase;
class I_AttributePlane;
class I_Frame;
class I_FrameImage;
class I_FrameProfile;
class I_FrameRGB;
class I_FrameVector2C;
class I_FrameVector3C;
class I_PlaneBase;

//! An ordered list of frames plus a tree of global attributes.
//!
//! The buffer owns its frames: it deletes a frame when the frame is removed
//! or replaced, when the buffer is cleared and when it is destroyed. Frames
//! handed out by GetFrame stay owned by the buffer. Frame indices are
//! unsigned 32-bit; a bad index gives null, false or nothing where the
//! operation allows it and raises an index message where it modifies.
class BUFFER_API I_Buffer : public I_BufferLibObject
{
public:
  //! Appends frame and takes ownership. A frame that is not a frame of this
  //! library is not taken: it stays with the caller.
  virtual void AddFrame(I_Frame* frame) = 0;
  //! Deletes the attribute tree and all frames; a new empty root "root" follows.
  virtual void Clear() = 0;
  //! Clones every child of node (with its subtree) into the attribute tree.
  virtual void CopyAttributes(const I_AttributeBase* node) = 0;
  //! Makes this buffer a deep copy of src; nothing when src is this buffer.
  virtual void Copy(const I_Buffer* src) = 0;
  virtual I_AttributeBase* CreateAttributeNode(const std::string& path) = 0;
  virtual I_AttributePlane* CreateAttributePlane(const std::string& path, unsigned width, unsigned height,
                                                 E_DataType type) = 0;
  //! Appends src->Clone(copyData) and returns it (null when no clone was made).
  virtual I_Frame* AddCopyOfFrame(const I_Frame* src, bool copyData) = 0;
  //! The frame-adding operations return the new frame, or null (and append
  //! nothing) when the frame could not be made.
  virtual I_FrameImage* AddImageFrame(unsigned width, unsigned height, unsigned depth, E_DataType type) = 0;
  //! A zeroed one-plane image frame of the plane's size and type.
  virtual I_FrameImage* AddImageFrameLikePlane(const I_PlaneBase* plane) = 0;
  //! `count` one-plane image frames whose planes lie back to back in one
  //! block; false when a frame could not be made (those made so far stay).
  virtual bool AddImageFrames(unsigned width, unsigned height, E_DataType type, unsigned count) = 0;
  virtual I_FrameProfile* AddProfileFrame(unsigned width, unsigned height, unsigned n) = 0;
  virtual I_FrameRGB* AddRGBFrame(unsigned width, unsigned height, unsigned depth) = 0;
  virtual I_FrameVector2C* AddVectorFrame2C(unsigned width, unsigned height, unsigned depth, unsigned numberOfChoices,
                                            E_DataType type, unsigned grid) = 0;
  virtual I_FrameVector3C* AddVectorFrame3C(unsigned width, unsigned height, unsigned depth, unsigned numberOfChoices,
                                            E_DataType type, unsigned grid) = 0;
  virtual void DeleteAttribute(const std::string& path) = 0;
  //! Deletes the frame at index; nothing for a bad index.
  virtual void RemoveFrame(unsigned index) = 0;
  //! Deletes every frame; the attributes stay.
  virtual void RemoveAllFrames() = 0;
  //! Position of that very frame object; 4294967295 when it is not in this buffer.
  virtual unsigned GetFrameIndex(const I_Frame* frame) const = 0;
  virtual I_AttributeBase* FindAttribute(const std::string& path) const = 0;
  //! The attribute root; null only after the buffer was emptied by MoveContentFrom.
  virtual I_AttributeBase* GetAttributeRoot() const = 0;
  virtual I_Frame* GetFrame(unsigned index) const = 0;
  virtual std::size_t GetNumberOfFrames() const = 0;
  //! Deletes this buffer's content and takes over src's frames and attribute
  //! root; src is left with neither (Clear() gives it a root again).
  virtual void MoveContentFrom(I_Buffer* src) = 0;
  //! overwrite: the frame at src replaces the one at dst (deleted) and the
  //! list closes the gap at src; otherwise the two frames change places.
  virtual void MoveFrame(unsigned src, unsigned dst, bool overwrite) = 0;
  //! Takes frame src out of `from` (which may be this buffer) and puts it at
  //! dst, replacing (and deleting) the frame there; dst == count appends.
  virtual void MoveFrameFrom(I_Buffer* from, unsigned src, unsigned dst) = 0;
  //! The frame at index is deleted and frame takes its place and ownership.
  virtual void ReplaceFrame(unsigned index, I_Frame* frame) = 0;
  virtual I_AttributeBase* CreateAttribute(const std::string& path, E_AttributeType type) = 0;
  //! True when there is a frame at index and it is a vector frame.
  virtual bool IsVectorFrame(unsigned index) const = 0;
};

//! A new empty buffer (no frames, attribute root "root"); the caller owns it.
BUFFER_API I_Buffer* CreateBuffer();

} // namespace BufferApi
