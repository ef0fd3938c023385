// Random buffers through every file format and pack type that can hold them,
// compared exactly after reading back. The seed is fixed so that a failure in
// CI replays; BUFFER_ROUNDTRIP_SEED and BUFFER_ROUNDTRIP_COUNT choose others.

#include <BufferApi/Buffer2File.h>
#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/C_TypedScalarFrame.h>
#include <BufferApi/C_TypedScalarGlobal.h>
#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_AttributeScale.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameProfile.h>
#include <BufferApi/I_FrameRGB.h>
#include <BufferApi/I_FrameVector2C.h>
#include <BufferApi/I_FrameVector3C.h>
#include <BufferApi/I_Scale.h>
#include <BufferApi/I_Unit.h>
#include <BufferApi/TypedScalar.h>

#include <RTE/Exception.h>
#include <RTE/Parameter.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

using namespace BufferApi;

namespace
{
using Random = std::mt19937;

unsigned Pick(Random& random, unsigned count)
{
  return static_cast<unsigned>(random() % count);
}

bool Chance(Random& random, unsigned percent)
{
  return Pick(random, 100) < percent;
}

template <typename T>
const T& PickOf(Random& random, const std::vector<T>& choices)
{
  return choices[Pick(random, static_cast<unsigned>(choices.size()))];
}

// ------------------------------------------------------------ awkward texts

//! Attribute names the tag format keeps as they are: no ".", "=" or NUL, no
//! trailing digit (that would read as a frame index) and none of the names
//! the reader gives a meaning of its own.
std::string AwkwardName(Random& random, unsigned serial)
{
  static const std::vector<std::string> pieces = {"a", "Z", "_", " ",  "-",  "#", ":", "µ", "ä", "日本", "x y",
                                                  "(", "]", "'", "\"", "\\", "/", "+", "%", "~", "é",    "\t"};
  std::string name = "n" + std::to_string(serial);
  const unsigned length = 1 + Pick(random, 6);
  for (unsigned i = 0; i < length; ++i)
    name += PickOf(random, pieces);
  return name + "q";
}

//! Values may hold anything a std::string holds.
std::string AwkwardText(Random& random)
{
  switch (Pick(random, 9))
  {
  case 0:
    return "";
  case 1:
    return "   ";
  case 2:
    return "Grüße, 日本語 — ½ µs";
  case 3:
    return std::string(5000 + Pick(random, 3000), 'L') + "end";
  case 4:
    return "a=b=c";
  case 5:
    return std::string("nul\0inside\0", 11);
  case 6:
    return "line\nbreak\r\nand\ttab \\ \"quoted\" 'single' %s %d {json: [1]} <x/>";
  case 7:
    return "\x01\x02\x7f\xff\xfe";
  default:
  {
    std::string text(1 + Pick(random, 40), ' ');
    for (char& c : text)
      c = static_cast<char>(1 + Pick(random, 255));
    return text;
  }
  }
}

// -------------------------------------------------------------- the buffers

enum class Kind
{
  Image,
  RGB,
  Profile,
  Vector2C,
  Vector3C
};

const char* KindName(Kind kind)
{
  static const char* const names[] = {"image", "RGB", "profile", "2C vectors", "3C vectors"};
  return names[static_cast<int>(kind)];
}

struct Recipe
{
  Kind kind = Kind::Image;
  E_DataType type = DT_UInt16;
  unsigned width = 1, height = 1, depth = 1, frames = 1, choices = 1;
  bool peakRatio = false, mask = false, oddFrame = false, mixedGrids = false;
  unsigned grids[3] = {1, 1, 1};
  std::string text;
};

//! Scales that travel exactly: factor and offset fit a float and the six
//! digits of the scale text.
I_Scale* RandomScale(Random& random)
{
  static const std::vector<std::string> units = {"pixel", "mm", "m/s", "µs", "counts", "%", "1/s", "K"};
  static const std::vector<std::string> descriptions = {"", "speed", "Länge x", "a  b c", "x=y", "a,b;c", "#1"};
  const double factor = (Chance(random, 20) ? -1.0 : 1.0) * (1 + Pick(random, 64)) / 8.0;
  const double offset = (static_cast<int>(Pick(random, 401)) - 200) / 4.0;
  return C_ScaleFactory::GetInstance().CreateLinearScale(factor, offset, PickOf(random, units),
                                                         PickOf(random, descriptions));
}

void FillRandomBytes(Random& random, void* data, std::size_t bytes)
{
  auto* out = static_cast<unsigned char*>(data);
  for (std::size_t i = 0; i < bytes; ++i)
    out[i] = static_cast<unsigned char>(random());
}

std::size_t PlaneBytes(const I_PlaneBase& plane)
{
  return std::size_t(plane.GetWidth()) * plane.GetHeight() * GetDataTypeSize(plane.GetDataType());
}

//! Vectors as the format can hold them: a disabled one-choice vector is the
//! zero vector, a disabled vector of four choices has choice 0 active.
void FillVectors(Random& random, I_FrameVector& frame, const Recipe& r)
{
  auto* v3 = dynamic_cast<I_FrameVector3C*>(&frame);
  auto* v2 = dynamic_cast<I_FrameVector2C*>(&frame);
  const int peak = frame.GetComponentIndex("Peak ratio");
  auto value = [&] { return (static_cast<int>(Pick(random, 20001)) - 10000) / 64.0; };
  for (unsigned z = 0; z < r.depth; ++z)
    for (unsigned y = 0; y < r.height; ++y)
      for (unsigned x = 0; x < r.width; ++x)
      {
        const bool enabled = Chance(random, 75);
        for (unsigned c = 0; c < r.choices; ++c)
        {
          const bool zero = r.choices == 1 && !enabled;
          const double u = zero ? 0 : value() + 0.5, v = zero ? 0 : value(), w = zero ? 0 : value();
          if (v3)
            v3->SetVector(x, y, z, u, v, w, c);
          else
            v2->SetVector(x, y, z, u, v, c);
        }
        frame.SetActiveChoice(x, y, z, enabled && r.choices > 1 ? static_cast<int>(Pick(random, r.choices)) : 0);
        frame.SetEnabled(x, y, z, enabled);
        if (peak >= 0)
          frame.SetValue(peak, x, y, z, value());
      }
}

I_Frame* AddFrame(I_Buffer& buffer, const Recipe& r, unsigned width, unsigned height)
{
  switch (r.kind)
  {
  case Kind::Image:
    return buffer.AddImageFrame(width, height, r.depth, r.type);
  case Kind::RGB:
    return buffer.AddRGBFrame(width, height, r.depth);
  case Kind::Profile:
    return buffer.AddProfileFrame(width, height, 1);
  case Kind::Vector2C:
    return buffer.AddVectorFrame2C(width, height, r.depth, r.choices, DT_Float, 1);
  case Kind::Vector3C:
    return buffer.AddVectorFrame3C(width, height, r.depth, r.choices, DT_Float, 1);
  }
  return nullptr;
}

//! `index`: the frame's place in the buffer; with mixed grids frame 1 has a Z grid of its own.
void FillFrame(Random& random, I_Frame& frame, const Recipe& r, unsigned index)
{
  if (auto* vectors = dynamic_cast<I_FrameVector*>(&frame))
  {
    vectors->SetGridX(r.grids[0]);
    vectors->SetGridY(r.grids[1]);
    vectors->SetGridZ(r.mixedGrids && index == 1 ? r.grids[2] + 1 : r.grids[2]);
    if (r.peakRatio)
      frame.CreateComponent("Peak ratio", DT_Float);
    FillVectors(random, *vectors, r);
  }
  else
    for (unsigned z = 0; z < frame.GetDepth(); ++z)
    {
      I_PlaneBase* plane = frame.GetPlane(0, z);
      FillRandomBytes(random, plane->GetData(), PlaneBytes(*plane));
    }
  if (r.mask)
  {
    frame.CreateValidMask();
    for (unsigned z = 0; z < frame.GetDepth(); ++z)
      for (unsigned y = 0; y < frame.GetHeight(); ++y)
        for (unsigned x = 0; x < frame.GetWidth(); ++x)
          frame.SetValid(x, y, z, Chance(random, 60));
  }
  frame.SetScaleX(RandomScale(random));
  frame.SetScaleY(RandomScale(random));
  frame.SetScaleZ(RandomScale(random));
  frame.SetScaleI(RandomScale(random));
}

void AddPlaneAttribute(Random& random, I_Buffer* buffer, I_Frame* frame, const std::string& name)
{
  static const std::vector<E_DataType> types = {DT_UInt16, DT_Float, DT_Int32, DT_Double};
  const unsigned width = 1 + Pick(random, 7), height = Chance(random, 50) ? 1 : 1 + Pick(random, 4);
  const E_DataType type = PickOf(random, types);
  I_AttributePlane* attribute = frame ? frame->CreateAttributePlane(name, width, height, type)
                                      : buffer->CreateAttributePlane(name, width, height, type);
  ASSERT_NE(attribute, nullptr) << name;
  FillRandomBytes(random, attribute->GetPlane()->GetData(), PlaneBytes(*attribute->GetPlane()));
}

void AddAttributes(Random& random, I_Buffer& buffer, unsigned& serial)
{
  C_BufferAttributes bufferAttributes(&buffer);
  const unsigned count = Pick(random, 6);
  for (unsigned i = 0; i < count; ++i)
  {
    std::string name = AwkwardName(random, serial++);
    if (Chance(random, 20))
      name = "Group " + std::to_string(serial % 3) + "x." + name; // a nested path
    if (Chance(random, 25))
      AddPlaneAttribute(random, &buffer, nullptr, name);
    else
      ASSERT_TRUE(bufferAttributes.SetString(name, AwkwardText(random))) << name;
  }
  for (const char* special : {"_Comment", "_Date", "_Time"})
    if (Chance(random, 30))
      bufferAttributes.SetString(special, special[1] == 'C' ? AwkwardText(random) : "01.02.2003 x");
  for (unsigned f = 0; f < buffer.GetNumberOfFrames(); ++f)
  {
    I_Frame* frame = buffer.GetFrame(f);
    C_FrameAttributes frameAttributes(frame);
    const unsigned frameCount = Pick(random, 4);
    for (unsigned i = 0; i < frameCount; ++i)
    {
      const std::string name = AwkwardName(random, serial++);
      if (Chance(random, 25))
        AddPlaneAttribute(random, nullptr, frame, name);
      else
        ASSERT_TRUE(frameAttributes.SetString(name, AwkwardText(random))) << name;
    }
  }
}

const std::vector<E_DataType> kTypedScalarTypes = {DT_UInt16, DT_Double, DT_Float, DT_Int32};

void AddTypedScalars(Random& random, I_Buffer& buffer, unsigned& serial, unsigned storedFrames)
{
  const unsigned components = Pick(random, 3);
  for (unsigned i = 0; i < components; ++i)
  {
    const std::string name = AwkwardName(random, serial++);
    const E_DataType type = PickOf(random, kTypedScalarTypes);
    C_TypedScalarFrame scalar = CreateTypedScalarFrameBound(&buffer, name, type);
    std::unique_ptr<I_Scale> scale(RandomScale(random));
    scalar.SetLinearScale(scale->GetFactor(), scale->ToWorld(0), scale->GetUnit()->GetSymbol(),
                          scale->GetDescription());
    for (unsigned f = 0; f < buffer.GetNumberOfFrames(); ++f)
    {
      I_Frame* frame = buffer.GetFrame(f);
      const int index = frame->GetComponentIndex("TS:" + name);
      for (unsigned z = 0; z < frame->GetDepth(); ++z)
        FillRandomBytes(random, frame->GetPlane(index, z)->GetData(), PlaneBytes(*frame->GetPlane(index, z)));
      // Frames of their own scale go to the component-scale block.
      if (f > 0 && f < storedFrames && Chance(random, 40))
        frame->SetComponentScale(index, RandomScale(random));
    }
  }
  if (Chance(random, 50))
  {
    const std::string name = AwkwardName(random, serial++);
    C_TypedScalarGlobal global =
        CreateTypedScalarGlobal(&buffer, name, PickOf(random, kTypedScalarTypes), 1 + Pick(random, 5),
                                1 + Pick(random, 3), 1 + Pick(random, 2), 1 + Pick(random, 3));
    I_PlaneBase* volume = global.GetPlaneWithVolumeData();
    FillRandomBytes(random, volume->GetData(), PlaneBytes(*volume));
    for (auto axis : {C_TypedScalarGlobal::Axis_X, C_TypedScalarGlobal::Axis_Y, C_TypedScalarGlobal::Axis_Z,
                      C_TypedScalarGlobal::Axis_I})
      if (Chance(random, 70))
        global.SetScale(axis, RandomScale(random));
  }
}

Recipe RandomRecipe(Random& random)
{
  Recipe r;
  const unsigned kind = Pick(random, 20);
  r.kind = kind < 11   ? Kind::Image
           : kind < 13 ? Kind::RGB
           : kind < 14 ? Kind::Profile
           : kind < 17 ? Kind::Vector2C
                       : Kind::Vector3C;
  static const std::vector<E_DataType> imageTypes = {DT_UInt8, DT_UInt16, DT_RGB, DT_Float, DT_Double, DT_Int32};
  r.type = r.kind == Kind::Image ? PickOf(random, imageTypes) : r.kind == Kind::RGB ? DT_RGB : DT_Float;
  static const std::vector<unsigned> sizes = {1, 1, 2, 3, 5, 7, 8, 13, 17};
  r.width = PickOf(random, sizes);
  r.height = Chance(random, 25) ? 1 : PickOf(random, sizes);
  r.depth = Chance(random, 60) ? 1 : 2 + Pick(random, 2);
  r.frames = 1 + Pick(random, 3);
  r.choices = Chance(random, 50) ? 1 : 4;
  r.peakRatio = r.choices == 4 && Chance(random, 50);
  r.mask = r.kind != Kind::Profile && Chance(random, 40);
  r.oddFrame = Chance(random, 10);
  r.grids[0] = 1 + Pick(random, 16);
  r.grids[1] = Chance(random, 70) ? r.grids[0] : 1 + Pick(random, 16);
  r.grids[2] = Chance(random, 70) ? r.grids[0] : 1 + Pick(random, 16);
  r.mixedGrids = (r.kind == Kind::Vector2C || r.kind == Kind::Vector3C) && r.frames > 1 && Chance(random, 10);
  std::ostringstream text;
  text << KindName(r.kind) << " type " << r.type << " " << r.width << "x" << r.height << "x" << r.depth << ", "
       << r.frames << (r.oddFrame ? "+1" : "") << " frames" << (r.mask ? ", mask" : "");
  if (r.kind == Kind::Vector2C || r.kind == Kind::Vector3C)
    text << ", " << r.choices << " choices" << (r.peakRatio ? ", peak ratio" : "") << ", grids " << r.grids[0] << " "
         << r.grids[1] << " " << r.grids[2] << (r.mixedGrids ? " differing" : "");
  r.text = text.str();
  return r;
}

std::unique_ptr<I_Buffer> MakeBuffer(Random& random, const Recipe& r)
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  for (unsigned f = 0; f < r.frames; ++f)
    FillFrame(random, *AddFrame(*buffer, r, r.width, r.height), r, f);
  unsigned serial = 0;
  if (r.kind != Kind::Profile)
    AddTypedScalars(random, *buffer, serial, r.frames);
  // A last frame of another size: the files store the frames before it.
  if (r.oddFrame)
  {
    FillFrame(random, *AddFrame(*buffer, r, r.width + 1, r.height), r, r.frames);
  }
  AddAttributes(random, *buffer, serial);
  return buffer;
}
} // namespace

