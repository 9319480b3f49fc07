#include "app/core/heuristics/heuristic.h"

#include <algorithm>
#include <cmath>

#include "app/core/settings/blob_cursor.h"

namespace {

constexpr qz::ClassId kHeuristicId = {
    {0x89, 0x2a, 0x64, 0xf4, 0x63, 0xac, 0xd1, 0x11, 0xa7, 0x77, 0x00, 0xaa, 0x00, 0xb1, 0xc1, 0xb7}};

// lower - 1e-10 < value <= upper + 1e-10
bool InRange(double value, double lower, double upper)
{
    return lower - 1e-10 < value && value <= upper + 1e-10;
}

// Mantissas in [0.5, 1) compared at the smaller of two neighbouring exponents.
bool NearlyEqual(double a, double b)
{
    int ea = 0;
    int eb = 0;
    double ma = std::frexp(a, &ea);
    double mb = std::frexp(b, &eb);
    if (std::abs(ea - eb) > 1)
        return false;
    if (ea > eb)
        ma *= 2.0;
    else if (eb > ea)
        mb *= 2.0;
    return std::abs(ma - mb) <= 1e-10;
}

}  // namespace

void QzDblRect::MirrorX(double c)
{
    const double l = left;
    left = 2.0 * c - right;
    right = 2.0 * c - l;
}

void QzDblRect::MirrorY(double c)
{
    const double t = top;
    top = 2.0 * c - bottom;
    bottom = 2.0 * c - t;
}

void QzDblRect::TurnRight(double c)
{
    const QzDblRect r = *this;
    left = 2.0 * c - r.bottom;
    top = r.left;
    right = 2.0 * c - r.top;
    bottom = r.right;
}

void QzDblRect::TurnLeft(double c)
{
    const QzDblRect r = *this;
    left = r.top;
    top = 2.0 * c - r.right;
    right = r.bottom;
    bottom = 2.0 * c - r.left;
}

void CHeuristic::TakeSnapshot()
{
    snapshot_.crop = crop_;
    snapshot_.outputWidth = outputWidth_;
    snapshot_.outputHeight = outputHeight_;
    snapshot_.resolution = resolution_;
    snapshot_.reference = reference_;
    snapshot_.scale = scale_;
    snapshot_.lowestScale = GetLowestScale();
    snapshot_.highestScale = GetHighestScale();
    snapshot_.pixelWidth = pixelWidth_;
    snapshot_.pixelHeight = pixelHeight_;
    snapshot_.pixelArea = pixelArea_;
}

// Exact comparisons: any change of a double counts.
void CHeuristic::SetChangeBits()
{
    const Snapshot& s = snapshot_;
    if (crop_.left != s.crop.left || crop_.top != s.crop.top)
        flags_ |= kChangedCropOrigin;
    if (crop_.Width() != s.crop.Width())
        flags_ |= kChangedCropWidth;
    if (crop_.Height() != s.crop.Height())
        flags_ |= kChangedCropHeight;
    if (outputWidth_.value != s.outputWidth.value)
        flags_ |= kChangedOutputWidth;
    if (outputHeight_.value != s.outputHeight.value)
        flags_ |= kChangedOutputHeight;
    if (resolution_.value != s.resolution.value)
        flags_ |= kChangedResolution;
    if (reference_.value != s.reference.value)
        flags_ |= kChangedReference;
    if (scale_ != s.scale)
        flags_ |= kChangedScale;
    if (GetLowestScale() != s.lowestScale || GetHighestScale() != s.highestScale)
        flags_ |= kChangedScaleLimits;
    if (pixelWidth_ != s.pixelWidth)
        flags_ |= kChangedPixelWidth;
    if (pixelHeight_ != s.pixelHeight)
        flags_ |= kChangedPixelHeight;
    if (pixelArea_ != s.pixelArea)
        flags_ |= kChangedPixelArea;
}

