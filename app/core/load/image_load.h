// The image loaders: a file or a memory block into an image record, under the
// engine lock, with progress. They read the pixels into a new main image of
// the drawing tile manager, the file's tags into a fresh tag store, the
// private settings tag into the record's settings objects, and the shooting
// values; a file load can also insist on an unedited camera file.
#pragma once

#include <cstdint>

#include "app/core/record/image_record.h"

class IVorlatLoad;

// Results: 0, or -252 an object could not be made (every memory-stream
// failure too), -239 the file could not be opened or recognised, -234 the
// loader could not start on the image, -231 not an unedited camera file,
// -123 cancelled by the transfer-cancel flag, -242 a load step failed.
// `spare` is passed on and not used.
int32_t LoadImageFile(CImageRecord* record, const char* path, bool checkOriginal, int32_t spare);
int32_t LoadImageFromMemory(CImageRecord* record, const void* buffer, uint32_t size, int32_t spare);

// The second half of both, for a loader attached to the record's tag store;
// the caller holds the engine lock.
int32_t ReadLoadedImage(CImageRecord* record, IVorlatLoad* load, bool checkOriginal, bool thumbnailIsNew,
                        int32_t spare);

// The size at which a missing thumbnail is rendered.
inline constexpr int32_t kThumbnailRenderSize = 80;

// Whether the last load found the private settings tag: the record's byte
// after its noise reduction settings.
inline uint8_t& SettingsTagPresent(CImageRecord& record)
{
    return record.spare;
}
