#include "CodecParameters.h"

#include <limits>

namespace Compression
{
namespace CodecParameters
{
std::int64_t Integer(const RTE::Parameter::C_Tree* tree, const std::string& name, std::int64_t fallback, bool* found)
{
  const auto parameter = tree ? boost::dynamic_pointer_cast<RTE::Parameter::C_Integer>(tree->Get(name)) : nullptr;
  if (found)
    *found = parameter != nullptr;
  return parameter ? parameter->GetValue() : fallback;
}

bool Bool(const RTE::Parameter::C_Tree* tree, const std::string& name, bool fallback, bool* found)
{
  const auto parameter = tree ? boost::dynamic_pointer_cast<RTE::Parameter::C_Bool>(tree->Get(name)) : nullptr;
  if (found)
    *found = parameter != nullptr;
  return parameter ? parameter->GetValue() : fallback;
}

void AddInteger(RTE::Parameter::C_Tree& tree, const std::string& name, std::int64_t value)
{
  tree.Add(RTE::Parameter::CreateInteger(name, "", "", 2, value, std::numeric_limits<std::int64_t>::min(),
                                         std::numeric_limits<std::int64_t>::max(),
                                         RTE::Parameter::C_Integer::EditorSpinBox));
}

void AddBool(RTE::Parameter::C_Tree& tree, const std::string& name, bool value)
{
  tree.Add(RTE::Parameter::CreateBool(name, "", "", 2, value, RTE::Parameter::C_Bool::EditorCheckBox));
}
} // namespace CodecParameters
} // namespace Compression