int32_t CHeuristic::ConstrainCropSize(double& width, double& height, uint32_t)
{
    const double w = std::min(std::max(width, 1.0), bounds_.Width());
    const double h = std::min(std::max(height, 1.0), bounds_.Height());
    const int32_t changed = w != width || h != height;
    width = w;
    height = h;
    return changed;
}

void CHeuristic::Assign(const CHeuristic& other)
{
    crop_ = other.crop_;
    remembered_ = other.remembered_;
    bounds_ = other.bounds_;
    sourceWidth_ = other.sourceWidth_;
    sourceHeight_ = other.sourceHeight_;
    outputWidth_ = other.outputWidth_;
    outputHeight_ = other.outputHeight_;
    resolution_ = other.resolution_;
    lower_ = other.lower_;
    upper_ = other.upper_;
    reference_ = other.reference_;
    scale_ = other.scale_;
    pixelWidth_ = other.pixelWidth_;
    pixelHeight_ = other.pixelHeight_;
    pixelArea_ = other.pixelArea_;
    aspect_ = other.aspect_;
    snapshot_ = other.snapshot_;
    flags_ = other.flags_;
}

int32_t CHeuristic::FlipHorizontal()
{
    Edit edit(*this);
    crop_.MirrorX(sourceWidth_ / 2.0);
    bounds_.MirrorX(sourceWidth_ / 2.0);
    return 0;
}

int32_t CHeuristic::FlipVertical()
{
    Edit edit(*this);
    crop_.MirrorY(sourceHeight_ / 2.0);
    bounds_.MirrorY(sourceHeight_ / 2.0);
    return 0;
}

void CHeuristic::Turn(bool right)
{
    Edit edit(*this);
    if (right) {
        crop_.TurnRight(sourceHeight_ / 2.0);
        bounds_.TurnRight(sourceHeight_ / 2.0);
    } else {
        crop_.TurnLeft(sourceWidth_ / 2.0);
        bounds_.TurnLeft(sourceWidth_ / 2.0);
    }
    std::swap(sourceWidth_, sourceHeight_);
    std::swap(outputWidth_, outputHeight_);
    std::swap(pixelWidth_, pixelHeight_);
    UpdateAspect();
}

int32_t CHeuristic::RotateRight()
{
    Turn(true);
    return 0;
}

int32_t CHeuristic::RotateLeft()
{
    Turn(false);
    return 0;
}

void CHeuristic::RememberCrop()
{
    remembered_ = crop_;
}

int32_t CHeuristic::PlaceCrop(const QzDblRect& rect, uint32_t mode)
{
    Edit edit(*this);
    double w = rect.Width();
    double h = rect.Height();
    if (w != remembered_.Width() || h != remembered_.Height())
        ConstrainCropSize(w, h, mode);
    double left = rect.left;
    double top = rect.top;
    // An edge the request leaves where it was anchors the crop.
    if (rect.right == remembered_.right)
        left = rect.right - w;
    if (rect.bottom == remembered_.bottom)
        top = rect.bottom - h;
    if (top < bounds_.top)
        top = bounds_.top;
    else if (top + h > bounds_.bottom)
        top = bounds_.bottom - h;
    if (left < bounds_.left)
        left = bounds_.left;
    else if (left + w > bounds_.right)
        left = bounds_.right - w;
    return SetCropRect(QzDblRect{left, top, left + w, top + h}, mode);
}

int32_t CHeuristic::PlaceCrop(double left, double top, double right, double bottom, uint32_t mode)
{
    return PlaceCrop(QzDblRect{left, top, right, bottom}, mode);
}

int32_t CHeuristic::SetCropRect(const QzDblRect& rect, uint32_t)
{
    Edit edit(*this);
    crop_ = rect;
    UpdateAspect();
    return 0;
}

int32_t CHeuristic::SetCropRect(double left, double top, double right, double bottom)
{
    return SetCropRect(QzDblRect{left, top, right, bottom}, 0);
}

