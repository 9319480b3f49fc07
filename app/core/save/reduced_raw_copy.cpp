#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "app/core/demosaic/debayer_base.h"
#include "app/core/engine/develop_setup.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/core/save/save_run_impl.h"
#include "filters/VorlatFilterScale.h"
#include "filters/VorlatFilterTransform.h"

namespace {

int32_t Truncated(double value)
{
    if (!(value >= 1.0))
        return 1;
    return value >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(value);
}

// The objects of one copy, released in reverse order on every way out.
struct CopyObjects {
    IVorlatSave* saver = nullptr;
    IVorlatStream* stream = nullptr;
    bool attached = false;
    IVorlatFilterChain* chain = nullptr;
    std::unique_ptr<CDeBayerBase> demosaic;
    std::unique_ptr<CVorlatFilterScale> scale;
    std::unique_ptr<CVorlatFilterTransform> transform;
    ~CopyObjects()
    {
        if (attached)
            saver->DetachStream();
        if (chain)
            chain->Destroy();
        if (stream) {
            stream->CloseStream();
            stream->Destroy();
        }
        if (saver)
            saver->Destroy();
    }
};

}  // namespace

void FitIntoBox(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight, int32_t* outWidth,
                int32_t* outHeight)
{
    const double w = std::max(1, width), h = std::max(1, height);
    const double bw = std::max(1, boxWidth), bh = std::max(1, boxHeight);
    if (w / h >= bw / bh) {
        *outWidth = static_cast<int32_t>(bw);
        *outHeight = Truncated(h * bw / w);
    } else {
        *outWidth = Truncated(w * bh / h);
        *outHeight = static_cast<int32_t>(bh);
    }
}

int32_t SaveReducedRawCopy(const CDevelopParams* params, const char* path, int32_t boxWidth, int32_t boxHeight)
{
    CEngineLockHold hold;
    IVorlatManager* manager = GetImageManager();
    if (!params || !params->source || !manager)
        return kEngineFailed;
    int32_t colorSpace = 0, width = 0, height = 0;
    if (DropChain(params->source->GetColorSpace(&colorSpace)))
        return kEngineNoColorSpace;
    const int32_t kind = GetImageFileKind(params->tags);
    if ((kind != 32 && kind != 33) || (colorSpace != 33 && colorSpace != 64))
        return kEngineBadColorSpace;
    // An empty source has nothing to fit into the box.
    if (DropChain(params->source->GetSize(&width, &height)) || width < 1 || height < 1)
        return kEngineBadColorSpace;
    _VorlatFile file{};
    if (!path || !path[0] || std::strlen(path) >= sizeof file.path)
        return kEngineNoObject;

    CopyObjects objects;
    if (DropChain(IVorlatSave::CreateSave(&objects.saver)) || !objects.saver ||
        !(objects.stream = CreateSaveStream(path)))
        return kEngineNoObject;
    if (DropChain(objects.saver->AttachStream(objects.stream, params->tags, kFormatRawTiff, 0)))
        return kEngineSaverRefused;
    objects.attached = true;

    if (DropChain(manager->CreateFilterChain(&objects.chain)) || !objects.chain)
        return kEngineNoObject;
    CDeBayerBase* demosaic = nullptr;
    if (!MakeDemosaicFilter(&demosaic, params, false))
        return kEngineFailed;
    objects.demosaic.reset(demosaic);
    if (demosaic && DropChain(objects.chain->AddFilter(demosaic, -1)))
        return kEngineFailed;
    if (DropChain(objects.chain->UseSource(params->source, nullptr)))
        return kEngineFailed;

    int32_t chainWidth = 0, chainHeight = 0, fitWidth = 0, fitHeight = 0;
    if (DropChain(objects.chain->GetSize(&chainWidth, &chainHeight)))
        return kEngineFailed;
    FitIntoBox(chainWidth, chainHeight, boxWidth, boxHeight, &fitWidth, &fitHeight);
    objects.scale.reset(new (std::nothrow) CVorlatFilterScale(manager, 2));
    if (!objects.scale || DropChain(objects.scale->SetCacheUsage(0)) ||
        DropChain(objects.chain->AddFilter(objects.scale.get(), -1)) ||
        DropChain(objects.scale->SetSize(fitWidth, fitHeight, false)))
        return kEngineFailed;
    if (params->flip || params->rotation) {
        objects.transform.reset(new (std::nothrow) CVorlatFilterTransform(manager));
        if (!objects.transform || DropChain(objects.chain->AddFilter(objects.transform.get(), -1)) ||
            DropChain(objects.transform->SetTransform(params->flip != 0, params->rotation, false, false)))
            return kEngineFailed;
    }

    if (DropChain(objects.saver->BeginSave(objects.chain, nullptr, 0)))
        return kEngineWriteFailed;
    while (!objects.saver->IsFinished()) {
        if (DropChain(objects.saver->Execute()))
            return kEngineWriteFailed;
    }
    return kEngineOk;
}
