// The Image Adjustments panel. Its check boxes and links are not built yet;
// it keeps the target the main frame hands it and loads and saves the Image
// Adjustment file (".set"), which carries every palette's settings but noise
// reduction.
#pragma once

#include "app/palettes/base/tool_base.h"

class CToolImageEnhancements : public CToolBase {
public:
    CToolImageEnhancements();
    BOOL Create(CWnd* parent) override;
    void SetTarget(int32_t count, CImageRecord* record) override;
    int32_t GetTargetCount() const { return targetCount_; }
    CImageRecord* GetTargetRecord() const { return targetRecord_; }

    // "&Load..." and "&Save..." with the ".set" dialogs; Save says nothing
    // and writes nothing while several thumbnails are selected.
    void LoadSettingsFile();
    void SaveSettingsFile();
    // With a record: into the record's objects and its five flags, no
    // message (width and height: the image the size settings are read
    // against, 0 without one). Without: into every palette, each turned on
    // or off as the file says, and the target's view redrawn.
    BOOL LoadImageAdjustmentFile(const char* path, CImageRecord* record, int32_t width, int32_t height);
    // Every palette's settings (its own copy while several thumbnails are
    // selected) and the apply flags.
    BOOL SaveImageAdjustmentFile(const char* path);

private:
    int32_t targetCount_ = 0;
    CImageRecord* targetRecord_ = nullptr;
};
