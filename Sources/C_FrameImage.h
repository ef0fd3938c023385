#pragma once

#include <BufferApi/C_FrameImageParam.h>
#include <BufferApi/I_FrameImage.h>

#include "C_Frame.h"

#include <memory>
#include <vector>

namespace BufferApi
{
//! The image frame: C_Frame with the protected component "PIXEL" (index 0)
//! holding the image data. Base of the RGB frame.
class C_FrameImage : public C_Frame, public virtual I_FrameImage
{
public:
  //! Depth own, zeroed pixel planes of width x height elements of `type`.
  //! Raises "The pixel component could not be created." when they cannot be made.
  C_FrameImage(unsigned width, unsigned height, unsigned depth, E_DataType type);
  //! Pixel plane i adopts the C heap block planeMemory[i]; depth = number of
  //! blocks. Raises RTE::VerificationFailed "Number of planes must not be zero"
  //! for an empty list. On failure no block has been adopted.
  C_FrameImage(unsigned width, unsigned height, E_DataType type, const std::vector<void*>& planeMemory);
  //! Depth 1 with the pixel plane on the parameter's slice of shared plane
  //! memory (which must be set).
  explicit C_FrameImage(const C_FrameImageParam& param);
  C_FrameImage(const C_FrameImage& other);
  ~C_FrameImage() override;

  using C_Frame::GetPlane;

  // I_BufferLibObject
  //! Other is an image frame (or derived from one).
  bool IsSameType(const I_BufferLibObject* other) const override;

  // I_Frame operations left to frame types
  //! copyData: full copy. Otherwise an image frame of this size and type with
  //! zeroed pixels, this name and axis scales, and data-less copies of the
  //! other components; the attribute tree is not copied.
  I_Frame* Clone(bool copyData) const override;
  E_DataType GetDataType() const override;
  I_Scale* GetScaleI() const override;
  void SetScaleI(I_Scale* scale) override;
  void Clear() override;
  void Fill(double value) override;
  //! Allowed for "PIXEL" and deletable components; raises "Changing of data
  //! type of this component now allowed." for the mask and unknown names.
  void ChangeComponentDataType(const std::string& name, E_DataType type, bool convertValues) override;

  // I_FrameImage
  I_FrameImage* ConvertTo(E_DataType type) const override;
  double GetPixel(unsigned x, unsigned y, unsigned plane) const override;
  unsigned GetIntPixel(unsigned x, unsigned y, unsigned plane) const override;
  I_PlaneBase* GetPlane(unsigned plane) const override
  {
    return m_pixel != nullptr ? m_pixel->GetPlane(plane) : nullptr;
  }
  //! Pixel plane 0 as the library's plane class; null when there is none or
  //! it is of a foreign class.
  const C_PlaneBase* GetFirstPixelPlane() const { return m_firstPixelPlane.plane; }
  void* GetPlaneData(unsigned plane) const override;
  void SetPixel(unsigned x, unsigned y, unsigned plane, double value) override;
  void SetIntPixel(unsigned x, unsigned y, unsigned plane, unsigned value) override;

  // C_Frame hooks
  //! A C_FrameImageParam with this size and data type.
  C_FrameBaseParam* CreateFrameParam() const override;
  void UpdateComponentPointers() override;
  std::string GetFrameType() const override;
  //! The mask and the pixel component.
  bool IsProtectedComponent(const I_Component* component) const override;
  bool IsProtectedComponentIndex(unsigned index) const override;

protected:
  //! Clone(false)'s common part: `frame`, a fresh frame of this frame's class
  //! and size, gets this frame's properties and data-less copies of all
  //! components but the pixels.
  I_Frame* CompleteDataLessClone(std::unique_ptr<C_FrameImage> frame) const;

  //! Not owning: the component "PIXEL" in the component list.
  C_Component* m_pixel = nullptr;

private:
  //! Plane 0 of m_pixel, kept by it.
  S_FirstPlane m_firstPixelPlane;

  //! Builds the pixel component and makes it index 0; raises "The pixel
  //! component could not be created." on any failure.
  void CreatePixelComponent(E_DataType type, const std::vector<void*>* planeMemory);
};

//! Registers the "FT_IMAGE" creator with the frame factory (library start-up).
void RegisterImageFrameType();
} // namespace BufferApi
