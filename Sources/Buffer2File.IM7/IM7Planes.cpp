#include "Buffer2File.IM7/IM7Planes.h"

#include "Buffer2File.IM7/VC7Layout.h"

#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameVector.h>

#include <RTE/Exception.h>

#include <cstring>

namespace BufferApi
{
namespace IM7
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

std::uint64_t PlaneBytes(const I_Frame& frame, const Format& format)
{
  return std::uint64_t(frame.GetWidth()) * frame.GetHeight() * format.bytesPerElement;
}

//! Plane z of the extra component j (0-based) of an image frame, or of its
//! pixel component for j = -1.
void* ImagePlaneData(const I_FrameImage& image, int j, unsigned z)
{
  if (j < 0)
    return image.GetPlaneData(z);
  const int first = image.GetComponentIndex("#0#");
  const I_PlaneBase* plane = first < 0 ? nullptr : image.GetPlane(first + j, z);
  return plane ? plane->GetData() : nullptr;
}
} // namespace

const void* FilePlaneOf(const I_Frame& frame, const Format& format, unsigned k, unsigned z,
                        std::vector<unsigned char>& scratch)
{
  if (format.vector)
    return VC7::FilePlaneOf(dynamic_cast<const I_FrameVector&>(frame), format, k, z, scratch);
  const void* data = ImagePlaneData(dynamic_cast<const I_FrameImage&>(frame), static_cast<int>(k) - 1, z);
  if (data)
    return data;
  // A plane without data is stored as zeros, so that the planes behind it
  // keep their place.
  scratch.assign(PlaneBytes(frame, format), 0);
  return scratch.data();
}

void* ReadTargetOf(I_Frame& frame, const Format& format, unsigned k, unsigned z, std::vector<unsigned char>& scratch,
                   bool& direct)
{
  if (format.vector)
    return VC7::ReadTargetOf(dynamic_cast<I_FrameVector&>(frame), format, k, z, scratch, direct);
  void* data = ImagePlaneData(dynamic_cast<I_FrameImage&>(frame), static_cast<int>(k) - 1, z);
  if (!data)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Invalid plane address.");
  direct = true;
  return data;
}

void StorePlane(I_Frame& frame, const Format& format, unsigned k, unsigned z, const void* data)
{
  if (format.vector)
    VC7::StorePlane(dynamic_cast<I_FrameVector&>(frame), format, k, z, data);
}

void FinishFrame(I_Frame& frame, const Format& format)
{
  if (format.vector)
    VC7::FinishFrame(dynamic_cast<I_FrameVector&>(frame), format);
}

void DistributeBlock(I_Buffer& buffer, const Format& format, unsigned frames, unsigned stacks, unsigned depth,
                     std::uint64_t planeBytes, const unsigned char* block)
{
  std::vector<unsigned char> scratch;
  for (unsigned f = 0; f < frames; ++f)
  {
    I_Frame& frame = *buffer.GetFrame(f);
    for (unsigned k = 0; k < stacks; ++k)
      for (unsigned z = 0; z < depth; ++z, block += planeBytes)
      {
        bool direct = false;
        void* target = ReadTargetOf(frame, format, k, z, scratch, direct);
        if (direct)
          std::memcpy(target, block, planeBytes);
        else
          StorePlane(frame, format, k, z, block);
      }
    FinishFrame(frame, format);
  }
}

} // namespace IM7
} // namespace BufferApi
