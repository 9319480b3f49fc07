// The state of the one save that may run at a time, shared by the save
// operations' files. Guarded by the engine lock.
#pragma once

#include <cstdint>

#include "app/core/save/develop_save.h"
#include "fileio/VorlatLoad.h"

class CCropFilter;
class CDeBayerBase;
class CQzImageProcSet;
class CQzSizeRes;
class CUnsharpMaskFilter;
class CVorlatFilterLut;
class CVorlatFilterQRV;
class CVorlatFilterScale;
class CVorlatFilterTransform;

inline constexpr int32_t kSaveUsmSlots = 7;
// The file code of the save's own error frames.
inline constexpr int32_t kSaveFile = VorlatFourCC("Save");
// Framework values carried by the save's own frames.
inline constexpr int32_t kSaveErrEngineSetUp = 1050;

// The engine holders of a run: A camera profile to profile 0; B profile 0 to
// the output; C profile 2 to profile 0; D camera profile to profile 2; E
// profile 0 to 8 bits for the thumbnail.
enum SaveEngine : int32_t { kEngineA = 0, kEngineB, kEngineC, kEngineD, kEngineE };

struct SaveRun {
    bool busy = false;
    int32_t phase = kSavePhaseFinished;
    char path[kEnginePathBytes] = {};
    int32_t mode = 0;
    IVorlatSave* saver = nullptr;
    IVorlatStream* stream = nullptr;
    bool attached = false;
    IVorlatTagControl* tags = nullptr;
    CQzImageProcSet* settings = nullptr;
    IVorlatFilterChain* chain = nullptr;       // the develop chain, then the output conversion
    IVorlatFilterChain* thumbnails = nullptr;
    IVorlatImage* rendered = nullptr;
    int32_t processId = 0;
    bool processing = false;
    double scale = 1.0;

    CDeBayerBase* demosaic = nullptr;
    CCropFilter* crop = nullptr;
    CVorlatFilterScale* scaler = nullptr;
    CVorlatFilterQRV* colour = nullptr;        // engine D or A
    CUnsharpMaskFilter* cameraSharpening = nullptr;
    CVorlatFilterQRV* backColour = nullptr;    // engine C
    CVorlatFilterTransform* transform = nullptr;
    CVorlatFilterLut* curves = nullptr;
    CVorlatFilterQRV* reduce = nullptr;        // engine B, 16 to 8 bits
    CUnsharpMaskFilter* usm[kSaveUsmSlots] = {};
    CVorlatFilterQRV* convert = nullptr;       // engine B, to the output profile
    CVorlatFilterScale* thumbnailScale = nullptr;
    CVorlatFilterQRV* thumbnailColour = nullptr;  // engine E

    // Frames the run adds itself (texts and values), kept for the caller.
    IVorlatError* errors = nullptr;
};

SaveRun& GetSaveRun();
CVorlatFilterQRVEngine::Pointer& SaveEngineHolder(SaveEngine engine);

// Appends a frame with the text to the run's own chain.
void AddSaveErrorText(const char* text, int32_t line);

// A stream for the path from the factory in force; null on failure.
IVorlatStream* CreateSaveStream(const char* path);
// Copies the path into the run; false when it does not fit 259 characters.
bool StoreSavePath(const char* path);

// The caption as one IPTC record in tag 0x83bb; nothing for an empty text.
IVorlatError* StoreCaption(IVorlatTagControl* tags, const char* caption);
// -240 when any frame of the chain carries 1006, else -236; destroys the chain.
int32_t WriteFailureCode(IVorlatError* chain);

// The crop filter's rectangle for the size and resolution settings.
RECT SourceCrop(const CQzSizeRes& sizeRes);

// Phase 0 of the develop run: the develop chain, begun. On failure the run's
// objects stay for EndSaveRun; the result is the code or 0.
int32_t BuildDevelopChain(const CDevelopParams* params);
