#include "RTE/Plugin.h"

#include <algorithm>

namespace RTE
{
I_CreationContext::~I_CreationContext() = default;
I_Plugin::~I_Plugin() = default;

C_PluginRegistry& C_PluginRegistry::GetInstance()
{
  static C_PluginRegistry instance;
  return instance;
}

bool C_PluginRegistry::RegisterPlugin(const std::string& pluginName, const std::string& key,
                                      const std::string& description, PluginCreator creator)
{
  if (!creator)
    return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  const bool exists =
      std::any_of(m_entries.begin(), m_entries.end(),
                  [&](const Entry& entry) { return entry.pluginName == pluginName && entry.key == key; });
  if (exists)
    return false;
  m_entries.push_back({pluginName, key, description, std::move(creator)});
  return true;
}

void C_PluginRegistry::AddError(const std::string& text)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  m_errors.push_back(text);
}

std::vector<std::string> C_PluginRegistry::GetErrors() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_errors;
}

std::vector<C_PluginRegistry::Entry> C_PluginRegistry::GetEntries() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_entries;
}

C_PluginFactory& C_PluginFactory::GetInstance()
{
  static C_PluginFactory instance;
  return instance;
}

std::vector<std::string> C_PluginFactory::GetKeys(const std::string& pluginName) const
{
  std::vector<std::string> keys;
  for (const auto& entry : C_PluginRegistry::GetInstance().GetEntries())
    if (entry.pluginName == pluginName)
      keys.push_back(entry.key);
  return keys;
}

std::vector<std::string> C_PluginFactory::GetDescriptions(const std::string& pluginName) const
{
  std::vector<std::string> descriptions;
  for (const auto& entry : C_PluginRegistry::GetInstance().GetEntries())
    if (entry.pluginName == pluginName)
      descriptions.push_back(entry.description);
  return descriptions;
}

std::shared_ptr<I_Plugin> C_PluginFactory::Create(const std::string& pluginName, const std::string& key,
                                                  I_CreationContext* context) const
{
  for (const auto& entry : C_PluginRegistry::GetInstance().GetEntries())
    if (entry.pluginName == pluginName && entry.key == key)
      return std::shared_ptr<I_Plugin>(entry.creator(context));
  return {};
}

} // namespace RTE
