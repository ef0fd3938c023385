#pragma once

// The whole runtime layer in one include.
#include "RTE/Exception.h"
#include "RTE/FileSystem.h"
#include "RTE/Parameter.h"
#include "RTE/Plugin.h"
#include "RTE/String.h"
