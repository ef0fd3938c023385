#include <BufferApi/C_PlaneMinMaxHistogram.h>

#include <BufferApi/C_CompatibleVectorPlaneAccess.h>
#include <BufferApi/E_DataType.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameVector.h>
#include <BufferApi/I_PlaneBase.h>
#include <BufferApi/tagRGBQUAD.h>
#include <RTE/Exception.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

//! 1 / 65536: the bin width that spreads the data range over all bins.
constexpr double kInverseBins = 1.52587890625e-05;
constexpr double kMinBinWidth = 1e-9;

//! Which elements of a plane a mask lets through. A byte mask of the plane's
//! size is read directly; any other mask through its guarded GetIntValue, so
//! that a mask of another size never reads outside its data (elements it does
//! not cover count as invalid).
struct S_MaskView
{
  S_MaskView(const I_PlaneBase* mask, unsigned width, unsigned height)
  {
    if (!mask)
    {
      return;
    }
    if (mask->GetDataType() == DT_UInt8 && mask->GetWidth() == width && mask->GetHeight() == height && mask->GetData())
    {
      bytes = static_cast<const std::uint8_t*>(mask->GetData());
    }
    else
    {
      plane = mask;
    }
  }
  bool IsEmpty() const { return !bytes && !plane; }

  const std::uint8_t* bytes = nullptr;
  const I_PlaneBase* plane = nullptr;
};

//! Calls f(index) for every element of a width x height plane that the mask
//! lets through (every element without mask).
template <typename F>
void ForEachValid(unsigned width, unsigned height, const S_MaskView& mask, F&& f)
{
  const std::uint64_t n = std::uint64_t(width) * height;
  if (mask.bytes)
  {
    for (std::uint64_t i = 0; i < n; ++i)
    {
      if (mask.bytes[i] != 0)
      {
        f(i);
      }
    }
  }
  else if (mask.plane)
  {
    for (unsigned y = 0; y < height; ++y)
    {
      for (unsigned x = 0; x < width; ++x)
      {
        if (mask.plane->GetIntValue(x, y) != 0)
        {
          f(std::uint64_t(y) * width + x);
        }
      }
    }
  }
  else
  {
    for (std::uint64_t i = 0; i < n; ++i)
    {
      f(i);
    }
  }
}

//! The extremes and the number of the values a visitor yields.
struct S_ValueRange
{
  double smallest = std::numeric_limits<double>::max();
  double largest = -std::numeric_limits<double>::max();
  std::uint64_t taken = 0;
};

//! The range of the values that forEachValue(f) hands to f, one call each.
template <typename ForEachValue>
S_ValueRange RangeOf(ForEachValue&& forEachValue)
{
  S_ValueRange range;
  forEachValue(
      [&range](double value)
      {
        range.smallest = value < range.smallest ? value : range.smallest;
        range.largest = value > range.largest ? value : range.largest;
        ++range.taken;
      });
  return range;
}

//! Smallest and largest of n raw 16-bit values. Blocks of fixed length with
//! independent lanes let the compiler keep the loop free of dependencies
//! between neighbouring elements.
void MinMaxUInt16(const std::uint16_t* data, std::uint64_t n, std::uint16_t& smallest, std::uint16_t& largest)
{
  constexpr unsigned kLanes = 16;
  std::uint16_t lo[kLanes];
  std::uint16_t hi[kLanes];
  for (unsigned k = 0; k < kLanes; ++k)
  {
    lo[k] = 65535;
    hi[k] = 0;
  }
  std::uint64_t i = 0;
  for (; i + kLanes <= n; i += kLanes)
  {
    for (unsigned k = 0; k < kLanes; ++k)
    {
      const std::uint16_t v = data[i + k];
      lo[k] = v < lo[k] ? v : lo[k];
      hi[k] = v > hi[k] ? v : hi[k];
    }
  }
  for (; i < n; ++i)
  {
    const std::uint16_t v = data[i];
    lo[0] = v < lo[0] ? v : lo[0];
    hi[0] = v > hi[0] ? v : hi[0];
  }
  smallest = 65535;
  largest = 0;
  for (unsigned k = 0; k < kLanes; ++k)
  {
    smallest = std::min(smallest, lo[k]);
    largest = std::max(largest, hi[k]);
  }
}
} // namespace

