#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/C_FrameHelperBase.h>

namespace BufferApi
{
//! Reads the camera and the acquisition times of a frame from its string
//! attributes "CameraName", "AcqTime", "AcqTimeSeries" and "FrameDt". Times
//! are returned in whatever unit the texts carry; every time output is set to
//! 0.0 first. The time operations return one of the status codes below.
class BUFFER_API C_FrameTimesHelper : public C_FrameHelperBase
{
public:
  enum
  {
    //! Success (also when only one of two optional attributes was there).
    StatusOk = 0,
    //! The attribute needed is missing or empty.
    StatusMissing = 2,
    //! Both "AcqTimeSeries" and "AcqTime" are missing.
    StatusNoTimes = 3,
    //! The helper has no frame.
    StatusNoFrame = 4,
    //! "AcqTime" has no ":".
    StatusNoSeparator = 16
  };

  using C_FrameHelperBase::C_FrameHelperBase;

  //! The 1-based camera number at the start of "CameraName"; -1 without frame or name.
  int GetCameraOfFrame() const;
  //! GetCameraOfFrame() - 1; -1 when that is negative.
  int GetCameraOfFrame0Based() const;
  //! dt := the number in "FrameDt" (the time between the two exposures of a vector frame).
  int GetVectorIntraFrameTime(double& dt) const;
  //! Vector frames: GetVectorIntraFrameTime. Others: dt := the difference of
  //! the two numbers "a:b" in "AcqTime" (b - a).
  int GetIntraFrameTime(double& dt) const;
  //! seriesTime := the number in "AcqTimeSeries", acqTime := the first number
  //! in "AcqTime", each when present.
  int GetAbsFrameTime(double& acqTime, double& seriesTime) const;
  //! other null: dt := the absolute time of this frame. other this frame: the
  //! intra-frame time. Otherwise the absolute time of other minus that of this frame.
  int GetInterFrameTime(I_Frame* other, double& dt) const;
};

//! Turns the older buffer attributes "FrameTimes" (one line per frame),
//! "PivDt" and an int32 "AcqTimeSeries" into the frame attributes "AcqTime"
//! and "AcqTimeSeries" of the first 32 frames, then deletes "FrameTimes" and
//! "PivDt". The optional global int32 attribute "AcqTimeSeriesFraction"
//! supplies the second number of the series time (0 without it). True when
//! anything was written or deleted.
BUFFER_API bool DeriveFrameTimes(I_Buffer* buffer);
} // namespace BufferApi
