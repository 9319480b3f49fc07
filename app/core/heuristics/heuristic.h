// The crop, size and resolution rule behind the size and resolution settings:
// it keeps the crop of the source, the output size and resolution, the
// permitted resolution range and the derived pixel sizes consistent, records
// in change bits what each edit moved, and stores its state as a blob. The
// base class is the neutral rule; the locked kinds (locked_heuristics.h) hold
// the crop, the output size or everything fixed.
#pragma once

#include <cstdint>

// A double with its kind or unit: 0 a length in inches, 1 a resolution in
// pixels per inch.
struct QzMeasure {
    double value = 1.0;
    int32_t unit = 0;
};

struct QzDblRect {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;

    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
    bool operator==(const QzDblRect&) const = default;

    // The helpers of the orientation steps.
    void MirrorX(double c);
    void MirrorY(double c);
    // (x, y) goes to (2c - y, x).
    void TurnRight(double c);
    // (x, y) goes to (y, 2c - x).
    void TurnLeft(double c);
};

// Four-character kind codes, first character in the most significant byte.
constexpr uint32_t kHeuristicNone = 0x4e6f6e65;  // "None"
constexpr uint32_t kHeuristicDSet = 0x44536574;  // "DSet"
constexpr uint32_t kHeuristicCrop = 0x43726f70;  // "Crop"
constexpr uint32_t kHeuristicSize = 0x53697a65;  // "Size"

// Change bits (and the size lock, which is not a change).
enum : uint32_t {
    kChangedCropOrigin = 0x1,
    kChangedCropWidth = 0x2,
    kChangedCropHeight = 0x4,
    kChangedOutputWidth = 0x8,
    kChangedOutputHeight = 0x10,
    kChangedResolution = 0x20,
    kChangedReference = 0x40,
    kChangedScale = 0x80,
    kChangedScaleLimits = 0x100,
    kChangedPixelWidth = 0x200,
    kChangedPixelHeight = 0x400,
    kChangedPixelArea = 0x800,
    kSizeLock = 0x1000,
};

// Mode bits of the crop operations.
enum : uint32_t {
    kCropWidthLeads = 0x1,
    kCropHeightLeads = 0x2,
    kCropRightHolds = 0x4,
    kCropBottomHolds = 0x8,
};

class CHeuristic {
public:
    CHeuristic() = default;
    CHeuristic(const CHeuristic&) = delete;
    CHeuristic& operator=(const CHeuristic&) = delete;
    virtual ~CHeuristic() = default;

    // Each below 1 becomes 1, each beyond the bounds' size becomes that;
    // answers 1 when a value changed.
    virtual int32_t ConstrainCropSize(double& width, double& height, uint32_t mode);
    // Copies every field and flag bit.
    virtual void Assign(const CHeuristic& other);
    virtual uint32_t GetType() const { return kHeuristicNone; }

    virtual int32_t FlipHorizontal();
    virtual int32_t FlipVertical();
    virtual int32_t RotateRight();
    virtual int32_t RotateLeft();

    virtual void RememberCrop();
    virtual int32_t PlaceCrop(const QzDblRect& rect, uint32_t mode);
    virtual int32_t PlaceCrop(double left, double top, double right, double bottom, uint32_t mode);
    virtual int32_t SetCropRect(const QzDblRect& rect, uint32_t mode);
    virtual int32_t SetCropRect(double left, double top, double right, double bottom);
    virtual int32_t SetCropSize(double width, double height, uint32_t mode);
    virtual int32_t MoveCrop(double x, double y);
    virtual int32_t SetBounds(const QzDblRect& rect);
    virtual int32_t SetBoundsSize(double width, double height);
    virtual int32_t SetSourceSize(double width, double height);
    virtual int32_t SetOutputWidth(const QzMeasure& measure);
    virtual int32_t SetOutputHeight(const QzMeasure& measure);
    virtual int32_t SetResolution(const QzMeasure& measure);
    virtual int32_t SetLowerResolution(const QzMeasure& measure);
    virtual int32_t SetUpperResolution(const QzMeasure& measure);
    virtual int32_t SetReferenceResolution(const QzMeasure& measure);
    virtual int32_t SetScale(double scale);
    virtual int32_t SetPixelWidth(double pixels);
    virtual int32_t SetPixelHeight(double pixels);
    virtual int32_t SetPixelArea(double area);
    virtual void SetSizeLock(bool on);
    virtual int32_t ConstrainPixelWidth(double& pixels);
    virtual int32_t ConstrainPixelHeight(double& pixels);
    virtual double GetLowestScale() const { return 1e-10; }
    virtual double GetHighestScale() const { return 1e10; }

