// CAdjustmentPalette: the base of the palettes that edit one settings object
// of the image the user works on. It holds the hand-over of the target
// (own copy, one image, several thumbnails), the apply flag that moves with
// the record's, the apply to the image view (at once, or once the user
// pauses), and the palette's settings-file commands.
//
// A palette gives its kind, its own settings object and the few operations
// on that object's type; the controls are its own.
#pragma once

#include <cstdint>

#include "app/core/palette_protocol/apply_scheduler.h"
#include "app/core/procset/palette_settings_file.h"
#include "app/palettes/base/palette_table.h"
#include "app/palettes/base/tool_base.h"

class IQzState;

// The apply check box of every adjustment palette.
inline constexpr int kApplyCheckId = 1000;

class CAdjustmentPalette : public CToolBase {
public:
    CAdjustmentPalette(PaletteId id, PaletteKind kind, SettingsFileKind fileKind, IQzState& ownSettings);
    ~CAdjustmentPalette() override;

    PaletteKind GetKind() const { return kind_; }

    // ---- hand-over and apply
    void SetTarget(int32_t count, CImageRecord* record) override;
    // With a record: that record's flag only (the excluded palette's flag of
    // the record cleared when on), nothing applied. Without: the global flag,
    // the target's flag, the check box and the apply.
    virtual void SetEnabled(bool on, CImageRecord* record);
    // The check box from the global flag, and the controls enabled again.
    void UpdateEnableCheck();
    // Refills the controls from the edited object; the palettes override it.
    virtual void UpdateControls() {}
    // Deferred: once the palette's quiet time has passed since the last
    // request; else at once. Nothing without a target record with a view.
    void RequestApply(bool deferred);

    bool HasTarget() const { return edited_ != nullptr; }
    // False only for a raw-only palette given a single image that is not raw.
    bool CanEdit() const { return !refusedImage_; }
    int32_t GetTargetCount() const { return targetCount_; }
    CImageRecord* GetTargetRecord() const { return targetRecord_; }
    // The global apply flag; Size/Resolution has none and is always on.
    bool GetApplyFlag() const;
    bool ApplyPending() const { return scheduler_.Pending(); }

    // ---- settings files
    // "&Load...": the open dialog, then LoadSettings(path, null, true).
    void LoadSettingsFile();
    // "&Save...": the save dialog, then the writer.
    void SaveSettingsFile();
    // "&Reset to Neutral".
    virtual void ResetSettings();
    // From `source` when not null, else from the file; true when read.
    // Afterwards the apply flag is `enable` (or the flag the file stored),
    // also after a failed read.
    virtual BOOL LoadSettings(const char* path, const IQzState* source, bool enable);
    // Reads the palette's file into `object`; its message is shown here.
    // 0, -239 or -234; a flag the file stored comes out in `storedFlag`.
    int32_t ReadSettingsFile(const char* path, IQzState& object, bool* flagStored, bool* storedFlag);
    // Writes GetSettings() and the global flag; the message is shown here.
    BOOL WriteSettingsFile(const char* path);

protected:
    // The edited object: the record's member, the own copy, or null.
    IQzState* GetEdited() const { return edited_; }
    IQzState& GetOwnSettings() const { return own_; }
    IQzState& GetSettingsObject() const { return edited_ ? *edited_ : own_; }

    // The palette's settings type.
    virtual IQzState& RecordMember(CImageRecord& record) = 0;
    virtual void CopySettings(IQzState& to, const IQzState& from) = 0;
    virtual void ResetToNeutral(IQzState& settings) = 0;
    // A selected thumbnail's reset (White Balance keeps its multipliers).
    virtual void ResetSelected(IQzState& settings) { ResetToNeutral(settings); }
    // What a raw-only palette makes of a single image that is not raw.
    virtual void ResetRefusedImage(IQzState&) {}
    // Switching a neutral adjustment on or off changes nothing on screen.
    virtual bool IsNeutral(const IQzState&) const { return false; }
    // Every control but the check box.
    virtual void EnableControls(bool) {}
    // The image size against which Size/Resolution reads its files.
    virtual void GetSourceSize(int32_t* width, int32_t* height) const;

    void OnDestroy();
    void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

private:
    void ApplyNow();
    void EnableAll();
    // Raw-only palettes load settings only into selected images of a raw kind.
    bool TakesSettings(CImageRecord& record);

    PaletteKind kind_;
    SettingsFileKind fileKind_;
    IQzState& own_;
    int32_t targetCount_ = 0;
    CImageRecord* targetRecord_ = nullptr;
    IQzState* edited_ = nullptr;
    bool refusedImage_ = false;
    CApplyScheduler scheduler_;
};
