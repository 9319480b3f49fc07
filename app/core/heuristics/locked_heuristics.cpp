#include "app/core/heuristics/locked_heuristics.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

// Moves `rect` left and up, keeping its size, until it ends within `bounds`;
// answers whether it moved.
bool HoldRightBottom(QzDblRect& rect, const QzDblRect& bounds)
{
    bool moved = false;
    if (rect.right > bounds.right) {
        const double w = rect.Width();
        rect.right = bounds.right;
        rect.left = bounds.right - w;
        moved = true;
    }
    if (rect.bottom > bounds.bottom) {
        const double h = rect.Height();
        rect.bottom = bounds.bottom;
        rect.top = bounds.bottom - h;
        moved = true;
    }
    return moved;
}

int32_t Clamp(double& value, double lower, double upper)
{
    if (value < lower) {
        value = lower;
        return 1;
    }
    if (value > upper) {
        value = upper;
        return 1;
    }
    return 0;
}

}  // namespace

CHDevSetup::CHDevSetup(double width, double height, const QzMeasure& resolution, const QzMeasure& lower,
                       const QzMeasure& upper)
{
    crop_ = QzDblRect{0.0, 0.0, width, height};
    bounds_ = crop_;
    sourceWidth_ = width;
    sourceHeight_ = height;
    outputWidth_ = QzMeasure{width / upper.value, 0};
    outputHeight_ = QzMeasure{height / upper.value, 0};
    resolution_ = resolution;
    lower_ = lower;
    upper_ = upper;
    reference_ = resolution;
    scale_ = 1.0;
    pixelWidth_ = outputWidth_.value * reference_.value;
    pixelHeight_ = outputHeight_.value * reference_.value;
    pixelArea_ = pixelWidth_ * pixelHeight_;
    aspect_ = pixelWidth_ / pixelHeight_;
}

// ---- shared by both locked kinds

int32_t CHLockedBase::ClampOutputMeasure(QzMeasure& measure) const
{
    measure.unit = 0;
    return Clamp(measure.value, 1e-10, 1e10);
}

int32_t CHLockedBase::ClampResolution(QzMeasure& measure) const
{
    if (measure.value < lower_.value) {
        measure = lower_;
        return 1;
    }
    if (measure.value > upper_.value) {
        measure = upper_;
        return 1;
    }
    return 0;
}

int32_t CHLockedBase::ClampScale(double& scale) const
{
    return Clamp(scale, GetLowestScale(), GetHighestScale());
}

int32_t CHLockedBase::ClampReference(QzMeasure& measure) const
{
    measure.unit = 1;
    int32_t changed = Clamp(measure.value, 1e-10, 1e10);
    if (!(flags_ & kSizeLock)) {
        const double given = measure.value;
        ClampReferenceOwn(measure.value);
        changed |= measure.value != given;
    }
    return changed;
}

int32_t CHLockedBase::ClampArea(double& area) const
{
    const double cw = crop_.Width();
    const double ch = crop_.Height();
    const double least = cw * ch * (L() / U()) * (L() / U());
    return Clamp(area, least, cw * ch);
}

int32_t CHLockedBase::ConstrainCrop(QzDblRect& rect, uint32_t mode)
{
    int32_t clipped = 0;
    if (rect.left < bounds_.left) {
        rect.left = bounds_.left;
        clipped = 1;
    } else if (rect.right > bounds_.right) {
        rect.right = bounds_.right;
        clipped = 1;
    }
    if (rect.top < bounds_.top) {
        rect.top = bounds_.top;
        clipped = 1;
    } else if (rect.bottom > bounds_.bottom) {
        rect.bottom = bounds_.bottom;
        clipped = 1;
    }
    double w = rect.Width();
    double h = rect.Height();
    const int32_t constrained = ConstrainCropSize(w, h, mode);
    int32_t result = clipped ? clipped : constrained;
    rect.right = rect.left + w;
    rect.bottom = rect.top + h;
    if (HoldRightBottom(rect, bounds_))
        result = 1;
    return result;
}

