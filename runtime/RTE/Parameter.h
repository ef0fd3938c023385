#pragma once

#include <RTE/Export.h>

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace RTE
{
namespace Parameter
{
//! A named option with two further texts (caption and tooltip for an editor),
//! an access mode and the name of the editor that shows it.
class RTE_API C_Parameter
{
public:
  C_Parameter(const std::string& name, const std::string& caption, const std::string& tooltip, int accessMode);
  virtual ~C_Parameter();

  const std::string& GetName() const { return m_name; }
  const std::string& GetCaption() const { return m_caption; }
  const std::string& GetTooltip() const { return m_tooltip; }
  int GetAccessMode() const { return m_accessMode; }

private:
  std::string m_name;
  std::string m_caption;
  std::string m_tooltip;
  int m_accessMode;
};

class RTE_API C_Bool : public C_Parameter
{
public:
  enum E_Editor
  {
    EditorCheckBox
  };
  C_Bool(const std::string& name, const std::string& caption, const std::string& tooltip, int accessMode, bool value,
         E_Editor editor);
  bool GetValue() const { return m_value; }
  void SetValue(bool value) { m_value = value; }
  E_Editor GetEditor() const { return m_editor; }

private:
  bool m_value;
  E_Editor m_editor;
};

class RTE_API C_Integer : public C_Parameter
{
public:
  enum E_Editor
  {
    EditorSpinBox
  };
  C_Integer(const std::string& name, const std::string& caption, const std::string& tooltip, int accessMode,
            std::int64_t value, std::int64_t minimum, std::int64_t maximum, E_Editor editor);
  std::int64_t GetValue() const { return m_value; }
  void SetValue(std::int64_t value) { m_value = value; }
  std::int64_t GetMinimum() const { return m_minimum; }
  std::int64_t GetMaximum() const { return m_maximum; }
  E_Editor GetEditor() const { return m_editor; }

private:
  std::int64_t m_value;
  std::int64_t m_minimum;
  std::int64_t m_maximum;
  E_Editor m_editor;
};

class RTE_API C_Text : public C_Parameter
{
public:
  enum E_Editor
  {
    EditorLineEdit
  };
  C_Text(const std::string& name, const std::string& caption, const std::string& tooltip, int accessMode,
         const std::string& value, E_Editor editor);
  const std::string& GetValue() const { return m_value; }
  void SetValue(const std::string& value) { m_value = value; }
  E_Editor GetEditor() const { return m_editor; }

private:
  std::string m_value;
  E_Editor m_editor;
};

//! An ordered set of parameters with unique names.
class RTE_API C_Tree
{
public:
  bool Exists(const std::string& name) const;
  //! Adds a parameter; one of the same name is replaced. A null parameter is ignored.
  void Add(const boost::shared_ptr<C_Parameter>& parameter);
  //! The parameter of that name, or null.
  boost::shared_ptr<C_Parameter> Get(const std::string& name) const;
  //! Typed look-ups: raise RTE::Exception when the parameter is missing or of another kind.
  boost::shared_ptr<C_Bool> GetBool(const std::string& name) const;
  boost::shared_ptr<C_Integer> GetInteger(const std::string& name) const;
  boost::shared_ptr<C_Text> GetText(const std::string& name) const;
  std::vector<std::string> GetNames() const;

private:
  std::vector<boost::shared_ptr<C_Parameter>> m_parameters;
};

RTE_API boost::shared_ptr<C_Tree> CreateTree();
RTE_API boost::shared_ptr<C_Bool> CreateBool(const std::string& name, const std::string& caption,
                                             const std::string& tooltip, int accessMode, bool value,
                                             C_Bool::E_Editor editor);
RTE_API boost::shared_ptr<C_Integer> CreateInteger(const std::string& name, const std::string& caption,
                                                   const std::string& tooltip, int accessMode, std::int64_t value,
                                                   std::int64_t minimum, std::int64_t maximum,
                                                   C_Integer::E_Editor editor);
RTE_API boost::shared_ptr<C_Text> CreateText(const std::string& name, const std::string& caption,
                                             const std::string& tooltip, int accessMode, const std::string& value,
                                             C_Text::E_Editor editor);

} // namespace Parameter
} // namespace RTE
