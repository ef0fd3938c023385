#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/I_Frame.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_PlaneBase.h>

#include <cstddef>

namespace BufferApi
{
//! Operations on the validity mask of frames (the component "MASK", non-zero
//! where the data are valid). None raises: unusable arguments give a null
//! result or no effect.
//!
//! Bool arrays hold one plane, width x height values of 0 or 1, row by row
//! without padding. Arrays returned here are allocated with new[] and belong
//! to the caller (release with delete[]); arrays passed in are only read.
//!
//! The copies and the combination write the area common to the frames and
//! make every other element of the destination plane invalid (0).
namespace MaskOp
{
//! How CombinePlaneMasks joins two masks.
enum CVP_ModesT : int
{
  CVP_And = 0, //!< valid in both
  CVP_Or = 1,  //!< valid in at least one
  CVP_Xor = 2  //!< valid in exactly one
};

//! Sets `value` (clamped) in every "PIXEL" element of image that maskFrame's
//! mask marks invalid, over the planes, rows and columns both frames have.
BUFFER_API void ApplyMaskToImage(I_Frame* image, I_Frame* maskFrame, int value);

//! out's mask plane planeOut := mask plane planeA of a combined with mask
//! plane planeB of b (a frame without mask counts as all valid). Creates
//! out's mask when missing. Nothing happens when a frame is null or a plane
//! index is negative or not below its frame's depth. For a mode outside
//! CVP_ModesT the common area keeps its values; the rest is still cleared.
BUFFER_API void CombinePlaneMasks(CVP_ModesT mode, I_Frame* a, int planeA, I_Frame* b, int planeB, I_Frame* out,
                                  int planeOut);

//! The plane as bool array (element != 0); null for a null plane or when the
//! array cannot be allocated.
BUFFER_API bool* ConvertPlaneToBoolArray(I_PlaneBase* plane);

//! dst's mask plane dstPlane := (pixel of src plane srcPlane != 0); creates
//! the mask when missing. Returns dst, or null for a null frame, a plane
//! index beyond a depth or a mask that cannot be made.
BUFFER_API I_Frame* CopyImageToMask(I_FrameImage* src, unsigned srcPlane, I_Frame* dst, unsigned dstPlane);

//! dst's mask plane dstPlane := src's mask plane srcPlane (all valid without
//! mask); creates the mask when missing. Null as for CopyImageToMask.
BUFFER_API I_Frame* CopyMask(I_Frame* src, unsigned srcPlane, I_Frame* dst, unsigned dstPlane);

//! Pixel plane dstPlane of dst := 1 where src's mask plane srcPlane is valid,
//! else 0. Without a mask in src: null unless evenWithoutMask (then all
//! valid). A null dst gives a new one-plane DT_UInt16 image frame of src's
//! size, written at plane 0, which the caller owns. Null for a null src or a
//! plane index beyond a depth.
BUFFER_API I_FrameImage* CopyMaskToImage(I_Frame* src, unsigned srcPlane, I_FrameImage* dst, unsigned dstPlane,
                                         bool evenWithoutMask);

//! Mask plane `plane` as bool array (all true for a frame without mask);
//! null for a null frame, plane >= depth or a missing mask plane.
BUFFER_API bool* GetMaskAsBoolArray(I_Frame* frame, unsigned plane);

//! Mask plane `plane` := value, or every mask plane for plane < 0. A frame
//! without mask gets an all-valid one first, and that is all for true.
//! Nothing for a null frame or plane >= depth.
BUFFER_API void SetMaskConst(I_Frame* frame, bool value, int plane);

//! Loads mask plane `plane` (W x H) from values, creating the mask when
//! missing. `values` must hold W x H entries (the frame's width x height);
//! use the overload with a count where that is not certain. Nothing for a
//! null frame or values, or plane >= depth.
BUFFER_API void SetMaskFromBoolArray(I_Frame* frame, unsigned plane, const bool* values);
//! As above, but refuses (false, frame unchanged) an array of fewer than
//! W x H entries. True when the mask plane was loaded.
BUFFER_API bool SetMaskFromBoolArray(I_Frame* frame, unsigned plane, const bool* values, std::size_t count);
} // namespace MaskOp
} // namespace BufferApi
