#include "app/camera/tests/picture_fixtures.h"
#include "app/camera/tests/sim_host.h"

#include <algorithm>
#include <cstring>

#include "app/camera/simulated/sim_module.h"

namespace {

using camera_test::CountLines;
using camera_test::SimHost;
using kavosim::CSimModule;

std::string Scratch(const std::string& stem) { return fileio_test::ScratchPageFile("camera_" + stem); }

SimHost::Entry Bind(CSimModule& sim)
{
    return [&sim](KavoObjectRecord* object, uint32_t command, uint32_t param, uint32_t dataType, void* data,
                  KavoCompletionProc completion, void* reference) {
        return sim.Call(object, command, param, dataType, data, completion, reference);
    };
}

// A module opened with the scenario, its camera opened as "source".
struct Opened {
    CSimModule sim;
    SimHost host{Bind(sim)};
    explicit Opened(const std::string& scenario, bool openSource = true)
    {
        sim.SetScenarioText(scenario);
        EXPECT_EQ(0, host.OpenModule());
        EXPECT_TRUE(sim.ScenarioErrors().empty()) << sim.ScenarioErrors().front();
        if (openSource) {
            EXPECT_EQ(0, host.OpenChild("module", 1, "source"));
        }
    }
    const std::vector<std::string>& Trace() const { return sim.Trace(); }
    // Takes a picture and opens it and its image data object, listening on both.
    void CaptureAndOpen()
    {
        host.Listen("source");
        ASSERT_EQ(0, host.Call("source", kKavoStart, kKavoCapCapture, kKavoDataNone, nullptr));
        const std::vector<uint32_t> items = host.Children("source");
        ASSERT_FALSE(items.empty());
        ASSERT_EQ(0, host.OpenChild("source", items.back(), "item"));
        ASSERT_EQ(0, host.OpenChild("item", 1, "image"));
        host.Listen("image", true);
    }
};

TEST(SimModule, OpensTheModuleAndItsCameraAndTracesEachCall)
{
    Opened m("", false);
    const KavoObjectRecord& module = m.host.Obj("module").record;
    EXPECT_EQ(uint32_t{kavosim::kSimModuleObject}, +module.type);
    EXPECT_EQ(0u, +module.id);
    EXPECT_NE(nullptr, +module.moduleReference);
    EXPECT_EQ("Simulated camera module", m.host.GetString("module", kKavoCapName));
    EXPECT_EQ(0, m.host.Call("module", kKavoEnumerate, 0, kKavoDataNone, nullptr));
    EXPECT_EQ(std::vector<uint32_t>{1}, m.host.Children("module"));
    ASSERT_EQ(0, m.host.OpenChild("module", 1, "source"));
    EXPECT_EQ(uint32_t{kavosim::kSimSourceObject}, +m.host.Obj("source").record.type);
    EXPECT_EQ(&m.host.Obj("source"), +m.host.Obj("source").record.clientReference);
    EXPECT_EQ(kavosim::kSimNotFound, m.host.OpenChild("module", 7, "stranger"));
    EXPECT_EQ(1u, CountLines(m.Trace(), {"1 call module open 0x0 17 {type 1 id 0} -> 0"}));
    EXPECT_EQ(1u, CountLines(m.Trace(), {"call module open 0x1 17 {type 2 id 1} -> 0"}));
    EXPECT_EQ(1u, CountLines(m.Trace(), {"call module get 0x9 11 \"Simulated camera module\" -> 0"}));
    EXPECT_EQ(1u, CountLines(m.Trace(), {"call module array 0x7 16 {type 2 count 1 current 0 default 0 bytes 4} -> 0"}));
    EXPECT_EQ(0, m.host.Close("source"));
    EXPECT_EQ(0, m.host.Close("module"));
    EXPECT_EQ(0u, CountLines(m.Trace(), {"VIOLATION"}));
}

TEST(SimModule, ProfilesNameTheCameraAndOfferTheirCapabilities)
{
    struct Case {
        const char* profile;
        const char* model;
        std::vector<uint32_t> present, absent;
    } cases[] = {
        {"M4", "M4", {0x8112, 0x8137, 0x8160, 0x8124, 0x813f}, {0x8153, 0x8159}},
        {"M4H", "M4H", {0x8153, 0x8154, 0x815d, 0x815e}, {0x8137, 0x8159}},
        {"M4X", "M4X", {0x8153, 0x8159}, {0x8137}},
        {"Other", "Other", {0x8112, 0x8126}, {0x8137, 0x8153}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile);
        Opened m(std::string("profile ") + c.profile);
        EXPECT_EQ(c.model, m.host.GetString("source", kKavoCapName));
        for (uint32_t cap : c.present)
            EXPECT_TRUE(m.host.HasCap("source", cap)) << std::hex << cap;
        for (uint32_t cap : c.absent)
            EXPECT_FALSE(m.host.HasCap("source", cap)) << std::hex << cap;
    }
    Opened minimal("profile minimal");
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3, 5, 7, 9, 12, 17}), minimal.host.CapIds("source"));
}

