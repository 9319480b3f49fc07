// Helpers shared by the framework's tests.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Vorlat/Vorlat.h"
#include "Vorlat/VorlatManager_impl.h"

namespace vorlat_test {

// The values of a chain, newest first, without the location frames; destroys the chain.
inline std::vector<int32_t> Values(IVorlatError* err)
{
    std::vector<int32_t> values;
    for (IVorlatError* f = err; f; f = f->Next()) {
        if (f->GetValue() != kVorlatErrLocation)
            values.push_back(f->GetValue());
    }
    if (err)
        err->Destroy();
    return values;
}

// The deepest value of a chain (0 for success); destroys the chain.
inline int32_t Deepest(IVorlatError* err)
{
    if (!err)
        return 0;
    const int32_t value = err->GetDeepestValue();
    err->Destroy();
    return value;
}

// The newest value that is not a location frame (0 for success); destroys the chain.
inline int32_t Failure(IVorlatError* err)
{
    std::vector<int32_t> values = Values(err);
    return values.empty() ? 0 : values.front();
}

#define VORLAT_OK(call) ASSERT_EQ(::vorlat_test::Deepest(call), 0) << #call

inline std::string ScratchPath(const char* stem)
{
    static std::atomic<int> counter{0};
    return std::string(TESS_SCRATCH_DIR) + "/" + stem + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + std::to_string(counter++) + ".tmp";
}

inline _VorlatFile FileName(const std::string& path)
{
    _VorlatFile file{};
    std::strncpy(file.path, path.c_str(), sizeof file.path - 1);
    return file;
}

// A manager with its page file in the scratch folder.
inline CVorlatManager* MakeManager(int32_t memoryBytes, int32_t tileBytes, const char* stem = "vorlat")
{
    IVorlatManager* manager = nullptr;
    IVorlatError* err = IVorlatManager::CreateManager(&manager, FileName(ScratchPath(stem)), memoryBytes, tileBytes, 0);
    EXPECT_EQ(Deepest(err), 0);
    return static_cast<CVorlatManager*>(manager);
}

inline IVorlatImage* MakeImage(IVorlatManager* manager, int32_t usage, int32_t colorSpace, int32_t width,
                               int32_t height)
{
    IVorlatImage* image = nullptr;
    EXPECT_EQ(Deepest(manager->CreateImage(&image, usage)), 0);
    EXPECT_EQ(Deepest(image->SetColorSpace(colorSpace)), 0);
    EXPECT_EQ(Deepest(image->SetSize(width, height)), 0);
    return image;
}

inline int64_t FileLength(const std::string& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? -1 : static_cast<int64_t>(size);
}

inline void DrainIdle(IVorlatManager* manager)
{
    bool more = true;
    for (int i = 0; more && i < 10000; ++i)
        VORLAT_OK(manager->Async(&more));
    ASSERT_FALSE(more);
}

// Locks and unlocks tile (column, 0), writing value into its first byte when asked.
inline void Touch(IVorlatImage* image, int32_t column, int value = -1)
{
    void* bits = nullptr;
    VORLAT_OK(image->LockTile(&bits, column, 0, nullptr));
    if (value >= 0) {
        static_cast<uint8_t*>(bits)[0] = static_cast<uint8_t>(value);
        IVorlatTile* tile = nullptr;
        VORLAT_OK(image->GetTile(&tile, column, 0));
        tile->SetDirty(true);
    }
    VORLAT_OK(image->UnlockTile(column, 0));
}

inline uint8_t FirstByte(IVorlatImage* image, int32_t column)
{
    void* bits = nullptr;
    EXPECT_EQ(Deepest(image->LockTile(&bits, column, 0, nullptr)), 0);
    const uint8_t value = static_cast<uint8_t*>(bits)[0];
    EXPECT_EQ(Deepest(image->UnlockTile(column, 0)), 0);
    return value;
}

// A destination that records what it hears.
class Recorder : public IVorlatDataDestination {
public:
    struct Heard {
        const IVorlatDataSource* source;
        int32_t code;
    };
    explicit Recorder(std::vector<std::string>* log = nullptr, const char* name = "") : log_(log), name_(name) {}
    ~Recorder() override = default;

    IVorlatError* VorlatNotify(const IVorlatDataSource* source, int32_t code, void* param) override
    {
        heard.push_back({source, code});
        if (code == kVorlatNotifySize && param)
            lastSize = *static_cast<ChangeSize*>(param);
        if (code == kVorlatNotifyDataChanged && param)
            lastRect = *static_cast<RECT*>(param);
        if (log_)
            log_->push_back(name_);
        if (onNotify)
            onNotify();
        if (failValue)
            return IVorlatError::Add(nullptr, 99, 1, 0, failValue);
        return nullptr;
    }

    std::vector<Heard> heard;
    ChangeSize lastSize{};
    RECT lastRect{};
    int32_t failValue = 0;
    std::function<void()> onNotify;

private:
    std::vector<std::string>* log_;
    std::string name_;
};

} // namespace vorlat_test
