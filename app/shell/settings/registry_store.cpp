#include "app/shell/settings/registry_store.h"

#include <cstring>
#include <vector>

#include <windows.h>

#include "app/core/text/string_resource.h"

namespace shell {

namespace {

HKEY ScopeRoot(int32_t scope)
{
    if (scope == 0)
        return HKEY_LOCAL_MACHINE;
    if (scope == 1)
        return HKEY_CURRENT_USER;
    return nullptr;
}

// Closes the key on every path.
class KeyHolder {
public:
    KeyHolder() = default;
    KeyHolder(const KeyHolder&) = delete;
    KeyHolder& operator=(const KeyHolder&) = delete;
    ~KeyHolder()
    {
        if (key_)
            RegCloseKey(key_);
    }
    HKEY* Out() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Section and value names are short; one that does not fit names nothing.
CQzString Loaded(uint32_t id)
{
    char text[256];
    const int32_t length = qz::LoadStringResource(nullptr, id, text, sizeof text);
    return length > 0 && length < static_cast<int32_t>(sizeof text) - 1 ? CQzString(text) : CQzString();
}

}  // namespace

CRegistryStore::CRegistryStore()
    : software_("Software"), company_("Korva"), application_("Tessaline"), version_("2.0")
{
}

void CRegistryStore::SetNames(const char* company, const char* application, const char* version)
{
    company_ = company;
    application_ = application;
    version_ = version;
}

bool CRegistryStore::OpenKey(HKEY root, const char* section, HKEY* key) const
{
    if (!root || !key)
        return false;
    CQzString path = software_ + "\\" + company_ + "\\" + application_ + "\\" + version_;
    if (section)
        path = path + "\\" + section;
    char keyClass[] = "";
    return RegCreateKeyExA(root, path, 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, key,
                           nullptr) == ERROR_SUCCESS;
}

int32_t CRegistryStore::GetInt(int32_t scope, const char* section, const char* name, int32_t defaultValue) const
{
    KeyHolder key;
    if (!OpenKey(ScopeRoot(scope), section, key.Out()))
        return defaultValue;
    // Whatever the value's type: four bytes or fewer, zero-extended.
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return defaultValue;
    return static_cast<int32_t>(value);
}

bool CRegistryStore::SetInt(int32_t scope, const char* section, const char* name, int32_t value) const
{
    KeyHolder key;
    if (!OpenKey(ScopeRoot(scope), section, key.Out()))
        return false;
    const DWORD data = static_cast<DWORD>(value);
    return RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
           ERROR_SUCCESS;
}

bool CRegistryStore::QueryString(int32_t scope, const char* section, const char* name, CQzString& text) const
{
    KeyHolder key;
    if (!OpenKey(ScopeRoot(scope), section, key.Out()))
        return false;
    DWORD size = 0;
    if (RegQueryValueExA(key.Get(), name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return false;
    // One byte more than the value holds: a text stored without its
    // terminator, or bytes that are no text at all, still end here.
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    DWORD read = size;
    if (RegQueryValueExA(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &read) !=
        ERROR_SUCCESS)
        return false;
    buffer[read < size ? read : size] = '\0';
    text = buffer.data();
    return true;
}

CQzString CRegistryStore::GetString(int32_t scope, const char* section, const char* name,
                                    const char* defaultValue) const
{
    if (!ScopeRoot(scope))
        return CQzString();
    CQzString text;
    if (!QueryString(scope, section, name, text))
        return CQzString(defaultValue);
    return text;
}

bool CRegistryStore::SetString(int32_t scope, const char* section, const char* name, const char* text) const
{
    KeyHolder key;
    if (!OpenKey(ScopeRoot(scope), section, key.Out()))
        return false;
    const char* data = text ? text : "";
    return RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                          static_cast<DWORD>(std::strlen(data) + 1)) == ERROR_SUCCESS;
}

// A name missing from the string table names no value: the call fails.
int32_t CRegistryStore::GetInt(int32_t scope, uint32_t sectionId, uint32_t nameId, int32_t defaultValue) const
{
    const CQzString section = Loaded(sectionId);
    const CQzString name = Loaded(nameId);
    if (section.IsEmpty() || name.IsEmpty())
        return defaultValue;
    return GetInt(scope, section, name, defaultValue);
}

bool CRegistryStore::SetInt(int32_t scope, uint32_t sectionId, uint32_t nameId, int32_t value) const
{
    const CQzString section = Loaded(sectionId);
    const CQzString name = Loaded(nameId);
    return !section.IsEmpty() && !name.IsEmpty() && SetInt(scope, section, name, value);
}

CQzString CRegistryStore::GetString(int32_t scope, uint32_t sectionId, uint32_t nameId,
                                    const char* defaultValue) const
{
    const CQzString section = Loaded(sectionId);
    const CQzString name = Loaded(nameId);
    if (section.IsEmpty() || name.IsEmpty())
        return ScopeRoot(scope) ? CQzString(defaultValue) : CQzString();
    return GetString(scope, section, name, defaultValue);
}

bool CRegistryStore::SetString(int32_t scope, uint32_t sectionId, uint32_t nameId, const char* text) const
{
    const CQzString section = Loaded(sectionId);
    const CQzString name = Loaded(nameId);
    return !section.IsEmpty() && !name.IsEmpty() && SetString(scope, section, name, text);
}

CRegistryStore& GetRegistryStore()
{
    static CRegistryStore store;
    return store;
}

}  // namespace shell
