// The loader and the saver over small test formats plugged into their slots.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Vorlat/Vorlat.h"
#include "fileio/load_impl.h"
#include "fileio/quarnite_error.h"
#include "fileio/tests/fileio_fixture.h"
#include "fileio/tests/scratch_file.h"
#include "fileio/tests/test_files.h"

using fileio_test::Cause;
using fileio_test::MemoryStream;
using fileio_test::Store;
using fileio_test::ReadFile;
using fileio_test::FolderEntries;
using fileio_test::ScratchFolder;

namespace {

// ---- A test format ----------------------------------------------------------
// Bytes 0-1 "QZ"; bytes 2-6 say which of the five probes claim the file
// (0 no, 1 yes, 2 the probe fails); byte 7 width, byte 8 height, then 8-bit
// grey pixels row by row.

constexpr int32_t kCodes[5] = {kFormatExifJpeg, kFormatTiff, kFormatQuickTime, kFormatWav, kFormatBmp};

template <int Slot>
IVorlatError* Probe(IVorlatStream* stream, int32_t* format)
{
    uint8_t head[7];
    if (IVorlatError* err = stream->LoadToMemory(head, 7)) {
        err->Destroy();  // too short to be ours
        return nullptr;
    }
    if (head[0] != 'Q' || head[1] != 'Z')
        return nullptr;
    if (head[2 + Slot] == 2)
        return quarnite::Fail(0, __LINE__, quarnite::kErrSeek);
    if (head[2 + Slot] == 1)
        *format = kCodes[Slot];
    return nullptr;
}

// What the readers were asked, for the tests to check.
struct Calls {
    std::vector<int32_t> tileRows;
    int updates = 0;        // the tags-only form
    int sourceUpdates = 0;  // the form with sources
    bool updateFails = false;  // the update fails after writing its bytes
};
Calls g_calls;

class TestReader : public IVorlatFormatReader {
public:
    TestReader(IVorlatStream* stream, IVorlatTagControl* tags, bool canUpdate)
        : stream_(stream), tags_(tags), canUpdate_(canUpdate) {}

    IVorlatError* Execute() override
    {
        if (IsFinished())
            return nullptr;
        IVorlatError* err = LoadRows(row_, row_ + 1);
        ++row_;
        return err;
    }
    bool IsFinished() override { return !image_ || row_ >= height_; }
    void GetProgress(int32_t* done, int32_t* total) override
    {
        const bool finished = IsFinished();
        if (done)
            *done = finished ? 0 : row_;
        if (total)
            *total = finished ? 0 : height_;
    }
    IVorlatError* LoadTags() override
    {
        if (!tags_)
            return nullptr;
        if (IVorlatError* err = tags_->AddTag(0x10F))
            return err;
        return tags_->SetTagValue(0x10F, kTagTypeText, 5, "Test", 0);
    }
    int32_t GetThumbnailCount() override { return 1; }
    IVorlatError* GetThumbnailWidth(int32_t index, int32_t* width) override
    {
        if (index != 1)
            return quarnite::Fail(0, __LINE__, quarnite::kErrBadArgument);
        *width = 2;
        return nullptr;
    }
    IVorlatError* BeginLoadImage(IVorlatImage* image) override
    {
        uint8_t size[2];
        if (IVorlatError* err = stream_->Seek(7, 0))
            return err;
        if (IVorlatError* err = stream_->LoadToMemory(size, 2))
            return err;
        width_ = size[0];
        height_ = size[1];
        image_ = image;
        row_ = 0;
        if (IVorlatError* err = image->SetColorSpace(2))
            return err;
        return image->SetSize(width_, height_);
    }
    IVorlatError* LoadTileRow(int32_t row) override
    {
        g_calls.tileRows.push_back(row);
        int32_t tile = 0;
        if (IVorlatError* err = image_->GetTileSize(&tile))
            return err;
        return LoadRows(row * tile, std::min<int32_t>((row + 1) * tile, height_));
    }
    IVorlatError* Update(IVorlatStream* target) override
    {
        ++g_calls.updates;
        if (IVorlatError* err = target->SaveFromMemory("tags", 4))
            return err;
        return g_calls.updateFails ? IVorlatError::Add(nullptr, 0, 0, 0, 1005) : nullptr;
    }
    IVorlatError* Update(IVorlatStream* target, IVorlatDataSource**, uint32_t) override
    {
        ++g_calls.sourceUpdates;
        if (IVorlatError* err = target->SaveFromMemory("pixels", 6))
            return err;
        return g_calls.updateFails ? IVorlatError::Add(nullptr, 0, 0, 0, 1005) : nullptr;
    }
    IVorlatError* CheckUpdate() override
    {
        return canUpdate_ ? nullptr : IVorlatFormatReader::CheckUpdate();
    }

private:
    IVorlatError* LoadRows(int32_t first, int32_t end)
    {
        if (end <= first)
            return nullptr;
        std::vector<uint8_t> rows(static_cast<size_t>(width_) * static_cast<size_t>(end - first));
        if (IVorlatError* err = stream_->Seek(9 + first * width_, 0))
            return err;
        if (IVorlatError* err = stream_->LoadToMemory(rows.data(), static_cast<uint32_t>(rows.size())))
            return err;
        RECT rect{0, first, width_, end};
        return image_->SetData(rows.data(), width_, rect);
    }

