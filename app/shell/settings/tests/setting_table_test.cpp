#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "app/shell/settings/setting_table.h"
#include "app/shell/settings/window_position.h"

namespace {

using shell::FindIntSetting;
using shell::FindStringSetting;

int32_t Clamped(shell::SettingId id, int32_t value)
{
    const shell::IntSetting* setting = FindIntSetting(id);
    EXPECT_NE(setting, nullptr) << id;
    return setting ? shell::ClampSetting(*setting, value) : value;
}

TEST(SettingTable, ClampsAsStored)
{
    struct Case {
        shell::SettingId id;
        int32_t value;
        int32_t stored;
    } cases[] = {
        {1101, 0, 1},     {1101, 7, 3},     {1101, 2, 2},      {1101, -1, 3},
        {1054, -1, 999},  {1054, 0, 1},     {1054, 1000, 999}, {1054, 50, 50},
        {1061, -5, 100},  {1061, 0, 100},   {1061, 7, 7},
        {1063, 0, 1},     {1063, 101, 1},   {1063, -3, 1},     {1063, 100, 100},
        {1234, 5, 10},    {1234, 250, 200}, {1233, -1, 200},   {1233, 10, 10},
        {1041, 2, 1},     {1041, -1, 1},    {1223, 5, 1},      {1207, 0, 0},
        {1062, 6, 5},     {1102, 9, 5},     {1191, 6, 5},
        {1068, 3, 2},     {1169, 3, 2},     {1071, 7, 6},      {1158, 7, 6},
        {1090, 0, 1},     {1090, 42, 42},   {1097, 4, 3},
        {1098, 0, 1},     {1098, 254, 253}, {1099, 1, 2},      {1099, 255, 254},
        {1156, 1, 2},     {1156, 9, 8},     {1160, 5, 4},      {1192, -2, 4},
        {1202, 1, 2},     {1202, 10000, 9999},
        {1203, 100, 99},  {1204, 60, 59},   {1205, -1, 59},
        // Not clamped.
        {1105, 7, 7},     {1108, -1, -1},   {1146, 5, 5},      {1149, 9, 9},
        {1188, 40, 40},   {1189, -3, -3},   {1161, 4, 4},      {1057, -1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Clamped(c.id, c.value), c.stored) << c.id << " given " << c.value;
}

TEST(SettingTable, KnowsEachSettingsSectionNameAndDefault)
{
    struct Case {
        shell::SettingId id;
        const char* section;
        const char* name;
        int32_t value;
    } cases[] = {
        {1041, "Preferences", "DisplaySettingsSection", 1}, {1057, "Preferences", "WhiteDropperValue", 0xFFFFFF},
        {1063, "Preferences", "GridDivisions", 4},           {1101, "General", "CursorMode", 0},
        {1099, "General", "UnsharpMaskHighlightPoint", 200}, {1131, "WindowPositions", "CurvesVisible", 1},
        {1156, "AutoSave", "Length", 3},                     {1188, "SaveFinal", "Length", 3},
        {1202, "TimedExposure", "Shots", 2},                 {1223, "CopySettings", "NoiseReduction", 1},
        {1234, "Memory", "DrawingPercent", 25},
    };
    for (const Case& c : cases) {
        const shell::IntSetting* setting = FindIntSetting(c.id);
        ASSERT_NE(setting, nullptr) << c.id;
        EXPECT_STREQ(shell::SectionName(setting->section), c.section) << c.id;
        EXPECT_STREQ(setting->name, c.name) << c.id;
        EXPECT_EQ(setting->defaultValue, c.value) << c.id;
    }
    const shell::StringSetting* prefix = FindStringSetting(1154);
    ASSERT_NE(prefix, nullptr);
    EXPECT_STREQ(shell::SectionName(prefix->section), "AutoSave");
    EXPECT_STREQ(prefix->text, "Img");
    EXPECT_EQ(FindStringSetting(1051)->kind, shell::StringDefault::TempFolder);
    EXPECT_EQ(FindStringSetting(1185)->kind, shell::StringDefault::Documents);
    EXPECT_STREQ(shell::WindowPositionName(1144), "ImageEnhancements");
}

TEST(SettingTable, TextsWithoutAnEntryAreNoSettings)
{
    for (shell::SettingId id : {1056u, 1089u, 1092u, 1100u, 1145u, 1121u, 1040u, 0u}) {
        EXPECT_EQ(FindIntSetting(id), nullptr) << id;
        EXPECT_EQ(FindStringSetting(id), nullptr) << id;
    }
    EXPECT_EQ(FindIntSetting(1046), nullptr);   // a string setting
    EXPECT_EQ(FindStringSetting(1041), nullptr);  // an integer setting
    EXPECT_EQ(shell::WindowPositionName(1130), nullptr);
}

TEST(SettingTable, NamesAreUniqueWithinASection)
{
    std::set<std::pair<uint32_t, std::string>> seen;
    int count = 0;
    for (const shell::IntSetting* s = shell::IntSettingsBegin(); s != shell::IntSettingsEnd(); ++s, ++count) {
        EXPECT_TRUE(seen.insert({s->section, s->name}).second) << s->name;
        EXPECT_NE(shell::SectionName(s->section), nullptr) << s->id;
        // Every default is already a value the clamp keeps, except CursorMode's 0.
        if (s->id != 1101) {
            EXPECT_EQ(shell::ClampSetting(*s, s->defaultValue), s->defaultValue) << s->id;
        }
    }
    EXPECT_EQ(count, 95);
}

TEST(WindowPosition, FitsInsideItsBounds)
{
    const shell::WindowBounds screen{0, 0, 1024, 768};
    struct Case {
        shell::WindowPositionRecord stored;
        shell::WindowBounds bounds;
        shell::WindowPositionRecord fitted;
    } cases[] = {
        {{3000, 10, 200, 100, 1}, screen, {824, 10, 200, 100, 1}},
        {{-50, -20, 200, 100, 1}, screen, {0, 0, 200, 100, 1}},
        {{100, 700, 200, 100, 3}, screen, {100, 668, 200, 100, 3}},
        {{100, 0, 2000, 100, 1}, screen, {0, 0, 1024, 100, 1}},        // too wide: shrunk
        {{20, 30, 100, 100, 1}, {50, 60, 400, 300}, {50, 60, 100, 100, 1}},
        {{INT32_MAX, INT32_MAX, INT32_MAX, 10, 1}, screen, {0, 758, 1024, 10, 1}},
    };
    for (Case& c : cases) {
        shell::FitWindowPosition(c.stored, c.bounds);
        EXPECT_EQ(c.stored.left, c.fitted.left);
        EXPECT_EQ(c.stored.top, c.fitted.top);
        EXPECT_EQ(c.stored.width, c.fitted.width);
        EXPECT_EQ(c.stored.height, c.fitted.height);
        EXPECT_EQ(c.stored.showCommand, c.fitted.showCommand);
    }
}

TEST(WindowPosition, PacksTwentyLittleEndianBytes)
{
    const shell::WindowPositionRecord record{0x01020304, -2, 640, 480, 3};
    uint8_t bytes[shell::kWindowPositionBytes];
    shell::PackWindowPosition(record, bytes);
    const uint8_t expected[20] = {4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF, 0x80, 2, 0, 0, 0xE0, 1, 0, 0, 3, 0, 0, 0};
    for (size_t i = 0; i < 20; ++i)
        EXPECT_EQ(bytes[i], expected[i]) << i;
    const shell::WindowPositionRecord back = shell::UnpackWindowPosition(bytes);
    EXPECT_EQ(back.left, record.left);
    EXPECT_EQ(back.top, -2);
    EXPECT_EQ(back.showCommand, 3);
}

}  // namespace
