// A module file without the entry point, for the loader's refusal.
#include <cstdint>

#if defined(_WIN32)
#define KAVO_EXPORT extern "C" __declspec(dllexport)
#else
#define KAVO_EXPORT extern "C" __attribute__((visibility("default")))
#endif

KAVO_EXPORT int32_t KavoSimRevision() { return 1; }
