// Develop and save as whole commands beside a vips pipeline doing the same
// kinds of work (icc_transform, sharpen, resize, tiffsave) on the developed
// size. Targets: a 4028 x 1324 raw file to an 8-bit TIFF through the
// high-quality demosaic, one sharpening entry and Curves in under 4 s on one
// processor, peak memory under 300 MB with the default tile budget, and that
// memory independent of the picture's size (a 16-bit RGB source, once at the
// developed size and once at twice its pixels).
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "QRV/tests/icc_builder.h"
#include "bench/bench_tiff.h"
#include "bench/bench_util.h"
#include "bench/peer_run.h"
#include "fileio/VorlatTagControl.h"

namespace {

constexpr int32_t kRawWidth = 4028, kRawHeight = 1324;
// What the camera's raw data of that width develops to.
constexpr int32_t kDevelopedWidth = 3008, kDevelopedHeight = 1960;
constexpr double kTargetSeconds = 4.0;
constexpr double kTargetMb = 300.0;

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        std::exit(1);
    std::fclose(f);
}

void SetText(IVorlatTagControl* tags, TagId tag, const char* text)
{
    benchcmd::Check(tags->AddTag(tag), "tag");
    benchcmd::Check(tags->SetTagValue(tag, kTagTypeText, static_cast<uint32_t>(std::strlen(text) + 1), text, 0), "tag");
}

// The mosaic's 12-bit samples: soft gradients with some detail.
uint16_t MosaicSample(int32_t x, int32_t y)
{
    return static_cast<uint16_t>(300 + (x * 3000 / kRawWidth + y * 700 / kRawHeight + (x % 7) * 40) % 3700);
}

