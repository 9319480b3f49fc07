#include "app/core/engine/seams/progress_sink.h"

namespace {

class CSilentProgress : public IEngineProgress {
public:
    void SetFraction(int32_t) override {}
    void Hide() override {}
};

CSilentProgress gSilent;
IEngineProgress* gSink = &gSilent;

}  // namespace

IEngineProgress& GetEngineProgress() { return *gSink; }

void SetEngineProgress(IEngineProgress* sink) { gSink = sink ? sink : &gSilent; }

int32_t ProgressFraction(int32_t done, int32_t total)
{
    if (total < 0 || done < 0)
        return 0;
    const int64_t fraction = int64_t{done} * 10000 / (int64_t{total} + 1);
    return fraction > 10000 ? 10000 : static_cast<int32_t>(fraction);
}
