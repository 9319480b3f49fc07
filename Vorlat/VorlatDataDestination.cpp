#include "Vorlat/VorlatDataDestination.h"

#include "Vorlat/VorlatConnection.h"

IVorlatDataDestination::~IVorlatDataDestination()
{
    if (IVorlatError* error = VorlatForgetDataDestination(this))
        error->Destroy();
}

IVorlatError* IVorlatDataDestination::VorlatAddDataSourceCheck(const IVorlatDataSource*,
                                                               IVorlatDataDestination**) const
{
    return nullptr;
}

IVorlatError* IVorlatDataDestination::VorlatRemoveDataSourceCheck(const IVorlatDataSource*) const
{
    return nullptr;
}

IVorlatError* IVorlatDataDestination::VorlatAddedDataSource(const IVorlatDataSource*) { return nullptr; }

IVorlatError* IVorlatDataDestination::VorlatRemovedDataSource(const IVorlatDataSource*) { return nullptr; }
