// Opening and loading images through the file library, and what the engine
// asks of an image's tags: whether the file comes unedited from a supported
// camera, the developed size of raw data, the file kind and the camera input
// profile. Every operation takes the engine lock.
#pragma once

#include <cstdint>
#include <string>

#include "fileio/VorlatLoad.h"

struct CDevelopParams;

// Tags the engine reads (maker-note namespace unless noted).
inline constexpr TagId kTagModel = 0x110;  // TIFF
inline constexpr TagId kTagSensitivity = 0x80002;
inline constexpr TagId kTagFileKind = 0x80004;
inline constexpr TagId kTagLightSource = 0x80005;
inline constexpr TagId kTagSharpening = 0x80006;
inline constexpr TagId kTagColorTemperatureStep = 0x8000B;
inline constexpr TagId kTagShotMultipliers = 0x8000C;
inline constexpr TagId kTagToneSetting = 0x80081;
inline constexpr TagId kTagShootingFlags = 0x80087;
inline constexpr TagId kTagCameraCurve = 0x8008C;
inline constexpr TagId kTagColorSetting = 0x8008D;
inline constexpr TagId kTagDaylightMode = 0x80090;
inline constexpr TagId kTagHueSetting = 0x80092;

// The file kind of camera raw files.
inline constexpr int32_t kFileKindRaw = 32;

// 1 on success: *image holds the loaded image, counted once in the engine's
// references. A null path reads the memory block instead.
uint8_t OpenImage(IVorlatImage** image, const char* path, const void* memory, uint32_t size);
// Loads through an attached loader in steps; 1 when no error came back.
uint8_t LoadImageSteps(IVorlatImage* target, int32_t index, IVorlatLoad* loader);
// 1 when *tags holds the file's tags (at once when it already holds a store).
uint8_t ProbeImageFile(IVorlatTagControl** tags, const char* path);
uint8_t IsOriginalCameraFile(const char* path, const void* memory, uint32_t size);
uint8_t IsSupportedCameraFile(const IVorlatTagControl* tags);
// 1 "KORVA M4 ", 2 "KORVA M4H", 3 "KORVA M4X" (letter case ignored, whole text), else 0.
int32_t GetCameraModelCode(const IVorlatTagControl* tags);
uint8_t GetDevelopedImageSize(const IVorlatDataSource* source, int32_t* width, int32_t* height);
// The value of the file-kind tag, 0 when missing.
int32_t GetImageFileKind(const IVorlatTagControl* tags);

// The camera input profile of an image: engine folder, "QZM4_TIFF" or
// "QZM4_XQV" with its number, ".icm". The second form writes at most 260
// bytes and answers out, or an empty text when the path would not fit.
bool GetCameraProfilePath(std::string& path, const CDevelopParams& params);
char* GetCameraProfilePath(char* out, const CDevelopParams* params);
// The profile number (0 to 36) that the name carries for raw files.
int32_t GetCameraProfileNumber(const CDevelopParams& params);

// Reads of single values; false when the tag is missing or unreadable.
bool ReadTagLong(const IVorlatTagControl* tags, TagId tag, int32_t* value);
bool ReadTagBytes(const IVorlatTagControl* tags, TagId tag, uint32_t type, uint32_t bytes, void* buffer);

// The colour setting of an image: 1 or 2, 0 for none (the exposure
// adjustment's when it is on and set, else the camera's).
int32_t GetColorSetting(const CDevelopParams& params);
// The tone setting: the camera's value, or the exposure adjustment's choice
// when it is on and set (2 gives 1, 3 gives 2, 4 gives 16, others 0).
int32_t GetToneSetting(const CDevelopParams& params);
