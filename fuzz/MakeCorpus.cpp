// Writes the seed inputs of every fuzz target with the library's own writers:
//   buffer_fuzz_corpus <folder>             -> <folder>/<target>/<seed>
//   buffer_fuzz_corpus --damaged <folder>   -> hand-damaged files of each
//                                              kind of damage a reader meets
// IM7 and VC7 files of every frame type and pack type with masks,
// attributes, typed scalars and scales; legacy files; the blocks behind the
// extended header; packed blocks of each codec; bitmaps of every bit count.

#include "FuzzSupport.h"

#include "Buffer2File.IM7/ExtendedHeader.h"
#include "Buffer2File.IM7/PlanePacking.h"

#include <BufferApi/Buffer2File.h>
#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/C_TypedScalarFrame.h>
#include <BufferApi/C_TypedScalarGlobal.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameRGB.h>
#include <BufferApi/I_FrameVector.h>
#include <BufferApi/I_FrameVector2C.h>
#include <BufferApi/I_FrameVector3C.h>
#include <BufferApi/I_PlaneBase.h>
#include <BufferApi/TypedScalar.h>

#include <Compression/Codecs.h>
#include <Compression/I_Compression.h>

#include <RTE/Parameter.h>
#include <RTE/Plugin.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <memory>
#include <vector>

using namespace BufferApi;
using Bytes = std::vector<std::uint8_t>;

