#include "Vorlat/VorlatError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Frame {
    int32_t value;
    int32_t from;
    std::string location;
    std::string text; // "<null>" for a frame without text
};

std::vector<Frame> Frames(const IVorlatError* chain)
{
    std::vector<Frame> frames;
    for (const IVorlatError* f = chain; f; f = f->Next()) {
        char where[32];
        f->Location(where);
        frames.push_back({f->GetValue(), f->From(), where, f->GetString() ? f->GetString() : "<null>"});
    }
    return frames;
}

TEST(ErrorChain, NothingIsAddedForEmptyArguments)
{
    IVorlatError* existing = IVorlatError::Add(nullptr, 3, 10, 0, 1005);
    ASSERT_NE(existing, nullptr);

    struct Case {
        const char* what;
        IVorlatError* (*call)(IVorlatError**);
    } cases[] = {
        {"value 0", [](IVorlatError** c) { return IVorlatError::Add(c, 7, 1, 0, 0); }},
        {"null text", [](IVorlatError** c) { return IVorlatError::Add(c, 7, 1, static_cast<const char*>(nullptr)); }},
        {"empty text", [](IVorlatError** c) { return IVorlatError::Add(c, 7, 1, ""); }},
        {"empty text, no place", [](IVorlatError** c) { return IVorlatError::Add(c, ""); }},
        {"null error", [](IVorlatError** c) { return IVorlatError::Add(c, 7, 1, static_cast<IVorlatError*>(nullptr)); }},
        {"worker, null error", [](IVorlatError** c) { return IVorlatError::AddWorker(c, 7, 1, nullptr); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IVorlatError* chain = existing;
        EXPECT_EQ(c.call(&chain), existing);
        EXPECT_EQ(chain, existing);
        EXPECT_EQ(existing->Next(), nullptr);
        IVorlatError* none = nullptr;
        EXPECT_EQ(c.call(&none), nullptr);
        EXPECT_EQ(c.call(nullptr), nullptr);
    }
    existing->Destroy();
}

TEST(ErrorChain, FramesCarryTheirPlaceOriginValueAndText)
{
    IVorlatError* chain = nullptr;
    IVorlatError::Add(&chain, 3, 55, kVorlatFromErrno, 28);
    IVorlatError::Add(&chain, 7, 710, "Bad source data color space");
    IVorlatError::Add(&chain, "no place");
    IVorlatError::Add(&chain, 9, 12, VorlatFourCC("QZCM"), 4);

    std::vector<Frame> frames = Frames(chain);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].value, 4);
    EXPECT_EQ(frames[0].from, 0x515A434D);
    EXPECT_EQ(frames[0].location, "9:12");
    EXPECT_EQ(frames[1].value, 1000);
    EXPECT_EQ(frames[1].location, "0:0");
    EXPECT_EQ(frames[1].text, "no place");
    EXPECT_EQ(frames[2].value, 1000);
    EXPECT_EQ(frames[2].from, 0);
    EXPECT_EQ(frames[2].location, "7:710");
    EXPECT_EQ(frames[2].text, "Bad source data color space");
    EXPECT_EQ(frames[3].value, 28);
    EXPECT_EQ(frames[3].from, 1);
    EXPECT_EQ(frames[3].text, "<null>");

    EXPECT_EQ(chain->GetDeepestValue(), 28);
    // The deepest frame has no text, even though newer frames do.
    EXPECT_EQ(chain->GetDeepestString(), nullptr);
    chain->Destroy();
}

TEST(ErrorChain, WorkerPutsLocationThenErrorThenOldChain)
{
    IVorlatError* mine = IVorlatError::Add(nullptr, 5, 1, 0, 1001);
    IVorlatError* theirs = nullptr;
    IVorlatError::Add(&theirs, 2, 20, 0, 1006);
    IVorlatError::Add(&theirs, 3, 30, "page file");

    IVorlatError* head = IVorlatError::AddWorker(&mine, 4, 40, theirs);
    EXPECT_EQ(head, mine);

    std::vector<Frame> frames = Frames(head);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].value, 1);
    EXPECT_EQ(frames[0].location, "4:40");
    EXPECT_EQ(frames[1].text, "page file");
    EXPECT_EQ(frames[2].value, 1006);
    EXPECT_EQ(frames[3].value, 1001);
    EXPECT_EQ(head->GetDeepestValue(), 1001);
    head->Destroy();
}

TEST(ErrorChain, WorkerIntoEmptyChainAndThroughAddAlias)
{
    IVorlatError* chain = nullptr;
    IVorlatError* head = IVorlatError::Add(&chain, 8, 80, IVorlatError::Add(nullptr, 2, 2, 0, 1014));
    ASSERT_EQ(head, chain);
    std::vector<Frame> frames = Frames(head);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].value, 1);
    EXPECT_EQ(frames[0].location, "8:80");
    EXPECT_EQ(frames[1].value, 1014);

    // Without a place to store it, the new head is only returned.
    IVorlatError* returned = IVorlatError::AddWorker(nullptr, 1, 1, head);
    EXPECT_EQ(Frames(returned).size(), 3u);
    returned->Destroy();
}

TEST(ErrorChain, LocationWritesExtremeNumbers)
{
    IVorlatError* chain = IVorlatError::Add(nullptr, VorlatFourCC("usm "), -2147483647 - 1, 0, 1);
    char where[32];
    chain->Location(where);
    EXPECT_STREQ(where, "1970498848:-2147483648");
    chain->Destroy();
}

TEST(ErrorChain, DestroyFreesLongChains)
{
    // Leaks or a recursive destructor that overflows the stack show up under the sanitizers.
    IVorlatError* chain = nullptr;
    for (int i = 0; i < 200000; ++i) {
        if (i % 3 == 0)
            IVorlatError::Add(&chain, 1, i, "text frame");
        else
            IVorlatError::Add(&chain, 1, i, 0, 1000 + i);
    }
    EXPECT_EQ(chain->GetDeepestString(), std::string("text frame"));
    chain->Destroy();
}

TEST(ErrorChain, FailedHelperWrapsOnlyFailures)
{
    IVorlatError* chain = nullptr;
    EXPECT_FALSE(VorlatFailed(&chain, 5, 1, nullptr));
    EXPECT_EQ(chain, nullptr);
    EXPECT_TRUE(VorlatFailed(&chain, 5, 2, IVorlatError::Add(nullptr, 6, 3, 0, 1007)));
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(chain->GetValue(), 1);
    EXPECT_EQ(chain->GetDeepestValue(), 1007);
    chain->Destroy();
}

} // namespace
