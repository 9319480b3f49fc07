// The filter commands: the opened picture run through one filter into a new
// image, which is then saved as a TIFF, as the program applies a filter to a
// document and saves it.
#pragma once

#include "bench/tools/command.h"
#include "filters/VorlatFilterBase.h"

namespace benchcmd {

// Declared before the filter, so that the filter goes first.
struct FilterRun {
    IVorlatManager* manager = nullptr;
    IVorlatImage* source = nullptr;

    explicit FilterRun(const char* in) : manager(OpenManager()), source(Load(manager, in)) {}
    ~FilterRun()
    {
        source->Destroy();
        manager->Destroy();
    }

    void ProcessAndSave(CVorlatFilterBase* filter, const char* out)
    {
        IVorlatImage* target = nullptr;
        Check(manager->CreateImage(&target, kVorlatUsageKeep), "image");
        const IVorlatDataSource* sources[] = {source};
        Check(filter->Process(sources, 1, target), "filter");
        Save(target, out, kFormatTiff, 0);
        target->Destroy();
    }
};

}  // namespace benchcmd
