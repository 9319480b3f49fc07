#include "Vorlat/VorlatConnection.h"

#include <algorithm>
#include <new>
#include <vector>

#include "Vorlat/VorlatModules_impl.h"

namespace {

// One link as negotiated, with the objects that callers named when the
// negotiation replaced them (one entry per such connection).
struct VorlatConnection {
    int32_t uses = 1;
    IVorlatDataSource* source = nullptr;
    IVorlatDataDestination* destination = nullptr;
    std::vector<IVorlatDataSource*> sourceAliases;
    std::vector<IVorlatDataDestination*> destinationAliases;

    bool MatchesSource(const IVorlatDataSource* s) const
    {
        return source == s || std::find(sourceAliases.begin(), sourceAliases.end(), s) != sourceAliases.end();
    }
    bool MatchesDestination(const IVorlatDataDestination* d) const
    {
        return destination == d ||
               std::find(destinationAliases.begin(), destinationAliases.end(), d) != destinationAliases.end();
    }
};

// A notification pass in progress: the destinations still to be told.
struct NotificationPass {
    const IVorlatDataSource* source;
    std::vector<IVorlatDataDestination*> pending;
};

struct Registry {
    std::vector<VorlatConnection*> records;  // in the order first made
    std::vector<NotificationPass*> passes;
};

// Never destroyed: objects with static storage may still forget their links
// while the process ends.
Registry& TheRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

bool StillListed(const VorlatConnection* record)
{
    const auto& records = TheRegistry().records;
    return std::find(records.begin(), records.end(), record) != records.end();
}

// Two objects that keep naming substitutes would negotiate forever.
constexpr int kMaxNegotiationPasses = 64;

template <typename T>
void EraseOne(std::vector<T*>& list, const T* item)
{
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end())
        list.erase(it);
}

void DropFromPasses(const IVorlatDataSource* source, const IVorlatDataDestination* destination)
{
    for (NotificationPass* pass : TheRegistry().passes) {
        if (source && pass->source != source)
            continue;
        auto& pending = pass->pending;
        pending.erase(std::remove(pending.begin(), pending.end(), destination), pending.end());
    }
}

// Removes one use of record. Forced removal (an object that is being
// destroyed) goes ahead when a hook refuses or fails; its errors are dropped.
IVorlatError* RemoveOneUse(VorlatConnection* record, IVorlatDataSource* namedSource,
                           IVorlatDataDestination* namedDestination, bool force)
{
    IVorlatError* err = nullptr;
    IVorlatDataSource* source = record->source;
    IVorlatDataDestination* destination = record->destination;

    IVorlatError* refusal = destination->VorlatRemoveDataSourceCheck(source);
    if (!refusal)
        refusal = source->VorlatRemoveDataDestinationCheck(destination);
    if (refusal) {
        if (!force)
            return IVorlatError::AddWorker(nullptr, kModuleRegistry, __LINE__, refusal);
        refusal->Destroy();
    }
    // A check hook may itself have changed the registry.
    if (!StillListed(record))
        return nullptr;

    if (--record->uses == 0) {
        auto& records = TheRegistry().records;
        records.erase(std::find(records.begin(), records.end(), record));
        delete record;
    } else {
        if (namedSource && namedSource != source)
            EraseOne(record->sourceAliases, namedSource);
        if (namedDestination && namedDestination != destination)
            EraseOne(record->destinationAliases, namedDestination);
    }

    DropFromPasses(source, destination);
    if (namedDestination)
        DropFromPasses(source, namedDestination);
    if (namedSource && namedSource != source) {
        DropFromPasses(namedSource, destination);
        if (namedDestination)
            DropFromPasses(namedSource, namedDestination);
    }

    // Both sides are told; the removal stands whatever they answer.
    VorlatFailed(&err, kModuleRegistry, __LINE__, destination->VorlatRemovedDataSource(source));
    VorlatFailed(&err, kModuleRegistry, __LINE__, source->VorlatRemovedDataDestination(destination));
    if (err && force) {
        err->Destroy();
        err = nullptr;
    }
    return err;
}

std::vector<VorlatConnection*> NewestFirst()
{
    const auto& records = TheRegistry().records;
    return std::vector<VorlatConnection*>(records.rbegin(), records.rend());
}

IVorlatError* ForgetSource(IVorlatDataSource* object, bool force)
{
    IVorlatError* err = nullptr;
    for (VorlatConnection* record : NewestFirst()) {
        if (!StillListed(record))
            continue;
        int32_t times = 0;
        if (record->source == object)
            times = record->uses;
        else
            times = static_cast<int32_t>(std::count(record->sourceAliases.begin(), record->sourceAliases.end(), object));
        for (int32_t i = 0; i < times && StillListed(record); ++i) {
            if (VorlatFailed(&err, kModuleRegistry, __LINE__, RemoveOneUse(record, object, nullptr, force)))
                return err;
        }
    }
    return nullptr;
}

