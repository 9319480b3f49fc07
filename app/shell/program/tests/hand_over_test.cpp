#include <gtest/gtest.h>

#include <cstring>

#include "app/shell/program/hand_over.h"

namespace {

using shell::HandOverRecord;

TEST(HandOverRecord, CarriesTheFlagsAndAPathOfAtMost259Characters)
{
    const auto record = shell::MakeHandOverRecord("C:\\dir with blank\\f.jpg", true, true);
    ASSERT_TRUE(record);
    EXPECT_EQ(1u, record->import);
    EXPECT_EQ(1u, record->deleteSource);
    EXPECT_STREQ("C:\\dir with blank\\f.jpg", record->path);

    // Deleting is only ever asked together with the import.
    EXPECT_EQ(0u, shell::MakeHandOverRecord("C:\\f.jpg", false, true)->deleteSource);

    const std::string longest = "C:\\" + std::string(256, 'a');
    ASSERT_EQ(259u, longest.size());
    ASSERT_TRUE(shell::MakeHandOverRecord(longest, false, false));
    EXPECT_EQ(longest, shell::MakeHandOverRecord(longest, false, false)->path);
    EXPECT_FALSE(shell::MakeHandOverRecord(longest + "b", false, false));
    EXPECT_FALSE(shell::MakeHandOverRecord(std::string("C:\\a\0b", 6), false, false));
}

TEST(HandOverRecord, TheReceiverTakesOnlyWholeTerminatedRecords)
{
    HandOverRecord good = *shell::MakeHandOverRecord("C:\\f.jpg", true, false);
    std::vector<uint8_t> bytes(sizeof good + 1);
    std::memcpy(bytes.data(), &good, sizeof good);

    const auto read = shell::ReadHandOverRecord(bytes.data(), sizeof good);
    ASSERT_TRUE(read);
    EXPECT_EQ(1u, read->import);
    EXPECT_STREQ("C:\\f.jpg", read->path);

    EXPECT_FALSE(shell::ReadHandOverRecord(nullptr, sizeof good));
    EXPECT_FALSE(shell::ReadHandOverRecord(bytes.data(), sizeof good - 1));
    EXPECT_FALSE(shell::ReadHandOverRecord(bytes.data(), sizeof good + 1));
    EXPECT_FALSE(shell::ReadHandOverRecord(bytes.data(), 0));

    // A path that fills all 260 bytes without its terminator is refused.
    HandOverRecord full = good;
    std::memset(full.path, 'x', sizeof full.path);
    EXPECT_FALSE(shell::ReadHandOverRecord(&full, sizeof full));
    full.path[sizeof full.path - 1] = '\0';
    EXPECT_TRUE(shell::ReadHandOverRecord(&full, sizeof full));
}

}  // namespace
