#include "app/shell/preferences/profile_file_dialog.h"

#include "app/core/engine/profile_check.h"
#include "clx/app.h"
#include "clx/help.h"
#include "clx/resources.h"

namespace {

constexpr UINT kFilter = 16432;
constexpr UINT kDefaultExtension = 16433;
constexpr UINT kCmykTitle = 16434;
constexpr UINT kMonitorTitle = 16435;
constexpr DWORD kFlags = OFN_FILEMUSTEXIST | OFN_ENABLETEMPLATE | OFN_HIDEREADONLY;  // 0x1044

constexpr DWORD kStatusLineHelp = 0x80F503FA;
constexpr DWORD kMakerProfilesHelp = 0x80F50408;
constexpr DWORD kStandardProfilesHelp = 0x80F50409;

}  // namespace

namespace shell {

std::string SystemColourFolder()
{
    char folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    std::string path(folder, length < MAX_PATH ? length : 0);
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path + "Color";
}

}  // namespace shell

BEGIN_MESSAGE_MAP(CProfileFileDialog, CFileDialog)
    ON_BN_CLICKED(CProfileFileDialog::kStandardProfilesId, OnStandardProfiles)
    ON_BN_CLICKED(CProfileFileDialog::kMakerProfilesId, OnMakerProfiles)
    ON_MESSAGE(WM_HELP, OnHelp)
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

CProfileFileDialog::CProfileFileDialog(shell::ProfileKind kind, const char* fileName, const std::string& profileFolder,
                                       CWnd* parent)
    : CFileDialog(TRUE, nullptr, fileName, kFlags, clx::LoadStr(kFilter), parent),
      m_kind(kind),
      m_profileFolder(profileFolder),
      m_defaultExtension(static_cast<const char*>(clx::LoadStr(kDefaultExtension))),
      m_title(static_cast<const char*>(clx::LoadStr(kind == shell::ProfileKind::kCmyk ? kCmykTitle : kMonitorTitle)))
{
    m_ofn.lpstrDefExt = m_defaultExtension.c_str();
    m_ofn.lpstrTitle = m_title.c_str();
    m_ofn.hInstance = AfxGetResourceHandle();
    m_ofn.lpTemplateName = MAKEINTRESOURCEA(kTemplateId);
}

std::string CProfileFileDialog::CheckProfile(const char* path, shell::ProfileKind kind)
{
    const uint32_t message = shell::CheckProfileFile(path, kind);
    if (message == 0)
        return {};
    if (message == shell::kProfileNotIcc || message == shell::kProfileNotCmyk || message == shell::kProfileNotMonitor)
        return static_cast<const char*>(clx::LoadStr(message));
    // The colour engine's own reason, naming the file.
    return ProfileFaultText(path, ::CheckProfileFile(path));
}

bool CProfileFileDialog::OnFileNameOK()
{
    const std::string refusal = CheckProfile(GetPathName(), m_kind);
    if (refusal.empty())
        return false;
    AfxMessageBox(refusal.c_str(), MB_OK);
    return true;
}

void CProfileFileDialog::OnFileNameChange()
{
    HWND status = ::GetDlgItem(m_hWnd, kStatusLineId);
    if (!status)
        return;
    const std::string refusal = CheckProfile(GetFilePath(), m_kind);
    ::SetWindowTextA(status, refusal.c_str());
}

void CProfileFileDialog::OnStandardProfiles()
{
    SubmitPattern((shell::SystemColourFolder() + "\\*.icm").c_str());
}

void CProfileFileDialog::OnMakerProfiles()
{
    SubmitPattern((m_profileFolder + "*.icm").c_str());
}

LRESULT CProfileFileDialog::OnHelp(WPARAM, LPARAM info)
{
    const auto* help = reinterpret_cast<const HELPINFO*>(info);
    DWORD context = 0;
    switch (help ? help->iCtrlId : 0) {
    case kStatusLineId: context = kStatusLineHelp; break;
    case kMakerProfilesId: context = kMakerProfilesHelp; break;
    case kStandardProfilesId: context = kStandardProfilesHelp; break;
    default: break;
    }
    if (context)
        AfxGetApp()->WinHelp(context, HELP_CONTEXTPOPUP);
    return TRUE;
}

void CProfileFileDialog::OnContextMenu(CWindow window, CPoint)
{
    static const DWORD pairs[] = {kStandardProfilesId, kStandardProfilesHelp, kMakerProfilesId, kMakerProfilesHelp,
                                  kStatusLineId,       kStatusLineHelp,       0,                 0};
    clx::CallWinHelp(window.m_hWnd, AfxGetApp()->m_pszHelpFilePath, HELP_CONTEXTMENU,
                     reinterpret_cast<DWORD_PTR>(pairs));
}
