#pragma once

#include <Compression/CompressionExport.h>

#include <RTE/Parameter.h>
#include <RTE/Plugin.h>

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>

namespace Compression
{
//! Plugin name under which every codec registers with the runtime plugin registry.
inline constexpr const char* kPluginName = "Korimend.Compression";

//! A codec of the compression module, created through the runtime plugin
//! factory by ("Korimend.Compression", key). Other modules add codecs by
//! deriving from this interface and registering a creator under that name.
//! A codec object is configured with SetParameter before each Pack or Unpack;
//! it is used by one thread at a time.
class COMPRESSION_API I_Compression : public RTE::I_Plugin
{
public:
  ~I_Compression() override;

  virtual std::string GetPluginName() const = 0;
  virtual std::string GetKey() const = 0;
  virtual std::string GetDescription() const = 0;

  //! Largest number of packed bytes for `unpackedSize` input bytes; 0 for a
  //! nonzero size means the codec cannot pack that much.
  virtual std::uint64_t GetMaxPackedSize(std::uint64_t unpackedSize) = 0;
  //! Configures the codec ("Columns", "Rows", "Parallel", "FixedBits", ...).
  virtual void SetParameter(boost::shared_ptr<RTE::Parameter::C_Tree> parameter) = 0;
  //! The codec's parameters; after an Unpack of a self-delimiting codec it
  //! holds the Integer "Size", the number of packed bytes consumed.
  virtual boost::shared_ptr<RTE::Parameter::C_Tree> GetParameter() = 0;
  //! Packs `sourceSize` bytes. In: destinationSize is the capacity of
  //! `destination`; out: the packed size. Returns 0 or an error code.
  virtual int Pack(const void* source, std::uint64_t sourceSize, void* destination, std::uint64_t& destinationSize) = 0;
  //! Unpacks at most `sourceSize` packed bytes. In: destinationSize is the
  //! unpacked size expected; out: the size produced. Returns 0 or an error code.
  virtual int Unpack(const void* source, std::uint64_t sourceSize, void* destination,
                     std::uint64_t& destinationSize) = 0;
  //! The message for an error code of Pack or Unpack; never null.
  virtual const char* GetErrorText(int errorCode) = 0;
};

} // namespace Compression