IVorlatError* ForgetDestination(IVorlatDataDestination* object, bool force)
{
    IVorlatError* err = nullptr;
    for (VorlatConnection* record : NewestFirst()) {
        if (!StillListed(record))
            continue;
        int32_t times = 0;
        if (record->destination == object)
            times = record->uses;
        else
            times = static_cast<int32_t>(
                std::count(record->destinationAliases.begin(), record->destinationAliases.end(), object));
        for (int32_t i = 0; i < times && StillListed(record); ++i) {
            if (VorlatFailed(&err, kModuleRegistry, __LINE__, RemoveOneUse(record, nullptr, object, force)))
                return err;
        }
    }
    return nullptr;
}

IVorlatError* InvalidArgument(int32_t line)
{
    return IVorlatError::Add(nullptr, kModuleRegistry, line, kVorlatFromSystem, kVorlatErrState);
}

} // namespace

IVorlatError* VorlatDataConnect(IVorlatDataSource* source, IVorlatDataDestination* destination)
{
    if (!source || !destination)
        return InvalidArgument(__LINE__);
    IVorlatError* err = nullptr;
    IVorlatDataSource* s = source;
    IVorlatDataDestination* d = destination;
    IVorlatDataSource* passStartSource = s;
    IVorlatDataDestination* passStartDestination = d;
    for (int pass = 0;; ++pass) {
        if (pass == kMaxNegotiationPasses)
            return IVorlatError::Add(nullptr, kModuleRegistry, __LINE__, "Connection substitution does not settle");
        if (VorlatFailed(&err, kModuleRegistry, __LINE__, d->VorlatAddDataSourceCheck(s, &d)))
            return err;
        if (VorlatFailed(&err, kModuleRegistry, __LINE__, s->VorlatAddDataDestinationCheck(&s, d)))
            return err;
        if (!s || !d)
            return InvalidArgument(__LINE__);
        if (s == passStartSource && d == passStartDestination)
            break;
        passStartSource = s;
        passStartDestination = d;
    }

    auto& records = TheRegistry().records;
    VorlatConnection* record = nullptr;
    for (VorlatConnection* r : records) {
        if (r->source == s && r->destination == d) {
            record = r;
            break;
        }
    }
    if (record) {
        ++record->uses;
    } else {
        record = new (std::nothrow) VorlatConnection;
        if (!record)
            return IVorlatError::Add(nullptr, kModuleRegistry, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
        record->source = s;
        record->destination = d;
        records.push_back(record);
    }
    if (s != source)
        record->sourceAliases.push_back(source);
    if (d != destination)
        record->destinationAliases.push_back(destination);

    if (VorlatFailed(&err, kModuleRegistry, __LINE__, d->VorlatAddedDataSource(s)))
        return err;
    if (VorlatFailed(&err, kModuleRegistry, __LINE__, s->VorlatAddedDataDestination(d)))
        return err;
    return nullptr;
}

IVorlatError* VorlatDataDisconnect(IVorlatDataSource* source, IVorlatDataDestination* destination)
{
    IVorlatError* err = nullptr;
    const auto& records = TheRegistry().records;
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        VorlatConnection* record = *it;
        if (record->MatchesSource(source) && record->MatchesDestination(destination)) {
            VorlatFailed(&err, kModuleRegistry, __LINE__, RemoveOneUse(record, source, destination, false));
            return err;
        }
    }
    return nullptr;
}

IVorlatError* VorlatForgetDataSource(IVorlatDataSource* source) { return ForgetSource(source, true); }

IVorlatError* VorlatForgetDataDestination(IVorlatDataDestination* destination)
{
    IVorlatError* err = ForgetDestination(destination, true);
    // Whatever links it had, a destination that is going away hears nothing more.
    DropFromPasses(nullptr, destination);
    return err;
}

IVorlatError* VorlatReplaceDataSource(IVorlatDataSource* old, IVorlatDataSource* replacement)
{
    if (old == replacement)
        return nullptr;
    IVorlatError* err = nullptr;
    for (VorlatConnection* record : NewestFirst()) {
        if (!StillListed(record))
            continue;
        int32_t sets = 0;
        if (record->source == old)
            sets = 1;
        else
            sets = static_cast<int32_t>(std::count(record->sourceAliases.begin(), record->sourceAliases.end(), old));
        // Copies: connecting may add to this very record.
        const std::vector<IVorlatDataDestination*> aliases = record->destinationAliases;
        IVorlatDataDestination* destination = record->destination;
        const int32_t direct = record->uses - static_cast<int32_t>(aliases.size());
        for (int32_t set = 0; set < sets; ++set) {
            for (IVorlatDataDestination* alias : aliases) {
                if (VorlatFailed(&err, kModuleRegistry, __LINE__, VorlatDataConnect(replacement, alias)))
                    return err;
            }
            for (int32_t i = 0; i < direct; ++i) {
                if (VorlatFailed(&err, kModuleRegistry, __LINE__, VorlatDataConnect(replacement, destination)))
                    return err;
            }
        }
    }
    VorlatFailed(&err, kModuleRegistry, __LINE__, ForgetSource(old, false));
    return err;
}

