// The diagnostic face of a tile manager: views of its page slots, its tile
// stack and its free list, and a listener called after every change.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatExport.h"

class IVorlatManager;
class IVorlatStatus;
class IVorlatTile;

class VORLAT_API IVorlatStatusUser {
protected:
    virtual ~IVorlatStatusUser();

public:
    virtual IVorlatError* StatusNotify(IVorlatStatus* status, int32_t code, int32_t index, int32_t extra,
                                       const IVorlatTile* tile) = 0;
};

class VORLAT_API IVorlatStatus {
protected:
    virtual ~IVorlatStatus();

public:
    // Null removes the listener; a new listener is called at once with code 0.
    virtual IVorlatError* SetStatusUser(IVorlatStatusUser* user) = 0;
    // The views copy at most max entries; a longer view answers 1014.
    virtual IVorlatError* GetPageFileViewCount(int32_t* count) const = 0;
    virtual IVorlatError* GetPageFileView(const IVorlatTile** out, int32_t max) const = 0;
    virtual IVorlatError* GetTileStackViewCount(int32_t* count) const = 0;
    virtual IVorlatError* GetTileStackView(const IVorlatTile** out, int32_t max) const = 0;
    virtual IVorlatError* GetFreeListViewCount(int32_t* count) const = 0;
    // Buffer addresses, the next one to be taken last.
    virtual IVorlatError* GetFreeListView(intptr_t* out, int32_t max) const = 0;
    virtual IVorlatError* GetManager(IVorlatManager** manager) const = 0;
};
