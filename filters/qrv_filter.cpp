// The colour management filter.
#include <algorithm>
#include <cstring>
#include <new>

#include "filters/VorlatFilterQRV.h"
#include "filters/source_tiles_impl.h"

namespace {

constexpr int32_t kFile = VorlatFourCC("qrv ");

// Library-wide, so that a generation names one state of one filter.
int32_t g_generation = 0;

// Bytes of one pixel on one side of the engine.
int32_t EnginePixelBytes(int32_t channels, int32_t bits)
{
    if (bits <= 0)
        return 0;
    return channels * (bits <= 8 ? 1 : 2);
}

} // namespace

int32_t CVorlatFilterQRV::TakeGeneration() { return g_generation++; }

int32_t CVorlatFilterQRV::Side::Count() const
{
    int32_t count = 0;
    if (bits == 0)
        return 0;
    while (count < 4 && !tables[count].empty())
        ++count;
    return count;
}

void CVorlatFilterQRV::Side::Pointers(const uint16_t* out[4]) const
{
    for (int32_t i = 0; i < 4; ++i)
        out[i] = tables[i].empty() ? nullptr : tables[i].data();
}

CVorlatFilterQRV::CVorlatFilterQRV(IVorlatManager* manager)
    : CVorlatFilterBase(manager, kVorlatUsageDiscardable), engineCounter_(0), generation_(TakeGeneration())
{
}

CVorlatFilterQRV::~CVorlatFilterQRV()
{
    if (CVorlatFilterQRVEngine* engine = engine_.Get()) {
        engine->StopUse(this);
        engine_.Set(nullptr);
    }
}

int32_t CVorlatFilterQRV::GetFilterCode() const { return VorlatFourCC("qrv "); }

const char* CVorlatFilterQRV::GetFilterDescription() const { return "Korva QRV"; }

CVorlatFilterQRVEngine* CVorlatFilterQRV::GetQRVEngine() const { return engine_.Get(); }

int32_t CVorlatFilterQRV::GetBitsPerComponent(int32_t colorSpace)
{
    switch (colorSpace) {
    case 2: case 32: case 34: case 38: case 39: return 8;
    case 3: case 33: case 35: case 36: case 37: return 16;
    default: return 0;
    }
}

IVorlatError* CVorlatFilterQRV::SetQRVEngine(CVorlatFilterQRVEngine* engine, bool notify)
{
    IVorlatError* err = nullptr;
    const bool hasSource = FirstSource() != nullptr;
    IVorlatDataDestination::ChangeColorSpace change{0, 0};
    if (notify && engine_.Get() && hasSource && VorlatFailed(&err, kFile, __LINE__, GetColorSpace(&change.oldColorSpace)))
        return err;
    if (engine_.Get())
        engine_->StopUse(this);
    if (engine != engine_.Get())
        engine_.Set(engine);
    cacheDirty_ = true;
    generation_ = TakeGeneration();
    if (engine_.Get()) {
        engine_->StartUse(this);
        engineCounter_ = engine_->GetChangeCounter();
    }
    if (notify && enabled_ && engine_.Get() && hasSource) {
        if (VorlatFailed(&err, kFile, __LINE__, GetColorSpace(&change.newColorSpace)))
            return err;
        if (change.newColorSpace != 0)
            VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyColorSpace, &change));
    }
    return err;
}

IVorlatError* CVorlatFilterQRV::SetLUT(bool output, bool merge, const uint16_t* const* tables, int32_t bits,
                                       int32_t valueBits, int32_t count, bool notify)
{
    if (!tables)
        count = 0;
    if (count == 0)
        bits = valueBits = 0;
    bool complete = true;
    for (int32_t i = 0; i < count && i < 4; ++i)
        complete = complete && tables[i] != nullptr;
    if (count < 0 || count > 4 || bits < 0 || bits > 16 || valueBits < 0 || valueBits > 16 || !complete)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kKolvexErrBadSetting);
    cacheDirty_ = true;
    generation_ = TakeGeneration();
    Side& side = output ? output_ : input_;
    try {
        for (int32_t i = 0; i < count; ++i)
            side.tables[i].assign(tables[i], tables[i] + (size_t{1} << bits));
    } catch (const std::bad_alloc&) {
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }
    for (int32_t i = count; i < 4; ++i)
        std::vector<uint16_t>().swap(side.tables[i]);
    side.merge = merge;
    side.bits = bits;
    side.valueBits = valueBits;
    return NotifyWholeSource(notify, kFile);
}

IVorlatError* CVorlatFilterQRV::GetLUTInfo(bool output, bool* merge, int32_t* bits, int32_t* valueBits,
                                           int32_t* count) const
{
    const Side& side = output ? output_ : input_;
    if (merge)
        *merge = side.merge;
    if (bits)
        *bits = side.bits;
    if (valueBits)
        *valueBits = side.valueBits;
    if (count)
        *count = side.Count();
    return nullptr;
}

IVorlatError* CVorlatFilterQRV::GetLUT(bool output, uint16_t* const* out, int32_t bits, int32_t, int32_t count) const
{
    const Side& side = output ? output_ : input_;
    const size_t entries = size_t{1} << bits;
    for (int32_t i = 0; i < count && i < 4; ++i) {
        if (!side.tables[i].empty())
            std::memcpy(out[i], side.tables[i].data(), std::min(entries, side.tables[i].size()) * sizeof(uint16_t));
    }
    return nullptr;
}

