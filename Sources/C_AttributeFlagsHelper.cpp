#include "NumberText.h"

#include <BufferApi/C_AttributeFlagsHelper.h>
#include <BufferApi/C_FrameAttributes.h>

#include <string>

namespace BufferApi
{
namespace
{
const char* const kProcessing = "FrameProcessing";
const char* const kRotation = "FrameRotation";
} // namespace

int C_AttributeFlagsHelper::Processed_GetFlag() const
{
  if (!GetFrame())
    return 0;
  return ReadLeadingInt(C_FrameAttributes(GetFrame()).GetString(kProcessing));
}

void C_AttributeFlagsHelper::Processed_AddFlag(int flag)
{
  if (!GetFrame())
    return;
  C_FrameAttributes(GetFrame()).SetString(kProcessing, std::to_string(Processed_GetFlag() | flag));
}

void C_AttributeFlagsHelper::Processed_RemoveFlag(int flag)
{
  if (!GetFrame())
    return;
  // current - (current & flag), written without a subtraction that could overflow.
  C_FrameAttributes(GetFrame()).SetString(kProcessing, std::to_string(Processed_GetFlag() & ~flag));
}

int C_AttributeFlagsHelper::Rotation_GetFlag() const
{
  if (!GetFrame())
    return 0;
  return ReadLeadingInt(C_FrameAttributes(GetFrame()).GetString(kRotation));
}

void C_AttributeFlagsHelper::Rotation_SetFlag(int value)
{
  if (!GetFrame())
    return;
  C_FrameAttributes(GetFrame()).SetString(kRotation, std::to_string(value));
  Processed_AddFlag(2);
}

void C_AttributeFlagsHelper::Rotation_ProcessFlag(int quarterTurns, bool mirror)
{
  if (!GetFrame())
    return;
  const long long flag = Rotation_GetFlag();
  // Wide arithmetic: flag / 2 + quarterTurns may exceed int; the result is within -7..7.
  const long long mirrored = (flag % 2 + (mirror ? 1 : 0)) % 2;
  const long long turns = (flag / 2 + quarterTurns) % 4;
  Rotation_SetFlag(static_cast<int>(mirrored + 2 * turns));
}
} // namespace BufferApi
