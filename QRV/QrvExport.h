#pragma once

// QRV_API marks what QRV3 exports: dllexport while the library itself is built,
// dllimport for its users; on Linux the default visibility does the same.
#if defined(_WIN32)
#if defined(QRV_BUILD)
#define QRV_API __declspec(dllexport)
#else
#define QRV_API __declspec(dllimport)
#endif
#else
#define QRV_API __attribute__((visibility("default")))
#endif
