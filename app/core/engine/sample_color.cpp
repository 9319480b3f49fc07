#include "app/core/engine/sample_color.h"

#include <cmath>

#include "app/core/curves/lut_group.h"
#include "app/core/curves/tone_table.h"
#include "app/core/demosaic/map_point.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/core/engine/tone_tables.h"
#include "app/core/engine/white_balance.h"

namespace {

constexpr int32_t kColorFilterCode = VorlatFourCC("qrv ");
// Curve table flags of the first and the second curve group.
constexpr uint32_t kCurvesFlags = 62;
constexpr uint32_t kColorBalanceFlags = 66;

struct Sampled {
    const IVorlatDataSource* source = nullptr;
    const IVorlatFilter* boundary = nullptr;
};

const IVorlatFilter* EnabledFilter(const IVorlatFilterChain* chain, int32_t code)
{
    const int32_t at = chain->FindFilterCode(code, 0);
    if (at < 0)
        return nullptr;
    const IVorlatFilter* filter = chain->GetFilter(at);
    return filter && filter->IsEnabled() ? filter : nullptr;
}

// The source a stage samples and the filter whose input it is; false when
// the stage names nothing inside the chain.
bool ChooseSource(const IVorlatFilterChain* chain, int32_t stage, const CDevelopParams* params, Sampled& out)
{
    const int32_t count = chain->GetFilterCount();
    int32_t at = -1;
    switch (stage) {
    case 0:
        at = chain->FindFilterCode(kColorFilterCode, 0);
        break;
    case 1: {
        const int32_t colour = chain->FindFilterCode(kColorFilterCode, 0);
        at = colour > 0 ? colour - 1 : -1;
        break;
    }
    case 2: {
        const IVorlatFilter* demosaic = EnabledFilter(chain, VorlatFourCC("db1s"));
        if (!demosaic)
            demosaic = EnabledFilter(chain, VorlatFourCC("db1g"));
        if (demosaic) {
            at = chain->FindFilter(demosaic);
            break;
        }
        if (!params || !params->source || count < 1)
            return false;
        out.source = params->source;
        out.boundary = chain->GetFilter(0);
        return out.boundary != nullptr;
    }
    case 3:
        if (count < 2)
            return false;
        at = 1;
        for (int32_t i = count - 1; i >= 1; --i) {
            if (chain->GetFilter(i)->GetFilterCode() == kColorFilterCode) {
                at = i - 1;
                break;
            }
        }
        break;
    default:
        return false;
    }
    if (at < 0 || at + 1 >= count)
        return false;
    out.source = chain->GetFilter(at);
    out.boundary = chain->GetFilter(at + 1);
    return out.source && out.boundary;
}

// The curve group whose curves apply to the sample, with its table flags.
CQzLutGroup* ActiveCurves(const CDevelopParams* params, uint32_t* flags)
{
    CQzLutGroup* group = nullptr;
    if (params->curves1On && params->curves1) {
        group = params->curves1;
        *flags = kCurvesFlags;
    } else if (params->curves2On && params->curves2) {
        group = params->curves2;
        *flags = kColorBalanceFlags;
    }
    return group && group->GetModifiedFlags(0xFFFFFFFFu) != 0 ? group : nullptr;
}

// A group without the colour channel gives the master curve alone.
int32_t CurveValue(CQzLutGroup* group, uint32_t id, int32_t value, uint32_t flags)
{
    const double x = value / 255.0;
    double y = x;
    CQzLutChannel* channel = group->GetToneChannelById(id);
    BuildTable(channel ? channel : group->GetToneChannelById(0), &y, 8, 1, 0, x, x, flags, 1.0);
    return static_cast<int32_t>(std::trunc(y * 255.0 + 0.5));
}

// value / multiplier, truncated and limited to the channel's top.
template <class T>
T Divided(T value, double multiplier, double top)
{
    const double v = std::trunc(value / UsableMultiplier(multiplier));
    return static_cast<T>(v > top ? top : (v > 0.0 ? v : 0.0));
}

}  // namespace

int32_t SampleSideFromSetting(int32_t setting)
{
    return setting == 1 ? 3 : setting == 2 ? 5 : 1;
}

