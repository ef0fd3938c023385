#pragma once

#include <string>

namespace RTE
{
namespace String
{
//! Turns the ASCII letters of text to upper case in place.
void ToUpper(std::string& text);
//! A copy of text in which every occurrence of `what` is replaced by `with`;
//! an empty `what` replaces nothing.
std::string Replace(const std::string& text, const std::string& what, const std::string& with);
} // namespace String
} // namespace RTE
