// Our TIFF reader and writer against ImageMagick, libtiff's tiffcp and tiffinfo,
// and exiftool, run as programs on files in the scratch folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "fileio/tests/tiff_test_util.h"
#include "fileio/tests/test_files.h"

using fileio_test::Store;
using namespace tiff_test;
using fileio_test::ReadFile;

namespace {

std::string Scratch(const std::string& name) { return std::string(TESS_SCRATCH_DIR) + "/tiff_peer_" + name; }

int Shell(const std::string& command) { return std::system(command.c_str()); }

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

// The output of a command, standard error apart; false when it does not exit with 0.
bool RunTool(const std::string& command, std::string* out, std::string* err)
{
    const std::string outPath = Scratch("run.out"), errPath = Scratch("run.err");
    const int status = Shell(command + " >" + outPath + " 2>" + errPath);
    *out = Text(outPath);
    *err = Text(errPath);
    return status == 0;
}

// The lines of a report that hold none of the expected texts.
std::string Unexpected(const std::string& report, const std::vector<std::string>& expected)
{
    std::string left;
    size_t at = 0;
    while (at < report.size()) {
        const size_t end = std::min(report.find('\n', at), report.size());
        const std::string line = report.substr(at, end - at);
        at = end + 1;
        if (std::none_of(expected.begin(), expected.end(), [&](const std::string& e) { return line.find(e) != std::string::npos; }))
            left += line + "\n";
    }
    return left;
}

TEST(TiffPeers, OurRawFilesPassTiffinfoAndExiftool)
{
    struct Case {
        const char* what;
        int32_t colorSpace;          // 64 and 66 are saved packed; 0 is a 16-bit mosaic
        std::vector<int32_t> thumbnails;  // colour spaces of the thumbnail sources
        int32_t width = 48, height = 32;
    };
    const Case cases[] = {
        {"packed 12-bit with three RGB thumbnails", 64, {32, 32, 32}},
        {"packed 12-bit in two fields with a mosaic thumbnail", 66, {66, 32, 32}},
        {"16-bit mosaic", 0, {}},
        // Rows of odd width run on within a byte.
        {"packed 12-bit of odd width", 64, {32}, 451, 7},
        {"two fields of odd width", 66, {66}, 451, 30},
    };
    Pipeline pipeline;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store tags;
        tags.SetText(0x10F, "KORVA");
        tags.SetText(0x110, "KORVA Q7");
        tags.SetText(0x132, "2026:12:10 12:00:00");
        tags.SetBytes(0x80E01, kTagTypeBytes, {1, 2, 3, 4});
        tags.SetLongs(0x80004, {2});
        tags.SetBytes(0x30000, kTagTypeText, {2, 2, 0, 0});
        tags.SetDoubles(0x30002, {48.0, 8.0, 30.0});
        std::vector<uint8_t> file;
        if (c.colorSpace) {
            SetCfaPattern(tags.tags, c.colorSpace == 66 ? std::vector<uint8_t>{5, 3, 1, 4} : std::vector<uint8_t>{0, 1, 1, 2});
            std::vector<Image> thumbnails;
            for (int32_t space : c.thumbnails)
                thumbnails.push_back(MakeImage(space, 16 + 2 * static_cast<int32_t>(thumbnails.size()), 12, 5));
            file = Save(pipeline, tags.tags, kFormatRawTiff, MakeImage(c.colorSpace, c.width, c.height), thumbnails);
        } else {
            quarnite::TiffImageRecord record;
            record.width = 48;
            record.height = 32;
            record.colorSpace = 64;
            record.bitsPerSample[0] = 16;
            std::vector<uint8_t> data(48 * 32 * 2);
            for (size_t i = 0; i < data.size(); ++i)
                data[i] = static_cast<uint8_t>(i * 7);
            file = MosaicFile(tags.tags, record, data);
        }
        ASSERT_FALSE(file.empty());
        const std::string path = Scratch("raw.tif");
        WriteFile(path, file);
        // libtiff knows no TIFF/EP tags: TIFF-EPStandardID (37398) in IFD 0 is
        // all that it may mention. It takes every row to begin on a byte, so
        // the run of rows of odd width is too short for it: its data is not
        // read there, and that is the one more thing it may say.
        std::string out, err;
        const bool odd = c.width & 1;
        EXPECT_TRUE(RunTool(std::string("tiffinfo ") + (odd ? "" : "-D ") + path, &out, &err)) << out << err;
        std::vector<std::string> known = {"Warning, Unknown field with tag 37398 (0x9216)"};
        if (odd)
            known.push_back("Warning, Bogus \"StripByteCounts\" field, ignoring and calculating from imagelength");
        EXPECT_EQ("", Unexpected(err, known)) << out;
        // exiftool: no errors; the warnings are those the layout of a raw file
        // brings (a CFA image and TIFF-EPStandardID in IFD 0, an Exif IFD
        // without the version tags) and the GPS tags this store lacks.
        RunTool("exiftool -validate -warning -error -a " + path, &out, &err);
        EXPECT_EQ("", err);
        EXPECT_EQ(std::string::npos, out.find("Error")) << out;
        EXPECT_EQ("", Unexpected(out, {"Validate ", "Non-standard IFD0 tag 0x9216 TIFF-EPStandardID",
                                       "Missing required TIFF ExifIFD tag 0x9000 ExifVersion",
                                       "Missing required TIFF ExifIFD tag 0xa000 FlashpixVersion",
                                       "Invalid value for IFD0 tag 0x0106 PhotometricInterpretation",
                                       "Missing required TIFF GPS tag 0x001b GPSProcessingMethod"}))
            << out;
    }
}

} // namespace
