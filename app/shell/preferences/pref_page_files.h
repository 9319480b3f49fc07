// CPrefPageFiles ("File Locations"): the thumbnail and temporary folders,
// the outside application that opens saved images and the catalogue that
// saved images are added to.
#pragma once

#include <string>

#include "app/shell/controls/qz_edit.h"
#include "app/shell/preferences/tab_page_base.h"

class CPrefPageFiles : public CTabPageBase {
public:
    static constexpr UINT kTempFolderId = 1102;
    static constexpr UINT kTempBrowseId = 1103;
    static constexpr UINT kOpenExternalId = 1104;
    static constexpr UINT kAppNameId = 1105;
    static constexpr UINT kAppPathId = 1106;
    static constexpr UINT kAppBrowseId = 1107;
    static constexpr UINT kThumbFolderId = 1108;
    static constexpr UINT kThumbBrowseId = 1109;
    static constexpr UINT kAddToCatalogueId = 1213;
    static constexpr UINT kCataloguePathId = 1214;
    static constexpr UINT kCatalogueBrowseId = 1215;

    UINT GetTitleId() const override { return 8224; }
    SIZE GetLayoutSize(HDC dc) override;
    void LoadFromSettings() override;
    void StoreToSettings() override;
    // A ticked box needs an existing file; no path may be longer than a
    // path can be.
    BOOL Validate() override;

protected:
    int OnCreate(CREATESTRUCT* cs);
    void OnBrowseThumbFolder();
    void OnBrowseTempFolder();
    void OnBrowseApplication();
    void OnBrowseCatalogue();
    void OnOpenExternal();
    void OnAddToCatalogue();
    DECLARE_MESSAGE_MAP()

private:
    SIZE Measure(HDC dc);
    void ShowFolder(UINT id, const std::string& path) const;
    // The path trimmed, or "<None>" when nothing is left.
    void ShowFile(UINT id, const std::string& path) const;
    void BrowseFolder(std::string& folder, UINT id, UINT titleId);
    void BrowseFile(std::string& path, UINT id, DWORD flags, UINT filterId);

    bool m_loaded = false;
    std::string m_thumbFolder;
    std::string m_tempFolder;
    std::string m_appPath;
    std::string m_cataloguePath;
    CQzEdit m_appName;
    int m_captionWidth = 0;
    int m_pathWidth = 0;
    int m_buttonWidth = 0;
    int m_indent = 0;
    int m_nameLabelWidth = 0;
};