    IVorlatStream* stream_;
    IVorlatTagControl* tags_;
    bool canUpdate_;
    IVorlatImage* image_ = nullptr;
    int32_t width_ = 0, height_ = 0, row_ = 0;
};

IVorlatFormatReader* CreateReader(IVorlatStream* stream, IVorlatTagControl* tags, int32_t)
{
    return new TestReader(stream, tags, true);
}

IVorlatFormatReader* CreateReaderWithoutUpdate(IVorlatStream* stream, IVorlatTagControl* tags, int32_t)
{
    return new TestReader(stream, tags, false);
}

// Options of the test writer that make it fail after writing its bytes.
constexpr int32_t kFailInBeginSave = 100;
constexpr int32_t kFailInSecondStep = 102;

// Writes its format and option, then one byte per step, three steps.
class TestWriter : public IVorlatFormatWriter {
public:
    TestWriter(IVorlatStream* stream, int32_t format, int32_t option) : stream_(stream), format_(format), option_(option) {}
    IVorlatError* Execute() override
    {
        ++steps_;
        if (IVorlatError* err = stream_->SaveFromMemory("s", 1))
            return err;
        return steps_ == 2 && option_ == kFailInSecondStep ? quarnite::Fail(0, __LINE__, quarnite::kErrBadArgument)
                                                           : nullptr;
    }
    bool IsFinished() override { return steps_ >= 3; }
    void GetProgress(int32_t* done, int32_t* total) override
    {
        *done = IsFinished() ? 0 : steps_;
        *total = IsFinished() ? 0 : 3;
    }
    IVorlatError* BeginSave(IVorlatDataSource* source, IVorlatDataSource**, uint32_t n) override
    {
        const uint8_t head[4] = {uint8_t(format_), uint8_t(option_), uint8_t(n), uint8_t(source != nullptr)};
        if (IVorlatError* err = stream_->SaveFromMemory(head, 4))
            return err;
        return option_ == kFailInBeginSave ? quarnite::Fail(0, __LINE__, quarnite::kErrBadArgument) : nullptr;
    }

private:
    IVorlatStream* stream_;
    int32_t format_, option_;
    int steps_ = 0;
};

IVorlatFormatWriter* CreateWriter(IVorlatStream* stream, IVorlatTagControl*, int32_t format, int32_t option)
{
    return new TestWriter(stream, format, option);
}

const quarnite::FormatReaderSlot kReaders[] = {
    {&Probe<0>, &CreateReader}, {&Probe<1>, &CreateReader}, {&Probe<2>, &CreateReaderWithoutUpdate},
    {&Probe<3>, &CreateReader}, {&Probe<4>, &CreateReader},
};
const quarnite::FormatWriterSlot kWriters[] = {
    {kFormatTiff | kFormatTiffSave | kFormatRawTiff, &CreateWriter},
    {kFormatBmp, nullptr},  // a writer that has not arrived
};
const quarnite::FormatTable kTestFormats = {kReaders, 5, kWriters, 2};

// A file of the test format claimed by the probes marked in `claims`.
std::vector<uint8_t> TestFile(std::vector<uint8_t> claims, uint8_t width = 3, uint8_t height = 2)
{
    std::vector<uint8_t> f = {'Q', 'Z'};
    for (uint8_t claim : claims)
        f.push_back(claim);
    f.push_back(width);
    f.push_back(height);
    for (int i = 0; i < width * height; ++i)
        f.push_back(uint8_t(i));
    return f;
}

std::string ScratchFile(const char* stem)
{
    static std::atomic<int> counter{0};
    return std::string(TESS_SCRATCH_DIR) + "/" + stem + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + std::to_string(counter++) + ".bin";
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct FileStream {
    IVorlatFileStream* stream = nullptr;
    explicit FileStream(const std::string& path)
    {
        EXPECT_EQ(0, Cause(IVorlatFileStream::CreateFileStream(&stream)));
        _VorlatFile file{};
        std::strncpy(file.path, path.c_str(), sizeof file.path - 1);
        stream->SetFile(file);
    }
    ~FileStream()
    {
        stream->CloseStream();
        stream->Destroy();
    }
};

struct Manager {
    IVorlatManager* manager = nullptr;
    Manager()
    {
        _VorlatFile page{};
        std::strncpy(page.path, ScratchFile("loadpage").c_str(), sizeof page.path - 1);
        EXPECT_EQ(0, Cause(IVorlatManager::CreateManager(&manager, page, 64 * 16384, 16384, 0)));
    }
    ~Manager() { manager->Destroy(); }
    IVorlatImage* Image(int32_t colorSpace = 0) const
    {
        IVorlatImage* image = nullptr;
        EXPECT_EQ(0, Cause(manager->CreateImage(&image, 0)));
        if (colorSpace) {
            EXPECT_EQ(0, Cause(image->SetColorSpace(colorSpace)));
        }
        return image;
    }
};

// A loader over the test formats, attached to a memory stream.
struct Loader {
    MemoryStream in;
    Store tags;
    CVorlatLoad* load = new CVorlatLoad(kTestFormats);
    int32_t attach = 0;
    explicit Loader(std::vector<uint8_t> bytes, bool withTags = true) : in(std::move(bytes))
    {
        in.stream->CloseStream();
        attach = Cause(load->AttachStream(in.stream, withTags ? tags.tags : nullptr, 0, 0));
    }
    ~Loader()
    {
        load->DetachStream();
        load->Destroy();
    }
    IVorlatDataSource* Source() const { return dynamic_cast<IVorlatDataSource*>(static_cast<IVorlatLoad*>(load)); }
};

} // namespace

TEST(Loader, ProbesInOrderAndTakesTheFirstThatRecognises)
{
    struct Case {
        std::vector<uint8_t> claims;
        int32_t error;
        int32_t format;
    } cases[] = {
        {{1, 1, 1, 1, 1}, 0, kFormatExifJpeg},  // a JPEG that is also anything else
        {{0, 1, 0, 0, 1}, 0, kFormatTiff},
        {{0, 0, 1, 1, 0}, 0, kFormatQuickTime},  // QuickTime before WAV
        {{0, 0, 0, 1, 1}, 0, kFormatWav},        // WAV before BMP
        {{0, 0, 0, 0, 1}, 0, kFormatBmp},
        {{0, 0, 0, 0, 0}, 1072, kFormatUnknown},
        {{0, 2, 0, 0, 1}, 1106, kFormatUnknown},  // a probe's own failure ends probing
        {{1, 2, 0, 0, 0}, 0, kFormatExifJpeg},    // later probes do not run once one recognised
    };
    for (const Case& c : cases) {
        Loader l(TestFile(c.claims));
        EXPECT_EQ(c.error, l.attach) << testing::PrintToString(c.claims);
        int32_t format = 0;
        EXPECT_EQ(0, Cause(l.load->GetFormats(&format)));
        EXPECT_EQ(c.format, format);
    }
    // Too short for any probe: not recognised.
    Loader tiny(std::vector<uint8_t>{'Q'});
    EXPECT_EQ(1072, tiny.attach);
    // The library's own table: a file of none of its formats.
    MemoryStream in(TestFile({1, 1, 1, 1, 1}));
    IVorlatLoad* load = nullptr;
    ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
    EXPECT_EQ(1072, Cause(load->AttachStream(in.stream, nullptr, 0, 0)));
    EXPECT_EQ(1007, Cause(load->LoadTags()));  // no reader after a failed attach
    load->DetachStream();
    load->Destroy();
}

TEST(Loader, AttachFailuresAndForwardingWithoutReader)
{
    CVorlatLoad* load = new CVorlatLoad(kTestFormats);
    EXPECT_EQ(1014, Cause(load->AttachStream(nullptr, nullptr, 0, 0)));
    FileStream missing(ScratchFile("missing"));
    EXPECT_EQ(1101, Cause(load->AttachStream(missing.stream, nullptr, 0, 0)));
    load->DetachStream();
    int32_t value = 0;
    IVorlatStorage::tagStrFileInfo info{};
    EXPECT_EQ(1007, Cause(load->Execute()));
    EXPECT_TRUE(load->IsFinished());
    EXPECT_EQ(1007, Cause(load->GetFileInformation(&info)));
    EXPECT_EQ(1007, Cause(load->GetThumbnailWidth(1, &value)));
    EXPECT_EQ(1014, Cause(load->GetFormats(nullptr)));
    Manager m;
    EXPECT_EQ(1007, Cause(load->PrepareToLoad(m.manager)));
    load->Destroy();

    // Attaching a second time without detaching is refused.
    Loader l(TestFile({1, 0, 0, 0, 0}));
    ASSERT_EQ(0, l.attach);
    EXPECT_EQ(1007, Cause(l.load->AttachStream(l.in.stream, nullptr, 0, 0)));
}

TEST(Loader, ForwardsTagsThumbnailsAndStepsToTheReader)
{
    Loader l(TestFile({0, 1, 0, 0, 0}, 5, 4));
    ASSERT_EQ(0, l.attach);
    ASSERT_EQ(0, Cause(l.load->LoadTags()));
    EXPECT_EQ("Test", l.tags.Text(0x10F));
    IVorlatStorage::tagStrFileInfo info{};
    ASSERT_EQ(0, Cause(l.load->GetFileInformation(&info)));
    EXPECT_EQ(kFormatTiff, info.format);
    EXPECT_EQ(1, info.thumbnails);
    int32_t value = 0;
    EXPECT_EQ(0, Cause(l.load->GetThumbnailWidth(1, &value)));
    EXPECT_EQ(2, value);
    EXPECT_EQ(1014, Cause(l.load->GetThumbnailWidth(2, &value)));
    // Operations the format does not offer: 1073 from the reader's defaults.
    EXPECT_EQ(1073, Cause(l.load->GetThumbnailHeight(1, &value)));
    Manager m;
    IVorlatImage* image = m.Image();
    EXPECT_EQ(1073, Cause(l.load->LoadThumbnail(1, image)));
    EXPECT_EQ(1073, Cause(l.load->BeginLoadImage(image, 2)));

    // Stepwise loading into the caller's image.
    ASSERT_EQ(0, Cause(l.load->BeginLoadImage(image)));
    std::vector<int32_t> done;
    while (!l.load->IsFinished()) {
        int32_t d = -1, t = -1;
        l.load->GetProgress(&d, &t);
        EXPECT_EQ(4, t);
        done.push_back(d);
        ASSERT_EQ(0, Cause(l.load->Execute()));
    }
    EXPECT_EQ((std::vector<int32_t>{0, 1, 2, 3}), done);
    int32_t d = -1, t = -1;
    l.load->GetProgress(&d, &t);
    EXPECT_EQ(0, d);
    EXPECT_EQ(0, t);
    VorlatPixel pixel{};
    ASSERT_EQ(0, Cause(image->GetPixel(&pixel, 4, 3)));
    EXPECT_EQ(19, pixel.bytes[0]);
    image->Destroy();
}

TEST(Loader, PreparedLoaderIsADataSourceThatReadsTilesOnFirstLock)
{
    // 200 x 200 grey: more than one tile row at the manager's tile size.
    Manager m;  // outlives the loader, whose image it holds
    std::vector<uint8_t> file = TestFile({1, 0, 0, 0, 0}, 200, 200);
    Loader l(file);
    ASSERT_EQ(0, l.attach);
    IVorlatDataSource* source = l.Source();
    ASSERT_NE(nullptr, source);
    int32_t width = 0;
    EXPECT_EQ(1007, Cause(source->GetWidth(&width)));  // not prepared yet
    EXPECT_EQ(1014, Cause(source->GetWidth(nullptr)));
    void* bits = nullptr;
    EXPECT_EQ(1007, Cause(source->LockTile(&bits, 0, 0, nullptr)));
    ASSERT_EQ(0, Cause(l.load->SetUsage(1)));  // kept for the image made later
    EXPECT_EQ(1014, Cause(l.load->PrepareToLoad(nullptr)));

    g_calls = {};
    ASSERT_EQ(0, Cause(l.load->PrepareToLoad(m.manager)));
    int32_t height = 0, tile = 0, colorSpace = 0;
    ASSERT_EQ(0, Cause(source->GetSize(&width, &height)));
    ASSERT_EQ(0, Cause(source->GetTileSize(&tile)));
    ASSERT_EQ(0, Cause(source->GetColorSpace(&colorSpace)));
    EXPECT_EQ(200, width);
    EXPECT_EQ(200, height);
    EXPECT_EQ(2, colorSpace);
    ASSERT_GT(tile, 0);
    ASSERT_LT(tile, 200);
    EXPECT_TRUE(g_calls.tileRows.empty());

    auto expected = [&](int32_t x, int32_t y) { return uint8_t(y * 200 + x); };
    // Column and row form: the row is read once, then the tile holds data.
    ASSERT_EQ(0, Cause(source->LockTile(&bits, 0, 1, nullptr)));
    EXPECT_EQ(expected(0, tile), static_cast<uint8_t*>(bits)[0]);
    EXPECT_EQ(0, Cause(source->UnlockTile(0, 1)));
    ASSERT_EQ(0, Cause(source->LockTile(&bits, 0, 1, nullptr)));
    EXPECT_EQ(0, Cause(source->UnlockTile(0, 1)));
    EXPECT_EQ(std::vector<int32_t>{1}, g_calls.tileRows);
    IVorlatTile* t = nullptr;
    ASSERT_EQ(0, Cause(source->GetTile(&t, 0, 1)));
    EXPECT_EQ(1, t->GetUsage());
    EXPECT_EQ(1001, Cause(source->LockTile(&bits, 0, 99, nullptr)));  // outside the image
    EXPECT_EQ(nullptr, bits);

    // The grid form, for a rectangle in the first tile row but the second column.
    IVorlatTileGrid* grid = nullptr;
    RECT rect{tile + 1, 2, tile + 3, 4};
    ASSERT_EQ(0, Cause(source->MapRect(&grid, rect)));
    RECT tileRect{}, used{};
    int32_t rowBytes = 0;
    ASSERT_EQ(0, Cause(source->LockTile(&bits, &tileRect, &used, &rowBytes, *grid, 0, 0, nullptr)));
    EXPECT_EQ(tile, tileRect.left);
    EXPECT_EQ(expected(tile + 1, 2), static_cast<uint8_t*>(bits)[2 * rowBytes + 1]);
    EXPECT_EQ(0, Cause(source->UnlockTile(*grid, 0, 0)));
    grid->Destroy();
    EXPECT_EQ((std::vector<int32_t>{1, 0}), g_calls.tileRows);

    // The framework's pixel read goes through the loader's lock.
    VorlatPixel pixel{};
    ASSERT_EQ(0, Cause(source->GetPixel(&pixel, 199, 199)));
    EXPECT_EQ(expected(199, 199), pixel.bytes[0]);

    // A usage change reaches the image.
    ASSERT_EQ(0, Cause(l.load->SetUsage(2)));
    ASSERT_EQ(0, Cause(source->GetTile(&t, 1, 1)));
    EXPECT_EQ(2, t->GetUsage());
}

TEST(Loader, UpdateChoosesTheFormAndNeverTruncatesWhatItCannotWrite)
{
    struct Case {
        std::vector<uint8_t> claims;
        bool withTags;
        std::vector<bool> sources;  // which of n sources are given
        int32_t error;
        std::string written;  // the target afterwards
        bool fails = false;   // the reader's update fails after writing
    } cases[] = {
        {{1, 0, 0, 0, 0}, true, {}, 0, "tags"},
        {{1, 0, 0, 0, 0}, true, {true, true}, 0, "pixels"},
        {{1, 0, 0, 0, 0}, true, {true, false}, 0, "tags"},  // a missing source: the tags only
        {{1, 0, 0, 0, 0}, false, {}, 1007, "old"},          // no tag store: the target stays
        {{0, 0, 1, 0, 0}, true, {}, 1073, "old"},           // a format without update
        {{1, 0, 0, 0, 0}, true, {}, 1005, "old", true},     // a failed update keeps the file
        {{1, 0, 0, 0, 0}, true, {true, true}, 1005, "old", true},
    };
    for (const Case& c : cases) {
        Loader l(TestFile(c.claims), c.withTags);
        ASSERT_EQ(0, l.attach);
        const std::string path = ScratchFile("update");
        WriteFile(path, {'o', 'l', 'd'});
        FileStream target(path);
        g_calls = {};
        g_calls.updateFails = c.fails;
        Manager m;
        std::vector<IVorlatImage*> images;
        std::vector<IVorlatDataSource*> sources;
        for (bool given : c.sources) {
            images.push_back(m.Image(2));
            sources.push_back(given ? images.back() : nullptr);
        }
        int32_t error = c.sources.empty()
                            ? Cause(l.load->Update(target.stream))
                            : Cause(l.load->Update(target.stream, sources.data(), uint32_t(sources.size())));
        EXPECT_EQ(c.error, error);
        std::vector<uint8_t> bytes = ReadFile(path);
        EXPECT_EQ(c.written, std::string(bytes.begin(), bytes.end()));
        for (IVorlatImage* image : images)
            image->Destroy();
        std::remove(path.c_str());
    }
    Loader l(TestFile({1, 0, 0, 0, 0}));
    EXPECT_EQ(1014, Cause(l.load->Update(nullptr)));
    EXPECT_EQ(1014, Cause(l.load->Update(l.in.stream)));  // into the stream being read
    EXPECT_EQ(0, g_calls.updates);
}

TEST(Loader, UpdateRefusesTheFileBeingRead)
{
    const std::string path = ScratchFile("self");
    const std::vector<uint8_t> file = TestFile({1, 0, 0, 0, 0});
    WriteFile(path, file);
    FileStream in(path);
    Store tags;
    CVorlatLoad* load = new CVorlatLoad(kTestFormats);
    ASSERT_EQ(0, Cause(load->AttachStream(in.stream, tags.tags, 0, 0)));
    // Another stream on the same file, named another way.
    const std::string dir = TESS_SCRATCH_DIR;
    FileStream same(dir + "/../" + dir.substr(dir.rfind('/') + 1) + path.substr(dir.size()));
    EXPECT_EQ(1014, Cause(load->Update(same.stream)));
    load->DetachStream();
    load->Destroy();
    EXPECT_EQ(file, ReadFile(path));
    std::remove(path.c_str());
}

TEST(Saver, ChecksTheFormatBeforeTheTargetIsOpened)
{
    struct Case {
        int32_t format;
        int32_t error;
        std::string written;
    } cases[] = {
        {kFormatTiff, 0, std::string("\x01\x07\x02\x01sss", 7)},
        {kFormatTiffSave, 0, std::string("\x02\x07\x02\x01sss", 7)},
        {kFormatExifJpeg, 1072, "old"},  // a code of the saver with no writer in this table
        {kFormatBmp, 1072, "old"},       // a writer that has not arrived
        {0x40, 1072, "old"},
        {3, 1072, "old"},
        {0, 1072, "old"},
        {kFormatUnknown, 1072, "old"},
    };
    for (const Case& c : cases) {
        const std::string path = ScratchFile("save");
        WriteFile(path, {'o', 'l', 'd'});
        FileStream target(path);
        Store tags;
        CVorlatSave* save = new CVorlatSave(kTestFormats);
        EXPECT_EQ(c.error, Cause(save->AttachStream(target.stream, tags.tags, c.format, 7))) << c.format;
        if (!c.error) {
            EXPECT_EQ(1007, Cause(save->AttachStream(target.stream, tags.tags, c.format, 7)));
            Manager m;
            IVorlatImage* images[2] = {m.Image(2), m.Image(2)};
            IVorlatDataSource* sources[2] = {images[0], images[1]};
            ASSERT_EQ(0, Cause(save->BeginSave(images[0], sources, 2)));
            int steps = 0;
            while (!save->IsFinished()) {
                int32_t done = 0, total = 0;
                save->GetProgress(&done, &total);
                EXPECT_EQ(steps, done);
                EXPECT_EQ(3, total);
                ASSERT_EQ(0, Cause(save->Execute()));
                ++steps;
            }
            images[0]->Destroy();
            images[1]->Destroy();
        } else {
            EXPECT_EQ(1007, Cause(save->BeginSave(nullptr, nullptr, 0)));
            EXPECT_EQ(1007, Cause(save->Execute()));
            EXPECT_TRUE(save->IsFinished());
        }
        save->DetachStream();
        save->Destroy();
        std::vector<uint8_t> bytes = ReadFile(path);
        EXPECT_EQ(c.written, std::string(bytes.begin(), bytes.end())) << c.format;
        std::remove(path.c_str());
    }
    // The library's own table: formats that are only ever read have no writer.
    IVorlatSave* save = nullptr;
    ASSERT_EQ(0, Cause(IVorlatSave::CreateSave(&save)));
    MemoryStream out(std::vector<uint8_t>(16, 0), false);
    EXPECT_EQ(1014, Cause(save->AttachStream(nullptr, nullptr, kFormatTiff, 0)));
    for (int32_t format : {int32_t(kFormatQuickTime), int32_t(kFormatWav), int32_t(kFormatUnknown), 0x40})
        EXPECT_EQ(1072, Cause(save->AttachStream(out.stream, nullptr, format, 0))) << format;
    save->DetachStream();
    save->Destroy();
}

TEST(Saver, OnlyASaveThatRanToItsEndReplacesTheTarget)
{
    struct Case {
        const char* name;
        int32_t option;
        bool begin;
        int steps;  // Execute calls before the detach
        int32_t error;
        std::string written;
    } cases[] = {
        {"finished", 7, true, 3, 0, std::string("\x01\x07\x01\x01sss", 7)},
        {"writer refuses in BeginSave", kFailInBeginSave, true, 0, 1014, "old"},
        {"writer fails midway", kFailInSecondStep, true, 2, 1014, "old"},
        {"cancelled midway", 7, true, 1, 0, "old"},
        {"detached without BeginSave", 7, false, 0, 0, "old"},
        {"Execute without BeginSave", 7, false, 1, 0, "old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = ScratchFolder("saver_replace");
        const std::string path = folder + "/photo.tif";
        WriteFile(path, {'o', 'l', 'd'});
        FileStream target(path);
        Store tags;
        CVorlatSave* save = new CVorlatSave(kTestFormats);
        ASSERT_EQ(0, Cause(save->AttachStream(target.stream, tags.tags, kFormatTiff, c.option)));
        Manager m;
        IVorlatImage* image = m.Image(2);
        IVorlatDataSource* sources[1] = {image};
        int32_t error = c.begin ? Cause(save->BeginSave(image, sources, 1)) : 0;
        for (int step = 0; !error && step < c.steps; ++step)
            error = Cause(save->Execute());
        EXPECT_EQ(c.error, error);
        save->DetachStream();
        save->Destroy();
        image->Destroy();
        std::vector<uint8_t> bytes = ReadFile(path);
        EXPECT_EQ(c.written, std::string(bytes.begin(), bytes.end()));
        EXPECT_EQ(std::vector<std::string>{"photo.tif"}, FolderEntries(folder));
    }
}

TEST(Saver, JpegOfASourceItCannotWriteKeepsTheExistingFile)
{
    const std::string folder = ScratchFolder("saver_refuse");
    const std::string path = folder + "/photo.jpg";
    const std::vector<uint8_t> good = {0xFF, 0xD8, 0xFF, 0xD9};
    WriteFile(path, good);
    Manager m;
    IVorlatImage* deep = m.Image(33);  // 48-bit RGB: TIFF only
    ASSERT_EQ(0, Cause(deep->SetSize(4, 4)));
    FileStream target(path);
    IVorlatSave* save = nullptr;
    ASSERT_EQ(0, Cause(IVorlatSave::CreateSave(&save)));
    ASSERT_EQ(0, Cause(save->AttachStream(target.stream, nullptr, kFormatJpeg, 0)));
    EXPECT_EQ(1014, Cause(save->BeginSave(deep, nullptr, 0)));
    save->DetachStream();
    save->Destroy();
    deep->Destroy();
    EXPECT_EQ(good, ReadFile(path));
    EXPECT_EQ(std::vector<std::string>{"photo.jpg"}, FolderEntries(folder));
}

#if !defined(_WIN32)
TEST(Saver, DiskRefusingTheLastBytesFailsTheSaveAndKeepsTheFile)
{
    const std::string folder = ScratchFolder("saver_full");
    const std::string path = folder + "/photo.tif";
    WriteFile(path, {'o', 'l', 'd'});
    FileStream target(path);
    Store tags;
    CVorlatSave* save = new CVorlatSave(kTestFormats);
    ASSERT_EQ(0, Cause(save->AttachStream(target.stream, tags.tags, kFormatTiff, 7)));
    Manager m;
    IVorlatImage* image = m.Image(2);
    ASSERT_EQ(0, Cause(save->BeginSave(image, nullptr, 0)));
    std::vector<int32_t> errors;
    {
        // The seven bytes stay in the stdio buffer until the end.
        fileio_test::DiskFullPast full(5);
        while (!save->IsFinished())
            errors.push_back(Cause(save->Execute()));
        save->DetachStream();
    }
    EXPECT_EQ((std::vector<int32_t>{0, 0, 1006}), errors);
    save->Destroy();
    image->Destroy();
    std::vector<uint8_t> bytes = ReadFile(path);
    EXPECT_EQ("old", std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(std::vector<std::string>{"photo.tif"}, FolderEntries(folder));
}
#endif

// The JPEG writer seeks back over what it wrote and the update copies from
// its own file while it writes the target: both into files that exist.
TEST(Saver, ExifJpegSavedAndUpdatedOverExistingFiles)
{
    const std::string folder = ScratchFolder("saver_jpeg");
    const std::string saved = folder + "/saved.jpg";
    const std::string updated = folder + "/updated.jpg";
    WriteFile(saved, {'o', 'l', 'd'});
    WriteFile(updated, {'o', 'l', 'd'});
    Manager m;
    IVorlatImage* image = m.Image(32);
    ASSERT_EQ(0, Cause(image->SetSize(24, 16)));
    std::vector<uint8_t> rgb(24 * 16 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = uint8_t(i * 7);
    ASSERT_EQ(0, Cause(image->SetData(rgb.data(), 24 * 3, RECT{0, 0, 24, 16})));
    ASSERT_EQ(0, Cause(image->SetResolution(72)));
    Store tags;
    tags.SetText(0x10F, "Maker");
    {
        FileStream target(saved);
        IVorlatSave* save = nullptr;
        ASSERT_EQ(0, Cause(IVorlatSave::CreateSave(&save)));
        ASSERT_EQ(0, Cause(save->AttachStream(target.stream, tags.tags, kFormatExifJpeg, 3)));
        int32_t error = Cause(save->BeginSave(image, nullptr, 0));
        while (!error && !save->IsFinished())
            error = Cause(save->Execute());
        EXPECT_EQ(0, error);
        save->DetachStream();
        save->Destroy();
    }
    image->Destroy();
    const std::vector<uint8_t> jpeg = ReadFile(saved);
    ASSERT_GT(jpeg.size(), 100u);
    EXPECT_EQ(0xD8, jpeg[1]);
    EXPECT_EQ(0xE1, jpeg[3]);
    {
        FileStream in(saved), out(updated);
        Store read;
        IVorlatLoad* load = nullptr;
        ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
        ASSERT_EQ(0, Cause(load->AttachStream(in.stream, read.tags, 0, 0)));
        ASSERT_EQ(0, Cause(load->LoadTags()));
        EXPECT_EQ(0, Cause(load->Update(out.stream)));
        load->DetachStream();
        load->Destroy();
    }
    const std::vector<uint8_t> copy = ReadFile(updated);
    ASSERT_GT(copy.size(), 100u);
    EXPECT_EQ(0xE1, copy[3]);
    // The coded image is copied byte for byte.
    EXPECT_TRUE(std::equal(jpeg.end() - 64, jpeg.end(), copy.end() - 64));
    EXPECT_EQ((std::vector<std::string>{"saved.jpg", "updated.jpg"}), FolderEntries(folder));
}

TEST(Saver, SupportedFormatsFollowTheColourSpace)
{
    Manager m;
    struct Case {
        int32_t colorSpace;
        int32_t mask;
    } cases[] = {
        {2, 0x100111}, {32, 0x100131}, {3, 0x100001}, {33, 0x100001}, {34, 0x100001}, {36, 0x100001},
        {64, 0x100000}, {65, 0x100000}, {66, 0x100000}, {19, 0}, {0, 0},
    };
    for (const Case& c : cases) {
        IVorlatImage* image = m.Image(c.colorSpace);
        int32_t mask = -1;
        EXPECT_EQ(0, Cause(IVorlatSave::GetSupportedFormats(image, &mask)));
        EXPECT_EQ(c.mask, mask) << c.colorSpace;
        image->Destroy();
    }
    int32_t mask = 0;
    EXPECT_EQ(1014, Cause(IVorlatSave::GetSupportedFormats(nullptr, &mask)));
}
