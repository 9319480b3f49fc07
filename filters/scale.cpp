// The scale filter: its settings, the output size, and the coordinate mappings
// between source and output. The tiles are made in scale_resample.cpp.
#include <cmath>
#include <cstdlib>

#include "filters/VorlatFilterScale.h"
#include "filters/kolvex_convert_impl.h"
#include "filters/scale_resample_impl.h"

using namespace kolvex_convert;

namespace {

constexpr int32_t kFile = VorlatFourCC("scal");

// Exact integer floor and ceil of n * num / den, den > 0; den 0 leaves v.
int32_t FloorRatio(int32_t v, int32_t num, int32_t den)
{
    if (den == 0)
        return v;
    return Clamp64(scale_resample::FloorDiv(static_cast<int64_t>(v) * num, den));
}

int32_t CeilRatio(int32_t v, int32_t num, int32_t den)
{
    if (den == 0)
        return v;
    return Clamp64(-scale_resample::FloorDiv(-static_cast<int64_t>(v) * num, den));
}

// v * num / den truncated toward zero, in 64 bits so that large images do not wrap.
int32_t TruncRatio(int32_t v, int32_t num, int32_t den)
{
    if (den == 0)
        return v;
    return Clamp64(static_cast<int64_t>(v) * num / den);
}

// The output extent of a source extent at a factor: halves go up.
int32_t ScaledExtent(int32_t extent, double factor) { return Trunc(extent * factor + 0.5); }

bool NearOne(double v) { return 0.9999999999 <= v && v <= 1.0000000001; }

} // namespace

CVorlatFilterScale::CVorlatFilterScale(IVorlatManager* manager, int32_t method)
    : CVorlatFilterBase(manager, kVorlatUsageDiscardable), method_(method), targetWidth_(0), targetHeight_(0),
      scaleX_(1.0), scaleY_(1.0), weights_(nullptr), weightCapacity_(0), rowBuffer_(nullptr), bufferCapacity_(0),
      bufferWidth_(0), bufferRows_(0)
{
    passThrough_ = true;
}

CVorlatFilterScale::~CVorlatFilterScale()
{
    delete[] weights_;
    delete[] rowBuffer_;
}

int32_t CVorlatFilterScale::GetFilterCode() const { return VorlatFourCC("scal"); }

const char* CVorlatFilterScale::GetFilterDescription() const { return "Scale"; }

int32_t CVorlatFilterScale::GetMethod() const { return method_; }

double CVorlatFilterScale::GetScale() const { return (scaleX_ + scaleY_) / 2; }

void CVorlatFilterScale::GetScale(double* scaleX, double* scaleY) const
{
    if (scaleX)
        *scaleX = scaleX_;
    if (scaleY)
        *scaleY = scaleY_;
}

// ---- Setters ------------------------------------------------------------------------

IVorlatError* CVorlatFilterScale::SetMethod(int32_t method, bool notify)
{
    IVorlatError* err = nullptr;
    if (method == method_)
        return nullptr;
    method_ = method;
    cacheDirty_ = true;
    if (!notify || !enabled_ || !FirstSource())
        return nullptr;
    int32_t width = 0, height = 0;
    if (VorlatFailed(&err, kFile, __LINE__, GetFilteredSize(sources_, sourceCount_, &width, &height)))
        return err;
    RECT whole{0, 0, width, height};
    VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyDataChanged, &whole));
    return err;
}

IVorlatError* CVorlatFilterScale::SetSize(int32_t width, int32_t height, bool notify)
{
    IVorlatError* err = nullptr;
    if (width < 0 || height < 0)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kKolvexErrBadSetting);
    if (!FactorMode() && width == targetWidth_ && height == targetHeight_)
        return nullptr;
    const IVorlatDataSource* source = FirstSource();
    const bool tell = notify && enabled_;
    IVorlatDataDestination::ChangeSize change{0, 0, 0, 0};
    if (tell && source &&
        VorlatFailed(&err, kFile, __LINE__, GetFilteredSize(sources_, sourceCount_, &change.oldWidth, &change.oldHeight)))
        return err;
    scaleX_ = scaleY_ = 0;
    targetWidth_ = width;
    targetHeight_ = height;
    cacheDirty_ = true;
    passThrough_ = false;
    if (source) {
        int32_t sw = 0, sh = 0;
        if (VorlatFailed(&err, kFile, __LINE__, source->GetSize(&sw, &sh)))
            return err;
        passThrough_ = sw == width && sh == height;
    }
    if (!tell)
        return nullptr;
    // Size mode answers the target without reading the source.
    change.newWidth = width;
    change.newHeight = height;
    VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifySize, &change));
    return err;
}

IVorlatError* CVorlatFilterScale::SetScale(double scale, bool notify)
{
    IVorlatError* err = nullptr;
    VorlatFailed(&err, kFile, __LINE__, SetScale(scale, scale, notify));
    return err;
}

