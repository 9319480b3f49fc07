// The fixed lists of the preference pages: their captions' string ids and
// the values they stand for, in the order the lists show them.
#pragma once

#include <cstdint>

namespace shell {

struct ListEntry {
    uint32_t caption;  // string id
    int32_t data;      // the setting's value for the entry
};

// "Default file save format:" (setting 1071). Its codes are the setting's
// own; the entries stand in the order of the batch record's file types
// (source, XQV, BMP, Exif JPEG, JFIF JPEG, TIFF RGB, TIFF CMYK), so an
// entry's index is that record's type of the same format.
inline constexpr ListEntry kSaveFormatList[] = {
    {8208, 0}, {8209, 1}, {8214, 6}, {8210, 2}, {8211, 3}, {8212, 4}, {8213, 5},
};

// "While Tessaline is running, keep camera awake:" (setting 1066).
inline constexpr ListEntry kAwakeTimeList[] = {{8205, 0}, {8206, 1}};

// "Dropper sample size:" (setting 1068).
inline constexpr ListEntry kSampleSizeList[] = {{8283, 0}, {8284, 1}, {8285, 2}};

// Grid colours (setting 1060, COLORREF), not sorted.
inline constexpr ListEntry kGridColourList[] = {
    {8300, 0xFFFFFF}, {8301, 0xC0C0C0}, {8302, 0x7F7F7F}, {8299, 0},        {8293, 0xFF},
    {8294, 0xFF00},   {8295, 0xFF0000}, {8296, 0xFFFF00}, {8297, 0xFF00FF}, {8298, 0xFFFF},
};

// Grid units (setting 1062); 0 is pixels.
inline constexpr ListEntry kGridUnitList[] = {{9285, 0}, {9286, 1}, {9287, 2}, {9288, 3}, {9289, 4}, {9290, 5}};

// The working RGB colour spaces (setting 1065): each string is the caption,
// a line feed and the profile's file name; the separator has no line feed.
// The item data of an entry is its string id.
inline constexpr uint32_t kWorkingSpaceFirst = 8324;
inline constexpr uint32_t kWorkingSpaceLast = 8332;
inline constexpr int32_t kWorkingSpaceSeparatorData = 0xFFF0;
inline constexpr uint32_t kWorkingSpaceSeparator = 8330;

// The selection a step onto the separator moves to: below it when the
// previous selection was above it (or was the separator), else above it.
// -1 when there is no such entry.
constexpr int32_t StepOverSeparator(int32_t separator, int32_t previous, int32_t count)
{
    const int32_t next = previous <= separator ? separator + 1 : separator - 1;
    return next >= 0 && next < count ? next : -1;
}

}  // namespace shell
