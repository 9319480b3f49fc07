#include "app/core/shooting/shooting_info_table.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Vorlat/VorlatError.h"
#include "app/core/text/string_resource.h"
#include "fileio/VorlatTagControl.h"

namespace {

// The labels' string-table ids, by label index.
constexpr uint32_t kLabelIds[CShootingInfoTable::kLabelCount] = {
#define SHOOTING_LABEL(index, id, text) qz::id,
#include "app/core/shooting/shooting_labels.inc"
#undef SHOOTING_LABEL
};

// Field ids of the grid, row by row within each column.
constexpr uint32_t kGrid[4][6] = {
    {1001, 2, 1002, 1003, 1004, 1005},
    {1006, 1007, 1008, 1009, 1010, 1011},
    {1012, 1013, 1014, 1020, 1021, 1018},
    {1015, 1016, 1017, 1022, 1023, 0},
};

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (size > 0) {
        std::vector<char> buffer(static_cast<size_t>(size) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, again);
        text.assign(buffer.data(), static_cast<size_t>(size));
    }
    va_end(again);
    return text;
}

// "%.1f", shortened by two characters when it ends in "0": 24.0 reads 24.
std::string Trimmed(double value)
{
    std::string text = Format("%.1f", value);
    if (!text.empty() && text.back() == '0')
        text.resize(text.size() >= 2 ? text.size() - 2 : 0);
    return text;
}

std::string Label(int32_t index)
{
    CQzString text;
    CShootingInfoTable::LoadLabel(text, index);
    return static_cast<const char*>(text);
}

// A whole number for "%d", or false for a value that has none.
bool WholeInt(double value, int& out)
{
    if (!std::isfinite(value) || value <= -2147483648.0 || value >= 2147483648.0)
        return false;
    out = static_cast<int>(value);
    return true;
}

// Reads of the tag store: each buffer ends in a terminator or holds exactly
// the bytes asked for; a tag that cannot be read costs only its part.
class TagReader {
public:
    explicit TagReader(const IVorlatTagControl* tags) : tags_(tags) {}

    bool Raw(TagId tag, uint32_t type, void* buffer, uint32_t bytes) const
    {
        if (!tags_)
            return false;
        if (IVorlatError* error = tags_->GetTagValue(tag, type, bytes, buffer, 0)) {
            error->Destroy();
            return false;
        }
        return true;
    }

    bool Text(TagId tag, std::string& out, uint32_t type = kTagTypeText) const
    {
        char buffer[257] = {};
        if (!Raw(tag, type, buffer, 256))
            return false;
        buffer[256] = '\0';
        out = buffer;
        return true;
    }

    bool Long(TagId tag, int32_t& out) const
    {
        int32_t value = 0;
        if (!Raw(tag, kTagTypeLongs, &value, sizeof value))
            return false;
        out = value;
        return true;
    }

    bool Doubles(TagId tag, double* out, uint32_t count) const
    {
        double values[4] = {};
        if (!Raw(tag, count == 4 ? kTagTypeLensRange : kTagTypeDoubles, values, 8 * count))
            return false;
        std::copy(values, values + count, out);
        return true;
    }

    bool Triple(TagId tag, int16_t (&out)[3]) const
    {
        int16_t values[3] = {};
        if (!Raw(tag, kTagTypeTriples, values, sizeof values))
            return false;
        std::copy(values, values + 3, out);
        return true;
    }

    bool Pair(TagId tag, uint16_t (&out)[2]) const
    {
        uint16_t values[2] = {};
        if (!Raw(tag, kTagTypeIsoPair, values, sizeof values))
            return false;
        std::copy(values, values + 2, out);
        return true;
    }

    uint32_t Type(TagId tag) const { return tags_ ? tags_->GetTagType(tag, 0) : 0; }

private:
    const IVorlatTagControl* tags_;
};

