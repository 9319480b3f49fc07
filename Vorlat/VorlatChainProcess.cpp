// Batch runs of a filter chain: every filter over the whole image in turn,
// alternating between the target and one intermediate image so that the last
// filter always writes the target.
#include <new>

#include "Vorlat/VorlatFilterChain_impl.h"
#include "Vorlat/VorlatManager_impl.h"
#include "Vorlat/VorlatModules_impl.h"

namespace {

int32_t NextRunId()
{
    static int32_t next = 1;
    return next++;
}

IVorlatError* Fail(int32_t line, int32_t value)
{
    return IVorlatError::Add(nullptr, kModuleChain, line, kVorlatFromSystem, value);
}

} // namespace

IVorlatError* CVorlatFilterChain::BeginProcess(int32_t* id, const IVorlatDataSource** sources, int32_t count,
                                               IVorlatImage* target)
{
    IVorlatError* err = nullptr;
    if (!sources || count < 1 || !sources[0] || !target)
        return Fail(__LINE__, kVorlatErrState);
    CProcessInfo* run = new (std::nothrow) CProcessInfo{};
    if (!run)
        return Fail(__LINE__, kVorlatErrAllocation);
    run->firstSource = sources[0];
    run->currentSource = sources[0];
    run->target = target;
    run->currentDestination = target;
    try {
        for (IVorlatFilter* filter : filters_) {
            if (filter->IsEnabled())
                run->filters.push_back(filter);
        }
    } catch (const std::bad_alloc&) {
        delete run;
        return Fail(__LINE__, kVorlatErrAllocation);
    }
    const size_t n = run->filters.size();
    run->parity = n >= 2 && n % 2 == 0;
    if (filters_.size() > 1 &&
        VorlatFailed(&err, kModuleChain, __LINE__, manager_->CreateImage(&run->intermediate, kVorlatUsageKeep))) {
        delete run;
        return err;
    }
    if (run->parity)
        run->currentDestination = run->intermediate;
    const int32_t runId = NextRunId();
    runs_[runId] = run;
    *id = runId;
    return nullptr;
}

IVorlatError* CVorlatFilterChain::ExecuteProcess(int32_t id, int32_t* done, int32_t* total)
{
    IVorlatError* err = nullptr;
    auto found = runs_.find(id);
    if (found == runs_.end())
        return Fail(__LINE__, kVorlatErrNoSuchId);
    CProcessInfo* run = found->second;
    const int32_t n = static_cast<int32_t>(run->filters.size());
    auto report = [&](int32_t d, int32_t t) {
        if (done)
            *done = d;
        if (total)
            *total = t;
    };
    while (run->filterIndex < n) {
        IVorlatFilter* filter = run->filters[static_cast<size_t>(run->filterIndex)];
        if (run->filterRunId == 0 &&
            VorlatFailed(&err, kModuleChain, __LINE__,
                         filter->BeginProcess(&run->filterRunId, &run->currentSource, 1, run->currentDestination)))
            return err;
        int32_t d = 0, t = 0;
        if (VorlatFailed(&err, kModuleChain, __LINE__, filter->ExecuteProcess(run->filterRunId, &d, &t)))
            return err;
        if (d != 0 || t != 0) {
            report(run->filterIndex * t + d, n * t);
            return nullptr;
        }
        // The filter has finished: what it wrote is the next filter's source.
        if (VorlatFailed(&err, kModuleChain, __LINE__, filter->EndProcess(run->filterRunId)))
            return err;
        run->currentSource = run->currentDestination;
        run->filterRunId = 0;
        ++run->filterIndex;
        run->currentDestination = run->parity ? run->target : run->intermediate;
        run->parity = !run->parity;
    }
    report(0, 0);
    return nullptr;
}

IVorlatError* CVorlatFilterChain::GetProcessInfo(int32_t id, const IVorlatDataSource*** sources, int32_t* count,
                                                 IVorlatImage** target)
{
    auto found = runs_.find(id);
    if (found == runs_.end())
        return Fail(__LINE__, kVorlatErrNoSuchId);
    if (sources)
        *sources = &found->second->firstSource;
    if (count)
        *count = 1;
    if (target)
        *target = found->second->target;
    return nullptr;
}

IVorlatError* CVorlatFilterChain::EndProcess(int32_t id)
{
    IVorlatError* err = nullptr;
    auto found = runs_.find(id);
    if (found == runs_.end())
        return Fail(__LINE__, kVorlatErrNoSuchId);
    CProcessInfo* run = found->second;
    if (run->filterRunId != 0)
        VorlatFailed(&err, kModuleChain, __LINE__,
                     run->filters[static_cast<size_t>(run->filterIndex)]->EndProcess(run->filterRunId));
    if (run->intermediate)
        run->intermediate->Destroy();
    delete run;
    runs_.erase(found);
    return err;
}

void CVorlatFilterChain::EndAllRuns()
{
    while (!runs_.empty()) {
        if (IVorlatError* error = EndProcess(runs_.begin()->first))
            error->Destroy();
    }
}

IVorlatError* CVorlatFilterChain::Process(const IVorlatDataSource** sources, int32_t count, IVorlatImage* target)
{
    IVorlatError* err = nullptr;
    if (!sources || count < 1 || !sources[0] || !target)
        return Fail(__LINE__, kVorlatErrState);
    IVorlatImage* intermediate = nullptr;
    if (filters_.size() > 1 &&
        VorlatFailed(&err, kModuleChain, __LINE__, manager_->CreateImage(&intermediate, kVorlatUsageKeep)))
        return err;
    const size_t n = filters_.size();
    const IVorlatDataSource* current = sources[0];
    size_t i = 0;
    if (n % 2 == 1) {
        if (!VorlatFailed(&err, kModuleChain, __LINE__, filters_[0]->Process(&current, 1, target)))
            current = target;
        i = 1;
    }
    for (; i < n; i += 2) {
        const IVorlatDataSource* between = intermediate;
        if (VorlatFailed(&err, kModuleChain, __LINE__, filters_[i]->Process(&current, 1, intermediate)) ||
            VorlatFailed(&err, kModuleChain, __LINE__, filters_[i + 1]->Process(&between, 1, target)))
            break;
        current = target;
    }
    if (intermediate)
        intermediate->Destroy();
    return err;
}