TEST(SimModule, ReadsAndWritesEveryValueType)
{
    Opened m("");
    SimHost& h = m.host;
    uint8_t flag = 0;
    EXPECT_EQ(0, h.CallValue("source", kKavoSet, 0x814d, kKavoDataBoolValue, 1));
    EXPECT_EQ(0, h.Call("source", kKavoGet, 0x814d, kKavoDataBool, &flag));
    EXPECT_EQ(1, flag);
    EXPECT_EQ(0, h.Call("source", kKavoGetDefault, 0x814d, kKavoDataBool, &flag));
    EXPECT_EQ(0, flag);

    int32_t level = 0;
    EXPECT_EQ(0, h.Call("source", kKavoGet, 0x8109, kKavoDataInt, &level));
    EXPECT_EQ(3, level);
    uint32_t value = 0;
    EXPECT_EQ(0, h.CallValue("source", kKavoSet, 45, kKavoDataUintValue, 7));
    EXPECT_EQ(0, h.Call("source", kKavoGet, 45, kKavoDataUint, &value));
    EXPECT_EQ(7u, value);
    double real = 0;
    EXPECT_EQ(0, h.Call("source", kKavoGet, 50, kKavoDataDouble, &real));
    EXPECT_EQ(1.5, real);

    char id[256] = "NEW ID";
    EXPECT_EQ(0, h.Call("source", kKavoSet, 0x8148, kKavoDataString, id));
    EXPECT_EQ("NEW ID", h.GetString("source", 0x8148));
    // A text that fills the buffer keeps 255 characters and its terminator.
    std::memset(id, 'A', sizeof(id));
    EXPECT_EQ(0, h.Call("source", kKavoSet, 0x8148, kKavoDataString, id));
    EXPECT_EQ(std::string(255, 'A'), h.GetString("source", 0x8148));

    KavoDateTime clock = {2027, 0, 31, 23, 59, 58, 999};
    EXPECT_EQ(0, h.Call("source", kKavoSet, 0x8124, kKavoDataDateTime, &clock));
    KavoDateTime back = {};
    EXPECT_EQ(0, h.Call("source", kKavoGet, 0x8124, kKavoDataDateTime, &back));
    EXPECT_EQ(0, std::memcmp(&clock, &back, sizeof(clock)));

    m.CaptureAndOpen();
    KavoRect rect = {1, 2, 300, 200}, rectBack = {};
    EXPECT_EQ(0, h.Call("image", kKavoSet, 0x22, kKavoDataRect, &rect));
    EXPECT_EQ(0, h.Call("image", kKavoGet, 0x22, kKavoDataRect, &rectBack));
    EXPECT_EQ(300, +rectBack.right);
    EXPECT_EQ(0, h.Call("image", kKavoGetDefault, 0x22, kKavoDataRect, &rectBack));
    EXPECT_EQ(640, +rectBack.right);
    KavoSize size = {};
    EXPECT_EQ(0, h.Call("image", kKavoGet, 0x2c, kKavoDataSize, &size));
    EXPECT_EQ(480, +size.height);
    KavoPoint point = {};
    EXPECT_EQ(0, h.Call("image", kKavoGetDefault, 0x20, kKavoDataPoint, &point));
    EXPECT_EQ(320, +point.x);

    // Operations the capability does not offer.
    EXPECT_EQ(kavosim::kSimNotSupported, h.Call("source", kKavoSet, 50, kKavoDataDouble, &real));
    EXPECT_EQ(kavosim::kSimNotSupported, h.Call("source", kKavoGet, 0x8146, kKavoDataBool, &flag));
    EXPECT_EQ(kavosim::kSimNotSupported, h.Call("source", kKavoGet, 0x7777, kKavoDataUint, &value));
    EXPECT_EQ(0u, CountLines(m.Trace(), {"VIOLATION"}));
    EXPECT_EQ(1u, CountLines(m.Trace(), {"call src1 set 0x8124 12 2027-0-31 23:59:58.999 -> 0"}));
}

