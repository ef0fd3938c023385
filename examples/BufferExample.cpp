// Example: builds a buffer with one frame of every type, attaches a few
// global and frame attributes, and prints what the buffer holds.
#include <BufferApi.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

using namespace BufferApi;

namespace
{
const char* DataTypeName(E_DataType type)
{
  switch (type)
  {
  case DT_Bool:
    return "bool";
  case DT_UInt8:
    return "uint8";
  case DT_RGB:
    return "rgb";
  case DT_Double:
    return "double";
  case DT_Float:
    return "float";
  case DT_Int32:
    return "int32";
  case DT_UInt32:
    return "uint32";
  case DT_UInt16:
    return "uint16";
  }
  return "unknown";
}

const char* FrameTypeName(const I_Frame* frame)
{
  // The interfaces tell the frame types apart; the most derived one first.
  if (dynamic_cast<const I_FrameRGB*>(frame))
    return "RGB";
  if (dynamic_cast<const I_FrameImage*>(frame))
    return "image";
  if (dynamic_cast<const I_FrameProfile*>(frame))
    return "profile";
  if (dynamic_cast<const I_FrameVector2C*>(frame))
    return "vector 2C";
  if (dynamic_cast<const I_FrameVector3C*>(frame))
    return "vector 3C";
  return "other";
}

//! Appends the dotted paths of every attribute below node.
void CollectAttributeNames(const I_AttributeBase* node, const std::string& prefix, std::vector<std::string>& names)
{
  std::vector<I_AttributeBase*> children;
  node->GetChildren(children);
  for (const I_AttributeBase* child : children)
  {
    const std::string path = prefix.empty() ? child->GetName() : prefix + "." + child->GetName();
    names.push_back(path);
    CollectAttributeNames(child, path, names);
  }
}

void PrintAttributeNames(const I_AttributeBase* root, const char* indent)
{
  std::vector<std::string> names;
  if (root)
    CollectAttributeNames(root, "", names);
  std::cout << indent << "attributes:";
  if (names.empty())
    std::cout << " (none)";
  for (const std::string& name : names)
    std::cout << ' ' << name;
  std::cout << '\n';
}

void PrintSummary(const I_Buffer& buffer)
{
  std::cout << "Buffer with " << buffer.GetNumberOfFrames() << " frames\n";
  PrintAttributeNames(buffer.GetAttributeRoot(), "  global ");
  for (unsigned i = 0; i < buffer.GetNumberOfFrames(); ++i)
  {
    const I_Frame* frame = buffer.GetFrame(i);
    std::cout << "Frame " << i << ": " << FrameTypeName(frame) << ", " << frame->GetWidth() << " x "
              << frame->GetHeight() << " x " << frame->GetDepth() << '\n';
    std::cout << "  components:";
    for (unsigned c = 0; c < frame->GetNumberOfComponents(); ++c)
      std::cout << ' ' << frame->GetComponentName(int(c)) << " (" << DataTypeName(frame->GetComponentDataType(int(c)))
                << ')';
    std::cout << '\n';
    PrintAttributeNames(frame->GetAttributeRoot(), "  ");
  }
}

void BuildFrames(I_Buffer& buffer)
{
  I_FrameImage* image = buffer.AddImageFrame(640, 480, 2, DT_UInt16);
  image->SetPixel(10, 20, 0, 1234.0);
  image->CreateValidMask();

  I_FrameRGB* rgb = buffer.AddRGBFrame(320, 240, 1);
  rgb->FillRGB({0x20, 0x40, 0x80, 0});
  rgb->SetIntPixel(0, 0, 0, 0x00FF8000u);

  I_FrameProfile* profile = buffer.AddProfileFrame(100, 3, DT_Float);
  for (unsigned i = 0; i < 100; ++i)
    profile->SetPointsAt(i, 0.5 * i, {double(i), 2.0 * i, 3.0 * i});

  I_FrameVector2C* vector2 = buffer.AddVectorFrame2C(40, 30, 1, 2, DT_Float, 16);
  vector2->SetActiveChoice(5, 5, 0, 1);

  buffer.AddVectorFrame3C(40, 30, 1, 1, DT_Float, 16);
}

void AddAttributes(I_Buffer& buffer)
{
  dynamic_cast<I_Attribute<std::string>&>(*buffer.CreateAttribute("Experiment.Name", AttrString))
      .SetValue("Channel flow");
  dynamic_cast<I_Attribute<double>&>(*buffer.CreateAttribute("Experiment.Temperature", AttrDouble)).SetValue(21.5);
  buffer.CreateAttributePlane("Calibration", 4, 1, DT_Double);

  I_Frame* image = buffer.GetFrame(0);
  dynamic_cast<I_Attribute<double>&>(*image->CreateAttribute("Exposure", AttrDouble)).SetValue(0.002);
  dynamic_cast<I_Attribute<int>&>(*image->CreateAttribute("Camera.Index", AttrInt32)).SetValue(1);
  buffer.GetFrame(3)->CreateAttribute("Processing.Passes", AttrUInt32);
}
} // namespace

int main()
{
  std::unique_ptr<I_Buffer> buffer(CreateBuffer());
  BuildFrames(*buffer);
  AddAttributes(*buffer);
  PrintSummary(*buffer);
  return 0;
}
