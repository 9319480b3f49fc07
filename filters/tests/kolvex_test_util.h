// Helpers shared by the filter tests: managers and images, chains of errors,
// a recording destination and two small test filters.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Vorlat/Vorlat.h"
#include "filters/Kolvex.h"

namespace kolvex_test {

// The deepest value of a chain (0 for success); destroys the chain.
inline int32_t Deepest(IVorlatError* err)
{
    if (!err)
        return 0;
    const int32_t value = err->GetDeepestValue();
    err->Destroy();
    return value;
}

// The deepest text of a chain ("" when none); destroys the chain.
inline std::string DeepestText(IVorlatError* err)
{
    if (!err)
        return "";
    const char* text = err->GetDeepestString();
    std::string result = text ? text : "";
    err->Destroy();
    return result;
}

// The module code of the newest frame; destroys the chain.
inline int32_t Module(IVorlatError* err)
{
    if (!err)
        return 0;
    char where[32];
    err->Location(where);
    err->Destroy();
    return static_cast<int32_t>(std::stoll(where));
}

#define KOLVEX_OK(call) ASSERT_EQ(::kolvex_test::Deepest(call), 0) << #call

inline _VorlatFile FileName(const std::string& path)
{
    _VorlatFile file{};
    std::strncpy(file.path, path.c_str(), sizeof file.path - 1);
    return file;
}

inline std::string ScratchPath(const std::string& stem)
{
    static std::atomic<int> counter{0};
    return std::string(TESS_SCRATCH_DIR) + "/kolvex_" + stem + "_" +
           std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" + std::to_string(counter++);
}

inline IVorlatManager* MakeManager(int32_t tileBytes, int32_t memoryBytes = 1 << 24)
{
    IVorlatManager* manager = nullptr;
    EXPECT_EQ(Deepest(IVorlatManager::CreateManager(&manager, FileName(ScratchPath("page") + ".tmp"), memoryBytes,
                                                    tileBytes, 0)),
              0);
    return manager;
}

inline int32_t PackedRowBytes(int32_t colorSpace, int32_t width)
{
    return static_cast<int32_t>((static_cast<int64_t>(width) * IVorlatDataSource::GetBitsPerPixel(colorSpace) + 7) / 8);
}

// An image filled from packed rows (rows of PackedRowBytes, top first).
inline IVorlatImage* MakeImage(IVorlatManager* manager, int32_t colorSpace, int32_t width, int32_t height,
                               const std::vector<uint8_t>& packed, int32_t usage = kVorlatUsageKeep)
{
    IVorlatImage* image = nullptr;
    EXPECT_EQ(Deepest(manager->CreateImage(&image, usage)), 0);
    EXPECT_EQ(Deepest(image->SetColorSpace(colorSpace)), 0);
    EXPECT_EQ(Deepest(image->SetSize(width, height)), 0);
    const int32_t bits = IVorlatDataSource::GetBitsPerPixel(colorSpace);
    if (bits >= 8) {
        EXPECT_EQ(Deepest(image->SetData(const_cast<uint8_t*>(packed.data()), PackedRowBytes(colorSpace, width),
                                         RECT{0, 0, width, height})),
                  0);
    } else {
        // Sub-byte layouts cannot go through SetData: write the tiles by bit pointer.
        IVorlatTileGrid* grid = nullptr;
        EXPECT_EQ(Deepest(image->MapRect(&grid, RECT{0, 0, width, height})), 0);
        for (int32_t gy = 0; grid && gy < grid->GetRows(); ++gy) {
            for (int32_t gx = 0; gx < grid->GetColumns(); ++gx) {
                void* cell = nullptr;
                RECT a, b;
                int32_t rowBytes = 0;
                EXPECT_EQ(Deepest(image->LockTile(&cell, &a, &b, &rowBytes, *grid, gx, gy, nullptr)), 0);
                for (int32_t y = b.top; y < b.bottom; ++y) {
                    CVorlatFilterBase::CPixelBitPtr from(const_cast<uint8_t*>(packed.data()), 0, colorSpace,
                                                         PackedRowBytes(colorSpace, width));
                    from.Move(b.left, y);
                    CVorlatFilterBase::CPixelBitPtr to(static_cast<uint8_t*>(cell), 0, colorSpace, rowBytes);
                    to.Move(b.left - a.left, y - a.top);
                    from.CopyPixelsTo(to, b.right - b.left);
                }
                EXPECT_EQ(Deepest(image->UnlockTile(*grid, gx, gy)), 0);
            }
        }
        if (grid)
            grid->Destroy();
    }
    return image;
}

// A deterministic pattern of bytes.
inline std::vector<uint8_t> Pattern(size_t bytes, uint32_t seed = 1)
{
    std::vector<uint8_t> out(bytes);
    uint32_t x = seed * 2654435761u + 12345u;
    for (auto& b : out) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(x >> 24);
    }
    return out;
}

