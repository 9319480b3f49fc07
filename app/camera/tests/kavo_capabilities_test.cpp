#include "app/camera/tests/tree_fixture.h"

#include <cstring>

#include "app/camera/caps/kavo_list_decode.h"

namespace {

using camera_test::SimTree;
using camera_test::TraceCount;

std::vector<std::string> Texts(const std::vector<CQzString>& strings)
{
    std::vector<std::string> out;
    for (const CQzString& s : strings)
        out.emplace_back(static_cast<const char*>(s));
    return out;
}

TEST(KavoCapabilities, QueriesOfTheMapSelectByAttributesAndOperations)
{
    SimTree<> t("");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    EXPECT_EQ(uint32_t{kKavoCapList}, source->GetCapabilityType(0x8112));
    EXPECT_EQ(0u, source->GetCapabilityType(0x9999));
    EXPECT_STREQ("Shutter speed", source->GetCapabilityDescription(0x8112));
    EXPECT_STREQ("", source->GetCapabilityDescription(0x9999));
    std::vector<CQzKAVOCapInfo> all, flagged, groups;
    source->GetAllCapabilities(all);
    source->GetFlaggedCapabilities(flagged);
    source->GetFlaggedGroupCapabilities(groups);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](auto& a, auto& b) { return a.Id() < b.Id(); }));
    EXPECT_GT(all.size(), flagged.size());
    ASSERT_EQ(1u, groups.size());
    EXPECT_EQ(0x8160u, groups[0].Id());
    for (const CQzKAVOCapInfo& info : flagged)
        EXPECT_TRUE(source->HasAttribute4(info.Id()));
    EXPECT_TRUE(source->HasAttribute8(0x8160));
    EXPECT_FALSE(source->HasAttribute8(0x8112));
    EXPECT_TRUE(source->HasNeitherAttribute1Nor2(0x8112));
    EXPECT_FALSE(source->HasNeitherAttribute1Nor2(0x9999));
    EXPECT_TRUE(source->CanStart(kKavoCapCapture));
    EXPECT_TRUE(source->CanGetArray(0x8112));
    EXPECT_TRUE(source->CanGetDefault(0x8112));
    EXPECT_FALSE(source->CanSet(11));
    EXPECT_TRUE(source->CanSetCap10());
    EXPECT_TRUE(source->CanSetCap8Array());
    EXPECT_TRUE(source->CanStartCap52());
    EXPECT_EQ(0, source->StartCap52());
}

TEST(KavoCapabilities, TheSourceReadsEachValueTypeAndAbsentOnesGiveTheirDefaults)
{
    SimTree<> t("");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    EXPECT_STREQ("SIM0001", source->GetCap11String());
    EXPECT_STREQ("1.00", source->GetCap46String());
    EXPECT_EQ(-2, source->GetCap49Value());
    EXPECT_EQ(1.5, source->GetCap50Value());
    EXPECT_EQ(3u, source->GetCap51Value());
    uint32_t value = 9;
    EXPECT_EQ(0, source->SetCap45Value(&value));
    value = 0;
    EXPECT_EQ(0, source->GetCap45Value(&value));
    EXPECT_EQ(9u, value);
    EXPECT_EQ(0x9u, source->GetDataKinds());
    EXPECT_TRUE(source->HasImageData());
    EXPECT_TRUE(source->HasThumbnailData());
    EXPECT_FALSE(source->HasDataKind2());
    CQzString text;
    EXPECT_EQ(0, source->SetCap10String("Studio"));
    EXPECT_EQ(0, source->GetCap10String(&text));
    EXPECT_STREQ("Studio", text);
    // The data kinds are read once, and again after the camera changes them.
    EXPECT_EQ(1u, TraceCount(t.sim, {"call src1 get 0xc "}));
    source->GetDataKinds();
    EXPECT_EQ(1u, TraceCount(t.sim, {"call src1 get 0xc "}));
    source->OnCapabilityChanged(kKavoCapDataKinds, 1);
    source->GetDataKinds();
    EXPECT_EQ(2u, TraceCount(t.sim, {"call src1 get 0xc "}));

    SimTree<> minimal("profile minimal\n");
    CKavoSource* plain = minimal.OpenSource();
    ASSERT_NE(nullptr, plain);
    EXPECT_STREQ("", plain->GetCap11String());
    EXPECT_EQ(-1, plain->GetCap49Value());
    EXPECT_EQ(0.0, plain->GetCap50Value());
    EXPECT_EQ(0u, plain->GetCap51Value());
    EXPECT_EQ(kKavoNotAllowed, plain->GetCap45Value(&value));
    EXPECT_EQ(kKavoNotAllowed, plain->SetCap10String("x"));
    EXPECT_EQ(kKavoNotAllowed, plain->StartCap52());
    CCommandQueue queue;
    EXPECT_EQ(kKavoNotAllowed, plain->QueueStartCap15(&queue));
    EXPECT_TRUE(queue.IsIdle());
    uint8_t bytes[8];
    uint32_t size = sizeof(bytes);
    EXPECT_EQ(kKavoNotAllowed, plain->GetCap8Array(bytes, &size));
}

