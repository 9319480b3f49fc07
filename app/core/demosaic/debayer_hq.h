// The high-quality demosaic filter: per source row, ten stages that classify
// each site by its edge direction and colour strength, then rebuild the pixel
// from a direction-dependent luminance and smoothed colour differences.
#pragma once

#include <memory>

#include "app/core/demosaic/debayer_base.h"

namespace demosaic {
class CHighQualityKernel;
} // namespace demosaic

class CDeBayerSingleHQ4Filter : public CDeBayerBase {
public:
    static constexpr int32_t kParameterCount = 9;

    explicit CDeBayerSingleHQ4Filter(IVorlatManager* manager);
    ~CDeBayerSingleHQ4Filter() override;

    int32_t GetFilterCode() const override;
    const char* GetFilterDescription() const override;

    // Nine values: the thresholds of the direction class, of the refined
    // class and of the diagonal class, then six kept with them.
    void SetHQParameters(const int32_t* parameters);
    void GetHQParameters(int32_t* parameters) const;
    // The three thresholds for a sensitivity key of the noise table; an
    // unknown key changes nothing.
    void SetHQDefaults(int32_t key);

protected:
    IVorlatError* ProcessTile(IVorlatTile* tile, CProcessInfo* info) override;
    demosaic::CDemosaicKernel& Kernel() override;

private:
    int32_t parameters_[kParameterCount];
    std::unique_ptr<demosaic::CHighQualityKernel> kernel_;
};
