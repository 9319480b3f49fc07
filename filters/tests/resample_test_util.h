// Helpers of the tests of the source window and of the filters that read
// through it (scale, transform, unsharp mask): a source that counts and can
// fail its tile calls, position-coded images, and the PNM files and command
// lines of the independent checks with libvips and ImageMagick.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <algorithm>

#include "kolvex_test_util.h"

namespace kolvex_test {

// Forwards to an image, counting tile lookups and locks; failLockAt > 0 makes
// that lock (counted from 1) fail.
class CountingSource : public IVorlatDataSource {
public:
    explicit CountingSource(const IVorlatDataSource* inner) : inner_(inner) {}
    ~CountingSource() override = default;

    int32_t tileLookups = 0;
    int32_t locks = 0;
    int32_t failLockAt = 0;

    IVorlatError* GetWidth(int32_t* v) const override { return inner_->GetWidth(v); }
    IVorlatError* GetHeight(int32_t* v) const override { return inner_->GetHeight(v); }
    IVorlatError* GetColorSpace(int32_t* v) const override { return inner_->GetColorSpace(v); }
    IVorlatError* GetResolution(double* v) const override { return inner_->GetResolution(v); }
    IVorlatError* GetFlip(bool* v) const override { return inner_->GetFlip(v); }
    IVorlatError* GetRotation(double* v) const override { return inner_->GetRotation(v); }
    IVorlatError* GetTileSize(int32_t* v) const override { return inner_->GetTileSize(v); }
    IVorlatError* GetPalette(VorlatPalette* v) const override { return inner_->GetPalette(v); }
    IVorlatError* TileExists(bool* e, const IVorlatTileID& id) const override { return inner_->TileExists(e, id); }
    IVorlatError* TileExists(bool* e, int32_t c, int32_t r) const override { return inner_->TileExists(e, c, r); }
    IVorlatError* GetTile(IVorlatTile** t, const IVorlatTileID& id) const override { return inner_->GetTile(t, id); }
    IVorlatError* GetTile(IVorlatTile** t, int32_t c, int32_t r) const override
    {
        ++const_cast<CountingSource*>(this)->tileLookups;
        return inner_->GetTile(t, c, r);
    }
    IVorlatError* LockTile(void** p, RECT* a, RECT* b, int32_t* rb, const IVorlatTileGrid& g, int32_t c, int32_t r,
                           BITMAPINFOHEADER** h) const override
    {
        if (Fails())
            return IVorlatError::Add(nullptr, 77, __LINE__, 0, 4242);
        return inner_->LockTile(p, a, b, rb, g, c, r, h);
    }
    IVorlatError* LockTile(void** p, const IVorlatTileID& id, BITMAPINFOHEADER** h) const override
    {
        return inner_->LockTile(p, id, h);
    }
    IVorlatError* LockTile(void** p, int32_t c, int32_t r, BITMAPINFOHEADER** h) const override
    {
        if (Fails())
            return IVorlatError::Add(nullptr, 77, __LINE__, 0, 4242);
        return inner_->LockTile(p, c, r, h);
    }
    IVorlatError* UnlockTile(const IVorlatTileGrid& g, int32_t c, int32_t r) const override
    {
        return inner_->UnlockTile(g, c, r);
    }
    IVorlatError* UnlockTile(const IVorlatTileID& id) const override { return inner_->UnlockTile(id); }
    IVorlatError* UnlockTile(int32_t c, int32_t r) const override { return inner_->UnlockTile(c, r); }
    IVorlatError* MapRect(IVorlatTileGrid** g, const RECT& r) const override { return inner_->MapRect(g, r); }

private:
    bool Fails() const
    {
        auto* self = const_cast<CountingSource*>(this);
        return ++self->locks == failLockAt;
    }

