// A filter: a data source (its output) that is also a data destination (its
// inputs), with enabling, an identity, point and rectangle mapping in both
// directions, tile generation and the begin/execute/end process protocol.
// In the mapping and generating operations, null sources with count 0 mean
// the filter's own connected sources.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatDataDestination.h"
#include "Vorlat/VorlatDataSource.h"
#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatExport.h"
#include "Vorlat/VorlatTypes.h"

class IVorlatImage;
class IVorlatManager;
class IVorlatTile;

class VORLAT_API IVorlatFilter : public IVorlatDataSource, public IVorlatDataDestination {
protected:
    // Forgets the destination part, then the source part.
    ~IVorlatFilter() override;

public:
    virtual IVorlatError* Enable(bool enable, bool notify) = 0;
    virtual bool IsEnabled() const = 0;
    virtual IVorlatManager* GetManager() const = 0;
    // Ids name a filter only together with its filter code.
    virtual int32_t GetFilterID() const = 0;
    // The filter kind as a four-character code (VorlatFourCC).
    virtual int32_t GetFilterCode() const = 0;
    virtual const char* GetFilterDescription() const = 0;

    // Input to output.
    virtual IVorlatError* FilterPoint(double* x, double* y, const IVorlatDataSource** sources,
                                      int32_t count) const = 0;
    virtual IVorlatError* FilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources,
                                      int32_t count) const = 0;
    virtual IVorlatError* FilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources,
                                     int32_t count) const = 0;
    virtual IVorlatError* FilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const = 0;
    // Output back to input.
    virtual IVorlatError* DefilterPoint(double* x, double* y, const IVorlatDataSource** sources,
                                        int32_t count) const = 0;
    virtual IVorlatError* DefilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources,
                                        int32_t count) const = 0;
    virtual IVorlatError* DefilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources,
                                       int32_t count) const = 0;
    virtual IVorlatError* DefilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const = 0;

    virtual IVorlatError* GenerateTile(IVorlatTile* tile, const IVorlatDataSource** sources, int32_t count) = 0;
    virtual IVorlatError* Process(const IVorlatDataSource** sources, int32_t count, IVorlatImage* target) = 0;
    virtual IVorlatError* BeginProcess(int32_t* id, const IVorlatDataSource** sources, int32_t count,
                                       IVorlatImage* target) = 0;
    // One step; reports done of total, and 0 of 0 once nothing is left.
    virtual IVorlatError* ExecuteProcess(int32_t id, int32_t* done, int32_t* total) = 0;
    virtual IVorlatError* GetProcessInfo(int32_t id, const IVorlatDataSource*** sources, int32_t* count,
                                         IVorlatImage** target) = 0;
    virtual IVorlatError* EndProcess(int32_t id) = 0;
};
