#include "Buffer2File.IM7/FilePluginRegistration.h"

#include "Buffer2File.IM7/BufferIM7.h"
#include "Buffer2File.IM7/C_OldPelioFormats.h"

#include <RTE/Plugin.h>

#include <exception>
#include <string>

namespace BufferApi
{
namespace
{
template <typename Plugin>
void Register()
{
  RegisterGuarded(
      []
      {
        const Plugin prototype;
        RTE::C_PluginRegistry::GetInstance().RegisterPlugin(kBuffer2FilePluginName, prototype.GetKey(),
                                                            prototype.GetDescription(),
                                                            [](RTE::I_CreationContext*) { return new Plugin; });
      });
}
} // namespace

void RegisterGuarded(const std::function<void()>& registration)
{
  try
  {
    registration();
  }
  catch (const std::exception& e)
  {
    RTE::C_PluginRegistry::GetInstance().AddError(std::string("Exception during plugin auto registration: ") +
                                                  e.what());
  }
  catch (...)
  {
    RTE::C_PluginRegistry::GetInstance().AddError("unknown exception during plugin auto registration");
  }
}

void RegisterFilePlugins()
{
  Register<C_IM7>();
  Register<C_VC7>();
  Register<C_IMG>();
  Register<C_IMX>();
  Register<C_VEC>();
}

} // namespace BufferApi
