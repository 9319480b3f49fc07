#include "app/palettes/base/palette_help.h"

uint32_t PaletteHelpTopic(uint32_t helpId, uint32_t controlId)
{
    if (controlId != 0)
        return ((helpId + 0x3000) << 16) + controlId;
    return 0x20000000 + helpId;
}

uint32_t PaletteMenuHelpTopic(uint32_t commandId)
{
    return 0x10000000 + commandId;
}

uint32_t PaletteHitTestTopic(uint32_t helpId, bool overChild, uint32_t childId)
{
    if (helpId == 0)
        return 0;
    if (!overChild || childId == kPaletteNoControlId)
        return PaletteHelpTopic(helpId, 0);
    return PaletteHelpTopic(helpId, childId);
}
