#pragma once

// The whole public interface of the Buffer library in one include.

#include <RTE/RTE.h>
