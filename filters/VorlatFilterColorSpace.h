// Grey and RGB of 8 and 16 bits per component into one another, without
// colour management.
#pragma once

#include "filters/VorlatFilterBase.h"

class KOLVEX_API CVorlatFilterColorSpace : public CVorlatFilterBase {
public:
    enum eOutputColorSpace : int32_t { kKeepColorSpace = 0, kGrey = 1, kRGB = 2 };
    enum eOutputBitDepth : int32_t { kKeepBitDepth = 0, k8Bits = 1, k16Bits = 2 };

    explicit CVorlatFilterColorSpace(IVorlatManager* manager);

    IVorlatError* SetOutputColorSpace(eOutputColorSpace space, eOutputBitDepth depth, bool notify);
    eOutputColorSpace GetOutputColorSpace() const;
    eOutputBitDepth GetOutputBitDepth() const;
    // The output code for a source code under the current settings; 0 when there is none.
    int32_t DoColorSpaceFiltering(int32_t sourceColorSpace) const;

    int32_t GetFilterCode() const override;
    const char* GetFilterDescription() const override;
    IVorlatError* VorlatAddedDataSource(const IVorlatDataSource* source) override;
    IVorlatError* VorlatRemovedDataSource(const IVorlatDataSource* source) override;

protected:
    IVorlatError* GetFilteredColorSpace(const IVorlatDataSource** sources, int32_t count,
                                        int32_t* colorSpace) override;
    IVorlatError* FilterColorSpace(const IVorlatDataSource* source,
                                   IVorlatDataDestination::ChangeColorSpace* change) override;
    IVorlatError* FilterUpdateAll(const IVorlatDataSource* source) override;
    IVorlatError* ProcessTile(IVorlatTile* tile, CProcessInfo* info) override;

private:
    void UpdatePassThrough();

    eOutputColorSpace space_;
    eOutputBitDepth depth_;
};
