#include <BufferApi/C_InterpolatedPixelHelper.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameImage.h>
#include <BufferApi/I_FrameRGB.h>
#include <BufferApi/I_PlaneBase.h>

#include <RTE/Exception.h>

#include "C_FrameImage.h"
#include "C_Plane.h"
#include "MaskedBilinear.h"
#include "PlaneConversion.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <typeinfo>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

//! Frame sizes as the int the arithmetic uses; no real frame comes near.
int ToInt(unsigned size)
{
  return size > static_cast<unsigned>(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

//! Below 0 becomes 0; anything not below the limit (NaN included) becomes the
//! limit, so every position lands inside the plane.
template <typename T>
T Clamp(T value, T limit)
{
  if (value < 0)
  {
    return 0;
  }
  return value < limit ? value : limit;
}

unsigned char ChannelByte(float value)
{
  // Truncation toward zero; the bounds only catch rounding just past 255.
  if (!(value > 0))
  {
    return 0;
  }
  return value >= 255 ? 255 : static_cast<unsigned char>(static_cast<int>(value));
}

using Detail::MaskedBilinearParts::kA;
using Detail::MaskedBilinearParts::kB;
using Detail::MaskedBilinearParts::kC;
using Detail::MaskedBilinearParts::kD;
constexpr unsigned kAll = kA | kB | kC | kD;

//! The cell of a clamped position: its upper-left pixel (px, py), the
//! fractions towards the next column and row, and whether they exist.
struct S_Cell
{
  unsigned px;
  unsigned py;
  double fx;
  double fy;
  bool hasRight;
  bool hasBelow;
};

[[gnu::always_inline]] inline S_Cell MakeCell(float x, float y, int widthMinus1, int heightMinus1)
{
  const double cx = Clamp<double>(x, widthMinus1);
  const double cy = Clamp<double>(y, heightMinus1);
  const int ix = static_cast<int>(cx);
  const int iy = static_cast<int>(cy);
  return {static_cast<unsigned>(ix), static_cast<unsigned>(iy), cx - ix, cy - iy, ix < widthMinus1, iy < heightMinus1};
}

//! The neighbours whose bytes in the caller's mask are exactly 1; those
//! beyond the last column or row are invalid.
[[gnu::always_inline]] inline unsigned CallerMaskSet(const unsigned char* mask, int width, const S_Cell& cell)
{
  // size_t arithmetic: W x H may exceed the int range.
  const std::size_t w = static_cast<std::size_t>(width);
  const unsigned char* row = mask + std::size_t(cell.py) * w + cell.px;
  unsigned set = row[0] == 1 ? kA : 0;
  if (cell.hasRight && row[1] == 1)
  {
    set |= kB;
  }
  if (cell.hasBelow)
  {
    set |= row[w] == 1 ? kC : 0;
    set |= cell.hasRight && row[w + 1] == 1 ? kD : 0;
  }
  return set;
}

//! The data of a plane of the library's own class C_Plane<T>, read exactly as
//! its guarded GetValue and GetIntValue read it, without the virtual calls.
template <typename T>
struct S_TypedPlane
{
  const T* data;
  unsigned width;
  unsigned height;

  bool IsInside(unsigned x, unsigned y) const { return data && x < width && y < height; }
  //! The four neighbours (x, y), (x + 1, y), (x, y + 1), (x + 1, y + 1) as
  //! four guarded reads give them (default Out outside the plane), with one
  //! bounds test when all lie inside.
  template <typename Out, typename Convert>
  [[gnu::always_inline]] void Quad(unsigned x, unsigned y, Out out[4], Convert convert) const
  {
    if (data && x + 1 < width && y + 1 < height)
    {
      const T* row = data + std::size_t(y) * width + x;
      out[0] = convert(row[0]);
      out[1] = convert(row[1]);
      out[2] = convert(row[width]);
      out[3] = convert(row[width + 1]);
      return;
    }
    const unsigned xs[4] = {x, x + 1, x, x + 1};
    const unsigned ys[4] = {y, y, y + 1, y + 1};
    for (int i = 0; i < 4; ++i)
    {
      out[i] = IsInside(xs[i], ys[i]) ? convert(data[std::size_t(ys[i]) * width + xs[i]]) : Out{};
    }
  }
};

//! Calls visit(S_TypedPlane<T>) when plane is exactly a C_Plane<T> and returns
//! true; false for any other class (RGB planes, foreign implementations), for
//! which the caller uses the virtual accessors. The class test compares the
//! type_info addresses only, so a miss costs a few compares and at worst sends
//! a plane of ours down the virtual path, which gives the same values.
template <typename T, typename Visit>
[[gnu::always_inline]] inline bool VisitAs(const I_PlaneBase& plane, const std::type_info& type, Visit& visit)
{
  if (&type != &typeid(C_Plane<T>))
  {
    return false;
  }
  // The most derived object is a C_Plane<T>: reach it without a cross cast.
  const auto& typed = *static_cast<const C_Plane<T>*>(dynamic_cast<const void*>(&plane));
  visit(S_TypedPlane<T>{static_cast<const T*>(typed.C_Plane<T>::GetData()), typed.C_PlaneBase::GetWidth(),
                        typed.C_PlaneBase::GetHeight()});
  return true;
}

//! The element type is resolved once per call; First is tried first (the
//! type the plane has in the common case).
template <typename First, typename Visit>
[[gnu::always_inline]] inline bool VisitTyped(const I_PlaneBase& plane, Visit visit)
{
  const std::type_info& type = typeid(plane);
  return VisitAs<First>(plane, type, visit) || VisitAs<unsigned short>(plane, type, visit) ||
         VisitAs<unsigned char>(plane, type, visit) || VisitAs<float>(plane, type, visit) ||
         VisitAs<int>(plane, type, visit) || VisitAs<unsigned int>(plane, type, visit) ||
         VisitAs<double>(plane, type, visit);
}

//! Reads the four neighbours of an interior cell (all four inside the plane)
//! straight from the data of the library's own plane classes, converted by
//! convert; false, out untouched, for a border cell or another plane class.
template <typename First, typename Out, typename Convert>
[[gnu::always_inline]] inline bool ReadInterior(const I_PlaneBase& plane, unsigned px, unsigned py, Out out[4],
                                                Convert convert)
{
  bool read = false;
  const auto fromTyped = [&](const auto& typed)
  {
    if (typed.data && px + 1 < typed.width && py + 1 < typed.height)
    {
      const auto* row = typed.data + std::size_t(py) * typed.width + px;
      out[0] = convert(row[0]);
      out[1] = convert(row[1]);
      out[2] = convert(row[typed.width]);
      out[3] = convert(row[typed.width + 1]);
      read = true;
    }
  };
  return VisitTyped<First>(plane, fromTyped) && read;
}

//! ReadInterior for the one class C_Plane<T>.
template <typename T, typename Out, typename Convert>
[[gnu::always_inline]] inline bool ReadInteriorAs(const I_PlaneBase& plane, unsigned px, unsigned py, Out out[4],
                                                  Convert convert)
{
  if (&typeid(plane) != &typeid(C_Plane<T>))
  {
    return false;
  }
  const auto& typed = *static_cast<const C_Plane<T>*>(dynamic_cast<const void*>(&plane));
  const T* data = static_cast<const T*>(typed.C_Plane<T>::GetData());
  const unsigned width = typed.C_PlaneBase::GetWidth();
  if (data == nullptr || px + 1 >= width || py + 1 >= typed.C_PlaneBase::GetHeight())
  {
    return false;
  }
  const T* row = data + std::size_t(py) * width + px;
  out[0] = convert(row[0]);
  out[1] = convert(row[1]);
  out[2] = convert(row[width]);
  out[3] = convert(row[width + 1]);
  return true;
}

struct S_ToDouble
{
  template <typename T>
  double operator()(T e) const
  {
    return static_cast<double>(e);
  }
};

//! The frame's IsValid on a mask plane: the guarded integer value is not 0.
struct S_IsSet
{
  template <typename T>
  bool operator()(T e) const
  {
    return Detail::ToInt<T>(e) != 0;
  }
};

//! Reads the four neighbours of the interior cell of (x, y) when the helper
//! reads a grey image (grey not null) whose pixel plane is of the library's
//! own classes: the cell and its values; false for every other case.
[[gnu::always_inline]] inline bool ReadGreyInterior(const C_FrameImage* grey, unsigned planeIndex, int width,
                                                    int height, float x, float y, S_Cell& cell, double q[4])
{
  if (grey == nullptr || width <= 0 || height <= 0)
  {
    return false;
  }
  cell = MakeCell(x, y, width - 1, height - 1);
  // A grey image's GetPixel is its pixel plane's guarded read: the plane is
  // looked up and its element type resolved once instead of four times.
  const I_PlaneBase* plane = grey->C_FrameImage::GetPlane(planeIndex);
  return cell.hasRight && cell.hasBelow && plane != nullptr &&
         ReadInterior<unsigned short>(*plane, cell.px, cell.py, q, S_ToDouble{});
}

//! All four neighbours of an interior cell valid in the caller's mask.
[[gnu::always_inline]] inline bool CallerMaskAll(const unsigned char* mask, int width, const S_Cell& cell)
{
  const std::size_t w = static_cast<std::size_t>(width);
  const unsigned char* row = mask + std::size_t(cell.py) * w + cell.px;
  return row[0] == 1 && row[1] == 1 && row[w] == 1 && row[w + 1] == 1;
}

//! All four neighbours of an interior cell valid in the frame's mask, when
//! that can be told from a mask plane of the usual 8-bit class.
[[gnu::always_inline]] inline bool FrameMaskAll(const C_FrameImage& grey, unsigned planeIndex, const S_Cell& cell)
{
  const C_Component* maskComponent = grey.GetMaskComponent();
  if (maskComponent == nullptr)
  {
    return true;
  }
  const I_PlaneBase* plane = maskComponent->GetPlane(planeIndex);
  bool flags[4];
  return plane != nullptr && ReadInteriorAs<unsigned char>(*plane, cell.px, cell.py, flags, S_IsSet{}) && flags[0] &&
         flags[1] && flags[2] && flags[3];
}

//! The plain bilinear value: what the masked interpolation gives for a full set.
[[gnu::always_inline]] inline float FullSet(const S_Cell& cell, const double q[4], bool* valid)
{
  if (valid != nullptr)
  {
    *valid = true;
  }
  return static_cast<float>(Detail::MaskedBilinearParts::Bilinear(cell.fx, cell.fy, q[0], q[1], q[2], q[3]));
}

unsigned SetOf(const bool flags[4])
{
  return (flags[0] ? kA : 0) | (flags[1] ? kB : 0) | (flags[2] ? kC : 0) | (flags[3] ? kD : 0);
}

//! The set of valid neighbours from the plane of a mask component, for any
//! cell and plane class.
[[gnu::noinline]] unsigned MaskPlaneSet(const I_PlaneBase& plane, unsigned px, unsigned py)
{
  bool flags[4] = {false, false, false, false};
  const auto fromTyped = [&](const auto& typed) { typed.Quad(px, py, flags, S_IsSet{}); };
  if (!VisitTyped<unsigned char>(plane, fromTyped))
  {
    const unsigned xs[4] = {px, px + 1, px, px + 1};
    const unsigned ys[4] = {py, py, py + 1, py + 1};
    for (int i = 0; i < 4; ++i)
    {
      flags[i] = plane.GetIntValue(xs[i], ys[i]) != 0;
    }
  }
  return SetOf(flags);
}

//! The masked interpolation of a set that is neither empty nor full.
[[gnu::noinline]] float CombinePartial(const S_Cell& cell, const double q[4], unsigned set, bool* valid)
{
  double result = 0;
  const bool isValid = Detail::MaskedBilinear(cell.fx, cell.fy, q[0], q[1], q[2], q[3], (set & kA) != 0,
                                              (set & kB) != 0, (set & kC) != 0, (set & kD) != 0, &result);
  if (valid != nullptr)
  {
    *valid = isValid;
  }
  return static_cast<float>(result);
}

//! The masked bilinear value of the four neighbour values for the valid set
//! (not empty); a full set takes the plain weights, which is what the masked
//! interpolation gives for it.
[[gnu::always_inline]] inline float Combine(const S_Cell& cell, const double q[4], unsigned set, bool* valid)
{
  if (set != kAll)
  {
    return CombinePartial(cell, q, set, valid);
  }
  if (valid != nullptr)
  {
    *valid = true;
  }
  return static_cast<float>(Detail::MaskedBilinearParts::Bilinear(cell.fx, cell.fy, q[0], q[1], q[2], q[3]));
}

//! Which validity the fast path tests.
enum class E_Validity
{
  All,
  CallerMask,
  FrameMask
};

//! Two bytes at p and two at p + stride as one word, for testing all four at once.
[[gnu::always_inline]] inline std::uint32_t FourBytes(const unsigned char* p, std::size_t stride)
{
  std::uint16_t upper = 0;
  std::uint16_t lower = 0;
  std::memcpy(&upper, p, sizeof(upper));
  std::memcpy(&lower, p + stride, sizeof(lower));
  return std::uint32_t(upper) | std::uint32_t(lower) << 16;
}

//! No byte of v is 0.
[[gnu::always_inline]] inline bool NoZeroByte(std::uint32_t v)
{
  return ((v - 0x01010101U) & ~v & 0x80808080U) == 0;
}

template <typename T>
[[gnu::always_inline]] inline double Bilinear(const void* data, std::size_t offset, std::size_t stride, double fx,
                                              double fy)
{
  const T* p = static_cast<const T*>(data) + offset;
  return Detail::MaskedBilinearParts::Bilinear(fx, fy, static_cast<double>(p[0]), static_cast<double>(p[1]),
                                               static_cast<double>(p[stride]), static_cast<double>(p[stride + 1]));
}

//! Pixel plane 0 of a grey image, read through the first planes the frame
//! keeps at hand (two loads to the elements instead of a walk through the
//! component and a class test): when the cell of (x, y), clamped as MakeCell
//! does, lies inside the frame and the plane and its four neighbours are
//! valid, true and the plain bilinear value in *result; false for every other
//! case, which InterpolateAnyCell takes.
template <E_Validity validity>
[[gnu::always_inline]] inline bool FirstPlaneAllValid(const C_FrameImage& grey, int widthMinus1, int heightMinus1,
                                                      double limitX, double limitY, float x, float y,
                                                      const unsigned char* mask, float* result)
{
  const C_PlaneBase* plane = grey.GetFirstPixelPlane();
  if (plane == nullptr)
  {
    return false;
  }
  double cx = x;
  double cy = y;
  cx = cx < 0 ? 0.0 : cx;
  cy = cy < 0 ? 0.0 : cy;
  cx = cx < limitX ? cx : limitX;
  cy = cy < limitY ? cy : limitY;
  const int ix = static_cast<int>(cx);
  const int iy = static_cast<int>(cy);
  const unsigned px = static_cast<unsigned>(ix);
  const unsigned py = static_cast<unsigned>(iy);
  const unsigned width = plane->C_PlaneBase::GetWidth();
  const void* data = plane->GetElements();
  if (!((ix < widthMinus1) && (iy < heightMinus1) && (px + 1 < width) && (py + 1 < plane->C_PlaneBase::GetHeight()) &&
        (data != nullptr)))
  {
    return false;
  }
  const std::size_t offset = std::size_t(py) * width + px;
  if constexpr (validity == E_Validity::CallerMask)
  {
    // The caller's mask has the frame's width; bytes of exactly 1 are valid.
    const std::size_t stride = static_cast<std::size_t>(widthMinus1) + 1;
    if (FourBytes(mask + std::size_t(py) * stride + px, stride) != 0x01010101U)
    {
      return false;
    }
  }
  if constexpr (validity == E_Validity::FrameMask)
  {
    // IsValid of an 8-bit mask plane: the byte is not 0. A mask plane of
    // the pixel plane's size (as a mask normally is) shares its offsets;
    // without a mask plane, the mask component decides.
    const C_PlaneBase* maskPlane = grey.GetFirstMaskPlane();
    if (maskPlane == nullptr)
    {
      if (grey.GetMaskComponent() != nullptr)
      {
        return false;
      }
    }
    else
    {
      const auto* bits = static_cast<const unsigned char*>(maskPlane->GetElements());
      if (!((maskPlane->GetElementType() == DT_UInt8) && (maskPlane->C_PlaneBase::GetWidth() == width) &&
            (maskPlane->C_PlaneBase::GetHeight() == plane->C_PlaneBase::GetHeight()) && (bits != nullptr)) ||
          !NoZeroByte(FourBytes(bits + offset, width)))
      {
        return false;
      }
    }
  }
  const double fx = cx - ix;
  const double fy = cy - iy;
  double value = 0;
  const E_DataType type = plane->GetElementType();
  // The camera type ahead of the jump table: measurably faster.
  if (type == DT_UInt16)
  {
    *result = static_cast<float>(Bilinear<unsigned short>(data, offset, width, fx, fy));
    return true;
  }
  switch (type)
  {
  case DT_UInt8:
    value = Bilinear<unsigned char>(data, offset, width, fx, fy);
    break;
  case DT_Float:
    value = Bilinear<float>(data, offset, width, fx, fy);
    break;
  case DT_Int32:
    value = Bilinear<int>(data, offset, width, fx, fy);
    break;
  case DT_UInt32:
    value = Bilinear<unsigned int>(data, offset, width, fx, fy);
    break;
  case DT_Double:
    value = Bilinear<double>(data, offset, width, fx, fy);
    break;
  default:
    return false;
  }
  *result = static_cast<float>(value);
  return true;
}

float Valid(float value, bool* valid)
{
  if (valid != nullptr)
  {
    *valid = true;
  }
  return value;
}

float Invalid(bool* valid)
{
  if (valid != nullptr)
  {
    *valid = false;
  }
  return 0.0f;
}
} // namespace

C_InterpolatedPixelHelper::C_InterpolatedPixelHelper(I_Frame* frame, unsigned plane)
    : C_FrameHelperBase(frame)
    , m_plane(plane)
{
  Init();
}

C_InterpolatedPixelHelper::C_InterpolatedPixelHelper(I_Buffer* buffer, unsigned frameIndex, unsigned plane)
    : C_FrameHelperBase(buffer, frameIndex)
    , m_plane(plane)
{
  Init();
}

C_InterpolatedPixelHelper::~C_InterpolatedPixelHelper() = default;

void C_InterpolatedPixelHelper::Init()
{
  I_Frame* frame = GetFrame();
  m_image = dynamic_cast<I_FrameImage*>(frame);
  m_rgb = dynamic_cast<I_FrameRGB*>(frame);
  // Only the exact class: a derived one may read its pixels or mask differently.
  m_grey =
      frame != nullptr && typeid(*frame) == typeid(C_FrameImage) ? dynamic_cast<const C_FrameImage*>(frame) : nullptr;
  if (frame == nullptr)
  {
    m_width = m_height = m_widthMinus1 = m_heightMinus1 = 0;
    return;
  }
  m_width = ToInt(frame->GetWidth());
  m_height = ToInt(frame->GetHeight());
  m_widthMinus1 = m_width - 1;
  m_heightMinus1 = m_height - 1;
  m_limitX = m_widthMinus1;
  m_limitY = m_heightMinus1;
  m_firstPlaneFrame = m_plane == 0 ? m_grey : nullptr;
}

float C_InterpolatedPixelHelper::GetInterpolatedPixel(float x, float y, bool* mask, bool useFrameMask,
                                                      bool* valid) const
{
  // The mask is read byte-wise: an element is valid only when it is exactly
  // 1, and bytes other than 0 or 1 are no trap.
  return Interpolate(x, y, reinterpret_cast<const unsigned char*>(mask), useFrameMask, valid);
}

float C_InterpolatedPixelHelper::GetInterpolatedPixel(float x, float y, const bool* mask, std::size_t maskSize,
                                                      bool useFrameMask, bool* valid) const
{
  if (mask != nullptr && maskSize < static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height))
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The mask is smaller than the plane.");
  }
  return Interpolate(x, y, reinterpret_cast<const unsigned char*>(mask), useFrameMask, valid);
}

