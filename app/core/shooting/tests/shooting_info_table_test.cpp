#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/core/shooting/shooting_info_table.h"
#include "app/core/shooting/tests/shooting_test_util.h"

using namespace shooting_test;

namespace {

TEST(ShootingInfoTable, AnImageWithoutTagsShowsTheLabelledRows)
{
    Tags none;
    CShootingInfoTable table;
    table.Fill(none.tags);
    const struct {
        uint32_t field;
        const char* text;
    } rows[] = {
        {1003, "Data Format:"}, {1004, "Compression:"}, {1006, "Lens:"}, {1007, "Focal Length:"},
        {1008, "Exposure Mode:"}, {1009, "Metering Mode:"}, {1010, ""}, {1011, "Exposure Comp.:"},
        {1012, "Exposure Difference:"}, {1013, "Flash Sync Mode: Not Attached"}, {1014, "Sensitivity:"},
        {1015, "White Balance:"}, {1016, "Tone Comp:"}, {1017, "Sharpening:"},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(table.HasField(row.field)) << row.field;
        EXPECT_STREQ(table.GetFieldText(row.field), row.text) << row.field;
    }
    for (uint32_t absent : {1001u, 2u, 1002u, 1005u, 1018u, 1019u, 1020u, 1021u, 1022u, 1023u})
        EXPECT_FALSE(table.HasField(absent)) << absent;
    EXPECT_EQ(table.GetRowCount(), 6);
    EXPECT_EQ(table.GetColumnCount(), 4);
    EXPECT_STREQ(table.GetCellText(1, 2), "Flash Sync Mode: Not Attached");
    EXPECT_STREQ(table.GetCellText(5, 3), "");
    table.SetExtended(false);
    EXPECT_EQ(table.GetRowCount(), 5);
    EXPECT_STREQ(table.GetCellText(1, 2), "");
}

TEST(ShootingInfoTable, ValueRows)
{
    struct Case {
        const char* name;
        void (*set)(Tags&);
        uint32_t field;
        const char* text;
    } cases[] = {
        {"1/250", [](Tags& t) { t.Doubles(0x829A, {0.004}); }, 1010, "1/250 sec"},
        {"1/2.5", [](Tags& t) { t.Doubles(0x829A, {0.4}); }, 1010, "1/2.5 sec"},
        {"2 s", [](Tags& t) { t.Doubles(0x829A, {2.0}); }, 1010, "2 sec"},
        {"1.5 s", [](Tags& t) { t.Doubles(0x829A, {1.5}); }, 1010, "1.50 sec"},
        {"with f-number", [](Tags& t) { t.Doubles(0x829A, {0.004}); t.Doubles(0x829D, {5.6}); }, 1010,
         "1/250 sec - f/5.6"},
        {"zero time", [](Tags& t) { t.Doubles(0x829A, {0.0}); }, 1010, ""},
        {"negative time", [](Tags& t) { t.Doubles(0x829A, {-1.0}); }, 1010, ""},
        {"infinite time", [](Tags& t) { t.Doubles(0x829A, {HUGE_VAL}); }, 1010, ""},
        {"tiny time", [](Tags& t) { t.Doubles(0x829A, {1e-300}); }, 1010, nullptr},
        {"zoom lens", [](Tags& t) { t.Doubles(0x80084, {24, 85, 2.8, 4}); }, 1006, "Lens: 24-85mm f/2.8-4"},
        {"prime lens", [](Tags& t) { t.Doubles(0x80084, {50, 50, 1.4, 1.4}); }, 1006, "Lens: 50mm f/1.4"},
        {"focal length", [](Tags& t) { t.Doubles(0x920A, {10.0}); }, 1007, "Focal Length: 10mm"},
        {"bias -2/3", [](Tags& t) { t.Triple(0x9204, 1, -2, 3); }, 1011, "Exposure Comp.: -2/3 EV"},
        {"bias 0", [](Tags& t) { t.Triple(0x9204, 0, 1, 3); }, 1011, "Exposure Comp.: 0 EV"},
        {"preset white balance", [](Tags& t) { t.Long(0x80005, 0x27); t.Long(0x8000B, -2); }, 1019, "Preset 2 -2"},
        {"white balance row", [](Tags& t) { t.Long(0x80005, 0x27); t.Long(0x8000B, 3); }, 1015,
         "White Balance: Preset 2 +3"},
        {"width 4028", [](Tags& t) { t.Long(0x10000, 4028); }, 1005, "Image Size: Large (3008 x 1960)"},
        {"other size", [](Tags& t) { t.Long(0x10000, 640); t.Long(0x10001, 480); }, 1005, "Image Size: 640 x 480"},
        {"raw lossless", [](Tags& t) { t.Long(0x80004, 0x20); t.Long(0x80093, 1); }, 1004, "Compression: Lossless"},
        {"raw format", [](Tags& t) { t.Long(0x80004, 0x20); }, 1003, "Data Format: RAW (12-bit)"},
        {"model", [](Tags& t) { t.Text(0x110, "KORVA M4X"); }, 1001, "Korva M4X"},
        {"iso", [](Tags& t) { t.Pair(0x80002, 0, 400); }, 1014, "Sensitivity: ISO 400"},
        {"over 800", [](Tags& t) { t.Text(0x110, "korva m4x"); t.Pair(0x80002, 1, 1600); }, 1014,
         "Sensitivity: 1 Step Over 800"},
        {"over 1600", [](Tags& t) { t.Text(0x110, "KORVA M4H"); t.Pair(0x80002, 1, 6400); }, 1014,
         "Sensitivity: 2 Steps Over 1600"},
        {"programmed shift", [](Tags& t) { t.Long(0x8822, 2); t.Triple(0x8000D, 1, 1, 1); }, 1008,
         "Exposure Mode: Programmed Auto*"},
        {"metering", [](Tags& t) { t.Long(0x9207, 5); }, 1009, "Metering Mode: Multi-Pattern"},
        {"flash", [](Tags& t) { t.Long(0x80008, 0x11); }, 1013, "Flash Sync Mode: Red Eye Slow"},
        {"hue", [](Tags& t) { t.Long(0x80092, -3); }, 1021, "Hue Adjustment: -3"},
        {"colour mode", [](Tags& t) { t.Long(0x8008D, 2); }, 1020, "Color Mode: Mode II (Adobe RGB)"},
        {"latitude", [](Tags& t) { t.Doubles(0x30002, {33, 51, 35.9}); t.Long(0x30001, 1); }, 1022,
         "Latitude: S 33\xB0 51' 35.9\""},
        {"longitude", [](Tags& t) { t.Doubles(0x30004, {151, 12, 0}); t.Long(0x30003, 3); }, 1023,
         "Longitude: W 151\xB0 12' "},
        {"huge degrees", [](Tags& t) { t.Doubles(0x30002, {1e300, 0, 0}); }, 1022, nullptr},
        {"date", [](Tags& t) { t.Text(0x132, "2024:05:06 07:08:09"); t.Text(0x9290, "5"); }, 2,
         "2024/05/06 07:08:09.5"},
        {"date with dot", [](Tags& t) { t.Text(0x132, "2024:05:06 07:08:09"); t.Text(0x9290, ".25 "); }, 2,
         "2024/05/06 07:08:09.2"},
        {"not a date", [](Tags& t) { t.Text(0x132, "2024-05-06 07:08"); }, 2, nullptr},
    };
    for (const Case& c : cases) {
        Tags tags;
        c.set(tags);
        CShootingInfoTable table;
        table.Fill(tags.tags);
        if (!c.text) {
            EXPECT_TRUE(std::string(c.name) == "tiny time" ? table.HasField(c.field) : !table.HasField(c.field))
                << c.name;
            continue;
        }
        EXPECT_STREQ(table.GetFieldText(c.field), c.text) << c.name;
    }
}

TEST(ShootingInfoTable, FormatAsTextAndLongTexts)
{
    CShootingInfoTable table;
    table.AddField("model", 1001);
    table.AddField("lens", 1006);
    table.AddField("white", 1015);
    CQzString out;
    table.FormatAsText(out);
    EXPECT_STREQ(out, "model\rlens\rwhite\r");
    CQzString more("caption");
    table.FormatAsText(more);
    EXPECT_STREQ(more, "caption\r\rmodel\rlens\rwhite\r");

    const std::string longText(300, 'x');
    table.AddField(CQzString(longText.c_str()), 1018);
    EXPECT_EQ(std::string(table.GetFieldText(1018)), longText.substr(0, 255));
    table.AddField(longText.c_str(), 1018);
    EXPECT_EQ(std::string(table.GetFieldText(1018)), longText);

    CShootingInfoTable copy(table);
    EXPECT_STREQ(copy.GetFieldText(1006), "lens");
}

TEST(ShootingInfoTable, CellWidthsComeFromTheMeasure)
{
    const CQzFixedWidthMeasure measure(10);
    CShootingInfoTable table;
    EXPECT_EQ(table.GetCellWidth(measure, 0, 0), 110);  // an 11-character model name
    EXPECT_EQ(table.GetCellWidth(measure, 1, 0), 190);  // "12/03/1998 14:24:00"
    // "Flash Sync Mode: " and the widest of its values, "Red Eye Reduction".
    EXPECT_EQ(table.GetCellWidth(measure, 1, 2), (17 + 17) * 10);
    EXPECT_EQ(table.GetCellWidth(measure, 5, 2), 0);
    EXPECT_EQ(table.GetCellWidth(measure, 5, 3), 0);
}

// The sign, whole and fraction that FormatFraction shows are a·b/c exactly,
// with a fraction below one.
TEST(ShootingInfoTable, FormatFractionIsExact)
{
    EXPECT_STREQ(CShootingInfoTable::FormatFraction(4, 1, 3), "+1 1/3 ");
    EXPECT_STREQ(CShootingInfoTable::FormatFraction(-2, 1, 3), "-2/3 ");
    EXPECT_STREQ(CShootingInfoTable::FormatFraction(6, 1, 6), "+1 ");
    EXPECT_STREQ(CShootingInfoTable::FormatFraction(1, 2, -3), "-2/3 ");
    EXPECT_STREQ(CShootingInfoTable::FormatFraction(0, 5, 7), "0 ");
    for (int a = -12; a <= 12; ++a) {
        for (int b = -6; b <= 6; ++b) {
            for (int c = -12; c <= 12; ++c) {
                const std::string text = CShootingInfoTable::FormatFraction(
                    static_cast<int16_t>(a), static_cast<int16_t>(b), static_cast<int16_t>(c));
                // A zero anywhere, the divisor included, reads "0 ".
                if (c == 0) {
                    ASSERT_EQ(text, "0 ");
                    continue;
                }
                long long num = 0;
                long long den = 1;
                if (text != "0 ") {
                    ASSERT_TRUE(text[0] == '+' || text[0] == '-') << text;
                    const int sign = text[0] == '-' ? -1 : 1;
                    long long whole = 0, n = 0, d = 1;
                    const char* p = text.c_str() + 1;
                    int used = 0;
                    if (std::sscanf(p, "%lld/%lld %n", &n, &d, &used) == 2 && p[used] == '\0') {
                    } else {
                        ASSERT_GE(std::sscanf(p, "%lld %n", &whole, &used), 1) << text;
                        n = 0;
                        d = 1;
                        if (p[used] != '\0') {
                            ASSERT_EQ(std::sscanf(p + used, "%lld/%lld ", &n, &d), 2) << text;
                        }
                    }
                    ASSERT_GT(d, 0) << text;
                    ASSERT_GE(n, 0) << text;
                    ASSERT_LT(n, d) << text;
                    num = sign * (whole * d + n);
                    den = d;
                }
                // num / den == a·b / c
                ASSERT_EQ(num * c, static_cast<long long>(a) * b * den) << a << " " << b << " " << c << " " << text;
            }
        }
    }
}

}  // namespace
