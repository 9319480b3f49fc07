// The File Open prompt's folder and the split of its answer into a folder
// and file names.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

// The folder the prompt starts in: "LastOpenFolder" without blanks at
// either end, or the current folder when that leaves nothing.
std::string GetOpenStartFolder(std::string_view lastOpenFolder, std::string_view currentFolder);

struct OpenSelection {
    std::string folder;  // always ends in a backslash
    std::vector<std::string> names;
};

// The file dialog's answer: from platform version 4 on the explorer form
// (parts ended by NULs, an empty part ends the list: a folder and names, or
// one full path), before it the old form (a folder and names separated by
// blanks). `isFolder` tells whether a path names a folder.
OpenSelection SplitOpenResult(std::string_view result, uint32_t platformMajorVersion,
                              const std::function<bool(const std::string&)>& isFolder);

}  // namespace qz