TEST(KavoCapabilities, TheByteArrayAsksForALargerBufferAndIsReadAgainAfterASet)
{
    SimTree<> t("");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    uint8_t bytes[16] = {};
    uint32_t size = 7;
    EXPECT_EQ(kKavoBufferTooSmall, source->GetCap8Array(bytes, &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ(0, source->GetCap8Array(bytes, &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}), std::vector<uint8_t>(bytes, bytes + 8));
    const uint8_t written[8] = {9, 8, 7, 6, 5, 4, 3, 2};
    const size_t reads = TraceCount(t.sim, {"call src1 info "});
    EXPECT_EQ(0, source->SetCap8Array(written, 8));
    EXPECT_EQ(reads + 1, TraceCount(t.sim, {"call src1 info "}));
    size = sizeof(bytes);
    EXPECT_EQ(0, source->GetCap8Array(bytes, &size));
    EXPECT_EQ(0, std::memcmp(written, bytes, 8));
}

TEST(KavoCapabilities, ListsDecodeTheirValuesAndStringsWithinTheirBuffers)
{
    SimTree<> t("");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    std::vector<uint32_t> values;
    EXPECT_EQ(0, source->GetListValues(values, 0x26));
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2}), values);
    EXPECT_EQ(0, source->GetListValues(values, 0x35));
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 3, 4, 5}), values);
    EXPECT_EQ(0, source->GetListValues(values, 0x8112));  // strings: no values
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(kKavoNotAllowed, source->GetListValues(values, 0x9999));

    std::vector<CQzString> strings;
    EXPECT_EQ(0, source->GetListStrings(strings, 0x8113));
    EXPECT_EQ((std::vector<std::string>{"2.8", "4", "5.6", "8", "11", "16"}), Texts(strings));
    EXPECT_EQ(0, source->GetListStrings(strings, 0x8113, nullptr, nullptr, true));
    EXPECT_EQ(6u, strings.size());
    EXPECT_EQ(0, source->GetListStrings(strings, 0x813d));
    EXPECT_EQ((std::vector<std::string>{"CH", "CL", "3", "2", "1"}), Texts(strings));
    uint32_t count = 0;
    EXPECT_EQ(0, source->GetListStringCount(&count, 0x813d));
    EXPECT_EQ(5u, count);
    EXPECT_EQ(0, source->GetListStringCount(&count, 0x8113));
    EXPECT_EQ(6u, count);

    // A cached record is read once; a valid flag that is cleared reads again.
    KavoListRecord record = {};
    uint32_t valid = 0;
    EXPECT_EQ(0, source->GetListStrings(strings, 0x8117, &record, &valid));
    EXPECT_EQ(1u, valid);
    EXPECT_EQ(nullptr, record.data);
    EXPECT_EQ(0, source->GetListStrings(strings, 0x8117, &record, &valid));
    EXPECT_EQ(1u, TraceCount(t.sim, {"call src1 get 0x8117 16"}));
    EXPECT_EQ((std::vector<std::string>{"100", "200", "400", "800"}), Texts(strings));
}

TEST(KavoCapabilities, PackedAndFixedWidthStringsDecodeWithinTheBlock)
{
    struct Case {
        uint32_t elementType;
        uint16_t bytesPerElement;
        std::string block;
        bool fixed;
        std::vector<std::string> strings;
        uint32_t count;
    } cases[] = {
        {kKavoListPackedStrings, 1, std::string("a\0bc\0", 5), false, {"a", "bc"}, 2},
        {kKavoListPackedStrings, 1, std::string("a\0bcX", 5), false, {"a"}, 1},
        {kKavoListStrings, 4, std::string("ab\0\0cdef", 8), false, {"ab", "cdef"}, 2},
        {kKavoListStrings, 4, std::string("ab\0\0cdef", 8), true, {std::string("ab\0\0", 2), "cdef"}, 2},
        {kKavoListStrings, 300, std::string(600, 'z'), false, {std::string(256, 'z'), std::string(256, 'z')}, 2},
        {kKavoListStrings, 0, std::string(), false, {}, 0},
    };
    for (const Case& c : cases) {
        KavoListRecord header = {c.elementType, c.count, 0, 0, c.bytesPerElement, nullptr};
        const std::vector<uint8_t> block(c.block.begin(), c.block.end());
        std::vector<CQzString> strings;
        DecodeKavoListStrings(header, block, c.fixed, &strings);
        EXPECT_EQ(c.strings, Texts(strings)) << c.block;
        uint32_t count = 99;
        EXPECT_TRUE(CountKavoListStrings(header, block, &count));
        EXPECT_EQ(c.count, count);
    }
    // Values wider than their elements are refused, not read past the block.
    KavoListRecord narrow = {kKavoListUlongs, 3, 0, 0, 2, nullptr};
    std::vector<uint32_t> values;
    EXPECT_FALSE(DecodeKavoListValues(narrow, std::vector<uint8_t>(6, 1), &values));
    size_t bytes = 0;
    EXPECT_FALSE(KavoBlockBytes(0xFFFFFFFFu, 0xFFFF, &bytes));
    EXPECT_FALSE(KavoBlockBytes(0x10000000u, 272, &bytes));
    EXPECT_TRUE(KavoBlockBytes(1000, 272, &bytes));
    EXPECT_EQ(272000u, bytes);
}