C_PlaneMinMaxHistogram::C_PlaneMinMaxHistogram(double percent)
    : m_percent(std::isnan(percent) ? 100.0 : std::clamp(percent, 0.1, 100.0))
    , m_dataMin(std::numeric_limits<double>::max())
    , m_dataMax(-std::numeric_limits<double>::max())
    , m_resultMin(std::numeric_limits<double>::max())
    , m_resultMax(-std::numeric_limits<double>::max())
{
}

C_PlaneMinMaxHistogram::C_PlaneMinMaxHistogram(const C_PlaneMinMaxHistogram& other)
    : m_percent(other.m_percent)
    , m_useMask(other.m_useMask)
    , m_vectorComponent(other.m_vectorComponent)
    , m_count(other.m_count)
    , m_dataMin(other.m_dataMin)
    , m_dataMax(other.m_dataMax)
    , m_binWidth(other.m_binWidth)
    , m_resultMin(other.m_resultMin)
    , m_resultMax(other.m_resultMax)
    , m_finished(other.m_finished)
{
  if (other.m_histogram)
  {
    m_histogram.reset(new (std::nothrow) std::uint32_t[kBins]);
    if (!m_histogram)
    {
      RTE_RAISE(RTE::Exception, kSourceUnit, "Out of memory in histogram calculation.");
    }
    std::memcpy(m_histogram.get(), other.m_histogram.get(), kBins * sizeof(std::uint32_t));
  }
}

C_PlaneMinMaxHistogram& C_PlaneMinMaxHistogram::operator=(const C_PlaneMinMaxHistogram& other)
{
  if (this != &other)
  {
    C_PlaneMinMaxHistogram copy(other);
    std::swap(m_percent, copy.m_percent);
    std::swap(m_useMask, copy.m_useMask);
    std::swap(m_vectorComponent, copy.m_vectorComponent);
    std::swap(m_histogram, copy.m_histogram);
    std::swap(m_count, copy.m_count);
    std::swap(m_dataMin, copy.m_dataMin);
    std::swap(m_dataMax, copy.m_dataMax);
    std::swap(m_binWidth, copy.m_binWidth);
    std::swap(m_resultMin, copy.m_resultMin);
    std::swap(m_resultMax, copy.m_resultMax);
    std::swap(m_finished, copy.m_finished);
  }
  return *this;
}

C_PlaneMinMaxHistogram::~C_PlaneMinMaxHistogram() = default;

void C_PlaneMinMaxHistogram::SetMaskUsage(bool useMask)
{
  m_useMask = useMask;
}

void C_PlaneMinMaxHistogram::SetVectorComponent(VectorComponent_t component)
{
  m_vectorComponent = component;
}

void C_PlaneMinMaxHistogram::PrepareHistoArray(bool integerBins)
{
  if (m_histogram)
  {
    return;
  }
  double width = (m_dataMax - m_dataMin) * kInverseBins;
  if (!(width >= kMinBinWidth))
  {
    width = kMinBinWidth;
  }
  if (integerBins)
  {
    width = std::max(width, 1.0);
  }
  m_binWidth = width;
  m_histogram.reset(new (std::nothrow) std::uint32_t[kBins]());
  if (!m_histogram)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Out of memory in histogram calculation.");
  }
}

unsigned C_PlaneMinMaxHistogram::BinOf(double v) const
{
  const double bin = (v - m_dataMin) / m_binWidth;
  // The negated test also sends NaN to bin 0 instead of converting it.
  if (!(bin >= 0.0))
  {
    return 0;
  }
  if (bin >= double(kBins - 1))
  {
    return kBins - 1;
  }
  return static_cast<unsigned>(bin);
}