int32_t CHLockedBase::SetCropRect(const QzDblRect& rect, uint32_t mode)
{
    Edit edit(*this);
    QzDblRect wanted = rect;
    const int32_t constrained = ConstrainCrop(wanted, mode);
    const double w = crop_.Width();
    const double h = crop_.Height();
    crop_ = QzDblRect{wanted.left, wanted.top, wanted.left + w, wanted.top + h};
    const int32_t sized = SetCropSize(wanted.Width(), wanted.Height(), mode);
    return constrained ? constrained : sized;
}

int32_t CHLockedBase::MoveCrop(double x, double y)
{
    Edit edit(*this);
    const double w = crop_.Width();
    const double h = crop_.Height();
    const double gx = x;
    const double gy = y;
    if (x < bounds_.left)
        x = bounds_.left;
    else if (x > bounds_.right - w)
        x = bounds_.right - w;
    if (y < bounds_.top)
        y = bounds_.top;
    else if (y > bounds_.bottom - h)
        y = bounds_.bottom - h;
    crop_ = QzDblRect{x, y, x + w, y + h};
    return x != gx || y != gy;
}

// ---- "Crop": the crop leads

void CHLockCrop::ClampReferenceOwn(double& value) const
{
    Clamp(value, L() / scale_, U() / scale_);
}

int32_t CHLockCrop::ConstrainPixelWidth(double& pixels)
{
    const double cw = crop_.Width();
    return Clamp(pixels, cw * L() / U(), cw);
}

int32_t CHLockCrop::ConstrainPixelHeight(double& pixels)
{
    const double ch = crop_.Height();
    return Clamp(pixels, ch * L() / U(), ch);
}

int32_t CHLockCrop::SetCropSize(double width, double height, uint32_t mode)
{
    Edit edit(*this);
    int32_t result = CHeuristic::ConstrainCropSize(width, height, mode);
    crop_.right = crop_.left + width;
    crop_.bottom = crop_.top + height;
    // A crop never leaves its bounds: one resized past them moves back in.
    if (HoldRightBottom(crop_, bounds_))
        result = 1;
    const double cw = crop_.Width();
    const double ch = crop_.Height();
    const double r = resolution_.value;
    pixelWidth_ = cw * r / U();
    pixelHeight_ = ch * r / U();
    outputWidth_ = QzMeasure{pixelWidth_ / reference_.value, 0};
    outputHeight_ = QzMeasure{pixelHeight_ / reference_.value, 0};
    pixelArea_ = pixelWidth_ * pixelHeight_;
    aspect_ = cw / ch;
    return result;
}

void CHLockCrop::FollowOutputWidth()
{
    const double cw = crop_.Width();
    const double ch = crop_.Height();
    double r = std::min(outputWidth_.value * reference_.value * U() / cw, U());
    if (r <= L())
        r = L();
    resolution_ = QzMeasure{r, 1};
    pixelWidth_ = cw * r / U();
    pixelHeight_ = ch * r / U();
    reference_ = QzMeasure{pixelWidth_ / outputWidth_.value, 1};
    scale_ = r / reference_.value;
    pixelArea_ = pixelWidth_ * pixelHeight_;
    flags_ &= ~kSizeLock;
}

int32_t CHLockCrop::SetOutputWidth(const QzMeasure& measure)
{
    Edit edit(*this);
    QzMeasure m = measure;
    const int32_t result = ClampOutputMeasure(m);
    outputWidth_ = m;
    outputHeight_ = QzMeasure{outputWidth_.value / aspect_, 0};
    FollowOutputWidth();
    return result;
}

