#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/C_FrameHelperBase.h>

namespace BufferApi
{
//! Reads and writes the flag attributes of a frame: "FrameProcessing" (a bit
//! set of processing steps) and "FrameRotation" (bit 0: mirrored; value / 2:
//! quarter turns), both decimal texts. Without frame nothing happens and the
//! getters return 0.
class BUFFER_API C_AttributeFlagsHelper : public C_FrameHelperBase
{
public:
  using C_FrameHelperBase::C_FrameHelperBase;

  int Processed_GetFlag() const;
  //! "FrameProcessing" := current | flag.
  void Processed_AddFlag(int flag);
  //! "FrameProcessing" := current without the bits of flag.
  void Processed_RemoveFlag(int flag);
  int Rotation_GetFlag() const;
  //! "FrameRotation" := value; marks the frame as processed with flag 2.
  void Rotation_SetFlag(int value);
  //! Adds quarterTurns quarter turns and toggles the mirror bit when mirror is
  //! set (truncating arithmetic: negative inputs can give negative terms).
  void Rotation_ProcessFlag(int quarterTurns, bool mirror);
};
} // namespace BufferApi