IVorlatError* CVorlatFilterQRV::CheckCache()
{
    IVorlatError* err = nullptr;
    // A change of the engine's settings empties the cache of every filter that uses it.
    if (engine_.Get() && engine_->GetChangeCounter() != engineCounter_) {
        cacheDirty_ = true;
        engineCounter_ = engine_->GetChangeCounter();
    }
    VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::CheckCache());
    return err;
}

IVorlatError* CVorlatFilterQRV::GetFilteredColorSpace(const IVorlatDataSource**, int32_t, int32_t* colorSpace)
{
    *colorSpace = 0;
    if (!engine_.Get())
        return nullptr;
    char signature[4];
    engine_->GetProfileInfo(true, signature, nullptr);
    const int32_t bits = engine_->GetBitsPerComponent(true);
    static const struct {
        char signature[5];
        int32_t wide;    // 16 bits per component
        int32_t narrow;  // 8 bits per component
    } kCodes[] = {{"RGB ", 33, 32}, {"CMYK", 0, 34}, {"GRAY", 3, 2},  {"Lab ", 36, 0},
                  {"HLS ", 35, 39}, {"Lch ", 35, 39}, {"YCbr", 37, 0}};
    for (const auto& code : kCodes) {
        if (std::memcmp(code.signature, signature, 4) == 0) {
            *colorSpace = bits == 16 ? code.wide : (bits == 8 ? code.narrow : 0);
            break;
        }
    }
    return nullptr;
}

IVorlatError* CVorlatFilterQRV::FilterColorSpace(const IVorlatDataSource* source,
                                                 IVorlatDataDestination::ChangeColorSpace* change)
{
    IVorlatError* err = nullptr;
    if (!enabled_) {
        VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterColorSpace(source, change));
        return err;
    }
    // The output layout follows the engine: only the pixels changed.
    cacheDirty_ = true;
    generation_ = TakeGeneration();
    if (engine_.Get())
        VorlatFailed(&err, kFile, __LINE__, NotifyWholeSource(true, kFile));
    return err;
}

IVorlatError* CVorlatFilterQRV::CheckQRV(const IVorlatDataSource**, int32_t)
{
    IVorlatError* err = nullptr;
    CVorlatFilterQRV* last = nullptr;
    int32_t generation = 0;
    engine_->GetProcessSetup(&last, &generation, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr);
    if (last == this && generation == generation_) {
        bool wasDirty = false;
        if (VorlatFailed(&err, kFile, __LINE__, engine_->ResetParameters(&wasDirty)) || !wasDirty)
            return err;
    }
    const uint16_t* in[4];
    const uint16_t* out[4];
    input_.Pointers(in);
    output_.Pointers(out);
    VorlatFailed(&err, kFile, __LINE__,
                 engine_->SetupProcess(this, generation_, input_.merge, in, input_.bits, input_.valueBits,
                                       output_.merge, out, output_.bits, output_.valueBits));
    return err;
}

IVorlatError* CVorlatFilterQRV::ProcessTile(IVorlatTile* tile, CProcessInfo* info)
{
    IVorlatError* err = nullptr;
    const IVorlatDataSource* source = ChosenSource(info);
    if (!source)
        return NoSource(kFile, __LINE__);
    if (!engine_.Get())
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadDestinationSpace);
    if (VorlatFailed(&err, kFile, __LINE__, CheckQRV(info ? info->sources : nullptr, info ? info->sourceCount : 0)))
        return err;
    RECT r, t;
    if (!tile->GetInvalidRect(&r))
        return nullptr;
    tile->GetCoordinates(&t);
    int32_t outSpace = 0, inSpace = 0;
    if (VorlatFailed(&err, kFile, __LINE__, GetFilteredColorSpace(nullptr, 0, &outSpace)) ||
        VorlatFailed(&err, kFile, __LINE__, source->GetColorSpace(&inSpace)))
        return err;
    const int32_t outBytes = GetBitsPerPixel(outSpace) / 8;
    const int32_t inBytes = GetBitsPerPixel(inSpace) / 8;
    int32_t inChannels = 0, outChannels = 0;
    engine_->GetProfileInfo(false, nullptr, &inChannels);
    engine_->GetProfileInfo(true, nullptr, &outChannels);
    // The engine reads and writes pixels of its own sides' sizes: any other
    // size would run past the tile buffers.
    if (inBytes == 0 || inBytes != EnginePixelBytes(inChannels, engine_->GetBitsPerComponent(false)))
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadSourceSpace);
    if (outBytes == 0 || outBytes != EnginePixelBytes(outChannels, engine_->GetBitsPerComponent(true)))
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadDestinationSpace);
    const int32_t rowBytes = tile->GetRowBytes();

    IVorlatTileGrid* grid = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, source->MapRect(&grid, r)))
        return err;
    void* data = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, tile->Lock(&data, nullptr))) {
        if (grid)
            grid->Destroy();
        return err;
    }
    unsigned char* dst = static_cast<unsigned char*>(data);
    source_tiles::ForEachCell(source, grid, &err, kFile, __LINE__, [&](const source_tiles::Cell& c) {
        const RECT& b = c.used;
        unsigned char* to = dst + static_cast<intptr_t>(b.top - t.top) * rowBytes +
                            static_cast<intptr_t>(b.left - t.left) * outBytes;
        VorlatFailed(&err, kFile, __LINE__,
                     engine_->Process(c.Row(b.top, inBytes), to, b.right - b.left, b.bottom - b.top, c.rowBytes,
                                      rowBytes));
    });
    if (grid)
        grid->Destroy();
    VorlatFailed(&err, kFile, __LINE__, tile->Unlock());
    if (!err)
        tile->Validate();
    return err;
}