int32_t CHLockCrop::SetOutputHeight(const QzMeasure& measure)
{
    Edit edit(*this);
    QzMeasure m = measure;
    const int32_t result = ClampOutputMeasure(m);
    outputHeight_ = m;
    outputWidth_ = QzMeasure{outputHeight_.value * aspect_, 0};
    FollowOutputWidth();
    return result;
}

int32_t CHLockCrop::SetResolution(const QzMeasure& measure)
{
    Edit edit(*this);
    QzMeasure m = measure;
    const int32_t result = ClampResolution(m);
    resolution_ = m;
    reference_ = QzMeasure{resolution_.value / scale_, 1};
    pixelWidth_ = outputWidth_.value * reference_.value;
    pixelHeight_ = outputHeight_.value * reference_.value;
    pixelArea_ = pixelWidth_ * pixelHeight_;
    return result;
}

int32_t CHLockCrop::SetReferenceResolution(const QzMeasure& measure)
{
    Edit edit(*this);
    QzMeasure m = measure;
    const int32_t result = ClampReference(m);
    reference_ = m;
    const double f = reference_.value;
    if (!(flags_ & kSizeLock)) {
        resolution_ = QzMeasure{f * scale_, 1};
        pixelWidth_ = outputWidth_.value * f;
        pixelHeight_ = outputHeight_.value * f;
        pixelArea_ = pixelWidth_ * pixelHeight_;
    } else {
        outputWidth_ = QzMeasure{pixelWidth_ / f, 0};
        outputHeight_ = QzMeasure{pixelHeight_ / f, 0};
        scale_ = resolution_.value / f;
    }
    return result;
}

int32_t CHLockCrop::SetScale(double scale)
{
    Edit edit(*this);
    const int32_t result = ClampScale(scale);
    scale_ = scale;
    const double f = reference_.value;
    resolution_ = QzMeasure{f * scale_, 1};
    outputWidth_ = QzMeasure{crop_.Width() * scale_ / U(), 0};
    outputHeight_ = QzMeasure{crop_.Height() * scale_ / U(), 0};
    pixelWidth_ = outputWidth_.value * f;
    pixelHeight_ = outputHeight_.value * f;
    pixelArea_ = pixelWidth_ * pixelHeight_;
    return result;
}

int32_t CHLockCrop::SetPixelWidth(double pixels)
{
    Edit edit(*this);
    const int32_t result = ConstrainPixelWidth(pixels);
    pixelWidth_ = pixels;
    resolution_ = QzMeasure{U() * pixelWidth_ / crop_.Width(), 1};
    pixelHeight_ = pixelWidth_ / aspect_;
    outputWidth_ = QzMeasure{pixelWidth_ / reference_.value, 0};
    outputHeight_ = QzMeasure{pixelHeight_ / reference_.value, 0};
    scale_ = resolution_.value / reference_.value;
    pixelArea_ = pixelWidth_ * pixelHeight_;
    flags_ |= kSizeLock;
    return result;
}

int32_t CHLockCrop::SetPixelHeight(double pixels)
{
    Edit edit(*this);
    const int32_t result = ConstrainPixelHeight(pixels);
    pixelHeight_ = pixels;
    resolution_ = QzMeasure{U() * pixelHeight_ / crop_.Height(), 1};
    pixelWidth_ = aspect_ * pixelHeight_;
    outputWidth_ = QzMeasure{pixelWidth_ / reference_.value, 0};
    outputHeight_ = QzMeasure{pixelHeight_ / reference_.value, 0};
    scale_ = resolution_.value / reference_.value;
    pixelArea_ = pixelWidth_ * pixelHeight_;
    flags_ |= kSizeLock;
    return result;
}

int32_t CHLockCrop::SetPixelArea(double area)
{
    Edit edit(*this);
    const int32_t result = ClampArea(area);
    pixelArea_ = area;
    aspect_ = crop_.Width() / crop_.Height();
    pixelWidth_ = std::sqrt(pixelArea_ * aspect_);
    pixelHeight_ = std::sqrt(pixelArea_ / aspect_);
    resolution_ = QzMeasure{pixelWidth_ * U() / crop_.Width(), 1};
    reference_ = QzMeasure{resolution_.value / scale_, 1};
    return result;
}

