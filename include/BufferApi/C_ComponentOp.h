#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/I_Frame.h>
#include <BufferApi/I_FrameImage.h>

#include <string>

namespace BufferApi
{
//! Copies and fills of component planes that work on every frame type.
//!
//! The copies transfer the area the two frames have in common (values pass
//! through double and are clamped to the destination's element type) and set
//! the rest of the destination plane to that plane's default value. Every
//! failure raises RTE::Exception before anything is changed, except that a
//! destination component created by a copy stays in its frame.
class BUFFER_API C_ComponentOp
{
public:
  //! Copies plane srcPlane of component `componentIndex` of src to plane
  //! dstPlane of dst's component of the same name, which is created (with the
  //! source's element type) when dst has none.
  static void CopyComponent(I_Frame* src, unsigned componentIndex, unsigned srcPlane, I_Frame* dst, unsigned dstPlane);
  static void CopyComponent(I_Frame* src, std::string name, unsigned srcPlane, I_Frame* dst, unsigned dstPlane);

  //! Copies a component plane into pixel plane dstPlane of dst. A null dst
  //! gives a new one-plane image frame of src's size and the component's
  //! element type, which the caller owns. Returns dst (given or created).
  static I_FrameImage* CopyComponentToImage(I_Frame* src, unsigned componentIndex, unsigned srcPlane, I_FrameImage* dst,
                                            unsigned dstPlane);
  static I_FrameImage* CopyComponentToImage(I_Frame* src, std::string name, unsigned srcPlane, I_FrameImage* dst,
                                            unsigned dstPlane);

  //! Copies pixel plane srcPlane of src to plane dstPlane of dst's component,
  //! which is created (with the pixel plane's element type) when missing.
  //! Returns dst. The index form takes the name from dst.
  static I_Frame* CopyImageToComponent(I_FrameImage* src, unsigned srcPlane, I_Frame* dst, unsigned componentIndex,
                                       unsigned dstPlane);
  static I_Frame* CopyImageToComponent(I_FrameImage* src, unsigned srcPlane, I_Frame* dst, std::string name,
                                       unsigned dstPlane);

  //! Copies the common area of every deletable (user) component of src to
  //! dst's namesake; components dst lacks are skipped and the rest of the
  //! destination planes is left as it was. Raises nothing; null frames and
  //! missing planes are skipped.
  static void CopyNonDataComponents(I_Frame* src, unsigned srcPlane, I_Frame* dst, unsigned dstPlane);

  //! Writes `value` (clamped) to every element of plane `plane`, or of every
  //! plane with allPlanes; `plane` must exist even then.
  static void SetComponentConst(I_Frame* frame, unsigned componentIndex, double value, unsigned plane, bool allPlanes);
  static void SetComponentConst(I_Frame* frame, std::string name, double value, unsigned plane, bool allPlanes);

  //! Stores `value` in every element of plane (componentIndex, plane) of a
  //! component of element type DT_UInt16, DT_Int32, DT_Float or DT_Double,
  //! without clamping: a value of another of these types is first converted
  //! plainly (integers truncated toward zero, unsigned 16-bit targets keep the
  //! low 16 bits; values beyond 32 bits become INT32_MIN as on x86).
  static void SetImagePlaneConst(I_FrameImage* frame, unsigned componentIndex, unsigned plane, unsigned short value);
  static void SetImagePlaneConst(I_FrameImage* frame, unsigned componentIndex, unsigned plane, int value);
  static void SetImagePlaneConst(I_FrameImage* frame, unsigned componentIndex, unsigned plane, float value);
  static void SetImagePlaneConst(I_FrameImage* frame, unsigned componentIndex, unsigned plane, double value);
};
} // namespace BufferApi
