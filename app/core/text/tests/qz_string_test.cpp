#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "app/core/text/qz_string.h"
#include "app/core/text/string_resource.h"

namespace {

// The long string-table entries: the alphabet repeated, cut to the length
// that is also the entry's id. The Windows test program has them as resources.
std::string Pattern(size_t length)
{
    std::string text;
    while (text.size() < length)
        text += static_cast<char>('A' + text.size() % 26);
    return text;
}

class QzStringTable : public ::testing::Test {
protected:
#if !defined(_WIN32)
    void SetUp() override
    {
        for (size_t length : {10u, 253u, 254u, 700u})
            table_[static_cast<uint32_t>(length)] = Pattern(length);
        qz::SetStringTable(&table_);
    }
    void TearDown() override { qz::SetStringTable(nullptr); }
    std::map<uint32_t, std::string> table_;
#endif
};

TEST(QzString, DefaultIsEmptyWithAFourByteBuffer)
{
    CQzString text;
    EXPECT_EQ(text.GetLength(), 0);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(text.GetCapacity(), 4u);
    EXPECT_STREQ(text.GetString(), "");
    EXPECT_EQ(text.GetLimit(), -1);
}

TEST(QzString, CountedConstructionCopiesExactlyTheCount)
{
    const CQzString text("abcdef", 3);
    EXPECT_STREQ(text.GetString(), "abc");
    EXPECT_EQ(text.GetCapacity(), 4u);
    EXPECT_STREQ(CQzString(static_cast<const char*>(nullptr)).GetString(), "");
}

TEST(QzString, GrowthIsExactAndNeverShrinks)
{
    CQzString text("abcdefgh");
    EXPECT_EQ(text.GetCapacity(), 9u);
    text.Append("ij");
    EXPECT_EQ(text.GetCapacity(), 11u);
    text = "x";
    EXPECT_EQ(text.GetCapacity(), 11u);
    EXPECT_STREQ(text.GetString(), "x");
}

TEST(QzString, LengthStopsAtTheCapacityWithoutAZeroByte)
{
    CQzString text("abc");
    std::memset(text.GetString(), 'z', text.GetCapacity());
    EXPECT_EQ(text.GetLength(), 0);
    // Nothing reads past the buffer for want of a zero byte.
    EXPECT_EQ(text.Find("z"), -1);
    CQzString other("x");
    other.Append(text);
    EXPECT_STREQ(other.GetString(), "x");
    text.Append(text.GetString() + 1);
    EXPECT_STREQ(text.GetString(), "zzz");
    std::memset(text.GetString(), 'y', text.GetCapacity());
    text = text.GetString() + 2;
    EXPECT_STREQ(text.GetString(), "yy");
}

TEST(QzString, AssignmentCopiesTheWholeBufferAndItsCapacity)
{
    CQzString wide;
    wide.Reserve(100);
    std::strcpy(wide.GetString(), "short");
    CQzString copy;
    copy = wide;
    EXPECT_EQ(copy.GetCapacity(), 100u);
    EXPECT_STREQ(copy.GetString(), "short");
    const CQzString constructed(wide);
    EXPECT_EQ(constructed.GetCapacity(), 100u);
}

TEST(QzString, SourcesInsideTheOwnBufferAreCopiedFirst)
{
    CQzString text("abc");
    text = text;
    EXPECT_STREQ(text.GetString(), "abc");
    text.Append(text);
    EXPECT_STREQ(text.GetString(), "abcabc");
    text.Append(text.GetString() + 4);
    EXPECT_STREQ(text.GetString(), "abcabcbc");
    text = text.GetString() + 2;
    EXPECT_STREQ(text.GetString(), "cabcbc");
}

TEST(QzString, AppendAndConcatenation)
{
    CQzString text("abcdef");
    text.Append("");
    EXPECT_EQ(text.GetCapacity(), 7u);
    text = "ab";
    text.Append('c');
    EXPECT_STREQ(text.GetString(), "abc");
    EXPECT_STREQ((text + CQzString("d")).GetString(), "abcd");
    EXPECT_STREQ((text + "de").GetString(), "abcde");
    EXPECT_STREQ((text + 'z').GetString(), "abcz");
    EXPECT_STREQ(("x" + text).GetString(), "xabc");
}

TEST(QzString, PartsCutAtTheEnds)
{
    const CQzString six("abcdef");
    struct Case {
        const char* what;
        CQzString result;
        const char* expected;
    } cases[] = {
        {"Mid(2, -1)", six.Mid(2, -1), "cdef"},
        {"Mid(2, 99)", six.Mid(2, 99), "cdef"},
        {"Mid(1, 2)", six.Mid(1, 2), "bc"},
        {"Mid(6, 1)", six.Mid(6, 1), ""},
        {"Mid(9, -1)", six.Mid(9, -1), ""},
        {"Mid(-3, 2)", six.Mid(-3, 2), "ab"},
        {"Left(0)", six.Left(0), ""},
        {"Left(4)", six.Left(4), "abcd"},
        {"Left(-1)", six.Left(-1), "abcdef"},
        {"Right(2)", six.Right(2), "ef"},
        {"Right(10) of abc", CQzString("abc").Right(10), "abc"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.result.GetString(), c.expected) << c.what;
    CQzString out("old");
    six.Mid(3, 2, out);
    EXPECT_STREQ(out.GetString(), "de");
}

TEST(QzString, SearchAndComparison)
{
    const CQzString text("hello world");
    EXPECT_EQ(text.Find("world"), 6);
    EXPECT_EQ(text.Find("xyz"), -1);
    EXPECT_EQ(text.FindChar('o'), 4);
    EXPECT_EQ(text.FindChar('q'), -1);
    EXPECT_TRUE(text == CQzString("hello world"));
    EXPECT_TRUE(text != CQzString("hello"));

    struct Case {
        const char* own;
        const char* text;
        int32_t count;
        bool expected;
    } cases[] = {
        {"abc", "ABC", -1, true},
        {"abcd", "ABC", -1, false},
        {"abcd", "ABC", 3, true},
        {"ab", "ABC", 3, false},
        {"abc", "AB", 3, false},
        {"", "xyz", 0, true},
        {"Ab1", "aB1", -1, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CQzString(c.own).CompareNoCase(c.text, c.count), c.expected) << c.own << " " << c.count;
}

TEST(QzString, TrimRightRemovesOnlyTrailingBlanks)
{
    CQzString text("name \t ");
    text.TrimRight();
    EXPECT_STREQ(text.GetString(), "name \t");
    CQzString blanks("   ");
    blanks.TrimRight();
    EXPECT_TRUE(blanks.IsEmpty());
}

TEST(QzString, CopyToKeeps255Characters)
{
    const std::string long300(300, 'q');
    const CQzString text(long300.c_str());
    char buffer[256];
    std::memset(buffer, 1, sizeof buffer);
    text.CopyTo(buffer);
    EXPECT_EQ(std::string(buffer), long300.substr(0, 255));
}

TEST(QzString, GetBufferAtGrowsTheBuffer)
{
    CQzString text("ab");
    char* at = text.GetBufferAt(20);
    EXPECT_GE(text.GetCapacity(), 21u);
    *at = 'x';
    EXPECT_STREQ(text.GetString(), "ab");
}

TEST_F(QzStringTable, LoadsShortAndLongEntriesWhole)
{
    // 253 characters fit the 256-character scratch buffer with room to spare;
    // from 254 the string loads in growing passes.
    for (uint32_t length : {10u, 253u, 254u, 700u}) {
        CQzString text("previous");
        text.LoadString(length);
        EXPECT_EQ(std::string(text.GetString()), Pattern(length)) << length;
    }
    CQzString text;
    text.LoadString(700);
    EXPECT_EQ(text.GetCapacity(), 768u);
}

TEST_F(QzStringTable, MissingEntryGivesTheEmptyText)
{
    CQzString text("previous");
    text.LoadString(4321);
    EXPECT_TRUE(text.IsEmpty());
}

}  // namespace
