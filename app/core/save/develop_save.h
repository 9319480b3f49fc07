// The engine's save road: developing an image through a save-time filter
// chain into TIFF, JPEG or BMP, writing a raw file again with its settings in
// the private settings tag, the reduced raw copy and the preview develop.
// The two saves run as a set-up call and step calls; only one runs at a time.
// A save writes a new file beside the target, which takes the target's place
// only when the save completes: a failed or cancelled save leaves the target
// as it was. Every entry point takes the engine lock.
#pragma once

#include <cstdint>

#include "Vorlat/Vorlat.h"
#include "app/core/engine/develop_engine.h"
#include "filters/VorlatFilterQRVEngine.h"

class IVorlatStream;
class IVorlatTagControl;

// Output modes of SaveDevelopedImage.
enum DevelopOutputMode : int32_t {
    kOutput8BitWorking = 0,   // 8 bits per channel in profile 0
    kOutputSourceDepth = 1,   // 16 bits for 16-bit and raw sources, else 8, in profile 0
    kOutput8BitCmyk = 2,      // 8 bits per channel in profile 1
};

// Phases of a develop-and-save run.
enum SaveRunPhase : int32_t {
    kSavePhaseBuild = 0,
    kSavePhaseRender = 1,
    kSavePhaseWrite = 2,
    kSavePhaseFinished = 3,
};

// Develops and writes in one call, stepping until done.
int32_t SaveDevelopedImage(const CDevelopParams* params, const char* path, int32_t mode, int32_t format,
                           int32_t option);
// 0, -250 (a save runs), -252, -237 (the saver refused, or a mode outside 0
// to 2) or -242.
int32_t BeginDevelopSave(const CDevelopParams* params, const char* path, int32_t mode, int32_t format,
                         int32_t option);
// One step; *done becomes 1 once the run is over, whatever its result.
int32_t DevelopSaveStep(const CDevelopParams* params, int32_t* done);

// Writes the raw data again with the settings in the private settings tag.
int32_t SaveImageWithSettings(const CDevelopParams* params, const char* path, const char* name);
int32_t BeginSaveWithSettings(const CDevelopParams* params, const char* path, const char* name);
int32_t SaveWithSettingsStep(int32_t* done);

// Releases the run; keepOutput keeps the saver, stream, tags and rendered
// image for the write phase.
void EndSaveRun(bool keepOutput);
// Stores the output profile of the engine in tag 0x8773; 1 when stored.
int32_t EmbedOutputProfile(IVorlatTagControl* tags, CVorlatFilterQRVEngine::Pointer& engine);
// The export engines A and B for the source and mode: 0, -229, -230 or -234.
int32_t SetUpExportEngines(const CDevelopParams* params, int32_t mode);

// Develops a small image (longest side maxSide) into target in one go.
bool DevelopPreview(const CDevelopParams* params, IVorlatImage* source, int32_t maxSide, IVorlatImage* target);
// Writes a raw copy demosaiced and fitted into boxWidth x boxHeight.
int32_t SaveReducedRawCopy(const CDevelopParams* params, const char* path, int32_t boxWidth, int32_t boxHeight);
// The size of w x h fitted into the box, keeping the aspect ratio; each side at least 1.
void FitIntoBox(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight, int32_t* outWidth,
                int32_t* outHeight);

// Progress of the running save: done of total + 1, in ten-thousandths.
int32_t ReportProgress(int32_t done, int32_t total);
void HideProgress();

// The process-wide cancel flag: the dialog driving a save sets it to stop the
// save and clears it afterwards; the engine only reads it.
void SetSaveCancelFlag(int32_t value);
int32_t GetSaveCancelFlag();

// What the running or last run did, for the caller's messages and the tests.
int32_t GetSaveRunPhase();
bool IsSaveRunBusy();
// The text of the run's last error frame with one ("Aborted", "Missing CMS
// Engine", "Bad source color space"), "" when none.
const char* GetSaveErrorText();

// Where a save gets its output stream: a file stream by default. Tests put a
// stream of their own in its place; null restores the default.
using SaveStreamFactory = IVorlatError* (*)(const char* path, IVorlatStream** stream);
void SetSaveStreamFactory(SaveStreamFactory factory);

// Told the elapsed time of a develop-and-save when the "AppOption8" debug
// switch is on; the Windows default shows it in a message box.
using SaveTimingNotice = void (*)(const char* text);
void SetSaveTimingNotice(SaveTimingNotice notice);
