// The colour space filter: sixteen conversions between grey and RGB of 8 and
// 16 bits per component.
#include "filters/VorlatFilterColorSpace.h"
#include "filters/source_tiles_impl.h"

namespace {

constexpr int32_t kFile = VorlatFourCC("CSpc");

// Position of a layout among grey 8, grey 16, RGB 8, RGB 16; -1 for any other.
int32_t LayoutIndex(int32_t colorSpace)
{
    switch (colorSpace) {
    case 2: return 0;
    case 3: return 1;
    case 32: return 2;
    case 33: return 3;
    default: return -1;
    }
}

inline uint16_t Word(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline void PutWord(unsigned char* p, uint32_t w)
{
    p[0] = static_cast<unsigned char>(w);
    p[1] = static_cast<unsigned char>(w >> 8);
}

// One pixel by conversion number (output index + 4 x source index); 16-bit
// components are little-endian words, divisions truncate.
void ConvertPixel(int32_t conversion, const unsigned char* s, unsigned char* d)
{
    switch (conversion) {
    case 0: d[0] = s[0]; break;
    case 1: PutWord(d, s[0] * 257u); break;
    case 2: d[0] = d[1] = d[2] = s[0]; break;
    case 3: PutWord(d, s[0] * 257u); PutWord(d + 2, s[0] * 257u); PutWord(d + 4, s[0] * 257u); break;
    case 4: d[0] = s[1]; break;
    case 5: d[0] = s[0]; d[1] = s[1]; break;
    case 6: d[0] = d[1] = d[2] = s[1]; break;
    case 7: for (int i = 0; i < 3; ++i) { d[2 * i] = s[0]; d[2 * i + 1] = s[1]; } break;
    case 8: d[0] = static_cast<unsigned char>((2u * s[0] + 5u * s[1] + s[2]) / 8u); break;
    case 9: PutWord(d, (2u * 257u * s[0] + 5u * 257u * s[1] + 257u * s[2]) / 8u); break;
    case 10: d[0] = s[0]; d[1] = s[1]; d[2] = s[2]; break;
    case 11: PutWord(d, s[0] * 257u); PutWord(d + 2, s[1] * 257u); PutWord(d + 4, s[2] * 257u); break;
    case 12: d[0] = static_cast<unsigned char>((2u * Word(s) + 5u * Word(s + 2) + Word(s + 4)) / 2048u); break;
    case 13: PutWord(d, (2u * Word(s) + 5u * Word(s + 2) + Word(s + 4)) / 8u); break;
    case 14: d[0] = s[1]; d[1] = s[3]; d[2] = s[5]; break;
    case 15: for (int i = 0; i < 6; ++i) d[i] = s[i]; break;
    default: break;
    }
}

} // namespace

CVorlatFilterColorSpace::CVorlatFilterColorSpace(IVorlatManager* manager)
    : CVorlatFilterBase(manager, kVorlatUsageDiscardable), space_(kKeepColorSpace), depth_(kKeepBitDepth)
{
    passThrough_ = true;
}

int32_t CVorlatFilterColorSpace::GetFilterCode() const { return VorlatFourCC("CSpc"); }

const char* CVorlatFilterColorSpace::GetFilterDescription() const { return "No-CMS ColorSpace Filter"; }

CVorlatFilterColorSpace::eOutputColorSpace CVorlatFilterColorSpace::GetOutputColorSpace() const { return space_; }

CVorlatFilterColorSpace::eOutputBitDepth CVorlatFilterColorSpace::GetOutputBitDepth() const { return depth_; }

int32_t CVorlatFilterColorSpace::DoColorSpaceFiltering(int32_t sourceColorSpace) const
{
    int32_t space = space_, depth = depth_;
    if (space == kKeepColorSpace || depth == kKeepBitDepth) {
        int32_t ownSpace = 0, ownDepth = 0;
        switch (sourceColorSpace) {
        case 2: ownSpace = kGrey; ownDepth = k8Bits; break;
        case 3: ownSpace = kGrey; ownDepth = k16Bits; break;
        case 32: ownSpace = kRGB; ownDepth = k8Bits; break;
        case 33: ownSpace = kRGB; ownDepth = k16Bits; break;
        default: break;
        }
        if (space == kKeepColorSpace)
            space = ownSpace;
        if (depth == kKeepBitDepth)
            depth = ownDepth;
    }
    if (space == kGrey && depth == k8Bits)
        return 2;
    if (space == kGrey && depth == k16Bits)
        return 3;
    if (space == kRGB && depth == k8Bits)
        return 32;
    if (space == kRGB && depth == k16Bits)
        return 33;
    return 0;
}

void CVorlatFilterColorSpace::UpdatePassThrough()
{
    if (space_ == kKeepColorSpace && depth_ == kKeepBitDepth) {
        passThrough_ = true;
        return;
    }
    passThrough_ = false;
    const IVorlatDataSource* source = FirstSource();
    int32_t colorSpace = 0;
    if (!source)
        return;
    IVorlatError* err = source->GetColorSpace(&colorSpace);
    if (err) {
        err->Destroy();
        return;
    }
    if (LayoutIndex(colorSpace) >= 0)
        passThrough_ = DoColorSpaceFiltering(colorSpace) == colorSpace;
}

IVorlatError* CVorlatFilterColorSpace::SetOutputColorSpace(eOutputColorSpace space, eOutputBitDepth depth,
                                                           bool notify)
{
    IVorlatError* err = nullptr;
    if (space == space_ && depth == depth_)
        return nullptr;
    const bool tell = notify && enabled_ && FirstSource();
    IVorlatDataDestination::ChangeColorSpace change{0, 0};
    if (tell && VorlatFailed(&err, kFile, __LINE__, GetColorSpace(&change.oldColorSpace)))
        return err;
    space_ = space;
    depth_ = depth;
    cacheDirty_ = true;
    UpdatePassThrough();
    if (notify && enabled_) {
        if (FirstSource() && VorlatFailed(&err, kFile, __LINE__, GetColorSpace(&change.newColorSpace)))
            return err;
        VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyColorSpace, &change));
    }
    return err;
}

