#include <BufferApi/C_ImagePlaneAccess.h>

namespace BufferApi
{
C_ImagePlaneAccess::C_ImagePlaneAccess(const I_Frame* frame, unsigned plane)
    : m_frame(frame)
    , m_plane(plane)
{
}

C_ImagePlaneAccess::~C_ImagePlaneAccess() = default;
} // namespace BufferApi
