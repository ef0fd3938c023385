#include "C_CodecBase.h"

#include <limits>
#include <utility>

namespace Compression
{
C_CodecBase::C_CodecBase(std::string key, std::string description)
    : m_key(std::move(key))
    , m_description(std::move(description))
    , m_parameters(RTE::Parameter::CreateTree())
{
}

void C_CodecBase::SetParameter(boost::shared_ptr<RTE::Parameter::C_Tree> parameter)
{
  m_parameters = parameter ? parameter : RTE::Parameter::CreateTree();
}

boost::shared_ptr<RTE::Parameter::C_Tree> C_CodecBase::GetParameter()
{
  return m_parameters;
}

const char* C_CodecBase::GetErrorText(int errorCode)
{
  switch (errorCode)
  {
  case CodecOk:
    return "No error.";
  case CodecDestinationTooSmall:
    return "Compression: the destination buffer is too small.";
  case CodecCorruptData:
    return "Compression: the packed data are corrupt.";
  case CodecTruncatedData:
    return "Compression: the packed data are truncated.";
  case CodecOutOfMemory:
    return "Compression: out of memory.";
  case CodecMissingParameter:
    return "Compression: a required parameter is missing.";
  case CodecTooLarge:
    return "Compression: the block is too large for this compression type.";
  case CodecSizeMismatch:
    return "Compression: the packed data do not hold the expected number of bytes.";
  default:
    return "Compression: unknown error.";
  }
}

std::int64_t C_CodecBase::IntegerParameter(const std::string& name, std::int64_t fallback) const
{
  const auto integer = boost::dynamic_pointer_cast<RTE::Parameter::C_Integer>(m_parameters->Get(name));
  return integer ? integer->GetValue() : fallback;
}

bool C_CodecBase::BoolParameter(const std::string& name, bool fallback) const
{
  const auto flag = boost::dynamic_pointer_cast<RTE::Parameter::C_Bool>(m_parameters->Get(name));
  return flag ? flag->GetValue() : fallback;
}

void C_CodecBase::SetConsumedSize(std::uint64_t size)
{
  m_parameters->Add(RTE::Parameter::CreateInteger(
      "Size", "", "", 2, static_cast<std::int64_t>(size), std::numeric_limits<std::int64_t>::min(),
      std::numeric_limits<std::int64_t>::max(), RTE::Parameter::C_Integer::EditorSpinBox));
}

} // namespace Compression
