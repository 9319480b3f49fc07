// The colour engine pool: every colour engine the program made, keyed by
// what it converts, handed out to everyone who asks for the same key, and
// kept parked for reuse (at most the parked limit, oldest first out) once
// nobody holds it.
#pragma once

#include <cstdint>
#include <deque>
#include <list>
#include <memory>

#include "filters/VorlatFilterQRVEngine.h"

struct CDevelopParams;

// The pool's failure frames carry this file code.
inline constexpr int32_t kEnginePoolFile = VorlatFourCC("CEMg");

struct EngineKey {
    _VorlatFile input;
    _VorlatFile output;
    int32_t inputBits;
    int32_t outputBits;

    // Byte for byte: letter case counts.
    bool operator==(const EngineKey& other) const;
};

class CQRVEngMgr : public CVorlatFilterQRVEngine::IMgr {
public:
    CQRVEngMgr() = default;
    CQRVEngMgr(const CQRVEngMgr&) = delete;
    CQRVEngMgr& operator=(const CQRVEngMgr&) = delete;
    ~CQRVEngMgr() override;

    // Points holder at an engine for the key, made and set up when no live
    // or parked one matches. On failure the holder points at nothing.
    IVorlatError* GetEngine(const char* input, const char* output, int32_t inputBits, int32_t outputBits,
                            CVorlatFilterQRVEngine::Pointer& holder);
    // Parks an engine whose holders fell to the pool's own.
    void OnEngineReleased(CVorlatFilterQRVEngine* engine, int32_t count);

    void SetParkedLimit(int32_t limit);
    int32_t GetParkedLimit() const { return parkedLimit_; }
    int32_t GetEntryCount() const { return static_cast<int32_t>(entries_.size()); }
    int32_t GetParkedCount() const { return static_cast<int32_t>(parked_.size()); }
    // How many engines the pool has constructed in its life.
    int32_t GetEnginesMade() const { return enginesMade_; }

private:
    struct Entry {
        EngineKey key;
        CVorlatFilterQRVEngine::Pointer holder;
        bool parked = false;
    };
    using Entries = std::list<std::unique_ptr<Entry>>;

    void ReferenceCountChanged(CVorlatFilterQRVEngine* engine, int32_t references) override
    {
        OnEngineReleased(engine, references);
    }
    void Unpark(Entry* entry);
    // Deletes the entry's engine with it.
    void DeleteEntry(Entries::iterator at);
    void TrimParked(size_t below);
    Entries::iterator Find(Entry* entry);

    Entries entries_;  // newest at the front
    int32_t parkedLimit_ = 0;
    std::deque<Entry*> parked_;  // newest parked at the front
    int32_t enginesMade_ = 0;
};

// The request functions: 1 on success, 0 (holder empty) on failure.
uint8_t AcquireColorEngine(CVorlatFilterQRVEngine::Pointer& holder, const char* input, int32_t inputBits,
                           const char* output, int32_t outputBits);
uint8_t CreateColorEngineByIndex(CVorlatFilterQRVEngine::Pointer& holder, int32_t input, int32_t inputBits,
                                 int32_t output, int32_t outputBits);
uint8_t CreateColorEngineFromPath(CVorlatFilterQRVEngine::Pointer& holder, const char* input, int32_t inputBits,
                                  int32_t output, int32_t outputBits);
uint8_t CreateColorEngine(CVorlatFilterQRVEngine::Pointer& holder, const CDevelopParams* params, int32_t output,
                          int32_t outputBits);
uint8_t CreateColorEngineForPath(CVorlatFilterQRVEngine::Pointer& holder, const CDevelopParams* params,
                                 const char* output, int32_t outputBits);

// The five engine holders of the running save, released at exit.
CVorlatFilterQRVEngine::Pointer& GetEngineHolder(int32_t index);
void ReleaseEngineHolders();
