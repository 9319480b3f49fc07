// Export macro of the image file input/output library.
#pragma once

#if defined(_WIN32)
#if defined(QUARNITE_BUILD)
#define QUARNITE_API __declspec(dllexport)
#else
#define QUARNITE_API __declspec(dllimport)
#endif
#else
#define QUARNITE_API __attribute__((visibility("default")))
#endif
