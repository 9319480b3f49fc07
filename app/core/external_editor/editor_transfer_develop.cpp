#include "app/core/external_editor/editor_transfer_develop.h"

#include "app/core/save/develop_save.h"
#include "fileio/VorlatLoad.h"

namespace qz {

int32_t DevelopEditorTransferFile(const CDevelopParams& params, const char* shootingText, const char* path)
{
    // A copy: the caption is this save's alone.
    CDevelopParams transfer = params;
    transfer.caption = shootingText;
    return SaveDevelopedImage(&transfer, path, kOutput8BitWorking, kFormatTiff, 0);
}

}  // namespace qz
