#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "fileio/tests/fileio_fixture.h"

using namespace quarnite;
using fileio_test::Cause;
using fileio_test::MemoryStream;
using fileio_test::Store;

namespace {

// One 12-byte entry at offset 0 followed by `data` at offset 12.
std::vector<uint8_t> Entry(bool big, uint16_t tag, uint16_t type, uint32_t count, std::vector<uint8_t> field,
                           std::vector<uint8_t> data = {})
{
    auto put16 = [&](std::vector<uint8_t>& v, uint16_t x) {
        if (big) { v.push_back(uint8_t(x >> 8)); v.push_back(uint8_t(x)); }
        else { v.push_back(uint8_t(x)); v.push_back(uint8_t(x >> 8)); }
    };
    std::vector<uint8_t> v;
    put16(v, tag);
    put16(v, type);
    for (int i = 0; i < 4; ++i)
        v.push_back(uint8_t(big ? count >> (24 - 8 * i) : count >> (8 * i)));
    field.resize(4, 0);
    v.insert(v.end(), field.begin(), field.end());
    v.insert(v.end(), data.begin(), data.end());
    return v;
}

// Reads the entry's tag number and hands the codec the rest.
struct EntryReader {
    MemoryStream m;
    IfdCodec codec;
    EntryReader(std::vector<uint8_t> bytes, IVorlatTagControl* tags, bool big) : m(std::move(bytes))
    {
        codec.Attach(tags, m.stream, big);
        uint16_t tag = 0;
        EXPECT_EQ(0, Cause(codec.cursor.ReadU16(&tag)));
    }
    int32_t Position()
    {
        int32_t at = 0;
        EXPECT_EQ(0, Cause(m.stream->Tell(&at)));
        return at;
    }
};

} // namespace

TEST(IfdEntry, ShortOfCountOneReadsFromTheFirstBytesInEitherOrder)
{
    for (bool big : {false, true}) {
        Store s;
        std::vector<uint8_t> field = big ? std::vector<uint8_t>{0x01, 0x02} : std::vector<uint8_t>{0x02, 0x01};
        EntryReader r(Entry(big, 0x112, kTiffShort, 1, field), s.tags, big);
        uint32_t value = 0, count = 0;
        ASSERT_EQ(0, Cause(r.codec.ReadIntegerArray(&value, 1, &count)));
        EXPECT_EQ(0x0102u, value);
        EXPECT_EQ(12, r.Position());
    }
}

TEST(IfdEntry, ReadersRefuseWrongTypesAndCounts)
{
    Store s;
    uint32_t values[2];
    {
        EntryReader r(Entry(false, 1, kTiffAscii, 1, {'a'}), s.tags, false);
        EXPECT_EQ(1408, Cause(r.codec.ReadIntegerArray(values, 2, nullptr)));
    }
    {
        EntryReader r(Entry(false, 1, kTiffLong, 3, {12}, std::vector<uint8_t>(12, 1)), s.tags, false);
        EXPECT_EQ(1014, Cause(r.codec.ReadIntegerArray(values, 2, nullptr)));
    }
    {
        // Values said to lie past the stream's end are not read.
        EntryReader r(Entry(false, 1, kTiffLong, 2, {200}), s.tags, false);
        EXPECT_EQ(1103, Cause(r.codec.ReadIntegerArray(values, 2, nullptr)));
    }
    {
        EntryReader r(Entry(false, 1, kTiffShort, 1, {1}), s.tags, false);
        std::vector<uint8_t> block;
        EXPECT_EQ(1408, Cause(r.codec.ReadByteBlock(&block)));
    }
}

TEST(IfdEntry, ZeroDenominatorGivesZeroOrRemovesTheTag)
{
    Store s;
    std::vector<uint8_t> rational = {5, 0, 0, 0, 0, 0, 0, 0};
    {
        EntryReader r(Entry(false, 0x829A, kTiffRational, 1, {12}, rational), s.tags, false);
        double value = 1.0;
        uint32_t count = 0;
        ASSERT_EQ(0, Cause(r.codec.ReadRationalArray(&value, 1, &count)));
        EXPECT_EQ(0.0, value);
        EXPECT_EQ(12, r.Position());
    }
    {
        EntryReader r(Entry(false, 0x829A, kTiffRational, 1, {12}, rational), s.tags, false);
        ASSERT_EQ(0, Cause(r.codec.ReadEntryToStore(0x829A, kTagTypeDoubles)));
        EXPECT_FALSE(s->IsExist(0x829A, 0));
        EXPECT_EQ(12, r.Position());
    }
}

