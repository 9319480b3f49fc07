// The single-pass demosaic filter: per source row, green by an edge-directed
// blend of a vertical and a horizontal estimate, then red and blue from the
// colour differences to green.
#pragma once

#include <memory>

#include "app/core/demosaic/debayer_base.h"

class CDeBayerSingleFilter : public CDeBayerBase {
public:
    explicit CDeBayerSingleFilter(IVorlatManager* manager);
    ~CDeBayerSingleFilter() override;

    int32_t GetFilterCode() const override;
    const char* GetFilterDescription() const override;

protected:
    IVorlatError* ProcessTile(IVorlatTile* tile, CProcessInfo* info) override;
    demosaic::CDemosaicKernel& Kernel() override;

private:
    std::unique_ptr<demosaic::CDemosaicKernel> kernel_;
};
