// What the Curves palette shows and stores for the current channel: the
// five level and gamma fields, the point read-outs, the typed entries with
// their partner gap, the three droppers and automatic levels. Pure
// arithmetic on the curve group; the palette window parses and shows texts.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatTypes.h"

class CQzLutChannel;
class CQzLutGroup;

namespace curves {

// Control ids of the five fields.
inline constexpr uint32_t kFieldOutputWhite = 1002;
inline constexpr uint32_t kFieldOutputBlack = 1003;
inline constexpr uint32_t kFieldInputBlack = 1004;
inline constexpr uint32_t kFieldGamma = 1005;
inline constexpr uint32_t kFieldInputWhite = 1006;

// Levels never come closer than this to their partner.
inline constexpr double kLevelGap = 0.01;
inline constexpr double kGammaMinimum = 0.05;
inline constexpr double kGammaMaximum = 6.0;

// New curve channels take the gamma field's range; the Curves palette sets
// it before it builds its own group.
void UseGammaFieldRange();

// A level fraction as the field shows it, 0..255 (fraction x 255 rounded).
// A value that is not a number shows the field's neutral end.
int32_t ShownLevel(double fraction, double neutral);
// The gamma as the field shows it: NaN as 1, limited to the field's range.
double ShownGamma(double gamma);
// A typed gamma cut to two decimals; the small nudge keeps 0.29 at 0.29.
double TypedGamma(double number);

// The stored value of a field of the channel; the change bits of the curve
// editor that name the field.
double FieldValue(const CQzLutChannel& channel, uint32_t field);
uint32_t FieldChangeBit(uint32_t field);

struct FieldEdit {
    bool stored = false;   // false: not one of the five fields
    bool clamped = false;  // the field shows red until left
    bool changed = false;  // the stored value differs from the one before
};
// A number typed into a field: levels are divided by 255, limited to 0..1
// and kept kLevelGap from their partner; the gamma goes through the
// channel's gamma limits.
FieldEdit StoreTypedField(CQzLutChannel& channel, uint32_t field, double number);

// The point read-out: (v x 65535 rounded) / 256, truncated; -1 for a
// negative value (no current point), which empties both read-outs.
int32_t PointReadout(double value);

// ---- Droppers ---------------------------------------------------------------

enum class Dropper { Black, Gray, White };

struct Rgb {
    double red = 0.0, green = 0.0, blue = 0.0;
};
// A sample of the developed image as fractions: 8-bit samples / 255,
// 16-bit ones / 65535. False for any other colour space.
bool SampleFractions(const VorlatPixel& sample, Rgb* out);
// A dropper's target colour setting: packed RGB, red in the low byte.
Rgb PackedColourFractions(uint32_t packed);

// Black or white point: with oneChannel only the current channel (the
// master takes the means of the three components), else channels 1 to 3.
// Gray point: the group's gray-point operation. Returns whether anything
// was set.
bool ApplyDropper(CQzLutGroup& group, Dropper kind, const Rgb& sample, const Rgb& target, bool oneChannel);

// ---- Automatic levels ---------------------------------------------------------

// The clip fraction of the "AutoContrastClip" setting (hundredths of a percent).
double AutoLevelsClip(int32_t setting);
// Without oneChannel the master's operation over the whole group, else the
// current channel's alone. False when there is no such tone channel.
bool ApplyAutoLevels(CQzLutGroup& group, double clip, bool oneChannel);

// ---- The group's shape ------------------------------------------------------

// A group read from a file takes the shape the palettes work on: a master
// channel (id 0) first and channels 1 to 3. A group of another count is cut
// to its master and given fresh colour channels, as the settings container
// does (a Curves group, kind 1, is also reset); a group whose first channel
// is not a master tone channel is refused (false, unchanged).
bool NormaliseGroupShape(CQzLutGroup& group, int32_t groupKind);

}  // namespace curves