// Little-endian TIFF pieces for the DNG.
void Put16(std::vector<uint8_t>& b, uint32_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// The same mosaic as an uncompressed DNG for dcraw: 16-bit samples, white at
// 4095, the filters' layout (blue and green on even rows, green and red on odd
// ones), square pixels (dcraw develops 4028 x 1324, about as many pixels as our
// 3008 x 1960).
void WriteDng(const std::string& path)
{
    struct Entry {
        uint16_t tag, type;
        uint32_t count;
        std::vector<uint8_t> value;  // little-endian, as stored
    };
    const auto shorts = [](std::initializer_list<uint32_t> v) {
        std::vector<uint8_t> b;
        for (uint32_t x : v)
            Put16(b, x);
        return b;
    };
    const auto longs = [](std::initializer_list<uint32_t> v) {
        std::vector<uint8_t> b;
        for (uint32_t x : v)
            Put32(b, x);
        return b;
    };
    const auto text = [](const char* t) { return std::vector<uint8_t>(t, t + std::strlen(t) + 1); };
    const uint32_t pixelBytes = static_cast<uint32_t>(kRawWidth) * kRawHeight * 2;
    constexpr uint32_t kPixelsAt = 8;
    std::vector<Entry> entries = {
        {254, 4, 1, longs({0})},
        {256, 4, 1, longs({static_cast<uint32_t>(kRawWidth)})},
        {257, 4, 1, longs({static_cast<uint32_t>(kRawHeight)})},
        {258, 3, 1, shorts({16})},
        {259, 3, 1, shorts({1})},
        {262, 3, 1, shorts({32803})},
        {271, 2, 6, text("KORVA")},
        {272, 2, 10, text("KORVA M4X")},
        {273, 4, 1, longs({kPixelsAt})},
        {277, 3, 1, shorts({1})},
        {278, 4, 1, longs({static_cast<uint32_t>(kRawHeight)})},
        {279, 4, 1, longs({pixelBytes})},
        {284, 3, 1, shorts({1})},
        {33421, 3, 2, shorts({2, 2})},
        {33422, 1, 4, {2, 1, 1, 0}},
        {50706, 1, 4, {1, 4, 0, 0}},
        {50708, 2, 10, text("KORVA M4X")},
        {50717, 4, 1, longs({4095})},
    };
    std::vector<uint8_t> file = {'I', 'I', 42, 0};
    Put32(file, kPixelsAt + pixelBytes);
    for (int32_t y = 0; y < kRawHeight; ++y)
        for (int32_t x = 0; x < kRawWidth; ++x)
            Put16(file, MosaicSample(x, y));
    // The directory, then the values too long to sit in their entries.
    const uint32_t dirAt = static_cast<uint32_t>(file.size());
    uint32_t valueAt = dirAt + 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
    std::vector<uint8_t> values;
    Put16(file, static_cast<uint32_t>(entries.size()));
    for (const Entry& e : entries) {
        Put16(file, e.tag);
        Put16(file, e.type);
        Put32(file, e.count);
        if (e.value.size() <= 4) {
            std::vector<uint8_t> inPlace = e.value;
            inPlace.resize(4, 0);
            file.insert(file.end(), inPlace.begin(), inPlace.end());
        } else {
            Put32(file, valueAt + static_cast<uint32_t>(values.size()));
            values.insert(values.end(), e.value.begin(), e.value.end());
            if (values.size() % 2)
                values.push_back(0);
        }
    }
    Put32(file, 0);
    file.insert(file.end(), values.begin(), values.end());
    WriteFile(path, file);
}

// A raw file of the camera with the mosaic's samples.
void WriteRaw(const std::string& path)
{
    IVorlatTagControl* tags = nullptr;
    benchcmd::Check(IVorlatTagControl::CreateTagControl(&tags), "tags");
    SetText(tags, 0x10F, "KORVA");
    SetText(tags, 0x110, "KORVA M4X");
    const uint8_t cfa[8] = {0, 2, 0, 2, 0, 1, 1, 2};
    benchcmd::Check(tags->AddTag(0xA302), "tag");
    benchcmd::Check(tags->SetTagValue(0xA302, kTagTypeBytes, sizeof cfa, cfa, 0), "tag");
    const int32_t raw = 32;
    benchcmd::Check(tags->AddTag(0x80004), "tag");
    benchcmd::Check(tags->SetTagValue(0x80004, kTagTypeLongs, 4, &raw, 0), "tag");

    IVorlatManager* manager = benchcmd::OpenManager();
    IVorlatImage* image = nullptr;
    benchcmd::Check(manager->CreateImage(&image, kVorlatUsageKeep), "image");
    benchcmd::Check(image->SetColorSpace(64), "colour space");
    benchcmd::Check(image->SetSize(kRawWidth, kRawHeight), "size");
    constexpr int32_t kBand = 64;
    std::vector<uint16_t> band(static_cast<size_t>(kRawWidth) * kBand);
    for (int32_t top = 0; top < kRawHeight; top += kBand) {
        const int32_t rows = std::min(kBand, kRawHeight - top);
        for (int32_t y = 0; y < rows; ++y)
            for (int32_t x = 0; x < kRawWidth; ++x)
                band[static_cast<size_t>(y) * kRawWidth + x] = MosaicSample(x, top + y);
        benchcmd::Check(image->SetData(band.data(), kRawWidth * 2, RECT{0, top, kRawWidth, top + rows}), "pixels");
    }
    IVorlatFileStream* out = benchcmd::FileStream(path);
    IVorlatSave* save = nullptr;
    benchcmd::Check(IVorlatSave::CreateSave(&save), "saver");
    benchcmd::Check(save->AttachStream(out, tags, kFormatRawTiff, 0), "create");
    benchcmd::Check(save->BeginSave(image, nullptr, 0), "begin save");
    benchcmd::RunToEnd(save, "save");
    save->DetachStream();
    save->Destroy();
    out->Destroy();
    image->Destroy();
    manager->Destroy();
    tags->Destroy();
}

// 16-bit RGB gradients with some detail for the sharpening.
peer::BandMaker Picture(int32_t width, int32_t height, bool bigEndian)
{
    return [width, height, bigEndian](int32_t top, int32_t rows, uint8_t* band) {
        for (int32_t y = 0; y < rows; ++y)
            for (int32_t x = 0; x < width; ++x)
                for (int32_t c = 0; c < 3; ++c) {
                    const int32_t v = (8000 + x * 40000 / width + (top + y) * 12000 / height + c * 3000 +
                                       ((x / 3 + (top + y) / 3) % 2) * 2500) & 0xFFFF;
                    uint8_t* p = band + (static_cast<size_t>(y) * width + x) * 6 + c * 2;
                    p[bigEndian ? 1 : 0] = static_cast<uint8_t>(v);
                    p[bigEndian ? 0 : 1] = static_cast<uint8_t>(v >> 8);
                }
    };
}

peer::Command Ours(const std::string& in, const std::string& out, const std::string& scratch,
                   const char* method = "hq")
{
    return {{peer::Beside("bench_develop_save"), in, out, scratch, method}, {"TESS_BENCH_SCRATCH=" + scratch}, out};
}

// dcraw writes IN.tiff beside IN.dng.
peer::Command Dcraw(const std::string& dng, const char* quality)
{
    return {{"dcraw", "-T", "-q", quality, dng}, {}, dng.substr(0, dng.size() - 4) + ".tiff"};
}

// vips: the camera-to-working transform at 8 bits, a sharpening, a resize
// (the develop chain's scale stage, here 1:1) and the TIFF save.
peer::Command Vips(const std::string& in, const std::string& out, const std::string& scratch)
{
    const std::string profile = scratch + "/working.icc";
    const std::string script = "vips icc_transform '" + in + "' '" + scratch + "/v1.v' '" + profile +
                               "' --input-profile '" + profile + "' --depth 8 && vips sharpen '" + scratch +
                               "/v1.v' '" + scratch + "/v2.v' && vips resize '" + scratch + "/v2.v' '" + scratch +
                               "/v3.v' 1 && vips tiffsave '" + scratch + "/v3.v' '" + out + "'";
    return {{"sh", "-c", script}, {}, out};
}

void Row(const std::string& work, const std::string& size, const peer::Pair& p)
{
    peer::PrintRow(work, size, p, peer::kNoTarget);
    if (p.Ok())
        std::printf("    %-26s ours %.3f s (< %.0f s %s), ours private %.1f MB (< %.0f MB %s)\n", "", p.ours.seconds,
                    kTargetSeconds, peer::Verdict(p.ours.seconds < kTargetSeconds), p.ours.privateMb, kTargetMb,
                    peer::Verdict(p.ours.privateMb < kTargetMb));
}

}  // namespace

