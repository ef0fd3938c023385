// The packed mask block (kind word, length, Zlib bytes) inside an otherwise
// valid IM7 file of 8-bit frames. Two leading bytes give the geometry: size X
// and Y 1 to 16, size Z and frames 1 to 4, and whether an unpacked mask comes
// first (the packed one overwrites it).

#include "FuzzSupport.h"

#include "Buffer2File.IM7/IM7File.h"
#include "Buffer2File.IM7/IM7Header.h"

#include <BufferApi/I_Buffer.h>

#include <memory>
#include <vector>

namespace
{
std::vector<std::uint8_t> ContainerAround(const std::uint8_t* block, std::size_t size, std::uint8_t geometry,
                                          std::uint8_t counts)
{
  using namespace BufferApi::IM7;
  Header header;
  header.bufferFormat = -2;
  header.sizeX = 1 + (geometry & 15);
  header.sizeY = 1 + (geometry >> 4);
  header.sizeZ = 1 + (counts & 3);
  header.frames = 1 + ((counts >> 2) & 3);
  header.flags = kFlagTrailer;
  const std::size_t planes = std::size_t(header.sizeX) * header.sizeY * header.sizeZ * header.frames;
  std::vector<std::uint8_t> file;
  const auto headerBytes = header.ToBytes();
  file.insert(file.end(), headerBytes.begin(), headerBytes.end());
  file.resize(file.size() + planes, 7);
  Trailer trailer;
  trailer.positions[kExtendedHeader] = file.size();
  file.resize(file.size() + 8, 0); // the end tag
  if (counts & 16)
  {
    trailer.positions[kUnpackedMask] = file.size();
    file.resize(file.size() + planes, 1);
  }
  trailer.positions[kPackedMask] = file.size();
  file.insert(file.end(), block, block + size);
  const auto trailerBytes = trailer.ToBytes();
  file.insert(file.end(), trailerBytes.begin(), trailerBytes.end());
  return file;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  if (size < 2)
    return 0;
  const std::vector<std::uint8_t> file = ContainerAround(data + 2, size - 2, data[0], data[1]);
  const Fuzz::InputFile input(file.data(), file.size(), "im7");
  Fuzz::Stream stream(input.Open());
  Fuzz::Refusable(
      [&]
      {
        std::unique_ptr<BufferApi::I_Buffer> buffer(BufferApi::CreateBuffer());
        BufferApi::ReadIM7(buffer.get(), stream.file, true, true, false, false, nullptr, nullptr, nullptr, nullptr);
      });
  return 0;
}