// The common case, an interior cell of a grey image of the library's own
// classes whose four neighbours are valid, is done in small functions per
// kind of mask, without calls; every other case goes to InterpolateAnyCell,
// which gives the same result for this case too.
float C_InterpolatedPixelHelper::Interpolate(float x, float y, const unsigned char* mask, bool useFrameMask,
                                             bool* valid) const
{
  if (mask != nullptr)
  {
    return InterpolateCallerMask(x, y, mask, valid);
  }
  return useFrameMask ? InterpolateFrameMask(x, y, valid) : InterpolateNoMask(x, y, valid);
}

float C_InterpolatedPixelHelper::InterpolateNoMask(float x, float y, bool* valid) const
{
  if (m_firstPlaneFrame == nullptr)
  {
    return InterpolateInterior(x, y, nullptr, false, valid);
  }
  float result = 0;
  return FirstPlaneAllValid<E_Validity::All>(*m_firstPlaneFrame, m_widthMinus1, m_heightMinus1, m_limitX, m_limitY, x,
                                             y, nullptr, &result)
             ? Valid(result, valid)
             : InterpolateAnyCell(x, y, nullptr, false, valid);
}

float C_InterpolatedPixelHelper::InterpolateCallerMask(float x, float y, const unsigned char* mask, bool* valid) const
{
  if (m_firstPlaneFrame == nullptr)
  {
    return InterpolateInterior(x, y, mask, false, valid);
  }
  float result = 0;
  return FirstPlaneAllValid<E_Validity::CallerMask>(*m_firstPlaneFrame, m_widthMinus1, m_heightMinus1, m_limitX,
                                                    m_limitY, x, y, mask, &result)
             ? Valid(result, valid)
             : InterpolateAnyCell(x, y, mask, false, valid);
}

