// The Bird's Eye navigator. Its image overview is not built yet; the
// palette keeps the target the main frame hands it.
#pragma once

#include "app/palettes/base/tool_base.h"

class CToolBirdsEye : public CToolBase {
public:
    CToolBirdsEye();
    BOOL Create(CWnd* parent) override;
    void SetTarget(int32_t count, CImageRecord* record) override;
    int32_t GetTargetCount() const { return targetCount_; }
    CImageRecord* GetTargetRecord() const { return targetRecord_; }

private:
    int32_t targetCount_ = 0;
    CImageRecord* targetRecord_ = nullptr;
};
