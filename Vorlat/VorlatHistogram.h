// Counts, one channel at a time, how many pixels of a rectangle of its source
// have each of 256 levels, and keeps the counts until the source changes.
// Made by IVorlatManager::CreateHistogram, connected with VorlatDataConnect.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatDataDestination.h"
#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatExport.h"
#include "Vorlat/VorlatTypes.h"

class IVorlatManager;

class VORLAT_API IVorlatHistogram : public IVorlatDataDestination {
public:
    struct HistogramTag {
        int32_t count[256];
    };

    virtual void Destroy() = 0;
    virtual IVorlatManager* GetManager() const = 0;
    // Channel 0 is the mean of the pixel's values, 1 to 4 its values in buffer order.
    virtual IVorlatError* GetHistogram(const RECT& rect, int32_t channel, HistogramTag* counts) = 0;
    virtual void DiscardHistogram() = 0;
};
