// Turning camera settings and adjustment objects into filter settings: the
// demosaic filter of raw data (output size, noise level, per-channel
// pre-gains), the one-time demosaic of a raw document, the unsharp-mask
// colour ranges and strengths, the camera's sharpening and hue.
#pragma once

#include <cstdint>

#include "Vorlat/Vorlat.h"

struct CDevelopParams;
class CDeBayerBase;
class CQzUSM;
class CUnsharpMaskFilter;
class CVorlatFilterQRV;

// Out: a configured "db1g" (high quality) or "db1s" filter for raw sources,
// null for any other source. 0 when a filter could not be made or set up; 1
// also when the source's colour space cannot be read (no filter then).
uint8_t MakeDemosaicFilter(CDeBayerBase** filter, const CDevelopParams* params, bool highQuality);
uint8_t ConfigureDemosaic(CDeBayerBase* filter, const CDevelopParams* params);
// Demosaics a raw document's source once, through the high-quality filter,
// into a new image of the image manager. Only on success: the raw source
// moves to params.raw, the new image becomes params.source, and the engine's
// image references count it once (its owner takes no further reference).
// False on any error, the new image then destroyed.
bool DemosaicImage(CDevelopParams& params);

// 1 when the filter's range changed to range n.
uint8_t SetUnsharpMaskRange(CUnsharpMaskFilter* filter, int32_t n);
// One entry of the unsharp-mask list at the output scale.
IVorlatError* ConfigureUnsharpMaskEntry(CUnsharpMaskFilter* filter, const CQzUSM& entry, double scale);

// Raw files only: the camera's sharpening level (1 none to 4 high);
// true when it sharpens.
bool GetSharpeningLevel(const CDevelopParams* params, int32_t* level);
void SetUpCameraSharpening(const CDevelopParams* params, CUnsharpMaskFilter* filter, double scale);
// Raw files only: the hue setting (0 to 6, 3 neutral); true when it turns the hue.
bool GetHueSetting(const CDevelopParams* params, int32_t* value);
// Turns the hue in the filter's second table stage, or clears that stage.
bool ApplyHueTable(const CDevelopParams* params, CVorlatFilterQRV* filter);
// The hue table's shift for a setting: ((3 h - 9) 65536) / 360, toward zero.
int32_t HueShift(int32_t setting);
