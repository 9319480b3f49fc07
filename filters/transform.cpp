// The transform filter: its setting, the algebra of transform states, the
// geometry between source and output, and the notifications it maps. The tiles
// are made in transform_resample.cpp.
#include <cmath>

#include "filters/VorlatFilterTransform.h"
#include "filters/kolvex_convert_impl.h"
#include "filters/transform_geometry_impl.h"

using namespace transform_geometry;

namespace {

constexpr int32_t kFile = VorlatFourCC("xfrm");

IVorlatError* BadSetting(int32_t line)
{
    return IVorlatError::Add(nullptr, kFile, line, kVorlatFromSystem, kKolvexErrBadSetting);
}

VorlatDblRect Dbl(const RECT& r)
{
    VorlatDblRect d;
    d.left = r.left;
    d.top = r.top;
    d.right = r.right;
    d.bottom = r.bottom;
    return d;
}

RECT Truncated(const VorlatDblRect& d)
{
    return RECT{kolvex_convert::Trunc(d.left), kolvex_convert::Trunc(d.top), kolvex_convert::Trunc(d.right),
                kolvex_convert::Trunc(d.bottom)};
}

VorlatDblRect Square(double x, double y)
{
    VorlatDblRect d;
    d.left = x;
    d.top = y;
    d.right = x + 1;
    d.bottom = y + 1;
    return d;
}

} // namespace

CVorlatFilterTransform::CVorlatFilterTransform(IVorlatManager* manager)
    : CVorlatFilterBase(manager, kVorlatUsageDiscardable), flip_(false), rotation_(0.0), relative_(true)
{
    passThrough_ = true;
}

int32_t CVorlatFilterTransform::GetFilterCode() const { return VorlatFourCC("xfrm"); }

const char* CVorlatFilterTransform::GetFilterDescription() const { return "Flip and Rotate Transform"; }

bool CVorlatFilterTransform::GetFilterFlip() const { return flip_; }

double CVorlatFilterTransform::GetFilterRotation() const { return rotation_; }

bool CVorlatFilterTransform::IsRelative() const { return relative_; }

double CVorlatFilterTransform::ValidateRotation(double rotation)
{
    return std::fmod(360.0 - std::fmod(360.0 - rotation, 360.0), 360.0);
}

// ---- State algebra ------------------------------------------------------------------

void CVorlatFilterTransform::DoStateTransform(bool* flip, double* rotation, bool tFlip, double tRotation,
                                              bool relative)
{
    if (!relative) {
        *flip = tFlip;
        *rotation = tRotation;
    } else if (tFlip) {
        // A mirror turns the rotation already applied the other way.
        *flip = !*flip;
        *rotation = tRotation - *rotation;
    } else {
        *rotation = tRotation + *rotation;
    }
    *rotation = ValidateRotation(*rotation);
}

void CVorlatFilterTransform::DoStateTransform(bool* flip, double* rotation) const
{
    DoStateTransform(flip, rotation, flip_, rotation_, relative_);
}

void CVorlatFilterTransform::GetRelativeTransform(bool* flip, double* rotation, bool tFlip, double tRotation,
                                                  bool relative)
{
    if (relative) {
        *flip = tFlip;
        *rotation = tRotation;
        return;
    }
    // The inverse of DoStateTransform: the sign of the source's rotation follows
    // whether the transform that reaches the target mirrors.
    const bool mirrors = *flip != tFlip;
    *rotation = mirrors ? tRotation + *rotation : tRotation - *rotation;
    *flip = mirrors;
    *rotation = ValidateRotation(*rotation);
}

void CVorlatFilterTransform::GetRelativeTransform(bool* flip, double* rotation) const
{
    GetRelativeTransform(flip, rotation, flip_, rotation_, relative_);
}

IVorlatError* CVorlatFilterTransform::GetRelativeTransform(bool* flip, double* rotation,
                                                           const IVorlatDataSource** sources, int32_t count) const
{
    IVorlatError* err = nullptr;
    const IVorlatDataSource* source = ChosenSource(sources, count);
    if (!source)
        return NoSource(kFile, __LINE__);
    if (VorlatFailed(&err, kFile, __LINE__, source->GetTransform(flip, rotation)))
        return err;
    GetRelativeTransform(flip, rotation);
    return nullptr;
}

