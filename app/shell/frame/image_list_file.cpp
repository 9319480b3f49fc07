#include "app/shell/frame/image_list_file.h"

#include <windows.h>

namespace frame {

std::vector<std::string> SplitImageListLines(const char* data, size_t size)
{
    std::vector<std::string> lines;
    std::string line;
    bool tooLong = false;
    auto endLine = [&] {
        if (!tooLong && !line.empty())
            lines.push_back(line);
        line.clear();
        tooLong = false;
    };
    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n') {
            endLine();
        } else if (c != '\r' && !tooLong) {
            if (line.size() == kMaxImageListLine)
                tooLong = true;
            else
                line.push_back(c);
        }
    }
    endLine();
    return lines;
}

std::string ImageListEntryPath(const std::string& line)
{
    const size_t tab = line.find('\t');
    return tab == std::string::npos ? line : line.substr(tab + 1);
}

std::string SidecarPath(const std::string& path)
{
    const size_t dot = path.rfind('.');
    const size_t separator = path.find_last_of("\\/");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
        return path + ".ipi";
    return path.substr(0, dot) + ".ipi";
}

bool ReadImageList(const std::string& path, std::vector<std::string>* lines)
{
    lines->clear();
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::string data;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        data.append(buffer, read);
    ::CloseHandle(file);
    *lines = SplitImageListLines(data.data(), data.size());
    return true;
}

}  // namespace frame
