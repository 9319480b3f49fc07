// The tree over the simulated module's file, loaded as the program loads the
// installed module.
#include "app/camera/tests/module_files.h"
#include "app/camera/tests/picture_fixtures.h"
#include "app/camera/tests/tree_fixture.h"

#include "app/camera/app/orla_kavo.h"

#include <cstdlib>
#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using camera_test::CountLines;

using camera_test::BesideProgram;
using camera_test::SetScenarioFile;

TEST(KavoModuleFile, OpeningRefusesAMissingFileOneWithoutEntryPointAndASecondModule)
{
    CKavoModule module;
    EXPECT_EQ(kKavoLoadFailed, module.Open(BesideProgram("Missing_Mod.kv3").c_str()));
    EXPECT_EQ(kKavoNoEntryPoint, module.Open(BesideProgram("NoEntry_Mod.kv3").c_str()));
    EXPECT_FALSE(module.IsModuleOpen());
    SetScenarioFile("");
    ASSERT_EQ(0, module.Open(BesideProgram("M4_Mod.kv3").c_str()));
    EXPECT_TRUE(module.IsUsable());
    EXPECT_EQ(kKavoAlreadyLoaded, module.Open(BesideProgram("M4_Mod.kv3").c_str()));
    EXPECT_EQ(0, module.Close());
    EXPECT_FALSE(module.IsModuleOpen());
    EXPECT_EQ(kKavoNotOpen, module.Close());
}

// Keeps every block of the picture it is given.
struct Image : CKavoBaseData {
    Image() : CKavoBaseData(kKavoDataKindImage) {}
    int32_t OnData(KavoDataInfo* info, void* data) override
    {
        ++blocks;
        if (info->offset == 0)
            picture.assign(info->total, 0);
        if (info->length > picture.size() || info->offset > picture.size() - info->length)
            return 1;
        std::memcpy(picture.data() + info->offset, data, info->length);
        return 0;
    }
    std::vector<uint8_t> picture;
    int blocks = 0;
};
struct Item : COrlaKavoItem {
    CKavoBase* CreateChildObject(uint32_t id) override
    {
        return id == 1 ? new Image() : COrlaKavoItem::CreateChildObject(id);
    }
};
struct Source : COrlaKavoSource {
    CKavoBase* CreateChildObject(uint32_t) override { return new Item(); }
};
struct Module : COrlaKavoModule {
    CKavoBase* CreateChildObject(uint32_t) override { return new Source(); }
};

struct Added : IQzKavoUser {
    uint32_t OnKavoProgress(uint32_t, CKavoBase*, uint32_t, uint32_t, uint32_t, uint32_t) override { return 1; }
    uint32_t OnKavoChildAdded(uint32_t level, CKavoBase* child) override
    {
        if (level == kKavoLevelItem)
            items.push_back(child);
        return 1;
    }
    uint32_t OnKavoRemoved(uint32_t, CKavoBase*) override { return 1; }
    uint32_t OnKavoCapabilityChanged(uint32_t, CKavoBase*, uint32_t, uint32_t) override { return 1; }
    std::vector<CKavoBase*> items;
};

TEST(KavoModuleFile, ACaptureDeliversThePictureInBlocksEndToEnd)
{
    const std::string picture = fileio_test::ScratchPageFile("camera_tree_file_picture");
    const std::string trace = fileio_test::ScratchPageFile("camera_tree_file_trace");
    const std::string scenario = fileio_test::ScratchPageFile("camera_tree_file_scenario");
    ASSERT_TRUE(camera_test::WritePicture(kKavoFormatRaw, picture));
    camera_test::WriteText(scenario,
                           "profile M4\nblock 700\ndelivery poll\npicture raw " + picture + "\ntrace " + trace + "\n");
    SetScenarioFile(scenario);
    Added listener;
    {
        Module module;
        ASSERT_EQ(0, module.Open(BesideProgram("M4_Mod.kv3").c_str()));
        module.SetListener(&listener);
        ASSERT_EQ(1u, module.EnableCap8101(1));
        CCommandQueue queue;
        ASSERT_EQ(0, module.QueueChildEnumeration(&queue));
        ASSERT_EQ(0, WaitForCommandQueue(&queue));
        ASSERT_EQ(1u, module.GetChildren().size());
        auto* source = dynamic_cast<Source*>(module.GetChildren()[0].Get());
        ASSERT_NE(nullptr, source);
        ASSERT_EQ(0, source->QueueCapture(&queue));
        ASSERT_EQ(0, WaitForCommandQueue(&queue));
        ASSERT_EQ(1u, listener.items.size());
        CKavoBase* made = nullptr;
        ASSERT_EQ(0, listener.items[0]->CreateChild(kKavoDataKindImage, &made));
        auto* image = dynamic_cast<Image*>(made);
        ASSERT_NE(nullptr, image);
        ASSERT_EQ(0, image->QueueAcquire(&queue, 1));
        ASSERT_EQ(0, WaitForCommandQueue(&queue));
        EXPECT_EQ(fileio_test::ReadFile(picture), image->picture);
        EXPECT_GT(image->blocks, 1);
        EXPECT_EQ(0, camera_test::LoadPicture(image->picture));
        const size_t blocks = static_cast<size_t>(image->blocks);
        // Done with the picture: the item goes, then the module closes.
        EXPECT_EQ(0, source->RemoveChild(listener.items[0]));
        EXPECT_TRUE(source->GetChildren().empty());
        EXPECT_EQ(0, module.Close());
        const std::vector<std::string> lines = camera_test::ReadLines(trace);
        EXPECT_EQ(0u, CountLines(lines, {"VIOLATION"}));
        EXPECT_EQ(blocks, CountLines(lines, {"callback data src1/item1/data1 format 4"}));
        EXPECT_EQ(1u, CountLines(lines, {"callback completion src1/item1/data1 start 0x14 0 -> 0"}));
        EXPECT_EQ(1u, CountLines(lines, {"call module close"}));
    }
    EXPECT_EQ(0u, CCommandQueueManager::GetInstance().QueueCount());
    SetScenarioFile("");
}

}  // namespace
