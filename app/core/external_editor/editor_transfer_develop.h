// The develop step of the hand-off to the outside image editor: the image
// with all its adjustments, as the editor's transfer file.
#pragma once

#include <cstdint>

struct CDevelopParams;

namespace qz {

// An 8-bit RGB TIFF at `path`; the shooting text, when given and not empty,
// goes with it as its caption. 0, or the engine's negative result code.
int32_t DevelopEditorTransferFile(const CDevelopParams& params, const char* shootingText, const char* path);

}  // namespace qz
