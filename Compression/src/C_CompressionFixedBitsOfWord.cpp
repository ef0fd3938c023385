#include "C_CompressionFixedBitsOfWord.h"

#include "CodecParameters.h"
#include "FixedBitsCodec.h"

namespace Compression
{
namespace
{
unsigned Clipped(std::int64_t value)
{
  return value < 0 || value > 64 ? 64u : static_cast<unsigned>(value);
}
} // namespace

std::string C_CompressionFixedBitsOfWord::GetPluginName() const
{
  return kPluginName;
}
std::string C_CompressionFixedBitsOfWord::GetKey() const
{
  return kKey;
}
std::string C_CompressionFixedBitsOfWord::GetDescription() const
{
  return "Keeps a window of FixedBits bits of every 16-bit word, saturating or wrapping what lies above";
}

std::uint64_t C_CompressionFixedBitsOfWord::GetMaxPackedSize(std::uint64_t unpackedSize)
{
  // Before an unpack without "FixedBits" the block may hold up to 16 bits a word.
  return FixedBits::PackedSize(unpackedSize, m_bitsSet ? Clipped(m_bits) : 16);
}

void C_CompressionFixedBitsOfWord::SetParameter(boost::shared_ptr<RTE::Parameter::C_Tree> parameter)
{
  bool found = false;
  m_columns = CodecParameters::Integer(parameter.get(), "Columns", m_columns, nullptr);
  m_rows = CodecParameters::Integer(parameter.get(), "Rows", m_rows, nullptr);
  m_bits = CodecParameters::Integer(parameter.get(), "FixedBits", m_bits, &found);
  m_bitsSet = m_bitsSet || found;
  m_start = CodecParameters::Integer(parameter.get(), "FixedStart", m_start, nullptr);
  m_wrapping = CodecParameters::Bool(parameter.get(), "FixedWrapping", m_wrapping, nullptr);
}

boost::shared_ptr<RTE::Parameter::C_Tree> C_CompressionFixedBitsOfWord::GetParameter()
{
  auto tree = RTE::Parameter::CreateTree();
  CodecParameters::AddInteger(*tree, "Columns", m_columns);
  CodecParameters::AddInteger(*tree, "Rows", m_rows);
  CodecParameters::AddInteger(*tree, "FixedBits", m_bits);
  CodecParameters::AddInteger(*tree, "FixedStart", m_start);
  CodecParameters::AddBool(*tree, "FixedWrapping", m_wrapping);
  if (m_size >= 0)
    CodecParameters::AddInteger(*tree, "Size", m_size);
  return tree;
}

int C_CompressionFixedBitsOfWord::Pack(const void* source, std::uint64_t sourceSize, void* destination,
                                       std::uint64_t& destinationSize)
{
  m_size = -1;
  FixedBits::S_Window window;
  window.bits = Clipped(m_bits);
  window.start = Clipped(m_start);
  window.wrapping = m_wrapping;
  const int result = FixedBits::Pack(source, sourceSize, destination, destinationSize, window);
  if (result == FixedBits::ErrorNone)
    m_size = static_cast<std::int64_t>(destinationSize);
  return result;
}

int C_CompressionFixedBitsOfWord::Unpack(const void* source, std::uint64_t sourceSize, void* destination,
                                         std::uint64_t& destinationSize)
{
  m_size = -1;
  std::uint64_t consumed = 0;
  const int result =
      FixedBits::Unpack(source, sourceSize, destination, destinationSize, m_bitsSet ? Clipped(m_bits) : 0, consumed);
  if (result == FixedBits::ErrorNone)
    m_size = static_cast<std::int64_t>(consumed);
  return result;
}

const char* C_CompressionFixedBitsOfWord::GetErrorText(int errorCode)
{
  return FixedBits::ErrorText(errorCode);
}
} // namespace Compression
