// The idle pass over real histogram filters, tile managers and the camera
// command queues of the simulated module, with a clock of the test's own.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Vorlat/Vorlat.h"
#include "app/camera/app/orla_kavo.h"
#include "app/camera/tests/tree_fixture.h"
#include "app/shell/program/camera_check.h"
#include "app/shell/program/idle_work.h"
#include "filters/Kolvex.h"
#include "fileio/tests/scratch_file.h"
#include "port/port.h"

namespace {

using shell::CIdleWork;

// Each reading moves 60 ms on: a slice of 100 ms counts one tile where the
// filters read this clock.
uint32_t g_now = 0;
uint32_t SteppingTicks() { return g_now += 60; }

struct Host : shell::IIdleWorkHost {
    bool HasMainWindow() override { return mainWindow; }
    void PostIdleDone() override { ++idleDone; }
    void ExpireCameraTimer() override { ++expired; }
    bool mainWindow = true;
    int idleDone = 0;
    int expired = 0;
};

// Hears the notifications its histogram sends.
struct Listener : IVorlatDataDestination {
    IVorlatError* VorlatNotify(const IVorlatDataSource*, int32_t code, void*) override
    {
        codes.push_back(code);
        return nullptr;
    }
    std::vector<int32_t> codes;
};

_VorlatFile PageFile(const std::string& stem)
{
    _VorlatFile file{};
    const std::string path = fileio_test::ScratchPageFile(stem);
    std::strncpy(file.path, path.c_str(), sizeof file.path - 1);
    return file;
}

class IdleWorkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        port::SetTickSource(SteppingTicks);
        ASSERT_EQ(nullptr, IVorlatManager::CreateManager(&manager, PageFile("idle_tiles"), 1 << 22, 16384, 0));
        // RGB tiles of side 73: 3 x 1 tiles each.
        pixels.assign(200 * 60 * 3, 7);
        for (int i = 0; i < 3; ++i) {
            IVorlatImage* image = nullptr;
            ASSERT_EQ(nullptr, manager->CreateImage(&image, kVorlatUsageKeep));
            ASSERT_EQ(nullptr, image->SetColorSpace(32));
            ASSERT_EQ(nullptr, image->SetSize(200, 60));
            ASSERT_EQ(nullptr, image->SetData(pixels.data(), 600, RECT{0, 0, 200, 60}));
            images.push_back(image);
            histograms.push_back(std::make_unique<CVorlatFilterHistogram>(manager));
            listeners.push_back(std::make_unique<Listener>());
            ASSERT_EQ(nullptr, VorlatDataConnect(image, histograms.back().get()));
            ASSERT_EQ(nullptr, VorlatDataConnect(histograms.back().get(), listeners.back().get()));
        }
        shell::SetCameraCheckPending(false);
    }
    void TearDown() override
    {
        histograms.clear();
        for (IVorlatImage* image : images)
            image->Destroy();
        manager->Destroy();
        port::SetTickSource(nullptr);
    }
    // Which histogram heard the application's own notification in this pass.
    int Served(size_t before[3])
    {
        int served = -1;
        for (int i = 0; i < 3; ++i) {
            if (listeners[i]->codes.size() > before[i]) {
                EXPECT_EQ(-1, served) << "two histograms served in one pass";
                served = i;
            }
            before[i] = listeners[i]->codes.size();
        }
        return served;
    }

    Host host;
    IVorlatManager* manager = nullptr;
    std::vector<uint8_t> pixels;
    std::vector<IVorlatImage*> images;
    std::vector<std::unique_ptr<CVorlatFilterHistogram>> histograms;
    std::vector<std::unique_ptr<Listener>> listeners;
};

