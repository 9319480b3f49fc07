// Masks of the masked fields and pictures of the picture edit. A mask holds
// one character per position: 'X' any printable character, '!' one stored
// in upper case, '0' '1' '9' a digit; a closing run of '0' is padded with
// leading zeros when the field is left, and a mask of nothing but '9' makes
// the field right-aligned. A picture mixes literal text with "%c" mask
// characters: "%0%0/%0%0/%1%1%1%1" is a date of three fields.
#pragma once

#include <string>
#include <vector>

namespace shell {

// Lower case made upper case, everything but the five mask characters dropped.
std::string CleanMask(const char* mask);

// The character stored for `ch` typed at a position of mask character `m`, or
// 0 when the position refuses it.
char MaskAccepts(char m, char ch);

bool IsRightAlignedMask(const std::string& mask);

// The text of a field leaving the focus: when the mask ends in a run of n '0'
// from position s, the text is blank-padded to s and its tail from s given
// leading zeros up to n characters.
std::string PadZeroRun(const std::string& text, const std::string& mask);

// One piece of a picture: the literal before a field and the field's mask.
// The last segment holds the trailing literal and no field.
struct PictureSegment {
    std::string literal;
    std::string mask;
    bool hasField = false;
};
std::vector<PictureSegment> ParsePicture(const char* picture);

// The date picture of a locale's date order ('0' month-day-year, '1'
// day-month-year, '2' year-month-day) and separator; empty for another order.
std::string DatePicture(char order, const char* separator);

// Cuts a whole text into the fields' texts: per segment, the literal's length
// skipped (with skipSeparators), then at most the mask's length taken, its
// trailing blanks removed with trim. One entry per field.
std::vector<std::string> SplitPictureText(const std::vector<PictureSegment>& segments, const char* text,
                                          bool skipSeparators, bool trim);

}  // namespace shell
