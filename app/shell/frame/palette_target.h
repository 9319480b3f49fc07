// Where the frame asks for the palette target (the kinds are the document's).
#pragma once

#include "app/core/document/palette_target_kind.h"

class CImageRecord;

// Implemented by the documents whose windows give the palettes a target
// (image documents and camera image documents); the frame asks the active
// MDI child's document through it.
class IPaletteTargetSource {
public:
    virtual ~IPaletteTargetSource() = default;
    virtual void GetPaletteTarget(PaletteTargetKind* kind, CImageRecord** record) = 0;
    // The n-th (from 0) selected thumbnail's record (byIndex false) or the
    // record of item n of the list (byIndex true); false when there is none.
    virtual bool GetSelectedImageSettings(int n, CImageRecord** record, bool byIndex) = 0;
};

// What the frame reads of a record: whether its image is there, and its
// grid lines.
bool ImageRecordHasMainImage(const CImageRecord* record);
bool ImageRecordGridLines(const CImageRecord* record);