TEST(SimModule, ListsArraysGroupsAndRangesRoundTrip)
{
    Opened m("");
    SimHost& h = m.host;
    KavoListRecord list;
    std::vector<uint8_t> bytes;
    ASSERT_EQ(0, h.ReadList("source", 0x8117, &list, &bytes));
    EXPECT_EQ(uint32_t{kKavoListStrings}, +list.elementType);
    EXPECT_EQ(4u, +list.elementCount);
    EXPECT_EQ(1u, +list.currentIndex);
    EXPECT_EQ(256, +list.bytesPerElement);
    EXPECT_STREQ("800", reinterpret_cast<const char*>(bytes.data() + 3 * 256));
    EXPECT_EQ(0, h.CallValue("source", kKavoSet, 0x8117, kKavoDataUintValue, 3));
    list.currentIndex = 0;
    EXPECT_EQ(0, h.Call("source", kKavoGet, 0x8117, kKavoDataList, &list));
    EXPECT_EQ(3u, +list.currentIndex);
    EXPECT_EQ(bytes.data(), +list.data);  // the header leaves the caller's pointer alone
    EXPECT_EQ(kavosim::kSimBadArgument, h.CallValue("source", kKavoSet, 0x8117, kKavoDataUintValue, 4));
    list.currentIndex = 2;
    EXPECT_EQ(0, h.Call("source", kKavoSet, 0x8117, kKavoDataList, &list));

    // A packed block of strings counts its bytes.
    ASSERT_EQ(0, h.ReadList("source", 0x813d, &list, &bytes));
    EXPECT_EQ(uint32_t{kKavoListPackedStrings}, +list.elementType);
    EXPECT_EQ(std::string("CH\0CL\0" "3\0" "2\0" "1\0", 12), std::string(bytes.begin(), bytes.end()));

    KavoArrayRecord array = {};
    ASSERT_EQ(0, h.Call("source", kKavoGet, kKavoCapByteArray, kKavoDataArray, &array));
    EXPECT_EQ(8u, +array.elementCount);
    EXPECT_EQ(1, +array.bytesPerElement);
    std::vector<uint8_t> elements(8);
    array.data = elements.data();
    ASSERT_EQ(0, h.Call("source", kKavoGetArray, kKavoCapByteArray, kKavoDataArray, &array));
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}), elements);
    uint8_t three[3] = {9, 8, 7};
    KavoArrayRecord write = {2, 3, {3, 0, 0}, 1, 8, three};
    ASSERT_EQ(0, h.Call("source", kKavoSet, kKavoCapByteArray, kKavoDataArray, &write));
    ASSERT_EQ(0, h.Call("source", kKavoGet, kKavoCapByteArray, kKavoDataArray, &array));
    EXPECT_EQ(3u, +array.elementCount);

    KavoArrayRecord group = {};
    ASSERT_EQ(0, h.Call("source", kKavoGet, 0x8160, kKavoDataArray, &group));
    std::vector<uint32_t> members(group.elementCount);
    group.data = members.data();
    ASSERT_EQ(0, h.Call("source", kKavoGetArray, 0x8160, kKavoDataArray, &group));
    EXPECT_EQ((std::vector<uint32_t>{0x8112, 0x8113, 0x8117}), members);

    KavoRangeRecord range = {};
    ASSERT_EQ(0, h.Call("source", kKavoGet, 0x8115, kKavoDataRange, &range));
    EXPECT_EQ(13u, +range.stepCount);
    EXPECT_EQ(6u, +range.valueIndex);
    range.valueIndex = 9;
    ASSERT_EQ(0, h.Call("source", kKavoSet, 0x8115, kKavoDataRange, &range));
    ASSERT_EQ(0, h.Call("source", kKavoGet, 0x8115, kKavoDataRange, &range));
    EXPECT_DOUBLE_EQ(-2.0 + 9 * 4.0 / 12, +range.value);
    range.valueIndex = 13;
    EXPECT_EQ(kavosim::kSimBadArgument, h.Call("source", kKavoSet, 0x8115, kKavoDataRange, &range));
    EXPECT_EQ(0, h.CallValue("source", kKavoSet, 0x813e, kKavoDataUintValue, 4));
    ASSERT_EQ(0, h.Call("source", kKavoGet, 0x813e, kKavoDataRange, &range));
    EXPECT_DOUBLE_EQ(5.0, +range.value);

    // Resetting brings every value back, unless the scenario has it refused.
    ASSERT_EQ(0, h.Call("source", kKavoReset, 0, kKavoDataNone, nullptr));
    ASSERT_EQ(0, h.Call("source", kKavoGet, 0x8115, kKavoDataRange, &range));
    EXPECT_EQ(6u, +range.valueIndex);
    ASSERT_EQ(0, h.Call("source", kKavoGet, kKavoCapByteArray, kKavoDataArray, &array));
    EXPECT_EQ(8u, +array.elementCount);
    Opened refusing("refuse-reset");
    EXPECT_EQ(kavosim::kSimNotSupported, refusing.host.Call("source", kKavoReset, 0, kKavoDataNone, nullptr));
    EXPECT_EQ(0u, CountLines(m.Trace(), {"VIOLATION"}));
}

