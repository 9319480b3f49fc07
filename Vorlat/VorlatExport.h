// Export macro of the pipeline framework library.
#pragma once

#if defined(_WIN32)
#if defined(VORLAT_BUILD)
#define VORLAT_API __declspec(dllexport)
#else
#define VORLAT_API __declspec(dllimport)
#endif
#else
#define VORLAT_API __attribute__((visibility("default")))
#endif
