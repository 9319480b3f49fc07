#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "app/core/engine/image_open.h"
#include "app/core/engine/pool/color_engine_pool.h"
#include "app/core/engine/seams/debug_settings.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/core/save/save_run_impl.h"
#include "filters/VorlatFilterQRV.h"
#include "filters/VorlatFilterScale.h"
#include "port/port.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace {

constexpr int32_t kThumbnailSide = 160;
constexpr char kModelPrefix[] = "Mod ";
constexpr char kAborted[] = "Aborted";

#ifdef _WIN32
void ShowTimingBox(const char* text) { MessageBoxA(GetActiveWindow(), text, "Tessaline", MB_OK); }
SaveTimingNotice gTimingNotice = ShowTimingBox;
#else
SaveTimingNotice gTimingNotice = nullptr;
#endif

// A developed file must never pass for an unedited camera file: its model
// text gets the prefix, once.
IVorlatError* MarkModelAsEdited(IVorlatTagControl* tags)
{
    char model[256] = {};
    if (!ReadTagBytes(tags, kTagModel, kTagTypeText, sizeof model, model))
        return nullptr;
    model[sizeof model - 1] = '\0';
    if (std::strncmp(model, kModelPrefix, 4) == 0)
        return nullptr;
    const std::string marked = std::string(kModelPrefix) + model;
    return tags->SetTagValue(kTagModel, kTagTypeText, static_cast<uint32_t>(marked.size() + 1), marked.c_str(), 0);
}

// The developed file holds RGB or CMYK pixels: a file kind copied from a raw
// source would have it developed as raw data again when it is opened, and the
// raw file's first directory came with a reduced-resolution mark that would
// then stand on the main image. The writer marks its thumbnails itself.
IVorlatError* ForgetRawLayout(IVorlatTagControl* tags)
{
    constexpr TagId kSubfileType = 0xFE;
    for (uint32_t group = 1; group <= 9; ++group) {
        if (tags->IsExist(kSubfileType, group))
            if (IVorlatError* err = tags->RemoveTag(kSubfileType, group))
                return err;
    }
    int32_t kind = 0;
    if (!ReadTagLong(tags, kTagFileKind, &kind) || (kind != 32 && kind != 33 && kind != 38))
        return nullptr;
    return tags->RemoveTag(kTagFileKind, 0);
}

// Ends the run with the code; the saver leaves an existing target as it was
// unless the save completed.
int32_t FinishRun(int32_t code, int32_t* done)
{
    if (done)
        *done = 1;
    SaveRun& run = GetSaveRun();
    run.phase = kSavePhaseFinished;
    EndSaveRun(false);
    return code;
}

int32_t Cancelled(int32_t* done, int32_t line)
{
    AddSaveErrorText(kAborted, line);
    return FinishRun(kEngineCancelled, done);
}

