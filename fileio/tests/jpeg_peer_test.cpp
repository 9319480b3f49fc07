// Our decoder and encoder against libjpeg-turbo's cjpeg and djpeg, ImageMagick
// and exiftool, run as programs on files in the scratch folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "fileio/VorlatLoad.h"
#include "fileio/VorlatTagControl.h"
#include "fileio/jpeg_reader.h"
#include "fileio/jpeg_tables.h"
#include "fileio/jpeg_writer.h"
#include "fileio/tiff/tiff_writer.h"
#include "fileio/tests/jpeg_test_util.h"
#include "fileio/tests/test_files.h"

using namespace jpeg_test;
using fileio_test::ReadFile;
using fileio_test::QuietShell;

namespace {

std::string Scratch(const std::string& name) { return std::string(TESS_SCRATCH_DIR) + "/jpeg_peer_" + name; }

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WritePnm(const std::string& path, const Pixels& p)
{
    std::ostringstream head;
    head << (p.channels == 1 ? "P5" : "P6") << "\n" << p.width << " " << p.height << "\n255\n";
    std::string text = head.str();
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.insert(bytes.end(), p.data.begin(), p.data.end());
    WriteFile(path, bytes);
}

Pixels ReadPnm(const std::string& path)
{
    Pixels p;
    std::vector<uint8_t> bytes = ReadFile(path);
    std::string text(bytes.begin(), bytes.end());
    std::istringstream in(text);
    std::string magic;
    int maxValue = 0;
    in >> magic >> p.width >> p.height >> maxValue;
    if (!in || (magic != "P5" && magic != "P6"))
        return Pixels{};
    p.channels = magic == "P5" ? 1 : 3;
    const size_t start = static_cast<size_t>(in.tellg()) + 1;
    p.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end());
    p.data.resize(static_cast<size_t>(p.width) * p.height * p.channels);
    return p;
}

// The common top-left part of two images.
Pixels Crop(const Pixels& p, int32_t width, int32_t height)
{
    Pixels out{width, height, p.channels, {}};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < p.channels; ++c)
                out.data.push_back(p.At(x, y, c));
    return out;
}

struct DecodeCase {
    const char* name;
    int32_t width, height, channels;
    const char* options;  // for cjpeg
};

const DecodeCase kDecodeCases[] = {
    {"grey", 67, 45, 1, "-quality 90"},
    {"grey_q30_restart", 129, 70, 1, "-quality 30 -restart 3B"},
    {"grey_q100", 33, 17, 1, "-quality 100"},
    {"color444", 61, 37, 3, "-quality 85 -sample 1x1"},
    {"color422", 77, 29, 3, "-quality 75 -sample 2x1"},
    {"color440", 35, 53, 3, "-quality 92 -sample 1x2"},
    {"color420", 101, 83, 3, "-quality 95 -sample 2x2"},
    {"color420_restart_rows", 150, 90, 3, "-quality 60 -sample 2x2 -restart 1"},
    {"color420_restart_5", 97, 41, 3, "-quality 70 -sample 2x2 -restart 5B"},
    {"color_tiny", 1, 1, 3, "-quality 90 -sample 2x2"},
};

} // namespace

TEST(JpegPeer, DecodesCjpegFilesLikeDjpeg)
{
    Pipeline pipeline;
    for (const DecodeCase& c : kDecodeCases) {
        SCOPED_TRACE(c.name);
        const Pixels source = MakePicture(c.width, c.height, c.channels, 7);
        WritePnm(Scratch(std::string(c.name) + ".pnm"), source);
        const std::string jpg = Scratch(std::string(c.name) + ".jpg");
        ASSERT_EQ(0, QuietShell(std::string("cjpeg ") + c.options + " -outfile " + jpg + " " +
                         Scratch(std::string(c.name) + ".pnm")));
        ASSERT_EQ(0, QuietShell("djpeg -dct int -nosmooth -pnm -outfile " + Scratch(std::string(c.name) + ".ref") + " " + jpg));
        const Pixels reference = ReadPnm(Scratch(std::string(c.name) + ".ref"));
        const Decoded ours = Decode(pipeline, ReadFile(jpg));
        ASSERT_EQ(0, ours.error);
        ASSERT_EQ(reference.width, ours.pixels.width);
        ASSERT_EQ(reference.height, ours.pixels.height);
        if (c.channels == 1)
            EXPECT_LE(MaxDifference(reference, ours.pixels), 1);
        else
            EXPECT_GE(Psnr(reference, ours.pixels), 48.0);
    }
}

