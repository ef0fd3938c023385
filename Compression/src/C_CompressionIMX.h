#pragma once

// The "IMX" codec of the compression module: lossless image packing
// (ImxCodec.h). Parameters: Integer "Columns" (row length in elements),
// Integer "Rows" (accepted, not needed), Bool "Parallel" (code and decode the
// bands on several threads). After Pack and Unpack, GetParameter holds the
// Integer "Size": the packed length written or consumed.

#include <Compression/I_Compression.h>

namespace Compression
{
class COMPRESSION_API C_CompressionIMX : public I_Compression
{
public:
  static constexpr const char* kKey = "IMX";

  std::string GetPluginName() const override;
  std::string GetKey() const override;
  std::string GetDescription() const override;

  std::uint64_t GetMaxPackedSize(std::uint64_t unpackedSize) override;
  void SetParameter(boost::shared_ptr<RTE::Parameter::C_Tree> parameter) override;
  boost::shared_ptr<RTE::Parameter::C_Tree> GetParameter() override;
  int Pack(const void* source, std::uint64_t sourceSize, void* destination, std::uint64_t& destinationSize) override;
  int Unpack(const void* source, std::uint64_t sourceSize, void* destination, std::uint64_t& destinationSize) override;
  const char* GetErrorText(int errorCode) override;

private:
  std::int64_t m_columns = 0;
  std::int64_t m_rows = 0;
  bool m_parallel = false;
  std::int64_t m_size = -1; // packed length of the last Pack or Unpack; -1 before
};
} // namespace Compression
