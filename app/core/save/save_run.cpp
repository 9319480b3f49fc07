#include <atomic>
#include <cstring>

#include "app/core/demosaic/debayer_base.h"
#include "app/core/engine/pool/color_engine_pool.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/core/engine/seams/progress_sink.h"
#include "app/core/procset/image_proc_set.h"
#include "app/core/save/save_run_impl.h"
#include "filters/CropFilter.h"
#include "filters/UnsharpMaskFilter.h"
#include "filters/VorlatFilterLut.h"
#include "filters/VorlatFilterQRV.h"
#include "filters/VorlatFilterScale.h"
#include "filters/VorlatFilterTransform.h"

namespace {

// The IPTC record of a file (TIFF tag 33723).
constexpr TagId kTagIptc = 0x83BB;

bool ChainHas(const IVorlatError* chain, int32_t value)
{
    for (; chain; chain = chain->Next())
        if (chain->GetValue() == value)
            return true;
    return false;
}

std::atomic<int32_t> gCancel{0};
SaveStreamFactory gStreamFactory = nullptr;

IVorlatError* CreateFileStreamFor(const char* path, IVorlatStream** out)
{
    IVorlatFileStream* stream = nullptr;
    if (IVorlatError* err = IVorlatFileStream::CreateFileStream(&stream))
        return err;
    _VorlatFile file{};
    std::memcpy(file.path, path, std::strlen(path) + 1);
    if (IVorlatError* err = stream->SetFile(file)) {
        stream->Destroy();
        return err;
    }
    *out = stream;
    return nullptr;
}

template <class T>
void DeleteFilter(T*& filter)
{
    delete filter;
    filter = nullptr;
}

void DestroyChain(IVorlatFilterChain*& chain)
{
    if (chain)
        chain->Destroy();
    chain = nullptr;
}

}  // namespace

SaveRun& GetSaveRun()
{
    static SaveRun run;
    return run;
}

CVorlatFilterQRVEngine::Pointer& SaveEngineHolder(SaveEngine engine) { return GetEngineHolder(engine); }

void AddSaveErrorText(const char* text, int32_t line)
{
    SaveRun& run = GetSaveRun();
    IVorlatError::Add(&run.errors, kSaveFile, line, text);
}

const char* GetSaveErrorText()
{
    CEngineLockHold hold;
    for (const IVorlatError* frame = GetSaveRun().errors; frame; frame = frame->Next())
        if (const char* text = frame->GetString())
            return text;
    return "";
}

void SetSaveCancelFlag(int32_t value) { gCancel.store(value); }

int32_t GetSaveCancelFlag() { return gCancel.load(); }

int32_t GetSaveRunPhase()
{
    CEngineLockHold hold;
    return GetSaveRun().phase;
}

bool IsSaveRunBusy()
{
    CEngineLockHold hold;
    return GetSaveRun().busy;
}

void SetSaveStreamFactory(SaveStreamFactory factory) { gStreamFactory = factory; }

IVorlatStream* CreateSaveStream(const char* path)
{
    IVorlatStream* stream = nullptr;
    IVorlatError* err = gStreamFactory ? gStreamFactory(path, &stream) : CreateFileStreamFor(path, &stream);
    if (DropChain(err))
        return nullptr;
    return stream;
}

bool StoreSavePath(const char* path)
{
    SaveRun& run = GetSaveRun();
    const size_t length = path ? std::strlen(path) : 0;
    if (length == 0 || length >= kEnginePathBytes) {
        run.path[0] = '\0';
        return false;
    }
    std::memcpy(run.path, path, length + 1);
    return true;
}

IVorlatError* StoreCaption(IVorlatTagControl* tags, const char* caption)
{
    if (!caption || !caption[0])
        return nullptr;
    IVorlatError* err = nullptr;
    if (!tags->IsExist(kTagIptc, 0) && VorlatFailed(&err, kSaveFile, __LINE__, tags->AddTag(kTagIptc)))
        return err;
    TagItemRequest request{kTagIptcCaption, static_cast<uint32_t>(std::strlen(caption) + 1),
                           const_cast<char*>(caption)};
    VorlatFailed(&err, kSaveFile, __LINE__, tags->SetTagValue(kTagIptc, kTagTypeIptc, sizeof request, &request, 0));
    return err;
}

int32_t WriteFailureCode(IVorlatError* chain)
{
    const int32_t code = ChainHas(chain, kVorlatErrPageFile) ? kEngineDiskFull : kEngineWriteFailed;
    DropChain(chain);
    return code;
}

int32_t ReportProgress(int32_t done, int32_t total)
{
    const int64_t fraction = static_cast<int64_t>(done) * 10000 / (static_cast<int64_t>(total) + 1);
    GetEngineProgress().SetFraction(static_cast<int32_t>(fraction));
    return 0;
}

void HideProgress() { GetEngineProgress().Hide(); }

void EndSaveRun(bool keepOutput)
{
    CEngineLockHold hold;
    SaveRun& run = GetSaveRun();
    // The writer reads its sources until it is detached, and a chain or filter
    // may still be connected to the rendered image: the saver goes first, then
    // the chains, then the images and filters they used.
    if (!keepOutput) {
        HideProgress();
        if (run.saver && run.attached)
            run.saver->DetachStream();
        run.attached = false;
    }
    if (run.processing && run.chain)
        DropChain(run.chain->EndProcess(run.processId));
    run.processing = false;
    DestroyChain(run.chain);
    if (!keepOutput) {
        DestroyChain(run.thumbnails);
        if (run.stream) {
            run.stream->CloseStream();
            run.stream->Destroy();
        }
        run.stream = nullptr;
        if (run.saver)
            run.saver->Destroy();
        run.saver = nullptr;
        delete run.settings;
        run.settings = nullptr;
        if (run.tags)
            run.tags->Destroy();
        run.tags = nullptr;
        if (run.rendered)
            run.rendered->Destroy();
        run.rendered = nullptr;
    }
    DeleteFilter(run.demosaic);
    DeleteFilter(run.crop);
    DeleteFilter(run.scaler);
    DeleteFilter(run.colour);
    DeleteFilter(run.cameraSharpening);
    DeleteFilter(run.backColour);
    DeleteFilter(run.transform);
    DeleteFilter(run.curves);
    DeleteFilter(run.reduce);
    for (CUnsharpMaskFilter*& filter : run.usm)
        DeleteFilter(filter);
    if (!keepOutput) {
        DeleteFilter(run.convert);
        DeleteFilter(run.thumbnailScale);
        DeleteFilter(run.thumbnailColour);
        for (int32_t engine = kEngineA; engine <= kEngineE; ++engine)
            SaveEngineHolder(static_cast<SaveEngine>(engine)).Set(nullptr);
        run.processId = 0;
        run.phase = kSavePhaseFinished;
        run.busy = false;
    }
}