    const IVorlatDataSource* inner_;
};

// A grey 8-bit image whose pixel (x, y) is (x + 3 y) mod 251: every pixel of
// a small image tells where it came from.
inline std::vector<uint8_t> PositionPattern(int32_t width, int32_t height)
{
    std::vector<uint8_t> out(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            out[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>((x + 3 * y) % 251);
    return out;
}

// Whether a tile of a source is locked now.
inline bool IsTileLocked(const IVorlatDataSource* source, int32_t column, int32_t row)
{
    IVorlatTile* tile = nullptr;
    EXPECT_EQ(Deepest(source->GetTile(&tile, column, row)), 0);
    return tile && tile->IsLocked();
}

// Samples of packed pixels, 8 or 16 bits each (16-bit samples in memory order).
inline uint32_t SampleAt(const std::vector<uint8_t>& packed, bool wide, size_t index)
{
    if (!wide)
        return packed[index];
    uint16_t v;
    std::memcpy(&v, packed.data() + 2 * index, 2);
    return v;
}

// Peer tools run only in the native tree; a test skips when one is missing.
inline bool HaveTool(const char* name)
{
#if defined(_WIN32)
    (void)name;
    return false;
#else
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
#endif
}

inline bool RunTool(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// A binary PNM (P5 grey, P6 RGB) of 8 or 16 bits, samples in memory order
// (big-endian in the file, as PNM wants).
inline void WritePnm(const std::string& path, int32_t width, int32_t height, int32_t channels, bool wide,
                     const std::vector<uint8_t>& packed)
{
    std::ofstream out(path, std::ios::binary);
    out << (channels == 1 ? "P5" : "P6") << "\n" << width << " " << height << "\n" << (wide ? 65535 : 255) << "\n";
    const size_t samples = static_cast<size_t>(width) * height * channels;
    for (size_t i = 0; i < samples; ++i) {
        const uint32_t v = SampleAt(packed, wide, i);
        if (wide)
            out.put(static_cast<char>(v >> 8));
        out.put(static_cast<char>(v & 0xFF));
    }
}

// Reads what WritePnm writes; empty when the file is not as expected.
inline std::vector<uint8_t> ReadPnm(const std::string& path, int32_t* width, int32_t* height, int32_t channels,
                                    bool wide)
{
    std::ifstream in(path, std::ios::binary);
    // Header fields separated by white space, with comment lines between them.
    const auto field = [&in]() {
        std::string token;
        while (in >> token && token[0] == '#')
            std::getline(in, token);
        return token;
    };
    const std::string magic = field();
    *width = std::atoi(field().c_str());
    *height = std::atoi(field().c_str());
    const int32_t maxValue = std::atoi(field().c_str());
    in.get();
    if (!in || magic != (channels == 1 ? "P5" : "P6") || maxValue != (wide ? 65535 : 255))
        return {};
    const size_t samples = static_cast<size_t>(*width) * *height * channels;
    std::vector<uint8_t> out(samples * (wide ? 2 : 1));
    for (size_t i = 0; i < samples; ++i) {
        uint32_t v = static_cast<uint8_t>(in.get());
        if (wide) {
            v = (v << 8) | static_cast<uint8_t>(in.get());
            const uint16_t w = static_cast<uint16_t>(v);
            std::memcpy(out.data() + 2 * i, &w, 2);
        } else {
            out[i] = static_cast<uint8_t>(v);
        }
    }
    return in ? out : std::vector<uint8_t>{};
}

// The largest difference between two buffers of samples.
inline uint32_t MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, bool wide)
{
    uint32_t worst = 0;
    const size_t samples = a.size() / (wide ? 2 : 1);
    for (size_t i = 0; i < samples && i < b.size() / (wide ? 2 : 1); ++i) {
        const uint32_t x = SampleAt(a, wide, i), y = SampleAt(b, wide, i);
        worst = std::max(worst, x > y ? x - y : y - x);
    }
    return worst;
}

// The mean absolute difference between two buffers of samples.
inline double MeanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, bool wide)
{
    double sum = 0;
    const size_t samples = std::min(a.size(), b.size()) / (wide ? 2 : 1);
    for (size_t i = 0; i < samples; ++i) {
        const double x = SampleAt(a, wide, i), y = SampleAt(b, wide, i);
        sum += x > y ? x - y : y - x;
    }
    return samples ? sum / samples : 0;
}

} // namespace kolvex_test