int32_t CHeuristic::SetCropSize(double width, double height, uint32_t)
{
    Edit edit(*this);
    crop_.right = crop_.left + width;
    crop_.bottom = crop_.top + height;
    UpdateAspect();
    return 0;
}

int32_t CHeuristic::MoveCrop(double x, double y)
{
    Edit edit(*this);
    const double w = crop_.Width();
    const double h = crop_.Height();
    crop_ = QzDblRect{x, y, x + w, y + h};
    return 0;
}

int32_t CHeuristic::SetBounds(const QzDblRect& rect)
{
    Edit edit(*this);
    bounds_ = rect;
    QzDblRect crop = crop_;
    if (crop.Width() > bounds_.Width())
        crop.right = crop.left + bounds_.Width();
    if (crop.Height() > bounds_.Height())
        crop.bottom = crop.top + bounds_.Height();
    double dx = 0.0;
    if (crop.left < bounds_.left)
        dx = bounds_.left - crop.left;
    else if (crop.right > bounds_.right)
        dx = bounds_.right - crop.right;
    double dy = 0.0;
    if (crop.top < bounds_.top)
        dy = bounds_.top - crop.top;
    else if (crop.bottom > bounds_.bottom)
        dy = bounds_.bottom - crop.bottom;
    crop = QzDblRect{crop.left + dx, crop.top + dy, crop.right + dx, crop.bottom + dy};
    return SetCropRect(crop, 0);
}

int32_t CHeuristic::SetBoundsSize(double width, double height)
{
    Edit edit(*this);
    const int32_t result =
        SetBounds(QzDblRect{bounds_.left, bounds_.top, bounds_.left + width, bounds_.top + height});
    SetCropRect(crop_, 0);
    return result;
}

int32_t CHeuristic::SetSourceSize(double width, double height)
{
    Edit edit(*this);
    sourceWidth_ = width;
    sourceHeight_ = height;
    QzDblRect bounds = bounds_;
    if (bounds.Width() > width)
        bounds.right = bounds.left + width;
    if (bounds.Height() > height)
        bounds.bottom = bounds.top + height;
    double dx = 0.0;
    if (bounds.left < 0.0)
        dx = -bounds.left;
    else if (bounds.right > width)
        dx = width - bounds.right;
    double dy = 0.0;
    if (bounds.top < 0.0)
        dy = -bounds.top;
    else if (bounds.bottom > height)
        dy = height - bounds.bottom;
    return SetBounds(QzDblRect{bounds.left + dx, bounds.top + dy, bounds.right + dx, bounds.bottom + dy});
}

int32_t CHeuristic::SetOutputWidth(const QzMeasure& measure)
{
    Edit edit(*this);
    outputWidth_ = measure;
    flags_ &= ~kSizeLock;
    return 0;
}

int32_t CHeuristic::SetOutputHeight(const QzMeasure& measure)
{
    Edit edit(*this);
    outputHeight_ = measure;
    flags_ &= ~kSizeLock;
    return 0;
}

int32_t CHeuristic::SetResolution(const QzMeasure& measure)
{
    Edit edit(*this);
    resolution_ = measure;
    return 0;
}

int32_t CHeuristic::SetLowerResolution(const QzMeasure& measure)
{
    Edit edit(*this);
    lower_ = measure;
    if (resolution_.value < lower_.value)
        SetResolution(lower_);
    return 0;
}

int32_t CHeuristic::SetUpperResolution(const QzMeasure& measure)
{
    Edit edit(*this);
    upper_ = measure;
    if (resolution_.value > upper_.value)
        SetResolution(upper_);
    return 0;
}

int32_t CHeuristic::SetReferenceResolution(const QzMeasure& measure)
{
    Edit edit(*this);
    reference_ = measure;
    return 0;
}

int32_t CHeuristic::SetScale(double scale)
{
    Edit edit(*this);
    scale_ = scale;
    return 0;
}

