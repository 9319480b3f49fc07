// Helpers of the BMP tests: bitmap files built byte by byte, pipeline images
// from and to RGB buffers, and loading or saving through the loader and saver.
#pragma once

#include "fileio/tests/scratch_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Vorlat/VorlatImage.h"
#include "Vorlat/VorlatManager.h"
#include "fileio/VorlatLoad.h"
#include "fileio/tests/fileio_fixture.h"

namespace bmp_test {

using fileio_test::Cause;
using fileio_test::MemoryStream;

struct Pixels {
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 3;  // 1 grey, 3 RGB
    std::vector<uint8_t> data;

    uint8_t* At(int32_t x, int32_t y) { return &data[(static_cast<size_t>(y) * width + x) * channels]; }
    bool operator==(const Pixels& o) const
    {
        return width == o.width && height == o.height && channels == o.channels && data == o.data;
    }
};

inline Pixels Pattern(int32_t width, int32_t height, int32_t channels, uint32_t seed = 7)
{
    Pixels p{width, height, channels, std::vector<uint8_t>(static_cast<size_t>(width) * height * channels)};
    for (size_t i = 0; i < p.data.size(); ++i)
        p.data[i] = static_cast<uint8_t>((i * 37 + seed * 11 + i / 5 * 3) & 0xFF);
    return p;
}

// A tile manager whose tile buffers are tileBytes long (3072 bytes make
// 32 x 32 tiles of 24-bit pixels).
class Images {
public:
    explicit Images(const char* name, int32_t tileBytes = 65536)
    {
        _VorlatFile file = {};
        const std::string path = fileio_test::ScratchPageFile(std::string(name) + "_pages");
        std::strncpy(file.path, path.c_str(), sizeof(file.path) - 1);
        EXPECT_EQ(0, Cause(IVorlatManager::CreateManager(&manager_, file, 256 << 20, tileBytes, 0)));
    }
    ~Images()
    {
        if (manager_)
            manager_->Destroy();
    }
    IVorlatManager* manager() const { return manager_; }

    IVorlatImage* New()
    {
        IVorlatImage* image = nullptr;
        EXPECT_EQ(0, Cause(manager_->CreateImage(&image, 0)));
        return image;
    }

    IVorlatImage* Of(const Pixels& p, double resolution = 72.0)
    {
        IVorlatImage* image = New();
        EXPECT_EQ(0, Cause(image->SetColorSpace(p.channels == 1 ? 2 : 32)));
        EXPECT_EQ(0, Cause(image->SetSize(p.width, p.height)));
        EXPECT_EQ(0, Cause(image->SetResolution(resolution)));
        const RECT rect = {0, 0, p.width, p.height};
        EXPECT_EQ(0, Cause(image->SetData(const_cast<uint8_t*>(p.data.data()), p.width * p.channels, rect)));
        return image;
    }

