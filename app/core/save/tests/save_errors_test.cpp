// How a save fails: the codes it reports, and that a failed save leaves no
// file behind and the user's file as it was.
#include <algorithm>
#include <cstring>

#include "app/core/save/tests/save_test_util.h"

using namespace save_test;

namespace {

// A stream in memory whose writes fail once a byte budget is spent, with the
// error value the test chooses.
class CFaultStream : public IVorlatStream {
public:
    static int32_t& Budget()
    {
        static int32_t budget = 0;
        return budget;
    }
    static int32_t& Value()
    {
        static int32_t value = 0;
        return value;
    }
    static IVorlatError* Create(const char*, IVorlatStream** out)
    {
        *out = new CFaultStream;
        return nullptr;
    }

    IVorlatError* OpenStream(bool) override
    {
        position_ = 0;
        return nullptr;
    }
    void CloseStream() override {}
    void Destroy() override { delete this; }
    const void* GetMappedMemory() const override { return nullptr; }
    IVorlatError* LoadToMemory(void*, uint32_t) override { return Fail(1103); }
    IVorlatError* SaveFromMemory(const void* buffer, uint32_t bytes) override
    {
        if (static_cast<int64_t>(written_) + bytes > Budget())
            return Fail(Value());
        if (bytes_.size() < position_ + bytes)
            bytes_.resize(position_ + bytes);
        std::memcpy(bytes_.data() + position_, buffer, bytes);
        position_ += bytes;
        written_ += bytes;
        return nullptr;
    }
    IVorlatError* Seek(int32_t offset, int origin) override
    {
        const int64_t base = origin == 0 ? 0 : origin == 1 ? position_ : static_cast<int64_t>(bytes_.size());
        if (base + offset < 0)
            return Fail(1106);
        position_ = static_cast<uint32_t>(base + offset);
        return nullptr;
    }
    IVorlatError* Tell(int32_t* position) const override
    {
        *position = static_cast<int32_t>(position_);
        return nullptr;
    }
    IVorlatError* GetCreateTime(struct tm*) const override { return Fail(1073); }
    IVorlatError* GetFile(_VorlatFile* out) const override
    {
        *out = _VorlatFile{};
        return nullptr;
    }
    IVorlatError* GetSize(uint32_t* bytes) const override
    {
        *bytes = static_cast<uint32_t>(bytes_.size());
        return nullptr;
    }

private:
    static IVorlatError* Fail(int32_t value) { return IVorlatError::Add(nullptr, 0, __LINE__, 0, value); }
    std::vector<uint8_t> bytes_;
    uint32_t position_ = 0;
    uint32_t written_ = 0;
};

}  // namespace

class SaveErrors : public SaveFixture {
protected:
    // Steps a begun develop run until it reaches the phase; false when it ended first.
    bool StepUntil(const CDevelopParams& params, int32_t phase)
    {
        int32_t done = 0;
        while (GetSaveRunPhase() < phase) {
            if (DevelopSaveStep(&params, &done) != 0 || done)
                return false;
        }
        return true;
    }
    void Finish(const CDevelopParams& params)
    {
        int32_t done = 0;
        while (!done)
            DevelopSaveStep(&params, &done);
    }
    // Only the files the fixture made are left: no output, no temporary file.
    void ExpectNoOutput(const std::string& what)
    {
        std::vector<std::string> names = FilesIn(folder);
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            EXPECT_TRUE(name == "source.tif" || name == "source.xqv" || name == "target.tif" ||
                        name.find(".ic") != std::string::npos)
                << what << ": " << name << " was left behind";
        }
    }
};