// ---- "Size": the output pixel size leads

CHLockSize::CHLockSize(const CHeuristic& other)
{
    Assign(other);
    const double k = std::max(1.0 / pixelWidth_, 1.0 / pixelHeight_);
    if (!(k > 1.0))
        return;
    Edit edit(*this);
    pixelWidth_ *= k;
    pixelHeight_ *= k;
    HoldPixelSize();
    pixelArea_ = pixelWidth_ * pixelHeight_;
    resolution_ = QzMeasure{resolution_.value * k, 1};
    HoldResolution();
    reference_ = QzMeasure{reference_.value * k, 1};
}

double CHLockSize::GetLowestScale() const
{
    const double f = reference_.value;
    return std::max({L() / f, outputWidth_.value * U() / bounds_.Width(), outputHeight_.value * U() / bounds_.Height()});
}

void CHLockSize::ClampReferenceOwn(double& value) const
{
    const double limit = std::min(bounds_.Width() / outputWidth_.value, bounds_.Height() / outputHeight_.value);
    if (value > limit)
        value = limit;
    // Below a pixel the crop's width is lost to rounding far from the origin.
    else if (value < LeastReference())
        value = LeastReference();
}

double CHLockSize::LeastReference() const
{
    return std::max(1.0 / outputWidth_.value, 1.0 / outputHeight_.value);
}

void CHLockSize::HoldPixelSize()
{
    pixelWidth_ = std::min(std::max(pixelWidth_, 1.0), bounds_.Width());
    pixelHeight_ = std::min(std::max(pixelHeight_, 1.0), bounds_.Height());
}

void CHLockSize::HoldResolution()
{
    resolution_.value = std::min(std::max(resolution_.value, L()), U());
}

int32_t CHLockSize::ClampOutputAspect(double& value, double other, double extent, double otherExtent) const
{
    return Clamp(value, other / otherExtent, other * extent);
}

int32_t CHLockSize::ConstrainCropSize(double& width, double& height, uint32_t mode)
{
    const double a = aspect_;
    const double pw = pixelWidth_;
    const double ph = pixelHeight_;
    const double bw = bounds_.Width();
    const double bh = bounds_.Height();
    bool widthLeads;
    if ((mode & 3) == kCropWidthLeads)
        widthLeads = true;
    else if ((mode & 3) == kCropHeightLeads)
        widthLeads = false;
    else
        widthLeads = !(a * height <= width);
    int32_t result = 0;
    if (widthLeads) {
        if (width < pw) {
            width = pw;
            result = 1;
        } else {
            const double limit = std::min({U() * pw / L(), bw, a * std::min(U() * ph / L(), bh)});
            if (width > limit) {
                width = limit;
                result = 1;
            }
        }
        height = width / a;
    } else {
        if (height < ph) {
            height = ph;
            result = 1;
        } else {
            const double limit = std::min({U() * ph / L(), bh, std::min(U() * pw / L(), bw) / a});
            if (height > limit) {
                height = limit;
                result = 1;
            }
        }
        width = a * height;
    }
    // The aspect and the pixel sizes agree only to rounding: the side that
    // follows may not pass the bounds by it.
    width = std::min(width, bw);
    height = std::min(height, bh);
    return result;
}

void CHLockSize::RefitCrop()
{
    const double r = resolution_.value;
    const double cw = std::min(U() * pixelWidth_ / r, bounds_.Width());
    crop_.right = crop_.left + cw;
    if (bounds_.right - cw < crop_.left) {
        crop_.left = bounds_.right - cw;
        crop_.right = bounds_.right;
    }
    const double ch = std::min(U() * pixelHeight_ / r, bounds_.Height());
    crop_.bottom = crop_.top + ch;
    if (bounds_.bottom - ch < crop_.top) {
        crop_.top = bounds_.bottom - ch;
        crop_.bottom = bounds_.bottom;
    }
}

