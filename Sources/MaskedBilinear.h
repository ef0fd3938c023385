#pragma once

// The masked bilinear interpolation of BilinearInterpolationGetMaskedValue,
// inline, so that per-pixel callers inside the library avoid the call.

namespace BufferApi
{
namespace Detail
{
namespace MaskedBilinearParts
{
// Bits of the neighbour set; a quadrant index uses the same numbering.
constexpr unsigned kA = 1;
constexpr unsigned kB = 2;
constexpr unsigned kC = 4;
constexpr unsigned kD = 8;

inline double Bilinear(double fx, double fy, double v00, double v10, double v01, double v11)
{
  return (1 - fx) * (1 - fy) * v00 + fx * (1 - fy) * v10 + (1 - fx) * fy * v01 + fx * fy * v11;
}

//! Midpoint of an edge of which at least one end is valid.
inline double EdgeMid(double p, bool validP, double q, bool validQ)
{
  if (validP && validQ)
  {
    return (p + q) / 2;
  }
  return validP ? p : q;
}

//! Local coordinate inside the half of the cell that holds f.
inline double Local(double f)
{
  return f < 0.5 ? 2 * f : 2 * (f - 0.5);
}

//! Two diagonal or three valid neighbours: every edge has a valid end.
inline double QuadrantValue(unsigned quadrant, double fx, double fy, double a, double b, double c, double d,
                            bool validA, bool validB, bool validC, bool validD)
{
  double sum = 0;
  int count = 0;
  const double values[4] = {a, b, c, d};
  const bool valid[4] = {validA, validB, validC, validD};
  for (int i = 0; i < 4; ++i)
  {
    if (valid[i])
    {
      sum += values[i];
      ++count;
    }
  }
  const double m = sum / count;
  const double mAB = EdgeMid(a, validA, b, validB);
  const double mAC = EdgeMid(a, validA, c, validC);
  const double mBD = EdgeMid(b, validB, d, validD);
  const double mCD = EdgeMid(c, validC, d, validD);
  const double lx = Local(fx);
  const double ly = Local(fy);
  switch (quadrant)
  {
  case kA:
    return Bilinear(lx, ly, validA ? a : m, mAB, mAC, m);
  case kB:
    return Bilinear(lx, ly, mAB, validB ? b : m, m, mBD);
  case kC:
    return Bilinear(lx, ly, mAC, m, validC ? c : m, mCD);
  default:
    return Bilinear(lx, ly, m, mBD, mCD, validD ? d : m);
  }
}
} // namespace MaskedBilinearParts

//! BilinearInterpolationGetMaskedValue itself (which calls this).
inline bool MaskedBilinear(double fx, double fy, double a, double b, double c, double d, bool validA, bool validB,
                           bool validC, bool validD, double* result)
{
  using namespace MaskedBilinearParts;
  const unsigned set = (validA ? kA : 0) | (validB ? kB : 0) | (validC ? kC : 0) | (validD ? kD : 0);
  const bool right = fx >= 0.5;
  const bool lower = fy >= 0.5;
  const unsigned quadrant = lower ? (right ? kD : kC) : (right ? kB : kA);

  double value = 0;
  bool isValid = false;
  switch (set)
  {
  case 0:
    value = Bilinear(fx, fy, a, b, c, d);
    break;
  case kA | kB | kC | kD:
    value = Bilinear(fx, fy, a, b, c, d);
    isValid = true;
    break;
  case kA:
    value = a;
    isValid = quadrant == kA;
    break;
  case kB:
    value = b;
    isValid = quadrant == kB;
    break;
  case kC:
    value = c;
    isValid = quadrant == kC;
    break;
  case kD:
    value = d;
    isValid = quadrant == kD;
    break;
  case kA | kB:
    value = (1 - fx) * a + fx * b;
    isValid = fy < 0.5;
    break;
  case kC | kD:
    value = (1 - fx) * c + fx * d;
    isValid = fy >= 0.5;
    break;
  case kA | kC:
    value = (1 - fy) * a + fy * c;
    isValid = fx < 0.5;
    break;
  case kB | kD:
    value = (1 - fy) * b + fy * d;
    isValid = fx >= 0.5;
    break;
  default: // two diagonal or three
    value = QuadrantValue(quadrant, fx, fy, a, b, c, d, validA, validB, validC, validD);
    isValid = (set & quadrant) != 0;
    break;
  }
  if (result != nullptr)
  {
    *result = value;
  }
  return isValid;
}
} // namespace Detail
} // namespace BufferApi
