#include "app/core/load/load_context.h"

#include <atomic>

namespace {

class CSilentLoadProgress final : public ILoadProgress {
public:
    void SetFraction(int32_t) override {}
    void Step() override {}
};

CSilentLoadProgress silentProgress;
ILoadProgress* progressSink = &silentProgress;
IVorlatManager* loadManager = nullptr;
ThumbnailRenderer thumbnailRenderer = nullptr;
// Written by a dialog while a load runs on the same thread's message loop or another.
std::atomic<int32_t> transferCancel{0};

}  // namespace

void SetLoadImageManager(IVorlatManager* manager)
{
    loadManager = manager;
}

IVorlatManager* GetLoadImageManager()
{
    return loadManager;
}

void SetTransferCancelFlag(int32_t value)
{
    transferCancel.store(value);
}

int32_t GetTransferCancelFlag()
{
    return transferCancel.load();
}

ILoadProgress& GetLoadProgress()
{
    return *progressSink;
}

void SetLoadProgress(ILoadProgress* sink)
{
    progressSink = sink ? sink : &silentProgress;
}

int32_t LoadProgressFraction(int32_t done, int32_t total)
{
    // A reader's odd counts must neither divide by zero nor push the bar outside its range.
    if (total < 0) {
        return 0;
    }
    const int64_t fraction = int64_t{done} * 10000 / (int64_t{total} + 1);
    if (fraction < 0) {
        return 0;
    }
    return fraction > 10000 ? 10000 : static_cast<int32_t>(fraction);
}

void SetThumbnailRenderer(ThumbnailRenderer renderer)
{
    thumbnailRenderer = renderer;
}

ThumbnailRenderer GetThumbnailRenderer()
{
    return thumbnailRenderer;
}
