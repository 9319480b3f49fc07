// Export macro of the standard filter library.
#pragma once

#if defined(_WIN32)
#if defined(KOLVEX_BUILD)
#define KOLVEX_API __declspec(dllexport)
#else
#define KOLVEX_API __declspec(dllimport)
#endif
#else
#define KOLVEX_API __attribute__((visibility("default")))
#endif
