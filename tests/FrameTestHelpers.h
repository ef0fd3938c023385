#pragma once

#include <RTE/Exception.h>

#include <string>

namespace FrameTestHelpers
{
//! The message of the exception of type E that `action` raises, or a marker
//! text when it raises nothing.
template <typename E, typename F>
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
} // namespace FrameTestHelpers