    // Whether a value may be changed through the setters; the combined
    // queries answer for a group of values.
    virtual int32_t CanEditCrop() { return CanSetCropRect() || CanPositionCrop(); }
    virtual int32_t CanSetCropRect() { return 1; }
    virtual int32_t CanMoveCrop() { return 1; }
    virtual int32_t CanChangeBounds() { return 1; }
    virtual int32_t CanPositionCrop() { return CanMoveCrop(); }
    virtual int32_t CanChangeOutputWidth() { return 1; }
    virtual int32_t CanChangeOutputHeight() { return 1; }
    virtual int32_t CanChangeOutputSize() { return CanChangeOutputWidth() || CanChangeOutputHeight(); }
    virtual int32_t CanChangeResolution() { return 1; }
    virtual int32_t CanChangeResolutionRange() { return 1; }
    virtual int32_t CanChangeReference() { return 1; }
    virtual int32_t CanChangePixelWidth() { return 1; }
    virtual int32_t CanChangePixelHeight() { return 1; }
    virtual int32_t CanChangePixelSize() { return CanChangePixelWidth() || CanChangePixelHeight(); }
    virtual int32_t CanChangePixelArea() { return 1; }
    virtual int32_t GetReserved() { return 0; }

    // The blob: `size` in is the buffer's length, out the blob's full size
    // (kBlobSize); true only when the whole blob was written.
    virtual bool GetData(uint8_t* buffer, int32_t& size) const;
    // False for another class id, an unknown version, or a blob that does
    // not cover every field of its version.
    virtual bool SetData(const uint8_t* buffer, int32_t size);
    virtual int32_t Rescale(double width, double height, const QzMeasure& lower, const QzMeasure& upper);
    // 0, or the code of the first relation that fails.
    virtual int32_t CheckConsistency(bool boundsAreReference) const;

    static constexpr int32_t kBlobSize = 223;

    // Read-outs.
    const QzDblRect& GetCrop() const { return crop_; }
    const QzDblRect& GetRemembered() const { return remembered_; }
    const QzDblRect& GetBounds() const { return bounds_; }
    double GetSourceWidth() const { return sourceWidth_; }
    double GetSourceHeight() const { return sourceHeight_; }
    const QzMeasure& GetOutputWidth() const { return outputWidth_; }
    const QzMeasure& GetOutputHeight() const { return outputHeight_; }
    const QzMeasure& GetResolution() const { return resolution_; }
    const QzMeasure& GetLowerResolution() const { return lower_; }
    const QzMeasure& GetUpperResolution() const { return upper_; }
    const QzMeasure& GetReferenceResolution() const { return reference_; }
    double GetScale() const { return scale_; }
    double GetPixelWidth() const { return pixelWidth_; }
    double GetPixelHeight() const { return pixelHeight_; }
    double GetPixelArea() const { return pixelArea_; }
    double GetAspect() const { return aspect_; }
    uint32_t GetFlags() const { return flags_; }
    void ClearFlags(uint32_t bits) { flags_ &= ~bits; }

protected:
    // What every edit compares against to set the change bits.
    struct Snapshot {
        QzDblRect crop;
        QzMeasure outputWidth, outputHeight, resolution, reference;
        double scale = 0.0, lowestScale = 0.0, highestScale = 0.0;
        double pixelWidth = 0.0, pixelHeight = 0.0, pixelArea = 0.0;
    };
    // Held by every setter: the outermost one takes the snapshot and, when
    // it ends, sets the change bits, so nested setters lose no change.
    class Edit {
    public:
        explicit Edit(CHeuristic& h) : h_(h)
        {
            if (h_.editDepth_++ == 0)
                h_.TakeSnapshot();
        }
        ~Edit()
        {
            if (--h_.editDepth_ == 0)
                h_.SetChangeBits();
        }
        Edit(const Edit&) = delete;
        Edit& operator=(const Edit&) = delete;

    private:
        CHeuristic& h_;
    };
    void TakeSnapshot();
    void SetChangeBits();
    void UpdateAspect() { aspect_ = crop_.Width() / crop_.Height(); }
    // Width and height at least 1 and at most the source's, moved left or up to fit.
    void FitIntoSource(QzDblRect& rect) const;
    void Turn(bool right);

    QzDblRect crop_;
    QzDblRect remembered_;
    QzDblRect bounds_;
    double sourceWidth_ = 1.0;
    double sourceHeight_ = 1.0;
    QzMeasure outputWidth_{1.0, 0};
    QzMeasure outputHeight_{1.0, 0};
    QzMeasure resolution_{1.0, 1};
    QzMeasure lower_{1.0, 1};
    QzMeasure upper_{1.0, 1};
    QzMeasure reference_{1.0, 1};
    double scale_ = 1.0;
    double pixelWidth_ = 1.0;
    double pixelHeight_ = 1.0;
    double pixelArea_ = 1.0;
    double aspect_ = 1.0;
    Snapshot snapshot_;
    uint32_t flags_ = 0;
    int32_t editDepth_ = 0;
};
