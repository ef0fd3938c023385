// Scale texts of the extended header and the blocks behind it.

#include "Buffer2File.IM7/ScaleText.h"

#include "NumberText.h"

#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/I_Scale.h>

#include <locale>
#include <sstream>
#include <vector>

namespace BufferApi
{
namespace
{
//! "%g" of the value as a 32-bit float, independent of the process locale.
std::string FormatNumber(double value)
{
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << static_cast<double>(static_cast<float>(value));
  return out.str();
}

//! The pieces of text separated by `separator`, at most `maxPieces`: the
//! last piece keeps the rest of the text, separators included.
std::vector<std::string> Split(const std::string& text, char separator, std::size_t maxPieces)
{
  std::vector<std::string> pieces;
  std::string::size_type start = 0;
  for (;;)
  {
    const auto end = pieces.size() + 1 == maxPieces ? std::string::npos : text.find(separator, start);
    pieces.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos)
      return pieces;
    start = end + 1;
  }
}

void ReadNumber(const std::string& text, double& value)
{
  double read = 0.0;
  if (ReadLeadingDouble(text, read))
    value = read;
}

//! "factor offset": the second number follows the first after white space.
void ReadNumberPair(const std::string& text, ScaleParts& parts)
{
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  std::string first;
  std::string second;
  in >> first >> second;
  ReadNumber(first, parts.factor);
  ReadNumber(second, parts.offset);
}

std::string DropTrailingNuls(std::string text)
{
  while (!text.empty() && text.back() == '\0')
    text.pop_back();
  return text;
}
} // namespace

ScaleParts GetScaleParts(const I_Scale* scale)
{
  ScaleParts parts;
  if (!scale)
    return parts;
  parts.factor = scale->GetFactor();
  parts.offset = scale->ToWorld(0.0);
  parts.unit = scale->GetUnit() ? scale->GetUnit()->GetSymbol() : std::string();
  parts.description = scale->GetDescription();
  return parts;
}

std::string FormatScaleTag(const ScaleParts& parts)
{
  std::string text = FormatNumber(parts.factor) + ' ' + FormatNumber(parts.offset);
  text += '\0';
  text += parts.unit;
  text += '\0';
  text += parts.description;
  text += '\0';
  return text;
}

std::string FormatScaleLines(const ScaleParts& parts)
{
  return FormatNumber(parts.factor) + '\n' + FormatNumber(parts.offset) + '\n' + parts.unit + '\n' + parts.description;
}

ScaleParts ParseScaleText(const char* text, std::size_t size)
{
  ScaleParts parts;
  const std::string content(text, size);
  const auto firstNul = content.find('\0');
  if (content.substr(0, firstNul).find('\n') != std::string::npos)
  {
    // Four-line form; the description is the rest of the text.
    const std::vector<std::string> lines = Split(content.substr(0, firstNul), '\n', 4);
    ReadNumber(lines[0], parts.factor);
    ReadNumber(lines[1], parts.offset);
    if (lines.size() > 2)
      parts.unit = lines[2];
    if (lines.size() > 3)
      parts.description = DropTrailingNuls(lines[3]);
    return parts;
  }
  const std::vector<std::string> pieces = Split(content, '\0', 3);
  ReadNumberPair(pieces[0], parts);
  if (pieces.size() > 1)
    parts.unit = pieces[1];
  if (pieces.size() > 2)
    parts.description = DropTrailingNuls(pieces[2]);
  return parts;
}

std::unique_ptr<I_Scale> MakeScale(const ScaleParts& parts)
{
  return std::unique_ptr<I_Scale>(C_ScaleFactory::GetInstance().CreateLinearScale(
      static_cast<float>(parts.factor), static_cast<float>(parts.offset), parts.unit, parts.description));
}

} // namespace BufferApi
