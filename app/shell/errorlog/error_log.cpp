#include "app/shell/errorlog/error_log.h"

#include <ctime>
#include <fstream>

#include "app/shell/program_folder.h"
#include "port/port.h"

#if defined(_WIN32)
#include <share.h>

#include "app/shell/format/date_time.h"
#endif

namespace shell {

namespace {

struct ErrorLogState {
    bool logging = false;
    bool empty = false;  // set by a clearing, cleared by an entry
    uint32_t attempted = 0;
    uint32_t saved = 0;
    bool summaryShown = false;
    std::string path;
    ErrorLogStamp stamp = nullptr;
};

ErrorLogState& State()
{
    static ErrorLogState state;
    return state;
}

void DefaultStamp(std::string& date, std::string& time)
{
#if defined(_WIN32)
    CQzString text;
    FormatDate(text, false);
    date = static_cast<const char*>(text);
    FormatTimeSeconds(text, false);
    time = static_cast<const char*>(text);
#else
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    date = text;
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    time = text;
#endif
}

// Opened for writing without truncation, created when missing; on Windows
// nobody else writes while an entry goes in.
int OpenForAppend(const char* path)
{
#if defined(_WIN32)
    int fd = -1;
    if (_sopen_s(&fd, path, _O_WRONLY | _O_BINARY | _O_CREAT, _SH_DENYWR, _S_IREAD | _S_IWRITE) != 0)
        return -1;
    return fd;
#else
    return port::FileOpen(path, port::kReadWrite | port::kCreate);
#endif
}

}  // namespace

void ClearErrorLog()
{
    ErrorLogState& state = State();
    state.empty = true;
    state.attempted = 0;
    state.saved = 0;
    state.summaryShown = false;
    const std::string path = GetErrorLogPath();
    if (!path.empty())
        port::FileUnlink(path.c_str());
}

void WriteErrorLog(const char* message)
{
    ErrorLogState& state = State();
    if (!state.logging)
        return;
    std::string date;
    std::string time;
    (state.stamp ? state.stamp : DefaultStamp)(date, time);
    if (!AppendErrorLogLine(GetErrorLogPath(), FormatErrorLogLine(date, time, message)))
        return;
    state.empty = false;
    state.summaryShown = false;
}

bool IsErrorLogEmpty()
{
    return State().empty;
}

void CountImageAttempted()
{
    ++State().attempted;
    State().summaryShown = false;
}

void CountImageSaved()
{
    ++State().saved;
    State().summaryShown = false;
}

uint32_t GetImagesAttempted()
{
    return State().attempted;
}

uint32_t GetImagesSaved()
{
    return State().saved;
}

bool IsErrorSummaryShown()
{
    return State().summaryShown;
}

void SetErrorSummaryShown()
{
    State().summaryShown = true;
}

void SetErrorLogging(bool on)
{
    State().logging = on;
}

bool IsErrorLogging()
{
    return State().logging;
}

void SetErrorLogPath(const std::string& path)
{
    State().path = path;
}

std::string GetErrorLogPath()
{
    const std::string& path = State().path;
    if (!path.empty())
        return path;
    // Without the program's folder the log would land in whatever folder is current.
    const std::string& folder = GetProgramFolder();
    return folder.empty() ? std::string() : folder + "ErrorLog.txt";
}

void SetErrorLogStamp(ErrorLogStamp stamp)
{
    State().stamp = stamp;
}

std::string FormatErrorLogLine(const std::string& date, const std::string& time, const char* message)
{
    return date + " " + time + "  " + (message ? message : "") + "\r\n";
}

bool AppendErrorLogLine(const std::string& path, const std::string& line)
{
    if (path.empty())
        return false;
    const int fd = OpenForAppend(path.c_str());
    if (fd < 0)
        return false;
    const int64_t end = port::FileSeek(fd, 0, SEEK_END);
    bool written = end >= 0;
    if (written) {
        const int32_t count = port::FileWrite(fd, line.data(), static_cast<uint32_t>(line.size()));
        written = count == static_cast<int32_t>(line.size());
        // Half a line would run into the next entry: take it back.
        if (!written)
            port::FileChsize(fd, end);
    }
    return port::FileClose(fd) == 0 && written;
}

std::vector<std::string> ReadErrorLogLines(const std::string& path, int64_t limit)
{
    std::vector<std::string> lines;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return lines;
    // The size taken once: bytes another writer appends meanwhile are not read.
    const int64_t size = static_cast<int64_t>(file.tellg());
    if (size <= 0)
        return lines;
    // One byte before the part shown is read too: when it is an LF, the
    // part begins with a whole line.
    const int64_t start = size > limit ? size - limit - 1 : 0;
    std::string bytes(static_cast<size_t>(size - start), '\0');
    file.seekg(start);
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(file.gcount()));
    size_t at = 0;
    // Up to the first line end, the part read is the tail of a line not shown.
    if (start > 0) {
        const size_t firstLf = bytes.find('\n');
        at = firstLf == std::string::npos ? bytes.size() : firstLf + 1;
    }
    std::string line;
    for (; at < bytes.size(); ++at) {
        const char c = bytes[at];
        if (c == '\r')
            continue;
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    return lines;
}

namespace {

std::string CountText(uint32_t count, const std::string& one, const std::string& many)
{
    if (count == 1)
        return one;
    std::string text = many;
    const size_t mark = text.find("%1");
    if (mark != std::string::npos)
        text.replace(mark, 2, std::to_string(count));
    return text;
}

}  // namespace

std::string ErrorSummaryLine(uint32_t attempted, uint32_t saved, const ErrorSummaryTexts& texts)
{
    return CountText(attempted, texts.attemptedOne, texts.attemptedMany) +
           CountText(saved, texts.savedOne, texts.savedMany);
}

}  // namespace shell
