// An ordered list of filters behind one source, itself a filter. Whoever
// connects to a chain is linked to one of its two internal end nodes. Made by
// IVorlatManager::CreateFilterChain, freed with Destroy. Positions run from 0.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatExport.h"
#include "Vorlat/VorlatFilter.h"
#include "Vorlat/VorlatTypes.h"

class VORLAT_API IVorlatFilterChain : public IVorlatFilter {
public:
    // Frees a filter that the chain owns (AddFilterAutoDelete).
    typedef void (*Deleter)(IVorlatFilter* filter);

    virtual void Destroy() = 0;
    // Makes source the only source; previous (may be null) receives the old one.
    virtual IVorlatError* UseSource(IVorlatDataSource* source, IVorlatDataSource** previous) = 0;
    // position -1 means the end.
    virtual IVorlatError* AddFilter(IVorlatFilter* filter, int32_t position) = 0;
    virtual IVorlatError* AddFilterAutoDelete(IVorlatFilter* filter, Deleter deleter, int32_t position) = 0;
    // Unlinks the filter and hands it to the caller, who owns it from then on.
    virtual IVorlatError* ExtractFilter(int32_t position, IVorlatFilter** filter) = 0;
    // Unlinks the filter and calls its deleter when it has one.
    virtual IVorlatError* RemoveFilter(int32_t position) = 0;
    virtual int32_t GetFilterCount() const = 0;
    virtual IVorlatFilter* GetFilter(int32_t position) const = 0;
    // -1 when not found.
    virtual int32_t FindFilterCode(int32_t code, int32_t start) const = 0;
    virtual int32_t FindFilter(const IVorlatFilter* filter) const = 0;
    virtual int32_t FindFilter(int32_t code, int32_t id) const = 0;
    virtual IVorlatDataSource* GetSourceAt(int32_t position) = 0;
    virtual IVorlatDataDestination* GetDestinationAt(int32_t position) = 0;
    // from < to maps forward through the filters from..to; from > to maps back.
    virtual IVorlatError* ConvertPoint(double* x, double* y, int32_t from, int32_t to) const = 0;
    virtual IVorlatError* ConvertPoint(int32_t* x, int32_t* y, int32_t from, int32_t to) const = 0;
    virtual IVorlatError* ConvertRect(VorlatDblRect* rect, int32_t from, int32_t to) const = 0;
    virtual IVorlatError* ConvertRect(RECT* rect, int32_t from, int32_t to) const = 0;
};