// ---- Static geometry ----------------------------------------------------------------

void CVorlatFilterTransform::FilterRect(VorlatDblRect* rect, int32_t w, int32_t h, bool flip, double rotation)
{
    *rect = Forward(*rect, w, h, flip, MakeRotation(ValidateRotation(rotation)));
}

void CVorlatFilterTransform::FilterRect(RECT* rect, int32_t w, int32_t h, bool flip, double rotation)
{
    *rect = Truncated(Forward(Dbl(*rect), w, h, flip, MakeRotation(ValidateRotation(rotation))));
}

void CVorlatFilterTransform::FilterPoint(int32_t* x, int32_t* y, int32_t w, int32_t h, bool flip, double rotation)
{
    const VorlatDblRect out = Forward(Square(*x, *y), w, h, flip, MakeRotation(ValidateRotation(rotation)));
    *x = kolvex_convert::Trunc(out.left);
    *y = kolvex_convert::Trunc(out.top);
}

void CVorlatFilterTransform::FilterPoint(double* x, double* y, int32_t w, int32_t h, bool flip, double rotation)
{
    const VorlatDblRect out = Forward(Square(*x, *y), w, h, flip, MakeRotation(ValidateRotation(rotation)));
    *x = out.left;
    *y = out.top;
}

void CVorlatFilterTransform::DefilterRect(VorlatDblRect* rect, int32_t w, int32_t h, bool flip, double rotation)
{
    *rect = Inverse(*rect, w, h, flip, MakeRotation(ValidateRotation(rotation)));
}

void CVorlatFilterTransform::DefilterRect(RECT* rect, int32_t w, int32_t h, bool flip, double rotation)
{
    *rect = Truncated(Inverse(Dbl(*rect), w, h, flip, MakeRotation(ValidateRotation(rotation))));
}

void CVorlatFilterTransform::DefilterPoint(int32_t* x, int32_t* y, int32_t w, int32_t h, bool flip, double rotation)
{
    InversePixel(*x, *y, w, h, flip, MakeRotation(ValidateRotation(rotation)), x, y);
}

void CVorlatFilterTransform::DefilterPoint(double* x, double* y, int32_t w, int32_t h, bool flip, double rotation)
{
    const VorlatDblRect back = Inverse(Square(*x, *y), w, h, flip, MakeRotation(ValidateRotation(rotation)));
    *x = back.left;
    *y = back.top;
}

void CVorlatFilterTransform::GetFilteredSize(int32_t* width, int32_t* height, double rotation)
{
    // The angle folded into [0, 90].
    const double a = std::fabs(std::fmod(ValidateRotation(rotation) + 90.0, 180.0) - 90.0);
    const int32_t w = *width, h = *height;
    if (a == 90.0) {
        *width = h;
        *height = w;
    } else if (a != 0.0) {
        const double radians = a * 3.14159265358979323846 / 180.0;
        const double c = std::cos(radians), s = std::sin(radians);
        *width = kolvex_convert::Trunc(std::fabs(w * c + h * s));
        *height = kolvex_convert::Trunc(std::fabs(h * c + w * s));
    }
}

// ---- Setters --------------------------------------------------------------------------

IVorlatError* CVorlatFilterTransform::Store(bool flip, double rotation, bool relative, bool notify)
{
    IVorlatError* err = nullptr;
    const bool tell = notify && enabled_ && FirstSource();
    IVorlatDataDestination::ChangeTransform change{false, 0.0, false, 0.0, true, 0, 0, 0, 0};
    if (tell) {
        if (VorlatFailed(&err, kFile, __LINE__,
                         GetFilteredTransform(sources_, sourceCount_, &change.oldFlip, &change.oldRotation)))
            return err;
        if (VorlatFailed(&err, kFile, __LINE__,
                         GetFilteredSize(sources_, sourceCount_, &change.oldWidth, &change.oldHeight)))
            return err;
    }
    flip_ = flip;
    rotation_ = ValidateRotation(rotation);
    relative_ = relative;
    cacheDirty_ = true;
    // An absolute identity still turns a source that carries a state of its own.
    passThrough_ = relative_ && !flip_ && NearZero(rotation_);
    if (!tell)
        return nullptr;
    if (VorlatFailed(&err, kFile, __LINE__,
                     GetFilteredTransform(sources_, sourceCount_, &change.newFlip, &change.newRotation)))
        return err;
    if (VorlatFailed(&err, kFile, __LINE__, GetFilteredSize(sources_, sourceCount_, &change.newWidth, &change.newHeight)))
        return err;
    VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyTransform, &change));
    return err;
}