namespace
{
// ------------------------------------------------------ what is compared

//! Everything a file should keep, as key and value texts: frame classes,
//! sizes, grids, scales, every component's planes byte for byte, and the
//! attribute trees.
using Facts = std::map<std::string, std::string>;

std::string ScaleFact(const I_Scale* scale)
{
  if (!scale)
    return "none";
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "%.17g %.17g", scale->GetFactor(), scale->ToWorld(0));
  return std::string(numbers) + " [" + scale->GetUnit()->GetSymbol() + "] '" + scale->GetDescription() + "' type " +
         std::to_string(scale->GetType());
}

std::string PlaneFact(const I_PlaneBase& plane)
{
  return "type " + std::to_string(plane.GetDataType()) + " " + std::to_string(plane.GetWidth()) + "x" +
         std::to_string(plane.GetHeight()) + " " +
         std::string(static_cast<const char*>(plane.GetData()), PlaneBytes(plane));
}

void AttributeFacts(const I_AttributeBase& node, const std::string& prefix, Facts& facts)
{
  std::vector<I_AttributeBase*> children;
  node.GetChildren(children);
  for (const I_AttributeBase* child : children)
  {
    const std::string key = prefix + child->GetName();
    std::string& fact = facts[key];
    fact = "attribute type " + std::to_string(child->GetType());
    if (const auto* text = dynamic_cast<const I_Attribute<std::string>*>(child))
      fact += " '" + text->GetValue() + "'";
    else if (const auto* plane = dynamic_cast<const I_AttributePlane*>(child))
      fact += " " + PlaneFact(*plane->GetPlane());
    else if (const auto* scale = dynamic_cast<const I_AttributeScale*>(child))
      fact += " " + ScaleFact(scale->GetScale());
    else if (const auto* number = dynamic_cast<const I_Attribute<std::uint32_t>*>(child))
      fact += " " + std::to_string(number->GetValue());
    else if (const auto* integer = dynamic_cast<const I_Attribute<std::int32_t>*>(child))
      fact += " " + std::to_string(integer->GetValue());
    AttributeFacts(*child, key + ".", facts);
  }
}

