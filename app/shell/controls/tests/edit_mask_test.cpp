#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/shell/controls/edit_mask.h"

namespace {

TEST(EditMask, KeepsOnlyMaskCharactersInUpperCase)
{
    struct Case {
        const char* given;
        const char* stored;
    } cases[] = {{"x!q9", "X!9"}, {"X!019", "X!019"}, {"abc", ""}, {"00/00", "0000"}, {"", ""}};
    for (const Case& c : cases)
        EXPECT_EQ(shell::CleanMask(c.given), c.stored) << c.given;
    EXPECT_EQ(shell::CleanMask(nullptr), "");
}

TEST(EditMask, PositionsAcceptWhatTheirMaskCharacterAllows)
{
    struct Case {
        char mask, typed, stored;
    } cases[] = {
        {'X', 'a', 'a'}, {'X', '5', '5'}, {'!', 'a', 'A'}, {'!', '%', '%'}, {'0', '5', '5'},
        {'0', 'a', 0},   {'1', 'z', 0},   {'9', '9', '9'}, {'9', '-', 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::MaskAccepts(c.mask, c.typed), c.stored) << c.mask << " " << c.typed;
    EXPECT_TRUE(shell::IsRightAlignedMask("999"));
    EXPECT_FALSE(shell::IsRightAlignedMask("990"));
    EXPECT_FALSE(shell::IsRightAlignedMask(""));
}

TEST(EditMask, PadsTheClosingRunOfZeros)
{
    struct Case {
        const char* text;
        const char* mask;
        const char* padded;
    } cases[] = {
        {"5", "00", "05"},   {"", "00", "00"},      {"12", "00", "12"},  {"1", "1111", "1"},
        {"A", "X00", "A00"}, {"", "XX00", "  00"},  {"AB7", "XX00", "AB07"},
        {"7", "0X", "7"},  // the mask does not end in '0'
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::PadZeroRun(c.text, c.mask), c.padded) << c.text << " " << c.mask;
}

TEST(EditPicture, CutsLiteralsAndFields)
{
    const auto segments = shell::ParsePicture("%0%0/%0%0/%1%1%1%1");
    ASSERT_EQ(segments.size(), 4u);
    const char* literals[] = {"", "/", "/", ""};
    const char* masks[] = {"00", "00", "1111", ""};
    for (size_t i = 0; i < segments.size(); ++i) {
        EXPECT_EQ(segments[i].literal, literals[i]) << i;
        EXPECT_EQ(segments[i].mask, masks[i]) << i;
        EXPECT_EQ(segments[i].hasField, i < 3) << i;
    }

    // Two '%' give one literal '%'; a '%' before a non-mask character is dropped.
    const auto literal = shell::ParsePicture("A%%%0%q");
    ASSERT_EQ(literal.size(), 2u);
    EXPECT_EQ(literal[0].literal, "A%");
    EXPECT_EQ(literal[0].mask, "0");
    EXPECT_EQ(literal[1].literal, "q");
    EXPECT_FALSE(literal[1].hasField);

    const auto none = shell::ParsePicture("");
    ASSERT_EQ(none.size(), 1u);
    EXPECT_FALSE(none[0].hasField);
}

TEST(EditPicture, DatePictureFollowsTheLocaleOrder)
{
    struct Case {
        char order;
        const char* separator;
        const char* picture;
    } cases[] = {
        {'0', "/", "%0%0/%0%0/%1%1%1%1"},
        {'1', ".", "%0%0.%0%0.%1%1%1%1"},
        {'2', "-", "%9%9%9%9-%0%0-%0%0"},
        {'3', "/", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::DatePicture(c.order, c.separator), c.picture) << c.order;
}

TEST(EditPicture, SplitsATextIntoItsFields)
{
    const auto segments = shell::ParsePicture("%0%0/%0%0/%1%1%1%1");
    using Fields = std::vector<std::string>;
    EXPECT_EQ(shell::SplitPictureText(segments, "12/31/2002", true, true), (Fields{"12", "31", "2002"}));
    EXPECT_EQ(shell::SplitPictureText(segments, "12312002", false, true), (Fields{"12", "31", "2002"}));
    EXPECT_EQ(shell::SplitPictureText(segments, "1 /3", true, true), (Fields{"1", "3", ""}));
    EXPECT_EQ(shell::SplitPictureText(segments, "1 /3", true, false), (Fields{"1 ", "3", ""}));
}

}  // namespace
