// The debug switches of the program: 32-bit values of the settings section
// "Debug", read when needed, 0 when absent.
#pragma once

#include <cstdint>
#include <map>
#include <string>

class IEngineDebugSettings {
public:
    virtual int32_t GetInt(const char* name, int32_t defaultValue) const = 0;

protected:
    ~IEngineDebugSettings() = default;
};

// The reader the engine asks; one that answers every default until the
// program installs its own. Null puts that one back.
IEngineDebugSettings& GetEngineDebugSettings();
void SetEngineDebugSettings(IEngineDebugSettings* reader);

// Values held in memory: the native program's reader, and the tests'.
class CFixedDebugSettings : public IEngineDebugSettings {
public:
    void Set(const char* name, int32_t value) { values_[name] = value; }
    int32_t GetInt(const char* name, int32_t defaultValue) const override;

private:
    std::map<std::string, int32_t> values_;
};
