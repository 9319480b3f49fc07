// The registry under the program's settings: "Software\<company>\<application>
// \<version>\<section>", one query or set per call, no handle kept open.
#pragma once

#include <cstdint>

#include "app/core/text/qz_string.h"

// The key handle's type, without <windows.h> in this header.
struct HKEY__;

namespace shell {

class CRegistryStore {
public:
    CRegistryStore();

    void SetNames(const char* company, const char* application, const char* version);

    // Creates the key when it is missing (also for reads). A null section
    // is the version key itself. The caller closes the key.
    bool OpenKey(HKEY__* root, const char* section, HKEY__** key) const;

    // Scope 0 is the machine's hive, 1 the user's; any other reads the
    // default (integers) or "" (strings) and writes nothing.
    int32_t GetInt(int32_t scope, const char* section, const char* name, int32_t defaultValue) const;
    bool SetInt(int32_t scope, const char* section, const char* name, int32_t value) const;
    CQzString GetString(int32_t scope, const char* section, const char* name, const char* defaultValue) const;
    bool SetString(int32_t scope, const char* section, const char* name, const char* text) const;

    // The same with the section and value names as string-table ids.
    int32_t GetInt(int32_t scope, uint32_t sectionId, uint32_t nameId, int32_t defaultValue) const;
    bool SetInt(int32_t scope, uint32_t sectionId, uint32_t nameId, int32_t value) const;
    CQzString GetString(int32_t scope, uint32_t sectionId, uint32_t nameId, const char* defaultValue) const;
    bool SetString(int32_t scope, uint32_t sectionId, uint32_t nameId, const char* text) const;

    // The stored text, whatever the value's type; false when the value is
    // absent or unreadable.
    bool QueryString(int32_t scope, const char* section, const char* name, CQzString& text) const;

private:
    CQzString software_;
    CQzString company_;
    CQzString application_;
    CQzString version_;
};

// The process's store.
CRegistryStore& GetRegistryStore();

}  // namespace shell