TEST(KavoCapabilities, SettingAListValueFindsItsIndexOrSendsNothing)
{
    SimTree<> t("");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    EXPECT_EQ(0, source->SetListValue(0x35, 4));
    EXPECT_EQ(1u, TraceCount(t.sim, {"call src1 set 0x35 3 4 -> 0"}));
    const std::vector<uint32_t> mine = {10, 20, 30};
    EXPECT_EQ(0, source->SetListValue(0x35, 30, &mine));
    EXPECT_EQ(1u, TraceCount(t.sim, {"call src1 set 0x35 3 2 -> 0"}));
    EXPECT_EQ(kKavoValueNotOffered, source->SetListValue(0x35, 77));
    EXPECT_EQ(kKavoNotAList, source->SetListValue(45, 1));
    EXPECT_EQ(2u, TraceCount(t.sim, {"call src1 set 0x35"}));
    EXPECT_EQ(0u, TraceCount(t.sim, {"call src1 set 0x2d"}));
}

TEST(KavoCapabilities, ARepeatDuringAListReadRepeatsTheWholeRead)
{
    SimTree<> t("repeat 1 source array 0x8112\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    std::vector<CQzString> strings;
    KavoListRecord record = {};
    uint32_t valid = 0;
    EXPECT_EQ(0, source->GetListStrings(strings, 0x8112, &record, &valid));
    EXPECT_EQ(7u, strings.size());
    EXPECT_EQ(2u, TraceCount(t.sim, {"call src1 get 0x8112 16"}));
    EXPECT_EQ(2u, TraceCount(t.sim, {"call src1 array 0x8112 16"}));
}

TEST(KavoCapabilities, GroupsListTheirMembersAndRefuseWhatIsNotAGroup)
{
    SimTree<> t("");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    std::vector<CQzKAVOCapInfo> members;
    EXPECT_EQ(0, source->GetGroupMembers(0x8160, members));
    ASSERT_EQ(3u, members.size());
    EXPECT_EQ(0x8112u, members[0].Id());
    EXPECT_EQ(0x8117u, members[2].Id());
    EXPECT_EQ(kKavoNoSuchChild, source->GetGroupMembers(0x9999, members));
    EXPECT_TRUE(members.empty());
    EXPECT_EQ(kKavoNotAllowed, source->GetGroupMembers(0x8112, members));

    SimTree<> retyped("malform captype 0x8160 12\n");
    CKavoSource* other = retyped.OpenSource();
    ASSERT_NE(nullptr, other);
    EXPECT_EQ(kKavoWrongGroupType, other->GetGroupMembers(0x8160, members));
}

TEST(KavoCapabilities, RangesAreCachedUntilTheirValidFlagIsCleared)
{
    SimTree<> t("");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    KavoRangeRecord range = {};
    uint32_t valid = 0;
    EXPECT_EQ(0, source->ReadRangeValue(0x8115, &range, &valid));
    EXPECT_EQ(13u, range.stepCount);
    EXPECT_EQ(0, source->ReadRangeValue(0x8115, &range, &valid));
    EXPECT_EQ(1u, TraceCount(t.sim, {"call src1 get 0x8115"}));
    valid = 0;
    EXPECT_EQ(kKavoNotAllowed, source->ReadRangeValue(0x8146, &range, &valid));
}

TEST(KavoCapabilities, AResetRefusedByTheModuleResetsEachSettableCapability)
{
    struct Source : CKavoSource {
        std::vector<uint32_t> changed;
        void OnCapabilityChanged(uint32_t cap, uint32_t kind) override
        {
            changed.push_back(cap);
            CKavoSource::OnCapabilityChanged(cap, kind);
        }
    };
    struct Module : CKavoModule {
        CKavoBase* CreateChildObject(uint32_t) override { return new Source(); }
    };
    for (const bool refused : {false, true}) {
        SimTree<Module> t(refused ? "refuse-reset\n" : "");
        auto* source = dynamic_cast<Source*>(t.OpenSource());
        ASSERT_NE(nullptr, source);
        uint32_t value = 7;
        ASSERT_EQ(0, source->SetCap45Value(&value));
        ASSERT_EQ(0, source->SetCap10String("Changed"));
        ASSERT_EQ(0, source->CallModule(source, kKavoSet, 0x814d, kKavoDataBoolValue,
                                        reinterpret_cast<void*>(uintptr_t{1}), nullptr, nullptr));
        source->ResetToDefaults();
        ASSERT_EQ(0, source->GetCap45Value(&value));
        EXPECT_EQ(0u, value);
        CQzString text;
        ASSERT_EQ(0, source->GetCap10String(&text));
        EXPECT_STREQ("Owner", text);
        uint8_t flag = 1;
        ASSERT_EQ(0, source->CallModule(source, kKavoGet, 0x814d, kKavoDataBool, &flag, nullptr, nullptr));
        EXPECT_EQ(0, flag);
        // By hand, each reset capability is reported once.
        const bool each = std::count(source->changed.begin(), source->changed.end(), 45u) == 1 &&
                          std::count(source->changed.begin(), source->changed.end(), 0x814du) == 1;
        EXPECT_EQ(refused, each);
    }
}

TEST(KavoCapabilities, ItemsAndDataObjectsReadTheirOwnCapabilities)
{
    SimTree<> t("items 1\npicture jpeg x.jpg\npicture raw x.xqv\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CKavoBase* made = nullptr;
    ASSERT_EQ(0, source->CreateChild(1, &made));
    auto* item = dynamic_cast<CKavoItem*>(made);
    ASSERT_NE(nullptr, item);
    KavoDateTime date = {};
    EXPECT_EQ(0, item->GetCap13DateTime(&date));
    EXPECT_EQ(2026, date.year);
    uint32_t number = 0;
    EXPECT_EQ(0, item->GetCap14Value(&number));
    EXPECT_EQ(1u, number);
    EXPECT_TRUE(item->HasThumbnailData());
    ASSERT_EQ(0, item->CreateChild(kKavoDataKindImage, &made));
    auto* image = dynamic_cast<CKavoBaseData*>(made);
    ASSERT_NE(nullptr, image);
    std::vector<CQzString> formats;
    EXPECT_EQ(0, image->GetCap19Strings(formats));
    EXPECT_EQ((std::vector<std::string>{"JPEG", "Raw"}), Texts(formats));
    EXPECT_EQ(0, image->SetCap19Index(1));
    uint32_t index = 9;
    // The list stays cached until its capability is reported changed to the
    // base data object; the image data object keeps it even then.
    EXPECT_EQ(0, image->GetCap19Index(&index));
    EXPECT_EQ(0u, index);
    image->OnCapabilityChanged(kKavoCapDataFormat, 1);
    EXPECT_EQ(0, image->GetCap19Index(&index));
    EXPECT_EQ(0u, index);
    image->CKavoBaseData::OnCapabilityChanged(kKavoCapDataFormat, 1);
    EXPECT_EQ(0, image->GetCap19Index(&index));
    EXPECT_EQ(1u, index);
    EXPECT_EQ(0, image->GetCap19DefaultIndex(&index));
    EXPECT_EQ(0u, index);
    EXPECT_EQ(nullptr, image->CreateChildObject(1));
}

TEST(KavoCapabilities, MalformedListsAreSurvivedWithAClearError)
{
    SimTree<> t(
        "malform listcount 0x8112 1073741824\nmalform elemsize 0x35 2\nmalform elemsize 0x8113 300\n"
        "malform unterminated 0x813d\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    std::vector<CQzString> strings;
    EXPECT_EQ(kKavoOutOfMemory, source->GetListStrings(strings, 0x8112));
    std::vector<uint32_t> values;
    EXPECT_EQ(kKavoNotAList, source->GetListValues(values, 0x35));
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(0, source->GetListStrings(strings, 0x8113));
    ASSERT_EQ(6u, strings.size());
    EXPECT_STREQ("2.8", strings[0]);
    EXPECT_EQ(0, source->GetListStrings(strings, 0x813d));
    EXPECT_EQ((std::vector<std::string>{"CH", "CL", "3", "2"}), Texts(strings));
    EXPECT_EQ(kKavoOutOfMemory, source->SetListValue(0x8112, 1));
}

}  // namespace