void FrameFacts(const I_Frame& frame, const std::string& prefix, Facts& facts)
{
  facts[prefix + "class"] = typeid(frame).name();
  facts[prefix + "size"] = std::to_string(frame.GetWidth()) + "x" + std::to_string(frame.GetHeight()) + "x" +
                           std::to_string(frame.GetDepth());
  facts[prefix + "scale X"] = ScaleFact(frame.GetScaleX());
  facts[prefix + "scale Y"] = ScaleFact(frame.GetScaleY());
  facts[prefix + "scale Z"] = ScaleFact(frame.GetScaleZ());
  facts[prefix + "scale I"] = ScaleFact(frame.GetScaleI());
  if (const auto* vectors = dynamic_cast<const I_FrameVector*>(&frame))
    facts[prefix + "grids"] = std::to_string(vectors->GetGridX()) + " " + std::to_string(vectors->GetGridY()) + " " +
                              std::to_string(vectors->GetGridZ()) + ", choices " +
                              std::to_string(vectors->GetNumberOfChoices());
  for (unsigned c = 0; c < frame.GetNumberOfComponents(); ++c)
  {
    const int index = static_cast<int>(c);
    const std::string key = prefix + "component " + frame.GetComponentName(index);
    facts[key + " scale"] = ScaleFact(frame.GetComponentScale(index));
    for (unsigned z = 0; z < frame.GetDepth(); ++z)
      if (const I_PlaneBase* plane = frame.GetPlane(index, z))
        facts[key + " z" + std::to_string(z)] = PlaneFact(*plane);
  }
  AttributeFacts(*frame.GetAttributeRoot(), prefix + "attribute ", facts);
}

