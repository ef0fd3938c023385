#pragma once

#include "C_Frame.h"

#include <BufferApi/I_Frame.h>
#include <BufferApi/I_PlaneBase.h>
#include <BufferApi/I_Scale.h>
#include <RTE/Exception.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace FrameTestHelpers
{
//! The message of the exception of type E that `action` raises, or a marker
//! text when it raises nothing.
template <typename E = RTE::Exception, typename F>
std::string MessageOf(F&& action)
{
  try
  {
    action();
  }
  catch (const E& e)
  {
    return e.what();
  }
  return "<nothing raised>";
}

//! The RTE::Exception raised by `action` (a default one when none is raised).
template <typename F>
RTE::Exception ExceptionOf(F&& action)
{
  try
  {
    action();
  }
  catch (const RTE::Exception& e)
  {
    return e;
  }
  return RTE::Exception(QString::fromLatin1("<nothing raised>"));
}

//! Whether `action` raises exactly the index message of `unit`:
//! "<text> <index> out of bounds 0 - <upper> [line <n> in file <unit>]", with
//! n the raising line recorded in the exception.
template <typename F>
::testing::AssertionResult RaisesIndex(F&& action, const std::string& unit, const std::string& text, long long index,
                                       long long upper)
{
  const RTE::Exception e = ExceptionOf(action);
  const std::string expected = text + " " + std::to_string(index) + " out of bounds 0 - " + std::to_string(upper) +
                               " [line " + std::to_string(e.line()) + " in file " + unit + "]";
  if (e.line() > 0 && e.file().toStdString() == unit && expected == e.what())
  {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "raised \"" << e.what() << "\", expected \"" << expected << "\"";
}

//! The rows of a plane as text of whole numbers, e.g. "0 1|10 11".
inline std::string Rows(const BufferApi::I_PlaneBase* plane)
{
  if (plane == nullptr)
  {
    return "<null>";
  }
  std::string text;
  for (unsigned y = 0; y < plane->GetHeight(); ++y)
  {
    for (unsigned x = 0; x < plane->GetWidth(); ++x)
    {
      text += (x == 0 ? "" : " ") + std::to_string(static_cast<long long>(plane->GetValue(x, y)));
    }
    text += y + 1 < plane->GetHeight() ? "|" : "";
  }
  return text;
}

//! A scale as "<factor> <offset> <unit>[ <description>]", e.g. "1 0 Valid Mask".
inline std::string ScaleText(const BufferApi::I_Scale* scale)
{
  if (scale == nullptr)
  {
    return "<null>";
  }
  std::ostringstream text;
  text << scale->GetFactor() << " " << scale->ToWorld(0.0) << " "
       << (scale->GetUnit() != nullptr ? scale->GetUnit()->GetSymbol() : "<no unit>")
       << (scale->GetDescription().empty() ? "" : " " + scale->GetDescription());
  return text.str();
}

//! A frame's size as "<width>x<height>x<depth>".
inline std::string SizeOf(const BufferApi::I_Frame& frame)
{
  return std::to_string(frame.GetWidth()) + "x" + std::to_string(frame.GetHeight()) + "x" +
         std::to_string(frame.GetDepth());
}

//! A frame's type, size and components in order with their element types,
//! e.g. "FT_IMAGE 3x2x1 PIXEL:Float,MASK:UInt8".
inline std::string Summary(const BufferApi::I_Frame& frame)
{
  static const char* const kTypes[] = {"Bool", "UInt8", "RGB", "Double", "Float", "Int32", "UInt32", "UInt16"};
  const auto* own = dynamic_cast<const BufferApi::C_Frame*>(&frame);
  std::string text = (own != nullptr ? own->GetFrameType() : "<foreign>") + " " + SizeOf(frame);
  for (int i = 0; i < static_cast<int>(frame.GetNumberOfComponents()); ++i)
  {
    const int type = frame.GetComponentDataType(i);
    text += (i == 0 ? " " : ",") + frame.GetComponentName(i) + ":" + (type >= 0 && type < 8 ? kTypes[type] : "?");
  }
  return text;
}
} // namespace FrameTestHelpers
