#pragma once

#include <BufferApi/BufferApiExport.h>

#include <cstdint>
#include <memory>
#include <string>

namespace BufferApi
{
class I_Frame;
class I_FrameImage;
class I_FrameVector;
class I_PlaneBase;

//! The value range of one or several planes for display: minimum and maximum,
//! optionally restricted by a mask and optionally narrowed by a 65536-bin
//! histogram to the range that keeps `percent` of the values (the outliers at
//! both ends are cut).
//!
//! Feed data with one or more Process calls, then call Finish and read
//! GetMin, GetMax and GetCount. The bin width is fixed by the first Process
//! that takes values after construction or Finish (a frame component of
//! several planes fixes it from the range of all its planes); later calls bin
//! with the data minimum current at their time.
class BUFFER_API C_PlaneMinMaxHistogram
{
public:
  //! The value taken from a vector.
  enum VectorComponent_t
  {
    VectorU = 0,
    VectorV = 1,
    //! 0 for 2C frames.
    VectorW = 2,
    //! sqrt(u^2 + v^2 + w^2) in float.
    VectorLength = 3
  };

  //! How Finish adjusts the result; other values leave it as it is.
  enum CMMode_t
  {
    CMMode_Range = 0,
    //! Result minimum := 0.
    CMMode_ZeroMin = 1,
    //! Result minimum := -max(|minimum|, |maximum|); the maximum stays.
    CMMode_NegAbsMin = 2
  };

  //! `percent` is the share of the values the range keeps, clamped to
  //! [0.1, 100]; 100 takes the plain minimum and maximum without histogram.
  explicit C_PlaneMinMaxHistogram(double percent);
  //! Copies the whole state; a histogram in progress is copied, not shared.
  C_PlaneMinMaxHistogram(const C_PlaneMinMaxHistogram& other);
  C_PlaneMinMaxHistogram& operator=(const C_PlaneMinMaxHistogram& other);
  virtual ~C_PlaneMinMaxHistogram();

  //! Whether the frame overloads restrict the data to the valid elements of
  //! the frame's mask (default false).
  void SetMaskUsage(bool useMask);
  //! The value the vector frame overload takes from a vector (default VectorLength).
  void SetVectorComponent(VectorComponent_t component);

  //! Takes every element of `plane` or, with a mask, every element whose mask
  //! element (same coordinates, GetIntValue) is not 0; mask elements outside
  //! the mask plane count as invalid. RGB planes give the range 0 to 255 and
  //! three values per pixel; they ignore the mask. Nothing for a null plane
  //! or a plane without data.
  void Process(I_PlaneBase* plane, I_PlaneBase* mask);
  //! Every plane of the component; nothing for a null frame or a missing
  //! component.
  void Process(I_Frame* frame, const std::string& componentName);
  //! The pixel plane `plane` of an image frame; nothing for a null frame.
  void Process(I_FrameImage* frame, unsigned plane);
  //! The vectors of z plane `plane` of a float vector frame whose stored
  //! active choice is enabled (and, with mask usage, whose mask is set).
  //! Nothing for a null frame or plane >= depth; raises
  //! "C_CompatibleVectorPlaneAccess requires float vector frames!" for other
  //! vector frames.
  void Process(I_FrameVector* frame, unsigned plane);
  //! Computes the result range, applies `mode` and releases the histogram.
  void Finish(CMMode_t mode);

  //! The results; each raises "Finish() not called" before Finish.
  double GetMin() const;
  double GetMax() const;
  unsigned GetCount() const;

private:
  static constexpr unsigned kBins = 65536;

  //! Sets up the bin width and the zeroed histogram unless one exists; with
  //! integerBins no bin is narrower than 1.
  void PrepareHistoArray(bool integerBins);
  //! The bin of value v with the current data minimum and bin width.
  unsigned BinOf(double v) const;
  //! Merges the extremes of one Process call into the data limits.
  void MergeLimits(double smallest, double largest);
  void ProcessUInt16(const I_PlaneBase& plane, const I_PlaneBase* mask);
  void ProcessRGB(const I_PlaneBase& plane);
  template <typename T>
  void ProcessTyped(const I_PlaneBase& plane, const I_PlaneBase* mask);
  //! Counts, ranges and bins the values that forEachValue hands to its callback.
  template <typename ForEachValue>
  void TakeValues(const ForEachValue& forEachValue);
  //! Runs processPlanes once for the data limits only: no bins, no count.
  template <typename ProcessPlanes>
  void ScanLimitsOnly(const ProcessPlanes& processPlanes);
  void CheckFinished() const;

  double m_percent;
  bool m_useMask = false;
  VectorComponent_t m_vectorComponent = VectorLength;
  std::unique_ptr<std::uint32_t[]> m_histogram;
  unsigned m_count = 0;
  double m_dataMin;
  double m_dataMax;
  double m_binWidth = 1.0;
  double m_resultMin;
  double m_resultMax;
  bool m_finished = false;
};

} // namespace BufferApi