TEST(SimModule, TracesEachProtocolErrorOfTheCallerAsAViolation)
{
    Opened m("");
    SimHost& h = m.host;
    uint32_t value = 0;
    double real = 0;
    KavoListRecord list = {};
    std::vector<uint8_t> bytes(4 * 256);

    EXPECT_EQ(kavosim::kSimBadArgument, h.Call("source", kKavoGet, 45, kKavoDataDouble, &real));
    EXPECT_EQ(1u, CountLines(m.Trace(), {"VIOLATION src1 data type 7 does not match capability 0x2d of type 3"}));

    list = {kKavoListStrings, 4, 0, 0, 256, bytes.data()};
    EXPECT_EQ(kavosim::kSimBadArgument, h.Call("source", kKavoGetArray, 0x8117, kKavoDataList, &list));
    EXPECT_EQ(1u, CountLines(m.Trace(), {"VIOLATION src1 array of capability 0x8117 fetched without its header"}));
    ASSERT_EQ(0, h.Call("source", kKavoGet, 0x8117, kKavoDataList, &list));
    list.bytesPerElement = 4;
    list.data = bytes.data();
    EXPECT_EQ(kavosim::kSimBadArgument, h.Call("source", kKavoGetArray, 0x8117, kKavoDataList, &list));
    EXPECT_EQ(1u, CountLines(m.Trace(), {"VIOLATION src1 array of capability 0x8117 fetched with elements of 4 bytes"}));

    h.Listen("source");
    EXPECT_EQ(0, h.Close("source"));
    EXPECT_EQ(1u, CountLines(m.Trace(), {"VIOLATION src1 close with callbacks set"}));
    EXPECT_EQ(kavosim::kSimBadArgument, h.Call("source", kKavoGet, 45, kKavoDataUint, &value));
    EXPECT_EQ(kavosim::kSimBadArgument, h.Close("source"));
    EXPECT_EQ(2u, CountLines(m.Trace(), {"VIOLATION - call on a closed object"}));
    EXPECT_EQ(1u, CountLines(m.Trace(), {"call ? close 0x0 0 ? -> 150"}));

    EXPECT_EQ(kavosim::kSimNotSupported, h.Call("module", 12, 0, kKavoDataNone, nullptr));
    EXPECT_EQ(1u, CountLines(m.Trace(), {"VIOLATION module unknown command 12"}));
    EXPECT_EQ(kavosim::kSimBadArgument, h.OpenModule());
    EXPECT_EQ(1u, CountLines(m.Trace(), {"VIOLATION module object opened twice"}));
}

TEST(SimModule, TheModuleAndTheCameraAskToBePolledAtTheScenariosInterval)
{
    for (uint32_t interval : {0u, 250u}) {
        Opened m("poll-interval " + std::to_string(interval));
        for (const char* name : {"module", "source"}) {
            uint32_t value = 99;
            EXPECT_EQ(0, m.host.Call(name, kKavoGet, kKavoCapPollInterval, kKavoDataUint, &value));
            EXPECT_EQ(interval, value) << name;
        }
    }
}

TEST(SimModule, CaptureAnnouncesTheNewPictureToTheCamerasListener)
{
    Opened m("items 2");
    SimHost& h = m.host;
    EXPECT_EQ((std::vector<uint32_t>{1, 2}), h.Children("source"));
    h.Listen("source");
    ASSERT_EQ(0, h.Call("source", kKavoStart, kKavoCapCapture, kKavoDataNone, nullptr));
    EXPECT_EQ(std::vector<std::string>{"source 0 3"}, h.events);
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3}), h.Children("source"));
    ASSERT_EQ(0, h.OpenChild("source", 3, "item"));
    EXPECT_EQ(uint32_t{kavosim::kSimItemObject}, +h.Obj("item").record.type);
    EXPECT_EQ((std::vector<uint32_t>{1, 8}), h.Children("item"));
    ASSERT_EQ(0, h.OpenChild("item", 8, "thumb"));
    EXPECT_EQ(8u, +h.Obj("thumb").record.id);
    EXPECT_EQ(1u, CountLines(m.Trace(), {"callback event src1 0 0x3 -> 0"}));
    // The listener opens the new picture while the camera's call is still under way.
    h.onEvent = [&h](const std::string&, uint32_t event, uint32_t data) {
        if (event == kKavoEventChildAdded) {
            EXPECT_EQ(0, h.OpenChild("source", data, "nested"));
            EXPECT_EQ(std::string("SIM00004"), h.GetString("nested", kKavoCapName));
        }
    };
    ASSERT_EQ(0, h.Call("source", kKavoStart, kKavoCapCapture, kKavoDataNone, nullptr));
    EXPECT_EQ(4u, +h.Obj("nested").record.id);
    const auto& trace = m.Trace();
    const auto nested = std::find_if(trace.begin(), trace.end(), [](const std::string& line) {
        return line.find("call src1/item4 get 0x9 11 \"SIM00004\" -> 0") != std::string::npos;
    });
    const auto start = std::find_if(nested, trace.end(), [](const std::string& line) {
        return line.find("call src1 start 0x11 0 - -> 0") != std::string::npos;
    });
    EXPECT_NE(trace.end(), start);  // the nested calls are traced before the call that made the event
    h.onEvent = nullptr;
    // Without a listener the event is dropped, and traced as such.
    h.Listen("source", false, false);
    ASSERT_EQ(0, h.Call("source", kKavoStart, kKavoCapCapture, kKavoDataNone, nullptr));
    EXPECT_EQ(1u, CountLines(m.Trace(), {"callback event src1 0 0x5 -> dropped"}));
}

struct TransferCase {
    uint32_t format;
    bool poll;
};

