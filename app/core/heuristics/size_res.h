// The size and resolution settings of an image: how it is cropped, oriented,
// sized and given a resolution. The object keeps the orientation and which
// heuristic kind is in force; the geometry lives in the heuristic it owns,
// which works in a frame of twice the source's pixel size.
#pragma once

#include <cstdint>

#include "app/core/geometry/qz_rect.h"
#include "app/core/heuristics/heuristic.h"
#include "app/core/settings/class_ids.h"
#include "app/core/settings/qz_state.h"

namespace qz {
inline constexpr ClassId kSizeResId = {
    {0xe0, 0x33, 0x42, 0x37, 0xb8, 0xcc, 0xd2, 0x11, 0x0a, 0xa9, 0xb7, 0xc1, 0xb1, 0x00, 0xaa, 0x00}};
}  // namespace qz

class CQzSizeRes : public IQzState {
public:
    // Status codes of the last change of heuristic kind.
    static constexpr int32_t kStatusNoMemory = 31000;
    static constexpr int32_t kStatusUnknownKind = 31001;

    CQzSizeRes();
    // A source of width x height pixels shown whole at 300 pixels per inch
    // within 1 to 600. No caller passes a crop; one given is ignored.
    CQzSizeRes(int32_t width, int32_t height, const QzDblRect* crop = nullptr);
    CQzSizeRes(const CQzSizeRes& other);
    CQzSizeRes& operator=(const CQzSizeRes& other);
    ~CQzSizeRes() override;
    // Loads another object's blob for this object's source size.
    CQzSizeRes& CopyFrom(const IQzState& other);

    int32_t GetSize() const override { return GetData(nullptr, 0); }
    int32_t GetData(uint8_t* buffer, int32_t length) const override;
    // Loading needs the image size: SetDataForImage.
    int32_t SetData(const uint8_t*, int32_t) override { return 0; }
    const qz::ClassId& GetClassId() const { return qz::kSizeResId; }
    // Answers the bytes consumed; 0 for another class or an unknown version,
    // the object then unchanged. width, height: the source's pixels, 0 when unknown.
    int32_t SetDataForImage(const uint8_t* data, int32_t length, int32_t width, int32_t height);

    void SetStatus(int32_t status) { status_ = status; }
    int32_t GetStatus() const { return status_; }

    // Length units 1 inch, 2 cm, 3 mm, 4 pica, 5 point; resolution units 0
    // per inch, 1 per cm.
    static double InchesToUnit(double inches, int32_t unit);
    static double PerInchToUnit(double perInch, int32_t unit);
    static QzMeasure UnitToInches(double value, int32_t unit);
    static QzMeasure PerUnitToPerInch(double value, int32_t unit);
    // A resolution given per length unit, as pixels per inch.
    static QzMeasure ResolutionPerUnit(double value, int32_t lengthUnit);

    // Passed to the heuristic.
    void RememberCrop() { heuristic_->RememberCrop(); }
    int32_t PlaceCrop(const QzDblRect& rect, uint32_t mode) { return heuristic_->PlaceCrop(rect, mode); }
    int32_t PlaceCrop(double l, double t, double r, double b, uint32_t mode) { return heuristic_->PlaceCrop(l, t, r, b, mode); }
    int32_t SetCropRect(const QzDblRect& rect) { return heuristic_->SetCropRect(rect, 0); }
    int32_t SetCropRect(double l, double t, double r, double b) { return heuristic_->SetCropRect(l, t, r, b); }
    int32_t MoveCrop(double x, double y) { return heuristic_->MoveCrop(x, y); }
    int32_t SetCropSize(double w, double h, uint32_t mode) { return heuristic_->SetCropSize(w, h, mode); }
    int32_t SetImageBounds(const QzDblRect& rect) { return heuristic_->SetBounds(rect); }
    int32_t SetImageBoundsSize(double w, double h) { return heuristic_->SetBoundsSize(w, h); }
    int32_t SetOutputWidth(const QzMeasure& m);
    int32_t SetOutputHeight(const QzMeasure& m);
    int32_t SetOutputResolution(const QzMeasure& m) { return heuristic_->SetResolution(m); }
    int32_t SetMinimumResolution(const QzMeasure& m) { return heuristic_->SetLowerResolution(m); }
    int32_t SetMaximumResolution(const QzMeasure& m) { return heuristic_->SetUpperResolution(m); }
    // holdSizeLock: the size lock stays on while the value is set.
    int32_t SetSecondResolution(const QzMeasure& m, bool holdSizeLock);
    int32_t SetScale(double scale) { return heuristic_->SetScale(scale); }
    int32_t SetPixelWidth(double pixels);
    int32_t SetPixelHeight(double pixels);
    int32_t SetPixelArea(double area) { return heuristic_->SetPixelArea(area); }
    int32_t ClampWidth(double& value) { return heuristic_->ConstrainPixelWidth(value); }
    int32_t ClampHeight(double& value) { return heuristic_->ConstrainPixelHeight(value); }