int32_t CHeuristic::SetPixelWidth(double pixels)
{
    Edit edit(*this);
    pixelWidth_ = pixels;
    flags_ |= kSizeLock;
    return 0;
}

int32_t CHeuristic::SetPixelHeight(double pixels)
{
    Edit edit(*this);
    pixelHeight_ = pixels;
    flags_ |= kSizeLock;
    return 0;
}

int32_t CHeuristic::SetPixelArea(double area)
{
    Edit edit(*this);
    pixelArea_ = area;
    return 0;
}

void CHeuristic::SetSizeLock(bool on)
{
    if (on)
        flags_ |= kSizeLock;
    else
        flags_ &= ~kSizeLock;
}

int32_t CHeuristic::ConstrainPixelWidth(double& pixels)
{
    const double value = std::min(std::max(pixels, 1.0), bounds_.Width());
    const int32_t changed = value != pixels;
    pixels = value;
    return changed;
}

int32_t CHeuristic::ConstrainPixelHeight(double& pixels)
{
    const double value = std::min(std::max(pixels, 1.0), bounds_.Height());
    const int32_t changed = value != pixels;
    pixels = value;
    return changed;
}

void CHeuristic::FitIntoSource(QzDblRect& rect) const
{
    const double w = std::min(std::max(rect.Width(), 1.0), sourceWidth_);
    const double h = std::min(std::max(rect.Height(), 1.0), sourceHeight_);
    rect.right = rect.left + w;
    rect.bottom = rect.top + h;
    if (rect.right > sourceWidth_) {
        rect.left = sourceWidth_ - w;
        rect.right = sourceWidth_;
    }
    if (rect.bottom > sourceHeight_) {
        rect.top = sourceHeight_ - h;
        rect.bottom = sourceHeight_;
    }
}

int32_t CHeuristic::Rescale(double width, double height, const QzMeasure& lower, const QzMeasure& upper)
{
    Edit edit(*this);
    // A source without a size (only a hostile blob makes one) is not scaled.
    const double fx = sourceWidth_ > 0.0 ? width / sourceWidth_ : 1.0;
    const double fy = sourceHeight_ > 0.0 ? height / sourceHeight_ : 1.0;
    sourceWidth_ = width;
    sourceHeight_ = height;
    for (QzDblRect* rect : {&crop_, &remembered_, &bounds_}) {
        rect->left *= fx;
        rect->right *= fx;
        rect->top *= fy;
        rect->bottom *= fy;
        FitIntoSource(*rect);
    }
    UpdateAspect();
    if (resolution_.value < lower.value)
        resolution_ = lower;
    else if (resolution_.value > upper.value)
        resolution_ = upper;
    scale_ = resolution_.value / reference_.value;
    pixelWidth_ = crop_.Width() * resolution_.value / upper.value;
    pixelHeight_ = crop_.Height() * resolution_.value / upper.value;
    pixelArea_ = pixelWidth_ * pixelHeight_;
    outputWidth_ = QzMeasure{pixelWidth_ / reference_.value, 0};
    outputHeight_ = QzMeasure{pixelHeight_ / reference_.value, 0};
    lower_ = lower;
    upper_ = upper;
    return 0;
}

