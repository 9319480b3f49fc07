// The frame's reads of an image record, until the image documents bring
// the record itself: a record handed over is taken as loaded, without grid
// lines.
#include "app/shell/frame/palette_target.h"

bool ImageRecordHasMainImage(const CImageRecord* record)
{
    return record != nullptr;
}

bool ImageRecordGridLines(const CImageRecord*)
{
    return false;
}