float C_InterpolatedPixelHelper::InterpolateFrameMask(float x, float y, bool* valid) const
{
  if (m_firstPlaneFrame == nullptr)
  {
    return InterpolateInterior(x, y, nullptr, true, valid);
  }
  float result = 0;
  return FirstPlaneAllValid<E_Validity::FrameMask>(*m_firstPlaneFrame, m_widthMinus1, m_heightMinus1, m_limitX,
                                                   m_limitY, x, y, nullptr, &result)
             ? Valid(result, valid)
             : InterpolateAnyCell(x, y, nullptr, true, valid);
}

[[gnu::noinline]] float C_InterpolatedPixelHelper::InterpolateInterior(float x, float y, const unsigned char* mask,
                                                                       bool useFrameMask, bool* valid) const
{
  S_Cell cell;
  double q[4];
  if (ReadGreyInterior(m_grey, m_plane, m_width, m_height, x, y, cell, q) &&
      (mask != nullptr ? CallerMaskAll(mask, m_width, cell) : !useFrameMask || FrameMaskAll(*m_grey, m_plane, cell)))
  {
    return FullSet(cell, q, valid);
  }
  return InterpolateAnyCell(x, y, mask, useFrameMask, valid);
}

[[gnu::noinline]] float C_InterpolatedPixelHelper::InterpolateAnyCell(float x, float y, const unsigned char* mask,
                                                                      bool useFrameMask, bool* valid) const
{
  if (m_image == nullptr || m_width <= 0 || m_height <= 0)
  {
    // Nothing to read: no image frame, or an empty one.
    return Invalid(valid);
  }
  const S_Cell cell = MakeCell(x, y, m_widthMinus1, m_heightMinus1);
  unsigned set = kAll;
  if (mask != nullptr)
  {
    set = CallerMaskSet(mask, m_width, cell);
  }
  else if (useFrameMask)
  {
    set = FrameMaskSet(cell.px, cell.py);
  }
  if (set == 0)
  {
    return Invalid(valid);
  }
  double values[4];
  const I_PlaneBase* plane = m_grey != nullptr ? m_grey->C_FrameImage::GetPlane(m_plane) : nullptr;
  if (plane == nullptr || !ReadInterior<unsigned short>(*plane, cell.px, cell.py, values, S_ToDouble{}))
  {
    Neighbours(cell.px, cell.py, values);
  }
  return Combine(cell, values, set, valid);
}

