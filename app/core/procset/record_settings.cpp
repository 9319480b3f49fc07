#include "app/core/procset/record_settings.h"

void AddRecordCurveChannels(CQzLutGroup& curves)
{
    curves.AddChannel(1, {255, 0, 0}, {0, 0, 0}, {255, 0, 0});
    curves.AddChannel(2, {0, 255, 0}, {0, 0, 0}, {0, 255, 0});
    curves.AddChannel(3, {0, 0, 255}, {0, 0, 0}, {0, 0, 255});
}

void AddRecordColourBalanceChannels(CQzLutGroup& colourBalance)
{
    for (uint32_t id = 1; id <= 3; ++id)
        colourBalance.AddChannel(id, {}, {}, {});
}

CQzRecordSettings::CQzRecordSettings()
{
    curves.SetKind(1);
    if (auto* master = dynamic_cast<CQzLutChannel*>(curves.GetChannel(0)))
        master->SetColours(master->GetCurveColour(), master->GetDarkColour(), {255, 255, 255});
    AddRecordCurveChannels(curves);
    colourBalance.SetKind(2);
    AddRecordColourBalanceChannels(colourBalance);
    whiteBalance.mode = 2;
    whiteBalance.gain1 = 1.0;
    whiteBalance.gain2 = 1.0;
}

void CQzRecordSettings::FillProcSet(CQzImageProcSet& set)
{
    set.usmOn = static_cast<uint8_t>(usmOn);
    set.usm = &usm;
    set.curvesOn = static_cast<uint8_t>(curvesOn);
    set.curves = &curves;
    set.colourBalanceOn = static_cast<uint8_t>(colourBalanceOn);
    set.colourBalance = &colourBalance;
    set.sizeRes = &sizeRes;
    set.exposureOn = static_cast<uint8_t>(exposureOn);
    set.exposure = &exposure;
    set.whiteBalanceOn = static_cast<uint8_t>(whiteBalanceOn);
    set.whiteBalance = &whiteBalance;
    set.noiseReductionOn = static_cast<uint8_t>(noiseReductionOn);
    set.noiseReduction = &noiseReduction;
    set.name = name;
    set.flip = flip;
    set.rotation = static_cast<int16_t>(rotation);
}

void CQzRecordSettings::TakeFromProcSet(const CQzImageProcSet& set)
{
    usmOn = set.usmOn;
    curvesOn = set.curvesOn;
    colourBalanceOn = set.colourBalanceOn;
    exposureOn = set.exposureOn;
    whiteBalanceOn = set.whiteBalanceOn;
    flip = set.flip;
    rotation = set.rotation;
    name = set.name;
}