namespace
{
std::filesystem::path g_root;

void Save(const std::string& target, const std::string& name, const Bytes& bytes)
{
  const std::filesystem::path folder = g_root / target;
  std::filesystem::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

Bytes ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

//! What `write` puts into a stream, as bytes.
Bytes Written(const std::function<void(std::FILE*)>& write)
{
  std::FILE* file = std::tmpfile();
  write(file);
  Bytes bytes(static_cast<std::size_t>(std::ftell(file)));
  std::rewind(file);
  if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
    std::abort();
  std::fclose(file);
  return bytes;
}

Bytes Prefixed(const Bytes& prefix, const Bytes& bytes)
{
  Bytes all = prefix;
  all.insert(all.end(), bytes.begin(), bytes.end());
  return all;
}

I_Scale* Linear(double factor, double offset, const std::string& unit, const std::string& description)
{
  return C_ScaleFactory::GetInstance().CreateLinearScale(factor, offset, unit, description);
}

void Fill(I_Frame* frame)
{
  for (unsigned c = 0; c < frame->GetNumberOfComponents(); ++c)
    for (unsigned z = 0; z < frame->GetDepth(); ++z)
      for (unsigned y = 0; y < frame->GetHeight(); ++y)
        for (unsigned x = 0; x < frame->GetWidth(); ++x)
          frame->SetValue(static_cast<int>(c), x, y, z, (x * 7 + y * 3 + z + c) % 11);
}

//! Scales, string and plane attributes of buffer and frames, a mask, a
//! frame-bound and a global typed scalar, a component scale that differs
//! between frames.
void Decorate(I_Buffer* buffer, bool mask, bool typedScalars)
{
  C_BufferAttributes(buffer).SetString("Operator", "Ada");
  C_BufferAttributes(buffer).SetString("_Comment", "seed");
  C_BufferAttributes(buffer).SetString("Group.Run", "7");
  if (typedScalars)
  {
    CreateTypedScalarFrameBound(buffer, "F", DT_Float).SetLinearScale(2.0, 1.0, "m/s", "speed");
    CreateTypedScalarGlobal(buffer, "G", DT_Double, 2, 2, 1, 2)
        .SetLinearScale(0.5, 0.0, "mm", "gx", C_TypedScalarGlobal::Axis_X);
  }
  for (unsigned f = 0; f < buffer->GetNumberOfFrames(); ++f)
  {
    I_Frame* frame = buffer->GetFrame(f);
    frame->SetScaleX(Linear(0.25, 1.0, "mm", "x"));
    frame->SetScaleI(Linear(2.0, 0.0, "counts", "intensity"));
    C_FrameAttributes(frame).SetString("Exposure", std::to_string(10 + f));
    frame->CreateAttributePlane("Row", 3, 1, DT_Float)->GetPlane()->SetValue(1, 0, 2.5);
    frame->CreateAttributePlane("Block", 2, 2, DT_Int32);
    if (mask && frame->CreateValidMask())
      frame->SetValid(0, 0, 0, false);
    Fill(frame);
    if (typedScalars && f > 0)
      frame->SetComponentScale(frame->GetComponentIndex("TS:F"), Linear(3.0 + f, 0.0, "K", "t"));
  }
}

boost::shared_ptr<RTE::Parameter::C_Tree> PackTypeOption(int packType)
{
  auto options = RTE::Parameter::CreateTree();
  options->Add(RTE::Parameter::CreateInteger("PackType", "", "", 2, packType, std::numeric_limits<std::int64_t>::min(),
                                             std::numeric_limits<std::int64_t>::max(),
                                             RTE::Parameter::C_Integer::EditorSpinBox));
  return options;
}

//! The file that ExportBuffer writes, or nothing when the writer refuses.
Bytes Exported(const I_Buffer* buffer, const std::string& extension, boost::shared_ptr<RTE::Parameter::C_Tree> options)
{
  const std::string path = "/dev/shm/buffer-fuzz-corpus-" + std::to_string(::getpid()) + "." + extension;
  try
  {
    ExportBuffer(buffer, path, options);
  }
  catch (const RTE::Exception&)
  {
    std::remove(path.c_str());
    return {};
  }
  Bytes bytes = ReadAll(path);
  std::remove(path.c_str());
  return bytes;
}

void SaveFile(const std::vector<std::string>& targets, const std::string& name, const Bytes& bytes)
{
  if (!bytes.empty())
    for (const std::string& target : targets)
      Save(target, name, bytes);
}

std::unique_ptr<I_Buffer> Images(E_DataType type, unsigned frames, unsigned depth)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  for (unsigned f = 0; f < frames; ++f)
  {
    if (type == DT_RGB)
      buffer->AddRGBFrame(5, 3, depth);
    else
      buffer->AddImageFrame(5, 3, depth, type);
  }
  return buffer;
}

struct VectorKind
{
  int code;
  bool threeComponents;
  unsigned choices;
  bool peak;
};
constexpr VectorKind kVectorKinds[] = {{1, false, 4, false}, {2, false, 1, false}, {3, false, 4, true},
                                       {4, true, 1, false},  {5, true, 4, true},   {6, true, 4, false}};

std::unique_ptr<I_Buffer> Vectors(const VectorKind& kind, unsigned frames, unsigned gridY = 16)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  for (unsigned f = 0; f < frames; ++f)
  {
    I_FrameVector* frame =
        kind.threeComponents
            ? static_cast<I_FrameVector*>(buffer->AddVectorFrame3C(4, 3, 1, kind.choices, DT_Float, 8))
            : static_cast<I_FrameVector*>(buffer->AddVectorFrame2C(4, 3, 1, kind.choices, DT_Float, 8));
    if (kind.peak)
      frame->CreateComponent("Peak ratio", DT_Float);
    frame->SetGridY(gridY);
  }
  return buffer;
}