Facts FactsOf(const I_Buffer& buffer)
{
  Facts facts;
  facts["frames"] = std::to_string(buffer.GetNumberOfFrames());
  AttributeFacts(*buffer.GetAttributeRoot(), "attribute ", facts);
  for (unsigned f = 0; f < buffer.GetNumberOfFrames(); ++f)
    FrameFacts(*buffer.GetFrame(f), "frame " + std::to_string(f) + " ", facts);
  return facts;
}

std::string Shown(const std::string& value)
{
  std::string shown;
  for (const char c : value.substr(0, 120))
    shown += (c >= 32 && c < 127) ? std::string(1, c) : "\\x" + std::to_string(static_cast<unsigned char>(c));
  return value.size() > 120 ? shown + "... (" + std::to_string(value.size()) + " bytes)" : shown;
}

//! The differences, one a line; empty when the facts agree.
std::string Differences(const Facts& expected, const Facts& actual)
{
  std::ostringstream out;
  for (const auto& [key, value] : expected)
  {
    const auto found = actual.find(key);
    if (found == actual.end())
      out << "  missing: " << key << " = " << Shown(value) << "\n";
    else if (found->second != value)
      out << "  differs: " << key << "\n    expected " << Shown(value) << "\n    read     " << Shown(found->second)
          << "\n";
  }
  for (const auto& [key, value] : actual)
    if (!expected.count(key))
      out << "  extra:   " << key << " = " << Shown(value) << "\n";
  return out.str();
}