// Reads a whole source through its grid-form locks into packed rows.
inline std::vector<uint8_t> ReadAll(const IVorlatDataSource* source, int32_t* widthOut = nullptr,
                                    int32_t* heightOut = nullptr, int32_t* spaceOut = nullptr)
{
    int32_t width = 0, height = 0, colorSpace = 0;
    EXPECT_EQ(Deepest(source->GetSize(&width, &height)), 0);
    EXPECT_EQ(Deepest(source->GetColorSpace(&colorSpace)), 0);
    if (widthOut)
        *widthOut = width;
    if (heightOut)
        *heightOut = height;
    if (spaceOut)
        *spaceOut = colorSpace;
    const int32_t packedRow = PackedRowBytes(colorSpace, width);
    std::vector<uint8_t> out(static_cast<size_t>(packedRow) * height);
    IVorlatTileGrid* grid = nullptr;
    EXPECT_EQ(Deepest(source->MapRect(&grid, RECT{0, 0, width, height})), 0);
    for (int32_t gy = 0; grid && gy < grid->GetRows(); ++gy) {
        for (int32_t gx = 0; gx < grid->GetColumns(); ++gx) {
            void* cell = nullptr;
            RECT a, b;
            int32_t rowBytes = 0;
            IVorlatError* err = source->LockTile(&cell, &a, &b, &rowBytes, *grid, gx, gy, nullptr);
            EXPECT_EQ(Deepest(err), 0);
            if (!cell)
                continue;
            for (int32_t y = b.top; y < b.bottom; ++y) {
                CVorlatFilterBase::CPixelBitPtr from(static_cast<uint8_t*>(cell), 0, colorSpace, rowBytes);
                from.Move(b.left - a.left, y - a.top);
                CVorlatFilterBase::CPixelBitPtr to(out.data(), 0, colorSpace, packedRow);
                to.Move(b.left, y);
                from.CopyPixelsTo(to, b.right - b.left);
            }
            EXPECT_EQ(Deepest(source->UnlockTile(*grid, gx, gy)), 0);
        }
    }
    if (grid)
        grid->Destroy();
    return out;
}

inline std::vector<uint8_t> ReadImage(IVorlatImage* image) { return ReadAll(image); }

// A destination that records what it hears.
class Recorder : public IVorlatDataDestination {
public:
    struct Heard {
        int32_t code;
        RECT rect;
        IVorlatDataDestination::ChangeSize size;
        IVorlatDataDestination::ChangeColorSpace space;
        void* param;
    };
    ~Recorder() override = default;
    IVorlatError* VorlatNotify(const IVorlatDataSource*, int32_t code, void* param) override
    {
        Heard h{code, {}, {}, {}, param};
        if (code == kVorlatNotifyDataChanged && param)
            h.rect = *static_cast<RECT*>(param);
        if (code == kVorlatNotifySize && param)
            h.size = *static_cast<ChangeSize*>(param);
        if (code == kVorlatNotifyColorSpace && param)
            h.space = *static_cast<ChangeColorSpace*>(param);
        heard.push_back(h);
        return nullptr;
    }
    std::vector<int32_t> Codes() const
    {
        std::vector<int32_t> codes;
        for (const Heard& h : heard)
            codes.push_back(h.code);
        return codes;
    }
    std::vector<Heard> heard;
};

// A filter that copies whole-byte pixels from its source and counts its tiles;
// failValue makes ProcessTile fail with that value.
class CopyFilter : public CVorlatFilterBase {
public:
    explicit CopyFilter(IVorlatManager* manager, int32_t usage = kVorlatUsageDiscardable)
        : CVorlatFilterBase(manager, usage)
    {
    }
    int32_t GetFilterCode() const override { return VorlatFourCC("copy"); }
    const char* GetFilterDescription() const override { return "Copy"; }

