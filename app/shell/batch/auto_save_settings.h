// The record a batch or time-lapse run works from, and what its file type
// means to the image writer and the file namer.
#pragma once

#include <cstdint>

class CWnd;

namespace shell {

// Save file types.
enum SaveFileType : int32_t {
    kSaveSourceType = 0,
    kSaveRaw = 1,
    kSaveBmp = 2,
    kSaveExifJpeg = 3,
    kSaveJfifJpeg = 4,
    kSaveTiffRgb = 5,
    kSaveTiffCmyk = 6,
};

// The image writer's format codes.
constexpr int32_t kFormatTiff = 0x1;
constexpr int32_t kFormatJpeg = 0x10;
constexpr int32_t kFormatExifJpeg = 0x20;
constexpr int32_t kFormatBmp = 0x100;
constexpr int32_t kFormatRaw = 0x100000;
constexpr int32_t kFormatUnknown = 0x800000;

constexpr int32_t kAutoSavePathSize = 260;

struct AutoSaveSettings {
    AutoSaveSettings();

    int32_t GetFormatCode() const;
    // JPEG quality level 1..5 from the list position; 0 when not JPEG.
    int32_t GetJpegQuality() const;
    bool GetExtension(char* buffer, int32_t size) const;

    int32_t leading{};  // the run's mode; 0 when loaded from the settings
    int32_t source{};  // 0 camera, 1 folder
    char sourceFolder[kAutoSavePathSize]{};
    int32_t includeSubfolders{};
    int32_t scanForNewFiles{};
    int32_t deleteSourceFiles{};
    int32_t settingsMethod{};  // 0 unmodified, 1 current settings, 2 settings file
    char settingsFile[kAutoSavePathSize]{};
    int32_t ignoreRawSettings{};
    int32_t useSourceFolder{};
    int32_t useSourceFileName{};
    char destinationFolder[kAutoSavePathSize]{};
    int32_t fileType{};  // SaveFileType
    int32_t jpegListPosition{};  // 0..4
    int32_t bitDepth{};  // 1: 16 bits per channel
    int32_t addToCatalogue{};
    // Only a time-lapse run sets these.
    int32_t shotCount{};  // below 1: no limit
    int32_t interval{};   // seconds from one shot's start to the next
    int32_t autofocus{};
    CWnd* dialog{};       // the run's dialog once it has registered; not owned
};

int32_t FileTypeToFormatCode(int32_t fileType);

// The type's extension (".tif" ...) from the string table into `buffer`.
// An unknown type, a missing string or one that does not fit leaves the
// buffer empty and answers false.
bool LoadFileTypeExtension(char* buffer, int32_t size, int32_t fileType);

}  // namespace shell
