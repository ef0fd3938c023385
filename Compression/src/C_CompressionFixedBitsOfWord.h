#pragma once

// The "FixedBitsOfWord" codec of the compression module (FixedBitsCodec.h).
// Parameters: Integer "FixedBits", Integer "FixedStart", Bool
// "FixedWrapping" for packing; "Columns" and "Rows" are accepted. Unpacking
// needs none: the block records its window ("FixedBits", when set, must match
// it). After Pack and Unpack, GetParameter holds the Integer "Size": the
// packed length written or consumed.

#include <Compression/I_Compression.h>

namespace Compression
{
class COMPRESSION_API C_CompressionFixedBitsOfWord : public I_Compression
{
public:
  static constexpr const char* kKey = "FixedBitsOfWord";

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
  std::int64_t m_bits = 8;
  bool m_bitsSet = false;
  std::int64_t m_start = 0;
  bool m_wrapping = true;
  std::int64_t m_size = -1;
};
} // namespace Compression
