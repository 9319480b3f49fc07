// A measuring grid over the image: the first source as 24-bit RGB with lines
// spaced by a length in a physical unit, measured on an assumed print size.
#pragma once

#include "filters/VorlatFilterBase.h"

class KOLVEX_API CVorlatFilterGrid : public CVorlatFilterBase {
public:
    // Units of the interval.
    enum : int32_t { kPixels = 0, kInches = 1, kCentimetres = 2, kMillimetres = 3, kPicas = 4, kPoints = 5 };

    explicit CVorlatFilterGrid(IVorlatManager* manager);

    IVorlatError* SetGridColor(unsigned char red, unsigned char green, unsigned char blue, bool notify);
    void GetGridColor(unsigned char* red, unsigned char* green, unsigned char* blue) const;
    // subdivisions: the most parts into which minor lines divide a major interval.
    IVorlatError* SetGridInterval(double interval, int32_t unit, int32_t subdivisions, bool notify);
    void GetGridInterval(double* interval, int32_t* unit, int32_t* subdivisions) const;
    IVorlatError* SetAssumedImageSize(int32_t width, int32_t height, double resolution, bool notify);
    void GetAssumedImageSize(int32_t* width, int32_t* height, double* resolution) const;

    int32_t GetFilterCode() const override;
    const char* GetFilterDescription() const override;

protected:
    double GetGridIntervalInPixels(double resolution) const;
    IVorlatError* GetFilteredColorSpace(const IVorlatDataSource** sources, int32_t count,
                                        int32_t* colorSpace) override;
    IVorlatError* FilterColorSpace(const IVorlatDataSource* source,
                                   IVorlatDataDestination::ChangeColorSpace* change) override;
    IVorlatError* ProcessTile(IVorlatTile* tile, CProcessInfo* info) override;

private:
    unsigned char red_, green_, blue_;
    double interval_;
    int32_t unit_;
    int32_t subdivisions_;
    int32_t assumedWidth_;
    int32_t assumedHeight_;
    double assumedResolution_;
};
