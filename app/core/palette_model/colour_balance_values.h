// The Color Balance palette's five rows: which value of the group each row
// edits, and the conversions between the value (-1..1), the field (-50..50,
// written "%+d"), the slider (0..100) and a typed text.
#pragma once

#include <cstdint>
#include <string>

class CQzLutGroup;

namespace balance {

inline constexpr int32_t kRowCount = 5;
inline constexpr int32_t kFieldMin = -50;
inline constexpr int32_t kFieldMax = 50;
inline constexpr int32_t kSliderMax = 100;

// Row r (0..4): field 1017 + 2r, slider 1016 + 2r.
inline constexpr uint32_t FieldId(int32_t row) { return 1017 + 2 * static_cast<uint32_t>(row); }
inline constexpr uint32_t SliderId(int32_t row) { return 1016 + 2 * static_cast<uint32_t>(row); }
// The row of a field or slider id; -1 for any other id.
int32_t RowOfControl(uint32_t id);

// field = trunc(value x 50 + 0.1), below 0 trunc(value x 50 - 0.1). A value
// that is not a number shows as 0, one outside -1..1 at the nearer end.
int32_t FieldFromValue(double value);
// "%+d", and "0" for zero.
std::string FieldText(int32_t field);
inline int32_t SliderFromField(int32_t field) { return field + 50; }
// (position - 50) x 0.02.
double ValueFromSlider(int32_t position);
inline double ValueFromField(int32_t field) { return field * 0.02; }
// A typed text as a decimal integer limited to -50..50; text that is not a
// number reads as 0.
int32_t FieldFromText(const char* text);

// Row 0 the master channel's balance, 1 the group's contrast, 2..4 the red,
// green and blue channels' balance. A missing channel reads 0 and takes nothing.
double RowValue(const CQzLutGroup& group, int32_t row);
void SetRowValue(CQzLutGroup& group, int32_t row, double value);

}  // namespace balance