void ContainerSeeds()
{
  const std::vector<std::string> targets = {"im7_import", "im7_information"};
  const std::pair<E_DataType, const char*> types[] = {{DT_UInt8, "u8"},      {DT_UInt16, "u16"},  {DT_Float, "float"},
                                                      {DT_Double, "double"}, {DT_Int32, "int32"}, {DT_RGB, "rgb"}};
  for (const auto& [type, name] : types)
    for (const int packType : {0, 1, 2, 19})
    {
      auto buffer = Images(type, 2, 2);
      Decorate(buffer.get(), packType != 1, packType == 0 || packType == 2);
      SaveFile(targets, std::string(name) + "-pack" + std::to_string(packType) + ".im7",
               Exported(buffer.get(), "im7", PackTypeOption(packType)));
    }
  for (int packType = 3; packType <= 18; ++packType)
  {
    auto buffer = Images(DT_UInt16, 1, 1);
    Fill(buffer->GetFrame(0));
    SaveFile(targets, "u16-pack" + std::to_string(packType) + ".im7",
             Exported(buffer.get(), "im7", PackTypeOption(packType)));
  }
  auto profile = Images(DT_UInt16, 1, 1);
  C_BufferAttributes(profile.get()).SetString("ViewWinType", "2");
  SaveFile(targets, "u16-profile.im7", Exported(profile.get(), "im7", PackTypeOption(0)));
  for (const VectorKind& kind : kVectorKinds)
    for (const int packType : {0, 2})
    {
      auto buffer = Vectors(kind, 2);
      Decorate(buffer.get(), packType == 2, packType == 0);
      SaveFile(targets, "vector" + std::to_string(kind.code) + "-pack" + std::to_string(packType) + ".vc7",
               Exported(buffer.get(), "vc7", PackTypeOption(packType)));
    }
}

void LegacySeeds()
{
  auto options = [](bool img)
  {
    auto tree = RTE::Parameter::CreateTree();
    tree->Add(RTE::Parameter::CreateBool("IMG", "", "", 2, img, RTE::Parameter::C_Bool::EditorCheckBox));
    return tree;
  };
  for (const auto& [type, name] : {std::pair{DT_UInt8, "u8"}, {DT_UInt16, "u16"}, {DT_Float, "float"}})
    for (const bool img : {true, false})
    {
      auto buffer = Images(type, 2, 1);
      Decorate(buffer.get(), false, false);
      SaveFile({"legacy"}, std::string(name) + (img ? ".img" : ".imx"), Exported(buffer.get(), "img", options(img)));
    }
  for (const VectorKind& kind : kVectorKinds)
  {
    auto buffer = Vectors(kind, 1, 8); // one grid: the legacy header has no other
    Fill(buffer->GetFrame(0));
    SaveFile({"legacy"}, "vector" + std::to_string(kind.code) + ".vec", Exported(buffer.get(), "vec", options(false)));
  }
}

void BlockSeeds()
{
  for (const bool legacy : {false, true})
    for (const std::uint8_t context : {0x01, 0x05, 0x08})
    {
      auto buffer = context == 0x05 ? Vectors(kVectorKinds[0], 2) : Images(DT_UInt16, 1 + (context & 3), 2);
      Decorate(buffer.get(), false, false);
      Save("extended_header", std::string(legacy ? "legacy-" : "") + "context" + std::to_string(context),
           Prefixed({context}, Written([&](std::FILE* f) { WriteExtendedHeader(buffer.get(), f, legacy); })));
    }
  auto buffer = Images(DT_UInt16, 2, 2);
  Decorate(buffer.get(), false, true);
  for (const int packType : {0, 1, 2, 19})
  {
    const std::uint8_t context = static_cast<std::uint8_t>(0x01 | (packType == 0 ? 0 : (packType == 2 ? 2 : 1)) << 4);
    Save("typed_scalars", "pack" + std::to_string(packType),
         Prefixed({context}, Written([&](std::FILE* f) { WriteTypedScalars(buffer.get(), f, packType); })));
  }
  Save("component_scales", "two-frames",
       Prefixed({0x01}, Written([&](std::FILE* f) { WriteComponentScales(buffer.get(), f); })));

  const Bytes mask = {1, 0, 1, 1, 0, 1, 1, 1, 1, 1, 0, 0};
  const Bytes packed = Written(
      [&](std::FILE* f)
      {
        const std::uint32_t kind = 2;
        std::fwrite(&kind, 4, 1, f);
        PackBlock(f, mask.data(), mask.size(), 2, 3);
      });
  Save("packed_mask", "3x2x1x2", Prefixed({0x12, 0x04}, packed));
  Save("packed_mask", "3x2x1x2-after-unpacked", Prefixed({0x12, 0x14}, packed));
}

