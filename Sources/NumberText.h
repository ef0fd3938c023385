#pragma once

#include <string>

namespace BufferApi
{
//! Reads the leading number of text the way the C library's formatted read
//! with "%lg" does (leading white space skipped, optional sign, decimal or
//! hexadecimal floating point, inf and nan, trailing text ignored), but
//! independent of the process locale. False (value untouched) when text does
//! not begin with a number. Out-of-range magnitudes give +-infinity or 0.
bool ReadLeadingDouble(const std::string& text, double& value);

//! The C library's atoi: leading white space, optional sign, decimal digits up
//! to the first other character; 0 when there are none. Values beyond int
//! saturate at its limits.
int ReadLeadingInt(const std::string& text);
} // namespace BufferApi
