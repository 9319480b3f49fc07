#include "app/shell/received/received_names.h"

#include <cstdio>

namespace shell {

std::string ReceivedFileExtension(std::string_view path)
{
    const size_t separator = path.find_last_of("\\/:");
    const size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < nameStart)
        return {};
    return std::string(path.substr(dot));
}

NumberedName NextReceivedFileName(std::string folder, int32_t number, std::string_view extension,
                                  const std::function<bool(const std::string&)>& exists)
{
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    int32_t n = number < 1 || number > kLastReceivedNumber ? 1 : number;
    NumberedName result;
    for (int32_t tries = 0; tries < kLastReceivedNumber; ++tries) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%08ld", static_cast<long>(n));
        const std::string candidate = folder + digits + std::string(extension);
        n = n >= kLastReceivedNumber ? 1 : n + 1;
        if (!exists(candidate)) {
            result.path = candidate;
            break;
        }
    }
    result.next = n;
    return result;
}

std::string WatchedVolumeRoot(std::string_view folder)
{
    if (folder.substr(0, 2) == "\\\\") {
        // The backslash that ends the share name: the second after the pair.
        const size_t serverEnd = folder.find('\\', 2);
        const size_t shareEnd = serverEnd == std::string_view::npos ? serverEnd : folder.find('\\', serverEnd + 1);
        std::string root(shareEnd == std::string_view::npos ? folder : folder.substr(0, shareEnd));
        if (root.back() != '\\')
            root += '\\';
        return root;
    }
    const size_t first = folder.find('\\');
    if (first == std::string_view::npos)
        return std::string(folder) + "\\";
    return std::string(folder.substr(0, first + 1));
}

}  // namespace shell