// Phase 1 once rendering is over: the conversion to the output, the thumbnail
// chain, and the saver begun on both.
int32_t BeginWriting()
{
    SaveRun& run = GetSaveRun();
    IVorlatManager* manager = GetImageManager();
    int32_t colorSpace = 0, width = 0, height = 0;
    if (DropChain(run.rendered->GetColorSpace(&colorSpace)) || DropChain(run.rendered->GetSize(&width, &height)) ||
        width < 1 || height < 1)
        return kEngineFailed;
    if (DropChain(manager->CreateFilterChain(&run.thumbnails)) || !run.thumbnails)
        return kEngineNoObject;

    int32_t bits = 8;
    int32_t target = -1;  // no conversion
    if (colorSpace == 32) {
        if (run.mode == kOutput8BitCmyk)
            target = 1;
    } else if (colorSpace == 33) {
        bits = 16;
        if (run.mode == kOutput8BitCmyk)
            target = 1;
        else if (run.mode == kOutput8BitWorking)
            target = 0;
    } else {
        AddSaveErrorText("Bad source color space", __LINE__);
        return kEngineFailed;
    }

    if (target >= 0) {
        CVorlatFilterQRVEngine::Pointer& b = SaveEngineHolder(kEngineB);
        if (!CreateColorEngineByIndex(b, 0, bits, target, 8)) {
            AddSaveErrorText("Missing CMS Engine", __LINE__);
            return kEngineFailed;
        }
        run.convert = new (std::nothrow) CVorlatFilterQRV(manager);
        if (!run.convert || DropChain(manager->CreateFilterChain(&run.chain)) || !run.chain ||
            DropChain(run.convert->SetCacheUsage(0)) || DropChain(run.convert->SetQRVEngine(b, false)) ||
            DropChain(run.chain->AddFilter(run.convert, -1)))
            return kEngineFailed;
    }

    run.thumbnailScale = new (std::nothrow) CVorlatFilterScale(manager, 2);
    if (!run.thumbnailScale || DropChain(run.thumbnailScale->SetCacheUsage(0)) ||
        DropChain(run.thumbnailScale->SetScale(static_cast<double>(kThumbnailSide) / std::max(width, height), false)) ||
        DropChain(run.thumbnails->AddFilter(run.thumbnailScale, -1)))
        return kEngineFailed;
    if (bits != 8) {
        CVorlatFilterQRVEngine::Pointer& e = SaveEngineHolder(kEngineE);
        if (!CreateColorEngineByIndex(e, 0, bits, 0, 8)) {
            AddSaveErrorText("Missing CMS Engine", __LINE__);
            return kEngineFailed;
        }
        run.thumbnailColour = new (std::nothrow) CVorlatFilterQRV(manager);
        if (!run.thumbnailColour || DropChain(run.thumbnailColour->SetCacheUsage(0)) ||
            DropChain(run.thumbnailColour->SetQRVEngine(e, false)) ||
            DropChain(run.thumbnails->AddFilter(run.thumbnailColour, -1)))
            return kEngineFailed;
    }

    if ((run.chain && DropChain(run.chain->UseSource(run.rendered, nullptr))) ||
        DropChain(run.thumbnails->UseSource(run.rendered, nullptr)))
        return kEngineFailed;
    IVorlatDataSource* main = run.chain ? static_cast<IVorlatDataSource*>(run.chain) : run.rendered;
    IVorlatDataSource* extra[1] = {run.thumbnails};
    if (IVorlatError* err = run.saver->BeginSave(main, extra, 1))
        return WriteFailureCode(err);
    run.phase = kSavePhaseWrite;
    return kEngineOk;
}

int32_t RenderStep(int32_t* done)
{
    SaveRun& run = GetSaveRun();
    int32_t stepDone = 0, total = 0;
    IVorlatError* err = run.chain->ExecuteProcess(run.processId, &stepDone, &total);
    if (total > 0)
        ReportProgress(4 * stepDone, 5 * total);
    const bool cancelled = GetSaveCancelFlag() != 0;
    if (!err && total != 0 && !cancelled)
        return kEngineOk;
    if (cancelled) {
        DropChain(err);
        return Cancelled(done, __LINE__);
    }
    if (DropChain(err))
        return FinishRun(kEngineFailed, done);

    const bool ended = !DropChain(run.chain->EndProcess(run.processId));
    run.processing = false;
    if (!ended)
        return FinishRun(kEngineFailed, done);
    EndSaveRun(true);
    if (int32_t code = BeginWriting())
        return FinishRun(code, done);
    return kEngineOk;
}

int32_t WriteStep(int32_t* done)
{
    SaveRun& run = GetSaveRun();
    if (!run.saver->IsFinished()) {
        int32_t written = 0, total = 0;
        run.saver->GetProgress(&written, &total);
        ReportProgress(written + 4 * total, 5 * total);
        if (IVorlatError* err = run.saver->Execute())
            return FinishRun(WriteFailureCode(err), done);
    }
    // A finished saver has already put the file in place: that is a success
    // even when the cancel came too late to stop it.
    if (run.saver->IsFinished())
        return FinishRun(kEngineOk, done);
    if (GetSaveCancelFlag())
        return Cancelled(done, __LINE__);
    return kEngineOk;
}

}  // namespace