// Our reduced scales come out of the inverse DCT, libjpeg's out of its own
// reduced transforms, so they differ: at 1/4 both use the same 2x2 transform
// (grey identical, colour within 1 unless chroma is subsampled twice); at 1/2
// we transform the low-frequency quarter at full size and keep every second
// sample; at 1/8 we keep the top-left sample of the 2x2 result where libjpeg
// keeps the block's mean. libjpeg rounds the scaled size up, we round it
// down but keep at least one pixel: the common part is compared. Minimum
// PSNR per scale, in dB:
struct ScaleTolerance {
    int32_t scale;
    double grey, color, color420;
};
const ScaleTolerance kScaleTolerances[] = {
    {2, 32.0, 32.0, 30.0},
    {4, 99.0, 60.0, 30.0},
    {8, 22.0, 22.0, 20.0},
};

TEST(JpegPeer, DecodesScaledWithinTheToleranceOfDjpeg)
{
    Pipeline pipeline;
    for (const DecodeCase& c : kDecodeCases) {
        const Pixels source = MakePicture(c.width, c.height, c.channels, 7);
        WritePnm(Scratch(std::string(c.name) + "_s.pnm"), source);
        const std::string jpg = Scratch(std::string(c.name) + "_s.jpg");
        ASSERT_EQ(0, QuietShell(std::string("cjpeg ") + c.options + " -outfile " + jpg + " " +
                           Scratch(std::string(c.name) + "_s.pnm")));
        for (const ScaleTolerance& t : kScaleTolerances) {
            SCOPED_TRACE(testing::Message() << c.name << " 1/" << t.scale);
            const std::string ref = Scratch(std::string(c.name) + "_s.ref");
            ASSERT_EQ(0, QuietShell("djpeg -dct int -nosmooth -pnm -scale 1/" + std::to_string(t.scale) + " -outfile " + ref +
                               " " + jpg));
            const Pixels reference = ReadPnm(ref);
            const Decoded ours = Decode(pipeline, ReadFile(jpg), t.scale);
            ASSERT_EQ(0, ours.error);
            EXPECT_EQ(ours.pixels.width, std::max(1, c.width / t.scale));
            EXPECT_EQ(ours.pixels.height, std::max(1, c.height / t.scale));
            const int32_t w = std::min(reference.width, ours.pixels.width);
            const int32_t h = std::min(reference.height, ours.pixels.height);
            if (w == 0 || h == 0)
                continue;
            const bool twice = std::string(c.options).find("2x2") != std::string::npos;
            const double least = c.channels == 1 ? t.grey : (twice ? t.color420 : t.color);
            EXPECT_GE(Psnr(Crop(reference, w, h), Crop(ours.pixels, w, h)), least);
        }
    }
}

namespace {

// cjpeg's options for the sampling of a level.
const char* SamplingOption(int32_t level)
{
    return level == 1 ? "2x2,1x1,1x1" : (level <= 3 ? "2x1,1x1,1x1" : "1x1,1x1,1x1");
}

void WriteQuantTables(const std::string& path, int32_t level)
{
    std::ostringstream text;
    for (const uint8_t* table : {quarnite::CJpegEncoder::LuminanceTable(level), quarnite::CJpegEncoder::ChrominanceTable(level)}) {
        for (int i = 0; i < 64; ++i)
            text << static_cast<int>(table[i]) << ((i % 8 == 7) ? "\n" : " ");
        text << "\n";
    }
    const std::string s = text.str();
    WriteFile(path, std::vector<uint8_t>(s.begin(), s.end()));
}

} // namespace