int32_t CHLockSize::PlaceCrop(const QzDblRect& rect, uint32_t mode)
{
    Edit edit(*this);
    double w = rect.Width();
    double h = rect.Height();
    int32_t result = 0;
    // The remembered size is taken as it is only while it is still the
    // crop's: once the pixel size moved it no longer fits the rules.
    const bool remembered = w == remembered_.Width() && h == remembered_.Height();
    if (!remembered || w != crop_.Width() || h != crop_.Height())
        result = ConstrainCropSize(w, h, mode);
    double left = (mode & kCropRightHolds) ? rect.right - w : rect.left;
    double top = (mode & kCropBottomHolds) ? rect.bottom - h : rect.top;
    if ((mode & 3) == kCropWidthLeads)
        top = (remembered_.top + remembered_.bottom) / 2.0 - h / 2.0;
    else if ((mode & 3) == kCropHeightLeads)
        left = (remembered_.left + remembered_.right) / 2.0 - w / 2.0;
    if (top < bounds_.top)
        top = bounds_.top;
    else if (top + h > bounds_.bottom)
        top = bounds_.bottom - h;
    if (left < bounds_.left)
        left = bounds_.left;
    else if (left + w > bounds_.right)
        left = bounds_.right - w;
    crop_ = QzDblRect{left, top, left + w, top + h};
    resolution_ = QzMeasure{U() * pixelWidth_ / crop_.Width(), 1};
    HoldResolution();
    scale_ = resolution_.value / reference_.value;
    return result;
}

int32_t CHLockSize::SetCropSize(double width, double height, uint32_t mode)
{
    Edit edit(*this);
    const int32_t result = ConstrainCropSize(width, height, mode);
    crop_.right = crop_.left + width;
    crop_.bottom = crop_.top + height;
    HoldRightBottom(crop_, bounds_);
    resolution_ = QzMeasure{U() * pixelWidth_ / crop_.Width(), 1};
    HoldResolution();
    scale_ = resolution_.value / reference_.value;
    return result;
}

void CHLockSize::FollowPixelSize()
{
    HoldPixelSize();
    const double f = reference_.value;
    const double r = std::min(
        U(), std::max({L(), f * scale_, U() * pixelWidth_ / bounds_.Width(), U() * pixelHeight_ / bounds_.Height()}));
    resolution_ = QzMeasure{r, 1};
    RefitCrop();
    scale_ = r / f;
    pixelArea_ = pixelWidth_ * pixelHeight_;
    aspect_ = outputWidth_.value / outputHeight_.value;
    flags_ &= ~kSizeLock;
}

int32_t CHLockSize::SetOutputWidth(const QzMeasure& measure)
{
    Edit edit(*this);
    QzMeasure m = measure;
    int32_t result = ClampOutputMeasure(m);
    // Both pixel sizes must stay between 1 and the bounds: that limits the aspect.
    result |= ClampOutputAspect(m.value, outputHeight_.value, bounds_.Width(), bounds_.Height());
    outputWidth_ = m;
    const double least = std::max(1.0, outputWidth_.value / outputHeight_.value);
    pixelWidth_ = std::max(std::min(outputWidth_.value * reference_.value, bounds_.Width()), least);
    reference_ = QzMeasure{pixelWidth_ / outputWidth_.value, 1};
    pixelHeight_ = reference_.value * outputHeight_.value;
    FollowPixelSize();
    return result;
}