std::shared_ptr<Compression::I_Compression> Codec(const char* key)
{
  return std::dynamic_pointer_cast<Compression::I_Compression>(
      RTE::C_PluginFactory::GetInstance().Create(Compression::kPluginName, key));
}

void CodecSeeds()
{
  Compression::RegisterCodecs();
  const unsigned columns = 16, rows = 8;
  std::vector<std::uint16_t> words(columns * rows);
  for (std::size_t i = 0; i < words.size(); ++i)
    words[i] = static_cast<std::uint16_t>((i * 37) % 4096 + (i % columns) * 3);
  const std::uint64_t bytes = words.size() * 2;
  const std::pair<const char*, const char*> codecs[] = {{"unpack_uncompressed", "Uncompressed"},
                                                        {"unpack_zlib", "Zlib"},
                                                        {"unpack_imx", "IMX"},
                                                        {"unpack_fixedbits", "FixedBitsOfWord"}};
  for (const auto& [target, key] : codecs)
    for (const int bits : {8, 12})
      for (const bool parallel : {false, true})
      {
        auto codec = Codec(key);
        auto parameters = RTE::Parameter::CreateTree();
        for (const auto& [name, value] : {std::pair<const char*, std::int64_t>{"Columns", columns},
                                          {"Rows", rows},
                                          {"FixedBits", bits},
                                          {"FixedStart", 0}})
          parameters->Add(RTE::Parameter::CreateInteger(
              name, "", "", 2, value, std::numeric_limits<std::int64_t>::min(),
              std::numeric_limits<std::int64_t>::max(), RTE::Parameter::C_Integer::EditorSpinBox));
        parameters->Add(
            RTE::Parameter::CreateBool("Parallel", "", "", 2, parallel, RTE::Parameter::C_Bool::EditorCheckBox));
        parameters->Add(
            RTE::Parameter::CreateBool("FixedWrapping", "", "", 2, true, RTE::Parameter::C_Bool::EditorCheckBox));
        codec->SetParameter(parameters);
        Bytes packed(codec->GetMaxPackedSize(bytes));
        std::uint64_t packedSize = packed.size();
        if (codec->Pack(words.data(), bytes, packed.data(), packedSize) != 0)
          continue;
        packed.resize(packedSize);
        Bytes head(8);
        Fuzz::Put(head.data(), columns, 2);
        Fuzz::Put(head.data() + 2, rows, 2);
        head[4] = static_cast<std::uint8_t>(bits);
        Fuzz::Put(head.data() + 5, bytes, 3);
        Save(target, "bits" + std::to_string(bits) + (parallel ? "-parallel" : ""), Prefixed(head, packed));
      }
}

