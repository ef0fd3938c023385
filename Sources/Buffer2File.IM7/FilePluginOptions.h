#pragma once

// Reading of the options that the file-format plugins honour when present.

#include <RTE/Parameter.h>

#include <cstdint>
#include <string>

namespace BufferApi
{
//! The Bool option `name`, or `fallback` when the tree is null or holds no Bool of that name.
inline bool BoolOption(const RTE::Parameter::C_Tree* options, const std::string& name, bool fallback)
{
  const auto option = options ? boost::dynamic_pointer_cast<RTE::Parameter::C_Bool>(options->Get(name)) : nullptr;
  return option ? option->GetValue() : fallback;
}

//! The Integer option `name`, or `fallback` when the tree is null or holds no Integer of that name.
inline std::int64_t IntegerOption(const RTE::Parameter::C_Tree* options, const std::string& name, std::int64_t fallback)
{
  const auto option = options ? boost::dynamic_pointer_cast<RTE::Parameter::C_Integer>(options->Get(name)) : nullptr;
  return option ? option->GetValue() : fallback;
}

} // namespace BufferApi