TEST(IfdEntry, StoreReadingSkipsWhatItCannotTake)
{
    struct Case { const char* what; uint16_t tag; uint16_t type; uint32_t count; std::vector<uint8_t> field; uint32_t storeType; bool stored; } cases[] = {
        {"unknown id", 0x100, kTiffLong, 1, {1}, kTagTypeLongs, false},
        {"text as short", 0x10F, kTiffShort, 1, {1}, kTagTypeText, false},
        {"text past the end", 0x10F, kTiffAscii, 100, {200}, kTagTypeText, false},
        {"text inline", 0x10F, kTiffAscii, 3, {'a', 'b', 0}, kTagTypeText, true},
        {"sshort as long", 0x112, kTiffSShort, 1, {0xFF, 0xFF}, kTagTypeLongs, true},
    };
    for (const Case& c : cases) {
        Store s;
        EntryReader r(Entry(false, c.tag, c.type, c.count, c.field), s.tags, false);
        EXPECT_EQ(0, Cause(r.codec.ReadEntryToStore(c.tag, c.storeType))) << c.what;
        EXPECT_EQ(c.stored, s->IsExist(c.tag, 0)) << c.what;
        EXPECT_EQ(12, r.Position()) << c.what;
    }
    Store s;
    EntryReader r(Entry(false, 0x112, kTiffSShort, 1, {0xFF, 0xFF}), s.tags, false);
    ASSERT_EQ(0, Cause(r.codec.ReadEntryToStore(0x112, kTagTypeLongs)));
    EXPECT_EQ(std::vector<uint32_t>{0xFFFF}, s.Longs(0x112));  // zero-extended
}

TEST(IfdEntry, SRationalIntoTripleFitsSixteenBits)
{
    struct Case { int32_t num; int32_t den; double value; } cases[] = {
        {-2, 3, -2.0 / 3}, {100000, 200000, 0.5}, {1000000, 3, 333333.33}, {123457, 100000, 1.23457},
    };
    for (const Case& c : cases) {
        int16_t t[3];
        ASSERT_TRUE(RationalToTriple(c.num, c.den, t));
        double value = double(t[0]) * t[1] / t[2];
        EXPECT_NEAR(std::min(std::fabs(c.value), 32767.0), std::fabs(value), 1e-3 * std::max(1.0, std::fabs(value))) << c.num;
        EXPECT_EQ(c.value < 0, value < 0);
    }
    int16_t t[3];
    EXPECT_FALSE(RationalToTriple(1, 0, t));
}

TEST(IfdEntry, DoublesToRationalsFollowsItsRule)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case { double v; bool isSigned; uint32_t num; uint32_t den; } cases[] = {
        {0.5, false, 5, 10}, {1.0 / 3, false, 1, 3}, {1e9, false, 1000000000, 1}, {72.0, false, 72, 1},
        {0.004, false, 4, 1000}, {3e9, false, 3000000000u, 1}, {5e9, true, 0x7FFFFFFF, 1},
        {-0.5, true, static_cast<uint32_t>(-5), 10}, {-1000.25, true, static_cast<uint32_t>(-100025), 100},
        {-2.0, false, 0, 1}, {-5e9, true, 0x80000000u, 1}, {1e-12, false, 0, 100000000},
        {std::numeric_limits<double>::max(), false, 0xFFFFFFFFu, 1},
        {std::numeric_limits<double>::lowest(), true, 0x80000000u, 1},
        // What a reader's division by zero stored goes back with a zero denominator.
        {nan, false, 0, 0}, {nan, true, 0, 0}, {inf, false, 1, 0}, {inf, true, 1, 0},
        {-inf, true, 0xFFFFFFFFu, 0}, {-inf, false, 0, 1},
    };
    for (const Case& c : cases) {
        uint32_t pair[2] = {99, 99};
        DoublesToRationals(&c.v, pair, 1, c.isSigned);
        EXPECT_EQ(c.num, pair[0]) << c.v;
        EXPECT_EQ(c.den, pair[1]) << c.v;
    }
}

// Ratios of a zero denominator reach the store as infinities or NaN (the
// QuickTime reader divides as it finds them); written back they are defined
// rationals over 0 in the field's own type and byte order.
TEST(IfdEntry, NonFiniteStoredValuesAreWrittenOverZero)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case { uint16_t type; std::vector<double> values; std::vector<uint32_t> words; } cases[] = {
        {kTiffRational, {inf}, {1, 0}},
        {kTiffRational, {nan}, {0, 0}},
        {kTiffRational, {1.0 / 60, inf, nan, -inf}, {5, 300, 1, 0, 0, 0, 0, 1}},
        {kTiffSRational, {-inf, inf, -0.5}, {0xFFFFFFFFu, 0, 1, 0, static_cast<uint32_t>(-5), 10}},
    };
    for (bool big : {false, true}) {
        for (const Case& c : cases) {
            Store s;
            s.SetDoubles(0x829A, c.values);
            MemoryStream out(std::vector<uint8_t>(128, 0), false);
            IfdCodec w;
            w.Attach(s.tags, out.stream, big);
            w.nextDataOffset = 12;
            ASSERT_EQ(0, Cause(w.WriteTagEntry(0x829A, c.type)));
            ASSERT_EQ(0, Cause(w.FlushData()));
            const std::vector<uint8_t> bytes = out.Written();
            ASSERT_EQ(12 + 4 * c.words.size(), bytes.size());
            std::vector<uint32_t> words;
            for (size_t at = 12; at < bytes.size(); at += 4) {
                uint32_t v = 0;
                for (int i = 0; i < 4; ++i)
                    v |= uint32_t(bytes[at + i]) << (8 * (big ? 3 - i : i));
                words.push_back(v);
            }
            EXPECT_EQ(c.words, words) << c.values.size() << (big ? " MM" : " II");
        }
    }
}

