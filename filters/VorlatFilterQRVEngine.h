// One colour transform of the colour engine with its settings, shared by any
// number of colour management filters. Its lifetime follows the smart pointers
// that hold it; the filters that use it never affect it.
#pragma once

#include <cstdint>
#include <vector>

#include "Vorlat/Vorlat.h"
#include "filters/KolvexExport.h"

class CVorlatFilterQRV;

// A holder that registers itself with the object it holds, so that the object
// can clear it when it goes away: a holder never points at a deleted object.
template <class T>
class TReferencedObjectPointer {
public:
    TReferencedObjectPointer() : object_(nullptr) {}
    explicit TReferencedObjectPointer(T* object) : object_(nullptr) { Set(object); }
    TReferencedObjectPointer(const TReferencedObjectPointer& other) : object_(nullptr) { Set(other.object_); }
    TReferencedObjectPointer& operator=(const TReferencedObjectPointer& other)
    {
        Set(other.object_);
        return *this;
    }
    TReferencedObjectPointer& operator=(T* object)
    {
        Set(object);
        return *this;
    }
    ~TReferencedObjectPointer() { Set(nullptr); }

    // Lets the held object go (which may delete it), then takes the new one.
    void Set(T* object)
    {
        if (object == object_)
            return;
        T* old = object_;
        object_ = nullptr;
        if (old)
            old->RemoveReferencedObjectPointer(this);
        object_ = object;
        if (object_)
            object_->AddReferencedObjectPointer(this);
    }
    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    operator T*() const { return object_; }

    // Called by the held object while it is being deleted.
    void Forget() { object_ = nullptr; }

private:
    T* object_;
};

class KOLVEX_API CVorlatFilterQRVEngine {
public:
    // Implemented by the application's pool of engines: told the number of
    // holders left after every change. While a manager is set, deleting the
    // engine is the manager's decision.
    class IMgr {
    public:
        virtual void ReferenceCountChanged(CVorlatFilterQRVEngine* engine, int32_t references) = 0;

    protected:
        virtual ~IMgr() = default;
    };

    using Pointer = TReferencedObjectPointer<CVorlatFilterQRVEngine>;

    CVorlatFilterQRVEngine();
    CVorlatFilterQRVEngine(const CVorlatFilterQRVEngine&) = delete;
    CVorlatFilterQRVEngine& operator=(const CVorlatFilterQRVEngine&) = delete;
    virtual ~CVorlatFilterQRVEngine();

    IVorlatError* SetProfiles(const _VorlatFile& input, const _VorlatFile& output, const _VorlatFile& proof);
    IVorlatError* SetProfiles(const _VorlatFile& input, const _VorlatFile& output);
    IVorlatError* GetProfiles(_VorlatFile* input, _VorlatFile* output, _VorlatFile* proof) const;
    IVorlatError* GetProfileInfo(bool output, char signature[4], int32_t* channels) const;
    IVorlatError* SetBitsPerComponent(bool output, int32_t bits);
    int32_t GetBitsPerComponent(bool output) const;
    IVorlatError* SetProofMode(bool proof);
    bool IsProofMode() const;
    IVorlatError* SetRenderingIntent(int32_t intent);
    int32_t GetRenderingIntent() const;
    void SetAutoDeleteThreshold(int32_t threshold);
    int32_t GetAutoDeleteThreshold() const;
    void SetManager(IMgr* manager);
    int32_t GetUserCount() const;
    CVorlatFilterQRV* GetUser(int32_t index) const;
    // Raised by every setting that changes; filters compare it with what they saw last.
    int32_t GetChangeCounter() const { return changeCounter_; }

    // The colour-space signature at byte 16 of a profile's header and its channel count.
    static IVorlatError* ReadProfileInfo(const _VorlatFile& profile, char signature[4], int32_t* channels);

protected:
    friend class CVorlatFilterQRV;
    friend class TReferencedObjectPointer<CVorlatFilterQRVEngine>;

    void StartUse(CVorlatFilterQRV* filter);
    void StopUse(CVorlatFilterQRV* filter);
    void AddReferencedObjectPointer(Pointer* pointer);
    void RemoveReferencedObjectPointer(Pointer* pointer);
    IVorlatError* SetupProcess(CVorlatFilterQRV* filter, int32_t generation, bool inMerge,
                               const uint16_t* const* inTables, int32_t inBits, int32_t inValueBits, bool outMerge,
                               const uint16_t* const* outTables, int32_t outBits, int32_t outValueBits);
    // Each pointer may be null; the tables are the engine's copies.
    IVorlatError* GetProcessSetup(CVorlatFilterQRV** filter, int32_t* generation, bool* inMerge,
                                  const uint16_t** inTables, int32_t* inBits, int32_t* inValueBits, bool* outMerge,
                                  const uint16_t** outTables, int32_t* outBits, int32_t* outValueBits) const;
    IVorlatError* Process(const void* source, void* destination, int32_t width, int32_t height,
                          int32_t sourceRowBytes, int32_t destinationRowBytes);
    // Creates the transform on first use and passes it the settings when they changed.
    IVorlatError* ResetParameters(bool* wasDirty);

private:
    struct TableSetup {
        std::vector<uint16_t> tables[4];
        int32_t bits = 0;
        int32_t valueBits = 0;
        bool merge = false;
        int32_t channels = 0;
    };
    IVorlatError* KeepTables(TableSetup& side, const uint16_t* const* tables, int32_t bits, int32_t valueBits,
                             bool merge, int32_t channels, int32_t failure);

    int32_t changeCounter_;
    CVorlatFilterQRV* lastFilter_;
    int32_t lastGeneration_;
    _VorlatFile inputProfile_;
    int32_t inputBits_;
    char inputSignature_[4];
    int32_t inputChannels_;
    _VorlatFile outputProfile_;
    int32_t outputBits_;
    char outputSignature_[4];
    int32_t outputChannels_;
    bool proofMode_;
    int32_t intent_;
    int32_t handle_;
    bool dirty_;
    _VorlatFile proofProfile_;
    std::vector<CVorlatFilterQRV*> users_;
    std::vector<Pointer*> references_;
    int32_t autoDeleteThreshold_;
    IMgr* manager_;
    TableSetup input_;
    TableSetup output_;
};