unsigned C_InterpolatedPixelHelper::FrameMaskSet(unsigned px, unsigned py) const
{
  if (m_grey == nullptr)
  {
    return FrameMaskSetByCalls(px, py);
  }
  // The frame's IsValid for the four neighbours, with the mask plane looked
  // up once: no mask component: all valid; no plane: none.
  const C_Component* maskComponent = m_grey->GetMaskComponent();
  if (maskComponent == nullptr)
  {
    return kAll;
  }
  const I_PlaneBase* plane = maskComponent->GetPlane(m_plane);
  if (plane == nullptr)
  {
    return 0;
  }
  bool flags[4];
  return ReadInterior<unsigned char>(*plane, px, py, flags, S_IsSet{}) ? SetOf(flags) : MaskPlaneSet(*plane, px, py);
}

[[gnu::noinline]] unsigned C_InterpolatedPixelHelper::FrameMaskSetByCalls(unsigned px, unsigned py) const
{
  const unsigned xs[4] = {px, px + 1, px, px + 1};
  const unsigned ys[4] = {py, py, py + 1, py + 1};
  bool flags[4];
  for (int i = 0; i < 4; ++i)
  {
    flags[i] = m_image->IsValid(xs[i], ys[i], m_plane);
  }
  return SetOf(flags);
}