TEST(JpegPeer, EncodedFilesAreStrictlyValidAndDecodeInImageMagick)
{
    Pipeline pipeline;
    for (int32_t level = 1; level <= 5; ++level)
        for (int32_t channels : {1, 3})
            for (int32_t width : {1, 17, 77}) {
                SCOPED_TRACE(testing::Message() << "level " << level << " channels " << channels << " width " << width);
                const Pixels source = MakePicture(width, 51, channels, 11, 40);
                int32_t error = -1;
                const std::vector<uint8_t> file = Encode(pipeline, source, level, &error);
                ASSERT_EQ(0, error);
                const std::string jpg = Scratch("ours.jpg");
                WriteFile(jpg, file);
                EXPECT_EQ(0, QuietShell("djpeg -strict -pnm -outfile " + Scratch("ours.ref") + " " + jpg));
                EXPECT_EQ(0, QuietShell("convert " + jpg + " " + Scratch("ours_im.pnm")));
                const Pixels magick = ReadPnm(Scratch("ours_im.pnm"));
                EXPECT_EQ(magick.width, width);
                EXPECT_EQ(magick.height, 51);
            }
}

// The same tables, sampling and transform in cjpeg give the same quality;
// our chroma takes every second pixel where cjpeg averages, hence a tolerance.
TEST(JpegPeer, QualityOfEachLevelMatchesCjpegWithTheSameTables)
{
    Pipeline pipeline;
    for (int32_t level = 1; level <= 5; ++level)
        for (int32_t channels : {1, 3}) {
            SCOPED_TRACE(testing::Message() << "level " << level << " channels " << channels);
            const Pixels source = MakePhoto(203, 131, channels, 5);
            int32_t error = -1;
            const std::string ours = Scratch("quality_ours.jpg");
            WriteFile(ours, Encode(pipeline, source, level, &error));
            ASSERT_EQ(0, error);
            WritePnm(Scratch("quality.pnm"), source);
            WriteQuantTables(Scratch("quality.txt"), level);
            const std::string theirs = Scratch("quality_cjpeg.jpg");
            ASSERT_EQ(0, QuietShell(std::string("cjpeg -quality 50 -baseline -qtables ") + Scratch("quality.txt") +
                               " -qslots 0,1,1 -sample " + SamplingOption(level) + " -dct " +
                               (level == 5 ? "int" : "fast") + " -outfile " + theirs + " " + Scratch("quality.pnm")));
            ASSERT_EQ(0, QuietShell("djpeg -dct int -nosmooth -pnm -outfile " + Scratch("quality_ours.ref") + " " + ours));
            ASSERT_EQ(0, QuietShell("djpeg -dct int -nosmooth -pnm -outfile " + Scratch("quality_cjpeg.ref") + " " + theirs));
            const double ourPsnr = Psnr(source, ReadPnm(Scratch("quality_ours.ref")));
            const double theirPsnr = Psnr(source, ReadPnm(Scratch("quality_cjpeg.ref")));
            EXPECT_NEAR(ourPsnr, theirPsnr, 0.5);
        }
}

