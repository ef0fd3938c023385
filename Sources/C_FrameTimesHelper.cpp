#include "NumberText.h"

#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/C_FrameTimesHelper.h>
#include <BufferApi/I_Frame.h>
#include <BufferApi/I_FrameVector.h>

#include <string>

namespace BufferApi
{
namespace
{
std::string FrameText(I_Frame* frame, const char* name)
{
  return C_FrameAttributes(frame).GetString(name);
}
} // namespace

int C_FrameTimesHelper::GetCameraOfFrame() const
{
  if (!GetFrame())
    return -1;
  const std::string name = FrameText(GetFrame(), "CameraName");
  if (name.empty())
    return -1;
  return ReadLeadingInt(name);
}

int C_FrameTimesHelper::GetCameraOfFrame0Based() const
{
  const int camera = GetCameraOfFrame();
  return camera < 0 ? -1 : camera - 1;
}

int C_FrameTimesHelper::GetVectorIntraFrameTime(double& dt) const
{
  dt = 0.0;
  if (!GetFrame())
    return StatusNoFrame;
  const std::string text = FrameText(GetFrame(), "FrameDt");
  if (text.empty())
    return StatusMissing;
  ReadLeadingDouble(text, dt);
  return StatusOk;
}

int C_FrameTimesHelper::GetIntraFrameTime(double& dt) const
{
  dt = 0.0;
  if (!GetFrame())
    return StatusNoFrame;
  if (dynamic_cast<const I_FrameVector*>(GetFrame()))
    return GetVectorIntraFrameTime(dt);
  const std::string text = FrameText(GetFrame(), "AcqTime");
  if (text.empty())
    return StatusMissing;
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos)
    return StatusNoSeparator;
  double first = 0.0;
  double second = 0.0;
  ReadLeadingDouble(text, first);
  ReadLeadingDouble(text.substr(colon + 1), second);
  dt = second - first;
  return StatusOk;
}

int C_FrameTimesHelper::GetAbsFrameTime(double& acqTime, double& seriesTime) const
{
  acqTime = 0.0;
  seriesTime = 0.0;
  if (!GetFrame())
    return StatusNoFrame;
  const std::string series = FrameText(GetFrame(), "AcqTimeSeries");
  const std::string acquisition = FrameText(GetFrame(), "AcqTime");
  if (!series.empty())
    ReadLeadingDouble(series, seriesTime);
  if (!acquisition.empty())
    ReadLeadingDouble(acquisition, acqTime);
  return series.empty() && acquisition.empty() ? StatusNoTimes : StatusOk;
}

int C_FrameTimesHelper::GetInterFrameTime(I_Frame* other, double& dt) const
{
  dt = 0.0;
  if (!GetFrame())
    return StatusNoFrame;
  if (!other)
  {
    double acqTime = 0.0;
    double seriesTime = 0.0;
    const int status = GetAbsFrameTime(acqTime, seriesTime);
    dt = acqTime + seriesTime;
    return status;
  }
  if (other == GetFrame())
    return GetIntraFrameTime(dt);

  double acqTime = 0.0;
  double seriesTime = 0.0;
  const int status = GetAbsFrameTime(acqTime, seriesTime);
  if (status != StatusOk)
    return status;
  double otherAcqTime = 0.0;
  double otherSeriesTime = 0.0;
  const int otherStatus = C_FrameTimesHelper(other).GetAbsFrameTime(otherAcqTime, otherSeriesTime);
  if (otherStatus == StatusOk)
    dt = (otherAcqTime + otherSeriesTime) - (acqTime + seriesTime);
  return otherStatus;
}
} // namespace BufferApi
