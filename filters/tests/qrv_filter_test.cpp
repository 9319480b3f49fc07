#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>

#include "kolvex_test_util.h"
#include "filters/qrv_functions_impl.h"

using namespace kolvex_test;

namespace {

// A colour engine that records its calls and copies pixels through unchanged.
struct FakeEngine {
    static std::vector<std::string>& Calls()
    {
        static std::vector<std::string> calls;
        return calls;
    }
    static QZCMResult& FailIntent()
    {
        static QZCMResult fail = 0;
        return fail;
    }
    static QZCMResult Create(QZCMHandle* h)
    {
        Calls().push_back("create");
        *h = 7;
        return 0;
    }
    static QZCMResult Destroy(QZCMHandle) { Calls().push_back("destroy"); return 0; }
    static QZCMResult InProfile(QZCMHandle, const char* p) { Calls().push_back(std::string("in:") + p); return 0; }
    static QZCMResult OutProfile(QZCMHandle, const char* p) { Calls().push_back(std::string("out:") + p); return 0; }
    static QZCMResult InBits(QZCMHandle, int32_t b) { Calls().push_back("inbits:" + std::to_string(b)); return 0; }
    static QZCMResult OutBits(QZCMHandle, int32_t b) { Calls().push_back("outbits:" + std::to_string(b)); return 0; }
    static QZCMResult Intent(QZCMHandle, int32_t i)
    {
        Calls().push_back("intent:" + std::to_string(i));
        return FailIntent();
    }
    static QZCMResult Proof(QZCMHandle, int32_t m) { Calls().push_back("proof:" + std::to_string(m)); return 0; }
    static QZCMResult Lut(const char* name, int32_t mask, const unsigned short* t0)
    {
        Calls().push_back(std::string(name) + ":" + std::to_string(mask) + (t0 ? ":t" : ":-"));
        return 0;
    }
    static QZCMResult SetIn(QZCMHandle, int32_t, int32_t, int32_t m, const unsigned short* a, const unsigned short*,
                            const unsigned short*, const unsigned short*)
    {
        return Lut("setin", m, a);
    }
    static QZCMResult SetOut(QZCMHandle, int32_t, int32_t, int32_t m, const unsigned short* a, const unsigned short*,
                             const unsigned short*, const unsigned short*)
    {
        return Lut("setout", m, a);
    }
    static QZCMResult MergeIn(QZCMHandle, int32_t, int32_t, int32_t m, const unsigned short* a,
                              const unsigned short*, const unsigned short*, const unsigned short*)
    {
        return Lut("mergein", m, a);
    }
    static QZCMResult MergeOut(QZCMHandle, int32_t, int32_t, int32_t m, const unsigned short* a,
                               const unsigned short*, const unsigned short*, const unsigned short*)
    {
        return Lut("mergeout", m, a);
    }
    static QZCMResult Process(QZCMHandle, int32_t pixels, int32_t lines, const void* in, void* out, int32_t inLine,
                              int32_t outLine)
    {
        Calls().push_back("process");
        for (int32_t y = 0; y < lines; ++y)
            std::memcpy(static_cast<uint8_t*>(out) + y * outLine, static_cast<const uint8_t*>(in) + y * inLine,
                        static_cast<size_t>(pixels) * 3);
        return 0;
    }
};

// Writes a file that has a profile header naming a colour space.
std::string ProfileFile(const std::string& stem, const char signature[5], size_t bytes = 128)
{
    const std::string path = ScratchPath(stem) + ".icc";
    std::vector<char> data(bytes, 0);
    if (bytes >= 20)
        std::memcpy(data.data() + 16, signature, 4);
    std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    return path;
}

class QrvFakeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KolvexQrv() = KolvexQrvFunctions{FakeEngine::Create,  FakeEngine::Destroy, FakeEngine::InProfile,
                                         FakeEngine::OutProfile, FakeEngine::InBits, FakeEngine::OutBits,
                                         FakeEngine::Intent,  FakeEngine::Proof,   FakeEngine::SetIn,
                                         FakeEngine::SetOut,  FakeEngine::MergeIn, FakeEngine::MergeOut,
                                         FakeEngine::Process};
        FakeEngine::Calls().clear();
        FakeEngine::FailIntent() = 0;
        manager = MakeManager(16384);
        rgbIn = ProfileFile("in", "RGB ");
        rgbOut = ProfileFile("out", "RGB ");
        // RGB 8 in 16384-byte tiles: side 73, so 146 x 73 is two source cells.
        source = MakeImage(manager, 32, 146, 73, Pattern(146 * 73 * 3));
    }
    void TearDown() override
    {
        source->Destroy();
        manager->Destroy();
        KolvexQrv() = KolvexQrvDefaults();
    }
    CVorlatFilterQRVEngine* MakeEngine()
    {
        CVorlatFilterQRVEngine* engine = new CVorlatFilterQRVEngine;
        EXPECT_EQ(Deepest(engine->SetProfiles(FileName(rgbIn), FileName(rgbOut))), 0);
        engine->SetBitsPerComponent(false, 8);
        engine->SetBitsPerComponent(true, 8);
        engine->SetRenderingIntent(1);
        return engine;
    }
    void LockOnce(CVorlatFilterQRV& filter, int32_t column, int32_t row)
    {
        void* data = nullptr;
        EXPECT_EQ(Deepest(filter.LockTile(&data, column, row, nullptr)), 0);
        EXPECT_EQ(Deepest(filter.UnlockTile(column, row)), 0);
    }
    size_t Count(const std::string& call) const
    {
        return static_cast<size_t>(std::count(FakeEngine::Calls().begin(), FakeEngine::Calls().end(), call));
    }

    IVorlatManager* manager = nullptr;
    IVorlatImage* source = nullptr;
    std::string rgbIn, rgbOut;
};

