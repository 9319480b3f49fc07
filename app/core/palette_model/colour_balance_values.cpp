#include "app/core/palette_model/colour_balance_values.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/core/curves/lut_group.h"

namespace balance {

int32_t RowOfControl(uint32_t id)
{
    if (id < SliderId(0) || id > FieldId(kRowCount - 1))
        return -1;
    return static_cast<int32_t>((id - SliderId(0)) / 2);
}

int32_t FieldFromValue(double value)
{
    if (std::isnan(value))
        return 0;
    value = value < -1.0 ? -1.0 : value > 1.0 ? 1.0 : value;
    return static_cast<int32_t>(std::trunc(value >= 0.0 ? value * 50 + 0.1 : value * 50 - 0.1));
}

std::string FieldText(int32_t field)
{
    if (field == 0)
        return "0";
    char text[16];
    std::snprintf(text, sizeof text, "%+d", field);
    return text;
}

double ValueFromSlider(int32_t position)
{
    return (position - 50) * 0.02;
}

int32_t FieldFromText(const char* text)
{
    if (!text)
        return 0;
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text, &end, 10);
    if (end == text)
        return 0;
    // An overflow answers the long's end, which the limit then takes.
    return number < kFieldMin ? kFieldMin : number > kFieldMax ? kFieldMax : static_cast<int32_t>(number);
}

namespace {

CQzLutChannel* RowChannel(const CQzLutGroup& group, int32_t row)
{
    if (row == 0)
        return group.GetToneChannelById(0);
    if (row >= 2 && row < kRowCount)
        return group.GetToneChannelById(static_cast<uint32_t>(row - 1));
    return nullptr;
}

}  // namespace

double RowValue(const CQzLutGroup& group, int32_t row)
{
    if (row == 1)
        return group.GetContrast();
    const CQzLutChannel* channel = RowChannel(group, row);
    return channel ? channel->GetWorkingSet().brightness : 0.0;
}

void SetRowValue(CQzLutGroup& group, int32_t row, double value)
{
    if (row == 1) {
        group.SetContrast(value);
        return;
    }
    if (CQzLutChannel* channel = RowChannel(group, row))
        channel->EditWorkingSet().brightness = value;
}

}  // namespace balance
