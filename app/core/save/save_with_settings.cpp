#include <new>
#include <vector>

#include "app/core/engine/seams/engine_lock.h"
#include "app/core/heuristics/size_res.h"
#include "app/core/procset/image_proc_set.h"
#include "app/core/save/save_run_impl.h"

namespace {

void FillSettings(CQzImageProcSet& set, const CDevelopParams& params, const char* name)
{
    set.usmOn = static_cast<uint8_t>(params.usmOn != 0);
    set.usm = params.usmList;
    set.curvesOn = static_cast<uint8_t>(params.curves1On != 0);
    set.curves = params.curves1;
    set.colourBalanceOn = static_cast<uint8_t>(params.curves2On != 0);
    set.colourBalance = params.curves2;
    set.exposureOn = static_cast<uint8_t>(params.exposureOn != 0);
    set.exposure = params.exposure;
    set.whiteBalanceOn = static_cast<uint8_t>(params.wbOn != 0);
    set.whiteBalance = params.wb;
    set.noiseReductionOn = static_cast<uint8_t>(params.noiseOn != 0);
    set.noiseReduction = params.noise;
    set.flip = static_cast<uint8_t>(params.flip != 0);
    set.rotation = static_cast<int16_t>(params.rotation);
    set.sizeRes = static_cast<CQzSizeRes*>(params.sizeRes);
    if (name)
        set.name = CQzString(name);
}

// The settings blob in tag 0x80e01, replacing what the copied tags brought.
int32_t StoreSettingsTag(IVorlatTagControl* tags, const CQzImageProcSet& settings)
{
    const int32_t size = settings.GetSize();
    if (size <= 0)
        return kEngineFailed;
    std::vector<uint8_t> blob;
    try {
        blob.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return kEngineFailed;
    }
    if (settings.GetData(blob.data(), size) != size)
        return kEngineFailed;
    if (!tags->IsExist(ImageProcSettingsTag, 0) && DropChain(tags->AddTag(ImageProcSettingsTag)))
        return kEngineFailed;
    if (DropChain(tags->SetTagValue(ImageProcSettingsTag, kTagTypeBytes, static_cast<uint32_t>(size), blob.data(), 0)))
        return kEngineFailed;
    return kEngineOk;
}

int32_t Begin(const CDevelopParams* params, const char* path, const char* name)
{
    SaveRun& run = GetSaveRun();
    if (!(run.settings = new (std::nothrow) CQzImageProcSet))
        return kEngineNoObject;
    FillSettings(*run.settings, *params, name);
    if (DropChain(IVorlatTagControl::CreateTagControl(&run.tags)) || !run.tags)
        return kEngineNoObject;
    if (params->tags && DropChain(run.tags->CopyFrom(params->tags)))
        return kEngineFailed;
    if (int32_t code = StoreSettingsTag(run.tags, *run.settings))
        return code;
    if (DropChain(StoreCaption(run.tags, params->caption)))
        return kEngineFailed;

    if (DropChain(IVorlatSave::CreateSave(&run.saver)) || !run.saver || !(run.stream = CreateSaveStream(path)))
        return kEngineNoObject;
    if (DropChain(run.saver->AttachStream(run.stream, run.tags, kFormatRawTiff, 0)))
        return kEngineSaverRefused;
    run.attached = true;
    IVorlatImage* image = params->raw ? params->raw : params->source;
    IVorlatDataSource* extra[1] = {params->second};
    // The writer may write its first bytes here already: a full disk says so.
    if (IVorlatError* err = run.saver->BeginSave(image, params->second ? extra : nullptr, params->second ? 1 : 0))
        return WriteFailureCode(err) == kEngineDiskFull ? kEngineDiskFull : kEngineSaverRefused;
    return kEngineOk;
}

int32_t Finish(int32_t code, int32_t* done)
{
    if (done)
        *done = 1;
    EndSaveRun(false);
    return code;
}

}  // namespace

int32_t BeginSaveWithSettings(const CDevelopParams* params, const char* path, const char* name)
{
    CEngineLockHold hold;
    SaveRun& run = GetSaveRun();
    if (run.busy)
        return kEngineSaveRunning;
    if (!params || (!params->source && !params->raw))
        return kEngineFailed;
    if (!StoreSavePath(path))
        return kEngineNoObject;
    DropChain(run.errors);
    run.errors = nullptr;
    run.busy = true;
    run.phase = kSavePhaseWrite;
    if (int32_t code = Begin(params, run.path, name))
        return Finish(code, nullptr);
    return kEngineOk;
}

int32_t SaveWithSettingsStep(int32_t* done)
{
    CEngineLockHold hold;
    SaveRun& run = GetSaveRun();
    if (done)
        *done = 0;
    if (!run.busy || !run.saver)
        return Finish(kEngineFailed, done);
    if (!run.saver->IsFinished() && !GetSaveCancelFlag()) {
        int32_t written = 0, total = 0;
        run.saver->GetProgress(&written, &total);
        ReportProgress(written, total);
        if (IVorlatError* err = run.saver->Execute())
            return Finish(WriteFailureCode(err), done);
    }
    // The step that finishes the saver has put the file in place.
    if (run.saver->IsFinished())
        return Finish(kEngineOk, done);
    if (GetSaveCancelFlag()) {
        AddSaveErrorText("Aborted", __LINE__);
        return Finish(kEngineCancelled, done);
    }
    return kEngineOk;
}

int32_t SaveImageWithSettings(const CDevelopParams* params, const char* path, const char* name)
{
    CEngineLockHold hold;
    int32_t code = BeginSaveWithSettings(params, path, name);
    if (code == kEngineOk) {
        int32_t done = 0;
        while (!done)
            code = SaveWithSettingsStep(&done);
    }
    return code;
}
