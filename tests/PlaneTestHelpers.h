#pragma once

#include <RTE/Exception.h>

#include <string>

namespace PlaneTestHelpers
{
struct S_Raised
{
  std::string message;
  std::string unit;
};

//! The message and source unit of the RTE::Exception that f raises.
template <typename F>
S_Raised Raised(F f)
{
  try
  {
    f();
  }
  catch (const RTE::Exception& e)
  {
    return {e.what(), e.file().toStdString()};
  }
  return {"<nothing raised>", ""};
}

} // namespace PlaneTestHelpers