// A JFIF file with a JFXX thumbnail, an ICC profile and IPTC data, as the writer makes it.
TEST(JpegPeer, WrittenJfifFilesPassDjpegAndExiftool)
{
    Pipeline pipeline;
    IVorlatTagControl* tags = nullptr;
    ASSERT_EQ(0, Cause(IVorlatTagControl::CreateTagControl(&tags)));
    // Only the profile's size field is read by exiftool here.
    std::vector<uint8_t> profile(70000, 0);
    profile[1] = 0x01, profile[2] = 0x11, profile[3] = 0x70;  // 70000
    ASSERT_EQ(0, Cause(tags->AddTag(0x8773)));
    ASSERT_EQ(0, Cause(tags->SetTagValue(0x8773, kTagTypeBytes, static_cast<uint32_t>(profile.size()), profile.data(), 0)));
    std::vector<uint8_t> iptc = {0x1C, 0x02, 0x78, 0x00, 0x05, 'h', 'e', 'l', 'l', 'o'};
    ASSERT_EQ(0, Cause(tags->AddTag(0x83BB)));
    TagItemRequest request = {1, static_cast<uint32_t>(iptc.size()), iptc.data()};
    ASSERT_EQ(0, Cause(tags->SetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));

    const Pixels source = MakePhoto(97, 61, 3, 2);
    IVorlatImage* image = pipeline.ImageOf(source);
    IVorlatImage* thumbnail = pipeline.ImageOf(MakePhoto(32, 20, 3, 3));
    ASSERT_EQ(0, Cause(image->SetResolution(240)));
    Memory out(std::vector<uint8_t>(1 << 20, 0), false);
    {
        quarnite::CJpegWriter writer(out.get(), tags, 0x10, 3);
        IVorlatDataSource* sources[1] = {thumbnail};
        ASSERT_EQ(0, Cause(writer.BeginSave(image, sources, 1)));
        while (!writer.IsFinished())
            ASSERT_EQ(0, Cause(writer.Execute()));
    }
    const std::string path = Scratch("written.jpg");
    WriteFile(path, out.Written());
    EXPECT_EQ(0, QuietShell("djpeg -strict -outfile /dev/null " + path));
    EXPECT_EQ(0, QuietShell("convert " + path + " " + Scratch("written.pnm")));
    EXPECT_EQ(0, QuietShell("exiftool -validate -error -warning -a " + path + " > " + Scratch("written.txt")));
    const std::vector<uint8_t> report = ReadFile(Scratch("written.txt"));
    const std::string text(report.begin(), report.end());
    // The made-up profile earns a warning about its tag table; the structure of the file must earn no error.
    EXPECT_EQ(std::string::npos, text.find("Error")) << text;
    EXPECT_EQ(0, QuietShell("exiftool -s3 -XResolution " + path + " > " + Scratch("written_res.txt")));
    const std::vector<uint8_t> res = ReadFile(Scratch("written_res.txt"));
    EXPECT_EQ("240\n", std::string(res.begin(), res.end()));
    image->Destroy();
    thumbnail->Destroy();
    tags->Destroy();
}

namespace {
std::string TagText(IVorlatTagControl* tags, TagId id)
{
    if (!tags->IsExist(id, 0))
        return "(none)";
    std::string text(tags->GetTagSize(id, 0), '\0');
    EXPECT_EQ(0, Cause(tags->GetTagValue(id, kTagTypeText, static_cast<uint32_t>(text.size()), text.data(), 0)));
    return text.c_str();
}
} // namespace

// An Exif JPEG made by exiftool: its Exif and GPS tags and its thumbnail are read.
TEST(JpegPeer, ReadsExifWrittenByExiftool)
{
    Pipeline pipeline;
    const Pixels small = MakePhoto(32, 24, 3, 4);
    const std::string path = Scratch("exiftool.jpg");
    const std::string thumbPath = Scratch("exiftool_thumb.jpg");
    WriteFile(path, Encode(pipeline, MakePhoto(64, 48, 3, 3), 4));
    WriteFile(thumbPath, Encode(pipeline, small, 5));
    ASSERT_EQ(0, QuietShell("exiftool -q -overwrite_original -Make=Peer -Model='Peer One' "
                       "'-DateTimeOriginal=2024:05:06 07:08:09' -GPSLatitude=48.5 -GPSLatitudeRef=N "
                       "'-ThumbnailImage<=" + thumbPath + "' " + path));

    IVorlatTagControl* tags = nullptr;
    ASSERT_EQ(0, Cause(IVorlatTagControl::CreateTagControl(&tags)));
    Memory in(ReadFile(path));
    int32_t format = 0;
    ASSERT_EQ(0, Cause(quarnite::ProbeJpeg(in.get(), &format)));
    EXPECT_EQ(0x20, format);
    quarnite::CJpegReader reader(in.get(), tags);
    ASSERT_EQ(0, Cause(reader.LoadTags()));
    EXPECT_EQ("Peer", TagText(tags, 0x10F));
    EXPECT_EQ("Peer One", TagText(tags, 0x110));
    EXPECT_EQ("2024:05:06 07:08:09", TagText(tags, 0x9003));
    EXPECT_TRUE(tags->IsExist(0x30001, 0));  // the latitude reference
    EXPECT_TRUE(tags->IsExist(0x30002, 0));  // the latitude itself
    ASSERT_EQ(1, reader.GetThumbnailCount());
    int32_t width = 0;
    EXPECT_EQ(0, Cause(reader.GetThumbnailWidth(1, &width)));
    EXPECT_EQ(32, width);
    IVorlatImage* image = pipeline.NewImage();
    ASSERT_EQ(0, Cause(reader.LoadThumbnail(1, image)));
    EXPECT_GE(Psnr(small, Pipeline::PixelsOf(image)), 40.0);
    image->Destroy();
    tags->Destroy();
}