void C_PlaneMinMaxHistogram::MergeLimits(double smallest, double largest)
{
  m_dataMin = std::min(m_dataMin, smallest);
  m_dataMax = std::max(m_dataMax, largest);
}

void C_PlaneMinMaxHistogram::Process(I_PlaneBase* plane, I_PlaneBase* mask)
{
  // A plane whose data was detached has nothing to read.
  if (!plane || !plane->GetData())
  {
    return;
  }
  switch (plane->GetDataType())
  {
  case DT_UInt16:
    ProcessUInt16(*plane, mask);
    break;
  case DT_RGB:
    ProcessRGB(*plane);
    break;
  case DT_UInt8:
    ProcessTyped<std::uint8_t>(*plane, mask);
    break;
  case DT_Double:
    ProcessTyped<double>(*plane, mask);
    break;
  case DT_Float:
    ProcessTyped<float>(*plane, mask);
    break;
  case DT_Int32:
    ProcessTyped<std::int32_t>(*plane, mask);
    break;
  case DT_UInt32:
    ProcessTyped<std::uint32_t>(*plane, mask);
    break;
  default:
    // No plane class holds other element types; read them as doubles.
    ProcessTyped<double>(*plane, mask);
    break;
  }
}

void C_PlaneMinMaxHistogram::ProcessUInt16(const I_PlaneBase& plane, const I_PlaneBase* mask)
{
  const auto* data = static_cast<const std::uint16_t*>(plane.GetData());
  const unsigned width = plane.GetWidth();
  const unsigned height = plane.GetHeight();
  const std::uint64_t n = std::uint64_t(width) * height;
  const S_MaskView maskView(mask, width, height);

  if (m_percent == 100.0)
  {
    std::uint16_t smallest = 65535;
    std::uint16_t largest = 0;
    std::uint64_t taken = 0;
    if (maskView.IsEmpty())
    {
      MinMaxUInt16(data, n, smallest, largest);
      taken = n;
    }
    else
    {
      ForEachValid(width, height, maskView,
                   [&](std::uint64_t i)
                   {
                     const std::uint16_t v = data[i];
                     smallest = v < smallest ? v : smallest;
                     largest = v > largest ? v : largest;
                     ++taken;
                   });
    }
    m_count += static_cast<unsigned>(taken);
    if (taken > 0)
    {
      MergeLimits(smallest, largest);
    }
    return;
  }

  // With a histogram one pass counts every 16-bit value; the extremes and the
  // bins follow from these counts exactly as from a second pass over the data,
  // but without a division per element.
  std::vector<std::uint32_t> counts(kBins, 0);
  std::uint32_t* c = counts.data();
  std::uint64_t taken = 0;
  if (maskView.IsEmpty())
  {
    std::uint64_t i = 0;
    for (; i + 4 <= n; i += 4)
    {
      ++c[data[i]];
      ++c[data[i + 1]];
      ++c[data[i + 2]];
      ++c[data[i + 3]];
    }
    for (; i < n; ++i)
    {
      ++c[data[i]];
    }
    taken = n;
  }
  else if (maskView.bytes)
  {
    const std::uint8_t* m = maskView.bytes;
    for (std::uint64_t i = 0; i < n; ++i)
    {
      const unsigned valid = m[i] != 0 ? 1u : 0u;
      c[data[i]] += valid;
      taken += valid;
    }
  }
  else
  {
    ForEachValid(width, height, maskView,
                 [&](std::uint64_t i)
                 {
                   ++c[data[i]];
                   ++taken;
                 });
  }
  m_count += static_cast<unsigned>(taken);
  if (taken == 0)
  {
    return;
  }
  unsigned smallest = 0;
  while (c[smallest] == 0)
  {
    ++smallest;
  }
  unsigned largest = kBins - 1;
  while (c[largest] == 0)
  {
    --largest;
  }
  MergeLimits(smallest, largest);
  PrepareHistoArray(false);
  for (unsigned v = smallest; v <= largest; ++v)
  {
    if (c[v] != 0)
    {
      m_histogram[BinOf(v)] += c[v];
    }
  }
}