bool IsDigits(const std::string& text, size_t from, size_t count)
{
    for (size_t i = from; i < from + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

// "dddd:dd:dd dd:dd:dd"
bool IsExifDateTime(const std::string& text)
{
    if (text.size() < 19)
        return false;
    const char* pattern = "dddd:dd:dd dd:dd:dd";
    for (size_t i = 0; i < 19; ++i) {
        if (pattern[i] == 'd' ? !IsDigits(text, i, 1) : text[i] != pattern[i])
            return false;
    }
    return true;
}

uint16_t Number(const std::string& text, size_t from, size_t count)
{
    return static_cast<uint16_t>(std::stoi(text.substr(from, count)));
}

}  // namespace

CShootingInfoTable::CShootingInfoTable(const CShootingInfoTable& other) = default;
CShootingInfoTable& CShootingInfoTable::operator=(const CShootingInfoTable& other) = default;

uint32_t CShootingInfoTable::GetLabelId(int32_t index)
{
    return index >= 0 && index < kLabelCount ? kLabelIds[index] : 0;
}

void CShootingInfoTable::LoadLabel(CQzString& out, int32_t index)
{
    if (index < 0 || index >= kLabelCount) {
        out = "";
        return;
    }
    out.LoadString(kLabelIds[index]);
}

void CShootingInfoTable::AddField(const char* text, uint32_t field)
{
    fields_[field] = CQzString(text ? text : "");
}

void CShootingInfoTable::AddField(const CQzString& text, uint32_t field)
{
    fields_[field] = text.GetLength() > 255 ? text.Left(255) : text;
}

const char* CShootingInfoTable::GetFieldText(uint32_t field) const
{
    const auto found = fields_.find(field);
    if (field == 0 || found == fields_.end() || !found->second.GetString())
        return "";
    return found->second;
}

uint32_t CShootingInfoTable::GetFieldId(int32_t row, int32_t column) const
{
    if (!extended_ || row < 0 || row >= 6 || column < 0 || column >= 4)
        return 0;
    return kGrid[column][row];
}

void CShootingInfoTable::FormatAsText(CQzString& out) const
{
    if (!out.IsEmpty())
        out.Append("\r\r");
    for (int32_t column = 0; column < GetColumnCount(); ++column) {
        for (int32_t row = 0; row < GetRowCount(); ++row) {
            const char* text = GetCellText(row, column);
            if (*text) {
                out.Append(text);
                out.Append('\r');
            }
        }
    }
}

const char* CShootingInfoTable::FormatFraction(int16_t a, int16_t b, int16_t c)
{
    static thread_local char text[48];
    if (a == 0 || b == 0 || c == 0) {
        std::snprintf(text, sizeof text, "0 ");
        return text;
    }
    int32_t n = static_cast<int32_t>(a) * b;
    int32_t d = c;
    // The denominator is made positive first: the sign belongs to the whole.
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const int32_t w = n / d;
    n %= d;
    if (w < 0)
        n = -n;
    for (;;) {
        if (n % 2 == 0 && d % 2 == 0) {
            n /= 2;
            d /= 2;
        } else if (n % 3 == 0 && d % 3 == 0) {
            n /= 3;
            d /= 3;
        } else if (n % 5 == 0 && d % 5 == 0) {
            n /= 5;
            d /= 5;
        } else {
            break;
        }
        if (n == 0)
            break;
    }
    if (w == 0 && n == 0) {
        std::snprintf(text, sizeof text, "0 ");
        return text;
    }
    std::string out = (w < 0 || (w == 0 && n < 0)) ? "-" : "+";
    if (w != 0)
        out += Format("%d ", std::abs(w));
    if (n != 0)
        out += Format("%d/%d ", std::abs(n), d);
    std::snprintf(text, sizeof text, "%s", out.c_str());
    return text;
}

void CShootingInfoTable::Fill(const IVorlatTagControl* tags)
{
    extended_ = true;
    FillDateTime(tags);
    FillFromTags(tags);
}

void CShootingInfoTable::FillDateTime(const IVorlatTagControl* tags)
{
    const TagReader read(tags);
    std::string stamp;
    if (!read.Text(0x132, stamp) || !IsExifDateTime(stamp))
        return;
    QzShootingTime time{};
    time.year = Number(stamp, 0, 4);
    time.month = static_cast<uint16_t>(Number(stamp, 5, 2) - 1);
    time.day = Number(stamp, 8, 2);
    time.hour = Number(stamp, 11, 2);
    time.minute = Number(stamp, 14, 2);
    time.second = Number(stamp, 17, 2);

    // Hundredths: the first two digits, padded on the right ("5" is 50).
    std::string sub;
    if (read.Text(0x9290, sub) && !sub.empty()) {
        if (sub[0] == '.')
            sub.erase(0, 1);
        while (!sub.empty() && sub.back() == ' ')
            sub.pop_back();
        while (sub.size() < 3)
            sub += '0';
        sub.resize(2);
        const int hundredths = IsDigits(sub, 0, 2) ? std::stoi(sub) : 0;
        time.milliseconds = static_cast<uint16_t>(hundredths * 10);
    }
    CQzString date;
    CQzString clock;
    GetShootingDateTimeText().FormatDate(date, time);
    GetShootingDateTimeText().FormatTimeSeconds(clock, time);
    AddField(date + " " + clock, 2);
}

void CShootingInfoTable::FillFromTags(const IVorlatTagControl* tags)
{
    const TagReader read(tags);
    const auto row = [this](int32_t label, const std::string& value, uint32_t field) {
        std::string text = Label(label);
        if (!value.empty())
            text += " " + value;
        AddField(text.c_str(), field);
    };
    int32_t value = 0;

    std::string model;
    const bool haveModel = read.Text(0x110, model);
    if (haveModel) {
        std::string shown = model;
        if (shown.compare(0, 5, "KORVA") == 0)
            shown.replace(0, 5, "Korva");
        AddField(shown.c_str(), 1001);
    }

    if (read.Long(0x80003, value))
        AddField(Label(value == 1 ? 0 : 1).c_str(), 1002);

    // Data format and compression; a kind outside the table shows the labels alone.
    std::string format;
    std::string compression;
    if (read.Long(0x80004, value)) {
        const struct {
            int32_t kind, format, compression;
        } kinds[] = {{0, 3, 9}, {1, 3, 10}, {2, 3, 11}, {0x10, 4, 8}, {0x11, 5, 8}};
        for (const auto& k : kinds) {
            if (k.kind == value) {
                format = Label(k.format);
                compression = Label(k.compression);
            }
        }
        if (value == 0x20) {
            format = Label(6);
            int32_t raw = 0;
            if (!read.Long(0x80093, raw))
                compression = Label(8);
            else if (raw == 1)
                compression = Label(12);
        }
    }
    row(2, format, 1003);
    row(7, compression, 1004);

    int32_t width = 0;
    if (read.Long(0x10000, width)) {
        std::string size;
        if (width == 2000 || width == 2012) {
            size = Label(14);
        } else if (width == 3008 || width == 4028) {
            size = Label(15);
        } else {
            int32_t height = 0;
            read.Long(0x10001, height);
            size = Format("%d x %d", width, height);
        }
        if (!size.empty())
            row(13, size, 1005);
    }

    std::string lens;
    double lensValues[4] = {};
    if (read.Doubles(0x80084, lensValues, 4)) {
        const bool zoom = lensValues[0] != lensValues[1];
        lens = Trimmed(lensValues[0]);
        if (zoom)
            lens += "-" + Trimmed(lensValues[1]);
        lens += Label(17) + " " + Label(18) + Trimmed(lensValues[2]);
        if (zoom)
            lens += "-" + Trimmed(lensValues[3]);
    }
    row(16, lens, 1006);

    std::string focal;
    double focalLength = 0.0;
    if (read.Doubles(0x920A, &focalLength, 1))
        focal = Trimmed(focalLength) + Label(17);
    row(19, focal, 1007);

    std::string mode;
    if (read.Long(0x8822, value)) {
        mode = value >= 1 && value <= 4 ? Label(20 + value) : "?";
        int16_t shift[3] = {};
        if (value == 2 && read.Triple(0x8000D, shift) && shift[0] != 0 && shift[1] != 0)
            mode += "*";
    }
    row(20, mode, 1008);

    std::string metering;
    if (read.Long(0x9207, value)) {
        if (value == 1 || value == 4 || value == 5 || value == 6)
            metering = Label(26);
        else if (value == 2)
            metering = Label(27);
        else if (value == 3)
            metering = Label(28);
        else
            metering = "?";
    }
    row(25, metering, 1009);

    // A time that is not a positive number shows nothing.
    std::string exposure;
    double seconds = 0.0;
    if (read.Doubles(0x829A, &seconds, 1) && std::isfinite(seconds) && seconds > 0.0) {
        if (seconds < 1.0) {
            const double tenths = std::floor((1.0 / seconds + 0.05) * 10.0);
            exposure = "1/" + Trimmed(tenths * 0.1);
        } else {
            exposure = Format("%.2f", seconds);
            if (exposure.size() >= 3 && exposure.compare(exposure.size() - 3, 3, ".00") == 0)
                exposure.resize(exposure.size() - 3);
        }
        exposure += " " + Label(29);
        double fNumber = 0.0;
        if (read.Doubles(0x829D, &fNumber, 1))
            exposure += " - " + Label(18) + Trimmed(fNumber);
    }
    AddField(exposure.c_str(), 1010);

    int16_t triple[3] = {};
    row(30, read.Triple(0x9204, triple) ? FormatFraction(triple[0], triple[1], triple[2]) + Label(31) : "", 1011);
    row(32, read.Triple(0x8000E, triple) ? FormatFraction(triple[0], triple[1], triple[2]) + Label(31) : "", 1012);

    std::string flash = Label(39);
    if (read.Long(0x80008, value)) {
        const struct {
            int32_t code, label;
        } modes[] = {{0, 34}, {0x10, 35}, {1, 36}, {0x11, 37}, {2, 38}};
        flash = "?";
        for (const auto& m : modes) {
            if (m.code == value)
                flash = Label(m.label);
        }
    }
    row(33, flash, 1013);

    if (read.Long(0x80092, value))
        AddField((Label(40) + " " + Format("%ld", static_cast<long>(value))).c_str(), 1021);

    std::string comment;
    const uint32_t commentType = read.Type(0x9286);
    if (commentType && read.Text(0x9286, comment, commentType))
        AddField(comment.c_str(), 1018);

    std::string sensitivity;
    uint16_t iso[2] = {};
    if (read.Pair(0x80002, iso)) {
        if (iso[0] == 0) {
            sensitivity = Label(42) + Format(" %d", iso[1]);
        } else {
            CQzString name(model.c_str());
            const int base = haveModel && name.CompareNoCase("KORVA M4X") ? 800 : 1600;
            int32_t label = 0;
            if (iso[1] == 2 * base)
                label = 43;
            else if (iso[1] == 4 * base)
                label = 44;
            if (label) {
                sensitivity = Label(label);
                const size_t at = sensitivity.find("%1");
                if (at != std::string::npos)
                    sensitivity.replace(at, 2, Format("%d", base));
            } else {
                sensitivity = "?";
            }
        }
    }
    row(41, sensitivity, 1014);

    if (read.Long(0x80005, value)) {
        std::string balance;
        if (value >= 0 && value <= 7)
            balance = Label(46 + value);
        else if (value == 0x17 || value == 0x27 || value == 0x37)
            balance = Label(53) + Format(" %d", (value >> 4) & 0xF);
        else
            balance = "?";
        int32_t fine = 0;
        if (read.Long(0x8000B, fine) && fine != 0)
            balance += Format(" %+d", static_cast<int>(static_cast<int16_t>(fine)));
        AddField(balance.c_str(), 1019);
        row(45, balance, 1015);
    } else {
        row(45, "", 1015);
    }

    std::string tone;
    if (read.Long(0x80081, value)) {
        if (value >= 0 && value <= 3)
            tone = Label(55 + value);
        else if (value == 0x10)
            tone = Label(59);
        else
            tone = "?";
    }
    row(54, tone, 1016);

    std::string sharpening;
    if (read.Long(0x80006, value))
        sharpening = value >= 0 && value <= 3 ? Label(61 + value) : "?";
    row(60, sharpening, 1017);

    if (read.Long(0x8008D, value))
        row(65, value == 1 ? Label(66) : value == 2 ? Label(67) : "?", 1020);

    const auto position = [&](TagId reference, TagId angle, int32_t label, int32_t first, int32_t code,
                              uint32_t field) {
        double parts[3] = {};
        int degrees = 0;
        int minutes = 0;
        if (!read.Doubles(angle, parts, 3) || !WholeInt(parts[0], degrees) || !WholeInt(parts[1], minutes))
            return;
        std::string text = Label(label) + " ";
        int32_t side = 0;
        if (read.Long(reference, side))
            text += (side == code ? Label(first) : side == code + 1 ? Label(first + 1) : "?") + " ";
        text += Format("%d", degrees) + Label(71) + " " + Format("%d", minutes) + Label(72) + " ";
        if (parts[2] != 0.0)
            text += Trimmed(parts[2]) + Label(73);
        AddField(text.c_str(), field);
    };
    position(0x30001, 0x30002, 68, 69, 0, 1022);
    position(0x30003, 0x30004, 74, 75, 2, 1023);
}

int32_t CShootingInfoTable::GetCellWidth(const IQzTextMeasure& measure, int32_t row, int32_t column) const
{
    const auto width = [&measure](const std::string& text) { return measure.TextWidth(text.c_str()); };
    // The widest line (split at line feeds) of the labels from `first` to `last`.
    const auto range = [&](int32_t first, int32_t last) {
        int32_t most = 0;
        for (int32_t index = first; index <= last; ++index) {
            const std::string text = Label(index);
            size_t start = 0;
            while (start <= text.size()) {
                const size_t end = std::min(text.find('\n', start), text.size());
                most = std::max(most, width(text.substr(start, end - start)));
                start = end + 1;
            }
        }
        return most;
    };
    const auto labelled = [&](int32_t label) { return width(Label(label) + " "); };

    switch (GetFieldId(row, column)) {
    case 1001: return width("Korva M4 XX");
    case 2: return width("12/03/1998 14:24:00");
    case 1002: return range(0, 1);
    case 1003: return labelled(2) + range(3, 6);
    case 1004: return labelled(7) + range(8, 12);
    case 1005: return labelled(13) + range(14, 15);
    case 1006: return width(Label(16) + " 9999-9999" + Label(17) + " " + Label(18));
    case 1007: return width(Label(19) + " 9999" + Label(17));
    case 1008: return labelled(20) + width("*") + range(21, 24);
    case 1009: return labelled(25) + range(26, 28);
    case 1010: return width("1/16000 " + Label(29) + " " + Label(18) + "99.9");
    case 1011: return width(Label(30) + " +5.0 " + Label(31));
    case 1012: return width(Label(32) + " +5.0 " + Label(31));
    case 1013: return labelled(33) + range(34, 39);
    case 1014: return std::max(labelled(41) + width("16") + range(43, 44), width("99999 " + Label(42)));
    case 1015: return labelled(45) + width(" +3") + range(46, 53);
    case 1016: return labelled(54) + range(55, 59);
    case 1017: return labelled(60) + range(61, 64);
    case 1020: return labelled(65) + range(66, 67);
    case 1021: return width(Label(40) + " 1");
    case 1022:
        return labelled(68) + range(69, 70) +
               width(" 180" + Label(71) + " 30" + Label(72) + " 30.5" + Label(73));
    case 1023:
        return labelled(74) + range(75, 76) +
               width(" 180" + Label(71) + " 30" + Label(72) + " 30.5" + Label(73));
    default: return 0;
    }
}

#if defined(_WIN32)
int32_t CShootingInfoTable::GetCellWidth(HDC__* dc, int32_t row, int32_t column) const
{
    return GetCellWidth(CQzGdiTextMeasure(dc), row, column);
}
#endif
