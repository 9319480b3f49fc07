// The pipeline framework's interfaces in one include.
#pragma once

#include "Vorlat/VorlatConnection.h"
#include "Vorlat/VorlatDataDestination.h"
#include "Vorlat/VorlatDataSource.h"
#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatFilter.h"
#include "Vorlat/VorlatFilterChain.h"
#include "Vorlat/VorlatHistogram.h"
#include "Vorlat/VorlatImage.h"
#include "Vorlat/VorlatManager.h"
#include "Vorlat/VorlatState.h"
#include "Vorlat/VorlatStatus.h"
#include "Vorlat/VorlatTile.h"
#include "Vorlat/VorlatTileGrid.h"
#include "Vorlat/VorlatTileID.h"
#include "Vorlat/VorlatTypes.h"