TEST_F(QrvFakeTest, EngineIsSetUpInTheFixedOrderThenOneProcessCallPerSourceCell)
{
    CVorlatFilterQRVEngine* engine = MakeEngine();
    engine->SetAutoDeleteThreshold(0);
    {
        CVorlatFilterQRV filter(manager);
        KOLVEX_OK(VorlatDataConnect(source, &filter));
        KOLVEX_OK(filter.SetQRVEngine(engine, false));
        LockOnce(filter, 0, 0);
        const std::vector<std::string> expected = {
            "create", "in:" + rgbIn, "out:" + rgbOut, "inbits:8", "outbits:8", "intent:1", "proof:1",
            "mergein:15:-", "mergeout:15:-", "process"};
        EXPECT_EQ(FakeEngine::Calls(), expected);
        LockOnce(filter, 1, 0);
        EXPECT_EQ(Count("process"), 2u);
        EXPECT_EQ(Count("mergein:15:-"), 1u);  // no reload between tiles of one filter
    }
    // The filter held the last reference; with threshold 0 the engine went with it.
    EXPECT_EQ(FakeEngine::Calls().back(), "destroy");
}

TEST_F(QrvFakeTest, OneOutputTileOverTwoSourceCellsProcessesEachCell)
{
    IVorlatManager* big = MakeManager(65536);
    CVorlatFilterQRVEngine* engine = MakeEngine();
    {
        CVorlatFilterQRV filter(big);
        KOLVEX_OK(VorlatDataConnect(source, &filter));
        KOLVEX_OK(filter.SetQRVEngine(engine, false));
        LockOnce(filter, 0, 0);  // side 147 in the big manager: covers both source cells
        EXPECT_EQ(Count("process"), 2u);
        KOLVEX_OK(filter.SetQRVEngine(nullptr, false));
    }
    delete engine;
    big->Destroy();
}

