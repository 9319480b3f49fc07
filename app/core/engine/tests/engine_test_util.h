// Helpers of the engine tests: a tile manager, small images, a tag store,
// and a fixture that starts and stops the engine around each test.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "Vorlat/Vorlat.h"
#include "app/core/engine/develop_engine.h"
#include "fileio/VorlatLoad.h"
#include "fileio/VorlatStream.h"
#include "fileio/VorlatTagControl.h"

namespace engine_test {

// The deepest value of a chain, 0 for none; destroys the chain.
inline int32_t Deepest(IVorlatError* err)
{
    if (!err)
        return 0;
    const int32_t value = err->GetDeepestValue();
    err->Destroy();
    return value;
}

#define ENGINE_OK(call) ASSERT_EQ(::engine_test::Deepest(call), 0) << #call

// Unique within the process and across runs, so that runs never share a file.
inline std::string ScratchPath(const std::string& stem)
{
    static const long long run = static_cast<long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    static std::atomic<int> counter{0};
    return std::string(TESS_SCRATCH_DIR) + "/engine_" + stem + "_" + std::to_string(run) + "_" +
           std::to_string(counter++);
}

inline _VorlatFile FileName(const std::string& path)
{
    _VorlatFile file{};
    std::strncpy(file.path, path.c_str(), sizeof file.path - 1);
    return file;
}

inline IVorlatManager* MakeManager(int32_t tileBytes = 16384)
{
    IVorlatManager* manager = nullptr;
    EXPECT_EQ(0, Deepest(IVorlatManager::CreateManager(&manager, FileName(ScratchPath("page") + ".tmp"), 1 << 24,
                                                       tileBytes, 0)));
    return manager;
}

// An image of the colour space and size, its rows filled from packed bytes
// when given.
inline IVorlatImage* MakeImage(IVorlatManager* manager, int32_t colorSpace, int32_t width, int32_t height,
                               std::vector<uint8_t> bytes = {})
{
    IVorlatImage* image = nullptr;
    EXPECT_EQ(0, Deepest(manager->CreateImage(&image, 0)));
    EXPECT_EQ(0, Deepest(image->SetColorSpace(colorSpace)));
    EXPECT_EQ(0, Deepest(image->SetSize(width, height)));
    if (!bytes.empty()) {
        const int32_t rowBytes = static_cast<int32_t>(bytes.size()) / height;
        const RECT all = {0, 0, width, height};
        EXPECT_EQ(0, Deepest(image->SetData(bytes.data(), rowBytes, all)));
    }
    return image;
}

// A tag store freed at the end of the scope.
struct Tags {
    IVorlatTagControl* tags = nullptr;
    Tags() { EXPECT_EQ(0, Deepest(IVorlatTagControl::CreateTagControl(&tags))); }
    ~Tags() { tags->Destroy(); }
    Tags(const Tags&) = delete;
    Tags& operator=(const Tags&) = delete;

    void Set(TagId tag, uint32_t type, const void* data, uint32_t bytes)
    {
        if (!tags->IsExist(tag, 0)) {
            EXPECT_EQ(0, Deepest(tags->AddTag(tag))) << std::hex << tag;
        }
        EXPECT_EQ(0, Deepest(tags->SetTagValue(tag, type, bytes, data, 0))) << std::hex << tag;
    }
    void SetLong(TagId tag, int32_t value) { Set(tag, kTagTypeLongs, &value, 4); }
    void SetText(TagId tag, const char* text) { Set(tag, kTagTypeText, text, static_cast<uint32_t>(std::strlen(text) + 1)); }
};

// Writes the image with the tags through the file library's saver in the
// given format, then destroys the image; answers the deepest error, 0 when
// the file was written.
inline int32_t WriteImageFile(IVorlatImage* image, IVorlatTagControl* tags, uint32_t format, const std::string& path)
{
    IVorlatFileStream* stream = nullptr;
    EXPECT_EQ(0, Deepest(IVorlatFileStream::CreateFileStream(&stream)));
    EXPECT_EQ(0, Deepest(stream->SetFile(FileName(path))));
    IVorlatSave* save = nullptr;
    EXPECT_EQ(0, Deepest(IVorlatSave::CreateSave(&save)));
    int32_t error = Deepest(save->AttachStream(stream, tags, format, 0));
    IVorlatDataSource* sources[1] = {image};
    if (!error)
        error = Deepest(save->BeginSave(image, sources, 0));
    while (!error && !save->IsFinished())
        error = Deepest(save->Execute());
    save->DetachStream();
    save->Destroy();
    stream->Destroy();
    image->Destroy();
    return error;
}

// The engine started with its own image manager for each test.
class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager = MakeManager(65536);
        CreateColorEnginePool();
        SetImageManager(manager);
    }
    void TearDown() override
    {
        DestroyColorEnginePool();
        SetImageManager(nullptr);
        manager->Destroy();
    }
    IVorlatManager* manager = nullptr;
};

}  // namespace engine_test
