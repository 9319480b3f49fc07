#include "app/palettes/base/adjustment_palette.h"

#include "app/core/docview/image_display_view.h"
#include "app/core/record/image_record.h"
#include "app/palettes/base/apply_flags.h"
#include "app/palettes/base/palette_host.h"
#include "app/palettes/base/settings_file_ui.h"

BEGIN_MESSAGE_MAP(CAdjustmentPalette, CToolBase)
    ON_WM_DESTROY()
    ON_WM_TIMER()
END_MESSAGE_MAP()

CAdjustmentPalette::CAdjustmentPalette(PaletteId id, PaletteKind kind, SettingsFileKind fileKind,
                                       IQzState& ownSettings)
    : CToolBase(PaletteInfoOf(id).positionSettingId, PaletteInfoOf(id).loadCommandId, PaletteInfoOf(id).helpId),
      kind_(kind),
      fileKind_(fileKind),
      own_(ownSettings),
      edited_(&ownSettings),
      scheduler_(ApplyRuleOf(kind),
                 {[] { return GetPaletteHost().GetTickCount(); },
                  [this](uint32_t period) { return IsOpen() && SetTimer(kPaletteApplyTimerId, period) != 0; },
                  [this] {
                      if (IsOpen())
                          KillTimer(kPaletteApplyTimerId);
                  },
                  [this] { ApplyNow(); }})
{
}

CAdjustmentPalette::~CAdjustmentPalette() = default;

bool CAdjustmentPalette::GetApplyFlag() const
{
    const bool* flag = GlobalApplyFlag(kind_);
    return flag ? *flag : true;
}

// ---------------------------------------------------------------- hand-over

void CAdjustmentPalette::SetTarget(int32_t count, CImageRecord* record)
{
    // A change still waiting belongs to the image it was made on.
    scheduler_.Flush();
    if (count == 1 && !record)
        count = 0;
    const int32_t imageKind = count == 1 ? GetPaletteHost().GetImageKind(*record) : 0;
    const PaletteTargetDecision decision = DecideTarget(kind_, count, imageKind);
    targetCount_ = count;
    targetRecord_ = decision.keepsRecord ? record : nullptr;
    refusedImage_ = decision.clearsFlag;
    if (decision.editsOwn)
        edited_ = &own_;
    else if (decision.editsRecord)
        edited_ = &RecordMember(*record);
    else
        edited_ = nullptr;

    bool* flag = GlobalApplyFlag(kind_);
    if (flag && decision.takesRecordFlag)
        *flag = *RecordApplyFlag(kind_, *record) != 0;
    if (flag && decision.clearsFlag)
        *flag = false;
    if (decision.resetsRecord)
        ResetRefusedImage(*edited_);
    // The own copy follows the last image.
    if (edited_ && edited_ != &own_)
        CopySettings(own_, *edited_);

    EnableAll();
    if (IsOpen()) {
        ::SendDlgItemMessageA(m_hWnd, kApplyCheckId, BM_SETCHECK, GetApplyFlag() ? BST_CHECKED : BST_UNCHECKED, 0);
        if (edited_) {
            UpdateEnableCheck();
            UpdateControls();
        }
    }
}

void CAdjustmentPalette::EnableAll()
{
    if (!IsOpen())
        return;
    const bool oneOrNone = targetCount_ <= 1;
    if (HWND check = ::GetDlgItem(m_hWnd, kApplyCheckId))
        ::EnableWindow(check, oneOrNone && !refusedImage_ ? TRUE : FALSE);
    EnableControls(oneOrNone && !refusedImage_ && GetApplyFlag());
}

