#include <Compression/Codecs.h>

#include "C_CompressionFixedBitsOfWord.h"
#include "C_CompressionIMX.h"
#include "C_CompressionUncompressed.h"
#include "C_CompressionZlib.h"

#include <RTE/Plugin.h>

#include <mutex>

namespace Compression
{
namespace
{
template <typename Codec>
void Register()
{
  const Codec prototype;
  RTE::C_PluginRegistry::GetInstance().RegisterPlugin(kPluginName, prototype.GetKey(), prototype.GetDescription(),
                                                      [](RTE::I_CreationContext*) { return new Codec; });
}
} // namespace

void RegisterCodecs()
{
  static std::once_flag once;
  std::call_once(once,
                 []
                 {
                   Register<C_CompressionUncompressed>();
                   Register<C_CompressionZlib>();
                   Register<C_CompressionIMX>();
                   Register<C_CompressionFixedBitsOfWord>();
                 });
}
} // namespace Compression
