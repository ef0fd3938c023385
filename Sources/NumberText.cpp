// Locale-independent equivalents of sscanf("%lg") and atoi for the texts of
// frame metadata: a process locale with a decimal comma must not change how
// "2.5e-4" is read.

#include "NumberText.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <system_error>

namespace BufferApi
{
namespace
{
//! The white space of the "C" locale.
bool IsSpace(char c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
  return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

//! For a number from_chars reported out of range: true when its magnitude is
//! too large (rather than too small). Counts the position of the first
//! significant digit relative to the point and adds the exponent.
bool IsOverflow(const char* first, const char* last, bool hex)
{
  long long magnitude = 0;
  bool seenPoint = false;
  bool seenSignificant = false;
  const char* p = first;
  for (; p != last; ++p)
  {
    const char c = *p;
    if (c == '.')
    {
      seenPoint = true;
      continue;
    }
    if ((!hex && (c == 'e' || c == 'E')) || (hex && (c == 'p' || c == 'P')))
      break;
    if (!seenSignificant && c == '0')
    {
      if (seenPoint)
        --magnitude;
      continue;
    }
    seenSignificant = true;
    if (!seenPoint)
      ++magnitude;
  }
  long long exponent = 0;
  if (p != last)
  {
    ++p;
    bool negative = false;
    if (p != last && (*p == '+' || *p == '-'))
      negative = *p++ == '-';
    for (; p != last && IsDigit(*p); ++p)
    {
      if (exponent < 1000000000LL)
        exponent = exponent * 10 + (*p - '0');
    }
    if (negative)
      exponent = -exponent;
  }
  return magnitude + exponent > 0;
}
} // namespace

bool ReadLeadingDouble(const std::string& text, double& value)
{
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p != end && IsSpace(*p))
    ++p;
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-'))
  {
    negative = *p == '-';
    ++p;
    // from_chars would accept a second minus sign; the C library does not.
    if (p != end && (*p == '+' || *p == '-'))
      return false;
  }
  bool hex = false;
  if (end - p >= 3 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
      (IsHexDigit(p[2]) || (p[2] == '.' && end - p >= 4 && IsHexDigit(p[3]))))
  {
    hex = true;
    p += 2;
  }
  double parsed = 0.0;
  const auto result = std::from_chars(p, end, parsed, hex ? std::chars_format::hex : std::chars_format::general);
  if (result.ec == std::errc::invalid_argument)
  {
    if (!hex)
      return false;
    parsed = 0.0; // "0x" followed by no hex number reads as the 0 before it
  }
  else if (result.ec == std::errc::result_out_of_range)
  {
    parsed = IsOverflow(p, result.ptr, hex) ? std::numeric_limits<double>::infinity() : 0.0;
  }
  value = negative ? -parsed : parsed;
  return true;
}

int ReadLeadingInt(const std::string& text)
{
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i]))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    negative = text[i++] == '-';
  long long magnitude = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i)
  {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > static_cast<long long>(INT_MAX) + 1)
      magnitude = static_cast<long long>(INT_MAX) + 1;
  }
  const long long signedValue = negative ? -magnitude : magnitude;
  if (signedValue > INT_MAX)
    return INT_MAX;
  return static_cast<int>(signedValue);
}
} // namespace BufferApi
