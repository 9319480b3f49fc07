// Watchers: objects that hear a filter's own events beyond the data
// notifications. Each side counts its registrations without telling the other.
#include <new>
#include <vector>

#include "filters/VorlatFilterBase.h"

namespace {

constexpr int32_t kFile = kKolvexModuleBase;

} // namespace

CVorlatFilterWatcher::CVorlatFilterWatcher() = default;

CVorlatFilterWatcher::~CVorlatFilterWatcher() { watching_.clear(); }

void CVorlatFilterWatcher::VorlatFilterStartWatching(CVorlatFilterBase* filter) { watching_[filter] += 1; }

void CVorlatFilterWatcher::VorlatFilterStopWatching(CVorlatFilterBase* filter)
{
    auto found = watching_.find(filter);
    if (found == watching_.end())
        return;
    if (--found->second <= 0)
        watching_.erase(found);
}

IVorlatError* CVorlatFilterBase::AddWatcher(CVorlatFilterWatcher* watcher)
{
    IVorlatError* err = nullptr;
    std::vector<CVorlatFilterWatcher*> set;
    try {
        auto inserted = watchers_.emplace(watcher, 0);
        inserted.first->second += 1;
        if (!inserted.second)
            return nullptr;
        for (const auto& entry : watchers_)
            set.push_back(entry.first);
    } catch (const std::bad_alloc&) {
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }
    CVorlatFilterWatcher::WatcherChange change{1, watcher, static_cast<int32_t>(set.size()), set.data()};
    VorlatFailed(&err, kFile, __LINE__, NotifyWatchers(0, &change));
    return err;
}

IVorlatError* CVorlatFilterBase::RemoveWatcher(CVorlatFilterWatcher* watcher)
{
    IVorlatError* err = nullptr;
    auto found = watchers_.find(watcher);
    if (found == watchers_.end())
        return nullptr;
    if (--found->second > 0)
        return nullptr;
    watchers_.erase(found);
    std::vector<CVorlatFilterWatcher*> set;
    try {
        for (const auto& entry : watchers_)
            set.push_back(entry.first);
    } catch (const std::bad_alloc&) {
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }
    CVorlatFilterWatcher::WatcherChange change{0, watcher, static_cast<int32_t>(set.size()), set.data()};
    VorlatFailed(&err, kFile, __LINE__, NotifyWatchers(0, &change));
    return err;
}

IVorlatError* CVorlatFilterBase::NotifyWatchers(int32_t code, void* data)
{
    IVorlatError* err = nullptr;
    // A watcher may remove itself while it is told; walk a copy of the set.
    std::vector<CVorlatFilterWatcher*> set;
    try {
        for (const auto& entry : watchers_)
            set.push_back(entry.first);
    } catch (const std::bad_alloc&) {
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }
    for (CVorlatFilterWatcher* watcher : set) {
        if (VorlatFailed(&err, kFile, __LINE__, watcher->VorlatFilterNotify(this, code, data)))
            break;
    }
    return err;
}
