#include "app/core/engine/pool/color_engine_pool.h"

#include <cstring>
#include <new>
#include <string>

#include "app/core/engine/develop_engine.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/core/engine/image_open.h"

namespace {

// False when the text does not fit the record.
bool ToFile(_VorlatFile& file, const char* text)
{
    std::memset(file.path, 0, sizeof file.path);
    const size_t length = text ? std::strlen(text) : 0;
    if (length >= sizeof file.path)
        return false;
    if (length)
        std::memcpy(file.path, text, length);
    return true;
}

// An output profile whose file name begins with "%_" is proofed against the
// same file name without those two characters.
_VorlatFile ProofOf(const _VorlatFile& output)
{
    _VorlatFile proof = output;
    const char* path = output.path;
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/')
            name = p + 1;
    }
    if (name[0] == '%' && name[1] == '_') {
        const size_t at = static_cast<size_t>(name - path);
        std::memmove(proof.path + at, proof.path + at + 2, std::strlen(name + 2) + 1);
    }
    return proof;
}

bool Fail(IVorlatError** err, int32_t line, IVorlatError* result)
{
    return VorlatFailed(err, kEnginePoolFile, line, result);
}

}  // namespace

bool EngineKey::operator==(const EngineKey& other) const
{
    return inputBits == other.inputBits && outputBits == other.outputBits &&
           std::strcmp(input.path, other.input.path) == 0 && std::strcmp(output.path, other.output.path) == 0;
}

CQRVEngMgr::~CQRVEngMgr()
{
    parked_.clear();
    while (!entries_.empty())
        DeleteEntry(entries_.begin());
}

CQRVEngMgr::Entries::iterator CQRVEngMgr::Find(Entry* entry)
{
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->get() == entry)
            return it;
    }
    return entries_.end();
}

void CQRVEngMgr::Unpark(Entry* entry)
{
    for (auto it = parked_.begin(); it != parked_.end(); ++it) {
        if (*it == entry) {
            parked_.erase(it);
            break;
        }
    }
    entry->parked = false;
}

void CQRVEngMgr::DeleteEntry(Entries::iterator at)
{
    // Deleting the engine clears every holder of it, the entry's among them.
    delete (*at)->holder.Get();
    entries_.erase(at);
}

void CQRVEngMgr::TrimParked(size_t below)
{
    while (!parked_.empty() && parked_.size() >= below) {
        Entry* oldest = parked_.back();
        parked_.pop_back();
        auto at = Find(oldest);
        if (at != entries_.end())
            DeleteEntry(at);
    }
}

void CQRVEngMgr::SetParkedLimit(int32_t limit)
{
    parkedLimit_ = limit;
    TrimParked(static_cast<size_t>(limit > 0 ? limit : 0));
}

