#pragma once

#include <RTE/Export.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace RTE
{
//! What a plugin creator may learn about the place it is created for.
class RTE_API I_CreationContext
{
public:
  virtual ~I_CreationContext();
};

//! Base class of every plugin object.
class RTE_API I_Plugin
{
public:
  virtual ~I_Plugin();
};

using PluginCreator = std::function<I_Plugin*(I_CreationContext*)>;

//! Process-wide list of plugins: each entry is a plugin name (the family, for
//! example "Korimend.Buffer2File"), a key within the family, a description and
//! a creator.
class RTE_API C_PluginRegistry
{
public:
  static C_PluginRegistry& GetInstance();

  //! Adds a plugin; false (and nothing added) when the (name, key) pair exists
  //! already or the creator is empty.
  bool RegisterPlugin(const std::string& pluginName, const std::string& key, const std::string& description,
                      PluginCreator creator);
  //! Records a registration failure.
  void AddError(const std::string& text);
  std::vector<std::string> GetErrors() const;

  struct Entry
  {
    std::string pluginName;
    std::string key;
    std::string description;
    PluginCreator creator;
  };
  //! A snapshot of the registered plugins in registration order.
  std::vector<Entry> GetEntries() const;

  C_PluginRegistry(const C_PluginRegistry&) = delete;
  C_PluginRegistry& operator=(const C_PluginRegistry&) = delete;

private:
  C_PluginRegistry() = default;

  mutable std::mutex m_mutex;
  std::vector<Entry> m_entries;
  std::vector<std::string> m_errors;
};

//! Creates registered plugins by (plugin name, key).
class RTE_API C_PluginFactory
{
public:
  static C_PluginFactory& GetInstance();

  //! Keys registered under a plugin name, in registration order.
  std::vector<std::string> GetKeys(const std::string& pluginName) const;
  //! Descriptions registered under a plugin name, parallel to GetKeys.
  std::vector<std::string> GetDescriptions(const std::string& pluginName) const;
  //! A new plugin object; an empty owner when no such plugin is registered or
  //! its creator returned nothing.
  std::shared_ptr<I_Plugin> Create(const std::string& pluginName, const std::string& key,
                                   I_CreationContext* context = nullptr) const;

  C_PluginFactory(const C_PluginFactory&) = delete;
  C_PluginFactory& operator=(const C_PluginFactory&) = delete;

private:
  C_PluginFactory() = default;
};

} // namespace RTE
