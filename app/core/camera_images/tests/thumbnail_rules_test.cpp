#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/core/camera_images/copy_title.h"
#include "app/core/camera_images/loaded_history.h"
#include "app/core/camera_images/thumbnail_ids.h"

TEST(ThumbnailIds, TakeTheFirstFreeIdFromTheStoredNextOne)
{
    struct Case {
        uint32_t next;
        std::vector<uint32_t> present;
        uint32_t id;
    };
    const Case cases[] = {
        {1, {}, 1},
        {2, {1, 2, 3}, 4},  // the setting then becomes 5
        {2, {3, 2}, 4},     // order of the items does not matter
        {5, {1, 2, 3}, 5},
        {1, {2, 3}, 1},
        {7, {7, 9, 8, 11}, 10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.id, camimg::AllocateThumbnailId(c.next, c.present)) << c.next;
}

namespace {

std::vector<camimg::LoadedImageState> Items(size_t count, bool loaded)
{
    std::vector<camimg::LoadedImageState> items(count);
    for (size_t i = 0; i < count; ++i)
        items[i] = {static_cast<uint32_t>(i + 1), loaded, true};
    return items;
}

}  // namespace

TEST(LoadedImageHistory, KeepsTheTenMostRecentFirst)
{
    camimg::CLoadedImageHistory history;
    for (uint32_t id = 1; id <= 12; ++id)
        history.Touch(id);
    EXPECT_EQ((std::deque<uint32_t>{12, 11, 10, 9, 8, 7, 6, 5, 4, 3}), history.Ids());
    history.Touch(5);
    EXPECT_EQ((std::deque<uint32_t>{5, 12, 11, 10, 9, 8, 7, 6, 4, 3}), history.Ids());
    history.DropOldest();
    EXPECT_FALSE(history.Contains(3));
    EXPECT_EQ(9u, history.Ids().size());
}

TEST(LoadedImageHistory, EleventhSelectionReleasesAnImageNotAmongTheLastTen)
{
    // Items 1..11 loaded (ids 1..11); 12 is being selected. The history holds
    // the last ten selected: 3..12, so item 1 or 2 must go, the first of them.
    std::vector<camimg::LoadedImageState> items = Items(12, true);
    items[11].loaded = false;
    camimg::CLoadedImageHistory history;
    for (uint32_t id = 1; id <= 12; ++id)
        history.Touch(id);
    camimg::ImageRelease release = camimg::ChooseImageToRelease(items, 11, history);
    EXPECT_EQ(0, release.index);
    EXPECT_FALSE(release.dropOldest);

    // Held by a copy as well: the next candidate outside the history.
    items[0].soleReference = false;
    release = camimg::ChooseImageToRelease(items, 11, history);
    EXPECT_EQ(1, release.index);
}

TEST(LoadedImageHistory, ReleaseRulesAtTheirEdges)
{
    // Items 1..n+1 loaded but the last, which is being selected; every id has
    // been selected in order, so the history lacks the first n+1-10 of them.
    struct Case {
        const char* name;
        size_t loadedOthers;
        std::vector<size_t> shared;  // items whose image a copy holds too
        int index;
        bool dropOldest;
    };
    const Case cases[] = {
        {"nine others held: nothing goes", 9, {}, -1, false},
        {"ten others: the one outside the history", 10, {}, 0, false},
        {"that one shared: the first sole one, the oldest id dropped", 10, {0}, 1, true},
        {"all shared: nothing goes", 10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, -1, false},
    };
    for (const Case& c : cases) {
        std::vector<camimg::LoadedImageState> items = Items(c.loadedOthers + 1, true);
        const size_t selected = c.loadedOthers;
        items[selected].loaded = false;
        camimg::CLoadedImageHistory history;
        for (const camimg::LoadedImageState& item : items)
            history.Touch(item.id);
        for (size_t i : c.shared)
            items[i].soleReference = false;
        const camimg::ImageRelease release = camimg::ChooseImageToRelease(items, selected, history);
        EXPECT_EQ(c.index, release.index) << c.name;
        EXPECT_EQ(c.dropOldest, release.dropOldest) << c.name;
    }
}

TEST(ThumbnailCopyTitle, NumbersTheCopyWhileAWindowBeginsWithTheTitle)
{
    struct Case {
        uint32_t id;
        std::set<std::string> open;  // titles that count as taken
        const char* title;
    };
    const Case cases[] = {
        {12, {}, "Image12Copy"},
        {12, {"Image12Copy"}, "Image12Copy1"},
        {12, {"Image12Copy", "Image12Copy1"}, "Image12Copy2"},
        {1, {"Image12Copy"}, "Image1Copy"},
    };
    for (const Case& c : cases) {
        const auto isTaken = [&c](const std::string& candidate) { return c.open.count(candidate) != 0; };
        EXPECT_EQ(c.title, camimg::MakeThumbnailCopyTitle("Image", c.id, "Copy", isTaken)) << c.title;
    }
}