TEST_F(SaveErrors, SecondBeginWhileARunIsUpIsRefused)
{
    CDevelopParams params;
    OpenSource(params, "source.tif", 32, 48, 32);
    const std::string out = At("out.tif");
    ASSERT_EQ(0, BeginDevelopSave(&params, out.c_str(), 0, kFormatTiff, 0));
    EXPECT_EQ(kEngineSaveRunning, BeginDevelopSave(&params, out.c_str(), 0, kFormatTiff, 0));
    EXPECT_EQ(kEngineSaveRunning, BeginSaveWithSettings(&params, out.c_str(), nullptr));
    Finish(params);
    EXPECT_FALSE(IsSaveRunBusy());
    EXPECT_EQ(0, BeginDevelopSave(&params, out.c_str(), 0, kFormatTiff, 0));
    Finish(params);
    EXPECT_TRUE(std::filesystem::exists(out));
}

TEST_F(SaveErrors, ModesOutsideZeroToTwoAndBadSourcesEndWithTheirCodeAndNoFile)
{
    CDevelopParams params;
    OpenSource(params, "source.tif", 32, 48, 32);
    const std::string out = At("out.tif");
    for (int32_t mode : {3, -1, 100}) {
        EXPECT_EQ(kEngineSaverRefused, SaveDevelopedImage(&params, out.c_str(), mode, kFormatTiff, 0)) << mode;
        EXPECT_FALSE(IsSaveRunBusy());
    }
    // A 16-bit source cannot be written as JPEG: the saver refuses.
    CDevelopParams deep;
    OpenSource(deep, "source.tif", 33, 48, 32);
    deep.embedProfile = 0;
    EXPECT_EQ(kEngineWriteFailed, SaveDevelopedImage(&deep, out.c_str(), 1, kFormatExifJpeg, 3));

    IVorlatImage* cmykImage = MakeImage(manager, 34, 16, 8, std::vector<uint8_t>(16 * 8 * 4, 100));
    AddRefImageData(cmykImage);
    images.push_back(cmykImage);
    CDevelopParams cmykParams = params;
    cmykParams.source = cmykImage;
    EXPECT_EQ(kEngineBadColorSpace, SaveDevelopedImage(&cmykParams, out.c_str(), 0, kFormatTiff, 0));

    IVorlatImage* empty = MakeImage(manager, 32, 0, 0);
    AddRefImageData(empty);
    images.push_back(empty);
    CDevelopParams emptyParams = params;
    emptyParams.source = empty;
    EXPECT_EQ(kEngineFailed, SaveDevelopedImage(&emptyParams, out.c_str(), 0, kFormatTiff, 0));

    const std::string tooLong = At(std::string(270, 'n') + ".tif");
    EXPECT_EQ(kEngineNoObject, SaveDevelopedImage(&params, tooLong.c_str(), 0, kFormatTiff, 0));
    EXPECT_EQ(kEngineNoObject, SaveImageWithSettings(&params, tooLong.c_str(), nullptr));
    EXPECT_FALSE(IsSaveRunBusy());
    ExpectNoOutput("refused saves");
}

TEST_F(SaveErrors, CancelInRenderingOrWritingEndsWithAbortedAndTheTargetAsItWas)
{
    CDevelopParams params;
    OpenSource(params, "source.tif", 32, 640, 400);
    const std::string target = At("target.tif");
    const std::vector<uint8_t> original = {'k', 'e', 'e', 'p'};
    for (int32_t phase : {kSavePhaseRender, kSavePhaseWrite}) {
        WriteAll(target, original);
        ASSERT_EQ(0, BeginDevelopSave(&params, target.c_str(), 0, kFormatTiff, 0));
        ASSERT_TRUE(StepUntil(params, phase)) << phase;
        SetSaveCancelFlag(1);
        int32_t done = 0;
        EXPECT_EQ(kEngineCancelled, DevelopSaveStep(&params, &done)) << phase;
        EXPECT_EQ(1, done);
        EXPECT_STREQ("Aborted", GetSaveErrorText());
        SetSaveCancelFlag(0);
        EXPECT_FALSE(IsSaveRunBusy());
        EXPECT_EQ(original, ReadAll(target)) << phase;
        ExpectNoOutput("cancelled in phase " + std::to_string(phase));
    }
}

