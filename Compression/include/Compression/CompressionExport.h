#pragma once

// Marks the classes and functions that the compression module exports.
#if defined(_WIN32)
#if defined(COMPRESSION_BUILDING_LIBRARY)
#define COMPRESSION_API __declspec(dllexport)
#else
#define COMPRESSION_API __declspec(dllimport)
#endif
#else
#define COMPRESSION_API __attribute__((visibility("default")))
#endif
