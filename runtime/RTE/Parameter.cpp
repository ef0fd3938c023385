#include "RTE/Parameter.h"

#include "RTE/Exception.h"

#include <boost/make_shared.hpp>

namespace RTE
{
namespace Parameter
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;

template <typename T>
boost::shared_ptr<T> GetTyped(const C_Tree& tree, const std::string& name, const char* kind)
{
  const boost::shared_ptr<C_Parameter> parameter = tree.Get(name);
  if (!parameter)
    RTE_RAISE(Exception, kSourceUnit, "Parameter \"" << name << "\" does not exist.");
  boost::shared_ptr<T> typed = boost::dynamic_pointer_cast<T>(parameter);
  if (!typed)
    RTE_RAISE(Exception, kSourceUnit, "Parameter \"" << name << "\" is not " << kind << '.');
  return typed;
}
} // namespace

C_Parameter::C_Parameter(const std::string& name, const std::string& caption, const std::string& tooltip,
                         int accessMode)
    : m_name(name)
    , m_caption(caption)
    , m_tooltip(tooltip)
    , m_accessMode(accessMode)
{
}

C_Parameter::~C_Parameter() = default;

C_Bool::C_Bool(const std::string& name, const std::string& caption, const std::string& tooltip, int accessMode,
               bool value, E_Editor editor)
    : C_Parameter(name, caption, tooltip, accessMode)
    , m_value(value)
    , m_editor(editor)
{
}

C_Integer::C_Integer(const std::string& name, const std::string& caption, const std::string& tooltip, int accessMode,
                     std::int64_t value, std::int64_t minimum, std::int64_t maximum, E_Editor editor)
    : C_Parameter(name, caption, tooltip, accessMode)
    , m_value(value)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_editor(editor)
{
}

C_Text::C_Text(const std::string& name, const std::string& caption, const std::string& tooltip, int accessMode,
               const std::string& value, E_Editor editor)
    : C_Parameter(name, caption, tooltip, accessMode)
    , m_value(value)
    , m_editor(editor)
{
}

bool C_Tree::Exists(const std::string& name) const
{
  return static_cast<bool>(Get(name));
}

void C_Tree::Add(const boost::shared_ptr<C_Parameter>& parameter)
{
  if (!parameter)
    return;
  for (auto& existing : m_parameters)
    if (existing->GetName() == parameter->GetName())
    {
      existing = parameter;
      return;
    }
  m_parameters.push_back(parameter);
}

boost::shared_ptr<C_Parameter> C_Tree::Get(const std::string& name) const
{
  for (const auto& parameter : m_parameters)
    if (parameter->GetName() == name)
      return parameter;
  return {};
}

boost::shared_ptr<C_Bool> C_Tree::GetBool(const std::string& name) const
{
  return GetTyped<C_Bool>(*this, name, "a bool");
}

boost::shared_ptr<C_Integer> C_Tree::GetInteger(const std::string& name) const
{
  return GetTyped<C_Integer>(*this, name, "an integer");
}

boost::shared_ptr<C_Text> C_Tree::GetText(const std::string& name) const
{
  return GetTyped<C_Text>(*this, name, "a text");
}

std::vector<std::string> C_Tree::GetNames() const
{
  std::vector<std::string> names;
  names.reserve(m_parameters.size());
  for (const auto& parameter : m_parameters)
    names.push_back(parameter->GetName());
  return names;
}

boost::shared_ptr<C_Tree> CreateTree()
{
  return boost::make_shared<C_Tree>();
}

boost::shared_ptr<C_Bool> CreateBool(const std::string& name, const std::string& caption, const std::string& tooltip,
                                     int accessMode, bool value, C_Bool::E_Editor editor)
{
  return boost::make_shared<C_Bool>(name, caption, tooltip, accessMode, value, editor);
}

boost::shared_ptr<C_Integer> CreateInteger(const std::string& name, const std::string& caption,
                                           const std::string& tooltip, int accessMode, std::int64_t value,
                                           std::int64_t minimum, std::int64_t maximum, C_Integer::E_Editor editor)
{
  return boost::make_shared<C_Integer>(name, caption, tooltip, accessMode, value, minimum, maximum, editor);
}

boost::shared_ptr<C_Text> CreateText(const std::string& name, const std::string& caption, const std::string& tooltip,
                                     int accessMode, const std::string& value, C_Text::E_Editor editor)
{
  return boost::make_shared<C_Text>(name, caption, tooltip, accessMode, value, editor);
}

} // namespace Parameter
} // namespace RTE
