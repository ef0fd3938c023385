#include <BufferApi/C_UnitFactory.h>

#include <RTE/Exception.h>

namespace BufferApi
{
namespace
{
const char* const kSourceUnit = RTE_SOURCE_UNIT;
const char* const kMiscSymbol = "misc";
} // namespace

C_UnitFactory::C_UnitFactory() = default;
C_UnitFactory::~C_UnitFactory() = default;

C_UnitFactory& C_UnitFactory::GetInstance()
{
  static C_UnitFactory instance;
  return instance;
}

bool C_UnitFactory::Register(I_ScaleEnums::E_UnitType code, const std::string& symbol, T_Creator creator)
{
  return m_entries.emplace(static_cast<int>(code), Entry{symbol, creator}).second;
}

const C_UnitFactory::Entry* C_UnitFactory::Find(const std::string& symbol) const
{
  if (symbol.empty())
  {
    return nullptr;
  }
  for (const auto& codeAndEntry : m_entries)
  {
    if (codeAndEntry.second.symbol == symbol)
    {
      return &codeAndEntry.second;
    }
  }
  return nullptr;
}

I_Unit* C_UnitFactory::CreateUnit(const std::string& text, const C_UnitParam& param) const
{
  // Unit texts of files and callers often come in brackets: "[mm]".
  std::string symbol = text;
  if (!symbol.empty() && symbol.front() == '[')
  {
    symbol.erase(0, 1);
  }
  if (symbol.size() > 1 && symbol.back() == ']')
  {
    symbol.pop_back();
  }

  const bool textsGiven = dynamic_cast<const C_UnitMiscParam*>(&param) != nullptr;
  const Entry* entry = Find(symbol);
  // The text "misc" names the free-text unit itself; without texts in the
  // parameter it is treated like any other unknown text instead of failing.
  if (entry != nullptr && (textsGiven || entry->symbol != kMiscSymbol))
  {
    return entry->creator(param);
  }

  const Entry* misc = Find(kMiscSymbol);
  if (misc == nullptr)
  {
    RTE_RAISE(RTE::Exception, kSourceUnit, "The misc unit is not registered to the factory.");
  }
  if (textsGiven)
  {
    return misc->creator(param);
  }
  return misc->creator(C_UnitMiscParam(text, std::string()));
}

I_Unit* C_UnitFactory::CreateUnit(I_ScaleEnums::E_UnitType code) const
{
  const auto found = m_entries.find(static_cast<int>(code));
  if (found == m_entries.end())
  {
    return nullptr;
  }
  if (code == I_ScaleEnums::UnitMisc)
  {
    return found->second.creator(C_UnitMiscParam(std::string(), std::string()));
  }
  return found->second.creator(C_UnitParam());
}
} // namespace BufferApi
