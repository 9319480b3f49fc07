// Helpers of the JPEG tests: pipeline images from and to pixel buffers,
// memory streams over byte vectors, and decoding and encoding in one call.
#pragma once

#include "fileio/tests/scratch_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Vorlat/VorlatImage.h"
#include "Vorlat/VorlatManager.h"
#include "fileio/VorlatStream.h"
#include "fileio/jpeg_decoder.h"
#include "fileio/jpeg_encoder.h"

namespace jpeg_test {

// The deepest value of a chain (its first cause), destroying the chain; 0 for success.
inline int32_t Cause(IVorlatError* err)
{
    if (!err)
        return 0;
    const int32_t value = err->GetDeepestValue();
    err->Destroy();
    return value;
}

struct Pixels {
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 1;  // 1 grey, 3 RGB
    std::vector<uint8_t> data;

    uint8_t& At(int32_t x, int32_t y, int32_t c = 0) { return data[(static_cast<size_t>(y) * width + x) * channels + c]; }
    uint8_t At(int32_t x, int32_t y, int32_t c = 0) const
    {
        return data[(static_cast<size_t>(y) * width + x) * channels + c];
    }
};

// A smooth photographic-like test picture with some noise, grey or colour;
// lumaNoise puts the same noise into every channel of a pixel.
inline Pixels MakePicture(int32_t width, int32_t height, int32_t channels, uint32_t seed = 1, int32_t noise = 12,
                          bool lumaNoise = false)
{
    Pixels p{width, height, channels, std::vector<uint8_t>(static_cast<size_t>(width) * height * channels)};
    uint32_t state = seed * 2654435761u + 1;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < channels; ++c) {
                if (c == 0 || !lumaNoise)
                    state = state * 1664525u + 1013904223u;
                const double base = 128 + 90 * std::sin(x * 0.07 + c * 1.3) * std::cos(y * 0.05 - c * 0.7) +
                                    20 * std::sin((x + y) * 0.31);
                const int32_t n = noise ? static_cast<int32_t>(state >> 24) % (2 * noise + 1) - noise : 0;
                const int32_t v = static_cast<int32_t>(base) + n;
                p.At(x, y, c) = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
            }
    return p;
}

// Detail in the luminance and a slowly varying colour cast, as in most photographs.
inline Pixels MakePhoto(int32_t width, int32_t height, int32_t channels, uint32_t seed = 1, int32_t noise = 3)
{
    Pixels p{width, height, channels, std::vector<uint8_t>(static_cast<size_t>(width) * height * channels)};
    uint32_t state = seed * 2654435761u + 1;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            const int32_t n = noise ? static_cast<int32_t>(state >> 24) % (2 * noise + 1) - noise : 0;
            const double luma = 120 + 60 * std::sin(x * 0.09) * std::cos(y * 0.07) + 25 * std::sin((x + y) * 0.35) + n;
            const double cast[3] = {30 * std::sin(x * 0.01), 0, 30 * std::cos(y * 0.013)};
            for (int32_t c = 0; c < channels; ++c) {
                const int32_t v = static_cast<int32_t>(luma + (channels == 3 ? cast[c] : 0));
                p.At(x, y, c) = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
            }
        }
    return p;
}

class Pipeline {
public:
    Pipeline()
    {
        _VorlatFile file = {};
        const std::string path = fileio_test::ScratchPageFile("jpeg_pages");
        std::strncpy(file.path, path.c_str(), sizeof(file.path) - 1);
        EXPECT_EQ(0, Cause(IVorlatManager::CreateManager(&manager_, file, 512 << 20, 65536, 0)));
    }
    ~Pipeline()
    {
        if (manager_)
            manager_->Destroy();
    }

    IVorlatManager* Manager() const { return manager_; }

    IVorlatImage* NewImage()
    {
        IVorlatImage* image = nullptr;
        EXPECT_EQ(0, Cause(manager_->CreateImage(&image, 0)));
        return image;
    }

    IVorlatImage* ImageOf(const Pixels& p)
    {
        IVorlatImage* image = NewImage();
        EXPECT_EQ(0, Cause(image->SetColorSpace(p.channels == 1 ? 2 : 32)));
        EXPECT_EQ(0, Cause(image->SetSize(p.width, p.height)));
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

// A memory stream over its own copy of some bytes (or an empty buffer for writing).
class Memory {
public:
    explicit Memory(std::vector<uint8_t> bytes, bool read = true) : bytes_(std::move(bytes))
    {
        EXPECT_EQ(0, Cause(IVorlatMemoryStream::CreateMemoryStream(&stream_)));
        stream_->SetMemory(bytes_.data(), static_cast<uint32_t>(bytes_.size()));
        EXPECT_EQ(0, Cause(stream_->OpenStream(read)));
    }
    ~Memory()
    {
        stream_->CloseStream();
        stream_->Destroy();
    }
    IVorlatStream* get() const { return stream_; }
    std::vector<uint8_t> Written() const
    {
        int32_t at = 0;
        EXPECT_EQ(0, Cause(stream_->Tell(&at)));
        return std::vector<uint8_t>(bytes_.begin(), bytes_.begin() + at);
    }

private:
    std::vector<uint8_t> bytes_;
    IVorlatMemoryStream* stream_ = nullptr;
};

struct Decoded {
    int32_t error = 0;
    Pixels pixels;
    int32_t steps = 0;
};

// Parses and decodes a whole file at a scale through Execute.
inline Decoded Decode(Pipeline& pipeline, const std::vector<uint8_t>& file, int32_t scale = 1)
{
    Decoded result;
    Memory in(file);
    quarnite::CJpegDecoder decoder(in.get());
    IVorlatImage* image = pipeline.NewImage();
    result.error = Cause(decoder.BeginDecode(image, scale));
    while (!result.error && !decoder.IsFinished() && result.steps < 100000) {
        result.error = Cause(decoder.Execute());
        ++result.steps;
    }
    if (!result.error)
        result.pixels = Pipeline::PixelsOf(image);
    image->Destroy();
    return result;
}

inline std::vector<uint8_t> Encode(Pipeline& pipeline, const Pixels& pixels, int32_t level, int32_t* error = nullptr)
{
    const size_t room = pixels.data.size() * 4 + 4096;
    Memory out(std::vector<uint8_t>(room, 0), false);
    IVorlatImage* image = pipeline.ImageOf(pixels);
    quarnite::CJpegEncoder encoder(out.get());
    int32_t failure = Cause(encoder.WriteStartOfImage());
    if (!failure)
        failure = Cause(encoder.Begin(image, level));
    while (!failure && !encoder.IsFinished())
        failure = Cause(encoder.Execute());
    image->Destroy();
    if (error)
        *error = failure;
    return failure ? std::vector<uint8_t>() : out.Written();
}

inline double Psnr(const Pixels& a, const Pixels& b)
{
    if (a.data.size() != b.data.size() || a.data.empty())
        return 0;
    double sum = 0;
    for (size_t i = 0; i < a.data.size(); ++i) {
        const double d = static_cast<double>(a.data[i]) - b.data[i];
        sum += d * d;
    }
    if (sum == 0)
        return 99;
    return 10 * std::log10(255.0 * 255.0 * a.data.size() / sum);
}

inline int32_t MaxDifference(const Pixels& a, const Pixels& b)
{
    int32_t most = a.data.size() == b.data.size() ? 0 : 256;
    for (size_t i = 0; i < a.data.size() && i < b.data.size(); ++i)
        most = std::max(most, std::abs(static_cast<int32_t>(a.data[i]) - b.data[i]));
    return most;
}

} // namespace jpeg_test
