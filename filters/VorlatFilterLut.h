// The LUT filter: every channel of every pixel through a per-channel table of
// 16-bit entries.
#pragma once

#include <vector>

#include "filters/VorlatFilterBase.h"

class KOLVEX_API CVorlatFilterLut : public CVorlatFilterBase {
public:
    explicit CVorlatFilterLut(IVorlatManager* manager);
    ~CVorlatFilterLut() override;

    // luts: count tables of 2^inBits entries below 2^outBits; a null table is
    // the identity. A null list or a count of 0 gives the one-bit identity on
    // four channels.
    IVorlatError* SetLUT(const uint16_t* const* luts, int32_t inBits, int32_t outBits, int32_t count, bool notify);
    IVorlatError* GetLUTInfo(int32_t* inBits, int32_t* outBits, int32_t* count);
    // Copies 2^bits entries of each of the first count tables.
    IVorlatError* GetLUT(uint16_t* const* out, int32_t bits, int32_t ignored, int32_t count);

    int32_t GetFilterCode() const override;
    const char* GetFilterDescription() const override;

protected:
    IVorlatError* ProcessTile(IVorlatTile* tile, CProcessInfo* info) override;

private:
    int32_t StoredCount() const;
    IVorlatError* BuildWorkingTables(int32_t depth);

    // Each stored table has one spare entry at the end that interpolation reads with weight 0.
    std::vector<uint16_t> stored_[4];
    int32_t inBits_;
    int32_t outBits_;
    bool tablesChanged_;
    std::vector<uint16_t> working_[4];
    int32_t workingDepth_;
};
