#pragma once

#include <Compression/I_Compression.h>

#include <cstdint>
#include <string>

namespace Compression
{
//! Error codes shared by the codecs of this module.
enum E_CodecError : int
{
  CodecOk = 0,
  CodecDestinationTooSmall = 1,
  CodecCorruptData = 2,
  CodecTruncatedData = 3,
  CodecOutOfMemory = 4,
  CodecMissingParameter = 5,
  CodecTooLarge = 6,
  CodecSizeMismatch = 7,
};

//! What every codec of the module shares: its identity and its parameter tree.
class C_CodecBase : public I_Compression
{
public:
  C_CodecBase(std::string key, std::string description);

  std::string GetPluginName() const override { return kPluginName; }
  std::string GetKey() const override { return m_key; }
  std::string GetDescription() const override { return m_description; }

  void SetParameter(boost::shared_ptr<RTE::Parameter::C_Tree> parameter) override;
  boost::shared_ptr<RTE::Parameter::C_Tree> GetParameter() override;
  const char* GetErrorText(int errorCode) override;

protected:
  //! The Integer parameter `name`, or `fallback` when it is absent or not an integer.
  std::int64_t IntegerParameter(const std::string& name, std::int64_t fallback) const;
  bool BoolParameter(const std::string& name, bool fallback) const;
  //! Records the number of packed bytes an Unpack consumed as "Size".
  void SetConsumedSize(std::uint64_t size);

private:
  std::string m_key;
  std::string m_description;
  boost::shared_ptr<RTE::Parameter::C_Tree> m_parameters;
};

} // namespace Compression
