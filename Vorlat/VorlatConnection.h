// The one process-wide connection registry: every link between a source and
// a destination, and the data notifications that travel along the links
// (newest link first).
#pragma once

#include <cstdint>

#include "Vorlat/VorlatDataDestination.h"
#include "Vorlat/VorlatDataSource.h"
#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatExport.h"

VORLAT_API IVorlatError* VorlatDataConnect(IVorlatDataSource* source, IVorlatDataDestination* destination);
VORLAT_API IVorlatError* VorlatDataDisconnect(IVorlatDataSource* source, IVorlatDataDestination* destination);

// Remove every link of an object; called by the destructors.
VORLAT_API IVorlatError* VorlatForgetDataSource(IVorlatDataSource* source);
VORLAT_API IVorlatError* VorlatForgetDataDestination(IVorlatDataDestination* destination);

// Move every link of an object to another.
VORLAT_API IVorlatError* VorlatReplaceDataSource(IVorlatDataSource* old, IVorlatDataSource* replacement);
VORLAT_API IVorlatError* VorlatReplaceDataDestination(IVorlatDataDestination* old,
                                                      IVorlatDataDestination* replacement);

VORLAT_API IVorlatError* VorlatSendDataNotification(const IVorlatDataSource* source, int32_t code, void* param);

// Counts are of links, not of uses: a pair connected twice counts once.
VORLAT_API IVorlatError* VorlatGetDataSourceCount(const IVorlatDataDestination* destination, int32_t* count);
VORLAT_API IVorlatError* VorlatGetDataSources(const IVorlatDataDestination* destination,
                                              const IVorlatDataSource** out, int32_t max);
// The source of the first link, or null; never fails.
VORLAT_API IVorlatError* VorlatGetDataSource(const IVorlatDataDestination* destination,
                                             const IVorlatDataSource** out);
VORLAT_API IVorlatError* VorlatGetDataDestinationCount(const IVorlatDataSource* source, int32_t* count);
VORLAT_API IVorlatError* VorlatGetDataDestinations(const IVorlatDataSource* source,
                                                   IVorlatDataDestination** out, int32_t max);
