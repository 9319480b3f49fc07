#include "app/shell/util/path_ellipsis.h"

#include <vector>

namespace shell {

std::string EllipsizePath(const std::string& path, const std::function<bool(const std::string&)>& fits)
{
    if (fits(path))
        return path;
    // The head is the first folder with its backslash (after the leading
    // backslashes of a network path); then the folders, each with its backslash.
    size_t start = path.find_first_not_of('\\');
    if (start == std::string::npos)
        return path;
    const size_t headEnd = path.find('\\', start);
    if (headEnd == std::string::npos)
        return path;
    const std::string head = path.substr(0, headEnd + 1);
    std::vector<size_t> folderEnds;  // position after each later folder's backslash
    for (size_t at = path.find('\\', headEnd + 1); at != std::string::npos; at = path.find('\\', at + 1))
        folderEnds.push_back(at + 1);
    std::string shortest = path;
    for (size_t end : folderEnds) {
        shortest = head + "...\\" + path.substr(end);
        if (fits(shortest))
            return shortest;
    }
    return shortest;
}

}  // namespace shell
