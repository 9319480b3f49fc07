#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/shell/errorlog/error_log.h"

#if defined(_WIN32)
#include "app/shell/format/date_time.h"
#endif

namespace {

void FixedStamp(std::string& date, std::string& time)
{
    date = "15.01.2003";
    time = "14:05:07";
}

std::string Contents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class ErrorLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(TESS_SCRATCH_DIR);
        path_ = std::string(TESS_SCRATCH_DIR) + "/shell_error_log.txt";
        std::filesystem::remove(path_);
        shell::SetErrorLogPath(path_);
        shell::SetErrorLogStamp(FixedStamp);
        shell::SetErrorLogging(true);
        shell::ClearErrorLog();
    }
    void TearDown() override
    {
        shell::SetErrorLogging(false);
        shell::SetErrorLogStamp(nullptr);
        shell::SetErrorLogPath("");
        std::filesystem::remove(path_);
    }
    std::string path_;
};

TEST_F(ErrorLog, AppendsDatedLinesAndClearsTheMarks)
{
    EXPECT_TRUE(shell::IsErrorLogEmpty());
    shell::SetErrorSummaryShown();
    shell::WriteErrorLog("Error writing C:\\a.tif.");
    shell::WriteErrorLog("Disk full error -- image not saved.");
    EXPECT_EQ(Contents(path_),
              "15.01.2003 14:05:07  Error writing C:\\a.tif.\r\n"
              "15.01.2003 14:05:07  Disk full error -- image not saved.\r\n");
    EXPECT_FALSE(shell::IsErrorLogEmpty());
    EXPECT_FALSE(shell::IsErrorSummaryShown());

    shell::ClearErrorLog();
    EXPECT_FALSE(std::filesystem::exists(path_));
    EXPECT_TRUE(shell::IsErrorLogEmpty());
}

TEST_F(ErrorLog, WritesNothingWhileLoggingIsOff)
{
    shell::SetErrorLogging(false);
    shell::WriteErrorLog("Camera error -- shot not taken.");
    EXPECT_FALSE(std::filesystem::exists(path_));
    EXPECT_TRUE(shell::IsErrorLogEmpty());
}

TEST_F(ErrorLog, AFileThatCannotBeOpenedChangesNoMark)
{
    shell::SetErrorLogPath(std::string(TESS_SCRATCH_DIR) + "/no such folder/ErrorLog.txt");
    shell::SetErrorSummaryShown();
    shell::WriteErrorLog("Error loading x.");
    EXPECT_TRUE(shell::IsErrorLogEmpty());
    EXPECT_TRUE(shell::IsErrorSummaryShown());
    // No path (the program's folder unknown) is no file in the current folder.
    EXPECT_FALSE(shell::AppendErrorLogLine("", "x\r\n"));
}

TEST_F(ErrorLog, CountsImagesUntilCleared)
{
    shell::CountImageAttempted();
    shell::CountImageAttempted();
    shell::SetErrorSummaryShown();
    shell::CountImageSaved();
    EXPECT_FALSE(shell::IsErrorSummaryShown());
    EXPECT_EQ(shell::GetImagesAttempted(), 2u);
    EXPECT_EQ(shell::GetImagesSaved(), 1u);
    shell::SetErrorSummaryShown();
    shell::CountImageAttempted();
    EXPECT_FALSE(shell::IsErrorSummaryShown());
    shell::ClearErrorLog();
    EXPECT_EQ(shell::GetImagesAttempted(), 0u);
    EXPECT_EQ(shell::GetImagesSaved(), 0u);
}

TEST_F(ErrorLog, ReadsLinesAsTheDialogListsThem)
{
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"\r\n\r\n", {"", ""}},            // empty lines, not an empty list
        {"a\r\nlast", {"a"}},              // a last line without LF is not shown
        {"x\ry\nz\n", {"xy", "z"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        Write(path_, c.bytes);
        EXPECT_EQ(shell::ReadErrorLogLines(path_), c.lines);
    }
    std::filesystem::remove(path_);
    EXPECT_TRUE(shell::ReadErrorLogLines(path_).empty());
}

TEST_F(ErrorLog, ALogBeyondTheLimitShowsOnlyTheWholeLinesOfItsEnd)
{
    // 30 bytes: the last 20 start inside "second\r\n".
    Write(path_, "first\r\nsecond\r\nthird\r\nfourth\r\n");
    EXPECT_EQ(shell::ReadErrorLogLines(path_, 20), (std::vector<std::string>{"third", "fourth"}));
    // The last 8 are exactly the last line: it is whole and shown.
    EXPECT_EQ(shell::ReadErrorLogLines(path_, 8), (std::vector<std::string>{"fourth"}));
    // No line end in the part read: nothing.
    EXPECT_TRUE(shell::ReadErrorLogLines(path_, 5).empty());
    // The whole file when it fits.
    EXPECT_EQ(shell::ReadErrorLogLines(path_, 30).size(), 4u);
}

TEST(ErrorSummary, UsesTheSingularOnlyForExactlyOne)
{
    struct Case {
        uint32_t attempted, saved;
        const char* line;
    } cases[] = {
        {0, 0, "0 images were attempted, 0 images were saved."},
        {1, 1, "1 image was attempted, 1 image was saved."},
        {2, 1, "2 images were attempted, 1 image was saved."},
        {1, 0, "1 image was attempted, 0 images were saved."},
        {4000000000u, 2, "4000000000 images were attempted, 2 images were saved."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::ErrorSummaryLine(c.attempted, c.saved), c.line);
}

#if defined(_WIN32)
TEST_F(ErrorLog, IsStampedWithTheLocalesDefaultDate)
{
    shell::SetErrorLogStamp(nullptr);
    CQzString date;
    shell::FormatDate(date, false);
    shell::WriteErrorLog("Memory error -- image not saved.");
    const std::string line = Contents(path_);
    const std::string prefix = std::string(date) + " ";
    EXPECT_EQ(line.substr(0, prefix.size()), prefix);
    EXPECT_EQ(line.substr(line.size() - 36), "  Memory error -- image not saved.\r\n");
}
#endif

TEST(ErrorLogLine, IsDateTimeTwoBlanksMessage)
{
    EXPECT_EQ(shell::FormatErrorLogLine("1/15/2003", "2:05:07 PM", "Error loading a.xqv."),
              "1/15/2003 2:05:07 PM  Error loading a.xqv.\r\n");
    EXPECT_EQ(shell::FormatErrorLogLine("d", "t", nullptr), "d t  \r\n");
}

TEST(ErrorLogPath, IsInTheProgramFolderByDefault)
{
    const std::string path = shell::GetErrorLogPath();
    EXPECT_GE(path.size(), 12u);
    EXPECT_EQ(path.substr(path.size() - 12), "ErrorLog.txt");
    EXPECT_NE(path.size(), 12u);
}

}  // namespace