IVorlatError* CQRVEngMgr::GetEngine(const char* input, const char* output, int32_t inputBits, int32_t outputBits,
                                    CVorlatFilterQRVEngine::Pointer& holder)
{
    IVorlatError* err = nullptr;
    holder.Set(nullptr);

    EngineKey key;
    if (!ToFile(key.input, input) || !ToFile(key.output, output))
        return IVorlatError::Add(&err, kEnginePoolFile, __LINE__, kVorlatFromSystem, kVorlatErrArrayTooSmall);
    key.inputBits = inputBits;
    key.outputBits = outputBits;

    std::unique_ptr<Entry> entry;
    auto found = entries_.begin();
    while (found != entries_.end() && !((*found)->key == key))
        ++found;
    if (found != entries_.end()) {
        if ((*found)->parked)
            Unpark(found->get());
        if (CVorlatFilterQRVEngine* engine = (*found)->holder.Get()) {
            holder.Set(engine);
            return nullptr;
        }
        entry = std::move(*found);
        entries_.erase(found);
    } else if (!parked_.empty()) {
        // The engine parked longest ago is set up again for the new key.
        Entry* oldest = parked_.back();
        parked_.pop_back();
        oldest->parked = false;
        auto at = Find(oldest);
        entry = std::move(*at);
        entries_.erase(at);
        entry->key = key;
    } else {
        entry.reset(new (std::nothrow) Entry{key, {}, false});
        if (!entry)
            return IVorlatError::Add(&err, kEnginePoolFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }

    if (!entry->holder.Get()) {
        CVorlatFilterQRVEngine* made = new (std::nothrow) CVorlatFilterQRVEngine;
        if (!made)
            return IVorlatError::Add(&err, kEnginePoolFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
        ++enginesMade_;
        entry->holder.Set(made);
    }

    CVorlatFilterQRVEngine* engine = entry->holder.Get();
    engine->SetAutoDeleteThreshold(1);
    const _VorlatFile proof = ProofOf(entry->key.output);
    if (Fail(&err, __LINE__, engine->SetProfiles(entry->key.input, entry->key.output, proof)) ||
        Fail(&err, __LINE__, engine->SetBitsPerComponent(false, entry->key.inputBits)) ||
        Fail(&err, __LINE__, engine->SetBitsPerComponent(true, entry->key.outputBits)) ||
        Fail(&err, __LINE__, engine->SetProofMode(true)) ||
        Fail(&err, __LINE__, engine->SetRenderingIntent(0))) {
        delete engine;
        return err;
    }

    entries_.push_front(std::move(entry));
    holder.Set(engine);
    engine->SetManager(this);
    return nullptr;
}

void CQRVEngMgr::OnEngineReleased(CVorlatFilterQRVEngine* engine, int32_t count)
{
    if (!engine || count > engine->GetAutoDeleteThreshold())
        return;
    // Nothing below may report again for this engine.
    const int32_t threshold = engine->GetAutoDeleteThreshold();
    engine->SetAutoDeleteThreshold(-1);
    CVorlatFilterQRVEngine::Pointer own(engine);

    auto at = entries_.begin();
    while (at != entries_.end() && (*at)->holder.Get() != engine)
        ++at;
    if (at != entries_.end() && !(*at)->parked) {
        if (parkedLimit_ > 0) {
            Entry* entry = at->get();
            entry->parked = true;
            TrimParked(static_cast<size_t>(parkedLimit_));
            parked_.push_front(entry);
        } else {
            DeleteEntry(at);
        }
    }

    if (own.Get()) {
        own.Set(nullptr);
        engine->SetAutoDeleteThreshold(threshold);
    }
}

// ---- Request functions --------------------------------------------------------------

uint8_t AcquireColorEngine(CVorlatFilterQRVEngine::Pointer& holder, const char* input, int32_t inputBits,
                           const char* output, int32_t outputBits)
{
    CEngineLockHold hold;
    CQRVEngMgr* pool = GetColorEnginePool();
    if (!pool) {
        holder.Set(nullptr);
        return 0;
    }
    return DropChain(pool->GetEngine(input, output, inputBits, outputBits, holder)) ? 0 : 1;
}

uint8_t CreateColorEngineByIndex(CVorlatFilterQRVEngine::Pointer& holder, int32_t input, int32_t inputBits,
                                 int32_t output, int32_t outputBits)
{
    CEngineLockHold hold;
    return AcquireColorEngine(holder, GetColorProfilePath(input), inputBits, GetColorProfilePath(output), outputBits);
}

uint8_t CreateColorEngineFromPath(CVorlatFilterQRVEngine::Pointer& holder, const char* input, int32_t inputBits,
                                  int32_t output, int32_t outputBits)
{
    CEngineLockHold hold;
    return AcquireColorEngine(holder, input, inputBits, GetColorProfilePath(output), outputBits);
}

namespace {

// 16 bits for 48-bit RGB and raw sources, else 8 (also when unreadable).
int32_t SourceBits(const CDevelopParams* params)
{
    int32_t colorSpace = 0;
    if (!params || !params->source || DropChain(params->source->GetColorSpace(&colorSpace)))
        return 8;
    return colorSpace == 33 || colorSpace == 64 || colorSpace == 65 ? 16 : 8;
}

}  // namespace

uint8_t CreateColorEngineForPath(CVorlatFilterQRVEngine::Pointer& holder, const CDevelopParams* params,
                                 const char* output, int32_t outputBits)
{
    CEngineLockHold hold;
    std::string input;
    if (!params || !GetCameraProfilePath(input, *params)) {
        holder.Set(nullptr);
        return 0;
    }
    return AcquireColorEngine(holder, input.c_str(), SourceBits(params), output, outputBits);
}

uint8_t CreateColorEngine(CVorlatFilterQRVEngine::Pointer& holder, const CDevelopParams* params, int32_t output,
                          int32_t outputBits)
{
    CEngineLockHold hold;
    return CreateColorEngineForPath(holder, params, GetColorProfilePath(output), outputBits);
}

CVorlatFilterQRVEngine::Pointer& GetEngineHolder(int32_t index)
{
    static CVorlatFilterQRVEngine::Pointer holders[5];
    return holders[index >= 0 && index < 5 ? index : 0];
}

void ReleaseEngineHolders()
{
    for (int32_t i = 0; i < 5; ++i)
        GetEngineHolder(i).Set(nullptr);
}
