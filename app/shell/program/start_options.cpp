#include "app/shell/program/start_options.h"

#include <cctype>

namespace shell {

namespace {

bool SameWithoutCase(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && !b[i];
}

}  // namespace

StartOptions ParseStartOptions(const std::vector<std::string>& words)
{
    StartOptions options;
    for (const std::string& word : words) {
        if (word.empty() || word[0] != '/') {
            options.files.push_back(word);
            continue;
        }
        const std::string name = word.substr(1);
        if (SameWithoutCase(name, "Unregister") || SameWithoutCase(name, "Unregserver"))
            options.unregister = true;
        else if (SameWithoutCase(name, "t"))
            options.import = true;
        else if (SameWithoutCase(name, "r"))
            options.deleteSource = true;
    }
    if (!options.import)
        options.deleteSource = false;
    return options;
}

void RejoinSplitFileNames(std::vector<std::string>& words, const std::function<bool(const std::string&)>& exists)
{
    constexpr size_t kMaxCandidate = 260;
    for (size_t i = 0; i < words.size(); ++i) {
        std::string candidate = words[i];
        for (size_t last = i; last < words.size(); ++last) {
            if (last > i)
                candidate += " " + words[last];
            if (candidate.size() > kMaxCandidate)
                break;
            if (exists(candidate)) {
                if (last > i) {
                    words[i] = candidate;
                    words.erase(words.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                words.begin() + static_cast<std::ptrdiff_t>(last) + 1);
                }
                break;
            }
        }
    }
}

}  // namespace shell