    static Pixels PixelsOf(IVorlatImage* image)
    {
        Pixels p;
        int32_t space = 0;
        EXPECT_EQ(0, Cause(image->GetSize(&p.width, &p.height)));
        EXPECT_EQ(0, Cause(image->GetColorSpace(&space)));
        p.channels = space == 2 ? 1 : 3;
        p.data.assign(static_cast<size_t>(p.width) * p.height * p.channels, 0);
        if (p.width > 0 && p.height > 0) {
            const RECT rect = {0, 0, p.width, p.height};
            EXPECT_EQ(0, Cause(image->GetData(p.data.data(), p.width * p.channels, rect)));
        }
        return p;
    }

private:
    IVorlatManager* manager_ = nullptr;
};

// A bitmap file as a test wants it: any header length, depth, colour count
// and compression; `indices` (one per pixel, top row first) for 1-, 4- and
// 8-bit files, `rgb` for 24-bit ones.
struct BmpSpec {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 24;
    uint32_t infoSize = 40;
    uint32_t compression = 0;
    int32_t pelsPerMeter = 0;
    uint32_t colorsUsed = 0;
    std::vector<uint8_t> palette;  // blue, green, red, reserved per entry, written as given
    std::vector<uint8_t> indices;
    Pixels rgb;
};

inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline std::vector<uint8_t> MakeBmp(const BmpSpec& s)
{
    const size_t stride = ((static_cast<size_t>(s.width) * s.bits + 31) / 32) * 4;
    const size_t dataOffset = 14 + s.infoSize + s.palette.size();
    std::vector<uint8_t> b(dataOffset + stride * static_cast<size_t>(s.height < 0 ? -s.height : s.height), 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 10, static_cast<uint32_t>(dataOffset));
    Put32(b, 14, s.infoSize);
    Put32(b, 18, static_cast<uint32_t>(s.width));
    Put32(b, 22, static_cast<uint32_t>(s.height));
    b[26] = 1;
    b[28] = static_cast<uint8_t>(s.bits);
    Put32(b, 30, s.compression);
    Put32(b, 38, static_cast<uint32_t>(s.pelsPerMeter));
    Put32(b, 42, static_cast<uint32_t>(s.pelsPerMeter));
    Put32(b, 46, s.colorsUsed);
    std::copy(s.palette.begin(), s.palette.end(), b.begin() + 14 + s.infoSize);
    const int32_t rows = s.height < 0 ? -s.height : s.height;
    for (int32_t y = 0; y < rows; ++y) {
        uint8_t* row = b.data() + dataOffset + stride * static_cast<size_t>(rows - 1 - y);
        for (int32_t x = 0; x < s.width; ++x) {
            const size_t i = static_cast<size_t>(y) * s.width + x;
            if (s.bits == 24) {
                const uint8_t* p = &s.rgb.data[3 * i];
                row[3 * x] = p[2];
                row[3 * x + 1] = p[1];
                row[3 * x + 2] = p[0];
            } else if (!s.indices.empty()) {
                const int32_t bit = x * s.bits;
                row[bit / 8] |= static_cast<uint8_t>(s.indices[i] << (8 - s.bits - bit % 8));
            }
        }
    }
    return b;
}

// The RGB picture a 4-, 8- or 24-bit file stands for: entries the file does
// not store are black.
inline Pixels Expected(const BmpSpec& s)
{
    if (s.bits == 24)
        return s.rgb;
    Pixels p{s.width, s.height, 3, std::vector<uint8_t>(static_cast<size_t>(s.width) * s.height * 3, 0)};
    const uint32_t entries = 1u << s.bits;
    const uint32_t stored = s.colorsUsed == 0 ? entries : std::min(s.colorsUsed, entries);
    for (size_t i = 0; i < s.indices.size(); ++i) {
        const uint32_t index = s.indices[i];
        if (index < stored && 4 * index + 2 < s.palette.size()) {
            p.data[3 * i] = s.palette[4 * index + 2];
            p.data[3 * i + 1] = s.palette[4 * index + 1];
            p.data[3 * i + 2] = s.palette[4 * index];
        }
    }
    return p;
}

struct Loaded {
    int32_t attach = 0;
    int32_t format = 0;
    int32_t error = 0;  // of BeginLoadImage or the first failing step
    int32_t steps = 0;
    std::vector<int32_t> progress;  // done after every step
    Pixels pixels;
};

// Attaches a loader to the bytes, loads the tags into `tags` (when given) and
// the picture step by step.
inline Loaded LoadThroughLoader(Images& images, const std::vector<uint8_t>& file, IVorlatTagControl* tags = nullptr)
{
    Loaded out;
    MemoryStream in(file);
    IVorlatLoad* load = nullptr;
    EXPECT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
    out.attach = Cause(load->AttachStream(in.stream, tags, 0, 0));
    EXPECT_EQ(0, Cause(load->GetFormats(&out.format)));
    if (!out.attach) {
        IVorlatImage* image = images.New();
        out.error = tags ? Cause(load->LoadTags()) : 0;
        if (!out.error)
            out.error = Cause(load->BeginLoadImage(image));
        while (!out.error && !load->IsFinished() && out.steps < 100000) {
            out.error = Cause(load->Execute());
            ++out.steps;
            int32_t done = -1, total = -1;
            load->GetProgress(&done, &total);
            out.progress.push_back(done);
        }
        if (!out.error)
            out.pixels = Images::PixelsOf(image);
        image->Destroy();
    }
    load->DetachStream();
    load->Destroy();
    return out;
}

// Saves the image as a BMP through the saver into memory.
inline std::vector<uint8_t> SaveThroughSaver(IVorlatDataSource* source, int32_t* error = nullptr, size_t room = 1 << 22)
{
    MemoryStream out(std::vector<uint8_t>(room, 0xEE), false);
    IVorlatSave* save = nullptr;
    EXPECT_EQ(0, Cause(IVorlatSave::CreateSave(&save)));
    int32_t failure = Cause(save->AttachStream(out.stream, nullptr, kFormatBmp, 0));
    if (!failure)
        failure = Cause(save->BeginSave(source, nullptr, 0));
    for (int steps = 0; !failure && !save->IsFinished() && steps < 100000; ++steps)
        failure = Cause(save->Execute());
    std::vector<uint8_t> written = out.Written();
    save->DetachStream();
    save->Destroy();
    if (error)
        *error = failure;
    return written;
}

} // namespace bmp_test
