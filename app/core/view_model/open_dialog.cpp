#include "app/core/view_model/open_dialog.h"

namespace qz {

namespace {

std::vector<std::string> SplitParts(std::string_view text, char separator, bool stopAtEmpty)
{
    std::vector<std::string> parts;
    while (!text.empty()) {
        const size_t at = text.find(separator);
        const std::string_view part = text.substr(0, at);
        text = at == std::string_view::npos ? std::string_view{} : text.substr(at + 1);
        if (part.empty()) {
            if (stopAtEmpty) {
                break;
            }
            continue;
        }
        parts.emplace_back(part);
    }
    return parts;
}

void EndWithBackslash(std::string& folder)
{
    // A bare name has no folder to end.
    if (!folder.empty() && folder.back() != '\\') {
        folder += '\\';
    }
}

}  // namespace

std::string GetOpenStartFolder(std::string_view lastOpenFolder, std::string_view currentFolder)
{
    const size_t first = lastOpenFolder.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return std::string(currentFolder);
    }
    const size_t last = lastOpenFolder.find_last_not_of(' ');
    return std::string(lastOpenFolder.substr(first, last - first + 1));
}

OpenSelection SplitOpenResult(std::string_view result, uint32_t platformMajorVersion,
                              const std::function<bool(const std::string&)>& isFolder)
{
    const bool explorer = platformMajorVersion >= 4;
    std::vector<std::string> parts = explorer ? SplitParts(result, '\0', true) : SplitParts(result, ' ', false);
    OpenSelection selection;
    if (parts.empty()) {
        return selection;
    }
    const bool folderFirst = explorer ? isFolder(parts[0]) : parts.size() > 1;
    if (folderFirst) {
        selection.folder = parts[0];
        selection.names.assign(parts.begin() + 1, parts.end());
    } else {
        // One full path: the folder is everything before its last backslash.
        const std::string& path = parts[0];
        const size_t slash = path.rfind('\\');
        if (slash == std::string::npos) {
            selection.names.push_back(path);
        } else {
            selection.folder = path.substr(0, slash);
            selection.names.push_back(path.substr(slash + 1));
        }
    }
    EndWithBackslash(selection.folder);
    return selection;
}

}  // namespace qz
