#pragma once

#include <BufferApi/BufferApiExport.h>

#include <list>
#include <string>

namespace BufferApi
{
class I_AttributeBase;
class I_Buffer;
class I_PlaneBase;
class I_Scale;

//! Handle of a global typed scalar "<name>": the plane attribute "TS:<name>"
//! among the top-level global attributes of a buffer, holding a volume of
//! X x Y x Z x F elements. Element (x, y, z, f) is at column x, row
//! (f * Z + z) * Y + y of the plane. Children "SizeZ" and "SizeF" hold Z and
//! F; optional scale children "ScaleX", "ScaleY", "ScaleZ", "ScaleF" and
//! "ScaleI" the axis and value scales. The handle owns nothing.
class BUFFER_API C_TypedScalarGlobal
{
public:
  enum ScaleAxis_t
  {
    Axis_X = 0,
    Axis_Y = 1,
    Axis_Z = 2,
    Axis_F = 3,
    Axis_I = 4
  };

  C_TypedScalarGlobal(I_Buffer* buffer, const std::string& name);
  C_TypedScalarGlobal(const C_TypedScalarGlobal& other) = default;
  C_TypedScalarGlobal(C_TypedScalarGlobal&& other) = default;
  C_TypedScalarGlobal& operator=(const C_TypedScalarGlobal& other) = default;
  C_TypedScalarGlobal& operator=(C_TypedScalarGlobal&& other) = default;

  //! Whether the attribute the handle found (or made) is still in the buffer.
  bool IsExisting() const;
  //! False (outputs untouched) without attribute or plane, and when "SizeZ"
  //! or "SizeF" holds a value below 1. A missing size child counts as 1.
  bool GetSize(unsigned& sizeX, unsigned& sizeY, unsigned& sizeZ, unsigned& sizeF) const;
  //! The plane holding the volume (owned by the attribute), or null.
  I_PlaneBase* GetPlaneWithVolumeData() const;
  //! The scale of child "Scale<axis letter>" (owned by the tree), or null.
  I_Scale* GetScale(ScaleAxis_t axis) const;
  //! Replaces the scale of the axis; null removes it. Takes ownership of
  //! scale (deleted when the typed scalar does not exist).
  void SetScale(ScaleAxis_t axis, I_Scale* scale);
  void SetLinearScale(double factor, double offset, const std::string& unit, const std::string& description,
                      ScaleAxis_t axis);
  //! 1.0, 0.0, "" and "" when the axis has no scale.
  void GetLinearScale(double& factor, double& offset, std::string& unit, std::string& description,
                      ScaleAxis_t axis) const;
  //! Deletes the attribute from the buffer.
  void Remove();
  //! Makes this typed scalar a copy of source: volume, element type and the
  //! X, Y, Z and value scales. Nothing when source does not exist or is this
  //! very typed scalar.
  void CopyFrom(const C_TypedScalarGlobal& source);
  //! Copies the named global typed scalars (all of source for an empty list).
  static void Copy(I_Buffer* source, const std::list<std::string>& names, I_Buffer* destination);
  //! Makes the volume from the "PIXEL" planes of source's image frames (one
  //! F block per frame, one Z slice per plane). Raises RTE::Exception "Source
  //! is empty!" and "Source is no image!". Source planes of another size or
  //! element type than those of source frame 0 are skipped.
  void ImportFromBuffer(I_Buffer* source);
  //! A new buffer (owned by the caller) with one image frame of X x Y x Z per
  //! F block (frameIndex -1) or for block frameIndex only; null when the
  //! typed scalar does not exist.
  I_Buffer* ExportToBuffer(int frameIndex) const;

private:
  //! The first top-level global attribute "TS:<name>", or null.
  I_AttributeBase* Find() const;
  //! The cached attribute while it is still a child of the buffer's root.
  I_AttributeBase* Attribute() const;

  I_Buffer* m_buffer = nullptr;
  std::string m_name;
  I_AttributeBase* m_attribute = nullptr;
};
} // namespace BufferApi
