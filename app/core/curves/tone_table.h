// Lookup tables from tone-curve channels: the tables of the display and
// processing chains, the editor's display table and histograms, and the
// composition of two tables.
#pragma once

#include <cstdint>

#include "app/core/curves/lut_channel.h"

// Table build flags; they combine.
inline constexpr uint32_t kLutApplied = 0x01;        // the channel's applied set instead of the working set
inline constexpr uint32_t kLutMasterCombine = 0x02;  // then the group's master curve, for a colour channel
inline constexpr uint32_t kLutInputLevels = 0x04;
inline constexpr uint32_t kLutOutputLevels = 0x08;
inline constexpr uint32_t kLutPointCurve = 0x10;
inline constexpr uint32_t kLutGammaTerm = 0x20;
inline constexpr uint32_t kLutContrast = 0x40;  // contrast (master only) and brightness
inline constexpr uint32_t kLutMapTable = 0x80;

// Fills `count` entries of `elementSize` bytes (1, 2 or 4: integers of
// `levels` levels; 8: the unquantised double; any other size writes nothing)
// with the curve at evenly spaced x from `xFrom` to `xTo`. An output gamma
// above 0 raises the result to 1 / gamma. A null channel is the identity.
void BuildTable(CQzLutChannel* channel, void* output, int32_t elementSize, int32_t count, int32_t levels,
                double xFrom, double xTo, uint32_t flags, double outputGamma);

// The slopes of the natural cubic spline through the set's points, when they are dirty.
void UpdateSlopes(LutParameterSet& set);

// Out = B after A, with linear interpolation in both. Element size 1 is
// 8-bit, anything else 16-bit.
void ComposeLutTables(const void* a, int32_t sizeA, int32_t countA, int32_t levelsA, const void* b, int32_t sizeB,
                      int32_t countB, int32_t levelsB, void* out, int32_t sizeOut, int32_t countOut,
                      int32_t levelsOut);