    int32_t processed = 0;
    int32_t failValue = 0;
    int32_t filteredSpace = -1;  // -1: the source's
    std::vector<bool> hadRecord;
    std::vector<RECT> worked;

    IVorlatError* SetLevel(int32_t level, bool notify)
    {
        if (level == level_)
            return nullptr;
        level_ = level;
        cacheDirty_ = true;
        return NotifyWholeSource(notify, GetFilterCode());
    }
    void SetPassThrough(bool on) { passThrough_ = on; }
    bool CacheDirty() const { return cacheDirty_; }
    IVorlatImage* Cache() const { return cacheImage_; }
    IVorlatError* Invalidate(const RECT& r) { return InvalidateCache(r); }
    IVorlatError* Check() { return CheckCache(); }
    IVorlatError* Watchers(int32_t code) { return NotifyWatchers(code, nullptr); }

protected:
    IVorlatError* GetFilteredColorSpace(const IVorlatDataSource** sources, int32_t count, int32_t* space) override
    {
        if (filteredSpace >= 0) {
            *space = filteredSpace;
            return nullptr;
        }
        return CVorlatFilterBase::GetFilteredColorSpace(sources, count, space);
    }
    IVorlatError* ProcessTile(IVorlatTile* tile, CProcessInfo* info) override
    {
        ++processed;
        hadRecord.push_back(info != nullptr);
        if (failValue)
            return IVorlatError::Add(nullptr, GetFilterCode(), __LINE__, 0, failValue);
        const IVorlatDataSource* source = ChosenSource(info);
        RECT r, t;
        if (!tile->GetInvalidRect(&r))
            return nullptr;
        worked.push_back(r);
        tile->GetCoordinates(&t);
        int32_t colorSpace = 0;
        IVorlatError* err = source->GetColorSpace(&colorSpace);
        if (err)
            return err;
        const int32_t bytes = GetBitsPerPixel(colorSpace) / 8;
        void* data = nullptr;
        if ((err = tile->Lock(&data, nullptr)) != nullptr)
            return err;
        IVorlatTileGrid* grid = nullptr;
        err = source->MapRect(&grid, r);
        for (int32_t gy = 0; grid && !err && gy < grid->GetRows(); ++gy) {
            for (int32_t gx = 0; !err && gx < grid->GetColumns(); ++gx) {
                void* cell = nullptr;
                RECT a, b;
                int32_t rowBytes = 0;
                if ((err = source->LockTile(&cell, &a, &b, &rowBytes, *grid, gx, gy, nullptr)) != nullptr)
                    break;
                for (int32_t y = b.top; y < b.bottom; ++y) {
                    uint8_t* d = static_cast<uint8_t*>(data) + (y - t.top) * tile->GetRowBytes() + (b.left - t.left) * bytes;
                    const uint8_t* s = static_cast<uint8_t*>(cell) + (y - a.top) * rowBytes + (b.left - a.left) * bytes;
                    for (int32_t i = 0; i < (b.right - b.left) * bytes; ++i)
                        d[i] = static_cast<uint8_t>(s[i] + level_);
                }
                err = source->UnlockTile(*grid, gx, gy);
            }
        }
        if (grid)
            grid->Destroy();
        IVorlatError* unlock = tile->Unlock();
        if (unlock && !err)
            err = unlock;
        else if (unlock)
            unlock->Destroy();
        if (!err)
            tile->Validate();
        return err;
    }

private:
    int32_t level_ = 0;
};

// Runs a filter over its own source through the begin/execute/end protocol.
inline std::vector<uint8_t> RunWhole(CVorlatFilterBase* filter, IVorlatManager* manager, IVorlatImage* source)
{
    IVorlatImage* target = nullptr;
    EXPECT_EQ(Deepest(manager->CreateImage(&target, kVorlatUsageKeep)), 0);
    const IVorlatDataSource* sources[] = {source};
    int32_t id = 0;
    EXPECT_EQ(Deepest(filter->BeginProcess(&id, sources, 1, target)), 0);
    for (int guard = 0; guard < 100000; ++guard) {
        int32_t done = 0, total = 0;
        EXPECT_EQ(Deepest(filter->ExecuteProcess(id, &done, &total)), 0);
        if (done == 0 && total == 0)
            break;
    }
    EXPECT_EQ(Deepest(filter->EndProcess(id)), 0);
    std::vector<uint8_t> out = ReadAll(target);
    target->Destroy();
    return out;
}

} // namespace kolvex_test
