// Our TIFF reader and writer against ImageMagick, libtiff's tiffcp and tiffinfo,
// and exiftool, run as programs on files in the scratch folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "fileio/tests/tiff_test_util.h"

using fileio_test::Store;
using namespace tiff_test;

namespace {

std::string Scratch(const std::string& name) { return std::string(TESS_SCRATCH_DIR) + "/tiff_peer_" + name; }

int Shell(const std::string& command) { return std::system(command.c_str()); }

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string Text(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// ImageMagick's name of a layout's raw samples, and its depth.
struct RawForm {
    int32_t colorSpace;
    const char* magick;
    int depth;
};
constexpr RawForm kForms[] = {{2, "gray", 8}, {3, "gray", 16}, {32, "rgb", 8}, {33, "rgb", 16}, {34, "cmyk", 8}};

// Raw samples as ImageMagick reads and writes them (16-bit: most significant byte first).
std::vector<uint8_t> ToMagick(const Image& image, int depth)
{
    std::vector<uint8_t> bytes = image.bytes;
    if (depth == 16)
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            std::swap(bytes[i], bytes[i + 1]);
    return bytes;
}

TEST(TiffPeers, FilesOfImageMagickAndTiffcpLoadWithTheirPixels)
{
    Pipeline pipeline;
    struct Strips {
        const char* name;
        std::string option;  // how the file is made from ImageMagick's
    };
    const Strips strips[] = {
        {"magick", ""},
        {"rows1", "tiffcp -c none -r 1"},
        {"rows7big", "tiffcp -c none -r 7 -B"},
        {"rows5little", "tiffcp -c none -r 5 -L"},
    };
    for (const RawForm& form : kForms) {
        for (const char* endian : {"LSB", "MSB"}) {
            const Image image = MakeImage(form.colorSpace, 23, 17, static_cast<uint32_t>(form.colorSpace));
            const std::string raw = Scratch("in.raw"), made = Scratch("made.tif");
            WriteFile(raw, ToMagick(image, form.depth));
            const std::string size = std::to_string(image.width) + "x" + std::to_string(image.height);
            ASSERT_EQ(0, Shell("convert -size " + size + " -depth " + std::to_string(form.depth) + " -endian MSB " +
                               form.magick + ":" + raw + " -endian " + endian + " -compress none -define tiff:rows-per-strip=3 " +
                               (form.colorSpace == 34 ? "-colorspace cmyk " : "") + made));
            for (const Strips& s : strips) {
                SCOPED_TRACE(std::string(form.magick) + std::to_string(form.depth) + " " + endian + " " + s.name);
                std::string file = made;
                if (!s.option.empty()) {
                    file = Scratch(std::string("copy_") + s.name + ".tif");
                    ASSERT_EQ(0, Shell(s.option + " " + made + " " + file));
                }
                Store tags;
                const Loaded loaded = Load(pipeline, ReadFile(file), tags.tags);
                ASSERT_EQ(0, loaded.error);
                EXPECT_EQ(form.colorSpace, loaded.image.colorSpace);
                // The pixels ImageMagick reads from the same file.
                const std::string seen = Scratch("seen.raw");
                ASSERT_EQ(0, Shell("convert " + file + " -depth " + std::to_string(form.depth) + " -endian MSB " +
                                   form.magick + ":" + seen));
                EXPECT_TRUE(ToMagick(loaded.image, form.depth) == ReadFile(seen));
            }
        }
    }
}

TEST(TiffPeers, OurFilesPassTiffinfoExiftoolAndDecodeInImageMagick)
{
    Pipeline pipeline;
    for (const RawForm& form : kForms) {
        SCOPED_TRACE(std::string(form.magick) + std::to_string(form.depth));
        const Image image = MakeImage(form.colorSpace, 31, 13, 3);
        Store tags;
        tags.SetText(0x10F, "Maker");
        tags.SetText(0x110, "Model");
        tags.SetText(0x132, "2026:12:10 12:00:00");
        tags.SetBytes(0x30000, kTagTypeText, {2, 2, 0, 0});
        tags.SetDoubles(0x30002, {48.0, 8.0, 30.0});
        const std::vector<Image> thumbnail = {MakeImage(32, 8, 4, 9)};
        const std::vector<uint8_t> file = Save(pipeline, tags.tags, kFormatTiff, image, thumbnail);
        ASSERT_FALSE(file.empty());
        const std::string path = Scratch("ours.tif"), info = Scratch("tiffinfo.txt"), out = Scratch("out.raw"),
                          check = Scratch("exiftool.txt");
        WriteFile(path, file);
        ASSERT_EQ(0, Shell("tiffinfo -D " + path + " >" + info + " 2>&1"));
        const std::string report = Text(info);
        EXPECT_EQ(std::string::npos, report.find("Warning")) << report;
        EXPECT_EQ(std::string::npos, report.find("Error")) << report;
        ASSERT_EQ(0, Shell("convert " + path + "[0] -depth " + std::to_string(form.depth) + " -endian MSB " + form.magick +
                           ":" + out));
        EXPECT_TRUE(ToMagick(image, form.depth) == ReadFile(out));
        Shell("exiftool -validate -error -warning -a " + path + " >" + check + " 2>&1");
        const std::string validation = Text(check);
        EXPECT_EQ(std::string::npos, validation.find("Error")) << validation;
    }
}

} // namespace
