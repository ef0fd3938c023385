// Converts the buffer-level time attributes of older files into the
// per-frame "AcqTime" and "AcqTimeSeries" texts read by C_FrameTimesHelper.

#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/C_FrameTimesHelper.h>
#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_AttributeBase.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace BufferApi
{
namespace
{
const std::size_t kMaxFrames = 32;
const std::size_t kCounters = 9;

//! The int32 value of a global attribute, when it is one.
bool ReadGlobalInt(const I_Buffer& buffer, const char* path, int& value)
{
  const auto* attribute = dynamic_cast<const I_Attribute<int>*>(buffer.FindAttribute(path));
  if (!attribute)
    return false;
  value = attribute->GetValue();
  return true;
}

//! "%i" of fraction / 1000 for seconds < 1, else seconds and fraction / 1000
//! zero-padded to six digits.
std::string SeriesText(int seconds, int fraction)
{
  char text[32];
  if (seconds < 1)
    std::snprintf(text, sizeof text, "%i", fraction / 1000);
  else
    std::snprintf(text, sizeof text, "%i%06i", seconds, fraction / 1000);
  return text;
}

std::vector<std::string> SplitLines(const std::string& text)
{
  std::vector<std::string> lines;
  if (text.empty())
    return lines;
  std::size_t start = 0;
  for (;;)
  {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
    {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}
} // namespace

bool DeriveFrameTimes(I_Buffer* buffer)
{
  // Without an attribute tree (a buffer emptied by MoveContentFrom) there is nothing to derive from.
  if (!buffer || !buffer->GetAttributeRoot())
    return false;
  C_BufferAttributes global(buffer);
  const bool hasFrameTimes = buffer->FindAttribute("FrameTimes") != nullptr;
  const bool hasPivDt = buffer->FindAttribute("PivDt") != nullptr;
  const std::vector<std::string> lines = SplitLines(global.GetString("FrameTimes"));
  const std::string pivDt = global.GetString("PivDt");

  // The stored series time holds only one integer; the second part comes
  // from an optional companion attribute and is 0 without it.
  int seconds = 0;
  bool hasSeries = ReadGlobalInt(*buffer, "AcqTimeSeries", seconds);
  int fraction = 0;
  if (hasSeries)
    ReadGlobalInt(*buffer, "AcqTimeSeriesFraction", fraction);
  const std::string series = hasSeries ? SeriesText(seconds, fraction) : std::string();

  bool changed = false;
  std::array<unsigned, kCounters> counters{};
  const std::size_t frames = std::min(buffer->GetNumberOfFrames(), kMaxFrames);
  for (std::size_t k = 0; k < frames; ++k)
  {
    I_Frame* frame = buffer->GetFrame(static_cast<unsigned>(k));
    if (!frame)
      continue;
    const int camera = C_FrameTimesHelper(frame).GetCameraOfFrame();
    unsigned& counter = counters[camera >= 1 && camera <= 9 ? camera - 1 : kCounters - 1];
    C_FrameAttributes attributes(frame);

    if (hasSeries)
      changed |= attributes.SetString("AcqTimeSeries", series);
    else if (attributes.GetString("AcqTimeSeries").empty())
      changed |= attributes.SetString("AcqTimeSeries", "no acquisition time series value");

    if (attributes.GetString("AcqTime").empty())
    {
      const std::string line = k < lines.size() ? lines[k] : std::string();
      std::string acqTime = "0 us";
      if (!line.empty())
        acqTime = line;
      else if (!pivDt.empty() && counter % 2 == 1)
        acqTime = pivDt;
      changed |= attributes.SetString("AcqTime", acqTime);
    }
    ++counter;
  }

  if (hasFrameTimes)
    buffer->DeleteAttribute("FrameTimes");
  if (hasPivDt)
    buffer->DeleteAttribute("PivDt");
  return changed || hasFrameTimes || hasPivDt;
}
} // namespace BufferApi
