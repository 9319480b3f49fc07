#include "app/core/shooting/shooting_seams.h"

#include <cstdio>
#include <cstring>

namespace {

class CBuiltInDateTimeText : public IQzDateTimeText {
public:
    void FormatDate(CQzString& out, const QzShootingTime& t) const override
    {
        char text[32];
        std::snprintf(text, sizeof text, "%04u/%02u/%02u", t.year, t.month + 1u, t.day);
        out = text;
    }
    void FormatTimeSeconds(CQzString& out, const QzShootingTime& t) const override
    {
        char text[32];
        std::snprintf(text, sizeof text, "%02u:%02u:%02u.%u", t.hour, t.minute, t.second, t.milliseconds / 100u);
        out = text;
    }
};

const CBuiltInDateTimeText kBuiltIn;
const IQzDateTimeText* installed = nullptr;

}  // namespace

int32_t IQzTextMeasure::TextWidth(const char* text) const
{
    return TextWidth(text, static_cast<int32_t>(std::strlen(text)));
}

void SetShootingDateTimeText(const IQzDateTimeText* formatter)
{
    installed = formatter;
}

const IQzDateTimeText& GetShootingDateTimeText()
{
    return installed ? *installed : kBuiltIn;
}
