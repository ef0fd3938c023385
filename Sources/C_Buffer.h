#pragma once

#include <BufferApi/I_AttributeBase.h>
#include <BufferApi/I_Buffer.h>

#include <memory>
#include <string>
#include <vector>

namespace BufferApi
{
class C_Frame;
class C_FrameBaseParam;

//! The buffer: an ordered list of owned frames and an owned attribute root.
class C_Buffer : public virtual I_Buffer
{
public:
  C_Buffer();
  ~C_Buffer() override;

  C_Buffer(const C_Buffer&) = delete;
  C_Buffer& operator=(const C_Buffer&) = delete;

  bool IsSameType(const I_BufferLibObject* other) const override;
  bool IsNotEqual(const I_BufferLibObject* other) const override { return !IsEqual(other); }
  bool IsEqual(const I_BufferLibObject* other) const override;

  void AddFrame(I_Frame* frame) override;
  void Clear() override;
  void CopyAttributes(const I_AttributeBase* node) override;
  void Copy(const I_Buffer* src) override;
  I_AttributeBase* CreateAttributeNode(const std::string& path) override;
  I_AttributePlane* CreateAttributePlane(const std::string& path, unsigned width, unsigned height,
                                         E_DataType type) override;
  I_Frame* AddCopyOfFrame(const I_Frame* src, bool copyData) override;
  I_FrameImage* AddImageFrame(unsigned width, unsigned height, unsigned depth, E_DataType type) override;
  I_FrameImage* AddImageFrameLikePlane(const I_PlaneBase* plane) override;
  bool AddImageFrames(unsigned width, unsigned height, E_DataType type, unsigned count) override;
  I_FrameProfile* AddProfileFrame(unsigned width, unsigned height, unsigned n) override;
  I_FrameRGB* AddRGBFrame(unsigned width, unsigned height, unsigned depth) override;
  I_FrameVector2C* AddVectorFrame2C(unsigned width, unsigned height, unsigned depth, unsigned numberOfChoices,
                                    E_DataType type, unsigned grid) override;
  I_FrameVector3C* AddVectorFrame3C(unsigned width, unsigned height, unsigned depth, unsigned numberOfChoices,
                                    E_DataType type, unsigned grid) override;
  void DeleteAttribute(const std::string& path) override;
  void RemoveFrame(unsigned index) override;
  void RemoveAllFrames() override;
  unsigned GetFrameIndex(const I_Frame* frame) const override;
  I_AttributeBase* FindAttribute(const std::string& path) const override;
  I_AttributeBase* GetAttributeRoot() const override { return m_root.get(); }
  I_Frame* GetFrame(unsigned index) const override;
  std::size_t GetNumberOfFrames() const override { return m_frames.size(); }
  void MoveContentFrom(I_Buffer* src) override;
  void MoveFrame(unsigned src, unsigned dst, bool overwrite) override;
  void MoveFrameFrom(I_Buffer* from, unsigned src, unsigned dst) override;
  void ReplaceFrame(unsigned index, I_Frame* frame) override;
  I_AttributeBase* CreateAttribute(const std::string& path, E_AttributeType type) override;
  bool IsVectorFrame(unsigned index) const override;

private:
  //! A frame of `type` made by the frame factory; null when the factory gives
  //! nothing or something that is not a library frame.
  static std::unique_ptr<C_Frame> MakeFrame(const std::string& type, const C_FrameBaseParam& param);
  //! Appends frame when it implements I and returns it as I; otherwise the
  //! frame is released and null returned.
  template <typename I>
  I* AppendAs(std::unique_ptr<C_Frame> frame);
  //! Inserts attribute at path below the root; releases it when it could not
  //! be inserted. Null without root or attribute.
  I_AttributeBase* InsertAttribute(const std::string& path, std::unique_ptr<I_AttributeBase> attribute);
  //! Position of that very frame; npos when it is not in the list.
  std::size_t FindFrame(const I_Frame* frame) const;

  std::unique_ptr<I_AttributeBase> m_root;
  std::vector<std::unique_ptr<C_Frame>> m_frames;
};

} // namespace BufferApi
