#include "app/shell/dialogs/dlg_disk_status.h"

#include <algorithm>

#include "app/shell/dialogs/disk_free_space.h"
#include "app/shell/dialogs/layout_metrics.h"
#include "app/shell/dialogs/ui_font.h"
#include "app/shell/format/byte_size.h"
#include "clx/resources.h"

namespace {

constexpr UINT kCaption = 10064;
constexpr UINT kExplanation = 10065;
constexpr UINT kThumbnailCaption = 8225;
constexpr UINT kTempCaption = 8232;
constexpr UINT kNotAvailable = 9455;
constexpr UINT kOk = 16528;
constexpr UINT kUnlabelled = 0xFFFF;
// A size whose text is about as wide as any the rows show.
constexpr double kSampleSize = 1026048.0;

CQzString FreeSpaceText(const std::string& folder)
{
    double bytes = 0;
    CQzString text;
    if (folder.empty() || !shell::GetFreeDiskBytes(folder.c_str(), &bytes))
        text = static_cast<const char*>(clx::LoadStr(kNotAvailable));
    else
        shell::FormatByteSize(text, bytes, false, false);
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgDiskStatus, CDlgBase)
    ON_WM_CREATE()
END_MESSAGE_MAP()

CDlgDiskStatus::CDlgDiskStatus(CWnd* parent) : CDlgBase(parent) {}

void CDlgDiskStatus::SetPaths(const char* thumbnailFolder, const char* tempFolder)
{
    m_thumbnailFolder = thumbnailFolder ? thumbnailFolder : "";
    m_tempFolder = tempFolder ? tempFolder : "";
}

// The explanation on top, then two rows of caption and value, then "OK".
int CDlgDiskStatus::OnCreate(CREATESTRUCT* cs)
{
    if (CDlgBase::OnCreate(cs) == -1)
        return -1;
    const int margin = shell::LayoutGapLarge();
    const int rowHeight = shell::LayoutEditHeight();
    const int charWidth = shell::GetUiCharWidth();

    const uint32_t captions[] = {kThumbnailCaption, kTempCaption, 0};
    const int captionWidth = GetMaxStringWidth(captions);
    const uint32_t values[] = {kNotAvailable, 16517, 16518, 16519, 16520, 16521, 0};
    CQzString sample;
    shell::FormatByteSize(sample, kSampleSize, false, false);
    const int valueWidth = std::max(GetMaxStringWidth(values), static_cast<int>(MeasureText(sample).cx));
    int textWidth = captionWidth + valueWidth + charWidth;
    if (textWidth < 251)
        textWidth = 250;

    const CString explanation = clx::LoadStr(kExplanation);
    const SIZE text = MeasureText(explanation, textWidth);
    AddControl("STATIC", explanation, shell::kWrappedLabelStyle, margin, margin, textWidth, text.cy, kUnlabelled);

    int y = margin + text.cy + margin;
    const int valueX = margin + captionWidth + charWidth;
    const struct {
        UINT caption;
        UINT valueId;
    } rows[] = {{kThumbnailCaption, kThumbnailValueId}, {kTempCaption, kTempValueId}};
    for (const auto& row : rows) {
        AddControl("STATIC", row.caption, shell::kLabelStyle, margin, y, captionWidth, rowHeight, kUnlabelled);
        AddControl("STATIC", "", shell::kLabelStyle, valueX, y, textWidth - captionWidth - charWidth, rowHeight,
                   row.valueId);
        y += shell::LayoutLineSpacing();
    }

    y += margin;
    const uint32_t ok[] = {kOk, 0};
    const int buttonWidth = shell::LayoutMinSize(GetMaxStringWidth(ok) + 2 * shell::kLayoutMargin);
    AddControl("BUTTON", kOk, shell::kPushButtonStyle | BS_DEFPUSHBUTTON, margin + (textWidth - buttonWidth) / 2, y,
               buttonWidth, rowHeight, IDOK);

    FitClientSize(textWidth + 2 * margin, y + rowHeight + margin);
    SetWindowText(clx::LoadStr(kCaption));
    return 0;
}

BOOL CDlgDiskStatus::OnInitDialog()
{
    ::SetDlgItemTextA(m_hWnd, kThumbnailValueId, FreeSpaceText(m_thumbnailFolder));
    ::SetDlgItemTextA(m_hWnd, kTempValueId, FreeSpaceText(m_tempFolder));
    GotoDlgCtrl(::GetDlgItem(m_hWnd, IDOK));
    return FALSE;
}
