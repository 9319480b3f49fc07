#include "app/shell/batch/auto_save_settings.h"

#include <cstring>

#include "app/core/text/string_resource.h"

namespace shell {

namespace {

// String-table ids of the extensions.
constexpr uint32_t kStringJpg = qz::StringId(16480);
constexpr uint32_t kStringTif = qz::StringId(16481);
constexpr uint32_t kStringXqv = qz::StringId(16482);
constexpr uint32_t kStringBmp = qz::StringId(16483);

}  // namespace

AutoSaveSettings::AutoSaveSettings()
{
    source = 1;
    settingsMethod = 1;
    fileType = kSaveTiffRgb;
    jpegListPosition = 2;
}

int32_t AutoSaveSettings::GetFormatCode() const
{
    return FileTypeToFormatCode(fileType);
}

int32_t AutoSaveSettings::GetJpegQuality() const
{
    if (fileType != kSaveExifJpeg && fileType != kSaveJfifJpeg)
        return 0;
    return jpegListPosition >= 0 && jpegListPosition <= 4 ? jpegListPosition + 1 : 0;
}

bool AutoSaveSettings::GetExtension(char* buffer, int32_t size) const
{
    return LoadFileTypeExtension(buffer, size, fileType);
}

int32_t FileTypeToFormatCode(int32_t fileType)
{
    switch (fileType) {
    case kSaveRaw: return kFormatRaw;
    case kSaveBmp: return kFormatBmp;
    case kSaveExifJpeg: return kFormatExifJpeg;
    case kSaveJfifJpeg: return kFormatJpeg;
    case kSaveTiffRgb:
    case kSaveTiffCmyk: return kFormatTiff;
    default: return kFormatUnknown;
    }
}

bool LoadFileTypeExtension(char* buffer, int32_t size, int32_t fileType)
{
    if (!buffer || size <= 0)
        return false;
    buffer[0] = '\0';
    uint32_t id = 0;
    switch (fileType) {
    case kSaveRaw: id = kStringXqv; break;
    case kSaveBmp: id = kStringBmp; break;
    case kSaveExifJpeg:
    case kSaveJfifJpeg: id = kStringJpg; break;
    case kSaveTiffRgb:
    case kSaveTiffCmyk: id = kStringTif; break;
    default: return false;
    }
    // Loaded whole first: a cut extension would name another kind of file.
    char extension[64];
    const int32_t length = qz::LoadStringResource(nullptr, id, extension, sizeof extension);
    if (length <= 0 || length >= size || length >= static_cast<int32_t>(sizeof extension) - 1)
        return false;
    std::memcpy(buffer, extension, static_cast<size_t>(length) + 1);
    return true;
}

}  // namespace shell