TEST_F(SaveErrors, WriteFailuresGiveDiskFullFor1006AndWriteFailedOtherwise)
{
    CDevelopParams params;
    OpenSource(params, "source.tif", 32, 200, 120);
    SetSaveStreamFactory(CFaultStream::Create);
    const struct {
        int32_t value;
        int32_t budget;
        int32_t expected;
    } cases[] = {
        {1006, 0, kEngineDiskFull},
        {1006, 40000, kEngineDiskFull},
        {1101, 40000, kEngineWriteFailed},
        {28, 60000, kEngineWriteFailed},
    };
    for (const auto& c : cases) {
        CFaultStream::Value() = c.value;
        CFaultStream::Budget() = c.budget;
        EXPECT_EQ(c.expected, SaveDevelopedImage(&params, At("out.tif").c_str(), 0, kFormatTiff, 0))
            << c.value << " after " << c.budget;
        EXPECT_FALSE(IsSaveRunBusy());
    }
    CFaultStream::Budget() = 1 << 30;
    EXPECT_EQ(0, SaveDevelopedImage(&params, At("out.tif").c_str(), 0, kFormatTiff, 0));
    SetSaveStreamFactory(nullptr);
    ExpectNoOutput("write failures");
}

TEST_F(SaveErrors, AFailedResaveOfTheOpenedFileKeepsIt)
{
    CDevelopParams params;
    OpenSource(params, "source.xqv", 64, 1200, 800);
    const std::string source = At("source.xqv");
    const std::vector<uint8_t> before = ReadAll(source);
    SetSaveStreamFactory(CFaultStream::Create);
    for (int32_t budget : {0, 100000}) {
        CFaultStream::Value() = 1006;
        CFaultStream::Budget() = budget;
        EXPECT_EQ(kEngineDiskFull, SaveImageWithSettings(&params, source.c_str(), nullptr)) << budget;
        CFaultStream::Value() = 1101;
        EXPECT_NE(0, SaveImageWithSettings(&params, source.c_str(), nullptr)) << budget;
    }
    SetSaveStreamFactory(nullptr);
    SetSaveCancelFlag(1);
    EXPECT_EQ(kEngineCancelled, SaveImageWithSettings(&params, source.c_str(), nullptr));
    SetSaveCancelFlag(0);
    EXPECT_EQ(before, ReadAll(source));
    ExpectNoOutput("failed re-saves");
}

TEST_F(SaveErrors, ReducedRawCopyRefusesWhatItCannotDevelop)
{
    CDevelopParams params;
    OpenSource(params, "source.tif", 32, 48, 32);
    EXPECT_EQ(kEngineBadColorSpace, SaveReducedRawCopy(&params, At("copy.xqv").c_str(), 100, 100));

    CDevelopParams raw;
    OpenSource(raw, "source.xqv", 64, 64, 48);
    IVorlatImage* empty = MakeImage(manager, 64, 0, 0);
    AddRefImageData(empty);
    images.push_back(empty);
    CDevelopParams emptyRaw = raw;
    emptyRaw.source = empty;
    EXPECT_EQ(kEngineBadColorSpace, SaveReducedRawCopy(&emptyRaw, At("copy.xqv").c_str(), 100, 100));
    ExpectNoOutput("refused copies");
}

TEST(FitIntoBox, KeepsTheAspectRatioAndAtLeastOnePixel)
{
    const struct {
        int32_t w, h, boxW, boxH, outW, outH;
    } cases[] = {
        {3008, 1960, 640, 480, 640, 417}, {1960, 3008, 640, 480, 312, 480}, {100, 100, 50, 80, 50, 50},
        {4000, 1, 100, 100, 100, 1},      {1, 4000, 100, 100, 1, 100},      {100, 50, 0, 0, 1, 1},
    };
    for (const auto& c : cases) {
        int32_t w = 0, h = 0;
        FitIntoBox(c.w, c.h, c.boxW, c.boxH, &w, &h);
        EXPECT_EQ(c.outW, w) << c.w << "x" << c.h << " into " << c.boxW << "x" << c.boxH;
        EXPECT_EQ(c.outH, h) << c.w << "x" << c.h << " into " << c.boxW << "x" << c.boxH;
    }
}