void SetSaveTimingNotice(SaveTimingNotice notice) { gTimingNotice = notice; }

int32_t BeginDevelopSave(const CDevelopParams* params, const char* path, int32_t mode, int32_t format,
                         int32_t option)
{
    CEngineLockHold hold;
    SaveRun& run = GetSaveRun();
    if (run.busy)
        return kEngineSaveRunning;
    // Any other mode would make no engine and write an unconverted image.
    if (mode < kOutput8BitWorking || mode > kOutput8BitCmyk)
        return kEngineSaverRefused;
    if (!params || !params->source)
        return kEngineFailed;
    if (!StoreSavePath(path))
        return kEngineNoObject;

    DropChain(run.errors);
    run.errors = nullptr;
    run.rendered = nullptr;
    run.busy = true;
    run.mode = mode;
    run.phase = kSavePhaseBuild;

    int32_t code = kEngineOk;
    if (DropChain(IVorlatSave::CreateSave(&run.saver)) || !run.saver || !(run.stream = CreateSaveStream(run.path)))
        code = kEngineNoObject;
    if (!code && (DropChain(IVorlatTagControl::CreateTagControl(&run.tags)) || !run.tags))
        code = kEngineNoObject;
    if (!code && params->tags && DropChain(run.tags->CopyFrom(params->tags)))
        code = kEngineFailed;
    if (!code && (DropChain(MarkModelAsEdited(run.tags)) || DropChain(ForgetRawLayout(run.tags))))
        code = kEngineFailed;
    if (!code && params->embedProfile && SetUpExportEngines(params, mode) == kEngineOk)
        EmbedOutputProfile(run.tags, SaveEngineHolder(mode == kOutput8BitCmyk ? kEngineB : kEngineA));
    if (!code && DropChain(StoreCaption(run.tags, params->caption)))
        code = kEngineFailed;
    if (!code) {
        if (DropChain(run.saver->AttachStream(run.stream, run.tags, format, option)))
            code = kEngineSaverRefused;
        else
            run.attached = true;
    }
    if (code) {
        EndSaveRun(false);
        return code;
    }
    run.phase = kSavePhaseBuild;
    return kEngineOk;
}

int32_t DevelopSaveStep(const CDevelopParams* params, int32_t* done)
{
    CEngineLockHold hold;
    SaveRun& run = GetSaveRun();
    if (done)
        *done = 0;
    if (!run.busy) {
        if (done)
            *done = 1;
        return kEngineFailed;
    }
    switch (run.phase) {
    case kSavePhaseBuild:
        if (int32_t code = BuildDevelopChain(params))
            return FinishRun(code, done);
        run.phase = kSavePhaseRender;
        return kEngineOk;
    case kSavePhaseRender: return RenderStep(done);
    case kSavePhaseWrite: return WriteStep(done);
    default: return FinishRun(kEngineFailed, done);
    }
}

int32_t SaveDevelopedImage(const CDevelopParams* params, const char* path, int32_t mode, int32_t format,
                           int32_t option)
{
    CEngineLockHold hold;
    const uint32_t start = port::TickCount();
    int32_t code = BeginDevelopSave(params, path, mode, format, option);
    if (code == kEngineOk) {
        int32_t done = 0;
        while (!done)
            code = DevelopSaveStep(params, &done);
    }
    if (GetEngineDebugSettings().GetInt("AppOption8", 0) != 0 && gTimingNotice) {
        const uint32_t end = port::TickCount();
        const uint32_t elapsed = end >= start ? end - start : start - end;
        char text[64];
        std::snprintf(text, sizeof text, "Elapsed time: %.1f seconds", elapsed * 0.001);
        gTimingNotice(text);
    }
    return code;
}
