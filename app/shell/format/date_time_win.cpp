#include "app/shell/format/date_time.h"

#include <string>
#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "app/shell/format/second_tenths.h"

namespace shell {

namespace {

// A locale text quoted for a picture: a quote inside is doubled.
std::string Quoted(LCTYPE type)
{
    char text[16] = "";
    if (!GetLocaleInfoA(LOCALE_USER_DEFAULT, type, text, sizeof text))
        text[0] = '\0';
    std::string quoted = "'";
    for (const char* p = text; *p; ++p) {
        quoted += *p;
        if (*p == '\'')
            quoted += '\'';
    }
    return quoted + "'";
}

// Each formatter asks for the size first; a record the platform refuses gives "".
std::string TimeText(DWORD flags, const SYSTEMTIME* time, const char* picture)
{
    const int size = GetTimeFormatA(LOCALE_USER_DEFAULT, flags, time, picture, nullptr, 0);
    if (size <= 0)
        return {};
    std::vector<char> text(static_cast<size_t>(size) + 1, '\0');
    if (!GetTimeFormatA(LOCALE_USER_DEFAULT, flags, time, picture, text.data(), size + 1))
        return {};
    return text.data();
}

std::string DateText(DWORD flags, const SYSTEMTIME* date, const char* picture)
{
    const int size = GetDateFormatA(LOCALE_USER_DEFAULT, flags, date, picture, nullptr, 0);
    if (size <= 0)
        return {};
    std::vector<char> text(static_cast<size_t>(size) + 1, '\0');
    if (!GetDateFormatA(LOCALE_USER_DEFAULT, flags, date, picture, text.data(), size + 1))
        return {};
    return text.data();
}

SYSTEMTIME TimeOfDay(const QzDateTime& record)
{
    SYSTEMTIME time{};
    time.wHour = record.hour;
    time.wMinute = record.minute;
    time.wSecond = record.second;
    time.wMilliseconds = record.milliseconds;
    return time;
}

}  // namespace

void FormatDate(CQzString& out, bool numericOrder, const QzDateTime* record)
{
    SYSTEMTIME date{};
    if (record) {
        date.wYear = record->year;
        date.wMonth = static_cast<WORD>(record->month + 1);
        date.wDay = record->day;
    }
    const SYSTEMTIME* when = record ? &date : nullptr;
    std::string picture;
    if (numericOrder) {
        char order[4] = "";
        GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDATE, order, sizeof order);
        const std::string separator = Quoted(LOCALE_SDATE);
        if (std::string(order) == "0")
            picture = "MM" + separator + "dd" + separator + "yyyy";
        else if (std::string(order) == "1")
            picture = "dd" + separator + "MM" + separator + "yyyy";
        else if (std::string(order) == "2")
            picture = "yyyy" + separator + "MM" + separator + "dd";
        // Any other order is not defined by the platform: the short date stands.
    }
    const std::string text = picture.empty() ? DateText(DATE_SHORTDATE, when, nullptr)
                                             : DateText(0, when, picture.c_str());
    out = text.c_str();
}

void FormatTime(CQzString& out, bool picture, const QzDateTime* record)
{
    SYSTEMTIME time{};
    if (record)
        time = TimeOfDay(*record);
    const SYSTEMTIME* when = record ? &time : nullptr;
    const std::string text =
        picture ? TimeText(TIME_NOSECONDS | TIME_NOTIMEMARKER | TIME_FORCE24HOURFORMAT, when,
                           ("HH" + Quoted(LOCALE_STIME) + "mm").c_str())
                : TimeText(TIME_NOSECONDS, when, nullptr);
    out = text.c_str();
}

void FormatTimeSeconds(CQzString& out, bool picture, const QzDateTime* record)
{
    SYSTEMTIME time{};
    if (record)
        time = TimeOfDay(*record);
    const SYSTEMTIME* when = record ? &time : nullptr;
    const std::string separator = Quoted(LOCALE_STIME);
    const std::string format = "HH" + separator + "mm" + separator + "ss";
    const DWORD flags = picture ? TIME_NOTIMEMARKER | TIME_FORCE24HOURFORMAT : LOCALE_NOUSEROVERRIDE;
    const char* pictureText = picture ? format.c_str() : nullptr;
    std::string text = TimeText(flags, when, pictureText);
    if (record && record->milliseconds != 0 && !text.empty()) {
        SYSTEMTIME probe = time;
        probe.wSecond = TenthsProbeSeconds(record->minute);
        InsertSecondTenths(text, TimeText(flags, &probe, pictureText), record->minute, record->milliseconds);
    }
    out = text.c_str();
}

namespace {

class CLocaleShootingDateTimeText : public IQzDateTimeText {
public:
    void FormatDate(CQzString& out, const QzShootingTime& time) const override
    {
        const QzDateTime record = Record(time);
        shell::FormatDate(out, false, &record);
    }
    void FormatTimeSeconds(CQzString& out, const QzShootingTime& time) const override
    {
        const QzDateTime record = Record(time);
        shell::FormatTimeSeconds(out, false, &record);
    }

private:
    static QzDateTime Record(const QzShootingTime& t)
    {
        return {t.year, t.month, t.day, t.hour, t.minute, t.second, t.milliseconds};
    }
};

}  // namespace

const IQzDateTimeText& GetLocaleShootingDateTimeText()
{
    static const CLocaleShootingDateTimeText text;
    return text;
}

}  // namespace shell