IVorlatError* CVorlatFilterTransform::SetTransform(bool flip, double rotation, bool relative, bool notify)
{
    IVorlatError* err = nullptr;
    if (!std::isfinite(rotation))
        return BadSetting(__LINE__);
    // Compared before normalising: 360 after 360 is a change.
    if (flip == flip_ && rotation == rotation_ && relative == relative_)
        return nullptr;
    VorlatFailed(&err, kFile, __LINE__, Store(flip, rotation, relative, notify));
    return err;
}

IVorlatError* CVorlatFilterTransform::FlipHorz(bool notify)
{
    IVorlatError* err = nullptr;
    VorlatFailed(&err, kFile, __LINE__, Store(!flip_, -rotation_, relative_, notify));
    return err;
}

IVorlatError* CVorlatFilterTransform::FlipVert(bool notify)
{
    IVorlatError* err = nullptr;
    VorlatFailed(&err, kFile, __LINE__, Store(!flip_, 180.0 - rotation_, relative_, notify));
    return err;
}

IVorlatError* CVorlatFilterTransform::RotateCW(double angle, bool notify)
{
    IVorlatError* err = nullptr;
    if (!std::isfinite(angle))
        return BadSetting(__LINE__);
    VorlatFailed(&err, kFile, __LINE__, Store(flip_, rotation_ + angle, relative_, notify));
    return err;
}

IVorlatError* CVorlatFilterTransform::RotateCCW(double angle, bool notify)
{
    IVorlatError* err = nullptr;
    if (!std::isfinite(angle))
        return BadSetting(__LINE__);
    VorlatFailed(&err, kFile, __LINE__, RotateCW(360.0 - angle, notify));
    return err;
}

// ---- Output and notifications -------------------------------------------------------

IVorlatError* CVorlatFilterTransform::GetFilteredSize(const IVorlatDataSource** sources, int32_t count,
                                                      int32_t* width, int32_t* height)
{
    IVorlatError* err = nullptr;
    const IVorlatDataSource* source = ChosenSource(sources, count);
    if (!source)
        return NoSource(kFile, __LINE__);
    if (VorlatFailed(&err, kFile, __LINE__, source->GetSize(width, height)))
        return err;
    if (!enabled_)
        return nullptr;
    bool flip = false;
    double rotation = 0;
    if (VorlatFailed(&err, kFile, __LINE__, GetRelativeTransform(&flip, &rotation, sources, count)))
        return err;
    GetFilteredSize(width, height, rotation);
    return nullptr;
}

IVorlatError* CVorlatFilterTransform::GetFilteredTransform(const IVorlatDataSource** sources, int32_t count,
                                                           bool* flip, double* rotation)
{
    IVorlatError* err = nullptr;
    if (enabled_ && !relative_) {
        *flip = flip_;
        *rotation = rotation_;
        return nullptr;
    }
    const IVorlatDataSource* source = ChosenSource(sources, count);
    if (!source)
        return NoSource(kFile, __LINE__);
    if (VorlatFailed(&err, kFile, __LINE__, source->GetTransform(flip, rotation)))
        return err;
    if (enabled_)
        DoStateTransform(flip, rotation);
    return nullptr;
}

