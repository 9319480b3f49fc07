// The save tests' world: the engine started with generated profiles (a
// matrix/TRC camera profile, an RGB working profile, a CMYK table profile and
// a lightness-chroma-hue profile), sources written by the file library's own
// writers and opened again through the engine, and reading back what a save
// wrote.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "QRV/tests/icc_builder.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/tests/engine_test_util.h"
#include "app/core/procset/record_settings.h"
#include "app/core/save/develop_save.h"
#include "fileio/VorlatLoad.h"

namespace save_test {

using namespace engine_test;

inline std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Writes the image with the tags through the library's saver (option: the
// format's, a JPEG's quality level); the error value or 0.
inline int32_t WriteWithLibrary(const std::string& path, IVorlatImage* image, IVorlatTagControl* tags, int32_t format,
                                int32_t option = 0)
{
    IVorlatFileStream* stream = nullptr;
    IVorlatSave* save = nullptr;
    int32_t error = Deepest(IVorlatFileStream::CreateFileStream(&stream));
    if (!error)
        error = Deepest(stream->SetFile(FileName(path)));
    if (!error)
        error = Deepest(IVorlatSave::CreateSave(&save));
    if (!error)
        error = Deepest(save->AttachStream(stream, tags, format, option));
    if (!error)
        error = Deepest(save->BeginSave(image, nullptr, 0));
    while (!error && !save->IsFinished())
        error = Deepest(save->Execute());
    if (save) {
        save->DetachStream();
        save->Destroy();
    }
    if (stream)
        stream->Destroy();
    return error;
}

// Smooth gradients with a bright block in the top-left corner and a dark bar
// along the right edge, so that a turn or a flip cannot go unseen.
inline std::vector<uint8_t> MarkedPixels(int32_t width, int32_t height, bool deep)
{
    std::vector<uint8_t> bytes;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            int32_t rgb[3] = {40 + 160 * x / width, 50 + 150 * y / height, 120 + 60 * (x + y) / (width + height)};
            if (x < width / 5 && y < height / 4)
                rgb[0] = rgb[1] = rgb[2] = 235;
            if (x >= width - width / 8)
                rgb[0] = rgb[1] = rgb[2] = 20;
            for (int32_t v : rgb) {
                if (deep) {
                    const int32_t wide = v * 257;
                    bytes.push_back(static_cast<uint8_t>(wide));
                    bytes.push_back(static_cast<uint8_t>(wide >> 8));
                } else {
                    bytes.push_back(static_cast<uint8_t>(v));
                }
            }
        }
    }
    return bytes;
}

// Tags of a TIFF or raw source.
inline void SetSourceTags(Tags& tags, const char* model, bool raw)
{
    // The maker note is read back only from files that name the maker.
    tags.SetText(0x10F, "KORVA");
    tags.SetText(kTagModel, model);
    if (raw) {
        const uint8_t cfa[8] = {0, 2, 0, 2, 0, 1, 1, 2};
        tags.Set(0xA302, kTagTypeBytes, cfa, sizeof cfa);
        tags.SetLong(kTagFileKind, kFileKindRaw);
    }
}

// Loads a file's image and tags through the library; null on failure.
inline IVorlatImage* LoadImageFile(IVorlatManager* manager, const std::string& path, IVorlatTagControl* tags,
                                   int32_t* format = nullptr)
{
    IVorlatFileStream* stream = nullptr;
    IVorlatLoad* load = nullptr;
    IVorlatImage* image = nullptr;
    int32_t error = Deepest(IVorlatFileStream::CreateFileStream(&stream));
    if (!error)
        error = Deepest(stream->SetFile(FileName(path)));
    if (!error)
        error = Deepest(IVorlatLoad::CreateLoad(&load));
    if (!error)
        error = Deepest(load->AttachStream(stream, tags, 0, 0));
    if (!error && format)
        error = Deepest(load->GetFormats(format));
    if (!error)
        error = Deepest(manager->CreateImage(&image, 0));
    if (!error)
        error = Deepest(load->BeginLoadImage(image));
    while (!error && !load->IsFinished())
        error = Deepest(load->Execute());
    if (load) {
        load->DetachStream();
        load->Destroy();
    }
    if (stream)
        stream->Destroy();
    if (error && image) {
        image->Destroy();
        image = nullptr;
    }
    return image;
}