IVorlatError* CVorlatFilterScale::SetScale(double scaleX, double scaleY, bool notify)
{
    IVorlatError* err = nullptr;
    if (!std::isfinite(scaleX) || !std::isfinite(scaleY) || scaleX <= 0 || scaleY <= 0)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kKolvexErrBadSetting);
    if (std::fabs(scaleX - scaleX_) <= 1e-10 && std::fabs(scaleY - scaleY_) <= 1e-10)
        return nullptr;
    const bool tell = notify && enabled_;
    const bool sourced = FirstSource() != nullptr;
    IVorlatDataDestination::ChangeSize change{0, 0, 0, 0};
    if (tell && sourced &&
        VorlatFailed(&err, kFile, __LINE__, GetFilteredSize(sources_, sourceCount_, &change.oldWidth, &change.oldHeight)))
        return err;
    scaleX_ = scaleX;
    scaleY_ = scaleY;
    cacheDirty_ = true;
    passThrough_ = NearOne(scaleX) && NearOne(scaleY);
    if (!tell)
        return nullptr;
    if (sourced &&
        VorlatFailed(&err, kFile, __LINE__, GetFilteredSize(sources_, sourceCount_, &change.newWidth, &change.newHeight)))
        return err;
    VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifySize, &change));
    return err;
}

// ---- Output size and notifications --------------------------------------------------

IVorlatError* CVorlatFilterScale::GetFilteredSize(const IVorlatDataSource** sources, int32_t count, int32_t* width,
                                                  int32_t* height)
{
    IVorlatError* err = nullptr;
    if (enabled_ && !FactorMode()) {
        *width = targetWidth_;
        *height = targetHeight_;
        return nullptr;
    }
    const IVorlatDataSource* source = ChosenSource(sources, count);
    if (!source)
        return NoSource(kFile, __LINE__);
    int32_t w = 0, h = 0;
    if (VorlatFailed(&err, kFile, __LINE__, source->GetSize(&w, &h)))
        return err;
    if (enabled_) {
        w = ScaledExtent(w, scaleX_);
        h = ScaledExtent(h, scaleY_);
    }
    *width = w;
    *height = h;
    return nullptr;
}

IVorlatError* CVorlatFilterScale::FilterSize(const IVorlatDataSource* source,
                                             IVorlatDataDestination::ChangeSize* change)
{
    IVorlatError* err = nullptr;
    if (!enabled_ || !change) {
        VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterSize(source, change));
        return err;
    }
    if (FactorMode()) {
        // The sender's record may go to other destinations too: map a copy.
        IVorlatDataDestination::ChangeSize mapped{
            ScaledExtent(change->oldWidth, scaleX_), ScaledExtent(change->oldHeight, scaleY_),
            ScaledExtent(change->newWidth, scaleX_), ScaledExtent(change->newHeight, scaleY_)};
        VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterSize(source, &mapped));
        return err;
    }
    // The output keeps its size but every pixel changed. The rectangle is given
    // in source coordinates, which the mapping turns into the whole output, and
    // pass-through follows the new source size.
    passThrough_ = change->newWidth == targetWidth_ && change->newHeight == targetHeight_;
    RECT whole{0, 0, change->newWidth, change->newHeight};
    VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterData(source, &whole));
    return err;
}

// ---- Static mappings ----------------------------------------------------------------

void CVorlatFilterScale::FilterPoint(int32_t* x, int32_t* y, int32_t sw, int32_t sh, int32_t fw, int32_t fh)
{
    *x = TruncRatio(*x, fw, sw);
    *y = TruncRatio(*y, fh, sh);
}

void CVorlatFilterScale::FilterPoint(double* x, double* y, int32_t sw, int32_t sh, int32_t fw, int32_t fh)
{
    *x = fw * *x / sw;
    *y = fh * *y / sh;
}

void CVorlatFilterScale::FilterRect(RECT* rect, int32_t sw, int32_t sh, int32_t fw, int32_t fh)
{
    rect->left = FloorRatio(rect->left, fw, sw);
    rect->top = FloorRatio(rect->top, fh, sh);
    rect->right = CeilRatio(rect->right, fw, sw);
    rect->bottom = CeilRatio(rect->bottom, fh, sh);
}

void CVorlatFilterScale::FilterRect(VorlatDblRect* rect, int32_t sw, int32_t sh, int32_t fw, int32_t fh)
{
    rect->left = rect->left * fw / sw;
    rect->right = rect->right * fw / sw;
    rect->top = rect->top * fh / sh;
    rect->bottom = rect->bottom * fh / sh;
}

void CVorlatFilterScale::FilterPoint(int32_t* x, int32_t* y, double s) { FilterPoint(x, y, s, s); }

void CVorlatFilterScale::FilterPoint(double* x, double* y, double s) { FilterPoint(x, y, s, s); }

void CVorlatFilterScale::FilterRect(RECT* rect, double s) { FilterRect(rect, s, s); }

void CVorlatFilterScale::FilterRect(VorlatDblRect* rect, double s) { FilterRect(rect, s, s); }