//! A bitmap of the given layout, rows padded to 4 bytes, a grey palette.
Bytes Bitmap(unsigned bits, std::int32_t width, std::int32_t height, unsigned infoSize = 40,
             std::array<std::uint32_t, 3> masks = {})
{
  const unsigned entries = bits <= 8 ? 1u << bits : 0;
  const std::uint32_t rowBytes = ((std::uint32_t(width) * bits + 7) / 8 + 3) / 4 * 4;
  const std::uint32_t pixelBytes = rowBytes * std::uint32_t(height < 0 ? -height : height);
  const std::uint32_t offBits = 14 + infoSize + 4 * entries;
  Bytes b(offBits + pixelBytes, 0);
  b[0] = 'B';
  b[1] = 'M';
  Fuzz::Put(&b[2], b.size(), 4);
  Fuzz::Put(&b[10], offBits, 4);
  Fuzz::Put(&b[14], infoSize, 4);
  Fuzz::Put(&b[18], static_cast<std::uint32_t>(width), 4);
  Fuzz::Put(&b[22], static_cast<std::uint32_t>(height), 4);
  Fuzz::Put(&b[26], 1, 2);
  Fuzz::Put(&b[28], bits, 2);
  for (unsigned i = 0; i < 3 && infoSize > 40; ++i)
    Fuzz::Put(&b[54 + 4 * i], masks[i], 4);
  for (unsigned i = 0; i < entries; ++i)
    for (unsigned c = 0; c < 3; ++c)
      b[14 + infoSize + 4 * i + c] = static_cast<std::uint8_t>(i * 255 / (entries - 1) - c);
  for (std::uint32_t i = 0; i < pixelBytes; ++i)
    b[offBits + i] = static_cast<std::uint8_t>(i * 29);
  return b;
}

void BitmapSeeds()
{
  for (const unsigned bits : {1u, 4u, 8u, 16u, 24u, 32u})
    Save("bitmap", "bits" + std::to_string(bits) + ".bmp", Bitmap(bits, 5, 3));
  Save("bitmap", "bits8-top-down.bmp", Bitmap(8, 3, -2));
  Save("bitmap", "bits16-565.bmp", Bitmap(16, 3, 2, 108, {0xF800, 0x07E0, 0x001F}));
  Save("bitmap", "bits32-upper24.bmp", Bitmap(32, 2, 2, 124, {0xFF000000, 0x00FF0000, 0x0000FF00}));
}
//! A field of a written file overwritten, little-endian.
Bytes Patched(Bytes bytes, std::size_t offset, std::uint64_t value, unsigned width)
{
  Fuzz::Put(bytes.data() + offset, value, width);
  return bytes;
}

Bytes Cut(Bytes bytes, std::size_t size)
{
  bytes.resize(std::min(size, bytes.size()));
  return bytes;
}

std::uint64_t TrailerSlot(const Bytes& file, unsigned slot)
{
  return Fuzz::Get64(file.data() + file.size() - 256 + 8 * slot);
}

