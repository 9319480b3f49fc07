// Demosaic filter base: settings, output geometry and the coordinate mapping
// between mosaic and output. Tiles are made in debayer_tiles.cpp.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "app/core/demosaic/debayer_base.h"
#include "app/core/demosaic/tone_tables_impl.h"

namespace {

constexpr int32_t kFile = kDeBayerModuleBase;

// A double to the nearest 32-bit value toward zero; NaN to 0.
int32_t Trunc32(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

int32_t Clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

} // namespace

CDeBayerBase::CDeBayerBase(IVorlatManager* manager)
    : CVorlatFilterBase(manager, kVorlatUsageDiscardable), crop_{0, 0, 0, 0}, resample_(false), inBits_(0),
      outBits_(0), curves_{nullptr, nullptr, nullptr}, curveState_{0, 0, 0}, tables_{nullptr, nullptr, nullptr},
      rawRow_(nullptr), rawCapacity_(0), mixRow_(nullptr), mixCapacity_(0)
{
    const uint32_t* tone = demosaic::ForwardToneTable();
    for (auto& table : tables_)
        table = const_cast<uint32_t*>(tone);
}

CDeBayerBase::~CDeBayerBase()
{
    for (int32_t c = 0; c < 3; ++c) {
        delete[] curves_[c];
        FreeChannelTable(c);
    }
    delete[] rawRow_;
    delete[] mixRow_;
}

const uint32_t* CDeBayerBase::GetToneTable() { return demosaic::ForwardToneTable(); }

double CDeBayerBase::GetHorizontalScale() const { return resample_ ? 0.75 : 1.0; }

double CDeBayerBase::GetVerticalScale() const { return resample_ ? 1.5 : 1.0; }

int32_t CDeBayerBase::GetInputColorSpace() const { return kDeBayerInputColorSpace; }

// ---- Settings ---------------------------------------------------------------------

IVorlatError* CDeBayerBase::GetOutputSize(int32_t width, int32_t height, int32_t* outWidth, int32_t* outHeight) const
{
    // Below 13 samples a side the fold of period 2 itself lands outside, and
    // nothing is left once the margins are gone.
    const int64_t w = resample_ ? (static_cast<int64_t>(width) - 2 * kDeBayerMargin) * 3 / 4
                                : static_cast<int64_t>(width) - 2 * kDeBayerMargin;
    const int64_t h = resample_ ? (static_cast<int64_t>(height) - 2 * kDeBayerMargin) * 3 / 2
                                : static_cast<int64_t>(height) - 2 * kDeBayerMargin;
    if (width < 2 * kDeBayerMargin + 1 || height < 2 * kDeBayerMargin + 1 || w <= 0 || h <= 0 || h > INT32_MAX)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrArrayTooSmall);
    *outWidth = static_cast<int32_t>(w);
    *outHeight = static_cast<int32_t>(h);
    if (CropValid()) {
        *outWidth = std::min<int32_t>(*outWidth, crop_.right - crop_.left);
        *outHeight = std::min<int32_t>(*outHeight, crop_.bottom - crop_.top);
    }
    return nullptr;
}

IVorlatError* CDeBayerBase::SetCropRect(const RECT& crop, const RECT* sourceRect, bool notify)
{
    IVorlatError* err = nullptr;
    int64_t sw = 0, sh = 0;
    if (sourceRect) {
        sw = static_cast<int64_t>(sourceRect->right) - sourceRect->left;
        sh = static_cast<int64_t>(sourceRect->bottom) - sourceRect->top;
    } else if (const IVorlatDataSource* source = FirstSource()) {
        int32_t w = 0, h = 0;
        if (VorlatFailed(&err, kFile, __LINE__, source->GetSize(&w, &h)))
            return err;
        sw = w;
        sh = h;
    }
    const int64_t ow = std::max<int64_t>(0, resample_ ? (sw - 2 * kDeBayerMargin) * 3 / 4 : sw - 2 * kDeBayerMargin);
    const int64_t oh = std::max<int64_t>(0, resample_ ? (sh - 2 * kDeBayerMargin) * 3 / 2 : sh - 2 * kDeBayerMargin);
    int64_t x0 = 0, y0 = 0, w = ow, h = oh;
    if (crop.left < crop.right && crop.top < crop.bottom) {
        x0 = std::max<int64_t>(0, crop.left);
        y0 = std::max<int64_t>(0, crop.top);
        w = std::min<int64_t>(static_cast<int64_t>(crop.right) - crop.left, ow);
        h = std::min<int64_t>(static_cast<int64_t>(crop.bottom) - crop.top, oh);
        x0 = std::min<int64_t>(x0, ow - w);
        y0 = std::min<int64_t>(y0, oh - h);
    }
    crop_ = RECT{Clamp32(x0), Clamp32(y0), Clamp32(x0 + w), Clamp32(y0 + h)};
    cacheDirty_ = true;
    if (notify)
        VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyUpdateAll, nullptr));
    return err;
}

