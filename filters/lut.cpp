// The LUT filter: stored tables resampled once per pixel depth into working
// tables of 2^depth entries, then one lookup per channel.
#include <algorithm>
#include <new>

#include "filters/VorlatFilterLut.h"
#include "filters/source_tiles_impl.h"

namespace {

constexpr int32_t kFile = VorlatFourCC("Lut ");

// Channels and working depth of the layouts that the filter maps.
bool Layout(int32_t colorSpace, int32_t* channels, int32_t* depth)
{
    switch (colorSpace) {
    case 2: *channels = 1; *depth = 8; return true;
    case 3: case 64: case 65: *channels = 1; *depth = 16; return true;
    case 32: case 39: *channels = 3; *depth = 8; return true;
    case 33: case 35: case 36: case 37: *channels = 3; *depth = 16; return true;
    case 34: *channels = 4; *depth = 8; return true;
    default: return false;
    }
}

// Brings a stored value of outBits bits to depth bits: shift down, replicate
// bits up, or scale when replication cannot reach.
int64_t Rescale(int64_t v, int32_t outBits, int32_t depth)
{
    const int64_t V = (int64_t{1} << outBits) - 1;
    const int64_t D = (int64_t{1} << depth) - 1;
    if (V == D)
        return v;
    if (V > D)
        return v >> (outBits - depth);
    if (2 * outBits - depth >= 0)
        return (v << (depth - outBits)) | (v >> (2 * outBits - depth));
    return v * D / V;
}

// Resamples one stored table of 2^inBits entries (plus the spare) into 2^depth entries.
void Resample(const std::vector<uint16_t>& stored, int32_t inBits, int32_t outBits, int32_t depth,
              std::vector<uint16_t>& working)
{
    const int64_t S = (int64_t{1} << inBits) - 1;
    const int64_t D = (int64_t{1} << depth) - 1;
    if (S == D) {
        for (int64_t k = 0; k <= D; ++k)
            working[k] = static_cast<uint16_t>(Rescale(stored[k], outBits, depth));
    } else if (S > D) {
        for (int64_t k = 0; k <= D; ++k)
            working[k] = static_cast<uint16_t>(Rescale(stored[k * S / D], outBits, depth));
    } else {
        // Linear interpolation at k * S / D: the fraction grows by S per entry
        // and steps to the next stored pair each time it reaches D.
        int64_t index = 0, fraction = 0;
        for (int64_t k = 0; k <= D; ++k) {
            const int64_t lower = Rescale(stored[index], outBits, depth);
            const int64_t upper = Rescale(stored[index + 1], outBits, depth);
            working[k] = static_cast<uint16_t>(lower + (upper - lower) * fraction / D);
            fraction += S;
            if (fraction >= D) {
                fraction -= D;
                ++index;
            }
        }
    }
}

template <typename Sample>
void MapRow(Sample* dst, const Sample* src, int32_t n, int32_t channels, const std::vector<uint16_t>* tables)
{
    for (int32_t i = 0; i < n; ++i) {
        for (int32_t c = 0; c < channels; ++c)
            dst[c] = static_cast<Sample>(tables[c][src[c]]);
        dst += channels;
        src += channels;
    }
}

} // namespace

CVorlatFilterLut::CVorlatFilterLut(IVorlatManager* manager)
    : CVorlatFilterBase(manager, kVorlatUsageDiscardable), inBits_(0), outBits_(0), tablesChanged_(true),
      workingDepth_(0)
{
}

CVorlatFilterLut::~CVorlatFilterLut() = default;

int32_t CVorlatFilterLut::GetFilterCode() const { return VorlatFourCC("Lut "); }

const char* CVorlatFilterLut::GetFilterDescription() const { return "Filter to apply LUTs"; }

int32_t CVorlatFilterLut::StoredCount() const
{
    int32_t count = 0;
    while (count < 4 && !stored_[count].empty())
        ++count;
    return count;
}