void CVorlatFilterScale::FilterPoint(int32_t* x, int32_t* y, double sx, double sy)
{
    *x = Trunc(*x * sx);
    *y = Trunc(*y * sy);
}

void CVorlatFilterScale::FilterPoint(double* x, double* y, double sx, double sy)
{
    *x *= sx;
    *y *= sy;
}

void CVorlatFilterScale::FilterRect(RECT* rect, double sx, double sy)
{
    rect->left = Floor(rect->left * sx);
    rect->right = Ceil(rect->right * sx);
    rect->top = Floor(rect->top * sy);
    rect->bottom = Ceil(rect->bottom * sy);
}

void CVorlatFilterScale::FilterRect(VorlatDblRect* rect, double sx, double sy)
{
    rect->left *= sx;
    rect->right *= sx;
    rect->top *= sy;
    rect->bottom *= sy;
}

// Going back by sizes is going forward with the two sizes exchanged.
void CVorlatFilterScale::DefilterPoint(int32_t* x, int32_t* y, int32_t sw, int32_t sh, int32_t fw, int32_t fh)
{
    FilterPoint(x, y, fw, fh, sw, sh);
}

void CVorlatFilterScale::DefilterPoint(double* x, double* y, int32_t sw, int32_t sh, int32_t fw, int32_t fh)
{
    FilterPoint(x, y, fw, fh, sw, sh);
}

void CVorlatFilterScale::DefilterRect(RECT* rect, int32_t sw, int32_t sh, int32_t fw, int32_t fh)
{
    FilterRect(rect, fw, fh, sw, sh);
}

void CVorlatFilterScale::DefilterRect(VorlatDblRect* rect, int32_t sw, int32_t sh, int32_t fw, int32_t fh)
{
    FilterRect(rect, fw, fh, sw, sh);
}

void CVorlatFilterScale::DefilterPoint(int32_t* x, int32_t* y, double s) { DefilterPoint(x, y, s, s); }

void CVorlatFilterScale::DefilterPoint(double* x, double* y, double s) { DefilterPoint(x, y, s, s); }

void CVorlatFilterScale::DefilterRect(RECT* rect, double s) { DefilterRect(rect, s, s); }

void CVorlatFilterScale::DefilterRect(VorlatDblRect* rect, double s) { DefilterRect(rect, s, s); }

void CVorlatFilterScale::DefilterPoint(int32_t* x, int32_t* y, double sx, double sy)
{
    *x = Trunc(*x / sx);
    *y = Trunc(*y / sy);
}

void CVorlatFilterScale::DefilterPoint(double* x, double* y, double sx, double sy)
{
    *x /= sx;
    *y /= sy;
}

void CVorlatFilterScale::DefilterRect(RECT* rect, double sx, double sy)
{
    rect->left = Floor(rect->left / sx);
    rect->right = Ceil(rect->right / sx);
    rect->top = Floor(rect->top / sy);
    rect->bottom = Ceil(rect->bottom / sy);
}

void CVorlatFilterScale::DefilterRect(VorlatDblRect* rect, double sx, double sy)
{
    rect->left /= sx;
    rect->right /= sx;
    rect->top /= sy;
    rect->bottom /= sy;
}

// ---- Mapping through the filter -----------------------------------------------------

// Factor mode maps by the factors; size mode by the source's and the target's sizes.
template <typename Apply>
IVorlatError* CVorlatFilterScale::Mapping(const IVorlatDataSource** sources, int32_t count, Apply apply) const
{
    if (!Maps())
        return nullptr;
    if (FactorMode()) {
        apply(scaleX_, scaleY_);
        return nullptr;
    }
    IVorlatError* err = nullptr;
    const IVorlatDataSource* source = ChosenSource(sources, count);
    if (!source)
        return NoSource(kFile, __LINE__);
    int32_t sw = 0, sh = 0;
    if (VorlatFailed(&err, kFile, __LINE__, source->GetSize(&sw, &sh)))
        return err;
    apply(sw, sh, targetWidth_, targetHeight_);
    return nullptr;
}

IVorlatError* CVorlatFilterScale::FilterPoint(double* x, double* y, const IVorlatDataSource** sources, int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { FilterPoint(x, y, m...); });
}

IVorlatError* CVorlatFilterScale::FilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources, int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { FilterPoint(x, y, m...); });
}

IVorlatError* CVorlatFilterScale::FilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources, int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { FilterRect(rect, m...); });
}

IVorlatError* CVorlatFilterScale::FilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { FilterRect(rect, m...); });
}

IVorlatError* CVorlatFilterScale::DefilterPoint(double* x, double* y, const IVorlatDataSource** sources, int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { DefilterPoint(x, y, m...); });
}

IVorlatError* CVorlatFilterScale::DefilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources, int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { DefilterPoint(x, y, m...); });
}

IVorlatError* CVorlatFilterScale::DefilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources, int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { DefilterRect(rect, m...); });
}

IVorlatError* CVorlatFilterScale::DefilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { DefilterRect(rect, m...); });
}