TEST(IfdEntry, OrientationFromAngle)
{
    struct Case { bool mirror; double angle; int orientation; } cases[] = {
        {false, 0, 1}, {true, 0, 2}, {false, 90, 6}, {true, 90, 5}, {false, 180, 3}, {true, 180, 4},
        {false, 270, 8}, {true, 270, 7}, {false, 450, 6}, {false, -30, 1}, {false, 315, 1}, {false, 44.9, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.orientation, OrientationFromAngle(c.mirror, c.angle)) << c.angle;
}

TEST(IfdEntry, WritesOutOfLineValuesEvenAndReadsThemBackInBothOrders)
{
    for (bool big : {false, true}) {
        Store s;
        s.SetText(0x10F, "Kors");         // 5 bytes with the terminator: out of line, padded
        s.SetDoubles(0x829A, {0.5});
        s.SetLongs(0x8827, {400});
        s.SetBytes(0x0203, 1, {7, 8}, 1);  // unknown BYTE of count 2
        s.SetBytes(0x0204, 3, {1, 0, 2, 0, 3, 0}, 1);
        MemoryStream out(std::vector<uint8_t>(256, 0), false);
        IfdCodec w;
        w.Attach(s.tags, out.stream, big);
        w.nextDataOffset = 5 * 12;
        ASSERT_EQ(0, Cause(w.WriteTagEntry(0x10F, kTiffAscii)));
        EXPECT_EQ(5 * 12 + 6u, w.nextDataOffset);
        ASSERT_EQ(0, Cause(w.WriteTagEntry(0x829A, kTiffRational)));
        ASSERT_EQ(0, Cause(w.WriteTagEntry(0x8827, kTiffShort)));
        ASSERT_EQ(0, Cause(w.WriteUnknownTagEntry(0x0203, 1)));
        ASSERT_EQ(0, Cause(w.WriteUnknownTagEntry(0x0204, 1)));
        ASSERT_EQ(0, Cause(w.FlushData()));
        std::vector<uint8_t> bytes = out.Written();

        Store back;
        MemoryStream in(bytes);
        IfdCodec r;
        r.Attach(back.tags, in.stream, big);
        uint16_t tag = 0;
        const uint32_t storeTypes[] = {kTagTypeText, kTagTypeDoubles, kTagTypeLongs};
        for (uint32_t type : storeTypes) {
            ASSERT_EQ(0, Cause(r.cursor.ReadU16(&tag)));
            ASSERT_EQ(0, Cause(r.ReadEntryToStore(tag, type)));
        }
        for (int i = 0; i < 2; ++i) {
            ASSERT_EQ(0, Cause(r.cursor.ReadU16(&tag)));
            ASSERT_EQ(0, Cause(r.ReadUnknownEntryToStore(tag, 1)));
        }
        EXPECT_EQ("Kors", back.Text(0x10F));
        EXPECT_EQ(std::vector<double>{0.5}, back.Doubles(0x829A));
        EXPECT_EQ(std::vector<uint32_t>{400}, back.Longs(0x8827));
        EXPECT_EQ((std::vector<uint8_t>{7, 8}), back.Bytes(0x0203, 1));
        EXPECT_EQ(1u, back->GetTagType(0x0203, 1));
        EXPECT_EQ((std::vector<uint8_t>{1, 0, 2, 0, 3, 0}), back.Bytes(0x0204, 1));
    }
}

TEST(IfdEntry, UnknownEntryOfInvalidTypeFails)
{
    for (uint16_t type : {0, 6, 11}) {
        Store s;
        EntryReader r(Entry(false, 0x4000, type, 1, {1}), s.tags, false);
        EXPECT_EQ(1070, Cause(r.codec.ReadUnknownEntryToStore(0x4000, 1))) << type;
    }
}

TEST(IfdEntry, LegacyHueIsWrittenInTheFileScale)
{
    struct Case { const char* model; int32_t stored; uint32_t written; } cases[] = {
        {"KORVA M4X", 3 * 5 - 9, 5}, {"korva m4h", 3 * 2 - 9, 2}, {"Mod KORVA M4H", 3 * 7 - 9, 7}, {"KORVA M9", -4, 0xFFFC},
    };
    for (const Case& c : cases) {
        Store s;
        s.SetText(0x110, c.model);
        s.SetLongs(0x80092, {static_cast<uint32_t>(c.stored)});
        MemoryStream out(std::vector<uint8_t>(64, 0), false);
        IfdCodec w;
        w.Attach(s.tags, out.stream, false);
        ASSERT_EQ(0, Cause(w.WriteTagEntry(0x80092, kTiffSShort)));
        std::vector<uint8_t> bytes = out.Written();
        EXPECT_EQ(c.written, uint32_t(bytes[8] | bytes[9] << 8)) << c.model;
        EXPECT_EQ(std::vector<uint32_t>{static_cast<uint32_t>(c.stored)}, s.Longs(0x80092));
    }
}