IVorlatError* CDeBayerBase::SetCurves(int32_t inBits, int32_t outBits, const uint16_t* red, const uint16_t* green,
                                      const uint16_t* blue, bool notify)
{
    IVorlatError* err = nullptr;
    const uint16_t* given[3] = {red, green, blue};
    const bool any = red || green || blue;
    // A curve needs at least one bit each side: 0 would make its ranges empty.
    if (inBits < 0 || inBits > 16 || outBits < 0 || outBits > 16 || (any && (inBits == 0 || outBits == 0)))
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kDeBayerErrBadBits);
    const size_t entries = any ? static_cast<size_t>(1) << inBits : 0;
    // Every buffer first, so that a shortage leaves the old curves as they were.
    uint16_t* fresh[3] = {nullptr, nullptr, nullptr};
    for (int32_t c = 0; c < 3; ++c) {
        if (!given[c] || (curves_[c] && inBits == inBits_))
            continue;
        fresh[c] = new (std::nothrow) uint16_t[entries];
        if (!fresh[c]) {
            for (uint16_t* f : fresh)
                delete[] f;
            return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
        }
    }
    for (int32_t c = 0; c < 3; ++c) {
        if (!given[c]) {
            delete[] curves_[c];
            curves_[c] = nullptr;
        } else {
            if (fresh[c]) {
                delete[] curves_[c];
                curves_[c] = fresh[c];
            }
            std::memcpy(curves_[c], given[c], entries * sizeof(uint16_t));
        }
        if (curveState_[c] == 1)
            curveState_[c] = 2;
    }
    inBits_ = any ? inBits : 0;
    outBits_ = any ? outBits : 0;
    cacheDirty_ = true;
    if (sourceCount_ == 1)
        VorlatFailed(&err, kFile, __LINE__, NotifyWholeSource(notify, kFile));
    return err;
}

IVorlatError* CDeBayerBase::SetResample(bool resample, const RECT* sourceRect, bool notify)
{
    IVorlatError* err = nullptr;
    if (resample == resample_)
        return nullptr;
    int32_t oldWidth = 0, oldHeight = 0;
    const IVorlatDataSource* source = sourceCount_ == 1 ? FirstSource() : nullptr;
    if (notify && source && enabled_ && VorlatFailed(&err, kFile, __LINE__, GetSize(&oldWidth, &oldHeight)))
        return err;
    resample_ = resample;
    cacheDirty_ = true;
    if (VorlatFailed(&err, kFile, __LINE__, SetCropRect(RECT{0, 0, 0, 0}, sourceRect, false)))
        return err;
    if (notify && source && enabled_) {
        IVorlatDataDestination::ChangeSize change{oldWidth, oldHeight, 0, 0};
        if (VorlatFailed(&err, kFile, __LINE__, GetSize(&change.newWidth, &change.newHeight)))
            return err;
        VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifySize, &change));
    }
    return err;
}

// ---- Channel tables ----------------------------------------------------------------

void CDeBayerBase::FreeChannelTable(int32_t channel)
{
    if (tables_[channel] != demosaic::ForwardToneTable())
        delete[] tables_[channel];
    tables_[channel] = const_cast<uint32_t*>(demosaic::ForwardToneTable());
}

IVorlatError* CDeBayerBase::BuildChannelTables()
{
    for (int32_t c = 0; c < 3; ++c) {
        if (!curves_[c]) {
            FreeChannelTable(c);
            curveState_[c] = 0;
            continue;
        }
        if (curveState_[c] == 1)
            continue;
        if (tables_[c] == demosaic::ForwardToneTable()) {
            uint32_t* table = new (std::nothrow) uint32_t[kDeBayerTableSize];
            if (!table)
                return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
            tables_[c] = table;
        }
        demosaic::BuildChannelTable(tables_[c], curves_[c], inBits_, outBits_);
        curveState_[c] = 1;
    }
    return nullptr;
}

const uint32_t* CDeBayerBase::GetChannelTable(int32_t channel)
{
    if (channel < 0 || channel > 2)
        return nullptr;
    IVorlatError* err = BuildChannelTables();
    if (err) {
        err->Destroy();
        return nullptr;
    }
    return tables_[channel];
}

// ---- Geometry of the output ---------------------------------------------------------

IVorlatError* CDeBayerBase::GetFilteredSize(const IVorlatDataSource** sources, int32_t count, int32_t* width,
                                            int32_t* height)
{
    IVorlatError* err = nullptr;
    const IVorlatDataSource* source = ChosenSource(sources, count);
    if (!source)
        return NoSource(kFile, __LINE__);
    int32_t w = 0, h = 0;
    if (VorlatFailed(&err, kFile, __LINE__, source->GetSize(&w, &h)) ||
        VorlatFailed(&err, kFile, __LINE__, GetOutputSize(w, h, width, height)))
        return err;
    return nullptr;
}

IVorlatError* CDeBayerBase::GetFilteredColorSpace(const IVorlatDataSource** sources, int32_t count,
                                                  int32_t* colorSpace)
{
    IVorlatError* err = nullptr;
    const IVorlatDataSource* source = ChosenSource(sources, count);
    if (!source)
        return NoSource(kFile, __LINE__);
    int32_t space = 0;
    if (VorlatFailed(&err, kFile, __LINE__, source->GetColorSpace(&space)))
        return err;
    if (space != GetInputColorSpace())
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadSourceSpace);
    *colorSpace = kDeBayerOutputColorSpace;
    return nullptr;
}