TEST_F(QrvFakeTest, FiltersSharingAnEngineReloadOnlyWhenTheySwitch)
{
    CVorlatFilterQRVEngine* engine = MakeEngine();
    CVorlatFilterQRV a(manager), b(manager);
    std::vector<uint16_t> curve(256);
    const uint16_t* tables[] = {curve.data(), curve.data(), curve.data()};
    KOLVEX_OK(b.SetLUT(false, true, tables, 8, 8, 3, false));
    for (CVorlatFilterQRV* f : {&a, &b}) {
        KOLVEX_OK(VorlatDataConnect(source, f));
        KOLVEX_OK(f->SetQRVEngine(engine, false));
    }
    EXPECT_EQ(engine->GetUserCount(), 2);
    LockOnce(a, 0, 0);
    LockOnce(a, 1, 0);
    LockOnce(b, 0, 0);
    LockOnce(b, 1, 0);
    LockOnce(a, 0, 0);  // cached: nothing happens
    KOLVEX_OK(a.Enable(false, false));
    KOLVEX_OK(a.Enable(true, false));
    LockOnce(a, 0, 0);
    std::vector<std::string> loads;
    for (const std::string& call : FakeEngine::Calls()) {
        if (call.rfind("setin", 0) == 0 || call.rfind("mergein", 0) == 0)
            loads.push_back(call);
    }
    EXPECT_EQ(loads, std::vector<std::string>({"mergein:15:-", "mergein:15:t", "mergein:15:-"}));
    EXPECT_EQ(Count("process"), 5u);
    EXPECT_EQ(Count("create"), 1u);
    KOLVEX_OK(a.SetQRVEngine(nullptr, false));
    KOLVEX_OK(b.SetQRVEngine(nullptr, false));
    delete engine;
}

TEST_F(QrvFakeTest, EngineSettingChangesEmptyTheCachesOfItsFilters)
{
    CVorlatFilterQRVEngine* engine = MakeEngine();
    CVorlatFilterQRV filter(manager);
    KOLVEX_OK(VorlatDataConnect(source, &filter));
    KOLVEX_OK(filter.SetQRVEngine(engine, false));
    LockOnce(filter, 0, 0);
    KOLVEX_OK(engine->SetRenderingIntent(1 + 0x10000));  // the low 16 bits are the same
    LockOnce(filter, 0, 0);
    EXPECT_EQ(Count("process"), 1u);
    KOLVEX_OK(engine->SetRenderingIntent(3));
    LockOnce(filter, 0, 0);
    EXPECT_EQ(Count("process"), 2u);
    EXPECT_EQ(Count("intent:3"), 1u);
    // Settings are passed again before the next tile: a refusal is reported and retried.
    KOLVEX_OK(engine->SetProofMode(false));
    FakeEngine::FailIntent() = 1;
    void* data = nullptr;
    IVorlatError* err = filter.LockTile(&data, 0, 0, nullptr);
    ASSERT_NE(err, nullptr);
    IVorlatError* deepest = err;
    while (deepest->Next())
        deepest = deepest->Next();
    EXPECT_EQ(deepest->From(), VorlatFourCC("QZCM"));
    EXPECT_EQ(deepest->GetValue(), 1);
    err->Destroy();
    FakeEngine::FailIntent() = 0;
    LockOnce(filter, 0, 0);
    EXPECT_EQ(Count("proof:0"), 1u);
    KOLVEX_OK(filter.SetQRVEngine(nullptr, false));
    delete engine;
}

TEST_F(QrvFakeTest, SameProfilesByAnotherSpellingChangeNothing)
{
    CVorlatFilterQRVEngine engine;
    KOLVEX_OK(engine.SetProfiles(FileName(rgbIn), FileName(rgbOut)));
    const int32_t counter = engine.GetChangeCounter();
    // Another case, a "./" that folds away, and only the proof profile new: no change.
    std::string other = rgbOut;
    other.insert(other.rfind('/') + 1, "./");
    for (char& c : other)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    KOLVEX_OK(engine.SetProfiles(FileName(rgbIn), FileName(other), FileName(ProfileFile("proof", "CMYK"))));
    EXPECT_EQ(engine.GetChangeCounter(), counter);
    EXPECT_EQ(Deepest(engine.SetProfiles(FileName(rgbIn), FileName(ScratchPath("missing") + ".icc"))), ENOENT);
    char signature[4];
    int32_t channels = -1;
    KOLVEX_OK(CVorlatFilterQRVEngine::ReadProfileInfo(FileName(ProfileFile("short", "RGB ", 40)), signature, &channels));
    EXPECT_EQ(channels, 0);
    EXPECT_EQ(std::string(signature, 4), std::string(4, '\0'));
    KOLVEX_OK(CVorlatFilterQRVEngine::ReadProfileInfo(FileName(ProfileFile("odd", "XYZW")), signature, &channels));
    EXPECT_EQ(channels, 0);
}