IVorlatError* CVorlatFilterColorSpace::GetFilteredColorSpace(const IVorlatDataSource** sources, int32_t count,
                                                             int32_t* colorSpace)
{
    IVorlatError* err = nullptr;
    int32_t in = 0;
    if (space_ == kKeepColorSpace || depth_ == kKeepBitDepth) {
        const IVorlatDataSource* source = ChosenSource(sources, count);
        if (!source)
            return NoSource(kFile, __LINE__);
        if (VorlatFailed(&err, kFile, __LINE__, source->GetColorSpace(&in)))
            return err;
    }
    *colorSpace = DoColorSpaceFiltering(in);
    return nullptr;
}

IVorlatError* CVorlatFilterColorSpace::FilterColorSpace(const IVorlatDataSource* source,
                                                        IVorlatDataDestination::ChangeColorSpace* change)
{
    IVorlatError* err = nullptr;
    UpdatePassThrough();
    if (!passThrough_ && FirstSource())
        passThrough_ = change->newColorSpace == DoColorSpaceFiltering(change->newColorSpace);
    if (!enabled_) {
        VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterColorSpace(source, change));
        return err;
    }
    const int32_t oldOutput = DoColorSpaceFiltering(change->oldColorSpace);
    const int32_t newOutput = DoColorSpaceFiltering(change->newColorSpace);
    if (oldOutput == newOutput) {
        // The output layout stays: only the pixels changed.
        cacheDirty_ = true;
        VorlatFailed(&err, kFile, __LINE__, NotifyWholeSource(true, kFile));
        return err;
    }
    // Downstream sees this filter's own codes, not the source's.
    IVorlatDataDestination::ChangeColorSpace output{oldOutput, newOutput};
    VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterColorSpace(source, &output));
    return err;
}

IVorlatError* CVorlatFilterColorSpace::FilterUpdateAll(const IVorlatDataSource* source)
{
    IVorlatError* err = nullptr;
    UpdatePassThrough();
    VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterUpdateAll(source));
    return err;
}

IVorlatError* CVorlatFilterColorSpace::VorlatAddedDataSource(const IVorlatDataSource* source)
{
    IVorlatError* err = nullptr;
    VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::VorlatAddedDataSource(source));
    UpdatePassThrough();
    return err;
}

IVorlatError* CVorlatFilterColorSpace::VorlatRemovedDataSource(const IVorlatDataSource* source)
{
    IVorlatError* err = nullptr;
    VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::VorlatRemovedDataSource(source));
    UpdatePassThrough();
    return err;
}

IVorlatError* CVorlatFilterColorSpace::ProcessTile(IVorlatTile* tile, CProcessInfo* info)
{
    IVorlatError* err = nullptr;
    const IVorlatDataSource* source = ChosenSource(info);
    if (!source)
        return NoSource(kFile, __LINE__);
    RECT r, t;
    if (!tile->GetInvalidRect(&r))
        return nullptr;
    tile->GetCoordinates(&t);
    int32_t in = 0;
    if (VorlatFailed(&err, kFile, __LINE__, source->GetColorSpace(&in)))
        return err;
    const int32_t out = DoColorSpaceFiltering(in);
    if (LayoutIndex(in) < 0)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadSourceSpace);
    if (LayoutIndex(out) < 0)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadDestinationSpace);
    const int32_t conversion = LayoutIndex(out) + 4 * LayoutIndex(in);
    const int32_t inBytes = GetBitsPerPixel(in) / 8;
    const int32_t outBytes = GetBitsPerPixel(out) / 8;
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
        for (int32_t y = b.top; y < b.bottom; ++y) {
            const unsigned char* s = c.Row(y, inBytes);
            unsigned char* d = dst + static_cast<intptr_t>(y - t.top) * rowBytes +
                               static_cast<intptr_t>(b.left - t.left) * outBytes;
            for (int32_t x = b.left; x < b.right; ++x, s += inBytes, d += outBytes)
                ConvertPixel(conversion, s, d);
        }
    });
    if (grid)
        grid->Destroy();
    VorlatFailed(&err, kFile, __LINE__, tile->Unlock());
    if (!err)
        tile->Validate();
    return err;
}