// The engine with its four profiles and its folder, and a scratch folder.
class SaveFixture : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        folder = std::filesystem::absolute(ScratchPath("save")).string();
        std::filesystem::create_directories(folder);
        working = At("working.icc");
        cmyk = At("cmyk.icc");
        lch = At("lch.icc");
        WriteAll(working, qrvtest::RgbMatrixProfile(563).Build());
        WriteAll(cmyk, qrvtest::LutProfile("CMYK", "Lab ", 4, 3, "A2B0", "B2A0").Build());
        WriteAll(lch, qrvtest::LabIdentityProfile("Lch ").Build());
        ASSERT_EQ(1, SetColorProfilePaths(working.c_str(), cmyk.c_str(), lch.c_str(), working.c_str()));
        ASSERT_TRUE(SetEngineFolder((folder + "/").c_str()));
        SetSaveCancelFlag(0);
    }
    void TearDown() override
    {
        SetSaveCancelFlag(0);
        SetSaveStreamFactory(nullptr);
        for (IVorlatImage* image : images)
            ReleaseImageData(image);
        for (IVorlatTagControl* store : stores)
            store->Destroy();
        EngineFixture::TearDown();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string At(const std::string& name) const { return folder + "/" + name; }

    // The camera profile that the engine will look for for these parameters.
    void WriteCameraProfile(const CDevelopParams& params, const std::vector<uint8_t>& profile)
    {
        std::string path;
        ASSERT_TRUE(GetCameraProfilePath(path, params));
        WriteAll(path, profile);
    }

    // Writes a source file with the library, opens it through the engine
    // and points the parameters at its image and tags.
    void OpenSource(CDevelopParams& params, const std::string& name, int32_t colorSpace, int32_t width,
                    int32_t height, const char* model = "KORVA M4X")
    {
        const bool raw = colorSpace == 64;
        Tags tags;
        SetSourceTags(tags, model, raw);
        std::vector<uint8_t> bytes;
        if (raw) {
            for (int32_t i = 0; i < width * height; ++i) {
                const int32_t v = 600 + (i * 37) % 2400;
                bytes.push_back(static_cast<uint8_t>(v));
                bytes.push_back(static_cast<uint8_t>(v >> 8));
            }
        } else {
            bytes = MarkedPixels(width, height, colorSpace == 33);
        }
        IVorlatImage* image = MakeImage(manager, colorSpace, width, height, bytes);
        const std::string path = At(name);
        ASSERT_EQ(0, WriteWithLibrary(path, image, tags.tags, raw ? kFormatRawTiff : kFormatTiff));
        image->Destroy();

        IVorlatTagControl* read = nullptr;
        ASSERT_EQ(0, Deepest(IVorlatTagControl::CreateTagControl(&read)));
        stores.push_back(read);
        IVorlatImage* opened = LoadImageFile(manager, path, read);
        ASSERT_NE(nullptr, opened);
        AddRefImageData(opened);
        images.push_back(opened);
        params.source = opened;
        params.tags = read;
        params.cameraModel = static_cast<int16_t>(GetCameraModelCode(read));
        params.sizeResApplied = 0;
        WriteCameraProfile(params, qrvtest::RgbMatrixProfile(563).Build());
    }

    std::string folder, working, cmyk, lch;
    std::vector<IVorlatImage*> images;
    std::vector<IVorlatTagControl*> stores;
};

// What a saved file holds, read back through the library.
struct Reread {
    int32_t error = -1;
    int32_t format = 0;
    int32_t colorSpace = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;  // packed rows, 16-bit samples little-endian
};

inline Reread ReadBack(IVorlatManager* manager, const std::string& path, IVorlatTagControl* tags = nullptr)
{
    Reread out;
    IVorlatTagControl* own = nullptr;
    if (!tags) {
        IVorlatTagControl::CreateTagControl(&own);
        tags = own;
    }
    IVorlatImage* image = LoadImageFile(manager, path, tags, &out.format);
    if (image) {
        out.error = 0;
        image->GetColorSpace(&out.colorSpace);
        image->GetSize(&out.width, &out.height);
        int32_t rowBytes = 0;
        std::vector<uint8_t> rows(static_cast<size_t>(image->GetDataSize(out.width, out.height, &rowBytes)));
        const RECT all = {0, 0, out.width, out.height};
        out.error = Deepest(image->GetData(rows.data(), rowBytes, all));
        // Packed rows: the image pads each to four bytes.
        const size_t packed = static_cast<size_t>(out.width) * IVorlatDataSource::GetBitsPerPixel(out.colorSpace) / 8;
        for (int32_t y = 0; y < out.height; ++y)
            out.pixels.insert(out.pixels.end(), rows.begin() + static_cast<std::ptrdiff_t>(y) * rowBytes,
                              rows.begin() + static_cast<std::ptrdiff_t>(y) * rowBytes + static_cast<std::ptrdiff_t>(packed));
        image->Destroy();
    }
    if (own)
        own->Destroy();
    return out;
}

// Files left in the folder besides the ones named.
inline std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace save_test