TEST_F(IdleWorkTest, IncompleteHistogramsAreServedInTurnOneSliceAPass)
{
    CIdleWork idle(host);
    for (auto& histogram : histograms) {
        idle.AddClient(histogram.get());
        idle.AddClient(histogram.get());
    }
    EXPECT_EQ(3u, idle.ClientCount());
    size_t before[3] = {};
    std::vector<int> order;
    while (idle.Run(false))
        order.push_back(Served(before));
    // Round after round in the same order until nothing is left (natively
    // three rounds of one tile each; a DLL's own clock may count a whole
    // histogram in one slice).
    ASSERT_GE(order.size(), 3u);
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(static_cast<int>(i % 3), order[i]) << i;
    for (auto& histogram : histograms)
        EXPECT_TRUE(histogram->IsComplete());
    for (auto& listener : listeners) {
        ASSERT_FALSE(listener->codes.empty());
        EXPECT_EQ(shell::kHistogramComplete, listener->codes.back());
        EXPECT_NE(listener->codes.end(),
                  std::find(listener->codes.begin(), listener->codes.end(), shell::kHistogramPartial));
    }
}

TEST_F(IdleWorkTest, DisabledCompleteAndFailingHistogramsGetNoSlice)
{
    CIdleWork idle(host);
    CVorlatFilterHistogram unconnected(manager);  // its slice fails: no source
    idle.AddClient(&unconnected);
    idle.AddClient(histograms[0].get());
    idle.AddClient(histograms[1].get());
    ASSERT_EQ(nullptr, histograms[1]->Enable(false, false));
    ASSERT_EQ(nullptr, histograms[0]->ForceCompletion());
    size_t before[3] = {listeners[0]->codes.size(), 0, 0};
    // The failure ends the pass without a slice; the next pass starts after it.
    EXPECT_FALSE(idle.Run(false));
    EXPECT_EQ(-1, Served(before));
    EXPECT_FALSE(idle.Run(false));
    EXPECT_EQ(-1, Served(before));
    idle.RemoveClient(&unconnected);
    EXPECT_FALSE(idle.Run(false));
    EXPECT_FALSE(unconnected.IsComplete());
}

TEST_F(IdleWorkTest, CameraOnlyAndNoMainWindowLeaveHistogramsAndPagingAlone)
{
    CIdleWork idle(host);
    idle.AddClient(histograms[0].get());
    idle.SetTileManagers(manager, manager);
    size_t before[3] = {};
    EXPECT_FALSE(idle.Run(true));
    EXPECT_EQ(-1, Served(before));
    host.mainWindow = false;
    idle.pagingSuspended = true;
    EXPECT_FALSE(idle.Run(false));
    EXPECT_EQ(-1, Served(before));
    host.mainWindow = true;
    EXPECT_TRUE(idle.Run(false));
    EXPECT_EQ(0, Served(before));
}

TEST_F(IdleWorkTest, ACameraStepComesFirstAndReportsMoreWithoutOtherWork)
{
    camera_test::SimTree<COrlaKavoModule> tree("");
    CIdleWork idle(host);
    idle.SetCommandQueues(&CCommandQueueManager::GetInstance());
    idle.AddClient(histograms[0].get());
    idle.SetTileManagers(manager, nullptr);
    CCommandQueue queue;
    ASSERT_EQ(0, tree.module->QueueChildEnumeration(&queue));
    queue.Submit();
    size_t before[3] = {};

    // While a message box is up, no command goes out.
    idle.modal = true;
    EXPECT_TRUE(idle.Run(false));
    EXPECT_EQ(0, Served(before));
    EXPECT_FALSE(queue.IsIdle());

    idle.modal = false;
    int cameraPasses = 0;
    while (!queue.IsIdle()) {
        ASSERT_LT(cameraPasses, 100);
        EXPECT_TRUE(idle.Run(false));
        EXPECT_EQ(-1, Served(before));
        ++cameraPasses;
    }
    EXPECT_GT(cameraPasses, 0);
    ASSERT_FALSE(tree.module->GetChildren().empty());
    tree.module->Close();
}

TEST_F(IdleWorkTest, ACameraCheckIsHandedOverInALaterQuietPass)
{
    CIdleWork idle(host);
    shell::SetCameraCheckPending(true);
    EXPECT_FALSE(idle.Run(false));
    EXPECT_EQ(1, host.expired);
    EXPECT_TRUE(idle.handOverPending);
    EXPECT_FALSE(shell::IsCameraCheckPending());
    EXPECT_EQ(0, host.idleDone);
    EXPECT_FALSE(idle.Run(false));
    EXPECT_EQ(1, host.idleDone);
    EXPECT_FALSE(idle.handOverPending);
}

}  // namespace