class SimTransfer : public testing::TestWithParam<TransferCase> {};

TEST_P(SimTransfer, DeliversThePictureInBlocksWithProgressAndOneCompletion)
{
    const TransferCase c = GetParam();
    const std::string path = Scratch("picture_" + std::to_string(c.format));
    ASSERT_TRUE(camera_test::WritePicture(c.format, path));
    const std::vector<uint8_t> file = fileio_test::ReadFile(path);
    const char* name = c.format == kKavoFormatJpeg ? "jpeg" : c.format == kKavoFormatTiff ? "tiff" : "raw";
    Opened m(std::string("block 1000\ndelivery ") + (c.poll ? "poll" : "sync") + "\npicture " + name + " " + path);
    m.CaptureAndOpen();
    SimHost& h = m.host;
    uint32_t size = 0;
    ASSERT_EQ(0, h.Call("image", kKavoGet, kKavoCapDataSize, kKavoDataUint, &size));
    EXPECT_EQ(file.size(), size);
    ASSERT_EQ(0, h.Call("image", kKavoStart, kKavoCapDeliver, kKavoDataNone, nullptr, true));
    const size_t blockCount = (file.size() + 999) / 1000;
    if (c.poll) {
        EXPECT_TRUE(h.blocks.empty());
        for (size_t i = 0; i < blockCount; ++i) {
            EXPECT_TRUE(h.completions.empty());
            ASSERT_EQ(0, h.Call("image", kKavoPoll, 0, kKavoDataNone, nullptr));
            EXPECT_EQ(i + 1, h.blocks.size());
        }
    }
    ASSERT_EQ(blockCount, h.blocks.size());
    ASSERT_EQ(1u, h.completions.size());
    EXPECT_EQ(std::make_pair(uint32_t{kKavoStart}, int32_t{0}), h.completions[0]);
    for (size_t i = 0; i < h.blocks.size(); ++i) {
        EXPECT_EQ(c.format, h.blocks[i].format);
        EXPECT_EQ(file.size(), h.blocks[i].total);
        EXPECT_EQ(1000 * i, h.blocks[i].offset);
    }
    ASSERT_EQ(blockCount, h.progress.size());
    EXPECT_EQ(std::make_pair(uint32_t(file.size()), uint32_t(file.size())), h.progress.back());
    EXPECT_EQ(std::make_pair(uint32_t{1000}, uint32_t(file.size())), h.progress.front());
    EXPECT_TRUE(h.picture == file);
    int32_t width = 0;
    EXPECT_EQ(0, camera_test::LoadPicture(h.picture, &width));
    EXPECT_EQ(c.format == kKavoFormatRaw ? 40 : 48, width);
    // Polls after the end owe nothing more.
    ASSERT_EQ(0, h.Call("image", kKavoPoll, 0, kKavoDataNone, nullptr));
    EXPECT_EQ(1u, h.completions.size());
    EXPECT_EQ(blockCount, CountLines(m.Trace(), {"callback data src1/item1/data1 format"}));
}

INSTANTIATE_TEST_SUITE_P(FormatsAndModes, SimTransfer,
                         testing::Values(TransferCase{kKavoFormatJpeg, false}, TransferCase{kKavoFormatJpeg, true},
                                         TransferCase{kKavoFormatTiff, false}, TransferCase{kKavoFormatRaw, true}));