int32_t SampleImageColor(int32_t x, int32_t y, VorlatPixel* result, int32_t side, IVorlatFilterChain* chain,
                         int32_t stage, const CDevelopParams* params, VorlatPixel* curvePixel, int32_t* curvesFlag)
{
    CEngineLockHold hold;
    Sampled sampled;
    if (!result || !chain || !ChooseSource(chain, stage, params, sampled))
        return 0;

    int32_t index = -1;
    if (DropChain(MapPointToFilter(chain, &x, &y, sampled.boundary, &index)))
        return 0;
    const uint16_t* toneTable = nullptr;
    if (stage == 2 && !(toneTable = GetToneTable()))
        return 0;
    int32_t width = 0, height = 0;
    if (DropChain(sampled.source->GetSize(&width, &height)))
        return 0;

    uint32_t curveFlags = 0;
    CQzLutGroup* curves = curvePixel && params ? ActiveCurves(params, &curveFlags) : nullptr;
    const int32_t h = side / 2;
    double sums[3] = {}, curveSums[3] = {};
    int32_t count = 0;
    bool curveRan = false, failed = false;
    for (int32_t row = y - h; row <= y + h && !failed; ++row) {
        for (int32_t column = x - h; column <= x + h; ++column) {
            if (column < 0 || column >= width || row < 0 || row >= height)
                continue;
            if (DropChain(sampled.source->GetPixel(result, column, row))) {
                failed = true;
                break;
            }
            ++count;
            int32_t eight[3];
            if (result->colorSpace == 32) {
                for (int c = 0; c < 3; ++c) {
                    if (toneTable)
                        result->bytes[c] = static_cast<uint8_t>(toneTable[16 * result->bytes[c]] >> 8);
                    sums[c] += result->bytes[c];
                    eight[c] = result->bytes[c];
                }
            } else if (result->colorSpace == 33) {
                for (int c = 0; c < 3; ++c) {
                    if (toneTable)
                        result->words[c] = toneTable[result->words[c] / 16];
                    sums[c] += result->words[c];
                    eight[c] = static_cast<int32_t>(result->words[c] * 0.00390625 + 0.5);
                }
            } else {
                continue;
            }
            if (curves) {
                for (int c = 0; c < 3; ++c)
                    curveSums[c] += CurveValue(curves, static_cast<uint32_t>(c + 1), eight[c], curveFlags);
                curveRan = true;
            }
        }
    }

    if (!failed && count > 0) {
        if (result->colorSpace == 32) {
            for (int c = 0; c < 3; ++c)
                result->bytes[c] = static_cast<uint8_t>(sums[c] / count);
            if (curvePixel) {
                curvePixel->colorSpace = 32;
                for (int c = 0; c < 3; ++c)
                    curvePixel->bytes[c] = static_cast<uint8_t>(curveSums[c] / count);
            }
        } else if (result->colorSpace == 33) {
            for (int c = 0; c < 3; ++c)
                result->words[c] = static_cast<uint16_t>(sums[c] / count);
            if (curvePixel) {
                curvePixel->colorSpace = 33;
                for (int c = 0; c < 3; ++c)
                    curvePixel->words[c] = static_cast<uint16_t>(curveSums[c] * 256 / count);
            }
        }
    }
    if (curvePixel && curvesFlag)
        *curvesFlag = curveRan ? 1 : 0;
    // A square wholly outside the source has nothing to show.
    if (failed || count == 0)
        return 0;

    if ((stage == 1 || stage == 2) && params && params->asShotRed != 0.0 && params->asShotBlue != 0.0) {
        if (result->colorSpace == 32) {
            result->bytes[0] = Divided<uint8_t>(result->bytes[0], params->asShotRed, 255.0);
            result->bytes[2] = Divided<uint8_t>(result->bytes[2], params->asShotBlue, 255.0);
        } else if (result->colorSpace == 33) {
            result->words[0] = Divided<uint16_t>(result->words[0], params->asShotRed, 65535.0);
            result->words[2] = Divided<uint16_t>(result->words[2], params->asShotBlue, 65535.0);
        }
    }
    return 1;
}
