#include "app/core/view_model/document_titles.h"

#include <algorithm>
#include <cctype>

#include "app/core/shooting/shooting_info_table.h"

namespace qz {

namespace {

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(x) == Lower(y);
           });
}

std::string_view TrimTrailingBlanks(std::string_view text)
{
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view AfterLast(std::string_view text, char c)
{
    const size_t at = text.rfind(c);
    return at == std::string_view::npos ? text : text.substr(at + 1);
}

bool AllDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string GetShortTitle(std::string_view pathName)
{
    constexpr size_t kLongest = 40;
    constexpr size_t kKeptAtLeast = 37;
    const size_t slash = pathName.rfind('\\');
    if (pathName.size() <= kLongest || slash == std::string_view::npos) {
        return std::string(pathName);
    }
    const size_t kept = std::max(kKeptAtLeast, pathName.size() - slash);
    return "..." + std::string(pathName.substr(pathName.size() - kept));
}

uint32_t GetSaveFormatFromPath(std::string_view path)
{
    path = TrimTrailingBlanks(path);
    if (path.size() >= 4) {
        const std::string_view ending = path.substr(path.size() - 3);
        if (EqualsIgnoringCase(ending, "jpg")) {
            return 0x20;
        }
        if (EqualsIgnoringCase(ending, "tif")) {
            return 0x1;
        }
        if (EqualsIgnoringCase(ending, "xqv")) {
            return 0x100000;
        }
    }
    return 0x800000;
}

std::string GetProposedSaveName(std::string_view title)
{
    const size_t at = title.find_last_of("#%;/\\");
    return std::string(at == std::string_view::npos ? title : title.substr(at + 1));
}

bool IsSixteenBitCapable(int32_t colorSpace)
{
    return colorSpace == 33 || colorSpace == 64 || colorSpace == 65;
}

bool IsRawFileKind(int32_t fileKind)
{
    return fileKind == 32 || fileKind == 33;
}

SaveTypeChoice GetSaveTypeChoice(int32_t defaultFormatSetting, uint32_t saveFormat, bool cmyk)
{
    switch (defaultFormatSetting) {
    case 0:
        switch (saveFormat) {
        case 0x100000:
            return {0, cmyk};
        case 0x100:
            return {1, cmyk};
        case 0x20:
            return {2, cmyk};
        case 0x10:
            return {3, cmyk};
        case 0x1:
            return {cmyk ? 5 : 4, cmyk};
        default:
            return {6, cmyk};
        }
    case 1:
        return {0, false};
    case 2:
        return {2, false};
    case 3:
        return {3, false};
    case 4:
        return {4, false};
    case 5:
        return {5, true};
    case 6:
        return {1, false};
    default:
        return {6, cmyk};
    }
}

std::vector<std::string> GetFilterExtensions(std::string_view filter)
{
    std::vector<std::string> extensions;
    size_t index = 0;
    while (!filter.empty()) {
        const size_t bar = filter.find('|');
        std::string_view segment = filter.substr(0, bar);
        filter = bar == std::string_view::npos ? std::string_view{} : filter.substr(bar + 1);
        if (segment.empty()) {
            break;  // the "||" that ends the string
        }
        // Descriptions and patterns alternate.
        if (index++ % 2 == 0) {
            continue;
        }
        while (!segment.empty()) {
            const size_t semicolon = segment.find(';');
            const std::string_view pattern = segment.substr(0, semicolon);
            segment = semicolon == std::string_view::npos ? std::string_view{} : segment.substr(semicolon + 1);
            if (pattern.size() > 1) {
                extensions.emplace_back(pattern.substr(1));
            }
        }
    }
    return extensions;
}

std::string MakeCopyTitle(std::string_view title, const std::vector<std::string>& saveExtensions,
                          std::string_view copyWord, const std::function<bool(const std::string&)>& isTaken)
{
    std::string_view name = AfterLast(AfterLast(title, '\\'), ':');
    const size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) {
        const std::string_view extension = name.substr(dot);
        for (const std::string& known : saveExtensions) {
            if (EqualsIgnoringCase(extension, known)) {
                name = name.substr(0, dot);
                break;
            }
        }
    }

    std::string base = std::string(name) + std::string(copyWord);
    std::string candidate = base;
    int64_t next = 1;
    const size_t at = copyWord.empty() ? std::string_view::npos : name.find(copyWord);
    if (at != std::string_view::npos) {
        const std::string_view after = name.substr(at + copyWord.size());
        if (after.empty()) {
            base = std::string(name);
            candidate = base + "1";
            next = 2;
        } else if (after.size() <= 6 && AllDigits(after)) {
            const int64_t number = std::stoll(std::string(after));
            base = std::string(name.substr(0, at + copyWord.size()));
            candidate = base + std::to_string(number + 1);
            next = number + 2;
        }
    }
    while (isTaken(candidate)) {
        candidate = base + std::to_string(next++);
    }
    return candidate;
}

CQzString MakeSaveCaption(const CQzString& name, bool copyShootingData, const CShootingInfoTable& shooting)
{
    CQzString caption(name);
    if (copyShootingData) {
        caption.TrimRight();
        shooting.FormatAsText(caption);
    }
    return caption;
}

bool TitleBeginsWith(std::string_view windowTitle, std::string_view candidate)
{
    return windowTitle.size() >= candidate.size() &&
           EqualsIgnoringCase(windowTitle.substr(0, candidate.size()), candidate);
}

std::string FormatFrameTitle(std::string_view documentTitle, int32_t windowNumber, std::string_view viewText,
                             bool modified)
{
    std::string text(documentTitle);
    if (windowNumber > 0) {
        text += ":" + std::to_string(windowNumber);
    }
    text += viewText;
    if (modified) {
        text += " *";
    }
    return text;
}

bool HintsMarkModified(uint32_t hints)
{
    // Curves, colour balance, unsharp mask, size and resolution (0x20, 0x40),
    // white balance, exposure, noise reduction; not the grid or the demosaic choice.
    constexpr uint32_t kAdjustmentHints = 0x67 | 0x700;
    return (hints & 0x8000) == 0 && (hints & kAdjustmentHints) != 0;
}

bool ShouldFitToWindow(bool zoomChosen, bool autoFitPreference)
{
    return zoomChosen ? autoFitPreference : true;
}

}  // namespace qz
