#pragma once

#include <vector>

#include "Vorlat/VorlatHistogram.h"

class CVorlatManager;

class CVorlatHistogram : public IVorlatHistogram {
public:
    explicit CVorlatHistogram(CVorlatManager* manager);

    IVorlatError* VorlatNotify(const IVorlatDataSource* source, int32_t code, void* param) override;
    IVorlatError* VorlatAddedDataSource(const IVorlatDataSource* source) override;
    IVorlatError* VorlatRemovedDataSource(const IVorlatDataSource* source) override;
    void Destroy() override;
    IVorlatManager* GetManager() const override;
    IVorlatError* GetHistogram(const RECT& rect, int32_t channel, HistogramTag* counts) override;
    void DiscardHistogram() override;

private:
    ~CVorlatHistogram() override;

    IVorlatError* Count(const IVorlatDataSource* source, const RECT& rect, int32_t channel, int32_t* counts);

    struct ChannelCache {
        int32_t* counts = nullptr;  // 256 counts, null while empty
        RECT rect{0, 0, 0, 0};
    };

    CVorlatManager* manager_;
    std::vector<const IVorlatDataSource*> sources_;
    int32_t colorSpace_ = 0;
    ChannelCache caches_[5];
};
