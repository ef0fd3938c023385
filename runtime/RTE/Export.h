#pragma once

// Marks the classes and functions that the runtime layer exports.
#if defined(_WIN32)
#if defined(RTE_BUILDING_LIBRARY)
#define RTE_API __declspec(dllexport)
#else
#define RTE_API __declspec(dllimport)
#endif
#else
#define RTE_API __attribute__((visibility("default")))
#endif
