#include "app/shell/batch/save_type_list.h"

#include <cstdio>

namespace shell {

std::vector<std::pair<std::string, int32_t>> ParseSaveTypeFilter(const std::string& filter, const std::string& jfif,
                                                                 const std::string& cmyk)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t bar = filter.find('|'); bar != std::string::npos; bar = filter.find('|', start)) {
        parts.push_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    std::vector<std::pair<std::string, int32_t>> types;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string& description = parts[i];
        if (description.empty())
            break;
        const std::string& pattern = parts[i + 1];
        const std::string extension = pattern.empty() ? pattern : pattern.substr(1);
        const auto holds = [&](const std::string& word) {
            return !word.empty() && description.find(word) != std::string::npos;
        };
        int32_t type = 0;
        if (extension == ".xqv")
            type = 1;
        else if (extension == ".bmp")
            type = 2;
        else if (extension == ".jpg")
            type = holds(jfif) ? 4 : 3;
        else if (extension == ".tif")
            type = holds(cmyk) ? 6 : 5;
        if (type)
            types.emplace_back(description, type);
    }
    return types;
}

std::string FormatSampleName(const std::string& prefix, uint32_t number, int32_t length, const std::string& suffix,
                             const std::string& extension)
{
    const int width = length < 0 ? 0 : length > 20 ? 20 : static_cast<int>(length);
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*lu", width, static_cast<unsigned long>(number));
    return prefix + digits + suffix + extension;
}

std::string FitWithTrailingDots(std::string text, const std::function<bool(const std::string&)>& fits)
{
    while (!fits(text) && text != "...") {
        text = text.size() > 4 ? text.substr(0, text.size() - 4) + "..." : std::string("...");
    }
    return text;
}

}  // namespace shell