// An Exif JPEG as the writer makes it passes exiftool's validation and djpeg.
TEST(JpegPeer, WrittenExifJpegPassesExiftool)
{
    Pipeline pipeline;
    IVorlatTagControl* tags = nullptr;
    ASSERT_EQ(0, Cause(IVorlatTagControl::CreateTagControl(&tags)));
    const std::string make = "Maker";
    ASSERT_EQ(0, Cause(tags->AddTag(0x10F)));
    ASSERT_EQ(0, Cause(tags->SetTagValue(0x10F, kTagTypeText, 6, make.c_str(), 0)));
    IVorlatImage* image = pipeline.ImageOf(MakePhoto(97, 61, 3, 2));
    IVorlatImage* thumbnail = pipeline.ImageOf(MakePhoto(32, 20, 3, 3));
    ASSERT_EQ(0, Cause(image->SetResolution(240)));
    Memory out(std::vector<uint8_t>(1 << 20, 0), false);
    {
        quarnite::CJpegWriter writer(out.get(), tags, 0x20, 3);
        IVorlatDataSource* sources[1] = {thumbnail};
        ASSERT_EQ(0, Cause(writer.BeginSave(image, sources, 1)));
        while (!writer.IsFinished())
            ASSERT_EQ(0, Cause(writer.Execute()));
    }
    const std::string path = Scratch("written_exif.jpg");
    WriteFile(path, out.Written());
    EXPECT_EQ(0, QuietShell("djpeg -strict -outfile /dev/null " + path));
    EXPECT_EQ(0, QuietShell("exiftool -validate -error -warning -a " + path + " > " + Scratch("written_exif.txt")));
    const std::vector<uint8_t> report = ReadFile(Scratch("written_exif.txt"));
    const std::string text(report.begin(), report.end());
    EXPECT_EQ(std::string::npos, text.find("Error")) << text;
    EXPECT_NE(std::string::npos, text.find("Validate")) << text;
    EXPECT_EQ(0, QuietShell("exiftool -s3 -Make -XResolution " + path + " > " + Scratch("written_exif_tags.txt")));
    const std::vector<uint8_t> values = ReadFile(Scratch("written_exif_tags.txt"));
    EXPECT_EQ("Maker\n240\n", std::string(values.begin(), values.end()));
    image->Destroy();
    thumbnail->Destroy();
    tags->Destroy();
}