TEST(SimModule, DeliveryFaultsBendTheBlocksTheScenarioNames)
{
    const std::string path = Scratch("faults.bin");
    camera_test::WriteText(path, std::string(2500, 'p'));
    struct Case {
        const char* fault;
        std::vector<uint32_t> offsets;
        uint32_t total;
        int32_t completion;
    } cases[] = {
        {"", {0, 1000, 2000}, 2500, 0},
        {"fault duplicate-first", {0, 0, 1000, 2000}, 2500, 0},
        {"fault out-of-order", {0, 2000, 1000}, 2500, 0},
        {"fault past-total", {0, 1000, 2000, 2500}, 2500, 0},
        {"fault total-zero", {0, 1000, 2000}, 0, 0},
        {"fault ignored-first", {0, 0, 1000, 2000}, 2500, 0},
        {"fault disconnect-after 2", {0, 1000}, 2500, kavosim::kSimNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        Opened m(std::string("block 1000\npicture 2 ") + path + "\n" + c.fault);
        m.CaptureAndOpen();
        SimHost& h = m.host;
        const int32_t result = h.Call("image", kKavoStart, kKavoCapDeliver, kKavoDataNone, nullptr, true);
        EXPECT_EQ(c.completion, result);
        std::vector<uint32_t> offsets;
        for (const SimHost::Block& b : h.blocks) {
            offsets.push_back(b.offset);
            EXPECT_EQ(c.total, b.total);
        }
        EXPECT_EQ(c.offsets, offsets);
        ASSERT_EQ(1u, h.completions.size());
        EXPECT_EQ(c.completion, h.completions[0].second);
        const bool ignoredFirst = std::string(c.fault) == "fault ignored-first";
        for (size_t i = 0; i < h.blocks.size(); ++i)
            EXPECT_EQ(ignoredFirst && i == 0 ? 1u : 0u, h.blocks[i].ignore) << i;
    }
}

TEST(SimModule, TheReceiversRefusalEndsTheDelivery)
{
    const std::string path = Scratch("refused.bin");
    camera_test::WriteText(path, std::string(3000, 'q'));
    Opened m("block 1000\npicture 1 " + path);
    m.CaptureAndOpen();
    m.host.dataResult = -240;
    EXPECT_EQ(-240, m.host.Call("image", kKavoStart, kKavoCapDeliver, kKavoDataNone, nullptr, true));
    EXPECT_EQ(1u, m.host.blocks.size());
    ASSERT_EQ(1u, m.host.completions.size());
    EXPECT_EQ(-240, m.host.completions[0].second);
}

TEST(SimModule, CompletesEachQueuedCallOnceInTheCallAfterPollsOrNever)
{
    struct Case {
        const char* rule;
        size_t afterCall, afterTwoPolls, afterTenPolls;
    } cases[] = {
        {"", 1, 1, 1},
        {"complete after 3", 0, 0, 1},
        {"complete after 2", 0, 1, 1},
        {"complete never", 0, 0, 0},
        {"complete set after 3", 1, 1, 1},  // the rule names another command
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        Opened m(c.rule);
        uint32_t value = 0;
        ASSERT_EQ(0, m.host.Call("source", kKavoGet, 45, kKavoDataUint, &value, true));
        EXPECT_EQ(c.afterCall, m.host.completions.size());
        for (int i = 0; i < 10; ++i) {
            ASSERT_EQ(0, m.host.Call("source", kKavoPoll, 0, kKavoDataNone, nullptr));
            if (i == 1) {
                EXPECT_EQ(c.afterTwoPolls, m.host.completions.size());
            }
        }
        EXPECT_EQ(c.afterTenPolls, m.host.completions.size());
    }
    // An abort completes what the object still owes, once.
    Opened m("complete after 5");
    uint32_t value = 0;
    ASSERT_EQ(0, m.host.Call("source", kKavoGet, 45, kKavoDataUint, &value, true));
    ASSERT_EQ(0, m.host.Call("source", kKavoAbort, 0, kKavoDataNone, nullptr));
    ASSERT_EQ(1u, m.host.completions.size());
    EXPECT_EQ(kavosim::kSimAborted, m.host.completions[0].second);
    for (int i = 0; i < 6; ++i)
        m.host.Call("source", kKavoPoll, 0, kKavoDataNone, nullptr);
    EXPECT_EQ(1u, m.host.completions.size());
}

TEST(SimModule, InjectedResultsAnswerTheChosenCalls)
{
    struct Case {
        const char* line;
        uint32_t command, cap;
        std::vector<int32_t> results;  // of consecutive identical calls
    } cases[] = {
        {"repeat 2 source get 0x2d", kKavoGet, 45, {kKavoRepeat, kKavoRepeat, 0}},
        {"repeat 1 source count *", kKavoCapabilityCount, 0, {kKavoRepeat, 0}},
        {"fail busy source start 17", kKavoStart, 17, {148, 148}},
        {"fail notfound source get 0x2d 1", kKavoGet, 45, {134, 0}},
        {"fail battery source start 17 1", kKavoStart, 17, {147, 0}},
        {"fail card source start 17", kKavoStart, 17, {132}},
        {"fail 130 source start 17", kKavoStart, 17, {130}},
        {"fail private any get *", kKavoGet, 45, {0x7001}},
        {"fail busy image get *", kKavoGet, 45, {0}},  // another object
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Opened m(c.line);
        for (int32_t expected : c.results) {
            uint32_t value = 0;
            const bool pointer = c.command != kKavoStart;
            EXPECT_EQ(expected, m.host.Call("source", c.command, c.cap, pointer ? kKavoDataUint : kKavoDataNone,
                                            pointer ? &value : nullptr, true));
        }
        // A failed queued call still completes, with its result.
        ASSERT_EQ(c.results.size(), m.host.completions.size());
        EXPECT_EQ(c.results.front(), m.host.completions.front().second);
    }
}

TEST(SimModule, UserRequestsOfEachKindAskTheNearestListener)
{
    struct Case {
        const char* line;
        uint32_t answer;
        int32_t result;
        uint32_t kind;
        bool detailNull, capabilities;
    } cases[] = {
        {"request 0 1 source start 17 : Card full", kKavoAnswerOk, 0, 0, true, false},
        {"request 1 1 source start 17 : Go on? | The card is nearly full", kKavoAnswerCancel, kavosim::kSimDeclined, 1, false, false},
        {"request 2 3 source start 17 caps : Keep settings?", kKavoAnswerYes, 0, 2, true, true},
        {"request 3 4 source start 17 : Save? |", kKavoAnswerNo, kavosim::kSimDeclined, 3, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Opened m(c.line);
        m.host.Listen("module");  // the camera has no listener: its parent answers
        m.host.answer = c.answer;
        EXPECT_EQ(c.result, m.host.Call("source", kKavoStart, 17, kKavoDataNone, nullptr));
        ASSERT_EQ(1u, m.host.requests.size());
        EXPECT_EQ(c.kind, m.host.requests[0].kind);
        EXPECT_EQ(c.detailNull, m.host.requests[0].detailNull);
        EXPECT_EQ(c.capabilities, m.host.requests[0].capabilities);
        EXPECT_EQ(1u, CountLines(m.Trace(), {"callback request module ", std::to_string(c.answer).c_str()}));
    }
    Opened m("request 1 1 source start 17 : Go on? | Details here");
    m.host.Listen("module");
    m.host.Call("source", kKavoStart, 17, kKavoDataNone, nullptr);
    ASSERT_EQ(1u, m.host.requests.size());
    EXPECT_EQ("Go on?", m.host.requests[0].prompt);
    EXPECT_EQ("Details here", m.host.requests[0].detail);
    EXPECT_EQ(1u, m.host.requests[0].defaultAnswer);
}

TEST(SimModule, ADisconnectedCameraAnswersNotFoundUntilItComesBack)
{
    Opened m("items 1");
    SimHost& h = m.host;
    h.Listen("module");
    h.Listen("source");
    ASSERT_EQ(0, h.OpenChild("source", 1, "item"));
    m.sim.Disconnect();
    EXPECT_EQ(std::vector<std::string>{"module 1 1"}, h.events);
    uint32_t value = 0;
    EXPECT_EQ(kavosim::kSimNotFound, h.Call("item", kKavoGet, 12, kKavoDataUint, &value));
    EXPECT_EQ(kavosim::kSimNotFound, h.Call("source", kKavoGet, 45, kKavoDataUint, &value));
    EXPECT_TRUE(h.Children("module").empty());
    // The program can still let go of the objects cleanly.
    h.Listen("source", false, false);
    EXPECT_EQ(kavosim::kSimNotFound, h.Close("item"));
    EXPECT_EQ(kavosim::kSimNotFound, h.Close("source"));
    m.sim.Reconnect();
    EXPECT_EQ("module 0 2", h.events.back());
    EXPECT_EQ(std::vector<uint32_t>{2}, h.Children("module"));
    ASSERT_EQ(0, h.OpenChild("module", 2, "again"));
    EXPECT_EQ(0, h.Call("again", kKavoGet, 45, kKavoDataUint, &value));
    EXPECT_EQ(0u, CountLines(m.Trace(), {"VIOLATION"}));

    // While a request is shown, and when a chosen call arrives.
    Opened inRequest("request 2 3 source start 17 disconnect : Really?");
    inRequest.host.Listen("module");
    EXPECT_EQ(kavosim::kSimNotFound, inRequest.host.Call("source", kKavoStart, 17, kKavoDataNone, nullptr));
    EXPECT_EQ(1u, inRequest.host.requests.size());
    EXPECT_EQ("module 1 1", inRequest.host.events.back());
    Opened onCall("disconnect source get 0x2d");
    EXPECT_EQ(kavosim::kSimNotFound, onCall.host.Call("source", kKavoGet, 45, kKavoDataUint, &value, true));
    ASSERT_EQ(1u, onCall.host.completions.size());
    EXPECT_EQ(kavosim::kSimNotFound, onCall.host.completions[0].second);
}

TEST(SimModule, AnOwedCompletionEndsOnceWhenTheCameraGoes)
{
    Opened m("complete after 10");
    uint32_t value = 0;
    ASSERT_EQ(0, m.host.Call("source", kKavoGet, 45, kKavoDataUint, &value, true));
    m.sim.Disconnect();
    ASSERT_EQ(1u, m.host.completions.size());
    EXPECT_EQ(kavosim::kSimNotFound, m.host.completions[0].second);
    for (int i = 0; i < 12; ++i)
        m.host.Call("module", kKavoPoll, 0, kKavoDataNone, nullptr);
    EXPECT_EQ(1u, m.host.completions.size());
}

TEST(SimModule, TheInboxIsReadAndEmptiedAtEachPoll)
{
    const std::string inbox = Scratch("inbox.txt");
    const std::string trace = Scratch("trace.txt");
    camera_test::WriteText(inbox, "");
    Opened m("inbox " + inbox + "\ntrace " + trace);
    SimHost& h = m.host;
    h.Listen("module");
    h.Listen("source");
    camera_test::WriteText(inbox, "shutter\ndial 0x8112 4\nbattery 1\ncaplist 0x8157\nevent 77 5\nwink\n");
    ASSERT_EQ(0, h.Call("module", kKavoPoll, 0, kKavoDataNone, nullptr));
    EXPECT_EQ((std::vector<std::string>{"source 0 1", "source 6 33042", "source 6 33033", "source 4 33111",
                                        "source 77 5"}),
              h.events);
    EXPECT_TRUE(fileio_test::ReadFile(inbox).empty());
    KavoListRecord list = {};
    ASSERT_EQ(0, h.Call("source", kKavoGet, 0x8112, kKavoDataList, &list));
    EXPECT_EQ(4u, +list.currentIndex);
    int32_t level = 0;
    ASSERT_EQ(0, h.Call("source", kKavoGet, 0x8109, kKavoDataInt, &level));
    EXPECT_EQ(1, level);
    EXPECT_FALSE(h.HasCap("source", 0x8157));
    ASSERT_EQ(0, h.OpenChild("source", 1, "item"));
    h.Listen("item");
    camera_test::WriteText(inbox, "caplist 0x8157\nremove 1 8\nremove 1\ndisconnect\nreconnect\n");
    ASSERT_EQ(0, h.Call("module", kKavoPoll, 0, kKavoDataNone, nullptr));
    EXPECT_EQ((std::vector<std::string>{"source 4 33111", "item 1 8", "source 1 1", "module 1 1", "module 0 2"}),
              std::vector<std::string>(h.events.end() - 5, h.events.end()));
    EXPECT_EQ(1u, CountLines(m.Trace(), {"inbox ? wink"}));
    // The trace file holds what the module traced, line for line.
    EXPECT_EQ(m.Trace(), camera_test::ReadLines(trace));
}

TEST(SimModule, MalformedAnswersStayWithinTheCallersBuffers)
{
    Opened m("malform capcount 268435456 source\nmalform unterminated 0x8148\nmalform unterminated 0x8112\n"
             "malform elemsize 0x8117 16\nmalform listcount 0x8113 1000\nmalform captype 0x8112 99");
    SimHost& h = m.host;
    uint32_t count = 0;
    ASSERT_EQ(0, h.Call("source", kKavoCapabilityCount, 0, kKavoDataUint, &count));
    EXPECT_EQ(268435456u, count);
    // However large the count, the module fills only the records asked for.
    std::vector<tagQzKAVOCapInfo> two(2);
    ASSERT_EQ(0, h.Call("source", kKavoCapabilityInfo, 2, kKavoDataCapInfo, two.data()));
    EXPECT_EQ(1u, +two[0].id);

    char text[256];
    ASSERT_EQ(0, h.Call("source", kKavoGet, 0x8148, kKavoDataString, text));
    EXPECT_EQ(nullptr, std::memchr(text, 0, sizeof(text)));
    KavoListRecord list;
    std::vector<uint8_t> bytes;
    ASSERT_EQ(0, h.ReadList("source", 0x8112, &list, &bytes));
    EXPECT_EQ(nullptr, std::memchr(bytes.data(), 0, bytes.size()));
    ASSERT_EQ(0, h.ReadList("source", 0x8117, &list, &bytes));
    EXPECT_EQ(16, +list.bytesPerElement);
    EXPECT_STREQ("200", reinterpret_cast<const char*>(bytes.data() + 16));
    ASSERT_EQ(0, h.ReadList("source", 0x8113, &list, &bytes));
    EXPECT_EQ(1000u, +list.elementCount);
    EXPECT_EQ(0, bytes[999 * 256]);

    std::vector<tagQzKAVOCapInfo> all(count > 1000 ? 1000 : count);
    ASSERT_EQ(0, h.Call("source", kKavoCapabilityInfo, static_cast<uint32_t>(all.size()), kKavoDataCapInfo, all.data()));
    const auto shutter = std::find_if(all.begin(), all.end(), [](const tagQzKAVOCapInfo& c) { return c.id == 0x8112; });
    ASSERT_NE(all.end(), shutter);
    EXPECT_EQ(99u, +shutter->type);
    EXPECT_EQ(nullptr, std::memchr(shutter->description, 0, sizeof(shutter->description)));
    EXPECT_EQ(1u, CountLines(m.Trace(), {"get 0x8148 11 \"", "(unterminated) -> 0"}));
}

TEST(SimScenario, UnknownLinesAreReportedAndTraced)
{
    const kavosim::Scenario s = kavosim::ParseScenario(
        "profile M4H  # a comment\n\nblock 0\nfail busy nowhere get 7\nrepeat 2 source get 0x8112\nfault sideways\r\n");
    EXPECT_EQ("M4H", s.profile);
    EXPECT_EQ((std::vector<std::string>{"block 0", "fail busy nowhere get 7", "fault sideways"}), s.errors);
    ASSERT_EQ(1u, s.repeats.size());
    EXPECT_EQ(0x8112u, s.repeats[0].call.capability);
    EXPECT_EQ(uint32_t{kKavoGet}, s.repeats[0].call.command);

    CSimModule sim;
    SimHost host(Bind(sim));
    sim.SetScenarioText("teleport now");
    ASSERT_EQ(0, host.OpenModule());
    EXPECT_EQ(1u, CountLines(sim.Trace(), {"scenario ? teleport now"}));
}

}  // namespace
