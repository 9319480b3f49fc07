#include "app/core/shooting/shooting_seams.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

int32_t CQzGdiTextMeasure::TextWidth(const char* text, int32_t length) const
{
    SIZE size{};
    if (!dc_ || !GetTextExtentPoint32A(dc_, text, length, &size))
        return 0;
    return size.cx;
}
