#include <gtest/gtest.h>

#include <set>

#include "app/shell/program/start_options.h"
#include "app/shell/program/tile_budget.h"

namespace {

using shell::ParseStartOptions;
using shell::StartOptions;

TEST(StartOptions, SwitchesAreCaseInsensitiveAndDeleteNeedsImport)
{
    struct Case {
        std::vector<std::string> words;
        bool unregister, import, deleteSource;
        std::vector<std::string> files;
    } cases[] = {
        {{"a.jpg", "/t", "b.jpg"}, false, true, false, {"a.jpg", "b.jpg"}},
        {{"/T", "/R", "a.jpg"}, false, true, true, {"a.jpg"}},
        {{"/r", "a.jpg"}, false, false, false, {"a.jpg"}},
        {{"/x", "/", "/tt", "a.jpg"}, false, false, false, {"a.jpg"}},
        {{"/UNREGISTER"}, true, false, false, {}},
        {{"/unregserver", "x"}, true, false, false, {"x"}},
        {{"", "C:\\a b"}, false, false, false, {"", "C:\\a b"}},
    };
    for (const Case& c : cases) {
        const StartOptions options = ParseStartOptions(c.words);
        SCOPED_TRACE(c.words.empty() ? std::string() : c.words[0]);
        EXPECT_EQ(c.unregister, options.unregister);
        EXPECT_EQ(c.import, options.import);
        EXPECT_EQ(c.deleteSource, options.deleteSource);
        EXPECT_EQ(c.files, options.files);
    }
}

TEST(StartOptions, WordsOfOneSplitNameAreJoinedAgain)
{
    const std::set<std::string> existing = {"C:\\my photos\\a b c.jpg", "C:\\single.jpg", "C:\\x y"};
    auto exists = [&](const std::string& path) { return existing.count(path) != 0; };
    struct Case {
        std::vector<std::string> words, joined;
    } cases[] = {
        {{"C:\\my", "photos\\a", "b", "c.jpg", "C:\\single.jpg"}, {"C:\\my photos\\a b c.jpg", "C:\\single.jpg"}},
        // A name that exists alone is not joined to what follows it.
        {{"C:\\single.jpg", "C:\\x", "y"}, {"C:\\single.jpg", "C:\\x y"}},
        {{"nothing", "here"}, {"nothing", "here"}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> words = c.words;
        shell::RejoinSplitFileNames(words, exists);
        EXPECT_EQ(c.joined, words);
    }
}

TEST(StartOptions, NoCandidateBeyond260CharactersIsTried)
{
    const std::string head(200, 'a'), tail(70, 'b');
    std::vector<std::string> tried;
    std::vector<std::string> words = {head, tail};
    shell::RejoinSplitFileNames(words, [&](const std::string& path) {
        tried.push_back(path);
        return path.size() > 260;  // would exist, but must never be asked
    });
    EXPECT_EQ((std::vector<std::string>{head, tail}), words);
    for (const std::string& path : tried)
        EXPECT_LE(path.size(), 260u);
}

TEST(TileManagerBudget, DividesFirstThenClampsToTheBoundsAndTo31Bits)
{
    struct Case {
        uint64_t physical;
        uint32_t percent, minimum, maximum;
        int32_t budget;
    } cases[] = {
        {536870912, 25, 0, 0, 134217725},  // 5368709 x 25: the division comes first
        {536870912, 25, 0, 100000000, 100000000},
        {536870912, 25, 134217725, 0, 134217725},  // at the minimum: the minimum
        {536870912, 25, 200000000, 0, 200000000},
        {536870912, 25, 0, 134217725, 134217725},  // at the maximum: the maximum
        {99, 50, 0, 0, 0},
        {99, 50, 4096, 0, 4096},
        // Beyond 4 GB the budget no longer wraps, it stops at 2 GB - 1.
        {uint64_t{16} << 30, 25, 0, 0, 0x7FFFFFFF},
        {uint64_t{16} << 30, 200, 0, 0xFFFFFFFF, 0x7FFFFFFF},
        {uint64_t{8} << 30, 10, 0, 0, 858993450},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.budget, shell::TileManagerBudget(c.physical, c.percent, c.minimum, c.maximum))
            << c.physical << " " << c.percent << " " << c.minimum << " " << c.maximum;
}

}  // namespace