int32_t CHeuristic::CheckConsistency(bool boundsAreReference) const
{
    const QzDblRect reference =
        boundsAreReference ? bounds_ : QzDblRect{0.0, 0.0, sourceWidth_, sourceHeight_};
    const double r = resolution_.value;
    const double u = upper_.value;
    const double f = reference_.value;
    const struct {
        bool holds;
        int32_t code;
    } relations[] = {
        {InRange(r, lower_.value, u), 100},
        {InRange(crop_.left, reference.left, reference.right), 101},
        {InRange(crop_.right, reference.left, reference.right), 102},
        {InRange(crop_.top, reference.top, reference.bottom), 103},
        {InRange(crop_.bottom, reference.top, reference.bottom), 104},
        {pixelWidth_ >= 1e-10, 105},
        {pixelHeight_ >= 1e-10, 106},
        {NearlyEqual(pixelWidth_, outputWidth_.value * f), 200},
        {NearlyEqual(pixelHeight_, outputHeight_.value * f), 201},
        {NearlyEqual(pixelArea_, pixelWidth_ * pixelHeight_), 202},
        {NearlyEqual(aspect_, pixelWidth_ / pixelHeight_), 203},
        {NearlyEqual(aspect_, outputWidth_.value / outputHeight_.value), 204},
        {NearlyEqual(aspect_, crop_.Width() / crop_.Height()), 205},
        {NearlyEqual(scale_, r / f), 206},
        {NearlyEqual(pixelWidth_, crop_.Width() * r / u), 207},
        {NearlyEqual(pixelHeight_, crop_.Height() * r / u), 208},
    };
    for (const auto& relation : relations) {
        if (!relation.holds)
            return relation.code;
    }
    return 0;
}

// Version 3 has the length field; versions 1 and 2 start their fields at 18,
// and version 1 ends before the size-lock byte.
bool CHeuristic::GetData(uint8_t* buffer, int32_t& size) const
{
    const int32_t capacity = size;
    qz::BlobWriter out(buffer, capacity);
    out.PutId(kHeuristicId);
    out.Put<uint16_t>(3);
    const uint64_t lengthField = out.Position();
    out.Put<uint32_t>(0);
    for (const QzDblRect* rect : {&crop_, &remembered_, &bounds_}) {
        out.Put(rect->left);
        out.Put(rect->top);
        out.Put(rect->right);
        out.Put(rect->bottom);
    }
    for (double value : {sourceWidth_, sourceHeight_, outputWidth_.value, outputHeight_.value, resolution_.value,
                         lower_.value, upper_.value, reference_.value, scale_, pixelWidth_, pixelHeight_,
                         pixelArea_, aspect_})
        out.Put(value);
    out.Put<uint8_t>((flags_ & kSizeLock) ? 0xFF : 0);
    out.FinishLength(lengthField);
    size = out.Answer();
    return buffer && capacity >= kBlobSize;
}

bool CHeuristic::SetData(const uint8_t* buffer, int32_t size)
{
    if (!qz::StartsWith(buffer, size, kHeuristicId))
        return false;
    qz::BlobReader in(buffer, size);
    in.Skip(16);
    uint16_t version = 0;
    if (!in.Get(version) || version < 1 || version > 3)
        return false;
    if (version == 3)
        in.Skip(4);
    const uint64_t fieldsSize = 3 * 32 + 13 * 8 + (version >= 2 ? 1 : 0);
    if (!in.Covers(fieldsSize))
        return false;
    QzDblRect rects[3];
    for (QzDblRect& rect : rects) {
        in.Get(rect.left);
        in.Get(rect.top);
        in.Get(rect.right);
        in.Get(rect.bottom);
    }
    double v[13];
    for (double& value : v)
        in.Get(value);
    uint8_t lock = 0;
    if (version >= 2)
        in.Get(lock);
    crop_ = rects[0];
    remembered_ = rects[1];
    bounds_ = rects[2];
    sourceWidth_ = v[0];
    sourceHeight_ = v[1];
    outputWidth_ = QzMeasure{v[2], 0};
    outputHeight_ = QzMeasure{v[3], 0};
    resolution_ = QzMeasure{v[4], 1};
    lower_ = QzMeasure{v[5], 1};
    upper_ = QzMeasure{v[6], 1};
    reference_ = QzMeasure{v[7], 1};
    scale_ = v[8];
    pixelWidth_ = v[9];
    pixelHeight_ = v[10];
    pixelArea_ = v[11];
    aspect_ = v[12];
    flags_ = lock ? static_cast<uint32_t>(kSizeLock) : 0u;
    return true;
}
