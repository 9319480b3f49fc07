#include "Vorlat/VorlatFilter.h"

#include "Vorlat/VorlatConnection.h"

IVorlatFilter::~IVorlatFilter()
{
    if (IVorlatError* error = VorlatForgetDataDestination(this))
        error->Destroy();
    if (IVorlatError* error = VorlatForgetDataSource(this))
        error->Destroy();
}
