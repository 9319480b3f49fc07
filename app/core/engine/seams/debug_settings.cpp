#include "app/core/engine/seams/debug_settings.h"

namespace {

class CDefaultDebugSettings : public IEngineDebugSettings {
public:
    int32_t GetInt(const char*, int32_t defaultValue) const override { return defaultValue; }
};

CDefaultDebugSettings gDefaultReader;
IEngineDebugSettings* gReader = &gDefaultReader;

}  // namespace

IEngineDebugSettings& GetEngineDebugSettings() { return *gReader; }

void SetEngineDebugSettings(IEngineDebugSettings* reader) { gReader = reader ? reader : &gDefaultReader; }

int32_t CFixedDebugSettings::GetInt(const char* name, int32_t defaultValue) const
{
    auto found = values_.find(name ? name : "");
    return found == values_.end() ? defaultValue : found->second;
}
