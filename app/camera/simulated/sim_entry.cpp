// The simulated module's file: one process-wide module behind the entry point.
#include <type_traits>

#include "app/camera/simulated/sim_module.h"

#if defined(_WIN32)
#define KAVO_EXPORT extern "C" __declspec(dllexport)
#else
#define KAVO_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

kavosim::CSimModule& Module()
{
    static kavosim::CSimModule module;
    return module;
}

}  // namespace

// Exported undecorated (the link drops the standard-call "@28").
KAVO_EXPORT int32_t KAVO_CALL KAVOEntryPoint(KavoObjectRecord* object, uint32_t command, uint32_t param,
                                             uint32_t dataType, void* data, KavoCompletionProc completion,
                                             void* reference)
{
    return Module().Call(object, command, param, dataType, data, completion, reference);
}

static_assert(std::is_same_v<decltype(&KAVOEntryPoint), KavoEntryPointProc>);