TEST_F(QrvFakeTest, FilteredColorSpaceFollowsTheOutputProfileAndBits)
{
    struct Case {
        const char* signature;
        int32_t bits, colorSpace;
    } cases[] = {{"RGB ", 16, 33}, {"RGB ", 8, 32}, {"CMYK", 16, 0}, {"CMYK", 8, 34}, {"GRAY", 16, 3},
                 {"Lab ", 16, 36}, {"Lab ", 8, 0},  {"Lch ", 8, 39},  {"RGB ", 12, 0}};
    for (const Case& c : cases) {
        CVorlatFilterQRVEngine* engine = new CVorlatFilterQRVEngine;
        KOLVEX_OK(engine->SetProfiles(FileName(rgbIn), FileName(ProfileFile("o", c.signature))));
        engine->SetBitsPerComponent(true, c.bits);
        engine->SetBitsPerComponent(false, 8);
        CVorlatFilterQRV filter(manager);
        KOLVEX_OK(VorlatDataConnect(source, &filter));
        KOLVEX_OK(filter.SetQRVEngine(engine, false));
        int32_t space = -1;
        const std::string text = DeepestText(filter.GetColorSpace(&space));
        if (c.colorSpace)
            EXPECT_EQ(space, c.colorSpace) << c.signature << c.bits;
        else
            EXPECT_EQ(text, kKolvexBadDestinationSpace) << c.signature << c.bits;
        KOLVEX_OK(filter.SetQRVEngine(nullptr, false));
        delete engine;
    }
}

TEST_F(QrvFakeTest, PixelSizesMustMatchTheEngineSides)
{
    CVorlatFilterQRVEngine* engine = new CVorlatFilterQRVEngine;
    KOLVEX_OK(engine->SetProfiles(FileName(ProfileFile("g", "GRAY")), FileName(rgbOut)));
    engine->SetBitsPerComponent(false, 8);
    engine->SetBitsPerComponent(true, 8);
    CVorlatFilterQRV filter(manager);
    KOLVEX_OK(VorlatDataConnect(source, &filter));
    KOLVEX_OK(filter.SetQRVEngine(engine, false));
    void* data = nullptr;
    EXPECT_EQ(DeepestText(filter.LockTile(&data, 0, 0, nullptr)), kKolvexBadSourceSpace);
    EXPECT_EQ(Count("process"), 0u);
    KOLVEX_OK(filter.SetQRVEngine(nullptr, false));
    // Without an engine there is no output layout at all.
    EXPECT_EQ(DeepestText(filter.LockTile(&data, 0, 0, nullptr)), kKolvexBadDestinationSpace);
    IVorlatTile* tile = nullptr;
    KOLVEX_OK(source->GetTile(&tile, 0, 0));
    EXPECT_EQ(DeepestText(filter.GenerateTile(tile, nullptr, 0)), kKolvexBadDestinationSpace);
    delete engine;
}

class CountingManager : public CVorlatFilterQRVEngine::IMgr {
public:
    void ReferenceCountChanged(CVorlatFilterQRVEngine*, int32_t references) override { counts.push_back(references); }
    std::vector<int32_t> counts;
};

TEST_F(QrvFakeTest, HoldersDecideTheEnginesLifetime)
{
    CountingManager pool;
    CVorlatFilterQRVEngine* managed = new CVorlatFilterQRVEngine;
    managed->SetManager(&pool);
    {
        CVorlatFilterQRVEngine::Pointer first(managed), second(managed);
        CVorlatFilterQRV filter(manager);
        KOLVEX_OK(filter.SetQRVEngine(managed, false));
        KOLVEX_OK(filter.SetQRVEngine(managed, false));  // same engine: users stay one, holders untouched
        EXPECT_EQ(managed->GetUserCount(), 1);
        EXPECT_EQ(pool.counts, std::vector<int32_t>({1, 2, 3}));
    }
    EXPECT_EQ(pool.counts.back(), 0);  // told, and the engine stays for the pool to decide
    CVorlatFilterQRVEngine::Pointer late;
    {
        CVorlatFilterQRVEngine::Pointer held(managed);
        late = held;
    }
    delete managed;  // the pool deletes it: every holder forgets it
    EXPECT_EQ(late.Get(), nullptr);
}

} // namespace
