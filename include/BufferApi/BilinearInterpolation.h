#pragma once

#include <BufferApi/BufferApiExport.h>

namespace BufferApi
{
//! Interpolates at (fx, fy) of the unit cell between the values a (0, 0),
//! b (1, 0), c (0, 1) and d (1, 1), of which only those whose flag is true
//! are valid. Always writes *result (nothing for a null pointer); returns whether
//! the result is to be treated as valid.
//!
//! The cell is divided into four quadrants at 0.5; a neighbour "owns" the
//! quadrant at its corner. By the set of valid neighbours:
//! - none: the bilinear value, never valid;
//! - all four: the bilinear value, always valid;
//! - one: its value, valid in its own quadrant;
//! - two along an edge: linear along that edge, valid in the half next to it;
//! - two diagonal or three: bilinear within the point's quadrant between its
//!   corner (or the mean M of the valid ones when that corner is invalid), the
//!   two edge midpoints next to it (mean of the valid ends) and M; valid in the
//!   quadrant of a valid neighbour.
BUFFER_API bool BilinearInterpolationGetMaskedValue(double fx, double fy, double a, double b, double c, double d,
                                                    bool validA, bool validB, bool validC, bool validD, double* result);
} // namespace BufferApi
