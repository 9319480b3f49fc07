// The scale filter: resizes its first source, either by two factors (factor
// mode) or to an explicit width and height (size mode).
#pragma once

#include <cstdint>

#include "filters/VorlatFilterBase.h"

namespace scale_resample {
struct WeightRecord;
}

class KOLVEX_API CVorlatFilterScale : public CVorlatFilterBase {
public:
    // method 0 nearest neighbour; 1 linear when enlarging; any other value cubic
    // when enlarging. Reducing averages areas for every method but 0.
    CVorlatFilterScale(IVorlatManager* manager, int32_t method);
    ~CVorlatFilterScale() override;

    IVorlatError* SetMethod(int32_t method, bool notify);
    int32_t GetMethod() const;
    // Size mode with that output size (the factors become 0).
    IVorlatError* SetSize(int32_t width, int32_t height, bool notify);
    IVorlatError* SetScale(double scale, bool notify);
    // Factor mode; factors within 1e-10 of the stored ones change nothing.
    IVorlatError* SetScale(double scaleX, double scaleY, bool notify);
    double GetScale() const;
    void GetScale(double* scaleX, double* scaleY) const;

    // Size forms: source width and height, then filtered width and height.
    static void FilterPoint(int32_t* x, int32_t* y, int32_t sw, int32_t sh, int32_t fw, int32_t fh);
    static void FilterPoint(double* x, double* y, int32_t sw, int32_t sh, int32_t fw, int32_t fh);
    static void FilterRect(RECT* rect, int32_t sw, int32_t sh, int32_t fw, int32_t fh);
    static void FilterRect(VorlatDblRect* rect, int32_t sw, int32_t sh, int32_t fw, int32_t fh);
    static void FilterPoint(int32_t* x, int32_t* y, double s);
    static void FilterPoint(double* x, double* y, double s);
    static void FilterRect(RECT* rect, double s);
    static void FilterRect(VorlatDblRect* rect, double s);
    static void FilterPoint(int32_t* x, int32_t* y, double sx, double sy);
    static void FilterPoint(double* x, double* y, double sx, double sy);
    static void FilterRect(RECT* rect, double sx, double sy);
    static void FilterRect(VorlatDblRect* rect, double sx, double sy);
    static void DefilterPoint(int32_t* x, int32_t* y, int32_t sw, int32_t sh, int32_t fw, int32_t fh);
    static void DefilterPoint(double* x, double* y, int32_t sw, int32_t sh, int32_t fw, int32_t fh);
    static void DefilterRect(RECT* rect, int32_t sw, int32_t sh, int32_t fw, int32_t fh);
    static void DefilterRect(VorlatDblRect* rect, int32_t sw, int32_t sh, int32_t fw, int32_t fh);
    static void DefilterPoint(int32_t* x, int32_t* y, double s);
    static void DefilterPoint(double* x, double* y, double s);
    static void DefilterRect(RECT* rect, double s);
    static void DefilterRect(VorlatDblRect* rect, double s);
    static void DefilterPoint(int32_t* x, int32_t* y, double sx, double sy);
    static void DefilterPoint(double* x, double* y, double sx, double sy);
    static void DefilterRect(RECT* rect, double sx, double sy);
    static void DefilterRect(VorlatDblRect* rect, double sx, double sy);

    int32_t GetFilterCode() const override;
    const char* GetFilterDescription() const override;
    IVorlatError* FilterPoint(double* x, double* y, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* DefilterPoint(double* x, double* y, const IVorlatDataSource** sources,
                                int32_t count) const override;
    IVorlatError* DefilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources,
                                int32_t count) const override;
    IVorlatError* DefilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* DefilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const override;

protected:
    IVorlatError* GetFilteredSize(const IVorlatDataSource** sources, int32_t count, int32_t* width,
                                  int32_t* height) override;
    IVorlatError* FilterSize(const IVorlatDataSource* source, IVorlatDataDestination::ChangeSize* change) override;
    IVorlatError* ProcessTile(IVorlatTile* tile, CProcessInfo* info) override;

private:
    bool FactorMode() const { return scaleX_ > 0 && scaleY_ > 0; }
    bool Maps() const { return enabled_ && !passThrough_; }
    // Calls apply with the factors (factor mode) or with the source's and the
    // target's sizes (size mode), unless the filter passes its source through.
    template <typename Apply>
    IVorlatError* Mapping(const IVorlatDataSource** sources, int32_t count, Apply apply) const;
    IVorlatError* ProcessNearest(IVorlatTile* tile, const IVorlatDataSource* source, const RECT& rect,
                                 int32_t colorSpace, int32_t sw, int32_t sh, int32_t fw, int32_t fh);
    // Grows the weight table and the row buffer; false when memory is short.
    bool ReserveBuffers(int32_t columns, int32_t rows);

    int32_t method_;
    int32_t targetWidth_;
    int32_t targetHeight_;
    double scaleX_;
    double scaleY_;
    scale_resample::WeightRecord* weights_;
    int32_t weightCapacity_;
    uint16_t* rowBuffer_;  // four 16-bit samples per pixel
    int32_t bufferCapacity_;  // in samples
    int32_t bufferWidth_;
    int32_t bufferRows_;
};
