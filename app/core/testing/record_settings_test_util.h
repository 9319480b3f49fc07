// Settings of a record edited away from a new record's, for the tests of
// what copies and pastes them.
#pragma once

#include "app/core/procset/record_settings.h"

namespace core_test {

// Every settings object differs from a new record's, and every flag is on.
inline void EditEverySetting(CQzRecordSettings& record)
{
    record.sizeRes = CQzSizeRes(300, 200);
    record.sizeRes.SetOutputResolution(QzMeasure{240.0, 1});
    record.curvesOn = 1;
    static_cast<CQzLutChannel*>(record.curves.GetChannel(2))->AddPoint(0.5, 0.7);
    record.curves.SetContrast(0.25);
    record.colourBalanceOn = 0x101;  // only the low byte travels
    static_cast<CQzLutChannel*>(record.colourBalance.GetChannel(1))->SetGamma(1.4);
    record.usmOn = 1;
    record.exposureOn = 1;
    record.exposure.exposureCompensation = -150;
    record.whiteBalanceOn = 1;
    record.whiteBalance.gain1 = 1.75;
    record.noiseReductionOn = 1;
    record.noiseReduction.lineNoiseReduction = 3;
}

}  // namespace core_test
