#include "app/core/heuristics/size_res.h"

#include <cmath>
#include <limits>
#include <vector>

#include "app/core/heuristics/locked_heuristics.h"
#include "app/core/settings/blob_cursor.h"

namespace {

constexpr QzMeasure kPerInch300{300.0, 1};
constexpr QzMeasure kPerInch1{1.0, 1};
constexpr QzMeasure kPerInch600{600.0, 1};

// floor(value + 1e-15), saturated to 32 bits (a hostile blob may hold any double).
int32_t WholePixels(double value)
{
    const double whole = std::floor(value + 1e-15);
    if (!(whole >= -2147483648.0))
        return whole > 0 ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
    if (whole > 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(whole);
}

int32_t Truncated(double value)
{
    if (!(value > -2147483648.0))
        return value > 0 ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
    if (value >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

QzDblRect ToDbl(const CQzRect& rect)
{
    return QzDblRect{static_cast<double>(rect.GetLeft()), static_cast<double>(rect.GetTop()),
                     static_cast<double>(rect.GetRight()), static_cast<double>(rect.GetBottom())};
}

CQzRect ToInt(const QzDblRect& rect)
{
    return CQzRect(Truncated(rect.top), Truncated(rect.left), Truncated(rect.bottom), Truncated(rect.right));
}

// A heuristic that no rescale or scaled read-out can divide by: both
// resolution limits 1.0 (never set), or a limit or second resolution that is
// not a positive number.
bool IsBlank(const CHeuristic& h)
{
    const double lower = h.GetLowerResolution().value;
    const double upper = h.GetUpperResolution().value;
    const double reference = h.GetReferenceResolution().value;
    if (lower == 1.0 && upper == 1.0)
        return true;
    const auto usable = [](double v) { return v > 0.0 && std::isfinite(v); };
    return !usable(upper) || !usable(reference) || !usable(lower);
}

}  // namespace

CQzSizeRes::CQzSizeRes()
{
    SetHeuristicType(kHeuristicCrop);
}

CQzSizeRes::CQzSizeRes(int32_t width, int32_t height, const QzDblRect*)
{
    const double w = 2.0 * width;
    const double h = 2.0 * height;
    heuristic_ = new CHDevSetup(w, h, kPerInch300, kPerInch1, kPerInch600);
    SetHeuristicType(kHeuristicCrop);
    const QzDblRect image{0.0, 0.0, w, h};
    heuristic_->SetBounds(image);
    heuristic_->SetCropRect(image, 0);
    ApplySizeLock();
}

CQzSizeRes::CQzSizeRes(const CQzSizeRes& other) : CQzSizeRes()
{
    *this = other;
}

CQzSizeRes& CQzSizeRes::operator=(const CQzSizeRes& other)
{
    if (this == &other)
        return *this;
    heuristic_->Assign(*other.heuristic_);
    SetHeuristicType(other.GetHeuristicType());
    status_ = other.status_;
    mirrored_ = other.mirrored_;
    rotation_ = other.rotation_;
    return *this;
}

CQzSizeRes::~CQzSizeRes()
{
    delete heuristic_;
}

CQzSizeRes& CQzSizeRes::CopyFrom(const IQzState& other)
{
    QzDblRect bounds = GetImageBounds();
    UnmapRect(bounds, GetImageRect());
    const int32_t width = Truncated(bounds.Width() / 2.0);
    const int32_t height = Truncated(bounds.Height() / 2.0);
    std::vector<uint8_t> blob(static_cast<size_t>(std::max(other.GetSize(), 0)));
    other.GetData(blob.data(), static_cast<int32_t>(blob.size()));
    SetDataForImage(blob.data(), static_cast<int32_t>(blob.size()), width, height);
    return *this;
}

double CQzSizeRes::InchesToUnit(double inches, int32_t unit)
{
    switch (unit) {
    case 1: return inches;
    case 2: return inches * 2.54;
    case 3: return inches * 25.4;
    case 4: return inches * 6.0;
    case 5: return inches * 72.0;
    default: return 0.0;
    }
}

double CQzSizeRes::PerInchToUnit(double perInch, int32_t unit)
{
    switch (unit) {
    case 0: return perInch;
    case 1: return perInch * 0.39370078740157477;
    default: return 0.0;
    }
}

QzMeasure CQzSizeRes::UnitToInches(double value, int32_t unit)
{
    switch (unit) {
    case 2: return QzMeasure{value * 0.39370078740157477, 0};
    case 3: return QzMeasure{value * 0.03937007874015748, 0};
    case 4: return QzMeasure{value * 0.16666666666666666, 0};
    case 5: return QzMeasure{value * 0.013888888888888888, 0};
    default: return QzMeasure{value, 0};
    }
}

QzMeasure CQzSizeRes::PerUnitToPerInch(double value, int32_t unit)
{
    return QzMeasure{unit == 1 ? value * 2.54 : value, 1};
}

QzMeasure CQzSizeRes::ResolutionPerUnit(double value, int32_t lengthUnit)
{
    switch (lengthUnit) {
    case 2: return QzMeasure{value * 2.54, 1};
    case 3: return QzMeasure{value * 25.4, 1};
    case 4: return QzMeasure{value * 6.0, 1};
    case 5: return QzMeasure{value * 72.0, 1};
    default: return QzMeasure{value, 1};
    }
}

int32_t CQzSizeRes::SetOutputWidth(const QzMeasure& m)
{
    const int32_t result = heuristic_->SetOutputWidth(m);
    ApplySizeLock();
    return result;
}

int32_t CQzSizeRes::SetOutputHeight(const QzMeasure& m)
{
    const int32_t result = heuristic_->SetOutputHeight(m);
    ApplySizeLock();
    return result;
}

int32_t CQzSizeRes::SetPixelWidth(double pixels)
{
    const int32_t result = heuristic_->SetPixelWidth(pixels);
    ApplySizeLock();
    return result;
}

int32_t CQzSizeRes::SetPixelHeight(double pixels)
{
    const int32_t result = heuristic_->SetPixelHeight(pixels);
    ApplySizeLock();
    return result;
}

int32_t CQzSizeRes::SetSecondResolution(const QzMeasure& m, bool holdSizeLock)
{
    const bool locked = (heuristic_->GetFlags() & kSizeLock) != 0;
    if (holdSizeLock)
        heuristic_->SetSizeLock(true);
    const int32_t result = heuristic_->SetReferenceResolution(m);
    if (holdSizeLock)
        heuristic_->SetSizeLock(locked);
    return result;
}

void CQzSizeRes::FlipHorizontal()
{
    mirrored_ = !mirrored_;
    rotation_ = (720 - rotation_) % 360;
    heuristic_->FlipHorizontal();
}

void CQzSizeRes::FlipVertical()
{
    mirrored_ = !mirrored_;
    rotation_ = (900 - rotation_) % 360;
    heuristic_->FlipVertical();
}

void CQzSizeRes::RotateRight()
{
    rotation_ = (rotation_ + 90) % 360;
    heuristic_->RotateRight();
}

void CQzSizeRes::RotateLeft()
{
    rotation_ = (rotation_ + 270) % 360;
    heuristic_->RotateLeft();
}

void CQzSizeRes::SetOrientation(int32_t mirrored, int32_t rotation)
{
    rotation %= 360;
    if (rotation < 0)
        rotation += 360;
    const bool mirror = mirrored != 0;
    if (mirror == (mirrored_ != 0)) {
        const int32_t d = (rotation - rotation_ + 360) % 360;
        if (d == 180) {
            FlipHorizontal();
            FlipVertical();
        } else if (d == 90) {
            RotateRight();
        } else if (d == 270) {
            RotateLeft();
        }
        return;
    }
    const int32_t d = (rotation_ + rotation) % 360;
    if (d == 180) {
        FlipVertical();
        return;
    }
    FlipHorizontal();
    if (d == 90)
        RotateRight();
    else if (d == 270)
        RotateLeft();
}

double CQzSizeRes::GetPixelWidth() const
{
    const double value = heuristic_->GetPixelWidth();
    return value < 1.0 ? 1.0 : std::trunc(value);
}

double CQzSizeRes::GetPixelHeight() const
{
    const double value = heuristic_->GetPixelHeight();
    return value < 1.0 ? 1.0 : std::trunc(value);
}

double CQzSizeRes::GetPixelCount() const
{
    return std::max(1.0, heuristic_->GetPixelWidth()) * std::max(1.0, heuristic_->GetPixelHeight());
}

int32_t CQzSizeRes::GetCropSize(double* width, double* height) const
{
    const QzDblRect& crop = heuristic_->GetCrop();
    if (width)
        *width = crop.Width();
    if (height)
        *height = crop.Height();
    return 0;
}

int32_t CQzSizeRes::GetCropSizeInt(int32_t* width, int32_t* height) const
{
    const QzDblRect& crop = heuristic_->GetCrop();
    *width = WholePixels(crop.Width());
    *height = WholePixels(crop.Height());
    return 0;
}

int32_t CQzSizeRes::GetImageBoundsSize(double* width, double* height) const
{
    const QzDblRect& bounds = heuristic_->GetBounds();
    if (width)
        *width = bounds.Width();
    if (height)
        *height = bounds.Height();
    return 0;
}

void CQzSizeRes::MapRect(QzDblRect& rect, const QzDblRect& reference) const
{
    const double cx = (reference.left + reference.right) / 2.0;
    const double cy = (reference.top + reference.bottom) / 2.0;
    if (!mirrored_) {
        if (rotation_ == 90) {
            rect.TurnRight(cy);
        } else if (rotation_ == 180) {
            rect.MirrorX(cx);
            rect.MirrorY(cy);
        } else if (rotation_ == 270) {
            rect.TurnLeft(cx);
        }
        return;
    }
    if (rotation_ == 180) {
        rect.MirrorY(cy);
        return;
    }
    rect.MirrorX(cx);
    if (rotation_ == 90)
        rect.TurnRight(cy);
    else if (rotation_ == 270)
        rect.TurnLeft(cx);
}

// Mirrored orientations other than 180 are their own inverses; the turns
// swap direction.
void CQzSizeRes::UnmapRect(QzDblRect& rect, const QzDblRect& reference) const
{
    const double cx = (reference.left + reference.right) / 2.0;
    const double cy = (reference.top + reference.bottom) / 2.0;
    if (!mirrored_) {
        if (rotation_ == 90) {
            rect.TurnLeft(cx);
        } else if (rotation_ == 180) {
            rect.MirrorX(cx);
            rect.MirrorY(cy);
        } else if (rotation_ == 270) {
            rect.TurnRight(cy);
        }
        return;
    }
    if (rotation_ == 180) {
        rect.MirrorY(cy);
        return;
    }
    rect.MirrorX(cx);
    if (rotation_ == 90)
        rect.TurnRight(cy);
    else if (rotation_ == 270)
        rect.TurnLeft(cx);
}

void CQzSizeRes::MapRect(CQzRect& rect, const CQzRect& reference) const
{
    QzDblRect r = ToDbl(rect);
    MapRect(r, ToDbl(reference));
    rect = ToInt(r);
}

void CQzSizeRes::UnmapRect(CQzRect& rect, const CQzRect& reference) const
{
    QzDblRect r = ToDbl(rect);
    UnmapRect(r, ToDbl(reference));
    rect = ToInt(r);
}

void CQzSizeRes::IntRect(const QzDblRect& rect, CQzRect& out, int32_t current) const
{
    int32_t w = std::max(WholePixels(rect.Width()), 1);
    int32_t h = std::max(WholePixels(rect.Height()), 1);
    int32_t x = WholePixels(rect.left);
    int32_t y = WholePixels(rect.top);
    const int32_t imageW = std::max(WholePixels(GetImageWidth()), 0);
    const int32_t imageH = std::max(WholePixels(GetImageHeight()), 0);
    w = std::min(w, imageW);
    h = std::min(h, imageH);
    // Held inside the image on both sides.
    x = std::max(std::min(x, imageW - w), 0);
    y = std::max(std::min(y, imageH - h), 0);
    out = CQzRect(y, x, y + h, x + w);
    if (current == 0) {
        CQzRect image;
        GetImageRectInt(image, 1);
        UnmapRect(out, image);
    }
}

void CQzSizeRes::GetCropRectInt(CQzRect& out, int32_t current) const
{
    IntRect(heuristic_->GetCrop(), out, current);
}

void CQzSizeRes::GetImageBoundsInt(CQzRect& out, int32_t current) const
{
    IntRect(heuristic_->GetBounds(), out, current);
}

void CQzSizeRes::GetImageRectInt(CQzRect& out, int32_t current) const
{
    const CQzRect image(0, 0, std::max(WholePixels(GetImageHeight()), 0), std::max(WholePixels(GetImageWidth()), 0));
    out = image;
    if (current == 0)
        UnmapRect(out, image);
}

void CQzSizeRes::GetScaledCropRect(CQzRect& out, int32_t current) const
{
    CQzRect crop;
    GetCropRectInt(crop, current);
    const double factor = GetScale() / GetHighestScale();
    out = CQzRect(Truncated(crop.GetTop() * factor), Truncated(crop.GetLeft() * factor),
                  Truncated(crop.GetBottom() * factor), Truncated(crop.GetRight() * factor));
}

double CQzSizeRes::GetScaleFactor() const
{
    return 2.0 * GetOutputResolution().value / GetMaximumResolution().value;
}

bool CQzSizeRes::SetHeuristicType(uint32_t kind)
{
    status_ = 0;
    if (heuristic_ && heuristic_->GetType() == kind)
        return false;
    if (kind == kHeuristicCrop || kind == kHeuristicSize) {
        const int32_t made = kind == kHeuristicCrop ? MakeLockCrop(&heuristic_) : MakeLockSize(&heuristic_);
        if (made != 0)
            status_ = kStatusNoMemory;
    } else {
        status_ = kStatusUnknownKind;
    }
    if (heuristic_)
        ApplySizeLock();
    return status_ != 0;
}

void CQzSizeRes::Reset()
{
    const uint32_t kind = GetHeuristicType();
    const bool locked = (heuristic_->GetFlags() & kSizeLock) != 0;
    const QzDblRect image = GetImageRect();
    SetHeuristicType(kHeuristicCrop);
    heuristic_->SetBounds(image);
    heuristic_->SetCropRect(image, 0);
    heuristic_->SetPixelWidth(image.Width() / 2.0);
    heuristic_->SetScale(1.0);
    heuristic_->SetResolution(kPerInch300);
    heuristic_->SetReferenceResolution(kPerInch300);
    SetHeuristicType(kind);
    heuristic_->SetSizeLock(locked);
}

int32_t CQzSizeRes::GetData(uint8_t* buffer, int32_t length) const
{
    qz::BlobWriter out(buffer, length);
    out.PutId(qz::kSizeResId);
    out.Put<uint16_t>(3);
    const uint64_t lengthField = out.Position();
    out.Put<uint32_t>(0);
    out.Put<uint32_t>(GetHeuristicType());
    int32_t size = 0;
    heuristic_->GetData(nullptr, size);
    out.Put<uint32_t>(static_cast<uint32_t>(size));
    if (uint8_t* target = out.Claim(static_cast<uint64_t>(size)))
        heuristic_->GetData(target, size);
    out.Put<uint8_t>(mirrored_ ? 1 : 0);
    out.Put<int32_t>(rotation_);
    out.FinishLength(lengthField);
    return out.Answer();
}

int32_t CQzSizeRes::SetDataForImage(const uint8_t* data, int32_t length, int32_t width, int32_t height)
{
    if (!qz::StartsWith(data, length, qz::kSizeResId))
        return 0;
    qz::BlobReader in(data, length);
    in.Skip(16);
    uint16_t version = 0;
    if (!in.Get(version) || version < 1 || version > 3)
        return 0;
    if (version == 3)
        in.Skip(4);

    CQzSizeRes fresh;
    uint32_t kind = kHeuristicCrop;
    uint32_t size = 0;
    in.Get(kind);
    const bool sized = in.Get(size);
    bool complete = false;
    bool blank = true;
    // The declared size is compared in 64 bits: no value wraps past the buffer.
    if (sized && in.Covers(size)) {
        const uint8_t* own = in.Here();
        complete = fresh.heuristic_->SetData(own, static_cast<int32_t>(std::min<uint64_t>(size, INT32_MAX)));
        blank = IsBlank(*fresh.heuristic_);
    }
    in.Skip(size);
    if (blank)
        fresh = CQzSizeRes(width, height);
    if (version >= 2) {
        uint8_t mirrored = 0;
        int32_t rotation = 0;
        complete &= in.Get(mirrored);
        complete &= in.Get(rotation);
        rotation %= 360;
        if (rotation < 0)
            rotation += 360;
        if (rotation % 90 != 0)
            rotation = 0;
        fresh.mirrored_ = mirrored ? 1 : 0;
        fresh.rotation_ = rotation;
    }
    if (!blank) {
        fresh.SetOrientation(mirrored_, rotation_);
        if (width != 0 || height != 0) {
            const bool upright = rotation_ == 0 || rotation_ == 180;
            const double w = 2.0 * (upright ? width : height);
            const double h = 2.0 * (upright ? height : width);
            fresh.heuristic_->Rescale(w, h, kPerInch1, kPerInch600);
        }
    }
    *this = fresh;
    if (complete) {
        SetHeuristicType(kind);
        ApplySizeLock();
    }
    status_ = 0;
    return static_cast<int32_t>(std::min<uint64_t>(in.Position(), static_cast<uint64_t>(length)));
}
