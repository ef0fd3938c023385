#include "RTE/String.h"

namespace RTE
{
namespace String
{
void ToUpper(std::string& text)
{
  for (char& c : text)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
}

std::string Replace(const std::string& text, const std::string& what, const std::string& with)
{
  if (what.empty())
    return text;
  std::string result;
  result.reserve(text.size());
  std::string::size_type start = 0;
  for (std::string::size_type hit = text.find(what); hit != std::string::npos; hit = text.find(what, start))
  {
    result.append(text, start, hit - start);
    result += with;
    start = hit + what.size();
  }
  result.append(text, start, std::string::npos);
  return result;
}
} // namespace String
} // namespace RTE
