#include "app/shell/format/byte_size.h"

#include <cstdlib>

#include <windows.h>

#include "app/core/text/string_resource.h"

namespace shell {

namespace {

void LoadInto(uint32_t id, std::string& text)
{
    char loaded[64];
    const int32_t length = qz::LoadStringResource(nullptr, id, loaded, sizeof loaded);
    if (length > 0 && length < static_cast<int32_t>(sizeof loaded) - 1)
        text = loaded;
}

std::string LocaleText(LCTYPE type, const char* fallback)
{
    char text[16];
    return GetLocaleInfoA(LOCALE_USER_DEFAULT, type, text, sizeof text) ? std::string(text) : std::string(fallback);
}

}  // namespace

void LoadByteSizeNotation()
{
    ByteSizeNotation notation;
    for (uint32_t i = 0; i < 5; ++i) {
        LoadInto(16517 + i, notation.shortUnits[i]);
        LoadInto(16512 + i, notation.longUnits[i]);
    }
    notation.decimal = LocaleText(LOCALE_SDECIMAL, ".");
    notation.thousands = LocaleText(LOCALE_STHOUSAND, ",");
    // "3;0" and the like: the first group's size.
    notation.grouping = static_cast<int32_t>(std::atoi(LocaleText(LOCALE_SGROUPING, "3").c_str()));
    SetByteSizeNotation(notation);
}

}  // namespace shell
