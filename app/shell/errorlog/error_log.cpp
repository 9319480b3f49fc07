#include "app/shell/errorlog/error_log.h"

#include <ctime>
#include <fstream>
#include <iterator>

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

std::vector<std::string> ReadErrorLogLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return lines;
    std::string line;
    for (std::istreambuf_iterator<char> it(file), end; it != end; ++it) {
        if (*it == '\r')
            continue;
        if (*it == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += *it;
        }
    }
    return lines;
}

}  // namespace shell