void CAdjustmentPalette::UpdateEnableCheck()
{
    if (!IsOpen())
        return;
    ::SendDlgItemMessageA(m_hWnd, kApplyCheckId, BM_SETCHECK, GetApplyFlag() ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableAll();
}

void CAdjustmentPalette::SetEnabled(bool on, CImageRecord* record)
{
    PaletteKind other{};
    const bool excludes = ExcludedPalette(kind_, &other);
    if (record) {
        if (uint32_t* flag = RecordApplyFlag(kind_, *record))
            *flag = on ? 1 : 0;
        if (on && excludes)
            *RecordApplyFlag(other, *record) = 0;
        return;
    }

    bool* flag = GlobalApplyFlag(kind_);
    const bool old = flag ? *flag : true;
    if (flag) {
        *flag = on;
        if (targetRecord_)
            *RecordApplyFlag(kind_, *targetRecord_) = on ? 1 : 0;
    }
    UpdateEnableCheck();

    if (excludes && on && *GlobalApplyFlag(other)) {
        *GlobalApplyFlag(other) = false;
        if (targetRecord_)
            *RecordApplyFlag(other, *targetRecord_) = 0;
        if (CAdjustmentPalette* palette = GetPaletteHost().GetAdjustmentPalette(other)) {
            if (CImageRecord* itsRecord = palette->GetTargetRecord())
                *RecordApplyFlag(other, *itsRecord) = 0;
            palette->UpdateEnableCheck();
        }
        RequestApply(false);
    } else if (old == on) {
        if (on)
            RequestApply(false);
    } else if (!(edited_ && IsNeutral(*edited_))) {
        RequestApply(false);
    }
    EnableAll();
    GetPaletteHost().RefreshImageAdjustments();
}

// ---------------------------------------------------------------- apply

void CAdjustmentPalette::RequestApply(bool deferred)
{
    if (!targetRecord_ || !targetRecord_->view)
        return;
    scheduler_.Request(deferred);
}

void CAdjustmentPalette::ApplyNow()
{
    // The view may have gone while the apply waited.
    if (targetRecord_ && targetRecord_->view)
        targetRecord_->view->UpdateAdjustments(ApplyRuleOf(kind_).updateHint, false, nullptr);
}

void CAdjustmentPalette::OnTimer(UINT_PTR id)
{
    if (id == kPaletteApplyTimerId)
        scheduler_.OnTimer();
    Default();
}

void CAdjustmentPalette::OnDestroy()
{
    // What the user changed last still reaches the image.
    scheduler_.Flush();
    CToolBase::OnDestroy();
}

// ---------------------------------------------------------------- settings files

void CAdjustmentPalette::GetSourceSize(int32_t* width, int32_t* height) const
{
    *width = 0;
    *height = 0;
}

bool CAdjustmentPalette::TakesSettings(CImageRecord& record)
{
    const RawRule raw = ApplyRuleOf(kind_).raw;
    if (raw == RawRule::AnyImage)
        return true;
    const int32_t imageKind = GetPaletteHost().GetImageKind(record);
    return imageKind == kRawImageKind || (raw == RawRule::LeaveAlone && imageKind == kRawImageKindAlt);
}

int32_t CAdjustmentPalette::ReadSettingsFile(const char* path, IQzState& object, bool* flagStored, bool* storedFlag)
{
    SettingsFileRead read;
    switch (fileKind_) {
    case SettingsFileKind::Curves:
    case SettingsFileKind::ColourBalance:
        read = ::ReadSettingsFile(fileKind_, path, static_cast<CQzLutGroup&>(object));
        break;
    case SettingsFileKind::Usm: read = ::ReadSettingsFile(path, static_cast<CQzUSMList&>(object)); break;
    case SettingsFileKind::SizeRes: {
        int32_t width = 0;
        int32_t height = 0;
        GetSourceSize(&width, &height);
        read = ::ReadSettingsFile(path, static_cast<CQzSizeRes&>(object), width, height);
        break;
    }
    case SettingsFileKind::Exposure:
        read = ::ReadSettingsFile(path, static_cast<CQzExposureAdjustment&>(object));
        break;
    case SettingsFileKind::WhiteBalance:
        read = ::ReadSettingsFile(path, static_cast<CQzWBAdjustment&>(object));
        break;
    case SettingsFileKind::NoiseReduction:
        read = ::ReadSettingsFile(path, static_cast<CQzNoiseReduction&>(object));
        break;
    case SettingsFileKind::ImageAdjustment: read.result = kSettingsFileInvalid; break;
    }
    ShowSettingsFileMessage(read.message);
    *flagStored = read.result == kSettingsFileOk && read.flagStored;
    *storedFlag = read.flag != 0;
    return read.result;
}

BOOL CAdjustmentPalette::WriteSettingsFile(const char* path)
{
    IQzState& settings = GetSettingsObject();
    const bool flag = GetApplyFlag();
    SettingsFileMessage message;
    switch (fileKind_) {
    case SettingsFileKind::Curves:
    case SettingsFileKind::ColourBalance:
        message = ::WriteSettingsFile(fileKind_, path, static_cast<CQzLutGroup&>(settings), flag);
        break;
    case SettingsFileKind::Usm: message = ::WriteSettingsFile(path, static_cast<CQzUSMList&>(settings), flag); break;
    case SettingsFileKind::SizeRes: message = ::WriteSettingsFile(path, static_cast<CQzSizeRes&>(settings)); break;
    case SettingsFileKind::Exposure:
        message = ::WriteSettingsFile(path, static_cast<CQzExposureAdjustment&>(settings), flag);
        break;
    case SettingsFileKind::WhiteBalance:
        message = ::WriteSettingsFile(path, static_cast<CQzWBAdjustment&>(settings), flag);
        break;
    case SettingsFileKind::NoiseReduction:
        message = ::WriteSettingsFile(path, static_cast<CQzNoiseReduction&>(settings));
        break;
    case SettingsFileKind::ImageAdjustment: return FALSE;
    }
    ShowSettingsFileMessage(message);
    return message.id == 0;
}

BOOL CAdjustmentPalette::LoadSettings(const char* path, const IQzState* source, bool enable)
{
    bool ok = true;
    bool flag = enable;
    IPaletteHost& host = GetPaletteHost();
    if (targetCount_ < 2) {
        IQzState& into = GetSettingsObject();
        if (source) {
            CopySettings(into, *source);
        } else {
            bool stored = false;
            bool storedFlag = false;
            ok = ReadSettingsFile(path, into, &stored, &storedFlag) == kSettingsFileOk;
            if (stored)
                flag = storedFlag;
        }
        if (ok && &into != &own_)
            CopySettings(own_, into);
    } else {
        PaletteKind other{};
        const bool excludes = ExcludedPalette(kind_, &other);
        CImageRecord* record = nullptr;
        for (int n = 0; host.GetSelectedImageSettings(n, &record); ++n) {
            if (!TakesSettings(*record))
                continue;
            bool recordFlag = enable;
            if (source) {
                CopySettings(RecordMember(*record), *source);
            } else {
                bool stored = false;
                bool storedFlag = false;
                if (ReadSettingsFile(path, RecordMember(*record), &stored, &storedFlag) != kSettingsFileOk) {
                    ok = false;
                    break;
                }
                if (stored)
                    recordFlag = storedFlag;
            }
            flag = recordFlag;
            if (uint32_t* recordOn = RecordApplyFlag(kind_, *record))
                *recordOn = recordFlag ? 1 : 0;
            if (recordFlag && excludes)
                *RecordApplyFlag(other, *record) = 0;
        }
        if (host.GetSelectedImageSettings(0, &record))
            CopySettings(own_, RecordMember(*record));
    }
    SetEnabled(flag, nullptr);
    UpdateControls();
    return ok ? TRUE : FALSE;
}

void CAdjustmentPalette::LoadSettingsFile()
{
    CString path;
    if (!AskSettingsFilePath(this, true, SettingsFileInfo(fileKind_).loadFilter, &path))
        return;
    LoadSettings(path, nullptr, true);
    UpdateControls();
    if (targetCount_ > 1 && kind_ != PaletteKind::NoiseReduction)
        SaveSelectedImageSettings();
    if (GetApplyFlag())
        RequestApply(false);
}

void CAdjustmentPalette::SaveSettingsFile()
{
    CString path;
    if (!AskSettingsFilePath(this, false, SettingsFileInfo(fileKind_).saveFilter, &path))
        return;
    WriteSettingsFile(path);
}

void CAdjustmentPalette::ResetSettings()
{
    IPaletteHost& host = GetPaletteHost();
    if (targetCount_ < 2) {
        IQzState& settings = GetSettingsObject();
        ResetToNeutral(settings);
        if (GetApplyFlag())
            RequestApply(false);
        if (&settings != &own_)
            CopySettings(own_, settings);
    } else {
        CImageRecord* record = nullptr;
        for (int n = 0; host.GetSelectedImageSettings(n, &record); ++n)
            ResetSelected(RecordMember(*record));
        if (kind_ != PaletteKind::NoiseReduction)
            SaveSelectedImageSettings();
        if (host.GetSelectedImageSettings(0, &record))
            CopySettings(own_, RecordMember(*record));
    }
    UpdateControls();
}
