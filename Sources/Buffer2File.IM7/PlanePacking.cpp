// Packing of blocks through the codecs of "Korimend.Compression", with the
// small prefixes that frame a packed block in the file. Every length read from
// a file is checked against the bytes the file still holds before anything is
// allocated or read.

#include "Buffer2File.IM7/PlanePacking.h"

#include <Compression/I_Compression.h>

#include <RTE/Exception.h>
#include <RTE/FileSystem.h>
#include <RTE/Parameter.h>
#include <RTE/Plugin.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <string>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

struct S_PackTypeSettings
{
  const char* key;
  int fixedBits;
  int fixedStart;
  bool fixedWrapping;
};

// Indexed by pack type 0 to 19.
constexpr S_PackTypeSettings kPackTypes[] = {
    {"Uncompressed", 8, 0, true},
    {"IMX", 8, 0, true},
    {"Zlib", 8, 0, true},
    {"FixedBitsOfWord", 12, 0, false},
    {"FixedBitsOfWord", 12, 2, false},
    {"FixedBitsOfWord", 12, 4, false},
    {"FixedBitsOfWord", 8, 0, false},
    {"FixedBitsOfWord", 8, 2, false},
    {"FixedBitsOfWord", 8, 4, false},
    {"FixedBitsOfWord", 8, 6, false},
    {"FixedBitsOfWord", 8, 8, false},
    {"FixedBitsOfWord", 12, 0, true},
    {"FixedBitsOfWord", 12, 2, true},
    {"FixedBitsOfWord", 12, 4, true},
    {"FixedBitsOfWord", 8, 0, true},
    {"FixedBitsOfWord", 8, 2, true},
    {"FixedBitsOfWord", 8, 4, true},
    {"FixedBitsOfWord", 8, 6, true},
    {"FixedBitsOfWord", 8, 8, true},
    {"IMX", 8, 0, true},
};
constexpr int kPackTypeCount = static_cast<int>(sizeof kPackTypes / sizeof kPackTypes[0]);

bool IsImx(int packType)
{
  return packType == 1 || packType == 19;
}
bool IsFixedBits(int packType)
{
  return packType >= 3 && packType <= 18;
}

std::shared_ptr<Compression::I_Compression> CreateCodec(const char* key)
{
  std::shared_ptr<RTE::I_Plugin> plugin = RTE::C_PluginFactory::GetInstance().Create(Compression::kPluginName, key);
  std::shared_ptr<Compression::I_Compression> codec = std::dynamic_pointer_cast<Compression::I_Compression>(plugin);
  if (!codec)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Missing compression plugin " << std::string(key));
  return codec;
}

void AddInteger(RTE::Parameter::C_Tree& tree, const char* name, std::int64_t value)
{
  tree.Add(RTE::Parameter::CreateInteger(name, "", "", 2, value, std::numeric_limits<std::int64_t>::min(),
                                         std::numeric_limits<std::int64_t>::max(),
                                         RTE::Parameter::C_Integer::EditorSpinBox));
}

void AddBool(RTE::Parameter::C_Tree& tree, const char* name, bool value)
{
  tree.Add(RTE::Parameter::CreateBool(name, "", "", 2, value, RTE::Parameter::C_Bool::EditorCheckBox));
}

// "Rows" counts 16-bit words per row, whatever the element size.
std::int64_t RowsOf(std::uint64_t size, unsigned int columns)
{
  return columns == 0 ? 0 : static_cast<std::int64_t>(size / columns / 2);
}

boost::shared_ptr<RTE::Parameter::C_Tree> PackingParameters(int packType, std::uint64_t size, unsigned int columns)
{
  const S_PackTypeSettings& settings = kPackTypes[packType];
  boost::shared_ptr<RTE::Parameter::C_Tree> tree = RTE::Parameter::CreateTree();
  AddInteger(*tree, "Columns", columns);
  AddInteger(*tree, "Rows", RowsOf(size, columns));
  AddBool(*tree, "Parallel", packType == 19);
  AddInteger(*tree, "FixedBits", settings.fixedBits);
  AddInteger(*tree, "FixedStart", settings.fixedStart);
  AddBool(*tree, "FixedWrapping", settings.fixedWrapping);
  return tree;
}