IVorlatError* VorlatReplaceDataDestination(IVorlatDataDestination* old, IVorlatDataDestination* replacement)
{
    if (old == replacement)
        return nullptr;
    IVorlatError* err = nullptr;
    for (VorlatConnection* record : NewestFirst()) {
        if (!StillListed(record))
            continue;
        int32_t sets = 0;
        if (record->destination == old)
            sets = 1;
        else
            sets = static_cast<int32_t>(
                std::count(record->destinationAliases.begin(), record->destinationAliases.end(), old));
        const std::vector<IVorlatDataSource*> aliases = record->sourceAliases;
        IVorlatDataSource* source = record->source;
        const int32_t direct = record->uses - static_cast<int32_t>(aliases.size());
        for (int32_t set = 0; set < sets; ++set) {
            for (IVorlatDataSource* alias : aliases) {
                if (VorlatFailed(&err, kModuleRegistry, __LINE__, VorlatDataConnect(alias, replacement)))
                    return err;
            }
            for (int32_t i = 0; i < direct; ++i) {
                if (VorlatFailed(&err, kModuleRegistry, __LINE__, VorlatDataConnect(source, replacement)))
                    return err;
            }
        }
    }
    VorlatFailed(&err, kModuleRegistry, __LINE__, ForgetDestination(old, false));
    return err;
}

IVorlatError* VorlatSendDataNotification(const IVorlatDataSource* source, int32_t code, void* param)
{
    IVorlatError* err = nullptr;
    NotificationPass pass{source, {}};
    for (VorlatConnection* record : TheRegistry().records) {
        if (record->MatchesSource(source))
            pass.pending.push_back(record->destination);
    }
    auto& passes = TheRegistry().passes;
    passes.push_back(&pass);
    // The newest link hears first; a destination unlinked meanwhile drops out of pending.
    while (!pass.pending.empty()) {
        IVorlatDataDestination* destination = pass.pending.back();
        pass.pending.pop_back();
        if (VorlatFailed(&err, kModuleRegistry, __LINE__, destination->VorlatNotify(source, code, param)))
            break;
    }
    passes.erase(std::find(passes.begin(), passes.end(), &pass));
    return err;
}

IVorlatError* VorlatGetDataSourceCount(const IVorlatDataDestination* destination, int32_t* count)
{
    int32_t n = 0;
    for (const VorlatConnection* record : TheRegistry().records)
        n += record->MatchesDestination(destination) ? 1 : 0;
    *count = n;
    return nullptr;
}

IVorlatError* VorlatGetDataSources(const IVorlatDataDestination* destination, const IVorlatDataSource** out,
                                   int32_t max)
{
    int32_t n = 0;
    for (const VorlatConnection* record : TheRegistry().records) {
        if (!record->MatchesDestination(destination))
            continue;
        if (n == max)
            return IVorlatError::Add(nullptr, kModuleRegistry, __LINE__, kVorlatFromSystem, kVorlatErrArrayTooSmall);
        out[n++] = record->source;
    }
    return nullptr;
}

IVorlatError* VorlatGetDataSource(const IVorlatDataDestination* destination, const IVorlatDataSource** out)
{
    *out = nullptr;
    for (const VorlatConnection* record : TheRegistry().records) {
        if (record->MatchesDestination(destination)) {
            *out = record->source;
            break;
        }
    }
    return nullptr;
}

IVorlatError* VorlatGetDataDestinationCount(const IVorlatDataSource* source, int32_t* count)
{
    int32_t n = 0;
    for (const VorlatConnection* record : TheRegistry().records)
        n += record->MatchesSource(source) ? 1 : 0;
    *count = n;
    return nullptr;
}

IVorlatError* VorlatGetDataDestinations(const IVorlatDataSource* source, IVorlatDataDestination** out, int32_t max)
{
    int32_t n = 0;
    for (const VorlatConnection* record : TheRegistry().records) {
        if (!record->MatchesSource(source))
            continue;
        if (n == max)
            return IVorlatError::Add(nullptr, kModuleRegistry, __LINE__, kVorlatFromSystem, kVorlatErrArrayTooSmall);
        out[n++] = record->destination;
    }
    return nullptr;
}
