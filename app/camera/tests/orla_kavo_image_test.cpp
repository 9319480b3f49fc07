// Receiving a picture into memory and a hidden numbered file, block by block,
// with the module's deliveries taken as untrusted.
#include <gtest/gtest.h>

#include <numeric>

#include "app/camera/app/orla_kavo.h"
#include "app/camera/app/orla_kavo_image.h"
#include "app/camera/tests/memory_file_sink.h"
#include "app/camera/tests/tree_fixture.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using camera_test::MemoryFileSink;
using camera_test::MemorySettings;

constexpr const char kFolder[] = "C:\\Thumbs\\";

std::vector<uint8_t> Fixture(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return bytes;
}

struct Receiver {
    MemoryFileSink files;
    MemorySettings settings;
    COrlaKavoImage image;

    explicit Receiver(uint32_t flags = kReceiveToMemory | kReceiveToFile)
    {
        image.SetServices(&files, &settings);
        files.folders.insert(kFolder);
        EXPECT_TRUE(image.SetTarget(flags, "C:\\Thumbs"));
    }
    ~Receiver() { image.FreeBuffer(); }
    int32_t Block(const std::vector<uint8_t>& picture, uint32_t offset, uint32_t length,
                  uint32_t format = kKavoFormatJpeg, uint32_t total = UINT32_MAX, uint32_t ignore = 0)
    {
        KavoDataInfo info = {0, format, total == UINT32_MAX ? static_cast<uint32_t>(picture.size()) : total, offset,
                             length, ignore};
        // A length past the picture is refused before any byte is read.
        std::vector<uint8_t> bytes(std::min<size_t>(length, picture.size() + 16));
        for (uint32_t i = 0; i < bytes.size(); ++i)
            bytes[i] = offset + i < picture.size() ? picture[offset + i] : 0;
        return image.OnData(&info, bytes.data());
    }
};

}  // namespace

TEST(OrlaKavoImage, NumbersFilesFromTheStoredNumberSkippingTakenNames)
{
    struct Case {
        int32_t stored;
        std::vector<std::string> taken;
        uint32_t format;
        const char* name;
        int32_t storedAfter;
    } cases[] = {
        {41, {"00000041.jpg", "00000042.jpg"}, kKavoFormatJpeg, "00000043.jpg", 44},
        {99999999, {}, kKavoFormatJpeg, "99999999.jpg", 1},
        {99999999, {"99999999.tif"}, kKavoFormatTiff, "00000001.tif", 2},
        {0, {}, kKavoFormatRaw, "00000000.xqv", 1},
        {7, {}, 3, "00000007", 8},  // a format without an extension
        {123456789, {}, kKavoFormatJpeg, "123456789.jpg", 1},  // stored past the last: used as it is
    };
    const std::vector<uint8_t> picture = Fixture(10);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Receiver r;
        r.settings.next = c.stored;
        for (const std::string& name : c.taken)
            r.files.files[kFolder + name] = {};
        ASSERT_EQ(0, r.Block(picture, 0, 10, c.format));
        EXPECT_EQ(std::string(kFolder) + c.name, r.image.GetPath());
        EXPECT_EQ(c.storedAfter, r.settings.next);
        EXPECT_EQ(1u, r.files.files.count(r.image.GetPath()));
        r.image.CloseFile();
    }
}

TEST(OrlaKavoImage, AFolderWithEveryNameTakenIsRefusedAfterOneCycle)
{
    Receiver r;
    r.settings.next = 5;
    r.files.everyNameTaken = true;
    const std::vector<uint8_t> picture = Fixture(10);
    EXPECT_EQ(-237, r.Block(picture, 0, 10));
    // The stored number and each other number once.
    EXPECT_EQ(uint64_t{100000000}, r.files.lookups);
    EXPECT_EQ(0, r.settings.writes);
    EXPECT_EQ(kKavoNoFile, r.image.GetFileHandle());
    EXPECT_EQ(nullptr, r.image.GetBuffer());
    // Later blocks of the failed transfer answer the same.
    EXPECT_EQ(-237, r.Block(picture, 0, 10));
    EXPECT_EQ(-237, r.image.GetTransferResult());
}

