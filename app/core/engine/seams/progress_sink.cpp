#include "app/core/engine/seams/progress_sink.h"

namespace {

class CSilentProgress : public IEngineProgress {
public:
    void Begin() override {}
    void SetFraction(int32_t) override {}
    void Hide() override {}
    void End() override {}
};

CSilentProgress gSilent;
IEngineProgress* gSink = &gSilent;

}  // namespace

IEngineProgress& GetEngineProgress() { return *gSink; }

void SetEngineProgress(IEngineProgress* sink) { gSink = sink ? sink : &gSilent; }

int32_t ProgressFraction(int32_t done, int32_t total)
{
    if (total < 1 || done < 0)
        return 0;
    if (done >= total)
        return 10000;
    return static_cast<int32_t>(static_cast<int64_t>(done) * 10000 / total);
}