boost::shared_ptr<RTE::Parameter::C_Tree> UnpackingParameters(int packType, std::uint64_t size, unsigned int columns)
{
  boost::shared_ptr<RTE::Parameter::C_Tree> tree = RTE::Parameter::CreateTree();
  if (IsImx(packType) || IsFixedBits(packType))
  {
    AddInteger(*tree, "Columns", columns);
    AddInteger(*tree, "Rows", RowsOf(size, columns));
  }
  if (IsFixedBits(packType))
    AddInteger(*tree, "FixedBits", kPackTypes[packType].fixedBits);
  return tree;
}

void WriteBytes(std::FILE* file, const void* data, std::uint64_t size)
{
  if (size != 0 && std::fwrite(data, 1, size, file) != size)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't write data to IM7 file.");
}

void WritePrefix(std::FILE* file, int packType, std::uint64_t packedSize)
{
  if (IsImx(packType))
  {
    const unsigned char prefix[3] = {1, 1, 0};
    WriteBytes(file, prefix, sizeof prefix);
  }
  else if (packType == 2)
  {
    if (packedSize < (std::uint64_t(1) << 32))
    {
      const std::uint32_t length = static_cast<std::uint32_t>(packedSize);
      WriteBytes(file, &length, sizeof length);
    }
    else
    {
      const std::uint32_t escape = 0;
      WriteBytes(file, &escape, sizeof escape);
      WriteBytes(file, &packedSize, sizeof packedSize);
    }
  }
}

//! The bytes between the file's position and its end.
std::uint64_t BytesLeft(std::FILE* file)
{
  const std::int64_t position = RTE::FileSystem::GetPosition(file);
  const std::uint64_t size = RTE::FileSystem::GetSize(file);
  if (position < 0 || static_cast<std::uint64_t>(position) > size)
    return 0;
  return size - static_cast<std::uint64_t>(position);
}

void ReadExactly(std::FILE* file, void* destination, std::uint64_t size, const char* what)
{
  const std::uint64_t left = BytesLeft(file);
  if (size > left)
    RTE_RAISE(RTE::Exception, kSourceUnit, what << " needs " << size << " bytes, file has " << left << ".");
  if (size != 0 && std::fread(destination, 1, size, file) != size)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't read " << what << " from file.");
}

std::unique_ptr<unsigned char[]> Allocate(std::uint64_t size)
{
  if (size > std::numeric_limits<std::size_t>::max())
    return nullptr;
  return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[size == 0 ? 1 : size]);
}

void RaiseCodecError(Compression::I_Compression& codec, int result)
{
  RTE_RAISE(RTE::Exception, kSourceUnit, QString::fromLatin1(codec.GetErrorText(result)));
}

void Unpack(Compression::I_Compression& codec, const unsigned char* packed, std::uint64_t packedSize, void* destination,
            std::uint64_t unpackedSize)
{
  std::uint64_t produced = unpackedSize;
  const int result = codec.Unpack(packed, packedSize, destination, produced);
  if (result != 0)
    RaiseCodecError(codec, result);
  if (produced != unpackedSize)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "Packed block holds " << produced << " bytes, expected " << unpackedSize << ".");
}

void SkipImxPrefix(std::FILE* file)
{
  unsigned char ab[2];
  ReadExactly(file, ab, sizeof ab, "Packed block prefix");
  const std::uint64_t skip = std::uint64_t(ab[0]) * ab[1];
  if (skip > BytesLeft(file))
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "Packed block prefix needs " << skip << " bytes, file has " << BytesLeft(file) << ".");
  if (skip != 0 && std::fseek(file, static_cast<long>(skip), SEEK_CUR) != 0)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't read Packed block prefix from file.");
}