IVorlatError* CDeBayerBase::FilterSize(const IVorlatDataSource* source, IVorlatDataDestination::ChangeSize* change)
{
    IVorlatError* err = nullptr;
    if (enabled_ && change) {
        // The destinations hear the output's sizes, margins and crop included;
        // a mosaic too small for any output is 0 by 0.
        IVorlatDataDestination::ChangeSize mapped{0, 0, 0, 0};
        IVorlatError* refused = GetOutputSize(change->oldWidth, change->oldHeight, &mapped.oldWidth, &mapped.oldHeight);
        if (refused)
            refused->Destroy();
        refused = GetOutputSize(change->newWidth, change->newHeight, &mapped.newWidth, &mapped.newHeight);
        if (refused)
            refused->Destroy();
        VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterSize(source, &mapped));
        return err;
    }
    VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterSize(source, change));
    return err;
}

IVorlatError* CDeBayerBase::FilterColorSpace(const IVorlatDataSource* source,
                                             IVorlatDataDestination::ChangeColorSpace* change)
{
    IVorlatError* err = nullptr;
    if (enabled_ && change) {
        IVorlatDataDestination::ChangeColorSpace mapped = *change;
        if (mapped.oldColorSpace == GetInputColorSpace())
            mapped.oldColorSpace = kDeBayerOutputColorSpace;
        if (mapped.newColorSpace == GetInputColorSpace())
            mapped.newColorSpace = kDeBayerOutputColorSpace;
        VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterColorSpace(source, &mapped));
        return err;
    }
    VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterColorSpace(source, change));
    return err;
}

// ---- Mapping ----------------------------------------------------------------------------

IVorlatError* CDeBayerBase::FilterPoint(double* x, double* y, const IVorlatDataSource**, int32_t) const
{
    if (!enabled_)
        return nullptr;
    *x = (*x - kDeBayerMargin) * GetHorizontalScale() - crop_.left;
    *y = (*y - kDeBayerMargin) * GetVerticalScale() - crop_.top;
    return nullptr;
}

IVorlatError* CDeBayerBase::FilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource**, int32_t) const
{
    if (!enabled_)
        return nullptr;
    *x = Clamp32(static_cast<int64_t>(Trunc32((static_cast<double>(*x) - kDeBayerMargin) * GetHorizontalScale())) -
                 crop_.left);
    *y = Clamp32(static_cast<int64_t>(Trunc32((static_cast<double>(*y) - kDeBayerMargin) * GetVerticalScale())) -
                 crop_.top);
    return nullptr;
}

IVorlatError* CDeBayerBase::FilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources, int32_t count) const
{
    FilterPoint(&rect->left, &rect->top, sources, count);
    FilterPoint(&rect->right, &rect->bottom, sources, count);
    return nullptr;
}

IVorlatError* CDeBayerBase::FilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const
{
    // RECT holds LONG on Windows: the corners go through 32-bit copies.
    int32_t corners[4] = {rect->left, rect->top, rect->right, rect->bottom};
    FilterPoint(&corners[0], &corners[1], sources, count);
    FilterPoint(&corners[2], &corners[3], sources, count);
    *rect = RECT{corners[0], corners[1], corners[2], corners[3]};
    return nullptr;
}

IVorlatError* CDeBayerBase::DefilterPoint(double* x, double* y, const IVorlatDataSource**, int32_t) const
{
    if (!enabled_)
        return nullptr;
    *x = (crop_.left + *x) / GetHorizontalScale() + kDeBayerMargin;
    *y = (crop_.top + *y) / GetVerticalScale() + kDeBayerMargin;
    return nullptr;
}

IVorlatError* CDeBayerBase::DefilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource**, int32_t) const
{
    if (!enabled_)
        return nullptr;
    *x = Clamp32(static_cast<int64_t>(Trunc32((static_cast<double>(crop_.left) + *x) / GetHorizontalScale())) +
                 kDeBayerMargin);
    *y = Clamp32(static_cast<int64_t>(Trunc32((static_cast<double>(crop_.top) + *y) / GetVerticalScale())) +
                 kDeBayerMargin);
    return nullptr;
}

IVorlatError* CDeBayerBase::DefilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources, int32_t count) const
{
    DefilterPoint(&rect->left, &rect->top, sources, count);
    DefilterPoint(&rect->right, &rect->bottom, sources, count);
    return nullptr;
}

IVorlatError* CDeBayerBase::DefilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const
{
    // RECT holds LONG on Windows: the corners go through 32-bit copies.
    int32_t corners[4] = {rect->left, rect->top, rect->right, rect->bottom};
    DefilterPoint(&corners[0], &corners[1], sources, count);
    DefilterPoint(&corners[2], &corners[3], sources, count);
    *rect = RECT{corners[0], corners[1], corners[2], corners[3]};
    return nullptr;
}
