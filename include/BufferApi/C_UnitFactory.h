#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/C_UnitParam.h>
#include <BufferApi/I_ScaleEnums.h>
#include <BufferApi/I_Unit.h>

#include <map>
#include <string>

namespace BufferApi
{
//! The registry of units, keyed by unit code and looked up by code or by
//! symbol. Filled at library start-up and only read afterwards, so it has no
//! lock.
class BUFFER_API C_UnitFactory
{
public:
  //! Makes a new unit from the parameter; the caller owns the result.
  using T_Creator = I_Unit* (*)(const C_UnitParam& param);

  static C_UnitFactory& GetInstance();

  C_UnitFactory(const C_UnitFactory&) = delete;
  C_UnitFactory& operator=(const C_UnitFactory&) = delete;

  //! Adds an entry; false (keeping the earlier entry) when the code is taken.
  bool Register(I_ScaleEnums::E_UnitType code, const std::string& symbol, T_Creator creator);

  //! The unit named by `text` ("mm" and "[mm]" alike). A text no entry has
  //! gives a free-text unit whose symbol is `text` as passed in (or the texts
  //! of `param` when it is a C_UnitMiscParam). The caller owns the result.
  I_Unit* CreateUnit(const std::string& text, const C_UnitParam& param = C_UnitParam()) const;

  //! The unit registered under `code`, or null. The free-text unit (code 16)
  //! gets an empty symbol and name. The caller owns the result.
  I_Unit* CreateUnit(I_ScaleEnums::E_UnitType code) const;

protected:
  // Protected so that tests can work on an empty registry of their own.
  C_UnitFactory();
  ~C_UnitFactory();

private:
  struct Entry
  {
    std::string symbol;
    T_Creator creator;
  };

  const Entry* Find(const std::string& symbol) const;

  std::map<int, Entry> m_entries; // ordered by code: the lookup order
};
} // namespace BufferApi
