// Dates and times of day in the user locale (Windows: GetDateFormatA and
// GetTimeFormatA).
#pragma once

#include <cstdint>

#include "app/core/shooting/shooting_seams.h"
#include "app/core/text/qz_string.h"

namespace shell {

// Month counts from 0. A null record means the current local date or time.
struct QzDateTime {
    uint16_t year;
    uint16_t month;
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
    uint16_t second;
    uint16_t milliseconds;
};
static_assert(sizeof(QzDateTime) == 14);

#if defined(_WIN32)
// A record that the platform cannot format (month 0, day 0 ...) gives "".
// numericOrder: the locale's date order with two-digit day and month.
void FormatDate(CQzString& out, bool numericOrder, const QzDateTime* record = nullptr);
// picture: 24-hour "HH:mm" with the locale's time separator.
void FormatTime(CQzString& out, bool picture, const QzDateTime* record = nullptr);
// With seconds and, for a record with milliseconds, tenths of a second.
void FormatTimeSeconds(CQzString& out, bool picture, const QzDateTime* record = nullptr);

// The shooting information table's moment in the user locale: the short date,
// and the time of day with seconds and tenths in the locale's own format.
// The program installs it at start-up (SetShootingDateTimeText).
const IQzDateTimeText& GetLocaleShootingDateTimeText();
#endif

}  // namespace shell
