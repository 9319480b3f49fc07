// The palettes' settings files: the eight file kinds with their strings, the
// shared reader (an object's own blob, or a container that holds it) and the
// writer, and the Image Adjustment file (".set"). Portable: the palettes show
// the message a call answers; nothing here shows anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/core/procset/image_proc_set.h"

class CQzLutGroup;
class CQzUSMList;
class CQzSizeRes;
class CQzExposureAdjustment;
class CQzWBAdjustment;
class CQzNoiseReduction;
struct CQzRecordSettings;

enum class SettingsFileKind { Curves, ColourBalance, Usm, SizeRes, Exposure, WhiteBalance, NoiseReduction, ImageAdjustment };

struct SettingsFileKindInfo {
    const char* extension;
    uint32_t loadFilter;        // string id of the open dialog's filter
    uint32_t saveFilter;        // string id of the save dialog's filter
    uint32_t notValid;          // "not a valid ... file"
    uint32_t componentMissing;  // 0: none
    uint32_t componentBit;      // 0: the file is the bare blob
    int32_t groupKind;          // 0: not a curve group
};
const SettingsFileKindInfo& SettingsFileInfo(SettingsFileKind kind);

// Result codes of the readers.
inline constexpr int32_t kSettingsFileOk = 0;
inline constexpr int32_t kSettingsFileInvalid = -234;
inline constexpr int32_t kSettingsFileContainerError = -238;
inline constexpr int32_t kSettingsFileOpenFailed = -239;

// Message ids shared by every kind.
inline constexpr uint32_t kMsgCannotOpenFile = 16496;  // "%1": the path
inline constexpr uint32_t kMsgCannotCreateFile = 16499;
inline constexpr uint32_t kMsgDiskFull = 16500;

// Anything shorter cannot hold the class id and version that say what the
// file is; anything longer than the cap is not a settings file.
inline constexpr size_t kSettingsFileMinSize = 18;
inline constexpr size_t kSettingsFileMaxSize = 16u << 20;

// What the caller shows: a message id (0: none) and the path for "%1".
struct SettingsFileMessage {
    uint32_t id = 0;
    std::string path;
};

struct SettingsFileRead {
    int32_t result = kSettingsFileOk;
    SettingsFileMessage message;
    bool flagStored = false;  // the file stored an apply flag for the component
    uint8_t flag = 0;
};

// The whole file, refused as -239 (cannot open) or -234 (too short, too long,
// a short read).
int32_t ReadSettingsFileBytes(const char* path, std::vector<uint8_t>& bytes);

// The palette readers. On success the target takes a deep copy of what was
// read; on any failure it is unchanged. Curve groups come back with the fixed
// channel colours. The size and resolution reader needs the target image's
// size.
SettingsFileRead ReadSettingsFile(SettingsFileKind kind, const char* path, CQzLutGroup& target);
SettingsFileRead ReadSettingsFile(const char* path, CQzUSMList& target);
SettingsFileRead ReadSettingsFile(const char* path, CQzSizeRes& target, int32_t width, int32_t height);
SettingsFileRead ReadSettingsFile(const char* path, CQzExposureAdjustment& target);
SettingsFileRead ReadSettingsFile(const char* path, CQzWBAdjustment& target);
// The bare blob into the object itself; no container, no flag.
SettingsFileRead ReadSettingsFile(const char* path, CQzNoiseReduction& target);

// The master channel black to white, channels 1 to 3 black to red, green, blue.
void SetFixedChannelColours(CQzLutGroup& group);

// Writes the blob beside the target and puts it in the target's place only
// after a clean close; a failed write leaves no partial file and the old file
// as it was. The message is 0, 16499 or 16500 (disk full).
SettingsFileMessage WriteSettingsBlob(const char* path, const std::vector<uint8_t>& blob);

// The palette writers: one container with the component and its apply flag
// (curve groups get the kind's group kind first; size and resolution stores
// no flag); noise reduction writes its bare blob.
SettingsFileMessage WriteSettingsFile(SettingsFileKind kind, const char* path, CQzLutGroup& group, bool flag);
SettingsFileMessage WriteSettingsFile(const char* path, const CQzUSMList& usm, bool flag);
SettingsFileMessage WriteSettingsFile(const char* path, const CQzSizeRes& sizeRes);
SettingsFileMessage WriteSettingsFile(const char* path, const CQzExposureAdjustment& exposure, bool flag);
SettingsFileMessage WriteSettingsFile(const char* path, const CQzWBAdjustment& whiteBalance, bool flag);
SettingsFileMessage WriteSettingsFile(const char* path, const CQzNoiseReduction& noiseReduction);

// ---- The Image Adjustment file ---------------------------------------------

inline constexpr uint32_t kImageAdjustmentComponents =
    kProcUsm | kProcCurves | kProcColourBalance | kProcSizeRes | kProcExposure | kProcWhiteBalance;
inline constexpr uint32_t kImageAdjustmentEnables =
    kProcUsm | kProcCurves | kProcColourBalance | kProcExposure | kProcWhiteBalance;

// The container with every component of the settings and their flags.
std::vector<uint8_t> ImageAdjustmentBlob(CQzRecordSettings& settings);
SettingsFileMessage WriteImageAdjustmentFile(const char* path, CQzRecordSettings& settings);

// The adjustments of a new image, every one of them off: the Image Adjustment
// file that changes nothing ("Neutral.set" as installed).
std::vector<uint8_t> NeutralImageAdjustmentBlob();

// Reads the file through the set as it is pointed: 0, -239, -234 or the
// container's own code.
int32_t ReadImageAdjustmentFile(const char* path, CQzImageProcSet& set, int32_t width, int32_t height);

// Into a record (next-image settings): the record takes the file's objects
// and its five flags, or is left unchanged on any failure. No message.
bool LoadImageAdjustmentFile(const char* path, CQzRecordSettings& record, int32_t width, int32_t height);

// The message a failed read answers without a record: 16496 with the path,
// 10260 for invalid contents, none otherwise.
SettingsFileMessage ImageAdjustmentReadMessage(int32_t result, const char* path);
