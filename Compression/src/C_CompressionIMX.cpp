#include "C_CompressionIMX.h"

#include "CodecParameters.h"
#include "ImxCodec.h"

namespace Compression
{
std::string C_CompressionIMX::GetPluginName() const
{
  return kPluginName;
}
std::string C_CompressionIMX::GetKey() const
{
  return kKey;
}
std::string C_CompressionIMX::GetDescription() const
{
  return "Lossless image codec: median prediction, context-adaptive Rice coding, bands on threads";
}

std::uint64_t C_CompressionIMX::GetMaxPackedSize(std::uint64_t unpackedSize)
{
  return Imx::MaxPackedSize(unpackedSize);
}

void C_CompressionIMX::SetParameter(boost::shared_ptr<RTE::Parameter::C_Tree> parameter)
{
  m_columns = CodecParameters::Integer(parameter.get(), "Columns", m_columns, nullptr);
  m_rows = CodecParameters::Integer(parameter.get(), "Rows", m_rows, nullptr);
  m_parallel = CodecParameters::Bool(parameter.get(), "Parallel", m_parallel, nullptr);
}

boost::shared_ptr<RTE::Parameter::C_Tree> C_CompressionIMX::GetParameter()
{
  auto tree = RTE::Parameter::CreateTree();
  CodecParameters::AddInteger(*tree, "Columns", m_columns);
  CodecParameters::AddInteger(*tree, "Rows", m_rows);
  CodecParameters::AddBool(*tree, "Parallel", m_parallel);
  if (m_size >= 0)
    CodecParameters::AddInteger(*tree, "Size", m_size);
  return tree;
}

int C_CompressionIMX::Pack(const void* source, std::uint64_t sourceSize, void* destination,
                           std::uint64_t& destinationSize)
{
  m_size = -1;
  Imx::S_PackOptions options;
  options.columns = m_columns;
  options.parallel = m_parallel;
  const int result = Imx::Pack(source, sourceSize, destination, destinationSize, options);
  if (result == Imx::ErrorNone)
    m_size = static_cast<std::int64_t>(destinationSize);
  return result;
}

int C_CompressionIMX::Unpack(const void* source, std::uint64_t sourceSize, void* destination,
                             std::uint64_t& destinationSize)
{
  m_size = -1;
  std::uint64_t consumed = 0;
  const int result = Imx::Unpack(source, sourceSize, destination, destinationSize, consumed, m_parallel);
  if (result == Imx::ErrorNone)
    m_size = static_cast<std::int64_t>(consumed);
  return result;
}

const char* C_CompressionIMX::GetErrorText(int errorCode)
{
  return Imx::ErrorText(errorCode);
}
} // namespace Compression
