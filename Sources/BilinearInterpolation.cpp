#include <BufferApi/BilinearInterpolation.h>

#include "MaskedBilinear.h"

namespace BufferApi
{
bool BilinearInterpolationGetMaskedValue(double fx, double fy, double a, double b, double c, double d, bool validA,
                                         bool validB, bool validC, bool validD, double* result)
{
  return Detail::MaskedBilinear(fx, fy, a, b, c, d, validA, validB, validC, validD, result);
}
} // namespace BufferApi
