// CProfileFileDialog: the open-file dialog in which the colour management
// page chooses the monitor or CMYK profile. It refuses a file whose ICC
// header does not fit the profile's role, shows why in its status line
// while such a file is selected, and moves to the system's or the maker's
// profile folder with its two buttons.
#pragma once

#include <string>

#include "app/shell/prefs/profile_file_check.h"
#include "clx/filedialog.h"

class CProfileFileDialog : public CFileDialog {
public:
    static constexpr UINT kTemplateId = 245;
    static constexpr UINT kStatusLineId = 1018;
    static constexpr UINT kMakerProfilesId = 1032;
    static constexpr UINT kStandardProfilesId = 1033;

    CProfileFileDialog(shell::ProfileKind kind, const char* fileName, const std::string& profileFolder,
                       CWnd* parent);

    // "" when the file can be chosen, else the text that refuses it.
    static std::string CheckProfile(const char* path, shell::ProfileKind kind);

protected:
    bool OnFileNameOK() override;
    void OnFileNameChange() override;
    void OnStandardProfiles();
    void OnMakerProfiles();
    LRESULT OnHelp(WPARAM, LPARAM info);
    void OnContextMenu(CWindow window, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    shell::ProfileKind m_kind;
    std::string m_profileFolder;
    std::string m_defaultExtension;
    std::string m_title;
};

namespace shell {
// The system's colour folder: the system directory and "Color".
std::string SystemColourFolder();
}  // namespace shell
