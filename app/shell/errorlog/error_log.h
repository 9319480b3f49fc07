// The error log of unattended runs (batch, time-lapse, receiving from the
// camera): "ErrorLog.txt" in the program's folder, one line an entry, with
// the counts of images attempted and saved. Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace shell {

// Empty mark set, counts and summary-shown mark zeroed, the file deleted.
void ClearErrorLog();
// While logging is on: "<date> <time>  <message>" and CR LF appended.
void WriteErrorLog(const char* message);
bool IsErrorLogEmpty();
void CountImageAttempted();
void CountImageSaved();
uint32_t GetImagesAttempted();
uint32_t GetImagesSaved();
bool IsErrorSummaryShown();
// The log dialog shows the counts.
void SetErrorSummaryShown();

// The application's logging switch.
void SetErrorLogging(bool on);
bool IsErrorLogging();

// The log file; empty restores "ErrorLog.txt" in the program's folder. The
// path is "" (nothing is written) when the program's folder is unknown.
void SetErrorLogPath(const std::string& path);
std::string GetErrorLogPath();

// Date and time of an entry; null restores the default (the shell's locale
// formatters on Windows).
using ErrorLogStamp = void (*)(std::string& date, std::string& time);
void SetErrorLogStamp(ErrorLogStamp stamp);

// One entry: date, a blank, time, two blanks, message, CR LF.
std::string FormatErrorLogLine(const std::string& date, const std::string& time, const char* message);
// Appends `line` whole or not at all; false when the file cannot take it.
bool AppendErrorLogLine(const std::string& path, const std::string& line);
// The most of a log that the dialog reads: a longer log shows its end.
constexpr int64_t kErrorLogReadLimit = 4 * 1024 * 1024;

// The lines of the file as the log dialog lists them: CRs dropped, each LF
// ends a line, a last line without LF is not shown. Of a file longer than
// `limit` bytes only the whole lines of its last `limit` bytes.
std::vector<std::string> ReadErrorLogLines(const std::string& path, int64_t limit = kErrorLogReadLimit);

// The texts of the summary line; the defaults are the program's English ones.
struct ErrorSummaryTexts {
    std::string attemptedOne = "1 image was attempted, ";
    std::string attemptedMany = "%1 images were attempted, ";
    std::string savedOne = "1 image was saved.";
    std::string savedMany = "%1 images were saved.";
};
// "<n> images were attempted, <m> images were saved.", singular for exactly 1.
std::string ErrorSummaryLine(uint32_t attempted, uint32_t saved, const ErrorSummaryTexts& texts = {});

}  // namespace shell