void C_PlaneMinMaxHistogram::ProcessRGB(const I_PlaneBase& plane)
{
  const auto* data = static_cast<const tagRGBQUAD*>(plane.GetData());
  const std::uint64_t n = std::uint64_t(plane.GetWidth()) * plane.GetHeight();
  m_count += static_cast<unsigned>(3 * n);
  m_dataMin = 0.0;
  m_dataMax = 255.0;
  if (m_percent == 100.0)
  {
    return;
  }
  PrepareHistoArray(true);
  std::uint32_t* bins = m_histogram.get();
  for (std::uint64_t i = 0; i < n; ++i)
  {
    ++bins[data[i].rgbRed];
    ++bins[data[i].rgbGreen];
    ++bins[data[i].rgbBlue];
  }
}

template <typename ForEachValue>
void C_PlaneMinMaxHistogram::TakeValues(const ForEachValue& forEachValue)
{
  const S_ValueRange range = RangeOf(forEachValue);
  m_count += static_cast<unsigned>(range.taken);
  // A call without values leaves the limits and the bin width alone: merging
  // placeholders would widen the range of later planes to values that were
  // never seen.
  if (range.taken == 0)
  {
    return;
  }
  MergeLimits(range.smallest, range.largest);
  if (m_percent == 100.0)
  {
    return;
  }
  PrepareHistoArray(false);
  std::uint32_t* bins = m_histogram.get();
  forEachValue([&](double value) { ++bins[BinOf(value)]; });
}

template <typename T>
void C_PlaneMinMaxHistogram::ProcessTyped(const I_PlaneBase& plane, const I_PlaneBase* mask)
{
  const T* data = static_cast<const T*>(plane.GetData());
  const unsigned width = plane.GetWidth();
  const unsigned height = plane.GetHeight();
  const S_MaskView maskView(mask, width, height);

  auto forEachValue = [&](auto&& f)
  { ForEachValid(width, height, maskView, [&](std::uint64_t i) { f(static_cast<double>(data[i])); }); };
  TakeValues(forEachValue);
}

void C_PlaneMinMaxHistogram::Process(I_Frame* frame, const std::string& componentName)
{
  if (!frame)
  {
    return;
  }
  const int index = frame->GetComponentIndex(componentName);
  if (index < 0)
  {
    return;
  }
  const int maskIndex = m_useMask ? frame->GetComponentIndex(I_Frame::COMPONENT_MASK) : -1;
  const unsigned depth = frame->GetDepth();
  // GetPlane answers null for planes a component lacks: they are skipped, or
  // taken without mask when only the mask plane is missing.
  auto processEveryPlane = [&]
  {
    for (unsigned z = 0; z < depth; ++z)
    {
      Process(frame->GetPlane(index, z), maskIndex >= 0 ? frame->GetPlane(maskIndex, z) : nullptr);
    }
  };
  // The bin width follows from the data range when the histogram is set up.
  // Over several planes that range must cover all of them, or every plane
  // after the first would be binned against the first one's range and the
  // result would depend on the plane order.
  if (depth > 1 && m_percent < 100.0 && !m_histogram)
  {
    ScanLimitsOnly(processEveryPlane);
  }
  processEveryPlane();
}

template <typename ProcessPlanes>
void C_PlaneMinMaxHistogram::ScanLimitsOnly(const ProcessPlanes& processPlanes)
{
  // A full-range pass merges the data limits without binning; the count is
  // taken by the binning pass that follows.
  struct S_Restore
  {
    C_PlaneMinMaxHistogram& self;
    double percent;
    unsigned count;
    ~S_Restore()
    {
      self.m_percent = percent;
      self.m_count = count;
    }
  } restore{*this, m_percent, m_count};
  m_percent = 100.0;
  processPlanes();
}

