#pragma once

// Reading and writing the parameter trees of the module's codecs.

#include <RTE/Parameter.h>

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>

namespace Compression
{
namespace CodecParameters
{
//! The Integer `name` of the tree, or `fallback` when it is absent or of another kind.
std::int64_t Integer(const RTE::Parameter::C_Tree* tree, const std::string& name, std::int64_t fallback, bool* found);
bool Bool(const RTE::Parameter::C_Tree* tree, const std::string& name, bool fallback, bool* found);
//! Adds an Integer (two empty texts, access mode 2, full range, spin box).
void AddInteger(RTE::Parameter::C_Tree& tree, const std::string& name, std::int64_t value);
//! Adds a Bool (two empty texts, access mode 2, check box).
void AddBool(RTE::Parameter::C_Tree& tree, const std::string& name, bool value);
} // namespace CodecParameters
} // namespace Compression
