#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/I_Frame.h>
#include <BufferApi/I_PlaneBase.h>

#include <string>
#include <vector>

namespace BufferApi
{
//! A set of one-dimensional profiles sharing one axis of x values.
//!
//! A profile frame of width W and height H holds the component "XVALUES"
//! (one plane of W x 1: the x value of each sample) and "PROFILES" (one plane
//! of W x H: sample i of profile k at (i, k)). Reads outside the planes give
//! 0, writes outside them are ignored.
class BUFFER_API I_FrameProfile : public virtual I_Frame
{
public:
  static const std::string COMPONENT_XVALUES;  //!< "XVALUES"
  static const std::string COMPONENT_PROFILES; //!< "PROFILES"
  static const std::string FT_PROFILE;         //!< "FT_PROFILE"

  //! One more profile: SetNumberOfProfiles(height + 1).
  virtual void AddProfile() = 0;
  //! Plane 0 of "PROFILES"; null when the component is absent.
  virtual I_PlaneBase* GetProfilePlane() const = 0;
  virtual double GetProfileValue(unsigned sample, unsigned profile) const = 0;
  //! Sample `sample` of every profile (height values).
  virtual std::vector<double> GetValuesAt(unsigned sample) const = 0;
  virtual void GetPoint(unsigned sample, double& x, unsigned profile, double& value) const = 0;
  virtual std::vector<double> GetPointsAt(unsigned sample, double& x) const = 0;
  virtual double GetXValue(unsigned sample) const = 0;
  //! Plane 0 of "XVALUES"; null when the component is absent.
  virtual I_PlaneBase* GetXValuePlane() const = 0;
  //! The frame's height becomes n; every component but "XVALUES" keeps its
  //! rows below n and gets new rows of its default value.
  virtual void SetNumberOfProfiles(unsigned n) = 0;
  virtual void SetProfileValue(unsigned sample, unsigned profile, double value) = 0;
  //! Sets sample `sample` of the first min(height, values.size()) profiles.
  virtual void SetValuesAt(unsigned sample, const std::vector<double>& values) = 0;
  virtual void SetPoint(unsigned sample, double x, unsigned profile, double value) = 0;
  virtual void SetPointsAt(unsigned sample, double x, std::vector<double> values) = 0;
  virtual void SetXValue(unsigned sample, double x) = 0;
};

} // namespace BufferApi
