// The shooting data of an image (camera, date, format, lens, exposure, flash,
// sensitivity, white balance, tone, colour, position) as display texts, made
// once from the image's tags, laid out as a grid of 6 rows and 4 columns.
#pragma once

#include <cstdint>
#include <map>

#include "app/core/shooting/shooting_seams.h"
#include "app/core/text/qz_string.h"

class IVorlatTagControl;

class CShootingInfoTable {
public:
    CShootingInfoTable() = default;
    CShootingInfoTable(const CShootingInfoTable& other);
    CShootingInfoTable& operator=(const CShootingInfoTable& other);

    void Fill(const IVorlatTagControl* tags);
    // Replaces the text of an id already present; a CQzString keeps at most 255 characters.
    void AddField(const char* text, uint32_t field);
    void AddField(const CQzString& text, uint32_t field);
    // "" when the field is not there.
    const char* GetFieldText(uint32_t field) const;
    bool HasField(uint32_t field) const { return fields_.count(field) != 0; }

    int32_t GetRowCount() const { return extended_ ? 6 : 5; }
    int32_t GetColumnCount() const { return extended_ ? 4 : 3; }
    uint32_t GetFieldId(int32_t row, int32_t column) const;
    const char* GetCellText(int32_t row, int32_t column) const { return GetFieldText(GetFieldId(row, column)); }
    // Column by column, each non-empty cell and "\r"; two "\r" first when
    // the output already holds text.
    void FormatAsText(CQzString& out) const;
    // The widest text the cell can need.
    int32_t GetCellWidth(const IQzTextMeasure& measure, int32_t row, int32_t column) const;
#if defined(_WIN32)
    int32_t GetCellWidth(HDC__* dc, int32_t row, int32_t column) const;
#endif
    void SetExtended(bool extended) { extended_ = extended; }

    // The text of a label of the table, by its index (0 to 76), from the
    // string table; empty when the table lacks it.
    static void LoadLabel(CQzString& out, int32_t index);
    // "+1 1/3 ": a·b/c as a signed whole and a fraction, each followed by a blank.
    static const char* FormatFraction(int16_t a, int16_t b, int16_t c);

    static constexpr int32_t kLabelCount = 77;
    // The label's string-table id.
    static uint32_t GetLabelId(int32_t index);

private:
    void FillDateTime(const IVorlatTagControl* tags);
    void FillFromTags(const IVorlatTagControl* tags);

    std::map<uint32_t, CQzString> fields_;
    bool extended_ = true;
};
