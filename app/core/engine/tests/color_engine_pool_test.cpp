#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/engine/pool/color_engine_pool.h"
#include "app/core/engine/tests/engine_test_util.h"

using namespace engine_test;

namespace {

using Holder = CVorlatFilterQRVEngine::Pointer;

// Profile files are only opened for their header here: any small file does.
std::string Profile(const std::string& folder, const std::string& name)
{
    const std::string path = folder + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_TRUE(file) << path;
    if (file) {
        std::fputs("profile", file);
        std::fclose(file);
    }
    return path;
}

class EnginePool : public ::testing::Test {
protected:
    void SetUp() override
    {
        pool.SetParkedLimit(4);
        folder = ScratchPath("pool") + "/";
        std::filesystem::create_directories(folder);
        for (int i = 0; i < 6; ++i)
            inputs.push_back(Profile(folder, "in" + std::to_string(i) + ".icm"));
        output = Profile(folder, "out.icm");
    }
    void TearDown() override
    {
        for (const std::string& path : inputs)
            std::remove(path.c_str());
        std::remove(output.c_str());
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    CVorlatFilterQRVEngine* Get(Holder& holder, const std::string& input, int32_t inBits = 8,
                                const std::string& out = "")
    {
        EXPECT_EQ(0, Deepest(pool.GetEngine(input.c_str(), (out.empty() ? output : out).c_str(), inBits, 8, holder)));
        return holder.Get();
    }

    CQRVEngMgr pool;
    std::string folder, output;
    std::vector<std::string> inputs;
};

}  // namespace

TEST_F(EnginePool, SameKeySameEngineAndEveryDifferenceAnother)
{
    Holder a, b, c, d;
    CVorlatFilterQRVEngine* first = Get(a, inputs[0]);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, Get(b, inputs[0]));
    EXPECT_NE(first, Get(c, inputs[0], 16));
    EXPECT_EQ(16, c->GetBitsPerComponent(false));
    EXPECT_EQ(2, pool.GetEnginesMade());
    // Letter case counts in the key, whatever the file system makes of it.
    const std::string upper = Profile(folder, "in0.ICM");
    EXPECT_EQ(0, Deepest(pool.GetEngine(upper.c_str(), output.c_str(), 8, 8, d)));
    EXPECT_NE(first, d.Get());
    EXPECT_EQ(3, pool.GetEnginesMade());
    EXPECT_EQ(1, first->GetAutoDeleteThreshold());
    EXPECT_EQ(0, first->GetRenderingIntent());
    EXPECT_TRUE(first->IsProofMode());
}

TEST_F(EnginePool, FiveReleasesParkFourAndDeleteTheFirst)
{
    std::vector<CVorlatFilterQRVEngine*> engines;
    {
        Holder holders[5];
        for (int i = 0; i < 5; ++i)
            engines.push_back(Get(holders[i], inputs[i]));
        EXPECT_EQ(0, pool.GetParkedCount());
        for (Holder& holder : holders)
            holder.Set(nullptr);
        EXPECT_EQ(4, pool.GetParkedCount());
        EXPECT_EQ(4, pool.GetEntryCount());
    }
    // The four parked come back as they were, without a new set-up.
    Holder again[4];
    for (int i = 1; i < 5; ++i) {
        const int32_t changes = engines[i]->GetChangeCounter();
        EXPECT_EQ(engines[i], Get(again[i - 1], inputs[i])) << i;
        EXPECT_EQ(changes, engines[i]->GetChangeCounter()) << i;
    }
    EXPECT_EQ(0, pool.GetParkedCount());
    // The first was deleted: asking for it makes a new engine.
    Holder first;
    Get(first, inputs[0]);
    EXPECT_EQ(6, pool.GetEnginesMade());
}

TEST_F(EnginePool, ANewKeyReKeysTheEngineParkedLongestAgo)
{
    Holder a, b;
    CVorlatFilterQRVEngine* oldest = Get(a, inputs[0]);
    CVorlatFilterQRVEngine* newer = Get(b, inputs[1]);
    a.Set(nullptr);
    b.Set(nullptr);
    EXPECT_EQ(2, pool.GetParkedCount());
    Holder c;
    EXPECT_EQ(oldest, Get(c, inputs[2], 16));
    EXPECT_EQ(2, pool.GetEnginesMade());
    EXPECT_EQ(1, pool.GetParkedCount());
    _VorlatFile in{}, out{}, proof{};
    ENGINE_OK(c->GetProfiles(&in, &out, &proof));
    EXPECT_EQ(inputs[2], in.path);
    EXPECT_EQ(16, c->GetBitsPerComponent(false));
    // The other parked engine still answers its own key.
    Holder d;
    EXPECT_EQ(newer, Get(d, inputs[1]));
}

TEST_F(EnginePool, APercentUnderscoreOutputIsProofedAgainstTheNameWithoutIt)
{
    const std::string proofed = Profile(folder, "%_out.icm");
    Holder a, b;
    Get(a, inputs[0], 8, proofed);
    _VorlatFile in{}, out{}, proof{};
    ENGINE_OK(a->GetProfiles(&in, &out, &proof));
    EXPECT_EQ(proofed, out.path);
    EXPECT_EQ(output, proof.path);
    Get(b, inputs[0]);
    ENGINE_OK(b->GetProfiles(&in, &out, &proof));
    EXPECT_EQ(output, proof.path);
    std::remove(proofed.c_str());
}

TEST_F(EnginePool, AMissingProfileLeavesTheHolderEmptyAndNoEntry)
{
    Holder holder;
    Get(holder, inputs[0]);
    IVorlatError* err = pool.GetEngine((folder + "absent.icm").c_str(), output.c_str(), 8, 8, holder);
    ASSERT_NE(nullptr, err);
    err->Destroy();
    EXPECT_EQ(nullptr, holder.Get());
    // The engine the holder let go was parked, then taken up for the new key;
    // its failed set-up left neither it nor an entry behind.
    EXPECT_EQ(0, pool.GetEntryCount());
    EXPECT_EQ(0, pool.GetParkedCount());
    Holder again;
    EXPECT_EQ(0, Deepest(pool.GetEngine(inputs[0].c_str(), output.c_str(), 8, 8, again)));
    EXPECT_EQ(2, pool.GetEnginesMade());
}

TEST_F(EnginePool, WithoutParkingAReleasedEngineIsDeleted)
{
    pool.SetParkedLimit(0);
    Holder a;
    Get(a, inputs[0]);
    a.Set(nullptr);
    EXPECT_EQ(0, pool.GetEntryCount());
    EXPECT_EQ(0, pool.GetParkedCount());
}

TEST_F(EnginePool, RequestFunctionsUseTheEnginesProfilesAndThePool)
{
    CreateColorEnginePool();
    SetColorProfilePaths(inputs[0].c_str(), inputs[1].c_str(), inputs[2].c_str(), output.c_str());
    Holder a, b;
    EXPECT_EQ(1, CreateColorEngineByIndex(a, 0, 8, 3, 8));
    EXPECT_EQ(1, CreateColorEngineFromPath(b, inputs[0].c_str(), 8, 3, 8));
    EXPECT_EQ(a.Get(), b.Get());
    EXPECT_EQ(0, AcquireColorEngine(b, (folder + "absent.icm").c_str(), 8, output.c_str(), 8));
    EXPECT_EQ(nullptr, b.Get());
    a.Set(nullptr);
    DestroyColorEnginePool();
    EXPECT_EQ(0, CreateColorEngineByIndex(a, 0, 8, 3, 8));  // no pool any more
}