// ------------------------------------------------------- what files keep

struct Target
{
  std::string extension; // "im7", "vc7", "img", "imx", "vec"
  int packType = 0;      // the "PackType" option of IM7 and VC7
  bool img = false;      // the "IMG" option of the legacy files
  bool convertByteToWord = false;

  bool Legacy() const { return extension != "im7" && extension != "vc7"; }
  std::string Text() const
  {
    return "." + extension +
           (Legacy() ? std::string(img ? " IMG" : " IMX") : " pack type " + std::to_string(packType)) +
           (convertByteToWord ? ", byte to word" : "");
  }
};

bool FloatLike(E_DataType type, bool vectors)
{
  return vectors || type == DT_Float || type == DT_Double;
}

//! The pack type the header receives for a request.
int HeaderPackType(int requested, E_DataType type, bool vectors)
{
  if (requested == 4096)
    return 0;
  if (requested == 4097)
    return type == DT_UInt16 ? 1 : type == DT_Int32 ? 4097 : 0;
  if (requested == 4098)
    return type == DT_UInt16 || type == DT_RGB ? 1 : type == DT_Int32 ? 4098 : FloatLike(type, vectors) ? 2 : 0;
  if (FloatLike(type, vectors))
    return requested == 2 ? 2 : 0;
  return requested == 19 ? 1 : requested;
}

struct Window
{
  unsigned bits, start;
  bool wrapping;
};

Window WindowOf(int packType)
{
  static const Window windows[] = {{12, 0, false}, {12, 2, false}, {12, 4, false}, {8, 0, false},
                                   {8, 2, false},  {8, 4, false},  {8, 6, false},  {8, 8, false}};
  Window w = windows[(packType - 3) % 8];
  w.wrapping = packType >= 11;
  return w;
}

