// The image data object's accessors over the simulated module: cached
// enumerations and their set rules, capability 0x23 as a list or a range,
// the array, and the queued start with the point its command owns.
#include <gtest/gtest.h>

#include "app/camera/tests/tree_fixture.h"
#include "app/camera/tree/kavo_image_data.h"

namespace {

using camera_test::SimTree;
using camera_test::TraceCount;

struct ImageTree {
    SimTree<> t;
    CKavoImageData* image = nullptr;

    explicit ImageTree(const std::string& scenario = "") : t("items 1\n" + scenario)
    {
        CKavoSource* source = t.OpenSource();
        EXPECT_NE(nullptr, source);
        CKavoBase* item = nullptr;
        CKavoBase* made = nullptr;
        EXPECT_EQ(0, source->CreateChild(1, &item));
        EXPECT_EQ(0, item->CreateChild(1, &made));
        image = dynamic_cast<CKavoImageData*>(made);
        EXPECT_NE(nullptr, image);
    }
    size_t Count(const char* piece) { return TraceCount(t.sim, {"call src1/item1/data1 ", piece}); }
};

}  // namespace

TEST(KavoImageData, EnumerationsAreCachedAndASetAsksTheModuleAgain)
{
    ImageTree it;
    std::vector<uint32_t> list;
    ASSERT_EQ(0, it.image->GetEnum1BList(list));
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 4}), list);
    uint32_t value = 0;
    EXPECT_EQ(0, it.image->GetEnum1BDefault(&value));
    EXPECT_EQ(1u, value);
    EXPECT_EQ(1u, it.Count("array 0x1b"));

    EXPECT_EQ(0, it.image->SetEnum1B(4));
    EXPECT_EQ(1u, it.Count("set 0x1b 3 2 -> 0"));
    EXPECT_EQ(0, it.image->GetEnum1B(&value));
    EXPECT_EQ(4u, value);
    EXPECT_EQ(2u, it.Count("array 0x1b"));
    // A value the list lacks is refused unsent, and the next read asks again.
    EXPECT_EQ(-245, it.image->SetEnum1B(3));
    EXPECT_EQ(1u, it.Count("set 0x1b"));
    EXPECT_EQ(0, it.image->GetEnum1B(&value));
    EXPECT_EQ(3u, it.Count("array 0x1b"));
    // While the list is valid only the header is read for the current value.
    EXPECT_EQ(0, it.image->GetEnum1B(&value));
    EXPECT_EQ(3u, it.Count("array 0x1b"));

    EXPECT_EQ(0, it.image->SetEnum26(2));
    EXPECT_EQ(0, it.image->GetEnum26(&value));
    EXPECT_EQ(2u, value);
}

TEST(KavoImageData, WithoutCapability27TheDataIsEightBits)
{
    ImageTree it("profile minimal\n");
    std::vector<uint32_t> list;
    uint32_t current = 0, fallback = 0;
    EXPECT_EQ(0, it.image->GetEnum27List(list));
    EXPECT_EQ(0, it.image->GetEnum27(&current));
    EXPECT_EQ(0, it.image->GetEnum27Default(&fallback));
    EXPECT_EQ((std::vector<uint32_t>{8}), list);
    EXPECT_EQ(8u, current);
    EXPECT_EQ(8u, fallback);
    EXPECT_EQ(-251, it.image->SetEnum27(8));
    uint32_t value = 7;
    EXPECT_EQ(-251, it.image->GetEnum1B(&value));
    EXPECT_EQ(0u, value);
}

