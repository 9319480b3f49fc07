// What the shooting information table needs from the platform and the shell:
// the width of a text in the font of a device context, and the locale's date
// and time texts. The Windows build measures with GDI; natively a fixed
// width per character stands in.
#pragma once

#include <cstdint>

#include "app/core/text/qz_string.h"

struct HDC__;

class IQzTextMeasure {
public:
    virtual ~IQzTextMeasure() = default;
    virtual int32_t TextWidth(const char* text, int32_t length) const = 0;
    int32_t TextWidth(const char* text) const;
};

// Every character `width` units wide.
class CQzFixedWidthMeasure : public IQzTextMeasure {
public:
    explicit CQzFixedWidthMeasure(int32_t width = 8) : width_(width) {}
    int32_t TextWidth(const char*, int32_t length) const override { return length * width_; }
    using IQzTextMeasure::TextWidth;

private:
    int32_t width_;
};

#if defined(_WIN32)
// Text extents in the font selected into `dc`.
class CQzGdiTextMeasure : public IQzTextMeasure {
public:
    explicit CQzGdiTextMeasure(HDC__* dc) : dc_(dc) {}
    int32_t TextWidth(const char* text, int32_t length) const override;
    using IQzTextMeasure::TextWidth;

private:
    HDC__* dc_;
};
#endif

// The moment a picture was taken; month counts from 0.
struct QzShootingTime {
    uint16_t year, month, day, hour, minute, second, milliseconds;
};

class IQzDateTimeText {
public:
    virtual ~IQzDateTimeText() = default;
    // The date in the user's form.
    virtual void FormatDate(CQzString& out, const QzShootingTime& time) const = 0;
    // The time of day with seconds and tenths.
    virtual void FormatTimeSeconds(CQzString& out, const QzShootingTime& time) const = 0;
};

// The shell installs the locale's formatters at start-up; null puts back the
// built-in numeric forms ("1998/12/03", "14:24:00.5"). Not owned.
void SetShootingDateTimeText(const IQzDateTimeText* formatter);
const IQzDateTimeText& GetShootingDateTimeText();