    void FlipHorizontal();
    void FlipVertical();
    void RotateRight();
    void RotateLeft();
    void ResetOrientation() { SetOrientation(0, 0); }
    void SetOrientation(int32_t mirrored, int32_t rotation);
    int32_t IsMirrored() const { return mirrored_; }
    int32_t GetRotation() const { return rotation_; }

    double GetLowestScale() const { return heuristic_->GetLowestScale(); }
    double GetHighestScale() const { return heuristic_->GetHighestScale(); }
    QzDblRect GetCropRect() const { return heuristic_->GetCrop(); }
    QzDblRect GetImageBounds() const { return heuristic_->GetBounds(); }
    QzDblRect GetImageRect() const { return QzDblRect{0.0, 0.0, GetImageWidth(), GetImageHeight()}; }
    double GetImageWidth() const { return heuristic_->GetSourceWidth(); }
    double GetImageHeight() const { return heuristic_->GetSourceHeight(); }
    const QzMeasure& GetOutputWidth() const { return heuristic_->GetOutputWidth(); }
    const QzMeasure& GetOutputHeight() const { return heuristic_->GetOutputHeight(); }
    const QzMeasure& GetOutputResolution() const { return heuristic_->GetResolution(); }
    const QzMeasure& GetMinimumResolution() const { return heuristic_->GetLowerResolution(); }
    const QzMeasure& GetMaximumResolution() const { return heuristic_->GetUpperResolution(); }
    const QzMeasure& GetSecondResolution() const { return heuristic_->GetReferenceResolution(); }
    double GetScale() const { return heuristic_->GetScale(); }
    // 1 below 1.0, else the whole number.
    double GetPixelWidth() const;
    double GetPixelHeight() const;
    double GetPixelCount() const;
    int32_t GetCropSize(double* width, double* height) const;
    int32_t GetCropSizeInt(int32_t* width, int32_t* height) const;
    int32_t GetImageBoundsSize(double* width, double* height) const;

    // Keeps the scale-limit bit and the size lock.
    void ClearChanges() { heuristic_->ClearFlags(0xEFF); }
    bool HasCropChanged() const { return Bits(0x7); }
    bool HasCropMoved() const { return Bits(0x1); }
    bool HasCropWidthChanged() const { return Bits(0x2); }
    bool HasCropHeightChanged() const { return Bits(0x4); }
    bool HasCropSizeChanged() const { return Bits(0x6); }
    bool HasOutputWidthChanged() const { return Bits(0x8); }
    bool HasOutputHeightChanged() const { return Bits(0x10); }
    bool HasOutputSizeChanged() const { return Bits(0x18); }
    bool HasResolutionChanged() const { return Bits(0x20); }
    bool HasSecondResolutionChanged() const { return Bits(0x40); }
    bool HasScaleChanged() const { return Bits(0x80); }
    bool HaveScaleLimitsChanged() const { return Bits(0x100); }
    bool HasPixelWidthChanged() const { return Bits(0x200); }
    bool HasPixelHeightChanged() const { return Bits(0x400); }
    bool HasPixelSizeChanged() const { return Bits(0x600); }
    bool HasPixelCountChanged() const { return Bits(0x800); }
    bool HasChanges() const { return Bits(0xFFF); }
    bool NeedsRebuild() const { return Bits(0x6 | 0x600 | 0x80); }

    // Into the current orientation about the centre of `reference` (the
    // unrotated image), or back (reference: the current image).
    void MapRect(QzDblRect& rect, const QzDblRect& reference) const;
    void UnmapRect(QzDblRect& rect, const QzDblRect& reference) const;
    void MapRect(CQzRect& rect, const CQzRect& reference) const;
    void UnmapRect(CQzRect& rect, const CQzRect& reference) const;
    // Whole pixels of the doubled frame inside the image; current = 0 maps
    // the result back to the unrotated frame.
    void GetCropRectInt(CQzRect& out, int32_t current) const;
    void GetImageBoundsInt(CQzRect& out, int32_t current) const;
    void GetImageRectInt(CQzRect& out, int32_t current) const;
    void GetScaledCropRect(CQzRect& out, int32_t current) const;
    double GetScaleFactor() const;

    // True on failure (status 31000 or 31001); the heuristic then stays.
    bool SetHeuristicType(uint32_t kind);
    uint32_t GetHeuristicType() const { return heuristic_->GetType(); }
    CHeuristic* GetHeuristic() const { return heuristic_; }
    void ApplySizeLock() { heuristic_->SetSizeLock(GetHeuristicType() == kHeuristicSize); }

    void Reset();

private:
    bool Bits(uint32_t mask) const { return (heuristic_->GetFlags() & mask) != 0; }
    void IntRect(const QzDblRect& rect, CQzRect& out, int32_t current) const;

    CHeuristic* heuristic_ = nullptr;
    int32_t status_ = 0;
    int32_t mirrored_ = 0;
    int32_t rotation_ = 0;
};
