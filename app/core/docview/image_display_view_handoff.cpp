// The image menu's hand-offs of the display view: the record developed into a
// transfer file for the outside image editor (32892), and its reduced raw
// copy written where the camera curves dialog reads its sample (32810).
#include "app/core/docview/image_display_view.h"

#include "app/core/camera_sample/camera_curve_sample.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/external_editor/editor_transfer_develop.h"
#include "app/core/external_editor/win/photoshop_handoff.h"
#include "app/core/record/image_record.h"
#include "app/core/save/develop_save.h"
#include "clx/resources.h"
#include "app/core/text/string_resource.h"

namespace {

// Settings by string-table id.
constexpr uint32_t kSettingTempFolder = 1051;
constexpr uint32_t kSettingCopyShootingData = 1067;
constexpr uint32_t kSettingPhotoshopWarningDone = 1109;

// The progress window's caption while the transfer file is made.
constexpr uint32_t kStrPreparingForEditor = qz::StringId(10023);
constexpr uint32_t kMsgCameraSampleNotSaved = 9606;
constexpr uint32_t kMsgUseAsCameraSample = 9607;

class ViewEditorHandoff final : public IPhotoshopHandoffHost {
public:
    ViewEditorHandoff(IImageViewHost& host, CImageRecord& record) : host_(host), record_(record) {}

    int ShowMessage(uint32_t textId, uint32_t type) override { return host_.ShowMessageBox(textId, type); }
    std::string LoadText(uint32_t textId) override { return clx::LoadStr(textId).str(); }
    bool IsFirstUseWarningDone() override { return host_.GetIntSetting(kSettingPhotoshopWarningDone, 0) != 0; }
    void SetFirstUseWarningDone() override { host_.SetIntSetting(kSettingPhotoshopWarningDone, 1); }
    std::string GetTempFolder() override { return host_.GetStringSetting(kSettingTempFolder); }
    void ShowProgress(bool show) override
    {
        if (show)
            host_.BeginProgress(1, kStrPreparingForEditor);
        else
            host_.BeginProgress(0, 0);
    }
    int32_t DevelopToTiff(const char* path) override
    {
        const CDevelopParams params(record_);
        CQzString shooting;
        if (host_.GetIntSetting(kSettingCopyShootingData, 0) != 0)
            record_.shooting.FormatAsText(shooting);
        return qz::DevelopEditorTransferFile(params, shooting, path);
    }

private:
    IImageViewHost& host_;
    CImageRecord& record_;
};

class ViewCameraSample final : public ICameraCurveSampleHost {
public:
    ViewCameraSample(IImageViewHost& host, CImageRecord& record, CCmdTarget& view)
        : host_(host), record_(record), view_(view)
    {
    }

    bool AskUseAsSample() override
    {
        return host_.ShowMessageBox(kMsgUseAsCameraSample, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
    }
    void ReportSaveFailure() override { host_.ShowMessageBox(kMsgCameraSampleNotSaved, MB_OK); }
    std::string GetProgramFolder() override { return host_.GetProgramFolder(); }
    void BeginWait() override { view_.BeginWaitCursor(); }
    void EndWait() override { view_.EndWaitCursor(); }
    int32_t SaveReducedRawCopy(const char* path, int32_t boxWidth, int32_t boxHeight) override
    {
        const CDevelopParams params(record_);
        return ::SaveReducedRawCopy(&params, path, boxWidth, boxHeight);
    }

private:
    IImageViewHost& host_;
    CImageRecord& record_;
    CCmdTarget& view_;
};

}  // namespace

void CImageDisplayView::OnOpenInEditor()
{
    CImageRecord* record = GetRecord();
    IImageViewHost& host = GetImageViewHost();
    if (!record || !host.IsOleInitialized())
        return;
    ViewEditorHandoff handoff(host, *record);
    OpenInPhotoshop(handoff);
}

void CImageDisplayView::OnUpdateOpenInEditor(CCmdUI* cmdUI)
{
    cmdUI->Enable(GetImageViewHost().IsOleInitialized() && GetRecord() != nullptr);
}

void CImageDisplayView::OnUseForCameraCurvesSample()
{
    CImageRecord* record = GetRecord();
    if (!record || !IsRawImage())
        return;
    ViewCameraSample sample(GetImageViewHost(), *record, *this);
    qz::UseForCameraCurvesSample(sample);
}

void CImageDisplayView::OnUpdateUseForCameraCurvesSample(CCmdUI* cmdUI)
{
    cmdUI->Enable(GetRecord() != nullptr && IsRawImage());
}
