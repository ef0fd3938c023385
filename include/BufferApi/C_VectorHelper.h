#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/E_DataType.h>
#include <BufferApi/E_VectorActive.h>

namespace BufferApi
{
class C_FrameVector;
class C_FrameVector2C;
class C_FrameVector3C;
class I_Component;
class I_FrameVector;
class I_PlaneBase;

//! Checked per-vector access to every z plane of one vector frame in double
//! precision, with the E_VectorActive view of the active choice and the
//! enabled flag. Coordinates outside the frame read 0 / false and write
//! nothing.
//!
//! The helper does not own the frame. It caches the components ACTIVE_CHOICE,
//! "MASK" and "Peak ratio" when it is made: the frame must outlive it and keep
//! those components.
class BUFFER_API C_VectorHelper
{
public:
  //! Raises "The vector frame must not be NULL." for a null frame and an
  //! RTE::Exception for a frame that is not a vector frame of this library.
  explicit C_VectorHelper(I_FrameVector* frame);
  C_VectorHelper(const C_VectorHelper& other) = default;
  C_VectorHelper& operator=(const C_VectorHelper& other) = default;
  virtual ~C_VectorHelper();

  //! Reads the vector of the choice that `mode` selects (VA_Disabled: the
  //! stored active choice of an enabled vector) and answers the choice + 1
  //! (for VA_Disabled the stored choice + 1), or VA_Disabled when there is no
  //! such vector. A 2C vector (0, 0) counts as absent. Explicit modes beyond
  //! the number of choices give VA_Disabled; u, v, w are 0 then.
  E_VectorActive GetVector(unsigned x, unsigned y, unsigned z, double& u, double& v, double& w,
                           E_VectorActive mode) const;
  //! SetVector with VA_Choice1.
  void SetVector(unsigned x, unsigned y, unsigned z, double u, double v, double w);
  //! Stores the vector in the slot of `mode` (lowered to the last choice),
  //! makes it the active choice and enables it; VA_Disabled only clears the
  //! enabled flag. A zero vector of a single-choice frame is stored as
  //! disabled with choice 0 active.
  void SetVector(unsigned x, unsigned y, unsigned z, double u, double v, double w, E_VectorActive mode);
  //! VA_Disabled for a disabled vector or a position outside the frame, else
  //! the stored active choice + 1.
  E_VectorActive GetVectorActive(unsigned x, unsigned y, unsigned z) const;
  //! VA_Disabled disables the vector; any other mode only changes the active
  //! choice (to mode - 1) and leaves the enabled flag as it is.
  void SetVectorActive(unsigned x, unsigned y, unsigned z, E_VectorActive mode);
  //! True without "MASK"; else whether the mask element is not 0.
  bool GetMask(unsigned x, unsigned y, unsigned z) const;
  //! Nothing without "MASK".
  void SetMask(unsigned x, unsigned y, unsigned z, bool value);
  //! 0.0 without "Peak ratio".
  double GetPeakRatio(unsigned x, unsigned y, unsigned z) const;
  //! Nothing without "Peak ratio".
  void SetPeakRatio(unsigned x, unsigned y, unsigned z, double value);
  //! The frame's grid X.
  unsigned GetGrid() const;
  //! Sets grid X, Y and Z of the frame.
  void SetGrid(unsigned grid);

private:
  //! The plane of `component` at z, or null.
  static I_PlaneBase* PlaneOf(const I_Component* component, unsigned z);
  bool IsInside(unsigned x, unsigned y, unsigned z) const;

  I_Component* m_activeChoice = nullptr;
  I_Component* m_mask = nullptr;
  I_Component* m_peakRatio = nullptr;
  E_DataType m_dataType = DT_Bool;
  C_FrameVector* m_frame = nullptr;
  C_FrameVector2C* m_frame2C = nullptr;
  C_FrameVector3C* m_frame3C = nullptr;
  int m_numberOfChoices = 0;
};
} // namespace BufferApi