//! Codecs that find their own end (IMX, FixedBitsOfWord): hand them what the
//! file holds, up to the codec's bound, then stand behind what they consumed.
void UnpackSelfDelimiting(std::FILE* file, Compression::I_Compression& codec, void* destination,
                          std::uint64_t unpackedSize)
{
  const std::uint64_t start = static_cast<std::uint64_t>(RTE::FileSystem::GetPosition(file));
  const std::uint64_t bound = codec.GetMaxPackedSize(unpackedSize);
  const std::uint64_t available = std::min(bound, BytesLeft(file));
  std::unique_ptr<unsigned char[]> packed = Allocate(available);
  if (!packed)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Out of memory.");
  if (available != 0 && std::fread(packed.get(), 1, available, file) != available)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't read Packed block from file.");
  Unpack(codec, packed.get(), available, destination, unpackedSize);
  const boost::shared_ptr<RTE::Parameter::C_Tree> parameters = codec.GetParameter();
  const auto consumed =
      parameters ? boost::dynamic_pointer_cast<RTE::Parameter::C_Integer>(parameters->Get("Size")) : nullptr;
  if (!consumed)
    return;
  if (consumed->GetValue() < 0 || static_cast<std::uint64_t>(consumed->GetValue()) > available)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "Packed block reports " << consumed->GetValue() << " bytes consumed, file has " << available << ".");
  RTE::FileSystem::SetPosition(file, start + static_cast<std::uint64_t>(consumed->GetValue()));
}

void UnpackZlib(std::FILE* file, Compression::I_Compression& codec, void* destination, std::uint64_t unpackedSize)
{
  std::uint32_t shortLength = 0;
  ReadExactly(file, &shortLength, sizeof shortLength, "Packed block length");
  std::uint64_t length = shortLength;
  if (shortLength == 0)
    ReadExactly(file, &length, sizeof length, "Packed block length");
  const std::uint64_t left = BytesLeft(file);
  if (length > left)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Packed block needs " << length << " bytes, file has " << left << ".");
  std::unique_ptr<unsigned char[]> packed = Allocate(length);
  if (!packed)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Out of memory.");
  ReadExactly(file, packed.get(), length, "Packed block");
  Unpack(codec, packed.get(), length, destination, unpackedSize);
}
} // namespace

int PackBlock(std::FILE* file, const void* data, std::uint64_t size, int packType, unsigned int columns)
{
  if (packType < 0 || packType >= kPackTypeCount)
    return -2;
  const std::shared_ptr<Compression::I_Compression> codec = CreateCodec(kPackTypes[packType].key);
  if (packType == 0)
  {
    // An exact copy: straight from the caller's memory into the file.
    WriteBytes(file, data, size);
    return 0;
  }
  codec->SetParameter(PackingParameters(packType, size, columns));
  const std::uint64_t bound = codec->GetMaxPackedSize(size);
  if (bound == 0 && size != 0)
    RTE_RAISE(RTE::Exception, kSourceUnit,
              "Can't compress this amount of data with compression type " << std::string(kPackTypes[packType].key));
  std::unique_ptr<unsigned char[]> packed = Allocate(bound);
  if (!packed)
    return -1;
  std::uint64_t packedSize = bound;
  const int result = codec->Pack(data, size, packed.get(), packedSize);
  if (result != 0)
    RaiseCodecError(*codec, result);
  WritePrefix(file, packType, packedSize);
  WriteBytes(file, packed.get(), packedSize);
  return 0;
}

void UnpackBlock(std::FILE* file, void* destination, std::uint64_t unpackedSize, int packType, unsigned int columns,
                 bool imxPrefix)
{
  if (packType < 0 || packType >= kPackTypeCount)
    RTE_RAISE(RTE::Exception, kSourceUnit, "Can't decompress this format yet.");
  const std::shared_ptr<Compression::I_Compression> codec = CreateCodec(kPackTypes[packType].key);
  if (packType == 0)
  {
    ReadExactly(file, destination, unpackedSize, "Data block");
    return;
  }
  codec->SetParameter(UnpackingParameters(packType, unpackedSize, columns));
  if (packType == 2)
    UnpackZlib(file, *codec, destination, unpackedSize);
  else
  {
    if (IsImx(packType) && imxPrefix)
      SkipImxPrefix(file);
    UnpackSelfDelimiting(file, *codec, destination, unpackedSize);
  }
}

} // namespace BufferApi