//! What FixedBitsOfWord keeps of one block: every little-endian 16-bit word
//! cut to its window, an odd last byte as it is. The block is the
//! concatenation of the planes.
void ApplyWindow(const std::vector<I_PlaneBase*>& planes, const Window& w)
{
  std::vector<unsigned char> block;
  for (const I_PlaneBase* plane : planes)
  {
    const auto* data = static_cast<const unsigned char*>(plane->GetData());
    block.insert(block.end(), data, data + PlaneBytes(*plane));
  }
  const unsigned mask = (1u << w.bits) - 1;
  for (std::size_t i = 0; i + 1 < block.size(); i += 2)
  {
    const unsigned word = block[i] | (block[i + 1] << 8);
    const unsigned window = word >> w.start;
    const unsigned kept = (window > mask ? (w.wrapping ? window & mask : mask) : window) << w.start;
    block[i] = static_cast<unsigned char>(kept);
    block[i + 1] = static_cast<unsigned char>(kept >> 8);
  }
  std::size_t offset = 0;
  for (I_PlaneBase* plane : planes)
  {
    std::memcpy(plane->GetData(), block.data() + offset, PlaneBytes(*plane));
    offset += PlaneBytes(*plane);
  }
}

//! The data block and every typed-scalar record are one packed block each.
void ApplyWindowToBlocks(I_Buffer& buffer, const Window& w)
{
  std::vector<I_PlaneBase*> pixels;
  for (unsigned f = 0; f < buffer.GetNumberOfFrames(); ++f)
    for (unsigned z = 0; z < buffer.GetFrame(f)->GetDepth(); ++z)
      pixels.push_back(buffer.GetFrame(f)->GetPlane(0, z));
  ApplyWindow(pixels, w);
  const I_Frame& first = *buffer.GetFrame(0);
  for (unsigned c = 0; c < first.GetNumberOfComponents(); ++c)
  {
    const E_DataType type = first.GetComponentDataType(static_cast<int>(c));
    if (!first.IsComponentDeletable(c) || type == DT_UInt8)
      continue;
    std::vector<I_PlaneBase*> record;
    for (unsigned f = 0; f < buffer.GetNumberOfFrames(); ++f)
      for (unsigned z = 0; z < first.GetDepth(); ++z)
        record.push_back(buffer.GetFrame(f)->GetPlane(static_cast<int>(c), z));
    ApplyWindow(record, w);
  }
  std::vector<I_AttributeBase*> children;
  buffer.GetAttributeRoot()->GetChildren(children);
  for (const I_AttributeBase* child : children)
    if (child->GetName().rfind("TS:", 0) == 0)
      ApplyWindow({C_TypedScalarGlobal(&buffer, child->GetName().substr(3)).GetPlaneWithVolumeData()}, w);
}

//! Legacy files hold no double or two-dimensional plane attributes.
void RemovePlanesLegacyCannotHold(I_AttributeBase& node)
{
  std::vector<I_AttributeBase*> children;
  node.GetChildren(children);
  for (I_AttributeBase* child : children)
  {
    const auto* plane = dynamic_cast<const I_AttributePlane*>(child);
    if (plane && (plane->GetPlane()->GetDataType() == DT_Double || plane->GetPlane()->GetHeight() > 1))
    {
      node.RemoveChild(child->GetName());
      continue;
    }
    RemovePlanesLegacyCannotHold(*child);
    if (child->GetType() == AttrNode && child->GetNumberOfChildren() == 0)
      node.RemoveChild(child->GetName()); // a group left empty has no tag
  }
}

//! Legacy files have no mask and no scales of components per frame. The header's fields: the date only there, cut
//! to 9 characters; the time there too, and the comment followed by the
//! creator, unless a tag holds it.
void ExpectLegacyContents(I_Buffer& buffer)
{
  RemovePlanesLegacyCannotHold(*buffer.GetAttributeRoot());
  for (unsigned f = 0; f < buffer.GetNumberOfFrames(); ++f)
  {
    buffer.GetFrame(f)->DeleteMask();
    RemovePlanesLegacyCannotHold(*buffer.GetFrame(f)->GetAttributeRoot());
  }
  // One tag names the scale of an extra component, for every frame.
  const I_Frame& first = *buffer.GetFrame(0);
  for (unsigned c = 0; c < first.GetNumberOfComponents(); ++c)
    if (first.IsComponentDeletable(c))
      for (unsigned f = 1; f < buffer.GetNumberOfFrames(); ++f)
      {
        I_Frame& frame = *buffer.GetFrame(f);
        const int index = frame.GetComponentIndex(first.GetComponentName(static_cast<int>(c)));
        frame.SetComponentScale(index, first.GetComponentScale(static_cast<int>(c))->Clone());
      }
  C_BufferAttributes attributes(&buffer);
  attributes.SetString("_Time", attributes.GetString("_Time"));
  attributes.SetString("_Date", attributes.GetString("_Date").substr(0, 9));
  if (attributes.GetString("_Comment").empty())
    attributes.SetString("_Comment", "\ncreated with Pelio");
}

