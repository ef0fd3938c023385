#pragma once

// Marks the classes and functions that the Buffer library exports. Everything
// else is built with hidden visibility and stays inside the library.
#if defined(_WIN32)
#if defined(BUFFER_BUILDING_LIBRARY)
#define BUFFER_API __declspec(dllexport)
#else
#define BUFFER_API __declspec(dllimport)
#endif
#else
#define BUFFER_API __attribute__((visibility("default")))
#endif
