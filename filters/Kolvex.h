// The standard filters in one include.
#pragma once

#include "filters/BGRizeFilter.h"
#include "filters/CropFilter.h"
#include "filters/SourceWindow.h"
#include "filters/UnsharpMaskFilter.h"
#include "filters/VorlatFilterBase.h"
#include "filters/VorlatFilterColorSpace.h"
#include "filters/VorlatFilterGrid.h"
#include "filters/VorlatFilterHistogram.h"
#include "filters/VorlatFilterLut.h"
#include "filters/VorlatFilterQRV.h"
#include "filters/VorlatFilterQRVEngine.h"
#include "filters/VorlatFilterScale.h"
#include "filters/VorlatFilterTransform.h"
