#pragma once

// The whole public interface of the Buffer library in one include.

#include <RTE/RTE.h>
#include <BufferApi/I_ScaleEnums.h>
#include <BufferApi/I_Unit.h>
#include <BufferApi/C_UnitParam.h>
#include <BufferApi/C_UnitFactory.h>
#include <BufferApi/I_Scale.h>
#include <BufferApi/C_ScaleParam.h>
#include <BufferApi/C_ScaleFactory.h>