int main()
{
    if (!peer::Have("vips")) {
        std::printf("core_save_bench: vips is missing\n");
        return 0;
    }
    const std::string scratch = bench::Scratch("core_save_bench");
    WriteFile(scratch + "/working.icc", qrvtest::RgbMatrixProfile(563).Build());
    WriteFile(scratch + "/cmyk.icc", qrvtest::LutProfile("CMYK", "Lab ", 4, 3, "A2B0", "B2A0").Build());
    WriteFile(scratch + "/lch.icc", qrvtest::LabIdentityProfile("Lch ").Build());

    const std::string raw = scratch + "/raw.xqv";
    WriteRaw(raw);
    const std::string developedPpm = scratch + "/developed.ppm";
    if (!peer::WritePpm(developedPpm, kDevelopedWidth, kDevelopedHeight, 2,
                        Picture(kDevelopedWidth, kDevelopedHeight, true)))
        return 1;

    std::printf("Develop and save to an 8-bit TIFF: demosaic (raw only), camera -> LCh -> working profile at 16 bits,\n"
                "one sharpening entry, Curves, 16 -> 8 bits, a 160-pixel thumbnail; one processor\n");
    std::printf("  ours: bench_develop_save IN OUT.tif PROFILES (the engine's SaveDevelopedImage, mode 0)\n"
                "  peer: vips icc_transform --depth 8, sharpen, resize 1, tiffsave (.v files between the steps),\n"
                "        on the developed size as a 16-bit PPM; its memory columns see the shell that runs the\n"
                "        steps, not the vips processes\n");
    peer::PrintLegend("-");
    Row("raw -> 8-bit TIFF", std::to_string(kRawWidth) + "x" + std::to_string(kRawHeight),
        peer::SideBySide(Ours(raw, scratch + "/ours.tif", scratch), Vips(developedPpm, scratch + "/peer.tif", scratch),
                         scratch));

    if (peer::Have("dcraw")) {
        const std::string dng = scratch + "/raw.dng";
        WriteDng(dng);
        std::printf("\nDevelop and save beside dcraw on the same mosaic as a DNG, one processor\n"
                    "  ours: bench_develop_save IN.xqv OUT.tif|OUT.jpg PROFILES hq|single; hq: the save road as above\n"
                    "        (JPEG at level 4); single: the whole picture through the preview's road at full size\n"
                    "        (single-pass demosaic, profiles, Curves, no sharpening), then saved\n"
                    "  peer: dcraw -T -q 3 (AHD) | -q 0 (bilinear) IN.dng: 8-bit TIFF of 4028 x 1324\n");
        peer::PrintLegend("-");
        const std::string size = std::to_string(kRawWidth) + "x" + std::to_string(kRawHeight);
        const struct {
            const char* work;
            const char* out;
            const char* method;
            const char* quality;
        } rows[] = {
            {"hq -> 8-bit TIFF vs -q 3", "/ours.tif", "hq", "3"},
            {"hq -> JPEG vs -q 3", "/ours.jpg", "hq", "3"},
            {"single -> 8-bit TIFF vs -q 0", "/ours.tif", "single", "0"},
            {"single -> JPEG vs -q 0", "/ours.jpg", "single", "0"},
        };
        for (const auto& row : rows)
            peer::PrintRow(row.work, size,
                           peer::SideBySide(Ours(raw, scratch + row.out, scratch, row.method), Dcraw(dng, row.quality),
                                            scratch),
                           peer::kNoSlower);
        std::remove(dng.c_str());
        std::printf("\n");
    } else {
        std::printf("  dcraw is not installed (Debian package dcraw): no dcraw rows\n");
    }
    std::remove(raw.c_str());

    // The same chain without the demosaic on a 16-bit RGB source, at the
    // developed size and at twice its pixels: the memory must not follow.
    const double side = std::sqrt(2.0);
    const int32_t bigWidth = static_cast<int32_t>(kDevelopedWidth * side);
    const int32_t bigHeight = static_cast<int32_t>(kDevelopedHeight * side);
    for (const auto& size : {std::pair<int32_t, int32_t>{kDevelopedWidth, kDevelopedHeight}, {bigWidth, bigHeight}}) {
        const std::string tif = scratch + "/rgb16.tif", ppm = scratch + "/rgb16.ppm";
        peer::WriteTiff(tif, size.first, size.second, 33, Picture(size.first, size.second, false));
        if (!peer::WritePpm(ppm, size.first, size.second, 2, Picture(size.first, size.second, true)))
            return 1;
        Row("16-bit TIFF -> 8-bit TIFF", peer::Mpix(size.first, size.second) + ", 1 run",
            peer::SideBySide(Ours(tif, scratch + "/ours.tif", scratch), Vips(ppm, scratch + "/peer.tif", scratch),
                             scratch, 1));
        std::remove(tif.c_str());
        std::remove(ppm.c_str());
    }
    std::remove(developedPpm.c_str());
    for (const char* name : {"/v1.v", "/v2.v", "/v3.v"})
        std::remove((scratch + name).c_str());
    return 0;
}
