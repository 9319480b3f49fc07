// The develop engine's shared frame: its result codes, the develop-parameter
// block that callers hand it, its process-wide state (image manager, colour
// profile paths, engine folder, references of pipeline images) and the
// start-up and exit entry points. Every entry point takes the engine lock.
#pragma once

#include <cstdint>

#include "Vorlat/Vorlat.h"

class CImageRecord;
class CQzExposureAdjustment;
class CQzLutGroup;
class CQzNoiseReduction;
class CQzUSMList;
class CQzWBAdjustment;
class CQRVEngMgr;
class IVorlatTagControl;

// Engine result codes.
enum EngineResult : int32_t {
    kEngineOk = 0,
    kEngineCancelled = -123,
    kEngineNoColorEngine = -229,
    kEngineBadColorSpace = -230,
    kEngineNotCameraFile = -231,
    kEngineNoColorSpace = -234,
    kEngineWriteFailed = -236,
    kEngineSaverRefused = -237,
    kEngineOpenFailed = -239,
    kEngineDiskFull = -240,
    kEngineFailed = -242,
    kEngineSaveRunning = -250,
    kEngineNoObject = -252,
};

// Paths as the engine stores them: 260 bytes, zero-terminated.
inline constexpr int32_t kEnginePathBytes = 260;
// The file code of the engine's own error frames.
inline constexpr int32_t kEngineFile = VorlatFourCC("Engn");
// Tone tables: one 16-bit value per 12-bit raw value.
inline constexpr int32_t kToneTableEntries = 4096;

// What a caller hands the engine about one image; never kept past the call.
struct CDevelopParams {
    CDevelopParams() = default;
    // Everything the engine needs of a record, size and resolution applied,
    // the debug switches read now. Points into the record: build it where
    // the record outlives the call.
    explicit CDevelopParams(CImageRecord& record);

    int32_t usmOn = 0;
    CQzUSMList* usmList = nullptr;
    int32_t curves1On = 0;
    CQzLutGroup* curves1 = nullptr;
    int32_t curves2On = 0;
    CQzLutGroup* curves2 = nullptr;
    void* sizeRes = nullptr;  // the size and resolution settings object
    int32_t exposureOn = 0;
    CQzExposureAdjustment* exposure = nullptr;
    int32_t wbOn = 0;
    CQzWBAdjustment* wb = nullptr;
    int32_t noiseOn = 0;
    CQzNoiseReduction* noise = nullptr;
    int32_t flip = 0;
    int32_t rotation = 0;  // degrees
    IVorlatImage* source = nullptr;
    IVorlatImage* second = nullptr;
    IVorlatImage* raw = nullptr;  // the undeveloped raw image once the source was demosaiced
    IVorlatTagControl* tags = nullptr;
    int16_t cameraModel = 0;  // 1 to 3
    double asShotRed = 0.0;
    double asShotBlue = 0.0;
    int32_t extra1 = 0;
    int32_t extra2 = 0;
    const char* caption = nullptr;
    int32_t sizeResApplied = 1;
    // Debug switches of the moment the block was built.
    int32_t option3Clear = 1;    // "AppOption3" is 0
    int32_t embedProfile = 1;    // "AppOption6" is 0
    int32_t option4Equals1 = 0;  // "AppOption4" is 1

    // Reads the three debug switches from the "Debug" section.
    void ReadDebugSwitches();
};

// Record of a pipeline image held by the engine's references.
void AddRefImageData(IVorlatImage* image);
// The new count; an unknown image gives 0 and is left alone, the last
// release destroys the image.
int32_t ReleaseImageData(IVorlatImage* image);
int32_t GetImageDataRefCount(IVorlatImage* image);

void SetImageManager(IVorlatManager* manager);
IVorlatManager* GetImageManager();

// Stores the four profile paths (0 RGB working, 1 CMYK, 2 lightness-chroma-
// hue, 3 monitor) whatever happens; 1 when all four files exist. A path that
// does not fit 260 bytes is stored empty and counts as missing.
uint8_t SetColorProfilePaths(const char* profile0, const char* profile1, const char* profile2,
                             const char* profile3);
// Profile n (0 to 3), "" for any other n.
const char* GetColorProfilePath(int32_t n);
bool AreColorProfilePathsSet();

// Stores the folder of the camera input profiles with a trailing backslash;
// false (folder left as it was) when it would not fit 260 bytes.
bool SetEngineFolder(const char* path);
const char* GetEngineFolder();

// Start-up: the colour engine pool (4 parked engines) and the default tone
// table, not built yet. Exit: both freed.
void CreateColorEnginePool();
void DestroyColorEnginePool();
bool IsEngineReady();
CQRVEngMgr* GetColorEnginePool();
// The default tone table's storage (4096 entries), null before start-up.
uint16_t* GetDefaultToneTableStorage();

// Destroys a chain received from a library call; true when there was one.
inline bool DropChain(IVorlatError* chain)
{
    if (!chain)
        return false;
    chain->Destroy();
    return true;
}
