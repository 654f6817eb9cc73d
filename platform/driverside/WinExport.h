#pragma once

// Marks a function as exported from a shared library, with C linkage, as a driver library
// exports its entry points. Everything else in such a library stays hidden.

#ifdef _WIN32
 #define KELVARO_EXPORT extern "C" __declspec(dllexport)
#else
 #define KELVARO_EXPORT extern "C" __attribute__ ((visibility ("default")))
#endif