TEST(KavoImageData, SetValue23PicksTheListEntryOrTheRangeStep)
{
    struct Case {
        const char* scenario;
        double value;
        bool nearest;
        int32_t result;
        const char* sent;  // null: nothing sent
    } cases[] = {
        {"", 2.0, false, 0, "set 0x23 3 1 "},
        {"", 3.0, true, 0, "set 0x23 3 2 "},
        {"", 3.0, false, -245, nullptr},
        {"", 5.0, true, -245, nullptr},
        {"range 0x23 1.0 4.0 1 0\n", 2.5, false, -245, nullptr},
        {"range 0x23 1.0 4.0 1 0\n", 2.5, true, 0, "set 0x23 14 {value 1 default 1 index 2 "},
        {"range 0x23 1.0 4.0 1 0\n", 3.0, false, 0, "set 0x23 14 {value 1 default 1 index 2 "},
        {"range 0x23 1.0 4.0 1 0\n", 0.5, true, 0, "set 0x23 14 {value 1 default 1 index 0 "},
        {"range 0x23 1.0 4.0 1 0\n", 4.5, true, -245, nullptr},
        {"range 0x23 1.0 4.0 0 0\n", 3.5, false, 0, "set 0x23 14 {value 3.5 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.scenario) + std::to_string(c.value));
        ImageTree it(c.scenario);
        EXPECT_EQ(c.result, it.image->SetValue23(c.value, c.nearest));
        if (c.sent)
            EXPECT_EQ(1u, it.Count(c.sent)) << c.sent;
        else
            EXPECT_EQ(0u, it.Count("set 0x23"));
    }
}

TEST(KavoImageData, Value23ReadsTheListOnceAndRefusesMalformedLists)
{
    ImageTree it;
    uint32_t isRange = 1;
    KavoRangeRecord range;
    KavoListRecord list;
    ASSERT_EQ(0, it.image->GetValue23Info(&isRange, &range, &list));
    EXPECT_EQ(0u, isRange);
    EXPECT_EQ(3u, list.elementCount);
    double value = 0, fallback = 0;
    EXPECT_EQ(0, it.image->GetValue23(&value));
    EXPECT_EQ(0, it.image->GetValue23Default(&fallback));
    EXPECT_EQ(1.0, value);
    EXPECT_EQ(1.0, fallback);
    EXPECT_EQ(1u, it.Count("array 0x23"));

    struct Case {
        const char* malform;
        int32_t result;
    } cases[] = {
        {"malform elemsize 0x23 4\n", -246},       // not doubles
        {"malform elemsize 0x23 16\n", -246},      // wider than a double: never written into doubles
        {"malform listcount 0x23 268435456\n", -252},  // count x width past any answer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.malform);
        ImageTree bad(c.malform);
        value = 9;
        EXPECT_EQ(c.result, bad.image->GetValue23(&value));
        EXPECT_EQ(0.0, value);
        EXPECT_EQ(c.result, bad.image->SetValue23(2.0, true));
        EXPECT_EQ(0u, bad.Count("set 0x23"));
    }
    // A current index past the list gives 0, not a read outside it.
    ImageTree shortList("malform listcount 0x1b 0\n");
    uint32_t entry = 9;
    EXPECT_EQ(-245, shortList.image->GetEnum1B(&entry));
    EXPECT_EQ(0u, entry);
}

TEST(KavoImageData, ReadArray29AsksForTheNeededSizeFirst)
{
    ImageTree it;
    std::vector<uint8_t> buffer(12, 0);
    uint32_t size = 11;
    EXPECT_EQ(-249, it.image->ReadArray29(buffer.data(), &size));
    EXPECT_EQ(12u, size);
    EXPECT_EQ(0, it.image->ReadArray29(buffer.data(), &size));
    EXPECT_EQ(12u, size);
    EXPECT_EQ(std::vector<uint8_t>(12, 0x40), buffer);
    KavoArrayRecord info;
    EXPECT_EQ(0, it.image->GetArray29Info(&info));
    EXPECT_EQ(12u, info.elementCount);

    // Image type 0 has one channel: the second dimension must be 0 or 1.
    uint8_t bytes[4] = {1, 2, 3, 4};
    KavoArrayRecord record = {2, 4, {4, 0, 0}, 1, 8, bytes};
    EXPECT_EQ(0, it.image->WriteArray29(&record));
    record.dimensions[1] = 3;
    EXPECT_EQ(-245, it.image->WriteArray29(&record));
    EXPECT_EQ(1u, it.Count("set 0x29"));

    // A header whose count x width overflows is refused before anything is read.
    ImageTree bad("malform listcount 0x29 4294967295\nmalform elemsize 0x29 65535\n");
    size = 1u << 30;
    EXPECT_EQ(-252, bad.image->ReadArray29(buffer.data(), &size));
    EXPECT_EQ(0u, size);
    EXPECT_EQ(0u, bad.Count("array 0x29"));
}

TEST(KavoImageData, PlainAccessorsReadTheirRecordsAndZeroThemOnFailure)
{
    ImageTree it("fail 153 image get 0x22\n");
    KavoRect rect = {1, 2, 3, 4};
    EXPECT_EQ(0, it.image->GetSize2C(&rect));
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(640, rect.right);
    EXPECT_EQ(480, rect.bottom);
    rect = {1, 2, 3, 4};
    EXPECT_EQ(153, it.image->GetRect22(&rect));
    EXPECT_EQ(0, rect.left + rect.top + rect.right + rect.bottom);
    EXPECT_EQ(0, it.image->GetRect22Default(&rect));
    EXPECT_EQ(640, rect.right);
    uint32_t flag = 7;
    EXPECT_EQ(0, it.image->GetBool25(&flag));
    EXPECT_EQ(1u, flag);
    EXPECT_EQ(0, it.image->SetBool24(true));
    EXPECT_EQ(0, it.image->GetBool24(&flag));
    EXPECT_EQ(1u, flag);
    KavoRangeRecord range;
    EXPECT_EQ(0, it.image->GetRange2B(&range));
    EXPECT_EQ(4.0, range.upper);
    EXPECT_EQ(0, it.image->SetRange2BValue(2.0));
    double value = 0;
    EXPECT_EQ(0, it.image->GetRange2BValue(&value));
    EXPECT_EQ(2.0, value);
    for (uint32_t type : {0u, 1u, 2u, 3u, 4u, 5u, 14u, 15u})
        EXPECT_EQ(type <= 1 ? 1u : type == 4 ? 4u : type <= 14 ? 3u : 0u, it.image->ChannelCountForType(type));
}

TEST(KavoImageData, ACapabilityChangeForAllClearsTheCachesButNotTheArrayOrTheFormatList)
{
    ImageTree it;
    std::vector<uint32_t> list;
    KavoArrayRecord info;
    uint32_t index = 0;
    double value = 0;
    ASSERT_EQ(0, it.image->GetEnum1BList(list));
    ASSERT_EQ(0, it.image->GetArray29Info(&info));
    ASSERT_EQ(0, it.image->GetCap19Index(&index));
    ASSERT_EQ(0, it.image->GetValue23(&value));
    it.image->OnCapabilityChanged(0, 0);
    ASSERT_EQ(0, it.image->GetEnum1BList(list));
    ASSERT_EQ(0, it.image->GetArray29Info(&info));
    ASSERT_EQ(0, it.image->GetCap19Index(&index));
    ASSERT_EQ(0, it.image->GetValue23(&value));
    EXPECT_EQ(2u, it.Count("array 0x1b"));
    EXPECT_EQ(2u, it.Count("array 0x23"));
    EXPECT_EQ(1u, it.Count("get 0x29"));
    EXPECT_EQ(1u, it.Count("get 0x13"));
}

TEST(KavoImageData, Start1ETakesTheDefaultPointAndItsQueuedCommandOwnsACopy)
{
    {
        ImageTree it;
        const KavoPoint point = {-1, 5};
        EXPECT_EQ(0, it.image->Start1E(&point, nullptr, true));
        const int fallback = camera_test::TraceIndex(it.t.sim, {"default 0x20 8"});
        const int set = camera_test::TraceIndex(it.t.sim, {"set 0x20 8 (320,240)"}, fallback);
        const int start = camera_test::TraceIndex(it.t.sim, {"start 0x1e"}, set);
        EXPECT_TRUE(fallback >= 0 && set > fallback && start > set);
        EXPECT_EQ(1u, it.Count("set 0x1f 1 1"));
    }
    {
        ImageTree it;
        CCommandQueue queue;
        KavoPoint point = {10, 20};
        EXPECT_EQ(0, it.image->Start1E(&point, &queue, false));
        point = {99, 99};  // the queue sends its own copy
        EXPECT_EQ(0, WaitForCommandQueue(&queue));
        EXPECT_EQ(1u, it.Count("set 0x20 8 (10,20) -> 0"));
        EXPECT_EQ(1u, it.Count("start 0x1e"));
    }
    {
        // Withdrawn before it ran: the copy is released all the same (the
        // sanitizer sees a leak otherwise).
        ImageTree it;
        auto queue = std::make_unique<CCommandQueue>();
        KavoPoint point = {1, 2};
        EXPECT_EQ(0, it.image->Start1E(&point, queue.get(), false));
        EXPECT_EQ(0, it.image->Start1C(true, queue.get()));
        queue.reset();
        EXPECT_EQ(0u, it.Count("set 0x20"));
    }
}
