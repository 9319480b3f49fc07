// The demosaic filters' common base: a raw colour-filter-array image (colour
// space 64, one 16-bit sample of 0 to 4095 per pixel) in, a 48-bit RGB image
// (colour space 33) out, 6 samples fewer on every side. The base holds the
// per-channel input curves and the shared tone curve, the crop, the
// non-square-pixel resampling, the coordinate mapping and the output geometry,
// and drives the concrete filter's row kernel over a tile or a whole buffer.
#pragma once

#include <cstdint>

#include "filters/VorlatFilterBase.h"

namespace demosaic {
class CMosaicRows;
class CDemosaicKernel;
} // namespace demosaic

// Module code of the base's own error frames.
constexpr int32_t kDeBayerModuleBase = VorlatFourCC("DBbs");
// A curve bit size outside 1 to 16 (0 only when no curve is given).
constexpr int32_t kDeBayerErrBadBits = 1013;

inline constexpr int32_t kDeBayerInputColorSpace = 64;
inline constexpr int32_t kDeBayerOutputColorSpace = 33;
// Samples of the mosaic that the interpolation consumes on each side.
inline constexpr int32_t kDeBayerMargin = 6;
// Entries of the tone and channel tables: one per 12-bit sample.
inline constexpr int32_t kDeBayerTableSize = 4096;
// The last entry of the forward tone table: coded values run 0 to this.
inline constexpr int32_t kDeBayerCodedMax = 262143;

class CDeBayerBase : public CVorlatFilterBase {
public:
    explicit CDeBayerBase(IVorlatManager* manager);
    ~CDeBayerBase() override;

    // The crop in output coordinates before cropping; a crop with
    // left < right and top < bottom is clipped to the output and moved inside
    // it, any other means the whole output. sourceRect (or, when null, the
    // source's size) gives the uncropped output size.
    IVorlatError* SetCropRect(const RECT& crop, const RECT* sourceRect, bool notify);
    // Per-channel input curves of 2^inBits entries with values below
    // 2^outBits, applied before the tone curve; null curves use the tone curve
    // alone. All null resets both bit sizes to 0.
    IVorlatError* SetCurves(int32_t inBits, int32_t outBits, const uint16_t* red, const uint16_t* green,
                            const uint16_t* blue, bool notify);
    // Square output pixels from the sensor's rectangular ones (3/4 across,
    // 3/2 down); the crop goes back to the whole output.
    IVorlatError* SetResample(bool resample, const RECT* sourceRect, bool notify);

    const RECT& GetCropRect() const { return crop_; }
    bool GetResample() const { return resample_; }

    virtual double GetHorizontalScale() const;
    virtual double GetVerticalScale() const;
    virtual int32_t GetInputColorSpace() const;

    // Input to output; only while enabled.
    IVorlatError* FilterPoint(double* x, double* y, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const override;
    // Output back to input; only while enabled, since a disabled filter passes
    // its source through.
    IVorlatError* DefilterPoint(double* x, double* y, const IVorlatDataSource** sources,
                                int32_t count) const override;
    IVorlatError* DefilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources,
                                int32_t count) const override;
    IVorlatError* DefilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* DefilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const override;

    // The whole output of a mosaic held in memory (width x height samples,
    // stride samples apart) with the filter's present settings, through the
    // same row kernel as the tiles: rows of 48-bit pixels, outRowBytes apart.
    // The output's size is what GetFilteredSize gives for such a source.
    IVorlatError* DemosaicBuffer(const uint16_t* mosaic, int32_t width, int32_t height, int32_t stride,
                                 uint16_t* out, int32_t outRowBytes);
    // The output size of a width x height mosaic with the present settings;
    // a mosaic below 13 x 13 samples, or one that leaves no output, is refused.
    IVorlatError* GetOutputSize(int32_t width, int32_t height, int32_t* outWidth, int32_t* outHeight) const;

    // The shared forward tone table: a 12-bit linear sample to an 18-bit coded value.
    static const uint32_t* GetToneTable();
    // The channel table of red (0), green (1) or blue (2) as the next tile will
    // use it; null when it cannot be built.
    const uint32_t* GetChannelTable(int32_t channel);

protected:
    IVorlatError* GetFilteredSize(const IVorlatDataSource** sources, int32_t count, int32_t* width,
                                  int32_t* height) override;
    IVorlatError* GetFilteredColorSpace(const IVorlatDataSource** sources, int32_t count,
                                        int32_t* colorSpace) override;
    IVorlatError* FilterSize(const IVorlatDataSource* source, IVorlatDataDestination::ChangeSize* change) override;
    IVorlatError* FilterColorSpace(const IVorlatDataSource* source,
                                   IVorlatDataDestination::ChangeColorSpace* change) override;

    // The frame of tile generation shared by the concrete filters; their
    // frames carry module.
    IVorlatError* GenerateDemosaicTile(IVorlatTile* tile, CProcessInfo* info, int32_t module);
    // The concrete filter's row kernel, owned by it.
    virtual demosaic::CDemosaicKernel& Kernel() = 0;

private:
    bool CropValid() const { return crop_.left < crop_.right && crop_.top < crop_.bottom; }
    // Brings the channel tables up to date with the curves.
    IVorlatError* BuildChannelTables();
    void FreeChannelTable(int32_t channel);
    // Rows of the output rectangle (uncropped output coordinates) into out,
    // the rectangle's first pixel, outRowBytes apart.
    IVorlatError* RenderRect(demosaic::CMosaicRows& rows, const RECT& rect, unsigned char* out, int32_t outRowBytes,
                             int32_t module);
    IVorlatError* RenderStrip(demosaic::CMosaicRows& rows, int32_t x0, int32_t y0, int32_t width, int32_t height,
                              unsigned char* out, int32_t outRowBytes, int32_t module);

    RECT crop_;
    bool resample_;
    int32_t inBits_;
    int32_t outBits_;
    uint16_t* curves_[3];
    int32_t curveState_[3];   // 0 tone curve alone, 1 table built from the curve, 2 curve changed since
    uint32_t* tables_[3];     // the shared tone table, or one owned by the filter
    uint16_t* rawRow_;        // one row of samples for the kernel
    int32_t rawCapacity_;
    int32_t* mixRow_;         // the vertical sums of a resampled row
    int32_t mixCapacity_;
};