namespace {
// A command's standard output and error together, and its exit status.
std::string Capture(const std::string& command, int* status)
{
    const std::string out = Scratch("capture.txt");
    *status = std::system((command + " > " + out + " 2>&1").c_str());
    const std::vector<uint8_t> bytes = ReadFile(out);
    return std::string(bytes.begin(), bytes.end());
}

// Tag numbers of IFD 0 of a TIFF structure.
std::vector<uint16_t> Ifd0Tags(const std::vector<uint8_t>& tiff)
{
    const bool big = tiff.at(0) == 'M';
    auto get = [&](size_t at, int bytes) {
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= uint32_t(tiff.at(at + i)) << (8 * (big ? bytes - 1 - i : i));
        return v;
    };
    std::vector<uint16_t> tags;
    const uint32_t ifd = get(4, 4);
    for (uint32_t i = 0, n = get(ifd, 2); i < n; ++i)
        tags.push_back(static_cast<uint16_t>(get(ifd + 2 + 12 * i, 2)));
    return tags;
}

// The TIFF structure of the first Exif APP1 segment; empty when there is none.
std::vector<uint8_t> ExifBlock(const std::vector<uint8_t>& jpeg)
{
    for (size_t at = 2; at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA;) {
        const size_t length = size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (jpeg[at + 1] == 0xE1 && length >= 8 && std::memcmp(&jpeg[at + 4], "Exif\0\0", 6) == 0)
            return std::vector<uint8_t>(jpeg.begin() + static_cast<std::ptrdiff_t>(at + 10),
                                        jpeg.begin() + static_cast<std::ptrdiff_t>(at + 2 + length));
        at += 2 + length;
    }
    return {};
}

void SetTag(IVorlatTagControl* tags, TagId id, uint32_t type, const void* value, uint32_t bytes)
{
    ASSERT_EQ(0, Cause(tags->AddTag(id)));
    ASSERT_EQ(0, Cause(tags->SetTagValue(id, type, bytes, value, 0)));
}

// Lines of a tool's report that name a warning or an error, but for exiftool's
// count of them and its note that it cannot decode the maker's maker note.
std::string Complaints(const std::string& report)
{
    std::string found;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);)
        if ((line.find("arning") != std::string::npos || line.find("rror") != std::string::npos) &&
            line.rfind("Validate ", 0) != 0 && line.find("[minor] Unrecognized MakerNotes") == std::string::npos)
            found += line + "\n";
    return found;
}
} // namespace