void C_PlaneMinMaxHistogram::Process(I_FrameImage* frame, unsigned plane)
{
  if (!frame)
  {
    return;
  }
  I_PlaneBase* mask = nullptr;
  if (m_useMask)
  {
    const int maskIndex = frame->GetComponentIndex(I_Frame::COMPONENT_MASK);
    mask = maskIndex >= 0 ? frame->GetPlane(maskIndex, plane) : nullptr;
  }
  Process(frame->GetPlane(plane), mask);
}

void C_PlaneMinMaxHistogram::Process(I_FrameVector* frame, unsigned plane)
{
  if (!frame || plane >= frame->GetDepth())
  {
    return;
  }
  const C_CompatibleVectorPlaneAccess access(frame, plane);
  const unsigned width = frame->GetWidth();
  const unsigned height = frame->GetHeight();
  const bool useMask = m_useMask;
  const VectorComponent_t component = m_vectorComponent;

  // Calls f(value) for every vector taken; the access object is a local of
  // known type, so its inline members are called directly.
  auto forEachVector = [&](auto&& f)
  {
    for (unsigned y = 0; y < height; ++y)
    {
      for (unsigned x = 0; x < width; ++x)
      {
        if (useMask && !access.Mask_GetPixel(int(x), int(y)))
        {
          continue;
        }
        float u;
        float v;
        float w;
        if (access.GetVector3D(x, y, u, v, w, VA_Disabled) == VA_Disabled)
        {
          continue;
        }
        switch (component)
        {
        case VectorU:
          f(double(u));
          break;
        case VectorV:
          f(double(v));
          break;
        case VectorW:
          f(double(w));
          break;
        default:
          f(double(std::sqrt(u * u + v * v + w * w)));
          break;
        }
      }
    }
  };

  TakeValues(forEachVector);
}

void C_PlaneMinMaxHistogram::Finish(CMMode_t mode)
{
  m_finished = true;
  if (m_count == 0)
  {
    m_dataMin = m_dataMax = m_resultMin = m_resultMax = 0.0;
    m_histogram.reset();
    return;
  }
  if (m_percent == 100.0 || !m_histogram)
  {
    m_resultMin = m_dataMin;
    m_resultMax = m_dataMax;
  }
  else
  {
    // Each end gives up at most t values.
    const double t = (100.0 - m_percent) * m_count / 100.0;
    const std::uint32_t* bins = m_histogram.get();
    std::uint64_t s = bins[kBins - 1];
    unsigned i = kBins - 1;
    while (s <= t && i >= 1)
    {
      --i;
      s += bins[i];
    }
    m_resultMax = i * m_binWidth + m_dataMin;
    s = bins[0];
    unsigned j = 0;
    while (s <= t && j < kBins - 1)
    {
      ++j;
      s += bins[j];
    }
    m_resultMin = j * m_binWidth + m_dataMin;
  }
  if (m_resultMin == m_resultMax)
  {
    m_resultMax += 1.0;
  }
  switch (mode)
  {
  case CMMode_ZeroMin:
    m_resultMin = 0.0;
    break;
  case CMMode_NegAbsMin:
    m_resultMin = -std::max(std::fabs(m_resultMin), std::fabs(m_resultMax));
    break;
  default:
    break;
  }
  m_histogram.reset();
}

void C_PlaneMinMaxHistogram::CheckFinished() const
{
  if (!m_finished)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "Finish() not called");
  }
}

double C_PlaneMinMaxHistogram::GetMin() const
{
  CheckFinished();
  return m_resultMin;
}

double C_PlaneMinMaxHistogram::GetMax() const
{
  CheckFinished();
  return m_resultMax;
}

unsigned C_PlaneMinMaxHistogram::GetCount() const
{
  CheckFinished();
  return m_count;
}

} // namespace BufferApi
