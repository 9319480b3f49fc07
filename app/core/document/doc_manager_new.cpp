#include "app/core/document/doc_manager_new.h"

#include <vector>

#include "app/core/document/image_doc_host.h"
#include "app/core/view_model/open_dialog.h"
#include "clx/app.h"
#include "clx/resources.h"
#include "clx/wnd.h"
#include "app/core/text/string_resource.h"

IMPLEMENT_DYNAMIC(CDocManagerNew, CDocManager)

namespace {

// String 16384: the open dialog's file types.
constexpr const char* kOpenFilters =
    "XQV, JPEG, TIFF Files|*.xqv;*.jpg;*.tif|Korva Electronic Image Format (*.xqv)|*.xqv|JPEG Images (*.jpg)|*.jpg|"
    "TIFF Images (*.tif)|*.tif|All Files (*.*)|*.*||";
// The answer of a multiple selection: a folder and up to a screenful of names.
constexpr size_t kFileBufferChars = 1040;
constexpr UINT kOpenTitleId = qz::StringId(61440);
constexpr DWORD kOpenFlags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;

std::string SystemFilter(const char* filter)
{
    std::string out(filter);
    for (char& c : out)
        if (c == '|')
            c = '\0';
    return out;
}

std::string CurrentFolder()
{
    char folder[MAX_PATH] = "";
    const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, folder);
    return length && length < MAX_PATH ? std::string(folder, length) : std::string();
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

uint32_t PlatformMajorVersion()
{
    return LOBYTE(LOWORD(::GetVersion()));
}

}  // namespace

BOOL CDocManagerNew::RunOpenDialog(OPENFILENAMEA& ofn)
{
    return ::GetOpenFileNameA(&ofn);
}

bool CDocManagerNew::PromptForFiles(std::string& result, UINT titleId, DWORD flags)
{
    IImageDocHost& host = GetImageDocHost();
    const CString title = clx::LoadStr(titleId);
    const std::string folder = qz::GetOpenStartFolder(host.GetStringSetting(kSettingLastOpenFolder), CurrentFolder());
    if (!folder.empty())
        ::SetCurrentDirectoryA(folder.c_str());

    const std::string filter = SystemFilter(kOpenFilters);
    std::vector<char> buffer(kFileBufferChars + 1, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    CWnd* main = AfxGetMainWnd();
    ofn.hwndOwner = main ? main->m_hWnd : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(host.GetIntSetting(kSettingLastOpenFormat, 1));
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(kFileBufferChars);
    ofn.lpstrTitle = title.IsEmpty() ? nullptr : static_cast<const char*>(title);
    ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
    if (!RunOpenDialog(ofn))
        return false;
    host.SetIntSetting(kSettingLastOpenFormat, static_cast<int32_t>(ofn.nFilterIndex));
    // Parts end in a NUL and an empty part ends the list; the buffer's own last NUL stops a full one.
    size_t end = 0;
    while (end < kFileBufferChars && (buffer[end] || (end + 1 < kFileBufferChars && buffer[end + 1])))
        ++end;
    result.assign(buffer.data(), end);
    return true;
}

BOOL CDocManagerNew::DoPromptFileName(CString& fileName, UINT titleId, DWORD flags, BOOL openFileDialog,
                                      CDocTemplate*)
{
    if (!openFileDialog)
        return FALSE;
    std::string result;
    if (!PromptForFiles(result, titleId, flags))
        return FALSE;
    fileName = result.c_str();
    return TRUE;
}

void CDocManagerNew::OnFileOpen()
{
    std::string result;
    if (!PromptForFiles(result, kOpenTitleId, kOpenFlags | OFN_ALLOWMULTISELECT))
        return;
    const qz::OpenSelection selection = qz::SplitOpenResult(result, PlatformMajorVersion(), IsFolder);
    GetImageDocHost().SetStringSetting(kSettingLastOpenFolder, selection.folder);
    for (const std::string& name : selection.names)
        OpenDocumentFile((selection.folder + name).c_str());
}