// The GPS directory is written only for a store with GPS tags: a directory of
// no entries is refused by libtiff and flagged by exiftool. With GPS tags the
// store holds GPSVersionID and GPSProcessingMethod (an unknown tag kept in
// group 6) as a camera writes them, since the writer writes only what the
// store holds; the values come back through exiftool and our reader. TIFF in
// both byte orders, Exif JPEG, and JFIF with its Exif block.
TEST(JpegPeer, TheGpsDirectoryIsWrittenOnlyForGpsTagsAndPassesTheTools)
{
    Pipeline pipeline;
    const Pixels photo = MakePhoto(41, 27, 3, 5);
    for (bool gps : {false, true}) {
        IVorlatTagControl* tags = nullptr;
        ASSERT_EQ(0, Cause(IVorlatTagControl::CreateTagControl(&tags)));
        SetTag(tags, 0x10F, kTagTypeText, "Maker", 6);
        SetTag(tags, 0x110, kTagTypeText, "Model 1", 8);
        const double exposure = 0.004;
        SetTag(tags, 0x829A, kTagTypeDoubles, &exposure, 8);
        SetTag(tags, 0x9003, kTagTypeText, "2024:05:06 07:08:09", 20);
        if (gps) {
            const uint8_t version[4] = {2, 2, 0, 0};
            const uint32_t north = 0;
            const double latitude[3] = {48, 8, 30};
            SetTag(tags, 0x30000, kTagTypeBytes, version, 4);
            SetTag(tags, 0x30001, kTagTypeLongs, &north, 4);
            SetTag(tags, 0x30002, kTagTypeDoubles, latitude, 24);
            const uint8_t method[11] = {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'G', 'P', 'S'};
            ASSERT_EQ(0, Cause(tags->AddUkTag(27, 7, 6)));
            ASSERT_EQ(0, Cause(tags->SetTagValue(27, 7, sizeof method, method, 6)));
        }
        struct Output { const char* name; int32_t format; bool big; } outputs[] = {
            {"tiff_le.tif", kFormatTiff, false}, {"tiff_be.tif", kFormatTiff, true},
            {"exif.jpg", kFormatExifJpeg, false}, {"jfif.jpg", kFormatJpeg, false},
        };
        for (const Output& o : outputs) {
            SCOPED_TRACE(testing::Message() << o.name << (gps ? " with GPS" : " without GPS"));
            Memory out(std::vector<uint8_t>(1 << 20, 0), false);
            IVorlatImage* image = pipeline.ImageOf(photo);
            IVorlatFormatWriter* writer = nullptr;
            if (o.format == kFormatTiff)
                writer = new quarnite::CTiffWriter(out.get(), tags, o.format, 0, o.big);
            else
                writer = new quarnite::CJpegWriter(out.get(), tags, o.format, 3);
            int32_t error = Cause(writer->BeginSave(image, nullptr, 0));
            while (!error && !writer->IsFinished())
                error = Cause(writer->Execute());
            delete writer;
            image->Destroy();
            ASSERT_EQ(0, error);
            const std::vector<uint8_t> file = out.Written();
            const bool jpeg = o.format != kFormatTiff;
            const std::vector<uint8_t> block = jpeg ? ExifBlock(file) : file;
            ASSERT_FALSE(block.empty());
            const std::vector<uint16_t> ifd0 = Ifd0Tags(block);
            EXPECT_EQ(gps, std::find(ifd0.begin(), ifd0.end(), 34853) != ifd0.end());
            EXPECT_NE(ifd0.end(), std::find(ifd0.begin(), ifd0.end(), 34665));

            const std::string path = Scratch(o.name);
            WriteFile(path, file);
            int status = -1;
            std::string report;
            if (jpeg) {
                report = Capture("djpeg -strict -outfile /dev/null " + path, &status);
                EXPECT_EQ(0, status) << report;
            } else {
                report = Capture("tiffinfo " + path, &status);
                EXPECT_EQ(0, status) << report;
                EXPECT_EQ("", Complaints(report)) << report;
            }
            report = Capture("exiftool -validate -warning -error -a " + path, &status);
            EXPECT_EQ(0, status) << report;
            EXPECT_EQ("", Complaints(report)) << report;
            report = Capture("exiftool -n -s3 -Make -GPSVersionID -GPSLatitudeRef -GPSLatitude -GPSProcessingMethod " +
                             path, &status);
            EXPECT_EQ(gps ? "Maker\n2 2 0 0\nN\n48.1416666666667\nGPS\n" : "Maker\n", report);

            if (jpeg) {
                Memory in(file);
                IVorlatTagControl* back = nullptr;
                ASSERT_EQ(0, Cause(IVorlatTagControl::CreateTagControl(&back)));
                quarnite::CJpegReader reader(in.get(), back);
                ASSERT_EQ(0, Cause(reader.LoadTags()));
                EXPECT_EQ(gps, back->IsExist(0x30000, 0));
                EXPECT_EQ(gps, back->IsExist(0x30001, 0));
                if (gps) {
                    double latitude[3] = {};
                    EXPECT_EQ(0, Cause(back->GetTagValue(0x30002, kTagTypeDoubles, 24, latitude, 0)));
                    EXPECT_EQ(48.0, latitude[0]);
                    EXPECT_EQ(8.0, latitude[1]);
                    EXPECT_EQ(30.0, latitude[2]);
                }
                back->Destroy();
            }
        }
        tags->Destroy();
    }
}

