// The crop filter: its output is one rectangle of the first source, with the
// rectangle's top-left corner at the output's origin.
#pragma once

#include "filters/VorlatFilterBase.h"

class KOLVEX_API CCropFilter : public CVorlatFilterBase {
public:
    explicit CCropFilter(IVorlatManager* manager);

    // No comparison with the stored value: every call stores, marks the cache
    // dirty and, when asked, notifies the new size. All zero means the whole source.
    IVorlatError* SetCrop(const RECT& crop, bool notify);
    const RECT& GetCrop() const;

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
    bool Moves() const { return enabled_ && !passThrough_; }

    RECT crop_;
};