void DamagedFiles()
{
  const auto save = [](const std::string& name, const Bytes& bytes) { Save(".", name, bytes); };
  auto images = Images(DT_UInt16, 2, 1);
  Decorate(images.get(), true, true);
  const Bytes plain = Exported(images.get(), "im7", PackTypeOption(0));
  const Bytes zlib = Exported(images.get(), "im7", PackTypeOption(2));
  const std::size_t end = plain.size() - 256;

  save("im7-truncated-header.im7", Cut(plain, 100));
  save("im7-not-im7.im7", Patched(plain, 0, 5, 2));
  save("im7-sparse.im7", Patched(plain, 6, 1, 2));
  save("im7-unknown-format.im7", Patched(plain, 4, 7, 2));
  save("im7-zero-size-z.im7", Patched(plain, 16, 0, 4));
  save("im7-negative-frame-count.im7", Patched(plain, 20, 0xFFFFFFFF, 4));
  save("im7-huge-frame-size.im7", Patched(Patched(plain, 8, 0x7FFFFFFF, 4), 12, 0x7FFFFFFF, 4));
  save("im7-huge-frame-count-packed.im7", Patched(zlib, 20, 0x7FFFFFFF, 4));
  save("im7-huge-extra-components.im7", Patched(plain, 24, 0x7FFF, 2));
  save("im7-truncated-data.im7", Patched(Cut(plain, 256 + 20), 28, 0, 2));
  save("im7-truncated-trailer.im7", Cut(plain, plain.size() - 10));
  save("im7-trailer-offset-outside.im7", Patched(plain, end, std::uint64_t(1) << 40, 8));
  save("im7-trailer-offsets-out-of-order.im7", Patched(plain, end + 8 * 2, TrailerSlot(plain, 0) - 8, 8));
  const std::uint64_t tags = TrailerSlot(plain, 0);
  save("im7-tag-length-huge.im7", Patched(plain, tags + 4, 0x7FFFFFFF, 4));
  save("im7-tag-type-unknown.im7", Patched(plain, tags, 99, 4));
  save("im7-mask-length-huge.im7", Patched(zlib, TrailerSlot(zlib, 5) + 4, 0xFFFFFFF0, 4));
  save("im7-mask-kind-unknown.im7", Patched(zlib, TrailerSlot(zlib, 5), 7, 4));
  save("im7-typed-scalar-count-huge.im7", Patched(plain, TrailerSlot(plain, 3), 0xFFFFFFFF, 4));
  save("im7-typed-scalar-size-huge.im7", Patched(plain, TrailerSlot(plain, 3) + 4, 0x7FFFFFFF, 4));
  save("im7-component-scale-count-huge.im7", Patched(plain, TrailerSlot(plain, 6), 0xFFFFFFFF, 4));
  save("im7-zlib-block-length-huge.im7", Patched(zlib, 256, 0xFFFFFFF0, 4));
  save("im7-zlib-block-garbage.im7", Patched(zlib, 256 + 8, 0xDEADBEEF, 4));

  auto vectors = Vectors(kVectorKinds[0], 1);
  const Bytes vc7 = Exported(vectors.get(), "vc7", PackTypeOption(0));
  save("vc7-zero-grid.vc7", Patched(vc7, 26, 0, 2));
  save("vc7-truncated-planes.vc7", Patched(Cut(vc7, 256 + 100), 28, 0, 2));

  auto legacy = Images(DT_UInt16, 2, 1);
  Fill(legacy->GetFrame(0));
  auto imgOption = RTE::Parameter::CreateTree();
  imgOption->Add(RTE::Parameter::CreateBool("IMG", "", "", 2, true, RTE::Parameter::C_Bool::EditorCheckBox));
  const Bytes img = Exported(legacy.get(), "img", imgOption);
  const Bytes imx = Exported(legacy.get(), "imx", RTE::Parameter::CreateTree());
  save("img-truncated-header.img", Cut(img, 200));
  save("img-unknown-file-type.img", Patched(img, 0, 30, 2));
  save("img-huge-frame-size.img",
       Patched(Patched(Patched(img, 10, 0xFFFF, 2), 228, 0x7FFFFFFF, 4), 236, 0x7FFFFFFF, 4));
  save("img-huge-frame-count.img", Patched(img, 18, 0x7FFF, 2));
  save("img-truncated-data.img", Cut(img, 256 + 10));
  save("imx-truncated-data.imx", Cut(imx, 256 + 10));
  save("imx-huge-frame-count.imx", Patched(imx, 18, 0x7FFF, 2));

  save("bmp-truncated-info.bmp", Cut(Bitmap(8, 5, 3), 30));
  save("bmp-huge-width.bmp", Patched(Bitmap(24, 5, 3), 18, 0x7FFFFFFF, 4));
  save("bmp-pixels-beyond-file.bmp", Patched(Bitmap(8, 5, 3), 10, 0xFFFFFF00, 4));
  save("bmp-unknown-bit-count.bmp", Patched(Bitmap(8, 5, 3), 28, 7, 2));
}
} // namespace

int main(int argc, char** argv)
{
  if (argc == 3 && std::string(argv[1]) == "--damaged")
  {
    g_root = argv[2];
    DamagedFiles();
    return 0;
  }
  if (argc != 2)
  {
    std::cerr << "usage: " << argv[0] << " [--damaged] <folder>\n";
    return 2;
  }
  g_root = argv[1];
  ContainerSeeds();
  LegacySeeds();
  BlockSeeds();
  CodecSeeds();
  BitmapSeeds();
  return 0;
}
