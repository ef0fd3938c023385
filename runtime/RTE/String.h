#pragma once

#include <RTE/Export.h>

#include <string>

namespace RTE
{
namespace String
{
//! Turns the ASCII letters of text to upper case in place.
RTE_API void ToUpper(std::string& text);
//! A copy of text in which every occurrence of `what` is replaced by `with`;
//! an empty `what` replaces nothing.
RTE_API std::string Replace(const std::string& text, const std::string& what, const std::string& with);
} // namespace String
} // namespace RTE
