// The frame's reads of an image record: whether its image is there (a
// record without one is not handed to the palettes), and its grid lines.
#include "app/core/record/image_record.h"
#include "app/shell/frame/palette_target.h"

bool ImageRecordHasMainImage(const CImageRecord* record)
{
    return record && record->imageData;
}

bool ImageRecordGridLines(const CImageRecord* record)
{
    return record && record->gridOn != 0;
}
