#pragma once

#include <BufferApi/C_FrameProfileParam.h>
#include <BufferApi/I_FrameProfile.h>

#include "C_Frame.h"

#include <string>
#include <vector>

namespace BufferApi
{
//! The profile frame: C_Frame with the protected components "XVALUES" (one
//! row of x values) and "PROFILES" (one row per profile), depth 1.
class C_FrameProfile : public C_Frame, public I_FrameProfile
{
public:
  //! width samples per profile, height profiles. Raises the x-values or
  //! profiles message when a component cannot be made; nothing is left behind.
  C_FrameProfile(unsigned width, unsigned height, E_DataType type);
  C_FrameProfile(const C_FrameProfile& other);
  ~C_FrameProfile() override;

  using C_Frame::GetPlane;

  // I_BufferLibObject
  bool IsSameType(const I_BufferLibObject* other) const override;

  // I_Frame operations left to frame types
  //! copyData: full copy. Otherwise a zeroed profile frame of this size and
  //! type with this name and axis scales, and every further component created
  //! anew (own zeroed planes) with its name and type.
  I_Frame* Clone(bool copyData) const override;
  //! The element type of "PROFILES".
  E_DataType GetDataType() const override;
  //! Zeroes the profiles and the x values.
  void Clear() override;
  //! Profile frames are not filled: does nothing.
  void Fill(double value) override;
  //! Region copies do not apply to profile frames: do nothing.
  void CopyRegion(unsigned dstX, unsigned dstY, unsigned dstPlane, const I_Frame* src, unsigned srcX0, unsigned srcY0,
                  unsigned srcX1, unsigned srcY1, unsigned srcPlane) override;
  void CopyData(unsigned dstPlane, const I_Frame* src, unsigned srcPlane) override;
  //! Raises "Changing of data type of this component now allowed." for the
  //! protected components and unknown names.
  void ChangeComponentDataType(const std::string& name, E_DataType type, bool convertValues) override;

  // I_FrameProfile
  void AddProfile() override;
  I_PlaneBase* GetProfilePlane() const override;
  double GetProfileValue(unsigned sample, unsigned profile) const override;
  std::vector<double> GetValuesAt(unsigned sample) const override;
  void GetPoint(unsigned sample, double& x, unsigned profile, double& value) const override;
  std::vector<double> GetPointsAt(unsigned sample, double& x) const override;
  double GetXValue(unsigned sample) const override;
  I_PlaneBase* GetXValuePlane() const override;
  void SetNumberOfProfiles(unsigned n) override;
  void SetProfileValue(unsigned sample, unsigned profile, double value) override;
  void SetValuesAt(unsigned sample, const std::vector<double>& values) override;
  void SetPoint(unsigned sample, double x, unsigned profile, double value) override;
  void SetPointsAt(unsigned sample, double x, std::vector<double> values) override;
  void SetXValue(unsigned sample, double x) override;

  // C_Frame hooks
  //! A C_FrameProfileParam with this width, height and type.
  C_FrameBaseParam* CreateFrameParam() const override;
  void UpdateComponentPointers() override;
  std::string GetFrameType() const override;
  //! The mask, "XVALUES" and "PROFILES".
  bool IsProtectedComponent(const I_Component* component) const override;
  bool IsProtectedComponentIndex(unsigned index) const override;

private:
  //! Plane 0 of the cached components, looked up on use so that a plane
  //! replaced through the component interface is never read stale.
  I_PlaneBase* XPlane() const;
  I_PlaneBase* ProfilesPlane() const;

  //! Not owning: the components "XVALUES" and "PROFILES" in the component list.
  C_Component* m_xValues = nullptr;
  C_Component* m_profiles = nullptr;
};

//! Registers the "FT_PROFILE" creator with the frame factory (library start-up).
void RegisterProfileFrameType();
} // namespace BufferApi