int32_t CHLockSize::SetOutputHeight(const QzMeasure& measure)
{
    Edit edit(*this);
    QzMeasure m = measure;
    int32_t result = ClampOutputMeasure(m);
    result |= ClampOutputAspect(m.value, outputWidth_.value, bounds_.Height(), bounds_.Width());
    outputHeight_ = m;
    const double least = std::max(1.0, outputHeight_.value / outputWidth_.value);
    pixelHeight_ = std::max(std::min(outputHeight_.value * reference_.value, bounds_.Height()), least);
    reference_ = QzMeasure{pixelHeight_ / outputHeight_.value, 1};
    pixelWidth_ = outputWidth_.value * reference_.value;
    FollowPixelSize();
    return result;
}

int32_t CHLockSize::SetResolution(const QzMeasure& measure)
{
    Edit edit(*this);
    QzMeasure m = measure;
    int32_t result = ClampResolution(m);
    // A resolution so low that the crop could only hold less than a pixel is raised.
    const double least = U() * LeastReference() *
                         std::max(outputWidth_.value / bounds_.Width(), outputHeight_.value / bounds_.Height());
    if (m.value < least) {
        m = QzMeasure{std::min(least, U()), 1};
        result = 1;
    }
    resolution_ = m;
    const double r = resolution_.value;
    const double f = std::min({reference_.value, bounds_.Width() * r / U() / outputWidth_.value,
                               bounds_.Height() * r / U() / outputHeight_.value});
    reference_ = QzMeasure{f, 1};
    pixelWidth_ = f * outputWidth_.value;
    pixelHeight_ = f * outputHeight_.value;
    HoldPixelSize();
    scale_ = r / f;
    RefitCrop();
    pixelArea_ = pixelWidth_ * pixelHeight_;
    return result;
}

int32_t CHLockSize::SetReferenceResolution(const QzMeasure& measure)
{
    Edit edit(*this);
    QzMeasure m = measure;
    const int32_t result = ClampReference(m);
    reference_ = m;
    const double f = reference_.value;
    if (flags_ & kSizeLock) {
        outputWidth_ = QzMeasure{pixelWidth_ / f, 0};
        outputHeight_ = QzMeasure{pixelHeight_ / f, 0};
        scale_ = resolution_.value / f;
    } else {
        pixelWidth_ = outputWidth_.value * f;
        pixelHeight_ = outputHeight_.value * f;
        HoldPixelSize();
        resolution_ = QzMeasure{std::min(U(), std::max(L(), f * scale_)), 1};
        scale_ = resolution_.value / f;
        RefitCrop();
        pixelArea_ = pixelWidth_ * pixelHeight_;
    }
    return result;
}

int32_t CHLockSize::SetScale(double scale)
{
    Edit edit(*this);
    const int32_t result = ClampScale(scale);
    scale_ = scale;
    resolution_ = QzMeasure{reference_.value * scale_, 1};
    HoldResolution();
    RefitCrop();
    return result;
}

int32_t CHLockSize::SetPixelWidth(double pixels)
{
    Edit edit(*this);
    const int32_t result = CHeuristic::ConstrainPixelWidth(pixels);
    pixelWidth_ = pixels;
    const double f = reference_.value;
    outputWidth_ = QzMeasure{pixelWidth_ / f, 0};
    const double cw = std::min(U() * pixelWidth_ / resolution_.value, bounds_.Width());
    const double left = std::min(crop_.left, bounds_.right - cw);
    crop_.left = left;
    crop_.right = left + cw;
    resolution_ = QzMeasure{U() * pixelWidth_ / cw, 1};
    HoldResolution();
    // The height follows from values that agree only to rounding: keep it inside.
    crop_.bottom = crop_.top + std::min(U() * pixelHeight_ / resolution_.value, bounds_.Height());
    HoldRightBottom(crop_, bounds_);
    scale_ = resolution_.value / f;
    pixelArea_ = pixelWidth_ * pixelHeight_;
    aspect_ = outputWidth_.value / outputHeight_.value;
    flags_ |= kSizeLock;
    return result;
}

