#include "app/palettes/base/settings_file_ui.h"

#include <string>

#include "app/palettes/base/palette_host.h"
#include "app/shell/util/file_names.h"
#include "clx/app.h"
#include "clx/filedialog.h"
#include "clx/resources.h"

bool AskSettingsFilePath(CWnd* parent, bool open, uint32_t filterStringId, CString* path)
{
    const CString filter = clx::LoadStr(filterStringId);
    const CQzString extension = shell::GetDefaultExtension(filter);
    const DWORD flags = open ? OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST
                             : OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    CFileDialog dialog(open ? TRUE : FALSE, extension.GetString(), nullptr, flags, filter, parent);
    const std::string folder = GetPaletteHost().GetProgramFolder();
    dialog.m_ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    if (dialog.DoModal() != IDOK)
        return false;
    *path = dialog.GetPathName();
    return true;
}

void ShowSettingsFileMessage(const SettingsFileMessage& message)
{
    if (message.id == 0)
        return;
    const CString pattern = clx::LoadStr(message.id);
    const char* args[] = {message.path.c_str()};
    const CString text = message.path.empty() ? pattern : clx::FormatPlaceholders(pattern, args, 1);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}