//! The buffer as the file should give it back.
std::unique_ptr<I_Buffer> Expected(const I_Buffer& original, const Recipe& r, const Target& t, const std::string& path)
{
  std::unique_ptr<I_Buffer> expected(CreateBuffer());
  expected->Copy(&original);
  if (r.oddFrame)
    expected->RemoveFrame(r.frames);
  const bool vectors = r.kind == Kind::Vector2C || r.kind == Kind::Vector3C;
  int header = HeaderPackType(t.packType, r.type, vectors);
  if (t.Legacy())
    header = !FloatLike(r.type, vectors) && r.type != DT_UInt8 && r.type != DT_RGB && !t.img ? 1 : 0;
  else if (header >= 3 && header <= 18)
    ApplyWindowToBlocks(*expected, WindowOf(header));
  if (t.convertByteToWord)
    for (unsigned f = 0; f < expected->GetNumberOfFrames(); ++f)
      if (expected->GetFrame(f)->GetDataType() == DT_UInt8)
        expected->GetFrame(f)->ChangeComponentDataType(I_FrameImage::COMPONENT_PIXEL, DT_UInt16, true);
  std::vector<I_AttributeBase*> children;
  expected->GetAttributeRoot()->GetChildren(children);
  for (const I_AttributeBase* child : children)
    if (child->GetName().rfind("TS:", 0) == 0)
    {
      C_TypedScalarGlobal global(expected.get(), child->GetName().substr(3));
      if (t.Legacy())
        global.Remove();
      else
        // The record holds every scale; one the buffer lacked comes back as identity.
        for (auto axis : {C_TypedScalarGlobal::Axis_X, C_TypedScalarGlobal::Axis_Y, C_TypedScalarGlobal::Axis_Z,
                          C_TypedScalarGlobal::Axis_I})
          if (!global.GetScale(axis))
            global.SetLinearScale(1, 0, "pixel", "", axis);
    }
  // The texts of the comment, date and time tags lose trailing NULs, the
  // padding of older writers.
  for (const char* name : {"_Comment", "_Date", "_Time"})
    if (I_AttributeBase* found = expected->FindAttribute(name))
    {
      std::string text = dynamic_cast<I_Attribute<std::string>*>(found)->GetValue();
      text.erase(text.find_last_not_of('\0') + 1);
      dynamic_cast<I_Attribute<std::string>*>(found)->SetValue(text);
    }
  if (t.Legacy())
    ExpectLegacyContents(*expected);
  else
    for (const char* name : {"_Comment", "_Date", "_Time"})
      if (expected->FindAttribute(name) && C_BufferAttributes(expected.get()).GetString(name).empty())
        expected->DeleteAttribute(name); // an empty tag is skipped
  // Frames without acquisition times get the import's defaults.
  for (unsigned f = 0; f < expected->GetNumberOfFrames(); ++f)
  {
    C_FrameAttributes frame(expected->GetFrame(f));
    frame.SetString("AcqTimeSeries", "no acquisition time series value");
    frame.SetString("AcqTime", "0 us");
  }
  C_BufferAttributes attributes(expected.get());
  attributes.SetString("_Header_PackType", std::to_string(header));
  attributes.SetString("LoadFile", path);
  return expected;
}

// ------------------------------------------------------------- the files

boost::shared_ptr<RTE::Parameter::C_Tree> ExportOptions(const Target& t, const std::string& path)
{
  auto options = GetExportParameter(path);
  if (t.Legacy())
    options->GetBool("IMG")->SetValue(t.img);
  else
    options->GetInteger("PackType")->SetValue(t.packType);
  return options;
}

boost::shared_ptr<RTE::Parameter::C_Tree> ImportOptions(const Target& t)
{
  auto options = RTE::Parameter::CreateTree();
  options->Add(RTE::Parameter::CreateBool("ConvertByteToWord", "", "", 2, t.convertByteToWord,
                                          RTE::Parameter::C_Bool::EditorCheckBox));
  return options;
}

std::vector<Target> TargetsFor(const Recipe& r)
{
  std::vector<Target> targets;
  if (r.kind == Kind::Vector2C || r.kind == Kind::Vector3C)
  {
    for (const int pack : {0, 1, 2, 7, 19, 4098})
      targets.push_back({"vc7", pack});
    targets.push_back({"vec", 0, true});
    targets.push_back({"vec", 0, false});
    return targets;
  }
  for (int pack = 0; pack <= 19; ++pack)
    targets.push_back({"im7", pack});
  for (const int pack : {4096, 4097, 4098})
    targets.push_back({"im7", pack});
  if (r.type == DT_UInt8)
    targets.push_back({"im7", 2, false, true});
  targets.push_back({"img", 0, true});
  targets.push_back({"imx", 0, false});
  return targets;
}