int32_t CHLockSize::SetPixelHeight(double pixels)
{
    Edit edit(*this);
    const int32_t result = CHeuristic::ConstrainPixelHeight(pixels);
    pixelHeight_ = pixels;
    const double f = reference_.value;
    outputHeight_ = QzMeasure{pixelHeight_ / f, 0};
    const double ch = std::min(U() * pixelHeight_ / resolution_.value, bounds_.Height());
    const double top = std::min(crop_.top, bounds_.bottom - ch);
    crop_.top = top;
    crop_.bottom = top + ch;
    resolution_ = QzMeasure{U() * pixelHeight_ / ch, 1};
    HoldResolution();
    crop_.right = crop_.left + std::min(U() * pixelWidth_ / resolution_.value, bounds_.Width());
    HoldRightBottom(crop_, bounds_);
    scale_ = resolution_.value / f;
    pixelArea_ = pixelWidth_ * pixelHeight_;
    aspect_ = outputWidth_.value / outputHeight_.value;
    flags_ |= kSizeLock;
    return result;
}

int32_t CHLockSize::SetPixelArea(double area)
{
    Edit edit(*this);
    int32_t result = ClampArea(area);
    // Neither pixel size below 1.
    const double least = std::max(aspect_, 1.0 / aspect_);
    if (area < least) {
        area = least;
        result = 1;
    }
    pixelArea_ = area;
    pixelWidth_ = std::sqrt(pixelArea_ * aspect_);
    pixelHeight_ = std::sqrt(pixelArea_ / aspect_);
    HoldPixelSize();
    reference_ = QzMeasure{pixelWidth_ / outputWidth_.value, 1};
    resolution_ = QzMeasure{reference_.value * scale_, 1};
    HoldResolution();
    return result;
}

int32_t CHLockSize::Rescale(double width, double height, const QzMeasure& lower, const QzMeasure& upper)
{
    Edit edit(*this);
    if (pixelWidth_ > width) {
        pixelWidth_ = width;
        reference_ = QzMeasure{width / outputWidth_.value, 1};
        pixelHeight_ = outputHeight_.value * reference_.value;
    }
    if (pixelHeight_ > height) {
        reference_ = QzMeasure{height / outputHeight_.value, 1};
        pixelHeight_ = height;
        pixelWidth_ = outputWidth_.value * reference_.value;
    }
    pixelArea_ = pixelHeight_ * pixelWidth_;
    if (resolution_.value < lower.value)
        resolution_ = lower;
    else if (resolution_.value > upper.value)
        resolution_ = upper;
    const double u = upper.value;
    const double least = std::max(u * pixelWidth_ / width, u * pixelHeight_ / height);
    if (least > resolution_.value)
        resolution_ = QzMeasure{least, 1};
    scale_ = resolution_.value / reference_.value;
    const double cw = u * pixelWidth_ / resolution_.value;
    const double ch = u * pixelHeight_ / resolution_.value;
    double left = crop_.left;
    double top = crop_.top;
    if (left + cw > width)
        left = width - cw;
    if (top + ch > height)
        top = height - ch;
    crop_ = QzDblRect{left, top, left + cw, top + ch};
    remembered_ = crop_;
    bounds_ = QzDblRect{0.0, 0.0, width, height};
    sourceWidth_ = width;
    sourceHeight_ = height;
    lower_ = lower;
    upper_ = upper;
    return 1;
}

// ---- factories

namespace {

template <class Kind>
int32_t MakeLocked(CHeuristic** slot)
{
    if (!slot)
        return 1;
    CHeuristic* made = *slot ? new (std::nothrow) Kind(**slot) : new (std::nothrow) Kind();
    if (!made)
        return 2;
    delete *slot;
    *slot = made;
    return 0;
}

}  // namespace

int32_t MakeLockCrop(CHeuristic** slot)
{
    return MakeLocked<CHLockCrop>(slot);
}

int32_t MakeLockSize(CHeuristic** slot)
{
    return MakeLocked<CHLockSize>(slot);
}
