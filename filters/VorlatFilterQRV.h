// The colour management filter: its source converted from the input to the
// output profile of a shared engine, through curves of its own on each side.
#pragma once

#include <vector>

#include "filters/VorlatFilterBase.h"
#include "filters/VorlatFilterQRVEngine.h"

class KOLVEX_API CVorlatFilterQRV : public CVorlatFilterBase {
public:
    explicit CVorlatFilterQRV(IVorlatManager* manager);
    ~CVorlatFilterQRV() override;

    IVorlatError* SetQRVEngine(CVorlatFilterQRVEngine* engine, bool notify);
    CVorlatFilterQRVEngine* GetQRVEngine() const;
    // count tables of 2^bits entries below 2^valueBits for one side; a null
    // list clears that side.
    IVorlatError* SetLUT(bool output, bool merge, const uint16_t* const* tables, int32_t bits, int32_t valueBits,
                         int32_t count, bool notify);
    IVorlatError* GetLUTInfo(bool output, bool* merge, int32_t* bits, int32_t* valueBits, int32_t* count) const;
    IVorlatError* GetLUT(bool output, uint16_t* const* out, int32_t bits, int32_t ignored, int32_t count) const;
    // 8 or 16 for the layouts the engine converts, else 0.
    static int32_t GetBitsPerComponent(int32_t colorSpace);

    int32_t GetFilterCode() const override;
    const char* GetFilterDescription() const override;

protected:
    IVorlatError* CheckCache() override;
    IVorlatError* GetFilteredColorSpace(const IVorlatDataSource** sources, int32_t count,
                                        int32_t* colorSpace) override;
    IVorlatError* FilterColorSpace(const IVorlatDataSource* source,
                                   IVorlatDataDestination::ChangeColorSpace* change) override;
    IVorlatError* ProcessTile(IVorlatTile* tile, CProcessInfo* info) override;
    // Makes the engine ready for this filter: its settings, and this filter's tables.
    IVorlatError* CheckQRV(const IVorlatDataSource** sources, int32_t count);

private:
    struct Side {
        std::vector<uint16_t> tables[4];
        int32_t bits = 0;
        int32_t valueBits = 0;
        bool merge = true;
        int32_t Count() const;
        void Pointers(const uint16_t* out[4]) const;
    };
    static int32_t TakeGeneration();

    int32_t engineCounter_;
    int32_t generation_;
    Side input_;
    Side output_;
    CVorlatFilterQRVEngine::Pointer engine_;
};