IVorlatError* CVorlatFilterLut::SetLUT(const uint16_t* const* luts, int32_t inBits, int32_t outBits, int32_t count,
                                       bool notify)
{
    static const uint16_t kIdentity[2] = {0, 1};
    static const uint16_t* const kDefault[4] = {kIdentity, kIdentity, kIdentity, kIdentity};
    if (!luts || count == 0) {
        luts = kDefault;
        count = 4;
        inBits = 1;
        outBits = 1;
    }
    // Tables beyond four channels or 16 bits have no defined result.
    if (count < 0 || count > 4 || inBits < 0 || inBits > 16 || outBits < 1 || outBits > 16)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kKolvexErrBadSetting);
    cacheDirty_ = true;
    const size_t entries = size_t{1} << inBits;
    try {
        for (int32_t i = 0; i < count; ++i) {
            stored_[i].assign(entries + 1, 0);
            if (luts[i]) {
                std::copy(luts[i], luts[i] + entries, stored_[i].begin());
            } else {
                for (size_t k = 0; k < entries; ++k)
                    stored_[i][k] = static_cast<uint16_t>((static_cast<uint64_t>(k) << outBits) >> inBits);
            }
        }
    } catch (const std::bad_alloc&) {
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }
    for (int32_t i = count; i < 4; ++i)
        std::vector<uint16_t>().swap(stored_[i]);
    outBits_ = outBits;
    tablesChanged_ = true;
    inBits_ = inBits;
    return NotifyWholeSource(notify, kFile);
}

IVorlatError* CVorlatFilterLut::GetLUTInfo(int32_t* inBits, int32_t* outBits, int32_t* count)
{
    if (inBits)
        *inBits = inBits_;
    if (outBits)
        *outBits = outBits_;
    if (count)
        *count = inBits_ == 0 ? 0 : StoredCount();
    return nullptr;
}

IVorlatError* CVorlatFilterLut::GetLUT(uint16_t* const* out, int32_t bits, int32_t, int32_t count)
{
    const size_t entries = size_t{1} << bits;
    for (int32_t i = 0; i < count && i < 4; ++i) {
        if (!stored_[i].empty())
            std::copy(stored_[i].begin(), stored_[i].begin() + std::min(entries, stored_[i].size()), out[i]);
    }
    return nullptr;
}

IVorlatError* CVorlatFilterLut::BuildWorkingTables(int32_t depth)
{
    try {
        for (int32_t i = 0; i < 4; ++i) {
            if (stored_[i].empty()) {
                for (int32_t j = i; j < 4; ++j)
                    std::vector<uint16_t>().swap(working_[j]);
                break;
            }
            working_[i].assign(size_t{1} << depth, 0);
            Resample(stored_[i], inBits_, outBits_, depth, working_[i]);
        }
    } catch (const std::bad_alloc&) {
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }
    tablesChanged_ = false;
    workingDepth_ = depth;
    return nullptr;
}

IVorlatError* CVorlatFilterLut::ProcessTile(IVorlatTile* tile, CProcessInfo* info)
{
    IVorlatError* err = nullptr;
    const IVorlatDataSource* source = ChosenSource(info);
    if (!source)
        return NoSource(kFile, __LINE__);
    RECT r, t;
    if (!tile->GetInvalidRect(&r))
        return nullptr;
    tile->GetCoordinates(&t);
    int32_t colorSpace = 0;
    if (VorlatFailed(&err, kFile, __LINE__, source->GetColorSpace(&colorSpace)))
        return err;
    int32_t channels = 0, depth = 0;
    if (!Layout(colorSpace, &channels, &depth))
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrColorSpace);
    if (StoredCount() < channels)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrState);
    if ((tablesChanged_ || depth != workingDepth_) && VorlatFailed(&err, kFile, __LINE__, BuildWorkingTables(depth)))
        return err;

    void* data = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, tile->Lock(&data, nullptr)))
        return err;
    unsigned char* out = static_cast<unsigned char*>(data);
    const int32_t rowBytes = tile->GetRowBytes();
    const int32_t pixelBytes = GetBitsPerPixel(colorSpace) / 8;
    IVorlatTileGrid* grid = nullptr;
    VorlatFailed(&err, kFile, __LINE__, source->MapRect(&grid, r));
    source_tiles::ForEachCell(source, grid, &err, kFile, __LINE__, [&](const source_tiles::Cell& c) {
        const RECT& b = c.used;
        for (int32_t y = b.top; y < b.bottom; ++y) {
            unsigned char* dst = out + static_cast<intptr_t>(y - t.top) * rowBytes +
                                 static_cast<intptr_t>(b.left - t.left) * pixelBytes;
            const unsigned char* src = c.Row(y, pixelBytes);
            if (depth == 8)
                MapRow(dst, src, b.right - b.left, channels, working_);
            else
                MapRow(reinterpret_cast<uint16_t*>(dst), reinterpret_cast<const uint16_t*>(src), b.right - b.left,
                       channels, working_);
        }
    });
    if (grid)
        grid->Destroy();
    VorlatFailed(&err, kFile, __LINE__, tile->Unlock());
    if (!err)
        tile->Validate();
    return err;
}
