// Fills the library's registries when the library is loaded. All
// registrations happen here, in one unit and in a fixed order, so that no
// start-up code depends on the initialisation order of other units; the
// registries themselves are function-local singletons.

#include "AttributeCreators.h"
#include "Buffer2File.IM7/FilePluginRegistration.h"
#include "C_FrameImage.h"
#include "C_FrameProfile.h"
#include "C_FrameRGB.h"
#include "C_ScaleLinear.h"
#include "C_UnitRegistry.h"
#include "PlaneCreators.h"
#include "VectorFrameCreation.h"

#include <Compression/Codecs.h>

namespace BufferApi
{
namespace
{
struct LibraryStartup
{
  LibraryStartup()
  {
    RegisterPlaneCreators();
    RegisterUnits();
    RegisterScales();
    RegisterAttributeCreators();
    // Frame types, in this order: "FT_IMAGE", "FT_PROFILE", "FT_RGB",
    // "FT_VECTOR_2C", "FT_VECTOR_3C".
    RegisterImageFrameType();
    RegisterProfileFrameType();
    RegisterRGBFrameType();
    RegisterVectorFrameTypes();
    Compression::RegisterCodecs();
    // File formats, in this order: "IM7", "VC7", "IMG", "IMX", "VEC".
    RegisterFilePlugins();
  }
};

const LibraryStartup startup;
} // namespace
} // namespace BufferApi