IVorlatError* CVorlatFilterTransform::FilterSize(const IVorlatDataSource* source,
                                                 IVorlatDataDestination::ChangeSize* change)
{
    IVorlatError* err = nullptr;
    if (!enabled_ || !change) {
        VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterSize(source, change));
        return err;
    }
    bool flip = false;
    double rotation = 0;
    const IVorlatDataSource* notifying[] = {source};
    if (VorlatFailed(&err, kFile, __LINE__, GetRelativeTransform(&flip, &rotation, notifying, 1)))
        return err;
    // The sender's record may go to other destinations too: map a copy.
    IVorlatDataDestination::ChangeSize mapped = *change;
    GetFilteredSize(&mapped.oldWidth, &mapped.oldHeight, rotation);
    GetFilteredSize(&mapped.newWidth, &mapped.newHeight, rotation);
    VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterSize(source, &mapped));
    return err;
}

IVorlatError* CVorlatFilterTransform::FilterTransform(const IVorlatDataSource* source,
                                                      IVorlatDataDestination::ChangeTransform* change)
{
    IVorlatError* err = nullptr;
    if (!enabled_ || !change) {
        VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterTransform(source, change));
        return err;
    }
    IVorlatDataDestination::ChangeTransform mapped = *change;
    // Each size turns by the transform the pixels get from that source state.
    bool flip = change->oldFlip;
    double rotation = change->oldRotation;
    GetRelativeTransform(&flip, &rotation);
    GetFilteredSize(&mapped.oldWidth, &mapped.oldHeight, rotation);
    flip = change->newFlip;
    rotation = change->newRotation;
    GetRelativeTransform(&flip, &rotation);
    GetFilteredSize(&mapped.newWidth, &mapped.newHeight, rotation);
    if (relative_) {
        DoStateTransform(&mapped.oldFlip, &mapped.oldRotation);
        DoStateTransform(&mapped.newFlip, &mapped.newRotation);
    } else {
        mapped.oldFlip = mapped.newFlip = flip_;
        mapped.oldRotation = mapped.newRotation = rotation_;
    }
    if (change->flag)
        cacheDirty_ = true;
    VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterTransform(source, &mapped));
    return err;
}

// ---- Mapping through the filter -----------------------------------------------------

template <typename Apply>
IVorlatError* CVorlatFilterTransform::Mapping(const IVorlatDataSource** sources, int32_t count, Apply apply) const
{
    IVorlatError* err = nullptr;
    if (!enabled_ || passThrough_)
        return nullptr;
    bool flip = false;
    double rotation = 0;
    if (VorlatFailed(&err, kFile, __LINE__, GetRelativeTransform(&flip, &rotation, sources, count)))
        return err;
    if (!flip && rotation == 0.0)
        return nullptr;
    int32_t w = 0, h = 0;
    if (VorlatFailed(&err, kFile, __LINE__, ChosenSource(sources, count)->GetSize(&w, &h)))
        return err;
    apply(w, h, flip, rotation);
    return nullptr;
}

IVorlatError* CVorlatFilterTransform::FilterPoint(double* x, double* y, const IVorlatDataSource** sources,
                                                  int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { FilterPoint(x, y, m...); });
}

IVorlatError* CVorlatFilterTransform::FilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources,
                                                  int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { FilterPoint(x, y, m...); });
}

IVorlatError* CVorlatFilterTransform::FilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources,
                                                 int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { FilterRect(rect, m...); });
}

IVorlatError* CVorlatFilterTransform::FilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { FilterRect(rect, m...); });
}

IVorlatError* CVorlatFilterTransform::DefilterPoint(double* x, double* y, const IVorlatDataSource** sources,
                                                    int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { DefilterPoint(x, y, m...); });
}

IVorlatError* CVorlatFilterTransform::DefilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources,
                                                    int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { DefilterPoint(x, y, m...); });
}

IVorlatError* CVorlatFilterTransform::DefilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources,
                                                   int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { DefilterRect(rect, m...); });
}

IVorlatError* CVorlatFilterTransform::DefilterRect(RECT* rect, const IVorlatDataSource** sources,
                                                   int32_t count) const
{
    return Mapping(sources, count, [&](auto... m) { DefilterRect(rect, m...); });
}