[[gnu::noinline]] void C_InterpolatedPixelHelper::Neighbours(unsigned px, unsigned py, double values[4]) const
{
  // Guarded reads: a neighbour beyond the border (weight 0) or a missing
  // plane reads 0; frames other than the grey image (RGB: the packed colour
  // value) answer GetPixel themselves.
  const unsigned xs[4] = {px, px + 1, px, px + 1};
  const unsigned ys[4] = {py, py, py + 1, py + 1};
  const I_PlaneBase* plane = m_grey != nullptr ? m_grey->C_FrameImage::GetPlane(m_plane) : nullptr;
  const auto fromTyped = [&](const auto& typed) { typed.Quad(px, py, values, S_ToDouble{}); };
  if (m_grey != nullptr && plane == nullptr)
  {
    for (int i = 0; i < 4; ++i)
    {
      values[i] = 0.0;
    }
  }
  else if (plane == nullptr || !VisitTyped<unsigned short>(*plane, fromTyped))
  {
    for (int i = 0; i < 4; ++i)
    {
      values[i] = m_image->GetPixel(xs[i], ys[i], m_plane);
    }
  }
}

tagRGBQUAD C_InterpolatedPixelHelper::GetInterpolatedRGB(float x, float y) const
{
  if (m_rgb == nullptr || m_width <= 0 || m_height <= 0)
  {
    return {0, 0, 0, 0};
  }

  const float cx = Clamp<float>(x, static_cast<float>(m_widthMinus1));
  const float cy = Clamp<float>(y, static_cast<float>(m_heightMinus1));
  // A huge limit may round up as a float: keep the index inside the frame.
  const int ix = std::min(static_cast<int>(cx), m_widthMinus1);
  const int iy = std::min(static_cast<int>(cy), m_heightMinus1);
  const float fx = cx - static_cast<float>(ix);
  const float fy = cy - static_cast<float>(iy);
  const unsigned px = static_cast<unsigned>(ix);
  const unsigned py = static_cast<unsigned>(iy);
  const bool hasRight = ix < m_widthMinus1;
  const bool hasBelow = iy < m_heightMinus1;

  const tagRGBQUAD a = m_rgb->GetRGB(px, py, m_plane);
  if (!hasRight && !hasBelow)
  {
    return a;
  }

  tagRGBQUAD out{0, 0, 0, 0};
  if (hasRight && hasBelow)
  {
    const tagRGBQUAD b = m_rgb->GetRGB(px + 1, py, m_plane);
    const tagRGBQUAD c = m_rgb->GetRGB(px, py + 1, m_plane);
    const tagRGBQUAD d = m_rgb->GetRGB(px + 1, py + 1, m_plane);
    const auto mix = [&](unsigned char tagRGBQUAD::*channel)
    {
      return ChannelByte(a.*channel * (1 - fx) * (1 - fy) + b.*channel * fx * (1 - fy) + c.*channel * (1 - fx) * fy +
                         d.*channel * fx * fy);
    };
    out.rgbRed = mix(&tagRGBQUAD::rgbRed);
    out.rgbGreen = mix(&tagRGBQUAD::rgbGreen);
    out.rgbBlue = mix(&tagRGBQUAD::rgbBlue);
  }
  else if (hasRight)
  {
    const tagRGBQUAD b = m_rgb->GetRGB(px + 1, py, m_plane);
    const auto mix = [&](unsigned char tagRGBQUAD::*channel)
    { return ChannelByte(a.*channel * (1 - fx) + b.*channel * fx); };
    out.rgbRed = mix(&tagRGBQUAD::rgbRed);
    out.rgbGreen = mix(&tagRGBQUAD::rgbGreen);
    out.rgbBlue = mix(&tagRGBQUAD::rgbBlue);
  }
  else
  {
    const tagRGBQUAD c = m_rgb->GetRGB(px, py + 1, m_plane);
    const auto mix = [&](unsigned char tagRGBQUAD::*channel)
    { return ChannelByte(a.*channel * (1 - fy) + c.*channel * fy); };
    out.rgbRed = mix(&tagRGBQUAD::rgbRed);
    out.rgbGreen = mix(&tagRGBQUAD::rgbGreen);
    out.rgbBlue = mix(&tagRGBQUAD::rgbBlue);
  }
  return out;
}
} // namespace BufferApi
