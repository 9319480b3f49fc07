// The locked kinds of the crop and size heuristic: "DSet" refuses every
// change (device set-up), "Crop" lets the crop lead and the output follow,
// "Size" lets the output pixel size lead and the crop and resolution follow.
// Their setters clamp a value they cannot take as given, apply the clamped
// value and answer 1; "DSet" answers 1 and changes nothing.
#pragma once

#include "app/core/heuristics/heuristic.h"

class CHDevSetup : public CHeuristic {
public:
    // A source of width x height (the doubled frame) shown whole.
    CHDevSetup(double width, double height, const QzMeasure& resolution, const QzMeasure& lower,
               const QzMeasure& upper);

    uint32_t GetType() const override { return kHeuristicDSet; }
    int32_t SetCropRect(const QzDblRect&, uint32_t) override { return 1; }
    using CHeuristic::SetCropRect;
    int32_t SetCropSize(double, double, uint32_t) override { return 1; }
    int32_t MoveCrop(double, double) override { return 1; }
    int32_t SetBounds(const QzDblRect&) override { return 1; }
    int32_t SetBoundsSize(double, double) override { return 1; }
    int32_t SetSourceSize(double, double) override { return 1; }
    int32_t SetOutputWidth(const QzMeasure&) override { return 1; }
    int32_t SetOutputHeight(const QzMeasure&) override { return 1; }
    int32_t SetResolution(const QzMeasure&) override { return 1; }
    int32_t SetLowerResolution(const QzMeasure&) override { return 1; }
    int32_t SetUpperResolution(const QzMeasure&) override { return 1; }
    int32_t SetReferenceResolution(const QzMeasure&) override { return 1; }
    int32_t SetScale(double) override { return 1; }
    int32_t SetPixelWidth(double) override { return 1; }
    int32_t SetPixelHeight(double) override { return 1; }
    int32_t SetPixelArea(double) override { return 1; }

    int32_t CanSetCropRect() override { return 0; }
    int32_t CanMoveCrop() override { return 0; }
    int32_t CanChangeBounds() override { return 0; }
    int32_t CanChangeOutputWidth() override { return 0; }
    int32_t CanChangeOutputHeight() override { return 0; }
    int32_t CanChangeResolution() override { return 0; }
    int32_t CanChangeResolutionRange() override { return 0; }
    int32_t CanChangeReference() override { return 0; }
    int32_t CanChangePixelWidth() override { return 0; }
    int32_t CanChangePixelHeight() override { return 0; }
    int32_t CanChangePixelArea() override { return 0; }
};

// What both locked kinds share: the clamps, the crop constraint and the move.
class CHLockedBase : public CHeuristic {
public:
    int32_t SetCropRect(const QzDblRect& rect, uint32_t mode) override;
    using CHeuristic::SetCropRect;
    int32_t MoveCrop(double x, double y) override;

protected:
    int32_t ClampOutputMeasure(QzMeasure& measure) const;
    int32_t ClampResolution(QzMeasure& measure) const;
    int32_t ClampScale(double& scale) const;
    // The common limits, then the kind's own (only while the size is not
    // locked to pixels).
    int32_t ClampReference(QzMeasure& measure) const;
    virtual void ClampReferenceOwn(double& value) const = 0;
    int32_t ClampArea(double& area) const;
    int32_t ConstrainCrop(QzDblRect& rect, uint32_t mode);
    double L() const { return lower_.value; }
    double U() const { return upper_.value; }
};

class CHLockCrop : public CHLockedBase {
public:
    CHLockCrop() = default;
    explicit CHLockCrop(const CHeuristic& other) { Assign(other); }

    uint32_t GetType() const override { return kHeuristicCrop; }
    int32_t SetCropSize(double width, double height, uint32_t mode) override;
    int32_t SetOutputWidth(const QzMeasure& measure) override;
    int32_t SetOutputHeight(const QzMeasure& measure) override;
    int32_t SetResolution(const QzMeasure& measure) override;
    int32_t SetReferenceResolution(const QzMeasure& measure) override;
    int32_t SetScale(double scale) override;
    int32_t SetPixelWidth(double pixels) override;
    int32_t SetPixelHeight(double pixels) override;
    int32_t SetPixelArea(double area) override;
    int32_t ConstrainPixelWidth(double& pixels) override;
    int32_t ConstrainPixelHeight(double& pixels) override;
    double GetLowestScale() const override { return lower_.value / reference_.value; }
    double GetHighestScale() const override { return upper_.value / reference_.value; }

protected:
    void ClampReferenceOwn(double& value) const override;

private:
    // From the output width on: resolution, pixel sizes, reference, scale.
    void FollowOutputWidth();
};

class CHLockSize : public CHLockedBase {
public:
    CHLockSize() = default;
    // Pixel sizes below one pixel (other kinds allow them) are raised, with
    // the resolution and the reference, so that the crop, the output size and
    // the scale stay.
    explicit CHLockSize(const CHeuristic& other);

    int32_t ConstrainCropSize(double& width, double& height, uint32_t mode) override;
    uint32_t GetType() const override { return kHeuristicSize; }
    int32_t PlaceCrop(const QzDblRect& rect, uint32_t mode) override;
    using CHeuristic::PlaceCrop;
    int32_t SetCropSize(double width, double height, uint32_t mode) override;
    int32_t SetOutputWidth(const QzMeasure& measure) override;
    int32_t SetOutputHeight(const QzMeasure& measure) override;
    int32_t SetResolution(const QzMeasure& measure) override;
    int32_t SetReferenceResolution(const QzMeasure& measure) override;
    int32_t SetScale(double scale) override;
    int32_t SetPixelWidth(double pixels) override;
    int32_t SetPixelHeight(double pixels) override;
    int32_t SetPixelArea(double area) override;
    double GetLowestScale() const override;
    double GetHighestScale() const override { return upper_.value / reference_.value; }
    int32_t Rescale(double width, double height, const QzMeasure& lower, const QzMeasure& upper) override;
    virtual int32_t HoldsOutputSize() const { return 1; }

protected:
    void ClampReferenceOwn(double& value) const override;

private:
    // The crop follows the output pixel size at the resolution, inside the bounds.
    void RefitCrop();
    // The least reference resolution that gives both pixel sizes at least 1.
    double LeastReference() const;
    // Rounding guards: pixel sizes within 1 and the bounds, resolution within L and U.
    void HoldPixelSize();
    void HoldResolution();
    // An output width or height with which both pixel sizes fit between 1
    // and the bounds (`extent` along the value, `otherExtent` along `other`).
    int32_t ClampOutputAspect(double& value, double other, double extent, double otherExtent) const;
    // From the pixel sizes on: resolution, crop, scale, area, aspect.
    void FollowPixelSize();
};

// Replace the heuristic at `slot` by one of the factory's kind made from it
// (or a neutral one when the slot is empty): 0 done, 1 no slot, 2 no memory.
int32_t MakeLockCrop(CHeuristic** slot);
int32_t MakeLockSize(CHeuristic** slot);
