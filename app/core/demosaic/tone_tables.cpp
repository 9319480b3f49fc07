// The forward tone table, computed once per process, and the channel tables.
#include <cmath>

#include "app/core/demosaic/tone_tables_impl.h"

namespace demosaic {

namespace {

struct ToneTable {
    uint32_t entries[4096];

    ToneTable()
    {
        // The normaliser makes the top sample land on the top coded value.
        const double k = 1.01293447811977 * std::pow(1.9850875759661308, 0.251208307518091);
        for (int32_t i = 0; i < 4096; ++i) {
            const double x = i / 1800.0;
            double value;
            if (i < 80)
                value = (i / 720.0) * 262143 / k;
            else if (i < 900)
                value = (1.1574731385332 * std::sqrt(x) - 0.133974462796743) * 262143 / k;
            else
                value = 1.01293447811977 * std::pow(x - 0.289912424033869, 0.251208307518091) * 262143 / k;
            entries[i] = static_cast<uint32_t>(value);
        }
    }
};

} // namespace

const uint32_t* ForwardToneTable()
{
    static const ToneTable table;
    return table.entries;
}

void BuildChannelTable(uint32_t* table, const uint16_t* curve, int32_t inBits, int32_t outBits)
{
    const uint32_t* forward = ForwardToneTable();
    const int32_t nIn = (1 << inBits) - 1;
    const int32_t nOut = (1 << outBits) - 1;
    for (int32_t i = 0; i < 4096; ++i) {
        const double x = static_cast<double>(i) * nIn / 4095;
        const int32_t j = static_cast<int32_t>(x);
        double v = curve[j];
        if (j < nIn)
            v += (static_cast<double>(curve[j + 1]) - curve[j]) * (x - j);
        // A curve value above the output range would index past the tone table.
        double y = v * 4095 / nOut;
        if (y > 4095)
            y = 4095;
        if (y < 0)
            y = 0;
        const int32_t k = static_cast<int32_t>(y);
        double entry = forward[k];
        if (k < 4095)
            entry += (static_cast<double>(forward[k + 1]) - forward[k]) * (y - k);
        table[i] = static_cast<uint32_t>(entry);
    }
}

} // namespace demosaic
