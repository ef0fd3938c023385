#include <BufferApi/C_BufferDump.h>

#include <BufferApi/C_PlaneMinMaxHistogram.h>
#include <BufferApi/E_AttributeType.h>
#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_AttributeBase.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameVector.h>
#include <BufferApi/I_PlaneBase.h>
#include <BufferApi/I_Scale.h>
#include <BufferApi/I_Unit.h>

#include <iomanip>
#include <sstream>
#include <vector>

namespace BufferApi
{
namespace
{
//! The six preview elements: columns 0 to 2 of rows 0 and 1.
constexpr unsigned kPreviewX[6] = {0, 1, 2, 0, 1, 2};
constexpr unsigned kPreviewY[6] = {0, 0, 0, 1, 1, 1};

//! Preview of an integer image. The reads are guarded, so that planes smaller
//! than 3 x 2 show 0 for the elements they lack.
std::string IntegerPreview(const I_PlaneBase& plane)
{
  std::ostringstream out;
  out << "Pixel";
  for (unsigned k = 0; k < 6; ++k)
  {
    out << ' ' << static_cast<unsigned>(plane.GetValue(kPreviewX[k], kPreviewY[k]));
  }
  out << '\n';
  return out.str();
}

std::string FloatingPreview(const I_PlaneBase& plane)
{
  std::ostringstream out;
  out << std::fixed << std::setprecision(3) << "Pixel ";
  for (unsigned k = 0; k < 6; ++k)
  {
    if (k > 0)
    {
      out << ' ';
    }
    out << std::setw(10) << plane.GetValue(kPreviewX[k], kPreviewY[k]);
  }
  out << '\n';
  return out.str();
}

const char* PlaneElementName(E_DataType type)
{
  switch (type)
  {
  case DT_UInt16:
    return "word";
  case DT_Int32:
    return "int32";
  default:
    return "float";
  }
}
} // namespace

C_BufferDump::C_BufferDump(const I_Buffer* buffer)
    : m_buffer(buffer)
{
}

C_BufferDump::~C_BufferDump() = default;

std::string C_BufferDump::DumpScale(I_Scale* scale, char axis) const
{
  std::ostringstream out;
  out << axis;
  if (!scale)
  {
    out << "-Scale: not defined\n";
    return out.str();
  }
  const double offset = scale->ToWorld(0.0);
  const I_Unit* unit = scale->GetUnit();
  // A scale without unit shows an empty symbol rather than failing.
  out << "-Scale: " << scale->ToWorld(1.0) - offset << ' ' << offset << " [" << (unit ? unit->GetSymbol() : "") << "] "
      << scale->GetDescription() << '\n';
  return out.str();
}

std::string C_BufferDump::DumpAttribute(I_AttributeBase* attribute, const std::string& indent) const
{
  std::ostringstream out;
  out << indent << "Attribute: " << attribute->GetName() << '\n';
  const auto* planeAttribute =
      attribute->GetType() == AttrPlane ? dynamic_cast<const I_AttributePlane*>(attribute) : nullptr;
  const auto* stringAttribute =
      attribute->GetType() == AttrString ? dynamic_cast<const I_Attribute<std::string>*>(attribute) : nullptr;
  if (planeAttribute)
  {
    const I_PlaneBase* plane = planeAttribute->GetPlane();
    if (plane)
    {
      out << " (plane): " << plane->GetWidth() << " x " << plane->GetHeight() << " of type "
          << PlaneElementName(plane->GetDataType());
    }
    else
    {
      out << " (plane): empty";
    }
  }
  else if (stringAttribute)
  {
    out << " (string): " << stringAttribute->GetValue();
  }
  else
  {
    out << " (unknown type)";
  }
  out << '\n';

  std::vector<I_AttributeBase*> children;
  attribute->GetChildren(children);
  if (!children.empty())
  {
    out << indent << " #" << children.size() << " subitems\n";
    for (auto child = children.rbegin(); child != children.rend(); ++child)
    {
      out << DumpAttribute(*child, indent + "  ");
    }
  }
  return out.str();
}

std::string C_BufferDump::ToString() const
{
  if (!m_buffer)
  {
    return std::string();
  }
  std::ostringstream out;

  std::vector<I_AttributeBase*> globals;
  if (I_AttributeBase* root = m_buffer->GetAttributeRoot())
  {
    root->GetChildren(globals);
  }
  out << "Global Attributes: " << globals.size() << '\n';
  for (auto child = globals.rbegin(); child != globals.rend(); ++child)
  {
    out << DumpAttribute(*child, " ");
  }

  const std::size_t frameCount = m_buffer->GetNumberOfFrames();
  out << "Frames: " << frameCount << '\n';
  for (std::size_t i = 0; i < frameCount; ++i)
  {
    I_Frame* frame = m_buffer->GetFrame(static_cast<unsigned>(i));
    out << "Frame #" << i << '\n' << "\tName: " << frame->GetName() << '\n';

    std::string kind = "unknown";
    std::string preview;
    auto* image = dynamic_cast<I_FrameImage*>(frame);
    if (image)
    {
      kind = "Image";
      if (const I_PlaneBase* plane = image->GetPlane(0u))
      {
        switch (plane->GetDataType())
        {
        case DT_UInt8:
          kind = "Byte-Image";
          preview = IntegerPreview(*plane);
          break;
        case DT_UInt16:
          kind = "Word-Image";
          preview = IntegerPreview(*plane);
          break;
        case DT_Float:
          kind = "Float-Image";
          preview = FloatingPreview(*plane);
          break;
        case DT_Double:
          kind = "Double-Image";
          preview = FloatingPreview(*plane);
          break;
        default:
          break;
        }
      }
    }
    out << "\tType: " << kind << '\n';
    out << "\tSize: " << frame->GetWidth() << " x " << frame->GetHeight() << " x " << frame->GetDepth() << '\n';
    const bool hasValueScale = image || dynamic_cast<I_FrameVector*>(frame);
    out << '\t' << DumpScale(frame->GetScaleX(), 'X');
    out << '\t' << DumpScale(frame->GetScaleY(), 'Y');
    out << '\t' << DumpScale(frame->GetScaleZ(), 'Z');
    out << '\t' << DumpScale(hasValueScale ? frame->GetScaleI() : nullptr, 'I');

    // The full range: a narrowed one would cut outliers the dump should show.
    C_PlaneMinMaxHistogram range(100.0);
    range.Process(frame, I_FrameImage::COMPONENT_PIXEL);
    range.Finish(C_PlaneMinMaxHistogram::CMMode_Range);
    out << "\tMin= " << range.GetMin() << ", Max= " << range.GetMax() << ", Count= " << range.GetCount() << '\n';

    out << '\t' << preview;
    const unsigned componentCount = frame->GetNumberOfComponents();
    out << "\tComponents: " << componentCount << '\n';
    for (unsigned c = 0; c < componentCount; ++c)
    {
      out << "\t#" << c << " Name: " << frame->GetComponentName(static_cast<int>(c)) << '\n';
    }
  }
  return out.str();
}

} // namespace BufferApi
