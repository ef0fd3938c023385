#pragma once

#include <BufferApi/BufferApiExport.h>

#include <list>
#include <string>

namespace BufferApi
{
class I_Buffer;
class I_Component;
class I_Frame;

//! Handle of a frame-bound typed scalar "<name>": the component "TS:<name>" of
//! every frame of a buffer, or of one frame. The handle owns nothing; its
//! existing flag is taken when it is made and changed only by its own
//! operations.
class BUFFER_API C_TypedScalarFrame
{
public:
  //! Existing when frame 0 of buffer has the component.
  C_TypedScalarFrame(I_Buffer* buffer, const std::string& name);
  //! Existing when frame has the component.
  C_TypedScalarFrame(I_Frame* frame, const std::string& name);
  C_TypedScalarFrame(const C_TypedScalarFrame& other) = default;
  C_TypedScalarFrame& operator=(const C_TypedScalarFrame& other) = default;

  bool IsExisting() const;
  //! The component of the handle's frame, or of buffer frame frameIndex; null
  //! when absent.
  I_Component* GetComponent(unsigned frameIndex) const;
  //! Buffer handle: deletes the component from every frame that has it. A
  //! single-frame handle changes nothing.
  void Remove();
  //! Gives the component (of every frame that has it) a linear value scale.
  void SetLinearScale(double factor, double offset, const std::string& unit, const std::string& description);
  //! The value scale of the component (frame 0 for a buffer handle); 1.0, 0.0,
  //! "" and "" when there is none.
  void GetLinearScale(double& factor, double& offset, std::string& unit, std::string& description) const;
  //! Makes this typed scalar a copy of source (element type, data, scale).
  //! Planes of another size are skipped.
  void CopyFrom(const C_TypedScalarFrame& source);
  //! Copies the named typed scalars (all of source frame 0 for an empty list).
  static void Copy(const I_Buffer* source, const std::list<std::string>& names, I_Buffer* destination);
  //! Copies the named typed scalars (all of source for an empty list).
  static void Copy(const I_Frame* source, const std::list<std::string>& names, I_Frame* destination);
  //! Makes the typed scalar from the "PIXEL" data of the image frames of
  //! source. Raises RTE::Exception "Source is empty!", "Source is no image!"
  //! and "Source image has other size than typed scalar in destination!".
  //! Source planes of another size or element type than those of source
  //! frame 0 are skipped. Nothing for a single-frame handle.
  void ImportFromBuffer(const I_Buffer* source);
  //! A new buffer (owned by the caller) with one image frame per frame
  //! (frameIndex < 0) or for frame frameIndex only, holding the component's
  //! data; null when the typed scalar does not exist.
  I_Buffer* ExportToBuffer(int frameIndex) const;

private:
  //! The component "TS:<name>" of frame, or null.
  static I_Component* FindComponent(const I_Frame* frame, const std::string& name);
  //! Copies component source into "TS:<name>" of destination (made or re-made
  //! with the source's element type), plane by plane where the sizes agree.
  static void Copy(const I_Component* source, const std::string& name, I_Frame* destination);
  //! The frame the handle's component lives in: the handle's frame or buffer
  //! frame `index`.
  I_Frame* FrameAt(unsigned index) const;

  I_Buffer* m_buffer = nullptr;
  I_Frame* m_frame = nullptr;
  std::string m_name;
  bool m_existing = false;
};
} // namespace BufferApi
