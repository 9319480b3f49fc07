// CDlgDiskStatus ("Disk Status"): the free space of the two volumes the
// program writes to, the camera thumbnails' and the temporary data's.
#pragma once

#include <string>

#include "app/shell/dialogs/dlg_base.h"

class CDlgDiskStatus : public CDlgBase {
public:
    explicit CDlgDiskStatus(CWnd* parent);

    // Before DoModal.
    void SetPaths(const char* thumbnailFolder, const char* tempFolder);

    // The value labels of the two rows.
    static constexpr UINT kThumbnailValueId = 1000;
    static constexpr UINT kTempValueId = 1001;

protected:
    int OnCreate(CREATESTRUCT* cs);
    BOOL OnInitDialog() override;
    DECLARE_MESSAGE_MAP()

private:
    std::string m_thumbnailFolder;
    std::string m_tempFolder;
};
