#include "app/shell/controls/edit_mask.h"

#include <cctype>
#include <cstring>

namespace shell {

namespace {

bool IsMaskCharacter(char c)
{
    return c == 'X' || c == '!' || c == '0' || c == '1' || c == '9';
}

bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

}  // namespace

std::string CleanMask(const char* mask)
{
    std::string clean;
    for (const char* p = mask ? mask : ""; *p; ++p) {
        const char c = (*p >= 'a' && *p <= 'z') ? static_cast<char>(*p - 'a' + 'A') : *p;
        if (IsMaskCharacter(c))
            clean += c;
    }
    return clean;
}

char MaskAccepts(char m, char ch)
{
    switch (m) {
    case 'X':
        return ch;
    case '!':
        return static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    case '0':
    case '1':
    case '9':
        return IsDigit(ch) ? ch : 0;
    default:
        return 0;
    }
}

bool IsRightAlignedMask(const std::string& mask)
{
    return !mask.empty() && mask.find_first_not_of('9') == std::string::npos;
}

std::string PadZeroRun(const std::string& text, const std::string& mask)
{
    const size_t lastNonZero = mask.find_last_not_of('0');
    const size_t start = lastNonZero == std::string::npos ? 0 : lastNonZero + 1;
    const size_t run = mask.size() - start;
    if (run == 0)
        return text;
    std::string padded = text;
    if (padded.size() < start)
        padded.resize(start, ' ');
    std::string tail = padded.substr(start);
    if (tail.size() < run)
        tail.insert(0, run - tail.size(), '0');
    return padded.substr(0, start) + tail;
}

std::vector<PictureSegment> ParsePicture(const char* picture)
{
    std::vector<PictureSegment> segments;
    PictureSegment current;
    bool inField = false;
    for (const char* p = picture ? picture : ""; *p; ++p) {
        if (*p == '%' && p[1] && IsMaskCharacter(p[1])) {
            if (!inField) {
                current.hasField = true;
                inField = true;
            }
            current.mask += *++p;
            continue;
        }
        // The character after a '%' that names no mask character is literal.
        const char literal = (*p == '%' && p[1]) ? *++p : *p;
        if (inField) {
            segments.push_back(current);
            current = PictureSegment{};
            inField = false;
        }
        current.literal += literal;
    }
    if (inField) {
        segments.push_back(current);
        current = PictureSegment{};
    }
    segments.push_back(current);
    return segments;
}

std::string DatePicture(char order, const char* separator)
{
    const std::string sep = separator ? separator : "";
    switch (order) {
    case '0':
    case '1':
        return "%0%0" + sep + "%0%0" + sep + "%1%1%1%1";
    case '2':
        return "%9%9%9%9" + sep + "%0%0" + sep + "%0%0";
    default:
        return "";
    }
}

std::vector<std::string> SplitPictureText(const std::vector<PictureSegment>& segments, const char* text,
                                          bool skipSeparators, bool trim)
{
    std::vector<std::string> fields;
    const char* p = text ? text : "";
    for (const PictureSegment& segment : segments) {
        if (skipSeparators)
            for (size_t i = 0; i < segment.literal.size() && *p; ++i)
                ++p;
        if (!segment.hasField)
            continue;
        std::string part;
        for (size_t i = 0; i < segment.mask.size() && *p; ++i)
            part += *p++;
        if (trim)
            part.erase(part.find_last_not_of(' ') + 1);
        fields.push_back(part);
    }
    return fields;
}

}  // namespace shell