//! The message an export must fail with, empty when it must succeed.
std::string Refusal(const I_Buffer& buffer, const Recipe& r, const Target& t)
{
  if (r.kind == Kind::Profile)
    return "Can't export this frame type to IM7.";
  if (r.mixedGrids)
    return "Can't export vector fields in VC7 with different grid sizes in the frames.";
  if (!t.Legacy() && r.type == DT_Int32 && (t.packType == 4097 || t.packType == 4098))
    return "Compression format not implemented yet.";
  if (t.Legacy() && r.oddFrame)
    return "IMG/IMX/VEC can't store frame " + std::to_string(r.frames) +
           ": it differs from frame 0 in type, size or components.";
  // Legacy files keep further components as planes of the frame's own type.
  const I_Frame& first = *buffer.GetFrame(0);
  for (unsigned c = 0; t.Legacy() && c < first.GetNumberOfComponents(); ++c)
  {
    const std::string name = first.GetComponentName(static_cast<int>(c));
    if (first.IsComponentDeletable(c) && name != "Peak ratio" &&
        first.GetComponentDataType(static_cast<int>(c)) != first.GetDataType())
      return "IMG/IMX/VEC can't store component " + name + ": its data type differs from the frame's.";
  }
  if (t.Legacy() && (r.kind == Kind::Vector2C || r.kind == Kind::Vector3C) &&
      (r.grids[1] != r.grids[0] || r.grids[2] != r.grids[0]))
    return "IMG/IMX/VEC can't store different vector grids in X, Y and Z.";
  return "";
}

std::string MessageOf(const std::function<void()>& action)
{
  try
  {
    action();
  }
  catch (const RTE::Exception& e)
  {
    return e.what();
  }
  return "";
}

unsigned EnvironmentNumber(const char* name, unsigned fallback)
{
  const char* text = std::getenv(name);
  return text && *text ? static_cast<unsigned>(std::strtoul(text, nullptr, 0)) : fallback;
}

class RandomRoundTrip : public testing::Test
{
protected:
  void SetUp() override
  {
    m_folder = std::filesystem::temp_directory_path() / ("buffer-roundtrip-" + std::to_string(::getpid()) + "-" +
                                                         testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_folder);
  }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

  std::filesystem::path m_folder;
};
} // namespace

TEST_F(RandomRoundTrip, EveryFormatGivesBackWhatItCanStore)
{
  const unsigned seed = EnvironmentNumber("BUFFER_ROUNDTRIP_SEED", 20240611);
  const unsigned count = EnvironmentNumber("BUFFER_ROUNDTRIP_COUNT", 40);
  unsigned failures = 0;
  for (unsigned n = 0; n < count && failures < 3; ++n)
  {
    // Each case has a seed of its own, so that one case replays alone.
    Random random(seed + 7919 * n);
    const Recipe recipe = RandomRecipe(random);
    const std::unique_ptr<I_Buffer> original = MakeBuffer(random, recipe);
    for (const Target& target : TargetsFor(recipe))
    {
      const std::string where = "seed " + std::to_string(seed) + " case " + std::to_string(n) + " (" + recipe.text +
                                ") through " + target.Text() +
                                "; replay with BUFFER_ROUNDTRIP_SEED=" + std::to_string(seed) +
                                " BUFFER_ROUNDTRIP_COUNT=" + std::to_string(n + 1);
      const std::string path = (m_folder / ("case." + target.extension)).string();
      const std::string refusal = Refusal(*original, recipe, target);
      const std::string message = MessageOf([&] { ExportBuffer(original.get(), path, ExportOptions(target, path)); });
      if (message != refusal)
      {
        ADD_FAILURE() << where << ": export said '" << message << "', expected '" << refusal << "'";
        ++failures;
        break;
      }
      if (!refusal.empty())
        continue;
      std::unique_ptr<I_Buffer> read;
      const std::string readMessage = MessageOf([&] { read.reset(ImportBuffer(path, ImportOptions(target))); });
      if (!readMessage.empty() || !read)
      {
        ADD_FAILURE() << where << ": import failed: " << readMessage;
        ++failures;
        break;
      }
      const std::string differences = Differences(FactsOf(*Expected(*original, recipe, target, path)), FactsOf(*read));
      if (!differences.empty())
      {
        ADD_FAILURE() << where << ":\n" << differences;
        ++failures;
        break; // one report a case
      }
    }
  }
}