TEST(OrlaKavoImage, TwoBlocksMakeTheWholePictureInMemoryAndAHiddenFileUntilClosed)
{
    Receiver r;
    const std::vector<uint8_t> picture = Fixture(1000);
    ASSERT_EQ(0, r.Block(picture, 0, 600));
    ASSERT_EQ(0, r.Block(picture, 600, 400));
    EXPECT_EQ(0, r.image.GetTransferResult());
    ASSERT_EQ(1000u, r.image.GetTotalSize());
    EXPECT_TRUE(std::equal(picture.begin(), picture.end(), r.image.GetBuffer()));
    const MemoryFileSink::File& file = r.files.files.at(r.image.GetPath());
    EXPECT_TRUE(file.hidden);
    EXPECT_EQ(picture, file.bytes);
    EXPECT_EQ(1, r.image.CloseFile());
    EXPECT_FALSE(file.hidden);
    EXPECT_FALSE(file.open);
    EXPECT_EQ(kKavoNoFile, r.image.CloseFile());
    r.image.FreeBuffer();
    EXPECT_EQ(nullptr, r.image.GetBuffer());
    EXPECT_EQ(0u, r.image.GetTotalSize());
    EXPECT_EQ(0, r.files.blocksHeld);
}

TEST(OrlaKavoImage, BlocksOutsideTheTotalOrOutOfSequenceFailTheTransferAndDropThePartialFile)
{
    const std::vector<uint8_t> picture = Fixture(1000);
    struct Case {
        const char* what;
        uint32_t offset, length, total;
    } cases[] = {
        {"past the total", 600, 500, 1000},
        {"starting at the total", 1000, 1, 1000},
        {"wrapping round", 600, 0xFFFFFF00u, 1000},
        {"a gap", 700, 300, 1000},
        {"a total that changes", 600, 400, 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Receiver r;
        ASSERT_EQ(0, r.Block(picture, 0, 600));
        const std::string name = r.image.GetPath();
        EXPECT_EQ(-236, r.Block(picture, c.offset, c.length, kKavoFormatJpeg, c.total));
        EXPECT_EQ(-236, r.Block(picture, 600, 400));  // sticky
        EXPECT_EQ(-236, r.image.GetTransferResult());
        EXPECT_EQ(0u, r.files.files.count(name));
        EXPECT_EQ(nullptr, r.image.GetBuffer());
        EXPECT_EQ(0, r.files.blocksHeld);
    }
    Receiver empty;
    EXPECT_EQ(-236, empty.Block(picture, 0, 0, kKavoFormatJpeg, 0));
    EXPECT_TRUE(empty.files.files.empty());
}

TEST(OrlaKavoImage, WriteFailuresAreDiskFullOrWriteErrorsAndStick)
{
    const std::vector<uint8_t> picture = Fixture(3000);
    for (const auto& [error, expected] : {std::pair<uint32_t, int32_t>{kKavoDiskFullError, -240}, {5u, -236}}) {
        Receiver r;
        r.files.writesLeft = 1;
        r.files.writeError = error;
        ASSERT_EQ(0, r.Block(picture, 0, 1000));
        const std::string name = r.image.GetPath();
        EXPECT_EQ(expected, r.Block(picture, 1000, 1000));
        EXPECT_EQ(expected, r.Block(picture, 2000, 1000));
        EXPECT_EQ(0u, r.files.files.count(name));
        EXPECT_EQ(0, r.files.blocksHeld);
    }
}

TEST(OrlaKavoImage, CreateAndMemoryFailuresEndTheTransfer)
{
    const std::vector<uint8_t> picture = Fixture(100);
    Receiver noFile;
    noFile.files.refuseCreate = true;
    EXPECT_EQ(-237, noFile.Block(picture, 0, 50));
    EXPECT_EQ(-237, noFile.Block(picture, 50, 50));
    EXPECT_EQ(2, noFile.settings.next);  // the number was used up all the same
    EXPECT_EQ(0, noFile.files.blocksHeld);

    Receiver noMemory;
    noMemory.files.refuseMemory = true;
    EXPECT_EQ(-252, noMemory.Block(picture, 0, 50));
    EXPECT_TRUE(noMemory.files.files.empty());
}

TEST(OrlaKavoImage, AnIgnoredDeliveryOnlyRecordsTheFormatAndMemoryOnlyTouchesNoFile)
{
    Receiver r(kReceiveToMemory);
    const std::vector<uint8_t> picture = Fixture(100);
    EXPECT_EQ(0, r.Block(picture, 0, 100, kKavoFormatRaw, 100, 1));
    EXPECT_EQ(kKavoFormatRaw, r.image.GetReceivedFileFormat());
    EXPECT_EQ(nullptr, r.image.GetBuffer());
    EXPECT_EQ(0, r.Block(picture, 0, 100, kKavoFormatTiff));
    EXPECT_EQ(kKavoFormatTiff, r.image.GetReceivedFileFormat());
    EXPECT_TRUE(std::equal(picture.begin(), picture.end(), r.image.GetBuffer()));
    EXPECT_EQ(0, r.settings.reads + r.settings.writes);
    EXPECT_TRUE(r.files.files.empty());
    EXPECT_EQ(kKavoNoFile, r.image.CloseFile());
}

TEST(OrlaKavoImage, TheTargetFolderGetsItsBackslashAndIsMadeWhenMissing)
{
    MemoryFileSink files;
    MemorySettings settings;
    COrlaKavoImage image;
    image.SetServices(&files, &settings);
    EXPECT_TRUE(image.SetTarget(kReceiveToFile, "D:\\New"));
    EXPECT_STREQ("D:\\New\\", image.GetPath());
    EXPECT_EQ(1u, files.folders.count("D:\\New\\"));
    EXPECT_TRUE(image.SetTarget(kReceiveToFile, "D:\\New\\"));
    EXPECT_EQ(1, files.foldersMade);
    files.refuseFolders = true;
    EXPECT_FALSE(image.SetTarget(kReceiveToFile, "E:\\Gone"));
    EXPECT_TRUE(image.SetTarget(kReceiveToMemory, "F:\\Ignored"));
    EXPECT_STREQ("E:\\Gone\\", image.GetPath());
    EXPECT_EQ(0x1234u, image.SetOwner(0x1234));
    EXPECT_EQ(0x1234u, image.GetOwner());
}

namespace {

// Keeps the first error a command of the queue completed with.
struct RecordingQueue : CCommandQueue {
    void OnCommandCompleted(CKavoBase* object, uint32_t command, uint32_t param, int32_t result) override
    {
        if (!firstError)
            firstError = result;
        CCommandQueue::OnCommandCompleted(object, command, param, result);
    }
    int32_t firstError = 0;
};

// A picture received through the simulated module into the memory sink.
struct SimReceive {
    camera_test::SimTree<COrlaKavoModule> t;
    COrlaKavoImage* image = nullptr;
    CKavoBase* item = nullptr;
    MemoryFileSink files;
    MemorySettings settings;
    int32_t queueResult = 0;

    SimReceive(const std::string& scenario, const std::vector<uint8_t>& picture)
        : t("items 1\nblock 1000\n" + scenario)
    {
        t.sim.SetPictureBytes(kKavoFormatJpeg, picture);
        CKavoSource* source = t.OpenSource();
        EXPECT_NE(nullptr, source);
        CKavoBase* made = nullptr;
        EXPECT_EQ(0, source->CreateChild(1, &item));
        EXPECT_EQ(0, item->CreateChild(1, &made));
        image = dynamic_cast<COrlaKavoImage*>(made);
        EXPECT_NE(nullptr, image);
        files.folders.insert(kFolder);
        image->SetServices(&files, &settings);
        EXPECT_TRUE(image->SetTarget(kReceiveToMemory | kReceiveToFile, kFolder));
        RecordingQueue queue;
        EXPECT_EQ(0, image->QueueAcquire(&queue, 0));
        EXPECT_EQ(0, WaitForCommandQueue(&queue));
        queueResult = queue.firstError;
    }
};

}  // namespace

TEST(OrlaKavoImage, EachBrokenDeliveryOfTheModuleEndsAsTheDecisionsSay)
{
    const std::vector<uint8_t> picture = Fixture(4500);
    struct Case {
        const char* fault;
        int32_t transfer;  // GetTransferResult
        bool failedQueue;
    } cases[] = {
        {"", 0, false},
        {"fault duplicate-first", 0, false},  // the picture starts again
        {"fault ignored-first", 0, false},
        {"fault past-total", -236, true},
        {"fault out-of-order", -236, true},
        {"fault total-zero", -236, true},
        {"fault disconnect-after 2", -236, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        SimReceive r(std::string(c.fault) + "\n", picture);
        ASSERT_NE(nullptr, r.image);
        EXPECT_EQ(c.failedQueue, r.queueResult != 0) << r.queueResult;
        EXPECT_EQ(c.transfer, r.image->GetTransferResult());
        if (c.transfer == 0) {
            ASSERT_EQ(picture.size(), r.image->GetTotalSize());
            EXPECT_TRUE(std::equal(picture.begin(), picture.end(), r.image->GetBuffer()));
            ASSERT_EQ(1u, r.files.files.size());  // a restarted picture left no other file
            EXPECT_EQ(picture, r.files.files.begin()->second.bytes);
            EXPECT_EQ(1, r.image->CloseFile());
            EXPECT_FALSE(r.files.files.begin()->second.hidden);
        } else if (r.image->GetFileHandle() != kKavoNoFile) {
            // The receive step closes and deletes what a broken connection left.
            r.image->CloseFile();
            r.files.RemoveFile(r.image->GetPath());
        }
        r.image->FreeBuffer();
        EXPECT_EQ(0, r.files.blocksHeld);
        if (c.transfer != 0) {
            EXPECT_TRUE(r.files.files.empty());
        }
    }
}

TEST(OrlaKavoImage, ListenersHearTheDataObjectAtLevelFour)
{
    struct Listener : IQzKavoUser {
        uint32_t OnKavoProgress(uint32_t level, CKavoBase*, uint32_t, uint32_t, uint32_t, uint32_t) override
        {
            levels.push_back(level);
            return 0;
        }
        uint32_t OnKavoChildAdded(uint32_t, CKavoBase*) override { return 1; }
        uint32_t OnKavoRemoved(uint32_t, CKavoBase*) override { return 1; }
        uint32_t OnKavoCapabilityChanged(uint32_t level, CKavoBase*, uint32_t, uint32_t) override
        {
            levels.push_back(level);
            return 1;
        }
        std::vector<uint32_t> levels;
    } own, module;
    camera_test::SimTree<COrlaKavoModule> t("items 1\n");
    t.module->SetListener(&module);
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CKavoBase* item = nullptr;
    CKavoBase* made = nullptr;
    ASSERT_EQ(0, source->CreateChild(1, &item));
    ASSERT_EQ(0, item->CreateChild(1, &made));
    auto* image = dynamic_cast<COrlaKavoImage*>(made);
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(&own, image->SetListener(&own));
    EXPECT_EQ(&own, image->GetNextListener(nullptr));
    EXPECT_EQ(&module, image->GetNextListener(&own));
    image->OnProgress(kKavoStart, kKavoCapDeliver, 1, 2);
    image->OnCapabilityChanged(0x1b, 1);
    // Progress stops at the own listener, which answers 0.
    EXPECT_EQ((std::vector<uint32_t>{4, 4}), own.levels);
    EXPECT_EQ((std::vector<uint32_t>{4}), module.levels);
}

#if defined(_WIN32)
TEST(OrlaKavoImage, TheWin32SinkKeepsTheFileHiddenUntilItIsClosed)
{
    char temp[MAX_PATH] = {};
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    const std::string folder = std::string(temp) + "tess_receive_" + std::to_string(GetCurrentProcessId());
    MemorySettings settings;
    settings.next = 12;
    COrlaKavoImage image;
    image.SetServices(KavoWin32FileSink(), &settings);
    ASSERT_TRUE(image.SetTarget(kReceiveToMemory | kReceiveToFile, folder.c_str()));
    const std::vector<uint8_t> picture = Fixture(3000);
    KavoDataInfo first = {0, kKavoFormatJpeg, 3000, 0, 2000, 0};
    KavoDataInfo second = {0, kKavoFormatJpeg, 3000, 2000, 1000, 0};
    ASSERT_EQ(0, image.OnData(&first, const_cast<uint8_t*>(picture.data())));
    ASSERT_EQ(0, image.OnData(&second, const_cast<uint8_t*>(picture.data()) + 2000));
    const std::string path = image.GetPath();
    EXPECT_EQ(folder + "\\00000012.jpg", path);
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(1, image.CloseFile());
    EXPECT_FALSE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(std::equal(picture.begin(), picture.end(), image.GetBuffer()));
    image.FreeBuffer();
    std::vector<uint8_t> written(4000);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD read = 0;
    ReadFile(file, written.data(), 4000, &read, nullptr);
    CloseHandle(file);
    written.resize(read);
    EXPECT_EQ(picture, written);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
}
#endif
