// Checks against tools written elsewhere: files that exiftool wrote read back
// to the values it was given, and the directories this library writes are
// read by exiftool, tiffinfo and tiffdump with the values written and without
// warnings. The tools never link the library.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fileio/tests/fileio_fixture.h"
#include "fileio/tests/test_files.h"

using namespace quarnite;
using fileio_test::Cause;
using fileio_test::ReadTiff;
using fileio_test::Store;
using fileio_test::TiffWriteOptions;
using fileio_test::WriteTiff;
using fileio_test::ReadFile;

namespace {

std::string Scratch(const std::string& name)
{
    return std::string(TESS_SCRATCH_DIR) + "/peer_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + name;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The command's standard output and error, and whether it exited with 0.
std::string Shell(const std::string& command, bool* ok = nullptr)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        if (ok)
            *ok = false;
        return output;
    }
    std::array<char, 4096> chunk;
    size_t n;
    while ((n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        output.append(chunk.data(), n);
    const int status = pclose(pipe);
    if (ok)
        *ok = status == 0;
    return output;
}

// A 4 x 2 grey TIFF of the plainest kind, built here byte by byte so that
// everything exiftool adds is exiftool's own.
std::vector<uint8_t> BaseTiff(bool big)
{
    struct Entry { uint16_t tag, type; uint32_t value; };
    const Entry entries[] = {{256, 3, 4}, {257, 3, 2}, {258, 3, 8}, {259, 3, 1}, {262, 3, 1},
                             {273, 4, 0}, {277, 3, 1}, {278, 3, 2}, {279, 4, 8}};
    const uint32_t count = sizeof entries / sizeof entries[0];
    const uint32_t pixels = 8 + 2 + 12 * count + 4;
    std::vector<uint8_t> f;
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            f.push_back(uint8_t(big ? v >> (8 * (bytes - 1 - i)) : v >> (8 * i)));
    };
    f.push_back(big ? 'M' : 'I');
    f.push_back(big ? 'M' : 'I');
    put(42, 2);
    put(8, 4);
    put(count, 2);
    for (const Entry& e : entries) {
        put(e.tag, 2);
        put(e.type, 2);
        put(1, 4);
        const uint32_t value = e.tag == 273 ? pixels : e.value;
        if (e.type == 3) {
            put(value, 2);
            put(0, 2);
        } else {
            put(value, 4);
        }
    }
    put(0, 4);
    for (uint8_t v = 0; v < 80; v += 10)
        f.push_back(v);
    return f;
}

std::vector<std::string> Keywords(const Store& s)
{
    std::vector<std::string> words;
    IptcKeywordRequest keyword{0xFFFFFFFFu, 0, nullptr};
    TagItemRequest request{kTagIptcKeywords, sizeof keyword, &keyword};
    EXPECT_EQ(0, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    const uint32_t count = keyword.index;
    for (uint32_t i = 0; i < count; ++i) {
        keyword = {i, 0, nullptr};
        EXPECT_EQ(0, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
        std::string word(keyword.size, '\0');
        keyword = {i, static_cast<uint32_t>(word.size()), word.data()};
        EXPECT_EQ(0, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
        words.push_back(word.c_str());  // the size counts the terminator
    }
    return words;
}

std::string Caption(const Store& s)
{
    TagItemRequest request{kTagIptcCaption, 0, nullptr};
    EXPECT_EQ(0, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    std::string caption(request.size, '\0');
    request.data = caption.data();
    EXPECT_EQ(0, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    return caption.c_str();  // the size counts the terminator
}

double TripleValue(const std::vector<uint8_t>& bytes)
{
    int16_t w[3];
    std::memcpy(w, bytes.data(), 6);
    return double(w[0]) * w[1] / w[2];
}

} // namespace

TEST(PeerTools, ValuesThatExiftoolWroteReadBack)
{
    for (bool big : {false, true}) {
        const std::string path = Scratch(big ? "exiftool-be.tif" : "exiftool-le.tif");
        WriteFile(path, BaseTiff(big));
        bool ok = false;
        const std::string out = Shell(
            "exiftool -q -overwrite_original -Make=Korva '-Model=KORVA Q7' '-Artist=An Artist' "
            "-ExposureTime=1/250 -FNumber=5.6 -ISO=200 '-DateTimeOriginal=2024:05:06 07:08:09' "
            "-ExposureCompensation=-2/3 -FocalLength=35 -UserComment=hello -GPSVersionID=2.2.0.0 "
            "-GPSLatitude=35.675 -GPSLatitudeRef=S -GPSLongitude=139.6868 -GPSLongitudeRef=E "
            "-GPSAltitude=12.25 -GPSAltitudeRef=0 -GPSMapDatum=WGS-84 -IPTC:Keywords=alpha -IPTC:Keywords=beta "
            "'-IPTC:Caption-Abstract=A caption' " + path, &ok);
        ASSERT_TRUE(ok) << out;

        Store s;
        fileio_test::TiffReadResult r = ReadTiff(ReadFile(path), s.tags);
        ASSERT_EQ(0, r.mainError);
        EXPECT_EQ(0, r.exifError);
        EXPECT_EQ(0, r.gpsError);
        EXPECT_EQ(4u, r.main.width);
        EXPECT_EQ(2u, r.main.height);
        EXPECT_EQ(2, r.main.colorSpace);
        EXPECT_EQ("Korva", s.Text(0x10F));
        EXPECT_EQ("KORVA Q7", s.Text(0x110));
        EXPECT_EQ("An Artist", s.Text(0x13B));
        EXPECT_EQ("2024:05:06 07:08:09", s.Text(0x9003));
        ASSERT_EQ(1u, s.Doubles(0x829A).size());
        EXPECT_DOUBLE_EQ(0.004, s.Doubles(0x829A)[0]);
        EXPECT_DOUBLE_EQ(5.6, s.Doubles(0x829D).at(0));
        EXPECT_DOUBLE_EQ(35.0, s.Doubles(0x920A).at(0));
        EXPECT_EQ(std::vector<uint32_t>{200}, s.Longs(0x8827));
        EXPECT_NEAR(-2.0 / 3.0, TripleValue(s.Bytes(0x9204)), 1e-4);
        EXPECT_EQ(kTagTypeText, s->GetTagType(0x9286, 0));
        EXPECT_EQ("hello", s.Text(0x9286));

        EXPECT_EQ((std::vector<uint8_t>{2, 2, 0, 0}), s.Bytes(0x30000));
        EXPECT_EQ(std::vector<uint32_t>{1}, s.Longs(0x30001));  // S
        EXPECT_EQ(std::vector<uint32_t>{2}, s.Longs(0x30003));  // E
        std::vector<double> latitude = s.Doubles(0x30002), longitude = s.Doubles(0x30004);
        ASSERT_EQ(3u, latitude.size());
        ASSERT_EQ(3u, longitude.size());
        EXPECT_NEAR(35.675, latitude[0] + latitude[1] / 60 + latitude[2] / 3600, 1e-6);
        EXPECT_NEAR(139.6868, longitude[0] + longitude[1] / 60 + longitude[2] / 3600, 1e-6);
        EXPECT_DOUBLE_EQ(12.25, s.Doubles(0x30006).at(0));
        EXPECT_EQ("WGS-84", s.Text(0x30012));

        EXPECT_EQ((std::vector<std::string>{"alpha", "beta"}), Keywords(s));
        EXPECT_EQ("A caption", Caption(s));
        std::remove(path.c_str());
    }
}

TEST(PeerTools, DirectoriesWrittenHereReadByTheTools)
{
    for (bool big : {false, true}) {
        Store s;
        s.SetText(0x10F, "Korva");
        s.SetText(0x110, "KORVA Q7");
        s.SetText(0x131, "Tessaline");
        s.SetText(0x132, "2024:05:06 07:08:09");
        s.SetText(0x13B, "An Artist");
        s.SetText(0x8298, "(c) Someone");
        s.SetDoubles(0x829A, {0.004});
        s.SetDoubles(0x829D, {5.6});
        s.SetLongs(0x8827, {200});
        s.SetText(0x9003, "2024:05:06 07:08:10");
        ASSERT_EQ(0, Cause(s->AddTag(0x9204)));
        const int16_t bias[3] = {1, -2, 3};
        ASSERT_EQ(0, Cause(s->SetTagValue(0x9204, kTagTypeTriples, 6, bias, 0)));
        s.SetDoubles(0x920A, {35.0});
        s.SetLongs(0x9209, {16});
        s.SetBytes(0x9286, kTagTypeText, {'h', 'e', 'l', 'l', 'o', 0});
        s.SetBytes(0x30000, kTagTypeText, {2, 2, 0, 0});
        s.SetLongs(0x30001, {1});
        s.SetDoubles(0x30002, {35, 40, 30});
        s.SetLongs(0x30003, {3});
        s.SetDoubles(0x30004, {139, 41, 12.5});
        s.SetDoubles(0x30006, {12.25});
        s.SetText(0x30012, "WGS-84");
        s.SetLongs(0x80005, {39});
        s.SetLongs(0x80007, {16});
        std::vector<uint8_t> block = {0x1C, 2, 25, 0, 5, 'a', 'l', 'p', 'h', 'a', 0x1C, 2, 25, 0, 4, 'b', 'e', 't', 'a',
                                      0x1C, 2, 120, 0, 9, 'A', ' ', 'c', 'a', 'p', 't', 'i', 'o', 'n'};
        ASSERT_EQ(0, Cause(s->AddTag(0x83BB)));
        TagItemRequest request{1, static_cast<uint32_t>(block.size()), block.data()};
        ASSERT_EQ(0, Cause(s->SetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));

        const std::string path = Scratch(big ? "ours-be.tif" : "ours-le.tif");
        WriteFile(path, WriteTiff(s.tags, TiffWriteOptions{big, 0x1, true, nullptr}));

        bool ok = false;
        std::string out = Shell("exiftool -a -s3 -Warning -Error " + path, &ok);
        EXPECT_TRUE(ok);
        EXPECT_EQ("", out) << "exiftool warns about " << path;
        out = Shell("exiftool -n -T -sep '|' -ExifByteOrder -ImageWidth -ImageHeight -BitsPerSample -XResolution -Make "
                    "-Model -Software -ModifyDate -Artist -Copyright -ExposureTime -FNumber -ISO -DateTimeOriginal "
                    "-ExifIFD:ExposureCompensation -FocalLength -Flash -UserComment -GPSVersionID -GPS:GPSLatitudeRef "
                    "-GPS:GPSLatitude -GPS:GPSLongitudeRef -GPS:GPSLongitude -GPS:GPSAltitude -GPSMapDatum -Keywords "
                    "-Caption-Abstract " + path, &ok);
        EXPECT_TRUE(ok);
        const std::vector<std::string> expected = {
            big ? "MM" : "II", "4", "2", "8", "300", "Korva", "KORVA Q7", "Tessaline", "2024:05:06 07:08:09",
            "An Artist", "(c) Someone", "0.004", "5.6", "200", "2024:05:06 07:08:10", "-0.666666666666667", "35", "16",
            "hello", "2 2 0 0", "S", "35.675", "W", "139.686805555556", "12.25", "WGS-84", "alpha|beta", "A caption"};
        std::vector<std::string> fields;
        for (size_t at = 0, tab; at < out.size(); at = tab + 1) {
            tab = out.find_first_of("\t\n", at);
            if (tab == std::string::npos)
                tab = out.size();
            fields.push_back(out.substr(at, tab - at));
        }
        ASSERT_EQ(expected.size(), fields.size()) << out;
        for (size_t i = 0; i < expected.size(); ++i) {
            char* end = nullptr;
            const double number = std::strtod(expected[i].c_str(), &end);
            if (*end == '\0' && !expected[i].empty())
                EXPECT_NEAR(number, std::strtod(fields[i].c_str(), nullptr), 1e-9) << i << ": " << out;
            else
                EXPECT_EQ(expected[i], fields[i]) << i;
        }

        out = Shell("tiffinfo " + path, &ok);
        EXPECT_TRUE(ok) << out;
        for (const char* bad : {"Warning", "warning", "Error", "error"})
            EXPECT_EQ(std::string::npos, out.find(bad)) << out;
        for (const char* line : {"Image Width: 4 Image Length: 2", "Resolution: 300, 300 pixels/inch", "Bits/Sample: 8",
                                 "Make: Korva", "Model: KORVA Q7", "DateTime: 2024:05:06 07:08:09",
                                 "ExposureTime: 0.004000", "FNumber: 5.600000", "ISOSpeedRatings: 200",
                                 "ExposureBiasValue: -0.666667", "FocalLength: 35.000000",
                                 "Latitude: 35.000000,40.000000,30.000000", "LongitudeRef: W",
                                 "Longitude: 139.000000,41.000000,12.500000", "Altitude: 12.250000"})
            EXPECT_NE(std::string::npos, out.find(line)) << line << "\n" << out;

        out = Shell("tiffdump " + path, &ok);
        EXPECT_TRUE(ok) << out;
        for (const char* line : {"ImageWidth (256) LONG (4) 1<4>", "Make (271) ASCII (2) 6<Korva\\0>",
                                 "StripByteCounts (279) LONG (4) 1<8>", "XResolution (282) RATIONAL (5) 1<300>",
                                 "Copyright (33432) ASCII (2) 12<(c) Someone\\0>"})
            EXPECT_NE(std::string::npos, out.find(line)) << line << "\n" << out;
        std::remove(path.c_str());
    }
}
