// Helpers of the demosaic tests: managers, mosaic images, reading a source
// whole, and synthetic mosaics.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "Vorlat/Vorlat.h"
#include "app/core/demosaic/debayer_base.h"

namespace demosaic_test {

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

#define DEMOSAIC_OK(call) ASSERT_EQ(::demosaic_test::Deepest(call), 0) << #call

inline IVorlatManager* MakeManager(int32_t tileBytes)
{
    static std::atomic<int> counter{0};
    const std::string path = std::string(TESS_SCRATCH_DIR) + "/demosaic_page_" +
                             std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                             std::to_string(counter++) + ".tmp";
    _VorlatFile file{};
    std::strncpy(file.path, path.c_str(), sizeof file.path - 1);
    IVorlatManager* manager = nullptr;
    EXPECT_EQ(Deepest(IVorlatManager::CreateManager(&manager, file, 1 << 26, tileBytes, 0)), 0);
    return manager;
}

// A mosaic of width x height samples, row after row.
struct Mosaic {
    int32_t width = 0, height = 0;
    std::vector<uint16_t> samples;
    uint16_t& at(int32_t x, int32_t y) { return samples[static_cast<size_t>(y) * width + x]; }
};

inline IVorlatImage* MakeImage(IVorlatManager* manager, const Mosaic& mosaic, int32_t colorSpace = 64)
{
    IVorlatImage* image = nullptr;
    EXPECT_EQ(Deepest(manager->CreateImage(&image, kVorlatUsageKeep)), 0);
    EXPECT_EQ(Deepest(image->SetColorSpace(colorSpace)), 0);
    EXPECT_EQ(Deepest(image->SetSize(mosaic.width, mosaic.height)), 0);
    if (IVorlatDataSource::GetBitsPerPixel(colorSpace) == 16) {
        EXPECT_EQ(Deepest(image->SetData(const_cast<uint16_t*>(mosaic.samples.data()), mosaic.width * 2,
                                         RECT{0, 0, mosaic.width, mosaic.height})),
                  0);
    }
    return image;
}

// A source's pixels of 16-bit channels, read through its grid, as packed rows.
inline std::vector<uint16_t> ReadAll(const IVorlatDataSource* source, int32_t* widthOut = nullptr,
                                     int32_t* heightOut = nullptr)
{
    int32_t width = 0, height = 0, colorSpace = 0;
    EXPECT_EQ(Deepest(source->GetSize(&width, &height)), 0);
    EXPECT_EQ(Deepest(source->GetColorSpace(&colorSpace)), 0);
    if (widthOut)
        *widthOut = width;
    if (heightOut)
        *heightOut = height;
    const int32_t channels = IVorlatDataSource::GetBitsPerPixel(colorSpace) / 16;
    std::vector<uint16_t> out(static_cast<size_t>(width) * height * channels);
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
            for (int32_t y = b.top; y < b.bottom; ++y)
                std::memcpy(&out[(static_cast<size_t>(y) * width + b.left) * channels],
                            static_cast<const uint8_t*>(cell) + static_cast<ptrdiff_t>(y - a.top) * rowBytes +
                                static_cast<ptrdiff_t>(b.left - a.left) * channels * 2,
                            static_cast<size_t>(b.right - b.left) * channels * 2);
            EXPECT_EQ(Deepest(source->UnlockTile(*grid, gx, gy)), 0);
        }
    }
    if (grid)
        grid->Destroy();
    return out;
}

// The whole output of a filter over a mosaic, through its buffer entry point.
inline std::vector<uint16_t> Reference(CDeBayerBase& filter, const Mosaic& mosaic, int32_t* widthOut = nullptr,
                                       int32_t* heightOut = nullptr)
{
    int32_t width = 0, height = 0;
    EXPECT_EQ(Deepest(filter.GetOutputSize(mosaic.width, mosaic.height, &width, &height)), 0);
    if (widthOut)
        *widthOut = width;
    if (heightOut)
        *heightOut = height;
    std::vector<uint16_t> out(static_cast<size_t>(width) * height * 3);
    EXPECT_EQ(Deepest(filter.DemosaicBuffer(mosaic.samples.data(), mosaic.width, mosaic.height, mosaic.width,
                                            out.data(), width * 6)),
              0);
    return out;
}

// A scene with smooth colour, edges at several angles and fine detail, and a
// deterministic noise, sampled in the filters' colour-filter layout.
inline Mosaic Scene(int32_t width, int32_t height, uint32_t seed = 7)
{
    Mosaic m;
    m.width = width;
    m.height = height;
    m.samples.resize(static_cast<size_t>(width) * height);
    uint32_t noise = seed * 2654435761u + 1;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const int32_t colour = ((x + y) & 1) ? 1 : ((y & 1) ? 0 : 2);
            const double base = 0.5 + 0.3 * std::sin(x * 0.11 + colour) * std::cos(y * 0.07 - colour);
            const double edge = (2 * x + y) % 60 < 30 ? 0.25 : -0.2;
            const double ring = 0.1 * std::cos((x - width / 2.0) * (x - width / 2.0) * 0.01 + y * 0.3);
            noise = noise * 1664525u + 1013904223u;
            const double v = base + edge * (colour == 1 ? 1.0 : 0.6) + ring + ((noise >> 24) - 128) / 4096.0;
            m.at(x, y) = static_cast<uint16_t>(std::lround(std::min(1.0, std::max(0.0, v)) * 4095));
        }
    }
    return m;
}

} // namespace demosaic_test