namespace {
// The file read into a new store, updated after `change` edited the store.
template <typename Change>
std::vector<uint8_t> Updated(const std::vector<uint8_t>& file, Change change)
{
    Memory in(file);
    IVorlatTagControl* tags = nullptr;
    EXPECT_EQ(0, Cause(IVorlatTagControl::CreateTagControl(&tags)));
    quarnite::CJpegReader reader(in.get(), tags);
    EXPECT_EQ(0, Cause(reader.LoadTags()));
    change(tags);
    Memory out(std::vector<uint8_t>(file.size() + (1 << 17), 0), false);
    EXPECT_EQ(0, Cause(reader.Update(out.get())));
    tags->Destroy();
    return out.Written();
}

void SetCaption(IVorlatTagControl* tags, const std::string& text)
{
    TagItemRequest request{kTagIptcCaption, static_cast<uint32_t>(text.size() + 1), const_cast<char*>(text.c_str())};
    ASSERT_EQ(0, Cause(tags->SetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
}
} // namespace

// What exiftool reads from files updated with a changed artist and caption:
// a camera-like file that exiftool wrote, whose orientation and Exif image
// size must survive, and a file without Exif whose IPTC block is the second
// Photoshop resource and which carries a multi-picture APP2 segment.
TEST(JpegPeer, UpdatedFilesKeepTheirMetadataForExiftool)
{
    Pipeline pipeline;
    const std::vector<uint8_t> plain = Encode(pipeline, MakePhoto(64, 48, 3, 3), 4);
    const std::string camera = Scratch("update_camera.jpg");
    WriteFile(camera, plain);
    ASSERT_EQ(0, QuietShell("exiftool -q -n -overwrite_original -Make=Peer -Orientation=6 -Artist=Old "
                            "-ExifImageWidth=64 -ExifImageHeight=48 -IPTC:Caption-Abstract=Old " + camera));

    auto segment = [](uint8_t marker, const std::vector<uint8_t>& body) {
        std::vector<uint8_t> out = {0xFF, marker, static_cast<uint8_t>((body.size() + 2) >> 8),
                                    static_cast<uint8_t>(body.size() + 2)};
        out.insert(out.end(), body.begin(), body.end());
        return out;
    };
    const std::vector<uint8_t> jfif = segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 2, 1, 0, 72, 0, 72, 0, 0});
    const std::vector<uint8_t> mpf = segment(0xE2, {'M', 'P', 'F', 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x00, 0xB0,
                                                    7, 0, 4, 0, 0, 0, '0', '1', '0', '0', 0, 0, 0, 0});
    std::vector<uint8_t> photoshop = {'P', 'h', 'o', 't', 'o', 's', 'h', 'o', 'p', ' ', '3', '.', '0', 0,
                                      // ResolutionInfo: 72 dpi both ways
                                      '8', 'B', 'I', 'M', 0x03, 0xED, 0, 0, 0, 0, 0, 16,
                                      0, 72, 0, 0, 0, 1, 0, 1, 0, 72, 0, 0, 0, 1, 0, 1,
                                      '8', 'B', 'I', 'M', 0x04, 0x04, 0, 0, 0, 0, 0, 8,
                                      0x1C, 0x02, 0x78, 0x00, 0x03, 'O', 'l', 'd'};
    std::vector<uint8_t> bare(plain.begin(), plain.begin() + 2);
    for (const auto& s : {jfif, mpf, segment(0xED, photoshop)})
        bare.insert(bare.end(), s.begin(), s.end());
    bare.insert(bare.end(), plain.begin() + 2, plain.end());

    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        std::string expected;  // Orientation, ExifImageWidth, ExifImageHeight, Artist, caption, MPFVersion
    } cases[] = {
        {"camera", ReadFile(camera), "6\n64\n48\nNew\nNew caption\n"},
        {"no Exif", bare, "1\n64\n48\nNew\nNew caption\n0100\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.file.empty());
        const std::vector<uint8_t> updated = Updated(c.file, [](IVorlatTagControl* tags) {
            SetTag(tags, 0x13B, kTagTypeText, "New", 4);
            SetCaption(tags, "New caption");
        });
        const std::string path = Scratch(std::string("updated_") + (c.file == bare ? "bare" : "camera") + ".jpg");
        WriteFile(path, updated);
        int status = -1;
        std::string report = Capture("djpeg -strict -outfile /dev/null " + path, &status);
        EXPECT_EQ(0, status) << report;
        report = Capture("exiftool -validate -warning -error -a " + path, &status);
        EXPECT_EQ(0, status) << report;
        EXPECT_EQ("", Complaints(report)) << report;
        EXPECT_EQ(c.expected, Capture("exiftool -n -s3 -Orientation -ExifImageWidth -ExifImageHeight -Artist "
                                      "-IPTC:Caption-Abstract -MPFVersion " + path, &status));
    }
}
